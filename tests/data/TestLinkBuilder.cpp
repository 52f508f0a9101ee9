// Hostile reference files: whatever a file holds, building the link database
// from it runs none of it as SQL, and the store and every other file stay
// byte for byte as they were.

#include "data/LinkBuilder.h"
#include "data/LinkDatabase.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file() || e.path().filename().string().rfind("Pelmora.db", 0) == 0) continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        files[e.path().string()] = ss.str();
    }
    return files;
}

struct Hostile {
    const char* what;
    std::size_t file;
    std::vector<std::string> sql; // run on the reference file; $STORE is the store's path
    bool builds;
    const char* cause; // part of the failure's description
};

TEST(LinkBuilder, HostileFilesRunNothingAndTouchNothing) {
    const std::vector<Hostile> cases = {
        {"SQL in a declared type",
         ReferenceFiles::kHoliday,
         {"DROP TABLE 공휴일",
          "CREATE TABLE 공휴일 (공휴일자 [TEXT); ATTACH DATABASE '$STORE' AS p; DELETE FROM p.Main; --], "
          "설명 "
          "[TEXT) ; DROP TABLE 병원종병; --])",
          "INSERT INTO 공휴일 VALUES ('20240101', '1월 1일')"},
         true,
         ""},
        {"quotes and brackets in names",
         ReferenceFiles::kPack,
         {R"(CREATE TABLE "기타""자료]'" ("a""b", "[c]", "d'e" INTEGER))",
          R"(INSERT INTO "기타""자료]'" VALUES (1, 2, 3))"},
         true,
         ""},
        {"SQLite's own tables",
         ReferenceFiles::kSpecial,
         {"CREATE INDEX ix ON 특정기호 (특정기호)", "ANALYZE"},
         true,
         ""},
        {"a view and a trigger",
         ReferenceFiles::kHosp,
         {"INSERT INTO 병원종병 VALUES ('11100001', '서울', '1', 30, '20000101', '99991231')",
          "CREATE VIEW 보기 AS SELECT * FROM 병원종병",
          "CREATE TRIGGER 지우기 AFTER INSERT ON 병원종병 BEGIN DELETE FROM 병원종병; END"},
         true,
         ""},
        {"a required table that is a view",
         ReferenceFiles::kPack,
         {"DROP TABLE 팩단위약", "CREATE TABLE 진짜 (코드 TEXT)",
          "CREATE VIEW 팩단위약 AS SELECT 코드 FROM 진짜"},
         false,
         "팩단위약.db 파일에 팩단위약 표가 없습니다."},
        {"a huge row",
         ReferenceFiles::kHoliday,
         {"INSERT INTO 공휴일 VALUES ('20240101', zeroblob(" +
          std::to_string(LinkBuilder::kMaxValueBytes + 1) + "))"},
         false,
         "공휴일.db 파일의 공휴일 표에 16MB가 넘는 값이 있습니다."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        test::RecordingMessage box;
        const fs::path root = dir.path();
        const std::string store = (ReferenceFiles::dataFolder(root) / "Pelmo.db").string();
        {
            fs::create_directories(ReferenceFiles::dataFolder(root));
            auto s = SqliteConnection::create(store);
            s->executeScript("CREATE TABLE Main (vcPreCd TEXT); INSERT INTO Main VALUES ('0000000001')");
            test::RefFixture fx(root);
            fx.drug({.code = "641900010", .name = "타이레놀정(내복)"});
            for (std::string sql : c.sql) {
                for (auto at = sql.find("$STORE"); at != std::string::npos; at = sql.find("$STORE"))
                    sql.replace(at, 6, store);
                fx.db(c.file).executeScript(sql);
            }
        }
        const auto before = snapshot(root);
        std::unique_ptr<LinkDatabase> link;
        std::string why;
        EXPECT_EQ(ConnectLocalMdb(root, link, &why), c.builds) << why;
        EXPECT_EQ(snapshot(root), before);
        EXPECT_NE(why.find(c.cause), std::string::npos) << why;
        if (!link) continue;
        auto& db = link->database();
        EXPECT_EQ(db.query("SELECT count(*) FROM sqlite_master WHERE type IN ('view', 'trigger')")
                      .field(0)
                      .toInt32(),
                  0);
        EXPECT_TRUE(db.query("SELECT name FROM sqlite_master WHERE name = 'Main'").eof());
        EXPECT_EQ(db.query("SELECT count(*) FROM 병원종병").field(0).toInt32(),
                  c.file == ReferenceFiles::kHosp ? 1 : 0);
        if (c.file == ReferenceFiles::kHoliday) {
            EXPECT_EQ(db.query("SELECT type FROM pragma_table_info('공휴일')").field(0).toText(), "TEXT");
            EXPECT_EQ(db.query("SELECT 공휴일자 FROM 공휴일").field(0).toText(), "20240101");
        }
        if (c.file == ReferenceFiles::kPack) {
            EXPECT_EQ(
                db.query(R"(SELECT "a""b" + "[c]" + "d'e" AS n FROM "기타""자료]'")").field(0).toInt32(), 6);
        }
    }
}

