#pragma once
// The settings window "환경설정" (F12 in the main window): one tab per page,
// saved together into Data/Pelmora.ini. Enter saves, Esc closes unsaved,
// Ctrl+Tab moves between the pages.
//
// A new page is a SettingsPage of its own (load, check, store on its own
// section) added with addPage in the constructor, in the order of the tabs.

#include "data/IniFile.h"

#include <QDialog>

#include <string>

class QPushButton;
class QTabWidget;

namespace pelmora {

class SettingsPage;
class frmSettingsPharmacy;

class frmSettings : public QDialog {
    Q_OBJECT
  public:
    frmSettings(std::string iniPath, QWidget* parent = nullptr);

    QTabWidget* tabs;
    QPushButton *cmd저장, *cmd취소;
    frmSettingsPharmacy* pharmacyPage;

    // The window owns the page.
    void addPage(SettingsPage* page);
    // Checks and writes every page; false (with the box shown) when it did not.
    bool save();

  private:
    std::string path_;
    IniFile ini_;
};

} // namespace pelmora
