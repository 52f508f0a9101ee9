#include "data/DbTools.h"
#include "data/LocalStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

const char* const kMain002 =
    "CREATE TABLE Main(vcPreCd varchar(10) NOT NULL,iMatSn smallint,vcVerSn varchar(3),vcPreDt varchar(8),"
    "vcPreTm varchar(6),mMoneyPr money,vcBonSn varchar(4),vcUpDt varchar(20),vcHospCd varchar(20),"
    "vcHospNm varchar(50),vcHospAddr varchar(100),vcHospTel varchar(20),vcHospFax varchar(20),"
    "vcHospEmail varchar(50),vcHospBizNo varchar(16),vcDocNm varchar(20),vcDocCd varchar(20),"
    "vcPatNm varchar(20),vcPatJumNo varchar(20),vcPatCell varchar(20),iInsSn smallint,vcInsNo varchar(20),"
    "vcInsCd varchar(20),vcInsNm varchar(50),vcBohunNo varchar(20),vcPatManRelSn varchar(1),"
    "vcPatManNm varchar(20),vcPatManJumNo varchar(20),vcPatManAddr varchar(100),vcPatManPost varchar(10),"
    "vcPatManTel varchar(20),vcDisCd1 varchar(6),vcDisCd2 varchar(6),vcPubDtNo varchar(20),vcIndDt "
    "varchar(8),"
    "vcSpeCd1 varchar(4),vcSpeCd2 varchar(4),iLimDt int,vcUsageMm varchar(100),vcMm varchar(100),"
    "Primary Key(vcPreCd))";
const char* const kSub =
    "CREATE TABLE Sub(vcPreCd varchar(10) NOT NULL,vcRxdSn varchar(3) NOT NULL,mRxdPr money,iRxdInsSn "
    "smallint,"
    "iRxdTaxSn smallint,vcDrugCd varchar(10),vcDrugNm varchar(100),fQty float,iQtyCnt int,iQtyDay int,"
    "vcRxdUsageCd varchar(6),vcRxdUsageNm varchar(100),Primary Key(vcPreCd, vcRxdSn))";
const char* const kDbver = "CREATE TABLE Dbver(vcVerSn varchar(3) NOT NULL,Primary Key(vcVerSn))";

// Version 001: Main without the institution's business number and the
// patient's mobile number, no version table.
std::string main001() {
    std::string s = kMain002;
    for (const char* piece : {"vcHospBizNo varchar(16),", "vcPatCell varchar(20),"})
        s.erase(s.find(piece), std::string(piece).size());
    return s;
}

std::vector<std::string> columnsOf(SqliteConnection& cn, const std::string& table) {
    std::vector<std::string> names;
    for (auto rs = cn.query("SELECT name FROM pragma_table_info(?)", {Variant(table)}); !rs.eof();
         rs.moveNext())
        names.push_back(rs.field("name").toText());
    return names;
}

std::vector<std::string> versions(SqliteConnection& cn) {
    std::vector<std::string> v;
    for (auto rs = cn.query("SELECT vcVerSn FROM Dbver"); !rs.eof(); rs.moveNext())
        v.push_back(rs.field(0).toText());
    return v;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A version-001 store holding one prescription with one line.
void make001(const std::string& path, const std::string& dbver = "none") {
    auto cn = SqliteConnection::create(path);
    cn->execute(main001());
    cn->execute(kSub);
    cn->execute("INSERT INTO Main(vcPreCd, vcPatNm, mMoneyPr) VALUES('0000000007', '김약사', 3200)");
    cn->execute("INSERT INTO Sub(vcPreCd, vcRxdSn, vcDrugCd) VALUES('0000000007', '001', '641900010')");
    if (dbver != "none") {
        cn->execute(kDbver);
        if (!dbver.empty()) cn->execute("INSERT INTO Dbver VALUES(?)", {Variant(dbver)});
    }
}

void expectCurrentWithOldRow(SqliteConnection& cn) {
    auto cols = columnsOf(cn, "Main");
    ASSERT_EQ(cols.size(), 46u);
    // SQLite appends added columns at the end of the table.
    EXPECT_EQ(cols[38], "vcHospBizNo");
    EXPECT_EQ(cols[39], "vcPatCell");
    EXPECT_EQ(cols[40], "iTimeSn");
    EXPECT_EQ(columnsOf(cn, "Sub").size(), 18u);
    EXPECT_EQ(versions(cn), std::vector<std::string>{"003"});
    auto rs = cn.query("SELECT * FROM Main");
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.field("vcPatNm").toText(), "김약사");
    EXPECT_TRUE(rs.field("vcHospBizNo").isNull());
    EXPECT_TRUE(rs.field("vcPatCell").isNull());
    EXPECT_EQ(cn.query("SELECT * FROM Sub").recordCount(), 1);
}

