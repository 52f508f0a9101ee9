#include "util/NumericText.h"
#include "util/RuntimeError.h"
#include "util/Variant.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cmath>

using pelmora::Currency;
using pelmora::RuntimeError;
using pelmora::Variant;

namespace {

using pelmora::test::errorOf;

TEST(NumericText, TheRuntimesNumericTest) {
    struct Case {
        const char* text;
        bool numeric;
    } cases[] = {
        {"12", true},    {" 12 ", true},   {"-12.5", true}, {"+0.5", true}, {"1,234", true},
        {"1,2,3", true}, {"1e5", true},    {"\t7", true},   {"", false},    {"  ", false},
        {"abc", false},  {"12abc", false}, {"한글", false}, {"1 2", false}, {"-", false},
        {".", false},    {",5", false},    {"1..2", false}, {"5e", false},  {"++1", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pelmora::isNumericText(c.text), c.numeric) << c.text;
}

TEST(NumericText, DoubleReadingIsCorrectlyRounded) {
    EXPECT_EQ(*pelmora::numericTextToDouble("0.1"), 0.1);
    EXPECT_EQ(*pelmora::numericTextToDouble("1,234.5"), 1234.5);
    EXPECT_EQ(*pelmora::numericTextToDouble("-7.5e-1"), -0.75);
    EXPECT_TRUE(std::signbit(*pelmora::numericTextToDouble("-0")));
}

TEST(Variant, ConversionsFollowTheRuntime) {
    EXPECT_EQ(Variant("12.5").toCurrency(), Currency::parse("12.5"));
    EXPECT_EQ(Variant(" 1,234 ").toCurrency(), Currency::fromWon(1234));
    EXPECT_EQ(Variant().toCurrency(), Currency());
    EXPECT_EQ(Variant(std::int16_t{7}).toDouble(), 7.0);
    EXPECT_EQ(Variant(2.5).toInt16(), 2);
    EXPECT_EQ(Variant(3.5).toInt16(), 4);
    EXPECT_EQ(Variant("2.5").toInt16(), 2);
    EXPECT_EQ(Variant("2.50001").toInt16(), 3);
    EXPECT_EQ(Variant(Currency::parse("2.5")).toInt32(), 2);
    EXPECT_EQ(Variant("-1").toBool(), true);
    EXPECT_EQ(Variant("True").toBool(), true);
    EXPECT_EQ(Variant(0.1 + 0.2).toText(), "0.3");
    EXPECT_EQ(Variant(1e16).toText(), "1E+16");
    EXPECT_EQ(Variant(0.00001).toText(), "1E-05");
    EXPECT_EQ(Variant(1234.5).toText(), "1234.5");
    EXPECT_EQ(Variant(Currency::parse("12.50")).toText(), "12.5");
    EXPECT_EQ(Variant(true).toText(), "True");
    EXPECT_EQ(Variant().toText(), "");
}

TEST(Variant, FailingConversionsRaiseTheRuntimesErrors) {
    using namespace pelmora::rterr;
    EXPECT_EQ(errorOf([] { Variant("abc").toCurrency(); }), kTypeMismatch);
    EXPECT_EQ(errorOf([] { Variant("약 12").toDouble(); }), kTypeMismatch);
    EXPECT_EQ(errorOf([] { Variant("12a").toInt16(); }), kTypeMismatch);
    EXPECT_EQ(errorOf([] { Variant("32768").toInt16(); }), kOverflow);
    EXPECT_EQ(errorOf([] { Variant(1e10).toInt32(); }), kOverflow);
    EXPECT_EQ(errorOf([] { Variant("1e400").toDouble(); }), kOverflow);
    EXPECT_EQ(errorOf([] { Variant(std::string(1000, '9')).toCurrency(); }), kOverflow);
    EXPECT_EQ(errorOf([] { Variant(std::string(1000, '9')).toInt16(); }), kOverflow);
    EXPECT_EQ(errorOf([] { Variant::null().toText(); }), 94);
    EXPECT_EQ(errorOf([] { Variant(std::nan("")).toInt16(); }), kOverflow);
}

TEST(Variant, NumericTestPerKind) {
    EXPECT_TRUE(Variant().isNumeric());
    EXPECT_FALSE(Variant::null().isNumeric());
    EXPECT_TRUE(Variant(true).isNumeric());
    EXPECT_TRUE(Variant("1,234").isNumeric());
    EXPECT_FALSE(Variant("").isNumeric());
    EXPECT_FALSE(Variant("급여").isNumeric());
}

} // namespace
