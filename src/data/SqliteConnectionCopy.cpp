// Whole-database copies through SQLite's online backup, and the progress of
// long statements.

#include "SqliteConnection.h"

#include <sqlite3.h>

#include <chrono>

namespace pelmora {

namespace {
// A busy database is waited for as long as a statement waits for it.
constexpr auto kBusyWait = std::chrono::milliseconds(5000);
constexpr int kBusyNapMs = 20;
constexpr int kProgressOps = 10000;

int statementProgress(void* self) {
    const auto& fn = *static_cast<const std::function<bool()>*>(self);
    return fn() ? 0 : 1;
}
} // namespace

bool SqliteConnection::copyTo(SqliteConnection& dest, const CopyProgress& progress, int pagesPerStep) {
    sqlite3_backup* b = sqlite3_backup_init(dest.db_, "main", db_, "main");
    if (!b) dest.fail(sqlite3_errcode(dest.db_));
    int rc = SQLITE_OK;
    bool stopped = false;
    auto busySince = std::chrono::steady_clock::time_point{};
    for (;;) {
        rc = sqlite3_backup_step(b, pagesPerStep);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            const auto now = std::chrono::steady_clock::now();
            if (busySince == std::chrono::steady_clock::time_point{}) busySince = now;
            if (now - busySince > kBusyWait) break;
            sqlite3_sleep(kBusyNapMs);
            continue;
        }
        busySince = {};
        if (rc != SQLITE_OK && rc != SQLITE_DONE) break;
        const long long total = sqlite3_backup_pagecount(b);
        if (progress && !progress(total - sqlite3_backup_remaining(b), total)) {
            stopped = rc != SQLITE_DONE;
            if (stopped) break;
        }
        if (rc == SQLITE_DONE) break;
    }
    // Finishing an unfinished copy rolls dest's transaction back.
    const int finish = sqlite3_backup_finish(b);
    if (stopped) return false;
    if (rc != SQLITE_DONE) throw sqliteError(rc, sqlite3_errstr(rc));
    if (finish != SQLITE_OK) dest.fail(finish);
    return true;
}

void SqliteConnection::setStatementProgress(std::function<bool()> fn) {
    statementProgress_ = std::move(fn);
    if (statementProgress_)
        sqlite3_progress_handler(db_, kProgressOps, statementProgress, &statementProgress_);
    else
        sqlite3_progress_handler(db_, 0, nullptr, nullptr);
}

} // namespace pelmora
