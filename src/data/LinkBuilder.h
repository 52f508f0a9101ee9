#pragma once
// Writes a new link database file from the six reference files.
//
// Nothing read from a reference file ever runs as SQL. Each reference file is
// attached read-only, one at a time, and its table and column names reach the
// builder's statements only as quoted identifiers; its declared column types
// are mapped onto a fixed list; its rows are copied by INSERT ... SELECT of
// those columns. The builder's connection may attach that one file and no
// other (an authorizer, and a limit of one attached file), may not write into
// it, views and triggers of the file never run, extension loading is off, and
// a statement text of the builder holding a second statement is refused
// before it runs.
//
// A file that cannot serve (empty, no database, a table or column the
// lookups read is missing, a value too large) raises DbError whose
// description says, in Korean, which file and what is wrong.

#include "DbError.h"
#include "ReferenceStamps.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pelmora {

class SqliteConnection;

// Where a rebuild stands, for a progress window or a tool's status line.
struct LinkProgress {
    enum class Phase { Waiting, Copying, Indexing };
    Phase phase = Phase::Copying;
    std::size_t file = 0; // the reference file being copied (ReferenceFiles order)
    std::string table;    // the table being copied
    long long rows = 0;   // rows copied so far from this file
};
using LinkProgressFn = std::function<void(const LinkProgress&)>;

struct LinkStats {
    int tables = 0;             // tables copied
    long long rows = 0;         // rows copied
    int indexes = 0;            // lookup indexes built
    bool searchIndexed = false; // the drug search list has its own index
};

class LinkBuilder {
  public:
    // The largest single value a reference file may hold.
    static constexpr int kMaxValueBytes = 16 * 1024 * 1024;

    // Opens target, an empty file, as the new link database.
    LinkBuilder(const std::filesystem::path& target, LinkProgressFn progress);
    ~LinkBuilder();
    LinkBuilder(const LinkBuilder&) = delete;
    LinkBuilder& operator=(const LinkBuilder&) = delete;

    // Copies every table of reference file `index` that the link database
    // carries, after checking the tables and columns the lookups read.
    void copyFile(std::size_t index, const std::filesystem::path& file);
    // The lookup indexes, the search index of the drug list, the statistics
    // of the query planner and the record of the stamps the files had before
    // they were read; then everything is on the disk.
    void finish(const ReferenceStamps& stamps);

    const LinkStats& stats() const { return stats_; }
    // The connection writing the new file, with all its refusals in force.
    SqliteConnection& database() { return *db_; }

    // The declared type the link database gives a column declared `declared`:
    // one of a fixed list that keeps the column's affinity and whether it
    // holds money.
    static const char* mappedType(const std::string& declared);
    // "name", with every quote doubled: an identifier, whatever it holds.
    static std::string quoteId(const std::string& name);

  private:
    void run(const std::string& sql);
    DbError writeError(const DbError& e) const;
    void report(LinkProgress::Phase phase);
    static int onProgress(void* self);
    static int authorize(void* self, int action, const char* arg1, const char* arg2, const char* schema,
                         const char* trigger);

    std::filesystem::path target_;
    std::string attachable_; // the URI the builder may attach now, if any
    LinkProgressFn progress_;
    LinkProgress state_;
    std::unique_ptr<SqliteConnection> db_;
    std::vector<std::string> created_;
    LinkStats stats_;
};

} // namespace pelmora
