#pragma once
// The history list as the window shows it: the saved prescriptions newest
// first, read page by page from the store as rows come into view, so a store
// of a million prescriptions opens as fast as one of ten. Dates and times are
// shown with their separators, amounts with thousands separators, and the
// resident numbers masked, since anyone at the counter can see the screen.

#include "data/PagedRecordSet.h"

#include <QAbstractTableModel>

#include <memory>

namespace pelmora {

class frmListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kColumns = 9;
    // The stored value of a cell, unformatted (the code of column 1, …).
    static constexpr int ValueRole = Qt::UserRole + 1;

    explicit frmListModel(QObject* parent = nullptr);
    ~frmListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    // Shows a new list (nullptr shows none).
    void bind(std::unique_ptr<PagedRecordSet> list);
    // Takes one row out after its prescription was deleted from the store.
    void removeListRow(int row);
    // The stored text of a cell; row and column 0-based.
    QString value(int row, int col) const;
    const PagedRecordSet* list() const { return list_.get(); }

  private:
    std::unique_ptr<PagedRecordSet> list_;
    long rows_ = 0;
};

} // namespace pelmora
