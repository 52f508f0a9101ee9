#include "FeeIndex.h"

#include "clsAccount.h"
#include "data/SqliteConnection.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>

namespace pelmora {

namespace {
const char* const kTable = "DBF심평원수";
const char* const kKeys[] = {"수가코드", "수가일자"};

std::string upper(std::string s) {
    for (auto& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// SQLite's column affinity rules, reduced to the question that matters here:
// does a text parameter compare with this column as text?
bool comparesAsText(const char* declared) {
    const std::string d = upper(declared ? declared : "");
    if (d.find("INT") != std::string::npos) return false;
    if (d.find("CHAR") != std::string::npos || d.find("CLOB") != std::string::npos ||
        d.find("TEXT") != std::string::npos)
        return true;
    // No affinity ("BLOB" or nothing declared) compares as stored; the load
    // checks that no key is stored as a number.
    return d.empty() || d.find("BLOB") != std::string::npos;
}
} // namespace

FeeIndex::FeeIndex(SqliteConnection& db, Dialect dialect) : direct_(db, dialect) {
    try {
        if (dialect == Dialect::Local && canIndex(db)) load(db);
    } catch (const RuntimeError&) {
        // The database answers every lookup itself, failures included.
        byCode_.clear();
        loaded_ = false;
    }
}

bool FeeIndex::canIndex(SqliteConnection& db) const {
    RecordSet enc = db.query("PRAGMA encoding");
    if (enc.eof() || enc.field(0).toText() != "UTF-8") return false;
    for (const char* column : kKeys) {
        const char* type = nullptr;
        const char* collation = nullptr;
        int notNull = 0, primaryKey = 0, autoIncrement = 0;
        if (sqlite3_table_column_metadata(db.handle(), nullptr, kTable, column, &type, &collation, &notNull,
                                          &primaryKey, &autoIncrement) != SQLITE_OK)
            return false;
        if (!comparesAsText(type) || upper(collation ? collation : "BINARY") != "BINARY") return false;
    }
    RecordSet numeric =
        db.query("SELECT count(*) FROM DBF심평원수 WHERE typeof(수가코드) IN ('integer', 'real') "
                 "OR typeof(수가일자) IN ('integer', 'real')");
    return !numeric.eof() && numeric.field(0).toInt32() == 0;
}

void FeeIndex::load(SqliteConnection& db) {
    // Keys stored as NULL or BLOB never equal a text parameter: those rows are never found.
    RecordSet rs = db.query("SELECT 수가단가, 수가명, 수가코드, 수가일자 FROM DBF심평원수 "
                            "WHERE typeof(수가코드) = 'text' AND typeof(수가일자) = 'text'");
    names_ = rs.names();
    for (; !rs.eof(); rs.moveNext()) {
        Row row;
        row.values = {rs.field(0), rs.field(1), rs.field(2), rs.field(3)};
        row.date = *rs.field(3).asString();
        byCode_[*rs.field(2).asString()].rows.push_back(std::move(row));
    }
    for (auto& [code, entry] : byCode_) {
        auto& rows = entry.rows;
        std::stable_sort(rows.begin(), rows.end(),
                         [](const Row& a, const Row& b) { return a.date < b.date; });
        // Two different rows for one date: which one the database returns is
        // its own affair, so it is asked.
        for (std::size_t i = 1; i < rows.size(); ++i)
            if (rows[i].date == rows[i - 1].date && rows[i].values != rows[i - 1].values)
                entry.ambiguous = true;
    }
    loaded_ = true;
}

RecordSet FeeIndex::query(const std::string& sql, const std::vector<RefParam>& params) {
    const std::string& lookup = clsAccount::feeLookupSql(Dialect::Local);
    if (!loaded_ || params.size() != 2 || (&sql != &lookup && sql != lookup))
        return direct_.query(sql, params);
    auto it = byCode_.find(params[1].value);
    if (it == byCode_.end()) return RecordSet(names_, {});
    if (it->second.ambiguous) return direct_.query(sql, params);
    const auto& rows = it->second.rows;
    const std::string& date = params[0].value;
    auto after = std::upper_bound(rows.begin(), rows.end(), date,
                                  [](const std::string& d, const Row& r) { return d < r.date; });
    if (after == rows.begin()) return RecordSet(names_, {});
    return RecordSet(names_, {std::prev(after)->values});
}

} // namespace pelmora
