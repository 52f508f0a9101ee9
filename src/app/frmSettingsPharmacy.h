#pragma once
// The settings page "약국 정보": the pharmacy as its receipts name it. The
// business registration number is checked digit by digit as it is typed.

#include "SettingsPage.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace pelmora {

class frmSettingsPharmacy : public SettingsPage {
  public:
    explicit frmSettingsPharmacy(QWidget* parent = nullptr);

    QLineEdit *txt상호, *txt사업자등록번호, *txt사업장소재지, *txt대표자, *txt전화, *txt조제약사;
    QLabel* lab사업자등록번호; // what the check of the number says
    QComboBox* cmb영수증용지;  // A4, 80mm roll

    QString title() const override;
    void load(const IniFile& ini) override;
    QString check() override;
    void store(IniFile& ini) const override;

  private:
    void bizNoTyped();
};

} // namespace pelmora
