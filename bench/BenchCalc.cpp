// Batch pricing of the command-line tool (JSON in, JSON out, fee table in
// memory) against the rate of twenty raw fee lookups per request, on a fee
// schedule of realistic size.

#include "CalcSession.h"
#include "charge/FeeIndex.h"
#include "charge/FeeSchedule.h"
#include "charge/clsAccount.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <random>
#include <sstream>

using namespace pelmora;

namespace {

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

// Requests of every class, age, time class and date band, with one to eight lines.
std::string requests(int n) {
    std::mt19937 rng(20181);
    const char* coverage[] = {"급여",   "급여",   "급여",   "비급여", "100/100",
                              "50/100", "80/100", "30/100", "90/100"};
    const char* route[] = {"내복", "내복", "외용", "주사"};
    std::string out;
    for (int i = 0; i < n; ++i) {
        const int year = 2010 + static_cast<int>(rng() % 15);
        char date[16];
        std::snprintf(date, sizeof date, "%04d%02d%02d", year, 1 + static_cast<int>(rng() % 12),
                      1 + static_cast<int>(rng() % 28));
        std::string header = std::to_string(1 + rng() % 3) + "#" + std::to_string(1 + rng() % 5) + "#" +
                             std::to_string(rng() % 25) + "#30#1#1#1#2#" + date + "#0#2#" +
                             std::to_string(rng() % 2) + "#2#$";
        std::string lines;
        for (int l = 0, count = 1 + static_cast<int>(rng() % 8); l < count; ++l)
            lines += "A#1#3#" + std::to_string(1 + rng() % 30) + "#" + coverage[rng() % 9] + "#" +
                     route[rng() % 4] + "#" + std::to_string(10 + rng() % 2000) + "#0#0#" +
                     std::to_string(1 + rng() % 90) + "#x#y#$";
        out += "{\"header\":\"" + header + "\",\"lines\":\"" + lines + "\"}\n";
    }
    return out;
}

// Standard output stands in for a pipe: the bytes are counted, not kept.
struct CountingBuffer : std::streambuf {
    std::size_t bytes = 0;
    std::streamsize xsputn(const char*, std::streamsize n) override {
        bytes += static_cast<std::size_t>(n);
        return n;
    }
    int_type overflow(int_type c) override {
        ++bytes;
        return c;
    }
};

void BM_BatchRequests(benchmark::State& state) {
    const int n = 2000;
    const std::string input = requests(n);
    FeeIndex index(*schedule().db);
    calc::CalcSession session(index);
    for (auto _ : state) {
        std::istringstream in(input);
        CountingBuffer sink;
        std::ostream out(&sink);
        session.batch(in, out);
        benchmark::DoNotOptimize(sink.bytes);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BatchRequests)->Unit(benchmark::kMillisecond);

// The floor of issuing the lookups: twenty prepared point queries per request.
void BM_TwentyRawLookupsPerRequest(benchmark::State& state) {
    sqlite3* db = schedule().db->handle();
    const std::string& sql = clsAccount::feeLookupSql(Dialect::Local);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr);
    const char* codes[] = {"Z1000", "Z2000",    "Z3000",    "Z4107",    "Z4121",
                           "Z5000", "Z2000030", "Z3000030", "Z4107030", "Z4121030"};
    for (auto _ : state) {
        for (int run = 0; run < 2; ++run)
            for (const char* code : codes) {
                sqlite3_bind_text(st, 1, "20180303", 8, SQLITE_STATIC);
                sqlite3_bind_text(st, 2, code, -1, SQLITE_STATIC);
                if (sqlite3_step(st) == SQLITE_ROW) benchmark::DoNotOptimize(sqlite3_column_double(st, 0));
                sqlite3_reset(st);
            }
    }
    sqlite3_finalize(st);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TwentyRawLookupsPerRequest);

} // namespace

BENCHMARK_MAIN();
