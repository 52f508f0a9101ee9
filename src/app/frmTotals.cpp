#include "frmTotals.h"

#include "KVSp.h"
#include "ReportGrid.h"
#include "frmYearEnd.h"
#include "util/Clock.h"
#include "util/Messages.h"
#include "util/RuntimeError.h"

#include <QApplication>
#include <QChartView>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace pelmora {

namespace {
QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    return b;
}

QDateEdit* dateField(QWidget* parent, const char* name) {
    auto* d = new QDateEdit(parent);
    d->setObjectName(QString::fromUtf8(name));
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    d->setCalendarPopup(true);
    return d;
}

QTableView* grid(QWidget* parent, const char* name) {
    auto* g = new QTableView(parent);
    g->setObjectName(QString::fromUtf8(name));
    return g;
}
} // namespace

frmTotals::frmTotals(SqliteConnection& store, QWidget* parent) : QDialog(parent), store_(store) {
    setWindowTitle(QStringLiteral("조제집계"));
    setModal(true);
    buildWidgets();
    const LocalDateTime now = Clock::now();
    const QDate today(now.year, now.month, now.day);
    setRange(today, today);
    connect(cmd오늘, &QPushButton::clicked, this, [this, today] {
        setRange(today, today);
        cmd조회_Click();
    });
    connect(cmd이번달, &QPushButton::clicked, this, [this, today] {
        setRange(QDate(today.year(), today.month(), 1), today);
        cmd조회_Click();
    });
    connect(cmd지난달, &QPushButton::clicked, this, [this, today] {
        const QDate first = QDate(today.year(), today.month(), 1).addMonths(-1);
        setRange(first, first.addMonths(1).addDays(-1));
        cmd조회_Click();
    });
    connect(cmd조회, &QPushButton::clicked, this, &frmTotals::cmd조회_Click);
    connect(cmd엑셀, &QPushButton::clicked, this, &frmTotals::cmd엑셀_Click);
    connect(cmd종료, &QPushButton::clicked, this, &QDialog::reject);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    installEventFilter(this);
    cmd조회_Click();
}

frmTotals::~frmTotals() = default;

void frmTotals::buildWidgets() {
    pvd시작 = dateField(this, "pvd시작");
    pvd종료 = dateField(this, "pvd종료");
    cmd오늘 = button(this, "cmd오늘", QStringLiteral("오늘"));
    cmd이번달 = button(this, "cmd이번달", QStringLiteral("이번 달"));
    cmd지난달 = button(this, "cmd지난달", QStringLiteral("지난 달"));
    cmd조회 = button(this, "cmd조회", QStringLiteral("조회(F3)"));
    cmd엑셀 = button(this, "cmd엑셀", QStringLiteral("엑셀 저장(F9)"));
    cmd종료 = button(this, "cmd종료", QStringLiteral("닫기(Esc)"));
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("조제일자"), this));
    top->addWidget(pvd시작);
    top->addWidget(new QLabel(QStringLiteral("~"), this));
    top->addWidget(pvd종료);
    for (QPushButton* b : {cmd오늘, cmd이번달, cmd지난달, cmd조회})
        top->addWidget(b);
    top->addStretch(1);
    top->addWidget(cmd엑셀);
    top->addWidget(cmd종료);

    // The days with their chart below; the classes and the year on pages of their own.
    auto* days = new QWidget(this);
    sp일별 = grid(days, "sp일별");
    chart일별 = new QChartView(days);
    chart일별->setObjectName(QStringLiteral("chart일별"));
    chart일별->setRenderHint(QPainter::Antialiasing);
    chart일별->chart()->setAnimationOptions(QChart::NoAnimation);
    auto* split = new QSplitter(Qt::Vertical, days);
    split->addWidget(sp일별);
    split->addWidget(chart일별);
    chart일별->setMinimumHeight(300);
    split->setSizes({400, 360});
    auto* daysLayout = new QVBoxLayout(days);
    daysLayout->setContentsMargins(0, 0, 0, 0);
    daysLayout->addWidget(split, 1);
    auto* classes = new QWidget(this);
    sp보험 = grid(classes, "sp보험");
    auto* classesLayout = new QVBoxLayout(classes);
    classesLayout->setContentsMargins(0, 0, 0, 0);
    classesLayout->addWidget(sp보험);

    yearEnd = new frmYearEnd(store_, this);
    tab집계 = new QTabWidget(this);
    tab집계->setObjectName(QStringLiteral("tab집계"));
    tab집계->addTab(days, QStringLiteral("일별 집계"));
    tab집계->addTab(classes, QStringLiteral("보험종류별"));
    tab집계->addTab(yearEnd, QStringLiteral("연말정산 의료비"));
    lab안내 = new QLabel(this);
    lab안내->setObjectName(QStringLiteral("lab안내"));
    lab안내->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tab집계, 1);
    layout->addWidget(lab안내);
    // The dates and the note belong to the days and the classes, not to the year.
    connect(tab집계, &QTabWidget::currentChanged, this, [this](int) {
        const bool days = tab집계->currentWidget() != yearEnd;
        for (QWidget* w :
             {static_cast<QWidget*>(pvd시작), static_cast<QWidget*>(pvd종료), static_cast<QWidget*>(cmd오늘),
              static_cast<QWidget*>(cmd이번달), static_cast<QWidget*>(cmd지난달)})
            w->setEnabled(days);
        lab안내->setVisible(days);
    });

    Sp일별 = new KVSp(this);
    Sp일별->SpSet(sp일별);
    Sp일별->OperationMode(2);
    Sp보험 = new KVSp(this);
    Sp보험->SpSet(sp보험);
    Sp보험->OperationMode(2);
    resize(1280, 860);
}

