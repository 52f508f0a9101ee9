// The window-level helpers: focus colours and input method, finding a combo
// entry, the progress bar and the window shapes.

#include "app/CtFunctions.h"
#include "app/WinColor.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace pelmora;

class TestCtFunctions : public QObject {
    Q_OBJECT
private slots:
    void focusColoursAndInputMethod() {
        QLineEdit e;
        e.setText("12345");
        CtFocusOn(&e, true, 1, true);
        QCOMPARE(e.palette().color(QPalette::Base), QColor(0x3C, 0xA0, 0xFF)); // &HFFA03C
        QCOMPARE(e.palette().color(QPalette::Text), QColor(0xFF, 0xFF, 0xC0)); // &HC0FFFF
        QVERIFY(e.inputMethodHints() & Qt::ImhPreferLatin);
        QCOMPARE(e.selectedText(), QString("12345"));
        CtFocusOn(&e, false);
        QCOMPARE(e.palette().color(QPalette::Base), winColor(kSysWindowBack));
        CtFocusOn(&e, true, 0);
        QCOMPARE(e.inputMethodHints(), Qt::ImhNone);
        e.setInputMethodHints(Qt::ImhDigitsOnly);
        CtFocusOn(&e, true, 2); // mode 2 leaves the input method alone
        QCOMPARE(e.inputMethodHints(), Qt::ImhDigitsOnly);
        QDateEdit d;
        CtFocusOn(&d, true);
        QCOMPARE(d.palette().color(QPalette::Base), QColor(0x3C, 0xA0, 0xFF));
    }

    void comboIndexFind_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("expected");
        QTest::newRow("whole text") << "M003" << 0 << 0 << 3;
        QTest::newRow("first characters") << "B0" << 1 << 2 << 4;
        QTest::newRow("last characters") << "099" << 2 << 3 << 5;
        QTest::newRow("no match selects none") << "Z999" << 0 << 0 << -1;
        QTest::newRow("a part is not the whole") << "M00" << 0 << 0 << -1;
    }
    void comboIndexFind() {
        QFETCH(QString, text);
        QFETCH(int, mode);
        QFETCH(int, length);
        QFETCH(int, expected);
        QComboBox c;
        c.addItems({"해당없음", "M001", "M002", "M003", "B001", "B099"});
        c.setCurrentIndex(1);
        QSignalSpy changed(&c, &QComboBox::currentIndexChanged);
        QCOMPARE(CtComboBoxIndexFind(&c, text, mode, length), expected);
        QCOMPARE(c.currentIndex(), expected);
        QVERIFY(changed.count() <= 1); // only the match is selected, not every entry on the way
    }

    void progressAndShapes() {
        QLabel bar;
        bar.resize(100, 16);
        CtPicProgress(&bar, 150);
        QVERIFY(!bar.pixmap().isNull());
        QCOMPARE(bar.pixmap().toImage().pixelColor(99, 8), bar.palette().color(QPalette::Highlight));
        CtPicProgress(&bar, 0, true);
        QVERIFY(bar.pixmap().isNull());
        QWidget w;
        w.resize(100, 100);
        WDCircle(&w);
        QVERIFY(!w.mask().contains(QPoint(1, 1)));
        QVERIFY(w.mask().contains(QPoint(50, 50)));
        QLineEdit locked(&w);
        locked.setReadOnly(true);
        CtLockColorChange(&w);
        QCOMPARE(locked.palette().color(QPalette::Base), winColor(0xE0E0E0));
    }
};

QTEST_MAIN(TestCtFunctions)
#include "TestCtFunctions.moc"
