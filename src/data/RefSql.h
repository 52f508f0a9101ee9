#pragma once
// The SQL texts of the reference lookups, in both dialects side by side: the
// local one in SQLite's words (iif, substr, length, LIMIT 1) runs on the link
// database and on any SQLite file reached through ODBC; the T-SQL one goes to
// the central server. Apart from those words the two are the same piece for
// piece. Every text starts with CR LF and has CR LF after each piece.

#include "RefConnection.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace pelmora {

class RefSql {
  public:
    static std::string join(std::initializer_list<std::string_view> pieces);

    // clsYakGa
    static std::string routeExpression(Dialect d);
    static std::string yakGaSelect(Dialect d, int mode);
    static std::string yakGaBibo(Dialect d);
    static std::string yakGaList(Dialect d, int yakSn);
    // Rows of the search list by their row ids in the link database (the
    // row id named rowid, or another of its names when a column takes that
    // one), `count` of them, each with its row id last, as vcRowId, in row id
    // order.
    static std::string yakGaListRows(const std::string& rowid, std::size_t count);
    // the notice date of the drug prices
    static std::string noticeDate(Dialect d);
    // clsHoliday, clsHosp, clsSpesial: the same text in both dialects
    static std::string holiday();
    static std::string hosp();
    static std::string spesial();

    // The date a lookup searches at: the given date when it is a real
    // calendar date written YYYYMMDD or YYYY-MM-DD (hyphens removed),
    // otherwise today.
    static std::string dateOrToday(const std::string& date);

    // Declared sizes of the text parameters.
    static constexpr int kCodeSize = 10;
    static constexpr int kDateSize = 8;
    static constexpr int kSearchSize = 255;
};

} // namespace pelmora
