#pragma once
// The local link database: one SQLite file, <root>/Data/Pelmora.db, that
// holds a copy of every table of the six reference files under its own name,
// with the indexes the lookups search by. It is rebuilt at every local start
// into a temporary file beside it and renamed over the old one when
// complete, so no reader ever sees half of it. While a Pelmora has it open
// it holds an advisory lock, and a second one cannot rebuild it.
//
// Copying instead of attaching keeps the link database a plain file that any
// SQLite client (the ODBC driver included) opens with every table visible,
// and lets it carry indexes the reference files may not have.

#include "RefConnection.h"

#include <filesystem>
#include <memory>
#include <string>

namespace pelmora {

class SqliteConnection;

class LinkDatabase {
  public:
    struct Stats {
        int tables = 0;     // tables copied
        long long rows = 0; // rows copied
        int indexes = 0;    // lookup indexes built
    };

    // Takes the lock, rebuilds the link database from the six reference
    // files (which must exist) and opens it read-only. Raises RuntimeError
    // (DbError for database failures) when it cannot; the old link database
    // is then left as it was.
    static std::unique_ptr<LinkDatabase> rebuild(const std::filesystem::path& root);

    ~LinkDatabase();
    LinkDatabase(const LinkDatabase&) = delete;
    LinkDatabase& operator=(const LinkDatabase&) = delete;

    // The local reference connection (local dialect).
    RefConnection& connection() { return *ref_; }
    SqliteConnection& database() { return *db_; }
    const Stats& stats() const { return stats_; }
    const std::filesystem::path& path() const { return path_; }

    // The lock file beside the link database; another program holding an
    // exclusive flock(2) on it counts as a running Pelmora.
    static std::filesystem::path lockPath(const std::filesystem::path& root);
    // Whether a table of this name is copied: not when its upper-cased name
    // contains "SYS", nor SQLite's own tables.
    static bool isCopied(const std::string& tableName);

  private:
    LinkDatabase() = default;

    int lockFd_ = -1;
    std::filesystem::path path_;
    std::unique_ptr<SqliteConnection> db_;
    std::unique_ptr<SqliteRefConnection> ref_;
    Stats stats_;
};

// Checks the six reference files, rebuilds the link database and opens it
// into cnMdb. A missing file shows "로컬 연결에 필요한 MDB데이터를 찾을수
// 없습니다." and rebuilds nothing. Returns true when cnMdb is open; on false,
// why (when given) receives the cause for a log or a tool's error output.
bool ConnectLocalMdb(const std::filesystem::path& root, std::unique_ptr<LinkDatabase>& cnMdb,
                     std::string* why = nullptr);

} // namespace pelmora
