#include "Settings.h"

#include "IniFile.h"

#include <atomic>
#include <charconv>
#include <fstream>
#include <ostream>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace pelmora {

namespace {
bool number(const std::string& v, int lo, int hi, int& out) {
    int n = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || p != v.data() + v.size() || n < lo || n > hi) return false;
    out = n;
    return true;
}

std::atomic<bool> reportedOpenFile{false};

void readPharmacy(Pharmacy& p, const std::string& key, const std::string& value) {
    if (key == "name")
        p.name = value;
    else if (key == "bizno")
        p.bizNo = value;
    else if (key == "address")
        p.address = value;
    else if (key == "owner")
        p.owner = value;
    else if (key == "tel")
        p.tel = value;
    else if (key == "pharmacist")
        p.pharmacist = value;
    else if (key == "receiptpaper")
        p.paper = IniFile::lower(value) == "80mm" ? "80mm" : "A4";
}
} // namespace

void Settings::storePharmacy(IniFile& ini, const Pharmacy& p) {
    ini.set("Pharmacy", "Name", p.name);
    ini.set("Pharmacy", "BizNo", p.bizNo);
    ini.set("Pharmacy", "Address", p.address);
    ini.set("Pharmacy", "Owner", p.owner);
    ini.set("Pharmacy", "Tel", p.tel);
    ini.set("Pharmacy", "Pharmacist", p.pharmacist);
    ini.set("Pharmacy", "ReceiptPaper", p.paper);
}

Settings Settings::parse(const std::string& text, std::ostream& warnings) {
    Settings s;
    std::set<std::string> seen;
    for (const IniFile::Entry& e : IniFile::parse(text).entries()) {
        if (!e.readable || e.section.empty()) {
            warnings << "Pelmora.ini " << e.line << "행을 읽을 수 없어 건너뜁니다.\n";
            continue;
        }
        // A key given twice counts by its first line, as IniFile reads and writes it.
        if (!seen.insert(e.section + "\n" + e.key).second) continue;
        if (e.section == "pharmacy") {
            readPharmacy(s.pharmacy, e.key, e.value);
            continue;
        }
        if (e.section != "server") continue; // another part of the program reads it
        const std::string& key = e.key;
        const std::string& value = e.value;
        bool ok = true;
        if (key == "host")
            s.host = value;
        else if (key == "port")
            ok = number(value, 1, 65535, s.port);
        else if (key == "login")
            s.login = value.empty() ? "sa" : value;
        else if (key == "password")
            s.password = value;
        else if (key == "logintimeout")
            ok = number(value, 1, 600, s.loginTimeout);
        else if (key == "tdsversion")
            s.tdsVersion = value;
        else
            ok = false;
        if (!ok) warnings << "Pelmora.ini " << e.line << "행의 값이 올바르지 않아 기본값을 씁니다.\n";
    }
    return s;
}

Settings Settings::load(const std::string& path, std::ostream& warnings) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    struct stat sb {};
    if (::stat(path.c_str(), &sb) == 0 && (sb.st_mode & (S_IRGRP | S_IROTH)) &&
        !reportedOpenFile.exchange(true))
        warnings << path
                 << ": 다른 사용자도 읽을 수 있는 설정 파일입니다 (서버 암호가 들어 있습니다). "
                    "chmod 600 으로 막아 주십시오.\n";
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), warnings);
}

} // namespace pelmora
