// The in-memory fee index must answer every lookup as the database does.

#include "ChargeFixture.h"
#include "charge/FeeIndex.h"
#include "charge/FeeSchedule.h"

#include <gtest/gtest.h>

#include <random>

using namespace pelmora;
using namespace pelmora::test;

namespace {

const std::string& lookupSql() {
    return clsAccount::feeLookupSql(Dialect::Local);
}

void expectSameAnswers(SqliteConnection& db, FeeIndex& index, const std::vector<std::string>& codes,
                       const std::vector<std::string>& dates) {
    SqliteRefConnection direct(db);
    for (const auto& code : codes)
        for (const auto& date : dates) {
            const std::vector<RefParam> params{{date, 8}, {code, 10}};
            RecordSet a = direct.query(lookupSql(), params), b = index.query(lookupSql(), params);
            ASSERT_EQ(a.recordCount(), b.recordCount()) << code << " " << date;
            ASSERT_EQ(a.names(), b.names());
            if (a.eof()) continue;
            for (int i = 0; i < a.fieldCount(); ++i)
                EXPECT_EQ(a.field(i), b.field(i)) << code << " " << date;
        }
}

TEST(FeeIndex, AnswersLikeTheDatabaseOnARealisticSchedule) {
    auto db = SqliteConnection::memory();
    writeFeeSchedule(*db);
    FeeIndex index(*db);
    ASSERT_TRUE(index.loaded());
    std::vector<std::string> codes;
    for (const auto& c : everyFeeCode())
        codes.push_back(c);
    std::mt19937 rng(7);
    std::vector<std::string> some;
    for (int i = 0; i < 60; ++i)
        some.push_back(codes[rng() % codes.size()]);
    some.insert(some.end(), {"Z9999", "", "z1000", "Z1000 "});
    expectSameAnswers(*db, index, some,
                      {"", "2009", "20091231", "20100101", "20100102", "20151001", "20240101", "99999999",
                       "2018-03-01", "2018０301"});
}

TEST(FeeIndex, KeysStoredAsNumbersOrOddRowsAnswerLikeTheDatabase) {
    FeeTable fees({{"Z1000", "20180101", 520}, {"Z1000", "20190101", 600}});
    // A NULL date, a BLOB code and two identical rows: never found, or found the same.
    fees.db().execute("INSERT INTO DBF심평원수 VALUES ('Z1000', 'x', 1, NULL)");
    fees.db().execute("INSERT INTO DBF심평원수 VALUES (CAST('Z1000' AS BLOB), 'x', 2, '20180601')");
    fees.add({"Z2000", "20180101", 1360});
    fees.add({"Z2000", "20180101", 1360});
    FeeIndex index(fees.db());
    EXPECT_TRUE(index.loaded());
    expectSameAnswers(fees.db(), index, {"Z1000", "Z2000"}, {"20180101", "20180701", "20190101"});
}

TEST(FeeIndex, TwoDifferentRowsOnOneDateAreLeftToTheDatabase) {
    FeeTable fees({{"Z1000", "20180101", 520}, {"Z1000", "20180101", 530}, {"Z2000", "20180101", 1360}});
    FeeIndex index(fees.db());
    expectSameAnswers(fees.db(), index, {"Z1000", "Z2000"}, {"20180101", "20190101"});
}

TEST(FeeIndex, NumericKeyColumnsAreLeftToTheDatabase) {
    auto db = SqliteConnection::memory();
    db->executeScript(
        "CREATE TABLE DBF심평원수 (수가코드 TEXT, 수가명 TEXT, 수가단가 REAL, 수가일자 INTEGER);"
        "INSERT INTO DBF심평원수 VALUES ('Z1000', 'a', 520, 20180101);");
    FeeIndex index(*db);
    EXPECT_FALSE(index.loaded());
    expectSameAnswers(*db, index, {"Z1000"}, {"20180101", "20190101", "2"});

    auto untyped = SqliteConnection::memory();
    untyped->executeScript("CREATE TABLE DBF심평원수 (수가코드, 수가명, 수가단가, 수가일자);"
                           "INSERT INTO DBF심평원수 VALUES ('Z1000', 'a', 520, 20180101);");
    FeeIndex second(*untyped);
    EXPECT_FALSE(second.loaded());
    expectSameAnswers(*untyped, second, {"Z1000"}, {"20180101"});
}

TEST(FeeIndex, CaseInsensitiveCollationIsLeftToTheDatabase) {
    auto db = SqliteConnection::memory();
    db->executeScript(
        "CREATE TABLE DBF심평원수 (수가코드 TEXT COLLATE NOCASE, 수가명 TEXT, 수가단가 REAL, 수가일자 TEXT);"
        "INSERT INTO DBF심평원수 VALUES ('Z1000', 'a', 520, '20180101');");
    FeeIndex index(*db);
    EXPECT_FALSE(index.loaded());
    expectSameAnswers(*db, index, {"z1000"}, {"20180101"});
}

TEST(FeeIndex, AMissingTableFailsAsTheDatabaseDoes) {
    RecordingMessage box;
    FeeTable none({}, false);
    FeeIndex index(none.db());
    EXPECT_FALSE(index.loaded());
    clsAccount viaIndex = price(Header{}.text(), lines({Line{}}), index);
    clsAccount direct = price(Header{}.text(), lines({Line{}}), none.cn());
    ASSERT_EQ(box.boxes.size(), 4u);
    EXPECT_EQ(box.boxes[0].text, box.boxes[2].text);
    EXPECT_EQ(viaIndex.결과_받을금액, direct.결과_받을금액);
}

TEST(FeeIndex, PricesARequestLikeTheQueries) {
    RecordingMessage box;
    FeeTable fees(standardFees());
    FeeIndex index(fees.db());
    Header h;
    h.afterHours = "5";
    h.date = "20190105";
    const std::string body =
        lines({Line{}, Line{.route = "외용"}, Line{.coverage = "비급여", .route = "주사"}});
    clsAccount a = price(h.text(), body, index), b = price(h.text(), body, fees.cn());
    EXPECT_EQ(a.보험_조제료전체_단가, b.보험_조제료전체_단가);
    EXPECT_EQ(a.보험_약국관리료_단가, won(600));
    EXPECT_EQ(a.비보_조제료전체_단가, b.비보_조제료전체_단가);
    EXPECT_EQ(a.결과_받을금액, b.결과_받을금액);
}

} // namespace
