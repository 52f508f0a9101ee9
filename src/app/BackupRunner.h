#pragma once
// Backups and restores from the windows: the work of StoreBackup.h behind a
// progress window the pharmacist can cancel, and the outcome in a message
// box in the system's words.

#include "data/StoreBackup.h"

#include <QElapsedTimer>
#include <QString>

#include <filesystem>
#include <memory>
#include <optional>

class QProgressDialog;
class QWidget;

namespace pelmora {

class BackupProgressWindow {
  public:
    BackupProgressWindow(QWidget* parent, const QString& title);
    ~BackupProgressWindow();
    BackupProgressWindow(const BackupProgressWindow&) = delete;
    BackupProgressWindow& operator=(const BackupProgressWindow&) = delete;

    // Shows the step and lets the window live; false once 취소 was pressed.
    BackupProgress callback();

  private:
    bool show(BackupStep step, double fraction);

    std::unique_ptr<QProgressDialog> dialog_;
    QElapsedTimer shown_;
};

// A backup of the store now with these settings; the outcome is shown (a
// failure always; a success unless made at closing and encrypted) and a
// good one recorded in the settings file. atClose names the moment in the
// messages, and lets 취소 close without a word.
std::optional<BackupDone> RunBackupNow(QWidget* parent, const std::filesystem::path& store,
                                       const BackupSettings& settings, bool atClose);
// The same with the settings of the file beside the store.
std::optional<BackupDone> RunBackupNow(QWidget* parent, const std::filesystem::path& store, bool atClose);

// Restores the open store from file after asking the pharmacist; passphrase
// asks for the passphrase of an encrypted backup ("" gives up).
std::optional<RestoreDone> RunRestore(QWidget* parent, SqliteConnection& store,
                                      const std::filesystem::path& file,
                                      const std::function<QString()>& passphrase);

// "2025-01-05 18:30" of YYYYMMDDHHMMSS.
QString BackupMoment(const std::string& created);

} // namespace pelmora
