#pragma once
// Writing one reference file: the generator and the updates of real data
// write beside the file (<name>.new) and rename the finished file over it,
// so a running Pelmora reads either the old file or the new one, never half
// of one. The new file doubles as the lock: a second writer of the same
// file is refused while the first one runs.

#include <filesystem>
#include <memory>

namespace pelmora {

class SqliteConnection;

class ReferenceFileWriter {
  public:
    enum class From {
        Empty,  // an empty file with the tables of the reference file
        Current // a copy of the file as it is now (it must exist)
    };

    // Opens the new file, in a transaction. Raises ImportError (Busy while
    // another writer runs, NoRoot when From::Current finds no file) or the
    // database's error.
    ReferenceFileWriter(const std::filesystem::path& root, std::size_t index, From from);
    // Without commit() the new file is removed and the file left as it was.
    ~ReferenceFileWriter();
    ReferenceFileWriter(const ReferenceFileWriter&) = delete;
    ReferenceFileWriter& operator=(const ReferenceFileWriter&) = delete;

    SqliteConnection& db() { return *db_; }
    const std::filesystem::path& target() const { return target_; }

    // Commits, puts the new file on disk and renames it over the file. The
    // file keeps its permissions; a new one is readable by every account of
    // the pharmacy (reference data is no secret).
    void commit();

  private:
    void discard() noexcept;

    std::filesystem::path target_, temp_;
    int lockFd_ = -1;
    std::unique_ptr<SqliteConnection> db_;
    bool done_ = false;
};

} // namespace pelmora
