#pragma once
// The one clock every "now" goes through: the dispensing time class, "today"
// for an invalid date, the default dates. Tests freeze it.

#include <string>

namespace pelmora {

struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
    // "YYYYMMDD" and "HHMMSS"
    std::string yyyymmdd() const;
    std::string hhmmss() const;
};

class Clock {
public:
    // The local date and time: the frozen one when frozen.
    static LocalDateTime now();
    static std::string today() { return now().yyyymmdd(); }
    static void freeze(const LocalDateTime& at);
    static void unfreeze();
};

} // namespace pelmora
