// The link database (built, reused, checked) and the reference lookups on a national-size
// price list: 60,000 drugs with 15 price periods each (900,000 rows), a few
// thousand institutions, the special codes and the holidays.

#include "data/LinkDatabase.h"
#include "data/ReferenceFiles.h"
#include "data/SqliteConnection.h"
#include "data/clsHosp.h"
#include "data/clsSpesial.h"
#include "data/clsYakGa.h"
#include "util/Clock.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

constexpr int kDrugs = 60000;
constexpr int kPeriods = 15;
constexpr int kInstitutions = 5000;

const char* const kSyllables[] = {"가", "나", "다", "라", "마", "바", "사", "아", "자", "차",
                                  "카", "타", "파", "하", "세", "레", "놀", "린", "졸", "펜",
                                  "록", "신", "민", "론", "틴", "프", "트", "메"};
const char* const kForms[] = {"정", "캡슐", "시럽", "주", "연고", "크림", "서방정", "산"};
const char* const kRoutes[] = {"(내복)", "(내복)", "(내복)", "(내복)",
                               "(주사)", "(외용)", "(외용)", "(내복)"};

std::string drugCode(int i) {
    return std::to_string(600000000 + i * 7);
}

fs::path buildRoot() {
    fs::path root = fs::temp_directory_path() / ("pelmora-bench-" + std::to_string(::getpid()));
    fs::create_directories(ReferenceFiles::folder(root));
    std::mt19937 rng(20240101);
    std::vector<std::unique_ptr<SqliteConnection>> dbs;
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
        dbs.push_back(SqliteConnection::create(ReferenceFiles::file(root, i).string()));
        dbs.back()->executeScript("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
        ReferenceFiles::createSchema(*dbs.back(), i);
        dbs.back()->begin();
    }
    auto& drugs = *dbs[ReferenceFiles::kDrug];
    for (int i = 0; i < kDrugs; ++i) {
        std::string name = rng() % 40 == 0 ? "아모디핀" : "";
        for (int s = 2 + static_cast<int>(rng() % 3); s > 0; --s)
            name += kSyllables[rng() % std::size(kSyllables)];
        int form = static_cast<int>(rng() % std::size(kForms));
        name += kForms[form] + std::to_string(5 * (1 + rng() % 100)) + "mg" + kRoutes[form];
        std::string maker = std::string(kSyllables[rng() % std::size(kSyllables)]) +
                            kSyllables[rng() % std::size(kSyllables)] + "제약";
        for (int p = 0; p < kPeriods; ++p) {
            int year = 2012 + p;
            drugs.execute("INSERT INTO DBF심평원약 VALUES (?,?,?,?,'1정','급여',?,'114','100101ATB','',?,?)",
                          {drugCode(i), "A" + std::to_string(i), name, maker,
                           std::int32_t(100 + p * 3 + i % 50), std::to_string(year) + "0101",
                           p + 1 == kPeriods ? "99991231" : std::to_string(year) + "1231"});
        }
        if (i % 20 == 0)
            dbs[ReferenceFiles::kPack]->execute("INSERT INTO 팩단위약 VALUES (?)", {drugCode(i)});
    }
    drugs.execute("INSERT INTO 고시적용일 VALUES ('20260101')");
    for (int i = 0; i < kInstitutions; ++i)
        dbs[ReferenceFiles::kHosp]->execute(
            "INSERT INTO 병원종병 VALUES (?, '서울특별시', '1', 30, '20000101', '99991231')",
            {std::to_string(11100000 + i)});
    for (const char* code : {"V252", "V206", "V231", "V246", "V193", "V027"})
        for (const char* date : {"20100101", "20150101", "20200101"})
            dbs[ReferenceFiles::kSpecial]->execute("INSERT INTO 특정기호 VALUES (?, '대상', 0, ?)",
                                                   {code, date});
    for (int y = 2009; y <= 2027; ++y)
        dbs[ReferenceFiles::kHoliday]->execute("INSERT INTO 공휴일 VALUES (?, '1월 1일')",
                                               {std::to_string(y) + "0101"});
    for (auto& db : dbs)
        db->commit();
    return root;
}

