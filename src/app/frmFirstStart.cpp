#include "frmFirstStart.h"

#include "data/ReferenceFiles.h"
#include "data/StartRoot.h"
#include "data/StartUp.h"
#include "util/Messages.h"

#include <QCommandLinkButton>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <iostream>
#include <memory>

namespace fs = std::filesystem;

namespace pelmora {

namespace {

// What each reference file holds, in ReferenceFiles order.
const std::array<const char*, ReferenceFiles::kCount> kContents{
    "수가표 (조제료와 관리료 단가)", "약가표와 약가 고시일", "공휴일", "요양기관과 종별",
    "특정기호 (본인부담 특례)",      "팩 단위로 내는 약"};

QString shown(const fs::path& p) {
    return QDir::toNativeSeparators(QString::fromStdString(p.string())).toHtmlEscaped();
}

// ~ for the home folder, so a long path stays readable.
QString shortened(const fs::path& p) {
    const QString full = QString::fromStdString(p.string()), home = QDir::homePath();
    return full.startsWith(home + u'/') ? u'~' + full.mid(home.size()) : full;
}

QString plainText(const fs::path& p) {
    return QString::fromStdString(p.string());
}

} // namespace

frmFirstStart::frmFirstStart(const fs::path& root, const RootMakers& makers, bool ready, QWidget* parent)
    : QDialog(parent), root_(root), makers_(makers) {
    chooseFolder = [](QWidget* owner, const QString& start) {
        return QFileDialog::getExistingDirectory(owner, QStringLiteral("참조 자료가 있는 설치 폴더 선택"),
                                                 start);
    };
    buildWidgets(ready);
}

frmFirstStart::~frmFirstStart() = default;

void frmFirstStart::buildWidgets(bool ready) {
    setWindowTitle(QStringLiteral("Pelmora - 처음 시작"));
    lab제목 =
        new QLabel(ready ? QStringLiteral("설치 폴더 선택") : QStringLiteral("참조 자료가 없습니다"), this);
    QFont big = lab제목->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    lab제목->setFont(big);
    lab안내 = new QLabel(this);
    lab안내->setWordWrap(true);
    lab안내->setText(
        ready ? QStringLiteral("지금 설치 폴더 <b>%1</b>에는 참조 자료가 있습니다. 이 폴더로 계속하거나 "
                               "다른 폴더를 열 수 있습니다.")
                    .arg(shown(root_))
              : QStringLiteral(
                    "약값과 조제료를 계산하려면 설치 폴더 <b>%1</b> 아래 TX60/SubPrg에 참조 자료 "
                    "여섯 파일이 있어야 합니다. 없는 파일이 있고 중앙 서버에도 접속하지 않아 이대로는 "
                    "시작할 수 없습니다.")
                    .arg(shown(root_)));
    lab파일 = new QLabel(filesText(), this);
    lab파일->setTextInteractionFlags(Qt::TextSelectableByMouse);

    cmd연습용 = new QCommandLinkButton(
        QStringLiteral("연습용 자료로 시작(&D)"),
        QStringLiteral("가상의 약품·요양기관·수가로 연습용 설치 폴더(%1)를 만들어 엽니다. 연습한 처방은 그 "
                       "폴더에 따로 저장됩니다. 실제 청구에는 쓰지 마십시오.")
            .arg(shortened(StartRoot::demoRoot())),
        this);
    cmd실제자료 = new QCommandLinkButton(
        QStringLiteral("공개 자료로 참조 자료 만들기(&R)"),
        makers_.real ? QStringLiteral("공개된 약제급여목록과 수가로 %1에 실제 참조 자료를 만듭니다.")
                           .arg(plainText(realTarget()))
                     : QStringLiteral("이 설치본에는 공개 자료를 가져오는 기능이 아직 없습니다."),
        this);
    cmd다른폴더 = new QCommandLinkButton(
        QStringLiteral("다른 설치 폴더 열기(&O)..."),
        QStringLiteral("참조 자료가 이미 있는 설치 폴더(TX60/SubPrg가 든 폴더)를 고릅니다."), this);
    cmd연습용->setEnabled(bool(makers_.demo));
    cmd실제자료->setEnabled(bool(makers_.real));
    lab기억 = new QLabel(QStringLiteral("고른 설치 폴더는 %1에 기억되어 다음 시작부터 바로 열립니다.")
                             .arg(shortened(StartRoot::configFile()).toHtmlEscaped()),
                         this);
    lab기억->setWordWrap(true);
    cmd끝내기 =
        new QPushButton(ready ? QStringLiteral("이 폴더로 계속(&C)") : QStringLiteral("끝내기(&X)"), this);

    const std::array<QWidget*, 4> named{lab안내, cmd연습용, cmd실제자료, cmd다른폴더};
    for (QWidget* w : named)
        w->setMinimumWidth(560);
    lab제목->setObjectName(QStringLiteral("lab제목"));
    lab안내->setObjectName(QStringLiteral("lab안내"));
    lab파일->setObjectName(QStringLiteral("lab파일"));
    lab기억->setObjectName(QStringLiteral("lab기억"));
    cmd연습용->setObjectName(QStringLiteral("cmd연습용"));
    cmd실제자료->setObjectName(QStringLiteral("cmd실제자료"));
    cmd다른폴더->setObjectName(QStringLiteral("cmd다른폴더"));
    cmd끝내기->setObjectName(QStringLiteral("cmd끝내기"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addWidget(lab제목);
    layout->addWidget(lab안내);
    layout->addWidget(lab파일);
    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("<b>어떻게 시작할까요?</b>"), this));
    layout->addWidget(cmd연습용);
    layout->addWidget(cmd실제자료);
    layout->addWidget(cmd다른폴더);
    layout->addSpacing(8);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lab기억, 1);
    bottom->addWidget(cmd끝내기);
    layout->addLayout(bottom);

