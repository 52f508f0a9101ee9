// One charge calculation (five drug lines, twenty fee lookups) against the
// same twenty lookups issued directly on the SQLite C API, on a fee schedule
// of realistic size held in a file.

#include "charge/FeeSchedule.h"
#include "charge/clsAccount.h"
#include "data/RefConnection.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>

using namespace pelmora;

namespace {

// Saturday morning with internal and external lines: ten items per pricing run.
const std::string kHeader = "1#5#1#30#1#1#1#2#20180303#0#2#0#2#$";
const std::string kLines = "A1#1#3#7#급여#내복#120#0#0#21#x#y#$"
                           "A2#1#3#5#급여#내복#85.5#0#0#15#x#y#$"
                           "A3#1#3#3#100/100#내복#300#0#0#9#x#y#$"
                           "A4#1#3#1#급여#외용#1450#0#0#1#x#y#$"
                           "A5#1#3#7#비급여#내복#210#12#0#14#x#y#$";
const char* kCodes[] = {"Z1000", "Z2000",    "Z3000",    "Z4107",    "Z4121",
                        "Z5000", "Z2000030", "Z3000030", "Z4107030", "Z4121030"};

struct Schedule {
    test::TempDir dir;
    std::unique_ptr<SqliteConnection> db;
    Schedule() {
        db = SqliteConnection::create(dir.file("fees.db"));
        test::writeFeeSchedule(*db);
    }
};

Schedule& schedule() {
    static Schedule s;
    return s;
}

void BM_SubAcount(benchmark::State& state) {
    SqliteRefConnection cn(*schedule().db);
    for (auto _ : state) {
        clsAccount a;
        a.SubAcount(kHeader, kLines, cn);
        benchmark::DoNotOptimize(a.결과_받을금액);
    }
}
BENCHMARK(BM_SubAcount);

void BM_TwentyRawLookups(benchmark::State& state) {
    sqlite3* db = schedule().db->handle();
    const std::string& sql = clsAccount::feeLookupSql(Dialect::Local);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr);
    for (auto _ : state) {
        double sum = 0;
        for (int run = 0; run < 2; ++run) {
            for (const char* code : kCodes) {
                sqlite3_bind_text(st, 1, "20180303", 8, SQLITE_STATIC);
                sqlite3_bind_text(st, 2, code, -1, SQLITE_STATIC);
                if (sqlite3_step(st) == SQLITE_ROW) {
                    sum += sqlite3_column_double(st, 0);
                    benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
                    benchmark::DoNotOptimize(sqlite3_column_text(st, 2));
                    benchmark::DoNotOptimize(sqlite3_column_text(st, 3));
                }
                sqlite3_reset(st);
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    sqlite3_finalize(st);
}
BENCHMARK(BM_TwentyRawLookups);

// Keeps the per-iteration times so the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs)
            times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("fee schedule: %zu codes x 15 years\n", test::everyFeeCode().size());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto a = reporter.times.find("BM_SubAcount"), b = reporter.times.find("BM_TwentyRawLookups");
    if (a != reporter.times.end() && b != reporter.times.end() && b->second > 0)
        std::printf("SubAcount / twenty raw lookups = %.2f (goal <= 1.5)\n", a->second / b->second);
    benchmark::Shutdown();
    return 0;
}
