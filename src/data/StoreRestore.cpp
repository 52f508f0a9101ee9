// Checking a backup and restoring the store from one.

#include "StoreBackup.h"

#include "BackupFile.h"
#include "LocalStore.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <sys/stat.h>

namespace pelmora {

namespace fs = std::filesystem;

namespace {
constexpr int kAsideKept = 3; // copies of the store kept aside by restores

void removeScratch(const fs::path& scratch) {
    std::error_code ec;
    for (const char* suffix : {"", "-journal"})
        fs::remove(scratch.string() + suffix, ec);
}

bool looksLikeStore(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char head[16] = {};
    in.read(head, sizeof head);
    return in.gcount() == sizeof head &&
           std::string(head, sizeof head) == std::string("SQLite format 3\0", 16);
}

struct Opened {
    std::string created;
    std::map<std::string, long long> counts;
};

// The backup as a checked store file at scratch.
Opened openBackup(const fs::path& file, const std::string& passphrase, const fs::path& scratch,
                  const BackupProgress& progress) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) throw BackupError(BackupFault::NotABackup, file.string());
    removeScratch(scratch);
    Opened o;
    const ByteProgress bytes = [&](std::uint64_t d, std::uint64_t t) {
        return !progress ||
               progress(BackupStep::Decrypt, t ? static_cast<double>(d) / static_cast<double>(t) : 0);
    };
    std::smatch m;
    const std::string name = file.filename().string();
    if (std::regex_search(name, m, std::regex(R"((\d{8})-(\d{6}))"))) o.created = m[1].str() + m[2].str();
    if (IsEncryptedBackup(file)) {
        const BackupHeader h = ReadBackupHeader(file);
        if (passphrase.empty()) throw BackupError(BackupFault::NeedPassphrase);
        const auto secret = UnlockBackupKey(passphrase, h.key);
        if (!secret) throw BackupError(BackupFault::WrongPassphrase);
        DecryptBackup(file, *secret, scratch, bytes);
        o.created = h.created;
        o.counts = CheckStoreCopy(scratch, &h.counts, progress);
    } else {
        if (!looksLikeStore(file)) throw BackupError(BackupFault::NotABackup, file.string());
        WritePlainBackup(file, scratch, bytes);
        ::chmod(scratch.c_str(), 0600);
        o.counts = CheckStoreCopy(scratch, nullptr, progress);
    }
    return o;
}

// Keeps the newest copies set aside by earlier restores.
void pruneAside(const fs::path& dataDir) {
    std::vector<fs::path> aside;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dataDir, ec))
        if (std::regex_match(e.path().filename().string(),
                             std::regex(R"(Pelmo-before-restore-\d{8}-\d{6}(-\d+)?\.db)")))
            aside.push_back(e.path());
    std::sort(aside.begin(), aside.end(), std::greater<>());
    for (std::size_t i = kAsideKept; i < aside.size(); ++i)
        fs::remove(aside[i], ec);
}

bool copyWithProgress(SqliteConnection& from, SqliteConnection& to, BackupStep step,
                      const BackupProgress& progress) {
    return from.copyTo(to, [&](long long d, long long t) {
        return !progress || progress(step, t > 0 ? static_cast<double>(d) / static_cast<double>(t) : 0);
    });
}
} // namespace

VerifyDone VerifyBackup(const fs::path& file, const std::string& passphrase, const fs::path& scratchDir,
                        const BackupProgress& progress) {
    const fs::path scratch = scratchDir / "Pelmo.db.verify-tmp";
    try {
        const Opened o = openBackup(file, passphrase, scratch, progress);
        removeScratch(scratch);
        return {o.created, o.counts};
    } catch (...) {
        removeScratch(scratch);
        throw;
    }
}

RestoreDone RestoreBackup(SqliteConnection& store, const fs::path& file, const std::string& passphrase,
                          const BackupProgress& progress) {
    const fs::path storePath = store.path();
    const fs::path scratch = storePath.string() + ".restore-tmp";
    RestoreDone done;
    try {
        const Opened o = openBackup(file, passphrase, scratch, progress);
        done.created = o.created;
        // A backup of an older store version is brought up to this one in
        // its scratch copy, never in the store; one of a later version is
        // left to the program that wrote it.
        {
            std::unique_ptr<SqliteConnection> cn;
            if (!OpenLocalStore(cn, scratch.string()))
                throw BackupError(BackupFault::Unsupported, "처방 자료의 형식을 읽을 수 없습니다.");
            if (!cn->query("SELECT vcVerSn FROM Dbver WHERE vcVerSn > ?", {Variant(kStoreVersion)}).eof())
                throw BackupError(BackupFault::Unsupported, "이 프로그램보다 새 판이 만든 백업입니다.");
        }
        try {
            const std::string stamp = BackupStamp();
            done.keptAside = storePath.parent_path() / ("Pelmo-before-restore-" + stamp + ".db");
            for (int n = 1; fs::exists(done.keptAside); ++n)
                done.keptAside = storePath.parent_path() /
                                 ("Pelmo-before-restore-" + stamp + "-" + std::to_string(n) + ".db");
            {
                auto aside = SqliteConnection::create(done.keptAside.string());
                if (!copyWithProgress(store, *aside, BackupStep::KeepAside, progress))
                    throw BackupError(BackupFault::Cancelled);
            }
            auto backup = SqliteConnection::open(scratch.string(), SqliteConnection::OpenMode::ReadOnly);
            if (!copyWithProgress(*backup, store, BackupStep::Restore, progress))
                throw BackupError(BackupFault::Cancelled);
        } catch (...) {
            // The store is as it was: the copy set aside is not needed.
            std::error_code ec;
            if (!done.keptAside.empty()) fs::remove(done.keptAside, ec);
            try {
                throw;
            } catch (const DbError& e) {
                throw BackupError(BackupFault::StoreFailed, e.description());
            }
        }
        auto rs = store.query("SELECT count(*) FROM Main");
        done.prescriptions = rs.field(0).toInt32();
    } catch (...) {
        removeScratch(scratch);
        throw;
    }
    removeScratch(scratch);
    pruneAside(storePath.parent_path());
    return done;
}

} // namespace pelmora
