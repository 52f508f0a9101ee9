#pragma once
// Database errors. A statement that fails raises exactly -2147221504
// (&H80040000), the number the schema migration skips on; everything else
// about the file (cannot open or create, not a database, disk full, busy,
// read-only, I/O) has a number of its own so callers never mistake it for a
// failed statement.

#include "util/RuntimeError.h"

namespace pelmora {

namespace dberr {
inline constexpr std::int32_t kStatementFailed = -2147221504; // &H80040000
inline constexpr std::int32_t kCannotOpen = -2147221503;
inline constexpr std::int32_t kNotADatabase = -2147221502;
inline constexpr std::int32_t kDiskFull = -2147221501;
inline constexpr std::int32_t kBusy = -2147221500;
inline constexpr std::int32_t kReadOnly = -2147221499;
inline constexpr std::int32_t kIo = -2147221498;
inline constexpr std::int32_t kConnection = -2147221497; // connection closed or lost
// Record-set errors with the numbers the record sets of the runtime used.
inline constexpr std::int32_t kItemNotFound = 3265;
inline constexpr std::int32_t kNoCurrentRecord = 3021;
} // namespace dberr

class DbError : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
    // The description is what the pharmacist reads; the detail keeps the
    // database's own words for the log.
    DbError(std::int32_t number, std::string description, std::string detail)
        : RuntimeError(number, std::move(description)), detail_(std::move(detail)) {}
    bool isStatementFailure() const { return number() == dberr::kStatementFailed; }
    const std::string& detail() const { return detail_; }

  private:
    std::string detail_;
};

} // namespace pelmora
