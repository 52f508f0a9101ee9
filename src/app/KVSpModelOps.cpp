// The item-model side of KVSpModel and its row and column operations.

#include "KVSpModel.h"

#include "WinColor.h"
#include "util/NumericText.h"

#include <QBrush>

#include <algorithm>
#include <numeric>
#include <optional>

namespace pelmora {

namespace {
bool isNumberType(int t) { return t == kSpTypeNumber || t == kSpTypeNumberPlain; }

QString columnLetters(int col) {
    QString s;
    for (int n = col; n > 0; n = (n - 1) / 26) s.prepend(QChar(u'A' + (n - 1) % 26));
    return s;
}
} // namespace

QVariant KVSpModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.model() != this) return {};
    const int r = index.row() + 1, c = index.column() + 1;
    switch (role) {
    case Qt::DisplayRole:
        return displayText(r, c);
    case Qt::EditRole:
        if (cellType(r, c) == kSpTypeCombo) return comboIndex(r, c);
        return value(r, c);
    case Qt::TextAlignmentRole:
        return static_cast<int>((isNumberType(cellType(r, c)) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (auto f = foreColor(r, c); f >= 0) return QBrush(winColor(f));
        return {};
    case Qt::BackgroundRole:
        if (auto b = backColor(r, c); b >= 0) return QBrush(winColor(b));
        return {};
    case Qt::CheckStateRole:
        if (cellType(r, c) != kSpTypeCheck) return {};
        return static_cast<int>(value(r, c) == QLatin1String("1") ? Qt::Checked : Qt::Unchecked);
    case ComboItemsRole:
        return comboItems(r, c);
    case CellTypeRole:
        return cellType(r, c);
    default:
        return {};
    }
}

bool KVSpModel::setData(const QModelIndex& index, const QVariant& v, int role) {
    if (!index.isValid() || index.model() != this) return false;
    const int r = index.row() + 1, c = index.column() + 1;
    if (isLocked(r, c)) return false;
    const int type = cellType(r, c);
    if (role == Qt::CheckStateRole && type == kSpTypeCheck) {
        const QString t = v.toInt() == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
        if (t == value(r, c)) return true;
        cellRef(r, c).text = t;
    } else if (role == Qt::EditRole && type == kSpTypeCombo) {
        if (v.toInt() == comboIndex(r, c)) return true;
        setComboIndex(r, c, v.toInt());
    } else if (role == Qt::EditRole) {
        bool ok = false;
        const QString t = normalise(r, c, v.toString(), &ok);
        if (!ok) return false;
        if (t == value(r, c)) return true;
        cellRef(r, c).text = t;
    } else {
        return false;
    }
    touched(r, c, r, c);
    emit userEdited(r, c);
    return true;
}

Qt::ItemFlags KVSpModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    const int r = index.row() + 1, c = index.column() + 1;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isLocked(r, c)) return f;
    const int type = cellType(r, c);
    if (type == kSpTypeCheck) return f | Qt::ItemIsUserCheckable;
    if (type != kSpTypeStatic) f |= Qt::ItemIsEditable;
    return f;
}

QVariant KVSpModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role == Qt::TextAlignmentRole) return static_cast<int>(Qt::AlignCenter);
    if (role != Qt::DisplayRole || section < 0) return {};
    if (o == Qt::Vertical) return section < maxRows() ? QVariant(section + 1) : QVariant();
    if (section >= maxCols()) return {};
    const QString h = header(section + 1);
    return h.isEmpty() ? columnLetters(section + 1) : h;
}

void KVSpModel::setMaxRows(int n) {
    n = std::max(n, 0);
    if (n > maxRows()) {
        beginInsertRows({}, maxRows(), n - 1);
        rows_.resize(static_cast<std::size_t>(n));
        endInsertRows();
    } else if (n < maxRows()) {
        beginRemoveRows({}, n, maxRows() - 1);
        rows_.resize(static_cast<std::size_t>(n));
        endRemoveRows();
    }
}

void KVSpModel::setMaxCols(int n) {
    n = std::max(n, 0);
    if (n == maxCols()) return;
    const bool growing = n > maxCols();
    if (growing) beginInsertColumns({}, maxCols(), n - 1);
    else beginRemoveColumns({}, n, maxCols() - 1);
    cols_.resize(static_cast<std::size_t>(n));
    for (Row& r : rows_)
        if (!r.cells.empty()) r.cells.resize(static_cast<std::size_t>(n));
    if (growing) endInsertColumns();
    else endRemoveColumns();
}

