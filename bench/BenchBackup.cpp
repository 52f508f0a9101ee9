// A backup of the store of 1,000,000 prescriptions (BenchStoreFixture.h),
// encrypted and plain, beside a plain copy of the same file with a sync at
// the end (what any backup must at least do), and its parts: SQLite's online
// backup into a scratch file and integrity_check of that copy. Each runs once
// (seconds of I/O); bytes per second are those of the store file.
#include "BenchStoreFixture.h"
#include "data/StoreBackup.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

const fs::path kFolder = "/tmp/pelmora-bench-backup";

std::int64_t storeBytes() {
    return static_cast<std::int64_t>(fs::file_size(bench::MillionStore()));
}

void clearFolder() {
    fs::remove_all(kFolder);
    fs::create_directories(kFolder);
}

void backup(benchmark::State& state, bool encrypted) {
    BackupSettings s;
    s.folder = kFolder.string();
    if (encrypted) s.key = MakeBackupKey("bench passphrase", KeyCost::Minimal); // not used while backing up
    const std::string store = bench::MillionStore();
    for (auto _ : state) {
        state.PauseTiming();
        clearFolder();
        state.ResumeTiming();
        const BackupDone done = MakeBackup(store, s, {}, [](const fs::path&) { return false; });
        benchmark::DoNotOptimize(done.entry.bytes);
    }
    state.SetBytesProcessed(state.iterations() * storeBytes());
}

void BM_BackupEncrypted(benchmark::State& state) {
    backup(state, true);
}
BENCHMARK(BM_BackupEncrypted)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_BackupPlain(benchmark::State& state) {
    backup(state, false);
}
BENCHMARK(BM_BackupPlain)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// The file copied as it lies, synced: the least a backup can cost.
void BM_FileCopySynced(benchmark::State& state) {
    const std::string store = bench::MillionStore();
    std::vector<char> buf(1 << 20);
    for (auto _ : state) {
        state.PauseTiming();
        clearFolder();
        state.ResumeTiming();
        const int in = ::open(store.c_str(), O_RDONLY);
        const int out = ::open((kFolder / "copy.db").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        for (ssize_t n; (n = ::read(in, buf.data(), buf.size())) > 0;)
            if (::write(out, buf.data(), static_cast<std::size_t>(n)) != n)
                state.SkipWithError("write failed");
        ::fsync(out);
        ::close(in);
        ::close(out);
    }
    state.SetBytesProcessed(state.iterations() * storeBytes());
}
BENCHMARK(BM_FileCopySynced)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// The parts: the consistent copy through the online backup, and its check.
void BM_OnlineBackupToScratch(benchmark::State& state) {
    const std::string store = bench::MillionStore();
    for (auto _ : state) {
        state.PauseTiming();
        clearFolder();
        state.ResumeTiming();
        auto src = SqliteConnection::open(store);
        auto dst = SqliteConnection::create((kFolder / "scratch.db").string());
        src->copyTo(*dst);
    }
    state.SetBytesProcessed(state.iterations() * storeBytes());
}
BENCHMARK(BM_OnlineBackupToScratch)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_IntegrityCheckAndCounts(benchmark::State& state) {
    clearFolder();
    {
        auto src = SqliteConnection::open(bench::MillionStore());
        auto dst = SqliteConnection::create((kFolder / "scratch.db").string());
        src->copyTo(*dst);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckStoreCopy(kFolder / "scratch.db", nullptr, {}));
    state.SetBytesProcessed(state.iterations() * storeBytes());
}
BENCHMARK(BM_IntegrityCheckAndCounts)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
