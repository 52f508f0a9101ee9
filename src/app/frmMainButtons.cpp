// The buttons of the main window, the history and detail windows, and closing.

#include "frmMain.h"

#include "KVSp.h"
#include "frmDetail.h"
#include "frmList.h"
#include "util/Messages.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTableView>

namespace pelmora {

void frmMain::cmd추가_Click() { ProcAddRow(); }

void frmMain::cmd삭제_Click() {
    if (Sp처방->cRow() >= 1) {
        Sp처방->spDelRow();
        ProcRecalc();
        // No drug left to price: the deleted drugs' figures go with them.
        bool anyDrug = false;
        for (int r = 1; r <= Sp처방->MaxRows() && !anyDrug; ++r)
            anyDrug = !Sp처방->Cell(r, 1).toText().empty();
        if (!anyDrug) clearPricing();
    }
    if (Sp처방->MaxRows() > 0) Sp처방->SetFocus();
    else txt특정기호2->setFocus(Qt::OtherFocusReason);
}

void frmMain::cmd초기화_Click() {
    if (!confirmDiscard()) return;
    ProcClear();
    txt고객명->setFocus(Qt::OtherFocusReason);
}

// The history window hands a code over through the tag of lab조제코드. A
// prescription in the window is replaced only when the pharmacist says so;
// otherwise it keeps its own code.
void frmMain::cmd조제내역_Click() {
    if (!store_) return;
    QString own = lab조제코드->text();
    {
        frmList list(*store_, this);
        list.onOpen = [this](const QString& code) {
            setLab조제코드(code);
            lab조제코드->setProperty("tag", QStringLiteral("1"));
        };
        // A prescription deleted there is no longer stored: the window holds a new one.
        list.onDeleted = [this, &own](const QString& code) {
            if (lab조제코드->text() == code) setLab조제코드({});
            if (own == code) own.clear();
        };
        list.onReceipt = [this, &list](const QString& code) { openReceipt(code, &list); };
        list.exec();
    }
    if (lab조제코드->property("tag").toString() != QLatin1String("1")) return;
    lab조제코드->setProperty("tag", QString());
    if (!confirmDiscard("입력중인 처방을 지우고 선택한 처방을 불러오시겠습니까?", "불러오기확인")) {
        setLab조제코드(own);
        return;
    }
    ProcLoad(lab조제코드->text());
}

// The window is reset only when the prescription was really saved.
void frmMain::cmd저장_Click() {
    // Figures of a run that reported an error are no bill: said before saving them.
    const bool yes = pricingValid()
                         ? messages().question("저장하시겠습니까?", "저장확인")
                         : messages().question("계산 오류가 있어 화면의 금액이 청구할 금액이 아닙니다.\r\n"
                                               "그래도 저장하시겠습니까?",
                                               "저장확인");
    if (yes) {
        if (!ProcSave()) return;
        ProcClear();
        txt고객명->setFocus(Qt::OtherFocusReason);
        offerReceipt();
        return;
    }
    Sp처방->spGoCell(Sp처방->cRow(), 1);
}

void frmMain::cmd종료_Click() {
    if (hasPrescription()) {
        if (!confirmDiscard()) return;
        ProcClear();
        txt고객명->setFocus(Qt::OtherFocusReason);
        return;
    }
    showDetail(false);
    closing_ = true;
    close();
    closing_ = false;
}

void frmMain::closeEvent(QCloseEvent* event) {
    bool lines = false;
    for (int r = 1; r <= Sp처방->MaxRows() && !lines; ++r)
        lines = !Sp처방->Cell(r, 1).toText().empty() || !Sp처방->Cell(r, 2).toText().empty();
    if (!closing_ && lines && !messages().question("저장하지 않은 처방이 있습니다. 종료하시겠습니까?", "종료확인")) {
        event->ignore();
        return;
    }
    showDetail(false);
    backupAtClose();
    event->accept();
}

frmDetail* frmMain::detailWindow() const { return detail_ && detail_->isVisible() ? detail_ : nullptr; }

// Ticked: the detail window stands beside this one and the calculation fills
// it. Closed by its own button, it unticks the box; either way this window
// gets back the room it gave up for it.
void frmMain::showDetail(bool on) {
    if (!on) {
        if (detail_) detail_->close();
        return;
    }
    if (!detail_) {
        detail_ = new frmDetail(this);
        connect(detail_, &frmDetail::closed, this, [this] {
            const QSignalBlocker quiet(chk계산상세보기);
            chk계산상세보기->setChecked(false);
            if (roomGiven_ && frameGeometry() == roomGiven_->second) setFrame(roomGiven_->first);
            roomGiven_.reset();
        });
    }
    const bool active = isActiveWindow();
    detail_->show(); // placed once shown, when its frame is known
    if (active) activateWindow(); // the keys stay with the prescription
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    placeDetail(screen ? screen->availableGeometry() : QRect(0, 0, 1 << 20, 1 << 20));
    ProcRecalc();
}

// The detail window never covers this window's figures: it stands beside it,
// or this window makes room for it.
void frmMain::placeDetail(const QRect& screenArea) {
    if (!detail_) return;
    const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(),
                         frameGeometry().bottom() - geometry().bottom());
    const QSize minimum = minimumSizeHint().expandedTo(minimumSize()).grownBy(frame);
    const DetailPlacement p = detailPlacement(frameGeometry(), minimum, detail_->frameGeometry().size(), screenArea);
    if (p.mainFrame != frameGeometry()) {
        if (!roomGiven_) roomGiven_.emplace(frameGeometry(), p.mainFrame);
        setFrame(p.mainFrame);
        roomGiven_->second = frameGeometry();
    }
    detail_->move(p.detailCorner);
}

void frmMain::setFrame(const QRect& frame) {
    const QRect inner = geometry(), outer = frameGeometry();
    setGeometry(frame.adjusted(inner.left() - outer.left(), inner.top() - outer.top(),
                               inner.right() - outer.right(), inner.bottom() - outer.bottom()));
}

} // namespace pelmora
