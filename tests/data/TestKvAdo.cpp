#include "TestOdbcSupport.h"

#include "data/KvAdo.h"
#include "data/SqliteConnection.h"
#include "support/RecordingMessage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using namespace pelmora;

namespace {

TEST(KvAdo, ConnectionStringsForEveryProviderAndNetworkLibrary) {
    struct Case {
        long ver, lib;
        const char* provider;
        const char* library;
    } cases[] = {
        {0, 1, "Provider=SQLOLEDB;", "Network Library=dbmssocn"},
        {1, 9, "Provider=SQLNCLI.1;", "Network Library=dbmssocn"},
        {2, 2, "Provider=SQLNCLI10.1;", "Network Library=dbnmpntw"},
        {3, 3, "Provider=SQLNCLI11.1;", "Network Library=dbmsspxn"},
        {4, 4, "Provider=SQLOLEDB;", "Network Library=dbmsvinn"},
        {-1, 5, "Provider=SQLOLEDB;", "Network Library=dbmsrpcn"},
        {0, 0, "Provider=SQLOLEDB;", ""},
        {0, 6, "Provider=SQLOLEDB;", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sqlConnectionString("srv", "DB_WebTOLA", "sa", "pw", c.lib, c.ver),
                  std::string(c.provider) +
                      "User ID=sa;Initial Catalog=DB_WebTOLA;Data Source=srv;Password=pw;" + c.library)
            << c.ver << "/" << c.lib;
    EXPECT_EQ(mdbConnectionString("C:\\a.mdb", "tola", 0),
              "Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=True;Data Source=C:\\a.mdb;"
              "jet oledb:database Password=tola");
    EXPECT_EQ(mdbConnectionString("x", "", 7).substr(0, 35), "Provider=Microsoft.Jet.OLEDB.3.51;P");
    EXPECT_EQ(odbcDsnConnectionString("ora", "id", "pw"),
              "Provider=MSDASQL.1;Data Source=ora;User ID=id;Password=pw;Persist Security Info=True");
    for (auto [in, out] : {std::pair{0L, 600}, {-5L, 600}, {1L, 1}, {30L, 30}})
        EXPECT_EQ(commandTimeoutFor(in), out) << in;
}

TEST(KvAdo, FailedServerConnectionLeavesAClosedEmptyConnectionAndErrorDetails) {
    KvAdo ado;
    ado.ServerPort = test::closedLoopbackPort();
    ado.LoginTimeOut = 3;
    KvAdo::Connection cn;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ado.DBConnection_SQL(cn, "127.0.0.1", "DB_WebTOLA", "sa", "pw", 1, 0, 0));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    ASSERT_TRUE(cn);
    EXPECT_EQ(cn->State(), 0);
    EXPECT_EQ(cn->ConnectionString, "");
    EXPECT_EQ(ado.ErrNo, dberr::kConnection);
    EXPECT_EQ(ado.ErrDB.substr(0, 2), "08");
    EXPECT_NE(ado.ErrSou.find("FreeTDS"), std::string::npos);
    EXPECT_NE(ado.ErrDes.find("Unable to connect"), std::string::npos) << ado.ErrDes;
    EXPECT_FALSE(ado.ErrDetails.empty());

    // the details stay after a later success
    test::TempDir dir;
    SqliteConnection::create(dir.file("a.db"))->execute("CREATE TABLE t (a)");
    KvAdo::Connection local;
    EXPECT_TRUE(ado.DBConnection_MDB(local, dir.file("a.db"), "tola", 0, 0));
    EXPECT_EQ(ado.ErrDB.substr(0, 2), "08");
    // an old network library cannot work here, and says so
    EXPECT_FALSE(ado.DBConnection_SQL(cn, "127.0.0.1", "DB_WebTOLA", "sa", "pw", 2, 0, 0));
    EXPECT_NE(ado.ErrDes.find("TCP/IP"), std::string::npos);
}

TEST(KvAdo, SilentServerGivesUpAfterTheLoginTimeOut) {
    test::SilentListener server;
    KvAdo ado;
    ado.LoginTimeOut = 2;
    KvAdo::Connection cn;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(
        ado.DBConnection_SQL(cn, "127.0.0.1," + std::to_string(server.port()), "DB_WebTOLA", "sa", "pw", 1));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    EXPECT_EQ(ado.ErrDB, "HYT00");
}

TEST(KvAdo, LocalFileConnectionRecordsWhatWasAsked) {
    test::TempDir dir;
    auto file = dir.file("Pelmora.db");
    SqliteConnection::create(file)->execute("CREATE TABLE t (a TEXT)");
    KvAdo ado;
    KvAdo::Connection cn;
    ASSERT_TRUE(ado.DBConnection_MDB(cn, file, "tola", 0, 30));
    EXPECT_EQ(cn->State(), 1);
    EXPECT_EQ(cn->ConnectionString, mdbConnectionString(file, "tola", 0));
    EXPECT_EQ(cn->CommandTimeout, 30);
    EXPECT_EQ(cn->dialect(), Dialect::Local);
    EXPECT_EQ(ado.DataType(), 0);
    EXPECT_EQ(ConnInfo().Kind, 0);
    EXPECT_EQ(ConnInfo().MdbPath, file);
    // a missing file fails and is not created
    KvAdo::Connection none;
    EXPECT_FALSE(ado.DBConnection_MDB(none, dir.file("missing.db"), "tola", 0));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing.db")));
    EXPECT_EQ(none->ConnectionString, "");
}

TEST(KvAdo, RecordSetsAndStatementsReportFailuresWithTheConnectBox) {
    test::TempDir dir;
    auto file = dir.file("a.db");
    SqliteConnection::create(file)->execute("CREATE TABLE t (a TEXT)");
    test::RecordingMessage boxes;
    KvAdo ado;
    KvAdo::Connection cn;
    ASSERT_TRUE(ado.DBConnection_MDB(cn, file, "", 0));
    EXPECT_EQ(ado.RunSql(cn, "INSERT INTO t VALUES ('x')"), 1);
    EXPECT_EQ(ado.RunSql(cn, "UPDATE t SET a = 'y'"), 1);
    auto rs = ado.GetRecordSet(cn, "SELECT a FROM t");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->field("a"), Variant("y"));
    KvAdo::CloseRecordSet(rs);
    EXPECT_FALSE(rs);
    EXPECT_TRUE(boxes.boxes.empty());

