#include "frmSettingsPharmacy.h"

#include "data/IniFile.h"
#include "data/Settings.h"
#include "util/BizNo.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <sstream>

namespace pelmora {

namespace {
QLineEdit* field(QWidget* parent, const char* name, int maxLength) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromUtf8(name));
    e->setMaxLength(maxLength);
    return e;
}
QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string text(const QLineEdit* e) {
    return e->text().trimmed().toStdString();
}
} // namespace

frmSettingsPharmacy::frmSettingsPharmacy(QWidget* parent) : SettingsPage(parent) {
    setObjectName(QStringLiteral("frmSettingsPharmacy"));
    txt상호 = field(this, "txt상호", 50);
    txt사업자등록번호 = field(this, "txt사업자등록번호", 12);
    txt사업자등록번호->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 -]{0,12}")), this));
    txt사업자등록번호->setInputMethodHints(Qt::ImhDigitsOnly);
    txt사업장소재지 = field(this, "txt사업장소재지", 100);
    txt대표자 = field(this, "txt대표자", 20);
    txt전화 = field(this, "txt전화", 20);
    txt조제약사 = field(this, "txt조제약사", 20);
    lab사업자등록번호 = new QLabel(this);
    lab사업자등록번호->setObjectName(QStringLiteral("lab사업자등록번호"));
    cmb영수증용지 = new QComboBox(this);
    cmb영수증용지->setObjectName(QStringLiteral("cmb영수증용지"));
    cmb영수증용지->addItems({QStringLiteral("A4"), QStringLiteral("80mm 롤")});

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("상호(&N)"), txt상호);
    form->addRow(QStringLiteral("사업자등록번호(&B)"), txt사업자등록번호);
    form->addRow(QString(), lab사업자등록번호);
    form->addRow(QStringLiteral("사업장 소재지(&A)"), txt사업장소재지);
    form->addRow(QStringLiteral("대표자 성명(&O)"), txt대표자);
    form->addRow(QStringLiteral("전화(&T)"), txt전화);
    form->addRow(QStringLiteral("조제약사(&P)"), txt조제약사);
    form->addRow(QStringLiteral("영수증 용지(&R)"), cmb영수증용지);
    connect(txt사업자등록번호, &QLineEdit::textChanged, this, &frmSettingsPharmacy::bizNoTyped);
    // A whole number is shown the way the receipts print it.
    connect(txt사업자등록번호, &QLineEdit::editingFinished, this, [this] {
        txt사업자등록번호->setText(qs(BizNoFormat(txt사업자등록번호->text().trimmed().toStdString())));
    });
}

QString frmSettingsPharmacy::title() const {
    return QStringLiteral("약국 정보");
}

void frmSettingsPharmacy::load(const IniFile& ini) {
    std::ostringstream ignored; // the start-up reports unreadable lines
    const Pharmacy p = Settings::parse(ini.text(), ignored).pharmacy;
    txt상호->setText(qs(p.name));
    txt사업자등록번호->setText(qs(BizNoFormat(p.bizNo)));
    txt사업장소재지->setText(qs(p.address));
    txt대표자->setText(qs(p.owner));
    txt전화->setText(qs(p.tel));
    txt조제약사->setText(qs(p.pharmacist));
    cmb영수증용지->setCurrentIndex(p.paper == "80mm" ? 1 : 0);
    bizNoTyped();
}

void frmSettingsPharmacy::bizNoTyped() {
    const std::string typed = txt사업자등록번호->text().toStdString();
    const std::size_t digits = BizNoDigits(typed).size();
    QString say, colour = QStringLiteral("#606060");
    if (digits == 0) {
    } else if (digits != 10) {
        say = QStringLiteral("숫자 10자리입니다 (%1자리 입력).").arg(digits);
    } else if (BizNoValid(typed)) {
        say = QStringLiteral("올바른 번호입니다.");
        colour = QStringLiteral("#107010");
    } else {
        say = QStringLiteral("검증번호가 맞지 않습니다. 번호를 다시 확인하십시오.");
        colour = QStringLiteral("#c00000");
    }
    lab사업자등록번호->setText(say);
    lab사업자등록번호->setStyleSheet(QStringLiteral("color:") + colour);
}

QString frmSettingsPharmacy::check() {
    const std::string typed = text(txt사업자등록번호);
    if (typed.empty() || BizNoValid(typed)) return {};
    txt사업자등록번호->setFocus(Qt::OtherFocusReason);
    txt사업자등록번호->selectAll();
    return QStringLiteral("사업자등록번호가 올바르지 않습니다. 숫자 10자리와 검증번호를 확인하십시오.");
}

void frmSettingsPharmacy::store(IniFile& ini) const {
    Pharmacy p;
    p.name = text(txt상호);
    p.bizNo = BizNoDigits(text(txt사업자등록번호));
    p.address = text(txt사업장소재지);
    p.owner = text(txt대표자);
    p.tel = text(txt전화);
    p.pharmacist = text(txt조제약사);
    p.paper = cmb영수증용지->currentIndex() == 1 ? "80mm" : "A4";
    Settings::storePharmacy(ini, p);
}

} // namespace pelmora
