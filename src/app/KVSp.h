#pragma once
// The grid wrapper every window drives its tables through: 1-based rows and
// columns, one cell accessor with a kind selector, row and column insert and
// delete, money sums, locking, sorting, record-set binding, spreadsheet export
// and import, and the grid's events re-raised under the wrapper's own names.
// Change is raised for the user's edits only; writes from code stay silent.

#include "KVSpModel.h"
#include "data/RecordSet.h"
#include "util/Currency.h"
#include "util/Variant.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTableView>

#include <cstdint>

class QInputMethodEvent;
class QKeyEvent;
class QWidget;

namespace pelmora {

class KVSpDelegate;

class KVSp : public QObject {
    Q_OBJECT
public:
    explicit KVSp(QObject* parent = nullptr);
    ~KVSp() override;

    // Settings the window makes before SpSet.
    int LookMode = 0;        // 1: "굴림체" 9.5 points; 2: size 8
    int HeaderClickMode = 0; // 2: a header click sorts by its column
    int FixedRows = 0;       // rows above the sortable range
    double DefaultRowHeight = 0; // points; 0 means 10.5
    // Input-method mode: 0 Hangul everywhere, 1 alphanumeric in the listed
    // columns (all when none is listed), 2 no switching.
    int nMode = 0, nCol = 0, nCol2 = 0;

    void SpSet(QTableView* grid, int mode = 0, int col = 0, int col2 = 0);
    QTableView* SpSet() const { return grid_; }
    KVSpModel* model() const { return model_; }

    // Kind 0 the value, 1 the displayed text, 2 a combo cell's selected index.
    Variant Cell(int row, int col, int kind = 0) const;
    void setCell(int row, int col, int kind, const Variant& value);
    void setCell(int row, int col, const Variant& value) { setCell(row, col, 0, value); }

    Currency spRowSum(int sRow, int eRow = 0, int col = 1) const;
    Currency spColSum(int sCol, int eCol = 0, int row = 1) const;
    void spCellType(int row, int col, int type);
    int spCellType(int row, int col) const;
    void spComboFill(int row, int col, const QString& commaValue);
    void spDelRow(int row = 0);
    void spInsRow(int row = 0);
    void spDelCol(int col = 0);
    void spInsCol(int col = 0);
    int MaxRows() const;
    void setMaxRows(int n);
    int MaxCols() const;
    void setMaxCols(int n);
    int cRow() const;
    int cCol() const;
    void spLock(int row, int col, int row2, int col2, bool locked);
    void spLock(int row, int col, bool locked) { spLock(row, col, row, col, locked); }
    void spBlock(int row, int col, int row2 = 0, int col2 = 0);
    void spGoCell(int row, int col);
    void Col(int col) { col_ = col; }
    void Row(int row) { row_ = row; }
    void SetFocus();
    void Enabled(bool on);
    // 0 normal, 1 read only, 2 row mode, 3 single selection, 4 multiple, 5 extended.
    void OperationMode(int mode);
    void spSort(int col, int sRow, int eRow, bool ascending);
    void spForeColor(int row, int col, std::int64_t bgr);
    void spFocusBarColor(std::int64_t bgr);
    void spCellColor(int row, int col, int row2, int col2, std::int64_t bgr);
    void spCellColorSingle(int row, int col, std::int64_t bgr);
    void spHanEngMode(bool hangul);
    bool hangulEntry() const { return hangul_; }
    void RowHeight(int row, double points);
    double RowHeight(int row) const;
    void ColWidth(int col, double chars);
    double ColWidth(int col) const;
    void ColHidden(int col, bool hidden);
    int spOverLapPing(int rowOrCol, const QString& value, int sRowOrCol, int exempt = 0) const;
    void spRsBound(RecordSet rs, double rowHeight = 0);
    void spRsBoundAuto(RecordSet rs, double rowHeight = 0);
    // Rows of more records of the bound list (same fields) below its rows.
    void spRsAppend(RecordSet rs);
    // An empty file name asks with a file dialog opened at the folder.
    bool spExportToExcel(const QString& fileName = {}, const QString& folder = {}, bool xlsx = true);
    bool spImportToExcel(const QString& fileName = {}, const QString& folder = {}, bool xlsx = true);
    // Called from a KeyDown handler: the key goes no further.
    void spCancelKey() { cancelKey_ = true; }

signals:
    void Change(int col, int row);
    void Click(int col, int row);
    void DblClick(int col, int row);
    void FocusGot();
    void FocusLost();
    void KeyDownEnter(int row, int col);
    void KeyDown(int keyCode, int shift);
    void KeyPress(int keyAscii);
    void KeyUp(int keyCode, int shift);
    void MouseDown(int button, int shift, int x, int y);
    void RowSelect(int row, int col);
    void MouseUp(int button, int shift, int x, int y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyEvent(QKeyEvent* e, bool inEditor);
    bool inputMethod(QInputMethodEvent* e);
    void enterPressed();
    void applyInputMethod();
    void headerClicked(int section);
    void ensureCurrent();
    int rowPixels(double points) const;
    double defaultPoints() const { return DefaultRowHeight > 0 ? DefaultRowHeight : 10.5; }
    Currency cellMoney(int row, int col) const;

    QPointer<QTableView> grid_;
    // The same view for focus and event checks that may run while it is being
    // destroyed, when it is no longer a table view.
    QPointer<QWidget> gridWidget_;
    QObject* viewport_ = nullptr;
    KVSpModel* model_ = nullptr;
    KVSpDelegate* delegate_ = nullptr;
    int col_ = 0, row_ = 0;
    int lastRow_ = 0;
    int sortCol_ = 0;
    bool sortAscending_ = true;
    bool hangul_ = true;
    bool cancelKey_ = false;
    bool focused_ = false;
};

} // namespace pelmora
