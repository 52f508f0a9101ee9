#include "util/KVFun.h"
#include "util/RuntimeError.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using pelmora::Currency;
using pelmora::kvfun;
using pelmora::RuntimeError;
using pelmora::Variant;

namespace {

using pelmora::test::errorOf;

Currency money(const char* text) {
    return Currency::parse(text);
}

TEST(KVFunNz, EmptyValuesBecomeZeroOrEmptyText) {
    const Variant zero(std::int16_t{0});
    for (const auto& v : {Variant(), Variant::null(), Variant(""), Variant("   ")}) {
        EXPECT_EQ(kvfun().Nz(v), zero);
        EXPECT_EQ(kvfun().Nz(v, 1), Variant(""));
        EXPECT_EQ(kvfun().Nz(v, 2), zero);
    }
    EXPECT_EQ(kvfun().Nz(std::nullopt), zero);
    EXPECT_EQ(kvfun().Nz(std::nullopt, 1), Variant(""));
}

TEST(KVFunNz, KindsConvertNumbersDifferently) {
    struct Case {
        Variant in;
        std::int32_t kind;
        Variant out;
    } cases[] = {
        {"12.5", 0, money("12.5")},  {" 7 ", 1, "7"},
        {"abc", 0, "abc"},           {"abc", 3, "abc"},
        {"  abc", 0, "  abc"},                          // not a number: unchanged, blanks and all
        {"1,234", 0, money("1234")}, {"1,234", 2, 1.0}, // read from the start, stops at the separator
        {"1,234", 3, 1234.0},        {" -2.5e1 ", 2, -25.0},
        {"1,234", 7, money("1234")}, // any other kind is money
        {3.5, 0, money("3.5")},      {std::int32_t{42}, 1, "42"},
        {"한글", 0, "한글"},         {"12abc", 0, "12abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kvfun().Nz(c.in, c.kind), c.out) << c.in.toText() << " kind " << c.kind;
}

TEST(KVFunNz, MoneyPastItsRangeIsTheRuntimesOverflow) {
    const std::string huge(1000, '9');
    EXPECT_EQ(errorOf([&] { kvfun().Nz(Variant(huge)); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(kvfun().Nz(Variant(huge), 1), Variant(huge));
    EXPECT_EQ(errorOf([&] { kvfun().Nz(Variant(huge), 3); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([&] { kvfun().Nz(Variant(huge), 2); }), pelmora::rterr::kOverflow);
}

TEST(KVFunNBRound, DigitsZeroRoundsHalfToEvenWhateverTheKind) {
    struct Case {
        double value;
        std::int32_t kind, digits, out;
    } cases[] = {
        {2.5, 3, 0, 2},
        {3.5, 1, 0, 4},
        {-2.5, 1, 0, -2},
        {0.5, 2, 0, 0},
        {12345.5, 9, -1, 12346},
        {1000000000, 1, 1, 1000000000},
        {999999999.5, 1, 0, 1000000000},
        {1234567891.5, 3, 2, 1234567892},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kvfun().NBRound(c.value, c.kind, c.digits), c.out)
            << c.value << " " << c.kind << " " << c.digits;
}

TEST(KVFunNBRound, KindsAtTheDigitAfterTheFractionIsDropped) {
    struct Case {
        double value;
        std::int32_t kind, digits, out;
    } cases[] = {
        {12345, 1, 1, 12350},   {12344.9, 1, 1, 12340}, {-12345, 1, 1, -12350},
        {12341, 2, 1, 12350},   {12349, 3, 1, 12340},   {12340, 2, 1, 12340},
        {-12341, 2, 1, -12350}, {-12349, 3, 1, -12340}, {12349.99, 3, 2, 12300},
        {12350, 1, 2, 12400},   {12349, 1, 2, 12300},   {999999999, 2, 1, 1000000000},
        {12345, 9, 1, 1234},    {5, 1, 25, 0},          {5, 3, 400, 0},
        {0.9, 2, 1, 0},         {-5e15, 3, 17, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kvfun().NBRound(c.value, c.kind, c.digits), c.out)
            << c.value << " " << c.kind << " " << c.digits;
}

TEST(KVFunNBRound, ResultsPastALongOverflow) {
    const double bad[][3] = {{3e9, 1, 0}, {-3e9, 3, 1}, {-5e15, 1, 1}, {5, 2, 25}, {-1e300, 3, 2}};
    for (const auto& b : bad)
        EXPECT_EQ(errorOf([&] { kvfun().NBRound(b[0], static_cast<int>(b[1]), static_cast<int>(b[2])); }),
                  pelmora::rterr::kOverflow)
            << b[0];
    EXPECT_EQ(errorOf([] { kvfun().NBRound(std::nan(""), 1, 1); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([] { kvfun().NBRound(std::numeric_limits<double>::infinity(), 1, 0); }),
              pelmora::rterr::kOverflow);
}

TEST(KVFunNBRound, DoubleVersionKeepsDecimals) {
    EXPECT_DOUBLE_EQ(kvfun().NBRound_Dbl(1.005, 1, 2), 1.01);
    EXPECT_DOUBLE_EQ(kvfun().NBRound_Dbl(1.001, 2, 2), 1.01);
    EXPECT_DOUBLE_EQ(kvfun().NBRound_Dbl(-1.009, 3, 2), -1.0);
    EXPECT_DOUBLE_EQ(kvfun().NBRound_Dbl(9.995, 1, 2), 10.0);
    EXPECT_DOUBLE_EQ(kvfun().NBRound_Dbl(1234.5, 1, -2), 1200.0);
    EXPECT_DOUBLE_EQ(kvfun().NBRound_Dbl(0.004, 1, 2), 0.0);
    EXPECT_DOUBLE_EQ(kvfun().NBRound_Dbl(0.004, 2, 2), 0.01);
    EXPECT_DOUBLE_EQ(kvfun().NBRound_Dbl(2.5, 7, 0), 2.5);
}

TEST(KVFunWonCut, ClearsTheLastDigitsOfTheRoundedAmount) {
    struct Case {
        const char *in, *one, *ten;
    } cases[] = {
        {"12345.6", "12340", "12300"},
        {"99", "90", "0"},
        {"5", "0", "0"},
        {"0.5", "0", "0"},
        {"12349.5", "12350", "12300"},
        {"-12345.6", "-12340", "-12300"},
        {"0", "0", "0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kvfun().NB1WonCut(money(c.in)), money(c.one)) << c.in;
        EXPECT_EQ(kvfun().NB10WonCut(money(c.in)), money(c.ten)) << c.in;
    }
    EXPECT_EQ(kvfun().NB10WonCut(Currency::fromTicks(std::numeric_limits<std::int64_t>::min())),
              Currency::fromWon(-922337203685400));
}

TEST(KVFunNBPercent, WholePercentRoundedDown) {
    EXPECT_EQ(kvfun().NBPercent(100, 29), 29); // 0.29 × 100 in doubles is just below 29
    EXPECT_EQ(kvfun().NBPercent(3, 1), 33);
    EXPECT_EQ(kvfun().NBPercent(3, -1), -34);
    EXPECT_EQ(kvfun().NBPercent(0, 5), 100);
    EXPECT_EQ(kvfun().NBPercent(5, 0), 100);
    EXPECT_EQ(kvfun().NBPercent(-2147483647 - 1, 2147483647), -100);
}

TEST(KVFunNBHanGul, AmountsInKoreanWords) {
    struct Case {
        const char *in, *out;
    } cases[] = {
        {"12,345", "일만이천삼백사십오원정"},
        {"100000000", "일억원정"},
        {"100010000", "일억일만원정"},
        {"1000000000001", "일조일원정"},
        {"20", "이십원정"},
        {"0", "영원정"},
        {"1234.99", "일천이백삼십사원정"},
        {"abc", ""},
        {"", ""},
        {"99999999999999999", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kvfun().NBHanGul(c.in), c.out) << c.in;
    EXPECT_EQ(kvfun().NBHanGul(money("3000")), "삼천원정");
}

TEST(KVFunSRFormat, DatesAndMoneyTexts) {
    EXPECT_EQ(kvfun().SRFormat("20240228", 1), "2024-02-28");
    EXPECT_EQ(kvfun().SRFormat("202402", 1), "20-24-02"); // filled from the right
    EXPECT_EQ(kvfun().SRFormat("1220240228", 1), "122024-02-28");
    EXPECT_EQ(kvfun().SRFormat("", 1), "");
    EXPECT_EQ(kvfun().SRFormat("2024년0228", 1), "2024년-02-28");
    EXPECT_EQ(kvfun().SRFormat("1234567.5"), "1,234,568");
    EXPECT_EQ(kvfun().SRFormat(money("-1234.5")), "-1,235");
    EXPECT_EQ(kvfun().SRFormat(money("-0.4")), "0");
    EXPECT_EQ(kvfun().SRFormat(Variant()), "0");
    EXPECT_EQ(kvfun().SRFormat("abc"), "abc");
}

} // namespace
