// The whole road of a prescription through the main window: typed, priced,
// saved, listed in the history window, opened again with the same figures,
// changed and saved over, and deleted.

#include "TestRoadFixture.h"

#include "app/frmList.h"
#include "app/frmListModel.h"

#include <QComboBox>
#include <QLabel>
#include <QTimeEdit>
#include <QTimer>

using namespace pelmora;
using test::GridLine;

namespace {
const GridLine kTylenol{.code = "645301220", .name = "타이레놀정500mg", .price = "120"};
const GridLine kMucopect{.code = "671802370", .name = "뮤코펙트정", .qty = 0.5, .price = "85"};
const GridLine kSelective{.code = "642100510", .name = "선별정", .coverage = 3, .price = "300"};
const GridLine kOintment{.code = "648700010", .name = "연고", .cnt = 1, .day = 1, .route = 1, .price = "700"};

// Every figure of the three result grids.
QStringList figures(const frmMain& w) {
    QStringList out;
    for (KVSp* sp : {w.Sp수가, w.Sp약가, w.Sp계산})
        for (int r = 1; r <= sp->MaxRows(); ++r)
            for (int c = 2; c <= sp->MaxCols(); ++c)
                out << QString::fromStdString(sp->Cell(r, c).toText());
    return out;
}
} // namespace

class TestRoad : public QObject {
    Q_OBJECT

    std::unique_ptr<test::RoadFixture> fx;
    frmMain* w() { return fx->w.get(); }

    long count(const std::string& sql) { return fx->store->query(sql).field("n").toInt32(); }
    QStringList storedLines(const QString& code) {
        QStringList out;
        RecordSet rs = fx->store->query("select vcRxdSn, vcDrugCd from Sub where vcPreCd=? order by vcRxdSn",
                                        {Variant(code.toStdString())});
        for (; !rs.eof(); rs.moveNext())
            out << QString::fromStdString(rs.field("vcRxdSn").toText() + " " + rs.field("vcDrugCd").toText());
        return out;
    }
    // Runs the history window from the main window; act sees it while it is open.
    void history(const std::function<void(frmList&)>& act) {
        QTimer::singleShot(0, this, [act] {
            auto* list = qobject_cast<frmList*>(QApplication::activeModalWidget());
            QVERIFY(list);
            act(*list);
            if (list->isVisible()) list->close();
        });
        w()->cmd조제내역_Click();
    }
    void save() {
        fx->box.answers = {true};
        w()->cmd저장_Click();
    }

  private slots:
    void init() { fx = std::make_unique<test::RoadFixture>(); }
    void cleanup() { fx.reset(); }

