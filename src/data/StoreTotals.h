#pragma once
// The day's and the month's totals of the prescriptions dispensed in a range
// of dates, added up from the figures stored with each prescription when it
// was saved, so they equal the receipts to the won.
//
// A prescription saved before the figures were kept (store version 002) has
// no such row: it is counted among the prescriptions of its day and in
// `unpriced`, and adds nothing to the amounts. Pricing it again today could
// give other figures than the receipt the patient took home; reopening and
// saving it stores its figures from then on.

#include "SqliteConnection.h"
#include "util/Currency.h"

#include <string>
#include <vector>

namespace pelmora {

struct ChargeSums {
    long long count = 0;    // prescriptions dispensed
    long long unpriced = 0; // of them, saved without stored figures
    Currency total;         // 약제비총액 = bonin + insurer + bibo
    Currency bonin;         // ① 본인부담금
    Currency insurer;       // ② 보험자부담금 = gongdan + bohun + jiwon
    Currency gongdan, bohun, jiwon;
    Currency bibo;    // ③ 비급여, 전액본인부담 included
    Currency full;    // the 전액본인부담 part of ③
    Currency collect; // 수납액 = bonin + bibo
    Currency card, cashRcpt, cash;

    ChargeSums& operator+=(const ChargeSums& o);
    friend bool operator==(const ChargeSums&, const ChargeSums&) = default;
};

struct DayTotals {
    std::string date; // YYYYMMDD
    ChargeSums sums;
};

struct ClassTotals {
    int insClass = 0; // insurance class index as priced (the header's for unpriced ones)
    ChargeSums sums;
};

struct StoreTotals {
    std::vector<DayTotals> days;      // the dates with prescriptions, ascending
    std::vector<ClassTotals> classes; // the classes with prescriptions, ascending
    ChargeSums all;
};

// The totals of the dispensing dates from..to (YYYYMMDD, both included).
StoreTotals ReadStoreTotals(SqliteConnection& cn, const std::string& from, const std::string& to);

} // namespace pelmora
