// The backup page as a page of the settings window, and what its buttons do.

#include "frmBackupPage.h"

#include "BackupRunner.h"
#include "KVSp.h"
#include "data/IniFile.h"
#include "data/SqliteConnection.h"
#include "util/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>

#include <sstream>

namespace pelmora {

namespace fs = std::filesystem;

namespace {
constexpr int kPassphraseMin = 8;
const char* const kTitle = "백업 설정";
} // namespace

QString frmBackupPage::title() const {
    return QStringLiteral("백업");
}

void frmBackupPage::load(const IniFile& ini) {
    std::ostringstream ignored; // the start-up has reported the file's faults
    showSettings(BackupSettings::from(ini, ignored));
}

QString frmBackupPage::check() {
    const QString folder = txt백업폴더->text().trimmed();
    if (folder.isEmpty() || fs::is_directory(folder.toStdString())) return {};
    txt백업폴더->setFocus();
    return QString::fromStdString(BackupError(BackupFault::FolderMissing, folder.toStdString()).text());
}

BackupSettings frmBackupPage::current() const {
    BackupSettings s;
    s.folder = txt백업폴더->text().trimmed().toStdString();
    s.atClose = chk닫을때백업->isChecked();
    s.keepDays = pvn보관일->value();
    s.keepWeeks = pvn보관주->value();
    s.warnDays = pvn경고일->value();
    s.key = key_;
    // What backups made while the window was open recorded stays.
    std::ostringstream ignored;
    const BackupSettings onDisk = BackupSettings::load(ini_, ignored);
    s.lastOk = onDisk.lastOk;
    s.lastFile = onDisk.lastFile;
    return s;
}

void frmBackupPage::store(IniFile& ini) const {
    current().storeInto(ini);
}

void frmBackupPage::cmd지금백업_Click() {
    if (const QString why = check(); !why.isEmpty()) {
        messages().information(why.toStdString(), kTitle);
        return;
    }
    RunBackupNow(this, store_.path(), current(), false);
    refreshList();
}

// The new key counts for backups made from this page at once, and for all
// once the settings are saved.
void frmBackupPage::cmd암호설정_Click() {
    const QString first = askPassphrase(QStringLiteral("새 백업 암호 (%1자 이상):").arg(kPassphraseMin));
    if (first.isEmpty()) return;
    if (first.size() < kPassphraseMin) {
        messages().information("백업 암호는 " + std::to_string(kPassphraseMin) + "자 이상이어야 합니다.",
                               kTitle);
        return;
    }
    if (askPassphrase(QStringLiteral("같은 암호를 한 번 더 입력하십시오:")) != first) {
        messages().information("두 번 입력한 암호가 다릅니다. 암호를 바꾸지 않았습니다.", kTitle);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    key_ = MakeBackupKey(first.toStdString(), keyCost);
    QApplication::restoreOverrideCursor();
    showKey();
    messages().information("백업 암호를 정하였습니다. 설정을 저장하면 이제부터 백업은 이 암호로 잠깁니다.\n"
                           "암호는 이 컴퓨터 어디에도 저장되지 않으니 잊지 않도록 따로 적어 두십시오. "
                           "암호를 잊으면 백업을 복원할 수 없습니다.\n"
                           "암호를 바꾸어도 그전의 백업은 그전 암호로 복원합니다.",
                           kTitle);
}

void frmBackupPage::cmd암호해제_Click() {
    if (!messages().question("백업 암호를 없애시겠습니까?\n이후의 백업은 잠기지 않고, 이동식 저장장치에는 "
                             "백업하지 않습니다.",
                             "암호해제"))
        return;
    key_ = {};
    showKey();
}

void frmBackupPage::cmd복원_Click() {
    const int row = Sp백업목록->cRow();
    if (row < 1 || row > static_cast<int>(listed_.size())) {
        messages().information("복원할 백업을 목록에서 고르십시오.", "복원");
        return;
    }
    restoreFrom(listed_[static_cast<std::size_t>(row - 1)]);
}

void frmBackupPage::restoreFrom(const fs::path& file) {
    if (mayRestore && !mayRestore()) return;
    const auto done =
        RunRestore(this, store_, file, [this] { return askPassphrase(QStringLiteral("백업 암호:")); });
    if (done && onRestored) onRestored();
}

} // namespace pelmora
