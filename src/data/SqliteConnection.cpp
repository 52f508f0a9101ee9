#include "SqliteConnection.h"

#include <sqlite3.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelmora {

namespace {
constexpr int kBusyTimeoutMs = 5000;
constexpr std::size_t kCacheLimit = 256;

bool declaredMoney(const char* decl) {
    if (!decl) return false;
    std::string d(decl);
    for (auto& c : d) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return d.find("MONEY") != std::string::npos || d.find("CURRENCY") != std::string::npos;
}

Variant columnValue(sqlite3_stmt* st, int i) {
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        return Variant::null();
    case SQLITE_INTEGER: {
        sqlite3_int64 v = sqlite3_column_int64(st, i);
        if (declaredMoney(sqlite3_column_decltype(st, i))) {
            if (v > 922337203685477LL || v < -922337203685477LL) return static_cast<double>(v);
            return Currency::fromWon(v);
        }
        if (v >= INT32_MIN && v <= INT32_MAX) return static_cast<std::int32_t>(v);
        return static_cast<double>(v);
    }
    case SQLITE_FLOAT: {
        double v = sqlite3_column_double(st, i);
        if (declaredMoney(sqlite3_column_decltype(st, i))) {
            if (auto c = Currency::tryParse(doubleToText(v))) return *c;
        }
        return v;
    }
    default: {
        const unsigned char* t = sqlite3_column_text(st, i);
        int n = sqlite3_column_bytes(st, i);
        return std::string(reinterpret_cast<const char*>(t ? t : reinterpret_cast<const unsigned char*>("")),
                           static_cast<std::size_t>(n));
    }
    }
}

struct ResetGuard {
    sqlite3_stmt* st;
    ~ResetGuard() {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }
};
} // namespace

// What is wrong with the file or the disk reaches the pharmacist in Korean;
// a failing statement keeps the database's words, which name the table or
// column at fault for the maintainer.
DbError sqliteError(int rc, const std::string& message) {
    switch (rc & 0xff) {
    case SQLITE_CANTOPEN:
        return {dberr::kCannotOpen, "저장소 파일을 열 수 없습니다.", message};
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return {dberr::kCannotOpen, "저장소 파일을 사용할 권한이 없습니다.", message};
    case SQLITE_NOTADB:
        return {dberr::kNotADatabase, "데이터베이스 파일이 아닙니다.", message};
    case SQLITE_CORRUPT:
        return {dberr::kNotADatabase, "데이터베이스 파일이 손상되었습니다.", message};
    case SQLITE_FULL:
        return {dberr::kDiskFull, "디스크 공간이 부족하여 저장할 수 없습니다.", message};
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {dberr::kBusy, "다른 프로그램이 저장소를 사용하고 있어 잠겨 있습니다. 잠시 후 다시 해 주십시오.",
                message};
    case SQLITE_READONLY:
        return {dberr::kReadOnly, "저장소가 읽기 전용이어서 쓸 수 없습니다.", message};
    case SQLITE_IOERR:
    case SQLITE_PROTOCOL:
        return {dberr::kIo, "저장소 파일을 읽거나 쓰는 중에 입출력 오류가 발생했습니다.", message};
    case SQLITE_NOMEM:
        return {dberr::kIo, "메모리가 부족합니다.", message};
    default:
        return {dberr::kStatementFailed, message};
    }
}

SqliteConnection::SqliteConnection(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
}

SqliteConnection::~SqliteConnection() {
    for (auto& [sql, st] : cache_) sqlite3_finalize(st);
    sqlite3_close_v2(db_);
}


std::unique_ptr<SqliteConnection> SqliteConnection::create(const std::string& path, bool attachUris) {
    // Create the file ourselves so it is owner-only from the first byte; a
    // zero-byte file left by an interrupted first start counts as new.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) {
        struct stat sb {};
        if (::stat(path.c_str(), &sb) == 0 && S_ISREG(sb.st_mode) && sb.st_size == 0) {
            ::chmod(path.c_str(), 0600);
        } else {
            throw DbError(dberr::kCannotOpen, "file already exists: " + path);
        }
    } else if (fd < 0) {
        throw DbError(dberr::kCannotOpen, std::string(std::strerror(errno)) + ": " + path);
    } else {
        ::close(fd);
    }
    sqlite3* db = nullptr;
    // The file's own name is never read as a URI: it is opened by path.
    const std::string name = attachUris ? "file:" + uriPath(path) : path;
    int rc = sqlite3_open_v2(name.c_str(), &db, SQLITE_OPEN_READWRITE | (attachUris ? SQLITE_OPEN_URI : 0),
                             nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        throw sqliteError(rc, msg);
    }
    return std::unique_ptr<SqliteConnection>(new SqliteConnection(db, path));
}

