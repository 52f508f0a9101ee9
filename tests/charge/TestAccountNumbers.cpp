#include "charge/clsAccount.h"
#include "util/RuntimeError.h"

#include <gtest/gtest.h>

using pelmora::clsAccount;
using pelmora::Currency;
using pelmora::RuntimeError;
using pelmora::Variant;

namespace {

struct RoundCase {
    double value;
    int kind;
    int digits;
    std::int32_t expected;
};

class EngineRound : public testing::TestWithParam<RoundCase> {};

TEST_P(EngineRound, RoundsOnTheMagnitude) {
    const auto& c = GetParam();
    EXPECT_EQ(clsAccount().NBRound(c.value, c.kind, c.digits), c.expected)
        << c.value << " kind " << c.kind << " digits " << c.digits;
}

INSTANTIATE_TEST_SUITE_P(Table, EngineRound,
                         testing::Values(
                             // digits 0: half to even whatever the kind
                             RoundCase{2.5, 3, 0, 2}, RoundCase{3.5, 1, 0, 4}, RoundCase{-2.5, 3, 0, -2},
                             RoundCase{1234.4999, 3, 0, 1234},
                             // truncation to 10 and 100 won
                             RoundCase{12349, 3, 1, 12340}, RoundCase{12349.9, 3, 1, 12340},
                             RoundCase{2082, 3, 2, 2000}, RoundCase{-12349, 3, 1, -12340},
                             RoundCase{12340, 3, 1, 12340},
                             // half up and up
                             RoundCase{12345, 1, 1, 12350}, RoundCase{12344.9, 1, 1, 12340},
                             RoundCase{12341, 2, 1, 12350}, RoundCase{-12345, 1, 1, -12350},
                             // the double is taken as printed with 15 digits: 8649.999999999999 reads 8650
                             RoundCase{8649.999999999999, 3, 1, 8650}, RoundCase{20000 * 0.7, 3, 1, 14000},
                             RoundCase{12345 * 0.7, 3, 1, 8640},
                             // above the limit: no rounding at the digit
                             RoundCase{1000000000.0, 3, 1, 1000000000},
                             RoundCase{1000000005.5, 3, 1, 1000000006},
                             // a kind the bills never use gives nothing
                             RoundCase{12345, 7, 1, 0}));

TEST(EngineRound, OverflowsPastThirtyTwoBits) {
    clsAccount a;
    try {
        a.NBRound(3e9, 3, 1);
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 6);
    }
    EXPECT_THROW(a.NBRound(-3e9, 3, 1), RuntimeError);
    EXPECT_THROW(a.NBRound(2147483648.0, 3, 0), RuntimeError);
    EXPECT_EQ(a.NBRound(2147483647.0, 3, 0), 2147483647);
}

TEST(EngineRound, TinyValuesPrintedWithAnExponentAreNotNumbers) {
    // 0.00007 prints as "7E-05": the sign test finds "-" and the rest is no number.
    try {
        clsAccount().NBRound(0.00007, 3, 1);
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 13);
    }
}

TEST(EngineNz, DefaultsAndConversions) {
    clsAccount a;
    EXPECT_EQ(a.Nz(std::nullopt), Variant(std::int16_t{0}));
    EXPECT_EQ(a.Nz(std::nullopt, 1), Variant(""));
    EXPECT_EQ(a.Nz(Variant::null()), Variant(std::int16_t{0}));
    EXPECT_EQ(a.Nz(Variant("   ")), Variant(std::int16_t{0}));
    EXPECT_EQ(a.Nz(Variant("   "), 1), Variant(""));
    EXPECT_EQ(a.Nz(Variant(" 7 "), 1), Variant("7"));
    EXPECT_EQ(a.Nz(Variant("12.5")), Variant(Currency::parse("12.5")));
    EXPECT_EQ(a.Nz(Variant("abc")), Variant("abc"));
    EXPECT_EQ(a.Nz(Variant("1,234"), 2), Variant(1.0));
    EXPECT_EQ(a.Nz(Variant("1,234"), 3), Variant(1234.0));
    EXPECT_EQ(a.Nz(Variant(" 30 "), 3), Variant(30.0));
}

TEST(EngineNz, SixteenBitReadsRoundHalfToEven) {
    clsAccount a;
    EXPECT_EQ(a.Nz(Variant("2.5")).toInt16(), 2);
    EXPECT_EQ(a.Nz(Variant("3.5")).toInt16(), 4);
    EXPECT_EQ(a.Nz(Variant("32767")).toInt16(), 32767);
    EXPECT_THROW(a.Nz(Variant("32768")).toInt16(), RuntimeError);
    EXPECT_THROW(a.Nz(Variant("일")).toInt16(), RuntimeError);
}

} // namespace
