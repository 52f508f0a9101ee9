#include "LinkBuilder.h"

#include "DrugSearchIndex.h"
#include "LinkRecord.h"
#include "ReferenceSource.h"
#include "SqliteConnection.h"

#include <sqlite3.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace pelmora {

namespace {

constexpr int kProgressSteps = 200000; // virtual machine steps between reports inside one statement

// The indexes the lookups search by; each is built only when its columns exist.
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
        // the search list's query narrows to the rows still valid on its date first
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

bool contains(const std::string& upper, const char* part) {
    return upper.find(part) != std::string::npos;
}

} // namespace

// The builder runs only its own statements. It may attach the one file it
// copies, read-only, and nothing else; it may not write into that file,
// nor load an extension.
int LinkBuilder::authorize(void* self, int action, const char* arg1, const char* arg2, const char* schema,
                           const char*) {
    const auto* b = static_cast<const LinkBuilder*>(self);
    const bool source = schema && sqlite3_stricmp(schema, "src") == 0;
    switch (action) {
    case SQLITE_ATTACH:
        return arg1 && !b->attachable_.empty() && b->attachable_ == arg1 ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_DETACH:
        return arg1 && sqlite3_stricmp(arg1, "src") == 0 ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_FUNCTION:
        return arg2 && sqlite3_stricmp(arg2, "load_extension") == 0 ? SQLITE_DENY : SQLITE_OK;
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_TRANSACTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    case SQLITE_PRAGMA:
        return !source || (arg1 && sqlite3_stricmp(arg1, "table_xinfo") == 0) ? SQLITE_OK : SQLITE_DENY;
    default:
        return source ? SQLITE_DENY : SQLITE_OK;
    }
}

const char* LinkBuilder::mappedType(const std::string& declared) {
    std::string u;
    for (char c : declared)
        u += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // SQLite's rules for the affinity of a declared type, in their order.
    const bool money = contains(u, "MONEY") || contains(u, "CURRENCY");
    if (contains(u, "INT")) return money ? "INTEGER MONEY" : "INTEGER";
    if (contains(u, "CHAR") || contains(u, "CLOB") || contains(u, "TEXT"))
        return money ? "TEXT MONEY" : "TEXT";
    if (contains(u, "BLOB") || u.find_first_not_of(" \t\r\n") == std::string::npos)
        return money ? "BLOB MONEY" : "";
    if (contains(u, "REAL") || contains(u, "FLOA") || contains(u, "DOUB"))
        return money ? "REAL MONEY" : "REAL";
    return money ? "MONEY" : "NUMERIC";
}

std::string LinkBuilder::quoteId(const std::string& name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + '"';
}

