#pragma once
// One running copy of the program per installation root: an exclusive lock
// on a file beside the store, held from start-up until the connections are
// released. A second copy finds it taken and is told so, instead of meeting
// a store or link database that the first one holds.

#include <filesystem>
#include <string>

namespace pelmora {

class InstanceLock {
  public:
    enum class Result {
        Acquired,    // this copy holds the lock
        HeldByOther, // another running copy holds it
        Failed,      // the lock file could not be made or locked (detail says why)
    };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    Result acquire(const std::filesystem::path& lockFile);
    void release();
    bool held() const { return fd_ >= 0; }
    const std::string& detail() const { return detail_; }

  private:
    int fd_ = -1;
    std::string detail_;
};

} // namespace pelmora
