#pragma once
// One reference file opened to be copied into the link database: read-only,
// as a connection of its own that may only read (no ATTACH, no writes, no
// extension, no trusted schema, views and triggers off), inside one read
// transaction, so every table comes from the same state of the file.
//
// Every failure raises DbError whose description names the file and says,
// in Korean, what is wrong with it.

#include "DbError.h"

#include <filesystem>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

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
    };

    // Opens the file and reads its tables; checks the tables and columns the
    // lookups read from file `index` of the six.
    ReferenceSource(std::size_t index, const std::filesystem::path& file);
    ~ReferenceSource();
    ReferenceSource(const ReferenceSource&) = delete;
    ReferenceSource& operator=(const ReferenceSource&) = delete;

    // The tables the link database carries, in the order of the file.
    const std::vector<Table>& tables() const { return tables_; }

    // Steps through the rows of one table; value(i) is valid until next().
    class Rows {
      public:
        Rows(ReferenceSource& source, const Table& table);
        ~Rows();
        Rows(const Rows&) = delete;
        Rows& operator=(const Rows&) = delete;
        bool next();
        sqlite3_value* value(int column) const;

      private:
        ReferenceSource& source_;
        const Table& table_;
        sqlite3_stmt* st_ = nullptr;
    };

    // The error for a failure of this file, "<file> 파일" followed by what.
    DbError error(std::int32_t number, const std::string& what) const;
    // The same for an SQLite result code met while reading table.
    DbError readError(int rc, const std::string& table) const;

  private:
    sqlite3_stmt* prepare(const std::string& sql);
    void readTables();
    void checkRequired(std::size_t index) const;

    std::filesystem::path file_;
    sqlite3* db_ = nullptr;
    std::vector<Table> tables_;
};

} // namespace pelmora
