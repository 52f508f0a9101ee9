#include "frmDrug.h"

#include "CtFunctions.h"
#include "KVSp.h"
#include "KeyCodes.h"
#include "ModDrug.h"
#include "ModMain.h"
#include "data/clsYakGa.h"
#include "util/Messages.h"
#include "util/RuntimeError.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <array>
#include <exception>

namespace pelmora {

namespace {
struct ResultColumn {
    const char* caption;
    double width; // characters
};
const std::array<ResultColumn, 9> kColumns{{{"약품명", 34},
                                            {"제조회사", 14},
                                            {"표준코드", 10},
                                            {"급여구분", 7},
                                            {"복용구분", 7},
                                            {"고시가", 8},
                                            {"고시일", 9},
                                            {"취급단위", 8},
                                            {"구코드", 8}}};
constexpr int kCodeColumn = 3;
constexpr int kDateColumn = 7;
constexpr int kPriceColumn = 6;

// Rows shown at once (a few screenfuls), then rows added per idle moment.
constexpr std::size_t kFirstRows = 60;
constexpr std::size_t kMoreRows = 1500;

struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
} // namespace

frmDrug::frmDrug(RefConnection& reference, QWidget* parent) : QDialog(parent), ref_(reference) {
    setWindowTitle(QStringLiteral("상품조회"));
    setModal(true);
    buildWidgets();
    Sp상품 = new KVSp(this);
    bindGrid();
    cmbClass->addItems({QStringLiteral("보험코드"), QStringLiteral("상품명"), QStringLiteral("제조회사")});
    cmbClass->setCurrentIndex(1);
    Sp상품->setMaxRows(0);

    connect(cmd조회, &QPushButton::clicked, this, &frmDrug::cmd조회_Click);
    connect(cmd확인, &QPushButton::clicked, this, &frmDrug::cmd확인_Click);
    connect(cmd종료, &QPushButton::clicked, this, &frmDrug::cmd종료_Click);
    connect(Sp상품, &KVSp::KeyDownEnter, this, [this](int, int) { cmd확인_Click(); });
    connect(Sp상품, &KVSp::DblClick, this, [this](int, int row) {
        if (row >= 1) cmd확인_Click();
    });
    // The window sees every key of its widgets first.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    installEventFilter(this);
}

frmDrug::~frmDrug() = default;

void frmDrug::buildWidgets() {
    auto* caption = new QLabel(QStringLiteral("적용일자"), this);
    lab날짜 = new QLabel(this);
    lab날짜->setObjectName(QStringLiteral("lab날짜"));
    lab날짜->setFrameShape(QFrame::Panel);
    lab날짜->setFrameShadow(QFrame::Sunken);
    lab날짜->setMinimumWidth(90);
    cmbClass = new QComboBox(this);
    cmbClass->setObjectName(QStringLiteral("cmbClass"));
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setMinimumWidth(220);
    cmd조회 = new QPushButton(QStringLiteral("조회(F3)"), this);
    cmd조회->setObjectName(QStringLiteral("cmd조회"));
    cmd확인 = new QPushButton(QStringLiteral("확인"), this);
    cmd확인->setObjectName(QStringLiteral("cmd확인"));
    cmd종료 = new QPushButton(QStringLiteral("종료(Esc)"), this);
    cmd종료->setObjectName(QStringLiteral("cmd종료"));
    // Enter searches or takes; it never presses a button by default.
    for (QPushButton* b : {cmd조회, cmd확인, cmd종료}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    lab상태 = new QLabel(this);
    lab상태->setObjectName(QStringLiteral("lab상태"));
    lab상태->setFrameShape(QFrame::Panel);
    lab상태->setFrameShadow(QFrame::Sunken);
    sp상품 = new QTableView(this);
    sp상품->setObjectName(QStringLiteral("sp상품"));

    auto* top = new QHBoxLayout;
    top->addWidget(caption);
    top->addWidget(lab날짜);
    top->addSpacing(8);
    top->addWidget(cmbClass);
    top->addWidget(txtFind, 1);
    top->addWidget(cmd조회);
    top->addWidget(cmd확인);
    top->addWidget(cmd종료);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(sp상품, 1);
    layout->addWidget(lab상태);
    resize(980, 560);
}

void frmDrug::bindGrid() {
    Sp상품->SpSet(sp상품, 2);
    Sp상품->OperationMode(1);
    sp상품->setSelectionBehavior(QAbstractItemView::SelectRows);
    Sp상품->setMaxCols(static_cast<int>(kColumns.size()));
    setColumns();
}

// Binding takes the record set's own column names: the captions and widths
// are set again after every search.
void frmDrug::setColumns() {
    for (int c = 1; c <= static_cast<int>(kColumns.size()); ++c) {
        Sp상품->model()->setHeader(c, QString::fromUtf8(kColumns[static_cast<std::size_t>(c - 1)].caption));
        Sp상품->ColWidth(c, kColumns[static_cast<std::size_t>(c - 1)].width);
    }
    Sp상품->spCellType(-1, kPriceColumn, kSpTypeNumber);
}

void frmDrug::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // Searched once the window stands on the screen. Only the first showing
    // counts: a closed message box activates the window again, and that must
    // not search a second time.
    if (!txtFind->text().trimmed().isEmpty())
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) cmd조회_Click();
        });
}

