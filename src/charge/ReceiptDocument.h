#pragma once
// Everything a receipt (약제비 계산서·영수증) and a detailed statement
// (세부산정내역) print, in the order the form gives it, from the stored
// prescription, what was charged for it and the pharmacy's details. The
// window and the command line lay out the same document.

#include "data/ReceiptNumber.h"
#include "data/Settings.h"
#include "data/SqliteConnection.h"
#include "data/StoredCharge.h"

#include <optional>
#include <string>
#include <vector>

namespace pelmora {

class RefConnection;

// One itemised row of the receipt: 약품비, 약국관리료 … with ① ② ③.
struct ReceiptRow {
    std::string name;
    Currency bonin, insurer, bibo;
};

struct ReceiptDocument {
    // Title
    std::string receiptNo; // "2025-000012"; empty on a statement
    bool reissue = false;  // printed before: "재발행"
    // Patient and prescription
    std::string patient, issueNo, institution, prescriber, dispensingDate, days, pharmacist;
    bool night = false, holiday = false; // □야간 □공휴
    // Amounts
    std::vector<ReceiptRow> rows; // 약품비 … 의약품관리료, and 끝수처리조정 when there is one
    Currency total, bonin, insurer, bibo, full, collect;
    Payment payment;
    // Issuer
    std::string bizNo, address, pharmacyName, owner, tel, issueDate;
    // Said above the foot notes: figures priced again, or from a run that reported an error.
    std::vector<std::string> notices;
    // The detailed statement's lines.
    std::vector<StoredChargeItem> items;

    static const std::vector<std::string>& footNotes();
};

// issue: the receipt number of this printing (empty for a statement);
// printDate: YYYYMMDD.
ReceiptDocument BuildReceiptDocument(SqliteConnection& store, const std::string& preCd,
                                     const StoredCharge& charge, const Pharmacy& pharmacy,
                                     const ReceiptIssue& issue, const std::string& printDate);

// The stored figures of the prescription, or when it has none and a
// reference connection is given, its figures priced again; nullopt when
// neither can be had.
std::optional<StoredCharge> ChargeForReceipt(SqliteConnection& store, RefConnection* ref,
                                             const std::string& preCd);

// Whole won grouped by thousands ("12,345", "-1,000"); a fraction of a won
// is shown as far as it goes ("1,234.5").
std::string WonText(Currency amount);
// The items' names as the receipt's rows call them, for an item kind.
std::string ReceiptRowName(const std::string& itemKind);

} // namespace pelmora
