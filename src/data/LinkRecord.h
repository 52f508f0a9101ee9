#pragma once
// The record a link database keeps of what it was built from: the format of
// the build, the SQLite library that ordered its search index, and the stamp
// of every reference file taken before the file was read. The record is the
// last thing written, so a link database without a whole record was never
// finished; one whose record differs from the files is out of date.

#include "ReferenceStamps.h"

#include <optional>

namespace pelmora {

class SqliteConnection;

class LinkRecord {
  public:
    // Raise when the way the link database is built changes, so that link
    // databases of the earlier way are built again.
    static constexpr int kFormat = 2;

    static void write(SqliteConnection& db, const ReferenceStamps& stamps);
    // The stamps recorded in db; nullopt when the record is missing or
    // damaged, from another format or library, or the file is cut short.
    static std::optional<ReferenceStamps> read(SqliteConnection& db);
};

} // namespace pelmora
