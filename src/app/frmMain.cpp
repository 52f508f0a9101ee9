// Start-up, reset, the insurance lists and the recalculation of the main window.

#include "frmMain.h"

#include "CodeTables.h"
#include "KVSp.h"
#include "WinColor.h"
#include "ModMain.h"
#include "data/NoticeDate.h"
#include "util/Clock.h"
#include "util/Messages.h"
#include "util/RuntimeError.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>

namespace pelmora {

namespace {
QString version2(int n) { return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0')); }

// "20240101" as "2024-01-01"; anything else as it is.
QString dateText(const std::string& yyyymmdd) {
    const QString d = QString::fromStdString(yyyymmdd);
    if (d.size() != 8) return d;
    return d.left(4) + u'-' + d.mid(4, 2) + u'-' + d.right(2);
}
} // namespace

frmMain::frmMain(RefConnection& reference, bool localMode, QWidget* parent)
    : QWidget(parent), ref_(reference), localMode_(localMode) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Pelmora - ") + version2(PELMORA_VERSION_MAJOR) + u'.' +
                   version2(PELMORA_VERSION_MINOR) + u'.' + version2(PELMORA_VERSION_PATCH));
    buildFields();
    buildGrids();
    buildButtons();
    layoutWindow();
    fillLists();
    connectHandlers();
    buildEnterPath();
    ProcClear();
    dLastQty = 1.0;
    lLastCnt = 3;
    lLastDay = 1;
    dLastTot = 3.0;
    lab연결정보->setText(localMode_ ? QStringLiteral("MDB 로컬연결") : QStringLiteral("SQL 웹연결"));
    showNoticeDate();
    qApp->installEventFilter(this);
    resize(1280, 800);
}

// The window's handlers stop before its widgets go, so no rule runs on a
// half-destroyed window when the focus leaves it.
frmMain::~frmMain() {
    qApp->removeEventFilter(this);
    disconnect(qApp, nullptr, this, nullptr);
}

// The notice date of the price list in use, read again whenever new
// reference data was taken up while the program runs.
void frmMain::showNoticeDate() {
    noticeGeneration_ = ReferenceGeneration();
    lab약가갱신일->setText(dateText(GetNoticeDate(ref_)) + QStringLiteral(" 약가"));
}

void frmMain::fillLists() {
    bLoading = true;
    auto fill = [](QComboBox* c, const auto& texts) {
        const QSignalBlocker quiet(c);
        c->clear();
        for (const char* t : texts) c->addItem(QString::fromUtf8(t));
    };
    fill(cmb보험종류, codes::kInsClass);
    std::vector<const char*> kinds;
    for (const auto& k : codes::insKinds()) kinds.push_back(k.text);
    fill(cmb보험종류1, kinds);
    fill(cmb시간외, codes::kAfterHours);
    fill(cmb연령, codes::kAgeClass);
    fill(cmb본인부담여부, codes::patientShareCodes());
    bLoading = false;
}

// A selection made by code runs the list's handler just as a click does,
// also when the index does not change.
void frmMain::selectIndex(QComboBox* combo, int index) {
    if (combo->currentIndex() == index) emit combo->currentIndexChanged(index);
    else combo->setCurrentIndex(index);
}

void frmMain::ProcClear() {
    bLoading = true;
    bCodeEntry = false;
    Sp처방->nMode = 0; // Hangul entry follows the code-entry mode
    setLab조제코드({});
    lab조제코드->setProperty("tag", QString());
    txt고객명->clear();
    txt주민번호->clear();
    const LocalDateTime now = Clock::now();
    const QDate today(now.year, now.month, now.day);
    pvd조제일자->setDate(today);
    pvt조제시간->setTime(QTime(now.hour, now.minute, now.second));
    pvd발행일자->setDate(today);
    for (QLineEdit* e : {txt교부번호, txt면허번호, txt의사명, txt요양기관번호, txt요양기관명, txt상병기호1,
                         txt상병기호2, txt특정기호1, txt특정기호2})
        e->clear();
    pvn사용기간->setValue(0);
    for (QLabel* l : {lab특정기호1, lab특정기호2, lab나이, lab성별, lab검증}) l->clear();
    // The rate labels' scratch of the last run goes with the patient.
    for (QLabel* l : {lab특정기호1, lab특정기호2}) l->setProperty("tag", QString());
    {
        const QSignalBlocker quiet(cmb보험종류2);
        cmb보험종류2->clear();
        cmb보험종류2->addItem(QStringLiteral("-"));
    }
    selectIndex(cmb보험종류, 1);
    selectIndex(cmb보험종류2, 0);
    selectIndex(cmb보험종류1, 0);
    selectIndex(cmb본인부담여부, 0);
    selectIndex(cmb시간외, 0);
    selectIndex(cmb연령, 0);
    chk자가투여주사->setChecked(false);
    if (noBiboFeeSetting_) chk비급여조제료->setChecked(*noBiboFeeSetting_);
    noBiboFeeSetting_.reset();
    opt보험[0]->setChecked(true);
    clearPricing();
    Sp처방->setMaxRows(0);
    ProcTimeClass();
    bLoading = false;
    lab요양기관번호->clear();
}

