// The first start on roots without reference files: the window driven with
// keys as the pharmacist would, the root it leaves remembered, and the
// start-up that goes on with it.

#include "RefGenerator.h"
#include "app/ModFirstStart.h"
#include "app/frmFirstStart.h"
#include "data/ReferenceFiles.h"
#include "data/StartRoot.h"
#include "data/StartUp.h"
#include "data/TestOdbcSupport.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "support/TempDir.h"

#include <QCommandLinkButton>
#include <QFontDatabase>
#include <QLabel>
#include <QtTest>

#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

// HOME and the XDG folders inside a temporary folder for one test.
struct Home {
    test::TempDir dir;
    Home() {
        ::setenv("HOME", dir.path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (dir.path() / "data").c_str(), 1);
    }
    fs::path operator/(const char* name) const { return dir.path() / name; }
};

// Acts on the first-start window once its exec() runs; a start that shows
// no window leaves shown false.
class OnShown {
  public:
    explicit OnShown(std::function<void(frmFirstStart&)> act) {
        timer_.setSingleShot(true);
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this, act] {
            auto* w = qobject_cast<frmFirstStart*>(QApplication::activeModalWidget());
            if (!w) return;
            shown = true;
            w->activateWindow();
            if (QTest::qWaitForWindowActive(w)) act(*w);
            // Every act ends the window; one that failed midway must not leave it waiting.
            if (w->isVisible()) w->reject();
        });
        timer_.start();
    }
    bool shown = false;

  private:
    QTimer timer_;
};

// Alt+key on the window; a mnemonic clicks its button a moment later.
void alt(QWidget& w, Qt::Key key, QAbstractButton* button) {
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QTest::keyClick(&w, key, Qt::AltModifier);
    QVERIFY(!clicked.isEmpty() || clicked.wait(2000));
}

StartOptions started(std::initializer_list<const char*> args) {
    std::vector<const char*> argv{"pelmora"};
    argv.insert(argv.end(), args);
    return *parseStartOptions(static_cast<int>(argv.size()), argv.data());
}

// The generator's data at a small size, written off the window's thread.
RootMaker demoMaker(bool* offGuiThread = nullptr) {
    return [offGuiThread](const fs::path& root, const RootProgress& progress) {
        if (offGuiThread) *offGuiThread = QThread::currentThread() != qApp->thread();
        progress(0, 1, "연습용");
        refgen::Options o;
        o.drugs = 60;
        o.institutions = 30;
        refgen::RefGenerator::generate(root, o);
        progress(1, 1, {});
    };
}

} // namespace

