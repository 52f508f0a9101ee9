// The national drug price list taken into a real root, month after month,
// through the library and through pelmora-import; the lookups and the
// engine then price with what was taken in.

#include "charge/clsAccount.h"
#include "data/DrugListImport.h"
#include "data/ImportError.h"
#include "data/LinkDatabase.h"
#include "data/NoticeDate.h"
#include "data/RealRoot.h"
#include "data/ReferenceFiles.h"
#include "data/SqliteConnection.h"
#include "data/clsYakGa.h"
#include "support/DrugListXlsx.h"
#include "support/RecordingMessage.h"
#include "support/TempDir.h"
#include "util/DateText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <sys/wait.h>

using namespace pelmora;
using test::ListLayout;
using test::ListRow;
namespace fs = std::filesystem;

namespace {

std::string bytesOf(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ListImport : public ::testing::TestWithParam<ListLayout> {
  protected:
    ListImport() { RealRoot::make(dir.path()); }
    fs::path drugFile() const { return ReferenceFiles::file(dir.path(), ReferenceFiles::kDrug); }
    fs::path list(const std::string& name, const std::string& sheet, const std::vector<ListRow>& rows,
                  ListLayout layout) {
        const fs::path p = dir.path() / name;
        EXPECT_TRUE(test::writeDrugList(p.string(), sheet, layout, rows));
        return p;
    }
    DrugImportSummary take(const fs::path& file, DrugImportOptions o = {}) {
        return DrugListImport::run(dir.path(), file, o);
    }
    test::TempDir dir;
};

const ListRow kGroup{.code = "acetaminophen 500mg", .route = "내복"};

// January and February of 2024 in one layout: a price cut, a new product, a
// delisted one, "산정불가", a code with a leading zero; then the lookups and
// the engine on a day of each month.
TEST_P(ListImport, TwoMonthsInARowPriceWhatTheListSays) {
    const ListLayout layout = GetParam();
    const std::vector<ListRow> january = {
        kGroup,
        {.code = "012345678", .name = "타이레놀정500mg", .price = "100"},
        {.code = "641900010", .name = "케토연고", .route = "외용", .price = "2500", .unit = "g"},
        {.code = "653400020", .name = "세파졸린주", .route = "주사", .price = "12000", .unit = "병"},
        {.code = "671800030", .name = "보류정", .price = "산정불가"},
        {.code = "ibuprofen 200mg"}};
    std::vector<ListRow> february = {january[0], january[1], january[2], january[5]};
    february[1].price = "90";
    february.push_back({.code = "645301220", .name = "뮤코펙트정", .price = "300"});
    // the date in the file name, or for the 2024 layout only in the sheet name
    const bool bySheet = layout == ListLayout::y2024;
    auto name = [&](const char* month, const char* d) {
        return bySheet ? std::string("목록_") + month + ".xlsx"
                       : std::string("약제급여목록및급여상한금액표_(") + d + ")(4).xlsx";
    };
    const fs::path jan = list(name("1월", "2024.1.1."), "24년1월1일_(4)", january, layout);
    const fs::path feb = list(name("2월", "2024.2.1."), "24년2월1일_(4)", february, layout);

    DrugImportSummary s = take(jan);
    EXPECT_EQ(s.date, "20240101");
    EXPECT_EQ(std::tie(s.products, s.added, s.changed, s.delisted, s.groupRows),
              std::make_tuple(3LL, 3LL, 0LL, 0LL, 2LL));
    ASSERT_EQ(s.skipped.size(), 1u);
    EXPECT_EQ(s.skipped[0].reason, "산정불가");
    EXPECT_EQ(s.skipped[0].line, 6u); // the sheet row, header and group row above
    s = take(feb);
    EXPECT_EQ(std::tie(s.date, s.previousDate),
              std::make_tuple(std::string("20240201"), std::string("20240101")));
    EXPECT_EQ(std::tie(s.added, s.changed, s.delisted, s.unchanged), std::make_tuple(1LL, 1LL, 1LL, 1LL));
    EXPECT_TRUE(s.written);

    const std::string before = bytesOf(drugFile());
    const auto stamp = fs::last_write_time(drugFile());
    s = take(feb);
    EXPECT_FALSE(s.written);
    EXPECT_EQ(std::tie(s.added, s.changed, s.delisted, s.unchanged), std::make_tuple(0LL, 0LL, 0LL, 3LL));
    EXPECT_EQ(bytesOf(drugFile()), before);
    EXPECT_EQ(fs::last_write_time(drugFile()), stamp);
    EXPECT_THROW(take(jan), ImportError); // older than February
    EXPECT_EQ(bytesOf(drugFile()), before);

    std::unique_ptr<LinkDatabase> link;
    ASSERT_TRUE(ConnectLocalMdb(dir.path(), link));
    test::RecordingMessage box;
    clsYakGa yak(link->connection());
    EXPECT_EQ(GetNoticeDate(link->connection()), "20240201");
    auto find = [&](std::int16_t mode, const std::string& code, const std::string& date) {
        yak.Mode = mode;
        yak.vcYakCd = code;
        yak.vcYakDt = date;
        yak.RecordSelect();
        return yak.FindResult ? yak.mYakPr.toText() + " " + yak.vcYakTo + " " + yak.vcYakNm
                              : std::string("-");
    };
    EXPECT_EQ(find(1, "012345678", "20240131"), "100 내복 타이레놀정500mg(내복)");
    EXPECT_EQ(find(1, "012345678", "20240201"), "90 내복 타이레놀정500mg(내복)");
    EXPECT_EQ(find(2, "12345678", "20240215"), "90 내복 타이레놀정500mg(내복)"); // eight digits typed
    EXPECT_EQ(find(1, "641900010", "20240301"), "2500 외용 케토연고(외용)");
    EXPECT_EQ(yak.vcYakTakDan, "1g");
    EXPECT_EQ(yak.vcYakJuCd, "100101ATB");
    EXPECT_EQ(find(1, "653400020", "20240131"), "12000 주사 세파졸린주(주사)");
    EXPECT_EQ(find(1, "653400020", "20240201"), "-");
    EXPECT_EQ(find(1, "645301220", "20240131"), "-");
    EXPECT_EQ(find(1, "671800030", "20240115"), "-");
    yak.vcYakCd = "012345678";
    yak.vcYakDt = "20240201";
    yak.RecordSelectBibo();
    EXPECT_EQ(yak.mYakPr, Currency::fromWon(100));

    // the engine prices three days of one tablet three times a day at the looked-up price
    for (auto [date, won] : {std::pair{"20240115", 100}, {"20240215", 90}}) {
        find(1, "012345678", date);
        clsAccount a;
        a.SubAcount(std::string("1#1#1#30#1#1#1#2#") + date + "#0#2#0#2#$",
                    "012345678#1#3#3#급여#내복#" + yak.mYakPr.toText() + "#0#0#9#0#0#$", link->connection());
        EXPECT_EQ(a.보험_내복_약가, Currency::fromWon(9 * won)) << date;
    }
    EXPECT_TRUE(box.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Layouts, ListImport,
                         ::testing::Values(ListLayout::y2019, ListLayout::y2024, ListLayout::y2026));

// Lists taken in at random dates in random order (the older ones forced):
// on every day each product has at most one row, and it is what the latest
// list on or before that day says.
TEST_F(ListImport, AnyOrderOfListsAgreesWithTheLatestListOnEveryDay) {
    std::mt19937 rng(7);
    const std::vector<std::string> codes = {"600000011", "600000022", "600000033", "600000044"};
    for (int round = 0; round < 8; ++round) {
        test::TempDir d;
        RealRoot::make(d.path());
        std::map<std::string, std::map<std::string, std::string>> lists; // date: code → price
        for (int k = 0; k < 5; ++k) {
            const std::string date =
                "2024" + std::to_string(10 + rng() % 3) + std::to_string(10 + rng() % 19);
            std::vector<ListRow> rows;
            std::map<std::string, std::string> prices;
            for (const auto& c : codes)
                if (rng() % 4)
                    rows.push_back({.code = c,
                                    .name = "약" + c,
                                    .price = prices[c] = std::to_string(100 + 10 * (rng() % 3))});
            if (rows.empty()) continue;
            const fs::path f = d.path() / ("l" + std::to_string(k) + ".xlsx");
            ASSERT_TRUE(test::writeDrugList(f.string(), "s", ListLayout::y2024, rows));
            DrugListImport::run(d.path(), f, {date, true});
            lists[date] = prices;
        }
        auto db = SqliteConnection::open(ReferenceFiles::file(d.path(), ReferenceFiles::kDrug).string());
        for (const auto& [date, unused] : lists)
            for (const std::string& day : {date, DateText::plusDays(date, -1)})
                for (const auto& c : codes) {
                    auto it = lists.upper_bound(day);
                    const std::string want = it == lists.begin() || !std::prev(it)->second.count(c)
                                                 ? "-"
                                                 : std::prev(it)->second.at(c);
                    RecordSet rs =
                        db->query("SELECT 상한가 FROM DBF심평원약 WHERE 표준코드 = ? AND 적용시작일 <= ? "
                                  "AND 적용종료일 >= ?",
                                  {c, day, day});
                    ASSERT_LE(rs.recordCount(), 1) << c << " " << day;
                    EXPECT_EQ(rs.eof() ? "-" : rs.field(0).toText(), want)
                        << "round " << round << " " << c << " " << day;
                }
    }
}

// What is no list is refused with the reference file left as it was.
TEST_F(ListImport, WhatIsNoListLeavesTheFileAsItWas) {
    const fs::path good =
        list("약제급여목록_(2024.3.1.).xlsx", "s", {{.code = "600000011", .name = "약"}}, ListLayout::y2024);
    const std::string whole = bytesOf(good);
    std::ofstream(dir.path() / "cut_(2024.3.1.).xlsx", std::ios::binary) << whole.substr(0, whole.size() / 2);
    std::ofstream(dir.path() / "plain_(2024.3.1.).xlsx") << "제품코드,제품명\n600000011,약\n";
    lxw_workbook* wb = workbook_new((dir.path() / "other_(2024.3.1.).xlsx").c_str());
    worksheet_write_string(workbook_add_worksheet(wb, "s"), 0, 0, "환자명", nullptr);
    workbook_close(wb);
    const std::string before = bytesOf(drugFile());
    for (const char* f : {"cut_(2024.3.1.).xlsx", "plain_(2024.3.1.).xlsx", "other_(2024.3.1.).xlsx"}) {
        try {
            take(dir.path() / f);
            ADD_FAILURE() << f;
        } catch (const ImportError& e) {
            EXPECT_EQ(e.kind(), ImportError::Kind::BadFile) << f << ": " << e.what();
        }
    }
    try {
        take(good, {"20240230"});
        ADD_FAILURE();
    } catch (const ImportError& e) {
        EXPECT_EQ(e.kind(), ImportError::Kind::NoDate);
    }
    EXPECT_EQ(bytesOf(drugFile()), before);
    EXPECT_FALSE(fs::exists(drugFile().string() + ".new"));
}

// A newly published year of fee items: its items and their variants from
// 1 January, the year before untouched, the same table twice a no-op.
TEST_F(ListImport, ANewYearOfFeeItems) {
    const std::string tsv = "연도\t항목\t수가코드\t금액\t출처\n2027\t약국관리료\tZ1000\t830\tgazette\n"
                            "2027\t내복약조제료 3일분\tZ4103\t2,790\tgazette\n";
    FeeYearSummary f = RealRoot::addFeeYear(dir.path(), tsv);
    EXPECT_EQ(f.firstYear, 2027);
    EXPECT_EQ(f.added, 2 + 7); // Z1000 and its night code, Z4103 and its six variants
    const fs::path fee = ReferenceFiles::file(dir.path(), ReferenceFiles::kFee);
    auto db = SqliteConnection::open(fee.string());
    auto price = [&](const char* code, const char* date) {
        return db
            ->query("SELECT 수가단가 FROM DBF심평원수 WHERE 수가코드 = ? AND 수가일자 <= ? ORDER BY 수가일자 "
                    "DESC "
                    "LIMIT 1",
                    {code, date})
            .field(0)
            .toText();
    };
    EXPECT_EQ(price("Z1000", "20270101"), "830");
    EXPECT_EQ(price("Z1000001", "20270101"), "1080"); // night, times 1.3 to ten won
    EXPECT_EQ(price("Z4103010", "20270301"), "3630");
    EXPECT_EQ(price("Z1000", "20261231"), "790");
    db.reset();
    const std::string before = bytesOf(fee);
    f = RealRoot::addFeeYear(dir.path(), tsv);
    EXPECT_EQ(f.added + f.replaced, 0);
    EXPECT_EQ(bytesOf(fee), before);
    EXPECT_THROW(RealRoot::addFeeYear(dir.path(), "연도\t수가코드\t금액\n2027\tZ1000\t830\n"), ImportError);
    EXPECT_THROW(RealRoot::make(dir.path()), ImportError); // a root is not overwritten unasked
}

std::pair<int, std::string> run(const std::string& args) {
    std::string out;
    FILE* p = ::popen(
        (std::string(PELMORA_BINARY_DIR) + "/tools/pelmora-import/pelmora-import " + args + " 2>&1").c_str(),
        "r");
    char buf[4096];
    for (std::size_t n; p && (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        out.append(buf, n);
    const int status = p ? ::pclose(p) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// What a pharmacy types: a real root and the month's list in one command,
// then an older list, refused in Korean with the way round it.
TEST(PelmoraImport, SetsUpARealRootFromTheCommandLine) {
    test::TempDir d;
    const std::string root = (d.path() / "약국 root").string();
    const std::string list = (d.path() / "약제급여목록및급여상한금액표_(2025.1.1.)(2).xlsx").string();
    ASSERT_TRUE(test::writeDrugList(list, "25년1월1일_(2)", ListLayout::y2026,
                                    {kGroup,
                                     {.code = "012345678", .name = "타이레놀정500mg"},
                                     {.code = "600000011", .name = "보류정", .price = "산정불가"}}));
    auto [rc, out] = run("--root '" + root + "' --new-root '" + list + "'");
    EXPECT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("2025-01-01 약가: 제품 1건 — 신규 1"), std::string::npos) << out;
    EXPECT_NE(out.find("제외 4행 600000011 보류정: 산정불가"), std::string::npos) << out;
    EXPECT_EQ(DrugListImport::lastDate(root), "20250101");
    std::tie(rc, out) = run("--root '" + root + "' --date 20241201 '" + list + "'");
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("마지막으로 반영한 약가(2025-01-01)보다 오래되었습니다. (--force"), std::string::npos)
        << out;
    std::tie(rc, out) = run("--root '" + root + "' --new-root");
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("이미 참조 파일이 있습니다"), std::string::npos) << out;
    EXPECT_EQ(run("--version").second, "pelmora-import 0.1.0\n");
    EXPECT_EQ(run("--help").first, 0);
    EXPECT_EQ(run("--root").first, 2);
    EXPECT_EQ(run("").first, 2);
}

} // namespace
