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
    const auto limit = Variant(static_cast<std::int32_t>(pageSize_));
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
    auto before = p > 0 ? pages_.find(p - 1) : pages_.end();
    if (before != pages_.end() && !before->second.rows.empty()) {
        const Variant& last = before->second.rows.back()[static_cast<std::size_t>(keyCol_)];
        return rowsOf(cn_.query(head + " < ? order by " + key_ + " desc limit ?", {last, limit}));
    }
    auto after = pages_.find(p + 1);
    if (after != pages_.end() && !after->second.rows.empty()) {
        const Variant& first = after->second.rows.front()[static_cast<std::size_t>(keyCol_)];
        Rows rows = rowsOf(cn_.query(head + " > ? and " + key_ + " <= ? order by " + key_ + " asc limit ?",
                                     {first, top_, limit}));
        std::reverse(rows.begin(), rows.end());
        return rows;
    }
    const auto offset = Variant(static_cast<std::int32_t>(p * pageSize_));
    return rowsOf(
        cn_.query(head + " <= ? order by " + key_ + " desc limit ? offset ?", {top_, limit, offset}));
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
