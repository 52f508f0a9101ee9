#include "data/LinkDatabase.h"
#include "data/RefSql.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> tables(SqliteConnection& db) {
    std::vector<std::string> out;
    for (auto rs = db.query("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite%' "
                            "AND name NOT LIKE 'LinkSys%' ORDER BY name");
         !rs.eof(); rs.moveNext())
        out.push_back(rs.field("name").toText());
    return out;
}

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

class Link : public ::testing::Test {
  protected:
    test::TempDir dir;
    fs::path root = dir.path() / "Corvane";
    std::optional<test::RefFixture> fx{std::in_place, root};
    test::RecordingMessage box;
    std::unique_ptr<LinkDatabase> cn;
};

TEST(LinkDatabaseNames, SysInAnyCaseAndPositionIsNotCopied) {
    const struct {
        const char* name;
        bool copied;
    } cases[] = {{"MSysObjects", false},  {"SYSTEM", false},     {"sysinfo", false},
                 {"tblSys", false},       {"a_sYs_b", false},    {"sqlite_sequence", false},
                 {"SQLITE_stat1", false}, {"S_Y_S", true},       {"syntax", true},
                 {"공휴일", true},        {"DBF심평원약", true}, {"my_sqlite_notes", true}};
    for (const auto& c : cases)
        EXPECT_EQ(LinkDatabase::isCopied(c.name), c.copied) << c.name;
}

TEST_F(Link, CopiesEveryTableVisibleByItsNameInAnyCase) {
    fx->drug({.code = "641900010", .name = "타이레놀정(내복)"})
        .notice("20240101")
        .holiday("20240101", "1월 1일");
    fx->exec(ReferenceFiles::kHoliday, "CREATE TABLE MSysACEs (x)");
    fx->exec(ReferenceFiles::kHoliday, "CREATE TABLE 설정sys (x)");
    fx->exec(ReferenceFiles::kHoliday, "CREATE TABLE 기타자료 (a, b TEXT)");
    fx->exec(ReferenceFiles::kPack, "CREATE TABLE counter (id INTEGER PRIMARY KEY AUTOINCREMENT, v)");
    fx->exec(ReferenceFiles::kPack, "INSERT INTO counter (v) VALUES (1)");
    fx.reset();
    std::string why;
    ASSERT_TRUE(ConnectLocalMdb(root, cn, &why)) << why;
    EXPECT_TRUE(box.boxes.empty());
    EXPECT_EQ(tables(cn->database()),
              (std::vector<std::string>{"DBF심평원수", "DBF심평원약", "counter", "고시적용일", "공휴일",
                                        "기타자료", "병원종병", "특정기호", "팩단위약"}));
    auto& ref = cn->connection();
    EXPECT_EQ(ref.dialect(), Dialect::Local);
    EXPECT_EQ(ref.query("SELECT count(*) AS n FROM dbf심평원약", {}).field("n").toInt32(), 1);
    EXPECT_EQ(ref.query("SELECT count(*) AS n FROM DBF심평원약", {}).field("n").toInt32(), 1);
    // declared types survive the copy, so prices still read as money
    EXPECT_EQ(ref.query("SELECT 상한가 FROM DBF심평원약", {}).field("상한가").kind(),
              Variant::Kind::Currency);
    EXPECT_EQ(cn->stats().tables, 9);
    EXPECT_EQ(cn->stats().rows, 4);
    EXPECT_EQ(cn->path(), ReferenceFiles::linkDatabase(root));
    EXPECT_EQ(filesIn(root / "Data"), (std::vector<std::string>{"Pelmora.db", "Pelmora.db.lock"}));
}

TEST_F(Link, AMissingFileIsReportedAfterCheckingAllAndNothingIsRebuilt) {
    fx.reset();
    ASSERT_TRUE(ConnectLocalMdb(root, cn));
    cn.reset();
    const std::string before = slurp(ReferenceFiles::linkDatabase(root));
    fs::remove(ReferenceFiles::file(root, ReferenceFiles::kHoliday));
    fs::remove(ReferenceFiles::file(root, ReferenceFiles::kPack));
    std::string why;
    EXPECT_FALSE(ConnectLocalMdb(root, cn, &why));
    EXPECT_EQ(cn, nullptr);
    ASSERT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(box.boxes[0].kind, test::ShownBox::Plain);
    EXPECT_EQ(box.boxes[0].text,
              "로컬 연결에 필요한 MDB데이터를 찾을수 없습니다.\r\n\r\n찾을 수 없는 파일:\r\n" +
                  ReferenceFiles::file(root, ReferenceFiles::kHoliday).string() + "\r\n" +
                  ReferenceFiles::file(root, ReferenceFiles::kPack).string());
    EXPECT_EQ(box.boxes[0].title, kAppTitle);
    EXPECT_NE(why.find(ReferenceFiles::file(root, ReferenceFiles::kPack).string()), std::string::npos);
    EXPECT_EQ(slurp(ReferenceFiles::linkDatabase(root)), before);
    // a folder of the file's name is not the file
    fs::create_directory(ReferenceFiles::file(root, ReferenceFiles::kHoliday));
    fs::create_directory(ReferenceFiles::file(root, ReferenceFiles::kPack));
    EXPECT_FALSE(ConnectLocalMdb(root, cn));
    EXPECT_EQ(box.boxes.size(), 2u);
}

