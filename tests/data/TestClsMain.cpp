#include "data/LocalStore.h"
#include "data/clsMain.h"
#include "support/RecordingMessage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class ClsMainTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db"))); }

    clsMain header(const std::string& patient = "홍길동") {
        clsMain m(*cn);
        m.MatSn = 1;
        m.VerSn = "002";
        m.PreDt = "20240305";
        m.PreTm = "090507";
        m.MoneyPr = Currency::fromWon(3200);
        m.PatNm = patient;
        m.PatJumNo = "8001011234567";
        m.InsSn = 3;
        m.PubDtNo = "2024030500012";
        m.LimDt = 3;
        return m;
    }
    std::string insert(const std::string& patient = "홍길동") {
        auto m = header(patient);
        m.Update();
        EXPECT_TRUE(m.ChangeMode);
        return m.PreCd;
    }
    long count(const char* sql) { return cn->query(sql).field(0).toInt32(); }

    test::TempDir dir;
    std::unique_ptr<SqliteConnection> cn;
    test::RecordingMessage boxes;
};

TEST_F(ClsMainTest, NewPreCdCountsOnFromTheLargestKey) {
    clsMain m(*cn);
    EXPECT_EQ(m.NewPreCd(), "0000000001");
    cn->execute("INSERT INTO Main(vcPreCd) VALUES('0000000041')");
    EXPECT_EQ(m.NewPreCd(), "0000000042");
    cn->execute("INSERT INTO Main(vcPreCd) VALUES('9999999999')");
    try {
        m.NewPreCd();
        FAIL() << "past the last key";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), rterr::kOverflow);
    }
}

TEST_F(ClsMainTest, InsertAllocatesTheKeyAndLeavesItInPreCd) {
    EXPECT_EQ(insert(), "0000000001");
    auto m = header();
    m.PreCd = "0000000042"; // a caller's key is replaced by the next free one
    m.Update();
    EXPECT_EQ(m.PreCd, "0000000002");
    m.PreCd = "0000000000"; // the one literal kept as it is
    m.Update();
    EXPECT_EQ(m.PreCd, "0000000000");
    EXPECT_EQ(count("SELECT count(*) FROM Main"), 3);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ClsMainTest, EveryTextColumnKeepsQuotesAndHangulExactly) {
    std::vector<std::string clsMain::*> texts = {
        &clsMain::VerSn,      &clsMain::PreDt,       &clsMain::PreTm,     &clsMain::BonSn,
        &clsMain::UpDt,       &clsMain::HospCd,      &clsMain::HospNm,    &clsMain::HospAddr,
        &clsMain::HospTel,    &clsMain::HospFax,     &clsMain::HospEmail, &clsMain::HospBizNo,
        &clsMain::DocNm,      &clsMain::DocCd,       &clsMain::PatNm,     &clsMain::PatJumNo,
        &clsMain::PatCell,    &clsMain::InsNo,       &clsMain::InsCd,     &clsMain::InsNm,
        &clsMain::BohunNo,    &clsMain::PatManRelSn, &clsMain::PatManNm,  &clsMain::PatManJumNo,
        &clsMain::PatManAddr, &clsMain::PatManPost,  &clsMain::PatManTel, &clsMain::DisCd1,
        &clsMain::DisCd2,     &clsMain::PubDtNo,     &clsMain::IndDt,     &clsMain::SpeCd1,
        &clsMain::SpeCd2,     &clsMain::UsageMm,     &clsMain::Mm};
    const std::string values[] = {"O'Brien", "'); DROP TABLE Main;--", "서울시 강남구 '행복' 약국",
                                  "0001",    "  앞뒤 공백  ",          "줄\r\n바꿈"};
    for (const auto& v : values) {
        SCOPED_TRACE(v);
        clsMain m(*cn);
        for (std::size_t i = 0; i < texts.size(); ++i)
            m.*texts[i] = v + std::to_string(i);
        m.Update();
        ASSERT_TRUE(m.ChangeMode);
        clsMain back(*cn);
        back.PreCd = m.PreCd;
        back.RecordSelect();
        ASSERT_TRUE(back.FindResult);
        for (std::size_t i = 0; i < texts.size(); ++i)
            EXPECT_EQ(back.*texts[i], v + std::to_string(i)) << i;
        // stored as text, not as a number
        EXPECT_EQ(cn->query("SELECT typeof(vcPatNm) FROM Main WHERE vcPreCd=?", {Variant(m.PreCd)})
                      .field(0)
                      .toText(),
                  "text");
        // and an update writes them the same way
        for (std::size_t i = 0; i < texts.size(); ++i)
            back.*texts[i] = v + "/" + std::to_string(i);
        back.RecoardInsMode = 1;
        back.Update();
        ASSERT_TRUE(back.ChangeMode);
        back.RecordSelect();
        for (std::size_t i = 0; i < texts.size(); ++i)
            EXPECT_EQ(back.*texts[i], v + "/" + std::to_string(i));
    }
    EXPECT_EQ(count("SELECT count(*) FROM Main"), 6);
}

