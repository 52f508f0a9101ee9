#include "SqliteRow.h"

#include <sqlite3.h>

namespace pelmora {

int SqliteRow::columns() const {
    return sqlite3_column_count(st_);
}

bool SqliteRow::isNull(int col) const {
    return sqlite3_column_type(st_, col) == SQLITE_NULL;
}

std::int64_t SqliteRow::int64(int col) const {
    return sqlite3_column_int64(st_, col);
}

std::string SqliteRow::text(int col) const {
    return std::string(view(col));
}

std::string_view SqliteRow::view(int col) const {
    const unsigned char* t = sqlite3_column_text(st_, col);
    if (!t) return {};
    return {reinterpret_cast<const char*>(t), static_cast<std::size_t>(sqlite3_column_bytes(st_, col))};
}

} // namespace pelmora
