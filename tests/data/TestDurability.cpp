// A prescription is written whole or not at all, even when the program is
// killed in the middle of a save, and two running copies never hand out the
// same key.
#include "data/LocalStore.h"
#include "data/clsMain.h"
#include "data/clsSub.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <random>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelmora;

namespace {

// The number of lines a prescription is saved with follows from its key, so
// a half-written one is recognised even when its save was never reported.
int linesFor(const std::string& preCd) {
    return 1 + static_cast<int>(std::stoll(preCd) % 5);
}

// Saves prescriptions as the main window does, header and lines in one
// transaction, and reports each committed key on fd. Never returns.
[[noreturn]] void saveUntilKilled(const std::string& path, int fd, int ready) {
    std::unique_ptr<SqliteConnection> cn;
    if (!OpenLocalStore(cn, path)) ::_exit(2);
    if (::write(ready, "R", 1) != 1) ::_exit(5);
    for (;;) {
        cn->begin(true);
        clsMain m(*cn);
        m.csTrans_YN = true;
        m.PatNm = "김'환자";
        m.MoneyPr = Currency::fromWon(4500);
        m.Update();
        if (!m.ChangeMode) ::_exit(3);
        for (int i = 0, n = linesFor(m.PreCd); i < n; ++i) {
            clsSub s(*cn);
            s.csTrans_YN = true;
            s.PreCd = m.PreCd;
            s.DrugCd = "64190001" + std::to_string(i);
            s.DrugNm = std::string(200, 'x'); // long enough to spread a save over pages
            s.Qty = 1;
            s.QtyCnt = 3;
            s.QtyDay = 5;
            s.Update();
            if (!s.ChangeMode) ::_exit(4);
        }
        cn->commit();
        std::string line = m.PreCd + "\n";
        if (::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) ::_exit(5);
    }
}

void drain(int fd, std::set<std::string>& reported) {
    static std::string partial;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        partial.append(buf, static_cast<std::size_t>(n));
    std::size_t nl;
    while ((nl = partial.find('\n')) != std::string::npos) {
        reported.insert(partial.substr(0, nl));
        partial.erase(0, nl + 1);
    }
}

TEST(Durability, SavesKilledAtRandomMomentsAreWholeOrAbsent) {
    test::TempDir dir;
    const std::string path = dir.file("Pelmo.db");
    {
        std::unique_ptr<SqliteConnection> cn;
        ASSERT_TRUE(OpenLocalStore(cn, path));
    }
    int fds[2], ready[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::pipe(ready), 0);
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);

    std::mt19937 rng(20240305);
    std::set<std::string> reported;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(7);
    int kills = 0;
    while (kills < 300 && std::chrono::steady_clock::now() < deadline) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(fds[0]);
            saveUntilKilled(path, fds[1], ready[1]);
        }
        // Kill while it saves, however slowly this machine starts a process.
        pollfd started{ready[0], POLLIN, 0};
        if (::poll(&started, 1, 5000) == 1) {
            char r;
            ASSERT_EQ(::read(ready[0], &r, 1), 1);
        }
        ::usleep(rng() % 20000);
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped by itself with " << WEXITSTATUS(status);
        ++kills;
        drain(fds[0], reported);
    }
    ::close(fds[1]);
    drain(fds[0], reported);
    ::close(fds[0]);
    ::close(ready[0]);
    ::close(ready[1]);

    std::unique_ptr<SqliteConnection> cn;
    ASSERT_TRUE(OpenLocalStore(cn, path));
    EXPECT_EQ(cn->query("PRAGMA integrity_check").field(0).toText(), "ok");
    EXPECT_EQ(cn->query("SELECT count(*) FROM Sub WHERE vcPreCd NOT IN (SELECT vcPreCd FROM Main)")
                  .field(0)
                  .toInt32(),
              0);
    std::map<std::string, std::vector<std::string>> stored;
    for (auto rs =
             cn->query("SELECT Main.vcPreCd, vcRxdSn FROM Main LEFT JOIN Sub ON Sub.vcPreCd = Main.vcPreCd "
                       "ORDER BY Main.vcPreCd, vcRxdSn");
         !rs.eof(); rs.moveNext()) {
        auto& lines = stored[rs.field(0).toText()];
        if (!rs.field(1).isNull()) lines.push_back(rs.field(1).toText());
    }
    for (const auto& [preCd, lines] : stored) {
        std::vector<std::string> whole;
        for (int i = 1; i <= linesFor(preCd); ++i)
            whole.push_back((i < 10 ? "00" : "0") + std::to_string(i));
        EXPECT_EQ(lines, whole) << "prescription " << preCd;
    }
    for (const auto& preCd : reported)
        EXPECT_TRUE(stored.count(preCd)) << "committed save lost: " << preCd;
    EXPECT_GE(kills, 20);
    EXPECT_GT(reported.size(), 0u);
    std::cout << kills << " kills, " << reported.size() << " saves reported, " << stored.size()
              << " stored\n";
}

TEST(Durability, TwoRunningCopiesNeverAllocateTheSameKey) {
    test::TempDir dir;
    const std::string path = dir.file("Pelmo.db");
    {
        std::unique_ptr<SqliteConnection> cn;
        ASSERT_TRUE(OpenLocalStore(cn, path));
    }
    constexpr int kEach = 150;
    std::vector<pid_t> copies;
    for (int c = 0; c < 2; ++c) {
        pid_t pid = ::fork();
        if (pid == 0) {
            std::unique_ptr<SqliteConnection> cn;
            if (!OpenLocalStore(cn, path)) ::_exit(2);
            for (int i = 0; i < kEach; ++i) {
                clsMain m(*cn);
                m.PatNm = "copy " + std::to_string(c);
                m.Update();
                if (!m.ChangeMode) ::_exit(3);
            }
            ::_exit(0);
        }
        copies.push_back(pid);
    }
    for (pid_t pid : copies) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    std::unique_ptr<SqliteConnection> cn;
    ASSERT_TRUE(OpenLocalStore(cn, path));
    auto rs = cn->query("SELECT count(*), min(vcPreCd), max(vcPreCd) FROM Main");
    EXPECT_EQ(rs.field(0).toInt32(), 2 * kEach);
    EXPECT_EQ(rs.field(1).toText(), "0000000001");
    EXPECT_EQ(rs.field(2).toText(), "0000000300");
}

} // namespace
