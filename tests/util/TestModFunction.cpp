#include "util/Clock.h"
#include "util/ModFunction.h"

#include <gtest/gtest.h>

using namespace std::chrono;
namespace mf = pelmora::ModFunction;

namespace {

// Check digits: 11 − (s mod 11) is 10 → 0, 11 → 1, else that digit.
constexpr const char* kValidC0 = "900101-1000080";
constexpr const char* kValidC1 = "900101-1000171";
constexpr const char* kValid = "900101-1234568";
constexpr const char* kForeigner = "900101-5100864";

class ResidentNumbers : public ::testing::Test {
  protected:
    void SetUp() override { pelmora::Clock::freeze({2024, 5, 17, 10, 0, 0}); }
    void TearDown() override { pelmora::Clock::unfreeze(); }
};

TEST_F(ResidentNumbers, CheckDigitTest) {
    struct Case {
        const char* number;
        bool valid;
    } cases[] = {
        {kValidC0, true},
        {kValidC1, true},
        {kValid, true},
        {"9001011000081", false},
        {"9001011000170", false},
        {"9001011234567", false},
        {"900101-123456", false},
        {"90010112345689", false},
        {"90010a-1234568", false},
        {"", false},
        {"가나다라마바사아자차카타파", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mf::CheckResidentNo(c.number), c.valid) << c.number;
}

TEST_F(ResidentNumbers, ForeignerTest) {
    EXPECT_TRUE(mf::CheckForeignerNo(kForeigner));
    EXPECT_FALSE(mf::CheckForeignerNo("900101-5100865")); // wrong check digit
    EXPECT_FALSE(
        mf::CheckForeignerNo("900101-5110863")); // digits 8 and 9 make an odd number (check digit right)
    EXPECT_FALSE(mf::CheckForeignerNo("900101-5100859")); // digit 12 below 6 (check digit right)
    EXPECT_FALSE(mf::CheckForeignerNo("900101-510086"));
    EXPECT_EQ(mf::ResidentInfo("20240517", kForeigner), "O#남#34");
    EXPECT_EQ(mf::ResidentInfo("20240517", "900101-6100864"), "X#여#34");
}

TEST_F(ResidentNumbers, InfoMarkSexAndAge) {
    struct Case {
        const char *date, *number, *info;
    } cases[] = {
        {"20240517", kValid, "O#남#34"},
        {"2024-05-17", "9001012234568", "X#여#34"},
        {"20240517", "900101-123456", "X#?#-1"},  // 12 digits
        {"2024051", kValid, "X#?#-1"},            // 7-digit date
        {"20240228", "150301-3123456", "O#남#8"}, // birthday not reached yet
        {"20240301", "150301-3123456", "O#남#9"},
        {"20240517", "150301-4123456", "X#여#9"},
        {"20240517", "900101-9123456", "X#남#134"}, // 9: born in the 1800s
        {"20240517", "900101-0123456", "O#남#134"},
        {"20240517", "904101-1234568",
         "O#남#34"},                     // digit 3 is 4: the special series; no birth day, age by year
        {"20241301", kValid, "O#남#-1"}, // not a date
        {"20240517", "9001ab-1234568", "X#남#34"},
        {"20240517", "ab0101-1234568", "X#남#-1"},
        {"20240517", "ㄱㄴ-ㄷㄹ", "X#?#-1"},
        {"", "", "X#?#-1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mf::ResidentInfo(c.date, c.number), c.info) << c.date << " " << c.number;
}

TEST_F(ResidentNumbers, NumbersWithoutACheckDigitAreNotRefused) {
    // Born 2021-10-15, issued under the scheme without a check digit.
    EXPECT_FALSE(mf::CheckResidentNo("211015-3123450"));
    EXPECT_EQ(mf::ResidentNoCheck("211015-3123450"), mf::ResidentNoVerdict::NoCheckDigit);
    EXPECT_EQ(mf::ResidentInfo("20240517", "211015-3123450"), "O#남#2");
    // Born 2020-09-30: the check digit still tells, so the mark warns.
    EXPECT_EQ(mf::ResidentInfo("20240517", "200930-4123450").substr(0, 1), "X");
    EXPECT_EQ(mf::ResidentNoCheck(kValid), mf::ResidentNoVerdict::Valid);
    EXPECT_EQ(mf::ResidentNoCheck(kForeigner), mf::ResidentNoVerdict::Valid);
    EXPECT_EQ(mf::ResidentNoCheck("901301-1234568"), mf::ResidentNoVerdict::Malformed);
    EXPECT_EQ(mf::ResidentNoCheck("900101-123456"), mf::ResidentNoVerdict::Malformed);
}

TEST_F(ResidentNumbers, AgeAndSexDirectly) {
    std::string n = "150301-3123456";
    EXPECT_EQ(mf::AgeFromResidentNo("2024-02-28", n), 8);
    EXPECT_EQ(n, "1503013123456"); // the caller's number loses its hyphens
    EXPECT_EQ(mf::AgeFromResidentNo("20240228", "150301-3123456"), 8);
    EXPECT_EQ(mf::AgeFromResidentNo("20240228", "150301-?123456"), 8); // unknown century digit: this one
    EXPECT_EQ(mf::AgeFromResidentNo("", "150301-3123456"), -1);
    EXPECT_EQ(mf::SexFromResidentNo("150301-4123456"), "여");
    EXPECT_EQ(mf::SexFromResidentNo("150301-9123456"), "남");
    EXPECT_EQ(mf::SexFromResidentNo("150301-412345"), "남");
    EXPECT_TRUE(mf::CheckSpecialNo("904101"));
    EXPECT_FALSE(mf::CheckSpecialNo("90"));
}

TEST_F(ResidentNumbers, MaskingHidesDigitsEightToThirteen) {
    EXPECT_EQ(mf::MaskResidentNo("9001011234568"), "900101-1******");
    EXPECT_EQ(mf::MaskResidentNo("900101-1234568"), "900101-1******");
    EXPECT_EQ(mf::MaskResidentNo("9001011"), "900101-1");
    EXPECT_EQ(mf::MaskResidentNo("900101"), "900101");
    EXPECT_EQ(mf::MaskResidentNo("가나다라마바사아"), "가나다라마바-사*");
    EXPECT_EQ(mf::MaskResidentNo(""), "");
}

TEST(Weekdays, KoreanNames) {
    EXPECT_EQ(mf::WeekdayName(2024y / February / 25d), "일요일");
    EXPECT_EQ(mf::WeekdayName("2024-02-26"), "월요일");
    EXPECT_EQ(mf::WeekdayName("20240302"), "토요일");
    EXPECT_EQ(mf::WeekdayName("2024-02-30"), "");
    EXPECT_EQ(mf::WeekdayName(""), "");
}

} // namespace
