// F6 in the main window: a drug price list chosen in the file dialog, taken
// in under a progress box, the summary; then the drug grid prices with it at
// once, and the notice date beside the title is the list's.

#include "app/KVSp.h"
#include "app/ModMain.h"
#include "app/QtMessage.h"
#include "app/frmMain.h"
#include "data/LinkDatabase.h"
#include "data/RealRoot.h"
#include "data/ReferenceFiles.h"
#include "data/StartUp.h"
#include "support/DrugListXlsx.h"
#include "support/RecordingMessage.h"
#include "support/TempDir.h"
#include "util/Clock.h"

#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QProgressDialog>
#include <QTimer>
#include <QtTest>

#include <fstream>
#include <functional>

using namespace pelmora;

namespace {

std::string bytesOf(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A list of `n` products whose first one is 012345678 at `price`.
std::string writeList(const test::TempDir& dir, const std::string& date, int n, const std::string& price) {
    std::vector<test::ListRow> rows{{.code = "acetaminophen 500mg"},
                                    {.code = "012345678", .name = "타이레놀정500mg", .price = price},
                                    {.code = "671800030", .name = "보류정", .price = "산정불가"}};
    for (int i = 0; i < n; ++i)
        rows.push_back({.code = std::to_string(600000000 + i), .name = "약품" + std::to_string(i) + "정"});
    const std::string path =
        dir.file("약제급여목록및급여상한금액표_(" + date + ")(" + std::to_string(n) + ").xlsx");
    if (!test::writeDrugList(path, "s", test::ListLayout::y2026, rows)) qFatal("list");
    return path;
}

} // namespace

class TestFrmMainImport : public QObject {
    Q_OBJECT

    test::TempDir dir;
    std::unique_ptr<frmMain> w;
    std::function<void()> onTick; // polled while the window waits in a modal loop
    QTimer ticker;

    // The window on the process's own link database, as the program opens it.
    void open() {
        w.reset();
        processObjects().CnMdb.reset();
        QVERIFY(ConnectLocalMdb(dir.path(), processObjects().CnMdb));
        w = std::make_unique<frmMain>(processObjects().CnMdb->connection(), true);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    // The file dialog closed hands the activation back as a window manager would.
    void f6() {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6); // the window takes the key from any field
    }
    // F6 with the file chosen in the file dialog.
    void pressF6(const std::string& file) {
        onTick = [file] {
            if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                d->selectFile(QString::fromStdString(file));
                static_cast<QDialog*>(d)->accept();
            }
        };
        f6();
        onTick = {};
    }
    std::filesystem::path drugFile() const { return ReferenceFiles::file(dir.path(), ReferenceFiles::kDrug); }

  private slots:
    void initTestCase() {
        ApplyAppLook(*qobject_cast<QApplication*>(QCoreApplication::instance()));
        QVERIFY(!QFontDatabase::families(QFontDatabase::Korean).isEmpty());
        Clock::freeze({2024, 2, 15, 10, 0, 0});
        RealRoot::make(dir.path());
        processObjects().root = dir.path();
        connect(&ticker, &QTimer::timeout, this, [this] {
            if (onTick) onTick();
        });
        ticker.start(5);
    }
    void cleanupTestCase() {
        w.reset();
        processObjects().release();
        Clock::unfreeze();
    }

