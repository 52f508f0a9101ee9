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
  signals:
    // The window was closed, by its own close button or by the main window.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
};

// Where the detail window stands so that it never covers the main window's
// figures, and the frame the main window takes for it.
struct DetailPlacement {
    QRect mainFrame;     // the main window's frame; changed only when it had to make room
    QPoint detailCorner; // the detail window's top-left corner
};

// Beside the main window when the screen has room: right of it, else left of
// it, else with the main window moved along so that both fit side by side,
// else below or above it. Otherwise the main window makes room: it gives up
// height for the detail window below it, or width beside it, down to its
// minimum. All rectangles are frame geometries in screen coordinates; screen
// is the available area.
DetailPlacement detailPlacement(const QRect& mainFrame, const QSize& mainMinimum, const QSize& detailFrame,
                                const QRect& screen);

} // namespace pelmora
