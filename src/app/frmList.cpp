#include "frmList.h"

#include "KVSp.h"
#include "data/clsMain.h"
#include "data/clsSub.h"
#include "data/YearEndReport.h"
#include "util/Clock.h"
#include "util/ModFunction.h"
#include "frmListModel.h"
#include "util/Messages.h"
#include "util/RuntimeError.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <array>

namespace pelmora {

namespace {
struct LineColumn {
    const char* caption;
    double width; // characters
};
// The columns of the line list: line number, code, name, dose, times a day,
// days, coverage, route, unit price, amount.
const std::array<LineColumn, 10> kLineColumns{{{"순번", 4},
                                               {"약품코드", 10},
                                               {"약품명", 30},
                                               {"1회투약량", 8},
                                               {"1일투여횟수", 9},
                                               {"총투약일수", 8},
                                               {"급여구분", 7},
                                               {"복용구분", 7},
                                               {"단가", 8},
                                               {"금액", 9}}};
const std::array<int, 9> kListWidths{94, 86, 70, 84, 132, 84, 150, 132, 80};

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromUtf8(name));
    // Enter opens the selected prescription; it never presses a button by default.
    b->setAutoDefault(false);
    return b;
}
} // namespace

frmList::frmList(SqliteConnection& store, QWidget* parent)
    : QDialog(parent), store_(store), list_(new frmListModel(this)) {
    setWindowTitle(QStringLiteral("조제내역"));
    setModal(true);
    buildWidgets();
    sp조제목록->setModel(list_);
    setListColumns();
    Sp조제약품 = new KVSp(this);
    Sp조제약품->SpSet(sp조제약품);
    Sp조제약품->OperationMode(1);
    sp조제약품->setSelectionBehavior(QAbstractItemView::SelectRows);
    Sp조제약품->setMaxCols(static_cast<int>(kLineColumns.size()));
    setLineColumns();
    Sp조제약품->setMaxRows(0);

    connect(sp조제목록->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!holdLines_) ProcSubDataload();
    });
    connect(cmd조회, &QPushButton::clicked, this, &frmList::cmd조회_Click);
    connect(cmd수정, &QPushButton::clicked, this, &frmList::cmd수정_Click);
    connect(cmd삭제, &QPushButton::clicked, this, &frmList::cmd삭제_Click);
    connect(cmd영수증, &QPushButton::clicked, this, &frmList::cmd영수증_Click);
    connect(cmd종료, &QPushButton::clicked, this, &frmList::cmd종료_Click);
    connect(cmd연말제외, &QPushButton::clicked, this, &frmList::cmd연말제외_Click);
    // The window sees every key of its widgets first.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    installEventFilter(this);
}

frmList::~frmList() = default;

void frmList::buildWidgets() {
    sp조제목록 = new QTableView(this);
    sp조제목록->setObjectName(QStringLiteral("sp조제목록"));
    sp조제목록->setSelectionBehavior(QAbstractItemView::SelectRows);
    sp조제목록->setSelectionMode(QAbstractItemView::SingleSelection);
    sp조제목록->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sp조제목록->setTabKeyNavigation(false);
    // Every row the same height: the view never measures a million rows.
    QHeaderView* rows = sp조제목록->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(sp조제목록->fontMetrics().height() + 6);
    sp조제약품 = new QTableView(this);
    sp조제약품->setObjectName(QStringLiteral("sp조제약품"));
    cmd조회 = button(this, "cmd조회", QStringLiteral("조회(F3)"));
    cmd수정 = button(this, "cmd수정", QStringLiteral("수정(F7)"));
    cmd삭제 = button(this, "cmd삭제", QStringLiteral("삭제(F8)"));
    cmd영수증 = button(this, "cmd영수증", QStringLiteral("영수증(F4)"));
    cmd연말제외 = button(this, "cmd연말제외", QStringLiteral("연말정산 제외(F9)"));
    cmd종료 = button(this, "cmd종료", QStringLiteral("종료(Esc)"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->insertWidget(0, cmd연말제외);
    for (QPushButton* b : {cmd조회, cmd수정, cmd삭제, cmd영수증, cmd종료})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sp조제목록, 3);
    layout->addWidget(sp조제약품, 2);
    layout->addLayout(buttons);
    resize(1000, 640);
}

void frmList::setListColumns() {
    for (std::size_t c = 0; c < kListWidths.size(); ++c)
        sp조제목록->setColumnWidth(static_cast<int>(c), kListWidths[c]);
}

// Binding takes the record set's own column names: the captions and widths
// are set again after every load.
void frmList::setLineColumns() {
    for (int c = 1; c <= static_cast<int>(kLineColumns.size()); ++c) {
        Sp조제약품->model()->setHeader(
            c, QString::fromUtf8(kLineColumns[static_cast<std::size_t>(c - 1)].caption));
        Sp조제약품->ColWidth(c, kLineColumns[static_cast<std::size_t>(c - 1)].width);
    }
    Sp조제약품->spCellType(-1, 9, kSpTypeNumber);
    Sp조제약품->spCellType(-1, 10, kSpTypeNumber);
}

// Refreshed when the window first stands on the screen. Every closed message
// box activates the window again, and a refresh then would undo what a
// delete left on the screen.
void frmList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    cmd조회_Click();
}

