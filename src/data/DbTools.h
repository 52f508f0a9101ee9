#pragma once
// Schema questions asked of an SQLite connection: does a table or a column
// exist, and which database engine is installed.

#include "SqliteConnection.h"

#include <string>

namespace pelmora {

// True when the database holds a table (or view) of that name. Names are
// compared as the engine resolves them in SQL: ASCII case does not matter.
bool TableFind(SqliteConnection& cn, const std::string& table);
// True when the table has a column of that name (false when there is no
// such table).
bool FieldFind(SqliteConnection& cn, const std::string& table, const std::string& field);
// The version of the installed database engine, such as "3.40.1".
std::string DBMdecVersion();

} // namespace pelmora
