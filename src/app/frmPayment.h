#pragma once
// The payment window "수납": how the amount collected was paid — by card, as
// cash with a cash receipt (with its identification and approval numbers),
// and the rest in cash. All cash unless typed otherwise; Enter accepts.

#include "data/StoredCharge.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pelmora {

class frmPayment : public QDialog {
    Q_OBJECT
  public:
    frmPayment(Currency collect, const Payment& current, QWidget* parent = nullptr);

    QLabel *lab받을금액, *lab현금;
    QLineEdit *txt카드, *txt현금영수증, *txt신분확인번호, *txt승인번호;
    QCheckBox* chk영수증인쇄; // go on to the receipt
    QPushButton *cmd확인, *cmd취소;

    // The split as typed; valid once the window was accepted.
    Payment payment() const;
    bool printReceipt() const;
    // Empty when the split can be kept; else why not, in Korean.
    QString problem() const;

  private:
    void typed();
    void tryAccept();
    Currency collect_;
};

} // namespace pelmora
