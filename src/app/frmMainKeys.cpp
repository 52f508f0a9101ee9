// Keys, the Enter path and the focus colours of the main window.

#include "frmMain.h"

#include "CtFunctions.h"
#include "KVSp.h"
#include "util/Clock.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimeEdit>

namespace pelmora {

void frmMain::connectHandlers() {
    connect(cmb보험종류1, &QComboBox::currentIndexChanged, this, [this] { kindChanged(); });
    connect(cmb보험종류2, &QComboBox::currentIndexChanged, this, [this] { ProcSetInsClass(); });
    for (QComboBox* c : {cmb시간외, cmb연령, cmb본인부담여부})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { ProcRecalc(); });
    for (QCheckBox* c : {chk비급여조제료, chk자가투여주사})
        connect(c, &QCheckBox::clicked, this, [this] { ProcRecalc(); });
    connect(chk계산상세보기, &QCheckBox::toggled, this, [this](bool on) { showDetail(on); });
    for (int i = 0; i < 9; ++i)
        connect(opt보험[static_cast<std::size_t>(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) optChosen(i);
        });
    connect(cmd추가, &QPushButton::clicked, this, [this] { cmd추가_Click(); });
    connect(cmd삭제, &QPushButton::clicked, this, [this] { cmd삭제_Click(); });
    connect(cmd초기화, &QPushButton::clicked, this, [this] { cmd초기화_Click(); });
    connect(cmd조제내역, &QPushButton::clicked, this, [this] { cmd조제내역_Click(); });
    connect(cmd저장, &QPushButton::clicked, this, [this] { cmd저장_Click(); });
    connect(cmd종료, &QPushButton::clicked, this, [this] { cmd종료_Click(); });
    connect(cmd영수증, &QPushButton::clicked, this, [this] { cmd영수증_Click(); });
    connect(cmd집계, &QPushButton::clicked, this, [this] { cmd집계_Click(); });
    connect(cmd약가, &QPushButton::clicked, this, [this] { cmd약가_Click(); });
    connect(cmd설정, &QPushButton::clicked, this, [this] { cmd설정_Click(); });
    connect(cmd백업, &QPushButton::clicked, this, [this] { cmd백업_Click(); });
    connect(txt교부번호, &QLineEdit::textEdited, this, [this] { issueNumberEdited(); });
    connectDrugGrid();

    // Input-method mode of each field with focus colours: 1 Latin, 0 Hangul.
    focusMode_ = {{txt고객명, 0},     {txt주민번호, 1},   {txt교부번호, 1}, {txt면허번호, 1},
                  {txt의사명, 0},     {txt요양기관번호, 1}, {txt요양기관명, 0}, {txt상병기호1, 1},
                  {txt상병기호2, 1},   {txt특정기호1, 1},   {txt특정기호2, 1}, {pvd발행일자, 1},
                  {pvd조제일자, 1},    {pvt조제시간, 1},    {pvn사용기간, 1}};
    // The rules run when the focus moves on inside the window, not when a
    // message box or another program takes it.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        composing_ = false;
        if (old && focusMode_.count(old)) CtFocusOn(old, false);
        if (now && focusMode_.count(now)) CtFocusOn(now, true, focusMode_[now], qobject_cast<QLineEdit*>(now) != nullptr);
        if (!old || !now || !isAncestorOf(now)) return;
        if (old == txt교부번호) issueNumberLeft();
        else if (old == pvd발행일자) dateLeft(pvd발행일자);
        else if (old == pvd조제일자) dateLeft(pvd조제일자), ProcTimeClass();
        else if (old == pvt조제시간) ProcTimeClass();
    });
}

