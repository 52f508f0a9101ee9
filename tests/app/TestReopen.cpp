// A prescription opened again prices exactly as it was saved: random
// prescriptions typed through the window's own routines — every coverage,
// pack-unit and narcotic drugs, both check boxes, special codes, insurance,
// age and time classes, totals and prices typed over — are saved and opened
// again, and give the same request strings, drug lines and result cells.

#include "TestRoadFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTimeEdit>

#include <random>

using namespace pelmora;

namespace {
// Codes the window looks up directly; the coverage decides the price prompt.
const char* const kDrugs[] = {"645301220", "641900010", "642200020", "643300030", "643300040", "644400050",
                              "644400060", "644400070", "644400080", "642100510", "648700010", "671802370"};

struct Snapshot {
    std::string request;
    QStringList lines, figures;
};

template <typename T> const T& pick(std::mt19937& rng, const std::vector<T>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
}
bool coin(std::mt19937& rng, int inN = 2) {
    return std::uniform_int_distribution<int>(1, inN)(rng) == 1;
}
} // namespace

class TestReopen : public QObject {
    Q_OBJECT

    std::unique_ptr<test::RoadFixture> fx;
    frmMain* w() { return fx->w.get(); }

    void moreReferenceData() {
        auto& r = fx->ref;
        r.drug({.code = "641900010", .name = "팩정(내복)", .price = "40"}).pack("641900010");
        r.drug({.code = "642200020", .name = "마약정(내복)", .price = "300", .flag = "마약"});
        // Not covered, sold in packs and a narcotic: its price prompt starts
        // from the row before the date, which carries neither flag.
        r.drug({.code = "643300030",
                .name = "비급여팩정(내복)",
                .price = "450",
                .end = "20221231",
                .coverage = "비급여",
                .flag = "마약"});
        r.drug({.code = "643300030",
                .name = "비급여팩정(내복)",
                .price = "500",
                .start = "20230101",
                .coverage = "비급여",
                .flag = "마약"})
            .pack("643300030");
        r.drug({.code = "643300040", .name = "비급여주사(주사)", .price = "9000", .coverage = "비급여"});
        r.drug({.code = "644400050", .name = "백백정(내복)", .price = "210", .coverage = "100/100"});
        r.drug({.code = "644400060", .name = "팔십연고(외용)", .price = "1300", .coverage = "80/100"});
        r.drug({.code = "644400070", .name = "삼십정(내복)", .price = "77", .coverage = "30/100"});
        r.drug({.code = "644400080", .name = "구십주사(주사)", .price = "5100", .coverage = "90/100"});
        r.special("V193", "중증", 1, "20100101").special("V206", "지원", 0, "20100101");
    }

    // Typed as the pharmacist types it: the code, Enter, the quantities, and
    // now and then a total or a price typed over.
    void typeLine(std::mt19937& rng) {
        KVSp* sp = w()->Sp처방;
        w()->cmd추가_Click();
        const int r = sp->MaxRows();
        const std::string code = kDrugs[std::uniform_int_distribution<int>(0, std::size(kDrugs) - 1)(rng)];
        sp->setCell(r, 2, Variant(code));
        sp->spGoCell(r, 2);
        fx->box.inputs.push_back(
            pick<std::string>(rng, {"500", "1234.5", "0", "80"})); // a price prompt, if any
        QTest::keyClick(w()->sp처방, Qt::Key_Return);
        fx->box.inputs.clear();
        auto edit = [&](int col, const QString& text) {
            QAbstractItemModel* m = w()->sp처방->model();
            m->setData(m->index(r - 1, col - 1), text, Qt::EditRole);
        };
        edit(3, pick<QString>(rng, {"1", "0.5", "0.50", "2", "1.5", "0.33"}));
        edit(4, pick<QString>(rng, {"1", "2", "3", "03"}));
        edit(5, pick<QString>(rng, {"1", "3", "5", "7"}));
        if (coin(rng, 6)) edit(6, pick<QString>(rng, {"10", "2.5"}));
        if (coin(rng, 6)) edit(10, pick<QString>(rng, {"100", "35.5"}));
        sp->spGoCell(r, 7);
        QTest::keyClick(w()->sp처방, Qt::Key_Return); // the line is complete
    }

