#pragma once
// The notice date of the drug prices, shown beside the price list's name.

#include "RefConnection.h"

#include <string>

namespace pelmora {

// The latest date of the table 고시적용일 (YYYYMMDD), "20000101" when the
// table is empty, "" after a failed query (whose message has been shown).
std::string GetNoticeDate(RefConnection& cn);

// Whether the drug price list holds any drug: false for a root just made
// from the published fees, before its first price list was taken in. A
// failed query counts as holding one, so nothing is offered on a fault.
bool HasDrugList(RefConnection& cn);

} // namespace pelmora
