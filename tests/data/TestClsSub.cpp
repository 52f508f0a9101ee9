#include "data/LocalStore.h"
#include "data/clsMain.h"
#include "data/clsSub.h"
#include "support/RecordingMessage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class ClsSubTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
        a = header();
        b = header();
    }
    std::string header() {
        clsMain m(*cn);
        m.Update();
        return m.PreCd;
    }
    clsSub line(const std::string& preCd, const std::string& drug, std::int16_t ins = 1,
                std::int16_t tax = 1) {
        clsSub s(*cn);
        s.PreCd = preCd;
        s.DrugCd = drug;
        s.DrugNm = "약 " + drug;
        s.RxdPr = Currency::parse("12.5");
        s.RxdInsSn = ins;
        s.RxdTaxSn = tax;
        s.Qty = 1.5;
        s.QtyCnt = 3;
        s.QtyDay = 2;
        return s;
    }
    std::string add(const std::string& preCd, const std::string& drug, std::int16_t ins = 1,
                    std::int16_t tax = 1) {
        auto s = line(preCd, drug, ins, tax);
        s.Update();
        EXPECT_TRUE(s.ChangeMode);
        return s.RxdSn;
    }
    std::vector<std::string> drugsOf(const std::string& preCd) {
        clsSub s(*cn);
        RecordSet rs;
        EXPECT_TRUE(s.RecordList(preCd, rs));
        std::vector<std::string> v;
        for (; !rs.eof(); rs.moveNext())
            v.push_back(rs.field("vcRxdSn").toText() + ":" + rs.field("vcDrugCd").toText());
        return v;
    }

    test::TempDir dir;
    std::unique_ptr<SqliteConnection> cn;
    test::RecordingMessage boxes;
    std::string a, b;
};

TEST_F(ClsSubTest, LinesAreNumberedPerPrescriptionWhateverTheCallerSet) {
    EXPECT_EQ(add(a, "A1"), "001");
    auto s = line(a, "A2");
    s.RxdSn = "050";
    s.Update();
    EXPECT_EQ(s.RxdSn, "002");
    EXPECT_EQ(add(b, "B1"), "001");
    EXPECT_EQ(add(a, "A3"), "003");
    EXPECT_EQ(drugsOf(a), (std::vector<std::string>{"001:A1", "002:A2", "003:A3"}));
}

TEST_F(ClsSubTest, ModeThreeRemovesAllLinesAndNumberingStartsAgain) {
    add(a, "A1");
    add(a, "A2");
    add(b, "B1");
    clsSub s(*cn);
    s.PreCd = a;
    s.RecoardInsMode = 3;
    s.Update();
    EXPECT_TRUE(s.ChangeMode);
    EXPECT_TRUE(drugsOf(a).empty());
    EXPECT_EQ(add(a, "A9"), "001");
    EXPECT_EQ(drugsOf(b), std::vector<std::string>{"001:B1"});
}

TEST_F(ClsSubTest, UpdateAndDeleteOneLine) {
    add(a, "A1");
    add(a, "A2");
    auto s = line(a, "O'Brien 정");
    s.RxdSn = "002";
    s.RxdPr = Currency::parse("1.2345");
    s.RecoardInsMode = 1;
    s.Update();
    ASSERT_TRUE(s.ChangeMode);
    EXPECT_EQ(drugsOf(a), (std::vector<std::string>{"001:A1", "002:O'Brien 정"}));
    s.RxdSn = "001";
    s.RecoardInsMode = 2;
    s.Update();
    EXPECT_EQ(drugsOf(a), std::vector<std::string>{"002:O'Brien 정"});
}

TEST_F(ClsSubTest, WritesThatWouldLeaveALineWithoutItsHeaderFail) {
    add(a, "A1");
    auto s = line(a, "A1");
    s.RxdSn = "007";
    s.RecoardInsMode = 1;
    s.Update();
    EXPECT_FALSE(s.ChangeMode);
    auto orphan = line("0000000099", "X");
    orphan.Update();
    EXPECT_FALSE(orphan.ChangeMode);
    EXPECT_EQ(cn->query("SELECT count(*) FROM Sub").field(0).toInt32(), 1);
    ASSERT_EQ(boxes.boxes.size(), 4u);
    EXPECT_EQ(boxes.boxes[0].text, "작업에 오류가 있어 저장할수 없습니다.");
    EXPECT_EQ(boxes.boxes[1].text.rfind("clsSub:Update 3021 ", 0), 0u) << boxes.boxes[1].text;
    EXPECT_EQ(boxes.boxes[3].text.rfind("clsSub:Update 3021 ", 0), 0u) << boxes.boxes[3].text;
    EXPECT_FALSE(cn->inTransaction());
}

TEST_F(ClsSubTest, APrescriptionHoldsAtMost999Lines) {
    cn->begin();
    for (int i = 1; i <= 998; ++i) {
        char sn[8];
        std::snprintf(sn, sizeof sn, "%03d", i);
        cn->execute("INSERT INTO Sub(vcPreCd, vcRxdSn, vcDrugCd) VALUES(?, ?, 'D')",
                    {Variant(a), Variant(sn)});
    }
    cn->commit();
    EXPECT_EQ(add(a, "LAST"), "999");
    auto s = line(a, "ONE MORE");
    s.Update();
    EXPECT_FALSE(s.ChangeMode);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text.rfind("clsSub:Update 6 ", 0), 0u) << boxes.boxes[1].text;
    // the line list still ends with the last line, in order
    auto drugs = drugsOf(a);
    ASSERT_EQ(drugs.size(), 999u);
    EXPECT_EQ(drugs.back(), "999:LAST");
}

