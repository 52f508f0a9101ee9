#include "OdbcRefConnection.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

namespace pelmora {

namespace {
constexpr std::size_t kCacheLimit = 64;

SQLHENV environment() {
    static SQLHENV env = [] {
        SQLHENV h = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h)))
            throw OdbcError(dberr::kConnection, "ODBC environment cannot be created", {});
        SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return h;
    }();
    return env;
}

std::vector<OdbcDiagnostic> diagnosticsOf(SQLSMALLINT type, SQLHANDLE h) {
    std::vector<OdbcDiagnostic> out;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[1024] = {};
        SQLSMALLINT len = 0;
        SQLRETURN rc = SQLGetDiagRec(type, h, i, state, &native, text, sizeof text, &len);
        if (!SQL_SUCCEEDED(rc)) break;
        out.push_back({reinterpret_cast<char*>(state), static_cast<std::int32_t>(native),
                       reinterpret_cast<char*>(text)});
    }
    return out;
}

bool connectionState(const std::string& state) {
    return state.rfind("08", 0) == 0 || state == "HYT01";
}

[[noreturn]] void raise(SQLSMALLINT type, SQLHANDLE h, const std::string& what, bool connecting = false) {
    auto diags = diagnosticsOf(type, h);
    std::string description = diags.empty() ? what : diags.front().message;
    bool lost = connecting || (!diags.empty() && connectionState(diags.front().sqlState));
    throw OdbcError(lost ? dberr::kConnection : dberr::kStatementFailed, description, std::move(diags));
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h, const char* what) {
    if (!SQL_SUCCEEDED(rc)) raise(type, h, what);
}

std::string upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::optional<long long> wholeNumber(const std::string& t) {
    long long v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || p != t.data() + t.size() || t.empty()) return std::nullopt;
    return v;
}

std::optional<double> realNumber(const std::string& t) {
    if (t.empty() || std::isspace(static_cast<unsigned char>(t.front()))) return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size()) return std::nullopt;
    return v;
}

struct StatementGuard {
    SQLHSTMT st;
    ~StatementGuard() { SQLFreeHandle(SQL_HANDLE_STMT, st); }
};

struct Column {
    std::string name;
    SQLSMALLINT type = SQL_VARCHAR;
    std::string typeName;
};

// Reads one column of the current row whole, in as many pieces as it takes.
std::optional<std::string> columnText(SQLHSTMT st, SQLUSMALLINT col) {
    std::string out;
    char buf[4096];
    for (;;) {
        SQLLEN ind = 0;
        SQLRETURN rc = SQLGetData(st, col, SQL_C_CHAR, buf, sizeof buf, &ind);
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, st, "SQLGetData");
        if (ind == SQL_NULL_DATA) return std::nullopt;
        if (rc == SQL_SUCCESS_WITH_INFO && (ind == SQL_NO_TOTAL || ind >= static_cast<SQLLEN>(sizeof buf))) {
            out.append(buf, sizeof buf - 1);
            continue;
        }
        out.append(buf, static_cast<std::size_t>(ind));
        break;
    }
    return out;
}
} // namespace

std::string OdbcError::source() const {
    if (diagnostics().empty()) return "ODBC";
    const std::string& m = diagnostics().front().message;
    std::size_t end = 0;
    while (end < m.size() && m[end] == '[') {
        auto close = m.find(']', end);
        if (close == std::string::npos) break;
        end = close + 1;
    }
    return end == 0 ? "ODBC" : m.substr(0, end);
}

Variant odbcValue(const std::string& text, int sqlType, const std::string& typeName) {
    std::string name = upper(typeName);
    bool money = name.find("MONEY") != std::string::npos || name.find("CURRENCY") != std::string::npos;
    // SQLite reports a MONEY column by its declared name only, as text.
    if (money) {
        if (auto c = Currency::tryParse(text)) return *c;
        if (auto d = realNumber(text))
            if (auto c = Currency::tryParse(doubleToText(*d))) return *c;
        return text;
    }
    switch (sqlType) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_BIT:
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        break;
    default:
        return text;
    }
    if (auto v = wholeNumber(text)) {
        if (*v >= INT32_MIN && *v <= INT32_MAX) return static_cast<std::int32_t>(*v);
        return static_cast<double>(*v);
    }
    if (auto d = realNumber(text)) return *d;
    return text;
}

std::string odbcQuote(const std::string& value) {
    if (value.find_first_of(";{}=") == std::string::npos && (value.empty() || value.front() != ' ') &&
        (value.empty() || value.back() != ' '))
        return value;
    std::string out = "{";
    for (char c : value) {
        out += c;
        if (c == '}') out += '}';
    }
    return out + "}";
}

