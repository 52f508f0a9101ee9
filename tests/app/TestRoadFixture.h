#pragma once
// The main window on a small price list and fee schedule and an empty store,
// for the tests that price, save and reload prescriptions through it.

#include "app/KVSp.h"
#include "app/frmMain.h"
#include "charge/ChargeResultCells.h"
#include "charge/FeeCodes.h"
#include "charge/clsAccount.h"
#include "data/LocalStore.h"
#include "data/RefConnection.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "support/TempDir.h"
#include "util/Clock.h"
#include "util/ModFunction.h"

#include <QApplication>
#include <QLineEdit>
#include <QtTest>

#include <memory>
#include <set>

namespace pelmora::test {

// One drug line as the drug routines leave it in sp처방.
struct GridLine {
    std::string code, name;
    double qty = 1;
    std::int32_t cnt = 3, day = 3;
    int coverage = 0, route = 0; // combo indices of columns 7 and 8
    std::string price = "100";
    std::int32_t pack = 0;
    std::string flag{};
};

class RoadFixture {
  public:
    RoadFixture() {
        Clock::freeze({2023, 3, 6, 10, 30, 15}); // a Monday morning
        ref.notice("20230301").hosp("12345678", "의원", 20);
        ref.special("V252", "경증질환", 2, "20100101");
        ref.drug({.code = "645301220", .name = "타이레놀정500mg", .price = "120"});
        ref.drug({.code = "671802370", .name = "뮤코펙트정", .price = "85"});
        ref.drug({.code = "643900710", .name = "비타민정", .price = "50", .coverage = "비급여"});
        ref.drug({.code = "642100510", .name = "선별정", .price = "300", .coverage = "50/100"});
        ref.drug({.code = "648700010", .name = "연고", .price = "700", .unit = "1g"});
        ref.drug({.code = "640005780", .name = "쌍둥이정", .price = "500"}); // twin of 64000578J
        fees();
        cn = std::make_unique<SqliteRefConnection>(ref.db(0));
        if (!OpenLocalStore(store, dir.file("Pelmo.db"))) qFatal("store");
        w = std::make_unique<frmMain>(*cn, true);
        w->setStore(store.get());
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get())) qFatal("window");
    }
    ~RoadFixture() {
        w.reset();
        Clock::unfreeze();
    }

    // A resident number with the right check digit.
    static QString residentNo(const std::string& yymmdd, char sexDigit) {
        for (char c = '0'; c <= '9'; ++c) {
            const std::string n = yymmdd + sexDigit + "23456" + c;
            if (ModFunction::CheckResidentNo(n)) return QString::fromStdString(yymmdd + "-" + n.substr(6));
        }
        return {};
    }
    // Typed into the field and left with Enter, so its rule runs.
    void typeInto(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->clear();
        for (QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::keyClick(field, Qt::Key_Return);
    }

    void setLines(const std::vector<GridLine>& lines) {
        KVSp* sp = w->Sp처방;
        sp->setMaxRows(0);
        sp->setMaxRows(static_cast<int>(lines.size()));
        for (int r = 1; r <= sp->MaxRows(); ++r) {
            const GridLine& l = lines[static_cast<std::size_t>(r - 1)];
            const double total = l.qty * l.cnt * l.day;
            const Currency price = Currency::parse(l.price);
            sp->setCell(r, 1, Variant(l.code));
            sp->setCell(r, 2, Variant(l.name));
            sp->setCell(r, 3, Variant(l.qty));
            sp->setCell(r, 4, Variant(l.cnt));
            sp->setCell(r, 5, Variant(l.day));
            sp->setCell(r, 6, Variant(total));
            sp->setCell(r, 7, 2, Variant(static_cast<std::int16_t>(l.coverage)));
            sp->setCell(r, 8, 2, Variant(static_cast<std::int16_t>(l.route)));
            sp->setCell(r, 9, Variant(std::string("정")));
            sp->setCell(r, 10, Variant(price));
            sp->setCell(r, 11, Variant(price.mul(total)));
            sp->setCell(r, 12, Variant(l.name));
            sp->setCell(r, 13, Variant(l.pack));
            sp->setCell(r, 14, Variant(price));
            sp->setCell(r, 15, Variant(Currency()));
            sp->setCell(r, 16, Variant(l.flag));
        }
    }

    // The engine on the request the window priced last, on its own object.
    clsAccount engine() {
        clsAccount a;
        a.SubAcount(w->lastRequest().first, w->lastRequest().second, *cn);
        return a;
    }
    // Every cell the result writes, read back from the window's grids; empty
    // when they all agree, else the first difference.
    QString gridDifference(const clsAccount& a) const {
        const ChargeResultCells cells = ChargeResultCells::from(a);
        const std::pair<KVSp*, const ResultGrid*> grids[] = {
            {w->Sp수가, &cells.sp수가}, {w->Sp약가, &cells.sp약가}, {w->Sp계산, &cells.sp계산}};
        for (auto [sp, g] : grids)
            for (const ResultCell& c : g->cells)
                if (sp->Cell(c.row, c.col).toText() != c.value.toText())
                    return QStringLiteral("%1 (%2,%3): %4 vs %5")
                        .arg(sp->SpSet()->objectName())
                        .arg(c.row)
                        .arg(c.col)
                        .arg(QString::fromStdString(sp->Cell(c.row, c.col).toText()))
                        .arg(QString::fromStdString(c.value.toText()));
        return {};
    }
    std::string 받을금액() const { return w->Sp계산->Cell(13, 2).toText(); }

    TempDir dir;
    RefFixture ref;
    std::unique_ptr<SqliteRefConnection> cn;
    std::unique_ptr<SqliteConnection> store;
    RecordingMessage box;
    std::unique_ptr<frmMain> w;

  private:
    // Every code a prescription of up to 10 days can bill on the test date,
    // each at a price of its own, so a wrong code shows as a wrong figure;
    // small enough that one short prescription stays under the flat-rate limit.
    void fees() {
        std::set<std::string> codes;
        for (std::int16_t age = 1; age <= 3; ++age)
            for (std::int16_t after = 1; after <= 5; ++after)
                for (std::int16_t days = 0; days <= 10; ++days)
                    for (int shape = 0; shape < 8; ++shape)
                        for (int flags = 0; flags < 8; ++flags) {
                            FeeShape s{.internal = static_cast<std::int16_t>(shape & 1),
                                       .external = static_cast<std::int16_t>((shape >> 1) & 1),
                                       .injection = static_cast<std::int16_t>((shape >> 2) & 1),
                                       .days = days,
                                       .ageClass = age,
                                       .afterHours = after,
                                       .date = "20230306",
                                       .packAll = static_cast<std::int16_t>(flags & 1),
                                       .variant = 2,
                                       .narcotics = static_cast<std::int16_t>((flags >> 1) & 1),
                                       .selfInjection = static_cast<std::int16_t>((flags >> 2) & 1)};
                            for (const auto& c : FeeCodes::items(s))
                                if (!c.empty()) codes.insert(c);
                            for (const auto& c : FeeCodes::saturdayItems(s))
                                if (!c.empty()) codes.insert(c);
                        }
        int n = 0;
        ref.db(0).begin();
        for (const auto& c : codes)
            ref.fee(c, c + " 수가", std::to_string(100 + ++n), "20200101");
        ref.db(0).commit();
    }
};

} // namespace pelmora::test
