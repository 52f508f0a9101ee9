#include "ReferenceSource.h"

#include "LinkBuilder.h"
#include "LinkDatabase.h"
#include "ReferenceFiles.h"
#include "SqliteConnection.h"

#include <sqlite3.h>

#include <cstring>
#include <limits>

namespace pelmora {

namespace {

// Rows per copying statement: the progress window hears of each part.
constexpr sqlite3_int64 kPartRows = 65536;

bool sameName(const std::string& a, const std::string& b) {
    return sqlite3_stricmp(a.c_str(), b.c_str()) == 0;
}

std::string quoteText(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') q += '\'';
        q += c;
    }
    return q + '\'';
}

// A prepared statement of our own text, finalized when it goes.
class Statement {
  public:
    Statement(sqlite3* db, const std::string& sql) {
        rc_ = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st_, nullptr);
    }
    ~Statement() { sqlite3_finalize(st_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    int prepared() const { return rc_; }
    sqlite3_stmt* get() const { return st_; }
    std::string text(int col) const {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st_, col));
        return t ? std::string(t, static_cast<std::size_t>(sqlite3_column_bytes(st_, col))) : std::string();
    }

  private:
    sqlite3_stmt* st_ = nullptr;
    int rc_;
};

} // namespace

std::string ReferenceSource::uri(const std::filesystem::path& file) {
    return "file:" + SqliteConnection::uriPath(file.string()) + "?mode=ro";
}

ReferenceSource::ReferenceSource(sqlite3* db, std::size_t index, const std::filesystem::path& file)
    : db_(db), file_(file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) throw error(dberr::kCannotOpen, "을 읽을 수 없습니다. (" + ec.message() + ")");
    if (size == 0) throw error(dberr::kNotADatabase, "이 비어 있습니다.");
    // The path is the program's own, never a reference file's text.
    const std::string attach = "ATTACH DATABASE " + quoteText(uri(file)) + " AS src";
    const int rc = sqlite3_exec(db_, attach.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw readError(rc, "");
    try {
        readTables();
        checkRequired(index);
    } catch (...) {
        sqlite3_exec(db_, "DETACH DATABASE src", nullptr, nullptr, nullptr);
        throw;
    }
}

ReferenceSource::~ReferenceSource() {
    sqlite3_exec(db_, "DETACH DATABASE src", nullptr, nullptr, nullptr);
}

DbError ReferenceSource::error(std::int32_t number, const std::string& what) const {
    return DbError(number, file_.string() + " 파일" + what);
}

DbError ReferenceSource::readError(int rc, const std::string& table) const {
    const std::string detail = sqlite3_errmsg(db_);
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return error(dberr::kNotADatabase,
                     "은 데이터베이스 파일이 아니거나 손상되었습니다. (" + detail + ")");
    case SQLITE_TOOBIG:
        return error(dberr::kStatementFailed, "의 " + table + " 표에 16MB가 넘는 값이 있습니다.");
    case SQLITE_FULL:
        return error(dberr::kDiskFull, "을 옮겨 담을 디스크 공간이 부족합니다. (" + detail + ")");
    default:
        break;
    }
    const DbError base = sqliteError(rc, detail);
    if (table.empty()) return error(base.number(), "을 읽을 수 없습니다. (" + detail + ")");
    return error(base.number(), "의 " + table + " 표를 읽지 못했습니다. (" + detail + ")");
}

