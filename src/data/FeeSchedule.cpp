#include "FeeSchedule.h"

#include "ReferenceFacts.h"
#include "TsvTable.h"

#include <cmath>
#include <iterator>
#include <stdexcept>

namespace pelmora {

namespace {

constexpr int kPointYear = 2013;

// Conversion factors of the years the published table lacks (demo values
// continuing its yearly rise backwards).
double factor(int year) {
    static const std::map<int, double> table = [] {
        std::map<int, double> t{{2009, 63.5}, {2010, 65.4}};
        for (const TsvTable factors(kFeeFactorsTsv); const auto& r : factors.rows())
            t[std::stoi(r[0])] = std::stod(r[1]);
        return t;
    }();
    return table.at(year);
}

std::string two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

} // namespace

std::int64_t FeeSchedule::round10(double won) {
    return std::llround(won / 10.0) * 10;
}

// The internal-dispensing codes in order of days: one per day up to 15,
// then one per band, named after the band's first day.
const std::vector<std::string>& FeeSchedule::internalCodes() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> l;
        for (int n = 1; n <= 15; ++n)
            l.push_back("Z41" + two(n));
        for (int n : {16, 21, 26, 31, 41, 51, 61, 71, 81, 91})
            l.push_back("Z43" + two(n));
        return l;
    }();
    return list;
}

// Drug-management codes of the years before 2012, by days.
std::vector<std::string> FeeSchedule::dayDrugManagementCodes() {
    std::vector<std::string> l;
    for (int n = 1; n <= 13; ++n)
        l.push_back("Z5" + two(n) + "0");
    for (const char* c : {"Z5214", "Z5215", "Z5216", "Z5221", "Z5226", "Z5231", "Z5241", "Z5251", "Z5261",
                          "Z5271", "Z5281", "Z5291"})
        l.emplace_back(c);
    return l;
}

namespace {

// Demo amounts in won at the point year: the published figures of that year
// where there are any, the rest in proportion.
std::map<std::string, double> pointYearAmounts() {
    const auto& internalCodes = FeeSchedule::internalCodes();
    std::map<std::string, double> a{{"Z1000", 460}, {"Z2000", 1200}, {"Z3000", 780}, {"Z5000", 500},
                                    {"Z5001", 690}, {"Z4120", 850},  {"Z4130", 850}, {"Z4121", 300},
                                    {"Z5011", 430}, {"Z5061", 520}};
    const double internal[] = {1190, 1470, 1750, 2020, 2280, 2560, 2840, 3080, 3330, 3570, 3810,  4050, 4300,
                               4540, 4780, 5420, 6050, 6690, 7330, 7970, 8620, 9260, 9900, 10540, 10840};
    for (std::size_t i = 0; i < internalCodes.size(); ++i)
        a[internalCodes[i]] = internal[i];
    a["Z4100"] = internal[0]; // a pack-unit prescription counts as one day
    int i = 0;
    for (const auto& c : FeeSchedule::dayDrugManagementCodes())
        a[c] = 430 + 20 * i++;
    return a;
}

// First year of a normal-hours item, and its last (the day-based drug
// management codes ended with 2011).
std::pair<int, int> yearsOf(const std::string& code) {
    if (code == "Z5000") return {2012, FeeSchedule::kLastYear};
    if (code == "Z5001") return {2017, FeeSchedule::kLastYear};
    if (code == "Z4100") return {2011, FeeSchedule::kLastYear};
    if (code == "Z5011" || code == "Z5061") return {2011, 2011};
    if (code.rfind("Z5", 0) == 0) return {FeeSchedule::kFirstYear, 2011};
    return {FeeSchedule::kFirstYear, FeeSchedule::kLastYear};
}

} // namespace

std::string FeeSchedule::internalCode(int days) {
    if (days <= 15) return "Z41" + two(days);
    for (auto it = internalCodes().rbegin(); it != internalCodes().rend(); ++it)
        if (days >= std::stoi(it->substr(3))) return *it;
    return "Z4391";
}

std::string FeeSchedule::drugManagementCode(int year, int days, bool narcotics) {
    if (year >= 2012) return narcotics && year >= 2018 ? "Z5001" : "Z5000";
    if (days <= 13) return "Z5" + two(days) + "0";
    if (days <= 15) return "Z52" + two(days);
    const int bands[] = {91, 81, 71, 61, 51, 41, 31, 26, 21, 16};
    for (int b : bands)
        if (days >= b) return "Z52" + two(b);
    return "Z5216";
}

FeeSchedule::FeeSchedule() {
    scaleDemoValues();
    applyPublishedItems();
    followPublishedItems();
    meetPublishedTotals();
    fillInternalFees();
    checkPublishedTotals();
    buildRows();
}

std::int64_t FeeSchedule::base(const std::string& code, int year) const {
    auto c = base_.find(code);
    if (c == base_.end()) return 0;
    auto y = c->second.find(year);
    return y == c->second.end() ? 0 : y->second;
}

void FeeSchedule::scaleDemoValues() {
    for (const auto& [code, won] : pointYearAmounts()) {
        auto [first, last] = yearsOf(code);
        for (int y = first; y <= last; ++y)
            base_[code][y] = round10(won / factor(kPointYear) * factor(y));
    }
}

