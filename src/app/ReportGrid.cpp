#include "ReportGrid.h"

#include <QHeaderView>

namespace pelmora {

void SetReportColumns(KVSp& sp, const std::vector<ReportColumn>& columns) {
    sp.setMaxRows(0);
    sp.setMaxCols(static_cast<int>(columns.size()));
    for (int c = 1; c <= static_cast<int>(columns.size()); ++c) {
        const ReportColumn& col = columns[static_cast<std::size_t>(c - 1)];
        sp.model()->setHeader(c, QString::fromUtf8(col.caption));
        sp.ColWidth(c, col.width);
        if (col.number) sp.spCellType(-1, c, kSpTypeNumber);
    }
}

void SetReportRow(KVSp& sp, int row, const std::vector<Variant>& values) {
    for (int c = 1; c <= static_cast<int>(values.size()) && c <= sp.MaxCols(); ++c)
        sp.setCell(row, c, values[static_cast<std::size_t>(c - 1)]);
}

ReportSheet::ReportSheet(const std::vector<ReportColumn>& columns)
    : view_(std::make_unique<QTableView>()), sp_(std::make_unique<KVSp>()) {
    sp_->SpSet(view_.get());
    sp_->OperationMode(1);
    SetReportColumns(*sp_, columns);
}

ReportSheet::~ReportSheet() = default;

void ReportSheet::addRow(const std::vector<Variant>& values) {
    sp_->setMaxRows(sp_->MaxRows() + 1);
    SetReportRow(*sp_, sp_->MaxRows(), values);
}

void ReportSheet::addCaption(const QString& text) {
    // A caption in a number column would not be a number: it goes in as text.
    sp_->setMaxRows(sp_->MaxRows() + 1);
    sp_->spCellType(sp_->MaxRows(), 1, kSpTypeEdit);
    sp_->setCell(sp_->MaxRows(), 1, Variant(text.toStdString()));
}

bool ReportSheet::save(const QString& file) {
    return sp_->spExportToExcel(file);
}

} // namespace pelmora
