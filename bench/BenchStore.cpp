// The prescription store at the size of years of dispensing: saving one
// prescription, allocating a key and opening the history list on a store of
// 1,000,000 prescriptions (3 lines each).
#include "data/LocalStore.h"
#include "data/clsMain.h"
#include "data/clsSub.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sys/resource.h>
#include <unistd.h>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

constexpr int kPrescriptions = 1000000;
constexpr int kLinesEach = 3;

std::string key(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%010d", n);
    return buf;
}

// Fills the store in one transaction without a journal: it is thrown away
// after the run, so only the rows matter, not their safety.
void bulkFill(const std::string& path) {
    auto cn = SqliteConnection::open(path);
    cn->executeScript("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-200000;");
    std::string insertMain = "INSERT INTO Main VALUES(?";
    for (int i = 1; i < 40; ++i)
        insertMain += ",?";
    insertMain += ")";
    cn->begin();
    std::vector<Variant> row(40, Variant(""));
    for (int n = 1; n <= kPrescriptions; ++n) {
        row[0] = key(n);
        row[1] = std::int16_t{1};
        row[2] = "002";
        row[3] = "2024" + key(101 + n % 1200).substr(6);
        row[4] = "093015";
        row[5] = Currency::fromWon(1000 + n % 50000);
        row[8] = "1234567" + std::to_string(n % 1000);
        row[9] = "행복의원";
        row[15] = "김의사";
        row[17] = "환자" + std::to_string(n % 9973);
        row[18] = "800101" + std::to_string(1000000 + n % 8999999);
        row[20] = std::int16_t{static_cast<std::int16_t>(n % 25)};
        row[33] = "20240305" + key(n % 99999).substr(5);
        row[37] = std::int16_t{3};
        cn->execute(insertMain, row);
        for (int l = 1; l <= kLinesEach; ++l)
            cn->execute("INSERT INTO Sub VALUES(?,?,?,?,?,?,?,?,?,?,?,?)",
                        {Variant(key(n)), Variant(key(l).substr(7)), Variant(Currency::fromWon(120 + l)),
                         Variant(std::int16_t{1}), Variant(std::int16_t{1}),
                         Variant("64190001" + std::to_string(l)), Variant("타이레놀정500mg"), Variant(1.0),
                         Variant(std::int32_t{3}), Variant(std::int32_t{3}), Variant(""), Variant("")});
    }
    cn->commit();
}

class Store {
  public:
    Store() {
        dir_ = fs::temp_directory_path() / ("pelmora-bench-store-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        path_ = (dir_ / "Pelmo.db").string();
        auto t0 = std::chrono::steady_clock::now();
        std::unique_ptr<SqliteConnection> cn;
        if (!OpenLocalStore(cn, path_)) throw std::runtime_error("cannot create the store");
        cn.reset();
        bulkFill(path_);
        if (!OpenLocalStore(cn_, path_)) throw std::runtime_error("cannot open the store");
        auto s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::cerr << "store of " << kPrescriptions << " prescriptions built in " << s << " s, "
                  << fs::file_size(path_) / (1024 * 1024) << " MiB\n";
    }
    ~Store() {
        cn_.reset();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    SqliteConnection& cn() { return *cn_; }

  private:
    fs::path dir_;
    std::string path_;
    std::unique_ptr<SqliteConnection> cn_;
};

Store& store() {
    static Store s;
    return s;
}

void BM_SavePrescription5Lines(benchmark::State& state) {
    auto& cn = store().cn();
    for (auto _ : state) {
        cn.begin(true);
        clsMain m(cn);
        m.csTrans_YN = true;
        m.MatSn = 1;
        m.VerSn = "002";
        m.PreDt = "20240305";
        m.PreTm = "090507";
        m.PatNm = "홍길동";
        m.MoneyPr = Currency::fromWon(3200);
        m.Update();
        for (int i = 0; i < 5; ++i) {
            clsSub s(cn);
            s.csTrans_YN = true;
            s.PreCd = m.PreCd;
            s.DrugCd = "64190001" + std::to_string(i);
            s.DrugNm = "타이레놀정500mg";
            s.RxdPr = Currency::fromWon(120);
            s.Qty = 1;
            s.QtyCnt = 3;
            s.QtyDay = 3;
            s.Update();
        }
        cn.commit();
        if (!m.ChangeMode) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SavePrescription5Lines)->Unit(benchmark::kMillisecond);

void BM_NewPreCd(benchmark::State& state) {
    clsMain m(store().cn());
    for (auto _ : state)
        benchmark::DoNotOptimize(m.NewPreCd());
}
BENCHMARK(BM_NewPreCd)->Unit(benchmark::kMicrosecond);

// The whole list read into one record set, as the history window once did.
void BM_RecordList(benchmark::State& state) {
    clsMain m(store().cn());
    for (auto _ : state) {
        RecordSet rs;
        m.RecordList(rs);
        benchmark::DoNotOptimize(rs.recordCount());
    }
    struct rusage ru {};
    ::getrusage(RUSAGE_SELF, &ru);
    state.counters["peak_rss_MiB"] = static_cast<double>(ru.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_RecordList)->Unit(benchmark::kMillisecond)->Iterations(3);

// Opening the history list page by page: the count and the first screen.
void BM_RecordListPaged_Open(benchmark::State& state) {
    clsMain m(store().cn());
    for (auto _ : state) {
        auto list = m.RecordListPaged();
        for (std::size_t r = 0; r < 40; ++r)
            for (int c = 0; c < list->fieldCount(); ++c)
                benchmark::DoNotOptimize(list->value(r, c));
    }
}
BENCHMARK(BM_RecordListPaged_Open)->Unit(benchmark::kMillisecond);

// Scrolling down one page past the pages already read.
void BM_RecordListPaged_NextPage(benchmark::State& state) {
    clsMain m(store().cn());
    auto list = m.RecordListPaged();
    std::size_t row = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(list->value(row, 0));
        row = (row + 256) % static_cast<std::size_t>(list->recordCount());
    }
}
BENCHMARK(BM_RecordListPaged_NextPage)->Unit(benchmark::kMicrosecond);

// Dragging the scroll bar to the middle of the list.
void BM_RecordListPaged_JumpToMiddle(benchmark::State& state) {
    clsMain m(store().cn());
    auto list = m.RecordListPaged();
    for (auto _ : state) {
        list->reload();
        benchmark::DoNotOptimize(list->value(static_cast<std::size_t>(list->recordCount() / 2), 0));
    }
}
BENCHMARK(BM_RecordListPaged_JumpToMiddle)->Unit(benchmark::kMillisecond);

void BM_SubRecordList(benchmark::State& state) {
    clsSub s(store().cn());
    RecordSet rs;
    int n = 1;
    for (auto _ : state) {
        s.RecordList(key(n), rs);
        n = n % kPrescriptions + 7919;
    }
}
BENCHMARK(BM_SubRecordList)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
