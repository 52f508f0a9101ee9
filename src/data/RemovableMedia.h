#pragma once
// Whether a folder lies on a medium that leaves the pharmacy easily: a USB
// stick or disk, a memory card, or a network share. Backups without a
// passphrase are refused there, since they carry resident numbers.
//
// The folder's mount is found in /proc/self/mountinfo (the longest mount
// point above it); then
//  - a network file system (nfs, cifs/smb, sshfs, …) counts as removable;
//  - a block device counts when /sys/dev/block/MAJOR:MINOR leads through a
//    USB, MMC or memory-stick bus, or when its disk's "removable" flag is 1
//    (for a partition, the flag of the disk above it);
//  - a mount point under /media or /run/media (where desktops mount what is
//    plugged in) counts as well.
// Anything that cannot be found out is treated as removable.

#include <filesystem>
#include <string>

namespace pelmora {

struct MediaInfo {
    bool removable = true;
    std::string mountPoint; // of the folder
    std::string why;        // what decided it, for messages and the log
};

// The decision on given mountinfo text and a given /sys root, for tests.
MediaInfo DescribeMedia(const std::filesystem::path& folder, const std::string& mountinfo,
                        const std::filesystem::path& sysRoot);
// The decision on this machine.
MediaInfo DescribeMedia(const std::filesystem::path& folder);
inline bool IsRemovableMedia(const std::filesystem::path& folder) {
    return DescribeMedia(folder).removable;
}

} // namespace pelmora