    void typePrescription(std::mt19937& rng, int n) {
        fx->typeInto(w()->txt고객명, QString("환자%1").arg(n));
        w()->pvt조제시간->setTime(pick<QTime>(rng, {QTime(10, 30), QTime(19, 30), QTime(22, 0)}));
        const QString birth = pick<QString>(rng, {"800101", "500101", "200101"});
        fx->typeInto(w()->txt주민번호,
                     test::RoadFixture::residentNo(birth.toStdString(), birth.startsWith("20") ? '3' : '1'));
        if (coin(rng)) {
            w()->opt보험[std::uniform_int_distribution<int>(0, 8)(rng)]->click();
        } else {
            w()->cmb보험종류1->setCurrentIndex(std::uniform_int_distribution<int>(0, 8)(rng));
            w()->cmb보험종류2->setCurrentIndex(
                std::uniform_int_distribution<int>(0, w()->cmb보험종류2->count() - 1)(rng));
        }
        w()->txt요양기관번호->setText(pick<QString>(rng, {"12345678", "12745678"}));
        fx->typeInto(w()->txt특정기호1, pick<QString>(rng, {"", "V252", "V193", "v206"}));
        if (!w()->txt특정기호1->text().isEmpty())
            fx->typeInto(w()->txt특정기호2, pick<QString>(rng, {"", "V193", "V252"}));
        w()->cmb본인부담여부->setCurrentIndex(std::uniform_int_distribution<int>(0, 24)(rng));
        if (coin(rng)) w()->chk비급여조제료->click();
        if (coin(rng)) w()->chk자가투여주사->click();
        if (coin(rng, 4)) w()->cmb시간외->setCurrentIndex(std::uniform_int_distribution<int>(0, 4)(rng));
        if (coin(rng, 4)) w()->cmb연령->setCurrentIndex(std::uniform_int_distribution<int>(0, 2)(rng));
        const int lines = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int i = 0; i < lines; ++i)
            typeLine(rng);
        // The row the last Enter opened is not part of the prescription.
        if (w()->Sp처방->Cell(w()->Sp처방->MaxRows(), 1).toText().empty()) {
            w()->Sp처방->spGoCell(w()->Sp처방->MaxRows(), 1);
            w()->cmd삭제_Click();
        }
    }

    Snapshot snapshot() {
        Snapshot s;
        s.request = w()->lastRequest().first + w()->lastRequest().second;
        KVSp* sp = w()->Sp처방;
        for (int r = 1; r <= sp->MaxRows(); ++r) {
            QStringList cells;
            for (int c = 1; c <= 16; ++c)
                cells << QString::fromStdString(sp->Cell(r, c, c == 7 || c == 8 ? 1 : 0).toText());
            s.lines << cells.join('|');
        }
        for (KVSp* g : {w()->Sp수가, w()->Sp약가, w()->Sp계산})
            for (int r = 1; r <= g->MaxRows(); ++r)
                for (int c = 2; c <= g->MaxCols(); ++c)
                    s.figures << QString::fromStdString(g->Cell(r, c).toText());
        return s;
    }

  private slots:
    void init() {
        fx = std::make_unique<test::RoadFixture>();
        moreReferenceData();
    }
    void cleanup() { fx.reset(); }

    void reopenedPrescriptionsPriceAsSaved() {
        std::mt19937 rng(19);
        for (int n = 1; n <= 40; ++n) {
            typePrescription(rng, n);
            const Snapshot typed = snapshot();
            QVERIFY2(w()->pricingValid(), qPrintable(w()->pricingError()));
            QCOMPARE(fx->gridDifference(fx->engine()), QString());
            fx->box.answers = {true};
            w()->cmd저장_Click();
            QCOMPARE(w()->Sp처방->MaxRows(), 0);
            const QString code = w()->lastSavedCode();
            w()->ProcLoad(code);
            const Snapshot reopened = snapshot();
            const QByteArray where =
                QString("prescription %1: %2").arg(n).arg(QString::fromStdString(typed.request)).toUtf8();
            QVERIFY2(reopened.request == typed.request, where.constData());
            QVERIFY2(reopened.lines == typed.lines, where.constData());
            QVERIFY2(reopened.figures == typed.figures, where.constData());
            fx->box.answers = {true};
            w()->cmd초기화_Click();
        }
        for (const auto& b : fx->box.boxes)
            QVERIFY2(b.title != "오류", b.text.c_str());
    }
};

QTEST_MAIN(TestReopen)
#include "TestReopen.moc"
