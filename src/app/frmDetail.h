#pragma once
// The detail window "상세계산": beside the main window while its
// 계산 상세보기 box is ticked, it shows the breakdown of the last pricing run
// in the grid sp약제비 — the patient's and the insurer's part of each kind of
// charge, with the fully patient-paid and the non-covered amounts.

#include "charge/DetailBreakdown.h"

#include <QRect>
#include <QWidget>

class QTableView;

namespace pelmora {

class KVSp;

class frmDetail : public QWidget {
    Q_OBJECT
  public:
    explicit frmDetail(QWidget* parent = nullptr);
    ~frmDetail() override;

    QTableView* sp약제비;
    KVSp* Sp약제비;

    // Overwrites all 32 amount cells (rows 1..8, columns 2..5) with the
    // breakdown, as money values; an empty cell is cleared.
    void showBreakdown(const DetailBreakdown& b);
    // Stands the window beside the main window, as detailPosition places it.
    void placeBeside(const QWidget& mainWindow);
};

// The top-left corner of the detail window: level with the main window's top
// and 1039 pixels (15585 twips) right of its left edge, moved back inside the
// screen's available area where it would stand off it. All rectangles are
// frame geometries in screen coordinates.
QPoint detailPosition(const QRect& mainFrame, const QSize& detailFrame, const QRect& screen);

} // namespace pelmora
