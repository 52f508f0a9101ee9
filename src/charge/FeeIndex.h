#pragma once
// The fee schedule read once into memory, answering the engine's fee lookup
// exactly as the database would: the row with the greatest 수가일자 not after
// the date, for the code. For pricing many requests in a row (the
// command-line batch), where twenty prepared queries per request are too slow.
//
// Every other statement, and every lookup the index cannot answer exactly as
// SQLite would (a table it cannot read, key columns that compare as numbers or
// with another collation, two different rows for one code and date), goes to
// the database itself, so results and failures stay the same.

#include "data/RefConnection.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace pelmora {

class SqliteConnection;

class FeeIndex : public RefConnection {
  public:
    explicit FeeIndex(SqliteConnection& db, Dialect dialect = Dialect::Local);

    Dialect dialect() const override { return direct_.dialect(); }
    RecordSet query(const std::string& sql, const std::vector<RefParam>& params) override;

    // Whether the table was read; false means every lookup goes to the database.
    bool loaded() const { return loaded_; }
    std::size_t codeCount() const { return byCode_.size(); }

  private:
    struct Row {
        std::string date;
        std::vector<Variant> values; // 수가단가, 수가명, 수가코드, 수가일자
    };
    struct Code {
        std::vector<Row> rows; // by date, ascending
        bool ambiguous = false;
    };

    bool canIndex(SqliteConnection& db) const;
    void load(SqliteConnection& db);

    SqliteRefConnection direct_;
    std::unordered_map<std::string, Code> byCode_;
    std::vector<std::string> names_;
    bool loaded_ = false;
};

} // namespace pelmora
