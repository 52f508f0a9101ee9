#pragma once
// The local link database: one SQLite file, <root>/Data/Pelmora.db, holding
// a copy of every table of the six reference files under its own name, with
// the indexes the lookups search by and the search index of the drug list.
// Copying instead of attaching keeps it a plain file that any SQLite client
// (the ODBC driver included) opens with every table visible.
//
// It is kept between runs: it records the stamps of the reference files it
// was built from (ReferenceStamps), and a start whose files carry the same
// stamps opens it as it is. When a file differs, or the link database is
// missing, unfinished or damaged, it is built anew into a temporary file
// beside it, synced, and renamed over the old one, so no reader ever sees
// half of it; a reader of the old file keeps reading the old file. Builds
// take an advisory lock, so two running copies never build at once.
//
// Keeping current while the program runs: the object is the reference
// connection itself and stays the same object for the whole run, so every
// RefConnection& handed out (the main window's, the drug object's) stays
// valid. Before each pricing the window asks stale(), a few system calls;
// when a reference file changed (the monthly drug list written over
// 심평원약.db, say), refresh() builds the new link database and swaps it in
// between two queries. A pricing run that started before the swap has
// finished before it, one that starts after it sees only the new data.
//
// A program that rewrites a reference file (the drug list import) needs to
// do nothing more than write the file whole and rename it into place: the
// next stale() notices it. It may call refresh() at once to build while its
// own progress window is still up.

#include "LinkBuilder.h"
#include "RefConnection.h"
#include "ReferenceStamps.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace pelmora {

class DrugSearchIndex;
class SqliteConnection;

class LinkDatabase : public RefConnection {
  public:
    // Opens the link database under root, building it first when it does not
    // match the six reference files (which must exist). progress hears of a
    // build while it runs. Raises DbError, whose description names the file
    // and what is wrong in Korean, when there is no usable link database; an
    // old one is then left as it was.
    static std::unique_ptr<LinkDatabase> open(const std::filesystem::path& root,
                                              const LinkProgressFn& progress = {});
    // Builds anew even when the files are unchanged.
    static std::unique_ptr<LinkDatabase> rebuild(const std::filesystem::path& root,
                                                 const LinkProgressFn& progress = {});

    ~LinkDatabase() override;
    LinkDatabase(const LinkDatabase&) = delete;
    LinkDatabase& operator=(const LinkDatabase&) = delete;

    // The local reference connection (local dialect): this object.
    RefConnection& connection() { return *this; }
    Dialect dialect() const override { return Dialect::Local; }
    RecordSet query(const std::string& sql, const std::vector<RefParam>& params) override;
    std::unique_ptr<DrugSearchList> drugSearch(const std::string& date, int yakSn,
                                               const std::string& text) override;

    // The current file's connection; refresh() replaces it, so do not keep it.
    SqliteConnection& database() { return *db_; }
    const std::filesystem::path& path() const { return path_; }
    // Whether opening or the last refresh had to build, and what it copied.
    bool built() const { return built_; }
    const LinkStats& stats() const { return stats_; }

    // True when a reference file is no longer what the link database was
    // built from, or a query found the link database damaged.
    bool stale() const;
    enum class Refresh {
        Current, // nothing changed
        Rebuilt, // the new link database is in use
        Failed,  // it could not be built (why says why); the old one stays in use
        Kept,    // the files are as they were when that last failed: not tried again
    };
    Refresh refresh(const LinkProgressFn& progress = {}, std::string* why = nullptr);

    // The lock file beside the link database; another program holding an
    // exclusive flock(2) on it counts as a Pelmora building.
    static std::filesystem::path lockPath(const std::filesystem::path& root);
    // How long a build waits for another one to finish.
    static inline std::chrono::milliseconds lockWait{std::chrono::seconds(120)};
    // Whether a table of this name is copied: not when its upper-cased name
    // contains "SYS" (the link database's own tables all do), nor SQLite's
    // own tables.
    static bool isCopied(const std::string& tableName);
    // The six reference files under root that are not there.
    static std::vector<std::filesystem::path> missingFiles(const std::filesystem::path& root);

  private:
    LinkDatabase() = default;
    // A link database matching the current files, built under the lock
    // unless one already matches; its stamps.
    static ReferenceStamps build(const std::filesystem::path& root, bool force,
                                 const LinkProgressFn& progress, LinkStats& stats, bool& built);
    void take(std::shared_ptr<SqliteConnection> db, const ReferenceStamps& stamps);

    std::filesystem::path root_, path_;
    std::shared_ptr<SqliteConnection> db_;
    ReferenceStamps stamps_;
    std::shared_ptr<DrugSearchIndex> search_;
    bool searchLoaded_ = false;
    bool damaged_ = false;
    std::optional<ReferenceStamps> failed_;
    std::string failedWhy_;
    bool built_ = false;
    LinkStats stats_;
};

// Checks the six reference files and opens the link database into cnMdb,
// building it when needed (progress hears of it). A missing file shows
// "로컬 연결에 필요한 MDB데이터를 찾을수 없습니다." with the files that are
// missing and builds nothing. Returns true when cnMdb is open; on false, why
// (when given) receives the cause in Korean, naming the file.
bool ConnectLocalMdb(const std::filesystem::path& root, std::unique_ptr<LinkDatabase>& cnMdb,
                     std::string* why = nullptr, const LinkProgressFn& progress = {});

} // namespace pelmora