// Two running copies share a current link database; a build waits for the
// other's build and gives up with a cause after the wait.
TEST_F(Link, BuildsTakeTheLockRunningCopiesShare) {
    fx.reset();
    ASSERT_TRUE(ConnectLocalMdb(root, cn));
    std::unique_ptr<LinkDatabase> second;
    ASSERT_TRUE(ConnectLocalMdb(root, second));
    EXPECT_FALSE(second->built());
    EXPECT_EQ(second->query("SELECT count(*) AS n FROM 공휴일", {}).field("n").toInt32(), 0);

    int fd = ::open(LinkDatabase::lockPath(root).c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    const auto wait = LinkDatabase::lockWait;
    LinkDatabase::lockWait = std::chrono::milliseconds(200);
    int waited = 0;
    std::unique_ptr<LinkDatabase> third;
    EXPECT_THROW(third = LinkDatabase::rebuild(
                     root, [&](const LinkProgress& p) { waited += p.phase == LinkProgress::Phase::Waiting; }),
                 DbError);
    EXPECT_GT(waited, 0);
    ::close(fd);
    LinkDatabase::lockWait = wait;
    EXPECT_TRUE(LinkDatabase::rebuild(root)->built());
    EXPECT_EQ(cn->query("SELECT count(*) AS n FROM 공휴일", {}).field("n").toInt32(), 0); // still reads
}

TEST_F(Link, TheOldLinkDatabaseIsReplacedWholeOrKept) {
    fx->holiday("20240101", "1월 1일");
    fx.reset();
    fs::create_directories(root / "Data");
    {
        auto old = SqliteConnection::create(ReferenceFiles::linkDatabase(root).string());
        old->execute("CREATE TABLE 지난자료 (x)");
    }
    std::ofstream(root / "Data" / "Pelmora.db.tmp-abc123") << "left by a build that died";
    ASSERT_TRUE(ConnectLocalMdb(root, cn));
    EXPECT_EQ(tables(cn->database()).size(), 7u);
    EXPECT_TRUE(cn->database().query("SELECT name FROM sqlite_master WHERE name = '지난자료'", {}).eof());
    EXPECT_EQ(filesIn(root / "Data"), (std::vector<std::string>{"Pelmora.db", "Pelmora.db.lock"}));
    cn.reset();

    // a reference file that is no database: no link database is opened, the
    // old one stays and no temporary file is left
    const std::string before = slurp(ReferenceFiles::linkDatabase(root));
    std::ofstream(ReferenceFiles::file(root, ReferenceFiles::kSpecial), std::ios::trunc)
        << "not a database at all";
    std::string why;
    EXPECT_FALSE(ConnectLocalMdb(root, cn, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(slurp(ReferenceFiles::linkDatabase(root)), before);
    EXPECT_EQ(filesIn(root / "Data"), (std::vector<std::string>{"Pelmora.db", "Pelmora.db.lock"}));

    // a start that reuses the link database clears what a dead build left too
    std::ofstream(ReferenceFiles::file(root, ReferenceFiles::kSpecial), std::ios::trunc);
    { test::RefFixture again(root); }
    ASSERT_TRUE(ConnectLocalMdb(root, cn));
    cn.reset();
    std::ofstream(root / "Data" / "Pelmora.db.tmp-def456") << "left by a build that died";
    ASSERT_TRUE(ConnectLocalMdb(root, cn));
    EXPECT_FALSE(cn->built());
    EXPECT_EQ(filesIn(root / "Data"), (std::vector<std::string>{"Pelmora.db", "Pelmora.db.lock"}));
}

TEST_F(Link, AnUnwritableDataFolderFails) {
    fx.reset();
    std::ofstream(root / "Data") << "a file where the folder should be";
    EXPECT_FALSE(ConnectLocalMdb(root, cn));
    EXPECT_TRUE(box.boxes.empty());
}

TEST_F(Link, TheReferenceFilesAreNeverWritten) {
    fx->drug({.code = "641900010", .name = "타이레놀정(내복)"});
    fx.reset();
    std::vector<std::string> before;
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
        before.push_back(slurp(ReferenceFiles::file(root, i)));
    auto folderBefore = filesIn(ReferenceFiles::folder(root));
    ASSERT_TRUE(ConnectLocalMdb(root, cn));
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
        EXPECT_EQ(slurp(ReferenceFiles::file(root, i)), before[i]) << i;
    EXPECT_EQ(filesIn(ReferenceFiles::folder(root)), folderBefore);
}

TEST_F(Link, AFileThatCannotServeSaysWhichAndWhy) {
    fx.reset();
    const struct {
        std::size_t file;
        std::function<void(const fs::path&)> spoil;
        std::string cause;
    } cases[] = {
        {ReferenceFiles::kSpecial, [](const fs::path& f) { std::ofstream(f, std::ios::trunc); },
         "특정기호.db 파일이 비어 있습니다."},
        {ReferenceFiles::kHosp,
         [](const fs::path& f) { std::ofstream(f, std::ios::trunc) << std::string(4096, 'x'); },
         "병원종병.db 파일은 데이터베이스 파일이 아니거나 손상되었습니다."},
        {ReferenceFiles::kDrug,
         [](const fs::path& f) {
             SqliteConnection::open(f.string())->executeScript("DROP TABLE 고시적용일");
         },
         "심평원약.db 파일에 고시적용일 표가 없습니다."},
        {ReferenceFiles::kFee,
         [](const fs::path& f) {
             SqliteConnection::open(f.string())
                 ->executeScript("ALTER TABLE DBF심평원수 DROP COLUMN 수가단가");
         },
         "심평원수.db 파일의 DBF심평원수 표에 수가단가 열이 없습니다."},
    };
    for (const auto& c : cases) {
        test::TempDir d;
        { test::RefFixture f(d.path()); }
        c.spoil(ReferenceFiles::file(d.path(), c.file));
        std::string why;
        EXPECT_FALSE(ConnectLocalMdb(d.path(), cn, &why));
        EXPECT_NE(why.find(c.cause), std::string::npos) << why;
        EXPECT_EQ(why.rfind(ReferenceFiles::folder(d.path()).string(), 0), 0u) << why;
    }
    EXPECT_TRUE(box.boxes.empty()); // the caller shows the cause
}

// Every lookup by code or date is an index search; the searches by name or
// maker walk the validity-date index and test the pattern on those rows.
TEST_F(Link, LookupsSearchByIndex) {
    fx.reset();
    ASSERT_TRUE(ConnectLocalMdb(root, cn));
    const std::string fee = " SELECT TOP 1 수가단가, 수가명, 수가코드, 수가일자 FROM DBF심평원수 WHERE "
                            "수가일자 <= ? AND 수가코드= ? "
                            "ORDER BY 수가일자 DESC";
    const struct {
        std::string sql;
        const char* index;
    } cases[] = {
        {RefSql::yakGaSelect(Dialect::Local, 0), "ix_drug_code"},
        {RefSql::yakGaSelect(Dialect::Local, 1), "ix_drug_code"},
        {RefSql::yakGaSelect(Dialect::Local, 2), "ix_drug_code8"},
        {RefSql::yakGaSelect(Dialect::Local, 1), "ix_pack_code"},
        {RefSql::yakGaBibo(Dialect::Local), "ix_drug_code"},
        {RefSql::yakGaList(Dialect::Local, 0), "ix_drug_validity"},
        {RefSql::yakGaList(Dialect::Local, 1), "ix_drug_validity"},
        {RefSql::yakGaList(Dialect::Local, 2), "ix_drug_validity"},
        {RefSql::holiday(), "ix_holiday_date"},
        {RefSql::hosp(), "ix_hosp_code"},
        {RefSql::spesial(), "ix_special_code"},
        {RefSql::noticeDate(Dialect::Local), "ix_notice_date"},
        {fee.substr(0, 8) + fee.substr(14) + " LIMIT 1", "ix_fee_code"},
    };
    for (const auto& c : cases) {
        std::string plan;
        auto& db = cn->database();
        std::vector<Variant> params(static_cast<std::size_t>(std::count(c.sql.begin(), c.sql.end(), '?')),
                                    Variant("20240101"));
        for (auto rs = db.query("EXPLAIN QUERY PLAN " + c.sql, params); !rs.eof(); rs.moveNext())
            plan += rs.field("detail").toText() + "\n";
        const std::string ix = std::string("INDEX ") + c.index;
        EXPECT_TRUE(plan.find(ix + " ") != std::string::npos || plan.find(ix + "\n") != std::string::npos)
            << c.sql << plan;
        EXPECT_EQ(plan.find("SCAN a\n"), std::string::npos) << plan;
    }
}

} // namespace
