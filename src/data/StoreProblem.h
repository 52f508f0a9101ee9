#pragma once
// Why the prescription store could not be opened, in words the pharmacist
// can act on, and the checks of the file itself that tell one cause from
// another: a folder where the file belongs, a file that is no database, one
// cut short, one others may read.

#include <filesystem>
#include <string>

namespace pelmora {

enum class StoreProblem {
    None,
    NoPath,       // no file name given
    Folder,       // a folder stands where the file belongs
    NotAFile,     // a device, socket or other special file
    CannotCreate, // the file is missing and cannot be made (no folder, no right to write)
    NotADatabase, // the file is no SQLite database
    Truncated,    // the file is shorter than its own header says
    Damaged,      // the database reports itself corrupt
    ReadOnly,     // the file or its folder may not be written
    Locked,       // another program holds the store
    NotAStore,    // a database, but not this program's store, or of a newer layout it cannot use
    DiskFull,     // no room left on the disk
    Other,        // anything else; the detail says what
};

struct StoreOpenReport {
    StoreProblem problem = StoreProblem::None;
    // The technical cause (the database's or the system's words), for the log.
    std::string detail;
    // The file could be read by the group or by others and was set back to
    // owner-only on this opening.
    bool permissionsTightened = false;
};

// One Korean sentence for the problem; empty for None.
std::string StoreProblemText(StoreProblem problem);

// Reads the first bytes of an existing file: NotADatabase when it does not
// start like an SQLite database, Truncated when it is shorter than the
// page count its header vouches for, None otherwise.
StoreProblem StoreHeaderProblem(const std::filesystem::path& file);

// A store readable by group or others is made owner-only (it holds resident
// numbers). True when the permissions were changed.
bool TightenStorePermissions(const std::filesystem::path& file);

} // namespace pelmora
