// The grid wrapper over a small window of its own, driven with keys and the mouse.

#include "app/KVSp.h"
#include "support/RecordingMessage.h"
#include "support/TempDir.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QVBoxLayout>
#include <QtTest>

#include <fstream>
#include <memory>

using namespace pelmora;

namespace {
struct Grid {
    QWidget window;
    QTableView* view = new QTableView(&window);
    KVSp sp;
    explicit Grid(int rows = 3, int cols = 4, int mode = 0, int col = 0) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(view);
        window.resize(640, 400);
        sp.SpSet(view, mode, col);
        sp.setMaxCols(cols);
        sp.setMaxRows(rows);
    }
    bool showActive() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    void typeText(const QString& text) {
        for (QChar ch : text) QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    QWidget* focused() { return QApplication::focusWidget() ? QApplication::focusWidget() : view; }
    // Press and release each go to the widget that has the focus then, as a
    // keyboard's do: Enter closes the cell editor between the two.
    void key(Qt::Key k) {
        QTest::keyPress(focused(), k);
        QTest::keyRelease(focused(), k);
    }
    QString text(int r, int c) const { return QString::fromStdString(sp.Cell(r, c, 1).toText()); }
};

RecordSet numbered(long n) {
    std::vector<std::vector<Variant>> rows(static_cast<std::size_t>(n));
    for (long i = 0; i < n; ++i) rows[static_cast<std::size_t>(i)] = {Variant(static_cast<std::int32_t>(i + 1)), Variant(static_cast<std::int32_t>((i * 7) % 1000))};
    return RecordSet({"번호", "값"}, std::move(rows));
}
} // namespace

class TestKVSp : public QObject {
    Q_OBJECT
private slots:
    void koreanFontIsInstalled() { QVERIFY(!QFontDatabase::families(QFontDatabase::Korean).isEmpty()); }

    void cellKinds() {
        Grid g;
        g.sp.setCell(1, 1, 1, Variant("  7  "));
        QCOMPARE(g.text(1, 1), QString("7"));
        g.sp.setCell(1, 2, Variant("  7  "));
        QCOMPARE(g.sp.Cell(1, 2).toText(), std::string("  7  "));
        QVERIFY(g.sp.Cell(-1, 1).isEmpty());
        g.sp.setCell(-1, 1, Variant("x")); // ignored
        g.sp.spCellType(2, 1, 12);
        g.sp.setCell(2, 1, 1, Variant("1234567"));
        QCOMPARE(g.text(2, 1), QString("1,234,567"));
        QCOMPARE(g.sp.Cell(2, 1).toText(), std::string("1234567"));
        g.sp.spCellType(2, 2, 13);
        g.sp.setCell(2, 2, Variant(Currency::fromWon(-98765)));
        QCOMPARE(g.text(2, 2), QString("-98765"));
        g.sp.spCellType(2, 3, 99);
        QCOMPARE(g.sp.spCellType(2, 3), 1);
        g.sp.spComboFill(-1, 4, "급여,비급여,100/100");
        g.sp.setCell(3, 4, 2, Variant(static_cast<std::int16_t>(1)));
        QCOMPARE(g.sp.Cell(3, 4, 2).toInt16(), std::int16_t(1));
        QCOMPARE(g.text(3, 4), QString("비급여"));
        QCOMPARE(g.sp.Cell(3, 4).toText(), std::string("비급여"));
        QCOMPARE(g.sp.Cell(1, 4, 2).toInt16(), std::int16_t(-1));
        g.sp.setCell(0, 4, Variant("보험구분"));
        QCOMPARE(g.view->model()->headerData(3, Qt::Horizontal).toString(), QString("보험구분"));
        g.sp.spForeColor(1, 1, 16711680);
        QCOMPARE(g.view->model()->index(0, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0, 0, 255));
        g.sp.spCellColorSingle(1, 2, 12632319);
        QCOMPARE(g.view->model()->index(0, 1).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(255, 192, 192));
    }

    void sumsInMoney() {
        Grid g(4, 2);
        QCOMPARE(Grid(0, 2).sp.spRowSum(-1, 0, 1), Currency{});
        g.sp.spCellType(-1, 1, 12);
        const char* values[] = {"1,234,567", "1000", "", "abc"};
        for (int r = 1; r <= 4; ++r) g.sp.setCell(r, 1, 1, Variant(values[r - 1]));
        QCOMPARE(g.text(1, 1), QString("1,234,567"));
        QCOMPARE(g.sp.spRowSum(-1, 0, 1), Currency::fromWon(1235567));
        QCOMPARE(g.sp.spRowSum(2, 3, 1), Currency::fromWon(1000));
        g.sp.setCell(1, 2, Variant("0.1"));
        g.sp.setCell(2, 2, Variant("0.2"));
        QCOMPARE(g.sp.spRowSum(-1, 0, 2), Currency::parse("0.3"));
        QCOMPARE(g.sp.spColSum(1, 2, 1), Currency::parse("1234567.1"));
    }