TEST_F(ClsMainTest, NumbersAndMoneyComeBackExactly) {
    auto m = header();
    m.MoneyPr = Currency::parse("1234.5678");
    m.InsSn = 24;
    m.LimDt = 30;
    m.Update();
    clsMain back(*cn);
    back.PreCd = m.PreCd;
    back.RecordSelect();
    EXPECT_EQ(back.MoneyPr, Currency::parse("1234.5678"));
    EXPECT_EQ(back.InsSn, 24);
    EXPECT_EQ(back.LimDt, 30);
    EXPECT_EQ(back.MatSn, 1);
}

TEST_F(ClsMainTest, NullColumnsReadAsEmptyTextAndZero) {
    cn->execute("INSERT INTO Main(vcPreCd) VALUES('0000000005')");
    auto m = header();
    m.PreCd = "0000000005";
    m.RecordSelect();
    EXPECT_TRUE(m.FindResult);
    EXPECT_EQ(m.PatNm, "");
    EXPECT_EQ(m.HospBizNo, "");
    EXPECT_EQ(m.PatCell, "");
    EXPECT_EQ(m.MoneyPr, Currency());
    EXPECT_EQ(m.InsSn, 0);
    EXPECT_EQ(m.LimDt, 0);
}

TEST_F(ClsMainTest, RecordSelectOfAMissingKeyClearsEverything) {
    auto m = header();
    m.PreCd = insert();
    m.RecordSelect();
    ASSERT_TRUE(m.FindResult);
    m.ChangeMode = true;
    m.PreCd = "0000000099";
    m.RecordSelect();
    EXPECT_FALSE(m.FindResult);
    EXPECT_FALSE(m.ChangeMode);
    EXPECT_EQ(m.PreCd, "");
    EXPECT_EQ(m.PatNm, "");
    EXPECT_EQ(m.PubDtNo, "");
    EXPECT_EQ(m.MatSn, 0);
    EXPECT_EQ(m.MoneyPr, Currency());
}

TEST_F(ClsMainTest, UpdateOfAKeyThatIsNotStoredFails) {
    insert();
    auto m = header("바뀐이름");
    m.PreCd = "0000000099";
    m.RecoardInsMode = 1;
    m.Update();
    EXPECT_FALSE(m.ChangeMode);
    EXPECT_FALSE(cn->inTransaction());
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "작업에 오류가 있어 저장할수 없습니다.");
    EXPECT_EQ(boxes.boxes[0].title, "오류");
    EXPECT_EQ(boxes.boxes[1].text, "clsMain:Update 3021 수정할 처방전(0000000099)이 저장되어 있지 않습니다.");
    EXPECT_EQ(boxes.boxes[1].title, "오류");
    EXPECT_EQ(count("SELECT count(*) FROM Main WHERE vcPatNm='바뀐이름'"), 0);
}