LinkBuilder::LinkBuilder(const std::filesystem::path& target, LinkProgressFn progress)
    : target_(target), progress_(std::move(progress)) {
    db_ = SqliteConnection::create(target.string(), true);
    // A new file nobody reads until it is renamed into place: no journal, no
    // syncing until finish(), a moderate cache that is all given back.
    for (const char* pragma :
         {"PRAGMA journal_mode=OFF", "PRAGMA synchronous=OFF", "PRAGMA cache_size=-32768"})
        run(pragma);
    sqlite3* h = db_->handle();
    sqlite3_db_config(h, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(h, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(h, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(h, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(h, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    // one reference file at a time; no value larger than a reference file may hold
    sqlite3_limit(h, SQLITE_LIMIT_ATTACHED, 1);
    sqlite3_limit(h, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
    sqlite3_set_authorizer(h, authorize, this);
    sqlite3_progress_handler(h, kProgressSteps, onProgress, this);
}

LinkBuilder::~LinkBuilder() = default;

// One statement per text: a text holding a second one is refused unrun.
void LinkBuilder::run(const std::string& sql) {
    sqlite3* h = db_->handle();
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(h, sql.c_str(), static_cast<int>(sql.size()), &st, &tail);
    if (rc != SQLITE_OK) throw writeError(sqliteError(rc, sqlite3_errmsg(h)));
    if (tail && std::string(tail).find_first_not_of(" \t\r\n;") != std::string::npos) {
        sqlite3_finalize(st);
        throw writeError(DbError(dberr::kStatementFailed, "more than one statement in one text"));
    }
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) throw writeError(sqliteError(rc, sqlite3_errmsg(h)));
}

DbError LinkBuilder::writeError(const DbError& e) const {
    return DbError(e.number(), target_.string() + " 파일을 만들지 못했습니다. (" + e.description() + ")");
}

void LinkBuilder::report(LinkProgress::Phase phase) {
    state_.phase = phase;
    if (progress_) progress_(state_);
}

int LinkBuilder::onProgress(void* self) {
    auto* b = static_cast<LinkBuilder*>(self);
    try {
        if (b->progress_) b->progress_(b->state_);
    } catch (...) {
        // a progress display that fails must not stop the build
    }
    return 0;
}

void LinkBuilder::copyFile(std::size_t index, const std::filesystem::path& file) {
    state_ = {LinkProgress::Phase::Copying, index, "", 0};
    report(LinkProgress::Phase::Copying);
    attachable_ = ReferenceSource::uri(file);
    ReferenceSource source(db_->handle(), index, file);
    attachable_.clear();
    run("BEGIN");
    try {
        long long before = 0;
        for (const auto& table : source.tables()) {
            state_.table = table.name;
            // Table names are one namespace across the six files.
            for (const auto& other : created_)
                if (sqlite3_stricmp(other.c_str(), table.name.c_str()) == 0)
                    throw source.error(dberr::kStatementFailed,
                                       "의 " + table.name +
                                           " 표와 이름이 같은 표가 앞의 참조 파일에 있습니다.");
            std::string defs;
            for (const auto& c : table.columns) {
                const std::string type = mappedType(c.declared);
                defs += (defs.empty() ? "" : ", ") + quoteId(c.name) + (type.empty() ? "" : " " + type);
            }
            run("CREATE TABLE main." + quoteId(table.name) + " (" + defs + ")");
            created_.push_back(table.name);
            const long long rows = source.copy(table, [&](long long copied) {
                state_.rows = before + copied;
                report(LinkProgress::Phase::Copying);
            });
            before += rows;
            stats_.rows += rows;
            ++stats_.tables;
        }
        run("COMMIT");
    } catch (...) {
        sqlite3_exec(db_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void LinkBuilder::finish(const ReferenceStamps& stamps) {
    state_.table.clear();
    report(LinkProgress::Phase::Indexing);
    try {
        run("BEGIN");
        for (const auto& ix : lookupIndexes()) {
            bool complete = true;
            for (const char* column : ix.columns)
                complete = complete && !db_->query("SELECT 1 FROM pragma_table_info(?) WHERE name = ?",
                                                   {Variant(ix.table), Variant(column)})
                                            .eof();
            if (!complete) continue;
            state_.table = ix.table;
            report(LinkProgress::Phase::Indexing);
            run(std::string("CREATE INDEX ") + ix.name + " ON " + quoteId(ix.table) + " (" + ix.keys + ")");
            ++stats_.indexes;
        }
        state_.table = "DBF심평원약";
        report(LinkProgress::Phase::Indexing);
        stats_.searchIndexed = DrugSearchIndex::build(*db_);
        state_.table.clear();
        report(LinkProgress::Phase::Indexing);
        // Statistics let the planner weigh the validity-date index against a scan.
        run("PRAGMA analysis_limit=1000");
        run("ANALYZE");
        LinkRecord::write(*db_, stamps);
        run("COMMIT");
    } catch (const DbError& e) {
        sqlite3_exec(db_->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw e.description().find(target_.string()) == 0 ? e : writeError(e);
    }
    db_.reset();

    // On the disk before it is renamed into place: a crash never leaves a
    // link database that looks whole and is not.
    const int fd = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fdatasync(fd) != 0) {
        const int err = errno;
        if (fd >= 0) ::close(fd);
        throw writeError(DbError(dberr::kIo, std::strerror(err)));
    }
    ::close(fd);
}

} // namespace pelmora