    void insertAndDelete() {
        Grid g(3, 3);
        g.showActive();
        for (int r = 1; r <= 3; ++r) g.sp.setCell(r, 1, Variant(std::to_string(r)));
        g.sp.spDelRow(3);
        QCOMPARE(g.sp.MaxRows(), 2);
        g.sp.spInsRow(2);
        QCOMPARE(g.sp.MaxRows(), 3);
        QCOMPARE(g.sp.Cell(2, 1).toText(), std::string(""));
        QCOMPARE(g.sp.Cell(3, 1).toText(), std::string("2"));
        QCOMPARE(g.sp.RowHeight(2), 10.5);
        g.sp.DefaultRowHeight = 12;
        g.sp.spInsRow(1);
        QCOMPARE(g.sp.RowHeight(1), 12.0);
        g.sp.spGoCell(2, 1);
        g.sp.spDelRow(); // the active row
        QCOMPARE(g.sp.Cell(2, 1).toText(), std::string(""));
        QCOMPARE(g.sp.MaxRows(), 3);
        g.sp.setCell(1, 2, Variant("b"));
        g.sp.spInsCol(2);
        QCOMPARE(g.sp.MaxCols(), 4);
        QCOMPARE(g.sp.Cell(1, 3).toText(), std::string("b"));
        g.sp.spDelCol(1);
        QCOMPARE(g.sp.Cell(1, 2).toText(), std::string("b"));
        QCOMPARE(g.sp.spOverLapPing(2, " b ", 0), 1);
        QCOMPARE(g.sp.spOverLapPing(2, "b", 0, 1), 0);
        QCOMPARE(Grid(0, 2).sp.spOverLapPing(1, "", 0), 0);
    }

    void lockedCellsRefuseTyping() {
        Grid g(2, 3);
        QVERIFY(g.showActive());
        g.sp.spLock(-1, 2, true);
        g.sp.spLock(2, 3, 2, 3, true);
        QSignalSpy change(&g.sp, &KVSp::Change);
        for (auto [r, c] : {std::pair{1, 2}, std::pair{2, 2}, std::pair{2, 3}}) {
            g.sp.spGoCell(r, c);
            g.typeText("x");
            g.key(Qt::Key_Tab);
            QCOMPARE(g.sp.Cell(r, c).toText(), std::string(""));
        }
        g.sp.spGoCell(1, 3);
        g.typeText("y");
        g.key(Qt::Key_Return);
        QCOMPARE(g.sp.Cell(1, 3).toText(), std::string("y"));
        QCOMPARE(change.count(), 1);
        g.sp.spLock(-1, 2, false);
        QVERIFY(g.view->model()->flags(g.view->model()->index(0, 1)) & Qt::ItemIsEditable);
    }

