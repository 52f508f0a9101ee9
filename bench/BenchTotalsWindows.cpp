// The totals window on the store of 1,000,000 prescriptions
// (BenchStoreFixture.h): opened on today, then a month shown, from the query
// to the grids of days and classes and the chart painted, beside the same
// month's totals read alone.
#include "BenchStoreFixture.h"
#include "app/KVSp.h"
#include "app/frmTotals.h"
#include "util/Clock.h"

#include <QApplication>
#include <QPushButton>

#include <benchmark/benchmark.h>

using namespace pelmora;
using bench::store;

namespace {

// F5: the window made, today's totals shown and painted.
void BM_TotalsWindowOpen(benchmark::State& state) {
    Clock::freeze({2023, 5, 31, 18, 0, 0});
    SqliteConnection& cn = store();
    for (auto _ : state) {
        frmTotals w(cn);
        w.show();
        w.repaint();
        QApplication::processEvents();
    }
    Clock::unfreeze();
}
BENCHMARK(BM_TotalsWindowOpen)->Unit(benchmark::kMillisecond);

// Then "이번 달" on the 31st of May: the month's totals read, the grids of
// days and classes filled, the chart drawn and the window painted again.
void BM_TotalsWindowMonth(benchmark::State& state) {
    Clock::freeze({2023, 5, 31, 18, 0, 0});
    SqliteConnection& cn = store();
    frmTotals w(cn);
    w.show();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming(); // from today's window, as after F5
        w.cmd오늘->click();
        QApplication::processEvents();
        state.ResumeTiming();
        w.cmd이번달->click();
        w.repaint(); // painted once, as the screen would be
        QApplication::processEvents();
    }
    state.counters["rows"] = w.Sp일별->MaxRows();
    Clock::unfreeze();
}
BENCHMARK(BM_TotalsWindowMonth)->Unit(benchmark::kMillisecond);

void BM_MonthTotalsOnly(benchmark::State& state) {
    SqliteConnection& cn = store();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadStoreTotals(cn, "20230501", "20230531").all.total);
}
BENCHMARK(BM_MonthTotalsOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
