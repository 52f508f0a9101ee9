#pragma once
// Reading the fields of a reference row into the lookups' properties, and
// the lookups' error box.

#include "RecordSet.h"
#include "util/Currency.h"
#include "util/RuntimeError.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pelmora {

// The field as text; NULL reads as "" (the reference tables leave optional
// columns empty either way).
std::string refText(const RecordSet& rs, std::string_view name);
// The field as money; NULL reads as 0, text that is no number raises 13.
Currency refMoney(const RecordSet& rs, std::string_view name);
// The field as a 16-bit whole number; NULL reads as 0.
std::int16_t refInt16(const RecordSet& rs, std::string_view name);

// The lookups' error box: the tag (which ends in a blank), the number, a
// blank and the description, OK button only, under the application's title.
void showLookupError(const std::string& tag, const RuntimeError& error);

} // namespace pelmora