    void headerClickSortsBelowFixedRows() {
        Grid g(5, 2);
        g.sp.HeaderClickMode = 2;
        g.sp.FixedRows = 1;
        QTableView view2;
        g.sp.SpSet(&view2); // binding again applies the settings
        const char* nums[] = {"합계", "30", "4", "100", ""};
        const char* names[] = {"", "나", "가", "다", "라"};
        for (int r = 1; r <= 5; ++r) {
            g.sp.setCell(r, 1, Variant(nums[r - 1]));
            g.sp.setCell(r, 2, Variant(names[r - 1]));
        }
        view2.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view2));
        QSignalSpy click(&g.sp, &KVSp::Click), change(&g.sp, &KVSp::Change);
        auto clickHeader = [&](int section) {
            QHeaderView* h = view2.horizontalHeader();
            QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(section) + 5, 5));
        };
        auto column = [&](int c) {
            QStringList s;
            for (int r = 1; r <= 5; ++r) s << QString::fromStdString(g.sp.Cell(r, c).toText());
            return s;
        };
        clickHeader(0);
        QCOMPARE(column(1), QStringList({"합계", "", "4", "30", "100"}));
        clickHeader(0);
        QCOMPARE(column(1), QStringList({"합계", "100", "30", "4", ""}));
        clickHeader(1);
        QCOMPARE(column(2), QStringList({"", "가", "나", "다", "라"}));
        QCOMPARE(click.count(), 0);
        QCOMPARE(change.count(), 0);
    }

    void enterArrowAndMouseEvents() {
        Grid g(2, 3);
        QVERIFY(g.showActive());
        QSignalSpy enter(&g.sp, &KVSp::KeyDownEnter), keyDown(&g.sp, &KVSp::KeyDown), rowSel(&g.sp, &KVSp::RowSelect),
            change(&g.sp, &KVSp::Change), click(&g.sp, &KVSp::Click), mouseUp(&g.sp, &KVSp::MouseUp),
            dbl(&g.sp, &KVSp::DblClick);
        std::string seenAtEnter;
        connect(&g.sp, &KVSp::KeyDownEnter, this, [&](int r, int c) { seenAtEnter = g.sp.Cell(r, c).toText(); });
        g.sp.spGoCell(1, 2);
        g.typeText("타이레놀");
        g.key(Qt::Key_Return);
        QCOMPARE(seenAtEnter, std::string("타이레놀")); // committed before the handler runs
        QCOMPARE(enter.count(), 1);
        QCOMPARE(enter.at(0).at(0).toInt(), 1);
        QCOMPARE(enter.at(0).at(1).toInt(), 2);
        QCOMPARE(change.count(), 1);
        QCOMPARE(change.at(0).at(0).toInt(), 2); // column first
        QCOMPARE(g.sp.cCol(), 3);                // the grid moves on when the handler did not
        QCOMPARE(rowSel.count(), 1);
        QVERIFY(keyDown.isEmpty() || keyDown.last().at(0).toInt() != 13);
        g.key(Qt::Key_Down);
        QCOMPARE(g.sp.cRow(), 2);
        QCOMPARE(rowSel.count(), 2);
        QCOMPARE(rowSel.last().at(0).toInt(), 2);
        g.key(Qt::Key_Left); // 37 is not one of the RowSelect keys
        QCOMPARE(rowSel.count(), 2);
        QCOMPARE(keyDown.last().at(0).toInt(), 37);

        const QRect cell = g.view->visualRect(g.view->model()->index(0, 0));
        QTest::mouseClick(g.view->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(click.count(), 1);
        QCOMPARE(click.last().at(1).toInt(), 1);
        QCOMPARE(mouseUp.count(), 1);
        QCOMPARE(rowSel.last().at(0).toInt(), 1);
        QTest::mouseDClick(g.view->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(dbl.count(), 1);

        // A handler that moves the cell keeps it there.
        connect(&g.sp, &KVSp::KeyDownEnter, this, [&](int r, int) { g.sp.spGoCell(r, 1); });
        g.sp.spGoCell(2, 2);
        g.key(Qt::Key_Return);
        QCOMPARE(g.sp.cCol(), 1);
    }

    void comboChoiceIsAChange() {
        Grid g(1, 2);
        QVERIFY(g.showActive());
        g.sp.spComboFill(-1, 2, "내복,외용,주사");
        QSignalSpy change(&g.sp, &KVSp::Change);
        g.sp.spGoCell(1, 2);
        g.view->edit(g.view->currentIndex());
        auto* combo = qobject_cast<QComboBox*>(QApplication::focusWidget());
        QVERIFY(combo);
        combo->setCurrentIndex(2);
        emit combo->activated(2);
        QCOMPARE(change.count(), 1);
        QCOMPARE(g.sp.Cell(1, 2, 2).toInt16(), std::int16_t(2));
        QCOMPARE(g.text(1, 2), QString("주사"));
    }

    void writesFromCodeAreSilent() {
        Grid g(3, 3);
        QSignalSpy change(&g.sp, &KVSp::Change);
        g.sp.setCell(1, 1, Variant("a"));
        g.sp.setCell(1, 2, 1, Variant("b"));
        g.sp.spComboFill(2, 3, "x,y");
        g.sp.setCell(2, 3, 2, Variant(static_cast<std::int16_t>(1)));
        g.sp.spCellType(3, 1, 12);
        g.sp.spSort(1, 1, 3, false);
        g.sp.spRsBound(numbered(3));
        QVERIFY(change.isEmpty());
    }

    void inputMethodFollowsTheColumn() {
        Grid g(2, 3, 1, 2);
        QVERIFY(g.showActive());
        g.sp.spGoCell(1, 1);
        g.key(Qt::Key_Down);
        QVERIFY(g.sp.hangulEntry());
        g.key(Qt::Key_Up);
        g.key(Qt::Key_Right);
        QCOMPARE(g.sp.cCol(), 2);
        QVERIFY(!g.sp.hangulEntry());
        QVERIFY(g.view->inputMethodHints() & Qt::ImhPreferLatin);
        g.sp.nMode = 0; // the drug grid's code-entry flag turns it back to Hangul
        g.key(Qt::Key_Down);
        QVERIFY(g.sp.hangulEntry());
    }

    void millionRecordsShowLazily() {
        Grid g;
        g.sp.spRsBound(numbered(1000000));
        QCOMPARE(g.sp.MaxRows(), 1000000);
        QCOMPARE(g.sp.MaxCols(), 2);
        QCOMPARE(g.sp.Cell(1000000, 1).toText(), std::string("1000000"));
        QCOMPARE(g.sp.Cell(0, 2).toText(), std::string("값"));
        QCOMPARE(g.sp.cRow(), 1);
        QVERIFY(g.showActive());
        g.view->scrollToBottom();
        QVERIFY(!g.window.grab().isNull());
        QCOMPARE(g.sp.model()->materialisedRows(), std::size_t(0));
        g.sp.setCell(500000, 2, Variant("바뀜"));
        QCOMPARE(g.sp.model()->materialisedRows(), std::size_t(1));
        QCOMPARE(g.sp.Cell(500000, 1).toText(), std::string("500000"));
        QCOMPARE(g.sp.spRowSum(1, 3, 2), Currency::fromWon(0 + 7 + 14));
    }

    void modelPassesTheTester() {
        Grid g(0, 0);
        QAbstractItemModelTester tester(g.sp.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        g.sp.setMaxCols(5);
        g.sp.setMaxRows(20);
        g.sp.spComboFill(-1, 3, "a,b");
        g.sp.spCellType(-1, 4, 12);
        g.sp.spCellType(1, 5, 10);
        for (int r = 1; r <= 20; ++r) g.sp.setCell(r, 1, Variant(std::to_string((r * 37) % 11)));
        g.sp.spSort(1, 2, 20, true);
        g.sp.spInsRow(5);
        g.sp.spDelRow(1);
        g.sp.spInsCol(2);
        g.sp.spDelCol(6);
        g.sp.spRsBound(numbered(50));
        g.sp.spSort(2, 1, 50, false);
        g.sp.setMaxRows(10);
        g.sp.setMaxCols(1);
    }

    void exportImportRoundTrip() {
        test::TempDir dir;
        test::RecordingMessage box;
        Grid a(3, 4);
        a.sp.spCellType(-1, 3, 12);
        a.sp.spComboFill(-1, 4, "내복,외용");
        const char* heads[] = {"코드", "약품명", "금액", "복용구분"};
        for (int c = 1; c <= 4; ++c) a.sp.setCell(0, c, Variant(heads[c - 1]));
        a.sp.setCell(1, 1, Variant("0000000001"));
        a.sp.setCell(1, 2, Variant("타이레놀정500mg"));
        a.sp.setCell(1, 3, Variant("1234567"));
        a.sp.setCell(1, 4, 2, Variant(static_cast<std::int16_t>(1)));
        a.sp.setCell(3, 2, Variant("끝 줄"));
        const QString file = QString::fromStdString(dir.file("목록.xlsx"));
        QVERIFY(a.sp.spExportToExcel(file));
        QCOMPARE(box.texts().back(), std::string("엑셀파일로 저장하였습니다."));

        Grid b(0, 4);
        b.sp.spCellType(-1, 3, 12);
        b.sp.spComboFill(-1, 4, "내복,외용");
        box.answers = {true};
        QSignalSpy change(&b.sp, &KVSp::Change);
        QVERIFY(b.sp.spImportToExcel(file));
        QCOMPARE(box.boxes.back().text, std::string("엑셀파일을 읽어오시겠습니까?"));
        QCOMPARE(b.sp.MaxRows(), 3);
        for (int r = 0; r <= 3; ++r)
            for (int c = 1; c <= 4; ++c) QCOMPARE(b.text(r, c), a.text(r, c));
        QCOMPARE(b.sp.Cell(1, 4, 2).toInt16(), std::int16_t(1));
        QCOMPARE(b.sp.Cell(2, 2).toText(), std::string(""));
        QVERIFY(change.isEmpty());

        std::ofstream(dir.file("plain.xlsx")) << "not a workbook";
        box.answers = {true};
        QVERIFY(!b.sp.spImportToExcel(QString::fromStdString(dir.file("plain.xlsx"))));
        QCOMPARE(box.texts().back(), std::string("엑셀파일이 아니거나 잠겨있어 읽어올수 없습니다."));
        QCOMPARE(b.sp.MaxRows(), 3); // nothing half-read
        box.answers = {false};
        QVERIFY(!b.sp.spImportToExcel(file));
        QVERIFY(!a.sp.spExportToExcel(QString::fromStdString(dir.file("no/such/dir/x.xlsx"))));
        QVERIFY(box.texts().back().starts_with("엑셀파일로 저장하지 못하였습니다.\nspExportToExcel  : "));
    }
};

QTEST_MAIN(TestKVSp)
#include "TestKVSp.moc"
