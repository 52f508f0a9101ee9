// The drug grid of the main window driven with keys: drugs by code, by eight
// digits and by name through the search window, the empty line, the line
// defaults, the quantity and price rules, the prompts and the colours.

#include "app/KVSp.h"
#include "app/ModDrug.h"
#include "app/ModMain.h"
#include "app/frmDrug.h"
#include "app/frmMain.h"
#include "data/RefConnection.h"
#include "data/ReferenceFiles.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "util/Clock.h"

#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace pelmora;
using test::DrugRow;

namespace {
QWidget* focused() {
    return QApplication::focusWidget();
}

void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    // The press may close the editor or a window that held the focus.
    QPointer<QWidget> w = focused();
    QTest::keyPress(w.data(), k, m);
    if (QWidget* now = focused() ? focused() : w.data()) QTest::keyRelease(now, k, m);
}

// Hangul cannot go through keyClicks; every character goes as the text of a key.
void type(const QString& text) {
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// What the search window was opened with.
struct SearchSeen {
    int cls = -1;
    QString text, date;
};
} // namespace

class TestFrmMainDrug : public QObject {
    Q_OBJECT

    std::unique_ptr<test::RefFixture> fx;
    std::unique_ptr<SqliteRefConnection> ref;
    std::unique_ptr<test::RecordingMessage> box;
    std::unique_ptr<frmMain> w;
    QTimer* watcher = nullptr;
    QPointer<frmDrug> handled;
    bool answering = false;
    int ticks = 0;
    std::vector<SearchSeen> searches;
    // How the next search window is answered, polled until it says it is
    // done (it never waits itself: the window may be searching right under
    // it); without one the window is closed.
    std::function<bool(frmDrug&)> answer;

    KVSp& sp() { return *w->Sp처방; }
    QString cell(int r, int c, int kind = 0) {
        return QString::fromStdString(sp().Cell(r, c, kind).toText());
    }
    int combo(int r, int c) { return sp().Cell(r, c, 2).toInt16(); }

