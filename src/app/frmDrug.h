#pragma once
// The drug search window "상품조회": searches the drug price list for drugs
// valid on the date in lab날짜, by standard code, name or maker, and hands the
// chosen drug to the prescription grid through the process-wide drug object.
// The main window sets lab날짜 (and may preset txtFind) and runs it modal.

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace pelmora {

class DrugSearchList;
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
    // True while the rows of a long list are still being filled in.
    bool filling() const { return list_ != nullptr; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildWidgets();
    void bindGrid();
    void setColumns();
    bool windowKey(int key);
    void fillMore();
    void stopFilling();

    RefConnection& ref_;
    // The list of the last search while its rows are filled in, a part each
    // time the window is idle, after the first screenful was shown.
    std::unique_ptr<DrugSearchList> list_;
    std::size_t filled_ = 0;
    bool shownOnce_ = false;
    bool taken_ = false;
};

} // namespace pelmora
