// Data/Pelmora.ini is a text file anyone may have edited by hand. Any text
// must read as settings (lines that cannot be read are warned about and
// skipped), and the two readers of the file must agree: what the settings
// read for a key is what the line-keeping reader gives, and writing the
// pharmacy's details or the backup section back into the text and reading
// it again gives what was written, with every other setting unchanged.

#include "FuzzInput.h"
#include "data/BackupSettings.h"
#include "data/IniFile.h"
#include "data/Settings.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

using pelmora::BackupSettings;
using pelmora::IniFile;
using pelmora::Pharmacy;
using pelmora::Settings;

bool sameServer(const Settings& a, const Settings& b) {
    return a.host == b.host && a.port == b.port && a.login == b.login && a.password == b.password &&
           a.loginTimeout == b.loginTimeout && a.tdsVersion == b.tdsVersion;
}

bool sameBackup(const BackupSettings& a, const BackupSettings& b) {
    // Without a public key the costs are not written: there is no key.
    const bool keys = a.key.empty() ? b.key.empty() && a.key.salt == b.key.salt : a.key == b.key;
    return a.folder == b.folder && a.atClose == b.atClose && a.keepDays == b.keepDays &&
           a.keepWeeks == b.keepWeeks && a.warnDays == b.warnDays && keys && a.lastOk == b.lastOk &&
           a.lastFile == b.lastFile;
}

// A value as a file line keeps it: one line, blanks off both ends.
std::string asLine(std::string v) {
    for (char& c : v)
        if (c == '\n' || c == '\r') c = ' ';
    return IniFile::trim(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::ostringstream warnings;
    const Settings s = Settings::parse(text, warnings);
    IniFile ini = IniFile::parse(text);
    if (ini.get("Pharmacy", "Name").value_or("") != s.pharmacy.name ||
        ini.get("Server", "Host").value_or("") != s.host)
        pelmora::fuzz::fault("the two readers disagree on the file");

    // The pharmacy's details written back read back, the server's stay.
    Pharmacy p = s.pharmacy;
    const std::string half = text.substr(0, size / 2);
    p.name = "새 " + half;
    p.tel = text.substr(size / 2);
    p.paper = p.paper == "A4" ? "80mm" : "A4";
    for (std::string* v : {&p.name, &p.bizNo, &p.address, &p.owner, &p.tel, &p.pharmacist})
        *v = asLine(*v); // a carriage return inside a line is written as a blank
    Settings::storePharmacy(ini, p);
    const Settings again = Settings::parse(ini.text(), warnings);
    if (!(again.pharmacy == p) || !sameServer(again, s))
        pelmora::fuzz::fault("the pharmacy written back does not read back");

    // The backup section round trips through the text, the rest untouched.
    const BackupSettings b = BackupSettings::from(ini, warnings);
    BackupSettings changed = b;
    changed.folder = asLine(half);
    changed.lastFile = asLine(text);
    for (std::string* v : {&changed.key.publicKey, &changed.key.salt, &changed.lastOk})
        *v = asLine(*v);
    changed.storeInto(ini);
    const IniFile reread = IniFile::parse(ini.text());
    const Settings third = Settings::parse(reread.text(), warnings);
    if (!sameBackup(BackupSettings::from(reread, warnings), changed) || !(third.pharmacy == p) ||
        !sameServer(third, s))
        pelmora::fuzz::fault("the backup section written back does not read back");
    return 0;
}
