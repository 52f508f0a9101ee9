// The dispensing history window over a small store, driven with keys.

#include "app/KVSp.h"
#include "app/frmList.h"
#include "app/frmListModel.h"
#include "data/LocalStore.h"
#include "data/clsMain.h"
#include "data/clsSub.h"
#include "data/YearEndReport.h"
#include "support/RecordingMessage.h"
#include "support/TempDir.h"

#include <QAbstractItemModelTester>
#include <QFontDatabase>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <memory>

using namespace pelmora;

namespace {

struct Store {
    test::TempDir dir;
    std::unique_ptr<SqliteConnection> cn;
    Store() {
        if (!OpenLocalStore(cn, dir.file("Pelmo.db"))) throw std::runtime_error("no store");
    }
    // Saves a prescription with the given number of lines; its code.
    std::string save(const std::string& patient, int lines, const std::string& resident = "8001011234567") {
        clsMain m(*cn);
        m.MatSn = 1;
        m.VerSn = "002";
        m.PreDt = "20240305";
        m.PreTm = "090507";
        m.PatNm = patient;
        m.PatJumNo = resident;
        m.HospCd = "11100010";
        m.HospNm = "행복의원";
        m.PubDtNo = "2024030500012";
        m.MoneyPr = Currency::fromWon(12300);
        m.RecoardInsMode = 0;
        m.Update();
        for (int i = 0; i < lines; ++i) {
            clsSub s(*cn);
            s.PreCd = m.PreCd;
            s.DrugCd = "64190001" + std::to_string(i);
            s.DrugNm = patient + "약" + std::to_string(i + 1);
            s.RxdPr = Currency::fromWon(120);
            s.RxdInsSn = 1;
            s.RxdTaxSn = 1;
            s.Qty = 1;
            s.QtyCnt = 3;
            s.QtyDay = 3;
            s.Update();
        }
        return m.PreCd;
    }
    long count(const char* table) {
        return cn->query(std::string("select count(*) n from ") + table).field("n").toInt32();
    }
};

struct Window {
    frmList w;
    explicit Window(Store& s) : w(*s.cn) {}
    bool show() {
        w.show();
        w.activateWindow();
        return QTest::qWaitForWindowActive(&w);
    }
    QWidget* focused() const {
        return QApplication::focusWidget() ? QApplication::focusWidget() : const_cast<frmList*>(&w);
    }
    void key(Qt::Key k) {
        QTest::keyPress(focused(), k);
        QTest::keyRelease(focused(), k);
    }
    int rows() const { return w.listModel()->rowCount(); }
    QString list(int r, int c) const { return w.listModel()->index(r - 1, c - 1).data().toString(); }
    int lineRows() const { return w.Sp조제약품->MaxRows(); }
    QString line(int r, int c) const { return QString::fromStdString(w.Sp조제약품->Cell(r, c, 1).toText()); }
};

} // namespace

