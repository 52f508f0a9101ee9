#pragma once
// A list over a table too large to read whole, newest (largest key) first:
// the record count up front, rows fetched a page at a time as they are
// shown. A page is reached from the nearest known place: the top or the
// bottom of the list, or a page already read, whose edge key is one index
// seek away. Scrolling thus costs one short seek per page; a jump walks the
// index at most half the list.
//
// The list is taken at one moment: rows written afterwards (by another
// running copy) do not shift it, as every page stops at the largest key
// seen when the list was opened.

#include "SqliteConnection.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

class PagedRecordSet {
  public:
    // columns: the select list, which must include key; key: a unique,
    // indexed text column of table.
    PagedRecordSet(SqliteConnection& cn, std::string columns, std::string table, std::string key,
                   std::size_t pageSize = 256);

    long recordCount() const { return count_; }
    int fieldCount() const { return shape_.fieldCount(); }
    const std::string& fieldName(int i) const { return shape_.fieldName(i); }
    int fieldIndex(std::string_view name) const { return shape_.fieldIndex(name); }
    // The value at a row (0 = newest) and column; Null past the rows that
    // are still stored.
    Variant value(std::size_t row, int col);
    // Counts again and forgets every page read, e.g. after a delete.
    void reload();

    std::size_t pagesRead() const { return pagesRead_; }

  private:
    using Rows = std::vector<std::vector<Variant>>;
    struct Page {
        Rows rows;
        std::uint64_t used = 0;
    };
    const Rows& page(std::size_t p);
    Rows fetch(std::size_t p);

    SqliteConnection& cn_;
    std::string columns_, table_, key_;
    std::size_t pageSize_;
    RecordSet shape_; // the column names, no rows
    int keyCol_ = -1;
    long count_ = 0;
    Variant top_;
    std::map<std::size_t, Page> pages_;
    std::uint64_t clock_ = 0;
    std::size_t pagesRead_ = 0;
};

} // namespace pelmora