    void typeDrug(const std::string& code) {
        w->activateWindow(); // back from the boxes, as a window manager hands it back
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->Sp처방->setMaxRows(1);
        w->Sp처방->spGoCell(1, 2);
        for (char c : code) // each key to the field that has the focus, as typed
            QTest::keyClick(QApplication::focusWidget(), c);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    // A root without drugs offers the list; January, February (priced at
    // once, the notice date beside the title follows), January again
    // (refused, then left alone); a restarted window prices February too.
    void twoMonthsThroughTheWindow() {
        test::RecordingMessage box;
        open();
        box.answers = {false};
        w->offerDrugList();
        QCOMPARE(box.boxes.size(), std::size_t(1));
        QCOMPARE(box.boxes[0].kind, test::ShownBox::Question);
        QVERIFY(box.boxes[0].text.starts_with("약제급여목록에 약품이 없어 처방을 계산할 수 없습니다."));
        box.boxes.clear();
        const std::string jan = writeList(dir, "2024.1.1.", 50, "100"),
                          feb = writeList(dir, "2024.2.1.", 50, "90");
        pressF6(jan);
        QCOMPARE(box.boxes.size(), std::size_t(1));
        QVERIFY2(box.boxes[0].text.starts_with("2024-01-01 약가를 반영하였습니다.\n\n신규 51건, 변경 0건"),
                 box.boxes[0].text.c_str());
        QVERIFY(box.boxes[0].text.ends_with("제외 1건\n   4행 671800030 보류정 - 산정불가"));
        QCOMPARE(w->lab약가갱신일->text(), QStringLiteral("2024-01-01 약가"));
        w->offerDrugList(); // the list holds drugs now: nothing asked
        QCOMPARE(box.boxes.size(), std::size_t(1));
        pressF6(feb);
        QVERIFY(box.texts().back().starts_with(
            "2024-02-01 약가를 반영하였습니다.\n\n신규 0건, 변경 1건, 삭제 0건, 그대로 50건"));
        QCOMPARE(w->lab약가갱신일->text(), QStringLiteral("2024-02-01 약가"));
        typeDrug("012345678");
        QCOMPARE(w->Sp처방->Cell(1, 10).toText(), std::string("90"));
        const std::string before = bytesOf(drugFile());
        box.answers = {false};
        pressF6(jan);
        QCOMPARE(box.boxes.back().kind, test::ShownBox::Question);
        QVERIFY(box.boxes.back().text.ends_with("오래되었습니다.\n그래도 반영하시겠습니까?"));
        std::ofstream(dir.file("목록.xlsx")) << "제품코드,제품명\n";
        pressF6(dir.file("목록.xlsx"));
        QVERIFY(box.texts().back().ends_with("참조 파일은 그대로입니다."));
        QCOMPARE(bytesOf(drugFile()), before);

        open(); // the files as a restarted program takes them up
        typeDrug("012345678");
        QCOMPARE(w->Sp처방->Cell(1, 2).toText(), std::string("타이레놀정500mg(내복)"));
        QCOMPARE(w->Sp처방->Cell(1, 10).toText(), std::string("90"));
    }

    // Cancel in the progress box leaves the file as it was; the real boxes
    // are photographed on the way.
    void cancelAndScreenshots() {
        QtMessage real;
        setMessages(&real);
        open();
        const std::string big = writeList(dir, "2024.3.1.", 20000, "80");
        const std::string before = bytesOf(drugFile());
        const QString shots = QString(PELMORA_BINARY_DIR) + "/screenshots";
        QDir().mkpath(shots);
        QFile::remove(shots + "/import-progress.png"); // made anew below
        QString shown;
        bool cancel = true;
        onTick = [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* d = qobject_cast<QFileDialog*>(modal)) {
                d->selectFile(QString::fromStdString(big));
                static_cast<QDialog*>(d)->accept();
            } else if (auto* p = w->findChild<QProgressDialog*>("dlg약가반영"); p && p->value() >= 30) {
                if (cancel) return p->cancel();
                if (!QFile::exists(shots + "/import-progress.png")) {
                    QPixmap shot = w->grab();
                    QPainter(&shot).drawPixmap((shot.width() - p->width()) / 2, 120, p->grab());
                    shot.save(shots + "/import-progress.png");
                }
            } else if (auto* m = qobject_cast<QMessageBox*>(modal)) {
                shown = m->text();
                if (!cancel) m->grab().save(shots + "/import-summary.png");
                m->accept();
            }
        };
        f6();
        QVERIFY2(shown.startsWith(QStringLiteral("약가파일 반영을 취소하였습니다.")), qPrintable(shown));
        QCOMPARE(bytesOf(drugFile()), before);
        QVERIFY(!QFile::exists(QString::fromStdString(drugFile().string() + ".new")));
        cancel = false;
        f6();
        onTick = {};
        setMessages(nullptr);
        QVERIFY2(shown.startsWith(QStringLiteral("2024-03-01 약가를 반영하였습니다.")), qPrintable(shown));
        QVERIFY(QFile::exists(shots + "/import-progress.png"));
    }
};

QTEST_MAIN(TestFrmMainImport)
#include "TestFrmMainImport.moc"
