#include "frmBackupPage.h"

#include "BackupRunner.h"
#include "KVSp.h"
#include "ReportGrid.h"
#include "data/BackupFile.h"
#include "data/RemovableMedia.h"
#include "data/SqliteConnection.h"
#include "util/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace pelmora {

namespace fs = std::filesystem;

namespace {

const std::vector<ReportColumn>& listColumns() {
    static const std::vector<ReportColumn> c = {{"백업 일시", 16, false},
                                                {"암호", 6, false},
                                                {"처방 건수", 9, false},
                                                {"크기(MB)", 9, false},
                                                {"파일", 30, false}};
    return c;
}

template <typename T> T* named(QWidget* parent, const char* name) {
    auto* w = new T(parent);
    w->setObjectName(QString::fromUtf8(name));
    return w;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = named<QPushButton>(parent, name);
    b->setText(text);
    b->setAutoDefault(false);
    return b;
}
} // namespace

frmBackupPage::frmBackupPage(SqliteConnection& store, QWidget* parent)
    : SettingsPage(parent), store_(store), ini_(SettingsFileOf(store.path())) {
    setObjectName(QStringLiteral("frmBackupPage"));
    askPassphrase = [this](const QString& prompt) {
        return QInputDialog::getText(this, QStringLiteral("백업 암호"), prompt, QLineEdit::Password);
    };
    buildWidgets();
    connect(cmd폴더선택, &QPushButton::clicked, this, [this] {
        const QString dir =
            QFileDialog::getExistingDirectory(this, QStringLiteral("백업 폴더"), txt백업폴더->text());
        if (dir.isEmpty()) return;
        txt백업폴더->setText(dir);
        refreshList();
    });
    connect(txt백업폴더, &QLineEdit::editingFinished, this, &frmBackupPage::refreshList);
    connect(cmd암호설정, &QPushButton::clicked, this, &frmBackupPage::cmd암호설정_Click);
    connect(cmd암호해제, &QPushButton::clicked, this, &frmBackupPage::cmd암호해제_Click);
    connect(cmd지금백업, &QPushButton::clicked, this, &frmBackupPage::cmd지금백업_Click);
    connect(cmd복원, &QPushButton::clicked, this, &frmBackupPage::cmd복원_Click);
    connect(cmd파일복원, &QPushButton::clicked, this, [this] {
        const QString file =
            QFileDialog::getOpenFileName(this, QStringLiteral("복원할 백업"), txt백업폴더->text(),
                                         QStringLiteral("Pelmora 백업 (*.pbk *.db)"));
        if (!file.isEmpty()) restoreFrom(file.toStdString());
    });
}

frmBackupPage::~frmBackupPage() = default;

void frmBackupPage::buildWidgets() {
    txt백업폴더 = named<QLineEdit>(this, "txt백업폴더");
    cmd폴더선택 = button(this, "cmd폴더선택", QStringLiteral("찾아보기..."));
    lab매체 = named<QLabel>(this, "lab매체");
    chk닫을때백업 = named<QCheckBox>(this, "chk닫을때백업");
    chk닫을때백업->setText(QStringLiteral("프로그램을 닫을 때 백업합니다"));
    pvn보관일 = named<QSpinBox>(this, "pvn보관일");
    pvn보관일->setRange(0, 366);
    pvn보관일->setSuffix(QStringLiteral(" 일"));
    pvn보관주 = named<QSpinBox>(this, "pvn보관주");
    pvn보관주->setRange(0, 520);
    pvn보관주->setSuffix(QStringLiteral(" 주"));
    pvn경고일 = named<QSpinBox>(this, "pvn경고일");
    pvn경고일->setRange(1, 366);
    pvn경고일->setSuffix(QStringLiteral(" 일"));
    lab암호 = named<QLabel>(this, "lab암호");
    lab암호->setWordWrap(true);
    cmd암호설정 = button(this, "cmd암호설정", QStringLiteral("암호 정하기..."));
    cmd암호해제 = button(this, "cmd암호해제", QStringLiteral("암호 없애기"));
    sp백업목록 = named<QTableView>(this, "sp백업목록");
    cmd지금백업 = button(this, "cmd지금백업", QStringLiteral("지금 백업"));
    cmd복원 = button(this, "cmd복원", QStringLiteral("선택한 백업으로 복원..."));
    cmd파일복원 = button(this, "cmd파일복원", QStringLiteral("다른 파일에서 복원..."));

    auto* folder = new QHBoxLayout;
    folder->addWidget(txt백업폴더, 1);
    folder->addWidget(cmd폴더선택);
    auto* keep = new QHBoxLayout;
    keep->addWidget(new QLabel(QStringLiteral("최근"), this));
    keep->addWidget(pvn보관일);
    keep->addWidget(new QLabel(QStringLiteral("동안 하루 하나씩, 최근"), this));
    keep->addWidget(pvn보관주);
    keep->addWidget(new QLabel(QStringLiteral("동안 한 주 하나씩"), this));
    keep->addStretch(1);
    auto* key = new QHBoxLayout;
    key->addWidget(lab암호, 1);
    key->addWidget(cmd암호설정);
    key->addWidget(cmd암호해제);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("백업 폴더"), folder);
    form->addRow(QString(), lab매체);
    form->addRow(QString(), chk닫을때백업);
    form->addRow(QStringLiteral("보관"), keep);
    auto* warn = new QHBoxLayout;
    warn->addWidget(pvn경고일);
    warn->addWidget(new QLabel(QStringLiteral("동안 백업이 없으면 주 화면에 알립니다"), this));
    warn->addStretch(1);
    form->addRow(QStringLiteral("알림"), warn);
    form->addRow(QStringLiteral("백업 암호"), key);
    auto* actions = new QHBoxLayout;
    actions->addWidget(cmd지금백업);
    actions->addStretch(1);
    actions->addWidget(cmd파일복원);
    actions->addWidget(cmd복원);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("이 폴더의 백업"), this));
    layout->addWidget(sp백업목록, 1);
    layout->addLayout(actions);

    Sp백업목록 = new KVSp(this);
    Sp백업목록->SpSet(sp백업목록);
    Sp백업목록->OperationMode(2);
    SetReportColumns(*Sp백업목록, listColumns());
}

