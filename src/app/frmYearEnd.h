#pragma once
// The year's medical expenses per patient for the income-tax year-end
// settlement, the second page of the totals window: per resident number the
// name, the prescriptions and the amount paid (본인부담 + 비급여), without the
// patients who asked not to be reported (marked in the history window).
// Resident numbers are masked on the screen, anyone at the counter can see
// it; the spreadsheet, which goes to the tax service, holds them whole.

#include "data/YearEndReport.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;

namespace pelmora {

class KVSp;
class SqliteConnection;

class frmYearEnd : public QWidget {
    Q_OBJECT
  public:
    explicit frmYearEnd(SqliteConnection& store, QWidget* parent = nullptr);
    ~frmYearEnd() override;

    QSpinBox* pvn연도;
    QPushButton* cmd조회;
    QTableView* sp연말;
    QLabel* lab요약;
    KVSp* Sp연말;

    void cmd조회_Click();
    bool exportYear(const QString& file);
    QString suggestedFileName() const;
    const YearEndReport& report() const { return report_; }

  private:
    SqliteConnection& store_;
    YearEndReport report_;
    int shownYear_ = 0;
};

} // namespace pelmora
