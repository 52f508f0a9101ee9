// The drug search at national scale, by search kind: a code's first digits,
// a maker, a name of two or more syllables, one syllable. For random inputs
// drawn from the price list, the 50th and 95th percentile of
//   window  - from the search key to the first screenful painted in the
//             search window (the rest of a long list fills in afterwards)
//   first   - the lookup's count and first screenful
//   whole   - the lookup's whole list
//   query   - the list's plain query on the same link database, the way every
//             search went before the search index
// Wall time and, since the machine may be shared, the thread's CPU time.
// Root: PELMORA_BENCH_ROOT, a root written by pelmora-refgen (for example
// --drugs 60000 --years 15); PELMORA_BENCH_INPUTS inputs per kind (default 40).

#include "app/KVSp.h"
#include "app/frmDrug.h"
#include "data/DrugSearchList.h"
#include "data/LinkDatabase.h"
#include "data/RefSql.h"
#include "data/SqliteConnection.h"
#include "data/clsYakGa.h"
#include "util/Clock.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <random>

using namespace pelmora;

namespace {

constexpr const char* kDate = "20260601";

enum class Kind { CodePrefix, Maker, Syllables, OneSyllable };
enum class Way { Window, First, Whole, Query };

// The Hangul syllables of a text, each as its UTF-8 bytes.
std::vector<std::string> syllables(const std::string& s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        if (n == 3 && c >= 0xEA && c <= 0xED) out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

struct Fixture {
    std::unique_ptr<LinkDatabase> link;
    std::vector<std::string> codes, makers, names;
    std::size_t inputs = 40;
    Fixture() {
        const char* root = std::getenv("PELMORA_BENCH_ROOT");
        if (!root) throw std::runtime_error("PELMORA_BENCH_ROOT names no root written by pelmora-refgen");
        if (const char* n = std::getenv("PELMORA_BENCH_INPUTS")) inputs = std::stoul(n);
        link = LinkDatabase::open(root);
        auto& db = link->database();
        for (auto [list, column] : {std::pair{&codes, "표준코드"}, {&makers, "업소명"}, {&names, "약품명"}})
            for (auto rs = db.query(std::string("SELECT DISTINCT ") + column + " FROM DBF심평원약");
                 !rs.eof(); rs.moveNext())
                list->push_back(rs.field(0).toText());
    }
    // The same random inputs for every way of a kind.
    std::vector<std::string> sample(Kind kind) const {
        std::mt19937 rng(18 + static_cast<int>(kind));
        auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
        std::vector<std::string> out;
        while (out.size() < inputs) {
            if (kind == Kind::CodePrefix) {
                out.push_back(pick(codes).substr(0, 4 + rng() % 4));
            } else if (kind == Kind::Maker) {
                const std::string m = pick(makers);
                const auto s = syllables(m);
                out.push_back(rng() % 2 || s.size() < 2 ? m : s[0] + s[1]);
            } else {
                const auto s = syllables(pick(names));
                const std::size_t len = kind == Kind::OneSyllable ? 1 : 2 + rng() % 3;
                if (s.size() < len) continue;
                const std::size_t from = rng() % (s.size() - len + 1);
                std::string t;
                for (std::size_t i = from; i < from + len; ++i)
                    t += s[i];
                out.push_back(t);
            }
        }
        return out;
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double percentile(std::vector<double> v, int p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * static_cast<std::size_t>(p) / 100)];
}

int yakSn(Kind kind) {
    return kind == Kind::CodePrefix ? 0 : kind == Kind::Maker ? 2 : 1;
}

void BM_Search(benchmark::State& state, Kind kind, Way way) {
    Fixture& f = fixture();
    const auto inputs = f.sample(kind);
    clsYakGa yak(f.link->connection());
    std::unique_ptr<frmDrug> w;
    if (way == Way::Window) {
        w = std::make_unique<frmDrug>(f.link->connection());
        w->lab날짜->setText(QString::fromLatin1(kDate));
        w->cmbClass->setCurrentIndex(yakSn(kind));
        w->show();
        QCoreApplication::processEvents();
    }
    std::vector<double> ms, cpu;
    double rows = 0;
    for (auto _ : state) {
        ms.clear();
        cpu.clear();
        for (const auto& text : inputs) {
            const auto start = std::chrono::steady_clock::now();
            const double startCpu = cpuMs();
            long found = 0;
            switch (way) {
            case Way::Window:
                w->txtFind->setText(QString::fromStdString(text));
                w->cmd조회_Click();
                benchmark::DoNotOptimize(w->sp상품->grab());
                found = w->Sp상품->MaxRows();
                break;
            case Way::First: {
                auto list = yak.RecordListPaged(kDate, static_cast<std::int16_t>(yakSn(kind)), text);
                benchmark::DoNotOptimize(list->rows(0, 40));
                found = list->recordCount();
                break;
            }
            case Way::Whole: {
                RecordSet rs;
                yak.RecordList(kDate, static_cast<std::int16_t>(yakSn(kind)), text, rs);
                found = rs.recordCount();
                break;
            }
            case Way::Query:
                found = f.link->database()
                            .query(RefSql::yakGaList(Dialect::Local, yakSn(kind)),
                                   {Variant(kDate), Variant(kDate), Variant("%" + text + "%")})
                            .recordCount();
                break;
            }
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            cpu.push_back(cpuMs() - startCpu);
            rows += static_cast<double>(found);
        }
    }
    state.counters["p50_ms"] = percentile(ms, 50);
    state.counters["p95_ms"] = percentile(ms, 95);
    state.counters["p50_cpu_ms"] = percentile(cpu, 50);
    state.counters["p95_cpu_ms"] = percentile(cpu, 95);
    state.counters["rows"] = rows / static_cast<double>(ms.size() * state.iterations());
}

// The first search after the start reads the search index: opening the link
// database (unchanged files) and one one-syllable search.
void BM_FirstSearchAfterStart(benchmark::State& state) {
    const char* root = std::getenv("PELMORA_BENCH_ROOT");
    for (auto _ : state) {
        auto link = LinkDatabase::open(root);
        auto list = clsYakGa(link->connection()).RecordListPaged(kDate, 1, "정");
        benchmark::DoNotOptimize(list->rows(0, 40));
    }
}

} // namespace

BENCHMARK(BM_FirstSearchAfterStart)->Iterations(5)->Unit(benchmark::kMillisecond);
#define SEARCH(kind, way)                                                                                    \
    BENCHMARK_CAPTURE(BM_Search, kind##_##way, Kind::kind, Way::way)                                         \
        ->Iterations(1)                                                                                      \
        ->Unit(benchmark::kMillisecond)
SEARCH(CodePrefix, Window);
SEARCH(CodePrefix, First);
SEARCH(CodePrefix, Whole);
SEARCH(CodePrefix, Query);
SEARCH(Maker, Window);
SEARCH(Maker, First);
SEARCH(Maker, Whole);
SEARCH(Maker, Query);
SEARCH(Syllables, Window);
SEARCH(Syllables, First);
SEARCH(Syllables, Whole);
SEARCH(Syllables, Query);
SEARCH(OneSyllable, Window);
SEARCH(OneSyllable, First);
SEARCH(OneSyllable, Whole);
SEARCH(OneSyllable, Query);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Clock::freeze({2026, 6, 1, 10, 0, 0});
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        // The index is read at the first search: once, before any figure.
        clsYakGa(fixture().link->connection()).RecordListPaged(kDate, 1, "정");
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
