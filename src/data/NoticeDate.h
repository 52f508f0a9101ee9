#pragma once
// The notice date of the drug prices, shown beside the price list's name.

#include "RefConnection.h"

#include <string>

namespace pelmora {

// The latest date of the table 고시적용일 (YYYYMMDD), "20000101" when the
// table is empty, "" after a failed query (whose message has been shown).
std::string GetNoticeDate(RefConnection& cn);

} // namespace pelmora
