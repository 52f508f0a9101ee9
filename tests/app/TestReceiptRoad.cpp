// The road from a priced prescription to its receipt: the figures of the run
// on screen are stored with it, and what the receipt prints is what was
// charged on the day.

#include "TestRoadFixture.h"
#include "charge/ReceiptFigures.h"
#include "data/StoredCharge.h"

using namespace pelmora;
using test::GridLine;

namespace {
const GridLine kTylenol{.code = "645301220", .name = "타이레놀정500mg", .price = "120"};
const GridLine kVitamin{.code = "643900710", .name = "비타민정", .coverage = 1, .price = "50"};
const GridLine kSelective{.code = "642100510", .name = "선별정", .coverage = 3, .price = "300"};
} // namespace

class TestReceiptRoad : public QObject {
    Q_OBJECT

    std::unique_ptr<test::RoadFixture> fx;
    frmMain* w() { return fx->w.get(); }

    void typed(const std::vector<GridLine>& lines) {
        fx->typeInto(w()->txt고객명, "홍길동");
        fx->typeInto(w()->txt주민번호, test::RoadFixture::residentNo("800101", '1'));
        fx->setLines(lines);
        w()->ProcRecalc();
    }
    QString save() {
        fx->box.answers = {true};
        w()->cmd저장_Click();
        return w()->lastSavedCode();
    }

  private slots:
    void init() { fx = std::make_unique<test::RoadFixture>(); }
    void cleanup() { fx.reset(); }

    // What the store keeps is the run on screen: the same request priced
    // again gives the same figures, and its amount to collect is the one shown.
    void theFiguresOfTheRunOnScreenAreStored() {
        typed({kTylenol, kVitamin, kSelective});
        QVERIFY(w()->chargeFigures().has_value());
        const std::string shown = fx->받을금액();
        const clsAccount again = fx->engine();
        const StoredCharge expected =
            ReceiptFigures(again, w()->lastRequest().first, w()->lastRequest().second,
                           {kTylenol.name, kVitamin.name, kSelective.name});
        const QString code = save();
        QVERIFY(!code.isEmpty());
        auto stored = StoredCharge::Read(*fx->store, code.toStdString());
        QVERIFY(stored.has_value());
        QCOMPARE(stored->collect.toText(), shown);
        QCOMPARE(stored->bonin + stored->bibo, stored->collect);
        stored->pricedAt = expected.pricedAt; // the clock is frozen, yet say so plainly
        QVERIFY(*stored == expected);
        QVERIFY(!w()->chargeFigures().has_value()); // the window was reset
    }
};

QTEST_MAIN(TestReceiptRoad)
#include "TestReceiptRoad.moc"