    // Types into a cell of the grid and presses Enter there.
    void enterCell(int r, int c, const QString& text) {
        // A closed search window hands the activation back as a window manager would.
        if (!w->isActiveWindow()) {
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w.get()));
        }
        sp().spGoCell(r, c);
        if (!text.isEmpty()) type(text);
        key(Qt::Key_Return);
    }
    // A new line with the drug typed into its name.
    void addDrug(const QString& text) {
        w->cmd추가_Click();
        enterCell(sp().MaxRows(), 2, text);
    }
    static bool takeFirst(frmDrug& d) {
        if (d.Sp상품->MaxRows() == 0 || focused() != d.sp상품) return false;
        key(Qt::Key_Return);
        return true;
    }
    void clickCell(int r, int c) {
        const QRect rect = w->sp처방->visualRect(sp().model()->index(r - 1, c - 1));
        QTest::mouseClick(w->sp처방->viewport(), Qt::LeftButton, {}, rect.center());
    }

  private slots:
    void initTestCase() {
        ApplyAppLook(*qobject_cast<QApplication*>(QCoreApplication::instance()));
        QVERIFY(!QFontDatabase::families(QFontDatabase::Korean).isEmpty());
    }

    void init() {
        Clock::freeze({2023, 3, 6, 10, 30, 0});
        fx = std::make_unique<test::RefFixture>();
        fx->notice("20230301")
            .drug({.code = "641900010", .name = "타이레놀정500mg(내복)", .price = "100"})
            .drug({.code = "652100020", .name = "케토톱플라스타(외용)", .price = "300", .unit = "1매"})
            .drug({.code = "A12345678", .name = "베아제정(내복)", .price = "80"})
            .drug({.code = "645000010",
                   .name = "훼스탈플러스정(내복)",
                   .price = "120",
                   .start = "20200101",
                   .end = "20221231"})
            .drug({.code = "645000010", .name = "훼스탈플러스정(내복)", .price = "120", .start = "20230101"})
            .drug({.code = "670000030",
                   .name = "무코스타정(내복)",
                   .price = "70",
                   .start = "20200101",
                   .end = "20201231"})
            .drug({.code = "670000030", .name = "무코스타정(내복)", .price = "75", .start = "20210101"})
            .drug({.code = "688000010", .name = "포장가루약(내복)", .price = "40", .unit = "1포"})
            .drug({.code = "699000010",
                   .name = "비타민주사(주사)",
                   .price = "500",
                   .start = "20200101",
                   .end = "20221231",
                   .coverage = "비급여"})
            .drug({.code = "699000010",
                   .name = "비타민주사(주사)",
                   .price = "700",
                   .start = "20230101",
                   .coverage = "비급여"})
            .pack("688000010");
        ref = std::make_unique<SqliteRefConnection>(fx->db(0));
        box = std::make_unique<test::RecordingMessage>();
        w = std::make_unique<frmMain>(*ref, true);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        searches.clear();
        answer = nullptr;
        watcher = new QTimer(this);
        watcher->setInterval(5);
        connect(watcher, &QTimer::timeout, this, [this] {
            auto* d = qobject_cast<frmDrug*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible() || answering) return;
            if (d != handled) {
                handled = d;
                ticks = 0;
                searches.push_back({d->cmbClass->currentIndex(), d->txtFind->text(), d->lab날짜->text()});
            }
            answering = true;
            if (!answer || answer(*d) || ++ticks > 600) {
                answer = nullptr;
                if (d->isVisible()) d->reject();
            }
            answering = false;
        });
        watcher->start();
    }
    void cleanup() {
        delete watcher;
        w.reset();
        box.reset();
        ref.reset();
        fx.reset();
        releaseProcessDrug();
        Clock::unfreeze();
    }

    void codeLookedUpDirectly_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("nine digits") << "641900010"
                                     << "641900010"
                                     << "타이레놀정500mg(내복)";
        QTest::newRow("eight digits") << "41900010"
                                      << "641900010"
                                      << "타이레놀정500mg(내복)";
        QTest::newRow("letter code") << "A12345678"
                                     << "A12345678"
                                     << "베아제정(내복)";
        QTest::newRow("lower case") << "a12345678"
                                    << "A12345678"
                                    << "베아제정(내복)";
    }
    void codeLookedUpDirectly() {
        QFETCH(QString, typed);
        QFETCH(QString, code);
        QFETCH(QString, name);
        addDrug(typed);
        QVERIFY(searches.empty());
        QCOMPARE(cell(1, 1), code);
        QCOMPARE(cell(1, 2), name);
        QCOMPARE(cell(1, 12), name);
        const QStringList line = {cell(1, 3), cell(1, 4), cell(1, 5), cell(1, 6), cell(1, 9)};
        QCOMPARE(line, QStringList({"1", "3", "1", "3", "1정"}));
        QCOMPARE(combo(1, 7), 0);
        QCOMPARE(combo(1, 8), 0);
        QVERIFY(w->bCodeEntry);
        QCOMPARE(sp().nMode, 1);
        QVERIFY(!sp().hangulEntry());
        QCOMPARE(sp().cCol(), 3); // on to the dose
        QVERIFY(!hasProcessDrug());
    }

    void priceAndAmountOfACoveredLine() {
        addDrug("641900010");
        QCOMPARE(cell(1, 10), QString("100"));
        QCOMPARE(cell(1, 11), QString("300"));
        QCOMPARE(cell(1, 14), QString("100"));
        QCOMPARE(cell(1, 15), QString("0"));
        QCOMPARE(cell(1, 13), QString("0"));
        QVERIFY(box->boxes.empty());
    }

    void nameThroughTheSearchWindow() {
        answer = takeFirst;
        addDrug("타이레놀");
        QCOMPARE(searches.size(), std::size_t(1));
        QCOMPARE(searches[0].cls, 1);
        QCOMPARE(searches[0].text, QString("타이레놀"));
        QCOMPARE(searches[0].date, QString("20230306"));
        QCOMPARE(cell(1, 1), QString("641900010"));
        QCOMPARE(cell(1, 10), QString("100"));
        QVERIFY(!w->bCodeEntry);
        QVERIFY(sp().hangulEntry());
    }

    // A drug name composed through an input method on the code column of a
    // new line goes into the drug name, as typed keys do, and is looked up.
    void hangulFromAnInputMethodOnTheCodeColumnReachesTheName() {
        addDrug("641900010");
        enterCell(1, 7, ""); // the line is complete: a new line, on its code
        QCOMPARE(sp().MaxRows(), 2);
        QCOMPARE(sp().cCol(), 1);
        const struct {
            const char* preedit;
            const char* commit;
        } syllables[] = {{"ㅌ", ""}, {"타", ""}, {"", "타"}, {"ㅇ", ""}, {"", "이"}};
        for (const auto& s : syllables) {
            QInputMethodEvent e(QString::fromUtf8(s.preedit), {});
            e.setCommitString(QString::fromUtf8(s.commit));
            QApplication::sendEvent(focused(), &e);
            QCOMPARE(sp().cRow(), 2);
            QCOMPARE(sp().cCol(), 2);
        }
        auto* editor = qobject_cast<QLineEdit*>(focused());
        QVERIFY(editor && w->sp처방->isAncestorOf(editor));
        QCOMPARE(editor->text(), QString("타이"));
        answer = takeFirst;
        key(Qt::Key_Return);
        QCOMPARE(searches.size(), std::size_t(1));
        QCOMPARE(searches[0].text, QString("타이"));
        QCOMPARE(searches[0].cls, 1);
        QCOMPARE(cell(2, 1), QString("641900010"));
    }

    // Two price rows valid on the day: the pharmacist chooses, here the
    // cheaper one, listed first by name (both rows have the same name).
    void codeWithTwoPriceRowsOpensTheSearch() {
        fx->drug({.code = "641900010", .name = "타이레놀정500mg(내복)", .price = "90", .start = "20230301"});
        answer = takeFirst;
        addDrug("641900010");
        QCOMPARE(searches.size(), std::size_t(1));
        QCOMPARE(searches[0].cls, 0);
        QCOMPARE(searches[0].text, QString("641900010"));
        QCOMPARE(cell(1, 1), QString("641900010"));
    }

    // Nothing taken in the search window: the line is emptied, and every text
    // reaches the search as text, never as SQL.
    void foundNowhereEmptiesTheLine_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("cls");
        QTest::addColumn<QString>("searched");
        QTest::newRow("unknown name") << "없는약" << 1 << "없는약";
        QTest::newRow("seven digits") << "7777777" << 0 << "7777777";
        QTest::newRow("ten digits") << "6419000100" << 0 << "6419000100";
        QTest::newRow("unknown code") << "B99999999" << 0 << "B99999999";
        QTest::newRow("quotes and SQL") << "타이' OR '1'='1" << 1 << "타이` OR `1`=`1";
        QTest::newRow("statement") << "x'; DROP TABLE DBF심평원약; --" << 1
                                   << "X`; DROP TABLE DBF심평원약; --";
    }
    void foundNowhereEmptiesTheLine() {
        QFETCH(int, cls);
        QFETCH(QString, searched);
        QFETCH(QString, typed);
        QString status;
        answer = [&status](frmDrug& d) {
            if (d.lab상태->text().isEmpty() || d.lab상태->text() == QString("상품 조회중.....")) return false;
            status = d.lab상태->text();
            QTest::keyClick(d.txtFind, Qt::Key_Escape);
            return true;
        };
        addDrug(typed);
        QCOMPARE(searches.size(), std::size_t(1));
        QCOMPARE(searches[0].cls, cls);
        QCOMPARE(searches[0].text, searched);
        QCOMPARE(status, QString("검색된 자료가 없습니다."));
        for (int c : {1, 2, 9, 12, 16})
            QCOMPARE(cell(1, c), QString());
        for (int c : {3, 4, 5, 6, 10, 11, 13, 14, 15})
            QCOMPARE(cell(1, c), QString("0"));
        QCOMPARE(combo(1, 7), 1);
        QCOMPARE(combo(1, 8), 1);
        QVERIFY(box->boxes.empty());
        addDrug("641900010"); // the price list is still there
        QCOMPARE(cell(1, 1), QString("641900010"));
    }

    void lineDefaultsFollowTheLastOralLine() {
        addDrug("641900010");
        type("2");
        key(Qt::Key_Return);
        type("3");
        key(Qt::Key_Return);
        type("5");
        key(Qt::Key_Return);
        QCOMPARE(cell(1, 6), QString("30"));
        QCOMPARE(cell(1, 11), QString("3000"));
        QCOMPARE(sp().cCol(), 6);
        key(Qt::Key_Return);
        QCOMPARE(sp().cCol(), 7);
        key(Qt::Key_Return); // the line is complete
        QCOMPARE(sp().MaxRows(), 2);
        QCOMPARE(sp().cRow(), 2);
        QCOMPARE(sp().cCol(), 1);
        type("645000010"); // typed on the code, it goes into the name
        key(Qt::Key_Return);
        QCOMPARE(cell(2, 1), QString("645000010"));
        QCOMPARE(QStringList({cell(2, 3), cell(2, 4), cell(2, 5), cell(2, 6)}),
                 QStringList({"2", "3", "5", "30"}));
        addDrug("652100020"); // external: always one of everything
        QCOMPARE(QStringList({cell(2 + 1, 3), cell(3, 4), cell(3, 5), cell(3, 6)}),
                 QStringList({"1", "1", "1", "1"}));
        QCOMPARE(combo(3, 8), 1);
        QCOMPARE(cell(3, 9), QString("1매"));
    }

    void enterOnAnUnchangedNameOnlyRecalculates() {
        addDrug("641900010");
        enterCell(1, 3, "4");
        const int runs = w->recalcCount();
        enterCell(1, 2, "");
        QCOMPARE(w->recalcCount(), runs + 1);
        QCOMPARE(cell(1, 3), QString("4"));
        QVERIFY(searches.empty());
    }

    void packUnitTotals_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("total");
        QTest::newRow("7.5 to 8") << "688000010"
                                  << "5"
                                  << "8";
        QTest::newRow("4.5 to 4") << "688000010"
                                  << "3"
                                  << "4";
        QTest::newRow("no pack unit") << "641900010"
                                      << "5"
                                      << "7.5";
    }
    void packUnitTotals() {
        QFETCH(QString, code);
        QFETCH(QString, days);
        QFETCH(QString, total);
        addDrug(code);
        enterCell(1, 3, "0.5");
        enterCell(1, 4, "3");
        enterCell(1, 5, days);
        QCOMPARE(cell(1, 6), total);
    }

    void priceDifference_data() {
        QTest::addColumn<int>("insClass");
        QTest::addColumn<QString>("weighted");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("difference");
        QTest::newRow("below the maximum") << 1 << "100"
                                           << "100"
                                           << "420";
        QTest::newRow("above the maximum") << 1 << "150"
                                           << "120"
                                           << "0";
        QTest::newRow("class 6") << 6 << "100"
                                 << "100"
                                 << "0";
        QTest::newRow("no number") << 1 << "백원"
                                   << "0"
                                   << "2520";
    }
    void priceDifference() {
        QFETCH(int, insClass);
        QFETCH(QString, weighted);
        QFETCH(QString, price);
        QFETCH(QString, difference);
        w->cmb보험종류->setCurrentIndex(insClass);
        addDrug("645000010"); // maximum price 120
        box->inputs = {weighted.toStdString()};
        clickCell(1, 10);
        QCOMPARE(box->boxes.size(), std::size_t(1));
        QCOMPARE(box->boxes[0].title, std::string("가중평균가"));
        QCOMPARE(box->boxes[0].text,
                 std::string("훼스탈플러스정(내복)\r\n\r\n약품의 가중평균가를 입력하십시오."));
        enterCell(1, 3, "1");
        enterCell(1, 4, "3");
        enterCell(1, 5, "10");
        QCOMPARE(cell(1, 10), price);
        QCOMPARE(cell(1, 15), difference);
        QCOMPARE(cell(1, 11), QString::number(price.toInt() * 30));
    }

    void emptyWeightedPriceKeepsThePrice() {
        addDrug("645000010");
        box->inputs = {""};
        clickCell(1, 10);
        QCOMPARE(cell(1, 10), QString("120"));
    }

    void nonCoveredPricePrompt_data() {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("price");
        QTest::newRow("typed") << QStringList{"650"} << "650";
        QTest::newRow("default: the price before") << QStringList{} << "500";
        QTest::newRow("no number") << QStringList{"육백"} << "0";
        QTest::newRow("below zero") << QStringList{"-5"} << "0";
    }
    void nonCoveredPricePrompt() {
        QFETCH(QStringList, answers);
        QFETCH(QString, price);
        for (const QString& a : answers)
            box->inputs.push_back(a.toStdString());
        addDrug("699000010");
        QCOMPARE(box->boxes.size(), std::size_t(1));
        QCOMPARE(box->boxes[0].title, std::string("단가입력"));
        QCOMPARE(box->boxes[0].text, std::string("비타민주사(주사) 약품의 단가를 입력하십시오."));
        QCOMPARE(cell(1, 10), price);
        QCOMPARE(cell(1, 14), QString("0"));
        QCOMPARE(combo(1, 7), 1);
        QCOMPARE(combo(1, 8), 2);
        QCOMPARE(cell(1, 11), price); // one of each for an injection
        QCOMPARE(sp().model()->foreColor(1, 15), std::int64_t(255));
    }

    void badQuantities_data() {
        QTest::addColumn<QString>("dose");
        QTest::addColumn<bool>("notANumber");
        QTest::newRow("Hangul") << "한알" << true;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("below zero") << "-1" << false;
    }
    void badQuantities() {
        QFETCH(QString, dose);
        QFETCH(bool, notANumber);
        addDrug("641900010");
        enterCell(1, 3, dose);
        if (notANumber) {
            QCOMPARE(box->boxes.size(), std::size_t(1));
            QCOMPARE(box->boxes[0].text, std::string("투약량, 횟수, 일수는 숫자로 입력해 주세요."));
            QCOMPARE(cell(1, 3), QString("0"));
        }
        QVERIFY(cell(1, 6).toDouble() <= 0);
        box->boxes.clear();
        enterCell(1, 7, "");
        QCOMPARE(box->boxes.size(), std::size_t(1));
        QCOMPARE(box->boxes[0].text, std::string("투약정보오류 [투약량/횟수/일수]를 정확히 입력해 주세요."));
        QCOMPARE(box->boxes[0].title, std::string("경고"));
        QCOMPARE(sp().cCol(), 2);
        QCOMPARE(sp().MaxRows(), 1);
    }

    void quantityPastMoneyIsTakenBack() {
        addDrug("641900010");
        enterCell(1, 3, "1e300");
        QCOMPARE(box->texts(), std::vector<std::string>{"투약량, 횟수, 일수가 너무 큽니다."});
        QCOMPARE(QStringList({cell(1, 3), cell(1, 6), cell(1, 11)}), QStringList({"0", "0", "0"}));
    }

    void enterInTimesOfAnEmptyLastLineAsksToSave() {
        w->cmd추가_Click();
        box->answers = {false};
        enterCell(1, 4, "");
        QCOMPARE(box->boxes.size(), std::size_t(1));
        QCOMPARE(box->boxes[0].text, std::string("저장하시겠습니까?"));
    }

    void deletingALine() {
        addDrug("641900010");
        addDrug("652100020");
        sp().spGoCell(1, 2);
        key(Qt::Key_F8);
        QCOMPARE(sp().MaxRows(), 1);
        QCOMPARE(cell(1, 1), QString("652100020"));
    }

    void coverageColours_data() {
        QTest::addColumn<QString>("coverage");
        QTest::addColumn<int>("index");
        QTest::addColumn<qint64>("colour");
        QTest::newRow("급여") << "급여" << 0 << qint64(0);
        QTest::newRow("100/100") << "100/100" << 2 << qint64(16711680);
        QTest::newRow("50/100") << "50/100" << 3 << qint64(16711935);
        QTest::newRow("90/100") << "90/100" << 6 << qint64(16711935);
        QTest::newRow("unknown text") << "기타" << 1 << qint64(255);
    }
    void coverageColours() {
        QFETCH(QString, coverage);
        QFETCH(int, index);
        QFETCH(qint64, colour);
        fx->drug({.code = "611100010", .name = "분류약(내복)", .coverage = coverage.toStdString()});
        box->inputs = {"100"};
        addDrug("611100010");
        QCOMPARE(combo(1, 7), index);
        QCOMPARE(sp().model()->foreColor(1, 15), colour);
        // The pharmacist picks another coverage: the colour follows.
        const int runs = w->recalcCount();
        const int other = index == 2 ? 0 : 2;
        sp().model()->setData(sp().model()->index(0, 6), other, Qt::EditRole);
        QCOMPARE(sp().model()->foreColor(1, 15), std::int64_t(other == 2 ? 16711680 : 0));
        QCOMPARE(w->recalcCount(), runs + 1);
    }

    void screenshotWithFiveTypedLines() {
        w->resize(1280, 800);
        box->inputs = {"650"};
        for (const char* code : {"641900010", "45000010", "652100020", "699000010"})
            addDrug(code);
        enterCell(1, 3, "2");
        answer = takeFirst;
        addDrug("무코스타");
        enterCell(5, 5, "3");
        QCOMPARE(searches.size(), std::size_t(1));
        QCOMPARE(sp().MaxRows(), 5);
        sp().spGoCell(5, 3);
        QTest::qWait(50);
        const QString dir = QString(PELMORA_BINARY_DIR) + "/screenshots";
        QDir().mkpath(dir);
        QVERIFY(w->grab().save(dir + "/frmMainDrug.png"));
        qInfo("screenshot: %s/frmMainDrug.png", qPrintable(dir));
    }
};

QTEST_MAIN(TestFrmMainDrug)
#include "TestFrmMainDrug.moc"
