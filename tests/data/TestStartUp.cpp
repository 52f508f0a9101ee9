#include "TestOdbcSupport.h"

#include "data/LocalStore.h"
#include "data/ReferenceFiles.h"
#include "data/StartUp.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

void serverAt(const fs::path& root, int port) {
    fs::create_directories(root / "Data");
    std::ofstream(root / "Data" / "Pelmora.ini")
        << "[Server]\nHost=127.0.0.1\nPort=" << port << "\nPassword=pw\nLoginTimeout=2\n";
    fs::permissions(root / "Data" / "Pelmora.ini", fs::perms::owner_read | fs::perms::owner_write);
}

const char* kWebFailed = "웹 데이터 접속실패\r\n\r\nMDB 로컬 데이터에 접속";

TEST(StartUp, FirstRunOnAnEmptyRootCreatesTheFoldersAndACurrentStore) {
    test::TempDir dir;
    auto root = dir.path() / "Corvane";
    test::RecordingMessage boxes;
    ProcessObjects o;
    std::ostringstream log;
    EXPECT_FALSE(RunStartUp({root}, o, log)); // no reference files yet
    EXPECT_TRUE(fs::is_directory(root / "Data"));
    ASSERT_TRUE(o.CnSqlite);
    EXPECT_EQ(o.CnSqlite->query("SELECT * FROM Dbver").field(0).toText(), kStoreVersion);
    // no server configured: straight to the local files, said on the log only
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].kind, test::ShownBox::Plain);
    // the last box says which files are missing, and so does the log
    EXPECT_EQ(boxes.boxes[1].text.rfind("MDB 로컬 데이터 접속실패\r\n\r\n참조 파일을 찾을 수 없습니다:", 0),
              0u);
    EXPECT_NE(boxes.boxes[1].text.find(ReferenceFiles::file(root, ReferenceFiles::kPack).string()),
              std::string::npos);
    EXPECT_NE(log.str().find(ReferenceFiles::file(root, ReferenceFiles::kPack).string()), std::string::npos);
    EXPECT_NE(log.str().find("중앙 서버가 없어"), std::string::npos);
    EXPECT_FALSE(o.modeChosen());
}

TEST(StartUp, UnreachableServerAndAMissingFileShowTheThreeBoxesInOrder) {
    test::TempDir dir;
    serverAt(dir.path(), test::closedLoopbackPort());
    { test::RefFixture f(dir.path()); }
    fs::remove(ReferenceFiles::file(dir.path(), ReferenceFiles::kPack));
    test::RecordingMessage boxes;
    ProcessObjects o;
    std::ostringstream log;
    EXPECT_FALSE(RunStartUp({dir.path()}, o, log));
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[0].text, kWebFailed);
    EXPECT_EQ(boxes.boxes[0].title, "접속실패");
    EXPECT_EQ(boxes.boxes[0].kind, test::ShownBox::Information);
    EXPECT_EQ(boxes.boxes[1].text,
              "로컬 연결에 필요한 MDB데이터를 찾을수 없습니다.\r\n\r\n찾을 수 없는 파일:\r\n" +
                  ReferenceFiles::file(dir.path(), ReferenceFiles::kPack).string());
    EXPECT_EQ(boxes.boxes[1].kind, test::ShownBox::Plain);
    EXPECT_EQ(boxes.boxes[2].text.rfind("MDB 로컬 데이터 접속실패\r\n\r\n", 0), 0u);
    EXPECT_EQ(boxes.boxes[2].title, "접속실패");
    EXPECT_NE(log.str().find("08"), std::string::npos) << log.str();
}

TEST(StartUp, SilentServerFallsBackToLocalModeOnceForTheRun) {
    test::TempDir dir;
    test::SilentListener server;
    serverAt(dir.path(), server.port());
    test::RefFixture(dir.path()).notice("20240701");
    test::RecordingMessage boxes;
    ProcessObjects o;
    std::ostringstream log;
    ASSERT_TRUE(RunStartUp({dir.path()}, o, log));
    ASSERT_EQ(boxes.texts(), std::vector<std::string>{kWebFailed});
    EXPECT_TRUE(o.LocalMode());
    EXPECT_FALSE(o.CnWeb);
    EXPECT_EQ(o.reference().dialect(), Dialect::Local);
    EXPECT_EQ(o.reference().query("SELECT 고시적용일 FROM 고시적용일", {}).recordCount(), 1);
    EXPECT_THROW(o.setLocalMode(false), std::logic_error);
    EXPECT_EQ(log.str().find("HYT00") != std::string::npos, true) << log.str();
    o.release();
    EXPECT_FALSE(o.CnSqlite);
    EXPECT_TRUE(o.LocalMode());
}

TEST(StartUp, AStoreThatCannotOpenEndsTheProgramSayingWhy) {
    test::TempDir dir;
    const fs::path store = dir.path() / "Data" / "Pelmo.db";
    fs::create_directories(store); // a folder where the file belongs
    test::RecordingMessage boxes;
    ProcessObjects o;
    std::ostringstream log;
    EXPECT_FALSE(RunStartUp({dir.path()}, o, log));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "로컬(Sqlite) 데이터 접속실패\r\n\r\n" +
                                       StoreProblemText(StoreProblem::Folder) + "\r\n" + store.string());
    EXPECT_EQ(boxes.boxes[0].title, "접속실패");
    EXPECT_NE(log.str().find(StoreProblemText(StoreProblem::Folder)), std::string::npos) << log.str();
    EXPECT_FALSE(o.instance.held()); // a copy that ends leaves the root free
}

// A second copy on the same root is told that the program runs already and
// touches nothing; the first one's store was made owner-only, said once.
TEST(StartUp, ASecondCopyIsToldTheProgramIsRunning) {
    test::TempDir dir;
    test::RefFixture(dir.path()).notice("20240701");
    const fs::path store = dir.path() / "Data" / "Pelmo.db";
    fs::create_directories(store.parent_path());
    {
        std::unique_ptr<SqliteConnection> cn;
        ASSERT_TRUE(OpenLocalStore(cn, store.string()));
    }
    fs::permissions(store, fs::perms::group_read | fs::perms::others_read, fs::perm_options::add);
    test::RecordingMessage boxes;
    std::ostringstream log;
    ProcessObjects first;
    ASSERT_TRUE(RunStartUp({dir.path()}, first, log));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, "보안");
    EXPECT_EQ(fs::status(store).permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none);

    ProcessObjects second;
    EXPECT_FALSE(RunStartUp({dir.path()}, second, log));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, "Pelmora가 이미 실행 중입니다. 실행 중인 창을 사용해 주십시오.");
    EXPECT_FALSE(second.CnSqlite);

    first.release();
    ProcessObjects again; // the first copy has ended: the next one starts, and says nothing more
    EXPECT_TRUE(RunStartUp({dir.path()}, again, log));
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

TEST(StartUp, RootFromTheCommandLine) {
    const char* none[] = {"pelmora"};
    EXPECT_EQ(parseStartOptions(1, none)->root, defaultRoot());
    EXPECT_EQ(defaultRoot().filename(), "Corvane");
    const char* a[] = {"pelmora", "-platform", "offscreen", "--root", "/tmp/x"};
    EXPECT_EQ(parseStartOptions(5, a)->root, "/tmp/x");
    const char* b[] = {"pelmora", "--root=/tmp/y"};
    EXPECT_EQ(parseStartOptions(2, b)->root, "/tmp/y");
    const char* c[] = {"pelmora", "--root"};
    EXPECT_FALSE(parseStartOptions(2, c));
}

} // namespace
