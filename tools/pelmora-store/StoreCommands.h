#pragma once
// The commands of pelmora-store over one installation root. Each returns the
// process exit status: 0 done, 1 failed (a Korean message on standard error).

#include <filesystem>
#include <optional>
#include <string>

namespace pelmora {

struct StoreToolOptions {
    std::filesystem::path root;
    std::string from, to;                      // totals: YYYYMMDD
    int year = 0;                              // year-end
    bool tsv = false;                          // output format
    std::optional<std::string> folder;         // backup, list: instead of the settings' folder
    std::optional<std::string> passphraseFile; // verify, restore
    std::string file;                          // verify, restore: the backup

    std::filesystem::path store() const { return root / "Data" / "Pelmo.db"; }
};

int RunTotals(const StoreToolOptions& o);
int RunYearEnd(const StoreToolOptions& o);
int RunBackup(const StoreToolOptions& o);
int RunVerify(const StoreToolOptions& o);
int RunRestore(const StoreToolOptions& o);
int RunList(const StoreToolOptions& o);

} // namespace pelmora
