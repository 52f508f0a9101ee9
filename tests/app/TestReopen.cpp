// Random prescriptions typed through the window's own routines — every
// coverage, pack-unit and narcotic drugs, both check boxes, special codes,
// insurance, age and time classes, totals and prices typed over — are saved
// and opened again: the same request strings, drug lines and result cells
// come back. After the save, and after F2 or Esc on the opened one, every
// named widget holds its start value again; 비급여 조제료 계산안함 and
// 계산 상세보기 stay as the pharmacist set them.

#include "TestRoadFixture.h"

#include "app/frmDetail.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>

#include <random>

using namespace pelmora;

namespace {
const char* const kDrugs[] = {"645301220", "641900010", "642200020", "643300030", "643300040", "644400050",
                              "644400060", "644400070", "644400080", "642100510", "648700010", "671802370"};

struct Rng {
    std::mt19937 gen{19};
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(gen); }
    template <typename T> T pick(std::initializer_list<T> from) {
        return *(from.begin() + below(int(from.size())));
    }
};

// What every named widget of the window shows, by name.
QMap<QString, QString> state(frmMain& w) {
    QMap<QString, QString> m;
    for (QWidget* c : w.findChildren<QWidget*>()) {
        QString& v = m[c->objectName()];
        if (auto* e = qobject_cast<QLineEdit*>(c))
            v = e->text();
        else if (auto* l = qobject_cast<QLabel*>(c))
            v = l->text() + l->palette().color(QPalette::Window).name() + l->property("tag").toString();
        else if (auto* b = qobject_cast<QComboBox*>(c))
            v = QString::number(b->count()) + b->currentText();
        else if (auto* d = qobject_cast<QDateTimeEdit*>(c))
            v = d->dateTime().toString();
        else if (auto* s = qobject_cast<QSpinBox*>(c))
            v = s->text();
        else if (auto* a = qobject_cast<QAbstractButton*>(c))
            v = a->isChecked() ? "checked" : "";
        else if (auto* g = qobject_cast<QTableView*>(c)) {
            v = g->isEnabled() ? "" : "disabled";
            for (int r = 0; r < g->model()->rowCount(); ++r)
                for (int col = 0; col < g->model()->columnCount(); ++col)
                    v += '|' + g->model()->index(r, col).data().toString();
        }
    }
    m.remove(QString());
    m.remove("sp약제비"); // the detail window's own
    return m;
}
} // namespace

class TestReopen : public QObject {
    Q_OBJECT

    std::unique_ptr<test::RoadFixture> fx;
    frmMain* w() { return fx->w.get(); }
    Rng rng;

    // Pack-unit and narcotic drugs, every coverage and route. The
    // non-covered pack narcotic's price prompt starts from its row before the
    // date, which carries neither flag.
    void moreReferenceData() {
        const test::DrugRow more[] = {
            {.code = "641900010", .name = "팩정(내복)", .price = "40"},
            {.code = "642200020", .name = "마약정(내복)", .price = "300", .flag = "마약"},
            {.code = "643300030",
             .name = "비급여팩정",
             .price = "450",
             .end = "20221231",
             .coverage = "비급여",
             .flag = "마약"},
            {.code = "643300030",
             .name = "비급여팩정",
             .price = "500",
             .start = "20230101",
             .coverage = "비급여",
             .flag = "마약"},
            {.code = "643300040", .name = "비급여주사(주사)", .price = "9000", .coverage = "비급여"},
            {.code = "644400050", .name = "백백정(내복)", .price = "210", .coverage = "100/100"},
            {.code = "644400060", .name = "팔십연고(외용)", .price = "1300", .coverage = "80/100"},
            {.code = "644400070", .name = "삼십정(내복)", .price = "77", .coverage = "30/100"},
            {.code = "644400080", .name = "구십주사(주사)", .price = "5100", .coverage = "90/100"}};
        for (const auto& d : more)
            fx->ref.drug(d);
        fx->ref.pack("641900010").pack("643300030");
        fx->ref.special("V193", "중증", 1, "20100101").special("V206", "지원", 0, "20100101");
    }

    // A cell typed over, as the cell editor commits it.
    void edit(int r, int col, std::initializer_list<QString> texts) {
        QAbstractItemModel* m = w()->sp처방->model();
        m->setData(m->index(r - 1, col - 1), rng.pick<QString>(texts), Qt::EditRole);
    }

    // The code, Enter, the quantities, now and then a total or a price typed
    // over, and Enter on the coverage to complete the line.
    void typeLine() {
        KVSp* sp = w()->Sp처방;
        w()->cmd추가_Click();
        const int r = sp->MaxRows();
        sp->setCell(r, 2, Variant(std::string(kDrugs[rng.below(std::size(kDrugs))])));
        fx->box.inputs = {rng.pick<std::string>({"500", "1234.5", "0"})}; // the price prompt, if any
        QTest::keyClick(w()->sp처방, Qt::Key_Return);
        fx->box.inputs.clear();
        edit(r, 3, {"1", "0.5", "0.50", "2", "1.5", "0.33"});
        edit(r, 4, {"1", "2", "3", "03"});
        edit(r, 5, {"1", "3", "5", "7"});
        if (rng.below(6) == 0) edit(r, 6, {"10", "2.5"});
        if (rng.below(6) == 0) edit(r, 10, {"100", "35.5"});
        sp->spGoCell(r, 7);
        QTest::keyClick(w()->sp처방, Qt::Key_Return);
    }

