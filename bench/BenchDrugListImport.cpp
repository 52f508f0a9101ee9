// Taking in a national drug price list of 30,000 products (and 10,000
// ingredient-group rows) beside the naive floor of only reading the .xlsx:
// into a new real root, the next month over it (5 % of the prices changed,
// 1 % new, 1 % delisted), and the same list again. Each run is a child
// process, so its peak memory is its own; x_read is the time against the
// plain read of the same file.

#include "data/DrugListImport.h"
#include "data/RealRoot.h"
#include "data/ReferenceFiles.h"
#include "support/DrugListXlsx.h"
#include "util/XlsxReader.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

constexpr int kProducts = 30000;

std::vector<test::ListRow> month(int which) {
    const char* const routes[] = {"내복", "내복", "내복", "외용", "주사", "기타"};
    std::vector<test::ListRow> rows;
    for (int i = 0; i < kProducts + kProducts / 100; ++i) {
        if (which == 1 && i >= kProducts) break;  // the new ones come in February
        if (which == 2 && i % 100 == 7) continue; // delisted in February
        if (i % 3 == 0) rows.push_back({.code = "ingredient group " + std::to_string(i / 3)});
        int price = 50 + (i * 37) % 3000;
        if (which == 2 && i % 20 == 3) price -= price / 10; // a cut
        rows.push_back(
            {.code = std::to_string(100000000 + i * 7).insert(0, i % 40 == 0 ? "0" : "").substr(0, 9),
             .name = "제품" + std::to_string(i) + "정" + std::to_string(5 * (1 + i % 50)) + "mg",
             .route = routes[i % 6],
             .price = i % 1000 == 999 ? "산정불가" : std::to_string(price),
             .maker = "제약" + std::to_string(i % 300),
             .ingredient = std::to_string(100000 + i % 9000) + "ATB"});
    }
    return rows;
}

// Runs the work in a child; its wall time in seconds and peak memory in MB.
std::pair<double, double> inChild(const std::function<void()>& work) {
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        work();
        ::_exit(0);
    }
    int status = 0;
    rusage ru{};
    ::wait4(pid, &status, 0, &ru);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::abort();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(),
            ru.ru_maxrss / 1024.0};
}

struct Files {
    fs::path dir = fs::temp_directory_path() / ("pelmora-bench-import-" + std::to_string(::getpid()));
    fs::path jan = dir / "약제급여목록및급여상한금액표_(2026.1.1.)(30000).xlsx";
    fs::path feb = dir / "약제급여목록및급여상한금액표_(2026.2.1.)(30000).xlsx";
    fs::path janRoot = dir / "january";
    double readSeconds = 0;
    // made in a child, so the runs start from a small process
    Files() {
        fs::create_directories(dir);
        inChild([this] {
            if (!test::writeDrugList(jan.string(), "26년1월1일_(30000)", test::ListLayout::y2026, month(1),
                                     false) ||
                !test::writeDrugList(feb.string(), "26년2월1일_(30000)", test::ListLayout::y2026, month(2),
                                     false))
                std::abort();
            RealRoot::make(janRoot);
            DrugListImport::run(janRoot, jan, {});
        });
    }
    ~Files() {
        if (!std::getenv("PELMORA_BENCH_KEEP")) fs::remove_all(dir);
    }
};

Files& files() {
    static Files f;
    return f;
}

long long readRows(const fs::path& file) {
    long long n = 0;
    XlsxReader(file.string()).readRows([&](std::size_t, const XlsxReader::Cells&) { return ++n > 0; });
    return n;
}

void run(benchmark::State& state, const std::function<void(const fs::path& root)>& work, bool fromJanuary) {
    Files& f = files();
    double peak = 0, total = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const fs::path root = f.dir / "root";
        fs::remove_all(root);
        if (fromJanuary)
            fs::copy(f.janRoot, root, fs::copy_options::recursive);
        else
            inChild([&] { RealRoot::make(root); });
        state.ResumeTiming();
        auto [seconds, mb] = inChild([&] { work(root); });
        state.SetIterationTime(seconds);
        total += seconds;
        peak = std::max(peak, mb);
    }
    state.counters["peak_MB"] = peak;
    if (f.readSeconds > 0)
        state.counters["x_read"] = total / static_cast<double>(state.iterations()) / f.readSeconds;
}

void BM_ReadXlsxOnly(benchmark::State& state) {
    Files& f = files();
    double peak = 0, total = 0;
    long long rows = 0;
    for (auto _ : state) {
        auto [seconds, mb] = inChild([&] { benchmark::DoNotOptimize(readRows(f.feb)); });
        state.SetIterationTime(seconds);
        total += seconds;
        peak = std::max(peak, mb);
    }
    rows = readRows(f.feb);
    f.readSeconds = total / static_cast<double>(state.iterations());
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["peak_MB"] = peak;
    state.counters["idle_MB"] = inChild([] {}).second; // what every child starts with
}

void BM_ImportIntoNewRoot(benchmark::State& state) {
    run(
        state, [](const fs::path& root) { DrugListImport::run(root, files().jan, {}); }, false);
}

void BM_ImportNextMonth(benchmark::State& state) {
    run(
        state, [](const fs::path& root) { DrugListImport::run(root, files().feb, {}); }, true);
}

void BM_ImportSameListAgain(benchmark::State& state) {
    run(
        state, [](const fs::path& root) { DrugListImport::run(root, files().jan, {}); }, true);
}

} // namespace

BENCHMARK(BM_ReadXlsxOnly)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportIntoNewRoot)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportNextMonth)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportSameListAgain)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
