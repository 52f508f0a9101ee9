#include "KVSpModel.h"

#include "WinColor.h"
#include "util/Currency.h"
#include "util/NumericText.h"

#include <QBrush>

#include <algorithm>
#include <numeric>

namespace pelmora {

namespace {
struct Span {
    int first, last;
    bool all;
};
Span blockSpan(int a, int b, int max) {
    if (a < 0) return {1, max, true};
    return {a, std::min(b >= a ? b : a, max), false};
}
bool isNumberType(int t) { return t == kSpTypeNumber || t == kSpTypeNumberPlain; }
} // namespace

QString formatNumberText(const QString& value, bool separators) {
    auto money = Currency::tryParse(value.toStdString());
    if (!money) return value;
    QString whole = QString::fromStdString(money->toFixed(0));
    if (!separators) return whole;
    const bool negative = whole.startsWith(u'-');
    if (negative) whole.remove(0, 1);
    for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(i, u',');
    return negative ? u'-' + whole : whole;
}

KVSpModel::KVSpModel(QObject* parent) : QAbstractTableModel(parent) {}
KVSpModel::~KVSpModel() = default;

int KVSpModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : maxRows(); }
int KVSpModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : maxCols(); }

bool KVSpModel::valid(int row, int col) const { return row >= 1 && row <= maxRows() && col >= 1 && col <= maxCols(); }

const KVSpModel::Cell* KVSpModel::cellAt(int row, int col) const {
    const Row& r = rows_[static_cast<std::size_t>(row - 1)];
    if (r.cells.empty()) return nullptr;
    return &r.cells[static_cast<std::size_t>(col - 1)];
}

KVSpModel::Cell& KVSpModel::cellRef(int row, int col) {
    Row& r = rows_[static_cast<std::size_t>(row - 1)];
    if (r.cells.empty()) {
        r.cells.resize(cols_.size());
        if (r.source >= 0)
            for (int c = 1; c <= maxCols(); ++c) r.cells[static_cast<std::size_t>(c - 1)].text = sourceText(r, c);
        r.source = -1;
    }
    return r.cells[static_cast<std::size_t>(col - 1)];
}

QString KVSpModel::sourceText(const Row& r, int col) const {
    const int field = cols_[static_cast<std::size_t>(col - 1)].source;
    if (r.source < 0 || field < 0) return {};
    const RecordSet& part = *rs_[static_cast<std::size_t>(r.source >> 32)];
    const Variant& v = part.value(static_cast<std::size_t>(r.source & 0xffffffffL), field);
    if (v.isNull()) return {};
    return QString::fromStdString(v.toText());
}

QString KVSpModel::value(int row, int col) const {
    if (!valid(row, col)) return {};
    if (const Cell* c = cellAt(row, col)) return c->text;
    return sourceText(rows_[static_cast<std::size_t>(row - 1)], col);
}

QString KVSpModel::displayText(int row, int col) const {
    const QString v = value(row, col);
    const int t = cellType(row, col);
    if (isNumberType(t) && !v.isEmpty()) return formatNumberText(v, t == kSpTypeNumber);
    if (t == kSpTypeCheck) return {};
    return v;
}

int KVSpModel::comboIndex(int row, int col) const {
    if (!valid(row, col)) return -1;
    const Cell* c = cellAt(row, col);
    return c ? c->combo : -1;
}

// Number cells keep their number without separators; text that is not a
// number, or past the cell's range, is refused (ok false), as the number cell
// refuses it when typed.
static QString numberValue(const QString& text, bool* ok) {
    *ok = true;
    const std::string t(trimSpaces(text.toStdString()));
    if (t.empty()) return {};
    auto d = numericTextToDouble(t);
    if (!d || *d < -KVSpModel::kNumberLimit || *d > KVSpModel::kNumberLimit) {
        *ok = false;
        return {};
    }
    auto money = Currency::tryParse(t);
    return money ? QString::fromStdString(money->toText()) : QString::fromStdString(t);
}

QString KVSpModel::normalise(int row, int col, const QString& text, bool* ok) const {
    *ok = true;
    if (!isNumberType(cellType(row, col))) return text;
    return numberValue(text, ok);
}

void KVSpModel::setValue(int row, int col, const QString& text) {
    if (!valid(row, col)) return;
    bool ok = false;
    QString v = normalise(row, col, text, &ok);
    Cell& c = cellRef(row, col);
    c.text = v;
    if (cellType(row, col) == kSpTypeCombo) c.combo = static_cast<std::int16_t>(comboItems(row, col).indexOf(v));
    touched(row, col, row, col);
}

void KVSpModel::setComboIndex(int row, int col, int index) {
    if (!valid(row, col)) return;
    const QStringList items = comboItems(row, col);
    Cell& c = cellRef(row, col);
    const bool inList = index >= 0 && index < items.size();
    c.combo = static_cast<std::int16_t>(inList ? index : -1);
    c.text = inList ? items[index] : QString();
    touched(row, col, row, col);
}

QString KVSpModel::header(int col) const {
    if (col < 1 || col > maxCols()) return {};
    return cols_[static_cast<std::size_t>(col - 1)].header;
}