    EXPECT_FALSE(ado.GetRecordSet(cn, "SELECT nothing FROM nowhere"));
    EXPECT_EQ(ado.RunSql(cn, "UPDATE nowhere SET a = 1"), -1);
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].text, "데이터 연결 오류 입니다!");
    EXPECT_EQ(boxes.boxes[0].title, "Connect Error");

    // a closed connection (3704) is passed over without a box
    cn->Close();
    EXPECT_FALSE(ado.GetRecordSet(cn, "SELECT a FROM t"));
    EXPECT_EQ(boxes.boxes.size(), 2u);
    EXPECT_TRUE(cn->Reopen(0));
    EXPECT_EQ(cn->ConnectionTimeout, 10);
    EXPECT_TRUE(ado.GetRecordSet(cn, "SELECT a FROM t"));
}

TEST(KvAdo, AFailureThatSpeaksOfTheConnectionReopensOnceAndRunsAgain) {
    test::TempDir dir;
    auto file = dir.file("a.db");
    SqliteConnection::create(file)->execute("CREATE TABLE t (a TEXT)");
    test::RecordingMessage boxes;
    KvAdo ado;
    KvAdo::Connection cn;
    ASSERT_TRUE(ado.DBConnection_MDB(cn, file, "", 0));
    ASSERT_TRUE(ado.GetRecordSet(cn, "SELECT a FROM t"));
    EXPECT_EQ(cn->odbc().preparedCount(), 1u);
    // the driver's message names the missing table, and so holds "연결을"
    EXPECT_FALSE(ado.GetRecordSet(cn, "SELECT a FROM 연결을"));
    EXPECT_EQ(cn->State(), 1);
    EXPECT_EQ(cn->odbc().preparedCount(), 0u); // a new connection
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"데이터 연결 오류 입니다!"});
}

