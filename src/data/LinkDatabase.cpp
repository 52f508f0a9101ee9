#include "LinkDatabase.h"

#include "ReferenceFiles.h"
#include "SqliteConnection.h"
#include "util/Messages.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace pelmora {

namespace {

constexpr const char* kTempPrefix = "Pelmora.db.tmp-";

// The indexes the lookups search by. Each is built only when its table and
// columns exist, so a damaged reference file still gives a link database and
// the lookup that needs the missing column reports it under its own tag.
struct LookupIndex {
    const char* table;
    const char* name;
    const char* keys;
    std::vector<const char*> columns;
};

const std::vector<LookupIndex>& lookupIndexes() {
    static const std::vector<LookupIndex> list = {
        // drug price by code and date (RecordSelect modes 0 and 1, RecordSelectBibo)
        {"DBF심평원약", "ix_drug_code", "표준코드, 적용시작일", {"표준코드", "적용시작일"}},
        // RecordSelect mode 2 matches characters 2 to 9 of the code with this very expression
        {"DBF심평원약", "ix_drug_code8", "substr(표준코드,2,8), 적용시작일", {"표준코드", "적용시작일"}},
        // the search list narrows to the rows still valid on its date first
        {"DBF심평원약",
         "ix_drug_validity",
         "적용종료일, 적용시작일, 약품명",
         {"적용종료일", "적용시작일", "약품명"}},
        {"팩단위약", "ix_pack_code", "코드", {"코드"}},
        {"DBF심평원수", "ix_fee_code", "수가코드, 수가일자", {"수가코드", "수가일자"}},
        {"공휴일", "ix_holiday_date", "공휴일자", {"공휴일자"}},
        {"병원종병", "ix_hosp_code", "요양기관, 적용시작일", {"요양기관", "적용시작일"}},
        {"특정기호", "ix_special_code", "특정기호, 적용일자", {"특정기호", "적용일자"}},
        {"고시적용일", "ix_notice_date", "고시적용일", {"고시적용일"}},
    };
    return list;
}

std::string upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string quoteId(const std::string& id) {
    std::string q = "\"";
    for (char c : id) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + '"';
}

std::string quoteText(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') q += '\'';
        q += c;
    }
    return q + '\'';
}

// A read-only URI for ATTACH: the reference files are never written, not even
// to roll back a journal someone else left behind.
std::string readOnlyUri(const fs::path& file) {
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : file.string()) {
        if (std::isalnum(c) || c == '/' || c == '.' || c == '-' || c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri + "?mode=ro";
}

[[noreturn]] void fileError(const std::string& what, const fs::path& p, int err) {
    throw DbError(dberr::kCannotOpen, what + " " + p.string() + ": " + std::strerror(err));
}

// The connection that writes the new file. It is opened with URI names
// allowed (the store's own connection class does not) so the reference files
// can be attached read-only.
class Builder {
  public:
    explicit Builder(const fs::path& file) {
        int rc = sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
        if (rc != SQLITE_OK) fail(rc);
        sqlite3_extended_result_codes(db_, 1);
        exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA temp_store=MEMORY;"
             " PRAGMA cache_size=-65536;");
    }
    ~Builder() { sqlite3_close_v2(db_); }
    Builder(const Builder&) = delete;
    Builder& operator=(const Builder&) = delete;

    void exec(const std::string& sql) {
        char* err = nullptr;
        int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
        if (rc != SQLITE_OK) {
            std::string msg = err ? err : sqlite3_errmsg(db_);
            sqlite3_free(err);
            throw sqliteError(rc, msg);
        }
    }

    // The first `columns` columns of every row, as text.
    std::vector<std::vector<std::string>> rows(const std::string& sql, int columns) {
        sqlite3_stmt* st = nullptr;
        int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr);
        if (rc != SQLITE_OK) fail(rc);
        std::vector<std::vector<std::string>> out;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int i = 0; i < columns; ++i) {
                const unsigned char* t = sqlite3_column_text(st, i);
                row.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
            }
            out.push_back(std::move(row));
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE) fail(rc);
        return out;
    }

    long long changes() const { return sqlite3_changes64(db_); }

  private:
    [[noreturn]] void fail(int rc) const {
        throw sqliteError(rc, db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
    }
    sqlite3* db_ = nullptr;
};

// Copies every table of one reference file that the link database carries.
void copyTables(Builder& b, const fs::path& source, LinkDatabase::Stats& stats) {
    b.exec("ATTACH DATABASE " + quoteText(readOnlyUri(source)) + " AS src");
    try {
        auto tables = b.rows("SELECT name FROM src.sqlite_master WHERE type = 'table' ORDER BY rowid", 1);
        for (const auto& t : tables) {
            const std::string& name = t[0];
            if (!LinkDatabase::isCopied(name)) continue;
            auto cols = b.rows("PRAGMA src.table_info(" + quoteId(name) + ")", 3);
            std::string defs, list;
            for (const auto& c : cols) {
                if (!list.empty()) {
                    defs += ", ";
                    list += ", ";
                }
                defs += quoteId(c[1]) + (c[2].empty() ? "" : " " + c[2]);
                list += quoteId(c[1]);
            }
            b.exec("CREATE TABLE main." + quoteId(name) + " (" + defs + ")");
            b.exec("INSERT INTO main." + quoteId(name) + " SELECT " + list + " FROM src." + quoteId(name));
            stats.rows += b.changes();
            ++stats.tables;
        }
    } catch (...) {
        try {
            b.exec("DETACH DATABASE src");
        } catch (...) {
        }
        throw;
    }
    b.exec("DETACH DATABASE src");
}

