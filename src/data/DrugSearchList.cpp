#include "DrugSearchList.h"

#include "RefSql.h"
#include "SqliteConnection.h"

#include <algorithm>

namespace pelmora {

RecordSet WholeDrugList::rows(std::size_t first, std::size_t count) {
    const auto total = static_cast<std::size_t>(rs_.recordCount());
    const std::size_t stop = std::min(total, first + std::min(count, total));
    std::vector<std::vector<Variant>> out;
    for (std::size_t r = std::min(first, total); r < stop; ++r) {
        std::vector<Variant> row;
        row.reserve(static_cast<std::size_t>(rs_.fieldCount()));
        for (int c = 0; c < rs_.fieldCount(); ++c)
            row.push_back(rs_.value(r, c));
        out.push_back(std::move(row));
    }
    return RecordSet(rs_.names(), std::move(out));
}

// The rows are read in row id order, a batch per statement, so neighbouring
// rows come from pages just read; then they are put back in list order.
RecordSet IndexedDrugList::rows(std::size_t first, std::size_t count) {
    constexpr std::size_t kBatch = 256;
    const std::size_t begin = std::min(first, ids_.size());
    const std::size_t stop = std::min(ids_.size(), begin + std::min(count, ids_.size()));
    std::vector<std::pair<std::int64_t, std::size_t>> wanted; // row id, place in the result
    wanted.reserve(stop - begin);
    for (std::size_t k = begin; k < stop; ++k)
        wanted.emplace_back(ids_[k], k - begin);
    std::sort(wanted.begin(), wanted.end());

    const std::string sql = RefSql::yakGaListRows(rowid_, kBatch);
    std::vector<std::string> names;
    std::vector<std::vector<Variant>> out(wanted.size());
    for (std::size_t at = 0; at < wanted.size() || names.empty(); at += kBatch) {
        const std::size_t end = std::min(wanted.size(), at + kBatch);
        std::vector<Variant> params;
        params.reserve(kBatch);
        for (std::size_t i = 0; i < kBatch; ++i) // the last id again fills the batch
            params.emplace_back(
                static_cast<std::int32_t>(end > at ? wanted[std::min(at + i, end - 1)].first : 0));
        RecordSet batch = db_->query(sql, params);
        const int fields = batch.fieldCount() - 1; // the row id comes last
        if (names.empty()) names.assign(batch.names().begin(), batch.names().end() - 1);
        // both in row id order: walk them side by side
        std::vector<std::vector<Variant>> found = batch.takeRows();
        std::size_t r = 0;
        for (std::size_t w = at; w < end; ++w) {
            while (r < found.size() && found[r][static_cast<std::size_t>(fields)].toInt32() < wanted[w].first)
                ++r;
            if (r == found.size() || found[r][static_cast<std::size_t>(fields)].toInt32() != wanted[w].first)
                throw DbError(dberr::kNoCurrentRecord, "검색한 약품 행을 다시 읽을 수 없습니다.");
            // row ids are distinct: each found row serves one place
            found[r].pop_back();
            out[wanted[w].second] = std::move(found[r++]);
        }
    }
    return RecordSet(std::move(names), std::move(out));
}

} // namespace pelmora
