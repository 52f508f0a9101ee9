#include "RemovableMedia.h"

#include <fstream>
#include <set>
#include <sstream>
#include <vector>

namespace pelmora {

namespace fs = std::filesystem;

namespace {
struct Mount {
    std::string devno; // MAJOR:MINOR
    std::string point;
    std::string fstype;
};

// mountinfo escapes blanks and a few other characters as \ooo.
std::string unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const std::string o = s.substr(i + 1, 3);
            if (o.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(o, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::vector<Mount> parseMounts(const std::string& text) {
    std::vector<Mount> mounts;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::vector<std::string> fields;
        for (std::string w; f >> w;)
            fields.push_back(w);
        // id parent devno root point options [optional…] - fstype source superoptions
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-")
            ++dash;
        if (fields.size() < 5 || dash + 1 >= fields.size()) continue;
        mounts.push_back({fields[2], unescape(fields[4]), fields[dash + 1]});
    }
    return mounts;
}

bool under(const fs::path& p, const std::string& point) {
    if (point == "/") return true;
    const std::string s = p.string();
    return s == point ||
           (s.size() > point.size() && s.compare(0, point.size(), point) == 0 && s[point.size()] == '/');
}

std::string firstLine(const fs::path& p) {
    std::ifstream in(p);
    std::string line;
    std::getline(in, line);
    return line;
}

const std::set<std::string>& networkTypes() {
    static const std::set<std::string> t = {
        "nfs",  "nfs4",      "cifs",       "smb3",        "smbfs", "9p",          "afs",
        "ceph", "glusterfs", "fuse.sshfs", "fuse.rclone", "davfs", "fuse.davfs2", "fuse.gvfsd-fuse",
        "sshfs"};
    return t;
}
} // namespace

MediaInfo DescribeMedia(const fs::path& folder, const std::string& mountinfo, const fs::path& sysRoot) {
    MediaInfo info;
    std::error_code ec;
    fs::path p = fs::weakly_canonical(folder, ec);
    if (ec) p = folder;
    const Mount* best = nullptr;
    const auto mounts = parseMounts(mountinfo);
    for (const auto& m : mounts) // later mounts hide earlier ones on the same point
        if (under(p, m.point) && (!best || m.point.size() >= best->point.size())) best = &m;
    if (!best) {
        info.why = "마운트 정보를 찾을 수 없음";
        return info;
    }
    info.mountPoint = best->point;
    if (networkTypes().count(best->fstype)) {
        info.why = "네트워크 공유(" + best->fstype + ")";
        return info;
    }
    if (under(fs::path(best->point), "/media") || under(fs::path(best->point), "/run/media")) {
        info.why = "이동식 저장장치 위치(" + best->point + ")";
        return info;
    }
    const fs::path dev = sysRoot / "dev" / "block" / best->devno;
    if (best->devno.rfind("0:", 0) == 0 || !fs::exists(dev, ec)) {
        // No block device behind it (tmpfs, overlay, a virtual file system).
        info.removable = false;
        info.why = "장치 없음(" + best->fstype + ")";
        return info;
    }
    const std::string bus = fs::canonical(dev, ec).string();
    for (const char* b : {"/usb", "/mmc", "/memstick"})
        if (bus.find(b) != std::string::npos) {
            info.why = std::string("이동식 버스(") + (b + 1) + ")";
            return info;
        }
    const fs::path disk = fs::exists(dev / "partition", ec) ? dev / ".." : dev;
    if (firstLine(disk / "removable") == "1") {
        info.why = "이동식 장치";
        return info;
    }
    info.removable = false;
    info.why = "고정 디스크";
    return info;
}

MediaInfo DescribeMedia(const fs::path& folder) {
    std::ifstream in("/proc/self/mountinfo");
    std::ostringstream text;
    text << in.rdbuf();
    return DescribeMedia(folder, text.str(), "/sys");
}

} // namespace pelmora