// PELMORA_BENCH_ROOT names a root written by pelmora-refgen instead (for
// example --drugs 60000 --years 15); it is left in place afterwards.
struct Fixture {
    const char* given = std::getenv("PELMORA_BENCH_ROOT");
    fs::path root = given ? fs::path(given) : buildRoot();
    std::unique_ptr<LinkDatabase> link;
    std::vector<std::string> drugs, institutions;
    Fixture() {
        Clock::freeze({2026, 6, 1, 10, 0, 0});
        if (!ConnectLocalMdb(root, link)) std::abort();
        auto& cn = link->connection();
        for (auto rs =
                 cn.query("SELECT DISTINCT 표준코드 FROM DBF심평원약 WHERE 적용시작일 <= '20190101'", {});
             !rs.eof(); rs.moveNext())
            drugs.push_back(rs.field(0).toText());
        for (auto rs = cn.query("SELECT DISTINCT 요양기관 FROM 병원종병", {}); !rs.eof(); rs.moveNext())
            institutions.push_back(rs.field(0).toText());
    }
    ~Fixture() {
        link.reset();
        if (!given) fs::remove_all(root);
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// A build of the link database, as every start did before it was kept.
void BM_LinkDatabaseRebuild(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state) {
        f.link.reset();
        f.link = LinkDatabase::rebuild(f.root);
    }
    state.counters["rows"] = static_cast<double>(f.link->stats().rows);
}

// A start with the reference files unchanged: the link database reused.
void BM_ConnectLocalMdbUnchanged(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state) {
        f.link.reset();
        if (!ConnectLocalMdb(f.root, f.link) || f.link->built()) state.SkipWithError("not reused");
    }
}

// The check the main window makes before every pricing run.
void BM_Stale(benchmark::State& state) {
    auto& f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.link->stale());
}

void BM_RecordSelectMode1(benchmark::State& state) {
    auto& f = fixture();
    clsYakGa yak(f.link->connection());
    std::size_t i = 0;
    for (auto _ : state) {
        yak.Mode = 1;
        yak.vcYakCd = f.drugs[i++ % f.drugs.size()];
        yak.vcYakDt = "20200615";
        yak.RecordSelect();
        if (!yak.FindResult) state.SkipWithError("not found");
    }
}

void BM_RecordSelectBibo(benchmark::State& state) {
    auto& f = fixture();
    clsYakGa yak(f.link->connection());
    std::size_t i = 0;
    for (auto _ : state) {
        yak.vcYakCd = f.drugs[i++ % f.drugs.size()];
        yak.vcYakDt = "20200101";
        yak.RecordSelectBibo();
        if (!yak.FindResult) state.SkipWithError("not found");
    }
}

void BM_RecordListByName(benchmark::State& state, const char* text) {
    clsYakGa yak(fixture().link->connection());
    RecordSet rs;
    for (auto _ : state) {
        yak.RecordList("20260601", 1, text, rs);
        benchmark::DoNotOptimize(rs.recordCount());
    }
    state.counters["rows"] = yak.FindCount;
    state.counters["drugs"] = static_cast<double>(fixture().drugs.size());
}

void BM_Hosp(benchmark::State& state) {
    auto& f = fixture();
    clsHosp hosp(f.link->connection());
    std::size_t i = 0;
    for (auto _ : state) {
        hosp.HospCd = f.institutions[i++ % f.institutions.size()];
        hosp.RecordSelect("20240601");
        if (!hosp.FindResult) state.SkipWithError("not found");
    }
}

void BM_Spesial(benchmark::State& state) {
    clsSpesial sp(fixture().link->connection());
    const char* codes[] = {"V252", "V206", "V231", "V246"};
    int i = 0;
    for (auto _ : state) {
        sp.SpeCd = codes[i++ % 4];
        sp.RecordSelect("20240601");
        if (!sp.FindResult) state.SkipWithError("not found");
    }
}

} // namespace

BENCHMARK(BM_LinkDatabaseRebuild)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ConnectLocalMdbUnchanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stale)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordSelectMode1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordSelectBibo)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RecordListByName, one_syllable, "정")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecordListByName, three_syllables, "아모디")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Hosp)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Spesial)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
