#include "data/LocalStore.h"
#include "data/PrescriptionRecord.h"
#include "data/clsMain.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "support/TempDir.h"
#include "util/Clock.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace pelmora;

namespace {

PrescriptionLine row(const char* code, const char* name, double qty, int cnt, int day, int cov, int route,
                     const char* price) {
    PrescriptionLine r;
    r.cell(1) = Variant(code);
    r.cell(2) = Variant(name);
    r.cell(3) = Variant(qty);
    r.cell(4) = Variant(std::int32_t{cnt});
    r.cell(5) = Variant(std::int32_t{day});
    r.cell(6) = Variant(qty * cnt * day);
    r.cell(7) = Variant(std::int32_t{cov});
    r.cell(8) = Variant(std::int32_t{route});
    r.cell(10) = Variant(Currency::parse(price));
    return r;
}

void cells(PrescriptionLine& r, double total, const char* unit, int pack, const char* maxPrice,
           const char* diff, const char* flag) {
    r.cell(6) = Variant(total);
    r.cell(9) = Variant(unit);
    r.cell(11) = Variant(r.cell(10).toCurrency().mul(total));
    r.cell(13) = Variant(std::int32_t{pack});
    r.cell(14) = Variant(Currency::parse(maxPrice));
    r.cell(15) = Variant(Currency::parse(diff));
    r.cell(16) = Variant(flag);
}

class PrescriptionRecordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Clock::freeze({2024, 3, 5, 10, 15, 0});
        ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
        fx.drug({.code = "641900010",
                 .name = "타이레놀정500mg(내복)",
                 .price = "55",
                 .unit = "1정",
                 .flag = "Y"})
            .drug({.code = "652100020", .name = "케토톱플라스타(외용)", .price = "300"})
            .drug({.code = "699900040", .name = "옛날약", .price = "10", .end = "20231231"})
            .pack("641900010");
    }
    void TearDown() override { Clock::unfreeze(); }

    PrescriptionRecord record() {
        PrescriptionRecord p;
        p.pvd조제일자 = "20240305";
        p.pvt조제시간 = "9:05:07";
        p.cmb본인부담여부 = 3;
        p.본인부담코드 = "M003";
        p.txt요양기관번호 = "12345678";
        p.txt요양기관명 = "한빛's 의원";
        p.txt의사명 = "김'의사";
        p.txt면허번호 = "54321";
        p.txt고객명 = "홍길동 O'Neil";
        p.txt주민번호 = "800101-1234567";
        p.cmb보험종류 = 1;
        p.txt상병기호1 = "J00";
        p.pvd발행일자 = "20240305";
        p.txt교부번호 = "00012";
        p.txt특정기호1 = "V193";
        p.pvn사용기간 = 3;
        p.받을금액 = Variant(Currency::parse("1200"));
        p.lines = {row("641900010", "타이레놀정500mg(내복)", 0.5, 3, 5, 0, 0, "50"), PrescriptionLine{},
                   row("652100020", "케토톱 \"쿨\"", 1, 1, 1, 1, 1, "280")};
        // The cells the drug routines wrote: a pack line rounded to 8, a
        // non-covered line from the non-covered lookup.
        cells(p.lines[0], 8, "1정", 1, "55", "21", "Y");
        cells(p.lines[2], 1, "매", 1, "0", "0", "마약");
        p.pricingStored = true;
        p.cmb시간외 = 4;
        p.cmb연령 = 2;
        p.chk자가투여주사 = p.chk비급여조제료 = true;
        p.lab특정기호1 = "10";
        return p;
    }
    PrescriptionRecord::SaveResult save(const PrescriptionRecord& p) { return p.Save(*cn); }
    std::vector<std::string> stored(const std::string& sql) {
        std::vector<std::string> v;
        for (auto rs = cn->query(sql); !rs.eof(); rs.moveNext()) {
            std::string line;
            for (int i = 0; i < rs.fieldCount(); ++i)
                line += (i ? "|" : "") + (rs.field(i).isNull() ? std::string("NULL") : rs.field(i).toText());
            v.push_back(line);
        }
        return v;
    }
    std::vector<std::string> lines() {
        return stored("select vcPreCd, vcRxdSn, vcDrugCd from Sub order by vcPreCd, vcRxdSn");
    }
    static std::vector<std::string> cellsOf(const PrescriptionRecord& p) {
        std::vector<std::string> v;
        for (const auto& l : p.lines) {
            std::string t;
            for (int c = 1; c <= PrescriptionLine::kCols; ++c)
                t += (c > 1 ? "|" : "") + l.cell(c).toText();
            v.push_back(t);
        }
        return v;
    }
    bool shown(const std::string& text) {
        for (const auto& t : boxes.texts())
            if (t == text) return true;
        return false;
    }

    test::TempDir dir;
    std::unique_ptr<SqliteConnection> cn;
    test::RefFixture fx;
    SqliteRefConnection ref{fx.db(0)};
    test::RecordingMessage boxes;
};

