// Binding, events, keys, focus and the input method of the grid wrapper.

#include "KVSp.h"

#include "KVSpDelegate.h"
#include "KeyCodes.h"
#include "WinColor.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTableView>

namespace pelmora {

KVSp::KVSp(QObject* parent) : QObject(parent), model_(new KVSpModel(this)), delegate_(new KVSpDelegate(this)) {
    connect(model_, &KVSpModel::userEdited, this, [this](int row, int col) { emit Change(col, row); });
    delegate_->setKeyHook([this](QWidget*, QEvent* e) { return keyEvent(static_cast<QKeyEvent*>(e), true); });
}

KVSp::~KVSp() {
    if (grid_ && grid_->model() == model_) grid_->setModel(nullptr);
}

void KVSp::SpSet(QTableView* grid, int mode, int col, int col2) {
    grid_ = grid;
    gridWidget_ = grid;
    viewport_ = grid->viewport();
    nMode = mode;
    nCol = col;
    nCol2 = col2;
    if (LookMode == 1) {
        QFont f = grid->font();
        f.setFamilies({QStringLiteral("굴림체"), QStringLiteral("NanumGothicCoding"), QStringLiteral("NanumGothic")});
        f.setPointSizeF(9.5);
        grid->setFont(f);
    } else if (LookMode == 2) {
        QFont f = grid->font();
        f.setPointSizeF(8);
        grid->setFont(f);
    }
    grid->setModel(model_);
    grid->setItemDelegate(delegate_);
    grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                          QAbstractItemView::SelectedClicked);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setTabKeyNavigation(true);
    QHeaderView* rows = grid->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(4);
    rows->setDefaultSectionSize(rowPixels(defaultPoints()));
    QHeaderView* cols = grid->horizontalHeader();
    cols->setSectionsClickable(true);
    if (HeaderClickMode == 2) {
        // The click sorts; it does not also select the column.
        QObject::disconnect(cols, SIGNAL(sectionPressed(int)), grid, SLOT(selectColumn(int)));
        QObject::disconnect(cols, SIGNAL(sectionEntered(int)), grid, SLOT(_q_selectColumn(int)));
    }
    connect(cols, &QHeaderView::sectionClicked, this, &KVSp::headerClicked);
    connect(grid, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
        emit Click(i.column() + 1, i.row() + 1);
        applyInputMethod();
    });
    connect(grid, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& i) { emit DblClick(i.column() + 1, i.row() + 1); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        QWidget* g = gridWidget_.data();
        const bool inside = g && now && (now == g || g->isAncestorOf(now));
        if (inside == focused_) return;
        focused_ = inside;
        if (inside) {
            emit FocusGot();
            applyInputMethod();
        } else {
            emit FocusLost();
        }
    });
    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);
    spHanEngMode(true);
}

bool KVSp::eventFilter(QObject* watched, QEvent* event) {
    if (!gridWidget_ || (watched != gridWidget_.data() && watched != viewport_)) return false;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // A key an editor left unhandled travels on to the grid: seen once only.
        if (watched == gridWidget_.data()) {
            QWidget* fw = QApplication::focusWidget();
            const bool fromEditor = fw && fw != grid_ && grid_->isAncestorOf(fw);
            if (!fromEditor) return keyEvent(static_cast<QKeyEvent*>(event), false);
        }
        return false;
    case QEvent::InputMethod:
        return watched == gridWidget_.data() && inputMethod(static_cast<QInputMethodEvent*>(event));
    case QEvent::MouseButtonPress:
        if (watched == viewport_) {
            auto* m = static_cast<QMouseEvent*>(event);
            const QPoint p = m->position().toPoint();
            emit MouseDown(vbButton(m->button()), vbShift(m->modifiers()), p.x(), p.y());
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (watched == viewport_) {
            auto* m = static_cast<QMouseEvent*>(event);
            const QPoint p = m->position().toPoint();
            emit MouseUp(vbButton(m->button()), vbShift(m->modifiers()), p.x(), p.y());
            emit RowSelect(cRow(), cCol());
        }
        return false;
    default:
        return false;
    }
}