class TestFrmFirstStart : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QVERIFY(!QFontDatabase::families(QFontDatabase::Korean).isEmpty()); }

    // The first try fails (a full disk): the window stays, told why, and
    // nothing is remembered; the second makes the demo root.
    void demoRootByKeyboardThenTheStartUpGoesOn() {
        Home home;
        test::RecordingMessage boxes;
        bool offGuiThread = false, failed = false;
        const RootMaker demo = [&, make = demoMaker(&offGuiThread)](const fs::path& r,
                                                                    const RootProgress& p) {
            if (!std::exchange(failed, true)) throw std::runtime_error("디스크가 가득 찼습니다");
            make(r, p);
        };
        QString listed;
        bool keptAfterFailure = false;
        OnShown act([&](frmFirstStart& w) {
            listed = w.lab파일->text();
            QCOMPARE(QApplication::focusWidget(), w.cmd연습용); // the import is not there: the demo is first
            QVERIFY(!w.cmd실제자료->isEnabled());
            alt(w, Qt::Key_D, w.cmd연습용);
            keptAfterFailure = w.isVisible() && w.cmd연습용->isEnabled() && !StartRoot::remembered();
            alt(w, Qt::Key_D, w.cmd연습용);
        });
        StartOptions o = started({});
        std::ostringstream log;
        QVERIFY(PrepareStartRoot(o, false, {.demo = demo, .real = {}}, log));
        QVERIFY(act.shown && keptAfterFailure);
        QCOMPARE(boxes.texts().size(), std::size_t(1));
        QVERIFY(boxes.boxes[0].text.starts_with("참조 자료를 만들지 못했습니다."));
        QVERIFY(boxes.boxes[0].text.find("디스크가 가득 찼습니다") != std::string::npos);
        for (const char* name : ReferenceFiles::names())
            QVERIFY2(listed.contains(QString::fromUtf8(name)), qPrintable(listed));
        QCOMPARE(listed.count(QStringLiteral("없음")), 6);
        QVERIFY(listed.contains(QString::fromStdString((home / "Corvane/TX60/SubPrg").string())));
        QVERIFY(offGuiThread);
        QCOMPARE(o.root, StartRoot::demoRoot());
        QCOMPARE(StartRoot::remembered().value_or(""), StartRoot::demoRoot());
        ProcessObjects objects;
        QVERIFY(RunStartUp(o, objects, log));
        QVERIFY(objects.LocalMode());
        objects.release();

        // Later starts open the remembered root at once; --root still wins.
        OnShown esc([](frmFirstStart& w) { QTest::keyClick(&w, Qt::Key_Escape); });
        StartOptions again = started({});
        QVERIFY(PrepareStartRoot(again, false, {}, log));
        QCOMPARE(again.root, StartRoot::demoRoot());
        StartOptions given = started({"--root", "/nonexistent/약국"});
        QVERIFY(!PrepareStartRoot(given, false, {}, log)); // shown, and left with Esc
        QVERIFY(esc.shown);
        QCOMPARE(given.root, fs::path("/nonexistent/약국"));
    }

    // Another root is taken only when it can start; the folder picked may
    // be the root, or its TX60/SubPrg.
    void anotherRootIsCheckedBeforeItIsTaken() {
        Home home;
        test::RecordingMessage boxes;
        const fs::path ready = home / "약국 자료";
        { test::RefFixture f(ready); }
        fs::create_directories(home / "빈 폴더");
        std::deque<QString> picks{QString(), QString::fromStdString((home / "빈 폴더").string()),
                                  QString::fromStdString((ready / "TX60" / "SubPrg").string())};
        std::vector<bool> openAfter;
        OnShown act([&](frmFirstStart& w) {
            w.chooseFolder = [&](QWidget*, const QString&) {
                QString p = picks.front();
                picks.pop_front();
                return p;
            };
            for (int i = 0; i < 3; ++i) {
                alt(w, Qt::Key_O, w.cmd다른폴더);
                openAfter.push_back(w.isVisible());
            }
        });
        StartOptions o = started({"--root", (home / "Corvane").c_str()});
        std::ostringstream log;
        QVERIFY(PrepareStartRoot(o, false, {.demo = demoMaker(), .real = {}}, log));
        QCOMPARE(openAfter, (std::vector<bool>{true, true, false}));
        QCOMPARE(o.root, ready);
        QCOMPARE(StartRoot::remembered().value_or(""), ready);
        QCOMPARE(boxes.boxes.size(), std::size_t(1));
        QVERIFY(boxes.boxes[0].text.starts_with("고른 폴더에는 참조 자료가 없습니다."));
        QVERIFY(boxes.boxes[0].text.find("팩단위약.db") != std::string::npos);
    }

    // A central server is set but does not answer and the files are missing:
    // the boxes of the start-up, then the window instead of the end.
    void anUnreachableServerWithoutFilesLeadsToTheWindow() {
        Home home;
        test::RecordingMessage boxes;
        const fs::path root = home / "Corvane";
        fs::create_directories(root / "Data");
        std::ofstream(root / "Data" / "Pelmora.ini")
            << "[Server]\nHost=127.0.0.1\nPort=" << test::closedLoopbackPort() << "\nLoginTimeout=1\n";
        fs::permissions(root / "Data" / "Pelmora.ini", fs::perms::owner_read | fs::perms::owner_write);
        const RootMakers makers{.demo = demoMaker(), .real = {}};
        StartOptions o = started({});
        std::ostringstream log;
        {
            OnShown none([](frmFirstStart& w) { w.reject(); });
            QVERIFY(PrepareStartRoot(o, false, makers, log)); // the server may answer: no window yet
            QVERIFY(!none.shown);
        }
        ProcessObjects objects;
        QVERIFY(!RunStartUp(o, objects, log));
        QCOMPARE(boxes.boxes.size(), std::size_t(3));
        OnShown act([](frmFirstStart& w) { alt(w, Qt::Key_D, w.cmd연습용); });
        QVERIFY(OfferStartRoot(o, makers));
        objects.release();
        QVERIFY(RunStartUp(o, objects, log));
        QCOMPARE(o.root, StartRoot::demoRoot());
        objects.release();
    }

    void screenshot() {
        Home home;
        frmFirstStart w(home / "Corvane", {.demo = demoMaker(), .real = {}}, false);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString dir = QStringLiteral(PELMORA_BINARY_DIR "/screenshots");
        QDir().mkpath(dir);
        QVERIFY(w.grab().save(dir + QStringLiteral("/frmFirstStart.png")));
    }
};

QTEST_MAIN(TestFrmFirstStart)
#include "TestFrmFirstStart.moc"
