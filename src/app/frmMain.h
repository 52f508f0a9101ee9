#pragma once
// The prescription entry window: the header fields with their code tables and
// field rules, the drug grid, the three result grids, the buttons, the
// function keys and the Enter path through the fields.
//
// The widgets carry the system's names as object names, so handlers, tests
// and the documentation speak of the same `txt고객명` and `sp처방`.

#include "charge/ChargeInput.h"
#include "data/PrescriptionRecord.h"
#include "data/StoredCharge.h"

#include <QWidget>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <utility>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;
class QTimeEdit;

namespace pelmora {

class KVSp;
class RefConnection;
class SqliteConnection;
class clsAccount;
class frmDetail;

class frmMain : public QWidget {
public:
    frmMain(RefConnection& reference, bool localMode, QWidget* parent = nullptr);
    ~frmMain() override;

    QLineEdit *txt고객명, *txt주민번호, *txt교부번호, *txt면허번호, *txt의사명, *txt요양기관번호, *txt요양기관명;
    QLineEdit *txt상병기호1, *txt상병기호2, *txt특정기호1, *txt특정기호2;
    QLabel *lab검증, *lab성별, *lab나이, *lab요양기관번호, *lab특정기호1, *lab특정기호2;
    QLabel *lab조제코드, *lab약가갱신일, *lab연결정보, *KvTitle1, *KvTitle2;
    QLabel* lab백업; // when the last good backup was made; red when it is overdue
    std::array<QLabel*, 15> KvLabel{};
    QComboBox *cmb보험종류1, *cmb보험종류2, *cmb보험종류, *cmb시간외, *cmb연령, *cmb본인부담여부;
    std::array<QRadioButton*, 9> opt보험{};
    QDateEdit *pvd발행일자, *pvd조제일자;
    QTimeEdit* pvt조제시간;
    QSpinBox* pvn사용기간;
    QCheckBox *chk비급여조제료, *chk자가투여주사, *chk계산상세보기;
    QTableView *sp처방, *sp수가, *sp약가, *sp계산;
    QPushButton *cmd추가, *cmd삭제, *cmd초기화, *cmd조제내역, *cmd저장, *cmd종료;
    QPushButton *cmd영수증, *cmd집계, *cmd약가, *cmd설정, *cmd백업;
    KVSp *Sp처방, *Sp수가, *Sp약가, *Sp계산;

    // True while the program itself fills the window: no recalculation then.
    bool bLoading = false;
    double dLastQty = 1.0;
    int lLastCnt = 3, lLastDay = 1;
    double dLastTot = 3.0;
    bool bCodeEntry = false; // the drug grid's code-entry mode

    void ProcClear();
    void ProcRecalc();
    void ProcCalc();
    void ProcSetInsClass();
    void ProcSetInsKind();
    void ProcTimeClass();
    QString GetSpecialRate(const QString& specialCode, const QString& hospCode);
    void ProcAddRow();
    // Saves the prescription; false when it was not saved.
    bool ProcSave();
    void ProcLoad(const QString& code);
    void setLab조제코드(const QString& code);
    // The pricing input as the widgets hold it, and the header and lines the
    // last run priced.
    ChargeInput chargeInput() const;
    const std::pair<std::string, std::string>& lastRequest() const { return lastRequest_; }

    void cmd추가_Click();
    void cmd삭제_Click();
    void cmd초기화_Click();
    void cmd조제내역_Click();
    void cmd저장_Click();
    void cmd종료_Click();
    // The pharmacy's daily work around the prescription, each in its own file:
    void cmd영수증_Click(); // F4: the receipt and the detailed statement (frmMainReceipt.cpp)
    void cmd설정_Click();   // F12: the settings window (frmMainReceipt.cpp)
    void cmd집계_Click();   // F5: the day's and the year's totals (frmMainTotals.cpp)
    void cmd백업_Click();   // Ctrl+B: a backup of the store now (frmMainTotals.cpp)
    void cmd약가_Click();   // F6: importing a drug price list file (frmMainImport.cpp)
    // Local reference files without a drug (a root just made from the
    // published fees): offers to take in the price list file now.
    void offerDrugList();

    // What was charged (frmMainReceipt.cpp): the figures of the pricing run on
    // screen, which a save stores with the prescription; empty while the
    // grids show no finished run. And the code of the last prescription saved.
    const std::optional<StoredCharge>& chargeFigures() const { return figures_; }
    const QString& lastSavedCode() const { return lastSaved_; }
    // Right after a save: the payment window, then the receipt.
    void offerReceipt();
    // The printing window for a stored prescription, over the given window.
    void openReceipt(const QString& code, QWidget* over);

