#include "CtFunctions.h"

#include "WinColor.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QRegion>

namespace pelmora {

void CtFocusOn(QWidget* nObj, bool value, int nMode, bool bEditMode) {
    if (!nObj) return;
    QPalette p = nObj->palette();
    p.setColor(QPalette::Base, winColor(value ? 0xFFA03C : kSysWindowBack));
    p.setColor(QPalette::Text, winColor(value ? 0xC0FFFF : kSysWindowText));
    nObj->setPalette(p);
    if (!value) return;
    if (nMode != 2) {
        nObj->setInputMethodHints(nMode == 1 ? Qt::ImhPreferLatin | Qt::ImhNoPredictiveText : Qt::ImhNone);
        QGuiApplication::inputMethod()->update(Qt::ImHints);
    }
    if (bEditMode) {
        if (auto* e = qobject_cast<QLineEdit*>(nObj)) e->selectAll();
        else if (auto* s = qobject_cast<QAbstractSpinBox*>(nObj)) s->selectAll();
    }
}

int CtComboBoxIndexFind(QComboBox* ObjCmb, const QString& cString, int nMode, int nLength) {
    if (!ObjCmb) return -1;
    int found = -1;
    for (int i = 0; i < ObjCmb->count() && found < 0; ++i) {
        const QString t = ObjCmb->itemText(i);
        const bool match = nMode == 1   ? t.left(nLength) == cString
                           : nMode == 2 ? t.right(nLength) == cString
                                        : t == cString;
        if (match) found = i;
    }
    ObjCmb->setCurrentIndex(found);
    return found;
}

void CtPicProgress(QLabel* PicObj, int Percent, bool Free) {
    if (!PicObj) return;
    if (Free) {
        PicObj->clear();
        return;
    }
    Percent = std::clamp(Percent, 0, 100);
    QPixmap pix(PicObj->size().expandedTo(QSize(20, 10)));
    pix.fill(PicObj->palette().color(QPalette::Base));
    QPainter g(&pix);
    g.fillRect(QRect(0, 0, pix.width() * Percent / 100, pix.height()), PicObj->palette().color(QPalette::Highlight));
    g.setPen(PicObj->palette().color(QPalette::Text));
    g.drawText(pix.rect(), Qt::AlignCenter, QString::number(Percent) + u'%');
    g.end();
    PicObj->setPixmap(pix);
}

void CtLockColorChange(QWidget* xObject) {
    if (!xObject) return;
    for (QLineEdit* e : xObject->findChildren<QLineEdit*>()) {
        if (!e->isReadOnly() && e->isEnabled()) continue;
        QPalette p = e->palette();
        p.setColor(QPalette::Base, winColor(0xE0E0E0));
        e->setPalette(p);
    }
}

void WDTransparent(QWidget* window, double opacity) {
    if (window) window->setWindowOpacity(opacity);
}

void WDCircle(QWidget* window) {
    if (window) window->setMask(QRegion(window->rect(), QRegion::Ellipse));
}

} // namespace pelmora
