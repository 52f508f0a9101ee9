#include "frmPayment.h"

#include "charge/ReceiptDocument.h"
#include "util/Messages.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace pelmora {

namespace {

QString wonText(Currency c) {
    return QString::fromStdString(WonText(c)) + QStringLiteral("원");
}

// Whole won as typed, grouping commas allowed; nullopt when it is no amount.
std::optional<Currency> amountOf(const QLineEdit* e) {
    QString t = e->text().trimmed();
    t.remove(u',');
    if (t.isEmpty()) return Currency();
    bool ok = false;
    const qlonglong won = t.toLongLong(&ok);
    if (!ok || won < 0 || won > 999'999'999'999LL) return std::nullopt;
    return Currency::fromWon(won);
}

QLineEdit* amountField(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(QStringLiteral("0"), parent);
    e->setObjectName(QString::fromUtf8(name));
    e->setAlignment(Qt::AlignRight);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9,]{0,16}")), e));
    e->setInputMethodHints(Qt::ImhDigitsOnly);
    return e;
}

QLineEdit* numberField(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromUtf8(name));
    e->setMaxLength(20);
    e->setInputMethodHints(Qt::ImhPreferNumbers);
    return e;
}

} // namespace

frmPayment::frmPayment(Currency collect, const Payment& current, QWidget* parent)
    : QDialog(parent), collect_(collect) {
    setWindowTitle(QStringLiteral("수납"));
    lab받을금액 = new QLabel(wonText(collect), this);
    lab받을금액->setObjectName(QStringLiteral("lab받을금액"));
    txt카드 = amountField(this, "txt카드");
    txt현금영수증 = amountField(this, "txt현금영수증");
    txt신분확인번호 = numberField(this, "txt신분확인번호");
    txt승인번호 = numberField(this, "txt승인번호");
    lab현금 = new QLabel(this);
    lab현금->setObjectName(QStringLiteral("lab현금"));
    chk영수증인쇄 = new QCheckBox(QStringLiteral("이어서 영수증 인쇄(&P)"), this);
    chk영수증인쇄->setObjectName(QStringLiteral("chk영수증인쇄"));
    chk영수증인쇄->setChecked(true);
    cmd확인 = new QPushButton(QStringLiteral("확인 (Enter)"), this);
    cmd확인->setObjectName(QStringLiteral("cmd확인"));
    cmd확인->setDefault(true);
    cmd취소 = new QPushButton(QStringLiteral("취소 (Esc)"), this);
    cmd취소->setObjectName(QStringLiteral("cmd취소"));
    cmd취소->setAutoDefault(false);

    const bool split = PaymentAddsUp(current, collect);
    txt카드->setText(QString::number(split ? current.card.toInt64() : 0));
    txt현금영수증->setText(QString::number(split ? current.cashRcpt.toInt64() : 0));
    txt신분확인번호->setText(QString::fromStdString(current.cashIdNo));
    txt승인번호->setText(QString::fromStdString(current.cashApprNo));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("받을금액"), lab받을금액);
    form->addRow(QStringLiteral("카드(&C)"), txt카드);
    form->addRow(QStringLiteral("현금영수증(&R)"), txt현금영수증);
    form->addRow(QStringLiteral("신분확인번호(&I)"), txt신분확인번호);
    form->addRow(QStringLiteral("현금승인번호(&A)"), txt승인번호);
    form->addRow(QStringLiteral("현금"), lab현금);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chk영수증인쇄);
    buttons->addStretch(1);
    buttons->addWidget(cmd확인);
    buttons->addWidget(cmd취소);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    for (QLineEdit* e : {txt카드, txt현금영수증})
        connect(e, &QLineEdit::textChanged, this, &frmPayment::typed);
    connect(cmd확인, &QPushButton::clicked, this, &frmPayment::tryAccept);
    connect(cmd취소, &QPushButton::clicked, this, &QDialog::reject);
    typed();
    txt카드->setFocus(Qt::OtherFocusReason);
    txt카드->selectAll();
}

Payment frmPayment::payment() const {
    Payment p;
    p.card = amountOf(txt카드).value_or(Currency());
    p.cashRcpt = amountOf(txt현금영수증).value_or(Currency());
    p.cash = collect_ - p.card - p.cashRcpt;
    // Numbers without a cash-receipt amount belong to no receipt.
    if (p.cashRcpt != Currency()) {
        p.cashIdNo = txt신분확인번호->text().trimmed().toStdString();
        p.cashApprNo = txt승인번호->text().trimmed().toStdString();
    }
    return p;
}

bool frmPayment::printReceipt() const {
    return chk영수증인쇄->isChecked();
}

QString frmPayment::problem() const {
    if (!amountOf(txt카드) || !amountOf(txt현금영수증))
        return QStringLiteral("금액은 원 단위 숫자로 입력하십시오.");
    const Payment p = payment();
    if (p.cash < Currency()) return QStringLiteral("카드와 현금영수증 금액의 합이 받을금액보다 많습니다.");
    if (p.cashRcpt != Currency() && p.cashIdNo.empty())
        return QStringLiteral("현금영수증 금액이 있으면 신분확인번호를 입력하십시오.");
    return {};
}

void frmPayment::typed() {
    const Payment p = payment();
    lab현금->setText(amountOf(txt카드) && amountOf(txt현금영수증) && p.cash >= Currency()
                         ? wonText(p.cash)
                         : QStringLiteral("-"));
}

void frmPayment::tryAccept() {
    const QString why = problem();
    if (why.isEmpty()) {
        accept();
        return;
    }
    messages().information(why.toStdString(), "입력오류");
    QLineEdit* field = why.contains(QStringLiteral("신분확인")) ? txt신분확인번호 : txt카드;
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

} // namespace pelmora
