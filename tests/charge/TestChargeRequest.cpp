// The charge request as the main window builds it: the header field by field,
// the drug lines line by line, the guards, and the twin-code price difference.

#include "charge/ChargeRequest.h"
#include "data/RefConnection.h"
#include "data/clsYakGa.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "util/RuntimeError.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace pelmora;

namespace {

struct RowText {
    std::string code, qty = "1", times = "3", days = "3", total = "9", coverage = "급여", route = "내복",
                      price = "100", pack = "0", upper = "100", over = "0", flag = "";
};

ChargeRow row(const RowText& t) {
    ChargeRow r;
    r.col(1) = t.code;
    r.col(2) = t.code.empty() ? "" : "약품 " + t.code;
    r.col(3) = t.qty;
    r.col(4) = t.times;
    r.col(5) = t.days;
    r.col(6) = t.total;
    r.col(7) = "0";
    r.col(8) = "0";
    r.col(10) = t.price;
    r.col(13) = t.pack;
    r.col(14) = t.upper;
    r.col(15) = t.over;
    r.col(16) = t.flag;
    r.보험구분 = t.coverage;
    r.복용구분 = t.route;
    return r;
}

ChargeRow emptyRow() {
    ChargeRow r;
    for (auto& c : r.cell)
        c = "";
    return r;
}

ChargeInput prescription() {
    ChargeInput in;
    in.cmb보험종류 = 1;
    in.txt요양기관번호 = "11100013";
    in.cmb본인부담여부 = "해당없음";
    in.pvd조제일자 = "20240315";
    in.pvt조제시간 = "103000";
    in.sp처방 = {row({.code = "642100010"})};
    return in;
}

// A lookup that must never be asked for: no row of these requests has a listed code.
NewDrugLookup noLookup() {
    return []() -> clsYakGa& { throw std::logic_error("unexpected twin lookup"); };
}

std::vector<std::string> fields(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == '#') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    return out;
}

std::string headerField(const ChargeInput& in, std::size_t index) {
    return fields(BuildChargeRequest(in, noLookup()).sPara1).at(index);
}

} // namespace

TEST(ChargeRequest, TypedPrescriptionAsText) {
    ChargeInput in = prescription();
    in.cmb연령 = 2;
    in.cmb시간외 = 1;
    in.cmb보험종류 = 3;
    in.lab특정기호1 = "20";
    in.txt특정기호1 = "F008";
    in.chk자가투여주사 = true;
    in.sp처방 = {row({"642100010", "1", "3", "7", "21", "급여", "내복", "1234", "1", "1234", "0", ""}),
                 row({"A12300451", "7.5", "1", "1", "7.5", "100/100", "외용", "35", "1", "40", "5", "마약"}),
                 emptyRow()};
    const ChargeRequest rq = BuildChargeRequest(in, noLookup());
    ASSERT_TRUE(rq.run);
    EXPECT_EQ(rq.sPara1, "3#2#3#20#1#1#1#2#20240315#1#2#1#1#$");
    EXPECT_EQ(rq.sPara2, "642100010#1#3#7#급여#내복#1234#0#1#21#1234#0#$"
                         "A12300451#7.5#1#1#100/100#외용#35#0#1#7.5#40#5#$"
                         "#######0#####$");
    EXPECT_FALSE(rq.set시간외야간);
}

TEST(ChargeRequest, Guards) {
    ChargeInput loading = prescription();
    loading.bLoading = true;
    EXPECT_FALSE(BuildChargeRequest(loading, noLookup()).run);

    ChargeInput none = prescription();
    none.sp처방.clear();
    EXPECT_FALSE(BuildChargeRequest(none, noLookup()).run);

    ChargeInput oneEmpty = prescription();
    oneEmpty.sp처방 = {emptyRow()};
    EXPECT_FALSE(BuildChargeRequest(oneEmpty, noLookup()).run);
    oneEmpty.sp처방.front().col(1) = "  ";
    EXPECT_FALSE(BuildChargeRequest(oneEmpty, noLookup()).run);

    // Two rows without codes are priced: every row goes out, and no
    // non-empty row stands against the pack flag.
    ChargeInput twoEmpty = prescription();
    twoEmpty.sp처방 = {emptyRow(), emptyRow()};
    const ChargeRequest rq = BuildChargeRequest(twoEmpty, noLookup());
    ASSERT_TRUE(rq.run);
    EXPECT_EQ(rq.sPara2, "#######0#####$#######0#####$");
    EXPECT_EQ(fields(rq.sPara1).at(9), "1");
}

