#pragma once
// The printing window "영수증 발행" of one stored prescription: the receipt
// or the detailed statement, on A4 or an 80 mm roll, to a printer (through
// the system's printer window) or into a PDF file; and the payment, which
// the receipt shows. Enter prints, F8 saves a PDF, F2 changes the payment,
// Esc closes.

#include "ReceiptPrinter.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace pelmora {

class frmReceipt : public QDialog {
    Q_OBJECT
  public:
    frmReceipt(SqliteConnection& store, RefConnection* ref, Pharmacy pharmacy, std::string preCd,
               QWidget* parent = nullptr);

    QLabel *lab처방, *lab영수증;
    QRadioButton *opt영수증, *opt세부내역, *optA4, *opt롤;
    QPushButton *cmd인쇄, *cmdPDF, *cmd수납, *cmd닫기;

    // How the printer is chosen: the system's printer window unless a test
    // sets the printer up itself. False: nothing is printed.
    std::function<bool(QPrinter&)> choosePrinter;
    // The PDF file to write, "" for none: a save window unless a test names one.
    std::function<QString(const QString& suggested)> choosePdfFile;

    void cmd인쇄_Click();
    void cmdPDF_Click();
    void cmd수납_Click();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    ReceiptPrint job() const;
    void showState();
    // After a printing: the pharmacist is told what went wrong, or the window closes.
    void printed(const ReceiptPrintResult& r);

    SqliteConnection& store_;
    RefConnection* ref_;
    Pharmacy pharmacy_;
    std::string preCd_;
};

} // namespace pelmora
