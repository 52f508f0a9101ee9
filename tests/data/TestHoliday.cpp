#include "data/RefSql.h"
#include "data/clsHoliday.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

TEST(Holiday, ComparesTheDateTextExactly) {
    test::RefFixture fx;
    fx.holiday("20240101", "1월 1일").holiday("20240915", "추석 전날");
    SqliteRefConnection cn{fx.db(0)};
    clsHoliday h{cn};
    const struct {
        const char* date;
        bool found;
        const char* name;
    } cases[] = {{"20240101", true, "1월 1일"},
                 {"20240915", true, "추석 전날"},
                 {"2024-01-01", false, ""},
                 {"20240102", false, ""},
                 {"", false, ""}};
    for (const auto& c : cases) {
        h.HoliDt = c.date;
        h.RecordSelect();
        EXPECT_EQ(h.FindResult, c.found) << c.date;
        EXPECT_EQ(h.FindCount, c.found ? 1 : 0) << c.date;
        EXPECT_EQ(h.HoliNm, c.name) << c.date;
        EXPECT_EQ(h.HoliDt, c.found ? c.date : "") << c.date;
    }
}

TEST(Holiday, AFailureShowsTheTag) {
    test::RefFixture fx;
    fx.holiday("20240101", "1월 1일");
    test::RecordingMessage box;
    SqliteRefConnection cn{fx.db(0)};
    clsHoliday h{cn};
    h.HoliDt = "20240101";
    h.RecordSelect();
    fx.exec(2, "DROP TABLE 공휴일");
    h.RecordSelect();
    ASSERT_EQ(box.texts(),
              (std::vector<std::string>{"clsHoliday : RecordSelect -2147221504 no such table: 공휴일"}));
    EXPECT_EQ(h.HoliNm, "1월 1일");
}

TEST(Holiday, TheTextIsTheSameInBothDialects) {
    EXPECT_EQ(RefSql::holiday(), "\r\n SELECT\r\n  공휴일자 as HoliDt\r\n ,설명 as HoliNm\r\n FROM 공휴일\r\n"
                                 " WHERE 공휴일자 = ?\r\n");
    EXPECT_EQ(RefSql::hosp(),
              "\r\n SELECT\r\n  요양기관 as HospCd\r\n ,주소 as HospAddr\r\n ,요양종별 as HospGu\r\n"
              " ,본인부담률 as HospPer\r\n FROM 병원종병\r\n"
              " WHERE 요양기관 = ? AND 적용시작일 <= ? AND 적용종료일 >= ?\r\n");
}

} // namespace
