// Saving the prescription of the main window into the store and loading a
// stored one back into the window.

#include "frmMain.h"

#include "CodeTables.h"
#include "CtFunctions.h"
#include "KVSp.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>

namespace pelmora {

namespace {
std::string text(const QString& s) {
    return s.toStdString();
}
QString qtext(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

PrescriptionRecord frmMain::prescriptionRecord() const {
    PrescriptionRecord p;
    p.lab조제코드 = text(lab조제코드->text());
    p.pvd조제일자 = text(dispensingDate());
    p.pvt조제시간 = text(pvt조제시간->time().toString(QStringLiteral("H:mm:ss")));
    p.cmb본인부담여부 = cmb본인부담여부->currentIndex();
    p.본인부담코드 = text(cmb본인부담여부->currentText());
    p.txt요양기관번호 = text(txt요양기관번호->text());
    p.txt요양기관명 = text(txt요양기관명->text());
    p.txt의사명 = text(txt의사명->text());
    p.txt면허번호 = text(txt면허번호->text());
    p.txt고객명 = text(txt고객명->text());
    p.txt주민번호 = text(txt주민번호->text());
    p.cmb보험종류 = cmb보험종류->currentIndex();
    p.txt상병기호1 = text(txt상병기호1->text());
    p.txt상병기호2 = text(txt상병기호2->text());
    p.pvd발행일자 = text(pvd발행일자->date().toString(QStringLiteral("yyyyMMdd")));
    p.txt교부번호 = text(txt교부번호->text());
    p.txt특정기호1 = text(txt특정기호1->text());
    p.txt특정기호2 = text(txt특정기호2->text());
    p.pvn사용기간 = pvn사용기간->value();
    p.받을금액 = Sp계산->Cell(13, 2);
    p.pricingStored = true;
    p.cmb시간외 = cmb시간외->currentIndex();
    p.cmb연령 = cmb연령->currentIndex();
    p.chk자가투여주사 = chk자가투여주사->isChecked();
    p.chk비급여조제료 = chk비급여조제료->isChecked();
    p.lab특정기호1 = text(lab특정기호1->text());
    p.lab특정기호2 = text(lab특정기호2->text());
    for (int r = 1; r <= Sp처방->MaxRows(); ++r) {
        PrescriptionLine line;
        for (int c = 1; c <= PrescriptionLine::kCols; ++c)
            line.cell(c) = Sp처방->Cell(r, c, c == 7 || c == 8 ? 2 : 0);
        p.lines.push_back(std::move(line));
    }
    return p;
}

// The caller has asked the question; the record shows its own boxes when the
// store refuses, and the window then stays as it is.
bool frmMain::ProcSave() {
    if (!store_) return false;
    PrescriptionRecord p = prescriptionRecord();
    p.charge = figuresForSave();
    const PrescriptionRecord::SaveResult r = p.Save(*store_);
    if (r.saved) lastSaved_ = QString::fromStdString(r.PreCd);
    return r.saved;
}

void frmMain::showRecord(const PrescriptionRecord& p) {
    setLab조제코드(qtext(p.lab조제코드));
    pvd조제일자->setDate(QDate::fromString(qtext(p.pvd조제일자), QStringLiteral("yyyyMMdd")));
    pvt조제시간->setTime(
        QTime::fromString(qtext(TimeFromPreTm(PreTmFromTime(p.pvt조제시간))), QStringLiteral("HH:mm:ss")));
    const int share = p.본인부담코드.empty()
                          ? CtComboBoxIndexFind(cmb본인부담여부, QStringLiteral("해당없음"))
                          : CtComboBoxIndexFind(cmb본인부담여부, qtext(p.본인부담코드));
    selectIndex(cmb본인부담여부, share < 0 ? 0 : share);
    txt요양기관번호->setText(qtext(p.txt요양기관번호));
    txt요양기관명->setText(qtext(p.txt요양기관명));
    txt의사명->setText(qtext(p.txt의사명));
    txt면허번호->setText(qtext(p.txt면허번호));
    txt고객명->setText(qtext(p.txt고객명));
    txt주민번호->setText(qtext(p.txt주민번호));
    selectIndex(cmb보험종류, p.cmb보험종류);
    ProcSetInsKind();
    selectIndex(cmb보험종류, p.cmb보험종류); // the kind lists may move the class; the stored one stands
    txt상병기호1->setText(qtext(p.txt상병기호1));
    txt상병기호2->setText(qtext(p.txt상병기호2));
    pvd발행일자->setDate(QDate::fromString(qtext(p.pvd발행일자), QStringLiteral("yyyyMMdd")));
    txt교부번호->setText(qtext(p.txt교부번호));
    txt특정기호1->setText(qtext(p.txt특정기호1));
    txt특정기호2->setText(qtext(p.txt특정기호2));
    pvn사용기간->setValue(p.pvn사용기간);

    Sp처방->setMaxRows(0);
    Sp처방->setMaxRows(static_cast<int>(p.lines.size()));
    for (int r = 1; r <= Sp처방->MaxRows(); ++r) {
        const PrescriptionLine& line = p.lines[static_cast<std::size_t>(r - 1)];
        for (int c = 1; c <= PrescriptionLine::kCols; ++c)
            Sp처방->setCell(r, c, c == 7 || c == 8 ? 2 : 0, line.cell(c));
        Sp처방->spForeColor(r, 15, codes::coverageColour(line.cell(7).toInt32()));
    }
}

// The classes, check boxes and rates the prescription was priced with. The
// labels of the rates are filled by their rule first, for the institution's
// class it shows beside them; the stored rates then stand.
void frmMain::showPricingChoices(const PrescriptionRecord& p) {
    selectIndex(cmb연령, p.cmb연령);
    selectIndex(cmb시간외, p.cmb시간외);
    chk자가투여주사->setChecked(p.chk자가투여주사);
    if (chk비급여조제료->isChecked() != p.chk비급여조제료) {
        // The pharmacist's own choice for new prescriptions comes back with the reset.
        if (!noBiboFeeSetting_) noBiboFeeSetting_ = chk비급여조제료->isChecked();
        chk비급여조제료->setChecked(p.chk비급여조제료);
    }
    lab특정기호1->setText(qtext(p.lab특정기호1));
    lab특정기호2->setText(qtext(p.lab특정기호2));
}

// A prescription saved with its pricing choices comes back with them; for
// one saved before they were kept, the age class, the time class and the
// special-code rates are derived again.
void frmMain::ProcLoad(const QString& code) {
    if (!store_) return;
    PrescriptionRecord p;
    switch (p.Load(*store_, ref_, text(code))) {
    case PrescriptionRecord::LoadOutcome::NotFound:
        ProcClear();
        break;
    case PrescriptionRecord::LoadOutcome::Failed:
        return;
    case PrescriptionRecord::LoadOutcome::Loaded: {
        const bool wasLoading = bLoading;
        bLoading = true;
        showRecord(p);
        residentRule(); // the age class; the focus goes back to txt고객명 below
        ProcTimeClass();
        lab특정기호1->setText(GetSpecialRate(txt특정기호1->text(), txt요양기관번호->text()));
        lab특정기호2->setText(GetSpecialRate(txt특정기호2->text(), txt요양기관번호->text()));
        chk자가투여주사->setChecked(false); // not kept before the pricing choices were
        if (p.pricingStored) showPricingChoices(p);
        bLoading = wasLoading;
        break;
    }
    }
    ProcRecalc();
    txt고객명->setFocus(Qt::OtherFocusReason);
}

} // namespace pelmora
