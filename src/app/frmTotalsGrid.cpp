// The grids of the totals window, its chart and its spreadsheet.

#include "frmTotals.h"

#include "CodeTables.h"
#include "KVSp.h"
#include "ReportGrid.h"
#include "TotalsChart.h"

#include <QChartView>
#include <QDateEdit>
#include <QLabel>
#include <QLocale>

namespace pelmora {

namespace {
// The amount columns after the first two (what the row is, how many).
const std::vector<ReportColumn>& columns() {
    static const std::vector<ReportColumn> c = {
        {"조제일자", 10, false},  {"건수", 5, true},      {"약제비총액", 11, true}, {"본인부담", 10, true},
        {"보험자부담", 10, true}, {"공단", 10, true},     {"보훈", 9, true},        {"지원금", 8, true},
        {"비급여", 9, true},      {"수납액", 10, true},   {"카드", 10, true},       {"현금영수증", 10, true},
        {"현금", 10, true},       {"금액미기록", 8, true}};
    return c;
}

std::vector<ReportColumn> classColumns() {
    auto c = columns();
    c[0] = {"보험종류", 13, false};
    return c;
}

std::vector<Variant> rowOf(const std::string& what, const ChargeSums& s) {
    return {Variant(what),      Variant(static_cast<std::int32_t>(s.count)),
            Variant(s.total),   Variant(s.bonin),
            Variant(s.insurer), Variant(s.gongdan),
            Variant(s.bohun),   Variant(s.jiwon),
            Variant(s.bibo),    Variant(s.collect),
            Variant(s.card),    Variant(s.cashRcpt),
            Variant(s.cash),    Variant(static_cast<std::int32_t>(s.unpriced))};
}

std::string dashed(const std::string& d) {
    return d.size() == 8 ? d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2) : d;
}

std::string className(int insClass) {
    if (insClass >= 0 && insClass < static_cast<int>(codes::kInsClass.size()))
        return codes::kInsClass[static_cast<std::size_t>(insClass)];
    return std::to_string(insClass);
}

constexpr std::int64_t kSumColour = 0xFAF3EE; // &HBBGGRR: a pale blue under the sums
// One row per entry, labelled by `label`, then the sum row in its colour.
template <class Rows, class Label>
void fillWithSum(KVSp& sp, const Rows& rows, Label label, const ChargeSums& all) {
    const int n = static_cast<int>(rows.size());
    sp.setMaxRows(n + 1);
    for (int r = 1; r <= n; ++r) {
        const auto& row = rows[static_cast<std::size_t>(r - 1)];
        SetReportRow(sp, r, rowOf(label(row), row.sums));
    }
    SetReportRow(sp, n + 1, rowOf("합계", all));
    sp.spCellColor(n + 1, 1, n + 1, sp.MaxCols(), kSumColour);
}

} // namespace

void frmTotals::showTotals() {
    SetReportColumns(*Sp일별, columns());
    fillWithSum(*Sp일별, totals_.days, [](const auto& d) { return dashed(d.date); }, totals_.all);
    SetReportColumns(*Sp보험, classColumns());
    fillWithSum(*Sp보험, totals_.classes, [](const auto& c) { return className(c.insClass); }, totals_.all);
    // The column of unrecorded amounts is there only when some are.
    const bool unpriced = totals_.all.unpriced > 0;
    Sp일별->ColHidden(14, !unpriced);
    Sp보험->ColHidden(14, !unpriced);

    FillTotalsChart(*chart일별->chart(), totals_, pvd시작->date(), pvd종료->date());
    const QLocale won(QLocale::English);
    QString note = QStringLiteral("처방 %1건, 약제비총액 %2원, 수납액 %3원.")
                       .arg(won.toString(static_cast<qlonglong>(totals_.all.count)),
                            won.toString(static_cast<qlonglong>(totals_.all.total.toInt64())),
                            won.toString(static_cast<qlonglong>(totals_.all.collect.toInt64())));
    if (unpriced)
        note += QStringLiteral(" 금액이 기록되지 않은 처방 %1건(예전 판에서 저장)은 건수에만 들어 있습니다."
                               " 조제내역에서 다시 열어 저장하면 금액이 기록됩니다.")
                    .arg(totals_.all.unpriced);
    lab안내->setText(note);
}

bool frmTotals::exportTotals(const QString& file) {
    ReportSheet sheet(columns());
    for (const auto& d : totals_.days)
        sheet.addRow(rowOf(dashed(d.date), d.sums));
    sheet.addRow(rowOf("합계", totals_.all));
    sheet.addCaption({});
    sheet.addCaption(QStringLiteral("보험종류별"));
    for (const auto& c : totals_.classes)
        sheet.addRow(rowOf(className(c.insClass), c.sums));
    return sheet.save(file);
}

} // namespace pelmora
