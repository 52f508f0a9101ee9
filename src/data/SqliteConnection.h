#pragma once
// One SQLite 3 database file on the C API: create or open, execute a
// statement, query into a record set, transactions, and prepared statements
// with bound parameters, cached per connection by their text.

#include "DbError.h"
#include "RecordSet.h"
#include "SqliteRow.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace pelmora {

class SqliteConnection {
public:
    enum class OpenMode { ReadWrite, ReadOnly };

    // Creates a new database file (owner-only permissions: the store holds
    // resident numbers) and opens it. An existing non-empty file is refused.
    // attachUris: ATTACH reads "file:" URIs, so a file can be attached
    // read-only ("file:…?mode=ro").
    static std::unique_ptr<SqliteConnection> create(const std::string& path, bool attachUris = false);
    // A path as the path part of a "file:" URI, every special byte escaped.
    static std::string uriPath(const std::string& path);
    // Opens an existing file; a missing file raises kCannotOpen.
    static std::unique_ptr<SqliteConnection> open(const std::string& path,
                                                  OpenMode mode = OpenMode::ReadWrite);
    // An in-memory database, for tests and scratch work.
    static std::unique_ptr<SqliteConnection> memory();

    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Runs one statement; parameters are bound positionally (?1, ?2, … or ?).
    void execute(const std::string& sql, const std::vector<Variant>& params = {});
    // Runs one or more statements with no parameters and no result.
    void executeScript(const std::string& sql);
    // Runs a query and reads its whole result.
    RecordSet query(const std::string& sql, const std::vector<Variant>& params = {});
    // Runs a query and hands each row to fn as it is read, without keeping it.
    void each(const std::string& sql, const std::vector<Variant>& params,
              const std::function<void(const SqliteRow&)>& fn);
    // Rows changed by the last INSERT, UPDATE or DELETE.
    long long changes() const;

    // Transactions. immediate takes the write lock at once, so two running
    // copies that allocate keys never interleave.
    void begin(bool immediate = false);
    void commit();
    void rollback(); // never raises; does nothing when no transaction is open
    bool inTransaction() const;

    // True when the file could only be opened for reading (a write-protected
    // file or folder); every write would then fail.
    bool readOnly() const;

    // Copies the whole database into dest through SQLite's online backup.
    // dest is written in one transaction of its own, so an interruption
    // leaves it as it was; a copy from a connection holding a read
    // transaction is the database as that transaction sees it. progress is
    // told (pages done, pages in all) after every pagesPerStep pages and may
    // answer false to stop, dest then unchanged. False when stopped; raises
    // when the copy fails, after waiting out a busy database as long as a
    // statement would.
    using CopyProgress = std::function<bool(long long pagesDone, long long pagesTotal)>;
    bool copyTo(SqliteConnection& dest, const CopyProgress& progress = {}, int pagesPerStep = 256);
    // Called every few thousand steps of a running statement (a check of the
    // whole file, a long sum) so long work can show that it lives; answering
    // false interrupts the statement. An empty function removes it.
    void setStatementProgress(std::function<bool()> fn);

    const std::string& path() const { return path_; }
    sqlite3* handle() const { return db_; }
    // Number of distinct statements prepared so far (the cache's size).
    std::size_t preparedCount() const { return cache_.size(); }

private:
    SqliteConnection(sqlite3* db, std::string path);
    sqlite3_stmt* prepared(const std::string& sql);
    void bind(sqlite3_stmt* st, const std::vector<Variant>& params);
    [[noreturn]] void fail(int rc) const;

    sqlite3* db_ = nullptr;
    std::string path_;
    std::unordered_map<std::string, sqlite3_stmt*> cache_;
    std::function<bool()> statementProgress_;
};

// Maps an SQLite result code and message to the error the callers expect.
DbError sqliteError(int rc, const std::string& message);

} // namespace pelmora
