#pragma once
// Dates as the reference tables hold them: 8-digit text YYYYMMDD.

#include <optional>
#include <string>
#include <string_view>

namespace pelmora::DateText {

// "YYYYMMDD" of a real calendar day, none otherwise.
std::optional<std::string> of(int year, int month, int day);
bool isDate(std::string_view text);
// The day n days later (earlier when n < 0); the text must be a date.
std::string plusDays(std::string_view date, int n);
// "YYYY-MM-DD", for people.
std::string shown(std::string_view date);

} // namespace pelmora::DateText
