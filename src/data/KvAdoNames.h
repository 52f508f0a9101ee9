#pragma once
// Helpers shared by the toolkit's schema and copy operations: which names
// may be pasted into a statement, and how a value becomes a literal.

#include "util/Clock.h"

#include <sql.h>

#include <string>

namespace pelmora::kvado {

inline bool validName(const std::string& s) {
    if (s.empty() || s.find("--") != std::string::npos) return false;
    for (unsigned char c : s)
        if (c < 0x20 || c == '[' || c == ']' || c == '\'' || c == '"' || c == ';') return false;
    return true;
}

inline std::string literal(const std::string& v) {
    std::string out = "'";
    for (char c : v) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

inline bool sized(const std::string& type) {
    return type == "CHAR" || type == "NVERCHAR" || type == "DECIMAL";
}

inline bool numericSqlType(int t) {
    switch (t) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case -5: // big integer
    case -6: // tiny integer
    case -7: // bit
        return true;
    default:
        return false;
    }
}

inline std::string stamp() {
    auto n = Clock::now();
    return n.yyyymmdd() + n.hhmmss();
}

} // namespace pelmora::kvado
