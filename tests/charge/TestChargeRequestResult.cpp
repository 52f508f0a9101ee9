// One typed prescription from the window's values to the result grids: the
// request goes to the engine, and every cell written matches its figure.

#include "ChargeFixture.h"
#include "charge/ChargeRequest.h"
#include "charge/ChargeResultCells.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>

using namespace pelmora;
using pelmora::test::won;

namespace {

ChargeRow line(const std::string& code, const std::string& coverage, const std::string& route,
               const std::string& price) {
    ChargeRow r;
    const char* cells[16] = {"", "약품", "1", "3", "3", "9", "0", "0", "정", "", "", "", "0", "", "0", ""};
    for (int c = 1; c <= 16; ++c)
        r.col(c) = cells[c - 1];
    r.col(1) = code;
    r.col(10) = price;
    r.col(14) = price;
    r.보험구분 = coverage;
    r.복용구분 = route;
    return r;
}

using Cells = std::map<std::pair<int, int>, Variant>;

Cells byPlace(const ResultGrid& g) {
    Cells m;
    for (const auto& c : g.cells)
        EXPECT_TRUE(m.emplace(std::pair{c.row, c.col}, c.value).second) << c.row << "," << c.col;
    return m;
}

} // namespace

class ResultCells : public ::testing::Test {
  protected:
    test::FeeTable fees{test::standardFees()};
    test::RecordingMessage box;
    clsAccount a;
    ChargeResultCells cells;

    void SetUp() override {
        ChargeInput in;
        in.cmb보험종류 = 1;
        in.cmb시간외 = 4; // Saturday morning, so the surcharge row has figures
        in.txt요양기관번호 = "11100013";
        in.cmb본인부담여부 = "해당없음";
        in.pvd조제일자 = "20240316";
        in.sp처방 = {line("642100010", "급여", "내복", "1234"), line("642100020", "100/100", "내복", "410"),
                     line("642100030", "50/100", "외용", "2150"), line("642100040", "비급여", "내복", "800"),
                     line("642100050", "30/100", "주사", "3000")};
        const ChargeRequest rq =
            BuildChargeRequest(in, []() -> clsYakGa& { throw std::logic_error("no twin code here"); });
        ASSERT_TRUE(rq.run);
        a.SubAcount(rq.sPara1, rq.sPara2, fees.cn());
        ASSERT_TRUE(box.boxes.empty()) << box.boxes.front().text;
        cells = ChargeResultCells::from(a);
    }
};

TEST_F(ResultCells, FeeItemsAsTheEnginePricedThem) {
    ASSERT_GT(a.보험_조제료전체_단가, won(0));
    ASSERT_GT(a.보험_조제료전체_토요가산_단가, won(0));
    const Cells expected = {{{1, 2}, Variant(a.보험_약국관리료_코드)},
                            {{1, 3}, a.보험_약국관리료_단가},
                            {{1, 4}, a.비보_약국관리료_단가},
                            {{2, 2}, Variant(a.보험_조제기본료_코드)},
                            {{2, 3}, a.보험_조제기본료_단가},
                            {{2, 4}, a.비보_조제기본료_단가},
                            {{3, 2}, Variant(a.보험_복약지도료_코드)},
                            {{3, 3}, a.보험_복약지도료_단가},
                            {{3, 4}, a.비보_복약지도료_단가},
                            {{4, 2}, Variant(a.보험_내복조제료_코드)},
                            {{4, 3}, a.보험_내복조제료_단가},
                            {{4, 4}, a.비보_내복조제료_단가},
                            {{5, 2}, Variant(a.보험_외용조제료_코드)},
                            {{5, 3}, a.보험_외용조제료_단가},
                            {{5, 4}, a.비보_외용조제료_단가},
                            {{6, 2}, Variant(a.보험_약품관리료_코드)},
                            {{6, 3}, a.보험_약품관리료_단가},
                            {{6, 4}, a.비보_약품관리료_단가},
                            {{7, 2}, Variant("")},
                            {{7, 3}, a.보험_조제료전체_토요가산_단가},
                            {{7, 4}, a.비보_조제료전체_토요가산_단가},
                            {{8, 2}, Variant("")},
                            {{8, 3}, a.보험_조제료전체_단가},
                            {{8, 4}, a.비보_조제료전체_단가}};
    EXPECT_EQ(byPlace(cells.sp수가), expected);
    EXPECT_EQ(cells.sp수가.cells.front().value, Variant("Z1000")); // codes stay text
}

TEST_F(ResultCells, DrugCostsByGroupAndRoute) {
    ASSERT_GT(a.백D3_주사_약가, won(0));
    ASSERT_GT(a.백A5_외용_약가, won(0));
    Cells expected;
    const Currency table[5][7] = {{a.보험_내복_약가, a.비보_내복_약가, a.백백_내복_약가, a.백A5_내복_약가,
                                   a.백B8_내복_약가, a.백D3_내복_약가, a.백E9_내복_약가},
                                  {a.보험_외용_약가, a.비보_외용_약가, a.백백_외용_약가, a.백A5_외용_약가,
                                   a.백B8_외용_약가, a.백D3_외용_약가, a.백E9_외용_약가},
                                  {a.보험_주사_약가, a.비보_주사_약가, a.백백_주사_약가, a.백A5_주사_약가,
                                   a.백B8_주사_약가, a.백D3_주사_약가, a.백E9_주사_약가},
                                  {},
                                  {a.보험_전체_약가, a.비보_전체_약가, a.백백_전체_약가, a.백A5_전체_약가,
                                   a.백B8_전체_약가, a.백D3_전체_약가, a.백E9_전체_약가}};
    for (int r : {1, 2, 3, 5})
        for (int c = 2; c <= 8; ++c)
            expected[{r, c}] = table[r - 1][c - 2];
    expected[{4, 2}] = won(0);
    expected[{4, 3}] = a.비보_예외_약가;
    expected[{4, 4}] = won(0);
    EXPECT_EQ(byPlace(cells.sp약가), expected); // row 4 stops at column 4
}

TEST_F(ResultCells, TotalsAndShares) {
    ASSERT_GT(a.결과_진료비총액, won(0));
    const Currency order[13] = {a.결과_보험총약제비,
                                a.결과_보험청구액,
                                a.결과_본인부담,
                                a.결과_지원금,
                                a.결과_진료비총액,
                                a.결과_보훈청구액,
                                a.결과_백대백금액,
                                a.결과_백대백미만총액,
                                a.결과_백대백미만청구액,
                                a.결과_백대백미만보훈청구액,
                                a.결과_백대백미만본인부담,
                                a.결과_비보험액,
                                a.결과_받을금액};
    Cells expected;
    for (int r = 1; r <= 13; ++r)
        expected[{r, 2}] = order[r - 1];
    EXPECT_EQ(byPlace(cells.sp계산), expected);
}