void frmTotals::setRange(QDate from, QDate to) {
    pvd시작->setDate(from);
    pvd종료->setDate(to);
}

QChart* frmTotals::chart() const {
    return chart일별->chart();
}

void frmTotals::cmd조회_Click() {
    if (tab집계->currentWidget() == yearEnd) {
        yearEnd->cmd조회_Click();
        return;
    }
    if (pvd시작->date() > pvd종료->date()) {
        messages().information("시작일이 종료일보다 늦습니다.", "입력오류");
        pvd시작->setFocus();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        totals_ = ReadStoreTotals(store_, pvd시작->date().toString(QStringLiteral("yyyyMMdd")).toStdString(),
                                  pvd종료->date().toString(QStringLiteral("yyyyMMdd")).toStdString());
        QApplication::restoreOverrideCursor();
    } catch (const RuntimeError& e) {
        QApplication::restoreOverrideCursor();
        ShowError("frmTotals:cmd조회_Click", e);
        return;
    }
    showTotals();
}

void frmTotals::cmd엑셀_Click() {
    const bool year = tab집계->currentWidget() == yearEnd;
    const QString name = year ? yearEnd->suggestedFileName()
                              : QStringLiteral("조제집계_%1_%2.xlsx")
                                    .arg(pvd시작->date().toString(QStringLiteral("yyyyMMdd")),
                                         pvd종료->date().toString(QStringLiteral("yyyyMMdd")));
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("엑셀 저장"), name,
                                                      QStringLiteral("Excel2007 (*.xlsx)"));
    if (file.isEmpty()) return;
    if (year)
        yearEnd->exportYear(file);
    else
        exportTotals(file);
}

bool frmTotals::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // The pages turn wherever the focus is, the date fields included.
    if (key->modifiers() & Qt::ControlModifier &&
        (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
        const int n = tab집계->count();
        tab집계->setCurrentIndex((tab집계->currentIndex() + (key->key() == Qt::Key_Tab ? 1 : n - 1)) % n);
        return true;
    }
    switch (key->key()) {
    case Qt::Key_F3:
        cmd조회_Click();
        return true;
    case Qt::Key_F9:
        cmd엑셀_Click();
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: // Enter in a date field runs the query with it
        if (watched != pvd시작 && watched != pvd종료) return false;
        cmd조회_Click();
        return true;
    default:
        return false;
    }
}

} // namespace pelmora
