// Backups from the windows: the backup page sets a passphrase, backs up and
// restores from its list; the main window shows the last good backup, warns
// when it is overdue, backs up on Ctrl+B and when it closes.

#include "TestRoadFixture.h"

#include "app/BackupRunner.h"
#include "app/frmBackupPage.h"
#include "app/frmSettings.h"
#include "data/BackupSettings.h"
#include "data/StoreBackup.h"
#include "support/StoreGenerator.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include <deque>
#include <fstream>
#include <sstream>

using namespace pelmora;
namespace fs = std::filesystem;

class TestFrmBackup : public QObject {
    Q_OBJECT

    std::unique_ptr<test::RoadFixture> fx;
    fs::path folder;
    std::deque<QString> typed; // what the passphrase prompts are answered with

    frmMain* w() { return fx->w.get(); }
    long prescriptions() { return fx->store->query("SELECT count(*) AS n FROM Main").field("n").toInt32(); }
    void addPrescriptions(int from, int to) {
        for (int n = from; n <= to; ++n)
            fx->store->execute("INSERT INTO Main(vcPreCd, vcPreDt, vcPatNm, vcPatJumNo, mMoneyPr) VALUES(?, "
                               "'20230306', '홍길동', '800101-1234567', 4500)",
                               {Variant(test::StoreKey(n))});
    }
    std::string lastBox() const { return fx->box.boxes.empty() ? "" : fx->box.boxes.back().text; }
    std::size_t backups() const { return ListBackups(folder).size(); }

  private slots:
    void init() {
        fx = std::make_unique<test::RoadFixture>();
        folder = fx->dir.path() / "usb";
        fs::create_directories(folder);
        addPrescriptions(1, 30);
        typed.clear();
    }
    void cleanup() { fx.reset(); }

    void pageSetsAPassphraseBacksUpAndRestoresFromItsList() {
        const std::string ini = SettingsFileOf(fx->store->path()).string();
        frmSettings settings(ini);
        auto* pagePtr = new frmBackupPage(*fx->store, &settings);
        settings.addPage(pagePtr);
        frmBackupPage& page = *pagePtr;
        page.keyCost = KeyCost::Minimal;
        page.askPassphrase = [this](const QString&) {
            const QString t = typed.empty() ? QString() : typed.front();
            if (!typed.empty()) typed.pop_front();
            return t;
        };
        int restored = 0;
        page.onRestored = [&] { ++restored; };
        page.txt백업폴더->setText(QString::fromStdString((folder / "no such").string()));
        QVERIFY(!settings.save()); // a folder that is not there is not kept
        QVERIFY(lastBox().find("백업 폴더를 찾을 수 없습니다") != std::string::npos);
        page.txt백업폴더->setText(QString::fromStdString(folder.string()));

        typed = {QStringLiteral("짧은암호")};
        page.cmd암호설정_Click();
        QVERIFY(lastBox().find("8자 이상") != std::string::npos);
        typed = {QStringLiteral("약국 백업 암호"), QStringLiteral("약국 백업 암호!")};
        page.cmd암호설정_Click();
        QVERIFY(lastBox().find("다릅니다") != std::string::npos);
        QVERIFY(page.key().empty());
        typed = {QStringLiteral("약국 백업 암호"), QStringLiteral("약국 백업 암호")};
        page.cmd암호설정_Click();
        QVERIFY(!page.key().empty());
        QVERIFY(page.lab암호->text().startsWith(QStringLiteral("정해져")));
        QVERIFY(settings.save());
        std::ifstream in(ini);
        const std::string text(std::istreambuf_iterator<char>(in), {});
        QVERIFY(text.find("PublicKey=" + page.key().publicKey) != std::string::npos);
        QVERIFY(text.find("Folder=" + folder.string()) != std::string::npos);
        QVERIFY(text.find("약국 백업 암호") == std::string::npos); // the passphrase itself is kept nowhere

        page.cmd지금백업_Click();
        QVERIFY2(lastBox().find("백업하였습니다") != std::string::npos, lastBox().c_str());
        QCOMPARE(page.Sp백업목록->MaxRows(), 1);
        QCOMPARE(page.Sp백업목록->Cell(1, 2).toText(), std::string("잠김"));
        QCOMPARE(page.Sp백업목록->Cell(1, 3).toText(), std::string("30"));
        settings.tabs->setCurrentWidget(&page);
        settings.resize(780, 600);
        settings.show();
        QDir().mkpath(QStringLiteral(PELMORA_BINARY_DIR "/screenshots"));
        QVERIFY(settings.grab().save(QStringLiteral(PELMORA_BINARY_DIR "/screenshots/frmBackupPage.png")));
        // A backup made meanwhile stays recorded when the window saves its copy of the file.
        QVERIFY(settings.save());
        std::ostringstream ignored;
        QVERIFY(!BackupSettings::load(ini, ignored).lastOk.empty());

        addPrescriptions(31, 40);
        page.Sp백업목록->spGoCell(1, 1);
        fx->box.answers = {true};
        typed = {QStringLiteral("틀린 암호입니다")};
        page.cmd복원_Click();
        QVERIFY(lastBox().find("백업 암호가 맞지 않습니다") != std::string::npos);
        QCOMPARE(prescriptions(), 40L);
        QCOMPARE(restored, 0);
        fx->box.answers = {false}; // asked, and the pharmacist says no
        page.cmd복원_Click();
        QCOMPARE(prescriptions(), 40L);
        fx->box.answers = {true};
        typed = {QStringLiteral("약국 백업 암호")};
        page.cmd복원_Click();
        QCOMPARE(prescriptions(), 30L);
        QCOMPARE(restored, 1);
        QVERIFY(lastBox().find("2023-03-06 10:30 백업을 복원하였습니다. 처방 30건") != std::string::npos);
    }