TEST(OpenLocalStore, CreatesANewStoreWithTheExactTablesOwnerOnly) {
    test::TempDir dir;
    std::unique_ptr<SqliteConnection> cn;
    ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
    ASSERT_TRUE(cn);
    auto sqlOf = [&](const char* t) {
        return cn->query("SELECT sql FROM sqlite_master WHERE name=?", {Variant(t)}).field(0).toText();
    };
    // Version 002's tables, with what 003 adds after their last column.
    EXPECT_EQ(sqlOf("Dbver"), kDbver);
    EXPECT_EQ(columnsOf(*cn, "Main").size(), 46u);
    EXPECT_EQ(columnsOf(*cn, "Sub").size(), 18u);
    for (const char* t : {"Charge", "ChargeItem", "ReceiptSeq", "NoReport"})
        EXPECT_TRUE(TableFind(*cn, t)) << t;
    const std::string mainSql = sqlOf("Main");
    EXPECT_EQ(versions(*cn), std::vector<std::string>{"003"});
    auto cols = columnsOf(*cn, "Main");
    EXPECT_EQ(cols[14], "vcHospBizNo");
    EXPECT_EQ(cols[19], "vcPatCell");
    struct stat sb {};
    ASSERT_EQ(::stat(dir.file("Pelmo.db").c_str(), &sb), 0);
    EXPECT_EQ(sb.st_mode & 0777, 0600u);
    cn.reset();
    // Opening again changes nothing.
    ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
    EXPECT_EQ(sqlOf("Main"), mainSql);
    EXPECT_EQ(versions(*cn), std::vector<std::string>{"003"});
}

TEST(OpenLocalStore, AnEmptyFileIsANewStore) {
    test::TempDir dir;
    std::ofstream(dir.file("Pelmo.db")).close();
    std::unique_ptr<SqliteConnection> cn;
    ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
    EXPECT_EQ(columnsOf(*cn, "Main").size(), 46u);
    EXPECT_EQ(versions(*cn), std::vector<std::string>{"003"});
}

// Every older state ends at version 002 with the stored rows intact.
TEST(OpenLocalStore, MigratesEveryOlderState) {
    for (std::string dbver : {"none", "001", "", "000"}) {
        SCOPED_TRACE("Dbver " + dbver);
        test::TempDir dir;
        make001(dir.file("Pelmo.db"), dbver);
        std::unique_ptr<SqliteConnection> cn;
        ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
        expectCurrentWithOldRow(*cn);
    }
}

TEST(OpenLocalStore, AColumnThatIsAlreadyThereIsSkipped) {
    test::TempDir dir;
    make001(dir.file("Pelmo.db"), "001");
    SqliteConnection::open(dir.file("Pelmo.db"))->execute("ALTER TABLE Main ADD vcHospBizNo varchar(16)");
    std::unique_ptr<SqliteConnection> cn;
    ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
    expectCurrentWithOldRow(*cn);
}

// A 002 store, and one stamped 003 by hand without its pieces, end at 003
// with every piece; a store stamped later than that is another program's
// and stays as it is.
TEST(OpenLocalStore, Brings002To003AndLeavesNewerStoresAlone) {
    for (std::string ver : {"002", "003", "9"}) {
        SCOPED_TRACE(ver);
        test::TempDir dir;
        {
            auto c = SqliteConnection::create(dir.file("Pelmo.db"));
            c->execute(kMain002);
            c->execute(kSub);
            c->execute(kDbver);
            c->execute("INSERT INTO Dbver VALUES(?)", {Variant(ver)});
        }
        std::unique_ptr<SqliteConnection> cn;
        ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
        const bool newer = ver == "9";
        EXPECT_EQ(versions(*cn), std::vector<std::string>{newer ? ver : "003"});
        EXPECT_EQ(columnsOf(*cn, "Main").size(), newer ? 40u : 46u);
        EXPECT_EQ(TableFind(*cn, "Charge"), !newer);
    }
}