    void typePriceSaveOpenChangeDelete_data() {
        QTest::addColumn<QString>("birth");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("special");
        QTest::addColumn<int>("ageClass");
        QTest::addColumn<int>("afterHours");
        QTest::newRow("adult") << "800101" << QTime(10, 30, 15) << "" << 0 << 0;
        QTest::newRow("65 and over") << "500101" << QTime(11, 0, 0) << "" << 2 << 0;
        QTest::newRow("a child at night") << "200101" << QTime(21, 30, 0) << "" << 1 << 3;
        QTest::newRow("special code") << "800101" << QTime(9, 5, 7) << "V252" << 0 << 0;
    }
    void typePriceSaveOpenChangeDelete() {
        QFETCH(QString, birth);
        QFETCH(QTime, time);
        QFETCH(QString, special);
        QFETCH(int, ageClass);
        QFETCH(int, afterHours);
        const QString resident =
            test::RoadFixture::residentNo(birth.toStdString(), birth.startsWith("20") ? '3' : '1');

        // Typed and priced.
        fx->typeInto(w()->txt고객명, "홍길동");
        w()->pvt조제시간->setTime(time);
        fx->typeInto(w()->txt주민번호, resident);
        w()->txt요양기관번호->setText("12345678");
        if (!special.isEmpty()) fx->typeInto(w()->txt특정기호1, special);
        fx->setLines({kTylenol, kSelective, kOintment});
        w()->ProcRecalc();
        QCOMPARE(w()->cmb연령->currentIndex(), ageClass);
        QCOMPARE(w()->cmb시간외->currentIndex(), afterHours);
        QCOMPARE(fx->gridDifference(fx->engine()), QString());
        const QStringList priced = figures(*w());
        const std::string request = w()->lastRequest().first + w()->lastRequest().second;
        QVERIFY(fx->받을금액() != "0");

        // Saved: one header, its lines 001.., and a fresh window.
        save();
        QCOMPARE(count("select count(*) n from Main"), 1L);
        const QString code =
            QString::fromStdString(fx->store->query("select vcPreCd from Main").field("vcPreCd").toText());
        QCOMPARE(storedLines(code), QStringList({"001 645301220", "002 642100510", "003 648700010"}));
        QCOMPARE(w()->Sp처방->MaxRows(), 0);
        QVERIFY(w()->txt고객명->text().isEmpty());

        // Listed in the history and opened: the same prescription, the same figures.
        history([&](frmList& list) {
            QCOMPARE(list.listModel()->rowCount(), 1);
            QCOMPARE(list.listModel()->value(0, 0), code);
            list.cmd수정_Click();
        });
        QCOMPARE(w()->lab조제코드->text(), code);
        QCOMPARE(w()->txt고객명->text(), QString("홍길동"));
        QCOMPARE(w()->txt주민번호->text().remove('-'), resident.mid(0).remove('-'));
        QCOMPARE(w()->pvt조제시간->time(), time);
        QCOMPARE(w()->cmb연령->currentIndex(), ageClass);
        QCOMPARE(w()->cmb시간외->currentIndex(), afterHours);
        QCOMPARE(w()->Sp처방->MaxRows(), 3);
        QCOMPARE(w()->lastRequest().first + w()->lastRequest().second, request);
        QCOMPARE(figures(*w()), priced);
        QCOMPARE(w()->focusWidget(), w()->txt고객명);

        // Changed and saved over: the same key, only the new lines.
        fx->setLines({kMucopect, kTylenol});
        w()->ProcRecalc();
        save();
        QCOMPARE(count("select count(*) n from Main"), 1L);
        QCOMPARE(storedLines(code), QStringList({"001 671802370", "002 645301220"}));

        // Opened again and deleted in the history: the window forgets the code.
        history([](frmList& list) { list.cmd수정_Click(); });
        QCOMPARE(w()->lab조제코드->text(), code);
        fx->box.answers = {true};
        history([](frmList& list) { list.cmd삭제_Click(); });
        QCOMPARE(count("select count(*) n from Main"), 0L);
        QCOMPARE(count("select count(*) n from Sub"), 0L);
        QVERIFY(w()->lab조제코드->text().isEmpty());
        QCOMPARE(w()->Sp처방->MaxRows(), 2); // what stands in the window is kept, as a new prescription
        save();
        QCOMPARE(count("select count(*) n from Main"), 1L);
        const QString again =
            QString::fromStdString(fx->store->query("select vcPreCd from Main").field("vcPreCd").toText());
        QCOMPARE(storedLines(again), QStringList({"001 671802370", "002 645301220"}));
    }

    // Opening a prescription from the history over one being typed asks
    // first, as a reset does; No keeps what was typed, and its own code.
    void historyAsksBeforeReplacingATypedPrescription() {
        fx->typeInto(w()->txt고객명, "홍길동");
        fx->setLines({kTylenol});
        save();
        const QString stored =
            QString::fromStdString(fx->store->query("select vcPreCd from Main").field("vcPreCd").toText());
        fx->typeInto(w()->txt고객명, "김철수");
        fx->setLines({kMucopect});
        w()->ProcRecalc();
        for (bool yes : {false, true}) {
            fx->box.answers = {yes};
            const auto asked = fx->box.boxes.size();
            history([](frmList& list) { list.cmd수정_Click(); });
            QCOMPARE(fx->box.boxes.size(), asked + 1);
            QCOMPARE(fx->box.boxes.back().title, std::string("불러오기확인"));
            QCOMPARE(w()->txt고객명->text(), QString(yes ? "홍길동" : "김철수"));
            QCOMPARE(w()->lab조제코드->text(), yes ? stored : QString());
            QCOMPARE(w()->Sp처방->Cell(1, 1).toText(), yes ? kTylenol.code : kMucopect.code);
        }
        // Nothing typed: opened without a word.
        fx->box.answers = {true};
        w()->cmd초기화_Click();
        const auto asked = fx->box.boxes.size();
        history([](frmList& list) { list.cmd수정_Click(); });
        QCOMPARE(fx->box.boxes.size(), asked);
        QCOMPARE(w()->lab조제코드->text(), stored);
    }
};

QTEST_MAIN(TestRoad)
#include "TestRoad.moc"
