#pragma once
// Every read of reference data goes through this interface: a SELECT text
// with positional "?" parameters bound as text of a declared size, giving a
// record set with its record count. The SQL dialect is set by whoever opens
// the connection and never guessed from the SQL: SQLite connections speak the
// local dialect, the central server speaks T-SQL.

#include "RecordSet.h"

#include <memory>
#include <string>
#include <vector>

namespace pelmora {

class DrugSearchList;
class SqliteConnection;

enum class Dialect { Local, TSql };

struct RefParam {
    std::string value;
    int size = 10; // declared size; a longer value is sent whole, never cut
};

class RefConnection {
public:
    virtual ~RefConnection() = default;
    virtual Dialect dialect() const = 0;
    // Sends the statement text as given and binds only the parameters.
    // Failures raise DbError (or RuntimeError).
    virtual RecordSet query(const std::string& sql, const std::vector<RefParam>& params) = 0;
    // A faster way to the search list of clsYakGa::RecordList at date
    // (YYYYMMDD) for its search kind and text: the very rows, in the very
    // order, of the list's query. nullptr when the connection has none for
    // this search, which then runs the query.
    virtual std::unique_ptr<DrugSearchList> drugSearch(const std::string& date, int yakSn,
                                                       const std::string& text);
};

// A reference connection over an SQLite connection, in the local dialect
// unless told otherwise. The SQLite connection must outlive it.
class SqliteRefConnection : public RefConnection {
public:
    explicit SqliteRefConnection(SqliteConnection& db, Dialect dialect = Dialect::Local)
        : db_(db), dialect_(dialect) {}
    Dialect dialect() const override { return dialect_; }
    RecordSet query(const std::string& sql, const std::vector<RefParam>& params) override;
    SqliteConnection& database() { return db_; }

private:
    SqliteConnection& db_;
    Dialect dialect_;
};

} // namespace pelmora
