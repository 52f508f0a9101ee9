#pragma once
// The connection object the toolkit hands out (what `cn` holds): the
// connection string as it was asked for, the ODBC string it was mapped to,
// its state, its time-outs and the diagnostics of its last failed open. It
// is itself a reference connection, so the lookups run on it directly.

#include "OdbcRefConnection.h"

#include <memory>
#include <string>
#include <vector>

namespace pelmora {

class KvAdoConnection : public RefConnection {
  public:
    static constexpr int kStateClosed = 0;
    static constexpr int kStateOpen = 1;

    // The toolkit's record of what was asked, in the form the callers know;
    // emptied when opening fails.
    std::string ConnectionString;
    int CursorLocation = 3;
    int Mode = 3;
    int CommandTimeout = 30;
    int ConnectionTimeout = 15;

    int State() const { return odbc_ ? kStateOpen : kStateClosed; }
    // Opens the ODBC string in the given dialect within ConnectionTimeout
    // seconds; on failure the connection stays closed and Errors() holds what
    // the driver said. Never raises.
    bool Open(const std::string& odbcString, Dialect dialect);
    // Closes and opens again on the same strings (the lost-connection rule).
    bool Reopen(int timeoutSeconds);
    void Close();
    const std::vector<OdbcDiagnostic>& Errors() const { return errors_; }
    // The error that made the last Open fail (number and description).
    const RuntimeError& LastOpenError() const { return lastOpenError_; }
    const std::string& odbcString() const { return odbcString_; }

    Dialect dialect() const override { return dialect_; }
    // Raises 3704 on a closed connection, OdbcError from the driver.
    RecordSet query(const std::string& sql, const std::vector<RefParam>& params) override;
    long long execute(const std::string& sql, const std::vector<RefParam>& params = {});
    // The open ODBC connection; raises 3704 when closed.
    OdbcRefConnection& odbc();
    // True while the driver has not reported the link dead.
    bool alive() const { return odbc_ && odbc_->isOpen(); }

  private:
    std::unique_ptr<OdbcRefConnection> odbc_;
    std::string odbcString_;
    Dialect dialect_ = Dialect::TSql;
    std::vector<OdbcDiagnostic> errors_;
    RuntimeError lastOpenError_{0, ""};
};

namespace dberr {
// Operation on a closed connection, the record sets' own number; ignored by
// the toolkit's record-set and statement calls.
inline constexpr std::int32_t kObjectClosed = 3704;
// The generic provider failure number the lost-connection rule looks for.
inline constexpr std::int32_t kProviderFailure = -2147467259; // &H80004005
} // namespace dberr

} // namespace pelmora