// The builder's connection attaches the file it copies, read-only, and
// nothing else, then or later.
TEST(LinkBuilder, AttachesOnlyTheFileItCopies) {
    test::TempDir dir;
    { test::RefFixture fx(dir.path()); }
    const std::string store = dir.file("Pelmo.db");
    SqliteConnection::create(store)->executeScript("CREATE TABLE Main (x)");
    LinkBuilder b(dir.path() / "link.db", {});
    const std::string other = ReferenceFiles::file(dir.path(), ReferenceFiles::kFee).string();
    for (const std::string& attach :
         {"ATTACH DATABASE '" + store + "' AS p", "ATTACH DATABASE '" + other + "' AS src",
          "ATTACH DATABASE 'file:" + other + "?mode=ro' AS src"})
        EXPECT_THROW(b.database().executeScript(attach), DbError) << attach;
    b.copyFile(ReferenceFiles::kHoliday, ReferenceFiles::file(dir.path(), ReferenceFiles::kHoliday));
    EXPECT_THROW(b.database().executeScript("ATTACH DATABASE '" + store + "' AS p"), DbError);
    EXPECT_EQ(b.database().query("SELECT count(*) FROM pragma_database_list").field(0).toInt32(), 1);
}

// A declared type maps onto the fixed list keeping what SQLite makes of it:
// the same affinity (what a stored value becomes) and whether it is money.
TEST(LinkBuilder, MappedTypesStoreValuesAsTheDeclaredOnes) {
    const char* declared[] = {"TEXT",
                              "varchar(40)",
                              "NVARCHAR",
                              "INTEGER",
                              "BIGINT",
                              "POINT",
                              "MONEY",
                              "CURRENCY",
                              "money(19,4)",
                              "INT MONEY",
                              "CHAR MONEY",
                              "REAL",
                              "DOUBLE PRECISION",
                              "FLOAT",
                              "BLOB",
                              "",
                              "DECIMAL(10,2)",
                              "DATETIME",
                              "TEXT); DROP TABLE x; --",
                              "'); ATTACH 'x' AS y; --"};
    auto db = SqliteConnection::memory();
    for (const char* d : declared) {
        const std::string mapped = LinkBuilder::mappedType(d);
        const std::string type = *d ? LinkBuilder::quoteId(d) : "";
        db->executeScript("DROP TABLE IF EXISTS t; CREATE TABLE t (a " + type + ", b " + mapped + ")");
        EXPECT_EQ(db->query("SELECT type FROM pragma_table_info('t') WHERE name = 'b'").field(0).toText(),
                  mapped);
        for (const char* value : {"12", "1.50", "x", "007"}) {
            db->execute("DELETE FROM t");
            db->execute("INSERT INTO t VALUES (?, ?)", {Variant(value), Variant(value)});
            auto rs = db->query("SELECT typeof(a), typeof(b), a = b FROM t");
            EXPECT_EQ(rs.field(0).toText(), rs.field(1).toText()) << d << " " << value;
            EXPECT_EQ(rs.field(2).toInt32(), 1) << d << " " << value;
        }
        std::string u = d;
        for (auto& c : u)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(mapped.find("MONEY") != std::string::npos,
                  u.find("MONEY") != std::string::npos || u.find("CURRENCY") != std::string::npos)
            << d;
    }
}

} // namespace
