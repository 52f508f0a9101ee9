#pragma once
// What identifies the content of each of the six reference files without
// reading it: the size, the modification and change times to the nanosecond,
// the inode and device, a hash of the database header (whose change counter
// moves with every committed write) and the size and time of a write-ahead
// log beside the file. A file written in place, replaced by a rename, or
// copied back from a backup gets a different stamp; reading it does not.
//
// The link database records the stamps of the files it was built from, so a
// start with unchanged files reuses it, and a running program notices a file
// changed under it by comparing stamps, which costs a few system calls.

#include "ReferenceFiles.h"

#include <array>
#include <filesystem>
#include <string>

namespace pelmora {

class ReferenceStamps {
  public:
    // The stamps of the six files under root, in their usual order.
    static ReferenceStamps read(const std::filesystem::path& root);
    // The stamp of one file; empty when there is no such file.
    static std::string stamp(const std::filesystem::path& file);

    const std::string& operator[](std::size_t index) const { return stamps_.at(index); }
    std::string& operator[](std::size_t index) { return stamps_.at(index); }
    bool operator==(const ReferenceStamps&) const = default;

  private:
    std::array<std::string, ReferenceFiles::kCount> stamps_;
};

} // namespace pelmora
