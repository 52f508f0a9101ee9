#pragma once
// One reference file attached, read-only, to the connection that builds the
// link database, as the schema "src", for one copy: its tables and columns
// read and checked against what the lookups need, and the statements that
// copy a table's rows into the link database. Names from the file reach
// those statements only as quoted identifiers.
//
// Every failure raises DbError whose description names the file and says,
// in Korean, what is wrong with it.

#include "DbError.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct sqlite3;

namespace pelmora {

class ReferenceSource {
  public:
    struct Column {
        std::string name;
        std::string declared; // the declared type, as the file has it
    };
    struct Table {
        std::string name;
        std::vector<Column> columns;
        std::string rowid; // a name of its row id no column takes; empty when none
    };

    // Attaches the file (db refuses any other) and reads its tables; checks
    // the tables and columns the lookups read from file `index` of the six.
    ReferenceSource(sqlite3* db, std::size_t index, const std::filesystem::path& file);
    ~ReferenceSource(); // detaches
    ReferenceSource(const ReferenceSource&) = delete;
    ReferenceSource& operator=(const ReferenceSource&) = delete;

    // The URI the file is attached by: the one file the builder may attach.
    static std::string uri(const std::filesystem::path& file);

    // The tables the link database carries, in the order of the file.
    const std::vector<Table>& tables() const { return tables_; }
    // Copies the rows of table into the link database's table of the same
    // name and columns, in the file's order, a part at a time; copied hears
    // of the rows copied so far. The number of rows.
    long long copy(const Table& table, const std::function<void(long long)>& copied);

    // The error for a failure of this file, "<file> 파일" followed by what.
    DbError error(std::int32_t number, const std::string& what) const;
    // The same for an SQLite result code met while reading table.
    DbError readError(int rc, const std::string& table) const;

  private:
    void readTables();
    void checkRequired(std::size_t index) const;

    sqlite3* db_;
    std::filesystem::path file_;
    std::vector<Table> tables_;
};

} // namespace pelmora
