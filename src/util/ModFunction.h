#pragma once
// Resident registration numbers and the Korean weekday name, as the main
// window uses them for the patient's age and sex and for the dispensing day.
//
// A resident number is personal data: nothing here logs or prints one, and
// MaskResidentNo is the form lists and messages show.
//
// Numbers issued since October 2020 carry no check digit (the last six digits
// are random), so a failed check-digit test does not mean a wrong number.
// The "O"/"X" mark of ResidentInfo is advisory: callers show it and may warn,
// but must never refuse a patient on it. A well-formed number of someone born
// on or after 2020-10-01 is marked "O", since no such number has a check
// digit; ResidentNoCheck tells a failed check digit from a malformed number.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelmora::ModFunction {

// "O" or "X", "#", "남"/"여", "#", the age on the dispensing date ("O#남#35");
// "X#?#-1" unless the date has 8 and the number 13 characters once "-" is removed.
std::string ResidentInfo(std::string_view date, std::string_view number);
// Age in whole years on date; -1 when not computable. The number's "-" are
// removed in the caller's variable, as the main window expects.
std::int16_t AgeFromResidentNo(std::string_view date, std::string& number);
std::int16_t AgeFromResidentNo(std::string_view date, std::string_view number);
// "여" for digit 7 of 2, 4, 6 or 8 in a 13-character number, else "남".
std::string SexFromResidentNo(std::string_view number);
// The check-digit tests of citizens' and foreign residents' numbers.
bool CheckResidentNo(std::string_view number);
bool CheckForeignerNo(std::string_view number);
// Digit 3 is 3, 4 or 5: a number of the special series, valid without the test.
bool CheckSpecialNo(std::string_view number);

enum class ResidentNoVerdict {
    Valid,        // the check digit matches
    NoCheckDigit, // 13 digits with a real birth date, but the check digit does not match:
                  // a number issued since October 2020, or a typing error; warn only
    Malformed     // not 13 digits, or no birth date / sex digit can be read from it
};
ResidentNoVerdict ResidentNoCheck(std::string_view number);

// Digits 8 to 13 hidden: "900101-1******". Shorter text keeps at most its first
// 7 characters visible.
std::string MaskResidentNo(std::string_view number);

// "일요일" … "토요일"; "" for an invalid date. The text form takes YYYYMMDD or YYYY-MM-DD.
std::string WeekdayName(std::chrono::year_month_day date);
std::string WeekdayName(std::string_view date);

} // namespace pelmora::ModFunction