    // The prescription store the history window lists; without one F3 does nothing.
    void setStore(SqliteConnection* store) {
        store_ = store;
        showLastBackup();
    }
    // Backups (frmMainTotals.cpp): the label of the last one, the backup made
    // at closing, the settings window opened on its backup page, and that
    // page added to a settings window.
    void showLastBackup();
    void showNoticeDate();
    int noticeGeneration_ = 0;
    void backupAtClose();
    void openBackupSettings();
    void addBackupPage(class frmSettings& settings);
    // The detailed calculation window while 계산 상세보기 is ticked, else nullptr.
    frmDetail* detailWindow() const;
    // Stands the detail window where it covers none of this window's figures
    // within the screen area, this window making room when it must.
    void placeDetail(const QRect& screenArea);

    // Runs of the calculation that were not held back by bLoading.
    int recalcCount() const { return recalcCount_; }

    // Whether the figures in the result grids are a bill: false from a
    // pricing run that reported an error (the text) until a run that did
    // not, or until the grids are emptied. The grids show it too.
    bool pricingValid() const { return pricingError_.isEmpty(); }
    const QString& pricingError() const { return pricingError_; }

    // Drug grid: finding the drug typed in column 2 and the rules of the line's cells.
    void ProcDrugRow(int row);

private:
    void connectDrugGrid();
    void guarded(const std::function<void()>& handler);
    void writeDrugRow(int row, class clsYakGa& drug);
    void emptyDrugRow(int row);
    void drugGridEnter(int row, int col);
    void drugGridChange(int col, int row);
    void drugGridPriceClick(int row);
    void drugQuantityEdited(int row, int col);
    void drugTotalEdited(int row);
    void drugPriceEdited(int row);
    void drugLineAmounts(int row, bool totalFromQuantities, int editedCol);
    void drugPriceDifference(int row);
    double drugNumber(int row, int col) const;
    class Currency drugMoney(int row, int col) const;
    // End of the drug grid.

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFields();
    void buildGrids();
    void buildButtons();
    void layoutWindow();
    void connectHandlers();
    void buildEnterPath();
    void fillLists();
    void clearResultGrids();
    // Empties the result grids and the detail window: nothing is priced.
    void clearPricing();
    // Marks the result grids as a bill, or as the figures of a failed run.
    void showPricingState(const QString& error);

    void selectIndex(QComboBox* combo, int index);
    void kindChanged();
    void optChosen(int index);
    void residentRule();
    void issueNumberEdited();
    void issueNumberLeft();
    void dateLeft(QDateEdit* field);
    bool windowKey(QKeyEvent* e);
    bool fieldFocus(QWidget* field, QEvent* e);
    bool hasPrescription() const;
    bool confirmDiscard(const char* question = "입력중인 처방을 지우시겠습니까?",
                        const char* title = "초기화확인");
    QString dispensingDate() const;
    QWidget* pathField(QObject* o) const;

    void showDetail(bool on);
    void setFrame(const QRect& frame);
    void ProcCalcDetail(const clsAccount& account);
    PrescriptionRecord prescriptionRecord() const;
    void showRecord(const PrescriptionRecord& p);
    void showPricingChoices(const PrescriptionRecord& p);

    RefConnection& ref_;
    bool localMode_;
    SqliteConnection* store_ = nullptr;
    frmDetail* detail_ = nullptr;
    int recalcCount_ = 0;
    QString pricingError_;
    // The frame this window had before it made room for the detail window,
    // and the frame it took then.
    std::optional<std::pair<QRect, QRect>> roomGiven_;
    std::pair<std::string, std::string> lastRequest_;
    // The receipt's side of pricing and saving (frmMainReceipt.cpp).
    void keepFigures(const clsAccount& account, const std::string& sPara1, const std::string& sPara2,
                     bool runError);
    std::optional<StoredCharge> figuresForSave() const;
    std::optional<StoredCharge> figures_;
    QString lastSaved_;
    // 비급여 조제료 계산안함 as the pharmacist set it for new prescriptions,
    // while a loaded prescription shows its own choice.
    std::optional<bool> noBiboFeeSetting_;
    bool composing_ = false;
    bool closing_ = false;
    std::map<QWidget*, std::function<void()>> enterPath_;
    std::map<QWidget*, int> focusMode_; // fields with focus colours, and their input-method mode
};

} // namespace pelmora
