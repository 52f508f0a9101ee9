// The link database seen from the windows: its build under the progress
// window, and a reference file changed while the main window is open, taken
// up by the next pricing run and not before.

#include "TestRoadFixture.h"
#include "app/ModMain.h"
#include "app/frmProgress.h"
#include "data/LinkDatabase.h"
#include "data/StartUp.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

// The six reference files under root with the tables of the fixture's
// in-memory reference data.
void writeFiles(SqliteConnection& from, const fs::path& root) {
    fs::create_directories(ReferenceFiles::folder(root));
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i) {
        const std::string file = ReferenceFiles::file(root, i).string();
        ReferenceFiles::createSchema(*SqliteConnection::create(file), i);
        from.execute("ATTACH DATABASE ? AS f", {Variant(file)});
        for (const auto& t : ReferenceFiles::required(i))
            from.executeScript("INSERT INTO f.\"" + t.name + "\" SELECT * FROM main.\"" + t.name + "\"");
        from.executeScript("DETACH DATABASE f");
    }
}

// Records every progress window that is shown, with what it says.
struct ProgressSeen : QObject {
    QStringList titles, files;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (auto* w = qobject_cast<frmProgress*>(o); w && e->type() == QEvent::Show) {
            titles << w->windowTitle();
            files << w->lab파일->text();
        }
        return false;
    }
};

} // namespace

class TestModMain : public QObject {
    Q_OBJECT
  private slots:
    void theBuildStandsInAWindowWithTheProgramsTitle() {
        test::TempDir dir;
        test::RefFixture(dir.path()).holiday("20240101", "1월 1일");
        LinkProgressWindow window;
        LinkProgressFn report = window.function();
        bool looked = false;
        auto link = LinkDatabase::open(dir.path(), [&](const LinkProgress& p) {
            report(p);
            auto* w = qobject_cast<frmProgress*>(QApplication::activeModalWidget());
            if (looked || !w || p.phase != LinkProgress::Phase::Copying || p.file != ReferenceFiles::kHoliday)
                return;
            looked = true;
            QCOMPARE(w->windowTitle(), QStringLiteral("Pelmora"));
            QVERIFY(w->isVisible());
            QCOMPARE(w->lab파일->text(), QStringLiteral("공휴일.db (3/6)"));
            QCOMPARE(w->bar->value(), 2);
            const QString shots = QStringLiteral(PELMORA_BINARY_DIR "/screenshots");
            QDir().mkpath(shots);
            QVERIFY(w->grab().save(shots + QStringLiteral("/frmProgress.png")));
        });
        QVERIFY(looked);
        QVERIFY(window.shown());
        // opened again unchanged: no build, no window
        LinkProgressWindow none;
        QVERIFY(!LinkDatabase::open(dir.path(), none.function())->built());
        QVERIFY(!none.shown());
    }

    void aChangedFeeFileIsTakenUpByTheNextPricingRun() {
        test::RoadFixture fx;
        const fs::path root = fx.dir.path() / "root";
        writeFiles(fx.ref.db(0), root);
        ProcessObjects& objects = processObjects();
        objects.CnMdb = LinkDatabase::open(root);
        fx.w = std::make_unique<frmMain>(objects.CnMdb->connection(), true);
        fx.w->show();
        fx.setLines({{.code = "645301220", .name = "타이레놀정500mg", .price = "120"}});
        fx.w->ProcCalc();
        const std::string before = fx.받을금액();
        const std::string fees = fx.w->Sp수가->Cell(8, 3).toText(); // 조제료합

        // the fee schedule written anew and renamed into place
        const fs::path fee = ReferenceFiles::file(root, ReferenceFiles::kFee);
        fs::copy_file(fee, fee.string() + ".new");
        SqliteConnection::open(fee.string() + ".new")
            ->executeScript("UPDATE DBF심평원수 SET 수가단가 = 수가단가 + 1000");
        fs::rename(fee.string() + ".new", fee);
        QCOMPARE(fx.w->Sp수가->Cell(8, 3).toText(), fees); // nothing changes on its own

        ProgressSeen seen;
        qApp->installEventFilter(&seen);
        fx.w->ProcCalc();
        qApp->removeEventFilter(&seen);
        QCOMPARE(seen.titles, QStringList{QStringLiteral("Pelmora")});
        QVERIFY(fx.w->Sp수가->Cell(8, 3).toDouble() > std::stod(fees) + 1000);
        QVERIFY(fx.받을금액() != before);
        QVERIFY(!objects.CnMdb->stale());
        QVERIFY(fx.box.boxes.empty());
        fx.w.reset();
        objects.CnMdb.reset();
    }
};

QTEST_MAIN(TestModMain)
#include "TestModMain.moc"