void frmMain::kindChanged() {
    const int kind = cmb보험종류1->currentIndex();
    {
        const QSignalBlocker quiet(cmb보험종류2);
        cmb보험종류2->clear();
        if (kind >= 0 && kind < static_cast<int>(codes::insKinds().size()))
            for (const auto& s : codes::insKinds()[static_cast<std::size_t>(kind)].subs)
                cmb보험종류2->addItem(QString::fromUtf8(s.text));
    }
    selectIndex(cmb보험종류2, 0);
    ProcSetInsClass();
}

void frmMain::ProcSetInsClass() {
    const int kind = cmb보험종류1->currentIndex(), sub = cmb보험종류2->currentIndex();
    const auto& kinds = codes::insKinds();
    if (kind >= 0 && kind < static_cast<int>(kinds.size()) && sub >= 0 &&
        sub < static_cast<int>(kinds[static_cast<std::size_t>(kind)].subs.size()))
        selectIndex(cmb보험종류, kinds[static_cast<std::size_t>(kind)].subs[static_cast<std::size_t>(sub)].insClass);
    ProcRecalc();
}

void frmMain::ProcSetInsKind() {
    int kind = 6, sub = 0; // "비보험" for class 0 and anything outside the table
    const int cls = cmb보험종류->currentIndex();
    if (cls < 1 || cls > 24 || !codes::kindOfClass(cls, &kind, &sub)) {
        kind = 6;
        sub = 0;
    }
    selectIndex(cmb보험종류1, kind);
    selectIndex(cmb보험종류2, sub);
}

// The fill keeps the caller's bLoading, so a choice made during a reset does
// not end the reset's quiet period.
void frmMain::optChosen(int index) {
    const bool wasLoading = bLoading;
    bLoading = true;
    selectIndex(cmb보험종류1, codes::kInsShortcut[static_cast<std::size_t>(index)].kind);
    selectIndex(cmb보험종류2, codes::kInsShortcut[static_cast<std::size_t>(index)].sub);
    bLoading = wasLoading;
    ProcSetInsClass();
}

void frmMain::ProcRecalc() {
    if (bLoading) return;
    ++recalcCount_;
    try {
        ProcCalc();
    } catch (const RuntimeError& e) {
        messages().plain(e.description(), kAppTitle);
    } catch (const std::exception& e) {
        messages().plain(e.what(), kAppTitle);
    }
}

void frmMain::setLab조제코드(const QString& code) {
    lab조제코드->setText(code);
    const std::int64_t colour = code.isEmpty() ? 16777152 : code == QLatin1String("0000000000") ? 12648384 : 12632319;
    for (QLabel* l : KvLabel) {
        QPalette p = l->palette();
        p.setColor(QPalette::Window, winColor(colour));
        l->setPalette(p);
    }
}

bool frmMain::hasPrescription() const {
    return !txt고객명->text().isEmpty() || !lab나이->text().isEmpty() || Sp처방->MaxRows() >= 1;
}

// A typed prescription is thrown away only when the pharmacist says so.
bool frmMain::confirmDiscard(const char* question, const char* title) {
    if (!hasPrescription()) return true;
    return messages().question(question, title);
}

QString frmMain::dispensingDate() const { return pvd조제일자->date().toString(QStringLiteral("yyyyMMdd")); }

} // namespace pelmora
