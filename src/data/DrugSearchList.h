#pragma once
// The search list of the drug search window, handed out a part at a time:
// its record count at once, its rows as they are asked for, so a window can
// show the first screenful of a long list before the rest is read.
//
// Over the link database the list is a series of row ids from its search
// index, read with the very select list of the list's query; over any other
// connection it is the query's whole result.

#include "RecordSet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pelmora {

class SqliteConnection;

class DrugSearchList {
  public:
    virtual ~DrugSearchList() = default;
    virtual long recordCount() const = 0;
    // Rows [first, first + count) of the list with the list's field names;
    // fewer at its end. Raises DbError when they cannot be read.
    virtual RecordSet rows(std::size_t first, std::size_t count) = 0;
};

// A list read whole.
class WholeDrugList : public DrugSearchList {
  public:
    explicit WholeDrugList(RecordSet rs) : rs_(std::move(rs)) {}
    long recordCount() const override { return rs_.recordCount(); }
    RecordSet rows(std::size_t first, std::size_t count) override;

  private:
    RecordSet rs_;
};

// A list of row ids of the link database, each read when asked for. The
// connection is shared, so the list stays readable while a newer link
// database takes its place.
class IndexedDrugList : public DrugSearchList {
  public:
    // rowid: the name of the row id in the drug price table.
    IndexedDrugList(std::shared_ptr<SqliteConnection> db, std::string rowid, std::vector<std::int64_t> ids)
        : db_(std::move(db)), rowid_(std::move(rowid)), ids_(std::move(ids)) {}
    long recordCount() const override { return static_cast<long>(ids_.size()); }
    RecordSet rows(std::size_t first, std::size_t count) override;

  private:
    std::shared_ptr<SqliteConnection> db_;
    std::string rowid_;
    std::vector<std::int64_t> ids_;
};

} // namespace pelmora
