#pragma once
// One page (tab) of the settings window. The window reads the settings file
// once when it opens and hands its text to every page; when the pharmacist
// saves, every page is checked, every page writes its keys back into the same
// text, and the file is written once, whole.

#include <QString>
#include <QWidget>

namespace pelmora {

class IniFile;

class SettingsPage : public QWidget {
  public:
    using QWidget::QWidget;

    // The tab's caption.
    virtual QString title() const = 0;
    // Fills the page's fields from the file.
    virtual void load(const IniFile& ini) = 0;
    // Empty when the page can be saved; otherwise why not, in Korean, and the
    // focus is on the field to correct.
    virtual QString check() { return {}; }
    // Writes the page's keys; lines the page does not own stay as they are.
    virtual void store(IniFile& ini) const = 0;
};

} // namespace pelmora