std::unique_ptr<OdbcRefConnection> OdbcRefConnection::connect(const std::string& connectionString,
                                                              std::optional<Dialect> dialect,
                                                              int loginTimeoutSeconds) {
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment(), &dbc)))
        raise(SQL_HANDLE_ENV, environment(), "SQLAllocHandle", true);
    std::unique_ptr<OdbcRefConnection> c(new OdbcRefConnection(dbc));
    if (loginTimeoutSeconds > 0) {
        SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginTimeoutSeconds)), 0);
    }
    SQLCHAR out[1024];
    SQLSMALLINT outLen = 0;
    SQLRETURN rc = SQLDriverConnect(
        dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectionString.c_str())),
        static_cast<SQLSMALLINT>(connectionString.size()), out, sizeof out, &outLen, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) {
        auto diags = diagnosticsOf(SQL_HANDLE_DBC, dbc);
        std::string description = diags.empty() ? "connection failed" : diags.front().message;
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        c->dbc_ = nullptr;
        throw OdbcError(dberr::kConnection, description, std::move(diags));
    }
    if (dialect) {
        c->dialect_ = *dialect;
    } else {
        c->dialect_ =
            upper(c->driverName()).find("SQLITE") != std::string::npos ? Dialect::Local : Dialect::TSql;
    }
    return c;
}

OdbcRefConnection::OdbcRefConnection(void* dbc) : dbc_(dbc) {}

OdbcRefConnection::~OdbcRefConnection() {
    releaseCache();
    if (dbc_) {
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    }
}

void OdbcRefConnection::releaseCache() {
    for (auto& [sql, st] : cache_)
        SQLFreeHandle(SQL_HANDLE_STMT, st);
    cache_.clear();
}

std::string OdbcRefConnection::driverName() const {
    SQLCHAR name[256] = {};
    SQLSMALLINT len = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc_, SQL_DRIVER_NAME, name, sizeof name, &len))) return {};
    return reinterpret_cast<char*>(name);
}

bool OdbcRefConnection::isOpen() const {
    SQLUINTEGER dead = SQL_CD_FALSE;
    if (!SQL_SUCCEEDED(SQLGetConnectAttr(dbc_, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr))) return true;
    return dead != SQL_CD_TRUE;
}

void OdbcRefConnection::setQueryTimeout(int seconds) {
    queryTimeout_ = std::max(0, seconds);
    for (auto& [sql, st] : cache_)
        SQLSetStmtAttr(st, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeout_)), 0);
}

void* OdbcRefConnection::freshStatement() {
    SQLHSTMT st = SQL_NULL_HSTMT;
    check(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st), SQL_HANDLE_DBC, dbc_, "SQLAllocHandle");
    if (queryTimeout_ > 0)
        SQLSetStmtAttr(st, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeout_)), 0);
    return st;
}

void* OdbcRefConnection::prepared(const std::string& sql) {
    auto it = cache_.find(sql);
    if (it != cache_.end()) return it->second;
    if (cache_.size() >= kCacheLimit) releaseCache();
    SQLHSTMT st = freshStatement();
    SQLRETURN rc = SQLPrepare(st, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                              static_cast<SQLINTEGER>(sql.size()));
    if (!SQL_SUCCEEDED(rc)) {
        auto diags = diagnosticsOf(SQL_HANDLE_STMT, st);
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        bool lost = !diags.empty() && connectionState(diags.front().sqlState);
        std::string description = diags.empty() ? "SQLPrepare" : diags.front().message;
        throw OdbcError(lost ? dberr::kConnection : dberr::kStatementFailed, description, std::move(diags));
    }
    cache_.emplace(sql, st);
    return st;
}

void OdbcRefConnection::bindAndRun(void* stmt, const std::vector<RefParam>& params) {
    SQLHSTMT st = stmt;
    SQLFreeStmt(st, SQL_CLOSE);
    SQLFreeStmt(st, SQL_RESET_PARAMS);
    SQLSMALLINT expected = 0;
    if (SQL_SUCCEEDED(SQLNumParams(st, &expected)) && expected != static_cast<SQLSMALLINT>(params.size()))
        throw DbError(dberr::kStatementFailed, "bind or column index out of range");
    // The buffers must stay put until the statement has run.
    std::vector<SQLLEN> lengths(params.size());
    for (std::size_t i = 0; i < params.size(); ++i) {
        const std::string& v = params[i].value;
        lengths[i] = static_cast<SQLLEN>(v.size());
        auto size =
            static_cast<SQLULEN>(std::max(v.size(), static_cast<std::size_t>(std::max(params[i].size, 1))));
        check(SQLBindParameter(st, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                               size, 0, const_cast<char*>(v.data()), lengths[i], &lengths[i]),
              SQL_HANDLE_STMT, st, "SQLBindParameter");
    }
    SQLRETURN rc = SQLExecute(st);
    if (rc == SQL_NO_DATA) return;
    if (!SQL_SUCCEEDED(rc)) raise(SQL_HANDLE_STMT, st, "SQLExecute");
}

