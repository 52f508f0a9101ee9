#include "data/NoticeDate.h"
#include "data/RefSql.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

TEST(NoticeDate, TheLatestDateOrTheDefault) {
    test::RefFixture fx;
    SqliteRefConnection cn{fx.db(0)};
    EXPECT_EQ(GetNoticeDate(cn), "20000101");
    // the newest date wins whatever order the rows were written in
    fx.notice("20240101").notice("20241201").notice("20240601");
    EXPECT_EQ(GetNoticeDate(cn), "20241201");
}

TEST(NoticeDate, AFailureShowsItsTag) {
    test::RefFixture fx;
    test::RecordingMessage box;
    fx.exec(1, "DROP TABLE 고시적용일");
    SqliteRefConnection cn{fx.db(0)};
    EXPECT_EQ(GetNoticeDate(cn), "");
    EXPECT_EQ(box.texts(),
              (std::vector<std::string>{"clsYakGa : YakGaDate -2147221504 no such table: 고시적용일"}));
    EXPECT_EQ(box.boxes[0].kind, test::ShownBox::Plain);
}

TEST(NoticeDate, BothDialects) {
    EXPECT_EQ(RefSql::noticeDate(Dialect::TSql),
              "\r\n SELECT\r\n TOP 1\r\n  고시적용일\r\n FROM 고시적용일\r\n ORDER BY 고시적용일 DESC\r\n");
    EXPECT_EQ(RefSql::noticeDate(Dialect::Local),
              "\r\n SELECT\r\n  고시적용일\r\n FROM 고시적용일\r\n ORDER BY 고시적용일 DESC\r\n LIMIT 1\r\n");
}

} // namespace
