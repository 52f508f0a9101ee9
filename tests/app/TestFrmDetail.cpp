// The detail window: its grid's layout, the amounts written into it, and
// where it stands beside the main window.

#include "app/KVSp.h"
#include "app/frmDetail.h"

#include <QAbstractItemModelTester>
#include <QFontDatabase>
#include <QTableView>
#include <QtTest>

using namespace pelmora;

namespace {
DetailBreakdown sample() {
    DetailBreakdown b;
    for (int r = 0; r < DetailBreakdown::kRows; ++r)
        for (int c = 0; c < DetailBreakdown::kCols; ++c)
            b.cell[r][c] = Currency::fromWon(1000 * (r + 1) + c);
    b.cell[7][0] = Currency::parse("99.9");
    b.cell[5][3].reset();
    return b;
}
} // namespace

class TestFrmDetail : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(!QFontDatabase::families(QFontDatabase::Korean).isEmpty()); }

    void gridHasTheCaptionsOfTheBreakdown() {
        frmDetail w;
        QCOMPARE(w.windowTitle(), QStringLiteral("상세계산"));
        QCOMPARE(w.Sp약제비->MaxRows(), 8);
        QCOMPARE(w.Sp약제비->MaxCols(), 5);
        const QStringList cols{"항목", "본인부담금", "공단부담금", "100:100", "비급여"};
        for (int c = 1; c <= 5; ++c)
            QCOMPARE(w.Sp약제비->model()->header(c), cols[c - 1]);
        const QStringList rows{"약품비", "조제기본료", "복약지도료",        "조제료",
                               "관리료", "선별급여",   "65세 이상 등 정액", "기타"};
        for (int r = 1; r <= 8; ++r)
            QCOMPARE(QString::fromStdString(w.Sp약제비->Cell(r, 1).toText()), rows[r - 1]);
    }

    void writesEveryAmountAsMoneyAndClearsEmptyCells() {
        frmDetail w;
        QAbstractItemModelTester tester(w.Sp약제비->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        w.Sp약제비->setCell(6, 5, std::string("stale"));
        w.showBreakdown(sample());
        QCOMPARE(w.Sp약제비->Cell(1, 2).toText(), std::string("1000"));
        QCOMPARE(w.Sp약제비->Cell(4, 5).toText(), std::string("4003"));
        QCOMPARE(w.Sp약제비->Cell(8, 2).toText(), std::string("99.9"));
        QCOMPARE(w.Sp약제비->Cell(4, 5, 1).toText(), std::string("4,003"));
        QCOMPARE(w.Sp약제비->Cell(6, 5).toText(), std::string());
        QCOMPARE(w.Sp약제비->Cell(1, 1).toText(), std::string("약품비"));
        // Every call overwrites all 32 cells.
        w.showBreakdown(DetailBreakdown{});
        for (int r = 1; r <= 8; ++r)
            for (int c = 2; c <= 5; ++c)
                QCOMPARE(w.Sp약제비->Cell(r, c).toText(), std::string());
    }

    // Beside the main window where the screen has room, else the main window
    // moves along or gives up room; the two never overlap and both stay on
    // the screen.
    void neverCoversTheMainWindow_data() {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("mainAfter");
        QTest::addColumn<QPoint>("detail");
        const QRect hd(0, 0, 1920, 1080), laptop(0, 0, 1280, 800);
        QTest::newRow("1920x1080: right of it")
            << QRect(0, 0, 1280, 800) << hd << QRect(0, 0, 1280, 800) << QPoint(1280, 0);
        QTest::newRow("1920x1080: left of it")
            << QRect(600, 100, 1280, 800) << hd << QRect(600, 100, 1280, 800) << QPoint(40, 100);
        QTest::newRow("1920x1080: moved along")
            << QRect(300, 20, 1280, 800) << hd << QRect(80, 20, 1280, 800) << QPoint(1360, 20);
        QTest::newRow("1920x1080, full width: below it")
            << QRect(0, 0, 1920, 700) << hd << QRect(0, 0, 1920, 700) << QPoint(1360, 700);
        QTest::newRow("1280x800: the main window gives up height")
            << QRect(0, 0, 1280, 800) << laptop << QRect(0, 0, 1280, 600) << QPoint(720, 600);
        QTest::newRow("1280x800 below a panel") << QRect(0, 30, 1280, 770) << QRect(0, 30, 1280, 770)
                                                << QRect(0, 30, 1280, 570) << QPoint(720, 600);
        QTest::newRow("too low for that: it gives up width")
            << QRect(0, 0, 1280, 700) << QRect(0, 0, 1280, 700) << QRect(0, 0, 720, 700) << QPoint(720, 0);
        QTest::newRow("second screen") << QRect(1930, 50, 1040, 700) << QRect(1920, 0, 1920, 1080)
                                       << QRect(1930, 50, 1040, 700) << QPoint(2970, 50);
    }
    void neverCoversTheMainWindow() {
        QFETCH(QRect, main);
        QFETCH(QRect, screen);
        QFETCH(QRect, mainAfter);
        QFETCH(QPoint, detail);
        const QSize detailSize(560, 200), minimum(700, 560);
        const DetailPlacement p = detailPlacement(main, minimum, detailSize, screen);
        QCOMPARE(p.mainFrame, mainAfter);
        QCOMPARE(p.detailCorner, detail);
        QVERIFY(!p.mainFrame.intersects(QRect(p.detailCorner, detailSize)));
        QVERIFY(screen.contains(p.mainFrame) && screen.contains(QRect(p.detailCorner, detailSize)));
    }

    void screenshot() {
        frmDetail w;
        w.showBreakdown(sample());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.grab().save(QStringLiteral(PELMORA_BINARY_DIR "/frmDetail.png")));
    }
};

QTEST_MAIN(TestFrmDetail)
#include "TestFrmDetail.moc"
