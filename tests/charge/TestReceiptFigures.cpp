// The receipt's ① ② ③ and the statement's items from the engine's results:
// hand-worked cases for the mapping, and random prescriptions over every
// class for the sums the receipt and the statement must keep.

#include "ChargeFixture.h"
#include "charge/ReceiptFigures.h"

#include <gtest/gtest.h>

#include <random>

using namespace pelmora;
using namespace pelmora::test;

namespace {

struct Sums {
    Currency amount, bonin, gongdan, full, bibo;
};

Sums itemSums(const StoredCharge& c) {
    Sums s;
    for (const auto& it : c.items) {
        EXPECT_EQ(it.amount, it.bonin + it.gongdan + it.full + it.bibo) << it.kind << " " << it.name;
        s.amount += it.amount;
        s.bonin += it.bonin;
        s.gongdan += it.gongdan;
        s.full += it.full;
        s.bibo += it.bibo;
    }
    return s;
}

const StoredChargeItem* find(const StoredCharge& c, const std::string& kind) {
    for (const auto& it : c.items)
        if (it.kind == kind) return &it;
    return nullptr;
}

// What the receipt and the statement must always keep.
void expectConsistent(const clsAccount& a, const StoredCharge& c, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(c.bonin + c.bibo, a.결과_받을금액);
    EXPECT_EQ(c.collect, a.결과_받을금액);
    EXPECT_EQ(c.insurer, c.gongdan + c.bohun + c.jiwon);
    EXPECT_EQ(c.total, c.bonin + c.insurer + c.bibo);
    EXPECT_EQ(c.total, a.결과_진료비총액 + a.결과_백대백미만총액 + a.결과_비보험액);
    EXPECT_EQ(c.full, a.결과_백대백금액);
    EXPECT_EQ(c.payment.cash, c.collect);
    const Sums s = itemSums(c);
    EXPECT_EQ(s.amount, c.total);
    EXPECT_EQ(s.bonin, c.bonin);
    EXPECT_EQ(s.gongdan, c.insurer);
    EXPECT_EQ(s.full, c.full);
    EXPECT_EQ(s.bibo, c.bibo - c.full);
    // The adjustment line only cuts each group's total to 10 won: a line
    // charged in the wrong group would show here as a large amount.
    if (const auto* adj = find(c, "ADJ")) {
        EXPECT_LT(std::abs(adj->gongdan.toDouble()), 30.0);
        EXPECT_LT(std::abs(adj->full.toDouble()), 10.0);
        EXPECT_LT(std::abs(adj->bibo.toDouble()), 10.0);
        EXPECT_EQ(adj->bonin, Currency());
    }
    for (const auto& it : c.items)
        if (it.kind == "DRUG" || it.kind == "DIFF") {
            EXPECT_TRUE(it.amount.isWhole()) << it.name;
        }
}

Line line(const std::string& coverage, const std::string& price, const std::string& qty = "1") {
    Line l;
    l.coverage = coverage;
    l.price = price;
    l.quantity = qty;
    return l;
}

struct MappingCase {
    const char* what;
    std::string insClass, support, date;
    std::vector<Line> lines;
    std::int64_t bonin, gongdan, bohun, jiwon, bibo, full;
    std::string age = "1", afterHours = "1";
};

class Mapping : public testing::TestWithParam<MappingCase> {};

// On a fee table without rows the bill is the drug lines alone.
TEST_P(Mapping, PutsEachShareInItsPlace) {
    const auto& m = GetParam();
    RecordingMessage box;
    FeeTable fees;
    Header h;
    h.insClass = m.insClass;
    h.support = m.support;
    h.date = m.date;
    h.age = m.age;
    h.afterHours = m.afterHours;
    const clsAccount a = price(h.text(), lines(m.lines), fees.cn());
    const StoredCharge c = ReceiptFigures(a, h.text(), lines(m.lines), {"가", "나", "다"});
    EXPECT_EQ(c.bonin, won(m.bonin));
    EXPECT_EQ(c.gongdan, won(m.gongdan));
    EXPECT_EQ(c.bohun, won(m.bohun));
    EXPECT_EQ(c.jiwon, won(m.jiwon));
    EXPECT_EQ(c.bibo, won(m.bibo));
    EXPECT_EQ(c.full, won(m.full));
    EXPECT_EQ(c.ageClass, std::stoi(m.age) - 1);
    EXPECT_EQ(c.timeClass, std::stoi(m.afterHours) - 1);
    expectConsistent(a, c, m.what);
}

// Expected ① ② (gongdan, bohun, jiwon) ③ (with its 100/100 part) in won.
const std::vector<MappingCase> kMappings = {
    // clang-format off
    {"adult: covered, non-covered and 100/100", "1", "2", "20240601",
     {line("급여", "10000"), line("비급여", "2000"), line("100/100", "1000")}, 3000, 7000, 0, 0, 3000, 1000},
    {"support fund pays half the share", "1", "1", "20240601", {line("급여", "10000")}, 1500, 7000, 0, 1500, 0, 0},
    {"veterans 30 with a 50/100 drug: the reduction is the agency's", "6", "2", "20160101",
     {line("50/100", "1000")}, 350, 350, 300, 0, 0, 0},
    {"veterans 100 carry the 100/100 drugs", "9", "2", "20240601",
     {line("급여", "5000"), line("100/100", "1000")}, 0, 0, 6000, 0, 0, 0},
    {"uninsured: everything non-covered", "19", "2", "20240601",
     {line("급여", "5000"), line("100/100", "1000"), line("50/100", "700")}, 0, 0, 0, 0, 6700, 0},
    {"rare disease: the fund pays the whole share", "18", "2", "20240601", {line("급여", "10000")},
     0, 7000, 0, 3000, 0, 0},
    {"65+ up to 10,000: flat", "1", "2", "20180315", {line("급여", "9870")}, 1000, 8870, 0, 0, 0, 0, "3"},
    {"65+ up to 12,000: a fifth", "1", "2", "20180315", {line("급여", "11000")}, 2200, 8800, 0, 0, 0, 0, "3"},
    {"65+ above 12,000: the rate", "1", "2", "20180315", {line("급여", "15000")}, 4500, 10500, 0, 0, 0, 0, "3"},
    {"under 6 at night", "1", "2", "20240601", {line("급여", "10000")}, 2100, 7900, 0, 0, 0, 0, "2", "2"},
    {"medical aid 1: under 500 nothing", "2", "2", "20240601", {line("급여", "480")}, 0, 480, 0, 0, 0, 0},
    {"medical aid 2: 500 flat, non-covered on top", "3", "2", "20240601",
     {line("급여", "9000"), line("비급여", "700")}, 500, 8500, 0, 0, 700, 0},
    {"veterans 50 on a holiday", "7", "2", "20160101", {line("급여", "20000")}, 3000, 7000, 10000, 0, 0, 0,
     "1", "3"},
    {"veterans 90 from 2018", "22", "2", "20240601", {line("급여", "20000")}, 600, 1400, 18000, 0, 0, 0},
    // clang-format on
};

INSTANTIATE_TEST_SUITE_P(Classes, Mapping, testing::ValuesIn(kMappings),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

// A flat share on a bill with nothing covered has no item to stand on.
TEST(ReceiptFigures, AFlatShareWithoutCoveredItemsStandsAlone) {
    RecordingMessage box;
    FeeTable fees;
    Header h;
    h.age = "3";
    const std::string body = lines({line("비급여", "3000")});
    const clsAccount a = price(h.text(), body, fees.cn());
    const StoredCharge c = ReceiptFigures(a, h.text(), body, {"비급여약"});
    ASSERT_NE(find(c, "FLAT"), nullptr);
    EXPECT_EQ(find(c, "FLAT")->bonin, won(1000));
    EXPECT_EQ(c.insurer, won(-1000)); // the engine's flat share on a zero insured total
    expectConsistent(a, c, "flat share on nothing");
}

TEST(ReceiptFigures, ApportionAddsUpAndFollowsTheWeights) {
    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        std::vector<Currency> w;
        Currency sum;
        const int n = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < n; ++i) {
            w.push_back(Currency::fromTicks(static_cast<std::int64_t>(rng() % 50'000'000)));
            sum += w.back();
        }
        if (sum == Currency()) continue;
        const Currency total = won(static_cast<std::int64_t>(rng() % 3000));
        const auto parts = Apportion(total, w);
        Currency got;
        for (int i = 0; i < n; ++i) {
            got += parts[i];
            // Within a won of the exact share.
            const double exact = total.toDouble() * w[i].toDouble() / sum.toDouble();
            EXPECT_LT(std::abs(parts[i].toDouble() - exact), 1.0 + 1e-9);
        }
        EXPECT_EQ(got, total);
    }
}

