#pragma once
// Receipt numbers: one per prescription, given at the first printing of its
// receipt from a sequence that starts again every year ("2025-000001").

#include "SqliteConnection.h"

#include <cstdint>
#include <string>

namespace pelmora {

struct ReceiptIssue {
    std::string receiptNo;
    // Printed before: the receipt says "재발행".
    bool reissue = false;
    // Receipts printed, this one included.
    std::int32_t count = 0;
};

// Counts one more printing of the receipt of the prescription, giving it the
// next number of the year (YYYY) when it has none yet. Runs inside the
// caller's transaction, so a printing that fails takes its number back.
// The prescription must have stored figures (a Charge row).
ReceiptIssue IssueReceipt(SqliteConnection& cn, const std::string& preCd, const std::string& year);

} // namespace pelmora
