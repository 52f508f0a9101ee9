#include "Clock.h"

#include <cstdio>
#include <ctime>
#include <optional>

namespace pelmora {

namespace {
std::optional<LocalDateTime> g_frozen;
}

std::string LocalDateTime::yyyymmdd() const {
    char b[16];
    std::snprintf(b, sizeof b, "%04d%02d%02d", year % 10000, month % 100, day % 100);
    return b;
}

std::string LocalDateTime::hhmmss() const {
    char b[16];
    std::snprintf(b, sizeof b, "%02d%02d%02d", hour % 100, minute % 100, second % 100);
    return b;
}

LocalDateTime Clock::now() {
    if (g_frozen) return *g_frozen;
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void Clock::freeze(const LocalDateTime& at) { g_frozen = at; }
void Clock::unfreeze() { g_frozen.reset(); }

} // namespace pelmora
