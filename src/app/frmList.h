#pragma once
// The dispensing history window "조제내역": the saved prescriptions newest
// first, the drug lines of the selected one, and from there reopening one in
// the main window or deleting it. The main window runs it modal and, when a
// prescription was chosen, loads the code it hands back. F9 marks the
// selected patient as not to be reported in the year-end medical expenses,
// or takes the mark back.

#include <QDialog>
#include <QString>

#include <functional>

class QPushButton;
class QTableView;

namespace pelmora {

class KVSp;
class SqliteConnection;
class frmListModel;

class frmList : public QDialog {
    Q_OBJECT
  public:
    explicit frmList(SqliteConnection& store, QWidget* parent = nullptr);
    ~frmList() override;

    QTableView *sp조제목록, *sp조제약품;
    QPushButton *cmd조회, *cmd수정, *cmd삭제, *cmd영수증, *cmd연말제외, *cmd종료;
    KVSp* Sp조제약품;
    frmListModel* listModel() const { return list_; }

    // Called with the code of the prescription to open, before the window
    // closes; the main window marks lab조제코드 with it and loads it.
    std::function<void(const QString&)> onOpen;
    // Called with the code of each prescription deleted here, so the main
    // window can forget it when it is the one it holds.
    std::function<void(const QString&)> onDeleted;
    // Called with the code of the selected prescription to print its receipt
    // or statement (F4); the window stays open.
    std::function<void(const QString&)> onReceipt;
    // The code chosen to open; empty when the window was closed without one.
    QString chosenCode() const { return chosen_; }

    void cmd조회_Click();
    void cmd수정_Click();
    void cmd삭제_Click();
    void cmd영수증_Click();
    void cmd종료_Click();
    // Asks, then sets or clears the year-end opt-out of the active row's patient.
    void cmd연말제외_Click();
    void ProcSubDataload();
    // The 1-based row of the list that is active; 0 for none.
    int activeRow() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void buildWidgets();
    void setListColumns();
    void setLineColumns();
    bool windowKey(QObject* watched, int key);
    QString activeCode() const;
    void showNoReport();

    SqliteConnection& store_;
    frmListModel* list_;
    QString chosen_;
    bool shownOnce_ = false;
    bool holdLines_ = false; // the list is being rebound or shortened
};

} // namespace pelmora
