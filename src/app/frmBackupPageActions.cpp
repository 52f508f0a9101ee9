// What the buttons of the backup page do.

#include "frmBackupPage.h"

#include "BackupRunner.h"
#include "KVSp.h"
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
constexpr std::size_t kPassphraseMin = 8;
const char* const kTitle = "백업 설정";
} // namespace

bool frmBackupPage::apply() {
    const QString folder = txt백업폴더->text().trimmed();
    if (!folder.isEmpty() && !fs::is_directory(folder.toStdString())) {
        messages().information("백업 폴더를 찾을 수 없습니다.\n" + folder.toStdString(), kTitle);
        txt백업폴더->setFocus();
        return false;
    }
    settings_.folder = folder.toStdString();
    settings_.atClose = chk닫을때백업->isChecked();
    settings_.keepDays = pvn보관일->value();
    settings_.keepWeeks = pvn보관주->value();
    settings_.warnDays = pvn경고일->value();
    try {
        // What a backup made meanwhile recorded stays.
        std::ostringstream ignored;
        const BackupSettings stored = BackupSettings::load(ini_, ignored);
        settings_.lastOk = stored.lastOk;
        settings_.lastFile = stored.lastFile;
        settings_.save(ini_);
    } catch (const BackupError& e) {
        messages().information("설정을 저장하지 못하였습니다.\n" + e.text(), kTitle);
        return false;
    }
    return true;
}

void frmBackupPage::cmd지금백업_Click() {
    if (!apply()) return;
    RunBackupNow(this, store_.path(), false);
    refreshList();
}

void frmBackupPage::cmd암호설정_Click() {
    const QString first = askPassphrase(QStringLiteral("새 백업 암호 (%1자 이상):").arg(kPassphraseMin));
    if (first.isEmpty()) return;
    if (first.size() < static_cast<int>(kPassphraseMin)) {
        messages().information("백업 암호는 " + std::to_string(kPassphraseMin) + "자 이상이어야 합니다.",
                               kTitle);
        return;
    }
    if (askPassphrase(QStringLiteral("같은 암호를 한 번 더 입력하십시오:")) != first) {
        messages().information("두 번 입력한 암호가 다릅니다. 암호를 바꾸지 않았습니다.", kTitle);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const BackupKey key = MakeBackupKey(first.toStdString(), keyCost);
    QApplication::restoreOverrideCursor();
    settings_.key = key;
    if (!apply()) return;
    showKey();
    messages().information("백업 암호를 정하였습니다. 이제부터 백업은 이 암호로 잠깁니다.\n"
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
    settings_.key = {};
    if (apply()) showKey();
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
