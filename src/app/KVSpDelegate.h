#pragma once
// Editors of the KVSp grid: a line editor for text and number cells, a
// drop-down list for combo cells. Enter commits at once (not queued), so the
// grid's Enter handler reads the value just typed.

#include <QStyledItemDelegate>

#include <functional>

namespace pelmora {

class KVSpDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using KeyHook = std::function<bool(QWidget* editor, QEvent* e)>;
    explicit KVSpDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    // Sees every key event of an open editor first; true swallows it.
    void setKeyHook(KeyHook hook) { hook_ = std::move(hook); }
    void setEditorHints(Qt::InputMethodHints h) { hints_ = h; }
    QWidget* currentEditor() const { return current_; }
    // Commits the open editor's value and closes it; false when none is open.
    bool commitAndClose();

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    KeyHook hook_;
    Qt::InputMethodHints hints_ = Qt::ImhNone;
    mutable QWidget* current_ = nullptr;
};

} // namespace pelmora