    void typePrescription(int n) {
        fx->typeInto(w()->txt고객명, QString("환자%1").arg(n));
        w()->pvt조제시간->setTime(rng.pick({QTime(10, 30), QTime(19, 30), QTime(22, 0)}));
        const QString birth = rng.pick<QString>({"800101", "500101", "200101"});
        fx->typeInto(w()->txt주민번호,
                     test::RoadFixture::residentNo(birth.toStdString(), birth.startsWith("20") ? '3' : '1'));
        if (rng.below(2)) {
            w()->opt보험[rng.below(9)]->click();
        } else {
            w()->cmb보험종류1->setCurrentIndex(rng.below(9));
            w()->cmb보험종류2->setCurrentIndex(rng.below(w()->cmb보험종류2->count()));
        }
        for (QLineEdit* e :
             {w()->txt면허번호, w()->txt의사명, w()->txt요양기관명, w()->txt상병기호1, w()->txt상병기호2})
            e->setText(QString("%1%2").arg(e->objectName().right(2)).arg(n));
        w()->txt교부번호->setText("00012");
        w()->pvd발행일자->setDate(QDate(2023, 3, 2));
        w()->pvn사용기간->setValue(7);
        w()->txt요양기관번호->setText(rng.pick<QString>({"12345678", "12745678"}));
        fx->typeInto(w()->txt특정기호1, rng.pick<QString>({"", "V252", "V193", "v206"}));
        if (!w()->txt특정기호1->text().isEmpty())
            fx->typeInto(w()->txt특정기호2, rng.pick<QString>({"", "V193"}));
        w()->cmb본인부담여부->setCurrentIndex(rng.below(25));
        if (rng.below(2)) w()->chk비급여조제료->click();
        if (rng.below(2)) w()->chk자가투여주사->click();
        if (rng.below(4) == 0) w()->cmb시간외->setCurrentIndex(rng.below(5));
        if (rng.below(4) == 0) w()->cmb연령->setCurrentIndex(rng.below(3));
        for (int i = 1 + rng.below(4); i > 0; --i)
            typeLine();
        // The row the last Enter opened is not part of the prescription.
        if (w()->Sp처방->Cell(w()->Sp처방->MaxRows(), 1).toText().empty()) {
            w()->Sp처방->spGoCell(w()->Sp처방->MaxRows(), 1);
            w()->cmd삭제_Click();
        }
        // A total or a price typed over just before saving.
        if (rng.below(3) == 0) edit(1 + rng.below(w()->Sp처방->MaxRows()), rng.pick({6, 10}), {"12", "99"});
    }

    QStringList priced() {
        QStringList s{QString::fromStdString(w()->lastRequest().first + w()->lastRequest().second)};
        for (KVSp* g : {w()->Sp처방, w()->Sp수가, w()->Sp약가, w()->Sp계산})
            for (int r = 1; r <= g->MaxRows(); ++r)
                for (int c = 1; c <= g->MaxCols(); ++c)
                    s << QString::fromStdString(
                        g->Cell(r, c, g == w()->Sp처방 && (c == 7 || c == 8)).toText());
        return s;
    }
    // The first widget that does not hold its start value, or nothing.
    QString notAtStart(const QMap<QString, QString>& start) {
        const QMap<QString, QString> now = state(*w());
        for (auto it = start.begin(); it != start.end(); ++it)
            if (now[it.key()] != it.value())
                return it.key() + ": " + now[it.key()] + " instead of " + it.value();
        return w()->focusWidget() == w()->txt고객명 ? QString() : QString("focus");
    }

  private slots:
    void init() {
        fx = std::make_unique<test::RoadFixture>();
        moreReferenceData();
        w()->chk계산상세보기->click();
    }
    void cleanup() { fx.reset(); }

    void reopenedPrescriptionsPriceAsSavedAndTheWindowStartsAgain() {
        QMap<QString, QString> start = state(*w());
        for (int n = 1; n <= 40; ++n) {
            typePrescription(n);
            const QStringList typed = priced();
            QVERIFY2(w()->pricingValid(), qPrintable(w()->pricingError()));
            QCOMPARE(fx->gridDifference(fx->engine()), QString());
            fx->box.answers = {true};
            w()->cmd저장_Click();
            start["chk비급여조제료"] = w()->chk비급여조제료->isChecked() ? "checked" : "";
            QVERIFY2(notAtStart(start).isEmpty(), qPrintable("after saving: " + notAtStart(start)));
            if (rng.below(2)) { // the pharmacist's own setting for new prescriptions changes meanwhile
                w()->chk비급여조제료->click();
                start["chk비급여조제료"] = w()->chk비급여조제료->isChecked() ? "checked" : "";
            }
            w()->ProcLoad(w()->lastSavedCode());
            const QStringList reopened = priced();
            QVERIFY2(reopened == typed, qPrintable(QString("prescription %1: %2").arg(n).arg(typed.front())));
            fx->box.answers = {true};
            QTest::keyClick(QApplication::focusWidget(), n % 2 ? Qt::Key_F2 : Qt::Key_Escape);
            QVERIFY2(notAtStart(start).isEmpty(), qPrintable("after F2 or Esc: " + notAtStart(start)));
            QCOMPARE(w()->detailWindow()->Sp약제비->Cell(1, 2).toText(), std::string());
        }
        for (const auto& b : fx->box.boxes)
            QVERIFY2(b.title != "오류", b.text.c_str());
    }
};

QTEST_MAIN(TestReopen)
#include "TestReopen.moc"
