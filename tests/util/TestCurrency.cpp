#include "util/Currency.h"
#include "util/RuntimeError.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using pelmora::Currency;
using pelmora::RuntimeError;

namespace {

using pelmora::test::errorOf;

struct ParseCase {
    const char* text;
    std::int64_t ticks;
};

TEST(Currency, ParsesNumericTextExactly) {
    const ParseCase cases[] = {
        {"12.5", 125000},
        {"-1234.5678", -12345678},
        {"  7  ", 70000},
        {"+3", 30000},
        {"1,234", 12340000},
        {"1,234,567.25", 12345672500},
        {"0.0001", 1},
        {"-0", 0},
        {".5", 5000},
        {"5.", 50000},
        {"1e3", 10000000},
        {"1.5E-2", 150},
        {"922337203685477.5807", std::numeric_limits<std::int64_t>::max()},
        {"-922337203685477.5808", std::numeric_limits<std::int64_t>::min()},
        {"000000000000000000000000012", 120000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Currency::parse(c.text).ticks(), c.ticks) << c.text;
}

TEST(Currency, ParseRoundsHalfToEvenAtTheFourthDecimal) {
    const ParseCase cases[] = {
        {"0.00005", 0},
        {"0.00015", 2},
        {"0.00025", 2},
        {"0.000250001", 3},
        {"-0.00015", -2},
        {"1.23445", 12344},
        {"1.23455", 12346},
        {"0.00004999", 0},
        {"2.00005000000000000000001", 20001},
        {"0.000000000000000000001", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Currency::parse(c.text).ticks(), c.ticks) << c.text;
}

TEST(Currency, RejectsTextThatIsNotNumeric) {
    const char* bad[] = {"",   "   ",   "abc", "12a", "1 2", "--1",  "+",         ".",
                         ",1", "1.2.3", "약",  "1e",  "e5",  "0x1F", "1,234.5,6", "12-"};
    for (const char* t : bad) {
        EXPECT_EQ(errorOf([&] { Currency::parse(t); }), pelmora::rterr::kTypeMismatch) << t;
        EXPECT_FALSE(Currency::tryParse(t).has_value()) << t;
    }
    std::string longText(1000, '9');
    EXPECT_EQ(errorOf([&] { Currency::parse(longText); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([&] { Currency::parse(std::string(1000, 'x')); }), pelmora::rterr::kTypeMismatch);
}

TEST(Currency, OverflowAtBothEndsIsAnError) {
    EXPECT_EQ(errorOf([] { Currency::parse("922337203685477.5808"); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([] { Currency::parse("-922337203685477.5809"); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([] { Currency::parse("1e20"); }), pelmora::rterr::kOverflow);
    Currency max = Currency::fromTicks(std::numeric_limits<std::int64_t>::max());
    Currency min = Currency::fromTicks(std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(errorOf([&] { (void)(max + Currency::fromTicks(1)); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([&] { (void)(min - Currency::fromTicks(1)); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([&] { (void)(-min); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([&] { (void)(max * 2); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([&] { (void)max.mul(Currency::fromWon(2)); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([&] { (void)Currency::fromDouble(1e15); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([&] { (void)Currency::fromDouble(std::nan("")); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([&] { (void)Currency::fromWon(std::numeric_limits<std::int64_t>::max()); }),
              pelmora::rterr::kOverflow);
    EXPECT_EQ((max - max).ticks(), 0);
}

TEST(Currency, MoneyTimesDoubleRoundsTheDoubleProductHalfToEven) {
    struct Case {
        const char* money;
        double factor;
        std::int64_t ticks;
    } cases[] = {
        {"0.0001", 0.5, 0}, // 0.5 tick → 0 (even)
        // 0.0003 is 2.9999999999999997e-4 as a double: the product is just under
        // 1.5 ticks, so the double arithmetic gives 1 where exact money gives 2.
        {"0.0003", 0.5, 1},
        {"0.0005", 0.5, 2}, // 2.5 ticks → 2
        {"-0.0003", 0.5, -1},
        {"12345", 0.3, 37035000},
        {"10000", 0.7, 70000000}, // 7000 exactly
        {"1.15", 0.1, 1150},
        {"3333", 0.3, 9999000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Currency::parse(c.money).mul(c.factor).ticks(), c.ticks) << c.money << " x " << c.factor;
}

TEST(Currency, MoneyTimesMoneyIsExactThenHalfEven) {
    struct Case {
        const char* a;
        const char* b;
        std::int64_t ticks;
    } cases[] = {
        {"0.0001", "0.5", 0},    {"0.0003", "0.5", 2},
        {"0.0005", "0.5", 2},    {"0.0007", "0.5", 4},
        {"-0.0005", "0.5", -2},  {"123.4567", "7.5", 9259252},
        {"1234", "3", 37020000}, {"0.3333", "0.3333", 1111},
        {"1.15", "0.1", 1150},   {"922337203685477", "1", 9223372036854770000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Currency::parse(c.a).mul(Currency::parse(c.b)).ticks(), c.ticks) << c.a << " x " << c.b;
}

TEST(Currency, IntegerConversionsRoundHalfToEvenAndCheckRange) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {{"2.5", 2},           {"3.5", 4},       {"-2.5", -2},       {"-3.5", -4},
                 {"2.5001", 3},        {"32767", 32767}, {"-32768", -32768}, {"32767.5", 0},
                 {"-32768.5", -32768}, {"0.5", 0},       {"1.5", 2}};
    for (const auto& c : cases) {
        if (std::string(c.text) == "32767.5") {
            EXPECT_EQ(errorOf([&] { Currency::parse(c.text).toInt16(); }), pelmora::rterr::kOverflow);
            continue;
        }
        EXPECT_EQ(Currency::parse(c.text).toInt16(), c.value) << c.text;
    }
    EXPECT_EQ(errorOf([] { Currency::parse("32768").toInt16(); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(errorOf([] { Currency::parse("-32769").toInt16(); }), pelmora::rterr::kOverflow);
    EXPECT_EQ(Currency::parse("2147483647").toInt32(), 2147483647);
    EXPECT_EQ(Currency::parse("-2147483648.5").toInt32(), -2147483648);
    EXPECT_EQ(errorOf([] { Currency::parse("2147483647.5").toInt32(); }), pelmora::rterr::kOverflow);
}

TEST(Currency, TextRoundTrip) {
    const char* texts[] = {
        "0",   "12.5", "-1234.5678", "0.0001", "-0.0001", "922337203685477.5807", "-922337203685477.5808",
        "100", "-50.5"};
    for (const char* t : texts)
        EXPECT_EQ(Currency::parse(t).toText(), t);
    EXPECT_EQ(Currency::parse("1234").toFixed(4), "1234.0000");
    EXPECT_EQ(Currency::parse("-50.5").toFixed(4), "-50.5000");
    EXPECT_EQ(Currency::parse("-0.0001").toFixed(4), "-0.0001");
    EXPECT_EQ(Currency::parse("2.5").toFixed(0), "2");
    EXPECT_EQ(Currency::parse("3.5").toFixed(0), "4");
    EXPECT_EQ(Currency::parse("-0.00005").toFixed(0), "0");
    EXPECT_EQ(Currency::parse("1.25").toFixed(1), "1.2");
    EXPECT_EQ(Currency::parse("-922337203685477.5808").toFixed(2), "-922337203685477.58");
}

} // namespace
