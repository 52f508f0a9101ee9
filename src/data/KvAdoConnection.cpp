#include "KvAdoConnection.h"

namespace pelmora {

namespace {
DbError closedError() {
    return DbError(dberr::kObjectClosed, "연결이 닫혀 있어 작업을 할 수 없습니다.");
}
} // namespace

bool KvAdoConnection::Open(const std::string& odbcString, Dialect dialect) {
    Close();
    odbcString_ = odbcString;
    dialect_ = dialect;
    errors_.clear();
    try {
        odbc_ = OdbcRefConnection::connect(odbcString, dialect, ConnectionTimeout);
        odbc_->setQueryTimeout(CommandTimeout);
        return true;
    } catch (const OdbcError& e) {
        errors_ = e.diagnostics();
        lastOpenError_ = RuntimeError(e.number(), e.description());
    } catch (const RuntimeError& e) {
        lastOpenError_ = e;
    } catch (const std::exception& e) {
        lastOpenError_ = RuntimeError(dberr::kConnection, e.what());
    }
    return false;
}

bool KvAdoConnection::Reopen(int timeoutSeconds) {
    if (ConnectionString.empty() || odbcString_.empty()) return false;
    ConnectionTimeout = timeoutSeconds >= 1 ? timeoutSeconds : 10;
    std::string s = odbcString_;
    return Open(s, dialect_);
}

void KvAdoConnection::Close() {
    odbc_.reset();
}

OdbcRefConnection& KvAdoConnection::odbc() {
    if (!odbc_) throw closedError();
    return *odbc_;
}

RecordSet KvAdoConnection::query(const std::string& sql, const std::vector<RefParam>& params) {
    return odbc().query(sql, params);
}

long long KvAdoConnection::execute(const std::string& sql, const std::vector<RefParam>& params) {
    return odbc().execute(sql, params);
}

} // namespace pelmora