RecordSet OdbcRefConnection::readAll(void* stmt) {
    SQLHSTMT st = stmt;
    SQLSMALLINT count = 0;
    // A batch may report row counts before the rows; the first result with
    // columns is the record set.
    for (;;) {
        check(SQLNumResultCols(st, &count), SQL_HANDLE_STMT, st, "SQLNumResultCols");
        if (count > 0) break;
        SQLRETURN rc = SQLMoreResults(st);
        if (rc == SQL_NO_DATA) return {};
        check(rc, SQL_HANDLE_STMT, st, "SQLMoreResults");
    }
    std::vector<Column> cols(static_cast<std::size_t>(count));
    for (SQLSMALLINT i = 0; i < count; ++i) {
        SQLCHAR name[512] = {};
        SQLSMALLINT nameLen = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        check(SQLDescribeCol(st, static_cast<SQLUSMALLINT>(i + 1), name, sizeof name, &nameLen, &type, &size,
                             &digits, &nullable),
              SQL_HANDLE_STMT, st, "SQLDescribeCol");
        SQLCHAR typeName[128] = {};
        SQLSMALLINT tnLen = 0;
        SQLColAttribute(st, static_cast<SQLUSMALLINT>(i + 1), SQL_DESC_TYPE_NAME, typeName, sizeof typeName,
                        &tnLen, nullptr);
        cols[static_cast<std::size_t>(i)] = {reinterpret_cast<char*>(name), type,
                                             reinterpret_cast<char*>(typeName)};
    }
    std::vector<std::vector<Variant>> rows;
    for (;;) {
        SQLRETURN rc = SQLFetch(st);
        if (rc == SQL_NO_DATA) break;
        check(rc, SQL_HANDLE_STMT, st, "SQLFetch");
        std::vector<Variant> row;
        row.reserve(cols.size());
        for (std::size_t i = 0; i < cols.size(); ++i) {
            auto text = columnText(st, static_cast<SQLUSMALLINT>(i + 1));
            row.push_back(text ? odbcValue(*text, cols[i].type, cols[i].typeName) : Variant::null());
        }
        rows.push_back(std::move(row));
    }
    SQLFreeStmt(st, SQL_CLOSE);
    std::vector<std::string> names;
    names.reserve(cols.size());
    for (auto& c : cols)
        names.push_back(std::move(c.name));
    return RecordSet(std::move(names), std::move(rows));
}

RecordSet OdbcRefConnection::query(const std::string& sql, const std::vector<RefParam>& params) {
    void* st = prepared(sql);
    bindAndRun(st, params);
    return readAll(st);
}

long long OdbcRefConnection::execute(const std::string& sql, const std::vector<RefParam>& params) {
    // Statements that change things run once; they are not kept prepared.
    SQLHSTMT st = freshStatement();
    StatementGuard guard{st};
    check(SQLPrepare(st, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())),
                     static_cast<SQLINTEGER>(sql.size())),
          SQL_HANDLE_STMT, st, "SQLPrepare");
    bindAndRun(st, params);
    SQLLEN n = -1;
    if (!SQL_SUCCEEDED(SQLRowCount(st, &n))) n = -1;
    while (SQL_SUCCEEDED(SQLMoreResults(st))) {
    }
    return n;
}

RecordSet OdbcRefConnection::tables() {
    SQLHSTMT st = freshStatement();
    StatementGuard guard{st};
    check(SQLTables(st, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), SQL_HANDLE_STMT, st, "SQLTables");
    return readAll(st);
}

RecordSet OdbcRefConnection::columns(const std::string& table) {
    SQLHSTMT st = freshStatement();
    StatementGuard guard{st};
    check(SQLColumns(st, nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR*>(const_cast<char*>(table.c_str())),
                     static_cast<SQLSMALLINT>(table.size()), nullptr, 0),
          SQL_HANDLE_STMT, st, "SQLColumns");
    return readAll(st);
}

RecordSet OdbcRefConnection::statistics(const std::string& table) {
    SQLHSTMT st = freshStatement();
    StatementGuard guard{st};
    check(SQLStatistics(st, nullptr, 0, nullptr, 0,
                        reinterpret_cast<SQLCHAR*>(const_cast<char*>(table.c_str())),
                        static_cast<SQLSMALLINT>(table.size()), SQL_INDEX_ALL, SQL_QUICK),
          SQL_HANDLE_STMT, st, "SQLStatistics");
    return readAll(st);
}

} // namespace pelmora
