// The totals window over a generated store: the grids against the store's
// totals, the chart's bars against the same figures, the spreadsheet read
// back, the year's page with its masked resident numbers and the opt-outs,
// and screenshots of both pages.

#include "app/KVSp.h"
#include "app/XlsxFile.h"
#include "app/frmTotals.h"
#include "app/frmYearEnd.h"
#include "data/YearEndReport.h"
#include "support/RecordingMessage.h"
#include "support/StoreGenerator.h"
#include "support/TempDir.h"
#include "util/Clock.h"

#include <QBarSet>
#include <QChart>
#include <QDateEdit>
#include <QFontDatabase>
#include <QLabel>
#include <QSpinBox>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QtTest>

#include <memory>

using namespace pelmora;

namespace {

QString won(Currency c) {
    return QString::fromStdString(c.toText());
}

std::vector<QStringList> readBack(const QString& file) {
    std::vector<QStringList> rows;
    QString error;
    if (readXlsx(file, &rows, &error) != XlsxRead::Ok) qWarning() << error;
    return rows;
}

} // namespace

class TestFrmTotals : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TempDir> tmp;
    std::unique_ptr<SqliteConnection> store;
    std::unique_ptr<frmTotals> w;
    test::RecordingMessage boxes;

    void key(QWidget* target, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(target, k, m);
    }

  private slots:
    void init() {
        Clock::freeze({2024, 12, 16, 18, 0, 0});
        tmp = std::make_unique<test::TempDir>();
        test::StoreShape shape;
        shape.prescriptions = 4000;
        test::GenerateStore(tmp->file("Pelmo.db"), shape);
        QVERIFY(OpenLocalStore(store, tmp->file("Pelmo.db")));
        w = std::make_unique<frmTotals>(*store);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QVERIFY(!QFontDatabase::families(QFontDatabase::Korean).isEmpty());
        QDir().mkpath(QStringLiteral(PELMORA_BINARY_DIR "/screenshots"));
    }
    void cleanup() {
        w.reset();
        store.reset();
        tmp.reset();
        Clock::unfreeze();
    }

    void opensOnTodayAndShowsAMonthWithItsChart() {
        QCOMPARE(w->pvd시작->date(), QDate(2024, 12, 16));
        QCOMPARE(w->Sp일별->MaxRows(), 2); // today and the sum
        QCOMPARE(w->Sp일별->Cell(1, 1).toText(), std::string("2024-12-16"));

        w->pvd시작->setDate(QDate(2024, 12, 1));
        w->pvd종료->setDate(QDate(2024, 12, 31));
        key(w->pvd종료, Qt::Key_Return);
        const StoreTotals t = ReadStoreTotals(*store, "20241201", "20241231");
        QCOMPARE(w->Sp일별->MaxRows(), static_cast<int>(t.days.size()) + 1);
        for (int r = 1; r <= static_cast<int>(t.days.size()); ++r) {
            const auto& s = t.days[static_cast<std::size_t>(r - 1)].sums;
            QCOMPARE(w->Sp일별->Cell(r, 2).toInt32(), static_cast<int>(s.count));
            QCOMPARE(QString::fromStdString(w->Sp일별->Cell(r, 3).toText()), won(s.total));
            QCOMPARE(QString::fromStdString(w->Sp일별->Cell(r, 6).toText()), won(s.gongdan));
            QCOMPARE(QString::fromStdString(w->Sp일별->Cell(r, 13).toText()), won(s.cash));
        }
        const int sum = w->Sp일별->MaxRows();
        QCOMPARE(w->Sp일별->Cell(sum, 1).toText(), std::string("합계"));
        QCOMPARE(w->Sp일별->spRowSum(1, sum - 1, 4), t.all.bonin); // the rows add up to the sum row
        QCOMPARE(QString::fromStdString(w->Sp일별->Cell(sum, 3).toText()), won(t.all.total));
        QCOMPARE(w->Sp보험->MaxRows(), static_cast<int>(t.classes.size()) + 1);
        QCOMPARE(w->Sp보험->Cell(2, 1).toText(), std::string("건강보험"));
        QVERIFY(w->lab안내->text().contains(QStringLiteral("금액이 기록되지 않은 처방")));

        // One stacked bar a day of December, its parts the day's shares in thousands of won.
        const auto series = w->chart()->series();
        QCOMPARE(series.size(), 1);
        const auto sets = static_cast<QStackedBarSeries*>(series[0])->barSets();
        QCOMPARE(sets.size(), 3);
        QCOMPARE(sets[0]->count(), 31);
        double chartTotal = 0;
        for (QBarSet* s : sets)
            for (int i = 0; i < s->count(); ++i)
                chartTotal += s->at(i);
        QVERIFY(std::abs(chartTotal - t.all.total.toDouble() / 1000) < 0.01);
        const auto& dec16 = t.days[15].sums;
        QCOMPARE(t.days[15].date, std::string("20241216"));
        QVERIFY(std::abs(sets[0]->at(15) + sets[1]->at(15) + sets[2]->at(15) -
                         dec16.total.toDouble() / 1000) < 0.01);

        QTest::qWait(100); // the chart lays its axes out on the next turn of the event loop
        QVERIFY(w->grab().save(QStringLiteral(PELMORA_BINARY_DIR "/screenshots/frmTotals.png")));

        w->tab집계->setCurrentIndex(1);
        QVERIFY(w->grab().save(QStringLiteral(PELMORA_BINARY_DIR "/screenshots/frmTotalsClasses.png")));
        w->tab집계->setCurrentIndex(0);

        // A long range is drawn by month.
        w->pvd시작->setDate(QDate(2024, 9, 1));
        w->pvd종료->setDate(QDate(2025, 2, 28));
        key(w->sp일별, Qt::Key_F3);
        QCOMPARE(static_cast<QStackedBarSeries*>(w->chart()->series()[0])->barSets()[0]->count(), 6);
    }

    void savesTheDaysTheSumAndTheClassesToASpreadsheet() {
        w->pvd시작->setDate(QDate(2024, 11, 20));
        w->pvd종료->setDate(QDate(2024, 11, 30));
        w->cmd조회_Click();
        const QString file = QString::fromStdString(tmp->file("totals.xlsx"));
        QVERIFY(w->exportTotals(file));
        const auto rows = readBack(file);
        const StoreTotals t = w->totals();
        QCOMPARE(rows.size(), 1 + t.days.size() + 1 + 2 + t.classes.size());
        QCOMPARE(rows[0][2], QStringLiteral("약제비총액"));
        QCOMPARE(rows[1][0], QStringLiteral("2024-11-20"));
        QCOMPARE(rows[1][2], won(t.days[0].sums.total));
        QCOMPARE(rows[t.days.size() + 1][0], QStringLiteral("합계"));
        QCOMPARE(rows[t.days.size() + 3][0], QStringLiteral("보험종류별"));
        QCOMPARE(boxes.boxes.back().text, std::string("엑셀파일로 저장하였습니다."));
    }

    void yearPageMasksOnScreenAndSavesWholeNumbersWithoutOptedOutPatients() {
        const std::string out = test::PatientJumNo(4, true);
        QVERIFY(SetNoReport(*store, out, true, "20241216180000"));
        w->tab집계->setCurrentIndex(2);
        QCOMPARE(w->yearEnd->pvn연도->value(), 2024); // December: this year
        key(w->yearEnd->sp연말, Qt::Key_F3);
        const YearEndReport r = ReadYearEnd(*store, 2024);
        QCOMPARE(w->yearEnd->Sp연말->MaxRows(), static_cast<int>(r.patients.size()));
        const QString shown = QString::fromStdString(w->yearEnd->Sp연말->Cell(1, 2).toText());
        QVERIFY2(shown.endsWith(QStringLiteral("******")), qPrintable(shown));
        QVERIFY(w->yearEnd->lab요약->text().contains(QStringLiteral("1명은 뺐습니다")));
        QVERIFY(w->grab().save(QStringLiteral(PELMORA_BINARY_DIR "/screenshots/frmTotalsYearEnd.png")));

        const QString file = QString::fromStdString(tmp->file("year.xlsx"));
        QVERIFY(w->yearEnd->exportYear(file));
        const auto rows = readBack(file);
        QCOMPARE(rows.size(), r.patients.size() + 1);
        QStringList numbers;
        for (std::size_t i = 1; i < rows.size(); ++i)
            numbers << rows[i][1];
        QVERIFY(!numbers.contains(QString::fromStdString(out)));
        const auto& first = r.patients[0];
        QCOMPARE(rows[1][0], QString::fromStdString(first.name));
        QCOMPARE(rows[1][1], QString::fromStdString(first.jumNo.substr(0, 6) + "-" + first.jumNo.substr(6)));
        QCOMPARE(rows[1][3], won(first.paid));
    }

    void keysRunTheWindow() {
        key(w->pvd시작, Qt::Key_F3);
        QCOMPARE(w->Sp일별->MaxRows(), 2);
        w->pvd시작->setDate(QDate(2024, 12, 20));
        key(w->pvd시작, Qt::Key_F3); // a start after the end is refused with a box
        QCOMPARE(boxes.boxes.back().title, std::string("입력오류"));
        key(w->pvd시작, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(w->tab집계->currentIndex(), 1);
        key(w->pvd시작, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        key(w->pvd시작, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(w->tab집계->currentIndex(), 2);
        QVERIFY(!w->pvd시작->isEnabled()); // the year's page has no dates
        key(w->sp일별, Qt::Key_Escape);
        QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(TestFrmTotals)
#include "TestFrmTotals.moc"