void KVSpModel::setHeader(int col, const QString& text) {
    if (col < 1 || col > maxCols()) return;
    cols_[static_cast<std::size_t>(col - 1)].header = text;
    emit headerDataChanged(Qt::Horizontal, col - 1, col - 1);
}

int KVSpModel::cellType(int row, int col) const {
    if (!valid(row, col)) return kSpTypeEdit;
    const Cell* c = cellAt(row, col);
    return c && c->type >= 0 ? c->type : cols_[static_cast<std::size_t>(col - 1)].type;
}

QStringList KVSpModel::comboItems(int row, int col) const {
    if (!valid(row, col)) return {};
    const Cell* c = cellAt(row, col);
    return c && c->ownItems ? c->items : cols_[static_cast<std::size_t>(col - 1)].items;
}

bool KVSpModel::isLocked(int row, int col) const {
    if (!valid(row, col)) return false;
    const Cell* c = cellAt(row, col);
    return c && c->locked >= 0 ? c->locked == 1 : cols_[static_cast<std::size_t>(col - 1)].locked;
}

std::int64_t KVSpModel::foreColor(int row, int col) const {
    if (!valid(row, col)) return -1;
    const Cell* c = cellAt(row, col);
    return c && c->fore >= 0 ? c->fore : cols_[static_cast<std::size_t>(col - 1)].fore;
}

std::int64_t KVSpModel::backColor(int row, int col) const {
    if (!valid(row, col)) return -1;
    const Cell* c = cellAt(row, col);
    return c && c->back >= 0 ? c->back : cols_[static_cast<std::size_t>(col - 1)].back;
}

// Applies a setting to a block. A row of -1 sets the columns' own setting and
// clears the cells' settings under it, so the whole column follows.
template <typename F> void KVSpModel::forBlock(int row, int col, int row2, int col2, F apply) {
    const Span rs = blockSpan(row, row2, maxRows()), cs = blockSpan(col, col2, maxCols());
    for (int c = cs.first; c <= cs.last; ++c) {
        if (!rs.all) {
            for (int r = rs.first; r <= rs.last; ++r) apply(&cellRef(r, c), nullptr);
            continue;
        }
        apply(nullptr, &cols_[static_cast<std::size_t>(c - 1)]);
        for (Row& r : rows_)
            if (!r.cells.empty()) apply(&r.cells[static_cast<std::size_t>(c - 1)], nullptr);
    }
    if (maxRows() > 0 && maxCols() > 0)
        touched(rs.first, cs.first, std::max(rs.first, rs.last), std::max(cs.first, cs.last));
}

void KVSpModel::setCellType(int row, int col, int type) {
    if (type != 0 && (type < 4 || type > 15)) type = kSpTypeEdit;
    const bool whole = row < 0;
    forBlock(row, col, row, col, [&](Cell* c, Column* k) {
        if (k) k->type = type;
        else c->type = static_cast<std::int8_t>(whole ? -1 : type);
        if (c && isNumberType(type)) {
            bool ok = false;
            c->text = numberValue(c->text, &ok);
        }
    });
}

void KVSpModel::setComboItems(int row, int col, const QStringList& items) {
    const bool whole = row < 0;
    forBlock(row, col, row, col, [&](Cell* c, Column* k) {
        if (k) {
            k->items = items;
            k->type = kSpTypeCombo;
            return;
        }
        c->ownItems = !whole;
        if (whole) c->items.clear();
        else c->items = items;
        c->type = static_cast<std::int8_t>(whole ? -1 : kSpTypeCombo);
        c->combo = static_cast<std::int16_t>(items.indexOf(c->text));
    });
}

void KVSpModel::setLocked(int row, int col, int row2, int col2, bool locked) {
    const bool whole = row < 0;
    forBlock(row, col, row2, col2, [&](Cell* c, Column* k) {
        if (k) k->locked = locked;
        else c->locked = static_cast<std::int8_t>(whole ? -1 : locked ? 1 : 0);
    });
}

void KVSpModel::setForeColor(int row, int col, std::int64_t bgr) {
    const bool whole = row < 0;
    forBlock(row, col, row, col, [&](Cell* c, Column* k) {
        if (k) k->fore = static_cast<std::int32_t>(bgr);
        else c->fore = static_cast<std::int32_t>(whole ? -1 : bgr);
    });
}

void KVSpModel::setBackColor(int row, int col, int row2, int col2, std::int64_t bgr) {
    const bool whole = row < 0;
    forBlock(row, col, row2, col2, [&](Cell* c, Column* k) {
        if (k) k->back = static_cast<std::int32_t>(bgr);
        else c->back = static_cast<std::int32_t>(whole ? -1 : bgr);
    });
}

void KVSpModel::touched(int row1, int col1, int row2, int col2) {
    emit dataChanged(index(row1 - 1, col1 - 1), index(row2 - 1, col2 - 1));
}

std::size_t KVSpModel::materialisedRows() const {
    return static_cast<std::size_t>(std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return !r.cells.empty(); }));
}

} // namespace pelmora
