#pragma once
// Why an update of the reference files was refused or failed, in words a
// pharmacist reads. The reference files are then as they were before.

#include <stdexcept>
#include <string>

namespace pelmora {

class ImportError : public std::runtime_error {
  public:
    enum class Kind {
        BadFile,   // not a spreadsheet, damaged, or not a drug price list
        NoDate,    // the effective date is in neither name, or the two disagree
        OlderList, // older than the last list taken in; may be forced
        NoRoot,    // the reference file to update is missing
        Exists,    // reference files are there and were not to be replaced
        Busy,      // another update of the same file is running
        Cancelled, // stopped by the user
        Failed     // the disk or the database failed
    };
    ImportError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

  private:
    Kind kind_;
};

} // namespace pelmora
