#include "TestOdbcSupport.h"

#include "data/OdbcRefConnection.h"
#include "data/SqliteConnection.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sql.h>

using namespace pelmora;
using pelmora::test::sqliteOdbc;
using pelmora::test::tdsOdbc;

namespace {

void fillSample(const std::string& path) {
    auto db = SqliteConnection::create(path);
    db->executeScript("CREATE TABLE DBF심평원수 (수가코드 TEXT, 수가명 TEXT, 수가단가 REAL, 수가일자 TEXT,"
                      " 횟수 INTEGER, 금액 MONEY, 비고 TEXT);"
                      "INSERT INTO DBF심평원수 VALUES ('Z1000','약국관리료',1625.0,'20240101',3,1234.5,NULL);"
                      "INSERT INTO DBF심평원수 VALUES ('Z1000','약국관리료',1580.0,'20230101',2,99,'');"
                      "INSERT INTO DBF심평원수 VALUES ('Z2000','조제기본료',1150.5,'20240101',1,0,'x');");
}

const char* kFee =
    "\r\n SELECT 수가단가, 수가명, 수가코드, 수가일자, 횟수, 금액, 비고\r\n FROM dbf심평원수\r\n"
    " WHERE 수가일자 <= ? AND 수가코드 = ?\r\n ORDER BY 수가일자 DESC\r\n";

TEST(OdbcRefConnection, GivesTheSameRecordSetAsTheSqliteConnection) {
    test::TempDir dir;
    auto file = dir.file("ref.db");
    fillSample(file);
    auto odbc = OdbcRefConnection::connect(sqliteOdbc(file));
    EXPECT_EQ(odbc->dialect(), Dialect::Local);
    auto db = SqliteConnection::open(file, SqliteConnection::OpenMode::ReadOnly);
    SqliteRefConnection local(*db);

    struct Case {
        std::vector<RefParam> params;
        long count;
    } cases[] = {
        {{{"20241231", 8}, {"Z1000", 10}}, 2},
        {{{"20231231", 8}, {"Z1000", 10}}, 1},
        {{{"20241231", 8}, {"Z2000", 10}}, 1},
        {{{"20221231", 8}, {"Z1000", 10}}, 0},
    };
    for (const auto& c : cases) {
        RecordSet a = odbc->query(kFee, c.params);
        RecordSet b = local.query(kFee, c.params);
        ASSERT_EQ(a.recordCount(), c.count);
        ASSERT_EQ(a.names(), b.names());
        for (long r = 0; r < a.recordCount(); ++r)
            for (int i = 0; i < a.fieldCount(); ++i)
                EXPECT_EQ(a.value(static_cast<std::size_t>(r), i), b.value(static_cast<std::size_t>(r), i))
                    << a.fieldName(i) << " row " << r;
    }
    RecordSet rs = odbc->query(kFee, {{"20241231", 8}, {"Z1000", 10}});
    EXPECT_EQ(rs.field("수가단가"), Variant(1625.0));
    EXPECT_EQ(rs.field("수가명"), Variant("약국관리료"));
    EXPECT_EQ(rs.field("횟수"), Variant(std::int32_t{3}));
    EXPECT_EQ(rs.field("금액"), Variant(Currency::parse("1234.5")));
    EXPECT_TRUE(rs.field("비고").isNull());
    rs.moveNext();
    EXPECT_EQ(rs.field("비고"), Variant(""));
    // the statement was prepared once for all five runs
    EXPECT_EQ(odbc->preparedCount(), 1u);
}

TEST(OdbcRefConnection, SendsALongerValueWholeAndKeepsLongText) {
    test::TempDir dir;
    auto file = dir.file("ref.db");
    {
        auto db = SqliteConnection::create(file);
        db->execute("CREATE TABLE t (a TEXT)");
        db->execute("INSERT INTO t VALUES (?)", {Variant(std::string(10000, 'k') + "끝")});
        db->execute("INSERT INTO t VALUES ('ABCDEFGHIJKL')");
    }
    auto odbc = OdbcRefConnection::connect(sqliteOdbc(file));
    EXPECT_EQ(odbc->query("SELECT a FROM t WHERE a = ?", {{"ABCDEFGHIJKL", 10}}).recordCount(), 1);
    RecordSet rs = odbc->query("SELECT a FROM t WHERE a LIKE ?", {{"%끝%", 255}});
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.field("a"), Variant(std::string(10000, 'k') + "끝"));
}

