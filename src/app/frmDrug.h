#pragma once
// The drug search window "상품조회": searches the drug price list for drugs
// valid on the date in lab날짜, by standard code, name or maker, and hands the
// chosen drug to the prescription grid through the process-wide drug object.
// The main window sets lab날짜 (and may preset txtFind) and runs it modal.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace pelmora {

class KVSp;
class RefConnection;

class frmDrug : public QDialog {
    Q_OBJECT
  public:
    explicit frmDrug(RefConnection& reference, QWidget* parent = nullptr);
    ~frmDrug() override;

    QLabel* lab날짜;
    QComboBox* cmbClass;
    QLineEdit* txtFind;
    QLabel* lab상태;
    QTableView* sp상품;
    QPushButton *cmd조회, *cmd확인, *cmd종료;
    KVSp* Sp상품;

    void cmd조회_Click();
    // Takes the drug of the active row into the process-wide drug object and
    // closes; without an active row nothing happens.
    void cmd확인_Click();
    void cmd종료_Click();

    // True once a drug was taken (the dialog's result is then Accepted).
    bool taken() const { return taken_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildWidgets();
    void bindGrid();
    void setColumns();
    bool windowKey(int key);

    RefConnection& ref_;
    bool shownOnce_ = false;
    bool taken_ = false;
};

} // namespace pelmora
