// Reading the request and pricing the fees: what a request may look like and
// what the engine makes of its lines.

#include "ChargeFixture.h"

#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::test;

namespace {

class Request : public testing::Test {
  protected:
    RecordingMessage box;
    FeeTable fees{standardFees()};
    Header header;

    clsAccount run(const std::string& body) { return price(header.text(), body, fees.cn()); }
};

TEST_F(Request, EmptyGridLinesGiveNoFeesAndNoDrugs) {
    const std::string empty = "############$";
    clsAccount a = run(empty + empty + empty);
    EXPECT_TRUE(box.boxes.empty());
    EXPECT_EQ(a.보험_약국관리료_코드, "");
    EXPECT_EQ(a.보험_약품관리료_코드, "");
    EXPECT_EQ(a.보험_조제료전체_단가, Currency());
    EXPECT_EQ(a.비보_전체_약가, Currency());
    EXPECT_EQ(a.결과_받을금액, Currency());
    EXPECT_EQ(a.진료비실태상세계산유형, "정률");
}

TEST_F(Request, ShortHeaderIsIgnored) {
    clsAccount a = price("1#1#1#30#1#1#1#2#20180301#0#$", lines({Line{}}), fees.cn());
    EXPECT_TRUE(box.boxes.empty());
    // Class 0 with no date: the drugs are counted, no share is set.
    EXPECT_EQ(a.보험_전체_약가, won(900));
    EXPECT_EQ(a.진료비실태상세계산유형, "");
    EXPECT_EQ(a.결과_본인부담, Currency());
}

struct Failing {
    const char* what;
    std::string header;
    std::string lines;
    std::string message;
};

class FailingRequest : public testing::TestWithParam<Failing> {};

TEST_P(FailingRequest, ReportsAndLeavesTheResultsAtTheirStart) {
    RecordingMessage box;
    FeeTable fees{standardFees()};
    const auto& c = GetParam();
    clsAccount a = price(c.header, c.lines, fees.cn());
    ASSERT_EQ(box.boxes.size(), 1u) << c.what;
    EXPECT_EQ(box.boxes[0].text, c.message);
    EXPECT_EQ(box.boxes[0].title, "오류");
    EXPECT_EQ(a.보험_전체_약가, Currency());
    EXPECT_EQ(a.보험_약국관리료_코드, "");
    EXPECT_EQ(a.결과_받을금액, Currency());
    EXPECT_EQ(a.보험_투약_일수, 0);
}

Header withField(void (*f)(Header&)) {
    Header h;
    f(h);
    return h;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailingRequest,
    testing::Values(Failing{"twelve header pieces", "1#1#1#30#1#1#1#2#20180301#0#2#0", lines({Line{}}),
                            "clsAcount:SubAcount 9 아래 첨자 사용이 잘못되었습니다."},
                    Failing{"Hangul age class", withField([](Header& h) { h.age = "일"; }).text(),
                            lines({Line{}}), "clsAcount:SubAcount 13 형식이 일치하지 않습니다."},
                    Failing{"letters in the rate", withField([](Header& h) { h.rate = "30%"; }).text(),
                            lines({Line{}}), "clsAcount:SubAcount 13 형식이 일치하지 않습니다."},
                    Failing{"class beyond 16 bits", withField([](Header& h) { h.insClass = "40000"; }).text(),
                            lines({Line{}}), "clsAcount:SubAcount 6 오버플로"},
                    Failing{"days beyond 16 bits", Header{}.text(), lines({Line{.days = "32768"}}),
                            "clsAcount:SubAcount 6 오버플로"},
                    Failing{"letters in a price", Header{}.text(), lines({Line{.price = "12a"}}),
                            "clsAcount:SubAcount 13 형식이 일치하지 않습니다."},
                    Failing{"letters in the difference of a non-covered line", Header{}.text(),
                            lines({Line{.coverage = "비급여", .diff = "x"}}),
                            "clsAcount:SubAcount 13 형식이 일치하지 않습니다."},
                    Failing{"a line amount beyond 32 bits", Header{}.text(),
                            lines({Line{.price = "100000", .quantity = "30000"}}),
                            "clsAcount:SubAcount 6 오버플로"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(Request, SixteenBitFieldsRoundHalfToEven) {
    EXPECT_EQ(run(lines({Line{.days = "2.5"}})).보험_투약_일수, 2);
    EXPECT_EQ(run(lines({Line{.days = "3.5"}})).보험_투약_일수, 4);
    EXPECT_EQ(run(lines({Line{.days = " 7 "}})).보험_투약_일수, 7);
}

TEST_F(Request, PackUnitLineCountsOneDayAndIsNotReadForDays) {
    clsAccount a = run(lines({Line{.days = "days?", .pack = "1"}}));
    EXPECT_TRUE(box.boxes.empty());
    EXPECT_EQ(a.보험_투약_일수, 1);
    header.date = "20110630";
    EXPECT_EQ(run(lines({Line{.days = "5", .pack = "1"}})).보험_투약_일수, 5);
}

TEST_F(Request, LineAmountsRoundHalfToEvenToWholeWon) {
    EXPECT_EQ(run(lines({Line{.price = "0.5", .quantity = "5"}})).보험_내복_약가, won(2));
    EXPECT_EQ(run(lines({Line{.price = "0.5", .quantity = "7"}})).보험_내복_약가, won(4));
    EXPECT_EQ(run(lines({Line{.price = "1,000", .quantity = "1.5"}})).보험_내복_약가, won(1500));
}

TEST_F(Request, DrugTotalsByCoverageAndRoute) {
    clsAccount a = run(lines({Line{.route = "외용", .price = "10", .quantity = "1"},
                              Line{.coverage = "100/100", .route = "주사", .price = "20", .quantity = "1"},
                              Line{.coverage = "비급여", .route = "내복", .price = "30", .quantity = "1"},
                              Line{.coverage = "30/100", .route = "외용", .price = "40", .quantity = "1"},
                              Line{.coverage = "기타", .price = "50", .diff = "3", .quantity = "1"},
                              Line{.coverage = "급여", .route = "", .price = "60", .quantity = "1"}}));
    EXPECT_EQ(a.보험_외용_약가, won(10));
    EXPECT_EQ(a.보험_전체_약가, won(10));
    EXPECT_EQ(a.백백_주사_약가, won(20));
    EXPECT_EQ(a.비보_내복_약가, won(30));
    EXPECT_EQ(a.백D3_외용_약가, won(40));
    // The difference of a "J" code is billed whatever the line's coverage text.
    EXPECT_EQ(a.비보_예외_약가, won(3));
    EXPECT_EQ(a.비보_전체_약가, won(33));
}

TEST_F(Request, PartialCopayInternalLineRaisesDaysButIsNoInternalLine) {
    clsAccount a = run(lines({Line{.days = "5", .coverage = "50/100"}}));
    EXPECT_EQ(a.보험_투약_일수, 5);
    EXPECT_EQ(a.보험_내복조제료_코드, ""); // no line for the fees: everything is cleared
    // With an external line beside it, the internal fee is priced from its days.
    a = run(lines({Line{.days = "3", .coverage = "50/100"}, Line{.route = "외용"}}));
    EXPECT_EQ(a.보험_내복조제료_코드, "Z4103");
    EXPECT_EQ(a.보험_외용조제료_코드, "Z4120");
}

TEST_F(Request, LinesWithoutDollarOrShortRecordsAreNotLines) {
    EXPECT_EQ(run("A#1#3#3#급여#내복#100#0#0#9#x#y#").보험_전체_약가, Currency());
    EXPECT_EQ(run("A#1#3#3#급여#내복#100#0#0#9#x#$").보험_전체_약가, Currency());
    // The piece after the last "$" is a record like any other.
    EXPECT_EQ(run("$A#1#3#3#급여#내복#100#0#0#9#x#y#").보험_전체_약가, won(900));
}

TEST_F(Request, SameRequestTwiceGivesTheSameResult) {
    const std::string body = lines({Line{}, Line{.route = "외용"}});
    clsAccount a = run(body), b = run(body);
    for (Currency clsAccount::*m :
         {&clsAccount::결과_받을금액, &clsAccount::결과_보험청구액, &clsAccount::보험_조제료전체_단가})
        EXPECT_EQ(a.*m, b.*m);
}

TEST_F(Request, CountersOverflowPastSixteenBits) {
    std::string body;
    const std::string line = "#1#3#1#급여#주사#0#0#0#0#x#y#$";
    for (int i = 0; i < 32768; ++i)
        body += line;
    clsAccount a = run(body);
    ASSERT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(box.boxes[0].text, "clsAcount:SubAcount 6 오버플로");
}

} // namespace

namespace {

// Hostile requests end in a result or the error path, nothing else.
TEST(HostileRequest, GivesAResultOrTheErrorPath) {
    FeeTable fees(standardFees());
    const std::string mb(1 << 20, '7');
    const std::vector<std::pair<std::string, std::string>> requests = {
        {"", ""},
        {std::string(5000, '#'), std::string(5000, '#') + "$"},
        {mb, mb},
        {"1#1#1#30#1#1#1#2#20180301#0#2#0#2#$", std::string("\x00\xff\xfe#\x01$", 6)},
        {"1#1#1#1e308#1#1#1#2#20180301#0#2#0#2#$", "A#1#3#99999999999#급여#내복#1#0#0#1#x#y#$"},
        {"1#1#1#30#1#1#1#2#20180301#0#2#0#2#$",
         "A#1#3#3#급여#내복#922337203685477#0#0#922337203685477#x#y#$"}};
    for (const auto& [h, l] : requests) {
        RecordingMessage box;
        price(h, l, fees.cn());
        EXPECT_LE(box.boxes.size(), 1u) << h.substr(0, 40);
    }
}

} // namespace