TEST_F(ClsSubTest, RecordListLabelsCoverageAndRouteAndPricesTheLine) {
    struct Case {
        std::int16_t ins, tax;
        const char *insLabel, *taxLabel;
    } cases[] = {{1, 1, "급여", "내복"},   {2, 2, "비급여", "외용"}, {3, 3, "100/100", "주사"},
                 {4, 0, "50/100", ""},     {5, 4, "80/100", ""},     {6, 1, "30/100", "내복"},
                 {7, 1, "90/100", "내복"}, {0, 1, "", "내복"},       {8, 1, "", "내복"}};
    for (const auto& c : cases)
        add(a, "D", c.ins, c.tax);
    clsSub s(*cn);
    RecordSet rs;
    ASSERT_TRUE(s.RecordList(a, rs));
    EXPECT_TRUE(s.FindResult);
    EXPECT_EQ(rs.names(), (std::vector<std::string>{"vcRxdSn", "vcDrugCd", "vcDrugNm", "fQty", "iQtyCnt",
                                                    "iQtyDay", "InsSn", "TaxSn", "mRxdPr", "Pr"}));
    for (const auto& c : cases) {
        ASSERT_FALSE(rs.eof());
        EXPECT_EQ(rs.field("InsSn").toText(), c.insLabel);
        EXPECT_EQ(rs.field("TaxSn").toText(), c.taxLabel);
        EXPECT_EQ(rs.field("mRxdPr").toCurrency(), Currency::parse("12.5"));
        EXPECT_DOUBLE_EQ(rs.field("Pr").toDouble(), 1.5 * 3 * 2 * 12.5);
        rs.moveNext();
    }
    ASSERT_TRUE(s.RecordList(b, rs));
    EXPECT_FALSE(s.FindResult);
}

TEST_F(ClsSubTest, RecordSelectLoadsTheFirstLineOrClears) {
    add(a, "A1");
    add(a, "A2");
    clsSub s(*cn);
    s.PreCd = a;
    s.RecordSelect();
    ASSERT_TRUE(s.FindResult);
    EXPECT_EQ(s.RxdSn, "001");
    EXPECT_EQ(s.DrugNm, "약 A1");
    EXPECT_EQ(s.RxdPr, Currency::parse("12.5"));
    EXPECT_EQ(s.Qty, 1.5);
    EXPECT_EQ(s.QtyCnt, 3);
    EXPECT_EQ(s.QtyDay, 2);
    cn->execute("INSERT INTO Sub(vcPreCd, vcRxdSn) VALUES(?, '001')", {Variant(b)});
    s.PreCd = b;
    s.RecordSelect();
    EXPECT_TRUE(s.FindResult);
    EXPECT_EQ(s.DrugCd, "");
    EXPECT_EQ(s.Qty, 0.0);
    EXPECT_EQ(s.RxdInsSn, 0);
    s.PreCd = "0000000099";
    s.RecordSelect();
    EXPECT_FALSE(s.FindResult);
    EXPECT_EQ(s.PreCd, "");
    EXPECT_EQ(s.RxdSn, "");
}

TEST_F(ClsSubTest, ALineFailingInsideTheCallersTransactionLeavesTheRollbackToTheCaller) {
    cn->begin(true);
    clsMain m(*cn);
    m.csTrans_YN = true;
    m.Update();
    auto good = line(m.PreCd, "A1");
    good.csTrans_YN = true;
    good.Update();
    ASSERT_TRUE(good.ChangeMode);
    auto bad = line("0000000099", "X");
    bad.csTrans_YN = true;
    bad.Update();
    EXPECT_FALSE(bad.ChangeMode);
    EXPECT_TRUE(cn->inTransaction());
    cn->rollback();
    EXPECT_EQ(cn->query("SELECT count(*) FROM Main").field(0).toInt32(), 2);
    EXPECT_EQ(cn->query("SELECT count(*) FROM Sub").field(0).toInt32(), 0);
}

TEST_F(ClsSubTest, EveryTextColumnKeepsQuotesAndHangulExactly) {
    for (std::string v : {"O'Brien", "'); DROP TABLE Sub;--", "타이레놀 '이알' 서방정", "007"}) {
        SCOPED_TRACE(v);
        auto s = line(a, v);
        s.DrugNm = v + "명";
        s.RxdUsageCd = v + "코드";
        s.RxdUsageNm = v + "용법";
        s.RecoardInsMode = 3;
        s.Update();
        s.RecoardInsMode = 0;
        s.Update();
        ASSERT_TRUE(s.ChangeMode);
        clsSub back(*cn);
        back.PreCd = a;
        back.RecordSelect();
        EXPECT_EQ(back.DrugCd, v);
        EXPECT_EQ(back.DrugNm, v + "명");
        EXPECT_EQ(back.RxdUsageCd, v + "코드");
        EXPECT_EQ(back.RxdUsageNm, v + "용법");
    }
}

} // namespace
