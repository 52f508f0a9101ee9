#include "frmReceipt.h"

#include "charge/ReceiptDocument.h"
#include "data/clsMain.h"
#include "frmPayment.h"
#include "util/Messages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pelmora {

namespace {
QRadioButton* option(QWidget* parent, const char* name, const QString& text) {
    auto* o = new QRadioButton(text, parent);
    o->setObjectName(QString::fromUtf8(name));
    return o;
}
QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    return b;
}
QGroupBox* group(QWidget* parent, const QString& title, QRadioButton* a, QRadioButton* b) {
    auto* g = new QGroupBox(title, parent);
    auto* l = new QHBoxLayout(g);
    l->addWidget(a);
    l->addWidget(b);
    auto* exclusive = new QButtonGroup(g);
    exclusive->addButton(a);
    exclusive->addButton(b);
    return g;
}
} // namespace

frmReceipt::frmReceipt(SqliteConnection& store, RefConnection* ref, Pharmacy pharmacy, std::string preCd,
                       QWidget* parent)
    : QDialog(parent), store_(store), ref_(ref), pharmacy_(std::move(pharmacy)), preCd_(std::move(preCd)) {
    setWindowTitle(QStringLiteral("영수증 발행"));
    lab처방 = new QLabel(this);
    lab처방->setObjectName(QStringLiteral("lab처방"));
    lab영수증 = new QLabel(this);
    lab영수증->setObjectName(QStringLiteral("lab영수증"));
    opt영수증 = option(this, "opt영수증", QStringLiteral("계산서·영수증(&R)"));
    opt세부내역 = option(this, "opt세부내역", QStringLiteral("세부산정내역(&S)"));
    optA4 = option(this, "optA4", QStringLiteral("A4(&A)"));
    opt롤 = option(this, "opt롤", QStringLiteral("80mm 롤(&L)"));
    cmd인쇄 = button(this, "cmd인쇄", QStringLiteral("인쇄 (Enter)"));
    cmd인쇄->setDefault(true);
    cmdPDF = button(this, "cmdPDF", QStringLiteral("PDF 저장 (F8)"));
    cmd수납 = button(this, "cmd수납", QStringLiteral("수납 변경 (F2)"));
    cmd닫기 = button(this, "cmd닫기", QStringLiteral("닫기 (Esc)"));

    auto* choices = new QHBoxLayout;
    choices->addWidget(group(this, QStringLiteral("문서"), opt영수증, opt세부내역));
    choices->addWidget(group(this, QStringLiteral("용지"), optA4, opt롤));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmd수납);
    buttons->addStretch(1);
    for (QPushButton* b : {cmd인쇄, cmdPDF, cmd닫기})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lab처방);
    layout->addWidget(lab영수증);
    layout->addLayout(choices);
    layout->addLayout(buttons);
    // Checked once each pair stands in its own box.
    opt영수증->setChecked(true);
    (pharmacy_.paper == "80mm" ? opt롤 : optA4)->setChecked(true);

    choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    choosePdfFile = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("PDF로 저장"), suggested,
                                            QStringLiteral("PDF 파일 (*.pdf)"));
    };
    connect(cmd인쇄, &QPushButton::clicked, this, &frmReceipt::cmd인쇄_Click);
    connect(cmdPDF, &QPushButton::clicked, this, &frmReceipt::cmdPDF_Click);
    connect(cmd수납, &QPushButton::clicked, this, &frmReceipt::cmd수납_Click);
    connect(cmd닫기, &QPushButton::clicked, this, &QDialog::reject);
    showState();
    opt영수증->setFocus(Qt::OtherFocusReason);
}

ReceiptPrint frmReceipt::job() const {
    return {store_,
            ref_,
            pharmacy_,
            preCd_,
            opt영수증->isChecked() ? ReceiptKind::Receipt : ReceiptKind::Statement,
            opt롤->isChecked() ? ReceiptPaper::Roll : ReceiptPaper::A4};
}

void frmReceipt::showState() {
    clsMain m(store_);
    m.PreCd = preCd_;
    m.RecordSelect();
    const auto c = StoredCharge::Read(store_, preCd_);
    QString what = QStringLiteral("조제코드 %1 · %2 · 조제일자 %3")
                       .arg(QString::fromStdString(preCd_), QString::fromStdString(m.PatNm),
                            QDate::fromString(QString::fromStdString(m.PreDt), QStringLiteral("yyyyMMdd"))
                                .toString(QStringLiteral("yyyy-MM-dd")));
    if (c)
        what += QStringLiteral(" · 받을금액 ") + QString::fromStdString(WonText(c->collect)) +
                QStringLiteral("원");
    lab처방->setText(what);
    if (!c)
        lab영수증->setText(QStringLiteral(
            "계산 금액이 저장되지 않은 처방전입니다. 인쇄할 때 처방 내용으로 다시 계산합니다."));
    else if (c->receiptNo.empty())
        lab영수증->setText(QStringLiteral("영수증 미발행 — 인쇄하면 영수증번호를 받습니다."));
    else
        lab영수증->setText(QStringLiteral("영수증번호 %1 (%2회 발행) — 다시 인쇄하면 재발행으로 찍힙니다.")
                               .arg(QString::fromStdString(c->receiptNo))
                               .arg(c->receiptCount));
    cmd수납->setEnabled(c.has_value());
}

void frmReceipt::printed(const ReceiptPrintResult& r) {
    if (!r.printed) {
        messages().information(r.error.toStdString(), "인쇄실패");
        showState();
        return;
    }
    accept();
}

void frmReceipt::cmd인쇄_Click() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(opt영수증->isChecked() ? QStringLiteral("약제비 계산서·영수증")
                                              : QStringLiteral("약제비 세부산정내역"));
    if (!choosePrinter(printer)) return;
    printed(PrintStoredReceipt(job(), printer));
}

void frmReceipt::cmdPDF_Click() {
    const QString suggested = QDir::home().filePath(
        (opt영수증->isChecked() ? QStringLiteral("영수증_") : QStringLiteral("세부산정내역_")) +
        QString::fromStdString(preCd_) + QStringLiteral(".pdf"));
    const QString file = choosePdfFile(suggested);
    if (file.isEmpty()) return;
    ReceiptPrintResult r;
    {
        QPdfWriter pdf(file);
        pdf.setTitle(opt영수증->isChecked() ? QStringLiteral("약제비 계산서·영수증")
                                            : QStringLiteral("약제비 세부산정내역"));
        pdf.setCreator(QStringLiteral("Pelmora"));
        r = PrintStoredReceipt(job(), pdf);
    }
    printed(r);
}

void frmReceipt::cmd수납_Click() {
    const auto c = StoredCharge::Read(store_, preCd_);
    if (!c) return;
    frmPayment pay(c->collect, c->payment, this);
    pay.chk영수증인쇄->hide();
    if (pay.exec() != QDialog::Accepted) return;
    if (!WritePayment(store_, preCd_, pay.payment()))
        messages().information("수납 내용을 저장하지 못했습니다.", "저장실패");
    showState();
}

void frmReceipt::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_F8:
        cmdPDF_Click();
        return;
    case Qt::Key_F2:
        if (cmd수납->isEnabled()) cmd수납_Click();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

} // namespace pelmora