void KVSpModel::insertRowAt(int row) {
    row = std::clamp(row, 1, maxRows() + 1);
    beginInsertRows({}, row - 1, row - 1);
    rows_.insert(rows_.begin() + (row - 1), Row{});
    endInsertRows();
}

void KVSpModel::removeRowAt(int row) {
    if (row < 1 || row > maxRows()) return;
    beginRemoveRows({}, row - 1, row - 1);
    rows_.erase(rows_.begin() + (row - 1));
    endRemoveRows();
}

void KVSpModel::insertColAt(int col) {
    col = std::clamp(col, 1, maxCols() + 1);
    beginInsertColumns({}, col - 1, col - 1);
    cols_.insert(cols_.begin() + (col - 1), Column{});
    for (Row& r : rows_)
        if (!r.cells.empty()) r.cells.insert(r.cells.begin() + (col - 1), Cell{});
    endInsertColumns();
}

void KVSpModel::removeColAt(int col) {
    if (col < 1 || col > maxCols()) return;
    beginRemoveColumns({}, col - 1, col - 1);
    cols_.erase(cols_.begin() + (col - 1));
    for (Row& r : rows_)
        if (!r.cells.empty()) r.cells.erase(r.cells.begin() + (col - 1));
    endRemoveColumns();
}

// Empty cells first, then numbers by value, then text; equal keys keep their order.
void KVSpModel::sortRows(int col, int row1, int row2, bool ascending) {
    row1 = std::max(row1, 1);
    row2 = std::min(row2, maxRows());
    if (col < 1 || col > maxCols() || row2 <= row1) return;
    struct Key {
        int rank;
        double number;
        QString text;
    };
    const int n = row2 - row1 + 1;
    std::vector<Key> keys;
    keys.reserve(static_cast<std::size_t>(n));
    for (int r = row1; r <= row2; ++r) {
        const QString t = value(r, col).trimmed();
        auto d = t.isEmpty() ? std::nullopt : numericTextToDouble(t.toStdString());
        keys.push_back({t.isEmpty() ? 0 : d ? 1 : 2, d.value_or(0), t});
    }
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    auto less = [&](int a, int b) {
        const Key &x = keys[static_cast<std::size_t>(a)], &y = keys[static_cast<std::size_t>(b)];
        if (x.rank != y.rank) return x.rank < y.rank;
        if (x.rank == 1) return x.number < y.number;
        return QString::compare(x.text, y.text) < 0;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return ascending ? less(a, b) : less(b, a); });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<Row> moved;
    moved.reserve(order.size());
    std::vector<int> newPos(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        moved.push_back(std::move(rows_[static_cast<std::size_t>(row1 - 1 + order[i])]));
        newPos[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    }
    std::move(moved.begin(), moved.end(), rows_.begin() + (row1 - 1));
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    for (const QModelIndex& i : from) {
        const int r = i.row() + 1;
        const int nr = r >= row1 && r <= row2 ? row1 + newPos[static_cast<std::size_t>(r - row1)] : r;
        to.append(index(nr - 1, i.column()));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void KVSpModel::bind(std::shared_ptr<const RecordSet> rs) {
    beginResetModel();
    rs_.clear();
    if (rs) rs_.push_back(rs);
    const int fields = rs ? rs->fieldCount() : 0;
    cols_.assign(static_cast<std::size_t>(fields), Column{});
    for (int i = 0; i < fields; ++i) {
        cols_[static_cast<std::size_t>(i)].header = QString::fromStdString(rs->fieldName(i));
        cols_[static_cast<std::size_t>(i)].source = i;
    }
    const long count = rs ? rs->recordCount() : 0;
    rows_.clear();
    rows_.resize(static_cast<std::size_t>(count));
    for (long i = 0; i < count; ++i) rows_[static_cast<std::size_t>(i)].source = i;
    endResetModel();
}

void KVSpModel::append(std::shared_ptr<const RecordSet> rs) {
    if (!rs || rs->recordCount() == 0) return;
    if (rs_.empty()) return bind(std::move(rs));
    const long part = static_cast<long>(rs_.size());
    const long count = rs->recordCount();
    const int first = maxRows();
    beginInsertRows({}, first, first + static_cast<int>(count) - 1);
    rs_.push_back(std::move(rs));
    rows_.resize(rows_.size() + static_cast<std::size_t>(count));
    for (long i = 0; i < count; ++i) rows_[static_cast<std::size_t>(first + i)].source = part << 32 | i;
    endInsertRows();
}

} // namespace pelmora
