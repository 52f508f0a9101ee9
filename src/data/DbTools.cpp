#include "DbTools.h"

#include <sqlite3.h>

namespace pelmora {

bool TableFind(SqliteConnection& cn, const std::string& table) {
    return !cn.query(
                  "SELECT name FROM sqlite_master WHERE type IN ('table','view') AND name = ? COLLATE NOCASE",
                  {Variant(table)})
                .eof();
}

bool FieldFind(SqliteConnection& cn, const std::string& table, const std::string& field) {
    return !cn.query("SELECT name FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE",
                     {Variant(table), Variant(field)})
                .eof();
}

std::string DBMdecVersion() {
    return sqlite3_libversion();
}

} // namespace pelmora