    connect(cmd연습용, &QPushButton::clicked, this, &frmFirstStart::cmd연습용_Click);
    connect(cmd실제자료, &QPushButton::clicked, this, &frmFirstStart::cmd실제자료_Click);
    connect(cmd다른폴더, &QPushButton::clicked, this, &frmFirstStart::cmd다른폴더_Click);
    if (ready)
        connect(cmd끝내기, &QPushButton::clicked, this, [this] { choose(root_); });
    else
        connect(cmd끝내기, &QPushButton::clicked, this, &QDialog::reject);
    // The first way that can be taken has the focus; Enter takes it.
    QPushButton* first = cmd다른폴더;
    if (ready)
        first = cmd끝내기;
    else if (cmd실제자료->isEnabled())
        first = cmd실제자료;
    else if (cmd연습용->isEnabled())
        first = cmd연습용;
    first->setDefault(true);
    first->setFocus();
}

QString frmFirstStart::filesText() const {
    const auto missing = StartRoot::missingFiles(root_);
    QString rows;
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
        const bool absent = std::find(missing.begin(), missing.end(), i) != missing.end();
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                    .arg(QString::fromUtf8(ReferenceFiles::names()[i]), QString::fromUtf8(kContents[i]),
                         absent ? QStringLiteral("<span style='color:#b3261e'><b>없음</b></span>")
                                : QStringLiteral("<span style='color:#1b6e3a'>있음</span>"));
    }
    return QStringLiteral("<p>찾아본 곳: %1</p><table cellspacing='0' cellpadding='3'>%2</table>")
        .arg(shown(ReferenceFiles::folder(root_)), rows);
}

fs::path frmFirstStart::realTarget() const {
    return root_.lexically_normal() == StartRoot::demoRoot().lexically_normal() ? defaultRoot() : root_;
}

void frmFirstStart::cmd연습용_Click() {
    if (make(makers_.demo, StartRoot::demoRoot(), QStringLiteral("연습용 참조 자료를 만드는 중입니다...")))
        choose(StartRoot::demoRoot());
}

void frmFirstStart::cmd실제자료_Click() {
    if (make(makers_.real, realTarget(), QStringLiteral("공개 자료로 참조 자료를 만드는 중입니다...")))
        choose(realTarget());
}

void frmFirstStart::cmd다른폴더_Click() {
    const QString picked = chooseFolder(
        this, QString::fromStdString((fs::exists(root_) ? root_ : root_.parent_path()).string()));
    if (picked.isEmpty()) return;
    const fs::path root = StartRoot::rootOf(picked.toStdString());
    if (StartRoot::needsReferenceFiles(root, std::cerr)) {
        std::string absent;
        for (std::size_t i : StartRoot::missingFiles(root))
            absent += std::string(absent.empty() ? "" : ", ") + ReferenceFiles::names()[i];
        messages().information("고른 폴더에는 참조 자료가 없습니다.\r\n\r\n" +
                                   ReferenceFiles::folder(root).string() + "\r\n없는 파일: " + absent,
                               "폴더확인");
        return;
    }
    choose(root);
}

bool frmFirstStart::make(const RootMaker& maker, const fs::path& target, const QString& what) {
    QProgressDialog progress(what, QString(), 0, 0, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(200);
    progress.setAutoClose(false);
    progress.setMinimumWidth(420);
    // The worker reports from its own thread; the window is told in its own.
    const RootProgress report = [&progress](int done, int total, const std::string& step) {
        QMetaObject::invokeMethod(
            &progress,
            [&progress, done, total, text = QString::fromStdString(step)] {
                progress.setMaximum(std::max(total, 0));
                progress.setValue(std::max(done, 0));
                if (!text.isEmpty()) progress.setLabelText(text);
            },
            Qt::QueuedConnection);
    };
    std::string error;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            maker(target, report);
        } catch (const std::exception& e) {
            error = e.what();
            if (error.empty()) error = "알 수 없는 오류";
        }
    }));
    // Nothing else may be started while the root is being written.
    const std::array<QPushButton*, 4> ways{cmd연습용, cmd실제자료, cmd다른폴더, cmd끝내기};
    std::array<bool, 4> wasEnabled{};
    for (std::size_t i = 0; i < ways.size(); ++i) {
        wasEnabled[i] = ways[i]->isEnabled();
        ways[i]->setEnabled(false);
    }
    QEventLoop wait;
    connect(worker.get(), &QThread::finished, &wait, &QEventLoop::quit);
    worker->start();
    wait.exec();
    worker->wait();
    for (std::size_t i = 0; i < ways.size(); ++i)
        ways[i]->setEnabled(wasEnabled[i]);
    if (error.empty()) return true;
    messages().information("참조 자료를 만들지 못했습니다.\r\n\r\n" + target.string() + "\r\n" + error,
                           "준비실패");
    return false;
}

void frmFirstStart::choose(const fs::path& root) {
    std::string why;
    if (!StartRoot::remember(root, &why))
        messages().information("고른 설치 폴더를 기억하지 못해 다음 시작에 다시 묻습니다.\r\n\r\n" + why,
                               "경고");
    chosen_ = root;
    accept();
}

} // namespace pelmora
