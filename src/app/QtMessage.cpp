#include "QtMessage.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace pelmora {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }

void box(QMessageBox::Icon icon, const std::string& text, const std::string& title) {
    QMessageBox m(icon, q(title), q(text), QMessageBox::Ok, QApplication::activeWindow());
    m.exec();
}
} // namespace

void QtMessage::information(const std::string& text, const std::string& title) {
    box(QMessageBox::Information, text, title);
}

void QtMessage::plain(const std::string& text, const std::string& title) { box(QMessageBox::NoIcon, text, title); }

bool QtMessage::question(const std::string& text, const std::string& title) {
    QMessageBox m(QMessageBox::Question, q(title), q(text), QMessageBox::Yes | QMessageBox::No,
                  QApplication::activeWindow());
    m.setDefaultButton(QMessageBox::Yes);
    return m.exec() == QMessageBox::Yes;
}

// Cancel gives "", as the input box always did.
std::string QtMessage::input(const std::string& prompt, const std::string& title, const std::string& defaultValue) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(QApplication::activeWindow(), q(title), q(prompt), QLineEdit::Normal, q(defaultValue), &ok);
    return ok ? answer.toStdString() : std::string();
}

} // namespace pelmora
