// The drug search window driven with keys over a small price list.

#include "app/KVSp.h"
#include "app/ModDrug.h"
#include "app/frmDrug.h"
#include "data/RefConnection.h"
#include "data/ReferenceFiles.h"
#include "data/clsYakGa.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "util/Clock.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include <memory>

using namespace pelmora;
using test::DrugRow;

namespace {

// Records the pointer shape each box was shown under.
struct CursorMessage : test::RecordingMessage {
    std::vector<bool> busy;
    void plain(const std::string& text, const std::string& title) override {
        const QCursor* c = QApplication::overrideCursor();
        busy.push_back(c && c->shape() == Qt::WaitCursor);
        RecordingMessage::plain(text, title);
    }
};

struct Window {
    test::RefFixture fx;
    SqliteRefConnection cn{fx.db(0)};
    std::unique_ptr<frmDrug> w;
    Window() {
        fx.drug({.code = "641900010",
                 .name = "타이레놀정500mg(내복)",
                 .price = "50",
                 .start = "20200101",
                 .end = "20231231"})
            .drug({.code = "641900010",
                   .name = "타이레놀정500mg(내복)",
                   .price = "55",
                   .start = "20240101",
                   .oldCode = "A1"})
            .drug({.code = "652100020", .name = "케토톱플라스타(외용)", .price = "300", .maker = "한독"})
            .drug({.code = "670500030", .name = "세파졸린주1g(주사)", .price = "1250"})
            .drug({.code = "699900040", .name = "타이레놀시럽", .price = "10", .start = "20260101"});
        w = std::make_unique<frmDrug>(cn);
        w->lab날짜->setText(QStringLiteral("20250115"));
    }
    bool show() {
        w->show();
        w->activateWindow();
        return QTest::qWaitForWindowActive(w.get());
    }
    QWidget* focused() const { return QApplication::focusWidget() ? QApplication::focusWidget() : w.get(); }
    void type(const QString& text) {
        for (QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    void key(Qt::Key k) {
        QTest::keyPress(focused(), k);
        QTest::keyRelease(focused(), k);
    }
    // Class, text, Enter in txtFind.
    void search(int cls, const QString& text) {
        w->cmbClass->setCurrentIndex(cls);
        w->txtFind->setFocus();
        w->txtFind->clear();
        type(text);
        key(Qt::Key_Return);
    }
    QString cell(int r, int c) const { return QString::fromStdString(w->Sp상품->Cell(r, c, 1).toText()); }
    QString status() const { return w->lab상태->text(); }
};

} // namespace

class TestFrmDrug : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY(!QFontDatabase::families(QFontDatabase::Korean).isEmpty());
        Clock::freeze({2025, 1, 15, 10, 0, 0});
    }
    void cleanupTestCase() { Clock::unfreeze(); }
    void cleanup() { releaseProcessDrug(); }

    void loadsEmptyWithNameSearchChosen() {
        Window f;
        QCOMPARE(f.w->windowTitle(), QStringLiteral("상품조회"));
        QVERIFY(f.w->isModal());
        QCOMPARE(f.w->cmbClass->itemText(0), QStringLiteral("보험코드"));
        QCOMPARE(f.w->cmbClass->currentIndex(), 1);
        QCOMPARE(f.w->Sp상품->MaxRows(), 0);
        QCOMPARE(f.w->Sp상품->MaxCols(), 9);
        QCOMPARE(f.w->Sp상품->model()->header(1), QStringLiteral("약품명"));
        QCOMPARE(f.w->Sp상품->model()->header(9), QStringLiteral("구코드"));
    }

