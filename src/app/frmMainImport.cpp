// Importing a drug price list file into the reference files from the window:
// the file chosen, its progress with a way to cancel, then what changed.

#include "frmMain.h"

#include "ModMain.h"
#include "data/DrugListImport.h"
#include "data/ImportError.h"
#include "data/NoticeDate.h"
#include "data/StartUp.h"
#include "util/DateText.h"
#include "util/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStandardPaths>

namespace pelmora {

namespace {

const char* const kTitle = "약가파일";

// Runs the import under a window-modal progress box; the window repaints
// and the box answers its cancel button between pieces of the file.
DrugImportSummary importWithProgress(QWidget* owner, const std::filesystem::path& root, const QString& file,
                                     const DrugImportOptions& options) {
    QProgressDialog box(QStringLiteral("약가파일을 반영하고 있습니다.\n%1").arg(QFileInfo(file).fileName()),
                        QStringLiteral("취소"), 0, 100, owner);
    box.setObjectName(QStringLiteral("dlg약가반영"));
    box.setWindowTitle(QString::fromUtf8(kTitle));
    box.setWindowModality(Qt::WindowModal);
    box.setMinimumDuration(0);
    box.setAutoClose(false);
    box.setValue(0);
    return DrugListImport::run(root, QFile::encodeName(file).toStdString(), options, [&box](int percent) {
        if (percent > box.value()) box.setValue(percent);
        QCoreApplication::processEvents();
        return !box.wasCanceled();
    });
}

std::string summaryText(const DrugImportSummary& s) {
    const std::string date = DateText::shown(s.date);
    if (!s.written) return date + " 약가는 이미 반영되어 있습니다. 바뀐 것이 없습니다.";
    std::string t = date + " 약가를 반영하였습니다.\n\n신규 " + std::to_string(s.added) + "건, 변경 " +
                    std::to_string(s.changed) + "건, 삭제 " + std::to_string(s.delisted) + "건, 그대로 " +
                    std::to_string(s.unchanged) + "건\n제외 " + std::to_string(s.skipped.size()) + "건";
    constexpr std::size_t kShown = 10;
    for (std::size_t i = 0; i < s.skipped.size() && i < kShown; ++i) {
        const SkippedDrug& k = s.skipped[i];
        t += "\n   " + std::to_string(k.line) + "행 " + k.code + " " + k.name + " - " + k.reason;
    }
    if (s.skipped.size() > kShown) t += "\n   외 " + std::to_string(s.skipped.size() - kShown) + "건";
    return t;
}

} // namespace

void frmMain::offerDrugList() {
    if (!localMode_ || HasDrugList(ref_)) return;
    if (messages().question("약제급여목록에 약품이 없어 처방을 계산할 수 없습니다.\n"
                            "건강보험심사평가원에서 받은 약제급여목록및급여상한금액표 파일(.xlsx)을 "
                            "지금 반영하시겠습니까?\n\n나중에 F6으로 반영할 수도 있습니다.",
                            kTitle))
        cmd약가_Click();
}

void frmMain::cmd약가_Click() {
    guarded([this] {
        const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        const QString file = QFileDialog::getOpenFileName(
            this, QStringLiteral("약가파일 선택"), QDir(downloads).exists() ? downloads : QDir::homePath(),
            QStringLiteral("약제급여목록 (*.xlsx)"));
        if (file.isEmpty()) return;
        DrugImportOptions options;
        for (;;) {
            try {
                const DrugImportSummary s = importWithProgress(this, processObjects().root, file, options);
                // The new list is in use from here on, not from the next pricing run.
                RefreshLocalMdb(this);
                if (noticeGeneration_ != ReferenceGeneration()) showNoticeDate();
                messages().information(summaryText(s), kTitle);
                return;
            } catch (const ImportError& e) {
                using Kind = ImportError::Kind;
                const std::string why = e.what();
                if (e.kind() == Kind::OlderList && !options.force &&
                    messages().question(why + "\n그래도 반영하시겠습니까?", kTitle)) {
                    options.force = true;
                } else if (e.kind() == Kind::NoDate) {
                    options.date =
                        messages().input(why + "\n\n적용일(YYYYMMDD)을 입력하십시오.", kTitle, options.date);
                    if (options.date.empty()) return;
                } else if (e.kind() == Kind::OlderList) {
                    return;
                } else {
                    messages().information(why + "\n\n참조 파일은 그대로입니다.", kTitle);
                    return;
                }
            }
        }
    });
}

} // namespace pelmora