    void mainWindowShowsTheLastBackupAndBacksUpOnCtrlBAndAtClosing() {
        QVERIFY(w()->lab백업->toolTip().contains(QStringLiteral("백업 폴더가 정해지지 않았습니다")));
        QVERIFY(w()->lab백업->text().contains(QStringLiteral("#c00000")));
        BackupSettings s;
        s.folder = folder.string();
        s.key = MakeBackupKey("약국 백업 암호", KeyCost::Minimal);
        s.warnDays = 3;
        s.save(SettingsFileOf(fx->store->path()));
        w()->showLastBackup();
        QVERIFY(w()->lab백업->text().contains(QStringLiteral("백업 없음")));

        w()->txt고객명->setFocus();
        QTest::keyClick(w()->txt고객명, Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(backups(), 1u);
        QVERIFY(w()->lab백업->text().contains(QStringLiteral("백업 03-06 10:30")));
        QVERIFY(w()->lab백업->toolTip().contains(
            QStringLiteral("최근 백업 2023-03-06 10:30 (Pelmo-20230306-103015.pbk)")));
        QVERIFY(!w()->lab백업->text().contains(QStringLiteral("#c00000")));

        Clock::freeze({2023, 3, 10, 19, 0, 0}); // four days later
        w()->showLastBackup();
        QVERIFY(w()->lab백업->text().contains(QStringLiteral("백업 4일 전")));
        QVERIFY(w()->lab백업->toolTip().contains(QStringLiteral("4일째 백업이 없습니다")));
        QDir().mkpath(QStringLiteral(PELMORA_BINARY_DIR "/screenshots"));
        QVERIFY(w()->grab().save(QStringLiteral(PELMORA_BINARY_DIR "/screenshots/frmMainBackupOverdue.png")));
        QVERIFY(w()->lab백업->text().contains(QStringLiteral("#c00000")));

        const std::size_t boxesBefore = fx->box.boxes.size();
        w()->close();
        QCOMPARE(backups(), 2u);
        QCOMPARE(fx->box.boxes.size(), boxesBefore); // an encrypted backup at closing says nothing
    }
};

QTEST_MAIN(TestFrmBackup)
#include "TestFrmBackup.moc"