TEST(KvAdo, SchemaOperationsOnALocalFile) {
    test::TempDir dir;
    auto file = dir.file("a.db");
    SqliteConnection::create(file)->execute("CREATE TABLE 기존 (a TEXT)");
    KvAdo ado;
    KvAdo::Connection cn;
    ASSERT_TRUE(ado.DBConnection_MDB(cn, file, "", 0));
    EXPECT_TRUE(ado.TableAdd("약", "코드", 202, 10));
    EXPECT_TRUE(ado.FieldAdd("약", "단가", 6));
    EXPECT_TRUE(ado.FieldAdd("약", "메모", 201));
    EXPECT_TRUE(ado.TableFind("약"));
    EXPECT_FALSE(ado.TableFind("없는표"));
    EXPECT_TRUE(ado.FieldFind("약", "단가"));
    EXPECT_FALSE(ado.FieldFind("약", "없음"));
    long n = 0;
    EXPECT_EQ(ado.FieldNameGet("약", &n), "코드,단가,메모");
    EXPECT_EQ(n, 3);
    auto names = ado.TableNameGet(&n);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(ado.FieldInfo("약", "코드", "TYPE_NAME").toText().substr(0, 8), "NVERCHAR");
    EXPECT_EQ(ado.FieldTypeGetSql("약", "코드", "O'Brien"), "'O''Brien'");
    EXPECT_EQ(ado.FieldTypeGetSql("약", "단가", "1500"), "1500");
    EXPECT_EQ(ado.FieldTypeGetSql("약", "단가", "abc"), "");
    // "NVERCHAR" is a text column here: leading zeros stay
    EXPECT_EQ(ado.RunSql(cn, "INSERT INTO 약 (코드, 단가) VALUES ('007', 1500)"), 1);
    EXPECT_EQ(ado.GetRecordSet(cn, "SELECT 코드 FROM 약")->field("코드"), Variant("007"));
    SqliteConnection::open(file)->execute("CREATE UNIQUE INDEX ix약 ON 약 (코드)");

    // copies into another file keep columns, nullability and indexes
    auto other = dir.file("b.db");
    SqliteConnection::create(other)->execute("CREATE TABLE x (a)");
    KvAdo ado2;
    KvAdo::Connection cn2;
    ASSERT_TRUE(ado2.DBConnection_MDB(cn2, other, "", 0));
    ASSERT_TRUE(ado.TableCopy(cn2, "약", "약사본")) << ado.OpErrDes;
    EXPECT_TRUE(ado.DBDataCopy_MDBTOMDB(cn2, "약", "약사본", "", file)) << ado.OpErrDes;
    EXPECT_EQ(ado.GetRecordSet(cn2, "SELECT 코드 FROM 약사본")->field("코드"), Variant("007"));
    EXPECT_FALSE(ado.DBDataCopy_MDBTOMDB(cn2, "약", "약사본", "", file)); // the unique index holds
    EXPECT_EQ(ado2.FieldNameGet("약사본"), "코드,단가,메모");

    EXPECT_TRUE(ado.FieldDelete("약", "메모"));
    EXPECT_FALSE(ado.FieldAdd("약", "x; DROP TABLE 기존", 3));
    EXPECT_FALSE(ado.TableDelete("기존]; --"));
    EXPECT_TRUE(ado.TableFind("기존"));
    EXPECT_TRUE(ado.TableDelete("기존"));
    EXPECT_FALSE(ado.TableFind("기존"));
    EXPECT_FALSE(ado.DBDataCopy_MDBTOSQL(cn, "a", "b", file, ""));
    EXPECT_NE(ado.OpErrDes.find("할 수 없는 작업"), std::string::npos);
    EXPECT_TRUE(ado.DBGoBackUp(dir.file("")));
    int copies = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path()))
        if (e.path().filename().string().rfind("a2", 0) == 0) ++copies;
    EXPECT_EQ(copies, 1);
}

TEST(KvAdo, TypeNamesByConnectionKind) {
    KvAdo file; // no connection yet: the local-file kind
    EXPECT_EQ(file.FieldTypeName(6), "CURRENCY");
    EXPECT_EQ(file.FieldTypeName(11), "YESNO");
    EXPECT_EQ(file.FieldTypeName(201), "MEMO");
    EXPECT_EQ(file.FieldTypeName(5), "DOUBLE");
    EXPECT_EQ(file.FieldTypeName(7), "DateTime");
    EXPECT_EQ(file.FieldTypeName(202), "NVERCHAR");
    EXPECT_EQ(file.FieldTypeName(9999), "");
}

} // namespace
