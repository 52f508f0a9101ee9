// The main window driven with keys: the Enter path, the field rules, the
// insurance lists, the keys that reset and close, and the layout at 1280×800.

#include "app/CharLimit.h"
#include "app/KVSp.h"
#include "app/ModMain.h"
#include "app/WinColor.h"
#include "app/frmList.h"
#include "app/frmMain.h"
#include "data/LocalStore.h"
#include "data/RefConnection.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "support/TempDir.h"
#include "util/Clock.h"
#include "util/ModFunction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFontDatabase>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimeEdit>
#include <QtTest>

#include <memory>

using namespace pelmora;

namespace {
// A resident number with the right check digit for the birth date and sex digit.
QString residentNo(const std::string& yymmdd, char sexDigit) {
    for (char c = '0'; c <= '9'; ++c) {
        const std::string n = yymmdd + sexDigit + "23456" + c;
        if (ModFunction::CheckResidentNo(n)) return QString::fromStdString(yymmdd + "-" + n.substr(6));
    }
    return {};
}

QWidget* focused() { return QApplication::focusWidget(); }

void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QWidget* w = focused();
    QTest::keyPress(w, k, m);
    QTest::keyRelease(focused() ? focused() : w, k, m);
}

// Hangul cannot go through keyClicks; every character goes as the text of a key.
void type(const QString& text) {
    for (QChar ch : text) QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(ch), Qt::NoModifier);
}
} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

    std::unique_ptr<test::RefFixture> fx;
    std::unique_ptr<SqliteRefConnection> ref;
    std::unique_ptr<test::RecordingMessage> box;
    std::unique_ptr<frmMain> w;

    void at(int y, int m, int d, int hh = 10, int mm = 0, int ss = 0) { Clock::freeze({y, m, d, hh, mm, ss}); }
    // The dispensing date and time as typed, then Enter out of the time field.
    int timeClass(QDate date, QTime time) {
        w->pvd조제일자->setDate(date);
        w->pvt조제시간->setFocus();
        w->pvt조제시간->setTime(time);
        key(Qt::Key_Return);
        return w->cmb시간외->currentIndex();
    }
    void resident(const QString& number) {
        w->txt주민번호->setFocus();
        w->txt주민번호->clear();
        type(number);
        key(Qt::Key_Return);
    }