TEST_F(ClsMainTest, ModeTwoRemovesOnlyTheHeaderDeleteRemovesBoth) {
    std::string a = insert(), b = insert();
    for (const auto& k : {a, b})
        cn->execute("INSERT INTO Sub(vcPreCd, vcRxdSn) VALUES(?, '001'), (?, '002')",
                    {Variant(k), Variant(k)});
    clsMain m(*cn);
    m.PreCd = a;
    m.RecoardInsMode = 2;
    m.Update();
    EXPECT_TRUE(m.ChangeMode);
    EXPECT_EQ(count("SELECT count(*) FROM Main"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM Sub"), 4);
    m.Delete(b);
    EXPECT_TRUE(m.ChangeMode);
    EXPECT_EQ(count("SELECT count(*) FROM Main"), 0);
    EXPECT_EQ(count("SELECT count(*) FROM Sub"), 2);
}

TEST_F(ClsMainTest, AFailedDeleteKeepsLinesAndHeaderTogether) {
    std::string k = insert();
    cn->execute("INSERT INTO Sub(vcPreCd, vcRxdSn) VALUES(?, '001')", {Variant(k)});
    cn->execute("CREATE TRIGGER keep BEFORE DELETE ON Main BEGIN SELECT RAISE(ABORT, 'locked'); END");
    clsMain m(*cn);
    m.Delete(k);
    EXPECT_FALSE(m.ChangeMode);
    EXPECT_FALSE(cn->inTransaction());
    EXPECT_EQ(count("SELECT count(*) FROM Main"), 1);
    EXPECT_EQ(count("SELECT count(*) FROM Sub"), 1);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ClsMainTest, AFailureInsideTheCallersTransactionLeavesTheRollbackToTheCaller) {
    cn->begin(true);
    auto m = header();
    m.csTrans_YN = true;
    m.PreCd = "0000000000";
    m.Update();
    ASSERT_TRUE(m.ChangeMode);
    m.Update(); // the same key again
    EXPECT_FALSE(m.ChangeMode);
    EXPECT_TRUE(cn->inTransaction());
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text.rfind("clsMain:Update -2147221504 ", 0), 0u) << boxes.boxes[1].text;
    cn->rollback();
    EXPECT_EQ(count("SELECT count(*) FROM Main"), 0);
}

TEST_F(ClsMainTest, AWriterDoesNotRollBackATransactionItDidNotBegin) {
    cn->begin();
    cn->execute("INSERT INTO Main(vcPreCd) VALUES('0000000001')");
    auto m = header();
    m.Update(); // csTrans_YN left False by mistake: its begin fails
    EXPECT_FALSE(m.ChangeMode);
    ASSERT_TRUE(cn->inTransaction());
    cn->commit();
    EXPECT_EQ(count("SELECT count(*) FROM Main"), 1);
}

TEST_F(ClsMainTest, RecordListHasTheHistoryColumnsNewestFirst) {
    clsMain m(*cn);
    RecordSet rs;
    ASSERT_TRUE(m.RecordList(rs));
    EXPECT_FALSE(m.FindResult);
    EXPECT_TRUE(rs.eof());
    insert("가");
    insert("나");
    insert("다");
    ASSERT_TRUE(m.RecordList(rs));
    EXPECT_TRUE(m.FindResult);
    EXPECT_EQ(rs.names(), (std::vector<std::string>{"vcPreCd", "vcPreDt", "vcPreTm", "vcPatNm", "vcPatJumNo",
                                                    "vcHospCd", "vcHospNm", "vcPubDtNo", "mMoneyPr"}));
    std::vector<std::string> order;
    for (; !rs.eof(); rs.moveNext())
        order.push_back(rs.field("vcPatNm").toText());
    EXPECT_EQ(order, (std::vector<std::string>{"다", "나", "가"}));
    rs.moveFirst();
    EXPECT_EQ(rs.field("mMoneyPr").toCurrency(), Currency::fromWon(3200));
}

TEST_F(ClsMainTest, RecordListReportsAStoreItCannotRead) {
    cn->execute("DROP TABLE Main");
    clsMain m(*cn);
    RecordSet rs;
    EXPECT_FALSE(m.RecordList(rs));
    EXPECT_EQ(m.RecordListPaged(), nullptr);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "clsMain:RecordList -2147221504 no such table: Main");
    EXPECT_EQ(boxes.boxes[0].title, "오류");
}

} // namespace
