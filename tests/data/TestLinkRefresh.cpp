// The link database kept between runs and kept current while running: reused
// exactly while the six files are unchanged, built again on any change to
// them or to itself, and swapped whole under the connection the program holds.

#include "data/LinkDatabase.h"
#include "data/clsYakGa.h"
#include "support/RefFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/stat.h>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

const fs::path drugFile(const fs::path& root) {
    return ReferenceFiles::file(root, ReferenceFiles::kDrug);
}

int holidays(RefConnection& cn) {
    return cn.query("SELECT count(*) AS n FROM 공휴일", {}).field("n").toInt32();
}

// Writes a new drug file beside the old one and renames it into place, as
// the drug list import does.
void replaceDrugFile(const fs::path& root, const std::string& price) {
    const fs::path next = drugFile(root).string() + ".new";
    fs::copy_file(drugFile(root), next);
    SqliteConnection::open(next.string())
        ->execute("UPDATE DBF심평원약 SET 상한가 = ?", {Variant(Currency::parse(price))});
    fs::rename(next, drugFile(root));
}

TEST(LinkRefresh, ReusedWhileUnchangedBuiltAgainOnAnyChange) {
    const struct {
        const char* change;
        std::function<void(const fs::path&)> apply;
        bool builds;
    } cases[] = {
        {"nothing", [](const fs::path&) {}, false},
        {"a file only read",
         [](const fs::path& r) {
             SqliteConnection::open(drugFile(r).string())->query("SELECT * FROM DBF심평원약");
         },
         false},
        {"a row added", [](const fs::path& r) { test::RefFixture(r).holiday("20240301", "삼일절"); }, true},
        {"a value changed in place, size and time kept",
         [](const fs::path& r) {
             const fs::path f = ReferenceFiles::file(r, ReferenceFiles::kHoliday);
             struct stat st {};
             ::stat(f.c_str(), &st);
             SqliteConnection::open(f.string())->executeScript("UPDATE 공휴일 SET 설명 = '1월 2일'");
             const struct timespec times[2] = {st.st_atim, st.st_mtim};
             ::utimensat(AT_FDCWD, f.c_str(), times, 0);
             ASSERT_EQ(fs::file_size(f), static_cast<std::uintmax_t>(st.st_size));
         },
         true},
        {"the same content under a new file",
         [](const fs::path& r) {
             const fs::path f = ReferenceFiles::file(r, ReferenceFiles::kPack);
             fs::copy_file(f, f.string() + ".copy", fs::copy_options::overwrite_existing);
             fs::rename(f.string() + ".copy", f);
         },
         true},
        {"the link database deleted", [](const fs::path& r) { fs::remove(ReferenceFiles::linkDatabase(r)); },
         true},
        {"the link database cut short",
         [](const fs::path& r) { fs::resize_file(ReferenceFiles::linkDatabase(r), 8192); }, true},
        {"the link database's record gone",
         [](const fs::path& r) {
             SqliteConnection::open(ReferenceFiles::linkDatabase(r).string())
                 ->executeScript("DROP TABLE LinkSysSource");
         },
         true},
        {"the link database overwritten",
         [](const fs::path& r) {
             std::ofstream(ReferenceFiles::linkDatabase(r), std::ios::trunc) << "garbage";
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        test::TempDir dir;
        test::RefFixture(dir.path()).holiday("20240101", "1월 1일");
        ASSERT_TRUE(LinkDatabase::open(dir.path())->built());
        c.apply(dir.path());
        auto link = LinkDatabase::open(dir.path());
        EXPECT_EQ(link->built(), c.builds);
        EXPECT_FALSE(link->stale());
        EXPECT_EQ(holidays(*link), c.change == std::string("a row added") ? 2 : 1);
    }
}

// The connection the program holds stays the same object; every query before
// the refresh sees the old data whole, every query after it the new.
TEST(LinkRefresh, AnUpdateWhileRunningIsTakenUpWholeBetweenRuns) {
    test::TempDir dir;
    test::RefFixture(dir.path())
        .drug({.code = "641900010", .name = "타이레놀정(내복)", .price = "100"})
        .drug({.code = "652100020", .name = "케토톱(외용)", .price = "300"});
    auto link = LinkDatabase::open(dir.path());
    RefConnection& held = link->connection();
    clsYakGa drug(held);
    auto price = [&](const char* code) {
        drug.Mode = 1;
        drug.vcYakCd = code;
        drug.vcYakDt = "20240601";
        drug.RecordSelect();
        return drug.mYakPr.toText();
    };
    auto listed = drug.RecordListPaged("20240601", 1, "(");
    ASSERT_EQ(listed->recordCount(), 2);

    replaceDrugFile(dir.path(), "777");
    EXPECT_TRUE(link->stale());
    EXPECT_EQ(price("641900010"), "100"); // not taken up before the refresh
    std::vector<LinkProgress::Phase> phases;
    EXPECT_EQ(link->refresh([&](const LinkProgress& p) { phases.push_back(p.phase); }),
              LinkDatabase::Refresh::Rebuilt);
    EXPECT_FALSE(phases.empty());
    EXPECT_EQ(&link->connection(), &held);
    EXPECT_EQ(price("641900010"), "777");
    EXPECT_EQ(price("652100020"), "777");
    EXPECT_EQ(link->refresh(), LinkDatabase::Refresh::Current);
    // a list taken before the refresh reads on from the data it was taken from
    EXPECT_EQ(listed->rows(0, 2).value(1, 5).toText(), "100");
}

TEST(LinkRefresh, ABrokenUpdateKeepsTheOldDataSaysWhyOnceAndIsTakenUpWhenMended) {
    test::TempDir dir;
    test::RefFixture(dir.path()).drug({.code = "641900010", .name = "타이레놀정(내복)", .price = "100"});
    auto link = LinkDatabase::open(dir.path());
    const fs::path saved = dir.file("saved.db");
    fs::copy_file(drugFile(dir.path()), saved);
    std::ofstream(drugFile(dir.path()), std::ios::trunc) << std::string(2048, 'x');

    std::string why;
    EXPECT_EQ(link->refresh({}, &why), LinkDatabase::Refresh::Failed);
    EXPECT_NE(why.find("심평원약.db 파일은 데이터베이스 파일이 아니거나 손상되었습니다."), std::string::npos)
        << why;
    EXPECT_EQ(link->query("SELECT 상한가 FROM DBF심평원약", {}).field(0).toText(), "100");
    int calls = 0;
    EXPECT_EQ(link->refresh([&](const LinkProgress&) { ++calls; }), LinkDatabase::Refresh::Kept);
    EXPECT_EQ(calls, 0); // not built again until the file changes

    fs::copy_file(saved, drugFile(dir.path()), fs::copy_options::overwrite_existing);
    replaceDrugFile(dir.path(), "120");
    EXPECT_EQ(link->refresh(), LinkDatabase::Refresh::Rebuilt);
    EXPECT_EQ(link->query("SELECT 상한가 FROM DBF심평원약", {}).field(0).toText(), "120");
}

} // namespace
