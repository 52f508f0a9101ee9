// Building the search index of the drug search list; see DrugSearchIndex.h.

#include "DrugSearchIndex.h"

#include "SqliteConnection.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace pelmora {

namespace {

constexpr std::size_t kPartBytes = 4 * 1024 * 1024;
constexpr std::int32_t kNever = std::numeric_limits<std::int32_t>::max();

// Strict UTF-8: what LIKE decodes is then exactly the bytes compared.
bool validUtf8(const unsigned char* s, std::size_t n) {
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        std::size_t len = c < 0x80             ? 1
                          : (c & 0xE0) == 0xC0 ? 2
                          : (c & 0xF0) == 0xE0 ? 3
                          : (c & 0xF8) == 0xF0 ? 4
                                               : 0;
        if (len == 0 || i + len > n) return false;
        std::uint32_t cp = len == 1 ? c : c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        static const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

void writePart(sqlite3* db, sqlite3_stmt* st, const std::string& part, const void* data, std::size_t bytes) {
    const auto* p = static_cast<const char*>(data);
    std::size_t at = 0;
    do {
        const std::size_t n = std::min(kPartBytes, bytes - at);
        sqlite3_bind_text(st, 1, part.data(), static_cast<int>(part.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(st, 2, n ? p + at : "", static_cast<int>(n), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(st);
        sqlite3_reset(st);
        if (rc != SQLITE_DONE) throw sqliteError(rc, sqlite3_errmsg(db));
        at += n;
    } while (at < bytes);
}

template <typename T>
void writeVector(sqlite3* db, sqlite3_stmt* st, const std::string& part, const std::vector<T>& v) {
    writePart(db, st, part, v.data(), v.size() * sizeof(T));
}

struct KindTexts {
    bool usable = true;
    std::string joined;
    std::vector<std::uint32_t> offsets{0};
    std::vector<std::uint8_t> present;
};

} // namespace

bool DrugSearchIndex::build(SqliteConnection& db) {
    const char* const table = "DBF심평원약";
    std::unordered_map<std::string, std::string> types;
    for (auto rs = db.query("SELECT lower(name), type FROM pragma_table_info(?)", {Variant(table)});
         !rs.eof(); rs.moveNext())
        types[rs.field(0).toText()] = rs.field(1).toText();
    for (const char* c : {"약품명", "업소명", "표준코드", "적용시작일", "적용종료일"})
        if (!types.count(c)) return false;
    // Dates compare as text only in a column of text affinity.
    for (const char* c : {"적용시작일", "적용종료일"})
        if (types[c].rfind("TEXT", 0) != 0) return false;
    std::string rowid;
    for (const char* alias : {"rowid", "_rowid_", "oid"})
        if (rowid.empty() && !types.count(alias)) rowid = alias;
    if (rowid.empty()) return false;

    sqlite3* h = db.handle();
    const std::string sql = "SELECT " + rowid + ", 표준코드, 약품명, 업소명, 적용시작일, 적용종료일 FROM \"" +
                            table + "\" ORDER BY 약품명, 적용종료일, 적용시작일, " + rowid;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr);
    if (rc != SQLITE_OK) throw sqliteError(rc, sqlite3_errmsg(h));

    std::vector<std::uint32_t> rid, text;
    std::vector<std::int32_t> start, end;
    std::unordered_map<std::string, std::uint32_t> textIds, dateIds;
    std::array<KindTexts, 3> kinds; // code, name, maker, as the columns come
    std::string key;
    auto dateId = [&](int col, std::int32_t ifNull, std::int32_t ifBlob) -> std::int32_t {
        switch (sqlite3_column_type(st, col)) {
        case SQLITE_NULL:
            return ifNull;
        case SQLITE_TEXT: {
            std::string d(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                          static_cast<std::size_t>(sqlite3_column_bytes(st, col)));
            return static_cast<std::int32_t>(dateIds.emplace(std::move(d), dateIds.size()).first->second);
        }
        default:
            return ifBlob;
        }
    };
    bool exact = true;
    while (exact && (rc = sqlite3_step(st)) == SQLITE_ROW) {
        const sqlite3_int64 id = sqlite3_column_int64(st, 0);
        if (id < 0 || id > std::numeric_limits<std::int32_t>::max()) exact = false;
        rid.push_back(static_cast<std::uint32_t>(id));
        key.clear();
        std::array<std::string_view, 3> value;
        std::array<bool, 3> has{};
        for (int k = 0; k < 3; ++k) {
            const int type = sqlite3_column_type(st, 1 + k);
            has[k] = type != SQLITE_NULL;
            if (has[k]) {
                const auto* t = sqlite3_column_text(st, 1 + k);
                const auto n = static_cast<std::size_t>(sqlite3_column_bytes(st, 1 + k));
                if (type == SQLITE_BLOB || std::memchr(t, 0, n) || !validUtf8(t, n)) kinds[k].usable = false;
                value[k] = {reinterpret_cast<const char*>(t), n};
            }
            // presence and length first, so no two combinations share a key
            const std::uint32_t n = has[k] ? static_cast<std::uint32_t>(value[k].size()) + 1 : 0;
            key.append(reinterpret_cast<const char*>(&n), sizeof n);
            key.append(value[k]);
        }
        auto [it, added] = textIds.emplace(key, textIds.size());
        text.push_back(it->second);
        if (added) {
            for (int k = 0; k < 3; ++k) {
                KindTexts& kind = kinds[k];
                const std::size_t from = kind.joined.size();
                kind.joined.append(value[k]);
                for (std::size_t i = from; i < kind.joined.size(); ++i)
                    if (kind.joined[i] >= 'A' && kind.joined[i] <= 'Z') kind.joined[i] += 'a' - 'A';
                kind.joined += '\0';
                kind.offsets.push_back(static_cast<std::uint32_t>(kind.joined.size()));
                kind.present.push_back(has[k] ? 1 : 0);
            }
        }
        // A missing start is never on or before a date, a missing end never on
        // or after it; a blob compares above every text.
        start.push_back(dateId(4, kNever, kNever));
        end.push_back(dateId(5, -1, kNever));
    }
    sqlite3_finalize(st);
    if (exact && rc != SQLITE_DONE) throw sqliteError(rc, sqlite3_errmsg(h));
    for (const auto& kind : kinds)
        exact = exact && kind.joined.size() < std::numeric_limits<std::uint32_t>::max();
    if (!exact) return false;

    // Ranks in the order SQLite compares text: byte by byte, shorter first.
    std::vector<std::string> dates(dateIds.size());
    for (auto& [d, id] : dateIds)
        dates[id] = d;
    std::vector<std::int32_t> rank(dates.size());
    std::vector<std::size_t> order(dates.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return dates[a] < dates[b]; });
    std::string joinedDates;
    for (std::size_t r = 0; r < order.size(); ++r) {
        rank[order[r]] = static_cast<std::int32_t>(r);
        joinedDates += dates[order[r]];
        joinedDates += '\0';
    }
    for (auto* v : {&start, &end})
        for (auto& d : *v)
            if (d >= 0 && d != kNever) d = rank[static_cast<std::size_t>(d)];

    // The rows of each text together, each text's in list order: a search
    // visits only the rows of the texts that contain the search text.
    const std::size_t texts = textIds.size();
    std::vector<std::uint32_t> group(texts + 1, 0), ord(rid.size());
    std::vector<std::int32_t> groupStart(rid.size()), groupEnd(rid.size());
    for (std::uint32_t t : text)
        ++group[t + 1];
    for (std::size_t t = 0; t < texts; ++t)
        group[t + 1] += group[t];
    std::vector<std::uint32_t> cursor(group.begin(), group.end() - 1);
    for (std::size_t i = 0; i < rid.size(); ++i) {
        const std::uint32_t at = cursor[text[i]]++;
        ord[at] = static_cast<std::uint32_t>(i);
        groupStart[at] = start[i];
        groupEnd[at] = end[i];
    }

    db.executeScript(
        "CREATE TABLE LinkSysDrugSearch (id INTEGER PRIMARY KEY, part TEXT NOT NULL, data BLOB NOT NULL)");
    rc = sqlite3_prepare_v2(h, "INSERT INTO LinkSysDrugSearch (part, data) VALUES (?, ?)", -1, &st, nullptr);
    if (rc != SQLITE_OK) throw sqliteError(rc, sqlite3_errmsg(h));
    try {
        writePart(h, st, "rowid", rowid.data(), rowid.size());
        writeVector(h, st, "rid", rid);
        writeVector(h, st, "group", group);
        writeVector(h, st, "ord", ord);
        writeVector(h, st, "start", groupStart);
        writeVector(h, st, "end", groupEnd);
        writePart(h, st, "dates", joinedDates.data(), joinedDates.size());
        const char* names[] = {"code", "name", "maker"};
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            if (!kinds[k].usable) continue;
            const std::string n = names[k];
            writePart(h, st, n + ".joined", kinds[k].joined.data(), kinds[k].joined.size());
            writeVector(h, st, n + ".offsets", kinds[k].offsets);
            writeVector(h, st, n + ".present", kinds[k].present);
        }
    } catch (...) {
        sqlite3_finalize(st);
        throw;
    }
    sqlite3_finalize(st);
    return true;
}

} // namespace pelmora