void frmMain::buildEnterPath() {
    auto to = [](QWidget* next) { return [next] { next->setFocus(Qt::TabFocusReason); }; };
    enterPath_ = {
        {txt고객명,
         [this] {
             const LocalDateTime now = Clock::now();
             pvt조제시간->setTime(QTime(now.hour, now.minute, now.second));
             txt주민번호->setFocus(Qt::TabFocusReason);
         }},
        {txt주민번호, [this] { residentRule(); }},
        {cmb보험종류1, to(cmb보험종류2)},
        {cmb보험종류2, to(pvd발행일자)},
        {pvd발행일자, to(txt교부번호)},
        {txt교부번호, to(txt면허번호)},
        {txt면허번호, to(txt의사명)},
        {txt의사명, to(txt요양기관번호)},
        {txt요양기관번호,
         [this] {
             lab특정기호1->setText(GetSpecialRate(txt특정기호1->text(), txt요양기관번호->text()));
             lab특정기호2->setText(GetSpecialRate(txt특정기호2->text(), txt요양기관번호->text()));
             txt요양기관명->setFocus(Qt::TabFocusReason);
         }},
        {txt요양기관명, to(pvn사용기간)},
        {pvn사용기간, to(txt상병기호1)},
        {txt상병기호1,
         [this] { (txt상병기호1->text().isEmpty() ? txt특정기호1 : txt상병기호2)->setFocus(Qt::TabFocusReason); }},
        {txt상병기호2, to(txt특정기호1)},
        // The patient-share code comes last before the drugs, so the keys reach it.
        {txt특정기호1,
         [this] {
             if (!txt특정기호1->text().isEmpty() || !txt특정기호2->text().isEmpty()) {
                 lab특정기호1->setText(GetSpecialRate(txt특정기호1->text(), txt요양기관번호->text()));
                 txt특정기호2->setFocus(Qt::TabFocusReason);
             } else {
                 lab특정기호1->clear();
                 cmb본인부담여부->setFocus(Qt::TabFocusReason);
             }
             ProcRecalc();
         }},
        {txt특정기호2,
         [this] {
             lab특정기호2->setText(GetSpecialRate(txt특정기호2->text(), txt요양기관번호->text()));
             ProcRecalc();
             cmb본인부담여부->setFocus(Qt::TabFocusReason);
         }},
        {pvd조제일자, to(pvt조제시간)},
        {pvt조제시간, to(cmb시간외)},
        {cmb시간외, to(cmb연령)},
        {cmb연령, to(cmb보험종류1)},
        {cmb본인부담여부,
         [this] {
             ProcRecalc();
             ProcAddRow();
         }},
    };
}

QWidget* frmMain::pathField(QObject* o) const {
    for (auto* w = qobject_cast<QWidget*>(o); w && w != this; w = w->parentWidget())
        if (enterPath_.count(w)) return w;
    return nullptr;
}

// The window sees every key before the focused widget, as the pharmacist's
// keys are the window's, not the field's.
bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || !isAncestorOf(w)) return false;
    if (event->type() == QEvent::InputMethod) {
        composing_ = !static_cast<QInputMethodEvent*>(event)->preeditString().isEmpty();
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    QWidget* focus = QApplication::focusWidget();
    if (focus && isAncestorOf(focus) && w != focus) return false; // the same key passed on to a parent
    return windowKey(static_cast<QKeyEvent*>(event));
}

bool frmMain::windowKey(QKeyEvent* e) {
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    QWidget* focus = QApplication::focusWidget();
    const bool inCellEditor = focus && focus != sp처방 && sp처방->isAncestorOf(focus);
    switch (e->key()) {
    case Qt::Key_Escape:
        if (composing_ || inCellEditor) return false; // the syllable or the cell editor takes Esc first
        cmd종료_Click();
        return true;
    case Qt::Key_F2: cmd초기화_Click(); return true;
    case Qt::Key_F3: cmd조제내역_Click(); return true;
    case Qt::Key_F4: cmd영수증_Click(); return true;
    case Qt::Key_F5: cmd집계_Click(); return true;
    case Qt::Key_F6: cmd약가_Click(); return true;
    case Qt::Key_F12: cmd설정_Click(); return true;
    case Qt::Key_B: if (!ctrl) return false; cmd백업_Click(); return true;
    case Qt::Key_F7: cmd추가_Click(); return true;
    case Qt::Key_F8: cmd삭제_Click(); return true;
    case Qt::Key_F9: cmd저장_Click(); return true;
    case Qt::Key_F11: Sp처방->SetFocus(); return true;
    case Qt::Key_Insert: txt고객명->setFocus(Qt::ShortcutFocusReason); return true;
    case Qt::Key_I: if (!ctrl) return false; cmd추가_Click(); return true;
    case Qt::Key_D: if (!ctrl) return false; cmd삭제_Click(); return true;
    case Qt::Key_E: if (!ctrl) return false; cmb보험종류1->setFocus(Qt::ShortcutFocusReason); return true;
    case Qt::Key_F: if (!ctrl) return false; pvd조제일자->setFocus(Qt::ShortcutFocusReason); return true;
    case Qt::Key_Y: if (!ctrl) return false; pvd발행일자->setFocus(Qt::ShortcutFocusReason); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if (composing_) return false;
        QWidget* field = pathField(focus);
        if (!field) return false;
        enterPath_[field]();
        return true;
    }
    default: return false;
    }
}

} // namespace pelmora
