// File attributes, programs and system queries on POSIX.
//
// The attributes the program knows are mapped as follows: ReadOnly is "the
// owner may not write" (setting it removes every write permission, clearing it
// gives the owner write permission back); Hidden is a name beginning with "."
// (setting and clearing rename the file within its folder); Directory and
// Alias (a symbolic link) are reported but cannot be set; System, Volume and
// Archive have no POSIX meaning: never reported, ignored when set.

#include "KVFun.h"

#include "PathText.h"

#include <cerrno>
#include <pwd.h>
#include <spawn.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace pelmora {

namespace fs = std::filesystem;

namespace {

// Program and arguments from a command line: blanks separate, "…" keeps blanks.
std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::string cur;
    bool inQuotes = false, have = false;
    for (char c : line) {
        if (c == '"') {
            inQuotes = !inQuotes;
            have = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (have) args.push_back(std::move(cur));
            cur.clear();
            have = false;
        } else {
            cur.push_back(c);
            have = true;
        }
    }
    if (have) args.push_back(std::move(cur));
    return args;
}

// Starts the program and waits for it; its exit code, -1 when it did not run.
int runAndWait(const std::vector<std::string>& args) {
    if (args.empty()) return -1;
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    if (WIFEXITED(status)) return WEXITSTATUS(status) == 127 ? -1 : WEXITSTATUS(status);
    return -1;
}

} // namespace

std::int32_t KVFun::FileTypeGet(std::string_view FilePathName) const {
    if (FilePathName.empty()) return -1;
    const fs::path p = pathFromText(FilePathName);
    std::error_code ec;
    const fs::file_status link = fs::symlink_status(p, ec);
    if (ec || !fs::exists(link)) return -1;
    std::int32_t attr = Normal;
    if (fs::is_symlink(link)) attr |= Alias;
    const fs::file_status st = fs::status(p, ec);
    if (fs::is_directory(st)) attr |= Directory;
    if (!ec && (st.permissions() & fs::perms::owner_write) == fs::perms::none) attr |= ReadOnly;
    const std::string name = p.filename().string();
    if (!name.empty() && name.front() == '.' && name != "." && name != "..") attr |= Hidden;
    return attr;
}

bool KVFun::FileTypeSet(std::string_view FilePathName, std::int32_t EQType, std::string* newPathName) const {
    const std::int32_t now = FileTypeGet(FilePathName);
    if (now < 0) return false;
    fs::path p = pathFromText(FilePathName);
    std::error_code ec;
    if ((EQType & ReadOnly) != (now & ReadOnly)) {
        if (EQType & ReadOnly)
            fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove, ec);
        else
            fs::permissions(p, fs::perms::owner_write, fs::perm_options::add, ec);
        if (ec) return false;
    }
    if ((EQType & Hidden) != (now & Hidden)) {
        std::string name = p.filename().string();
        if (EQType & Hidden)
            name.insert(name.begin(), '.');
        else
            name.erase(0, name.find_first_not_of('.'));
        if (name.empty()) return false;
        const fs::path target = p.parent_path() / name;
        // Never replace another file to hide or show this one.
        if (fs::exists(fs::symlink_status(target, ec))) return false;
        fs::rename(p, target, ec);
        if (ec) return false;
        p = target;
    }
    if (newPathName) *newPathName = p.string();
    return true;
}

bool KVFun::FileTypeSet(std::string_view FilePathName, std::string_view EQType,
                        std::string* newPathName) const {
    static const std::pair<std::string_view, std::int32_t> kNames[] = {
        {"Normal", Normal}, {"ReadOnly", ReadOnly},   {"Hidden", Hidden},   {"System", System},
        {"Volume", Volume}, {"Directory", Directory}, {"Archive", Archive}, {"Alias", Alias}};
    for (const auto& [name, bits] : kNames)
        if (name == EQType) return FileTypeSet(FilePathName, bits, newPathName);
    return false;
}

bool KVFun::FileOpenEXE(std::string_view xPath) const {
    if (xPath.empty()) return false;
    // The desktop's opener runs in the background; the short-lived shell is
    // waited for, so no finished child is left behind. The path travels as an
    // argument, never as shell text.
    return runAndWait({"/bin/sh", "-c", "xdg-open \"$1\" >/dev/null 2>&1 &", "sh",
                       pathFromText(xPath).string()}) == 0;
}

int KVFun::FileOpenEXEWait(std::string_view RunCommand) const {
    return runAndWait(splitCommandLine(RunCommand));
}

void KVFun::SleepX(double seconds) const {
    if (!(seconds > 0)) return;
    if (seconds > 86400) seconds = 86400;
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string KVFun::SysComName() const {
    char buf[256] = {};
    if (gethostname(buf, sizeof buf - 1) != 0) return {};
    return buf;
}

std::string KVFun::SysDir() const {
    return "/usr/lib";
}
std::string KVFun::SysWinDir() const {
    return "/";
}

std::string KVFun::SysUserName() const {
    std::vector<char> buf(16384);
    passwd pw{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &pw, buf.data(), buf.size(), &found) != 0 || !found) return {};
    return found->pw_name;
}

std::string KVFun::SysWinVer() const {
    utsname u{};
    if (uname(&u) != 0) return {};
    return std::string(u.sysname) + " " + u.release;
}

std::int64_t KVFun::DiskSpaceGet(std::string_view path) const {
    std::error_code ec;
    const fs::space_info s = fs::space(pathFromText(path.empty() ? "/" : path), ec);
    if (ec) return -1;
    return static_cast<std::int64_t>(s.available);
}

bool KVFun::SetCurrentDir(std::string_view sPath) const {
    if (sPath.empty()) return false;
    std::error_code ec;
    fs::current_path(pathFromText(sPath), ec);
    return !ec;
}

std::string KVFun::GetCurrentDir() const {
    std::error_code ec;
    const fs::path p = fs::current_path(ec);
    return ec ? std::string() : p.string();
}

} // namespace pelmora