TEST(OpenLocalStore, AStoreStampedCurrentWithoutItsNewColumnsGetsThem) {
    test::TempDir dir;
    make001(dir.file("Pelmo.db"), "002");
    std::unique_ptr<SqliteConnection> cn;
    ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
    expectCurrentWithOldRow(*cn);
}

TEST(OpenLocalStore, RefusesADatabaseThatIsNotAStore) {
    test::TempDir dir;
    SqliteConnection::create(dir.file("other.db"))->execute("CREATE TABLE Kunden(name TEXT)");
    std::string before = fileBytes(dir.file("other.db"));
    std::unique_ptr<SqliteConnection> cn;
    EXPECT_FALSE(OpenLocalStore(cn, dir.file("other.db")));
    EXPECT_FALSE(cn);
    EXPECT_EQ(fileBytes(dir.file("other.db")), before);
}

TEST(OpenLocalStore, BadFilesFailAndAreNeverTouched) {
    test::TempDir dir;
    // A real store with enough rows to span many pages, then cut in half.
    std::string full = dir.file("full.db");
    {
        std::unique_ptr<SqliteConnection> cn;
        ASSERT_TRUE(OpenLocalStore(cn, full));
        cn->begin();
        for (int i = 0; i < 2000; ++i)
            cn->execute("INSERT INTO Main(vcPreCd, vcPatNm) VALUES(?, ?)",
                        {Variant(std::to_string(1000000000 + i)), Variant(std::string(60, 'x'))});
        cn->commit();
    }
    std::string bytes = fileBytes(full);
    std::ofstream(dir.file("truncated.db"), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    std::ofstream(dir.file("text.db"))
        << "이 파일은 데이터베이스가 아닙니다. not a database at all, just text";
    std::ofstream(dir.file("readonly.db"), std::ios::binary) << bytes;
    ::chmod(dir.file("readonly.db").c_str(), 0444);
    fs::create_directory(dir.file("folder.db"));

    // Only the first page left: the header still vouches for the rest.
    std::ofstream(dir.file("onepage.db"), std::ios::binary) << bytes.substr(0, 4096);
    std::ofstream(dir.file("stub.db"), std::ios::binary) << bytes.substr(0, 40);

    const std::pair<const char*, StoreProblem> cases[] = {
        {"truncated.db", StoreProblem::Truncated},
        {"onepage.db", StoreProblem::Truncated},
        {"stub.db", StoreProblem::Truncated},
        {"text.db", StoreProblem::NotADatabase},
        {"readonly.db", StoreProblem::ReadOnly},
        {"folder.db", StoreProblem::Folder},
        {"no/such/folder/Pelmo.db", StoreProblem::CannotCreate},
        {"", StoreProblem::NoPath}};
    for (const auto& [name, problem] : cases) {
        SCOPED_TRACE(name);
        std::string path = *name ? dir.file(name) : std::string();
        std::string was = fs::is_regular_file(path) ? fileBytes(path) : "";
        auto mode = fs::is_regular_file(path) ? fs::status(path).permissions() : fs::perms::none;
        std::unique_ptr<SqliteConnection> cn;
        StoreOpenReport report;
        EXPECT_FALSE(OpenLocalStore(cn, path, &report));
        EXPECT_FALSE(cn);
        EXPECT_EQ(report.problem, problem);
        EXPECT_FALSE(StoreProblemText(report.problem).empty());
        EXPECT_FALSE(report.permissionsTightened);
        if (fs::is_regular_file(path)) {
            EXPECT_EQ(fileBytes(path), was);
            EXPECT_EQ(fs::status(path).permissions(), mode);
        }
    }
    EXPECT_FALSE(fs::exists(dir.file("no")));
}

TEST(OpenLocalStore, AStoreHeldByAnotherProgramIsReportedLocked) {
    test::TempDir dir;
    const std::string path = dir.file("Pelmo.db");
    std::unique_ptr<SqliteConnection> first;
    ASSERT_TRUE(OpenLocalStore(first, path));
    auto other = SqliteConnection::open(path);
    other->executeScript("BEGIN EXCLUSIVE");
    std::unique_ptr<SqliteConnection> cn;
    StoreOpenReport report;
    EXPECT_FALSE(OpenLocalStore(cn, path, &report)); // after the wait for the lock
    EXPECT_EQ(report.problem, StoreProblem::Locked);
    EXPECT_NE(report.detail.find("locked"), std::string::npos) << report.detail;
    other->rollback();
}

// What is wrong with the file or the disk reads in Korean; the database's
// own words stay in the detail. A failing statement keeps them as they are.
TEST(OpenLocalStore, DatabaseTroubleReachesThePharmacistInKorean) {
    for (int rc : {SQLITE_BUSY, SQLITE_LOCKED, SQLITE_READONLY, SQLITE_FULL, SQLITE_IOERR, SQLITE_IOERR_WRITE,
                   SQLITE_CORRUPT, SQLITE_NOTADB, SQLITE_CANTOPEN, SQLITE_PERM, SQLITE_NOMEM}) {
        SCOPED_TRACE(rc);
        const DbError e = sqliteError(rc, sqlite3_errstr(rc));
        EXPECT_FALSE(e.isStatementFailure());
        EXPECT_TRUE(std::none_of(e.description().begin(), e.description().end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c));
        })) << e.description();
        EXPECT_EQ(e.detail(), sqlite3_errstr(rc));
    }
    const DbError statement = sqliteError(SQLITE_ERROR, "no such table: Main");
    EXPECT_TRUE(statement.isStatementFailure());
    EXPECT_EQ(statement.description(), "no such table: Main");
}

