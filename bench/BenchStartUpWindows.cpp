// From launch to the painted main window, in local mode, on the national root
// and on the demo root side by side:
//   warm          the link database is reused (the reference files unchanged)
//   warm_uncached the same with every file of the root out of the page cache,
//                 as after a reboot
//   cold          the link database is built anew under the progress window,
//                 as every start did before it was kept
// the peak resident memory of the process, and what is still resident when
// the window stands (the build's memory given back).
//
// Each run is a new process: this program started again with --child ROOT,
// which runs the desktop program's start-up and tells the parent when the
// main window has painted. Roots: PELMORA_BENCH_ROOT (national, e.g.
// pelmora-refgen --drugs 60000 --years 15) and PELMORA_BENCH_DEMO_ROOT
// (pelmora-refgen's default); PELMORA_BENCH_RUNS runs of each warm figure.

#include "app/ModMain.h"
#include "app/frmMain.h"
#include "app/frmProgress.h"
#include "data/ReferenceFiles.h"
#include "data/StartUp.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

std::string self;

// The child: the start-up of the desktop program, then one report on fd 3.
int child(int argc, char** argv, const char* root) {
    QApplication app(argc, argv);
    ApplyAppLook(app);
    ProcessObjects& objects = processObjects();
    bool started;
    {
        LinkProgressWindow progress;
        started = RunStartUp({root}, objects, std::cerr, progress.function());
    }
    if (!started) return 1;
    {
        frmMain window(objects.reference(), objects.LocalMode());
        window.setStore(objects.CnSqlite.get());
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.grab());
        rusage use{};
        getrusage(RUSAGE_SELF, &use);
        long size = 0, resident = 0;
        std::ifstream("/proc/self/statm") >> size >> resident;
        const std::string report = std::to_string(use.ru_maxrss) + " " +
                                   std::to_string(resident * ::sysconf(_SC_PAGESIZE) / 1024) + "\n";
        if (::write(3, report.data(), report.size()) < 0) return 1;
    }
    objects.release();
    return 0;
}

// Drops every file under root from the page cache.
void uncache(const fs::path& root) {
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        const int fd = ::open(e.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

struct Launched {
    double seconds;
    long peakKb, residentKb; // the peak, and what is resident when the window stands
};

// One start in a new process.
Launched launch(const fs::path& root) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
    // above 3, so that giving the child its fd 3 closes neither end
    const int fds[2] = {::fcntl(pipeFds[0], F_DUPFD_CLOEXEC, 10), ::fcntl(pipeFds[1], F_DUPFD, 10)};
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], 3);
        const std::string r = root.string();
        ::execl(self.c_str(), self.c_str(), "--child", r.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    char buf[64] = {};
    const ssize_t n = ::read(fds[0], buf, sizeof buf - 1);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (n <= 0) throw std::runtime_error("the start-up did not reach the window on " + root.string());
    Launched l{seconds, 0, 0};
    std::istringstream(buf) >> l.peakKb >> l.residentKb;
    return l;
}

enum class Start { Warm, WarmUncached, Cold };

void BM_StartUp(benchmark::State& state, const char* rootVariable, Start how) {
    const char* root = std::getenv(rootVariable);
    if (!root) {
        state.SkipWithError((std::string(rootVariable) + " names no root").c_str());
        return;
    }
    const fs::path link = ReferenceFiles::linkDatabase(root);
    if (how != Start::Cold && !fs::exists(link)) launch(root); // built once, not timed
    long peak = 0, resident = 0;
    for (auto _ : state) {
        if (how == Start::Cold) fs::remove(link);
        if (how == Start::WarmUncached) uncache(root);
        const Launched l = launch(root);
        state.SetIterationTime(l.seconds);
        peak = std::max(peak, l.peakKb);
        resident = std::max(resident, l.residentKb);
    }
    state.counters["peak_rss_MB"] = static_cast<double>(peak) / 1024.0;
    state.counters["rss_at_window_MB"] = static_cast<double>(resident) / 1024.0;
}

int runs(int fallback) {
    const char* n = std::getenv("PELMORA_BENCH_RUNS");
    return n ? std::atoi(n) : fallback;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::string(argv[1]) == "--child") return child(1, argv, argv[2]);
    self = fs::canonical("/proc/self/exe").string();
    const struct {
        const char* name;
        const char* root;
        Start how;
        int runs;
    } figures[] = {
        {"national/warm", "PELMORA_BENCH_ROOT", Start::Warm, runs(5)},
        {"demo/warm", "PELMORA_BENCH_DEMO_ROOT", Start::Warm, runs(5)},
        {"national/warm_uncached", "PELMORA_BENCH_ROOT", Start::WarmUncached, runs(5)},
        {"demo/warm_uncached", "PELMORA_BENCH_DEMO_ROOT", Start::WarmUncached, runs(5)},
        {"national/cold", "PELMORA_BENCH_ROOT", Start::Cold, 1},
        {"demo/cold", "PELMORA_BENCH_DEMO_ROOT", Start::Cold, runs(5)},
    };
    for (const auto& f : figures)
        benchmark::RegisterBenchmark(f.name, BM_StartUp, f.root, f.how)
            ->UseManualTime()
            ->Iterations(f.runs)
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    try {
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
