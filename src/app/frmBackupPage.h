#pragma once
// The backup page "백업" of the settings window: the folder backups go to (a
// USB stick, a second disk), whether one is made at closing, how many are
// kept, after how many days without one the main window warns, and the
// backup passphrase. Below, the backups in the folder, with "지금 백업" (with
// what the page shows, saved or not) and a restore from the chosen one. The
// settings window writes the [Backup] section when the pharmacist saves.
//
// The passphrase is never kept: setting it keeps the public half of the key
// it derives (BackupKey.h), so it must be typed again to restore.

#include "data/BackupKey.h"
#include "data/BackupSettings.h"

#include "SettingsPage.h"

#include <filesystem>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace pelmora {

class KVSp;
class SqliteConnection;

class frmBackupPage : public SettingsPage {
    Q_OBJECT
  public:
    frmBackupPage(SqliteConnection& store, QWidget* parent = nullptr);
    ~frmBackupPage() override;

    QLineEdit* txt백업폴더;
    QPushButton* cmd폴더선택;
    QLabel* lab매체;
    QCheckBox* chk닫을때백업;
    QSpinBox *pvn보관일, *pvn보관주, *pvn경고일;
    QLabel* lab암호;
    QPushButton *cmd암호설정, *cmd암호해제;
    QTableView* sp백업목록;
    KVSp* Sp백업목록;
    QPushButton *cmd지금백업, *cmd복원, *cmd파일복원;

    QString title() const override;
    void load(const IniFile& ini) override;
    QString check() override;
    void store(IniFile& ini) const override;
    // The settings as the page shows them.
    BackupSettings current() const;

    void cmd지금백업_Click();
    void cmd복원_Click();
    void cmd암호설정_Click();
    void cmd암호해제_Click();
    void refreshList();

    // Asks for a passphrase, hidden as it is typed; "" for Cancel. Tests replace it.
    std::function<QString(const QString& prompt)> askPassphrase;
    // Called after the store was replaced by a backup.
    std::function<void()> onRestored;
    // Called before a restore; false keeps the store (a prescription is being typed).
    std::function<bool()> mayRestore;
    KeyCost keyCost = KeyCost::Moderate;
    const BackupKey& key() const { return key_; }

  private:
    void buildWidgets();
    void showSettings(const BackupSettings& s);
    void showKey();
    void showMedia();
    void restoreFrom(const std::filesystem::path& file);

    SqliteConnection& store_;
    std::filesystem::path ini_;
    BackupKey key_;
    std::vector<std::filesystem::path> listed_;
};

} // namespace pelmora