void frmDrug::cmd조회_Click() {
    // A reference file changed meanwhile is read before searching it.
    RefreshLocalMdb(this);
    BusyCursor busy;
    stopFilling();
    try {
        lab상태->setText(QStringLiteral("상품 조회중....."));
        Sp상품->setMaxRows(0);
        clsYakGa search(ref_);
        // A search that runs the query shows that it searches before it does;
        // one answered by the search index is done before a repaint would be.
        std::unique_ptr<DrugSearchList> list = search.RecordListPaged(
            lab날짜->text().toStdString(), static_cast<std::int16_t>(cmbClass->currentIndex()),
            txtFind->text().trimmed().toStdString(), [this] {
                lab상태->repaint();
                sp상품->viewport()->repaint();
            });
        // A failed query was reported by the lookup; the status line keeps
        // saying that the search did not finish.
        if (!list) return;
        const long count = list->recordCount();
        if (count > 0) {
            Sp상품->spRsBound(list->rows(0, kFirstRows));
            setColumns();
        }
        if (Sp상품->MaxRows() > 0) {
            lab상태->setText(QStringLiteral("자료가 ") + QString::number(count) +
                             QStringLiteral("건 검색되었습니다."));
            Sp상품->spGoCell(1, 1);
            Sp상품->SetFocus();
            if (Sp상품->MaxRows() < count) {
                list_ = std::move(list);
                filled_ = static_cast<std::size_t>(Sp상품->MaxRows());
                QTimer::singleShot(0, this, &frmDrug::fillMore);
            }
        } else {
            lab상태->setText(QStringLiteral("검색된 자료가 없습니다."));
            // Nothing found: the text stays ready to be corrected.
            txtFind->setFocus();
            txtFind->selectAll();
        }
    } catch (const RuntimeError& e) {
        messages().information(e.description(), "오류");
    } catch (const std::exception& e) {
        messages().information(e.what(), "오류");
    }
}

void frmDrug::fillMore() {
    if (!list_) return;
    try {
        RecordSet more = list_->rows(filled_, kMoreRows);
        const auto added = static_cast<std::size_t>(more.recordCount());
        filled_ += added;
        Sp상품->spRsAppend(std::move(more));
        if (added == 0 || filled_ >= static_cast<std::size_t>(list_->recordCount()))
            stopFilling();
        else
            QTimer::singleShot(0, this, &frmDrug::fillMore);
    } catch (const RuntimeError& e) {
        stopFilling();
        messages().information(e.description(), "오류");
    }
}

void frmDrug::stopFilling() {
    list_.reset();
    filled_ = 0;
}

void frmDrug::cmd확인_Click() {
    const int row = Sp상품->cRow();
    if (row < 1 || row > Sp상품->MaxRows()) return;
    try {
        clsYakGa& drug = renewProcessDrug(ref_);
        drug.Mode = 0;
        drug.vcYakCd = Sp상품->Cell(row, kCodeColumn).toText();
        drug.vcYakDt = Sp상품->Cell(row, kDateColumn).toText();
        drug.RecordSelect();
    } catch (const RuntimeError& e) {
        messages().information(e.description(), "오류");
        return;
    }
    stopFilling();
    taken_ = true;
    accept();
}

void frmDrug::cmd종료_Click() {
    stopFilling();
    reject();
}

bool frmDrug::windowKey(int key) {
    switch (key) {
    case Qt::Key_Escape:
        cmd종료_Click();
        return true;
    case Qt::Key_F2:
        txtFind->setFocus();
        txtFind->selectAll();
        return true;
    case Qt::Key_F3:
        cmd조회_Click();
        return true;
    case Qt::Key_F11:
        Sp상품->SetFocus();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (QApplication::focusWidget() != txtFind) return false;
        cmd조회_Click();
        return true;
    default:
        return false;
    }
}

bool frmDrug::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        return windowKey(static_cast<QKeyEvent*>(event)->key());
    case QEvent::FocusIn:
        if (watched == txtFind) CtFocusOn(txtFind, true, cmbClass->currentIndex() == 0 ? 1 : 0);
        return false;
    case QEvent::FocusOut:
        if (watched == txtFind) CtFocusOn(txtFind, false);
        return false;
    default:
        return false;
    }
}

} // namespace pelmora
