// Cells, rows, columns, sums, colours and record-set binding of the grid wrapper.

#include "KVSp.h"

#include "util/NumericText.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QTableView>

#include <algorithm>

namespace pelmora {

namespace {
// Trimmed text of a value; empty and Null give "".
QString valueText(const Variant& v) {
    if (v.isNull() || v.isEmpty()) return {};
    return QString::fromStdString(v.toText());
}
} // namespace

Variant KVSp::Cell(int row, int col, int kind) const {
    if (row < 0) return {};
    if (row == 0) return model_->header(col).toStdString();
    switch (kind) {
    case 1:
        return model_->displayText(row, col).toStdString();
    case 2:
        return static_cast<std::int16_t>(model_->comboIndex(row, col));
    default:
        return model_->value(row, col).toStdString();
    }
}

void KVSp::setCell(int row, int col, int kind, const Variant& value) {
    if (row < 0) return;
    if (row == 0) {
        model_->setHeader(col, valueText(value));
        return;
    }
    switch (kind) {
    case 1:
        model_->setValue(row, col, valueText(value).trimmed());
        break;
    case 2: {
        // A value that is not a number selects nothing.
        const QString t = valueText(value).trimmed();
        auto d = t.isEmpty() ? std::optional<double>(0) : numericTextToDouble(t.toStdString());
        model_->setComboIndex(row, col, d && *d >= 0 && *d < 32768 ? static_cast<int>(*d + 0.5) : -1);
        break;
    }
    default:
        model_->setValue(row, col, valueText(value));
    }
}

// The cell's text as money: empty or non-numeric text counts 0.
Currency KVSp::cellMoney(int row, int col) const {
    const std::string t(trimSpaces(model_->displayText(row, col).toStdString()));
    return Currency::tryParse(t).value_or(Currency{});
}

Currency KVSp::spRowSum(int sRow, int eRow, int col) const {
    if (sRow == -1) {
        sRow = 1;
        eRow = MaxRows();
    } else if (eRow <= 0) {
        eRow = MaxRows();
    }
    Currency sum;
    for (int r = std::max(sRow, 1); r <= std::min(eRow, MaxRows()); ++r) sum += cellMoney(r, col);
    return sum;
}

Currency KVSp::spColSum(int sCol, int eCol, int row) const {
    if (sCol == -1) {
        sCol = 1;
        eCol = MaxCols();
    } else if (eCol <= 0) {
        eCol = MaxCols();
    }
    Currency sum;
    for (int c = std::max(sCol, 1); c <= std::min(eCol, MaxCols()); ++c) sum += cellMoney(row, c);
    return sum;
}

void KVSp::spCellType(int row, int col, int type) { model_->setCellType(row, col, type); }
int KVSp::spCellType(int row, int col) const { return model_->cellType(row, col); }

void KVSp::spComboFill(int row, int col, const QString& commaValue) {
    model_->setComboItems(row, col, commaValue.split(u','));
}

int KVSp::MaxRows() const { return model_->maxRows(); }
int KVSp::MaxCols() const { return model_->maxCols(); }

void KVSp::setMaxRows(int n) {
    model_->setMaxRows(n);
    ensureCurrent();
}

void KVSp::setMaxCols(int n) {
    model_->setMaxCols(n);
    ensureCurrent();
}

// The grid always has an active cell while it has cells, as the windows expect.
void KVSp::ensureCurrent() {
    if (!grid_ || !grid_->selectionModel() || MaxRows() < 1 || MaxCols() < 1) return;
    if (!grid_->currentIndex().isValid())
        grid_->selectionModel()->setCurrentIndex(model_->index(0, 0), QItemSelectionModel::NoUpdate);
}

int KVSp::cRow() const {
    const QModelIndex i = grid_ ? grid_->currentIndex() : QModelIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

int KVSp::cCol() const {
    const QModelIndex i = grid_ ? grid_->currentIndex() : QModelIndex();
    return i.isValid() ? i.column() + 1 : 0;
}

void KVSp::spDelRow(int row) {
    model_->removeRowAt(row > 0 ? row : cRow());
}

void KVSp::spInsRow(int row) {
    row = row > 0 ? row : std::max(cRow(), 1);
    model_->insertRowAt(row);
    if (grid_) grid_->setRowHeight(std::min(row, MaxRows()) - 1, rowPixels(defaultPoints()));
    ensureCurrent();
}

void KVSp::spDelCol(int col) { model_->removeColAt(col > 0 ? col : cCol()); }

void KVSp::spInsCol(int col) {
    model_->insertColAt(col > 0 ? col : std::max(cCol(), 1));
    ensureCurrent();
}

void KVSp::spLock(int row, int col, int row2, int col2, bool locked) { model_->setLocked(row, col, row2, col2, locked); }

void KVSp::spBlock(int row, int col, int row2, int col2) {
    if (!grid_ || MaxRows() < 1 || MaxCols() < 1) return;
    const int r1 = row < 0 ? 1 : row, c1 = col < 0 ? 1 : col;
    const int r2 = row < 0 ? MaxRows() : std::max(row2, r1), c2 = col < 0 ? MaxCols() : std::max(col2, c1);
    const QItemSelection block(model_->index(r1 - 1, c1 - 1),
                               model_->index(std::min(r2, MaxRows()) - 1, std::min(c2, MaxCols()) - 1));
    grid_->selectionModel()->select(block, QItemSelectionModel::ClearAndSelect);
}

void KVSp::spGoCell(int row, int col) {
    if (!grid_ || row < 1 || row > MaxRows() || col < 1 || col > MaxCols()) return;
    const QModelIndex i = model_->index(row - 1, col - 1);
    grid_->setCurrentIndex(i);
    grid_->scrollTo(i);
    if (grid_->isEnabled()) grid_->setFocus();
}

void KVSp::spSort(int col, int sRow, int eRow, bool ascending) { model_->sortRows(col, sRow, eRow, ascending); }

void KVSp::spForeColor(int row, int col, std::int64_t bgr) { model_->setForeColor(row, col, bgr); }

void KVSp::spCellColor(int row, int col, int row2, int col2, std::int64_t bgr) {
    model_->setBackColor(row, col, row2, col2, bgr);
}

void KVSp::spCellColorSingle(int row, int col, std::int64_t bgr) { model_->setBackColor(row, col, row, col, bgr); }

int KVSp::rowPixels(double points) const {
    const int dpi = grid_ ? grid_->logicalDpiY() : 96;
    return std::max(1, static_cast<int>(points * dpi / 72.0 + 0.5));
}

void KVSp::RowHeight(int row, double points) {
    if (!grid_) return;
    if (row < 0) {
        grid_->verticalHeader()->setDefaultSectionSize(rowPixels(points));
        return;
    }
    if (row >= 1 && row <= MaxRows()) grid_->setRowHeight(row - 1, rowPixels(points));
}

double KVSp::RowHeight(int row) const {
    if (!grid_ || row < 1 || row > MaxRows()) return 0;
    return grid_->rowHeight(row - 1) * 72.0 / grid_->logicalDpiY();
}

// Column widths count characters of the grid's font.
void KVSp::ColWidth(int col, double chars) {
    if (!grid_ || col < 1 || col > MaxCols()) return;
    const int unit = grid_->fontMetrics().horizontalAdvance(u'0');
    grid_->setColumnWidth(col - 1, static_cast<int>(chars * unit + 0.5) + 12);
}

double KVSp::ColWidth(int col) const {
    if (!grid_ || col < 1 || col > MaxCols()) return 0;
    const int unit = grid_->fontMetrics().horizontalAdvance(u'0');
    return (grid_->columnWidth(col - 1) - 12) / static_cast<double>(unit);
}

void KVSp::ColHidden(int col, bool hidden) {
    if (grid_ && col >= 1 && col <= MaxCols()) grid_->setColumnHidden(col - 1, hidden);
}

int KVSp::spOverLapPing(int rowOrCol, const QString& value, int sRowOrCol, int exempt) const {
    const QString wanted = value.trimmed();
    const bool acrossRow = sRowOrCol == 1;
    const int count = acrossRow ? MaxCols() : MaxRows();
    for (int i = 1; i <= count; ++i) {
        if (i == exempt) continue;
        const QString t = acrossRow ? model_->displayText(rowOrCol, i) : model_->displayText(i, rowOrCol);
        if (t.trimmed() == wanted) return i;
    }
    return 0;
}

void KVSp::spRsBound(RecordSet rs, double rowHeight) {
    model_->bind(std::make_shared<const RecordSet>(std::move(rs)));
    if (grid_) grid_->verticalHeader()->setDefaultSectionSize(rowPixels(rowHeight > 0 ? rowHeight : defaultPoints()));
    ensureCurrent();
}

void KVSp::spRsAppend(RecordSet rs) {
    model_->append(std::make_shared<const RecordSet>(std::move(rs)));
}

void KVSp::spRsBoundAuto(RecordSet rs, double rowHeight) {
    spRsBound(std::move(rs), rowHeight);
    if (grid_) grid_->resizeColumnsToContents();
}

} // namespace pelmora
