#include "InstanceLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pelmora {

InstanceLock::~InstanceLock() {
    release();
}

// The lock belongs to the open file, not to the process: a second opening,
// even in the same process, finds it taken, and the system drops it when
// the process ends, however it ends.
InstanceLock::Result InstanceLock::acquire(const std::filesystem::path& lockFile) {
    release();
    detail_.clear();
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        detail_ = lockFile.string() + ": " + std::strerror(errno);
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) return Result::HeldByOther;
        detail_ = lockFile.string() + ": " + std::strerror(err);
        return Result::Failed;
    }
    fd_ = fd;
    return Result::Acquired;
}

void InstanceLock::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

} // namespace pelmora
