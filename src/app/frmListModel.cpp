#include "frmListModel.h"

#include "util/ModFunction.h"

#include <QLocale>

#include <array>
#include <exception>

namespace pelmora {

namespace {
const std::array<const char*, frmListModel::kColumns> kCaptions{
    "조제코드",     "조제일자",   "조제시간",       "수진자성명", "수진자주민번호",
    "요양기관기호", "요양기관명", "처방전교부번호", "받을금액"};
enum Col { kCode, kDate, kTime, kName, kResident, kHospCd, kHospNm, kPubNo, kMoney };

QString dashedDate(const QString& d) {
    return d.size() == 8 ? d.left(4) + u'-' + d.mid(4, 2) + u'-' + d.mid(6, 2) : d;
}
QString colonTime(const QString& t) {
    return t.size() == 6 ? t.left(2) + u':' + t.mid(2, 2) + u':' + t.mid(4, 2) : t;
}
QString wonText(const QString& v) {
    auto money = Currency::tryParse(v.toStdString());
    if (!money) return v;
    return QLocale(QLocale::English).toString(static_cast<qlonglong>(money->toInt64()));
}
} // namespace

frmListModel::frmListModel(QObject* parent) : QAbstractTableModel(parent) {}
frmListModel::~frmListModel() = default;

int frmListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_);
}

int frmListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QString frmListModel::value(int row, int col) const {
    if (!list_ || row < 0 || row >= rows_ || col < 0 || col >= kColumns) return {};
    // A page the store cannot read shows empty cells rather than stop the
    // window: the next refresh reports the fault.
    try {
        const Variant v = list_->value(static_cast<std::size_t>(row), col);
        if (v.isNull() || v.isEmpty()) return {};
        return QString::fromStdString(v.toText());
    } catch (const std::exception&) {
        return {};
    }
}

QVariant frmListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int col = index.column();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter | (col == kMoney ? Qt::AlignRight : Qt::AlignLeft));
    if (role != Qt::DisplayRole && role != ValueRole) return {};
    const QString v = value(index.row(), col);
    if (role == ValueRole) return v;
    switch (col) {
    case kDate:
        return dashedDate(v);
    case kTime:
        return colonTime(v);
    case kResident:
        return QString::fromStdString(ModFunction::MaskResidentNo(v.toStdString()));
    case kMoney:
        return wonText(v);
    default:
        return v;
    }
}

QVariant frmListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (o == Qt::Vertical) return section + 1;
    if (section < 0 || section >= kColumns) return {};
    return QString::fromUtf8(kCaptions[static_cast<std::size_t>(section)]);
}

void frmListModel::bind(std::unique_ptr<PagedRecordSet> list) {
    beginResetModel();
    list_ = std::move(list);
    rows_ = list_ ? list_->recordCount() : 0;
    endResetModel();
}

// The list is counted and read again from the store, which no longer holds
// the row: every row below it moves up by one, as the grid showed it.
void frmListModel::removeListRow(int row) {
    if (!list_ || row < 0 || row >= rows_) return;
    list_->reload();
    const long count = list_->recordCount();
    if (count != rows_ - 1) { // another running copy changed the store meanwhile
        beginResetModel();
        rows_ = count;
        endResetModel();
        return;
    }
    beginRemoveRows({}, row, row);
    rows_ = count;
    endRemoveRows();
}

} // namespace pelmora