void FeeSchedule::applyPublishedItems() {
    for (const TsvTable items(kFeeItemsTsv); const auto& r : items.rows()) {
        int year = std::stoi(r[0]);
        base_[r[2]][year] = std::stoll(r[3]);
        fixed_[r[2]][year] = true;
    }
}

// Years without a published figure of an item that has some lie on the line
// between the published years around them, or follow the conversion factor
// from the nearest one.
void FeeSchedule::followPublishedItems() {
    for (auto& [code, years] : base_) {
        const auto& fixed = fixed_[code];
        if (fixed.empty()) continue;
        for (auto& [y, won] : years) {
            if (fixed.count(y)) continue;
            auto after = fixed.lower_bound(y);
            auto before = after == fixed.begin() ? fixed.end() : std::prev(after);
            if (before != fixed.end() && after != fixed.end()) {
                double t = static_cast<double>(y - before->first) / (after->first - before->first);
                won = round10(base(code, before->first) * (1 - t) + base(code, after->first) * t);
            } else {
                int from = before != fixed.end() ? before->first : after->first;
                won = round10(static_cast<double>(base(code, from)) / factor(from) * factor(y));
            }
        }
    }
}

// Each published total fixes the one item it does not share with the other
// totals of its year: the internal-dispensing fee of its days, or with the
// narcotics fee the narcotics drug-management fee.
void FeeSchedule::meetPublishedTotals() {
    auto set = [&](const std::string& code, int year, std::int64_t won) {
        if (fixed_[code][year] && base_[code][year] != won)
            throw std::logic_error("published figures disagree on " + code + " in " + std::to_string(year));
        base_[code][year] = won;
        fixed_[code][year] = true;
    };
    auto common = [&](int y) { return base("Z1000", y) + base("Z2000", y) + base("Z3000", y); };
    TsvTable totals(kFeeTotalsTsv);
    for (int pass = 0; pass < 3; ++pass) {
        for (const auto& r : totals.rows()) {
            int y = std::stoi(r[0]), days = std::stoi(r[1]);
            bool narcotics = r[2] == "예";
            std::int64_t total = std::stoll(r[3]);
            std::string in = internalCode(days), dm = drugManagementCode(y, days, narcotics);
            if (pass == 0 && !narcotics) set(in, y, total - common(y) - base(dm, y));
            // a narcotics total next to a known internal fee gives the narcotics fee
            if (pass == 1 && narcotics && fixed_[in][y]) set(dm, y, total - common(y) - base(in, y));
            if (pass == 2 && narcotics && !fixed_[in][y]) set(in, y, total - common(y) - base(dm, y));
        }
    }
}

// Internal fees without a published figure follow the demo curve, scaled by
// the ratio of published to demo at the nearest published day counts.
void FeeSchedule::fillInternalFees() {
    const auto demo = pointYearAmounts();
    const auto& codes = internalCodes();
    for (int y = kFirstYear; y <= kLastYear; ++y) {
        std::vector<double> ratio(codes.size(), 0);
        std::vector<bool> anchor(codes.size(), false);
        for (std::size_t i = 0; i < codes.size(); ++i) {
            const std::string& c = codes[i];
            anchor[i] = fixed_[c][y];
            if (anchor[i])
                ratio[i] =
                    static_cast<double>(base(c, y)) / round10(demo.at(c) / factor(kPointYear) * factor(y));
        }
        for (std::size_t i = 0; i < codes.size(); ++i) {
            if (anchor[i]) continue;
            int lo = -1, hi = -1;
            for (int j = static_cast<int>(i); j >= 0 && lo < 0; --j)
                lo = anchor[static_cast<std::size_t>(j)] ? j : -1;
            for (std::size_t j = i; j < codes.size() && hi < 0; ++j)
                hi = anchor[j] ? static_cast<int>(j) : -1;
            double r = 1;
            if (lo >= 0 && hi >= 0) {
                double t = static_cast<double>(static_cast<int>(i) - lo) / (hi - lo);
                r = ratio[static_cast<std::size_t>(lo)] * (1 - t) + ratio[static_cast<std::size_t>(hi)] * t;
            } else if (lo >= 0 || hi >= 0) {
                r = ratio[static_cast<std::size_t>(lo >= 0 ? lo : hi)];
            }
            base_[codes[i]][y] = round10(demo.at(codes[i]) / factor(kPointYear) * factor(y) * r);
        }
        if (y >= 2011) base_["Z4100"][y] = base("Z4101", y);
    }
}

void FeeSchedule::checkPublishedTotals() const {
    for (const TsvTable totals(kFeeTotalsTsv); const auto& r : totals.rows()) {
        int y = std::stoi(r[0]), days = std::stoi(r[1]);
        std::int64_t sum = base("Z1000", y) + base("Z2000", y) + base("Z3000", y) +
                           base(internalCode(days), y) + base(drugManagementCode(y, days, r[2] == "예"), y);
        if (sum != std::stoll(r[3]))
            throw std::logic_error("the fee schedule misses the published total of " + r[0] + ", " + r[1] +
                                   " days");
    }
}

} // namespace pelmora
