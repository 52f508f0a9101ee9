#pragma once
// The cells behind one KVSp grid. Rows and columns are 1-based in every
// public call, as the windows count them; Qt's 0-based indices stay inside.
// A bound record set is not copied: rows read their values from it until a
// cell of the row is written, so a grid over a million records shows at once.

#include "data/RecordSet.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace pelmora {

// The grid's own cell-type numbers. Every number outside 0 and 4..15 is plain
// text entry (1).
enum KVSpType : int {
    kSpTypeDate = 0,
    kSpTypeEdit = 1,
    kSpTypeStatic = 5,
    kSpTypeCombo = 8,
    kSpTypeCheck = 10,
    kSpTypeNumber = 12,      // no decimals, thousands separators shown
    kSpTypeNumberPlain = 13, // no decimals, no separators
};

class KVSpModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Roles { ComboItemsRole = Qt::UserRole + 1, CellTypeRole };
    static constexpr double kNumberLimit = 100000000000.0;

    explicit KVSpModel(QObject* parent = nullptr);
    ~KVSpModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Only the view's editors call this: it is the user's edit and raises userEdited.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    int maxRows() const { return static_cast<int>(rows_.size()); }
    int maxCols() const { return static_cast<int>(cols_.size()); }
    void setMaxRows(int n);
    void setMaxCols(int n);

    // Writes from code: they repaint but never raise userEdited.
    QString value(int row, int col) const;
    QString displayText(int row, int col) const;
    int comboIndex(int row, int col) const;
    void setValue(int row, int col, const QString& text);
    void setComboIndex(int row, int col, int index);
    QString header(int col) const;
    void setHeader(int col, const QString& text);

    int cellType(int row, int col) const;
    void setCellType(int row, int col, int type); // -1 for all rows / columns
    QStringList comboItems(int row, int col) const;
    void setComboItems(int row, int col, const QStringList& items);
    bool isLocked(int row, int col) const;
    void setLocked(int row, int col, int row2, int col2, bool locked);
    std::int64_t foreColor(int row, int col) const; // -1 when none
    void setForeColor(int row, int col, std::int64_t bgr);
    std::int64_t backColor(int row, int col) const;
    void setBackColor(int row, int col, int row2, int col2, std::int64_t bgr);

    void insertRowAt(int row);
    void removeRowAt(int row);
    void insertColAt(int col);
    void removeColAt(int col);
    void sortRows(int col, int row1, int row2, bool ascending);
    void bind(std::shared_ptr<const RecordSet> rs);
    // More records of the bound list, with the same fields, as rows below.
    void append(std::shared_ptr<const RecordSet> rs);
    // Rows whose cells are held by the grid itself (for checks of laziness).
    std::size_t materialisedRows() const;

signals:
    void userEdited(int row, int col);

private:
    struct Cell {
        QString text;
        QStringList items;
        std::int32_t fore = -1, back = -1;
        std::int16_t combo = -1;
        std::int8_t type = -1, locked = -1;
        bool ownItems = false;
    };
    struct Column {
        QString header;
        QStringList items;
        std::int32_t fore = -1, back = -1;
        int type = kSpTypeEdit;
        int source = -1; // field of the bound record set
        bool locked = false;
    };
    struct Row {
        long source = -1; // part of the bound list << 32 | its record; -1 when own
        std::vector<Cell> cells;
    };

    bool valid(int row, int col) const;
    const Cell* cellAt(int row, int col) const;
    Cell& cellRef(int row, int col);
    QString sourceText(const Row& r, int col) const;
    QString normalise(int row, int col, const QString& text, bool* ok) const;
    void touched(int row1, int col1, int row2, int col2);
    template <typename F> void forBlock(int row, int col, int row2, int col2, F apply);

    std::vector<Row> rows_;
    std::vector<Column> cols_;
    std::vector<std::shared_ptr<const RecordSet>> rs_; // the bound list, in its parts
};

// Whole-number text of a number cell, with or without thousands separators.
QString formatNumberText(const QString& value, bool separators);

} // namespace pelmora
