#include "BackupSettings.h"

#include "BackupError.h"

#include <cctype>
#include <charconv>
#include <fcntl.h>
#include <fstream>
#include <ostream>
#include <sstream>
#include <unistd.h>

namespace pelmora {

namespace fs = std::filesystem;

namespace {
std::string trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string lower(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

template <typename T> bool number(const std::string& v, T lo, T hi, T& out) {
    T n{};
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || p != v.data() + v.size() || n < lo || n > hi) return false;
    out = n;
    return true;
}

// A section header line's name in lower case; "" for any other line.
std::string sectionOf(const std::string& line) {
    const std::string t = trim(line);
    return t.size() >= 2 && t.front() == '[' && t.back() == ']' ? lower(trim(t.substr(1, t.size() - 2))) : "";
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    return text.str();
}

// The file's lines with the [Backup] section replaced by section.
std::string replaceSection(const std::string& text, const std::string& section) {
    std::istringstream in(text);
    std::string out, line;
    bool inside = false, done = false;
    while (std::getline(in, line)) {
        const std::string name = sectionOf(line);
        if (!name.empty()) {
            inside = name == "backup";
            if (inside && !done) {
                out += section;
                done = true;
            }
        }
        if (!inside) out += line + "\n";
    }
    if (!done) out += (out.empty() || out.ends_with("\n\n") ? "" : "\n") + section;
    return out;
}

void writeAtomically(const fs::path& file, const std::string& text) {
    const fs::path tmp = file.string() + ".new";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw BackupError(BackupFault::Io, tmp.string());
    const bool ok =
        ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    ::close(fd);
    std::error_code ec;
    if (ok) fs::rename(tmp, file, ec);
    if (!ok || ec) {
        fs::remove(tmp, ec);
        throw BackupError(BackupFault::Io, file.string());
    }
}
} // namespace

BackupSettings BackupSettings::parse(const std::string& text, std::ostream& warnings) {
    BackupSettings s;
    std::istringstream in(text);
    std::string line, section;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
        if (lineNo == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
        const std::string t = trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (const std::string name = sectionOf(t); !name.empty()) {
            section = name;
            continue;
        }
        if (section != "backup") continue; // other sections belong to others
        const auto eq = t.find('=');
        const std::string key = eq == std::string::npos ? "" : lower(trim(t.substr(0, eq)));
        const std::string value = eq == std::string::npos ? "" : trim(t.substr(eq + 1));
        bool ok = true;
        int flag = 0;
        if (key == "folder")
            s.folder = value;
        else if (key == "atclose") {
            ok = number(value, 0, 1, flag);
            if (ok) s.atClose = flag == 1;
        } else if (key == "keepdays")
            ok = number(value, 0, 366, s.keepDays);
        else if (key == "keepweeks")
            ok = number(value, 0, 520, s.keepWeeks);
        else if (key == "warndays")
            ok = number(value, 1, 366, s.warnDays);
        else if (key == "publickey")
            s.key.publicKey = value;
        else if (key == "salt")
            s.key.salt = value;
        else if (key == "opslimit")
            ok = number<std::uint64_t>(value, 1, 1000, s.key.opsLimit);
        else if (key == "memlimit")
            ok = number<std::uint64_t>(value, 1, 1ULL << 40, s.key.memLimit);
        else if (key == "lastok")
            s.lastOk = value;
        else if (key == "lastfile")
            s.lastFile = value;
        else
            ok = false;
        if (!ok) warnings << "Pelmora.ini " << lineNo << "행의 백업 설정을 읽을 수 없어 기본값을 씁니다.\n";
    }
    return s;
}

BackupSettings BackupSettings::load(const fs::path& ini, std::ostream& warnings) {
    return parse(readFile(ini), warnings);
}

std::string BackupSettings::sectionText() const {
    std::ostringstream o;
    o << "[Backup]\n"
      << "Folder=" << folder << "\n"
      << "AtClose=" << (atClose ? 1 : 0) << "\n"
      << "KeepDays=" << keepDays << "\n"
      << "KeepWeeks=" << keepWeeks << "\n"
      << "WarnDays=" << warnDays << "\n";
    if (!key.empty())
        o << "PublicKey=" << key.publicKey << "\nSalt=" << key.salt << "\nOpsLimit=" << key.opsLimit
          << "\nMemLimit=" << key.memLimit << "\n";
    if (!lastOk.empty()) o << "LastOk=" << lastOk << "\nLastFile=" << lastFile << "\n";
    return o.str();
}

void BackupSettings::save(const fs::path& ini) const {
    writeAtomically(ini, replaceSection(readFile(ini), sectionText()));
}

void BackupSettings::recordSuccess(const fs::path& ini, const std::string& created, const std::string& file) {
    std::ostringstream ignored;
    BackupSettings s = load(ini, ignored);
    s.lastOk = created;
    s.lastFile = file;
    s.save(ini);
}

fs::path SettingsFileOf(const fs::path& store) {
    return store.parent_path() / "Pelmora.ini";
}

} // namespace pelmora