std::string SqliteConnection::uriPath(const std::string& path) {
    static const char* hex = "0123456789ABCDEF";
    std::string uri;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

std::unique_ptr<SqliteConnection> SqliteConnection::open(const std::string& path, OpenMode mode) {
    int flags = mode == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        throw sqliteError(rc, msg);
    }
    auto c = std::unique_ptr<SqliteConnection>(new SqliteConnection(db, path));
    // Opening is lazy in SQLite: read the header now so a file that is not a
    // database is reported here, not at the first statement.
    char* err = nullptr;
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errstr(rc);
        sqlite3_free(err);
        throw sqliteError(rc == SQLITE_ERROR ? SQLITE_NOTADB : rc, msg);
    }
    return c;
}

std::unique_ptr<SqliteConnection> SqliteConnection::memory() {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        throw sqliteError(rc, sqlite3_errstr(rc));
    }
    return std::unique_ptr<SqliteConnection>(new SqliteConnection(db, ":memory:"));
}

void SqliteConnection::fail(int rc) const { throw sqliteError(rc, sqlite3_errmsg(db_)); }

sqlite3_stmt* SqliteConnection::prepared(const std::string& sql) {
    auto it = cache_.find(sql);
    if (it != cache_.end()) return it->second;
    if (cache_.size() >= kCacheLimit) {
        for (auto& [k, st] : cache_) sqlite3_finalize(st);
        cache_.clear();
    }
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &st, &tail);
    if (rc != SQLITE_OK) fail(rc);
    if (!st) throw DbError(dberr::kStatementFailed, "empty statement");
    cache_.emplace(sql, st);
    return st;
}

void SqliteConnection::bind(sqlite3_stmt* st, const std::vector<Variant>& params) {
    int expected = sqlite3_bind_parameter_count(st);
    if (static_cast<int>(params.size()) != expected)
        throw DbError(dberr::kStatementFailed, "bind or column index out of range");
    for (int i = 0; i < expected; ++i) {
        const Variant& v = params[static_cast<std::size_t>(i)];
        int rc = SQLITE_OK;
        switch (v.kind()) {
        case Variant::Kind::Empty:
        case Variant::Kind::Null:
            rc = sqlite3_bind_null(st, i + 1);
            break;
        case Variant::Kind::Boolean:
        case Variant::Kind::Integer:
        case Variant::Kind::Long:
            rc = sqlite3_bind_int64(st, i + 1, v.toInt32());
            break;
        case Variant::Kind::Double:
            rc = sqlite3_bind_double(st, i + 1, v.toDouble());
            break;
        case Variant::Kind::Currency: {
            Currency c = v.toCurrency();
            // Whole won are stored as integers, as the concatenated numerals always were.
            rc = c.isWhole() ? sqlite3_bind_int64(st, i + 1, c.ticks() / Currency::kScale)
                             : sqlite3_bind_double(st, i + 1, c.toDouble());
            break;
        }
        case Variant::Kind::String: {
            const std::string& s = *v.asString();
            rc = sqlite3_bind_text(st, i + 1, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
            break;
        }
        }
        if (rc != SQLITE_OK) fail(rc);
    }
}

void SqliteConnection::execute(const std::string& sql, const std::vector<Variant>& params) {
    sqlite3_stmt* st = prepared(sql);
    ResetGuard guard{st};
    bind(st, params);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) fail(rc);
}

void SqliteConnection::executeScript(const std::string& sql) {
    char* err = nullptr;
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errmsg(db_);
        sqlite3_free(err);
        throw sqliteError(rc, msg);
    }
}

RecordSet SqliteConnection::query(const std::string& sql, const std::vector<Variant>& params) {
    sqlite3_stmt* st = prepared(sql);
    ResetGuard guard{st};
    bind(st, params);
    int n = sqlite3_column_count(st);
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const char* nm = sqlite3_column_name(st, i);
        names.emplace_back(nm ? nm : "");
    }
    std::vector<std::vector<Variant>> rows;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::vector<Variant> row;
        row.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) row.push_back(columnValue(st, i));
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) fail(rc);
    return RecordSet(std::move(names), std::move(rows));
}

void SqliteConnection::each(const std::string& sql, const std::vector<Variant>& params,
                            const std::function<void(const SqliteRow&)>& fn) {
    sqlite3_stmt* st = prepared(sql);
    ResetGuard guard{st};
    bind(st, params);
    const SqliteRow row(st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) fn(row);
    if (rc != SQLITE_DONE) fail(rc);
}

long long SqliteConnection::changes() const { return sqlite3_changes64(db_); }

void SqliteConnection::begin(bool immediate) { executeScript(immediate ? "BEGIN IMMEDIATE" : "BEGIN"); }
void SqliteConnection::commit() { executeScript("COMMIT"); }
void SqliteConnection::rollback() {
    if (inTransaction()) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}
bool SqliteConnection::readOnly() const { return sqlite3_db_readonly(db_, "main") == 1; }
bool SqliteConnection::inTransaction() const { return sqlite3_get_autocommit(db_) == 0; }

} // namespace pelmora