TEST(PrescriptionForms, TimeAndIssueNumber) {
    const std::pair<const char*, const char*> times[] = {
        {"9:05:07", "090507"}, {"09:05:07", "090507"}, {"23:59:59", "235959"}, {"0:00:00", "000000"}};
    for (auto [shown, kept] : times)
        EXPECT_EQ(PreTmFromTime(shown), kept) << shown;
    EXPECT_EQ(TimeFromPreTm("090507"), "09:05:07");
    EXPECT_EQ(TimeFromPreTm("90507"), "09:05:07");

    EXPECT_EQ(PubDtNoOf("2024-03-05", "00012"), "2024030500012");
    const struct {
        const char *stored, *date, *no;
    } issues[] = {{"2024030500012", "20240305", "00012"},
                  {"20240305", "20240305", ""},
                  {"2024030512", "20240305", "12"}};
    for (const auto& c : issues) {
        std::string date, no;
        SplitPubDtNo(c.stored, date, no);
        EXPECT_EQ(date, c.date) << c.stored;
        EXPECT_EQ(no, c.no) << c.stored;
    }
}

TEST_F(PrescriptionRecordTest, NewPrescriptionStoresTheFieldsAndLines001And002) {
    auto r = save(record());
    ASSERT_TRUE(r.saved);
    EXPECT_EQ(r.PreCd, "0000000001");
    EXPECT_EQ(
        stored("select vcPreCd, iMatSn, vcVerSn, vcPreDt, vcPreTm, mMoneyPr, vcBonSn, vcUpDt, vcPatJumNo,"
               " iInsSn, vcPubDtNo, iLimDt, vcHospAddr from Main"),
        std::vector<std::string>{
            "0000000001|1|002|20240305|090507|1200|M003|20240305101500|8001011234567|1|2024030500012|3|"});
    // The empty grid row is not stored; coverage and route are stored as index + 1.
    EXPECT_EQ(
        stored("select vcRxdSn, vcDrugCd, vcDrugNm, fQty, iQtyCnt, iQtyDay, iRxdInsSn, iRxdTaxSn, mRxdPr"
               " from Sub order by vcRxdSn"),
        (std::vector<std::string>{"001|641900010|타이레놀정500mg(내복)|0.5|3|5|1|1|50",
                                  "002|652100020|케토톱 \"쿨\"|1|1|1|2|2|280"}));

    auto next = record();
    next.cmb본인부담여부 = 0;
    next.본인부담코드 = "해당없음";
    next.lab조제코드 = "0000000000";
    EXPECT_EQ(save(next).PreCd, "0000000002");
    EXPECT_EQ(stored("select vcBonSn from Main where vcPreCd='0000000002'"), std::vector<std::string>{""});
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(PrescriptionRecordTest, SaveThenLoadGivesTheWindowBack) {
    const auto in = record();
    const auto code = save(in).PreCd;
    PrescriptionRecord out;
    ASSERT_EQ(out.Load(*cn, ref, code), PrescriptionRecord::LoadOutcome::Loaded);
    EXPECT_EQ(out.lab조제코드, code);
    EXPECT_EQ(out.pvt조제시간, "09:05:07");
    EXPECT_EQ(out.본인부담코드, "M003");
    for (auto field : {&PrescriptionRecord::pvd조제일자, &PrescriptionRecord::txt요양기관명,
                       &PrescriptionRecord::txt의사명, &PrescriptionRecord::txt고객명,
                       &PrescriptionRecord::pvd발행일자, &PrescriptionRecord::txt교부번호,
                       &PrescriptionRecord::txt특정기호1, &PrescriptionRecord::txt상병기호1})
        EXPECT_EQ(out.*field, in.*field);
    EXPECT_EQ(out.txt주민번호, "8001011234567");
    EXPECT_EQ(out.cmb보험종류, 1);
    EXPECT_EQ(out.pvn사용기간, 3);

    // Every cell as it was priced: the non-covered line keeps the unit, pack
    // and narcotics flags of its own lookup and no maximum price.
    EXPECT_EQ(cellsOf(out),
              (std::vector<std::string>{
                  "641900010|타이레놀정500mg(내복)|0.5|3|5|8|0|0|1정|50|400|타이레놀정500mg(내복)|1|55|21|Y",
                  "652100020|케토톱 \"쿨\"|1|1|1|1|1|1|매|280|280|케토톱 \"쿨\"|1|0|0|마약"}));
    EXPECT_TRUE(out.pricingStored);
    EXPECT_EQ(std::tuple(out.cmb시간외, out.cmb연령, out.chk자가투여주사, out.chk비급여조제료,
                         out.lab특정기호1, out.lab특정기호2),
              std::tuple(4, 2, true, true, std::string("10"), std::string()));

    // Saved before the cells were kept: derived from today's price list as
    // they always were (covered: today's maximum price; not covered: the
    // stored price), and the window derives the pricing choices.
    cn->execute("update Sub set fQtyTot=NULL, vcDrugUnit=NULL, iDrugPac=NULL, mDrugMaxPr=NULL,"
                " mPriceDiff=NULL, vcDrugRnd=NULL");
    cn->execute("update Main set iTimeSn=NULL, iAgeSn=NULL, iSelfInj=NULL, iNoBiboFee=NULL,"
                " vcSpeRate1=NULL, vcSpeRate2=NULL");
    ASSERT_EQ(out.Load(*cn, ref, code), PrescriptionRecord::LoadOutcome::Loaded);
    EXPECT_FALSE(out.pricingStored);
    EXPECT_EQ(cellsOf(out),
              (std::vector<std::string>{
                  "641900010|타이레놀정500mg(내복)|0.5|3|5|7.5|0|0|1정|50|375|타이레놀정500mg(내복)|1|55|0|Y",
                  "652100020|케토톱 \"쿨\"|1|1|1|1|1|1|1정|280|280|케토톱 \"쿨\"|0|280|0|"}));

    // Saved again unchanged, it stores the same lines.
    ASSERT_TRUE(out.Save(*cn).saved);
    EXPECT_EQ(lines(), (std::vector<std::string>{code + "|001|641900010", code + "|002|652100020"}));
}

TEST_F(PrescriptionRecordTest, SavingALoadedPrescriptionReplacesItsLines) {
    const auto code = save(record()).PreCd;
    save(record());
    PrescriptionRecord p;
    ASSERT_EQ(p.Load(*cn, ref, code), PrescriptionRecord::LoadOutcome::Loaded);
    p.lines.erase(p.lines.begin());
    p.lines.push_back(row("699900040", "옛날약", 2, 1, 1, 0, 0, "10"));
    p.txt고객명 = "이몽룡";
    auto r = p.Save(*cn);
    ASSERT_TRUE(r.saved);
    EXPECT_EQ(r.PreCd, code);
    EXPECT_EQ(stored("select vcPreCd, vcPatNm from Main order by vcPreCd"),
              (std::vector<std::string>{code + "|이몽룡", "0000000002|홍길동 O'Neil"}));
    EXPECT_EQ(lines(), (std::vector<std::string>{code + "|001|652100020", code + "|002|699900040",
                                                 "0000000002|001|641900010", "0000000002|002|652100020"}));
}

TEST_F(PrescriptionRecordTest, ADrugThatLeftThePriceListLoadsForEntryAgain) {
    auto p = record();
    p.lines = {row("699900040", "옛날약", 2, 3, 4, 0, 0, "10")};
    const auto code = save(p).PreCd;
    PrescriptionRecord out;
    ASSERT_EQ(out.Load(*cn, ref, code), PrescriptionRecord::LoadOutcome::Loaded);
    EXPECT_EQ(cellsOf(out),
              std::vector<std::string>{"699900040|직접입력하세요|2|3|4|24|1|1||0|0|직접입력하세요|0|0|0|"});

    EXPECT_EQ(out.Load(*cn, ref, "0000000009"), PrescriptionRecord::LoadOutcome::NotFound);
    EXPECT_TRUE(out.lines.empty());
    EXPECT_TRUE(out.txt고객명.empty());
}

// ---- a save is whole or not at all ----

TEST_F(PrescriptionRecordTest, AFailingLineLeavesTheStoreAsItWas) {
    const auto code = save(record());
    cn->executeScript("CREATE TRIGGER failLine BEFORE INSERT ON Sub WHEN NEW.vcDrugCd = 'BAD'"
                      " BEGIN SELECT RAISE(ABORT, 'line refused'); END");
    const auto before = stored("select * from Main");
    const auto linesBefore = lines();

    auto fresh = record();
    fresh.lines.push_back(row("BAD", "나쁜약", 1, 1, 1, 0, 0, "1"));
    auto loaded = fresh;
    loaded.lab조제코드 = code.PreCd;
    loaded.txt고객명 = "바뀐이름";
    for (const auto& p : {fresh, loaded}) {
        boxes.boxes.clear();
        auto r = save(p);
        EXPECT_FALSE(r.saved);
        EXPECT_EQ(r.failure, PrescriptionRecord::SaveFailure::Line);
        EXPECT_TRUE(shown("약품을 저장하다 오류가 발생하였습니다."));
        EXPECT_TRUE(shown("처방전 저장에 실패하였습니다."));
        EXPECT_EQ(stored("select * from Main"), before);
        EXPECT_EQ(lines(), linesBefore);
        EXPECT_FALSE(cn->inTransaction());
    }
}

TEST_F(PrescriptionRecordTest, NothingIsStoredWithoutADrugCodeOrWithACellThatIsNoNumber) {
    auto empty = record();
    empty.lines = {PrescriptionLine{}};
    auto r = save(empty);
    EXPECT_EQ(r.failure, PrescriptionRecord::SaveFailure::NoLines);
    EXPECT_TRUE(shown("처방전 저장에 실패하였습니다."));

    auto bad = record();
    bad.lines[2].cell(4) = Variant("세번");
    EXPECT_EQ(save(bad).failure, PrescriptionRecord::SaveFailure::Line);
    EXPECT_TRUE(stored("select vcPreCd from Main").empty());
    EXPECT_TRUE(lines().empty());
}

TEST_F(PrescriptionRecordTest, AReadOnlyStoreRefusesTheWholeSave) {
    const auto before = save(record()).PreCd;
    cn.reset();
    cn = SqliteConnection::open(dir.file("Pelmo.db"), SqliteConnection::OpenMode::ReadOnly);
    auto r = save(record());
    EXPECT_FALSE(r.saved);
    EXPECT_EQ(r.failure, PrescriptionRecord::SaveFailure::Header);
    EXPECT_TRUE(shown("처방전 저장에 실패하였습니다."));
    EXPECT_EQ(stored("select vcPreCd from Main"), std::vector<std::string>{before});
    EXPECT_EQ(lines().size(), 2u);
}

TEST_F(PrescriptionRecordTest, ALoadedPrescriptionDeletedMeanwhileIsSavedAsANewOne) {
    const auto first = save(record()).PreCd;
    save(record());
    PrescriptionRecord p;
    ASSERT_EQ(p.Load(*cn, ref, first), PrescriptionRecord::LoadOutcome::Loaded);
    clsMain(*cn).Delete(first);

    auto r = p.Save(*cn);
    ASSERT_TRUE(r.saved);
    EXPECT_EQ(r.PreCd, "0000000003");
    EXPECT_TRUE(stored("select vcPreCd from Sub where vcPreCd='" + first + "'").empty());
    EXPECT_EQ(stored("select count(*) from Sub where vcPreCd='0000000003'"), std::vector<std::string>{"2"});
    EXPECT_TRUE(boxes.boxes.empty());
}

} // namespace
