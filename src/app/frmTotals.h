#pragma once
// The totals window "조제집계": for a range of dispensing dates (today when it
// opens), one row per day with the number of prescriptions, 약제비총액, the
// patients', insurers' (공단, 보훈, 지원금) and non-covered shares and what was
// collected by card, cash receipt and cash; the same per insurance class; a
// bar chart of the days; and on its second page the year's medical expenses
// per patient. Each page saves to a spreadsheet.
//
// Keys: F3 refreshes, F9 saves to a spreadsheet, Esc closes, Ctrl+Tab turns
// the page.

#include "data/StoreTotals.h"

#include <QDialog>

class QChart;
class QChartView;
class QDateEdit;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace pelmora {

class KVSp;
class SqliteConnection;
class frmYearEnd;

class frmTotals : public QDialog {
    Q_OBJECT
  public:
    explicit frmTotals(SqliteConnection& store, QWidget* parent = nullptr);
    ~frmTotals() override;

    QTabWidget* tab집계;
    QDateEdit *pvd시작, *pvd종료;
    QPushButton *cmd오늘, *cmd이번달, *cmd지난달, *cmd조회, *cmd엑셀, *cmd종료;
    QTableView *sp일별, *sp보험;
    QChartView* chart일별;
    QLabel* lab안내;
    KVSp *Sp일별, *Sp보험;
    frmYearEnd* yearEnd;

    void cmd조회_Click();
    // Asks for a file and saves the page shown.
    void cmd엑셀_Click();
    // Saves the days, their sum and the classes to file, one table under the other.
    bool exportTotals(const QString& file);
    const StoreTotals& totals() const { return totals_; }
    QChart* chart() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWidgets();
    void showTotals();
    void setRange(QDate from, QDate to);

    SqliteConnection& store_;
    StoreTotals totals_;
};

} // namespace pelmora
