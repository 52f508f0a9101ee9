#pragma once
// The search index of the drug search list (clsYakGa::RecordList) over the
// link database: which price rows are valid on a date and whose code, name or
// maker contains a text, in the list's order, in a millisecond or two, so the
// search window answers at national scale in the time of a keystroke.
//
// The list's query orders by the drug name; rows of the same name come in the
// order of the validity-date index it walks (end, start, row id). The build
// numbers every price row in exactly that order, so the index only has to
// say which rows match. It keeps the distinct combinations of code, name and
// maker the rows carry ("texts"), and for each text its rows with their list
// positions and the ranks of their validity dates among all dates of the
// table. A search finds the texts containing the search text (ASCII letters
// folded, as the query's LIKE folds them), takes their rows valid on the
// date and puts them in list order.
//
// Built only when the result is certain to be the query's: dates held as
// text, names free of LIKE's wildcards' traps; a search text with a wildcard
// ('%', '_') or a table the index does not cover runs the query instead.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

class SqliteConnection;

class DrugSearchIndex {
  public:
    // Writes the index into the link database being built; false when the
    // drug price table cannot be indexed exactly (the search then queries).
    static bool build(SqliteConnection& db);
    // The index written by build(); nullptr when there is none.
    static std::unique_ptr<DrugSearchIndex> load(SqliteConnection& db);

    // The row ids of the search list at date (YYYYMMDD) for the search
    // kind of RecordList (0 code, 1 name, 2 maker, any other code) and text,
    // in the list's order; nullopt when this search must run the query.
    std::optional<std::vector<std::int64_t>> find(const std::string& date, int yakSn,
                                                  const std::string& text) const;
    // The name under which the price table's row id is reached.
    const std::string& rowid() const { return rowid_; }
    std::size_t rowCount() const { return rid_.size(); }

  private:
    // The texts of one search kind, one per combination, folded and
    // separated by NUL; an absent (NULL) value never matches.
    struct Texts {
        bool usable = false;
        std::string joined;
        std::vector<std::uint32_t> offsets; // start of each, and the end
        std::vector<std::uint8_t> present;
    };
    const Texts& kind(int yakSn) const;

    std::string rowid_ = "rowid";
    std::vector<std::uint32_t> rid_;        // row id by list position
    std::vector<std::uint32_t> group_;      // first row of each text, and the end
    std::vector<std::uint32_t> ord_;        // list position of each row, by text
    std::vector<std::int32_t> start_, end_; // date ranks of each row, by text; see the build for absent ones
    std::vector<std::string> dates_;        // every date of the table, in the order text compares
    Texts code_, name_, maker_;
};

} // namespace pelmora
