// The day's and the year's totals, backups on demand and at closing, and the
// label that says when the last good backup was made.

#include "frmMain.h"

#include "BackupRunner.h"
#include "data/BackupSettings.h"
#include "data/SqliteConnection.h"
#include "frmBackupPage.h"
#include "frmSettings.h"
#include "frmTotals.h"
#include "util/Clock.h"

#include <QDate>
#include <QDialog>
#include <QLabel>
#include <QTabWidget>

#include <sstream>

namespace pelmora {

namespace {
BackupSettings settingsOf(const SqliteConnection& store) {
    std::ostringstream ignored;
    return BackupSettings::load(SettingsFileOf(store.path()), ignored);
}

QDate dateOf(const std::string& yyyymmdd) {
    return QDate::fromString(QString::fromStdString(yyyymmdd.substr(0, 8)), QStringLiteral("yyyyMMdd"));
}
} // namespace

void frmMain::cmd집계_Click() {
    if (!store_) return;
    frmTotals totals(*store_, this);
    totals.exec();
}

// Without a backup folder there is nothing to back up into: the settings come first.
void frmMain::cmd백업_Click() {
    if (!store_) return;
    if (settingsOf(*store_).folder.empty()) {
        openBackupSettings();
        return;
    }
    RunBackupNow(this, store_->path(), false);
    showLastBackup();
}

void frmMain::backupAtClose() {
    if (!store_) return;
    const BackupSettings s = settingsOf(*store_);
    if (!s.atClose || s.folder.empty()) return;
    RunBackupNow(this, store_->path(), true);
}

void frmMain::addBackupPage(frmSettings& settings) {
    if (!store_) return;
    auto* page = new frmBackupPage(*store_, &settings);
    page->setObjectName(QStringLiteral("frmBackupPage"));
    page->mayRestore = [this] { return confirmDiscard(); };
    page->onRestored = [this] { ProcClear(); };
    settings.addPage(page);
    settings.resize(std::max(settings.width(), 780), std::max(settings.height(), 600)); // room for the list
    connect(&settings, &QDialog::finished, this, [this] { showLastBackup(); });
}

void frmMain::openBackupSettings() {
    if (!store_) return;
    frmSettings settings(SettingsFileOf(store_->path()).string(), this);
    addBackupPage(settings);
    settings.tabs->setCurrentIndex(settings.tabs->count() - 1);
    settings.exec();
}

void frmMain::showLastBackup() {
    if (!lab백업->property("linked").toBool()) {
        lab백업->setProperty("linked", true);
        lab백업->setTextFormat(Qt::RichText);
        connect(lab백업, &QLabel::linkActivated, this, [this] { openBackupSettings(); });
    }
    if (!store_) {
        lab백업->clear();
        return;
    }
    // Short on the title row; the whole story in the tooltip.
    const BackupSettings s = settingsOf(*store_);
    const LocalDateTime now = Clock::now();
    const QDate today(now.year, now.month, now.day);
    QString text, tip;
    bool overdue = true;
    if (s.folder.empty()) {
        text = QStringLiteral("백업 폴더 없음");
        tip = QStringLiteral("백업 폴더가 정해지지 않았습니다.");
    } else if (s.lastOk.size() < 12 || !dateOf(s.lastOk).isValid()) {
        text = QStringLiteral("백업 없음 (Ctrl+B)");
        tip = QStringLiteral("아직 백업한 적이 없습니다.");
    } else {
        const qint64 days = dateOf(s.lastOk).daysTo(today);
        overdue = days >= s.warnDays;
        tip = QStringLiteral("최근 백업 %1 (%2)")
                  .arg(BackupMoment(s.lastOk), QString::fromStdString(s.lastFile));
        text = overdue ? QStringLiteral("백업 %1일 전 (Ctrl+B)").arg(days)
                       : QStringLiteral("백업 %1").arg(BackupMoment(s.lastOk).mid(5));
        if (overdue) tip += QStringLiteral("\n%1일째 백업이 없습니다.").arg(days);
    }
    lab백업->setText(
        QStringLiteral("<a href=\"backup\" style=\"color:%1; text-decoration:none\">%2</a>")
            .arg(overdue ? QStringLiteral("#c00000") : QStringLiteral("#205020"), text.toHtmlEscaped()));
    lab백업->setToolTip(tip + QStringLiteral("\n누르면 백업 설정이 열립니다."));
    // A label of rich text underestimates its width: the title row keeps room for it.
    lab백업->setMinimumWidth(lab백업->fontMetrics().horizontalAdvance(text) + 6);
}

} // namespace pelmora