TEST(ChargeRequest, LateNightIsForSmallChildrenOnly) {
    struct Case {
        int age, time;
        std::string field;
        bool toNight;
    } cases[] = {{0, 3, "2", true},  {2, 3, "2", true},  {1, 3, "4", false}, {0, 0, "1", false},
                 {0, 2, "3", false}, {1, 4, "5", false}, {2, 1, "2", false}};
    for (const auto& c : cases) {
        ChargeInput in = prescription();
        in.cmb연령 = c.age;
        in.cmb시간외 = c.time;
        const ChargeRequest rq = BuildChargeRequest(in, noLookup());
        EXPECT_EQ(fields(rq.sPara1).at(0), std::to_string(c.age + 1));
        EXPECT_EQ(fields(rq.sPara1).at(1), c.field) << c.age << "/" << c.time;
        EXPECT_EQ(rq.set시간외야간, c.toNight) << c.age << "/" << c.time;
    }
}

TEST(ChargeRequest, SpecialCodeRateThirtyGivesWay) {
    struct Case {
        std::string cap1, cap2, field, tag1, tag2;
    } cases[] = {{"30", "50", "50", "30", "50"}, {"50", "30", "50", "50", "30"},
                 {"20", "50", "20", "20", "50"}, {"50", "20", "20", "50", "20"},
                 {"", "", "30", "", ""},         {"", "10", "10", "30", "10"},
                 {"10", "", "10", "10", "30"},   {"50", "", "50", "50", "30"},
                 {"30", "30", "30", "30", "30"}, {"0", "30", "0", "0", "30"}};
    for (const auto& c : cases) {
        ChargeInput in = prescription();
        in.lab특정기호1 = c.cap1;
        in.lab특정기호2 = c.cap2;
        const ChargeRequest rq = BuildChargeRequest(in, noLookup());
        EXPECT_EQ(fields(rq.sPara1).at(3), c.field) << c.cap1 << "/" << c.cap2;
        EXPECT_EQ(rq.tagsWritten, !(c.cap1.empty() && c.cap2.empty()));
        EXPECT_EQ(rq.lab특정기호1Tag, c.tag1);
        EXPECT_EQ(rq.lab특정기호2Tag, c.tag2);
    }
}

TEST(ChargeRequest, HeaderFlags) {
    struct Case {
        const char* what;
        std::function<void(ChargeInput&)> set;
        std::size_t index;
        std::string expected;
    } cases[] = {
        {"insurance class unchanged", [](ChargeInput& i) { i.cmb보험종류 = 24; }, 2, "24"},
        {"no insurance class", [](ChargeInput& i) { i.cmb보험종류 = 0; }, 2, "0"},
        {"no fees for non-covered", [](ChargeInput& i) { i.chk비급여조제료 = true; }, 4, "2"},
        {"fees for non-covered", [](ChargeInput&) {}, 4, "1"},
        {"public health", [](ChargeInput& i) { i.txt요양기관번호 = "41700123"; }, 5, "2"},
        {"7 elsewhere", [](ChargeInput& i) { i.txt요양기관번호 = "71170123"; }, 5, "1"},
        {"short number", [](ChargeInput& i) { i.txt요양기관번호 = "17"; }, 5, "1"},
        {"M code", [](ChargeInput& i) { i.cmb본인부담여부 = "M001"; }, 6, "2"},
        {"B code", [](ChargeInput& i) { i.cmb본인부담여부 = "B099"; }, 6, "1"},
        {"no code", [](ChargeInput&) {}, 6, "1"},
        {"date", [](ChargeInput& i) { i.pvd조제일자 = "20231231"; }, 8, "20231231"},
        {"variant codes never", [](ChargeInput&) {}, 10, "2"},
        {"self injection", [](ChargeInput& i) { i.chk자가투여주사 = true; }, 12, "1"},
        {"no self injection", [](ChargeInput&) {}, 12, "2"},
    };
    for (const auto& c : cases) {
        ChargeInput in = prescription();
        c.set(in);
        EXPECT_EQ(headerField(in, c.index), c.expected) << c.what;
    }
    EXPECT_EQ(fields(BuildChargeRequest(prescription(), noLookup()).sPara1).size(), 13u);
}

TEST(ChargeRequest, SupportFundSpecialCode) {
    struct Case {
        std::string code1, code2, field;
    } cases[] = {{"V206", "", "1"},    {"v231", "", "1"}, {"", "V246", "1"}, {" v206 ", "", "1"},
                 {"206v", "", "1"},    {"6V23", "", "1"}, {"1v24", "", "1"}, {"v20", "", "2"},
                 {"v206v", "", "2"},   {"x206", "", "2"}, {"", "", "2"},     {"F008", "V193", "2"},
                 {"F008", "v231", "1"}};
    for (const auto& c : cases) {
        ChargeInput in = prescription();
        in.txt특정기호1 = c.code1;
        in.txt특정기호2 = c.code2;
        EXPECT_EQ(headerField(in, 7), c.field) << "'" << c.code1 << "' '" << c.code2 << "'";
    }
}

