#include "YearEndReport.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace pelmora {

namespace {
// Per stored resident number; SQLite takes the bare vcPatNm from the row
// that gives max() its value, the latest prescription.
const char* const kYearSql =
    "SELECT m.vcPatJumNo, m.vcPatNm, count(*),"
    " sum(CASE WHEN c.vcPreCd IS NULL THEN CAST(round(coalesce(m.mMoneyPr, 0) * 10000) AS INTEGER)"
    "  ELSE CAST(round(coalesce(c.mBonin, 0) * 10000) AS INTEGER)"
    "   + CAST(round(coalesce(c.mBibo, 0) * 10000) AS INTEGER) END),"
    " max(m.vcPreDt || m.vcPreTm || m.vcPreCd)"
    " FROM Main m LEFT JOIN Charge c ON c.vcPreCd = m.vcPreCd"
    " WHERE m.vcPreDt BETWEEN ?1 AND ?2 GROUP BY m.vcPatJumNo";

struct Patient {
    PatientYear year;
    std::string latest;
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
    std::set<std::string> optedOut;
    cn.each("SELECT vcPatJumNo FROM NoReport", {},
            [&](const SqliteRow& row) { optedOut.insert(row.text(0)); });
    // One patient may be stored with and without the hyphen: merged by digits.
    std::map<std::string, Patient> patients;
    const std::string y = std::to_string(year);
    cn.each(kYearSql, {Variant(y + "0101"), Variant(y + "1231")}, [&](const SqliteRow& row) {
        std::string j = ReportJumNo(row.text(0));
        if (j.empty()) {
            r.withoutNumber += row.int64(2);
            return;
        }
        Patient& p = patients[j];
        if (p.year.jumNo.empty()) p.year.jumNo = j;
        p.year.count += row.int64(2);
        p.year.paid += Currency::fromTicks(row.int64(3));
        if (std::string latest = row.text(4); latest > p.latest) {
            p.latest = std::move(latest);
            p.year.name = row.text(1);
        }
    });
    for (auto& [j, p] : patients) {
        if (optedOut.count(j)) {
            ++r.optedOut;
            continue;
        }
        r.paid += p.year.paid;
        r.patients.push_back(std::move(p.year));
    }
    std::stable_sort(r.patients.begin(), r.patients.end(),
                     [](const PatientYear& a, const PatientYear& b) { return a.name < b.name; });
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
