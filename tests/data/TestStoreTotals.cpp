// The day's totals and the year's medical expenses against sums made
// directly, row by row, from the stored figures of a generated store.
#include "data/StoreTotals.h"
#include "data/YearEndReport.h"
#include "support/StoreGenerator.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

using namespace pelmora;

namespace {

struct Stored {
    std::string date, jumNo, name, time, key;
    int insClass = 0;
    bool priced = false;
    ChargeSums sums;
    Currency moneyPr;
};

// Every prescription with its figures, read through the record set as any
// window reads a row, and added up in C++ below.
std::vector<Stored> readAll(SqliteConnection& cn) {
    std::vector<Stored> all;
    auto rs = cn.query(
        "SELECT m.vcPreCd, m.vcPreDt, m.vcPreTm, m.vcPatJumNo, m.vcPatNm, m.iInsSn AS mIns, m.mMoneyPr,"
        " c.* FROM Main m LEFT JOIN Charge c ON c.vcPreCd = m.vcPreCd");
    for (; !rs.eof(); rs.moveNext()) {
        Stored s;
        s.key = rs.field(0).toText();
        s.date = rs.field("vcPreDt").toText();
        s.time = rs.field("vcPreTm").toText();
        s.jumNo = rs.field("vcPatJumNo").toText();
        s.name = rs.field("vcPatNm").toText();
        s.moneyPr = rs.field("mMoneyPr").toCurrency();
        s.priced = !rs.field("mTotal").isNull();
        s.insClass = s.priced ? rs.field("iInsSn").toInt32() : rs.field("mIns").toInt32();
        s.sums.count = 1;
        s.sums.unpriced = s.priced ? 0 : 1;
        if (s.priced) {
            auto m = [&](const char* c) { return rs.field(c).toCurrency(); };
            s.sums = {1,
                      0,
                      m("mTotal"),
                      m("mBonin"),
                      m("mInsurer"),
                      m("mGongdan"),
                      m("mBohun"),
                      m("mJiwon"),
                      m("mBibo"),
                      m("mFull"),
                      m("mCollect"),
                      m("mCard"),
                      m("mCashRcpt"),
                      m("mCash")};
        }
        all.push_back(s);
    }
    return all;
}

class StoreTotalsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::StoreShape shape;
        shape.prescriptions = 4000;
        GenerateStore(path_, shape);
        ASSERT_TRUE(OpenLocalStore(cn_, path_));
        all_ = readAll(*cn_);
    }
    test::TempDir dir_;
    std::string path_ = dir_.file("Pelmo.db");
    std::unique_ptr<SqliteConnection> cn_;
    std::vector<Stored> all_;
};

TEST_F(StoreTotalsTest, EqualTheStoredFiguresAddedUpRowByRowOverRandomRanges) {
    std::mt19937 rng(7);
    std::vector<std::string> dates;
    for (const auto& s : all_)
        dates.push_back(s.date);
    std::sort(dates.begin(), dates.end());
    // Whole months, single days, a range past both ends, and random ones.
    std::vector<std::pair<std::string, std::string>> ranges = {{"20241201", "20241231"},
                                                               {dates.front(), dates.front()},
                                                               {"20000101", "20991231"},
                                                               {"20250301", "20250331"}};
    for (int i = 0; i < 20; ++i) {
        auto a = dates[rng() % dates.size()], b = dates[rng() % dates.size()];
        ranges.push_back({std::min(a, b), std::max(a, b)});
    }
    for (const auto& [from, to] : ranges) {
        SCOPED_TRACE(from + ".." + to);
        std::map<std::string, ChargeSums> days;
        std::map<int, ChargeSums> classes;
        ChargeSums everything;
        for (const auto& s : all_) {
            if (s.date < from || s.date > to) continue;
            days[s.date] += s.sums;
            classes[s.insClass] += s.sums;
            everything += s.sums;
        }
        const StoreTotals t = ReadStoreTotals(*cn_, from, to);
        ASSERT_EQ(t.days.size(), days.size());
        for (const auto& d : t.days) {
            EXPECT_EQ(d.sums, days[d.date]) << d.date;
            // The receipt's own identities hold for every day.
            EXPECT_EQ(d.sums.total, d.sums.bonin + d.sums.insurer + d.sums.bibo);
            EXPECT_EQ(d.sums.insurer, d.sums.gongdan + d.sums.bohun + d.sums.jiwon);
            EXPECT_EQ(d.sums.collect, d.sums.card + d.sums.cashRcpt + d.sums.cash);
        }
        ASSERT_EQ(t.classes.size(), classes.size());
        for (const auto& c : t.classes)
            EXPECT_EQ(c.sums, classes[c.insClass]) << c.insClass;
        EXPECT_EQ(t.all, everything);
    }
    // The generated store has half won amounts, unpriced prescriptions and every class.
    const StoreTotals t = ReadStoreTotals(*cn_, "20000101", "20991231");
    EXPECT_FALSE(t.all.gongdan.isWhole());
    EXPECT_GT(t.all.unpriced, 0);
    EXPECT_EQ(t.classes.size(), 25u);
}