TEST(ChargeRequest, PackAndNarcoticFlagsLookAtCodedRowsOnly) {
    ChargeInput in = prescription();
    in.sp처방 = {row({.code = "A1", .pack = "1"}), row({.code = "A2", .pack = "1"}), emptyRow()};
    in.sp처방[2].col(13) = "0";
    in.sp처방[2].col(16) = "마약";
    EXPECT_EQ(headerField(in, 9), "1");
    EXPECT_EQ(headerField(in, 11), "0");

    in.sp처방[1].col(13) = "0";
    in.sp처방[1].col(16) = "마약류";
    EXPECT_EQ(headerField(in, 9), "0");
    EXPECT_EQ(headerField(in, 11), "1");

    in.sp처방[1].col(13) = "";
    in.sp처방[1].col(16) = "향정";
    EXPECT_EQ(headerField(in, 9), "0");
    EXPECT_EQ(headerField(in, 11), "0");
}

TEST(ChargeRequest, RateThatIsNoNumberStopsTheRun) {
    ChargeInput in = prescription();
    in.lab특정기호1 = "면제";
    try {
        BuildChargeRequest(in, noLookup());
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), rterr::kTypeMismatch);
        EXPECT_EQ(ChargeErrorText(e), e.description());
    }
}

class TwinPrice : public ::testing::Test {
  protected:
    test::RefFixture fx;
    SqliteRefConnection cn{fx.db(0)};
    test::RecordingMessage box;

    std::string twinField(const ChargeInput& in, std::size_t line) {
        const std::string body = BuildChargeRequest(in, cn).sPara2;
        return fields(body).at(line * 12 + 7);
    }
};

TEST_F(TwinPrice, DifferenceToTheTwinOnTheDispensingDate) {
    fx.drug({.code = "640005780", .name = "쌍둥이정", .price = "480", .end = "20231231"});
    fx.drug({.code = "640005780", .name = "쌍둥이정", .price = "500", .start = "20240101"});
    ChargeInput in = prescription();
    in.sp처방 = {row({.code = "64000578J", .price = "450"}), row({.code = "64000578j", .price = "520"}),
                 row({.code = "64000579J", .price = "450"}), row({.code = "642100010", .price = "450"}),
                 row({.code = "64000578J", .price = ""})};
    EXPECT_EQ(twinField(in, 0), "50");
    EXPECT_EQ(twinField(in, 1), "-20");
    EXPECT_EQ(twinField(in, 2), "0"); // a "J" code not in the table, after a listed one
    EXPECT_EQ(twinField(in, 3), "0");
    EXPECT_EQ(twinField(in, 4), "500");

    in.pvd조제일자 = "20230601";
    EXPECT_EQ(twinField(in, 0), "30");
    EXPECT_TRUE(box.boxes.empty());
}

TEST_F(TwinPrice, NoTwinOnTheDateGivesZero) {
    fx.drug({.code = "640005780", .price = "500", .start = "20250101"});
    fx.drug({.code = "661700580", .price = "500", .end = "20231231"});
    ChargeInput in = prescription();
    in.sp처방 = {row({.code = "64000578J", .price = "450"}), row({.code = "66170058J", .price = "450"}),
                 row({.code = "66890002J", .price = "450"})};
    for (std::size_t line = 0; line < 3; ++line)
        EXPECT_EQ(twinField(in, line), "0") << line;
}

TEST_F(TwinPrice, EveryListedRowGetsAFreshLookup) {
    fx.drug({.code = "640005780", .price = "500"});
    std::vector<std::unique_ptr<clsYakGa>> made;
    const NewDrugLookup renew = [&]() -> clsYakGa& {
        return *made.emplace_back(std::make_unique<clsYakGa>(cn));
    };
    ChargeInput in = prescription();
    in.sp처방 = {row({.code = "64000578J", .price = "450"}), row({.code = "642100010"}),
                 row({.code = "66890002J", .price = "450"})};
    const ChargeRequest rq = BuildChargeRequest(in, renew);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_TRUE(made[0]->FindResult);
    EXPECT_EQ(made[0]->Mode, 1);
    EXPECT_EQ(made[1]->vcYakCd, ""); // not found: the lookup cleared its row
    EXPECT_FALSE(made[1]->FindResult);
    EXPECT_EQ(fields(rq.sPara2).at(7), "50");
    EXPECT_EQ(fields(rq.sPara2).at(31), "0");
}

TEST_F(TwinPrice, PriceThatIsNoNumberStopsTheRun) {
    fx.drug({.code = "640005780", .price = "500"});
    ChargeInput in = prescription();
    in.sp처방 = {row({.code = "64000578J", .price = "abc"})};
    EXPECT_THROW(BuildChargeRequest(in, cn), RuntimeError);
}
