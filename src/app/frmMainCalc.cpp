// Pricing of the main window: the charge request from the widgets, the run of
// the charge engine, the three result grids and the detailed breakdown.

#include "frmMain.h"

#include "KVSp.h"
#include "ModDrug.h"
#include "ModMain.h"
#include "charge/ChargeRequest.h"
#include "charge/ChargeResultCells.h"
#include "charge/DetailBreakdown.h"
#include "charge/clsAccount.h"
#include "frmDetail.h"
#include "util/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>

namespace pelmora {

namespace {
std::string text(const QString& s) {
    return s.toStdString();
}

void writeCells(KVSp* sp, const ResultGrid& g) {
    for (const ResultCell& c : g.cells)
        sp->setCell(c.row, c.col, 0, c.value);
}
} // namespace

ChargeInput frmMain::chargeInput() const {
    ChargeInput in;
    in.bLoading = bLoading;
    in.cmb연령 = cmb연령->currentIndex();
    in.cmb시간외 = cmb시간외->currentIndex();
    in.cmb보험종류 = cmb보험종류->currentIndex();
    in.lab특정기호1 = text(lab특정기호1->text());
    in.lab특정기호2 = text(lab특정기호2->text());
    in.chk비급여조제료 = chk비급여조제료->isChecked();
    in.txt요양기관번호 = text(txt요양기관번호->text());
    in.cmb본인부담여부 = text(cmb본인부담여부->currentText());
    in.txt특정기호1 = text(txt특정기호1->text());
    in.txt특정기호2 = text(txt특정기호2->text());
    in.pvd조제일자 = text(dispensingDate());
    in.pvt조제시간 = text(pvt조제시간->time().toString(QStringLiteral("HHmmss")));
    in.chk자가투여주사 = chk자가투여주사->isChecked();
    in.chk계산상세보기 = chk계산상세보기->isChecked();
    for (int r = 1; r <= Sp처방->MaxRows(); ++r) {
        ChargeRow row;
        for (int c = 1; c <= 16; ++c)
            row.col(c) = Sp처방->Cell(r, c, 0);
        row.보험구분 = Sp처방->Cell(r, 7, 1).toText();
        row.복용구분 = Sp처방->Cell(r, 8, 1).toText();
        in.sp처방.push_back(std::move(row));
    }
    return in;
}

// An error of the run shows its description alone; the grids keep what the
// run had written before it, marked as no bill.
void frmMain::ProcCalc() {
    // Reference files changed since the last run are taken up now, before
    // this run reads any of them.
    RefreshLocalMdb(this);
    if (noticeGeneration_ != ReferenceGeneration()) showNoticeDate();
    try {
        const ChargeRequest rq =
            BuildChargeRequest(chargeInput(), [this]() -> clsYakGa& { return renewProcessDrug(ref_); });
        if (!rq.run) return;
        if (rq.tagsWritten) {
            lab특정기호1->setProperty("tag", QString::fromStdString(rq.lab특정기호1Tag));
            lab특정기호2->setProperty("tag", QString::fromStdString(rq.lab특정기호2Tag));
        }
        if (rq.set시간외야간) {
            // The request already says night; the list follows without a second run.
            const bool wasLoading = bLoading;
            bLoading = true;
            selectIndex(cmb시간외, 1);
            bLoading = wasLoading;
        }
        lastRequest_ = {rq.sPara1, rq.sPara2};
        clsAccount account;
        account.SubAcount(rq.sPara1, rq.sPara2, ref_);
        const ChargeResultCells cells = ChargeResultCells::from(account);
        writeCells(Sp수가, cells.sp수가);
        writeCells(Sp약가, cells.sp약가);
        writeCells(Sp계산, cells.sp계산);
        keepFigures(account, rq.sPara1, rq.sPara2, account.ReportedError.has_value());
        if (detailWindow()) ProcCalcDetail(account);
        showPricingState(account.ReportedError ? QString::fromStdString(*account.ReportedError) : QString());
    } catch (const std::exception& e) {
        figures_.reset();
        messages().plain(ChargeErrorText(e), kAppTitle);
        showPricingState(QString::fromStdString(ChargeErrorText(e)));
    }
}

void frmMain::ProcCalcDetail(const clsAccount& account) {
    if (frmDetail* d = detailWindow()) d->showBreakdown(detailBreakdown(account));
}

} // namespace pelmora
