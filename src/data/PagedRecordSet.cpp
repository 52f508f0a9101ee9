#include "PagedRecordSet.h"

#include <algorithm>

namespace pelmora {

namespace {
// Enough pages for a few screens either side of the one shown.
constexpr std::size_t kPagesKept = 32;
} // namespace

PagedRecordSet::PagedRecordSet(SqliteConnection& cn, std::string columns, std::string table, std::string key,
                               std::size_t pageSize)
    : cn_(cn), columns_(std::move(columns)), table_(std::move(table)), key_(std::move(key)),
      pageSize_(std::max<std::size_t>(pageSize, 1)) {
    shape_ = cn_.query("select " + columns_ + " from " + table_ + " limit 0");
    keyCol_ = fieldIndex(key_);
    if (keyCol_ < 0) throw DbError(dberr::kItemNotFound, "list key not among its columns: " + key_);
    reload();
}

void PagedRecordSet::reload() {
    pages_.clear();
    // Count and largest key from one snapshot, so they describe the same rows.
    bool own = !cn_.inTransaction();
    if (own) cn_.begin();
    try {
        count_ = cn_.query("select count(*) from " + table_).field(0).toInt32();
        top_ = cn_.query("select max(" + key_ + ") from " + table_).field(0);
        if (own) cn_.commit();
    } catch (...) {
        if (own) cn_.rollback();
        throw;
    }
    if (top_.isNull()) count_ = 0;
}

PagedRecordSet::Rows PagedRecordSet::fetch(std::size_t p) {
    const std::string head = "select " + columns_ + " from " + table_ + " where " + key_;
    ++pagesRead_;
    auto rowsOf = [](RecordSet rs) {
        Rows rows;
        rows.reserve(static_cast<std::size_t>(rs.recordCount()));
        for (; !rs.eof(); rs.moveNext()) {
            std::vector<Variant> row;
            for (int c = 0; c < rs.fieldCount(); ++c)
                row.push_back(rs.field(c));
            rows.push_back(std::move(row));
        }
        return rows;
    };
    // Walk to the page from the nearest known place: the top of the list, its
    // bottom, or a page already read (its edge key is one index seek away).
    const std::size_t total = static_cast<std::size_t>(count_);
    const std::size_t start = p * pageSize_;
    const std::size_t n = std::min(pageSize_, total - std::min(start, total));
    enum class From { Top, Bottom, Above, Below } from = From::Top;
    std::size_t walk = start;
    Variant edge;
    if (total - start - n < walk) {
        from = From::Bottom;
        walk = total - start - n;
    }
    for (const auto& [q, pg] : pages_) {
        if (pg.rows.empty()) continue;
        if (q < p && start - (q + 1) * pageSize_ < walk) {
            from = From::Above;
            walk = start - (q + 1) * pageSize_;
            edge = pg.rows.back()[static_cast<std::size_t>(keyCol_)];
        } else if (q > p && q * pageSize_ - (start + n) < walk) {
            from = From::Below;
            walk = q * pageSize_ - (start + n);
            edge = pg.rows.front()[static_cast<std::size_t>(keyCol_)];
        }
    }
    const auto limit = Variant(static_cast<std::int32_t>(n));
    const auto offset = Variant(static_cast<std::int32_t>(walk));
    const std::string desc = " order by " + key_ + " desc limit ? offset ?";
    const std::string asc = " order by " + key_ + " asc limit ? offset ?";
    Rows rows;
    switch (from) {
    case From::Top:
        return rowsOf(cn_.query(head + " <= ?" + desc, {top_, limit, offset}));
    case From::Above:
        return rowsOf(cn_.query(head + " < ?" + desc, {edge, limit, offset}));
    case From::Bottom:
        rows = rowsOf(cn_.query(head + " <= ?" + asc, {top_, limit, offset}));
        break;
    case From::Below:
        rows = rowsOf(cn_.query(head + " > ? and " + key_ + " <= ?" + asc, {edge, top_, limit, offset}));
        break;
    }
    std::reverse(rows.begin(), rows.end());
    return rows;
}

const PagedRecordSet::Rows& PagedRecordSet::page(std::size_t p) {
    auto it = pages_.find(p);
    if (it == pages_.end()) {
        Rows rows = fetch(p);
        if (pages_.size() >= kPagesKept) {
            auto oldest = std::min_element(pages_.begin(), pages_.end(), [](const auto& a, const auto& b) {
                return a.second.used < b.second.used;
            });
            pages_.erase(oldest);
        }
        it = pages_.emplace(p, Page{std::move(rows), 0}).first;
    }
    it->second.used = ++clock_;
    return it->second.rows;
}

Variant PagedRecordSet::value(std::size_t row, int col) {
    if (col < 0 || col >= fieldCount()) throw rterr::subscriptOutOfRange();
    if (row >= static_cast<std::size_t>(count_)) return Variant::null();
    const Rows& rows = page(row / pageSize_);
    std::size_t i = row % pageSize_;
    if (i >= rows.size()) return Variant::null();
    return rows[i][static_cast<std::size_t>(col)];
}

} // namespace pelmora