// Enter raises KeyDownEnter instead of KeyDown; releasing Enter or the up,
// right and down arrows raises RowSelect after KeyUp.
bool KVSp::keyEvent(QKeyEvent* e, bool inEditor) {
    const int code = vbKeyCode(e->key());
    const int shift = vbShift(e->modifiers());
    if (e->type() == QEvent::KeyPress) {
        if (code == kKeyReturn) {
            if (inEditor) delegate_->commitAndClose();
            enterPressed();
            return true;
        }
        cancelKey_ = false;
        emit KeyDown(code, shift);
        if (cancelKey_) return true;
        const QString text = e->text();
        if (!text.isEmpty() && text.at(0).isPrint()) emit KeyPress(text.at(0).unicode());
        return false;
    }
    emit KeyUp(code, shift);
    if (code == kKeyReturn || code == kKeyUp || code == kKeyRight || code == kKeyDown) {
        lastRow_ = cRow();
        emit RowSelect(cRow(), cCol());
        applyInputMethod();
    }
    return code == kKeyReturn;
}

// A syllable from an input method is typed as surely as a key: it is raised
// as KeyPress, so a handler may move the active cell (the locked code column
// hands it on to the name), and then it opens the editor of the cell it
// lands in and goes there, composition and all.
bool KVSp::inputMethod(QInputMethodEvent* e) {
    const QString text = e->commitString().isEmpty() ? e->preeditString() : e->commitString();
    if (!grid_ || text.isEmpty() || delegate_->currentEditor()) return false;
    emit KeyPress(text.at(0).unicode());
    const QModelIndex i = grid_->currentIndex();
    if (!i.isValid() || !(model_->flags(i) & Qt::ItemIsEditable) ||
        grid_->editTriggers() == QAbstractItemView::NoEditTriggers)
        return false;
    grid_->edit(i);
    QWidget* editor = delegate_->currentEditor();
    if (!editor) return false;
    QCoreApplication::sendEvent(editor, e);
    return true;
}

// The handlers run first; when they left the active cell where it was, the
// grid moves on to the next visible column of the row.
void KVSp::enterPressed() {
    const int row = cRow(), col = cCol();
    emit KeyDownEnter(row, col);
    if (!grid_ || cRow() != row || cCol() != col || row < 1) return;
    for (int c = col + 1; c <= MaxCols(); ++c) {
        if (grid_->isColumnHidden(c - 1)) continue;
        grid_->setCurrentIndex(model_->index(row - 1, c - 1));
        break;
    }
}

void KVSp::applyInputMethod() {
    if (nMode == 2) return;
    const int c = cCol();
    const bool listed = (nCol == 0 && nCol2 == 0) || c == nCol || c == nCol2;
    spHanEngMode(!(listed && nMode == 1));
}

void KVSp::spHanEngMode(bool hangul) {
    hangul_ = hangul;
    const Qt::InputMethodHints hints = hangul ? Qt::ImhNone : (Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    delegate_->setEditorHints(hints);
    if (grid_) grid_->setInputMethodHints(hints);
    if (QWidget* editor = delegate_->currentEditor()) editor->setInputMethodHints(hints);
    QGuiApplication::inputMethod()->update(Qt::ImHints);
}

void KVSp::headerClicked(int section) {
    const int col = section + 1;
    if (HeaderClickMode != 2) {
        emit Click(col, 0);
        return;
    }
    sortAscending_ = col == sortCol_ ? !sortAscending_ : true;
    sortCol_ = col;
    spSort(col, FixedRows + 1, MaxRows(), sortAscending_);
}

void KVSp::SetFocus() {
    if (grid_ && grid_->isEnabled()) grid_->setFocus();
}

void KVSp::Enabled(bool on) {
    if (grid_) grid_->setEnabled(on);
}

void KVSp::OperationMode(int mode) {
    if (!grid_) return;
    const bool rows = mode >= 2;
    grid_->setSelectionBehavior(rows ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    grid_->setSelectionMode(mode == 4   ? QAbstractItemView::MultiSelection
                            : mode == 5 ? QAbstractItemView::ExtendedSelection
                                        : QAbstractItemView::SingleSelection);
    const bool editable = mode == 0 || mode == 2;
    grid_->setEditTriggers(editable ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                                          QAbstractItemView::SelectedClicked
                                    : QAbstractItemView::NoEditTriggers);
}

void KVSp::spFocusBarColor(std::int64_t bgr) {
    if (!grid_) return;
    QPalette p = grid_->palette();
    p.setColor(QPalette::Highlight, winColor(bgr));
    p.setColor(QPalette::HighlightedText, p.color(QPalette::Text));
    grid_->setPalette(p);
}

} // namespace pelmora