void ReferenceSource::readTables() {
    // Ordinary tables only: a virtual table needs a module the file cannot
    // bring along, and views are queries, not data.
    Statement list(
        db_, "SELECT name, coalesce(sql, '') FROM src.sqlite_master WHERE type = 'table' ORDER BY rowid");
    Statement cols(db_, "SELECT name, type, hidden FROM pragma_table_xinfo(?1, 'src')");
    Statement kind(db_, "SELECT wr FROM pragma_table_list WHERE schema = 'src' AND name = ?1");
    for (const Statement* s : {&list, &cols, &kind})
        if (s->prepared() != SQLITE_OK) throw readError(s->prepared(), "");
    int rc;
    while ((rc = sqlite3_step(list.get())) == SQLITE_ROW) {
        Table table{list.text(0), {}, {}};
        if (table.name.empty() || table.name.find('\0') != std::string::npos)
            throw error(dberr::kStatementFailed, "에 이름을 쓸 수 없는 표가 있습니다.");
        if (sqlite3_strnicmp(list.text(1).c_str(), "CREATE VIRTUAL", 14) == 0) continue;
        if (!LinkDatabase::isCopied(table.name)) continue;
        std::vector<std::string> names;
        sqlite3_bind_text(cols.get(), 1, table.name.data(), static_cast<int>(table.name.size()),
                          SQLITE_TRANSIENT);
        while ((rc = sqlite3_step(cols.get())) == SQLITE_ROW) {
            const std::string name = cols.text(0);
            if (name.find('\0') != std::string::npos)
                throw error(dberr::kStatementFailed,
                            "의 " + table.name + " 표에 이름을 쓸 수 없는 열이 있습니다.");
            names.push_back(name);
            // generated columns are computed, not copied
            if (sqlite3_column_int(cols.get(), 2) == 0) table.columns.push_back({name, cols.text(1)});
        }
        sqlite3_reset(cols.get());
        if (rc != SQLITE_DONE) throw readError(rc, table.name);
        sqlite3_bind_text(kind.get(), 1, table.name.data(), static_cast<int>(table.name.size()),
                          SQLITE_TRANSIENT);
        const bool withoutRowid =
            sqlite3_step(kind.get()) == SQLITE_ROW && sqlite3_column_int(kind.get(), 0) != 0;
        sqlite3_reset(kind.get());
        for (const char* alias : {"rowid", "_rowid_", "oid"}) {
            bool taken = withoutRowid || !table.rowid.empty();
            for (const auto& n : names)
                taken = taken || sameName(n, alias);
            if (!taken) table.rowid = alias;
        }
        if (!table.columns.empty()) tables_.push_back(std::move(table));
    }
    if (rc != SQLITE_DONE) throw readError(rc, "");
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

long long ReferenceSource::copy(const Table& table, const std::function<void(long long)>& copied) {
    std::string list;
    for (const auto& c : table.columns)
        list += (list.empty() ? "" : ", ") + LinkBuilder::quoteId(c.name);
    const std::string name = LinkBuilder::quoteId(table.name);
    std::string insert = "INSERT INTO main." + name + " (" + list + ") SELECT " + list + " FROM src." + name;
    auto run = [&](Statement& s) {
        if (s.prepared() != SQLITE_OK) throw readError(s.prepared(), table.name);
        const int rc = sqlite3_step(s.get());
        sqlite3_reset(s.get());
        if (rc != SQLITE_DONE) throw readError(rc, table.name);
        return static_cast<long long>(sqlite3_changes64(db_));
    };
    if (table.rowid.empty()) {
        Statement all(db_, insert);
        const long long rows = run(all);
        copied(rows);
        return rows;
    }
    // In parts of consecutive row ids, in row id order as a scan reads them.
    const std::string& id = table.rowid;
    Statement bound(db_, "SELECT " + id + " FROM src." + name + " WHERE " + id + " >= ?1 ORDER BY " + id +
                             " LIMIT 1 OFFSET " + std::to_string(kPartRows - 1));
    Statement part(db_, insert + " WHERE " + id + " >= ?1 AND " + id + " <= ?2 ORDER BY " + id);
    if (bound.prepared() != SQLITE_OK) throw readError(bound.prepared(), table.name);
    long long rows = 0;
    for (sqlite3_int64 from = std::numeric_limits<sqlite3_int64>::min();;) {
        sqlite3_bind_int64(bound.get(), 1, from);
        const int rc = sqlite3_step(bound.get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) throw readError(rc, table.name);
        const bool more = rc == SQLITE_ROW;
        const sqlite3_int64 to =
            more ? sqlite3_column_int64(bound.get(), 0) : std::numeric_limits<sqlite3_int64>::max();
        sqlite3_reset(bound.get());
        sqlite3_bind_int64(part.get(), 1, from);
        sqlite3_bind_int64(part.get(), 2, to);
        rows += run(part);
        copied(rows);
        if (!more || to == std::numeric_limits<sqlite3_int64>::max()) break;
        from = to + 1;
    }
    return rows;
}

} // namespace pelmora
