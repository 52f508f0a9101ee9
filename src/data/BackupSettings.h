#pragma once
// The [Backup] section of Data/Pelmora.ini: where backups go, when they are
// made, how many are kept, and the public half of the backup key (never the
// passphrase; see BackupKey.h).
//
//   [Backup]
//   Folder=/media/pharmacy/USB/Pelmora
//   AtClose=1          ; a backup whenever the program closes
//   KeepDays=7         ; the newest backup of each of the last 7 days
//   KeepWeeks=4        ; and of each of the last 4 weeks
//   WarnDays=3         ; the main window warns after 3 days without a good backup
//   PublicKey=…  Salt=…  OpsLimit=…  MemLimit=…
//   LastOk=20250105183000
//   LastFile=Pelmo-20250105-183000.pbk
//
// The section is written in place through IniFile: every other line of the
// file stays as it was.

#include "BackupKey.h"

#include <filesystem>
#include <iosfwd>
#include <string>

namespace pelmora {

class IniFile;

struct BackupSettings {
    std::string folder;
    bool atClose = true;
    int keepDays = 7;
    int keepWeeks = 4;
    int warnDays = 3;
    BackupKey key;        // empty: no passphrase set, backups are not encrypted
    std::string lastOk;   // YYYYMMDDHHMMSS of the last backup that passed its checks
    std::string lastFile; // its file name

    // A missing file or section gives the defaults; values that cannot be
    // read are reported on warnings and keep their defaults.
    static BackupSettings load(const std::filesystem::path& ini, std::ostream& warnings);
    static BackupSettings from(const IniFile& ini, std::ostream& warnings);

    // Sets every key of the section in the file's text.
    void storeInto(IniFile& ini) const;
    // Writes the section into the file, whole or not at all, readable by the
    // owner only; raises BackupError (Io) when it cannot.
    void save(const std::filesystem::path& ini) const;
    // Records a good backup in the file, leaving every other key as it is.
    static void recordSuccess(const std::filesystem::path& ini, const std::string& created,
                              const std::string& file);
};

// Data/Pelmora.ini beside the store Data/Pelmo.db.
std::filesystem::path SettingsFileOf(const std::filesystem::path& store);

} // namespace pelmora
