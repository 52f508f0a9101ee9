#include "frmProgress.h"

#include "data/ReferenceFiles.h"
#include "util/Messages.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QVBoxLayout>

namespace pelmora {

namespace {
// Repaints at most this often: the build reports far more often.
constexpr qint64 kRepaintMs = 40;
// The bar: one step per file, one for the indexes.
constexpr int kSteps = static_cast<int>(ReferenceFiles::kCount) + 1;
} // namespace

frmProgress::frmProgress(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    lab안내 =
        new QLabel(QStringLiteral("약가·수가 등 참조 자료를 읽고 있습니다. 잠시 기다려 주십시오."), this);
    lab파일 = new QLabel(this);
    lab파일->setObjectName(QStringLiteral("lab파일"));
    lab행 = new QLabel(this);
    lab행->setObjectName(QStringLiteral("lab행"));
    bar = new QProgressBar(this);
    bar->setRange(0, kSteps);
    bar->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lab안내);
    layout->addSpacing(6);
    layout->addWidget(lab파일);
    layout->addWidget(lab행);
    layout->addWidget(bar);
    setMinimumWidth(420);
}

frmProgress::~frmProgress() = default;

void frmProgress::report(const LinkProgress& p) {
    const QString file = QString::fromUtf8(ReferenceFiles::names().at(p.file));
    const QString table = QString::fromStdString(p.table);
    switch (p.phase) {
    case LinkProgress::Phase::Waiting:
        lab파일->setText(QStringLiteral("다른 Pelmora가 참조 자료를 만들고 있습니다."));
        lab행->setText(QStringLiteral("끝나기를 기다립니다."));
        bar->setValue(0);
        break;
    case LinkProgress::Phase::Copying:
        lab파일->setText(QStringLiteral("%1 (%2/%3)").arg(file).arg(p.file + 1).arg(ReferenceFiles::kCount));
        lab행->setText(
            table.isEmpty()
                ? QString()
                : QStringLiteral("%1 표: %2행 읽음").arg(table, QLocale(QLocale::Korean).toString(p.rows)));
        bar->setValue(static_cast<int>(p.file));
        break;
    case LinkProgress::Phase::Indexing:
        lab파일->setText(QStringLiteral("찾아보기 색인을 만들고 있습니다."));
        lab행->setText(table.isEmpty() ? QString() : QStringLiteral("%1 표").arg(table));
        bar->setValue(kSteps - 1);
        break;
    }
    if (!isVisible()) {
        show();
        raise();
    } else if (painted_.isValid() && painted_.elapsed() < kRepaintMs) {
        return;
    }
    // Paint now; user input waits until the build is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    painted_.start();
}

LinkProgressWindow::~LinkProgressWindow() {
    delete window_;
}

LinkProgressFn LinkProgressWindow::function() {
    return [this](const LinkProgress& p) {
        if (!window_) window_ = new frmProgress(parent_);
        window_->report(p);
    };
}

} // namespace pelmora
