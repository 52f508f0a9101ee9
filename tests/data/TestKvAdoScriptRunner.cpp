#include "data/KvAdo.h"
#include "data/KvAdoScriptRunner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace pelmora;

namespace {

// A stand-in for the command-line client: prints its arguments, then the
// lines it is given, as the real one would print its results.
std::string fakeClient(const test::TempDir& dir, const std::string& body) {
    auto path = dir.file("client.sh");
    std::ofstream(path) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

int privateFolders() {
    int n = 0;
    for (auto& e : std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
        if (e.path().filename().string().rfind("pelmora-sql-", 0) == 0) ++n;
    return n;
}

TEST(KvAdoScriptRunner, PasswordGoesOnStandardInputAndOutputComesBackJoined) {
    test::TempDir dir;
    KvAdoScriptRunner r;
    r.client = fakeClient(dir, "echo \"args: $*\"\nread pw\necho \"pw: $pw\"\n"
                               "cat\necho \"sid: $(cut -d' ' -f6 /proc/$$/stat) pid: $$\"\nexit 3\n");
    int before = privateFolders();
    ScriptRun run = r.run("127.0.0.1", 1433, "sa", "s3cret'pw", "exec sp_detach_db 'x'\r\nGO\r\n");
    ASSERT_TRUE(run.finished) << run.error;
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.output.substr(0, run.output.find("\r\nsid")),
              "args: -H 127.0.0.1 -p 1433 -U sa -o q\r\npw: s3cret'pw\r\nexec sp_detach_db 'x'\r\nGO");
    // the client leads a session of its own, so it can never ask the terminal
    auto sid = run.output.substr(run.output.find("sid: ") + 5);
    EXPECT_EQ(sid.substr(0, sid.find(' ')), sid.substr(sid.find("pid: ") + 5));
    EXPECT_EQ(run.output.find("s3cret", run.output.find("args")), run.output.find("pw: ") + 4);
    EXPECT_EQ(privateFolders(), before);
}

TEST(KvAdoScriptRunner, AClientThatHangsIsStoppedAfterTheTimeOut) {
    test::TempDir dir;
    KvAdoScriptRunner r;
    r.client = fakeClient(dir, "echo started\nsleep 30\n");
    r.timeoutSeconds = 1;
    ScriptRun run = r.run("127.0.0.1", 1433, "sa", "pw", "GO");
    EXPECT_FALSE(run.finished);
    EXPECT_TRUE(run.timedOut);
    EXPECT_EQ(run.output, "started");
}

TEST(KvAdoScriptRunner, MissingClientIsReported) {
    KvAdoScriptRunner r;
    r.client = "/nonexistent/pelmora-client";
    ScriptRun run = r.run("127.0.0.1", 1433, "sa", "pw", "GO");
    EXPECT_FALSE(run.finished);
    EXPECT_FALSE(run.error.empty());
}

TEST(KvAdoScriptRunner, ScriptOperationsNeedAServerConnection) {
    ConnInfo() = {};
    KvAdo ado;
    EXPECT_EQ(ado.DBSqlDeTTACH("db"), "");
    EXPECT_NE(ado.OpErrDes.find("할 수 없는 작업"), std::string::npos);

    test::TempDir dir;
    ConnInfo().Kind = 1;
    ConnInfo().SqlServer = "127.0.0.1,14330";
    ConnInfo().SqlUserId = "sa";
    ConnInfo().SqlPassword = "pw";
    ConnInfo().SqlDatabase = "DB_WebTOLA";
    ado.ScriptClient = fakeClient(dir, "echo \"$*\"\nread pw\ncat\n");
    EXPECT_EQ(ado.DBSqlATTACH("D'B", "/x/y.mdf"),
              "-H 127.0.0.1 -p 14330 -U sa -o q\r\nexec sp_attach_db 'D''B','/x/y.mdf'\r\nGO");
    std::string out;
    EXPECT_TRUE(ado.DBSQLReduction(0, "10", &out));
    EXPECT_NE(out.find("DBCC SHRINKDATABASE (DB_WebTOLA,10)"), std::string::npos);
    EXPECT_FALSE(ado.DBSQLReduction(1, "10); DROP", &out));
    ConnInfo() = {};
}

} // namespace
