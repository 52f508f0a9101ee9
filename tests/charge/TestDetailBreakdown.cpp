// The detailed breakdown by type, on hand-made results of a pricing run.

#include "charge/DetailBreakdown.h"
#include "charge/clsAccount.h"
#include "util/RuntimeError.h"

#include <gtest/gtest.h>

#include <limits>

using namespace pelmora;

namespace {

Currency won(const char* text) {
    return Currency::parse(text);
}

enum Row { r약품비, r조제기본료, r복약지도료, r조제료, r관리료, r선별급여, r정액, r기타 };

// "" for a cleared cell, else the money's text.
std::string at(const DetailBreakdown& b, Row r, int c) {
    const auto& v = b.cell[r][c];
    return v ? v->toText() : "";
}

clsAccount priced(const char* type) {
    clsAccount a;
    a.진료비실태상세계산유형 = type;
    a.보험_약국관리료_단가 = won("690");
    a.보험_조제기본료_단가 = won("1234.5");
    a.보험_복약지도료_단가 = won("810");
    a.보험_내복조제료_단가 = won("1000");
    a.보험_외용조제료_단가 = won("100");
    a.보험_약품관리료_단가 = won("500");
    a.보험_조제료전체_토요가산_단가 = won("333");
    a.보험_조제료전체_단가 = won("5000");
    a.보험_전체_약가 = won("3000");
    a.비보_약국관리료_단가 = won("10");
    a.비보_조제기본료_단가 = won("20");
    a.비보_복약지도료_단가 = won("30");
    a.비보_내복조제료_단가 = won("40");
    a.비보_외용조제료_단가 = won("50");
    a.비보_약품관리료_단가 = won("60");
    a.비보_조제료전체_토요가산_단가 = won("70");
    a.백백_전체_약가 = won("800");
    a.비보_전체_약가 = won("900");
    a.결과_본인부담 = won("1200");
    a.결과_지원금 = won("500");
    a.결과_백대백미만총액 = won("1000");
    a.결과_백대백미만본인부담 = won("400");
    return a;
}

TEST(DetailBreakdown, PercentageCutsSevenItemsToWholeWon) {
    clsAccount a = priced("정률");
    a.진료비실태상세계산요율 = 0.3;
    const DetailBreakdown b = detailBreakdown(a);
    EXPECT_EQ(at(b, r조제기본료, 0), "370"); // 370.35 cut
    EXPECT_EQ(at(b, r조제기본료, 1), "864.5");
    EXPECT_EQ(at(b, r약품비, 0), "900");
    EXPECT_EQ(at(b, r약품비, 1), "2100");
    EXPECT_EQ(at(b, r복약지도료, 0), "243");
    EXPECT_EQ(at(b, r조제료, 0), "330"); // 300 + 30
    EXPECT_EQ(at(b, r조제료, 1), "770");
    EXPECT_EQ(at(b, r관리료, 0), "357"); // 150 + 207
    EXPECT_EQ(at(b, r관리료, 1), "833");
    EXPECT_EQ(at(b, r기타, 0), "99.9"); // the Saturday share keeps its fraction
    EXPECT_EQ(at(b, r기타, 1), "233.1");
    EXPECT_EQ(at(b, r정액, 0), "0");
    EXPECT_EQ(at(b, r정액, 1), "0");
}

TEST(DetailBreakdown, PercentageForAChildReducesAllButTheSaturdayShare) {
    clsAccount a = priced("정률");
    a.진료비실태상세계산요율 = 0.3;
    a.진료비실태상세계산소아 = 1;
    const DetailBreakdown b = detailBreakdown(a);
    EXPECT_EQ(at(b, r조제기본료, 0), "259"); // 370.35 × 0.7 = 259.245
    EXPECT_EQ(at(b, r조제기본료, 1), "975.5");
    EXPECT_EQ(at(b, r약품비, 0), "630");
    EXPECT_EQ(at(b, r기타, 0), "99.9");
    EXPECT_EQ(at(b, r기타, 1), "233.1");
}

TEST(DetailBreakdown, NegativeSharesAreCutTowardsMinusInfinity) {
    clsAccount a = priced("정률");
    a.보험_조제기본료_단가 = won("-1234.5");
    a.진료비실태상세계산요율 = 0.3;
    EXPECT_EQ(at(detailBreakdown(a), r조제기본료, 0), "-371");
}

struct FlatCase {
    const char* type;
    const char* patient;
    const char* insurer;
};

class FlatLine : public testing::TestWithParam<FlatCase> {};

TEST_P(FlatLine, SharesOnlyTheFlatAmountLine) {
    const DetailBreakdown b = detailBreakdown(priced(GetParam().type));
    EXPECT_EQ(at(b, r정액, 0), GetParam().patient);
    EXPECT_EQ(at(b, r정액, 1), GetParam().insurer);
    for (Row r : {r약품비, r조제기본료, r복약지도료, r조제료, r관리료, r기타})
        for (int c : {0, 1})
            EXPECT_EQ(at(b, r, c), "0") << GetParam().type << " row " << r;
}

INSTANTIATE_TEST_SUITE_P(Types, FlatLine,
                         testing::Values(FlatCase{"정액", "1200", "6800"}, FlatCase{"지원금", "700", "7300"},
                                         FlatCase{"비급여", "0", "0"}, FlatCase{"", "0", "0"},
                                         FlatCase{"정률 ", "0", "0"}, FlatCase{"unknown", "0", "0"}));

TEST(DetailBreakdown, FullAmountLeavesTheInsuredAmountsToTheInsurer) {
    const DetailBreakdown b = detailBreakdown(priced("전액"));
    EXPECT_EQ(at(b, r약품비, 1), "3000");
    EXPECT_EQ(at(b, r조제기본료, 1), "1234.5");
    EXPECT_EQ(at(b, r조제료, 1), "1100");
    EXPECT_EQ(at(b, r관리료, 1), "1190");
    EXPECT_EQ(at(b, r기타, 1), "333");
    for (Row r : {r약품비, r조제기본료, r복약지도료, r조제료, r관리료, r정액, r기타})
        EXPECT_EQ(at(b, r, 0), "0");
    EXPECT_EQ(at(b, r정액, 1), "0");
}

TEST(DetailBreakdown, PharmacistOwnGivesTheDrugTotalToTheInsurerOnly) {
    const DetailBreakdown b = detailBreakdown(priced("약사본인"));
    EXPECT_EQ(at(b, r약품비, 1), "3000");
    EXPECT_EQ(at(b, r약품비, 0), "0");
    for (Row r : {r조제기본료, r복약지도료, r조제료, r관리료, r정액, r기타})
        for (int c : {0, 1})
            EXPECT_EQ(at(b, r, c), "0");
}

// Whatever the type, the selective line and the columns 100:100 and 비급여.
TEST(DetailBreakdown, SelectiveLineAndOtherColumnsForEveryType) {
    for (const char* type : {"정률", "정액", "전액", "지원금", "비급여", "약사본인", "?"}) {
        const DetailBreakdown b = detailBreakdown(priced(type));
        EXPECT_EQ(at(b, r선별급여, 0), "400") << type;
        EXPECT_EQ(at(b, r선별급여, 1), "600") << type;
        EXPECT_EQ(at(b, r약품비, 2), "800");
        EXPECT_EQ(at(b, r약품비, 3), "900");
        EXPECT_EQ(at(b, r조제기본료, 3), "20");
        EXPECT_EQ(at(b, r복약지도료, 3), "30");
        EXPECT_EQ(at(b, r조제료, 3), "90");
        EXPECT_EQ(at(b, r관리료, 3), "70");
        EXPECT_EQ(at(b, r기타, 3), "70");
        for (Row r : {r조제기본료, r복약지도료, r조제료, r관리료, r선별급여, r정액, r기타})
            EXPECT_EQ(at(b, r, 2), "");
        for (Row r : {r선별급여, r정액})
            EXPECT_EQ(at(b, r, 3), "");
    }
}

TEST(DetailBreakdown, OverflowRaisesTheRuntimeError) {
    clsAccount a = priced("정률");
    a.보험_전체_약가 = Currency::fromTicks(std::numeric_limits<std::int64_t>::max() / 2);
    a.진료비실태상세계산요율 = 3.0;
    try {
        detailBreakdown(a);
        FAIL() << "no overflow";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 6);
    }
}

} // namespace
