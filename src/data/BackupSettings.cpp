#include "BackupSettings.h"

#include "BackupError.h"
#include "IniFile.h"

#include <charconv>
#include <ostream>

namespace pelmora {

namespace fs = std::filesystem;

namespace {
const char* const kSection = "Backup";

// The key's number when it is one within lo..hi; otherwise the value stays
// and a wrong one is reported.
template <typename T>
void number(const IniFile& ini, const char* key, T lo, T hi, T& out, std::ostream& warnings) {
    const auto v = ini.get(kSection, key);
    if (!v || v->empty()) return;
    T n{};
    auto [p, ec] = std::from_chars(v->data(), v->data() + v->size(), n);
    if (ec != std::errc() || p != v->data() + v->size() || n < lo || n > hi) {
        warnings << "Pelmora.ini [Backup] " << key << " 값이 올바르지 않아 기본값을 씁니다.\n";
        return;
    }
    out = n;
}

std::string text(const IniFile& ini, const char* key) {
    return ini.get(kSection, key).value_or("");
}
} // namespace

BackupSettings BackupSettings::from(const IniFile& ini, std::ostream& warnings) {
    BackupSettings s;
    s.folder = text(ini, "Folder");
    int atClose = 1;
    number(ini, "AtClose", 0, 1, atClose, warnings);
    s.atClose = atClose == 1;
    number(ini, "KeepDays", 0, 366, s.keepDays, warnings);
    number(ini, "KeepWeeks", 0, 520, s.keepWeeks, warnings);
    number(ini, "WarnDays", 1, 366, s.warnDays, warnings);
    s.key.publicKey = text(ini, "PublicKey");
    s.key.salt = text(ini, "Salt");
    number<std::uint64_t>(ini, "OpsLimit", 1, 1000, s.key.opsLimit, warnings);
    number<std::uint64_t>(ini, "MemLimit", 1, 1ULL << 40, s.key.memLimit, warnings);
    s.lastOk = text(ini, "LastOk");
    s.lastFile = text(ini, "LastFile");
    return s;
}

BackupSettings BackupSettings::load(const fs::path& ini, std::ostream& warnings) {
    return from(IniFile::load(ini.string()), warnings);
}

void BackupSettings::storeInto(IniFile& ini) const {
    ini.set(kSection, "Folder", folder);
    ini.set(kSection, "AtClose", atClose ? "1" : "0");
    ini.set(kSection, "KeepDays", std::to_string(keepDays));
    ini.set(kSection, "KeepWeeks", std::to_string(keepWeeks));
    ini.set(kSection, "WarnDays", std::to_string(warnDays));
    // Without a passphrase the key's lines stay, empty.
    ini.set(kSection, "PublicKey", key.publicKey);
    ini.set(kSection, "Salt", key.salt);
    ini.set(kSection, "OpsLimit", key.empty() ? "" : std::to_string(key.opsLimit));
    ini.set(kSection, "MemLimit", key.empty() ? "" : std::to_string(key.memLimit));
    ini.set(kSection, "LastOk", lastOk);
    ini.set(kSection, "LastFile", lastFile);
}

void BackupSettings::save(const fs::path& ini) const {
    IniFile file = IniFile::load(ini.string());
    storeInto(file);
    std::string why;
    if (!file.save(ini.string(), &why)) throw BackupError(BackupFault::Io, ini.string() + ": " + why);
}

void BackupSettings::recordSuccess(const fs::path& ini, const std::string& created, const std::string& file) {
    IniFile f = IniFile::load(ini.string());
    f.set(kSection, "LastOk", created);
    f.set(kSection, "LastFile", file);
    std::string why;
    if (!f.save(ini.string(), &why)) throw BackupError(BackupFault::Io, ini.string() + ": " + why);
}

fs::path SettingsFileOf(const fs::path& store) {
    return store.parent_path() / "Pelmora.ini";
}

} // namespace pelmora
