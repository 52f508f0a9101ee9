#include "DrugSearchList.h"

#include "RefSql.h"
#include "SqliteConnection.h"

#include <unordered_map>

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

// Read a batch of rows per statement, then put them back in list order.
RecordSet IndexedDrugList::rows(std::size_t first, std::size_t count) {
    constexpr std::size_t kBatch = 64;
    const std::size_t begin = std::min(first, ids_.size());
    const std::size_t stop = std::min(ids_.size(), begin + std::min(count, ids_.size()));
    const std::string sql = RefSql::yakGaListRows(rowid_, kBatch);
    std::vector<std::string> names;
    std::vector<std::vector<Variant>> out;
    out.reserve(stop - begin);
    for (std::size_t at = begin; at < stop || names.empty(); at += kBatch) {
        std::vector<Variant> params;
        for (std::size_t i = 0; i < kBatch; ++i) {
            const std::size_t k = std::min(at + i, stop ? stop - 1 : 0);
            params.emplace_back(static_cast<std::int32_t>(k < ids_.size() ? ids_[k] : 0));
        }
        RecordSet batch = db_->query(sql, params);
        const int fields = batch.fieldCount() - 1; // the row id comes last
        if (names.empty()) names.assign(batch.names().begin(), batch.names().end() - 1);
        std::unordered_map<std::int64_t, std::size_t> byId;
        for (std::size_t r = 0; r < static_cast<std::size_t>(batch.recordCount()); ++r)
            byId.emplace(batch.value(r, fields).toInt32(), r);
        for (std::size_t k = at; k < std::min(stop, at + kBatch); ++k) {
            auto found = byId.find(ids_[k]);
            if (found == byId.end())
                throw DbError(dberr::kNoCurrentRecord, "검색한 약품 행을 다시 읽을 수 없습니다.");
            std::vector<Variant> row;
            row.reserve(static_cast<std::size_t>(fields));
            for (int c = 0; c < fields; ++c)
                row.push_back(batch.value(found->second, c));
            out.push_back(std::move(row));
        }
    }
    return RecordSet(std::move(names), std::move(out));
}

} // namespace pelmora
