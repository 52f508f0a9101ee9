#pragma once
// The bar chart of the totals window: 약제비총액 per day of the range (per
// month when the range is longer than two months), each bar split into
// 본인부담, 보험자부담 and 비급여, in thousands of won. Days without
// prescriptions stand as gaps, so a closed day is seen at once.

#include "data/StoreTotals.h"

#include <QDate>

class QChart;

namespace pelmora {

// Replaces what the chart shows.
void FillTotalsChart(QChart& chart, const StoreTotals& totals, QDate from, QDate to);

// Days up to this span are drawn one bar a day.
inline constexpr int kChartDaysMax = 62;

} // namespace pelmora
