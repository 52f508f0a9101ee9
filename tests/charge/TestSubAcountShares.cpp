// Who pays what, by insurance class. Most cases run on a fee table without
// rows, so the insured total is the drug cost of the request alone.

#include "ChargeFixture.h"

#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::test;

namespace {

struct ShareCase {
    const char* what;
    std::string insClass, age, rate, date;
    std::int64_t drugs;   // one covered internal line of this amount
    std::int64_t patient; // 결과_본인부담
    const char* type;     // 진료비실태상세계산유형
    double shownRate;     // 진료비실태상세계산요율
    std::int16_t child;   // 진료비실태상세계산소아
};

class PatientShare : public testing::TestWithParam<ShareCase> {};

TEST_P(PatientShare, FollowsTheClassAndAgeRules) {
    const auto& c = GetParam();
    RecordingMessage box;
    FeeTable fees;
    Header h;
    h.insClass = c.insClass;
    h.age = c.age;
    h.rate = c.rate;
    h.date = c.date;
    Line line;
    line.price = std::to_string(c.drugs);
    line.quantity = "1";
    const std::string body = c.drugs == 0 ? std::string() : line.text();
    clsAccount a = price(h.text(), body, fees.cn());
    EXPECT_TRUE(box.boxes.empty()) << c.what;
    EXPECT_EQ(a.결과_본인부담, won(c.patient)) << c.what;
    EXPECT_EQ(a.진료비실태상세계산유형, c.type) << c.what;
    EXPECT_EQ(a.진료비실태상세계산요율, c.shownRate) << c.what;
    EXPECT_EQ(a.진료비실태상세계산소아, c.child) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PatientShare,
    testing::Values(
        ShareCase{"65+ flat from 2018", "1", "3", "30", "20180315", 9870, 1000, "정액", 0, 0},
        ShareCase{"65+ a fifth up to 12,000", "1", "3", "30", "20180315", 11000, 2200, "정률", 0.3, 0},
        ShareCase{"65+ a fifth is not cut", "1", "3", "30", "20180315", 11010, 2202, "정률", 0.3, 0},
        ShareCase{"65+ above 12,000", "1", "3", "30", "20180315", 15000, 4500, "정률", 0.3, 0},
        ShareCase{"65+ before 2018", "1", "3", "30", "20171231", 9870, 1200, "정액", 0, 0},
        ShareCase{"65+ before 2018 above 10,000", "1", "3", "30", "20171231", 11000, 3300, "정률", 0.3, 0},
        ShareCase{"65+ at a special rate", "1", "3", "10", "20180315", 9870, 900, "정률", 0.1, 0},
        ShareCase{"65+ with nothing to pay still pays", "1", "3", "30", "20180315", 0, 1000, "정액", 0, 0},
        ShareCase{"under 6 reduced", "1", "2", "30", "20180315", 10000, 2100, "정률", 0.3, 1},
        ShareCase{"under 6 at 5 % not reduced", "1", "2", "5", "20180315", 10000, 500, "정률", 0.05, 0},
        ShareCase{"under 6 at 50 % reduced", "1", "2", "50", "20180315", 10000, 3500, "정률", 0.5, 1},
        ShareCase{"adult truncated to 100 won", "1", "1", "30", "20180315", 6940, 2000, "정률", 0.3, 0},
        ShareCase{"rare disease", "18", "1", "10", "20180315", 6940, 600, "지원금", 0.1, 0},
        ShareCase{"medical aid below 500", "2", "1", "30", "20180315", 480, 0, "전액", 0, 0},
        ShareCase{"medical aid at 500", "2", "1", "30", "20180315", 500, 500, "정액", 0, 0},
        ShareCase{"near-poor F", "17", "3", "30", "20180315", 9000, 500, "정액", 0, 0},
        ShareCase{"work accident", "12", "1", "30", "20180315", 9000, 0, "전액", 0, 0},
        ShareCase{"car insurance pays it all as patient", "14", "1", "30", "20180315", 9005, 9000, "전액", 0,
                  0},
        ShareCase{"no class chosen", "0", "3", "30", "20180315", 9000, 0, "", 0, 0},
        ShareCase{"wounded veterans", "23", "1", "30", "20180315", 9000, 0, "", 0, 0},
        ShareCase{"a class past the list is priced as health insurance", "25", "1", "30", "20180315", 6940,
                  2000, "정률", 0.3, 0}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

class Shares : public testing::Test {
  protected:
    RecordingMessage box;
    FeeTable fees;
    Header header;

    clsAccount run(const std::vector<Line>& ls) { return price(header.text(), lines(ls), fees.cn()); }
};

TEST_F(Shares, MedicalAidExemptionPaysNothing) {
    header.insClass = "3";
    header.aidExempt = "2";
    clsAccount a = run({Line{.price = "9000", .quantity = "1"}});
    EXPECT_EQ(a.결과_본인부담, Currency());
    EXPECT_EQ(a.진료비실태상세계산유형, "전액");
    EXPECT_EQ(a.결과_보험청구액, won(9000));
}

TEST_F(Shares, SupportFundTakesHalfOfTheShare) {
    header.support = "1";
    clsAccount a = run({Line{.price = "10000", .quantity = "1"}});
    EXPECT_EQ(a.결과_본인부담, won(3000));
    EXPECT_EQ(a.결과_지원금, won(1500));
    EXPECT_EQ(a.결과_받을금액, won(1500));
    EXPECT_EQ(a.진료비실태상세계산유형, "지원금");
    EXPECT_EQ(a.진료비실태상세계산요율, 0);
}

TEST_F(Shares, Veterans30) {
    header.insClass = "6";
    header.date = "20160101";
    clsAccount a = run({Line{.price = "20000", .quantity = "1"}});
    EXPECT_EQ(a.결과_보훈청구액, won(6000));
    EXPECT_EQ(a.결과_보험총약제비, won(14000));
    EXPECT_EQ(a.결과_본인부담, won(4200));
    EXPECT_EQ(a.결과_보험청구액, won(9800));
    EXPECT_EQ(a.결과_진료비총액, won(20000));
    EXPECT_EQ(a.진료비실태상세계산유형, "정액");
}

TEST_F(Shares, Veterans90ChangesItsFactorIn2018) {
    header.insClass = "22";
    header.date = "20171231";
    EXPECT_EQ(run({Line{.price = "20000", .quantity = "1"}}).결과_보훈청구액, won(12000));
    header.date = "20180101";
    EXPECT_EQ(run({Line{.price = "20000", .quantity = "1"}}).결과_보훈청구액, won(18000));
}

TEST_F(Shares, Veterans100PaysTheWholeShareTo) {
    // Without the mend a 65-year-old would be charged 1,000 won here and the
    // insurer's claim would turn negative.
    header.insClass = "9";
    header.age = "3";
    header.date = "20190301";
    clsAccount a = run({Line{.price = "5000", .quantity = "1"},
                        Line{.coverage = "100/100", .price = "3000", .quantity = "1"}});
    EXPECT_EQ(a.결과_본인부담, Currency());
    EXPECT_EQ(a.결과_보험청구액, Currency());
    EXPECT_EQ(a.결과_보훈청구액, won(8000));
    EXPECT_EQ(a.결과_진료비총액, won(8000));
    EXPECT_EQ(a.보험_내복_약가, won(8000));
    EXPECT_EQ(a.백백_전체_약가, Currency());
    EXPECT_EQ(a.결과_받을금액, Currency());
    EXPECT_EQ(a.진료비실태상세계산유형, "전액");
}

TEST_F(Shares, PharmacistOwnPrescriptionKeepsItsType) {
    FeeTable priced(standardFees());
    header.insClass = "11";
    clsAccount a = price(header.text(), lines({Line{}}), priced.cn());
    EXPECT_EQ(a.진료비실태상세계산유형, "약사본인");
    EXPECT_EQ(a.진료비실태상세계산요율, 0);
    EXPECT_EQ(a.보험_약국관리료_코드, "");
    EXPECT_EQ(a.보험_조제료전체_단가, Currency());
    EXPECT_EQ(a.결과_보험총약제비, won(900));
    EXPECT_EQ(a.결과_본인부담, won(200));
    // The 65-and-over flat rule applies on the share base with the fees.
    header.age = "3";
    a = price(header.text(), lines({Line{}}), priced.cn());
    EXPECT_EQ(a.결과_본인부담, won(1000));
    EXPECT_EQ(a.진료비실태상세계산유형, "약사본인");
}

TEST_F(Shares, UninsuredChargesEveryDrug) {
    FeeTable priced(standardFees());
    header.insClass = "19";
    clsAccount a =
        price(header.text(),
              lines({Line{}, Line{.coverage = "100/100", .price = "500", .quantity = "1"},
                     Line{.coverage = "50/100", .route = "외용", .price = "300", .quantity = "1"},
                     Line{.coverage = "비급여", .route = "주사", .price = "200", .quantity = "1"}}),
              priced.cn());
    EXPECT_EQ(a.비보_내복_약가, won(1400));
    EXPECT_EQ(a.비보_외용_약가, won(300));
    EXPECT_EQ(a.비보_주사_약가, won(200));
    EXPECT_EQ(a.백A5_전체_약가, Currency());
    EXPECT_EQ(a.보험_전체_약가, Currency());
    EXPECT_EQ(a.비보_조제료전체_단가, won(520 + 1360 + 910 + 1460 + 560));
    EXPECT_EQ(a.결과_비보험액, won(4810 + 1900));
    EXPECT_EQ(a.결과_받을금액, won(6710));
    EXPECT_EQ(a.결과_백대백미만총액, Currency());
    EXPECT_EQ(a.진료비실태상세계산유형, "비급여");
}

TEST_F(Shares, SaturdaySurchargeInTheShareBaseByDate) {
    FeeTable priced(standardFees());
    header.age = "3";
    header.afterHours = "5";
    // Fees 4,810 and Saturday 1,120: insured total 10,600 with drugs of 4,670.
    auto share = [&](const char* date, const char* drugs) {
        header.date = date;
        return price(header.text(), lines({Line{.price = drugs, .quantity = "1"}}), priced.cn())
            .결과_본인부담;
    };
    EXPECT_EQ(share("20140601", "4670"), won(1200)); // 10,600 − 1,120
    EXPECT_EQ(share("20141101", "4670"), won(3100)); // 10,600 − 560 is past 10,000
    EXPECT_EQ(share("20141101", "4370"), won(1200)); // 10,300 − 560
    EXPECT_EQ(share("20151101", "4370"), won(3000)); // the whole 10,300
}

TEST_F(Shares, PartialCopayDrugs) {
    header.insClass = "6";
    header.date = "20160101";
    clsAccount a = run({Line{.coverage = "50/100", .price = "1000", .quantity = "1"}});
    EXPECT_EQ(a.결과_백대백미만총액, won(1000));
    EXPECT_EQ(a.결과_백대백미만본인부담, won(350));
    EXPECT_EQ(a.결과_백대백미만청구액, won(350));
    EXPECT_EQ(a.결과_백대백미만보훈청구액, Currency());

    header.insClass = "1";
    a = run({Line{.coverage = "50/100", .price = "1000", .quantity = "1"},
             Line{.coverage = "80/100", .price = "1005", .quantity = "1"}});
    EXPECT_EQ(a.결과_백대백미만총액, won(2000));
    EXPECT_EQ(a.결과_백대백미만본인부담, won(1300)); // 500 + 804 cut to 10 won
    EXPECT_EQ(a.결과_백대백미만청구액, won(700));

    header.insClass = "9";
    a = run({Line{.coverage = "30/100", .price = "1000", .quantity = "1"}});
    EXPECT_EQ(a.결과_백대백미만보훈청구액, won(1000));
    EXPECT_EQ(a.결과_백대백미만본인부담, Currency());

    header.insClass = "23";
    header.date = "20171231";
    a = run({Line{.coverage = "90/100", .price = "10000", .quantity = "1"}});
    EXPECT_EQ(a.결과_백대백미만본인부담, won(1800)); // 9,000 × 0.2
    EXPECT_EQ(a.결과_백대백미만보훈청구액, won(8200));
    header.insClass = "24";
    header.date = "20180101";
    a = run({Line{.coverage = "90/100", .price = "10000", .quantity = "1"}});
    EXPECT_EQ(a.결과_백대백미만본인부담, won(1000)); // 10,000 × 0.1
    EXPECT_EQ(a.결과_받을금액, won(1000));
}

TEST_F(Shares, AnOverflowLateInTheRunKeepsTheTypeAlreadySet) {
    header.insClass = "14";
    clsAccount a = run({Line{.coverage = "50/100", .price = "2000000000", .quantity = "1"},
                        Line{.coverage = "80/100", .price = "2000000000", .quantity = "1"}});
    ASSERT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(box.boxes[0].text, "clsAcount:SubAcount 6 오버플로");
    EXPECT_EQ(a.진료비실태상세계산유형, "전액");
    EXPECT_EQ(a.결과_백대백미만총액, Currency());
}

} // namespace