// Runs OpenLocalStore in a child process that is killed right after the
// given schema statement; true when the kill happened.
bool openKilledAfterStep(const std::string& path, int step) {
    pid_t pid = ::fork();
    if (pid == 0) {
        SetSchemaStepHook([step](int s) {
            if (s == step) ::raise(SIGKILL);
        });
        std::unique_ptr<SqliteConnection> cn;
        OpenLocalStore(cn, path);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

TEST(OpenLocalStore, AMigrationKilledHalfWayLeavesTheOldStoreAndFinishesNextTime) {
    for (int step = 1; step <= 20; ++step) {
        SCOPED_TRACE("killed after statement " + std::to_string(step));
        test::TempDir dir;
        std::string path = dir.file("Pelmo.db");
        make001(path);
        ASSERT_TRUE(openKilledAfterStep(path, step));
        {
            auto raw = SqliteConnection::open(path);
            EXPECT_FALSE(TableFind(*raw, "Dbver"));
            EXPECT_EQ(columnsOf(*raw, "Main").size(), 38u);
        }
        std::unique_ptr<SqliteConnection> cn;
        ASSERT_TRUE(OpenLocalStore(cn, path));
        expectCurrentWithOldRow(*cn);
        EXPECT_EQ(cn->query("PRAGMA integrity_check").field(0).toText(), "ok");
    }
}

TEST(OpenLocalStore, AFirstStartKilledHalfWayCreatesTheStoreNextTime) {
    for (int step = 1; step <= 20; ++step) {
        SCOPED_TRACE("killed after statement " + std::to_string(step));
        test::TempDir dir;
        std::string path = dir.file("Pelmo.db");
        ASSERT_TRUE(openKilledAfterStep(path, step));
        std::unique_ptr<SqliteConnection> cn;
        ASSERT_TRUE(OpenLocalStore(cn, path));
        EXPECT_EQ(columnsOf(*cn, "Main").size(), 46u);
        EXPECT_EQ(columnsOf(*cn, "Sub").size(), 18u);
        EXPECT_EQ(versions(*cn), std::vector<std::string>{"003"});
    }
}

} // namespace
