// Backups and restores of the store: round trips, damaged backups refused
// with the store untouched, a copy taken while another process saves, a
// process killed in the middle, the generations kept, and the media on
// which a backup without a passphrase is refused.
#include "data/BackupFile.h"
#include "data/BackupSettings.h"
#include "data/RemovableMedia.h"
#include "data/StoreBackup.h"
#include "support/StoreGenerator.h"
#include "support/TempDir.h"
#include "util/Clock.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

// Every row of every table, in a fixed order: two stores with the same
// content give the same digest.
std::string contentOf(SqliteConnection& cn) {
    std::string out;
    for (const auto& [table, n] : StoreCounts(cn)) {
        out += "#" + table + " " + std::to_string(n) + "\n";
        std::vector<std::string> rows;
        cn.each("SELECT * FROM \"" + table + "\"", {}, [&](const SqliteRow& row) {
            std::string r;
            for (int c = 0; c < row.columns(); ++c)
                r += (row.isNull(c) ? std::string("\\N") : row.text(c)) + "|";
            rows.push_back(r);
        });
        std::sort(rows.begin(), rows.end());
        for (const auto& r : rows)
            out += r + "\n";
    }
    // A digest keeps a failing comparison readable.
    return std::to_string(out.size()) + ":" + std::to_string(std::hash<std::string>{}(out));
}

std::string flip(std::string bytes, std::size_t at) {
    bytes.at(at) = static_cast<char>(bytes.at(at) ^ 0x04);
    return bytes;
}

std::string contentOf(const std::string& path) {
    auto cn = SqliteConnection::open(path);
    return contentOf(*cn);
}

class StoreBackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Clock::freeze({2025, 1, 5, 18, 30, 0});
        fs::create_directories(data_);
        fs::create_directories(folder_);
        test::StoreShape shape;
        shape.prescriptions = 3000;
        test::GenerateStore(store_.string(), shape);
        original_ = contentOf(store_.string());
        settings_.folder = folder_.string();
    }
    void TearDown() override { Clock::unfreeze(); }

    void usePassphrase() { settings_.key = MakeBackupKey(kPass, KeyCost::Minimal); }
    BackupDone backup() {
        return MakeBackup(store_, settings_, {}, [](const fs::path&) { return false; });
    }

    static constexpr const char* kPass = "약국 백업 암호 2025";
    test::TempDir dir_;
    fs::path data_ = dir_.path() / "Data";
    fs::path folder_ = dir_.path() / "usb";
    fs::path store_ = data_ / "Pelmo.db";
    std::string original_;
    BackupSettings settings_;
};

TEST_F(StoreBackupTest, BackupVerifyRestoreRoundTripLeavesTheSameContent) {
    for (bool encrypted : {true, false}) {
        SCOPED_TRACE(encrypted ? "encrypted" : "plain");
        settings_.key = {};
        if (encrypted) usePassphrase();
        const BackupDone done = backup();
        EXPECT_EQ(done.entry.encrypted, encrypted);
        EXPECT_EQ(done.unencrypted, !encrypted);
        EXPECT_EQ(done.prescriptions, 3000);
        EXPECT_EQ(done.entry.file.filename().string(),
                  std::string("Pelmo-20250105-183000") + (encrypted ? ".pbk" : ".db"));
        EXPECT_EQ(fs::status(done.entry.file).permissions() & fs::perms::others_all, fs::perms::none);
        // Nothing but the backup is left behind, beside the store or in the folder.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
        EXPECT_FALSE(fs::exists(store_.string() + ".backup-tmp"));
        {
            std::ifstream in(done.entry.file, std::ios::binary);
            const std::string bytes(std::istreambuf_iterator<char>(in), {});
            // Resident numbers and names leave the machine only when no passphrase is set.
            EXPECT_EQ(bytes.find(test::PatientJumNo(7, true)) == std::string::npos, encrypted);
            EXPECT_EQ(bytes.find(test::PatientName(7)) == std::string::npos, encrypted);
        }

        const VerifyDone v = VerifyBackup(done.entry.file, encrypted ? kPass : "", data_);
        EXPECT_EQ(v.prescriptions(), 3000);
        EXPECT_EQ(v.created, "20250105183000");

        // The store changes after the backup; restoring brings it back.
        std::unique_ptr<SqliteConnection> cn;
        ASSERT_TRUE(OpenLocalStore(cn, store_.string()));
        cn->execute("DELETE FROM Sub WHERE vcPreCd < '0000000500'");
        cn->execute("UPDATE Charge SET mCash = mCash + 1");
        const std::string changed = contentOf(*cn);
        const RestoreDone r = RestoreBackup(*cn, done.entry.file, encrypted ? kPass : "");
        EXPECT_EQ(r.prescriptions, 3000);
        EXPECT_EQ(r.created, "20250105183000");
        EXPECT_EQ(contentOf(*cn), original_); // the open connection sees the restored store
        EXPECT_EQ(contentOf(store_.string()), original_);
        EXPECT_EQ(contentOf(r.keptAside.string()), changed);
        EXPECT_FALSE(fs::exists(store_.string() + ".restore-tmp"));
        fs::remove(done.entry.file);
    }
}