TEST_F(StoreTotalsTest, YearEndEqualsPaidAmountsPerResidentNumberAndLeavesOutOptedOutPatients) {
    // Some patients ask not to be reported, marked by either way of writing their number.
    std::set<std::string> out = {ReportJumNo(test::PatientJumNo(3, true)),
                                 ReportJumNo(test::PatientJumNo(10, false)),
                                 ReportJumNo(test::PatientJumNo(77, true))};
    ASSERT_TRUE(SetNoReport(*cn_, test::PatientJumNo(3, true), true, "20250105120000"));
    ASSERT_TRUE(SetNoReport(*cn_, test::PatientJumNo(10, false), true, "20250105120000"));
    ASSERT_TRUE(SetNoReport(*cn_, test::PatientJumNo(77, false), true, "20250105120000"));
    ASSERT_TRUE(SetNoReport(*cn_, test::PatientJumNo(5, true), true, "20250105120000"));
    ASSERT_TRUE(SetNoReport(*cn_, test::PatientJumNo(5, false), false, "20250105120000")); // changed her mind
    EXPECT_FALSE(SetNoReport(*cn_, "--", true, "20250105120000"));
    EXPECT_TRUE(IsNoReport(*cn_, test::PatientJumNo(77, true)));
    EXPECT_FALSE(IsNoReport(*cn_, test::PatientJumNo(5, true)));

    for (int year : {2024, 2025}) {
        SCOPED_TRACE(year);
        struct Expect {
            long long count = 0;
            Currency paid;
            std::string latest, name;
        };
        std::map<std::string, Expect> want;
        const std::string y = std::to_string(year);
        for (const auto& s : all_) {
            if (s.date.substr(0, 4) != y) continue;
            Expect& e = want[ReportJumNo(s.jumNo)];
            ++e.count;
            e.paid += s.priced ? s.sums.bonin + s.sums.bibo : s.moneyPr;
            if (s.date + s.time + s.key > e.latest) e.latest = s.date + s.time + s.key, e.name = s.name;
        }
        long long optedOut = 0;
        for (const auto& j : out)
            optedOut += want.erase(j);
        const YearEndReport r = ReadYearEnd(*cn_, year);
        EXPECT_EQ(r.optedOut, optedOut);
        EXPECT_GT(r.optedOut, 0);
        ASSERT_EQ(r.patients.size(), want.size());
        Currency sum;
        for (const auto& p : r.patients) {
            ASSERT_TRUE(want.count(p.jumNo)) << p.jumNo;
            EXPECT_EQ(p.count, want[p.jumNo].count);
            EXPECT_EQ(p.paid, want[p.jumNo].paid);
            EXPECT_EQ(p.name, want[p.jumNo].name);
            sum += p.paid;
        }
        EXPECT_EQ(r.paid, sum);
        EXPECT_TRUE(std::is_sorted(r.patients.begin(), r.patients.end(),
                                   [](const auto& a, const auto& b) { return a.name < b.name; }));
    }
}

TEST(StoreTotals, EmptyStoreAndPrescriptionsWithoutResidentNumber) {
    test::TempDir dir;
    std::unique_ptr<SqliteConnection> cn;
    ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
    EXPECT_TRUE(ReadStoreTotals(*cn, "20250101", "20251231").days.empty());
    cn->execute("INSERT INTO Main(vcPreCd, vcPreDt, vcPatJumNo, mMoneyPr) VALUES('0000000001', '20250102', "
                "'', 3000)");
    const YearEndReport r = ReadYearEnd(*cn, 2025);
    EXPECT_TRUE(r.patients.empty());
    EXPECT_EQ(r.withoutNumber, 1);
    const StoreTotals t = ReadStoreTotals(*cn, "20250102", "20250102");
    ASSERT_EQ(t.days.size(), 1u);
    EXPECT_EQ(t.days[0].sums.count, 1);
    EXPECT_EQ(t.days[0].sums.unpriced, 1);
    EXPECT_EQ(t.days[0].sums.collect, Currency{});
}

} // namespace
