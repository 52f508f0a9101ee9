#pragma once
// What was charged for a prescription, as it was priced on the day it was
// saved: the receipt's ① ② ③ with the parts of ②, the amount collected and
// how it was paid, the receipt number, and the items of the detailed
// statement. A receipt printed years later shows these figures, not a new
// pricing under later prices.
//
// Kept in the tables Charge (one row per prescription) and ChargeItem (its
// items, "001" upwards in printing order).

#include "SqliteConnection.h"
#include "util/Currency.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

// One line of the detailed statement. amount = bonin + gongdan + full + bibo.
struct StoredChargeItem {
    // What the line is: "FEE1".."FEE6" the six fee items (pharmacy management,
    // basic dispensing, medication guidance, internal and external dispensing,
    // drug management), "SAT1".."SAT4" their Saturday-morning surcharges,
    // "DRUG" a drug line, "DIFF" the price difference of a drug line billed
    // apart, "ADJ" the cutting of the totals to 10 won, "FLAT" a flat patient
    // share that no item can carry (a share on a bill with nothing covered).
    std::string kind;
    std::string code, name;
    Currency unitPrice;     // drug lines
    double dose = 0;        // drug lines: dose × times × days
    std::int32_t times = 0; //
    std::int32_t days = 0;  //
    double quantity = 0;    // drug lines: the total quantity priced
    Currency amount;        // what the line costs
    Currency bonin;         // its patient share (part of ①)
    Currency gongdan;       // its insurers' share (part of ②)
    Currency full;          // its 100/100 part (part of ③)
    Currency bibo;          // its non-covered part (part of ③)

    friend bool operator==(const StoredChargeItem&, const StoredChargeItem&) = default;
};

// How the amount collected was paid.
struct Payment {
    Currency card;          // 카드
    Currency cashRcpt;      // 현금영수증
    Currency cash;          // 현금
    std::string cashIdNo;   // 현금영수증 신분확인번호
    std::string cashApprNo; // 현금승인번호

    friend bool operator==(const Payment&, const Payment&) = default;
};

struct StoredCharge {
    std::string version = "003"; // layout of these figures
    std::string pricedAt;        // moment of pricing, YYYYMMDDHHMMSS
    std::int16_t insClass = 0;   // insurance class index as priced
    std::int16_t timeClass = 0;  // after-hours class index: 1 night, 2 holiday, 3 late night, 4 Saturday
    std::int16_t ageClass = 0;   // age class index: 1 under 6, 2 65 and over
    std::int16_t insDays = 0;    // covered days
    std::int16_t biboDays = 0;   // non-covered days
    Currency total;              // 약제비총액 = bonin + insurer + bibo
    Currency bonin;              // ① 본인부담금
    Currency insurer;            // ② 보험자부담금 = gongdan + bohun + jiwon
    Currency gongdan, bohun, jiwon;
    Currency bibo;                 // ③ 비급여, 전액본인부담 included
    Currency full;                 // the 전액본인부담 (100/100) part of ③
    Currency collect;              // 받을금액 = bonin + bibo
    Payment payment;               // all cash unless recorded otherwise
    std::string receiptNo;         // given at the first printing of the receipt
    std::int32_t receiptCount = 0; // receipts printed so far
    bool runError = false;         // the pricing run reported an error; saved on the pharmacist's word
    bool repriced = false;         // priced again from the stored lines: nothing had been kept at saving
    std::string pharmacist;        // 조제약사 at saving
    std::vector<StoredChargeItem> items;

    friend bool operator==(const StoredCharge&, const StoredCharge&) = default;

    // Stores these figures as the prescription's, replacing what it had; runs
    // inside the caller's transaction. The receipt number and count stay; the
    // payment stays when the amount to collect is unchanged, else it becomes
    // all cash.
    void Write(SqliteConnection& cn, const std::string& preCd) const;
    // The stored figures, or nullopt for a prescription saved without them.
    static std::optional<StoredCharge> Read(SqliteConnection& cn, const std::string& preCd);
    // Removes them (the prescription is deleted, or saved without a valid run).
    static void Remove(SqliteConnection& cn, const std::string& preCd);
};

// The payment adds up to the amount collected and no part is negative.
bool PaymentAddsUp(const Payment& p, Currency collect);

// Records how the amount of a stored prescription was paid, in a transaction
// of its own. False (nothing written) when the prescription has no stored
// figures or the parts do not add up to the amount collected.
bool WritePayment(SqliteConnection& cn, const std::string& preCd, const Payment& p);

} // namespace pelmora
