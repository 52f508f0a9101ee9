#include "ModFunction.h"

#include "Clock.h"
#include "KVFun.h"

#include <algorithm>

namespace pelmora::ModFunction {

namespace {

constexpr int kWeights[12] = {2, 3, 4, 5, 6, 7, 8, 9, 2, 3, 4, 5};

std::string withoutHyphens(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != '-') out.push_back(c);
    return out;
}

bool thirteenDigits(std::string_view n) {
    return n.size() == 13 && std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int digitAt(std::string_view n, std::size_t position) {
    return n[position - 1] - '0';
}

int weightedSum(std::string_view n) {
    int s = 0;
    for (std::size_t i = 0; i < 12; ++i)
        s += (n[i] - '0') * kWeights[i];
    return s;
}

bool isForeignSexDigit(char g) {
    return g >= '5' && g <= '8';
}

// The two century digits from digit 7; an unknown digit takes this century.
std::string century(char g) {
    switch (g) {
    case '1':
    case '2':
    case '5':
    case '6':
        return "19";
    case '3':
    case '4':
    case '7':
    case '8':
        return "20";
    case '9':
    case '0':
        return "18";
    default: {
        const int c = (Clock::now().year / 100) % 100;
        return std::string(1, static_cast<char>('0' + c / 10)) + static_cast<char>('0' + c % 10);
    }
    }
}

bool isDate8(std::string_view s) {
    return s.size() == 8 && kvfun().IsValidYYYYMMDD(s);
}

int yearOf(std::string_view date8) {
    return std::stoi(std::string(date8.substr(0, 4)));
}

// The birth date YYYYMMDD of a 13-character number, "" when it is none.
std::string birthDate(std::string_view n) {
    std::string birth = century(n[6]) + std::string(n.substr(0, 6));
    return isDate8(birth) ? birth : std::string();
}

} // namespace

std::int16_t AgeFromResidentNo(std::string_view date, std::string& number) {
    number = withoutHyphens(number);
    const std::string d = withoutHyphens(date);
    if (number.size() != 13 || !isDate8(d)) return -1;
    const std::string birth = birthDate(number);
    if (!birth.empty()) {
        int age = yearOf(d) - yearOf(birth);
        if (d.substr(4) < birth.substr(4)) --age; // birthday not reached yet this year
        return static_cast<std::int16_t>(age);
    }
    // An impossible month or day: the birth year alone still gives the age.
    if (number[0] >= '0' && number[0] <= '9' && number[1] >= '0' && number[1] <= '9')
        return static_cast<std::int16_t>(yearOf(d) - std::stoi(century(number[6]) + number.substr(0, 2)));
    return -1;
}

std::int16_t AgeFromResidentNo(std::string_view date, std::string_view number) {
    std::string n(number);
    return AgeFromResidentNo(date, n);
}

std::string SexFromResidentNo(std::string_view number) {
    const std::string n = withoutHyphens(number);
    const bool female = n.size() == 13 && (n[6] == '2' || n[6] == '4' || n[6] == '6' || n[6] == '8');
    return female ? "여" : "남";
}

bool CheckResidentNo(std::string_view number) {
    const std::string n = withoutHyphens(number);
    if (!thirteenDigits(n)) return false;
    const int c = (11 - weightedSum(n) % 11) % 10; // 10 gives 0, 11 gives 1
    return digitAt(n, 13) == c;
}

bool CheckForeignerNo(std::string_view number) {
    const std::string n = withoutHyphens(number);
    if (!thirteenDigits(n)) return false;
    if ((digitAt(n, 8) * 10 + digitAt(n, 9)) % 2 != 0) return false;
    if (digitAt(n, 12) < 6) return false;
    int c = 11 - weightedSum(n) % 11;
    if (c > 9) c -= 10;
    c += 2;
    if (c > 9) c -= 10;
    return digitAt(n, 13) == c;
}

bool CheckSpecialNo(std::string_view number) {
    const std::string n = withoutHyphens(number);
    return n.size() >= 3 && n[2] >= '3' && n[2] <= '5';
}

ResidentNoVerdict ResidentNoCheck(std::string_view number) {
    const std::string n = withoutHyphens(number);
    if (!thirteenDigits(n) || birthDate(n).empty()) return ResidentNoVerdict::Malformed;
    const bool ok = isForeignSexDigit(n[6]) ? CheckForeignerNo(n) : CheckResidentNo(n);
    return ok ? ResidentNoVerdict::Valid : ResidentNoVerdict::NoCheckDigit;
}

std::string ResidentInfo(std::string_view date, std::string_view number) {
    std::string n = withoutHyphens(number);
    const std::string d = withoutHyphens(date);
    if (d.size() != 8 || n.size() != 13) return "X#?#-1";
    const std::int16_t age = AgeFromResidentNo(d, n);
    const std::string sex = SexFromResidentNo(n);
    bool valid = isForeignSexDigit(n[6]) ? CheckForeignerNo(n) : CheckResidentNo(n);
    if (!valid) valid = CheckSpecialNo(n);
    // Everyone born since October 2020 has a number without a check digit.
    if (!valid && ResidentNoCheck(n) == ResidentNoVerdict::NoCheckDigit) valid = birthDate(n) >= "20201001";
    return std::string(valid ? "O" : "X") + "#" + sex + "#" + std::to_string(age);
}

std::string MaskResidentNo(std::string_view number) {
    const std::string n = withoutHyphens(number);
    // Whole characters, so Hangul typed into the field is never cut in half.
    std::size_t chars = 0, i = 0, cut6 = n.size(), cut7 = n.size();
    std::size_t hidden = 0;
    while (i < n.size()) {
        const auto c = static_cast<unsigned char>(n[i]);
        std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        len = std::min(len, n.size() - i);
        ++chars;
        i += len;
        if (chars == 6) cut6 = i;
        if (chars == 7) cut7 = i;
        if (chars > 7) ++hidden;
    }
    if (chars <= 6) return n;
    return n.substr(0, cut6) + "-" + n.substr(cut6, cut7 - cut6) + std::string(hidden, '*');
}

std::string WeekdayName(std::chrono::year_month_day date) {
    return kvfun().DDHanGul(date);
}

std::string WeekdayName(std::string_view date) {
    if (!kvfun().IsValidYYYYMMDD(date)) return {};
    return kvfun().DDHanGul(kvfun().ToDate(date));
}

} // namespace pelmora::ModFunction
