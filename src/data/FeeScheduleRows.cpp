#include "FeeSchedule.h"

#include <cmath>
#include <map>

namespace pelmora {

namespace {

struct Suffix {
    const char* x;
    double times;
    const char* name;
    const char* since;
};

// After-hours suffixes: normal, night, night (variant code), holiday, late
// night for a child (plain and variant) and the Saturday-morning surcharge.
const Suffix kSuffixes[] = {{"000", 1.0, "", ""},
                            {"010", 1.3, "(야간)", ""},
                            {"011", 1.3, "(야간,차등)", ""},
                            {"050", 1.3, "(공휴)", ""},
                            {"020", 2.0, "(심야,6세미만)", "20130301"},
                            {"021", 2.0, "(심야,6세미만,차등)", "20130301"},
                            {"030", 0.3, "(토요가산)", "20131001"}};

std::string itemName(const std::string& base) {
    static const std::map<std::string, std::string> fixed = {{"Z1000", "약국관리료"},
                                                             {"Z2000", "조제기본료"},
                                                             {"Z3000", "복약지도료"},
                                                             {"Z4100", "내복약조제료(팩단위)"},
                                                             {"Z4120", "외용약조제료"},
                                                             {"Z4130", "외용약조제료(자가투여주사)"},
                                                             {"Z4121", "외용약조제료(내복약 동시)"},
                                                             {"Z5000", "의약품관리료"},
                                                             {"Z5001", "의약품관리료(마약류 포함)"},
                                                             {"Z5011", "의약품관리료(팩단위)"},
                                                             {"Z5061", "의약품관리료 6일분이상"}};
    if (auto it = fixed.find(base); it != fixed.end()) return it->second;
    const bool internal = base.rfind("Z4", 0) == 0;
    const std::string what = internal ? "내복약조제료 " : "의약품관리료 ";
    int first = std::stoi(base.substr(3, 2));
    if (base.rfind("Z50", 0) == 0 || base.rfind("Z51", 0) == 0) first = std::stoi(base.substr(2, 2));
    if (base.rfind("Z41", 0) == 0 || (base.rfind("Z52", 0) == 0 && first <= 15))
        return what + std::to_string(first) + "일분";
    if (first == 91) return what + "91일분이상";
    static const std::map<int, int> last = {{16, 20}, {21, 25}, {26, 30}, {31, 40}, {41, 50},
                                            {51, 60}, {61, 70}, {71, 80}, {81, 90}};
    if (auto it = last.find(first); it != last.end())
        return what + std::to_string(first) + "-" + std::to_string(it->second) + "일분";
    return what + std::to_string(first) + "일분";
}

} // namespace

// Every code the fee rules build, with the normal-hours item it is priced
// from, its multiplier, its name and the first date it exists (if later
// than the item).
const std::vector<FeeSchedule::Variant>& FeeSchedule::variants() {
    static const std::vector<Variant> list = [] {
        std::vector<Variant> v;
        auto shorten = [](std::string c) {
            return c.size() == 8 && c.substr(5) == "000" ? c.substr(0, 5) : c;
        };
        auto mid = [](const std::string& base) {
            return base == "Z4100" || base == "Z5011" || base == "Z5061" ? std::string("20110701")
                                                                         : std::string();
        };
        v.push_back({"Z1000", "Z1000", 1.0, itemName("Z1000"), ""});
        v.push_back({"Z1000001", "Z1000", 1.3, itemName("Z1000") + "(야간,차등)", ""});
        for (const char* d : {"0", "6"}) {
            const bool child = d[0] == '6';
            for (const auto& s : kSuffixes)
                v.push_back(
                    {shorten(std::string("Z2000") + d + (s.x + 1)), "Z2000", s.times * (child ? 1.3 : 1.0),
                     itemName("Z2000") + (child && s.x[1] != '2' ? "(6세미만)" : "") + s.name, s.since});
        }
        std::vector<std::string> suffixed = {"Z3000", "Z4100", "Z4120", "Z4130", "Z4121"};
        suffixed.insert(suffixed.end(), internalCodes().begin(), internalCodes().end());
        for (const auto& b : suffixed)
            for (const auto& s : kSuffixes)
                v.push_back(
                    {shorten(b + s.x), b, s.times, itemName(b) + s.name, s.since[0] ? s.since : mid(b)});
        std::vector<std::string> management = {"Z5000", "Z5011", "Z5061"};
        auto days = dayDrugManagementCodes();
        management.insert(management.end(), days.begin(), days.end());
        for (const auto& b : management)
            v.push_back({b, b, 1.0, itemName(b), mid(b)});
        v.push_back({"Z5001", "Z5001", 1.0, itemName("Z5001"), "20170701"});
        return v;
    }();
    return list;
}

// The row of a variant in a year whose item costs `won`: from 1 January, or
// from the variant's first date when it begins that year; none before it.
std::optional<FeeRow> FeeSchedule::rowOf(const Variant& v, std::int64_t won, int year) {
    const std::string y = std::to_string(year);
    if (won == 0 || (!v.since.empty() && v.since.substr(0, 4) > y)) return std::nullopt;
    const std::string date = !v.since.empty() && v.since.substr(0, 4) == y ? v.since : y + "0101";
    return FeeRow{v.code, v.name, v.times == 1.0 ? won : round10(static_cast<double>(won) * v.times), date};
}

void FeeSchedule::buildRows() {
    for (const Variant& v : variants())
        for (int y = kFirstYear; y <= kLastYear; ++y)
            if (auto row = rowOf(v, base(v.base, y), y)) rows_.push_back(std::move(*row));
}

std::vector<FeeRow> FeeSchedule::yearRows(int year, const std::vector<PublishedFee>& items) {
    std::vector<FeeRow> rows;
    for (const PublishedFee& item : items) {
        bool known = false;
        for (const Variant& v : variants())
            if (v.base == item.code) {
                known = true;
                if (auto row = rowOf(v, item.won, year)) rows.push_back(std::move(*row));
            }
        if (!known) rows.push_back({item.code, item.name, item.won, std::to_string(year) + "0101"});
    }
    return rows;
}

} // namespace pelmora
