#include "data/clsHosp.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "util/Clock.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class Hosp : public ::testing::Test {
  protected:
    void SetUp() override {
        Clock::freeze({2025, 3, 1, 9, 0, 0});
        fx.hosp("11100011", "1", 30, "20100101", "20241231", "서울특별시 종로구")
            .hosp("11100011", "21", 50, "20250101", "99991231", "서울특별시 종로구")
            .hosp("31200022", "81", 0);
    }
    void TearDown() override { Clock::unfreeze(); }

    test::RefFixture fx;
    SqliteRefConnection cn{fx.db(0)};
    clsHosp hosp{cn};
};

TEST_F(Hosp, TheRowValidOnTheDateOrTodayForNoDate) {
    const struct {
        const char* code;
        const char* date;
        bool found;
        const char* cls;
        const char* rate;
    } cases[] = {
        {"11100011", "20241231", true, "1", "30"},
        {"11100011", "2024-12-31", true, "1", "30"},
        {"11100011", "20250101", true, "21", "50"},
        {"11100011", "20091231", false, "", "30"}, // nothing valid that day
        {"11100011", "오늘", true, "21", "50"},    // no date: today, 20250301
        {"11100011", "20240230", true, "21", "50"},
        {"11100011", "", true, "21", "50"},
        {"31200022", "20240101", true, "81", "0"},
        {"99999999", "20240101", false, "", "30"},
    };
    for (const auto& c : cases) {
        hosp.HospCd = c.code;
        hosp.RecordSelect(c.date);
        EXPECT_EQ(hosp.FindResult, c.found) << c.code << " " << c.date;
        EXPECT_EQ(hosp.FindCount, c.found ? 1 : 0) << c.code << " " << c.date;
        EXPECT_EQ(hosp.HospGu, c.cls) << c.code << " " << c.date;
        EXPECT_EQ(hosp.HospPer, c.rate) << c.code << " " << c.date;
        EXPECT_EQ(hosp.HospCd, c.found ? c.code : "");
        EXPECT_EQ(hosp.HospAddr.empty(), !c.found);
    }
}

TEST_F(Hosp, AFailureShowsTheTagAndKeepsTheProperties) {
    test::RecordingMessage box;
    hosp.HospCd = "31200022";
    hosp.RecordSelect("20240101");
    fx.exec(3, "ALTER TABLE 병원종병 RENAME COLUMN 주소 TO 소재지");
    hosp.RecordSelect("20240101");
    ASSERT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(box.boxes[0].text, "clsHosp : RecordSelect -2147221504 no such column: 주소");
    EXPECT_EQ(box.boxes[0].kind, test::ShownBox::Plain);
    EXPECT_EQ(hosp.HospGu, "81");
    EXPECT_TRUE(hosp.FindResult);
}

} // namespace
