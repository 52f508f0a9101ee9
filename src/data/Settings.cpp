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
    std::istringstream in(text);
    std::string line, section;
    std::set<std::string> seen;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        std::string t = IniFile::trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t.front() == '[' && t.back() == ']') {
            section = IniFile::lower(IniFile::trim(t.substr(1, t.size() - 2)));
            continue;
        }
        auto eq = t.find('=');
        if (eq == std::string::npos || section.empty()) {
            warnings << "Pelmora.ini " << lineNo << "행을 읽을 수 없어 건너뜁니다.\n";
            continue;
        }
        std::string key = IniFile::lower(IniFile::trim(t.substr(0, eq)));
        std::string value = IniFile::trim(t.substr(eq + 1));
        // A key given twice counts by its first line, as IniFile reads and writes it.
        if (!seen.insert(section + "\n" + key).second) continue;
        if (section == "pharmacy") {
            readPharmacy(s.pharmacy, key, value);
            continue;
        }
        if (section != "server") continue; // another part of the program reads it
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
        if (!ok) warnings << "Pelmora.ini " << lineNo << "행의 값이 올바르지 않아 기본값을 씁니다.\n";
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
