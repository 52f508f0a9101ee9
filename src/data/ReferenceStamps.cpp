#include "ReferenceStamps.h"

#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelmora {

namespace {

// An SQLite file starts with a 100-byte header holding the change counter,
// the page count and the schema cookie.
constexpr std::size_t kHeaderBytes = 100;

std::uint64_t headerHash(int fd) {
    unsigned char buf[kHeaderBytes];
    ssize_t n = ::pread(fd, buf, sizeof buf, 0);
    std::uint64_t h = 1469598103934665603ULL;
    for (ssize_t i = 0; i < n; ++i)
        h = (h ^ buf[i]) * 1099511628211ULL;
    return h ^ static_cast<std::uint64_t>(n < 0 ? 0 : n);
}

std::string nanos(const struct timespec& t) {
    return std::to_string(static_cast<long long>(t.tv_sec)) + "." + std::to_string(t.tv_nsec);
}

} // namespace

std::string ReferenceStamps::stamp(const std::filesystem::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {};
    }
    std::string s = "size=" + std::to_string(st.st_size) + " mtime=" + nanos(st.st_mtim) +
                    " ctime=" + nanos(st.st_ctim) + " ino=" + std::to_string(st.st_ino) +
                    " dev=" + std::to_string(st.st_dev) + " head=" + std::to_string(headerHash(fd));
    ::close(fd);
    struct stat wal {};
    if (::stat((file.string() + "-wal").c_str(), &wal) == 0)
        s += " wal=" + std::to_string(wal.st_size) + "@" + nanos(wal.st_mtim);
    return s;
}

ReferenceStamps ReferenceStamps::read(const std::filesystem::path& root) {
    ReferenceStamps r;
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
        r.stamps_[i] = stamp(ReferenceFiles::file(root, i));
    return r;
}

} // namespace pelmora
