#include "LinkRecord.h"

#include "SqliteConnection.h"

#include <sqlite3.h>

#include <sys/stat.h>

namespace pelmora {

namespace {
std::string library() {
    return std::string("sqlite ") + sqlite3_sourceid();
}
} // namespace

void LinkRecord::write(SqliteConnection& db, const ReferenceStamps& stamps) {
    db.executeScript("CREATE TABLE LinkSysBuild (key TEXT PRIMARY KEY, value TEXT NOT NULL)");
    db.executeScript("CREATE TABLE LinkSysSource (file INTEGER PRIMARY KEY, name TEXT NOT NULL, "
                     "stamp TEXT NOT NULL)");
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
        db.execute(
            "INSERT INTO LinkSysSource (file, name, stamp) VALUES (?, ?, ?)",
            {Variant(static_cast<std::int32_t>(i)), Variant(ReferenceFiles::names()[i]), Variant(stamps[i])});
    db.execute("INSERT INTO LinkSysBuild (key, value) VALUES ('format', ?), ('library', ?)",
               {Variant(std::to_string(kFormat)), Variant(library())});
}

std::optional<ReferenceStamps> LinkRecord::read(SqliteConnection& db) {
    try {
        // A file cut short (a copy that stopped, a full disk) holds fewer
        // pages than its header counts.
        struct stat st {};
        if (::stat(db.path().c_str(), &st) != 0) return std::nullopt;
        const long long pages = db.query("PRAGMA page_count").field(0).toDouble();
        const long long pageSize = db.query("PRAGMA page_size").field(0).toDouble();
        if (pages * pageSize != static_cast<long long>(st.st_size)) return std::nullopt;

        auto build = db.query("SELECT key, value FROM LinkSysBuild");
        int matched = 0;
        for (; !build.eof(); build.moveNext()) {
            const std::string key = build.field(0).toText(), value = build.field(1).toText();
            if (key == "format") matched += value == std::to_string(kFormat);
            if (key == "library") matched += value == library();
        }
        if (matched != 2) return std::nullopt;

        ReferenceStamps stamps;
        int files = 0;
        for (auto rs = db.query("SELECT file, name, stamp FROM LinkSysSource ORDER BY file"); !rs.eof();
             rs.moveNext(), ++files) {
            const auto i = static_cast<std::size_t>(rs.field(0).toInt32());
            if (i != static_cast<std::size_t>(files) || i >= ReferenceFiles::kCount ||
                rs.field(1).toText() != ReferenceFiles::names()[i])
                return std::nullopt;
            stamps[i] = rs.field(2).toText();
        }
        if (files != static_cast<int>(ReferenceFiles::kCount)) return std::nullopt;
        return stamps;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace pelmora
