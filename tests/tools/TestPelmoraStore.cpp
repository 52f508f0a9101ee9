// Runs the pelmora-store command on a generated installation: the totals it
// prints against the library's, a backup listed, verified and restored from
// the command line, and the exit status of each kind of failure.
#include "data/BackupSettings.h"
#include "data/StoreBackup.h"
#include "data/StoreTotals.h"
#include "support/StoreGenerator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

const std::string kTool = std::string(PELMORA_BINARY_DIR) + "/tools/pelmora-store/pelmora-store";

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class StoreTool : public testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "Data");
        test::StoreShape shape;
        shape.prescriptions = 1500;
        test::GenerateStore(store.string(), shape);
    }

    Outcome run(std::vector<std::string> args) {
        const std::string out = dir.file("out"), err = dir.file("err");
        args.insert(args.begin(), {"--root", dir.path().string()});
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int fi = ::open("/dev/null", O_RDONLY),
                      fo = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
                      fe = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fi, 0);
            ::dup2(fo, 1);
            ::dup2(fe, 2);
            ::unsetenv("PELMORA_BACKUP_PASSPHRASE");
            std::vector<char*> argv{const_cast<char*>(kTool.c_str())};
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(kTool.c_str(), argv.data());
            ::_exit(127);
        }
        int st = 0;
        ::waitpid(pid, &st, 0);
        return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, slurp(out), slurp(err)};
    }

    test::TempDir dir;
    fs::path store = dir.path() / "Data" / "Pelmo.db";
};

TEST_F(StoreTool, TotalsAreTheLibrarysToTheTenThousandthOfAWon) {
    const Outcome r = run({"totals", "--from", "20241201", "--to", "20241231"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto j = nlohmann::json::parse(r.out);
    auto cn = SqliteConnection::open(store.string());
    const StoreTotals t = ReadStoreTotals(*cn, "20241201", "20241231");
    ASSERT_EQ(j["days"].size(), t.days.size());
    for (std::size_t i = 0; i < t.days.size(); ++i) {
        EXPECT_EQ(j["days"][i]["date"], t.days[i].date);
        EXPECT_EQ(j["days"][i]["count"], t.days[i].sums.count);
        EXPECT_EQ(j["days"][i]["total"], t.days[i].sums.total.toFixed(4));
        EXPECT_EQ(j["days"][i]["cash"], t.days[i].sums.cash.toFixed(4));
    }
    EXPECT_EQ(j["all"]["gongdan"], t.all.gongdan.toFixed(4));
    EXPECT_EQ(j["classes"].size(), t.classes.size());

    const Outcome tsv = run({"totals", "--from=20241201", "--to=20241231", "--format", "tsv"});
    ASSERT_EQ(tsv.status, 0);
    // A header, a line per day and per class, and the sum.
    EXPECT_EQ(std::count(tsv.out.begin(), tsv.out.end(), '\n'),
              static_cast<long>(1 + t.days.size() + t.classes.size() + 1));
    EXPECT_NE(tsv.out.find("all\t" + std::to_string(t.all.count) + "\t"), std::string::npos);
}

TEST_F(StoreTool, BackupListVerifyRestoreFromTheCommandLine) {
    BackupSettings s;
    s.folder = (dir.path() / "backups").string();
    fs::create_directories(s.folder);
    s.key = MakeBackupKey("꽃집 옆 약국", KeyCost::Minimal);
    s.save(SettingsFileOf(store));
    std::ofstream(dir.path() / "pass") << "꽃집 옆 약국\n";
    std::ofstream(dir.path() / "wrong") << "꽃집 옆 약국!\n";

    const Outcome b = run({"backup"});
    ASSERT_EQ(b.status, 0) << b.err;
    const std::string file = b.out.substr(0, b.out.find('\n'));
    EXPECT_NE(b.err.find("처방 1500건"), std::string::npos) << b.err;
    std::ostringstream ignored;
    EXPECT_FALSE(BackupSettings::load(SettingsFileOf(store), ignored).lastOk.empty());

    const Outcome l = run({"list"});
    ASSERT_EQ(l.status, 0) << l.err;
    EXPECT_NE(l.out.find("암호\t"), std::string::npos);
    EXPECT_NE(l.out.find("\t1500\t" + file), std::string::npos) << l.out;

    EXPECT_EQ(run({"verify", file, "--passphrase-file", dir.file("pass")}).status, 0);
    const Outcome wrong = run({"restore", file, "--passphrase-file", dir.file("wrong")});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find("백업 암호가 맞지 않습니다"), std::string::npos) << wrong.err;
    const Outcome none = run({"restore", file}); // no terminal to ask on
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("백업 암호를 입력하십시오"), std::string::npos) << none.err;

    {
        auto cn = SqliteConnection::open(store.string());
        cn->execute("DELETE FROM Main WHERE vcPreCd > '0000001000'");
    }
    const Outcome r = run({"restore", file, "--passphrase-file", dir.file("pass")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("처방 1500건"), std::string::npos) << r.err;
    auto cn = SqliteConnection::open(store.string());
    EXPECT_EQ(StoreCounts(*cn)["Main"], 1500);

    // On a machine that lost its store, restoring makes one.
    cn.reset();
    fs::remove(store);
    ASSERT_EQ(run({"restore", file, "--passphrase-file", dir.file("pass")}).status, 0);
    EXPECT_EQ(StoreCounts(*SqliteConnection::open(store.string()))["Main"], 1500);
}

TEST_F(StoreTool, UsageAndFailuresHaveTheirExitStatus) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: pelmora-store", 0), 0u);
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("pelmora-store ", 0), 0u);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {"frobnicate"},
             {"totals", "--from", "20240231", "--to", "20240301"},
             {"totals", "--from", "20240301"},
             {"totals", "--from", "20240302", "--to", "20240301"},
             {"year-end", "--year", "24"},
             {"verify"},
             {"list", "--colour"},
             {"totals", "--from", "20240101", "--to", "20240101", "--format", "xml"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(r.err.empty());
    }
    // Failures of the work itself: no backup folder, a file that is not a backup, no store.
    EXPECT_EQ(run({"backup"}).status, 1);
    std::ofstream(dir.path() / "x.pbk") << "nothing";
    EXPECT_EQ(run({"verify", dir.file("x.pbk")}).status, 1);
    fs::remove(store);
    const Outcome noStore = run({"totals", "--from", "20240101", "--to", "20240101"});
    EXPECT_EQ(noStore.status, 1);
    EXPECT_FALSE(fs::exists(store)); // a report never makes an empty store
}

} // namespace
