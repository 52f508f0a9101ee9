#include "frmSettings.h"

#include "SettingsPage.h"
#include "frmSettingsPharmacy.h"
#include "util/Messages.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace pelmora {

frmSettings::frmSettings(std::string iniPath, QWidget* parent)
    : QDialog(parent), path_(std::move(iniPath)), ini_(IniFile::load(path_)) {
    setWindowTitle(QStringLiteral("환경설정"));
    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabs"));
    cmd저장 = new QPushButton(QStringLiteral("저장 (Enter)"), this);
    cmd저장->setObjectName(QStringLiteral("cmd저장"));
    cmd저장->setDefault(true);
    cmd취소 = new QPushButton(QStringLiteral("닫기 (Esc)"), this);
    cmd취소->setObjectName(QStringLiteral("cmd취소"));
    cmd취소->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmd저장);
    buttons->addWidget(cmd취소);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
    connect(cmd저장, &QPushButton::clicked, this, [this] {
        if (save()) accept();
    });
    connect(cmd취소, &QPushButton::clicked, this, &QDialog::reject);

    // The pages, in the order of their tabs.
    addPage(pharmacyPage = new frmSettingsPharmacy(this));
    resize(560, 420);
}

void frmSettings::addPage(SettingsPage* page) {
    page->load(ini_);
    tabs->addTab(page, page->title());
}

bool frmSettings::save() {
    for (int i = 0; i < tabs->count(); ++i) {
        auto* page = static_cast<SettingsPage*>(tabs->widget(i));
        const QString why = page->check();
        if (why.isEmpty()) continue;
        tabs->setCurrentIndex(i);
        messages().information(why.toStdString(), "입력오류");
        page->check(); // the box took the focus: back to the field
        return false;
    }
    IniFile ini = ini_;
    for (int i = 0; i < tabs->count(); ++i)
        static_cast<SettingsPage*>(tabs->widget(i))->store(ini);
    std::string why;
    if (!ini.save(path_, &why)) {
        messages().information("설정을 저장하지 못했습니다.\n" + why, "저장실패");
        return false;
    }
    ini_ = ini;
    return true;
}

} // namespace pelmora
