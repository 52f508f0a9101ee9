#include "DrugSearchIndex.h"

#include "SqliteConnection.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace pelmora {

namespace {

// Longer texts, and any text LIKE would read as a pattern, go to the query.
constexpr std::size_t kLongestText = 1000;

bool plainText(const std::string& t) {
    if (t.size() > kLongestText || t.find_first_of(std::string("%_\0", 3)) != std::string::npos) return false;
    // the same strict reading the build required of the table's texts
    for (std::size_t i = 0; i < t.size();) {
        const auto c = static_cast<unsigned char>(t[i]);
        const std::size_t len = c < 0x80             ? 1
                                : (c & 0xE0) == 0xC0 ? 2
                                : (c & 0xF0) == 0xE0 ? 3
                                : (c & 0xF8) == 0xF0 ? 4
                                                     : 0;
        if (len == 0 || i + len > t.size()) return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(t[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

template <typename T> std::vector<T> asVector(const std::string& bytes) {
    std::vector<T> v(bytes.size() / sizeof(T));
    if (!v.empty()) std::memcpy(v.data(), bytes.data(), v.size() * sizeof(T));
    return v;
}

} // namespace

std::unique_ptr<DrugSearchIndex> DrugSearchIndex::load(SqliteConnection& db) {
    sqlite3* h = db.handle();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h, "SELECT part, data FROM LinkSysDrugSearch ORDER BY id", -1, &st, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(st);
        return nullptr; // built without one
    }
    std::map<std::string, std::string> parts;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const std::string part = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        const void* data = sqlite3_column_blob(st, 1);
        parts[part].append(static_cast<const char*>(data),
                           static_cast<std::size_t>(sqlite3_column_bytes(st, 1)));
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) throw sqliteError(rc, sqlite3_errmsg(h));

    auto ix = std::unique_ptr<DrugSearchIndex>(new DrugSearchIndex);
    ix->rowid_ = parts["rowid"];
    ix->rid_ = asVector<std::uint32_t>(parts["rid"]);
    ix->group_ = asVector<std::uint32_t>(parts["group"]);
    ix->ord_ = asVector<std::uint32_t>(parts["ord"]);
    ix->start_ = asVector<std::int32_t>(parts["start"]);
    ix->end_ = asVector<std::int32_t>(parts["end"]);
    const std::string& dates = parts["dates"];
    for (std::size_t at = 0; at < dates.size();) {
        const std::size_t stop = dates.find('\0', at);
        ix->dates_.push_back(dates.substr(at, stop - at));
        at = stop + 1;
    }
    const std::size_t rows = ix->rid_.size();
    if (ix->rowid_.empty() || ix->ord_.size() != rows || ix->start_.size() != rows ||
        ix->end_.size() != rows || ix->group_.empty() || ix->group_.back() != rows)
        return nullptr;
    for (std::uint32_t o : ix->ord_)
        if (o >= rows) return nullptr;
    const std::pair<const char*, Texts*> kinds[] = {
        {"code", &ix->code_}, {"name", &ix->name_}, {"maker", &ix->maker_}};
    for (auto [name, texts] : kinds) {
        const std::string n = name;
        if (!parts.count(n + ".joined")) continue;
        texts->joined = std::move(parts[n + ".joined"]);
        texts->offsets = asVector<std::uint32_t>(parts[n + ".offsets"]);
        texts->present = asVector<std::uint8_t>(parts[n + ".present"]);
        texts->usable = texts->offsets.size() == texts->present.size() + 1 && !texts->offsets.empty() &&
                        texts->offsets.back() == texts->joined.size();
    }
    // every usable kind knows every text the rows are grouped by
    for (const Texts* t : {&ix->code_, &ix->name_, &ix->maker_})
        if (t->usable && t->present.size() + 1 != ix->group_.size()) return nullptr;
    return ix;
}

const DrugSearchIndex::Texts& DrugSearchIndex::kind(int yakSn) const {
    return yakSn == 1 ? name_ : yakSn == 2 ? maker_ : code_;
}

std::optional<std::vector<std::int64_t>> DrugSearchIndex::find(const std::string& date, int yakSn,
                                                               const std::string& text) const {
    const Texts& t = kind(yakSn);
    if (!t.usable || !plainText(text)) return std::nullopt;
    std::string needle = text;
    for (auto& c : needle)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');

    // Which texts contain the needle: one pass over all of them, skipping to
    // the next text after a hit.
    std::vector<std::uint8_t> hit;
    if (needle.empty()) {
        hit = t.present;
    } else {
        hit.assign(t.present.size(), 0);
        const char* base = t.joined.data();
        const std::size_t size = t.joined.size();
        std::size_t k = 0; // the text holding the hit; hits only move forward
        for (std::size_t at = 0; at < size;) {
            const void* p = ::memmem(base + at, size - at, needle.data(), needle.size());
            if (!p) break;
            const auto pos = static_cast<std::uint32_t>(static_cast<const char*>(p) - base);
            while (t.offsets[k + 1] <= pos)
                ++k;
            hit[k] = t.present[k];
            at = t.offsets[k + 1];
        }
    }

    // Valid on the date: start <= date (ranks below `upTo`) and end >= date
    // (ranks from `from`).
    const auto upTo =
        static_cast<std::int32_t>(std::upper_bound(dates_.begin(), dates_.end(), date) - dates_.begin());
    const auto from =
        static_cast<std::int32_t>(std::lower_bound(dates_.begin(), dates_.end(), date) - dates_.begin());
    std::vector<std::uint32_t> positions;
    for (std::size_t k = 0; k < hit.size(); ++k) {
        if (!hit[k]) continue;
        for (std::uint32_t at = group_[k]; at < group_[k + 1]; ++at)
            if (start_[at] < upTo && end_[at] >= from) positions.push_back(ord_[at]);
    }
    std::sort(positions.begin(), positions.end());
    std::vector<std::int64_t> rows(positions.size());
    for (std::size_t i = 0; i < positions.size(); ++i)
        rows[i] = rid_[positions[i]];
    return rows;
}

} // namespace pelmora
