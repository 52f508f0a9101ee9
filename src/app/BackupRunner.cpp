#include "BackupRunner.h"

#include "data/BackupFile.h"
#include "util/Messages.h"

#include <QApplication>
#include <QLocale>
#include <QProgressDialog>

#include <iostream>
#include <sstream>

namespace pelmora {

namespace fs = std::filesystem;

namespace {
constexpr int kSteps = 1000;
const char* const kTitle = "백업";

QString count(long long n) {
    return QLocale(QLocale::English).toString(n);
}
} // namespace

QString BackupMoment(const std::string& created) {
    const QString c = QString::fromStdString(created);
    if (c.size() < 12) return c;
    return c.left(4) + u'-' + c.mid(4, 2) + u'-' + c.mid(6, 2) + u' ' + c.mid(8, 2) + u':' + c.mid(10, 2);
}

BackupProgressWindow::BackupProgressWindow(QWidget* parent, const QString& title)
    : dialog_(std::make_unique<QProgressDialog>(parent)) {
    dialog_->setWindowTitle(title);
    dialog_->setCancelButtonText(QStringLiteral("취소"));
    dialog_->setRange(0, kSteps);
    dialog_->setMinimumDuration(300);
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    shown_.start();
}

BackupProgressWindow::~BackupProgressWindow() {
    dialog_->close();
}

BackupProgress BackupProgressWindow::callback() {
    return [this](BackupStep step, double fraction) { return show(step, fraction); };
}

// Repainted a few times a second at most: the work calls in far more often.
bool BackupProgressWindow::show(BackupStep step, double fraction) {
    if (shown_.elapsed() < 40 && fraction >= 0 && fraction < 1) return !dialog_->wasCanceled();
    shown_.restart();
    dialog_->setLabelText(QString::fromUtf8(BackupStepText(step)) + QStringLiteral(" 중입니다..."));
    if (fraction < 0) {
        dialog_->setRange(0, 0);
    } else {
        dialog_->setRange(0, kSteps);
        dialog_->setValue(static_cast<int>(fraction * kSteps));
    }
    QApplication::processEvents();
    return !dialog_->wasCanceled();
}

std::optional<BackupDone> RunBackupNow(QWidget* parent, const fs::path& store, bool atClose) {
    std::ostringstream warnings;
    const BackupSettings settings = BackupSettings::load(SettingsFileOf(store), warnings);
    if (!warnings.str().empty()) std::cerr << warnings.str();
    return RunBackupNow(parent, store, settings, atClose);
}

std::optional<BackupDone> RunBackupNow(QWidget* parent, const fs::path& store, const BackupSettings& settings,
                                       bool atClose) {
    const fs::path ini = SettingsFileOf(store);
    try {
        std::optional<BackupDone> done;
        {
            BackupProgressWindow progress(parent,
                                          atClose ? QStringLiteral("닫기 전 백업") : QStringLiteral("백업"));
            done = MakeBackup(store, settings, progress.callback());
        }
        BackupSettings::recordSuccess(ini, done->entry.created, done->entry.file.filename().string());
        QString text = QStringLiteral("%1 에 백업하였습니다.\n처방 %2건, %3 MB")
                           .arg(QString::fromStdString(done->entry.file.string()), count(done->prescriptions))
                           .arg(static_cast<double>(done->entry.bytes) / 1e6, 0, 'f', 1);
        if (done->unencrypted)
            text += QStringLiteral(
                "\n\n백업 암호가 정해지지 않아 암호 없이 백업하였습니다. 백업 파일에 주민등록번호가 "
                "그대로 들어 있으니 설정에서 백업 암호를 정하십시오.");
        if (!atClose || done->unencrypted) messages().information(text.toStdString(), kTitle);
        return done;
    } catch (const BackupError& e) {
        if (e.fault() == BackupFault::Cancelled && atClose) return std::nullopt;
        messages().information((atClose ? "닫기 전에 백업하지 못하였습니다.\n" : "") + e.text(), kTitle);
    } catch (const std::exception& e) {
        messages().information(std::string("백업하지 못하였습니다.\n") + e.what(), kTitle);
    }
    return std::nullopt;
}

std::optional<RestoreDone> RunRestore(QWidget* parent, SqliteConnection& store, const fs::path& file,
                                      const std::function<QString()>& passphrase) {
    QString when = QString::fromStdString(file.filename().string());
    long long prescriptions = -1;
    const bool encrypted = IsEncryptedBackup(file);
    if (encrypted) {
        try {
            const BackupHeader h = ReadBackupHeader(file);
            when = BackupMoment(h.created);
            prescriptions = h.prescriptions();
        } catch (const BackupError& e) {
            messages().information(e.text(), "복원");
            return std::nullopt;
        }
    }
    const QString what = prescriptions >= 0
                             ? QStringLiteral("%1 백업(처방 %2건)").arg(when, count(prescriptions))
                             : QStringLiteral("%1 백업").arg(when);
    if (!messages().question((what + QStringLiteral("으로 지금의 처방 자료를 바꾸시겠습니까?\n"
                                                    "지금의 자료는 Data 폴더에 따로 보관됩니다."))
                                 .toStdString(),
                             "복원확인"))
        return std::nullopt;
    std::string pass;
    if (encrypted) {
        pass = passphrase().toStdString();
        if (pass.empty()) return std::nullopt;
    }
    try {
        std::optional<RestoreDone> done;
        {
            BackupProgressWindow progress(parent, QStringLiteral("복원"));
            done = RestoreBackup(store, file, pass, progress.callback());
        }
        messages().information(
            QStringLiteral("%1 백업을 복원하였습니다. 처방 %2건.\n복원 전 자료는 %3 에 보관하였습니다.")
                .arg(BackupMoment(done->created), count(done->prescriptions),
                     QString::fromStdString(done->keptAside.string()))
                .toStdString(),
            "복원");
        return done;
    } catch (const BackupError& e) {
        messages().information(e.text() + "\n지금의 처방 자료는 그대로입니다.", "복원");
    }
    return std::nullopt;
}

} // namespace pelmora
