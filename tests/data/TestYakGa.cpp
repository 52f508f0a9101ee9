#include "data/RefSql.h"
#include "data/clsYakGa.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "util/Clock.h"

#include <gtest/gtest.h>

using namespace pelmora;
using test::DrugRow;

namespace {

class YakGa : public ::testing::Test {
  protected:
    void SetUp() override {
        Clock::freeze({2025, 1, 15, 10, 0, 0});
        fx.drug({.code = "641900010",
                 .name = "타이레놀정500mg(내복)",
                 .price = "50",
                 .start = "20200101",
                 .end = "20231231",
                 .flag = "마약"})
            .drug({.code = "641900010",
                   .name = "타이레놀정500mg(내복)",
                   .price = "55",
                   .start = "20240101",
                   .end = "99991231",
                   .flag = "마약"})
            .drug({.code = "652100020", .name = "케토톱플라스타(외용)", .price = "300", .maker = "한독"})
            .drug({.code = "670500030", .name = "세파졸린주1g(주사)", .price = "1200.5"})
            .drug({.code = "699900040", .name = "비타민시럽", .price = "10"})
            .pack("641900010");
    }
    void TearDown() override { Clock::unfreeze(); }

    test::RefFixture fx;
    SqliteRefConnection cn{fx.db(0)};
    clsYakGa yak{cn};
};

TEST_F(YakGa, RouteFromTheNameEnding) {
    const struct {
        const char* code;
        const char* route;
    } cases[] = {{"641900010", "내복"}, {"652100020", "외용"}, {"670500030", "주사"}, {"699900040", ""}};
    for (const auto& c : cases) {
        yak.Mode = 1;
        yak.vcYakCd = c.code;
        yak.vcYakDt = "20240601";
        yak.RecordSelect();
        ASSERT_TRUE(yak.FindResult) << c.code;
        EXPECT_EQ(yak.vcYakTo, c.route) << c.code;
    }
    EXPECT_EQ(yak.mYakPr, Currency::parse("10"));
}

TEST_F(YakGa, ModesMatchTheCodeAndDateTheirOwnWay) {
    const struct {
        int mode;
        const char* code;
        const char* date;
        bool found;
        const char* price;
    } cases[] = {
        {0, "641900010", "20240101", true, "55"}, // starts exactly on the date
        {0, "641900010", "20240102", false, "0"}, // valid, but does not start then
        {1, "641900010", "20231231", true, "50"}, // last day of the old price
        {1, "641900010", "20240101", true, "55"},
        {2, "41900010", "20240601", true, "55"},  // characters 2 to 9
        {2, "641900010", "20240601", false, "0"}, // a whole code is no 8-digit match
        {7, "41900010", "20240601", true, "55"},  // any other mode matches as mode 2
    };
    for (const auto& c : cases) {
        yak.Mode = static_cast<std::int16_t>(c.mode);
        yak.vcYakCd = c.code;
        yak.vcYakDt = c.date;
        yak.RecordSelect();
        EXPECT_EQ(yak.FindResult, c.found) << c.mode << " " << c.code << " " << c.date;
        EXPECT_EQ(yak.mYakPr, Currency::parse(c.price)) << c.mode << " " << c.code << " " << c.date;
        if (c.found) {
            EXPECT_EQ(yak.vcYakCd, "641900010");
        }
    }
}

TEST_F(YakGa, RecordSelectFillsEveryPropertyAndThePackFlag) {
    yak.Mode = 1;
    yak.vcYakCd = "641900010";
    yak.vcYakDt = "20240601";
    yak.RecordSelect();
    EXPECT_EQ(yak.vcYakDt, "20240101");
    EXPECT_EQ(yak.vcYakGu, "급여");
    EXPECT_EQ(yak.vcYakNm, "타이레놀정500mg(내복)");
    EXPECT_EQ(yak.vcYakTakDan, "1정");
    EXPECT_EQ(yak.vcYakCmp, "한빛제약");
    EXPECT_EQ(yak.vcYakBun, "114");
    EXPECT_EQ(yak.vcYakJuCd, "100101ATB");
    EXPECT_EQ(yak.vcYakJun, "");
    EXPECT_EQ(yak.iYakPac, "1");
    EXPECT_EQ(yak.vcYakRnd, "마약");
    EXPECT_EQ(yak.FindCount, 1);

    // not found: every text empty, price 0, pack flag "0"
    yak.vcYakCd = "000000000";
    yak.RecordSelect();
    EXPECT_FALSE(yak.FindResult);
    EXPECT_EQ(yak.FindCount, 0);
    EXPECT_EQ(yak.iYakPac, "0");
    EXPECT_EQ(yak.vcYakNm, "");
    EXPECT_EQ(yak.vcYakCd, "");
    EXPECT_EQ(yak.mYakPr, Currency{});
}

TEST_F(YakGa, FindCountIsEveryMatchingRow) {
    // a price list with an overlapping duplicate: the drug grid must see both
    fx.drug({.code = "652100020", .name = "케토톱플라스타(외용)", .price = "310", .start = "20240101"});
    yak.Mode = 1;
    yak.vcYakCd = "652100020";
    yak.vcYakDt = "20240601";
    yak.RecordSelect();
    EXPECT_TRUE(yak.FindResult);
    EXPECT_EQ(yak.FindCount, 2);
}

TEST_F(YakGa, BiboTakesThePriceBeforeTheDateAndNoFlags) {
    yak.vcYakCd = "641900010";
    yak.vcYakDt = "20240101"; // the start of the current price
    yak.RecordSelectBibo();
    ASSERT_TRUE(yak.FindResult);
    EXPECT_EQ(yak.vcYakDt, "20200101");
    EXPECT_EQ(yak.mYakPr, Currency::parse("50"));
    EXPECT_EQ(yak.iYakPac, "0");
    EXPECT_EQ(yak.vcYakRnd, "");
    EXPECT_EQ(yak.vcYakTo, "내복");

    yak.vcYakCd = "641900010";
    yak.vcYakDt = "20240102";
    yak.RecordSelectBibo();
    EXPECT_EQ(yak.mYakPr, Currency::parse("55"));

    yak.vcYakCd = "641900010";
    yak.vcYakDt = "20200101"; // nothing before the first price
    yak.RecordSelectBibo();
    EXPECT_FALSE(yak.FindResult);
}

TEST_F(YakGa, RecordListSearchesByNameMakerOrCodeAtItsDate) {
    fx.drug({.code = "641900050", .name = "가나정(내복)", .start = "20240229", .end = "20240229"})
        .drug({.code = "641900060", .name = "나정(내복)", .start = "20250101"});
    RecordSet rs;
    yak.RecordList("20240229", 1, "정", rs);
    ASSERT_TRUE(yak.FindResult);
    std::vector<std::string> names;
    for (; !rs.eof(); rs.moveNext())
        names.push_back(rs.field("vcYakNm").toText());
    EXPECT_EQ(names, (std::vector<std::string>{"가나정(내복)", "타이레놀정500mg(내복)"}));
    EXPECT_EQ(yak.FindCount, 2);

    // no 30 February: the search runs at today's date
    yak.RecordList("20240230", 1, "정", rs);
    names.clear();
    for (; !rs.eof(); rs.moveNext())
        names.push_back(rs.field("vcYakNm").toText());
    EXPECT_EQ(names, (std::vector<std::string>{"나정(내복)", "타이레놀정500mg(내복)"}));

    yak.RecordList("2024-06-01", 2, "한독", rs);
    ASSERT_EQ(yak.FindCount, 1);
    EXPECT_EQ(rs.field("vcYakCd").toText(), "652100020");
    EXPECT_EQ(rs.field("vcYakTo").toText(), "외용");
    EXPECT_EQ(rs.field("mYakPr").toCurrency(), Currency::parse("300"));
    for (std::int16_t sn : {0, 9}) {
        yak.RecordList("20240601", sn, "7050", rs);
        EXPECT_EQ(yak.FindCount, 1) << sn;
        EXPECT_EQ(rs.field("vcYakNm").toText(), "세파졸린주1g(주사)");
    }
    yak.RecordList("20240601", 1, "없는약", rs);
    EXPECT_FALSE(yak.FindResult);
    EXPECT_EQ(yak.FindCount, 0);
}

TEST_F(YakGa, AFailedLookupShowsItsTagAndKeepsTheProperties) {
    test::RecordingMessage box;
    yak.Mode = 1;
    yak.vcYakCd = "641900010";
    yak.vcYakDt = "20240601";
    yak.RecordSelect();
    // a price that is no number
    fx.exec(1, "UPDATE DBF심평원약 SET 상한가 = 'abc' WHERE 표준코드 = '652100020'");
    yak.vcYakCd = "652100020";
    yak.RecordSelect();
    ASSERT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(box.boxes[0].kind, test::ShownBox::Plain);
    EXPECT_EQ(box.boxes[0].title, kAppTitle);
    EXPECT_EQ(box.boxes[0].text.rfind("clsYakGa : RecordSelect 13 ", 0), 0u) << box.boxes[0].text;
    EXPECT_EQ(yak.vcYakNm, "타이레놀정500mg(내복)");
    EXPECT_EQ(yak.mYakPr, Currency::parse("55"));

    // a missing column fails every query under its own tag; rs is left alone
    fx.exec(1, "ALTER TABLE DBF심평원약 DROP COLUMN 임의조제");
    yak.RecordSelect();
    SqliteRefConnection tsql{fx.db(0), Dialect::TSql}; // T-SQL words do not run on SQLite
    clsYakGa central{tsql};
    central.vcYakCd = "641900010";
    central.vcYakDt = "20240601";
    central.RecordSelectBibo();
    RecordSet rs({"x"}, {{Variant("kept")}});
    central.RecordList("20240601", 1, "정", rs);
    ASSERT_EQ(box.boxes.size(), 4u);
    EXPECT_EQ(box.boxes[1].text, "clsYakGa : RecordSelect -2147221504 no such column: a.임의조제");
    EXPECT_EQ(box.boxes[2].text.rfind("clsYakGa : RecordSelectBibo -2147221504 ", 0), 0u);
    EXPECT_EQ(box.boxes[3].text.rfind("clsYakGa : RecordList -2147221504 ", 0), 0u);
    EXPECT_TRUE(yak.FindResult);
    EXPECT_EQ(rs.field("x").toText(), "kept");
    EXPECT_EQ(yak.vcYakRnd, "마약");
}

// The central server's texts, checked word for word; the local texts must be
// the same piece for piece apart from the dialect's words.
TEST(YakGaSql, TSqlTextsAndTheirLocalTwins) {
    const std::string route = "CASE WHEN RIGHT(약품명,4)='(내복)' THEN '내복' WHEN RIGHT(약품명,4)='(외용)' "
                              "THEN '외용' WHEN RIGHT(약품명,4)='(주사)' THEN '주사' ELSE '' END";
    const std::string cols =
        "\r\n  a.표준코드 as vcYakCd\r\n ,a.적용시작일 as vcYakDt\r\n ,a.급여구분 as vcYakGu"
        "\r\n ,a.상한가 as mYakPr\r\n ," +
        route +
        " as vcYakTo\r\n ,a.약품명 as vcYakNm\r\n ,a.규격단위 as vcYakTakDan"
        "\r\n ,a.업소명 as vcYakCmp\r\n ,a.분류번호 as vcYakBun\r\n ,a.주성분코드 as vcYakJuCd"
        "\r\n ,'' as vcYakJun\r\n ,";
    const std::string from = "\r\n FROM dbf심평원약 a\r\n LEFT JOIN 팩단위약 z ON a.표준코드 = z.코드\r\n";
    const std::string pack =
        "CASE WHEN LEN(z.코드) > 0 THEN 1 ELSE 0 END as iYakPac\r\n ,a.임의조제 as vcYakRnd";
    const std::string valid = " AND 적용시작일 <= ?\r\n AND 적용종료일 >= ?\r\n";
    EXPECT_EQ(RefSql::yakGaSelect(Dialect::TSql, 0),
              "\r\n SELECT" + cols + pack + from + " WHERE a.표준코드 = ?\r\n AND a.적용시작일 = ?\r\n");
    EXPECT_EQ(RefSql::yakGaSelect(Dialect::TSql, 1),
              "\r\n SELECT" + cols + pack + from + " WHERE a.표준코드 = ?\r\n" + valid);
    EXPECT_EQ(RefSql::yakGaSelect(Dialect::TSql, 2),
              "\r\n SELECT" + cols + pack + from + " WHERE SUBSTRING(a.표준코드,2,8) = ?\r\n" + valid);
    const std::string bibo =
        "\r\n SELECT\r\n TOP 1" + cols + "0 as iYakPac\r\n ,'' as vcYakRnd" + from +
        " WHERE a.표준코드 = ?\r\n AND a.적용시작일 < ?\r\n ORDER BY a.적용시작일 DESC\r\n";
    EXPECT_EQ(RefSql::yakGaBibo(Dialect::TSql), bibo);
    const std::string list =
        "\r\n SELECT\r\n  약품명 as vcYakNm\r\n ,업소명 as vcYakCmp\r\n ,표준코드 as vcYakCd"
        "\r\n ,급여구분 as vcYakGu\r\n ," +
        route +
        " as vcYakTo\r\n ,상한가 as mYakPr\r\n ,적용시작일 as vcYakDt\r\n ,규격단위 as vcYakTakDan"
        "\r\n ,코드 as vcYakOldCd\r\n FROM DBF심평원약\r\n WHERE 적용시작일 <= ?\r\n"
        " AND 적용종료일 >= ?\r\n AND 약품명 like ?\r\n ORDER BY 약품명\r\n";
    EXPECT_EQ(RefSql::yakGaList(Dialect::TSql, 1), list);

    auto toLocal = [&](std::string s) {
        auto swap = [&](const std::string& from, const std::string& to) {
            for (std::size_t at; (at = s.find(from)) != std::string::npos;)
                s.replace(at, from.size(), to);
        };
        swap(route, RefSql::routeExpression(Dialect::Local));
        swap("CASE WHEN LEN(z.코드) > 0 THEN 1 ELSE 0 END", "iif(length(z.코드) > 0, 1, 0)");
        swap("SUBSTRING(", "substr(");
        if (s.find("\r\n TOP 1") != std::string::npos) {
            swap("\r\n TOP 1", "");
            s += " LIMIT 1\r\n";
        }
        return s;
    };
    EXPECT_EQ(RefSql::routeExpression(Dialect::Local),
              "iif(substr(약품명,-4)='(내복)','내복',iif(substr(약품명,-4)='(외용)','외용',"
              "iif(substr(약품명,-4)='(주사)','주사','')))");
    for (int mode : {0, 1, 2, 5})
        EXPECT_EQ(RefSql::yakGaSelect(Dialect::Local, mode),
                  toLocal(RefSql::yakGaSelect(Dialect::TSql, mode)));
    EXPECT_EQ(RefSql::yakGaBibo(Dialect::Local), toLocal(bibo));
    for (int sn : {0, 1, 2, 3})
        EXPECT_EQ(RefSql::yakGaList(Dialect::Local, sn), toLocal(RefSql::yakGaList(Dialect::TSql, sn)));
    EXPECT_NE(RefSql::yakGaList(Dialect::TSql, 2).find(" AND 업소명 like ?\r\n"), std::string::npos);
    EXPECT_NE(RefSql::yakGaList(Dialect::TSql, 3).find(" AND 표준코드 like ?\r\n"), std::string::npos);
}

} // namespace
