#include "YearEndReport.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <set>
#include <unordered_map>

namespace pelmora {

namespace {
// One row per prescription of the year, added up per patient here rather
// than by GROUP BY, which would sort the whole year first.
const char* const kYearSql =
    "SELECT m.vcPatJumNo, m.vcPatNm,"
    " CASE WHEN c.vcPreCd IS NULL THEN CAST(round(coalesce(m.mMoneyPr, 0) * 10000) AS INTEGER)"
    "  ELSE CAST(round(coalesce(c.mBonin, 0) * 10000) AS INTEGER)"
    "   + CAST(round(coalesce(c.mBibo, 0) * 10000) AS INTEGER) END,"
    " m.vcPreDt, m.vcPreTm, m.vcPreCd"
    " FROM Main m LEFT JOIN Charge c ON c.vcPreCd = m.vcPreCd"
    " WHERE m.vcPreDt BETWEEN ?1 AND ?2";

// Date, time and code side by side: the later prescription compares greater.
using Moment = std::array<char, 24>;

Moment momentOf(const SqliteRow& row) {
    Moment m{};
    std::size_t at = 0;
    for (int col : {3, 4, 5}) {
        const std::string_view v = row.view(col).substr(0, col == 4 ? 6 : col == 3 ? 8 : 10);
        if (!v.empty()) std::memcpy(m.data() + at, v.data(), v.size());
        at += col == 4 ? 6 : col == 3 ? 8 : 10;
    }
    return m;
}

struct Patient {
    PatientYear year;
    Moment latest{};
};

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
} // namespace

std::string ReportJumNo(std::string_view jumNo) {
    std::string digits;
    for (char c : jumNo)
        if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    return digits;
}

YearEndReport ReadYearEnd(SqliteConnection& cn, int year) {
    YearEndReport r;
    // Per resident number as stored, looked up without copying the row's text.
    std::unordered_map<std::string, Patient, TextHash, std::equal_to<>> stored;
    const std::string y = std::to_string(year);
    cn.each(kYearSql, {Variant(y + "0101"), Variant(y + "1231")}, [&](const SqliteRow& row) {
        const std::string_view number = row.view(0);
        auto it = stored.find(number);
        if (it == stored.end()) it = stored.emplace(std::string(number), Patient{}).first;
        Patient& p = it->second;
        ++p.year.count;
        p.year.paid += Currency::fromTicks(row.int64(2));
        if (const Moment m = momentOf(row); m > p.latest) {
            p.latest = m;
            p.year.name = row.view(1);
        }
    });

    // One patient may be stored with and without the hyphen: merged by digits.
    std::unordered_map<std::string, Patient> patients;
    for (auto& [number, s] : stored) {
        std::string j = ReportJumNo(number);
        if (j.empty()) {
            r.withoutNumber += s.year.count;
            continue;
        }
        Patient& p = patients[j];
        p.year.count += s.year.count;
        p.year.paid += s.year.paid;
        if (s.latest > p.latest) {
            p.latest = s.latest;
            p.year.name = std::move(s.year.name);
        }
    }
    std::set<std::string> optedOut;
    cn.each("SELECT vcPatJumNo FROM NoReport", {},
            [&](const SqliteRow& row) { optedOut.insert(row.text(0)); });
    for (auto& [number, p] : patients) {
        if (optedOut.count(number)) {
            ++r.optedOut;
            continue;
        }
        p.year.jumNo = number;
        r.paid += p.year.paid;
        r.patients.push_back(std::move(p.year));
    }
    std::sort(r.patients.begin(), r.patients.end(), [](const PatientYear& a, const PatientYear& b) {
        return a.name != b.name ? a.name < b.name : a.jumNo < b.jumNo;
    });
    return r;
}

bool IsNoReport(SqliteConnection& cn, std::string_view jumNo) {
    const std::string j = ReportJumNo(jumNo);
    if (j.empty()) return false;
    return !cn.query("SELECT 1 FROM NoReport WHERE vcPatJumNo = ?", {Variant(j)}).eof();
}

bool SetNoReport(SqliteConnection& cn, std::string_view jumNo, bool noReport, const std::string& now) {
    const std::string j = ReportJumNo(jumNo);
    if (j.empty()) return false;
    if (noReport)
        cn.execute("INSERT OR REPLACE INTO NoReport(vcPatJumNo, vcUpDt) VALUES(?, ?)",
                   {Variant(j), Variant(now)});
    else
        cn.execute("DELETE FROM NoReport WHERE vcPatJumNo = ?", {Variant(j)});
    return true;
}

} // namespace pelmora
