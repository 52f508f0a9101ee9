// The secondary windows at national scale: a one-syllable search in the drug
// search window over 60,000 drugs (15 price periods each), and opening the
// dispensing history window on a store of 1,000,000 prescriptions. Each
// figure runs until the window has painted what the pharmacist sees.

#include "app/KVSp.h"
#include "app/frmDrug.h"
#include "app/frmList.h"
#include "app/frmListModel.h"
#include "data/LinkDatabase.h"
#include "data/LocalStore.h"
#include "data/ReferenceFiles.h"
#include "data/SqliteConnection.h"
#include "data/clsMain.h"
#include "data/clsYakGa.h"
#include "util/Clock.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <unistd.h>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

constexpr int kDrugs = 60000;
constexpr int kPeriods = 15;
constexpr int kPrescriptions = 1000000;

const char* const kSyllables[] = {"가", "나", "다", "라", "마", "바", "사", "아", "자", "차",
                                  "카", "타", "파", "하", "세", "레", "놀", "린", "졸", "펜",
                                  "록", "신", "민", "론", "틴", "프", "트", "메"};
const char* const kForms[] = {"정", "캡슐", "시럽", "주", "연고", "크림", "서방정", "산"};
const char* const kRoutes[] = {"(내복)", "(내복)", "(내복)", "(내복)",
                               "(주사)", "(외용)", "(외용)", "(내복)"};

fs::path scratch(const char* what) {
    fs::path p =
        fs::temp_directory_path() / ("pelmora-bench-" + std::string(what) + "-" + std::to_string(::getpid()));
    fs::create_directories(p);
    return p;
}

// The six reference files with the national drug list; the other tables empty.
struct DrugList {
    fs::path root = scratch("drugs");
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
            const int form = static_cast<int>(rng() % std::size(kForms));
            name += kForms[form] + std::to_string(5 * (1 + rng() % 100)) + "mg" + kRoutes[form];
            const std::string maker = std::string(kSyllables[rng() % std::size(kSyllables)]) +
                                      kSyllables[rng() % std::size(kSyllables)] + "제약";
            for (int p = 0; p < kPeriods; ++p) {
                const int year = 2012 + p;
                drugs.execute(
                    "INSERT INTO DBF심평원약 VALUES (?,?,?,?,'1정','급여',?,'114','100101ATB','',?,?)",
                    {std::to_string(600000000 + i * 7), "A" + std::to_string(i), name, maker,
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

std::string key(int n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%010d", n);
    return buf;
}

struct History {
    fs::path dir = scratch("history");
    std::unique_ptr<SqliteConnection> cn;
    History() {
        const std::string path = (dir / "Pelmo.db").string();
        const auto t0 = std::chrono::steady_clock::now();
        if (!OpenLocalStore(cn, path)) throw std::runtime_error("no store");
        cn->executeScript("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
        std::string insert =
            "INSERT INTO Main(vcPreCd, iMatSn, vcVerSn, vcPreDt, vcPreTm, mMoneyPr, vcHospCd,"
            " vcHospNm, vcPatNm, vcPatJumNo, vcPubDtNo) VALUES(?,1,'002',?,'093015',?,?,'행복의원',?,?,?)";
        cn->begin();
        for (int n = 1; n <= kPrescriptions; ++n) {
            cn->execute(insert, {Variant(key(n)), Variant("2024" + key(101 + n % 1200).substr(6)),
                                 Variant(Currency::fromWon(1000 + n % 50000)),
                                 Variant("1234567" + std::to_string(n % 1000)),
                                 Variant("환자" + std::to_string(n % 9973)),
                                 Variant("800101" + std::to_string(1000000 + n % 8999999)),
                                 Variant("20240305" + key(n % 99999).substr(5))});
            if (n % 1000 == 0)
                for (int l = 1; l <= 3; ++l)
                    cn->execute(
                        "INSERT INTO Sub(vcPreCd, vcRxdSn, mRxdPr, iRxdInsSn, iRxdTaxSn, vcDrugCd, vcDrugNm,"
                        " fQty, iQtyCnt, iQtyDay) VALUES(?,?,120,1,1,?,'타이레놀정500mg',1,3,3)",
                        {Variant(key(n)), Variant(key(l).substr(7)),
                         Variant("64190001" + std::to_string(l))});
        }
        cn->commit();
        std::cerr << "store of " << kPrescriptions << " prescriptions built in "
                  << std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() << " s\n";
    }
    ~History() {
        cn.reset();
        fs::remove_all(dir);
    }
};

DrugList& drugList() {
    static DrugList list;
    return list;
}

// The lookup alone, for comparison with the window's figure.
void BM_RecordList_Only(benchmark::State& state, const char* text) {
    clsYakGa yak(drugList().link->connection());
    RecordSet rs;
    for (auto _ : state) {
        yak.RecordList("20260601", 1, text, rs);
        benchmark::DoNotOptimize(rs.recordCount());
    }
    state.counters["rows"] = yak.FindCount;
}

// From the search key to the painted result list.
void BM_frmDrug_Search(benchmark::State& state, const char* text) {
    DrugList& list = drugList();
    frmDrug w(list.link->connection());
    w.lab날짜->setText(QStringLiteral("20260601"));
    w.cmbClass->setCurrentIndex(1);
    w.show();
    QCoreApplication::processEvents();
    w.txtFind->setText(QString::fromUtf8(text));
    for (auto _ : state) {
        w.cmd조회_Click();
        benchmark::DoNotOptimize(w.sp상품->grab());
    }
    state.counters["rows"] = w.Sp상품->MaxRows();
}

History& history() {
    static History store;
    return store;
}

// From the command to the painted list with the lines of its first row.
void BM_frmList_Open(benchmark::State& state) {
    History& store = history();
    int rows = 0, lines = 0;
    for (auto _ : state) {
        frmList w(*store.cn);
        w.show();
        benchmark::DoNotOptimize(w.grab());
        rows = w.listModel()->rowCount();
        lines = w.Sp조제약품->MaxRows();
    }
    state.counters["rows"] = rows;
    state.counters["lines"] = lines;
}

// The store's part of opening: counting the list and reading its first page.
void BM_RecordListPaged_Only(benchmark::State& state) {
    History& store = history();
    for (auto _ : state) {
        clsMain header(*store.cn);
        auto list = header.RecordListPaged();
        benchmark::DoNotOptimize(list->value(0, 0));
    }
}

// Dragging the scroll bar to the end of the list and painting it.
void BM_frmList_ScrollToEnd(benchmark::State& state) {
    History& store = history();
    frmList w(*store.cn);
    w.show();
    for (auto _ : state) {
        w.cmd조회_Click();
        w.sp조제목록->scrollToBottom();
        benchmark::DoNotOptimize(w.grab());
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_RecordList_Only, one_syllable, "정")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_frmDrug_Search, one_syllable, "정")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_frmDrug_Search, three_syllables, "가나다")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordListPaged_Only)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_frmList_Open)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_frmList_ScrollToEnd)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Clock::freeze({2026, 6, 1, 10, 0, 0});
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    try {
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& e) {
        std::cerr << "benchmark data not built: " << e.what() << "\n";
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
