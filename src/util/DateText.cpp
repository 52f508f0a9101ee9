#include "DateText.h"

#include <chrono>
#include <cstdio>

namespace pelmora::DateText {

namespace {

std::chrono::year_month_day parse(std::string_view t) {
    auto num = [&](std::size_t at, std::size_t n) {
        int v = 0;
        for (char c : t.substr(at, n))
            v = v * 10 + (c - '0');
        return v;
    };
    return {std::chrono::year{num(0, 4)}, std::chrono::month{static_cast<unsigned>(num(4, 2))},
            std::chrono::day{static_cast<unsigned>(num(6, 2))}};
}

} // namespace

std::optional<std::string> of(int year, int month, int day) {
    if (year < 1000 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    const std::chrono::year_month_day d{std::chrono::year{year},
                                        std::chrono::month{static_cast<unsigned>(month)},
                                        std::chrono::day{static_cast<unsigned>(day)}};
    if (!d.ok()) return std::nullopt;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", year, month, day);
    return std::string(buf);
}

bool isDate(std::string_view text) {
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string_view::npos) return false;
    const auto d = parse(text);
    return static_cast<int>(d.year()) >= 1000 && d.ok();
}

std::string plusDays(std::string_view date, int n) {
    const std::chrono::year_month_day d{std::chrono::sys_days{parse(date)} + std::chrono::days{n}};
    return of(static_cast<int>(d.year()), static_cast<int>(static_cast<unsigned>(d.month())),
              static_cast<int>(static_cast<unsigned>(d.day())))
        .value_or(std::string(date));
}

std::string shown(std::string_view date) {
    if (date.size() != 8) return std::string(date);
    return std::string(date.substr(0, 4)) + "-" + std::string(date.substr(4, 2)) + "-" +
           std::string(date.substr(6, 2));
}

} // namespace pelmora::DateText
