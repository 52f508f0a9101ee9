// Files and folders on std::filesystem. Nothing here throws: every helper
// reports failure in its result, and none removes more than it was asked to.

#include "KVFun.h"

#include "PathText.h"

#include <ctime>
#include <fstream>
#include <sstream>
#include <thread>

namespace pelmora {

namespace fs = std::filesystem;

namespace {

std::size_t lastSeparator(std::string_view name) {
    return name.find_last_of("\\/");
}

std::string oneDecimal(std::uintmax_t size, std::uintmax_t unit) {
    const std::uintmax_t tenths = (size * 10 + unit / 2) / unit;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

} // namespace

bool KVFun::FileExist(std::string_view FileName) const {
    if (FileName.empty()) return false;
    std::error_code ec;
    return fs::is_regular_file(pathFromText(FileName), ec);
}

std::string KVFun::FileGetPath(std::string_view FileName) const {
    const std::size_t at = lastSeparator(FileName);
    return at == std::string_view::npos ? std::string() : std::string(FileName.substr(0, at));
}

std::string KVFun::FileGetFileName(std::string_view FileName) const {
    const std::size_t at = lastSeparator(FileName);
    return std::string(at == std::string_view::npos ? FileName : FileName.substr(at + 1));
}

std::string KVFun::FileGetFileNameNonExtension(std::string_view FileName) const {
    std::string name = FileGetFileName(FileName);
    const std::size_t dot = name.find_last_of('.');
    // A name that only starts with a dot (".profile") has no extension.
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

bool KVFun::FileLoadStr(std::vector<std::string>& cAry, std::string_view FileName, bool WaitingCreate,
                        std::chrono::milliseconds maxWait) const {
    cAry.clear();
    if (WaitingCreate) {
        const auto deadline = std::chrono::steady_clock::now() + maxWait;
        while (!FileExist(FileName) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::ifstream in(pathFromText(FileName), std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        cAry.push_back(std::move(line));
    }
    return !in.bad();
}

bool KVFun::FileWriteStr(std::string_view FileName, std::string_view WriteString, std::string_view MkDirName,
                         bool AddMode) const {
    if (FileName.empty()) return false;
    if (!MkDirName.empty() && !DirMake_Auto(MkDirName)) return false;
    std::ofstream out(pathFromText(FileName), std::ios::binary | (AddMode ? std::ios::app : std::ios::trunc));
    if (!out) return false;
    out.write(WriteString.data(), static_cast<std::streamsize>(WriteString.size()));
    out.close();
    return !out.fail();
}

bool KVFun::FileCopy(std::string_view source, std::string_view destination, bool ChkOverWrite) const {
    std::error_code ec;
    const auto opt = ChkOverWrite ? fs::copy_options::overwrite_existing : fs::copy_options::none;
    return fs::copy_file(pathFromText(source), pathFromText(destination), opt, ec) && !ec;
}

bool KVFun::FileMove(std::string_view source, std::string_view destination, bool ChkOverWrite) const {
    const fs::path from = pathFromText(source), to = pathFromText(destination);
    std::error_code ec;
    if (!fs::is_regular_file(from, ec)) return false;
    if (fs::exists(to, ec) && (!ChkOverWrite || !fs::is_regular_file(to, ec))) return false;
    fs::rename(from, to, ec);
    if (!ec) return true;
    // Another disk: copy, and remove the source only once the copy is complete.
    if (!FileCopy(source, destination, ChkOverWrite)) return false;
    return fs::remove(from, ec) && !ec;
}

bool KVFun::FileDelete(std::string_view FileName) const {
    std::error_code ec;
    const fs::path p = pathFromText(FileName);
    if (FileName.empty() || fs::is_directory(fs::symlink_status(p, ec))) return false;
    return fs::remove(p, ec) && !ec;
}

bool KVFun::DirMake(std::string_view DirName) const {
    if (DirName.empty()) return false;
    std::error_code ec;
    const fs::path p = pathFromText(DirName);
    fs::create_directory(p, ec);
    return fs::is_directory(p, ec);
}

bool KVFun::DirMake_Auto(std::string_view DirName) const {
    if (DirName.empty()) return false;
    std::error_code ec;
    const fs::path p = pathFromText(DirName);
    fs::create_directories(p, ec);
    return fs::is_directory(p, ec);
}

bool KVFun::DirDelete(std::string_view DirName) const {
    std::error_code ec;
    const fs::path p = pathFromText(DirName);
    if (DirName.empty() || !fs::is_directory(fs::symlink_status(p, ec))) return false;
    return fs::remove(p, ec) && !ec; // fails on a folder that still holds something
}

std::string KVFun::FileSizeGet_Byte(std::string_view FileName) const {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(pathFromText(FileName), ec);
    if (ec || FileName.empty()) return {};
    if (size < 1024) return std::to_string(size) + "B ";
    if (size < 1048576) return std::to_string((size + 512) / 1024) + "KB";
    return oneDecimal(size, 1048576) + "MB";
}

std::string KVFun::FileDateGet(std::string_view FilePathName) const {
    std::error_code ec;
    const auto when = fs::last_write_time(pathFromText(FilePathName), ec);
    if (ec || FilePathName.empty()) return {};
    const std::time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(
            std::chrono::file_clock::to_sys(when)));
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

} // namespace pelmora
