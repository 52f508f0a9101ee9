// Every reference lookup over ODBC (the SQLite driver on the link database)
// must answer exactly as over the SQLite connection.

#include "data/KvAdo.h"
#include "data/LinkDatabase.h"
#include "data/NoticeDate.h"
#include "data/clsHoliday.h"
#include "data/clsHosp.h"
#include "data/clsSpesial.h"
#include "data/clsYakGa.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class OdbcLookups : public ::testing::Test {
  protected:
    void SetUp() override {
        test::RefFixture f(dir.path());
        f.drug({.code = "A12345678",
                .name = "가나정(내복)",
                .price = "1625.5",
                .start = "20200101",
                .end = "20231231"})
            .drug({.code = "A12345678", .name = "가나정(내복)", .price = "1700", .start = "20240101"})
            .drug({.code = "B00000001", .name = "연고(외용)", .price = "300", .maker = "다라제약"})
            .drug({.code = "C00000001", .name = "주사액(주사)", .price = "12000.25", .flag = "1"})
            .drug({.code = "D00000001", .name = "정제 표시없음", .price = "0"})
            .pack("B00000001")
            .notice("20240101")
            .notice("20240701")
            .holiday("20240301", "삼일절")
            .hosp("12345678", "의원", 30, "20200101", "20291231")
            .special("V252", "등록 결핵", 1, "20100101")
            .special("V252", "등록 결핵", 2, "20150101")
            .fee("Z1000", "약국관리료", "1625.5", "20230101")
            .fee("Z1000", "약국관리료", "1720", "20240101");
        ASSERT_TRUE(ConnectLocalMdb(dir.path(), link));
        ASSERT_TRUE(ado.DBConnection_MDB(odbc, link->path().string(), "tola", 0, 0)) << ado.ErrDes;
    }
    RefConnection& local() { return link->connection(); }

    test::RecordingMessage boxes;
    test::TempDir dir;
    std::unique_ptr<LinkDatabase> link;
    KvAdo ado;
    KvAdo::Connection odbc;
};

auto yakga(RefConnection& cn, std::int16_t mode, const std::string& code, const std::string& date,
           bool bibo) {
    clsYakGa y(cn);
    y.Mode = mode;
    y.vcYakCd = code;
    y.vcYakDt = date;
    bibo ? y.RecordSelectBibo() : y.RecordSelect();
    return std::vector<std::string>{y.vcYakCd,
                                    y.vcYakDt,
                                    y.vcYakGu,
                                    y.mYakPr.toFixed(4),
                                    y.vcYakTo,
                                    y.vcYakNm,
                                    y.vcYakTakDan,
                                    y.vcYakCmp,
                                    y.vcYakBun,
                                    y.vcYakJuCd,
                                    y.vcYakJun,
                                    y.iYakPac,
                                    y.vcYakRnd,
                                    std::to_string(y.FindResult),
                                    std::to_string(y.FindCount)};
}

TEST_F(OdbcLookups, DrugPricesAnswerAlike) {
    struct Case {
        std::int16_t mode;
        const char* code;
        const char* date;
        bool bibo;
    } cases[] = {
        {0, "A12345678", "20240101", false}, {1, "A12345678", "20230601", false},
        {1, "B00000001", "20240601", false}, {2, "12345678", "20240601", false},
        {1, "C00000001", "20240601", false}, {1, "D00000001", "20240601", false},
        {1, "X", "20240601", false},         {0, "A12345678", "20240101", true},
        {0, "B00000001", "20240601", true},
    };
    for (const auto& c : cases) {
        auto a = yakga(*odbc, c.mode, c.code, c.date, c.bibo);
        EXPECT_EQ(a, yakga(local(), c.mode, c.code, c.date, c.bibo)) << c.code << " " << c.date;
        EXPECT_EQ(a[13], std::string(c.code) == "X" ? "0" : "1") << c.code;
    }
    for (std::int16_t sn : {0, 1, 2}) {
        RecordSet ra, rb;
        clsYakGa ya(*odbc), yb(local());
        ya.RecordList("20240601", sn, sn == 1 ? "정" : sn == 2 ? "제약" : "0", ra);
        yb.RecordList("20240601", sn, sn == 1 ? "정" : sn == 2 ? "제약" : "0", rb);
        EXPECT_EQ(ya.FindCount, yb.FindCount);
        ASSERT_EQ(ra.recordCount(), rb.recordCount());
        for (long r = 0; r < ra.recordCount(); ++r)
            for (int i = 0; i < ra.fieldCount(); ++i)
                EXPECT_EQ(ra.value(static_cast<std::size_t>(r), i).toText(),
                          rb.value(static_cast<std::size_t>(r), i).toText());
    }
    EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text;
}

TEST_F(OdbcLookups, InstitutionsHolidaysSpecialCodesAndNoticeDateAnswerAlike) {
    for (const char* date : {"20240301", "20240302", "2024-03-01"}) {
        clsHoliday a(*odbc), b(local());
        a.HoliDt = b.HoliDt = date;
        a.RecordSelect();
        b.RecordSelect();
        EXPECT_EQ(std::tie(a.HoliDt, a.HoliNm, a.FindResult, a.FindCount),
                  std::tie(b.HoliDt, b.HoliNm, b.FindResult, b.FindCount));
    }
    for (const char* code : {"12345678", "99999999"}) {
        clsHosp a(*odbc), b(local());
        a.HospCd = b.HospCd = code;
        a.RecordSelect("20240601");
        b.RecordSelect("20240601");
        EXPECT_EQ(std::tie(a.HospCd, a.HospAddr, a.HospGu, a.HospPer, a.FindResult, a.FindCount),
                  std::tie(b.HospCd, b.HospAddr, b.HospGu, b.HospPer, b.FindResult, b.FindCount));
    }
    for (const char* date : {"20120601", "20091231", "20240601"}) {
        clsSpesial a(*odbc), b(local());
        a.SpeCd = b.SpeCd = "V252";
        a.RecordSelect(date);
        b.RecordSelect(date);
        EXPECT_EQ(std::tie(a.SpeCd, a.SpeNm, a.SpeGu, a.FindResult, a.FindCount),
                  std::tie(b.SpeCd, b.SpeNm, b.SpeGu, b.FindResult, b.FindCount));
    }
    EXPECT_EQ(GetNoticeDate(*odbc), "20240701");
    EXPECT_EQ(GetNoticeDate(*odbc), GetNoticeDate(local()));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(OdbcLookups, FeeLookupAnswersAlike) {
    // The engine's local text for the fee in force on a date.
    const std::string sql = " SELECT 수가단가, 수가명, 수가코드, 수가일자 FROM DBF심평원수 WHERE "
                            "수가일자 <= ? AND 수가코드= ? ORDER BY 수가일자 DESC LIMIT 1";
    for (const char* date : {"20230601", "20240601", "20220101"}) {
        RecordSet a = odbc->query(sql, {{date, 8}, {"Z1000", 10}});
        RecordSet b = local().query(sql, {{date, 8}, {"Z1000", 10}});
        ASSERT_EQ(a.recordCount(), b.recordCount());
        if (a.eof()) continue;
        EXPECT_EQ(a.field("수가단가").toCurrency(), b.field("수가단가").toCurrency());
        for (const char* f : {"수가명", "수가코드", "수가일자"})
            EXPECT_EQ(a.field(f), b.field(f));
    }
}

} // namespace
