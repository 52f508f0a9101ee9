#pragma once
// What can go wrong with a backup or a restore, and the words the window and
// the command line both use for it. Whatever the fault, the store itself is
// left as it was.

#include <stdexcept>
#include <string>

namespace pelmora {

enum class BackupFault {
    NoFolder,          // no backup folder in the settings
    FolderMissing,     // the folder (a stick that is not plugged in) is not there
    FolderNotWritable, //
    RemovableNoKey,    // no passphrase set, and the folder is on removable media
    NotABackup,        // not a file this program wrote
    Damaged,           // a changed byte, a file that is not what it says
    Truncated,         // the file ends before its last part
    WrongPassphrase,   //
    NeedPassphrase,    // an encrypted backup and no passphrase given
    CheckFailed,       // the copy failed the database's own check
    CountsDiffer,      // the copy holds other row counts than its source
    Io,                // reading or writing failed (disk full, device gone)
    StoreFailed,       // the store could not be read or written
    Unsupported,       // a later format, or a store this program cannot open
    Cancelled,         // stopped by the user
};

class BackupError : public std::runtime_error {
  public:
    BackupError(BackupFault fault, std::string detail = {});
    BackupFault fault() const { return fault_; }
    const std::string& detail() const { return detail_; }
    // The Korean message for the pharmacist, with the detail where it helps.
    std::string text() const;

  private:
    BackupFault fault_;
    std::string detail_;
};

} // namespace pelmora
