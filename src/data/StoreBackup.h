#pragma once
// Backups of the prescription store and restoring one.
//
// A backup: the store is copied through SQLite's online backup inside one
// read transaction (a consistent copy while the program runs; a writer
// waits) into a scratch file beside the store; the copy must pass
// integrity_check and hold the rows the source held in that transaction;
// then it goes to the backup folder encrypted (BackupFile.h) or, with no
// passphrase set and only on a fixed disk, as it is; it is read back from
// the medium and compared, and only then renamed to its final name
// Pelmo-YYYYMMDD-HHMMSS.pbk (.db when not encrypted). Older backups are then
// thinned to the generations the settings keep.
//
// A restore: the backup is decrypted into a scratch file beside the store
// and checked (integrity_check, the rows its header promises), brought to
// this program's store version, the current store is copied aside
// (Data/Pelmo-before-restore-YYYYMMDD-HHMMSS.db), and the backup is copied
// over the open store through the same online backup, in one transaction of
// the store's: a crash half-way leaves the store as it was, and every open
// connection sees the restored store at once.
//
// Failures raise BackupError; the store is never changed by a failure.

#include "BackupError.h"
#include "BackupSettings.h"
#include "SqliteConnection.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace pelmora {

enum class BackupStep { Copy, Check, Write, Verify, Decrypt, KeepAside, Restore };
// "복사", "검사" …: what the progress window shows for a step.
const char* BackupStepText(BackupStep step);

// Told the step and how far it is (0..1; below 0 when it cannot tell);
// answering false stops the work.
using BackupProgress = std::function<bool(BackupStep step, double fraction)>;

struct BackupEntry {
    std::filesystem::path file;
    std::string created; // YYYYMMDDHHMMSS, from the name
    bool encrypted = false;
    std::uintmax_t bytes = 0;
};

struct BackupDone {
    BackupEntry entry;
    long long prescriptions = 0;
    bool unencrypted = false;                  // written without a passphrase: warn
    std::vector<std::filesystem::path> pruned; // older backups removed
};

struct RestoreDone {
    std::string created; // of the backup
    long long prescriptions = 0;
    std::filesystem::path keptAside; // the store as it was before
};

struct VerifyDone {
    std::string created;
    std::map<std::string, long long> counts;
    long long prescriptions() const;
};

// The backups in a folder, newest first; files of other names are not ours.
std::vector<BackupEntry> ListBackups(const std::filesystem::path& folder);

// Makes a backup of the store file into settings.folder at the clock's now.
// removable decides about the folder's medium (IsRemovableMedia unless given).
BackupDone MakeBackup(const std::filesystem::path& store, const BackupSettings& settings,
                      const BackupProgress& progress = {},
                      const std::function<bool(const std::filesystem::path&)>& removable = {});

// Removes the backups beyond the newest of each of the last keepDays days and
// of each of the last keepWeeks weeks (today YYYYMMDD); the newest always stays.
std::vector<std::filesystem::path> PruneBackups(const std::filesystem::path& folder, const std::string& today,
                                                int keepDays, int keepWeeks);

// Decrypts and checks a backup into a scratch file in scratchDir, removed
// afterwards. passphrase may be empty for a backup without one.
VerifyDone VerifyBackup(const std::filesystem::path& file, const std::string& passphrase,
                        const std::filesystem::path& scratchDir, const BackupProgress& progress = {});

// Replaces the content of the open store with the backup's (see above).
RestoreDone RestoreBackup(SqliteConnection& store, const std::filesystem::path& file,
                          const std::string& passphrase, const BackupProgress& progress = {});

// The rows of every table, by table name.
std::map<std::string, long long> StoreCounts(SqliteConnection& cn);

// Opens a store copy, runs integrity_check and counts its rows; raises
// CheckFailed, or CountsDiffer when expected is given and differs.
std::map<std::string, long long> CheckStoreCopy(const std::filesystem::path& copy,
                                                const std::map<std::string, long long>* expected,
                                                const BackupProgress& progress);

// The clock's now as YYYYMMDD-HHMMSS, the stamp of backup and aside names.
std::string BackupStamp();

} // namespace pelmora
