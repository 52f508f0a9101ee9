#include "data/RefSql.h"
#include "data/clsSpesial.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "util/Clock.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

TEST(Spesial, TheVersionInForceOnTheDate) {
    Clock::freeze({2026, 5, 1, 12, 0, 0});
    test::RefFixture fx;
    fx.special("V252", "경증질환 약제비 본인부담 차등", 0, "20100101")
        .special("V252", "경증질환 약제비 본인부담 차등(개정)", 1, "20150101")
        .special("V206", "희귀난치성질환", 2, "20090701");
    SqliteRefConnection cn{fx.db(0)};
    clsSpesial sp{cn};
    const struct {
        const char* code;
        const char* date;
        bool found;
        const char* name;
        int gu;
    } cases[] = {
        {"V252", "20120601", true, "경증질환 약제비 본인부담 차등", 0},
        {"V252", "20100101", true, "경증질환 약제비 본인부담 차등", 0},
        {"V252", "20141231", true, "경증질환 약제비 본인부담 차등", 0},
        {"V252", "20150101", true, "경증질환 약제비 본인부담 차등(개정)", 1},
        {"V252", "20091231", false, "", 0},
        {"V252", "20121301", true, "경증질환 약제비 본인부담 차등(개정)", 1}, // no date: today
        {"V206", "20240101", true, "희귀난치성질환", 2},
        {"V999", "20240101", false, "", 0},
    };
    for (const auto& c : cases) {
        sp.SpeCd = c.code;
        sp.RecordSelect(c.date);
        EXPECT_EQ(sp.FindResult, c.found) << c.code << " " << c.date;
        EXPECT_EQ(sp.FindCount, c.found ? 1 : 0) << c.code << " " << c.date;
        EXPECT_EQ(sp.SpeNm, c.name) << c.code << " " << c.date;
        EXPECT_EQ(sp.SpeGu, c.gu) << c.code << " " << c.date;
        EXPECT_EQ(sp.SpeCd, c.found ? c.code : "");
    }
    Clock::unfreeze();
}

TEST(Spesial, AFlagThatIsNoNumberShowsTheTag) {
    test::RefFixture fx;
    fx.special("V231", "결핵", 3, "20100101");
    test::RecordingMessage box;
    SqliteRefConnection cn{fx.db(0)};
    clsSpesial sp{cn};
    sp.SpeCd = "V231";
    sp.RecordSelect("20240101");
    fx.exec(4, "UPDATE 특정기호 SET 특례적용 = '가'");
    sp.SpeCd = "V231";
    sp.RecordSelect("20240101");
    ASSERT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(box.boxes[0].text.rfind("clsSpesial : RecordSelect 13 ", 0), 0u) << box.boxes[0].text;
    EXPECT_EQ(sp.SpeGu, 3);
    EXPECT_EQ(sp.SpeNm, "결핵");
}

TEST(Spesial, TheTextIsTheSameInBothDialects) {
    EXPECT_EQ(RefSql::spesial(),
              "\r\n SELECT\r\n  a.특정기호 as SpeCd\r\n ,a.대상 as SpeNm\r\n ,a.특례적용 as SpeGu\r\n"
              " ,a.적용일자 as SpeDt\r\n FROM 특정기호 a\r\n Inner Join\r\n (\r\n SELECT\r\n  특정기호\r\n"
              " ,MAX(적용일자) As Dt\r\n From 특정기호\r\n WHERE 적용일자 <= ?\r\n AND 특정기호 = ?\r\n"
              " GROUP BY 특정기호\r\n ) AS b ON a.특정기호=b.특정기호 AND a.적용일자 = b.Dt\r\n order by "
              "a.특정기호\r\n");
}

} // namespace