private slots:
    // The program's own font and style, so the layout checks see what the pharmacist sees.
    void initTestCase() { ApplyAppLook(*qobject_cast<QApplication*>(QCoreApplication::instance())); }

    void init() {
        at(2023, 3, 6, 10, 30, 15); // a Monday
        fx = std::make_unique<test::RefFixture>();
        fx->notice("20240301").holiday("20230301", "삼일절").hosp("12345678", "의원", 20);
        fx->special("V252", "경증질환", 2, "20100101");
        ref = std::make_unique<SqliteRefConnection>(fx->db(0));
        box = std::make_unique<test::RecordingMessage>();
        w = std::make_unique<frmMain>(*ref, true);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->txt고객명->setFocus();
    }
    void cleanup() {
        w.reset();
        box.reset();
        ref.reset();
        fx.reset();
        Clock::unfreeze();
    }

    void startUp() {
        QVERIFY(!QFontDatabase::families(QFontDatabase::Korean).isEmpty());
        QCOMPARE(w->windowTitle(), QString("Pelmora - 00.01.00"));
        QCOMPARE(w->lab연결정보->text(), QString("MDB 로컬연결"));
        QCOMPARE(w->lab약가갱신일->text(), QString("2024-03-01 약가"));
        QCOMPARE(w->cmb보험종류->count(), 25);
        QCOMPARE(w->cmb보험종류1->count(), 9);
        QCOMPARE(w->cmb보험종류2->count(), 7);
        QCOMPARE(w->cmb본인부담여부->itemText(24), QString("B099"));
        QCOMPARE(w->cmb보험종류->currentIndex(), 1);
        QCOMPARE(w->pvt조제시간->time(), QTime(10, 30, 15));
        QCOMPARE(w->Sp계산->Cell(13, 1).toText(), std::string("받을금액"));
        QCOMPARE(w->KvLabel[0]->palette().color(QPalette::Window), winColor(16777152));
        w->setLab조제코드("0000000007");
        QCOMPARE(w->KvLabel[14]->palette().color(QPalette::Window), winColor(12632319));
        QVERIFY(box->boxes.empty());
    }

    void nothingClippedAt1280x800() {
        w->resize(1280, 800);
        QTest::qWait(20);
        QVERIFY2(w->size() == QSize(1280, 800), qPrintable(QString("minimum %1").arg(w->minimumSizeHint().width())));
        const QRect inside = w->rect();
        for (QWidget* c : w->findChildren<QWidget*>()) {
            if (!c->isVisible() || !(qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c) ||
                                     qobject_cast<QComboBox*>(c) || qobject_cast<QLineEdit*>(c) ||
                                     qobject_cast<QAbstractSpinBox*>(c) || qobject_cast<QTableView*>(c)))
                continue;
            const QRect r(c->mapTo(w.get(), QPoint(0, 0)), c->size());
            QVERIFY2(inside.contains(r), qPrintable(c->objectName()));
            if (qobject_cast<QTableView*>(c) || qobject_cast<QLineEdit*>(c)) continue;
            QVERIFY2(c->width() >= c->minimumSizeHint().width(), qPrintable(c->objectName() + " is cut"));
        }
        for (QTableView* g : {w->sp수가, w->sp계산}) // every result row in view
            QVERIFY2(g->rowViewportPosition(g->model()->rowCount() - 1) + g->rowHeight(0) <= g->viewport()->height(),
                     qPrintable(g->objectName()));
    }

    void enterPathThroughTheHeader() {
        type("홍길동");
        QVERIFY(w->txt고객명->palette().color(QPalette::Base) == winColor(0xFFA03C));
        at(2023, 3, 6, 11, 0, 0);
        key(Qt::Key_Return);
        QCOMPARE(w->pvt조제시간->time(), QTime(11, 0, 0));
        QCOMPARE(focused(), w->txt주민번호);
        QVERIFY(w->txt고객명->palette().color(QPalette::Base) != winColor(0xFFA03C));
        type(residentNo("800101", '1'));
        key(Qt::Key_Return);
        QCOMPARE(w->lab검증->text() + w->lab성별->text() + w->lab나이->text(), QString("O남43"));
        const std::vector<std::pair<QWidget*, QString>> steps = {
            {w->cmb보험종류1, ""},    {w->cmb보험종류2, ""},       {w->pvd발행일자, ""},    {w->txt교부번호, "12"},
            {w->txt면허번호, "12345"}, {w->txt의사명, "김의사"},     {w->txt요양기관번호, "12345678"},
            {w->txt요양기관명, "한빛의원"}, {w->pvn사용기간, ""},     {w->txt상병기호1, "J00"},
            {w->txt상병기호2, ""},    {w->txt특정기호1, ""}};
        int runs = 0;
        for (const auto& [field, text] : steps) {
            QCOMPARE(focused(), field);
            type(text);
            runs = w->recalcCount();
            key(Qt::Key_Return);
        }
        QCOMPARE(w->recalcCount(), runs + 1); // Enter in 특정기호1 recalculates
        QCOMPARE(w->txt교부번호->text(), QString("00012"));
        // The patient-share code last, chosen with the arrow keys; Enter
        // prices again and goes on to the drugs.
        QCOMPARE(focused(), w->cmb본인부담여부);
        QCOMPARE(w->Sp처방->MaxRows(), 0);
        key(Qt::Key_Down);
        QCOMPARE(w->cmb본인부담여부->currentText(), QString("M001"));
        runs = w->recalcCount();
        key(Qt::Key_Return);
        QCOMPARE(w->recalcCount(), runs + 1);
        QCOMPARE(w->Sp처방->MaxRows(), 1);
        QCOMPARE(w->Sp처방->cCol(), 2);
        QVERIFY(w->sp처방->isAncestorOf(focused()));
        QVERIFY(box->boxes.empty());
        key(Qt::Key_Insert);
        QCOMPARE(focused(), w->txt고객명);
        key(Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(focused(), w->pvd조제일자);
        key(Qt::Key_Return);
        key(Qt::Key_Return);
        key(Qt::Key_Return);
        key(Qt::Key_Return);
        QCOMPARE(focused(), w->cmb보험종류1); // 조제일자, 조제시간, 시간외, 연령
    }

    void timeClasses_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("birth"); // yymmdd and sex digit, or empty
        QTest::addColumn<int>("expected");
        const QDate mon(2023, 3, 6);
        QTest::newRow("weekday 18:00:00") << mon << QTime(18, 0, 0) << "" << 0;
        QTest::newRow("weekday 18:00:01") << mon << QTime(18, 0, 1) << "" << 1;
        QTest::newRow("weekday 08:59:59") << mon << QTime(8, 59, 59) << "" << 1;
        QTest::newRow("saturday 13:00 from 2013-10") << QDate(2013, 10, 5) << QTime(13, 0, 0) << "" << 4;
        QTest::newRow("saturday 13:00 before") << QDate(2013, 9, 28) << QTime(13, 0, 0) << "" << 0;
        QTest::newRow("saturday 13:00:01") << QDate(2013, 10, 5) << QTime(13, 0, 1) << "" << 1;
        QTest::newRow("holiday on a weekday") << QDate(2023, 3, 1) << QTime(10, 0, 0) << "" << 2;
        QTest::newRow("sunday") << QDate(2023, 3, 5) << QTime(10, 0, 0) << "" << 2;
        QTest::newRow("six at 21:00") << mon << QTime(21, 0, 0) << "1606013" << 3;
        QTest::newRow("seven at 21:00") << mon << QTime(21, 0, 0) << "1601013" << 1;
        QTest::newRow("child on a sunday afternoon") << QDate(2023, 3, 5) << QTime(15, 0, 0) << "1606013" << 2;
    }
    void timeClasses() {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(QString, birth);
        QFETCH(int, expected);
        timeClass(date, time);
        if (!birth.isEmpty()) {
            resident(residentNo(birth.left(6).toStdString(), birth.at(6).toLatin1()));
            QCOMPARE(w->cmb연령->currentIndex(), expected == 1 ? 0 : 1); // 6세미만 up to six
        }
        QCOMPARE(timeClass(date, time), expected);
    }

    void residentNumberRule() {
        resident(residentNo("580101", '1')); // 65 on 2023-03-06
        QCOMPARE(w->lab나이->text(), QString("65"));
        QCOMPARE(w->cmb연령->currentIndex(), 2);
        QCOMPARE(focused(), w->cmb보험종류1);
        resident("12345");
        QCOMPARE(w->lab검증->text(), QString("X"));
        QCOMPARE(w->lab나이->text(), QString("-1"));
        QCOMPARE(w->cmb연령->currentIndex(), 0);
        QString wrong = residentNo("900515", '2');
        wrong[13] = wrong[13] == u'9' ? u'0' : QChar(wrong[13].unicode() + 1);
        resident(wrong);
        QCOMPARE(w->lab검증->text() + w->lab성별->text() + w->lab나이->text(), QString("X여32"));
    }

    void issueNumber() {
        w->txt교부번호->setFocus();
        type("0");
        key(Qt::Key_Return);
        QCOMPARE(box->texts().back(), std::string("교부번호가 잘못 입력되었습니다!"));
        QCOMPARE(box->boxes.back().title, std::string("입력오류"));
        QCOMPARE(focused(), w->txt교부번호);
        w->txt교부번호->clear();
        type("1a");
        QCOMPARE(box->texts().back(), std::string("교부번호는 숫자만 입력해야 합니다."));
        QCOMPARE(w->txt교부번호->text(), QString(""));
        type("7");
        key(Qt::Key_Return);
        QCOMPARE(w->txt교부번호->text(), QString("00007"));
        QCOMPARE(box->boxes.size(), std::size_t(2));
    }

    void specialCodeV252() {
        for (auto [date, rate, cls] : {std::tuple{QDate(2011, 10, 1), "20", "의원"}, {QDate(2011, 9, 30), "10", ""}}) {
            w->lab요양기관번호->clear();
            w->pvd조제일자->setDate(date);
            w->txt요양기관번호->setText("12345678");
            w->txt특정기호1->setFocus();
            w->txt특정기호1->clear();
            type("v252 ");
            key(Qt::Key_Return);
            QCOMPARE(w->lab특정기호1->text(), QString(rate));
            QCOMPARE(w->lab요양기관번호->text(), QString(cls));
            QCOMPARE(focused(), w->txt특정기호2);
        }
        QCOMPARE(w->GetSpecialRate("X999", "12345678"), QString(""));
    }

    void closeResetsFirstThenCloses() {
        type("김환자");
        box->answers = {false};
        key(Qt::Key_Escape);
        QCOMPARE(w->txt고객명->text(), QString("김환자")); // No keeps what was typed
        box->answers = {true};
        w->cmd종료->click();
        QCOMPARE(box->boxes.back().title, std::string("초기화확인"));
        QCOMPARE(w->txt고객명->text(), QString(""));
        QVERIFY(w->isVisible());
        key(Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QCOMPARE(box->boxes.size(), std::size_t(2));
    }

    void escapeGoesToTheCellEditorFirst() {
        type("가");
        key(Qt::Key_F7);
        QCOMPARE(w->Sp처방->MaxRows(), 1);
        type("타이");
        QVERIFY(focused() != w->sp처방 && w->sp처방->isAncestorOf(focused()));
        key(Qt::Key_Escape);
        QVERIFY(box->boxes.empty());
        QCOMPARE(w->txt고객명->text(), QString("가"));
        box->answers = {true};
        key(Qt::Key_F2);
        QCOMPARE(w->Sp처방->MaxRows(), 0);
        QCOMPARE(focused(), w->txt고객명);
        key(Qt::Key_F2); // nothing typed: no question
        QCOMPARE(box->boxes.size(), std::size_t(1));
    }

    void unfinishedSyllableTakesEscape() {
        type("김");
        QInputMethodEvent composing(QStringLiteral("ㅎ"), {});
        QApplication::sendEvent(w->txt고객명, &composing);
        key(Qt::Key_Escape);
        QVERIFY(box->boxes.empty());
        QInputMethodEvent done;
        done.setCommitString(QStringLiteral("하"));
        QApplication::sendEvent(w->txt고객명, &done);
        QCOMPARE(w->txt고객명->text(), QString("김하"));
        box->answers = {false};
        key(Qt::Key_Escape); // now it is the window's: asked, and kept
        QCOMPARE(box->boxes.size(), std::size_t(1));
        QCOMPARE(w->txt고객명->text(), QString("김하"));
    }

    void saveQuestion() {
        key(Qt::Key_F7);
        w->Sp처방->setCell(1, 2, Variant("타이레놀"));
        w->Sp처방->spGoCell(1, 3);
        box->answers = {false};
        key(Qt::Key_F9);
        QCOMPARE(box->boxes.back().text, std::string("저장하시겠습니까?"));
        QCOMPARE(box->boxes.back().title, std::string("저장확인"));
        QCOMPARE(w->Sp처방->cCol(), 1); // No: back to the code of the line
        box->answers = {true};
        key(Qt::Key_F9);
        QCOMPARE(w->Sp처방->MaxRows(), 1); // not saved, so nothing is thrown away
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(focused(), w->pvd발행일자);
        key(Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(focused(), w->cmb보험종류1);
        key(Qt::Key_F11);
        QCOMPARE(focused(), w->sp처방);
    }

    void historyHandsACodeOver() {
        test::TempDir dir;
        std::unique_ptr<SqliteConnection> store;
        QVERIFY(OpenLocalStore(store, dir.file("Pelmo.db")));
        w->setStore(store.get());
        PrescriptionRecord stored;
        stored.pvd조제일자 = "20230306";
        stored.pvt조제시간 = "10:30:15";
        stored.lines.emplace_back();
        stored.lines.back().cell(1) = Variant("645301220");
        const QString code = QString::fromStdString(stored.Save(*store).PreCd);
        QVERIFY(!code.isEmpty());
        QTimer::singleShot(0, this, [code] {
            auto* list = qobject_cast<frmList*>(QApplication::activeModalWidget());
            QVERIFY(list);
            list->onOpen(code);
            list->close();
        });
        key(Qt::Key_F3);
        QCOMPARE(w->lab조제코드->text(), code);
        QCOMPARE(w->lab조제코드->property("tag").toString(), QString());
        QCOMPARE(w->KvLabel[3]->palette().color(QPalette::Window), winColor(12632319));
    }

    void detailWindowBesideTheMainWindow() {
        QVERIFY(!w->detailWindow());
        const int runs = w->recalcCount();
        QTest::mouseClick(w->chk계산상세보기, Qt::LeftButton, {}, QPoint(6, w->chk계산상세보기->height() / 2));
        QVERIFY(w->detailWindow());
        QCOMPARE(w->recalcCount(), runs + 1);
        QTest::mouseClick(w->chk계산상세보기, Qt::LeftButton, {}, QPoint(6, w->chk계산상세보기->height() / 2));
        QVERIFY(!w->detailWindow());
    }

    // The check boxes and the insurance buttons by key, from wherever the
    // cursor stands: Alt+B, Alt+J, Alt+D and Alt+1 … Alt+9, each shown in
    // its caption.
    void checkBoxesAndInsuranceButtonsByKey() {
        const std::pair<QAbstractButton*, Qt::Key> boxes[] = {{w->chk비급여조제료, Qt::Key_B},
                                                              {w->chk자가투여주사, Qt::Key_J},
                                                              {w->chk계산상세보기, Qt::Key_D}};
        w->txt의사명->setFocus();
        for (auto [button, letter] : boxes) {
            QVERIFY(button->text().endsWith(QString("(&%1)").arg(QChar(letter))));
            const int runs = w->recalcCount();
            key(letter, Qt::AltModifier);
            QTRY_VERIFY(button->isChecked());
            QCOMPARE(w->recalcCount(), runs + 1);
            QTRY_COMPARE(focused(), w->txt의사명); // the detail window leaves the keys here
        }
        const int classes[] = {1, 2, 3, 19, 6, 7, 8, 9, 22};
        for (int i = 8; i >= 0; --i) {
            QVERIFY(w->opt보험[i]->text().endsWith(QString("(&%1)").arg(i + 1)));
            key(static_cast<Qt::Key>(Qt::Key_1 + i), Qt::AltModifier);
            QTRY_COMPARE(w->cmb보험종류->currentIndex(), classes[i]);
        }
    }

    // Limits count characters: one outside the basic plane at the limit
    // stands whole, past it is refused whole, a paste is cut between them.
    void textLimitsCountCharacters() {
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80"); // two UTF-16 units
        int fields = 0;
        for (QLineEdit* e : w->findChildren<QLineEdit*>()) {
            auto* limit = qobject_cast<const CharLimit*>(e->validator());
            if (!limit || e == w->txt교부번호) continue; // digits only
            ++fields;
            const QString full = QString(limit->limit() - 1, u'가') + emoji;
            e->clear();
            for (const QString& typed : {full, QString("나"), emoji}) {
                QInputMethodEvent commit;
                commit.setCommitString(typed);
                QApplication::sendEvent(e, &commit);
                QCOMPARE(e->text(), full);
            }
            e->clear();
            e->insert(full + emoji);
            QCOMPARE(e->text(), full);
        }
        QCOMPARE(fields, 10);
    }

    void insuranceLists() {
        QTest::mouseClick(w->opt보험[8], Qt::LeftButton);
        QCOMPARE(w->cmb보험종류->currentIndex(), 22);
        QCOMPARE(w->cmb보험종류2->currentText(), QString("90"));
        QTest::mouseClick(w->opt보험[2], Qt::LeftButton);
        QCOMPARE(w->cmb보험종류->currentIndex(), 3);
        const int runs = w->recalcCount();
        w->cmb보험종류1->setCurrentIndex(3); // 산재보험
        QCOMPARE(w->cmb보험종류->currentIndex(), 12);
        QVERIFY(w->recalcCount() > runs);
        w->cmb보험종류2->setCurrentIndex(-1); // no sub-kind: the class stays, the calculation runs
        QCOMPARE(w->cmb보험종류->currentIndex(), 12);
        for (auto [cls, kind, sub] : {std::tuple{0, 6, 0}, {13, 3, 1}, {22, 2, 3}}) {
            w->cmb보험종류->setCurrentIndex(cls);
            w->ProcSetInsKind();
            QCOMPARE(w->cmb보험종류1->currentIndex(), kind);
            QCOMPARE(w->cmb보험종류2->currentIndex(), sub);
        }
        w->bLoading = true;
        const int quiet = w->recalcCount();
        w->cmb시간외->setCurrentIndex(2);
        QCOMPARE(w->recalcCount(), quiet);
        w->bLoading = false;
    }

    void deleteLineAndCloseWithLines() {
        key(Qt::Key_F7);
        w->Sp처방->setCell(1, 1, Variant("645301220"));
        key(Qt::Key_F7);
        QCOMPARE(w->Sp처방->MaxRows(), 2);
        key(Qt::Key_F8);
        QCOMPARE(w->Sp처방->MaxRows(), 1);
        box->answers = {false};
        w->close();
        QVERIFY(w->isVisible()); // a line not saved: asked, and No keeps the window
        QCOMPARE(box->boxes.back().title, std::string("종료확인"));
    }

    void screenshotOfATypedPrescription() {
        w->resize(1280, 800);
        type("홍길동");
        key(Qt::Key_Return);
        type(residentNo("800101", '1'));
        key(Qt::Key_Return);
        w->txt교부번호->setText("00012");
        w->txt면허번호->setText("12345");
        w->txt의사명->setText("김의사");
        w->txt요양기관번호->setText("12345678");
        w->txt요양기관명->setText("한빛의원");
        w->txt상병기호1->setText("J00");
        w->txt특정기호1->setFocus();
        key(Qt::Key_Return);
        const char* lines[][8] = {{"645301220", "타이레놀정500mg", "1", "3", "3", "9", "정", "120"},
                                  {"671802370", "뮤코펙트정", "1", "3", "3", "9", "정", "85"}};
        w->Sp처방->setMaxRows(2);
        for (int r = 1; r <= 2; ++r) {
            const int cols[] = {1, 2, 3, 4, 5, 6, 9, 10};
            for (int i = 0; i < 8; ++i) w->Sp처방->setCell(r, cols[i], Variant(lines[r - 1][i]));
            w->Sp처방->setCell(r, 7, 2, Variant(static_cast<std::int16_t>(0)));
            w->Sp처방->setCell(r, 8, 2, Variant(static_cast<std::int16_t>(0)));
        }
        w->Sp처방->spGoCell(2, 2);
        QTest::qWait(50);
        const QString dir = QString(PELMORA_BINARY_DIR) + "/screenshots";
        QDir().mkpath(dir);
        QVERIFY(w->grab().save(dir + "/frmMain.png"));
        qInfo("screenshot: %s/frmMain.png", qPrintable(dir));
    }
};

QTEST_MAIN(TestFrmMain)
#include "TestFrmMain.moc"
