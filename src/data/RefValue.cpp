#include "RefValue.h"

#include "util/Messages.h"

namespace pelmora {

std::string refText(const RecordSet& rs, std::string_view name) {
    const Variant& v = rs.field(name);
    return v.isNull() ? std::string() : v.toText();
}

Currency refMoney(const RecordSet& rs, std::string_view name) {
    const Variant& v = rs.field(name);
    return v.isNull() ? Currency{} : v.toCurrency();
}

std::int16_t refInt16(const RecordSet& rs, std::string_view name) {
    const Variant& v = rs.field(name);
    return v.isNull() ? std::int16_t{0} : v.toInt16();
}

void showLookupError(const std::string& tag, const RuntimeError& error) {
    messages().plain(tag + std::to_string(error.number()) + " " + error.description(), kAppTitle);
}

} // namespace pelmora
