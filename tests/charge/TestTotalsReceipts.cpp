// The day's totals and the year's medical expenses against the receipts:
// prescriptions priced by the engine over every class, stored as saving
// stores them, paid partly by card and cash receipt, then every receipt
// built as it is printed and added up by hand.

#include "ChargeFixture.h"
#include "charge/ReceiptDocument.h"
#include "charge/ReceiptFigures.h"
#include "data/LocalStore.h"
#include "data/StoreTotals.h"
#include "data/YearEndReport.h"
#include "support/StoreGenerator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace pelmora;
using namespace pelmora::test;

TEST(TotalsReceipts, EveryDayAndEveryPatientAddsUpTheirReceipts) {
    RecordingMessage box;
    FeeTable fees(standardFees());
    TempDir dir;
    std::unique_ptr<SqliteConnection> store;
    ASSERT_TRUE(OpenLocalStore(store, dir.file("Pelmo.db")));
    store->executeScript("PRAGMA synchronous=OFF"); // six hundred saves: their safety is tested elsewhere
    std::mt19937 rng(21);
    auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };

    struct Saved {
        std::string key, date, jumNo;
    };
    std::vector<Saved> saved;
    for (int n = 1; n <= 600; ++n) {
        Header h;
        h.insClass = std::to_string(1 + rng() % 24);
        h.age = std::to_string(1 + rng() % 3);
        h.afterHours = std::to_string(1 + rng() % 5);
        h.support = pick({"1", "2", "2"});
        h.date = pick({"20241230", "20241231", "20250102", "20250103"});
        std::vector<Line> ls;
        for (int i = 0, count = 1 + static_cast<int>(rng() % 5); i < count; ++i) {
            Line l;
            l.coverage = pick({"급여", "급여", "급여", "비급여", "100/100", "50/100", "30/100"});
            l.days = std::to_string(1 + rng() % 30);
            l.price = std::to_string(10 + rng() % 2000);
            l.quantity = std::to_string(1 + rng() % 90);
            ls.push_back(l);
        }
        const std::string body = lines(ls);
        const StoredCharge charge = ReceiptFigures(price(h.text(), body, fees.cn()), h.text(), body, {});
        const Saved s{StoreKey(n), h.date, "80010" + std::to_string(1 + n % 40) + "-1234567"};
        store->begin(true);
        store->execute("INSERT INTO Main(vcPreCd, vcPreDt, vcPreTm, vcPatNm, vcPatJumNo, iInsSn, mMoneyPr)"
                       " VALUES(?, ?, '100000', '환자', ?, ?, ?)",
                       {Variant(s.key), Variant(s.date), Variant(s.jumNo),
                        Variant(static_cast<std::int16_t>(std::stoi(h.insClass) - 1)),
                        Variant(charge.collect)});
        charge.Write(*store, s.key);
        store->commit();
        // Some are paid by card or cash receipt, some split.
        if (charge.collect > Currency{} && rng() % 2) {
            Payment p;
            p.card = Currency::fromWon(charge.collect.toInt64() / 2);
            p.cashRcpt = rng() % 2 ? charge.collect - p.card : Currency{};
            p.cash = charge.collect - p.card - p.cashRcpt;
            ASSERT_TRUE(WritePayment(*store, s.key, p));
        }
        saved.push_back(s);
    }

    // Every receipt as it is printed, added up per day and per patient of 2025.
    std::map<std::string, ChargeSums> days;
    std::map<std::string, Currency> paid2025;
    for (const auto& s : saved) {
        const auto charge = ChargeForReceipt(*store, nullptr, s.key);
        ASSERT_TRUE(charge);
        const ReceiptDocument r = BuildReceiptDocument(*store, s.key, *charge, {}, {}, "20250110");
        ChargeSums& d = days[s.date];
        ++d.count;
        d.total += r.total;
        d.bonin += r.bonin;
        d.insurer += r.insurer;
        d.bibo += r.bibo;
        d.full += r.full;
        d.collect += r.collect;
        d.card += r.payment.card;
        d.cashRcpt += r.payment.cashRcpt;
        d.cash += r.payment.cash;
        if (s.date >= "20250101") paid2025[ReportJumNo(s.jumNo)] += r.bonin + r.bibo;
    }
    const StoreTotals t = ReadStoreTotals(*store, "20241201", "20250131");
    ASSERT_EQ(t.days.size(), days.size());
    for (const auto& d : t.days) {
        SCOPED_TRACE(d.date);
        const ChargeSums& want = days[d.date];
        EXPECT_EQ(d.sums.count, want.count);
        EXPECT_EQ(d.sums.unpriced, 0);
        EXPECT_EQ(d.sums.total, want.total);
        EXPECT_EQ(d.sums.bonin, want.bonin);
        EXPECT_EQ(d.sums.insurer, want.insurer);
        EXPECT_EQ(d.sums.gongdan + d.sums.bohun + d.sums.jiwon, want.insurer);
        EXPECT_EQ(d.sums.bibo, want.bibo);
        EXPECT_EQ(d.sums.full, want.full);
        EXPECT_EQ(d.sums.collect, want.collect);
        EXPECT_EQ(d.sums.card, want.card);
        EXPECT_EQ(d.sums.cashRcpt, want.cashRcpt);
        EXPECT_EQ(d.sums.cash, want.cash);
    }
    EXPECT_GT(t.all.card, Currency{});
    EXPECT_GT(t.all.cashRcpt, Currency{});
    EXPECT_GT(t.all.bohun, Currency{}); // the veterans' classes were among them

    const YearEndReport y = ReadYearEnd(*store, 2025);
    ASSERT_EQ(y.patients.size(), paid2025.size());
    for (const auto& p : y.patients)
        EXPECT_EQ(p.paid, paid2025[p.jumNo]) << p.jumNo;
}