TEST(OdbcRefConnection, FailedStatementsAreStatementFailures) {
    test::TempDir dir;
    auto file = dir.file("ref.db");
    fillSample(file);
    auto odbc = OdbcRefConnection::connect(sqliteOdbc(file));
    const char* bad[] = {"SELECT nothing FROM nowhere", "SELEC 1"};
    for (const char* sql : bad) {
        try {
            odbc->query(sql, {});
            ADD_FAILURE() << sql;
        } catch (const OdbcError& e) {
            EXPECT_EQ(e.number(), dberr::kStatementFailed) << sql;
            ASSERT_FALSE(e.diagnostics().empty());
            EXPECT_FALSE(e.diagnostics().front().sqlState.empty());
        }
    }
    try {
        odbc->query(kFee, {{"20241231", 8}});
        ADD_FAILURE();
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), dberr::kStatementFailed);
    }
    EXPECT_EQ(odbc->execute("UPDATE DBF심평원수 SET 비고 = ? WHERE 수가코드 = ?", {{"y", 10}, {"Z1000", 10}}),
              2);
    EXPECT_TRUE(odbc->isOpen());
}

TEST(OdbcRefConnection, CatalogListsTablesColumnsAndIndexes) {
    test::TempDir dir;
    auto file = dir.file("ref.db");
    fillSample(file);
    SqliteConnection::open(file)->execute("CREATE UNIQUE INDEX ix코드 ON DBF심평원수 (수가코드, 수가일자)");
    auto odbc = OdbcRefConnection::connect(sqliteOdbc(file));
    RecordSet t = odbc->tables();
    ASSERT_EQ(t.recordCount(), 1);
    EXPECT_EQ(t.field("TABLE_NAME").toText(), "DBF심평원수");
    RecordSet c = odbc->columns("DBF심평원수");
    EXPECT_EQ(c.recordCount(), 7);
    EXPECT_EQ(c.field("COLUMN_NAME").toText(), "수가코드");
    RecordSet s = odbc->statistics("DBF심평원수");
    bool found = false;
    for (; !s.eof(); s.moveNext())
        if (s.field("INDEX_NAME").toText() == "ix코드") found = true;
    EXPECT_TRUE(found);
}

TEST(OdbcRefConnection, ValuesFollowTheColumnType) {
    EXPECT_EQ(odbcValue("1625.0", SQL_DOUBLE, "REAL"), Variant(1625.0));
    EXPECT_EQ(odbcValue("12", SQL_INTEGER, "int"), Variant(std::int32_t{12}));
    EXPECT_EQ(odbcValue("3000000000", SQL_INTEGER, "bigint"), Variant(3e9));
    EXPECT_EQ(odbcValue("1625.5000", SQL_DECIMAL, "money"), Variant(Currency::parse("1625.5")));
    EXPECT_EQ(odbcValue("12.25", SQL_DECIMAL, "decimal"), Variant(12.25));
    EXPECT_EQ(odbcValue("0012", SQL_VARCHAR, "varchar"), Variant("0012"));
    EXPECT_EQ(odbcValue("abc", SQL_INTEGER, "INTEGER"), Variant("abc")); // text in a number column
}

TEST(OdbcRefConnection, QuotesConnectionStringValuesOnlyWhenNeeded) {
    EXPECT_EQ(odbcQuote("plain"), "plain");
    EXPECT_EQ(odbcQuote("a;b"), "{a;b}");
    EXPECT_EQ(odbcQuote("x}y"), "{x}}y}");
}

TEST(OdbcRefConnection, ClosedLoopbackPortFailsAtOnce) {
    int port = test::closedLoopbackPort();
    auto start = std::chrono::steady_clock::now();
    try {
        OdbcRefConnection::connect(tdsOdbc(port), std::nullopt, 3);
        ADD_FAILURE();
    } catch (const OdbcError& e) {
        EXPECT_EQ(e.number(), dberr::kConnection);
        ASSERT_FALSE(e.diagnostics().empty());
        EXPECT_EQ(e.diagnostics().front().sqlState.substr(0, 2), "08");
        EXPECT_NE(e.source().find("[FreeTDS]"), std::string::npos) << e.source();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST(OdbcRefConnection, SilentServerFailsAfterTheLoginTimeOut) {
    test::SilentListener server;
    auto start = std::chrono::steady_clock::now();
    try {
        OdbcRefConnection::connect(tdsOdbc(server.port()), Dialect::TSql, 2);
        ADD_FAILURE();
    } catch (const OdbcError& e) {
        EXPECT_EQ(e.number(), dberr::kConnection);
        ASSERT_FALSE(e.diagnostics().empty());
        EXPECT_EQ(e.diagnostics().front().sqlState, "HYT00");
    }
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(1500));
    EXPECT_LT(waited, std::chrono::seconds(8));
}

} // namespace
