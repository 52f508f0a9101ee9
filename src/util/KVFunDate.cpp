// Dates as the program exchanges them: 8-digit text YYYYMMDD (YYYY-MM-DD where
// shown), times as HHMMSS (HH:MM:SS). "Today" comes from the program's clock.

#include "KVFun.h"

#include "Clock.h"
#include "NumericText.h"

#include <algorithm>
#include <optional>

namespace pelmora {

namespace {

using namespace std::chrono;

std::string withoutChar(std::string_view text, char c) {
    std::string out;
    for (char ch : text)
        if (ch != c) out.push_back(ch);
    return out;
}

bool allDigits(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view digits) {
    int v = 0;
    for (char c : digits)
        v = v * 10 + (c - '0');
    return v;
}

// The text with blanks trimmed and every "-" removed, cut to its first 8
// characters (a date with a time after it keeps its date).
std::string dateDigits(std::string_view value) {
    std::string s = withoutChar(trimSpaces(value), '-');
    if (s.size() > 8) s.resize(8);
    return s;
}

// Eight digits forming a date from the year 100 on, the runtime's first year.
std::optional<year_month_day> parseDate8(std::string_view s) {
    if (s.size() != 8 || !allDigits(s)) return std::nullopt;
    year_month_day d{year{number(s.substr(0, 4))}, month{static_cast<unsigned>(number(s.substr(4, 2)))},
                     day{static_cast<unsigned>(number(s.substr(6, 2)))}};
    if (!d.ok() || d.year() < year{100}) return std::nullopt;
    return d;
}

year_month_day today() {
    const LocalDateTime now = Clock::now();
    return year{now.year} / month{static_cast<unsigned>(now.month)} / day{static_cast<unsigned>(now.day)};
}

year_month_day firstOfMonthShifted(year_month_day d, int by) {
    if (!d.year().ok() || !d.month().ok()) d = today();
    return year_month_day{d.year() / d.month() / day{1}} + months{by};
}

} // namespace

bool KVFun::IsValidYYYYMMDD(std::string_view value) const {
    const std::string_view t = trimSpaces(value);
    if (t.empty() || t == "00:00:00") return false;
    return parseDate8(dateDigits(t)).has_value();
}

std::string KVFun::ToYYYYMMDD(std::string_view value, std::string_view bAddHyphen) const {
    const std::string s = dateDigits(value);
    const std::string sep(bAddHyphen);
    // Eight digits keep their pieces even when they are no real date, so stored
    // text is shown as it was stored; anything else is the empty date.
    if (s.size() != 8 || !allDigits(s)) return "0000" + sep + "00" + sep + "00";
    return s.substr(0, 4) + sep + s.substr(4, 2) + sep + s.substr(6, 2);
}

year_month_day KVFun::ToDate(std::string_view value, bool bPVDate2Null) const {
    if (IsValidYYYYMMDD(value)) return *parseDate8(dateDigits(value));
    return bPVDate2Null ? kNullDate : today();
}

bool KVFun::IsValidTime(std::string_view value) const {
    const std::string s = withoutChar(trimSpaces(value), ':');
    if (s.size() != 6 || !allDigits(s)) return false;
    return number(s.substr(0, 2)) < 24 && number(s.substr(2, 2)) < 60 && number(s.substr(4, 2)) < 60;
}

std::string KVFun::DDHanGul(year_month_day NowDate) const {
    if (!NowDate.ok()) return {};
    static const char* const kNames[] = {"일요일", "월요일", "화요일", "수요일",
                                         "목요일", "금요일", "토요일"};
    return kNames[weekday{sys_days{NowDate}}.c_encoding()];
}

std::string KVFun::DDLastDay(year_month_day NowDate) const {
    if (!NowDate.year().ok() || !NowDate.month().ok()) return {};
    const unsigned last = static_cast<unsigned>(
        year_month_day_last{NowDate.year() / NowDate.month() / std::chrono::last}.day());
    return (last < 10 ? "0" : "") + std::to_string(last);
}

year_month_day KVFun::DDPreviousMonth(year_month_day NowDate) const {
    return firstOfMonthShifted(NowDate, -1);
}
year_month_day KVFun::ProcNextMonth(year_month_day cDateValue) const {
    return firstOfMonthShifted(cDateValue, 1);
}

} // namespace pelmora