// Damages are made to a copy of one encrypted backup; each is refused with
// its own reason and the store stays as it was.
TEST_F(StoreBackupTest, DamagedBackupsAreRefusedAndTheStoreIsUntouched) {
    usePassphrase();
    const fs::path good = backup().entry.file;
    const auto size = fs::file_size(good);
    auto bytes = [&] {
        std::ifstream in(good, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    struct Case {
        const char* what;
        std::function<std::string(std::string)> damage;
        std::string passphrase;
        BackupFault fault;
    };
    const std::vector<Case> cases = {
        {"cut in the middle", [&](std::string b) { return b.substr(0, size / 2); }, kPass,
         BackupFault::Truncated},
        {"last chunk cut", [&](std::string b) { return b.substr(0, size - 1); }, kPass,
         BackupFault::Truncated},
        {"a byte flipped in the data", [&](std::string b) { return flip(b, size - 5000); }, kPass,
         BackupFault::Damaged},
        {"a byte flipped in the header", [&](std::string b) { return flip(b, 40); }, kPass,
         BackupFault::Damaged},
        {"bytes added at the end", [&](std::string b) { return b + "x"; }, kPass, BackupFault::Damaged},
        {"wrong passphrase", [&](std::string b) { return b; }, "약국 백업 암호 2024",
         BackupFault::WrongPassphrase},
        {"no passphrase", [&](std::string b) { return b; }, "", BackupFault::NeedPassphrase},
        {"not a backup", [&](std::string) { return std::string("hello"); }, kPass, BackupFault::NotABackup},
        {"a plain store cut short",
         [&](std::string) {
             std::ifstream in(store_, std::ios::binary);
             return std::string(std::istreambuf_iterator<char>(in), {}).substr(0, fs::file_size(store_) / 2);
         },
         "", BackupFault::CheckFailed},
    };
    std::unique_ptr<SqliteConnection> cn;
    ASSERT_TRUE(OpenLocalStore(cn, store_.string()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path bad = folder_ / "Pelmo-20250104-120000.pbk";
        std::ofstream(bad, std::ios::binary | std::ios::trunc) << c.damage(bytes());
        for (int restore = 0; restore < 2; ++restore) {
            try {
                if (restore)
                    RestoreBackup(*cn, bad, c.passphrase);
                else
                    VerifyBackup(bad, c.passphrase, data_);
                ADD_FAILURE() << "accepted";
            } catch (const BackupError& e) {
                EXPECT_EQ(e.fault(), c.fault) << e.text();
                EXPECT_FALSE(e.text().empty());
            }
        }
        EXPECT_EQ(contentOf(*cn), original_);
        EXPECT_FALSE(fs::exists(store_.string() + ".restore-tmp"));
    }
    // A store of a later version (a backup from a newer program) is refused too.
    {
        const fs::path later = folder_ / "Pelmo-20250103-120000.db";
        fs::copy_file(store_, later);
        auto cn2 = SqliteConnection::open(later.string());
        cn2->execute("UPDATE Dbver SET vcVerSn = '009'");
    }
    try {
        RestoreBackup(*cn, folder_ / "Pelmo-20250103-120000.db", "");
        ADD_FAILURE() << "a later store was restored";
    } catch (const BackupError& e) {
        EXPECT_EQ(e.fault(), BackupFault::Unsupported);
    }
    EXPECT_EQ(contentOf(*cn), original_);
    // No copy was set aside: nothing was restored.
    for (const auto& e : fs::directory_iterator(data_))
        EXPECT_EQ(e.path().filename().string().find("before-restore"), std::string::npos);
}

// The same number of lines for a prescription however it is saved, so a
// half-saved one is seen in the copy.
int linesFor(long n) {
    return 1 + static_cast<int>(n % 4);
}

[[noreturn]] void saveUntilKilled(const std::string& path, int ready) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives a test that stopped
    std::unique_ptr<SqliteConnection> cn;
    if (!OpenLocalStore(cn, path)) ::_exit(2);
    if (::write(ready, "R", 1) != 1) ::_exit(3);
    for (long n = 100000;; ++n) {
        try {
            cn->begin(true);
            cn->execute("INSERT INTO Main(vcPreCd, vcPreDt) VALUES(?, '20250105')",
                        {Variant(test::StoreKey(n))});
            for (int l = 1; l <= linesFor(n); ++l)
                cn->execute("INSERT INTO Sub(vcPreCd, vcRxdSn, vcDrugNm) VALUES(?, ?, ?)",
                            {Variant(test::StoreKey(n)), Variant(test::StoreKey(l).substr(7)),
                             Variant(std::string(300, 'x'))});
            cn->commit();
        } catch (const DbError&) {
            cn->rollback(); // waited too long for the backup's read: try again
        }
        // Saves follow each other as fast as a busy counter could ever type
        // them; with none between them a reader would never get its turn.
        ::usleep(3000);
    }
}

TEST_F(StoreBackupTest, ABackupTakenWhileAnotherProcessSavesIsConsistent) {
    usePassphrase();
    int pipeFd[2];
    ASSERT_EQ(::pipe(pipeFd), 0);
    const pid_t pid = ::fork();
    if (pid == 0) saveUntilKilled(store_.string(), pipeFd[1]);
    char c;
    ASSERT_EQ(::read(pipeFd[0], &c, 1), 1);
    // Each backup is read back at once: the generations kept are one a day.
    long long previous = 0;
    for (int i = 0; i < 4; ++i) {
        ::usleep(100000);
        Clock::freeze({2025, 1, 5, 18, 30, i});
        SCOPED_TRACE(i);
        test::TempDir other;
        std::unique_ptr<SqliteConnection> cn;
        ASSERT_TRUE(OpenLocalStore(cn, other.file("Pelmo.db")));
        try {
            RestoreBackup(*cn, backup().entry.file, kPass);
        } catch (const BackupError& e) {
            ADD_FAILURE() << e.text();
            continue;
        }
        long long added = 0;
        cn->each("SELECT m.vcPreCd, count(s.vcRxdSn) FROM Main m LEFT JOIN Sub s ON s.vcPreCd = m.vcPreCd"
                 " WHERE m.vcPreCd >= '0000100000' GROUP BY m.vcPreCd",
                 {}, [&](const SqliteRow& row) {
                     ++added;
                     EXPECT_EQ(row.int64(1), linesFor(std::stol(row.text(0)))) << row.text(0);
                 });
        EXPECT_GT(added, previous); // each backup holds the saves made before it
        previous = added;
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ::close(pipeFd[0]);
    ::close(pipeFd[1]);
    EXPECT_GT(previous, 0);
}

// Runs work in a child process that kills itself when progress reaches
// the step and fraction; true when it was killed there.
bool killedAt(BackupStep step, double at, const std::function<void(const BackupProgress&)>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        try {
            work([&](BackupStep s, double f) {
                if (s == step && f >= at) ::raise(SIGKILL);
                return true;
            });
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

TEST_F(StoreBackupTest, AKillDuringBackupOrRestoreLeavesTheStoreAsItWas) {
    usePassphrase();
    for (auto [step, at] :
         {std::pair{BackupStep::Copy, 0.5}, {BackupStep::Write, 0.3}, {BackupStep::Verify, 0.7}}) {
        SCOPED_TRACE(BackupStepText(step));
        EXPECT_TRUE(killedAt(step, at, [&](const BackupProgress& p) {
            MakeBackup(store_, settings_, p, [](const fs::path&) { return false; });
        }));
        EXPECT_EQ(contentOf(store_.string()), original_);
        EXPECT_TRUE(ListBackups(folder_).empty()); // a half-written file never counts as a backup
    }
    const BackupDone good = backup();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1); // leftovers gone

    // The store changes, then a restore of the backup is killed half-way.
    {
        std::unique_ptr<SqliteConnection> cn;
        ASSERT_TRUE(OpenLocalStore(cn, store_.string()));
        cn->execute("DELETE FROM Charge WHERE vcPreCd > '0000002000'");
    }
    const std::string changed = contentOf(store_.string());
    for (auto [step, at] :
         {std::pair{BackupStep::Decrypt, 0.5}, {BackupStep::KeepAside, 0.5}, {BackupStep::Restore, 0.2}}) {
        SCOPED_TRACE(BackupStepText(step));
        EXPECT_TRUE(killedAt(step, at, [&](const BackupProgress& p) {
            std::unique_ptr<SqliteConnection> cn;
            if (OpenLocalStore(cn, store_.string())) RestoreBackup(*cn, good.entry.file, kPass, p);
        }));
        std::unique_ptr<SqliteConnection> cn; // rolls back what the killed restore left in its journal
        ASSERT_TRUE(OpenLocalStore(cn, store_.string()));
        EXPECT_EQ(contentOf(*cn), changed);
    }
}

TEST(StoreBackupGenerations, KeepTheNewestOfEachRecentDayAndWeek) {
    test::TempDir dir;
    // Backups now and then over two months, two on some days.
    const std::vector<std::string> made = {
        "20250105-183000", "20250105-090000", "20250104-183000", "20250103-183000", "20250101-100000",
        "20241230-183000", "20241229-183000", "20241228-183000", "20241224-183000", "20241220-183000",
        "20241214-183000", "20241210-183000", "20241201-183000", "20241105-183000", "20250301-000000"};
    for (const auto& s : made)
        std::ofstream(dir.path() / ("Pelmo-" + s + ".pbk")) << "x";
    std::ofstream(dir.path() / "Pelmo-notes.txt") << "not ours";
    PruneBackups(dir.path(), "20250105", 3, 4);
    std::set<std::string> left;
    for (const auto& b : ListBackups(dir.path()))
        left.insert(b.created.substr(0, 8) + "-" + b.created.substr(8));
    // Days 0..2: the 5th (newest), 4th, 3rd. Weeks back from the 5th: Dec 30 - Jan 5 (the 5th),
    // Dec 23-29 (29th), Dec 16-22 (20th), Dec 9-15 (14th). A date to come stays.
    EXPECT_EQ(left, (std::set<std::string>{"20250105-183000", "20250104-183000", "20250103-183000",
                                           "20241229-183000", "20241220-183000", "20241214-183000",
                                           "20250301-000000"}));
    EXPECT_TRUE(fs::exists(dir.path() / "Pelmo-notes.txt"));
    PruneBackups(dir.path(), "20250105", 0, 0); // the newest always stays
    EXPECT_EQ(ListBackups(dir.path()).size(), 1u);
}

TEST(RemovableMedia, DecidesByBusRemovableFlagFileSystemAndPlace) {
    test::TempDir sys;
    auto device = [&](const std::string& devno, const std::string& path, const char* removable) {
        const fs::path real = sys.path() / "devices" / path;
        fs::create_directories(real);
        std::ofstream(real.parent_path() / "removable") << removable << "\n";
        std::ofstream(real / "partition") << "1\n";
        fs::create_directories(sys.path() / "dev/block");
        fs::create_symlink(real, sys.path() / "dev/block" / devno);
    };
    device("8:1", "pci0000:00/ata1/host0/block/sda/sda1", "0");
    device("8:17", "pci0000:00/usb1/1-1/host6/block/sdb/sdb1", "0"); // a USB disk says it is fixed
    device("8:33", "platform/sdc-card/block/sdc/sdc1", "1");
    device("179:1", "platform/mmc_host/mmc0/block/mmcblk0/mmcblk0p1", "0");
    const std::string mountinfo = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                  "2 1 0:30 / /tmp rw - tmpfs tmpfs rw\n"
                                  "3 1 8:17 / /mnt/backup rw - ext4 /dev/sdb1 rw\n"
                                  "4 1 8:33 / /srv/card rw - vfat /dev/sdc1 rw\n"
                                  "5 1 179:1 / /mnt/sd\\040card rw - vfat /dev/mmcblk0p1 rw\n"
                                  "6 1 0:50 / /mnt/nas rw - cifs //nas/share rw\n"
                                  "7 1 8:1 /home /media/pharmacist/STICK rw - ext4 /dev/sda1 rw\n"
                                  "8 1 8:17 / /srv/hidden rw - ext4 /dev/sdb1 rw\n"
                                  "9 1 8:1 / /srv/hidden rw - ext4 /dev/sda1 rw\n";
    const std::vector<std::pair<std::string, bool>> cases = {
        {"/home/pharmacist/backup", false},
        {"/tmp/x", false},
        {"/mnt/backup/pelmora", true},
        {"/srv/card", true},
        {"/mnt/sd card/p", true},
        {"/mnt/nas/p", true},
        {"/media/pharmacist/STICK/p", true},
        {"/srv/hidden/p", false}, // the later mount covers the earlier
    };
    for (const auto& [folder, removable] : cases)
        EXPECT_EQ(DescribeMedia(folder, mountinfo, sys.path()).removable, removable) << folder;
    EXPECT_TRUE(DescribeMedia("/x", "", sys.path()).removable); // nothing known: treated as removable
}

TEST_F(StoreBackupTest, WithoutPassphraseRemovableMediaAreRefusedAndFixedDisksWarned) {
    try {
        MakeBackup(store_, settings_, {}, [](const fs::path&) { return true; });
        ADD_FAILURE() << "a plain backup went to removable media";
    } catch (const BackupError& e) {
        EXPECT_EQ(e.fault(), BackupFault::RemovableNoKey);
    }
    EXPECT_TRUE(ListBackups(folder_).empty());
    EXPECT_TRUE(backup().unencrypted);
    usePassphrase();
    EXPECT_FALSE(MakeBackup(store_, settings_, {}, [](const fs::path&) { return true; }).unencrypted);
    settings_.folder = (dir_.path() / "unplugged").string();
    try {
        backup();
        ADD_FAILURE();
    } catch (const BackupError& e) {
        EXPECT_EQ(e.fault(), BackupFault::FolderMissing);
    }
}

} // namespace
