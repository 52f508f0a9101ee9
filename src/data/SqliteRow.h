#pragma once
// One row of a query as SQLite hands it over, read in place: for reports
// that add up thousands of rows without building a record set, and for the
// 64-bit sums a record set would turn into doubles.

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3_stmt;

namespace pelmora {

class SqliteRow {
  public:
    explicit SqliteRow(sqlite3_stmt* st) : st_(st) {}

    int columns() const;
    bool isNull(int col) const;
    // NULL reads as 0 and "".
    std::int64_t int64(int col) const;
    std::string text(int col) const;
    // The text in place, valid until the next row is read.
    std::string_view view(int col) const;

  private:
    sqlite3_stmt* st_;
};

} // namespace pelmora
