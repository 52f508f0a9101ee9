#include "IniFile.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace pelmora {

std::string IniFile::trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string IniFile::lower(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

namespace {

// Written by some editors before the first line; not part of it.
const char* const kByteOrderMark = "\xEF\xBB\xBF";

// The section a header line opens, or nullopt for any other line.
std::optional<std::string> headerOf(const std::string& line) {
    const std::string t = IniFile::trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
    return IniFile::lower(IniFile::trim(t.substr(1, t.size() - 2)));
}

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

IniFile IniFile::parse(const std::string& text) {
    IniFile f;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (f.lines_.empty() && line.rfind(kByteOrderMark, 0) == 0) {
            line.erase(0, 3);
            f.byteOrderMark_ = true;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        f.lines_.push_back(line);
    }
    return f;
}

IniFile IniFile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    return parse(text.str());
}

std::size_t IniFile::sectionLine(const std::string& section) const {
    const std::string want = IniFile::lower(section);
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (headerOf(lines_[i]) == want) return i;
    return std::string::npos;
}

std::vector<IniFile::Entry> IniFile::entries() const {
    std::vector<Entry> out;
    std::string section;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (const auto h = headerOf(lines_[i])) {
            section = *h;
            continue;
        }
        const std::string t = IniFile::trim(lines_[i]);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        Entry e;
        e.line = i + 1;
        e.section = section;
        if (const auto eq = t.find('='); eq != std::string::npos) {
            e.readable = true;
            e.key = IniFile::lower(IniFile::trim(t.substr(0, eq)));
            e.value = IniFile::trim(t.substr(eq + 1));
        }
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<std::size_t> IniFile::keyLines(const std::string& section, const std::string& key) const {
    const std::string wantSection = IniFile::lower(section), wantKey = IniFile::lower(key);
    std::vector<std::size_t> found;
    for (const Entry& e : entries())
        if (e.readable && e.section == wantSection && e.key == wantKey) found.push_back(e.line - 1);
    return found;
}

std::optional<std::string> IniFile::get(const std::string& section, const std::string& key) const {
    const auto found = keyLines(section, key);
    if (found.empty()) return std::nullopt;
    const std::string& l = lines_[found.front()];
    return IniFile::trim(l.substr(l.find('=') + 1));
}

void IniFile::set(const std::string& section, const std::string& key, const std::string& value) {
    std::string v = value;
    for (char& c : v)
        if (c == '\n' || c == '\r') c = ' ';
    v = IniFile::trim(v);
    const auto found = keyLines(section, key);
    if (!found.empty()) {
        // The key keeps the spelling and the place the file gave it; later
        // lines of the same key, which a hand edit may have left, go, so the
        // value written is the one every reader sees.
        std::string& l = lines_[found.front()];
        l = IniFile::trim(l.substr(0, l.find('='))) + "=" + v;
        for (auto it = found.rbegin(); it + 1 != found.rend(); ++it)
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*it));
        return;
    }
    const std::string line = key + "=" + v;
    std::size_t i = sectionLine(section);
    if (i == std::string::npos) {
        if (!lines_.empty() && !IniFile::trim(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + section + "]");
        lines_.push_back(line);
        return;
    }
    std::size_t end = i + 1;
    while (end < lines_.size() && !headerOf(lines_[end]))
        ++end;
    // After the section's last key, before the blank lines that part it from the next.
    while (end > i + 1 && IniFile::trim(lines_[end - 1]).empty())
        --end;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(end), line);
}

std::string IniFile::text() const {
    std::string t = byteOrderMark_ ? kByteOrderMark : "";
    for (const auto& l : lines_)
        t += l + "\n";
    return t;
}

bool IniFile::save(const std::string& path, std::string* why) const {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::string temp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    auto fail = [&](const char* what) {
        if (why) *why = std::string(what) + ": " + std::strerror(errno);
        return false;
    };
    const int fd = ::mkstemp(temp.data()); // created owner-only
    if (fd < 0) return fail(path.c_str());
    bool ok = writeAll(fd, text()) && ::fsync(fd) == 0;
    int err = errno;
    ::close(fd);
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        errno = err;
        return fail(path.c_str());
    }
    // The rename itself reaches the disk with the folder.
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace pelmora
