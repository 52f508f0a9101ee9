// The drug grid of the main window at national scale: a drug typed into a
// line by its 9-character code and by its 8 digits, over 60,000 drugs with
// 15 price periods each, from the typed text to the written line.

#include "app/KVSp.h"
#include "app/ModDrug.h"
#include "app/frmMain.h"
#include "data/LinkDatabase.h"
#include "data/ReferenceFiles.h"
#include "data/SqliteConnection.h"
#include "util/Clock.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <unistd.h>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

constexpr int kDrugs = 60000;
constexpr int kPeriods = 15;

const char* const kSyllables[] = {"가", "나", "다", "라", "마", "바", "사", "아", "자", "차",
                                  "카", "타", "파", "하", "세", "레", "놀", "린", "졸", "펜"};

struct DrugList {
    fs::path root = fs::temp_directory_path() / ("pelmora-bench-grid-" + std::to_string(::getpid()));
    std::unique_ptr<LinkDatabase> link;
    DrugList() {
        fs::create_directories(ReferenceFiles::folder(root));
        std::mt19937 rng(20240101);
        std::vector<std::unique_ptr<SqliteConnection>> dbs;
        for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
            dbs.push_back(SqliteConnection::create(ReferenceFiles::file(root, i).string()));
            dbs.back()->executeScript("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
            ReferenceFiles::createSchema(*dbs.back(), i);
        }
        auto& drugs = *dbs[ReferenceFiles::kDrug];
        drugs.begin();
        for (int i = 0; i < kDrugs; ++i) {
            std::string name;
            for (int s = 2 + static_cast<int>(rng() % 3); s > 0; --s)
                name += kSyllables[rng() % std::size(kSyllables)];
            name += "정(내복)";
            for (int p = 0; p < kPeriods; ++p) {
                const int year = 2012 + p;
                drugs.execute("INSERT INTO DBF심평원약 VALUES "
                              "(?,?,?,'한빛제약','1정','급여',?,'114','100101ATB','',?,?)",
                              {std::to_string(600000000 + i * 7), "A" + std::to_string(i), name,
                               std::int32_t(100 + p * 3 + i % 50), std::to_string(year) + "0101",
                               p + 1 == kPeriods ? "99991231" : std::to_string(year) + "1231"});
            }
        }
        drugs.execute("INSERT INTO 고시적용일 VALUES ('20260101')");
        drugs.commit();
        dbs.clear();
        if (!ConnectLocalMdb(root, link)) throw std::runtime_error("link database not built");
    }
    ~DrugList() {
        link.reset();
        fs::remove_all(root);
    }
};

DrugList& drugList() {
    static DrugList list;
    return list;
}

// One line, typed again and again with the code of a drug in the middle of the list.
void BM_ProcDrugRow(benchmark::State& state, const char* typed) {
    DrugList& list = drugList();
    frmMain w(list.link->connection(), true);
    w.ProcAddRow();
    for (auto _ : state) {
        w.Sp처방->setCell(1, 2, Variant(typed));
        w.ProcDrugRow(1);
        benchmark::DoNotOptimize(w.Sp처방->Cell(1, 10));
    }
    if (w.Sp처방->Cell(1, 1).toText() != "600210000") state.SkipWithError("the drug was not found");
}

} // namespace

BENCHMARK_CAPTURE(BM_ProcDrugRow, nine_characters, "600210000")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ProcDrugRow, eight_digits, "00210000")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Clock::freeze({2026, 6, 1, 10, 0, 0});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    releaseProcessDrug();
    return 0;
}