int frmList::activeRow() const {
    const QModelIndex i = sp조제목록->currentIndex();
    return i.isValid() && i.row() < list_->rowCount() ? i.row() + 1 : 0;
}

QString frmList::activeCode() const {
    const int row = activeRow();
    return row > 0 ? list_->value(row - 1, 0) : QString();
}

void frmList::cmd조회_Click() {
    try {
        clsMain header(store_);
        auto list = header.RecordListPaged();
        if (!list) return; // reported by the store; the grids keep what they showed
        holdLines_ = true;
        list_->bind(std::move(list));
        setListColumns();
        if (list_->rowCount() > 0) {
            sp조제목록->setFocus();
            sp조제목록->setCurrentIndex(list_->index(0, 0));
        }
        holdLines_ = false;
        if (list_->rowCount() == 0)
            Sp조제약품->setMaxRows(0);
        else
            ProcSubDataload();
    } catch (const RuntimeError& e) {
        holdLines_ = false;
        ShowError("frmList:cmd조회_Click", e);
    }
}

void frmList::ProcSubDataload() {
    try {
        const QString code = activeCode();
        if (code.isEmpty()) return;
        clsSub lines(store_);
        RecordSet rs;
        if (!lines.RecordList(code.toStdString(), rs)) return; // reported by the store
        Sp조제약품->setMaxRows(0);
        Sp조제약품->spRsBound(std::move(rs));
        setLineColumns();
        showNoReport();
    } catch (const RuntimeError& e) {
        ShowError("frmList:ProcSubDataload", e);
    }
}

void frmList::cmd수정_Click() {
    const QString code = activeCode();
    if (code.isEmpty()) return;
    chosen_ = code;
    if (onOpen) onOpen(code);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    accept();
}

void frmList::cmd삭제_Click() {
    const int row = activeRow();
    const QString code = activeCode();
    if (code.isEmpty()) return;
    if (!messages().question(code.toStdString() + " 자료를 삭제하시겠습니까?", "삭제확인")) return;
    clsMain header(store_);
    header.Delete(code.toStdString());
    if (!header.ChangeMode) {
        // The store kept the prescription; both grids still show it.
        messages().information("자료를 삭제하지 못하였습니다.", "삭제실패");
        return;
    }
    Sp조제약품->setMaxRows(0);
    // The row below moves up into the selection; its lines wait for the
    // pharmacist to choose it, as after every delete.
    holdLines_ = true;
    list_->removeListRow(row - 1);
    holdLines_ = false;
    if (onDeleted) onDeleted(code);
}

void frmList::cmd영수증_Click() {
    const QString code = activeCode();
    if (!code.isEmpty() && onReceipt) onReceipt(code);
}

void frmList::cmd종료_Click() {
    reject();
}

// The button says what pressing it would do for the active row's patient.
void frmList::showNoReport() {
    const int row = activeRow();
    const QString jumNo = row > 0 ? list_->value(row - 1, 4) : QString();
    bool out = false;
    try {
        out = IsNoReport(store_, jumNo.toStdString());
    } catch (const RuntimeError&) {
        // Shown as not marked; pressing the button reports the store's fault.
    }
    cmd연말제외->setText(out ? QStringLiteral("연말정산 포함(F9)") : QStringLiteral("연말정산 제외(F9)"));
    cmd연말제외->setEnabled(!ReportJumNo(jumNo.toStdString()).empty());
}

void frmList::cmd연말제외_Click() {
    const int row = activeRow();
    if (row == 0) return;
    const std::string jumNo = list_->value(row - 1, 4).toStdString();
    if (ReportJumNo(jumNo).empty()) return;
    const std::string shown = ModFunction::MaskResidentNo(jumNo) + " " + list_->value(row - 1, 3).toStdString();
    try {
        const bool out = !IsNoReport(store_, jumNo);
        if (!messages().question(shown + (out ? " 환자를 연말정산 의료비 보고에서 빼시겠습니까?"
                                              : " 환자를 연말정산 의료비 보고에 다시 넣으시겠습니까?"),
                                 "연말정산"))
            return;
        const LocalDateTime now = Clock::now();
        SetNoReport(store_, jumNo, out, now.yyyymmdd() + now.hhmmss());
    } catch (const RuntimeError& e) {
        ShowError("frmList:cmd연말제외_Click", e);
    }
    showNoReport();
}

bool frmList::windowKey(QObject* watched, int key) {
    switch (key) {
    case Qt::Key_Escape:
        cmd종료_Click();
        return true;
    case Qt::Key_F3:
        cmd조회_Click();
        return true;
    case Qt::Key_F7:
        cmd수정_Click();
        return true;
    case Qt::Key_F8:
        cmd삭제_Click();
        return true;
    case Qt::Key_F4:
        cmd영수증_Click();
        return true;
    case Qt::Key_F9:
        cmd연말제외_Click();
        return true;
    case Qt::Key_F10:
        sp조제목록->setFocus();
        return true;
    case Qt::Key_F11:
        Sp조제약품->SetFocus();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (watched != sp조제목록) return false;
        cmd수정_Click();
        return true;
    default:
        return false;
    }
}

bool frmList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) return windowKey(watched, static_cast<QKeyEvent*>(event)->key());
    return false;
}

} // namespace pelmora
