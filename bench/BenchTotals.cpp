// The day's and the year's totals on a store of 1,000,000 prescriptions
// (five years of a busy pharmacy, 3 drug lines each): a month's totals per
// day and class, and a year's medical expenses per patient, each beside the
// naive way of reading the rows into a record set and adding them up, and
// the year beside the floor of reading its rows and doing nothing with them.
#include "BenchStoreFixture.h"
#include "data/StoreTotals.h"
#include "data/YearEndReport.h"

#include <benchmark/benchmark.h>

#include <map>

using namespace pelmora;
using bench::store;

namespace {

// A month of 2023: about 16,700 prescriptions.
void BM_MonthTotals(benchmark::State& state) {
    SqliteConnection& cn = store();
    long long count = 0;
    for (auto _ : state) {
        const StoreTotals t = ReadStoreTotals(cn, "20230501", "20230531");
        count = t.all.count;
        benchmark::DoNotOptimize(t.all.total);
    }
    state.counters["prescriptions"] = static_cast<double>(count);
}
BENCHMARK(BM_MonthTotals)->Unit(benchmark::kMillisecond);

// The naive way: every row of the month into a record set, added up per day in C++.
void BM_MonthTotalsNaive(benchmark::State& state) {
    SqliteConnection& cn = store();
    for (auto _ : state) {
        auto rs =
            cn.query("SELECT m.vcPreDt, m.iInsSn, c.* FROM Main m LEFT JOIN Charge c ON c.vcPreCd = m.vcPreCd"
                     " WHERE m.vcPreDt BETWEEN '20230501' AND '20230531'");
        std::map<std::string, Currency> days;
        for (; !rs.eof(); rs.moveNext())
            days[rs.field(0).toText()] +=
                rs.field("mTotal").isNull() ? Currency{} : rs.field("mTotal").toCurrency();
        benchmark::DoNotOptimize(days);
    }
}
BENCHMARK(BM_MonthTotalsNaive)->Unit(benchmark::kMillisecond);

// A year per patient: about 200,000 prescriptions of 50,000 patients.
void BM_YearPerPatient(benchmark::State& state) {
    SqliteConnection& cn = store();
    std::size_t patients = 0;
    for (auto _ : state) {
        const YearEndReport r = ReadYearEnd(cn, 2023);
        patients = r.patients.size();
        benchmark::DoNotOptimize(r.paid);
    }
    state.counters["patients"] = static_cast<double>(patients);
}
BENCHMARK(BM_YearPerPatient)->Unit(benchmark::kMillisecond);

void BM_YearPerPatientNaive(benchmark::State& state) {
    SqliteConnection& cn = store();
    for (auto _ : state) {
        auto rs = cn.query("SELECT m.vcPatJumNo, m.mMoneyPr, c.mBonin, c.mBibo FROM Main m LEFT JOIN Charge c"
                           " ON c.vcPreCd = m.vcPreCd WHERE m.vcPreDt BETWEEN '20230101' AND '20231231'");
        std::map<std::string, Currency> patients;
        for (; !rs.eof(); rs.moveNext())
            patients[ReportJumNo(rs.field(0).toText())] +=
                rs.field(2).isNull() ? rs.field(1).toCurrency()
                                     : rs.field(2).toCurrency() + rs.field(3).toCurrency();
        benchmark::DoNotOptimize(patients);
    }
}
BENCHMARK(BM_YearPerPatientNaive)->Unit(benchmark::kMillisecond);

// The floor under the year: the same rows read from the store, nothing done with them.
void BM_YearRowsOnly(benchmark::State& state) {
    SqliteConnection& cn = store();
    for (auto _ : state) {
        long long n = 0;
        cn.each(
            "SELECT m.vcPatJumNo, m.vcPatNm, c.mBonin, c.mBibo, m.mMoneyPr, m.vcPreDt, m.vcPreTm, m.vcPreCd"
            " FROM Main m LEFT JOIN Charge c ON c.vcPreCd = m.vcPreCd"
            " WHERE m.vcPreDt BETWEEN '20230101' AND '20231231'",
            {}, [&](const SqliteRow&) { ++n; });
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_YearRowsOnly)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
