// Pricing in the main window: the request built from a typed prescription,
// the three result grids against the engine's figures for the same request,
// and the detail window for each kind of breakdown.

#include "TestRoadFixture.h"

#include "app/frmDetail.h"
#include "charge/DetailBreakdown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTableView>
#include <QTimeEdit>

using namespace pelmora;
using test::GridLine;

namespace {
const GridLine kTylenol{.code = "645301220", .name = "타이레놀정500mg", .price = "120"};
const GridLine kMucopect{.code = "671802370", .name = "뮤코펙트정", .qty = 0.5, .price = "85"};
const GridLine kVitamin{.code = "643900710", .name = "비타민정", .coverage = 1, .price = "50"};
const GridLine kSelective{.code = "642100510", .name = "선별정", .coverage = 3, .price = "300"};
const GridLine kOintment{.code = "648700010", .name = "연고", .cnt = 1, .day = 1, .route = 1, .price = "700"};

QString text(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

class TestFrmMainCalc : public QObject {
    Q_OBJECT

    std::unique_ptr<test::RoadFixture> fx;
    frmMain* w() { return fx->w.get(); }

    void adult() {
        fx->typeInto(w()->txt고객명, "홍길동");
        fx->typeInto(w()->txt주민번호, test::RoadFixture::residentNo("800101", '1'));
        w()->txt요양기관번호->setText("12345678");
    }
    void price(const std::vector<GridLine>& lines) {
        fx->setLines(lines);
        w()->ProcRecalc();
    }
    // The detail window's 32 amounts against the breakdown of the same run.
    QString detailDifference(const clsAccount& a) {
        frmDetail* d = w()->detailWindow();
        if (!d) return "no detail window";
        const DetailBreakdown b = detailBreakdown(a);
        for (int r = 1; r <= DetailBreakdown::kRows; ++r)
            for (int c = 2; c <= DetailBreakdown::kCols + 1; ++c) {
                const auto& want = b.cell[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(c - 2)];
                const std::string shown = d->Sp약제비->Cell(r, c).toText();
                if (shown != (want ? want->toText() : std::string()))
                    return QStringLiteral("(%1,%2) %3").arg(r).arg(c).arg(text(shown));
            }
        return {};
    }

    // The main window's frame, its title bar included, on the given rectangle.
    void setFrame(const QRect& frame) {
        const QRect in = w()->geometry(), out = w()->frameGeometry();
        w()->setGeometry(frame.adjusted(in.left() - out.left(), in.top() - out.top(),
                                        in.right() - out.right(), in.bottom() - out.bottom()));
    }

  private slots:
    void init() { fx = std::make_unique<test::RoadFixture>(); }
    void cleanup() { fx.reset(); }

    void requestCarriesTheTypedPrescriptionFieldByField() {
        adult();
        price({kTylenol, kMucopect, kOintment});
        QCOMPARE(text(w()->lastRequest().first), QString("1#1#1#30#1#1#1#2#20230306#0#2#0#2#$"));
        QCOMPARE(text(w()->lastRequest().second), QString("645301220#1#3#3#급여#내복#120#0#0#9#120#0#$"
                                                          "671802370#0.5#3#3#급여#내복#85#0#0#4.5#85#0#$"
                                                          "648700010#1#1#1#급여#외용#700#0#0#1#700#0#$"));
        QCOMPARE(fx->gridDifference(fx->engine()), QString());
        // Independent of the engine: the drug costs are the line amounts.
        QCOMPARE(text(w()->Sp약가->Cell(1, 2).toText()), QString("1462")); // 1080 + 382.5, cut to whole won
        QCOMPARE(text(w()->Sp약가->Cell(2, 2).toText()), QString("700"));
        QVERIFY(fx->box.boxes.empty());
    }

    void guardsAndFlags() {
        adult();
        // One row without a code: nothing is priced and the grids stay.
        fx->setLines({});
        w()->Sp처방->setMaxRows(1);
        w()->ProcRecalc();
        QVERIFY(w()->lastRequest().first.empty());
        QCOMPARE(fx->받을금액(), std::string("0"));
        // A trailing empty row goes as an empty line; every line a pack gives the pack flag.
        GridLine pack = kTylenol;
        pack.pack = 1;
        fx->setLines({pack});
        w()->Sp처방->setMaxRows(2);
        w()->ProcRecalc();
        QCOMPARE(text(w()->lastRequest().first).section('#', 9, 9), QString("1"));
        const QStringList lines = text(w()->lastRequest().second).split('$', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[1].startsWith("####"), qPrintable(lines[1]));
        QCOMPARE(fx->gridDifference(fx->engine()), QString());
        // A listed "J" code carries the price difference to its twin.
        price({GridLine{.code = "64000578J", .name = "쌍둥이J정", .price = "450"}});
        QCOMPARE(text(w()->lastRequest().second).section('#', 7, 7), QString("50"));
        // A narcotic line sets its flag.
        GridLine narcotic = kTylenol;
        narcotic.flag = "마약";
        price({narcotic});
        QCOMPARE(text(w()->lastRequest().first).section('#', 11, 11), QString("1"));
    }

    void lateNightForAChildOnly() {
        fx->typeInto(w()->txt고객명, "김아기");
        w()->pvt조제시간->setTime(QTime(21, 30, 0));
        fx->typeInto(w()->txt주민번호, test::RoadFixture::residentNo("200101", '3'));
        QCOMPARE(w()->cmb연령->currentIndex(), 1);
        QCOMPARE(w()->cmb시간외->currentIndex(), 3);
        price({kTylenol});
        QCOMPARE(text(w()->lastRequest().first).left(4), QString("2#4#"));
        QCOMPARE(fx->gridDifference(fx->engine()), QString());
        // 심야 chosen for an adult prices as night, and the list follows.
        fx->typeInto(w()->txt주민번호, test::RoadFixture::residentNo("800101", '1'));
        w()->cmb시간외->setCurrentIndex(3);
        w()->ProcRecalc();
        QCOMPARE(text(w()->lastRequest().first).left(4), QString("1#2#"));
        QCOMPARE(w()->cmb시간외->currentIndex(), 1);
    }

    void specialCodeRatesThroughTheLabels() {
        adult();
        fx->typeInto(w()->txt특정기호1, "V252");
        QCOMPARE(w()->lab특정기호1->text(), QString("20")); // the institution's rate
        price({kTylenol});
        QCOMPARE(text(w()->lastRequest().first).section('#', 3, 3), QString("20"));
        QCOMPARE(w()->lab특정기호1->property("tag").toString(), QString("20"));
        QCOMPARE(w()->lab특정기호2->property("tag").toString(), QString("30"));
        // A support-fund code, in any letter case.
        w()->txt특정기호2->setText("V206");
        w()->ProcRecalc();
        QCOMPARE(text(w()->lastRequest().first).section('#', 7, 7), QString("1"));
        QCOMPARE(fx->gridDifference(fx->engine()), QString());
    }

    void detailWindowFollowsEachKindOfBreakdown_data() {
        QTest::addColumn<QString>("birth");
        QTest::addColumn<int>("insClass");
        QTest::addColumn<bool>("smallBill");
        QTest::addColumn<QString>("type");
        QTest::newRow("정률, a child") << "200101" << 1 << false << "정률";
        QTest::newRow("정액, 65 and over") << "500101" << 1 << true << "정액";
        QTest::newRow("지원금") << "800101" << 18 << false << "지원금";
        QTest::newRow("약사본인") << "800101" << 11 << false << "약사본인";
        QTest::newRow("전액") << "800101" << 14 << false << "전액";
        QTest::newRow("비급여") << "800101" << 19 << false << "비급여";
    }
    void detailWindowFollowsEachKindOfBreakdown() {
        QFETCH(QString, birth);
        QFETCH(int, insClass);
        QFETCH(bool, smallBill);
        QFETCH(QString, type);
        fx->typeInto(w()->txt주민번호,
                     test::RoadFixture::residentNo(birth.toStdString(), birth.startsWith("20") ? '3' : '1'));
        w()->cmb보험종류->setCurrentIndex(insClass);
        w()->chk계산상세보기->click();
        QVERIFY(w()->detailWindow());
        if (smallBill)
            price({kTylenol});
        else
            price({kTylenol, kVitamin, kSelective, kOintment});
        const clsAccount a = fx->engine();
        QCOMPARE(text(a.진료비실태상세계산유형), type);
        QCOMPARE(detailDifference(a), QString());
        QCOMPARE(fx->gridDifference(a), QString());
    }

    // Deleting the last drug leaves no figures behind.
    void deletingTheLastDrugEmptiesTheGrids() {
        adult();
        price({kTylenol});
        w()->Sp처방->setMaxRows(2); // the drug and the empty row the last Enter opened
        w()->Sp처방->spGoCell(1, 1);
        w()->cmd삭제_Click();
        for (KVSp* g : {w()->Sp수가, w()->Sp약가, w()->Sp계산})
            for (int c = 2; c <= g->MaxCols(); ++c)
                QCOMPARE(g->spRowSum(-1, 0, c), Currency());
        QVERIFY(w()->lastRequest().first.empty());
    }

    // A run whose fee lookup failed leaves figures that are no bill: they are
    // greyed out under "계산 오류", and saving them is asked about plainly.
    void aRunThatReportedAnErrorIsNoBill() {
        adult();
        price({kTylenol});
        QVERIFY(w()->pricingValid());
        fx->ref.db(0).execute("ALTER TABLE DBF심평원수 RENAME TO 수가보관");
        w()->ProcRecalc();
        QVERIFY(!w()->pricingValid());
        QVERIFY(w()->pricingError().startsWith("clsAcount:SubSooGaAcount"));
        QVERIFY(!w()->sp계산->isEnabled() && !w()->sp수가->isEnabled() && !w()->sp약가->isEnabled());
        QVERIFY(w()->KvTitle2->text().startsWith("계산 오류"));
        QDir().mkpath(QString(PELMORA_BINARY_DIR) + "/screenshots");
        QVERIFY(w()->grab().save(QString(PELMORA_BINARY_DIR) + "/screenshots/frmMainCalcError.png"));
        fx->box.answers = {false};
        w()->cmd저장_Click();
        QVERIFY(fx->box.boxes.back().text.find("계산 오류") != std::string::npos);
        QCOMPARE(w()->Sp처방->MaxRows(), 1); // not saved
        QVERIFY(fx->store->query("select * from Main").eof());

        fx->ref.db(0).execute("ALTER TABLE 수가보관 RENAME TO DBF심평원수");
        w()->ProcRecalc();
        QVERIFY(w()->pricingValid() && w()->sp계산->isEnabled());
        QCOMPARE(w()->KvTitle2->text(), QString("계산 결과"));
        fx->box.answers = {true};
        w()->cmd저장_Click();
        QCOMPARE(fx->box.boxes.back().text, std::string("저장하시겠습니까?"));
        QCOMPARE(w()->Sp처방->MaxRows(), 0);
    }

    // On a 1280×800 and a 1920×1080 screen the detail window covers none of
    // the main window's figures or buttons; closed by its own button it
    // unticks its box and the main window gets its room back.
    void detailWindowNeverCoversTheFigures_data() {
        QTest::addColumn<QRect>("screen");
        QTest::newRow("1280x800") << QRect(0, 0, 1280, 800);
        QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1080);
    }
    void detailWindowNeverCoversTheFigures() {
        QFETCH(QRect, screen);
        adult();
        setFrame(QRect(0, 0, 1280, 800));
        w()->chk계산상세보기->click();
        price({kTylenol, kMucopect, kSelective, kOintment});
        w()->placeDetail(screen);
        QTest::qWait(50);
        frmDetail* d = w()->detailWindow();
        const QRect detail = d->frameGeometry();
        QVERIFY(screen.contains(detail) && screen.contains(w()->frameGeometry()));
        for (QWidget* c : w()->findChildren<QWidget*>())
            if (c->window() == w() && c->isVisible() &&
                (qobject_cast<QTableView*>(c) || qobject_cast<QAbstractButton*>(c)))
                QVERIFY2(!QRect(c->mapToGlobal(QPoint(0, 0)), c->size()).intersects(detail),
                         qPrintable(c->objectName()));
        QVERIFY(detailDifference(fx->engine()).isEmpty());
        // What the pharmacist sees on the screen.
        QPixmap shot(screen.size());
        shot.fill(Qt::darkGray);
        QPainter p(&shot);
        p.drawPixmap(w()->frameGeometry().topLeft(), w()->grab());
        p.drawPixmap(detail.topLeft(), d->grab());
        p.end();
        QDir().mkpath(PELMORA_BINARY_DIR "/screenshots");
        QVERIFY(shot.save(
            QString(PELMORA_BINARY_DIR "/screenshots/frmMainPriced-%1.png").arg(QTest::currentDataTag())));
        d->close();
        QVERIFY(!w()->chk계산상세보기->isChecked() && !w()->detailWindow());
        QCOMPARE(w()->frameGeometry(), QRect(0, 0, 1280, 800));
    }
};

QTEST_MAIN(TestFrmMainCalc)
#include "TestFrmMainCalc.moc"
