#pragma once
// The totals of a date range and the year's medical expenses as JSON or as
// tab-separated lines. Amounts are text with four decimals ("12300.0000"),
// as every Pelmora tool writes money, so nothing is lost on the way.

#include "data/StoreTotals.h"
#include "data/YearEndReport.h"

#include <ostream>
#include <string>

namespace pelmora {

void WriteTotalsJson(std::ostream& out, const StoreTotals& t, const std::string& from, const std::string& to);
void WriteTotalsTsv(std::ostream& out, const StoreTotals& t);
void WriteYearEndJson(std::ostream& out, const YearEndReport& r, int year);
void WriteYearEndTsv(std::ostream& out, const YearEndReport& r);

} // namespace pelmora
