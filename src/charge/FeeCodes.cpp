#include "FeeCodes.h"

#include <cstdio>

namespace pelmora {

namespace {
std::string twoDigits(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

// Days past 15 are billed by bands; each band is named after its first day.
const char* dayBand(int n, const char* prefix3, char* buf, std::size_t size) {
    static constexpr int kStarts[] = {91, 81, 71, 61, 51, 41, 31, 26, 21, 16};
    for (int start : kStarts) {
        if (n >= start) {
            std::snprintf(buf, size, "%s%02d", prefix3, start);
            return buf;
        }
    }
    return nullptr;
}
} // namespace

std::string FeeCodes::ageDigit(std::int16_t ageClass) {
    switch (ageClass) {
    case 1:
    case 3:
        return "0";
    case 2:
        return "6";
    default:
        return "";
    }
}

std::string FeeCodes::afterHoursSuffix(const FeeShape& s) {
    const bool v = s.variant == 1;
    switch (s.afterHours) {
    case 1:
    case 5:
        return "000";
    case 2:
        return v ? "011" : "010";
    case 3:
        return "050";
    case 4:
        // The late-night child surcharge exists from 1 March 2013; before it
        // such a prescription was billed as night.
        if (s.date >= "20130301" && s.ageClass == 2) return v ? "021" : "020";
        return v ? "011" : "010";
    default:
        return "";
    }
}

std::string FeeCodes::shorten(const std::string& code) {
    if (code.size() >= 3 && code.compare(code.size() - 3, 3, "000") == 0) return code.substr(0, 5);
    return code;
}

std::string FeeCodes::internalCode(const FeeShape& s, const std::string& suffix) {
    const int n = s.days;
    if (s.date >= "20110701" && s.packAll == 1) return "Z4100" + suffix;
    if (n >= 1 && n <= 15) return "Z41" + twoDigits(n) + suffix;
    char buf[16];
    if (const char* band = dayBand(n, "Z43", buf, sizeof buf)) return band + suffix;
    return "";
}

std::string FeeCodes::externalCode(const FeeShape& s, const std::string& suffix) {
    if (s.external == 0 && s.injection == 0) return "";
    if (s.internal == 0) return (s.selfInjection == 1 ? "Z4130" : "Z4120") + suffix;
    if (s.external == 0) return "";
    return "Z4121" + suffix;
}

std::string FeeCodes::drugManagementCode(const FeeShape& s) {
    const int n = s.days;
    const std::string& d = s.date;
    std::string code;
    if (d >= "20170701") {
        code = s.narcotics == 1 ? "Z5001" : "Z5000";
    } else if (d < "20110701") {
        char buf[16];
        if (n >= 1 && n <= 13) {
            code = "Z5" + twoDigits(n) + "0";
        } else if (n == 14 || n == 15) {
            code = "Z52" + twoDigits(n);
        } else if (const char* band = dayBand(n, "Z52", buf, sizeof buf)) {
            code = band;
        }
    } else if (d < "20120101") {
        if (s.packAll == 1) {
            code = "Z5011";
        } else if (n >= 1 && n <= 5) {
            code = "Z5" + twoDigits(n) + "0";
        } else if (n >= 6) {
            code = "Z5061";
        }
    } else {
        code = "Z5000";
    }
    // Without internal drugs the fee does not depend on the days.
    if (s.internal == 0 && (s.external != 0 || s.injection != 0)) {
        if (d < "20120101") {
            code = "Z5010";
        } else if (d >= "20170701") {
            code = s.narcotics == 1 ? "Z5001" : "Z5000";
        }
    }
    return code;
}

std::array<std::string, 6> FeeCodes::items(const FeeShape& s) {
    const std::string x = afterHoursSuffix(s);
    const std::string last2 = x.size() >= 2 ? x.substr(x.size() - 2) : x;
    std::array<std::string, 6> c;
    c[0] = (s.afterHours == 2 && s.variant == 1) ? "Z1000001" : "Z1000";
    c[1] = shorten("Z2000" + ageDigit(s.ageClass) + last2);
    c[2] = shorten("Z3000" + x);
    c[3] = shorten(internalCode(s, x));
    c[4] = shorten(externalCode(s, x));
    c[5] = shorten(drugManagementCode(s));
    return c;
}

bool FeeCodes::saturday(const FeeShape& s) {
    return s.date >= "20131001" && s.afterHours == 5;
}

std::array<std::string, 4> FeeCodes::saturdayItems(const FeeShape& s) {
    static const std::string kSat = "030";
    std::array<std::string, 4> c;
    c[0] = "Z2000" + ageDigit(s.ageClass) + "30";
    c[1] = shorten("Z3000" + kSat);
    c[2] = shorten(internalCode(s, kSat));
    c[3] = shorten(externalCode(s, kSat));
    return c;
}

} // namespace pelmora