class TestFrmList : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(!QFontDatabase::families(QFontDatabase::Korean).isEmpty()); }

    void emptyStoreShowsEmptyGridsAndActionsDoNothing() {
        Store s;
        test::RecordingMessage msg;
        Window f(s);
        QVERIFY(f.show());
        QCOMPARE(f.w.windowTitle(), QStringLiteral("조제내역"));
        QCOMPARE(f.rows(), 0);
        QCOMPARE(f.lineRows(), 0);
        f.key(Qt::Key_F8);
        f.key(Qt::Key_F7);
        QVERIFY(msg.boxes.empty());
        QVERIFY(f.w.isVisible());
        QCOMPARE(f.w.chosenCode(), QString());
    }

    // F9 marks the selected patient as not reported at year end, after asking,
    // whichever way the number was written; F9 again takes the mark back.
    void f9MarksThePatientOutOfTheYearEndReport() {
        Store s;
        s.save("홍길동", 1, "800101-1234567");
        s.save("무번호", 1, "");
        test::RecordingMessage msg;
        Window f(s);
        QVERIFY(f.show());
        QCOMPARE(f.list(1, 4), QStringLiteral("무번호"));
        QVERIFY(!f.w.cmd연말제외->isEnabled()); // nothing to mark without a number
        f.key(Qt::Key_Down);
        QCOMPARE(f.w.cmd연말제외->text(), QStringLiteral("연말정산 제외(F9)"));
        msg.answers = {false};
        f.key(Qt::Key_F9);
        QVERIFY(!IsNoReport(*s.cn, "8001011234567"));
        QVERIFY(msg.boxes.back().text.find("800101-1****** 홍길동") != std::string::npos);
        msg.answers = {true};
        f.key(Qt::Key_F9);
        QVERIFY(IsNoReport(*s.cn, "8001011234567"));
        QCOMPARE(f.w.cmd연말제외->text(), QStringLiteral("연말정산 포함(F9)"));
        msg.answers = {true};
        f.key(Qt::Key_F9);
        QVERIFY(!IsNoReport(*s.cn, "800101-1234567"));
        QCOMPARE(s.count("NoReport"), 0L);
    }

    void listsNewestFirstWithNineColumnsAndMaskedNumbers() {
        Store s;
        s.save("홍길동", 2);
        const std::string second = s.save("김영희", 3, "900101-2345678");
        Window f(s);
        QAbstractItemModelTester tester(f.w.listModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(f.show());
        QCOMPARE(f.rows(), 2);
        QCOMPARE(f.w.listModel()->columnCount(), 9);
        QCOMPARE(f.w.listModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("조제코드"));
        QCOMPARE(f.w.listModel()->headerData(8, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("받을금액"));
        QCOMPARE(f.list(1, 1), QString::fromStdString(second));
        QCOMPARE(f.list(1, 2), QStringLiteral("2024-03-05"));
        QCOMPARE(f.list(1, 3), QStringLiteral("09:05:07"));
        QCOMPARE(f.list(1, 4), QStringLiteral("김영희"));
        QCOMPARE(f.list(1, 5), QStringLiteral("900101-2******"));
        QCOMPARE(f.list(2, 5), QStringLiteral("800101-1******"));
        QCOMPARE(f.list(1, 6), QStringLiteral("11100010"));
        QCOMPARE(f.list(1, 7), QStringLiteral("행복의원"));
        QCOMPARE(f.list(1, 8), QStringLiteral("2024030500012"));
        QCOMPARE(f.list(1, 9), QStringLiteral("12,300"));
        // The first row is active, with its lines and the focus.
        QCOMPARE(f.w.activeRow(), 1);
        QCOMPARE(QApplication::focusWidget(), f.w.sp조제목록);
        QCOMPARE(f.lineRows(), 3);
        QCOMPARE(f.line(1, 1), QStringLiteral("001"));
        QCOMPARE(f.line(1, 3), QStringLiteral("김영희약1"));
        QCOMPARE(f.line(1, 7), QStringLiteral("급여"));
        QCOMPARE(f.line(1, 8), QStringLiteral("내복"));
        QCOMPARE(f.w.Sp조제약품->model()->header(3), QStringLiteral("약품명"));
        // Moving down loads the lines of the next prescription.
        f.key(Qt::Key_Down);
        QCOMPARE(f.w.activeRow(), 2);
        QCOMPARE(f.lineRows(), 2);
        QCOMPARE(f.line(2, 3), QStringLiteral("홍길동약2"));
    }

    void enterAndF7OpenTheActivePrescription_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("F7") << int(Qt::Key_F7);
    }
    void enterAndF7OpenTheActivePrescription() {
        QFETCH(int, key);
        Store s;
        const std::string first = s.save("홍길동", 1);
        s.save("김영희", 1);
        Window f(s);
        QString handed;
        f.w.onOpen = [&](const QString& code) { handed = code; };
        QVERIFY(f.show());
        f.key(Qt::Key_Down);
        f.key(static_cast<Qt::Key>(key));
        QCOMPARE(handed, QString::fromStdString(first));
        QCOMPARE(f.w.chosenCode(), handed);
        QVERIFY(!f.w.isVisible());
        QCOMPARE(f.w.result(), int(QDialog::Accepted));
    }

    void deleteAsksAndRemovesTheRowWithoutRefreshing() {
        Store s;
        const std::string first = s.save("홍길동", 2);
        const std::string second = s.save("김영희", 3);
        test::RecordingMessage msg;
        msg.answers = {false, true};
        Window f(s);
        QStringList deleted;
        f.w.onDeleted = [&](const QString& code) { deleted << code; };
        QVERIFY(f.show());
        f.key(Qt::Key_F8); // No
        QCOMPARE(msg.boxes.size(), std::size_t(1));
        QCOMPARE(msg.boxes[0].text, second + " 자료를 삭제하시겠습니까?");
        QCOMPARE(msg.boxes[0].title, std::string("삭제확인"));
        QCOMPARE(f.rows(), 2);
        QCOMPARE(f.lineRows(), 3);
        QCOMPARE(s.count("Main"), 2);
        f.key(Qt::Key_F8); // Yes
        QCOMPARE(s.count("Main"), 1);
        QCOMPARE(s.count("Sub"), 2);
        QCOMPARE(f.rows(), 1);
        QCOMPARE(f.list(1, 1), QString::fromStdString(first));
        QCOMPARE(f.lineRows(), 0);
        QCOMPARE(deleted, QStringList{QString::fromStdString(second)});
        // A closed box activates the window: that must not refresh it.
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&f.w, &activate);
        QCOMPARE(f.lineRows(), 0);
    }

    void deletingTheLastPrescriptionLeavesAnEmptyList() {
        Store s;
        s.save("홍길동", 1);
        test::RecordingMessage msg;
        msg.answers = {true};
        Window f(s);
        QAbstractItemModelTester tester(f.w.listModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(f.show());
        f.w.cmd삭제_Click();
        QCOMPARE(f.rows(), 0);
        QCOMPARE(f.lineRows(), 0);
        QCOMPARE(f.w.activeRow(), 0);
        QCOMPARE(s.count("Main"), 0);
    }

    void refreshShowsWhatWasSavedMeanwhile() {
        Store s;
        s.save("홍길동", 1);
        Window f(s);
        QVERIFY(f.show());
        const std::string later = s.save("이순신", 2);
        QCOMPARE(f.rows(), 1);
        f.key(Qt::Key_F3);
        QCOMPARE(f.rows(), 2);
        QCOMPARE(f.list(1, 1), QString::fromStdString(later));
        QCOMPARE(f.lineRows(), 2);
    }

    void focusKeysAndEscape() {
        Store s;
        s.save("홍길동", 1);
        Window f(s);
        QVERIFY(f.show());
        f.key(Qt::Key_F11);
        QCOMPARE(QApplication::focusWidget(), f.w.sp조제약품);
        f.key(Qt::Key_F10);
        QCOMPARE(QApplication::focusWidget(), f.w.sp조제목록);
        f.key(Qt::Key_Escape);
        QVERIFY(!f.w.isVisible());
        QCOMPARE(f.w.chosenCode(), QString());
    }

    // A store that cannot be read is reported by the store's own tags, and
    // the grids keep what they showed.
    void unreadableStoreKeepsTheGrids() {
        Store s;
        s.save("홍길동", 2);
        test::RecordingMessage msg;
        Window f(s);
        QVERIFY(f.show());
        s.cn->execute("ALTER TABLE Sub RENAME TO SubGone");
        f.w.ProcSubDataload();
        QCOMPARE(f.lineRows(), 2);
        s.cn->execute("ALTER TABLE Main RENAME TO MainGone");
        f.key(Qt::Key_F3);
        QCOMPARE(f.rows(), 1);
        QCOMPARE(msg.boxes.size(), std::size_t(2));
        QVERIFY(msg.boxes[0].text.starts_with("clsSub:RecordList "));
        QVERIFY(msg.boxes[1].text.starts_with("clsMain:RecordList "));
        QCOMPARE(msg.boxes[1].title, std::string("오류"));
    }

    void failedDeleteChangesNothing() {
        Store s;
        s.save("홍길동", 2);
        test::RecordingMessage msg;
        msg.answers = {true};
        Window f(s);
        QVERIFY(f.show());
        s.cn->execute("CREATE TRIGGER keep BEFORE DELETE ON Main BEGIN SELECT RAISE(ABORT, 'kept'); END");
        f.key(Qt::Key_F8);
        QCOMPARE(s.count("Main"), 1);
        QCOMPARE(s.count("Sub"), 2);
        QCOMPARE(f.rows(), 1);
        QCOMPARE(f.lineRows(), 2);
        QCOMPARE(msg.boxes.back().title, std::string("삭제실패"));
    }

    void screenshot() {
        Store s;
        s.save("홍길동", 2);
        s.save("김영희", 4, "900101-2345678");
        Window f(s);
        QVERIFY(f.show());
        QVERIFY(f.w.grab().save(QStringLiteral(PELMORA_BINARY_DIR "/frmList.png")));
    }
};

QTEST_MAIN(TestFrmList)
#include "TestFrmList.moc"
