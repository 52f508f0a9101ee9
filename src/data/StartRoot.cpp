#include "StartRoot.h"

#include "ReferenceFiles.h"
#include "Settings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace pelmora {

namespace {

constexpr const char* kSection = "[Start]";
constexpr const char* kKey = "Root=";

// An XDG base folder: the variable when it holds an absolute path, else
// the fallback under $HOME.
fs::path xdgFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value && *value == '/') return value;
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / fallback;
}

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::vector<std::string> lines(const fs::path& file) {
    std::vector<std::string> out;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

} // namespace

std::vector<std::size_t> StartRoot::missingFiles(const fs::path& root) {
    std::vector<std::size_t> missing;
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
        std::error_code ec;
        if (!fs::is_regular_file(ReferenceFiles::file(root, i), ec)) missing.push_back(i);
    }
    return missing;
}

bool StartRoot::needsReferenceFiles(const fs::path& root, std::ostream& log) {
    if (missingFiles(root).empty()) return false;
    return !Settings::load((ReferenceFiles::dataFolder(root) / "Pelmora.ini").string(), log)
                .serverConfigured();
}

fs::path StartRoot::rootOf(const fs::path& picked) {
    fs::path p = picked.lexically_normal();
    if (!p.has_filename()) p = p.parent_path(); // "/a/b/" names "/a/b"
    if (p.filename() == "SubPrg" && p.parent_path().filename() == "TX60")
        return p.parent_path().parent_path();
    if (p.filename() == "TX60" && fs::is_directory(p / "SubPrg")) return p.parent_path();
    return p;
}

fs::path StartRoot::demoRoot() {
    return xdgFolder("XDG_DATA_HOME", ".local/share") / "pelmora" / "demo";
}

fs::path StartRoot::configFile() {
    return xdgFolder("XDG_CONFIG_HOME", ".config") / "pelmora" / "pelmora.conf";
}

std::optional<fs::path> StartRoot::remembered() {
    bool inStart = false;
    for (const std::string& raw : lines(configFile())) {
        const std::string line = trimmed(raw);
        if (line.starts_with('['))
            inStart = line == kSection;
        else if (inStart && line.starts_with(kKey) && line.size() > std::string(kKey).size())
            return fs::path(trimmed(line.substr(std::string(kKey).size())));
    }
    return std::nullopt;
}

bool StartRoot::remember(const fs::path& root, std::string* why) {
    const std::string value = fs::absolute(root).lexically_normal().string();
    if (value.find_first_of("\r\n") != std::string::npos) {
        if (why) *why = "줄바꿈이 든 폴더 이름은 기억할 수 없습니다: " + value;
        return false;
    }
    // Other sections and keys of the file stay as they were.
    std::vector<std::string> text = lines(configFile());
    std::optional<std::size_t> sectionEnd; // where a Root line goes in an existing [Start]
    bool inStart = false, written = false;
    for (std::size_t i = 0; i < text.size() && !written; ++i) {
        const std::string line = trimmed(text[i]);
        if (line.starts_with('[')) {
            if (inStart) sectionEnd = i;
            inStart = line == kSection;
            if (inStart) sectionEnd = text.size();
        } else if (inStart && line.starts_with(kKey)) {
            text[i] = kKey + value;
            written = true;
        }
    }
    if (!written && sectionEnd)
        text.insert(text.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), kKey + value);
    else if (!written)
        text.insert(text.end(), {kSection, kKey + value});

    const fs::path file = configFile();
    const fs::path temp = file.string() + ".new";
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (const auto& line : text)
            out << line << '\n';
        out.flush();
        if (!out) {
            if (why) *why = temp.string() + "에 쓸 수 없습니다.";
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, file, ec);
    if (ec) {
        if (why) *why = file.string() + ": " + ec.message();
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace pelmora
