#pragma once
// A prescription saved without its figures (before they were kept, or
// without a finished pricing run) priced again from what the store holds:
// the header and the stored lines with their stored prices, the age class,
// the time class and the special-code rates derived again as the main window
// derives them, on the reference data in force on the dispensing date.

#include "charge/ChargeInput.h"
#include "data/RefConnection.h"
#include "data/SqliteConnection.h"
#include "data/StoredCharge.h"

#include <optional>
#include <string>

namespace pelmora {

// The window's input for the stored prescription, or nullopt when it is not stored.
std::optional<ChargeInput> StoredChargeInput(SqliteConnection& store, RefConnection& ref,
                                             const std::string& preCd);

// Its figures priced now, marked as priced again; nullopt when it is not
// stored or has no line to price. The pricing's own errors are reported
// through the message interface and mark the figures too.
std::optional<StoredCharge> RepriceStored(SqliteConnection& store, RefConnection& ref,
                                          const std::string& preCd);

} // namespace pelmora
