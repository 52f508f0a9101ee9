// Whether the result grids hold a bill: the figures of a run that reported
// an error are greyed out under "계산 오류", and grids with nothing left to
// price are emptied rather than left with a deleted drug's figures.

#include "frmMain.h"

#include "KVSp.h"
#include "charge/DetailBreakdown.h"
#include "frmDetail.h"

#include <QLabel>
#include <QTableView>

namespace pelmora {

namespace {
const QString kResultTitle = QStringLiteral("계산 결과");
const QString kFailedTitle = QStringLiteral("계산 오류 (청구 금액 아님)");
} // namespace

void frmMain::clearPricing() {
    clearResultGrids();
    if (frmDetail* d = detailWindow()) d->showBreakdown(DetailBreakdown{});
    lastRequest_ = {};
    showPricingState({});
}

void frmMain::showPricingState(const QString& error) {
    pricingError_ = error;
    const bool valid = error.isEmpty();
    for (QTableView* g : {sp수가, sp약가, sp계산}) {
        g->setEnabled(valid);
        g->setToolTip(valid ? QString() : error);
    }
    if (detail_) detail_->sp약제비->setEnabled(valid);
    KvTitle2->setText(valid ? kResultTitle : kFailedTitle);
    KvTitle2->setToolTip(valid ? QString() : error);
    QPalette p = KvTitle2->palette();
    p.setColor(QPalette::WindowText, valid ? palette().color(QPalette::WindowText) : QColor(Qt::red));
    KvTitle2->setPalette(p);
}

} // namespace pelmora
