#include "StoreTotals.h"

#include <map>

namespace pelmora {

namespace {
const char* const kAmountColumns[] = {"mTotal", "mBonin", "mInsurer", "mGongdan", "mBohun",    "mJiwon",
                                      "mBibo",  "mFull",  "mCollect", "mCard",    "mCashRcpt", "mCash"};

// One row per prescription, in date order (the index on the dispensing date
// gives it), added up here: quicker than SQLite's GROUP BY, which sorts. The
// amounts come as whole ten-thousandths of a won, exact whether an amount was
// stored as an integer (whole won) or as a real.
const std::string& rowsSql() {
    static const std::string sql = [] {
        std::string s = "SELECT m.vcPreDt, coalesce(c.iInsSn, m.iInsSn, 0), c.vcPreCd IS NULL";
        for (const char* col : kAmountColumns)
            s += std::string(", CAST(round(c.") + col + " * 10000) AS INTEGER)";
        return s + " FROM Main m LEFT JOIN Charge c ON c.vcPreCd = m.vcPreCd"
                   " WHERE m.vcPreDt BETWEEN ?1 AND ?2 ORDER BY m.vcPreDt";
    }();
    return sql;
}

ChargeSums sumsOf(const SqliteRow& row) {
    ChargeSums s;
    s.count = 1;
    s.unpriced = row.int64(2);
    Currency* amounts[] = {&s.total, &s.bonin, &s.insurer, &s.gongdan, &s.bohun,    &s.jiwon,
                           &s.bibo,  &s.full,  &s.collect, &s.card,    &s.cashRcpt, &s.cash};
    int col = 3;
    for (Currency* a : amounts)
        *a = Currency::fromTicks(row.int64(col++));
    return s;
}
} // namespace

ChargeSums& ChargeSums::operator+=(const ChargeSums& o) {
    count += o.count;
    unpriced += o.unpriced;
    total += o.total;
    bonin += o.bonin;
    insurer += o.insurer;
    gongdan += o.gongdan;
    bohun += o.bohun;
    jiwon += o.jiwon;
    bibo += o.bibo;
    full += o.full;
    collect += o.collect;
    card += o.card;
    cashRcpt += o.cashRcpt;
    cash += o.cash;
    return *this;
}

StoreTotals ReadStoreTotals(SqliteConnection& cn, const std::string& from, const std::string& to) {
    StoreTotals t;
    std::map<int, ChargeSums> classes;
    cn.each(rowsSql(), {Variant(from), Variant(to)}, [&](const SqliteRow& row) {
        const ChargeSums s = sumsOf(row);
        const std::string_view date = row.view(0);
        if (t.days.empty() || t.days.back().date != date) t.days.push_back({std::string(date), {}});
        t.days.back().sums += s;
        classes[static_cast<int>(row.int64(1))] += s;
    });
    for (const auto& d : t.days)
        t.all += d.sums;
    for (auto& [k, s] : classes)
        t.classes.push_back({k, s});
    return t;
}

} // namespace pelmora
