#pragma once
// A reference connection over unixODBC: the central server through its TDS
// driver, or a reference file through the SQLite driver. The driver is named
// in the connection string (by path, no registration needed). Parameters are
// bound as variable-length text of their declared sizes; rows are read whole
// into the same record set the SQLite connection gives, with numbers turned
// back into numbers by the column's reported type.

#include "DbError.h"
#include "RefConnection.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace pelmora {

// One diagnostic record of the driver manager or the driver.
struct OdbcDiagnostic {
    std::string sqlState;
    std::int32_t nativeError = 0;
    std::string message;
};

// A failed ODBC call: the error number callers test (a lost or refused
// connection is kConnection, a failed statement kStatementFailed) and every
// diagnostic the driver gave, first one first.
class OdbcError : public DbError {
  public:
    OdbcError(std::int32_t number, std::string description, std::vector<OdbcDiagnostic> diagnostics)
        : DbError(number, std::move(description)), diagnostics_(std::move(diagnostics)) {}
    const std::vector<OdbcDiagnostic>& diagnostics() const { return diagnostics_; }
    // The bracketed components in front of the first message, such as
    // "[unixODBC][FreeTDS][SQL Server]"; "ODBC" when there are none.
    std::string source() const;

  private:
    std::vector<OdbcDiagnostic> diagnostics_;
};

class OdbcRefConnection : public RefConnection {
  public:
    // Opens a connection; the login time-out bounds the whole attempt, so an
    // unreachable server cannot hold start-up. Without a dialect, a connection
    // through the SQLite driver speaks the local dialect and any other T-SQL.
    // Raises OdbcError.
    static std::unique_ptr<OdbcRefConnection> connect(const std::string& connectionString,
                                                      std::optional<Dialect> dialect = std::nullopt,
                                                      int loginTimeoutSeconds = 5);
    ~OdbcRefConnection() override;
    OdbcRefConnection(const OdbcRefConnection&) = delete;
    OdbcRefConnection& operator=(const OdbcRefConnection&) = delete;

    Dialect dialect() const override { return dialect_; }
    RecordSet query(const std::string& sql, const std::vector<RefParam>& params) override;
    // Runs a statement that returns no rows; the number of rows it changed,
    // -1 when the driver cannot tell.
    long long execute(const std::string& sql, const std::vector<RefParam>& params = {});

    // Catalog reads, in the column layout ODBC defines for them
    // (TABLE_NAME, TABLE_TYPE; COLUMN_NAME, TYPE_NAME, COLUMN_SIZE, NULLABLE,
    // IS_NULLABLE; INDEX_NAME, NON_UNIQUE, ORDINAL_POSITION).
    RecordSet tables();
    RecordSet columns(const std::string& table);
    RecordSet statistics(const std::string& table);

    // Seconds a statement may run; 0 for no limit.
    void setQueryTimeout(int seconds);
    int queryTimeout() const { return queryTimeout_; }
    // False once the driver reports the link dead.
    bool isOpen() const;
    std::string driverName() const;
    std::size_t preparedCount() const { return cache_.size(); }

  private:
    explicit OdbcRefConnection(void* dbc);
    void* prepared(const std::string& sql);
    void* freshStatement();
    void bindAndRun(void* stmt, const std::vector<RefParam>& params);
    RecordSet readAll(void* stmt);
    void releaseCache();

    void* dbc_ = nullptr;
    Dialect dialect_ = Dialect::TSql;
    int queryTimeout_ = 0;
    std::unordered_map<std::string, void*> cache_;
};

// The value a text from the driver stands for, given the column's SQL type
// and type name: whole numbers and doubles as numbers, money and currency
// columns as money, everything else as text.
Variant odbcValue(const std::string& text, int sqlType, const std::string& typeName);

// Braces a connection-string value when it holds a character the key=value
// syntax would misread.
std::string odbcQuote(const std::string& value);

} // namespace pelmora
