#include "KVSpDelegate.h"

#include "KVSpModel.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace pelmora {

QWidget* KVSpDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    QWidget* editor = nullptr;
    if (index.data(KVSpModel::CellTypeRole).toInt() == kSpTypeCombo) {
        auto* combo = new QComboBox(parent);
        combo->addItems(index.data(KVSpModel::ComboItemsRole).toStringList());
        // A choice from the list is the user's change of the cell, at once.
        auto* self = const_cast<KVSpDelegate*>(this);
        connect(combo, &QComboBox::activated, self, [self, combo](int) { emit self->commitData(combo); });
        editor = combo;
    } else {
        editor = QStyledItemDelegate::createEditor(parent, option, index);
    }
    editor->setInputMethodHints(hints_);
    current_ = editor;
    return editor;
}

void KVSpDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (current_ == editor) current_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void KVSpDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->setCurrentIndex(index.data(Qt::EditRole).toInt());
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void KVSpDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, combo->currentIndex(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

bool KVSpDelegate::commitAndClose() {
    QWidget* editor = current_;
    if (!editor) return false;
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

bool KVSpDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (editor && key && hook_ && hook_(editor, event)) return true;
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace pelmora