void frmBackupPage::showSettings(const BackupSettings& s) {
    txt백업폴더->setText(QString::fromStdString(s.folder));
    chk닫을때백업->setChecked(s.atClose);
    pvn보관일->setValue(s.keepDays);
    pvn보관주->setValue(s.keepWeeks);
    pvn경고일->setValue(s.warnDays);
    key_ = s.key;
    showKey();
    refreshList();
}

void frmBackupPage::showKey() {
    const bool set = !key_.empty();
    lab암호->setText(
        set ? QStringLiteral("정해져 있습니다. 백업은 암호로 잠깁니다. 복원할 때 이 암호를 입력합니다.")
            : QStringLiteral("정해지지 않았습니다. 백업이 잠기지 않으며, USB 같은 이동식 저장장치에는 "
                             "백업하지 않습니다."));
    cmd암호설정->setText(set ? QStringLiteral("암호 바꾸기...") : QStringLiteral("암호 정하기..."));
    cmd암호해제->setEnabled(set);
}

void frmBackupPage::showMedia() {
    const QString folder = txt백업폴더->text().trimmed();
    if (folder.isEmpty()) {
        lab매체->setText(QStringLiteral("백업 폴더가 정해지지 않았습니다."));
        return;
    }
    if (!fs::is_directory(folder.toStdString())) {
        lab매체->setText(QStringLiteral("폴더를 찾을 수 없습니다. USB 저장장치가 꽂혀 있는지 확인하십시오."));
        return;
    }
    const MediaInfo m = DescribeMedia(folder.toStdString());
    lab매체->setText(m.removable
                         ? QStringLiteral("이동식 저장장치 또는 네트워크 공유입니다(%1).")
                               .arg(QString::fromStdString(m.why))
                         : QStringLiteral("이 컴퓨터의 고정 디스크입니다(%1). 디스크가 고장 나면 백업도 "
                                          "함께 잃을 수 있습니다.")
                               .arg(QString::fromStdString(m.mountPoint)));
}

void frmBackupPage::refreshList() {
    showMedia();
    SetReportColumns(*Sp백업목록, listColumns());
    listed_.clear();
    const QString folder = txt백업폴더->text().trimmed();
    if (folder.isEmpty()) return;
    const auto list = ListBackups(folder.toStdString());
    Sp백업목록->setMaxRows(static_cast<int>(list.size()));
    int r = 0;
    for (const auto& b : list) {
        std::string count;
        if (b.encrypted) {
            try {
                count = std::to_string(ReadBackupHeader(b.file).prescriptions());
            } catch (const BackupError&) {
                count = "손상";
            }
        }
        SetReportRow(*Sp백업목록, ++r,
                     {Variant(BackupMoment(b.created).toStdString()), Variant(b.encrypted ? "잠김" : "없음"),
                      Variant(count),
                      Variant(QString::number(static_cast<double>(b.bytes) / 1e6, 'f', 1).toStdString()),
                      Variant(b.file.filename().string())});
        listed_.push_back(b.file);
    }
}

} // namespace pelmora
