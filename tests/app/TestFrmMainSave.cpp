// Saving and loading through the main window: the fields as stored and read
// back, a save the store refuses, a prescription deleted meanwhile, a drug
// that left the price list.

#include "TestRoadFixture.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QTimeEdit>

using namespace pelmora;
using test::GridLine;

namespace {
const GridLine kTylenol{.code = "645301220", .name = "타이레놀정500mg", .price = "120"};
const GridLine kMucopect{.code = "671802370", .name = "뮤코펙트정", .qty = 0.5, .price = "85"};
} // namespace

class TestFrmMainSave : public QObject {
    Q_OBJECT

    std::unique_ptr<test::RoadFixture> fx;
    frmMain* w() { return fx->w.get(); }

    std::string one(const std::string& sql) {
        RecordSet rs = fx->store->query(sql);
        return rs.eof() ? std::string("<none>") : rs.field("v").toText();
    }
    void typed(const std::vector<GridLine>& lines) {
        fx->typeInto(w()->txt고객명, "홍길동");
        fx->typeInto(w()->txt주민번호, test::RoadFixture::residentNo("800101", '1'));
        fx->setLines(lines);
        w()->ProcRecalc();
    }
    bool saved() {
        fx->box.answers = {true};
        const int before = w()->Sp처방->MaxRows();
        w()->cmd저장_Click();
        return w()->Sp처방->MaxRows() == 0 && before > 0;
    }
    QString storedCode() { return QString::fromStdString(one("select vcPreCd v from Main")); }

  private slots:
    void init() { fx = std::make_unique<test::RoadFixture>(); }
    void cleanup() { fx.reset(); }

    void issueNumberTimeAndShareCodeRoundTrip() {
        typed({kTylenol});
        w()->pvd발행일자->setDate(QDate(2024, 3, 5));
        w()->txt교부번호->setText("00012");
        w()->pvt조제시간->setTime(QTime(9, 5, 7));
        w()->cmb본인부담여부->setCurrentIndex(3);
        const QString share = w()->cmb본인부담여부->currentText();
        w()->ProcRecalc();
        const std::string amount = fx->받을금액();
        QVERIFY(saved());
        QCOMPARE(one("select vcPubDtNo v from Main"), std::string("2024030500012"));
        QCOMPARE(one("select vcPreTm v from Main"), std::string("090507"));
        QCOMPARE(one("select vcPatJumNo v from Main").find('-'), std::string::npos);
        QCOMPARE(QString::fromStdString(one("select vcBonSn v from Main")), share);
        QCOMPARE(one("select mMoneyPr v from Main"), amount);
        w()->ProcLoad(storedCode());
        QCOMPARE(w()->pvd발행일자->date(), QDate(2024, 3, 5));
        QCOMPARE(w()->txt교부번호->text(), QString("00012"));
        QCOMPARE(w()->pvt조제시간->time(), QTime(9, 5, 7));
        QCOMPARE(w()->cmb본인부담여부->currentText(), share);
        // An issue date without a number loads an empty number.
        fx->store->execute("update Main set vcPubDtNo='20240305'");
        w()->ProcLoad(storedCode());
        QCOMPARE(w()->txt교부번호->text(), QString());
        QCOMPARE(w()->pvd발행일자->date(), QDate(2024, 3, 5));
    }

    void eachNewPrescriptionTakesTheNextKey() {
        typed({kTylenol, kMucopect});
        QVERIFY(saved());
        typed({kMucopect});
        QVERIFY(saved());
        RecordSet rs = fx->store->query("select vcPreCd from Main order by vcPreCd");
        const long first = std::stol(rs.field("vcPreCd").toText());
        rs.moveNext();
        QCOMPARE(std::stol(rs.field("vcPreCd").toText()), first + 1);
        QCOMPARE(
            one("select group_concat(vcRxdSn) v from (select vcRxdSn from Sub order by vcPreCd, vcRxdSn)"),
            std::string("001,002,001"));
    }

    // The store refuses the second line: nothing is stored and the window
    // keeps all it held.
    void aFailedLineWriteLeavesStoreAndWindowAsTheyWere() {
        fx->store->executeScript("CREATE TRIGGER refuse BEFORE INSERT ON Sub WHEN NEW.vcDrugCd='671802370'"
                                 " BEGIN SELECT RAISE(ABORT, 'refused'); END");
        typed({kTylenol, kMucopect});
        const std::string amount = fx->받을금액();
        QVERIFY(!saved());
        QCOMPARE(one("select count(*) v from Main"), std::string("0"));
        QCOMPARE(one("select count(*) v from Sub"), std::string("0"));
        const auto texts = fx->box.texts();
        QVERIFY(std::find(texts.begin(), texts.end(), "약품을 저장하다 오류가 발생하였습니다.") !=
                texts.end());
        QCOMPARE(w()->Sp처방->MaxRows(), 2);
        QCOMPARE(w()->txt고객명->text(), QString("홍길동"));
        QCOMPARE(fx->받을금액(), amount);
        QVERIFY(w()->lab조제코드->text().isEmpty());

        // A stored prescription saved over keeps its old lines when a new one fails.
        fx->store->executeScript("DROP TRIGGER refuse");
        fx->setLines({kTylenol});
        QVERIFY(saved());
        const QString code = storedCode();
        w()->ProcLoad(code);
        fx->store->executeScript("CREATE TRIGGER refuse BEFORE INSERT ON Sub WHEN NEW.vcDrugCd='671802370'"
                                 " BEGIN SELECT RAISE(ABORT, 'refused'); END");
        fx->setLines({kMucopect});
        w()->txt고객명->setText("김철수");
        QVERIFY(!saved());
        QCOMPARE(one("select vcPatNm v from Main"), std::string("홍길동"));
        QCOMPARE(one("select group_concat(vcDrugCd) v from Sub"), std::string("645301220"));
        QCOMPARE(w()->lab조제코드->text(), code);
        QCOMPARE(w()->txt고객명->text(), QString("김철수"));
    }

    void aDrugThatLeftThePriceListLoadsForReentry() {
        typed({kTylenol});
        QVERIFY(saved());
        fx->store->execute("update Sub set vcDrugCd='699999999'");
        w()->ProcLoad(storedCode());
        QCOMPARE(w()->Sp처방->Cell(1, 2).toText(), std::string("직접입력하세요"));
        QCOMPARE(w()->Sp처방->Cell(1, 7, 1).toText(), std::string("비급여"));
        QCOMPARE(w()->Sp처방->Cell(1, 10).toText(), std::string("0"));
        QCOMPARE(fx->gridDifference(fx->engine()), QString());
    }

    void aCodeNoLongerStoredResetsTheWindow() {
        typed({kTylenol});
        QVERIFY(saved());
        const QString code = storedCode();
        w()->ProcLoad(code);
        QCOMPARE(w()->Sp처방->MaxRows(), 1);
        // Deleted meanwhile: saved again as a new prescription, never lines under a missing header.
        fx->store->execute("delete from Sub");
        fx->store->execute("delete from Main");
        QVERIFY(saved());
        QCOMPARE(one("select count(*) v from Main"), std::string("1"));
        QCOMPARE(one("select count(*) v from Sub"), std::string("1"));
        w()->ProcLoad("0000009999");
        QCOMPARE(w()->Sp처방->MaxRows(), 0);
        QVERIFY(w()->lab조제코드->text().isEmpty());
    }
};

QTEST_MAIN(TestFrmMainSave)
#include "TestFrmMainSave.moc"