void buildIndexes(Builder& b, LinkDatabase::Stats& stats) {
    for (const auto& ix : lookupIndexes()) {
        auto cols = b.rows("PRAGMA main.table_info(" + quoteId(ix.table) + ")", 3);
        bool complete = !cols.empty();
        for (const char* need : ix.columns) {
            bool found = false;
            for (const auto& c : cols)
                found = found || upper(c[1]) == upper(need);
            complete = complete && found;
        }
        if (!complete) continue;
        b.exec(std::string("CREATE INDEX ") + ix.name + " ON " + quoteId(ix.table) + " (" + ix.keys + ")");
        ++stats.indexes;
    }
    // Statistics let the planner weigh the validity-date index against a scan.
    b.exec("PRAGMA analysis_limit=1000; ANALYZE");
}

void removeQuietly(const fs::path& p) {
    std::error_code ec;
    fs::remove(p, ec);
}

} // namespace

bool LinkDatabase::isCopied(const std::string& tableName) {
    std::string u = upper(tableName);
    return u.find("SYS") == std::string::npos && u.rfind("SQLITE_", 0) != 0;
}

fs::path LinkDatabase::lockPath(const fs::path& root) {
    return ReferenceFiles::dataFolder(root) / "Pelmora.db.lock";
}

LinkDatabase::~LinkDatabase() {
    ref_.reset();
    db_.reset();
    if (lockFd_ >= 0) ::close(lockFd_); // closing releases the flock
}

std::unique_ptr<LinkDatabase> LinkDatabase::rebuild(const fs::path& root) {
    std::unique_ptr<LinkDatabase> link(new LinkDatabase);
    const fs::path data = ReferenceFiles::dataFolder(root);
    std::error_code ec;
    fs::create_directories(data, ec);
    if (ec) throw DbError(dberr::kCannotOpen, "cannot create " + data.string() + ": " + ec.message());

    const fs::path lock = lockPath(root);
    link->lockFd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (link->lockFd_ < 0) fileError("cannot open", lock, errno);
    if (::flock(link->lockFd_, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        if (err == EWOULDBLOCK) throw DbError(dberr::kBusy, "the link database is in use by another Pelmora");
        fileError("cannot lock", lock, err);
    }

    // Holding the lock, any temporary file left here is from a build that died.
    for (const auto& entry : fs::directory_iterator(data, ec)) {
        if (entry.path().filename().string().rfind(kTempPrefix, 0) == 0) removeQuietly(entry.path());
    }

    std::string pattern = (data / (std::string(kTempPrefix) + "XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) fileError("cannot create", pattern, errno);
    ::close(fd);
    const fs::path temp = pattern;
    try {
        Builder b(temp);
        for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
            copyTables(b, ReferenceFiles::file(root, i), link->stats_);
        buildIndexes(b, link->stats_);
    } catch (...) {
        removeQuietly(temp);
        throw;
    }

    const fs::path target = ReferenceFiles::linkDatabase(root);
    // A journal left beside the old file would be applied to the new one.
    for (const char* suffix : {"-journal", "-wal", "-shm"})
        removeQuietly(target.string() + suffix);
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        int err = errno;
        removeQuietly(temp);
        fileError("cannot replace", target, err);
    }
    link->path_ = target;
    link->db_ = SqliteConnection::open(target.string(), SqliteConnection::OpenMode::ReadOnly);
    link->ref_ = std::make_unique<SqliteRefConnection>(*link->db_, Dialect::Local);
    return link;
}

bool ConnectLocalMdb(const fs::path& root, std::unique_ptr<LinkDatabase>& cnMdb, std::string* why) {
    bool missing = false;
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
        std::error_code ec;
        if (!fs::is_regular_file(ReferenceFiles::file(root, i), ec)) {
            missing = true;
            if (why) *why = "missing " + ReferenceFiles::file(root, i).string();
        }
    }
    if (missing) {
        messages().plain("로컬 연결에 필요한 MDB데이터를 찾을수 없습니다.", kAppTitle);
        return false;
    }
    // The connection of an earlier call points at the file about to be replaced.
    cnMdb.reset();
    try {
        cnMdb = LinkDatabase::rebuild(root);
        return true;
    } catch (const std::exception& e) {
        if (why) *why = e.what();
        return false;
    }
}

} // namespace pelmora
