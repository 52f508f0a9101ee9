#include "RefConnection.h"

#include "DrugSearchList.h"
#include "SqliteConnection.h"

namespace pelmora {

std::unique_ptr<DrugSearchList> RefConnection::drugSearch(const std::string&, int, const std::string&) {
    return nullptr;
}

RecordSet SqliteRefConnection::query(const std::string& sql, const std::vector<RefParam>& params) {
    std::vector<Variant> values;
    values.reserve(params.size());
    for (const auto& p : params) values.emplace_back(p.value);
    return db_.query(sql, values);
}

} // namespace pelmora
