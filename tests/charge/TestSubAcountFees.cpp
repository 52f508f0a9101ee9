// Pricing the fee items against the fee schedule, through whole calculations.

#include "ChargeFixture.h"

#include <gtest/gtest.h>

using namespace pelmora;
using namespace pelmora::test;

namespace {

class Fees : public testing::Test {
  protected:
    RecordingMessage box;
    FeeTable fees{standardFees()};
    Header header;

    clsAccount run(const std::vector<Line>& ls) { return price(header.text(), lines(ls), fees.cn()); }
};

TEST_F(Fees, AdultNormalHoursInternalAndExternal) {
    clsAccount a = run({Line{}, Line{.route = "외용"}});
    EXPECT_EQ(a.보험_약국관리료_코드, "Z1000");
    EXPECT_EQ(a.보험_조제기본료_코드, "Z2000");
    EXPECT_EQ(a.보험_복약지도료_코드, "Z3000");
    EXPECT_EQ(a.보험_내복조제료_코드, "Z4103");
    EXPECT_EQ(a.보험_외용조제료_코드, "Z4121");
    EXPECT_EQ(a.보험_약품관리료_코드, "Z5000");
    EXPECT_EQ(a.보험_약국관리료_단가, won(520));
    EXPECT_EQ(a.보험_약국관리료_명칭, "약국관리료");
    EXPECT_EQ(a.보험_약국관리료_날짜, "20000101");
    EXPECT_EQ(a.보험_조제료전체_단가, won(520 + 1360 + 910 + 1460 + 600 + 560));
    EXPECT_TRUE(box.boxes.empty());
}

TEST_F(Fees, ThePriceInForceOnTheDispensingDate) {
    header.date = "20181231";
    EXPECT_EQ(run({Line{}}).보험_약국관리료_단가, won(520));
    header.date = "20190101";
    clsAccount a = run({Line{}});
    EXPECT_EQ(a.보험_약국관리료_단가, won(600));
    EXPECT_EQ(a.보험_약국관리료_날짜, "20190101");
}

TEST_F(Fees, CodeWithoutRowPricesAsZeroWithEmptyCode) {
    clsAccount a = run({Line{.days = "10"}}); // Z4110 is not in the table
    EXPECT_EQ(a.보험_내복조제료_코드, "");
    EXPECT_EQ(a.보험_내복조제료_명칭, "");
    EXPECT_EQ(a.보험_내복조제료_단가, Currency());
    header.date = "19991231"; // before every row
    a = run({Line{}});
    EXPECT_EQ(a.보험_약국관리료_코드, "");
    EXPECT_EQ(a.보험_조제료전체_단가, Currency());
}

TEST_F(Fees, FeesCausedByNonCoveredDrugs) {
    clsAccount a =
        run({Line{}, Line{.coverage = "비급여", .route = "외용", .price = "300", .quantity = "1"}});
    EXPECT_EQ(a.보험_외용조제료_코드, "");
    EXPECT_EQ(a.비보_외용조제료_단가, won(600));
    EXPECT_EQ(a.비보_조제료전체_단가, won(600));
    EXPECT_EQ(a.결과_비보험액, won(900));
    header.noFee = "2";
    a = run({Line{}, Line{.coverage = "비급여", .route = "외용", .price = "300", .quantity = "1"}});
    EXPECT_EQ(a.비보_외용조제료_단가, Currency());
    EXPECT_EQ(a.결과_비보험액, won(300));
}

TEST_F(Fees, InjectionsOnlyKeepOnlyTheDrugManagementFee) {
    clsAccount a = run({Line{.route = "주사"}});
    EXPECT_EQ(a.보험_약국관리료_코드, "");
    EXPECT_EQ(a.보험_외용조제료_코드, "");
    EXPECT_EQ(a.보험_약품관리료_코드, "Z5000");
    EXPECT_EQ(a.보험_조제료전체_단가, won(560));
    header.selfInjection = "1";
    a = run({Line{.route = "주사"}});
    EXPECT_EQ(a.보험_외용조제료_코드, "Z4130");
    EXPECT_EQ(a.보험_조제료전체_단가, won(520 + 1360 + 910 + 700 + 560));
}

TEST_F(Fees, SaturdaySurchargesFromOctober2013) {
    header.afterHours = "5";
    header.date = "20130928";
    clsAccount a = run({Line{}});
    EXPECT_EQ(a.보험_조제기본료_토요가산_코드, "");
    EXPECT_EQ(a.보험_조제료전체_토요가산_단가, Currency());
    header.date = "20131005";
    a = run({Line{}});
    EXPECT_EQ(a.보험_조제기본료_토요가산_코드, "Z2000030");
    EXPECT_EQ(a.보험_복약지도료_토요가산_단가, won(270));
    EXPECT_EQ(a.보험_내복조제료_토요가산_코드, "Z4103030");
    EXPECT_EQ(a.보험_외용조제료_토요가산_코드, "");
    EXPECT_EQ(a.보험_조제료전체_토요가산_단가, won(410 + 270 + 440));
    EXPECT_EQ(a.보험_조제료전체_단가, won(4810 + 1120));
    // Non-covered lines on a Saturday carry their own share of the surcharge.
    a = run({Line{}, Line{.coverage = "비급여", .route = "외용", .price = "0"}});
    EXPECT_EQ(a.비보_외용조제료_토요가산_단가, won(180));
    EXPECT_EQ(a.비보_조제료전체_토요가산_단가, won(180));
    EXPECT_EQ(a.비보_조제료전체_단가, won(780));
}

TEST(FeeLookupFailure, IsReportedAndTheCalculationGoesOn) {
    RecordingMessage box;
    FeeTable none({}, false);
    clsAccount a = price(Header{}.text(), lines({Line{}}), none.cn());
    ASSERT_EQ(box.boxes.size(), 2u); // once per pricing run
    EXPECT_EQ(box.boxes[0].text.rfind("clsAcount:SubSooGaAcount -2147221504 ", 0), 0u) << box.boxes[0].text;
    EXPECT_EQ(a.ReportedError, box.boxes[0].text); // the first report marks the figures as no bill
    EXPECT_FALSE(price(Header{}.text(), lines({Line{}}), FeeTable(standardFees()).cn()).ReportedError);
    EXPECT_EQ(a.결과_보험총약제비, won(900));
    EXPECT_EQ(a.결과_본인부담, won(200));
}

TEST(FeeLookupFailure, ItemsPricedBeforeTheFailureKeepTheirValues) {
    RecordingMessage box;
    FeeTable fees(standardFees());
    fees.db().execute("UPDATE DBF심평원수 SET 수가단가 = NULL WHERE 수가코드 = 'Z3000'");
    clsAccount a = price(Header{}.text(), lines({Line{}}), fees.cn());
    ASSERT_EQ(box.boxes.size(), 2u);
    EXPECT_EQ(box.boxes[0].text.rfind("clsAcount:SubSooGaAcount 94 ", 0), 0u) << box.boxes[0].text;
    EXPECT_EQ(a.보험_조제기본료_단가, won(1360));
    EXPECT_EQ(a.보험_복약지도료_코드, "");
    EXPECT_EQ(a.보험_내복조제료_단가, Currency()); // never reached
    EXPECT_EQ(a.보험_조제료전체_단가, won(520 + 1360));
}

// Records what the engine sends to the central server.
class RecordingTSql : public RefConnection {
  public:
    Dialect dialect() const override { return Dialect::TSql; }
    RecordSet query(const std::string& sql, const std::vector<RefParam>& params) override {
        sent.push_back(sql);
        last = params;
        return {};
    }
    std::vector<std::string> sent;
    std::vector<RefParam> last;
};

TEST(FeeLookupText, CentralServerGetsTop1) {
    RecordingMessage box;
    RecordingTSql cn;
    price(Header{}.text(), lines({Line{}}), cn);
    ASSERT_EQ(cn.sent.size(), 10u); // five items per run; the external fee has no code
    EXPECT_EQ(cn.sent[0],
              " SELECT TOP 1 수가단가, 수가명, 수가코드, 수가일자 FROM DBF심평원수 WHERE 수가일자 <= ? "
              "AND 수가코드= ? ORDER BY 수가일자 DESC");
    ASSERT_EQ(cn.last.size(), 2u);
    EXPECT_EQ(cn.last[0].value, "20180301");
    EXPECT_EQ(cn.last[0].size, 8);
    EXPECT_EQ(cn.last[1].value, "Z5000");
    EXPECT_EQ(cn.last[1].size, 10);
}

TEST(FeeLookupText, LocalDialectSaysLimit1AndIsPreparedOnce) {
    RecordingMessage box;
    FeeTable fees(standardFees());
    const auto before = fees.db().preparedCount();
    for (int i = 0; i < 3; ++i)
        price(Header{}.text(), lines({Line{}}), fees.cn());
    EXPECT_EQ(fees.db().preparedCount(), before + 1);
    EXPECT_EQ(
        clsAccount::feeLookupSql(Dialect::Local),
        " SELECT 수가단가, 수가명, 수가코드, 수가일자 FROM DBF심평원수 WHERE 수가일자 <= ? AND 수가코드= ? "
        "ORDER BY 수가일자 DESC LIMIT 1");
}

} // namespace
