#include "ReferenceSource.h"

#include "LinkBuilder.h"
#include "LinkDatabase.h"
#include "ReferenceFiles.h"
#include "SqliteConnection.h"

#include <sqlite3.h>

#include <cstring>

namespace pelmora {

namespace {

bool sameName(const std::string& a, const std::string& b) {
    return sqlite3_stricmp(a.c_str(), b.c_str()) == 0;
}

// The source may only be read: the builder's own fixed statements select
// from it, list its tables and columns, and hold one read transaction.
int readOnlyPolicy(void*, int action, const char* arg1, const char* arg2, const char*, const char*) {
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_TRANSACTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_PRAGMA:
        return arg1 && sqlite3_stricmp(arg1, "table_info") == 0 ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_UPDATE:
        // asked of the schema table while the list of a table's columns is
        // prepared; the connection is read-only, nothing can be written
        return arg1 && sqlite3_stricmp(arg1, "sqlite_master") == 0 ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_FUNCTION:
        return arg2 && sqlite3_stricmp(arg2, "load_extension") == 0 ? SQLITE_DENY : SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

} // namespace

ReferenceSource::ReferenceSource(std::size_t index, const std::filesystem::path& file) : file_(file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) throw error(dberr::kCannotOpen, "을 읽을 수 없습니다. (" + ec.message() + ")");
    if (size == 0) throw error(dberr::kNotADatabase, "이 비어 있습니다.");

    int rc = sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        const std::string msg = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw error(dberr::kCannotOpen, "을 읽을 수 없습니다. (" + msg + ")");
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 5000);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, LinkBuilder::kMaxValueBytes);
    sqlite3_set_authorizer(db_, readOnlyPolicy, nullptr);

    // One read transaction: the tables are copied from one state of the file
    // even when another program writes it meanwhile.
    rc = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw readError(rc, "");
    readTables();
    checkRequired(index);
}

ReferenceSource::~ReferenceSource() {
    sqlite3_close_v2(db_);
}

DbError ReferenceSource::error(std::int32_t number, const std::string& what) const {
    return DbError(number, file_.string() + " 파일" + what);
}

DbError ReferenceSource::readError(int rc, const std::string& table) const {
    const std::string detail = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return error(dberr::kNotADatabase,
                     "은 데이터베이스 파일이 아니거나 손상되었습니다. (" + detail + ")");
    case SQLITE_TOOBIG:
        return error(dberr::kStatementFailed, "의 " + table + " 표에 16MB가 넘는 값이 있습니다.");
    default:
        break;
    }
    const DbError base = sqliteError(rc, detail);
    if (table.empty()) return error(base.number(), "을 읽을 수 없습니다. (" + detail + ")");
    return error(base.number(), "의 " + table + " 표를 읽지 못했습니다. (" + detail + ")");
}

sqlite3_stmt* ReferenceSource::prepare(const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr);
    if (rc != SQLITE_OK) throw readError(rc, "");
    return st;
}

void ReferenceSource::readTables() {
    // Ordinary tables only: a virtual table needs a module the file cannot
    // bring along, and views are queries, not data.
    sqlite3_stmt* list = prepare("SELECT name, coalesce(sql, '') FROM sqlite_master WHERE type = 'table' "
                                 "ORDER BY rowid");
    sqlite3_stmt* cols = nullptr;
    try {
        int rc;
        while ((rc = sqlite3_step(list)) == SQLITE_ROW) {
            const char* name = reinterpret_cast<const char*>(sqlite3_column_text(list, 0));
            const int bytes = sqlite3_column_bytes(list, 0);
            const std::string sql = reinterpret_cast<const char*>(sqlite3_column_text(list, 1));
            if (!name || bytes == 0 || std::strlen(name) != static_cast<std::size_t>(bytes))
                throw error(dberr::kStatementFailed, "에 이름을 쓸 수 없는 표가 있습니다.");
            if (sqlite3_strnicmp(sql.c_str(), "CREATE VIRTUAL", 14) == 0) continue;
            Table table{name, {}};
            if (!LinkDatabase::isCopied(table.name)) continue;
            if (!cols) cols = prepare("SELECT name, type FROM pragma_table_info(?1)");
            sqlite3_bind_text(cols, 1, table.name.data(), static_cast<int>(table.name.size()),
                              SQLITE_TRANSIENT);
            while ((rc = sqlite3_step(cols)) == SQLITE_ROW) {
                const char* c = reinterpret_cast<const char*>(sqlite3_column_text(cols, 0));
                const char* t = reinterpret_cast<const char*>(sqlite3_column_text(cols, 1));
                if (!c || std::strlen(c) != static_cast<std::size_t>(sqlite3_column_bytes(cols, 0)))
                    throw error(dberr::kStatementFailed,
                                "의 " + table.name + " 표에 이름을 쓸 수 없는 열이 있습니다.");
                table.columns.push_back({c, t ? t : ""});
            }
            if (rc != SQLITE_DONE) throw readError(rc, table.name);
            sqlite3_reset(cols);
            if (!table.columns.empty()) tables_.push_back(std::move(table));
        }
        if (rc != SQLITE_DONE) throw readError(rc, "");
    } catch (...) {
        sqlite3_finalize(list);
        sqlite3_finalize(cols);
        throw;
    }
    sqlite3_finalize(list);
    sqlite3_finalize(cols);
}

void ReferenceSource::checkRequired(std::size_t index) const {
    for (const auto& need : ReferenceFiles::required(index)) {
        const Table* found = nullptr;
        for (const auto& t : tables_)
            if (sameName(t.name, need.name)) found = &t;
        if (!found) throw error(dberr::kStatementFailed, "에 " + need.name + " 표가 없습니다.");
        for (const auto& column : need.columns) {
            bool has = false;
            for (const auto& c : found->columns)
                has = has || sameName(c.name, column);
            if (!has)
                throw error(dberr::kStatementFailed,
                            "의 " + found->name + " 표에 " + column + " 열이 없습니다.");
        }
    }
}

ReferenceSource::Rows::Rows(ReferenceSource& source, const Table& table) : source_(source), table_(table) {
    std::string sql = "SELECT ";
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        sql += (i ? ", " : "") + LinkBuilder::quoteId(table.columns[i].name);
    sql += " FROM main." + LinkBuilder::quoteId(table.name);
    const int rc = sqlite3_prepare_v2(source.db_, sql.c_str(), static_cast<int>(sql.size()), &st_, nullptr);
    if (rc != SQLITE_OK) throw source.readError(rc, table.name);
}

ReferenceSource::Rows::~Rows() {
    sqlite3_finalize(st_);
}

bool ReferenceSource::Rows::next() {
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw source_.readError(rc, table_.name);
}

sqlite3_value* ReferenceSource::Rows::value(int column) const {
    return sqlite3_column_value(st_, column);
}

} // namespace pelmora