    void searchesByEachClass_data() {
        QTest::addColumn<int>("cls");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("firstCode");
        QTest::newRow("name, valid on the date only") << 1 << QStringLiteral("타이레놀") << 1 << "641900010";
        QTest::newRow("maker") << 2 << QStringLiteral("한독") << 1 << "652100020";
        QTest::newRow("code part") << 0 << QStringLiteral("6705") << 1 << "670500030";
        QTest::newRow("sorted by name") << 1 << QStringLiteral("(") << 3 << "670500030";
        QTest::newRow("quote and SQL text") << 1 << QStringLiteral("' or '1'='1") << 0 << "";
    }
    void searchesByEachClass() {
        QFETCH(int, cls);
        QFETCH(QString, text);
        QFETCH(int, rows);
        QFETCH(QString, firstCode);
        Window f;
        QVERIFY(f.show());
        QAbstractItemModelTester tester(f.w->Sp상품->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        f.search(cls, text);
        QCOMPARE(f.w->Sp상품->MaxRows(), rows);
        if (rows == 0) {
            QCOMPARE(f.status(), QStringLiteral("검색된 자료가 없습니다."));
            return;
        }
        QCOMPARE(f.status(), QStringLiteral("자료가 %1건 검색되었습니다.").arg(rows));
        QCOMPARE(f.cell(1, 3), firstCode);
        QCOMPARE(f.w->Sp상품->model()->header(3), QStringLiteral("표준코드"));
        QCOMPARE(QApplication::focusWidget(), f.w->sp상품);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void showsTheColumnsOfTheList() {
        Window f;
        QVERIFY(f.show());
        f.search(1, QStringLiteral("세파졸린"));
        QCOMPARE(f.cell(1, 1), QStringLiteral("세파졸린주1g(주사)"));
        QCOMPARE(f.cell(1, 2), QStringLiteral("한빛제약"));
        QCOMPARE(f.cell(1, 4), QStringLiteral("급여"));
        QCOMPARE(f.cell(1, 5), QStringLiteral("주사"));
        QCOMPARE(f.cell(1, 6), QStringLiteral("1,250"));
        QCOMPARE(QString::fromStdString(f.w->Sp상품->Cell(1, 6).toText()), QStringLiteral("1250"));
        QCOMPARE(f.cell(1, 7), QStringLiteral("20000101"));
        QCOMPARE(f.cell(1, 8), QStringLiteral("1정"));
    }

    void enterInTheGridTakesTheDrugWithItsStartDate() {
        Window f;
        QVERIFY(f.show());
        f.search(1, QStringLiteral("타이레놀"));
        f.key(Qt::Key_Return);
        QVERIFY(f.w->taken());
        QVERIFY(!f.w->isVisible());
        QCOMPARE(f.w->result(), int(QDialog::Accepted));
        QVERIFY(hasProcessDrug());
        clsYakGa& d = processDrug(f.cn);
        QVERIFY(d.FindResult);
        QCOMPARE(d.Mode, 0);
        QCOMPARE(d.vcYakCd, std::string("641900010"));
        QCOMPARE(d.vcYakDt, std::string("20240101"));
        QCOMPARE(d.mYakPr.toText(), std::string("55"));
    }

    void doubleClickTakesANewDrugObject() {
        Window f;
        clsYakGa* before = &processDrug(f.cn);
        before->vcYakCd = "stale";
        QVERIFY(f.show());
        f.search(2, QStringLiteral("한독"));
        const QRect r = f.w->sp상품->visualRect(f.w->Sp상품->model()->index(0, 0));
        QTest::mouseClick(f.w->sp상품->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(f.w->sp상품->viewport(), Qt::LeftButton, {}, r.center());
        QVERIFY(f.w->taken());
        QCOMPARE(processDrug(f.cn).vcYakCd, std::string("652100020"));
        QCOMPARE(processDrug(f.cn).mYakPr.toText(), std::string("300"));
    }

    void takingWithoutARowKeepsTheWindowOpen() {
        Window f;
        QVERIFY(f.show());
        f.search(1, QStringLiteral("없는약"));
        f.w->cmd확인_Click();
        f.w->sp상품->setFocus();
        f.key(Qt::Key_Return);
        QVERIFY(!f.w->taken());
        QVERIFY(f.w->isVisible());
        QVERIFY(!hasProcessDrug());
    }

    void functionKeys() {
        Window f;
        QVERIFY(f.show());
        f.w->txtFind->setText(QStringLiteral("케토톱"));
        f.key(Qt::Key_F3);
        QCOMPARE(f.w->Sp상품->MaxRows(), 1);
        QCOMPARE(QApplication::focusWidget(), f.w->sp상품);
        f.key(Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), f.w->txtFind);
        QCOMPARE(f.w->txtFind->selectedText(), QStringLiteral("케토톱"));
        QVERIFY(f.w->txtFind->palette().color(QPalette::Base) !=
                f.w->sp상품->palette().color(QPalette::Base));
        f.key(Qt::Key_F11);
        QCOMPARE(QApplication::focusWidget(), f.w->sp상품);
        f.key(Qt::Key_Escape);
        QVERIFY(!f.w->isVisible());
        QVERIFY(!f.w->taken());
        QCOMPARE(f.w->result(), int(QDialog::Rejected));
    }

    // The window searches when it first stands on the screen, never again
    // when it is merely activated (as after a message box closes).
    void presetTextSearchesOnceWhenShown() {
        Window f;
        f.w->txtFind->setText(QStringLiteral("  타이레놀 "));
        QVERIFY(f.show());
        QTRY_COMPARE(f.w->Sp상품->MaxRows(), 1);
        f.fx.drug({.code = "641900099", .name = "타이레놀8시간(내복)"});
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(f.w.get(), &activate);
        f.w->hide();
        QVERIFY(f.show());
        QTest::qWait(20);
        QCOMPARE(f.w->Sp상품->MaxRows(), 1);
    }

    void failingSearchIsReportedUnderTheBusyPointer() {
        CursorMessage msg;
        Window f;
        QVERIFY(f.show());
        f.search(1, QStringLiteral("타이레놀"));
        QCOMPARE(f.w->Sp상품->MaxRows(), 1);
        f.fx.exec(ReferenceFiles::kDrug, "DROP TABLE DBF심평원약");
        f.key(Qt::Key_F2);
        f.key(Qt::Key_Return);
        QCOMPARE(msg.busy.size(), std::size_t(1));
        QVERIFY(msg.boxes[0].text.starts_with("clsYakGa : RecordList "));
        QVERIFY(msg.busy[0]);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(f.w->Sp상품->MaxRows(), 0);
        QCOMPARE(f.status(), QStringLiteral("상품 조회중....."));
    }

    // From the grid or the text, a search that finds nothing leaves the
    // text ready to be corrected.
    void nothingFoundLeavesTheFocusInTheSearchText() {
        Window f;
        QVERIFY(f.show());
        f.search(1, QStringLiteral("타이레놀"));
        QCOMPARE(QApplication::focusWidget(), f.w->sp상품);
        f.w->txtFind->setText(QStringLiteral("없는약"));
        f.key(Qt::Key_F3);
        QCOMPARE(f.status(), QStringLiteral("검색된 자료가 없습니다."));
        QCOMPARE(QApplication::focusWidget(), f.w->txtFind);
        QCOMPARE(f.w->txtFind->selectedText(), QStringLiteral("없는약"));
        f.search(1, QStringLiteral("또없는약"));
        QCOMPARE(QApplication::focusWidget(), f.w->txtFind);
    }

    // A long list shows its count and first rows at once and fills in the
    // rest while the window is idle, in the list's order.
    void aLongListFillsInAfterItsFirstScreenful() {
        Window f;
        for (int i = 0; i < 700; ++i)
            f.fx.drug({.code = std::to_string(660000000 + i), .name = "긴목록정" + std::to_string(1000 + i)});
        QVERIFY(f.show());
        QAbstractItemModelTester tester(f.w->Sp상품->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        f.search(1, QStringLiteral("긴목록"));
        QCOMPARE(f.status(), QStringLiteral("자료가 700건 검색되었습니다."));
        QVERIFY(f.w->Sp상품->MaxRows() < 700);
        QVERIFY(f.w->filling());
        QTRY_COMPARE(f.w->Sp상품->MaxRows(), 700);
        QVERIFY(!f.w->filling());
        for (int r = 1; r <= 700; r += 99)
            QCOMPARE(f.cell(r, 3), QString::number(660000000 + r - 1));
        // Enter takes the drug of the row it stands on
        f.w->Sp상품->spGoCell(650, 1);
        f.key(Qt::Key_Return);
        QCOMPARE(processDrug(f.cn).vcYakCd, std::string("660000649"));
    }

    void screenshot() {
        Window f;
        QVERIFY(f.show());
        f.search(1, QStringLiteral("정"));
        const QString dir = QStringLiteral(PELMORA_BINARY_DIR "/screenshots");
        QDir().mkpath(dir);
        QVERIFY(f.w->grab().save(dir + QStringLiteral("/frmDrug.png")));
    }
};

QTEST_MAIN(TestFrmDrug)
#include "TestFrmDrug.moc"
