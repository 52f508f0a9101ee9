// Every field of the main window goes back to its start value between
// patients — after a save, after F2 and after Esc — whatever the last
// prescription touched; only the two settings the pharmacist keeps across
// patients (비급여 조제료 계산안함, 계산 상세보기) stay as the pharmacist
// set them.

#include "TestRoadFixture.h"

#include "app/frmDetail.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimeEdit>

using namespace pelmora;
using test::GridLine;

namespace {
const GridLine kTylenol{.code = "645301220", .name = "타이레놀정500mg", .price = "120"};
const GridLine kVitamin{.code = "643900710", .name = "비타민정", .coverage = 1, .price = "50"};

// What every named widget of the window shows, by name.
QMap<QString, QString> state(frmMain& w) {
    QMap<QString, QString> m;
    for (QWidget* c : w.findChildren<QWidget*>()) {
        const QString name = c->objectName();
        if (c->window() != &w || name.isEmpty() || name.startsWith("qt_")) continue;
        QString v;
        if (auto* e = qobject_cast<QLineEdit*>(c))
            v = e->text();
        else if (auto* l = qobject_cast<QLabel*>(c))
            v = l->text() + '|' + l->palette().color(QPalette::Window).name() + '|' +
                l->palette().color(QPalette::WindowText).name() + '|' + l->property("tag").toString();
        else if (auto* b = qobject_cast<QComboBox*>(c))
            v = QString("%1/%2 %3").arg(b->currentIndex()).arg(b->count()).arg(b->currentText());
        else if (auto* d = qobject_cast<QDateEdit*>(c))
            v = d->date().toString();
        else if (auto* t = qobject_cast<QTimeEdit*>(c))
            v = t->time().toString();
        else if (auto* s = qobject_cast<QSpinBox*>(c))
            v = QString::number(s->value());
        else if (auto* a = qobject_cast<QAbstractButton*>(c))
            v = a->isChecked() ? "checked" : "";
        else if (auto* g = qobject_cast<QTableView*>(c)) {
            v = g->isEnabled() ? "enabled" : "disabled";
            for (int r = 0; r < g->model()->rowCount(); ++r)
                for (int col = 0; col < g->model()->columnCount(); ++col)
                    v += '|' + g->model()->index(r, col).data().toString();
        } else
            continue;
        m[name] = v;
    }
    return m;
}
} // namespace

class TestFrmMainReset : public QObject {
    Q_OBJECT

    std::unique_ptr<test::RoadFixture> fx;
    frmMain* w() { return fx->w.get(); }

    // A prescription that leaves a mark on every field.
    void typeEverything() {
        fx->typeInto(w()->txt고객명, "김아기");
        w()->pvd조제일자->setDate(QDate(2023, 3, 4));
        w()->pvt조제시간->setTime(QTime(22, 0));
        fx->typeInto(w()->txt주민번호, test::RoadFixture::residentNo("200101", '3'));
        w()->cmb보험종류1->setCurrentIndex(2);
        w()->cmb보험종류2->setCurrentIndex(1);
        w()->opt보험[6]->click();
        w()->pvd발행일자->setDate(QDate(2023, 3, 1));
        for (auto [field, text] : {std::pair{w()->txt교부번호, "00012"},
                                   {w()->txt면허번호, "12345"},
                                   {w()->txt의사명, "김의사"},
                                   {w()->txt요양기관번호, "12345678"},
                                   {w()->txt요양기관명, "한빛의원"},
                                   {w()->txt상병기호1, "J00"},
                                   {w()->txt상병기호2, "J01"}})
            field->setText(text);
        w()->pvn사용기간->setValue(7);
        fx->typeInto(w()->txt특정기호1, "V252");
        fx->typeInto(w()->txt특정기호2, "V252");
        w()->cmb시간외->setCurrentIndex(2);
        w()->cmb연령->setCurrentIndex(2);
        w()->cmb본인부담여부->setCurrentIndex(5);
        w()->chk자가투여주사->click();
        fx->setLines({kTylenol, kVitamin});
        w()->ProcRecalc();
    }

  private slots:
    void init() { fx = std::make_unique<test::RoadFixture>(); }
    void cleanup() { fx.reset(); }

    void everyFieldStartsAgainForTheNextPatient_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("opened"); // a stored prescription opened and changed first
        QTest::addColumn<bool>("failed"); // its last pricing run reported an error
        for (const char* how : {"save", "F2", "Esc"}) {
            QTest::addRow("%s", how) << how << false << false;
            QTest::addRow("%s an opened prescription", how) << how << true << false;
        }
        QTest::addRow("F2 after a failed run") << "F2" << false << true;
        QTest::addRow("Esc after a failed run") << "Esc" << false << true;
    }
    void everyFieldStartsAgainForTheNextPatient() {
        QFETCH(QString, how);
        QFETCH(bool, opened);
        QFETCH(bool, failed);
        w()->chk계산상세보기->click(); // a setting the pharmacist keeps
        QMap<QString, QString> start = state(*w());
        if (opened) {
            // Stored with 비급여 조제료 계산안함 ticked; the pharmacist's own setting comes back.
            typeEverything();
            w()->chk비급여조제료->click();
            fx->box.answers = {true};
            w()->cmd저장_Click();
            w()->chk비급여조제료->click();
            start = state(*w());
            w()->ProcLoad(w()->lastSavedCode());
            QVERIFY(w()->chk비급여조제료->isChecked());
            fx->typeInto(w()->txt고객명, "김아기2");
        } else {
            typeEverything();
            w()->chk비급여조제료->click(); // kept for the next patient
            start["chk비급여조제료"] = "checked";
        }
        if (failed) {
            fx->ref.db(0).execute("ALTER TABLE DBF심평원수 RENAME TO 수가보관");
            w()->ProcRecalc();
            QVERIFY(!w()->pricingValid());
        }
        const QMap<QString, QString> typed = state(*w());
        fx->box.answers = {true};
        if (how == "save")
            w()->cmd저장_Click();
        else
            QTest::keyClick(QApplication::focusWidget(), how == "F2" ? Qt::Key_F2 : Qt::Key_Escape);
        const QMap<QString, QString> after = state(*w());
        QCOMPARE(after.keys(), start.keys());
        int touched = 0;
        for (const QString& name : start.keys()) {
            touched += typed[name] != start[name];
            QVERIFY2(after[name] == start[name],
                     qPrintable(name + ": " + after[name] + " instead of " + start[name]));
        }
        QVERIFY2(touched >= 30, qPrintable(QString::number(touched))); // the prescription reached the fields
        QVERIFY(w()->pricingValid() && w()->lastRequest().first.empty());
        QCOMPARE(w()->focusWidget(), w()->txt고객명);
        QVERIFY(w()->detailWindow()); // shown still, and emptied
        QCOMPARE(w()->detailWindow()->Sp약제비->Cell(1, 2).toText(), std::string());
    }
};

QTEST_MAIN(TestFrmMainReset)
#include "TestFrmMainReset.moc"