// Random prescriptions over every class, age, time class, date band and
// coverage: the receipt and the statement keep their sums.
TEST(ReceiptFigures, RandomPrescriptionsKeepTheSums) {
    RecordingMessage box;
    FeeTable fees(standardFees());
    std::mt19937 rng(20);
    auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
    const std::vector<std::string> coverages = {"급여",   "급여",   "비급여", "100/100", "50/100",
                                                "80/100", "30/100", "90/100", "기타"};
    for (int round = 0; round < 3000; ++round) {
        Header h;
        h.insClass = std::to_string(rng() % 25);
        h.age = std::to_string(1 + rng() % 3);
        h.afterHours = std::to_string(1 + rng() % 5);
        h.rate = pick({"30", "30", "10", "5", "50", "20"});
        h.noFee = pick({"1", "2"});
        h.support = pick({"1", "2", "2"});
        h.aidExempt = pick({"1", "2", "1"});
        h.date = pick({"20120301", "20131105", "20141105", "20171231", "20180315", "20240601"});
        std::vector<Line> ls;
        const int n = static_cast<int>(rng() % 6);
        for (int i = 0; i < n; ++i) {
            Line l;
            l.coverage = pick(coverages);
            l.route = pick({"내복", "내복", "외용", "주사", "x"});
            l.days = std::to_string(1 + rng() % 30);
            l.price = std::to_string(rng() % 3000) + pick({"", ".5", ".25"});
            l.quantity = std::to_string(1 + rng() % 90) + pick({"", ".5"});
            l.diff = pick({"0", "0", "0", "12", "-7"});
            l.pack = pick({"0", "0", "1"});
            ls.push_back(l);
        }
        const std::string body = lines(ls);
        const clsAccount a = price(h.text(), body, fees.cn());
        const StoredCharge c = ReceiptFigures(a, h.text(), body, {});
        expectConsistent(a, c, h.text() + " " + body);
        if (HasFailure()) return;
    }
    EXPECT_TRUE(box.boxes.empty());
}

} // namespace
