#include "data/RefConnection.h"
#include "data/SqliteConnection.h"
#include "support/TempDir.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using namespace pelmora;

namespace {

using pelmora::test::errorOf;

TEST(SqliteConnection, CreatesAnOwnerOnlyFileAndRefusesToOverwrite) {
    test::TempDir dir;
    auto path = dir.file("a.db");
    {
        auto db = SqliteConnection::create(path);
        db->execute("CREATE TABLE t (a)");
    }
    struct stat sb {};
    ASSERT_EQ(::stat(path.c_str(), &sb), 0);
    EXPECT_EQ(sb.st_mode & 0777, 0600u);
    EXPECT_EQ(errorOf([&] { SqliteConnection::create(path); }), dberr::kCannotOpen);
    // a zero-byte file counts as new
    std::ofstream(dir.file("empty.db")).close();
    EXPECT_NO_THROW(SqliteConnection::create(dir.file("empty.db")));
}

TEST(SqliteConnection, DistinctErrorsForFilesAndStatements) {
    test::TempDir dir;
    EXPECT_EQ(errorOf([&] { SqliteConnection::open(dir.file("missing.db")); }), dberr::kCannotOpen);
    std::ofstream(dir.file("text.db")) << "this is not a database, just some text that is long enough";
    EXPECT_EQ(errorOf([&] { SqliteConnection::open(dir.file("text.db")); }), dberr::kNotADatabase);
    EXPECT_EQ(errorOf([&] { SqliteConnection::create(dir.file("no/such/folder/x.db")); }),
              dberr::kCannotOpen);

    auto db = SqliteConnection::memory();
    db->execute("CREATE TABLE t (a TEXT)");
    EXPECT_EQ(errorOf([&] { db->execute("ALTER TABLE t ADD a TEXT"); }), dberr::kStatementFailed);
    EXPECT_EQ(errorOf([&] { db->query("SELECT nothing FROM nowhere"); }), dberr::kStatementFailed);
    EXPECT_EQ(dberr::kStatementFailed, -2147221504);
}

TEST(SqliteConnection, ReadOnlyFileGivesItsOwnError) {
    test::TempDir dir;
    auto path = dir.file("ro.db");
    SqliteConnection::create(path)->execute("CREATE TABLE t (a)");
    auto ro = SqliteConnection::open(path, SqliteConnection::OpenMode::ReadOnly);
    EXPECT_TRUE(ro->readOnly());
    EXPECT_FALSE(SqliteConnection::open(path)->readOnly());
    EXPECT_EQ(errorOf([&] { ro->execute("INSERT INTO t VALUES (1)"); }), dberr::kReadOnly);
}

TEST(SqliteConnection, RecordSetKeepsNullApartAndFindsFieldsByName) {
    auto db = SqliteConnection::memory();
    db->execute("CREATE TABLE t (vcName TEXT, iCnt INTEGER, mPr money, fQty REAL)");
    db->execute("INSERT INTO t VALUES (?, ?, ?, ?)", {Variant("O'Brien 약국"), Variant(std::int32_t{3}),
                                                      Variant(Currency::parse("1234.5")), Variant(0.5)});
    db->execute("INSERT INTO t VALUES ('', NULL, 7, NULL)");
    auto rs = db->query("SELECT * FROM t ORDER BY iCnt DESC");
    EXPECT_EQ(rs.recordCount(), 2);
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field("VCNAME").toText(), "O'Brien 약국");
    EXPECT_EQ(rs.field("icnt").toInt32(), 3);
    EXPECT_EQ(rs.field("mPr").kind(), Variant::Kind::Currency);
    EXPECT_EQ(rs.field("mPr").toCurrency(), Currency::parse("1234.5"));
    EXPECT_EQ(rs.field("fQty").toDouble(), 0.5);
    rs.moveNext();
    EXPECT_TRUE(rs.field("iCnt").isNull());
    EXPECT_TRUE(rs.field("vcName").isString());
    EXPECT_EQ(rs.field("vcName").toText(), "");
    EXPECT_EQ(rs.field("mPr").toCurrency(), Currency::fromWon(7));
    EXPECT_EQ(errorOf([&] { rs.field("nope"); }), dberr::kItemNotFound);
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    EXPECT_EQ(errorOf([&] { rs.field("vcName"); }), dberr::kNoCurrentRecord);
}

TEST(SqliteConnection, TransactionsCommitAndRollBack) {
    auto db = SqliteConnection::memory();
    db->execute("CREATE TABLE t (a)");
    db->begin(true);
    EXPECT_TRUE(db->inTransaction());
    db->execute("INSERT INTO t VALUES (1)");
    db->rollback();
    EXPECT_FALSE(db->inTransaction());
    db->begin();
    db->execute("INSERT INTO t VALUES (2)");
    db->commit();
    db->rollback(); // nothing open: harmless
    auto rs = db->query("SELECT a FROM t");
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.field("a").toInt32(), 2);
}

TEST(SqliteConnection, RepeatedStatementsArePreparedOnce) {
    auto db = SqliteConnection::memory();
    db->execute("CREATE TABLE t (a TEXT)");
    std::size_t before = db->preparedCount();
    for (int i = 0; i < 20; ++i)
        db->query("SELECT a FROM t WHERE a = ?", {Variant(std::to_string(i))});
    EXPECT_EQ(db->preparedCount(), before + 1);
    EXPECT_EQ(errorOf([&] { db->query("SELECT a FROM t WHERE a = ?", {}); }), dberr::kStatementFailed);
    // a failed bind leaves the cached statement usable
    EXPECT_NO_THROW(db->query("SELECT a FROM t WHERE a = ?", {Variant("x")}));
}

TEST(SqliteRefConnection, BindsTextParametersWholeAndSpeaksTheLocalDialect) {
    auto db = SqliteConnection::memory();
    db->execute("CREATE TABLE DBF심평원수 (코드 TEXT, 금액 REAL)");
    db->execute("INSERT INTO DBF심평원수 VALUES ('Z4200123456789', 1625.0)");
    SqliteRefConnection ref(*db);
    EXPECT_EQ(ref.dialect(), Dialect::Local);
    // a value longer than its declared size is sent whole
    auto rs = ref.query("SELECT 금액 FROM dbf심평원수 WHERE 코드 = ?", {{"Z4200123456789", 10}});
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.field("금액").toDouble(), 1625.0);
    EXPECT_EQ(SqliteRefConnection(*db, Dialect::TSql).dialect(), Dialect::TSql);
}

} // namespace
