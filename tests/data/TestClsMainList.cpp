// The history list read page by page must show exactly what the whole
// record set shows, whatever order the rows are asked for in.
#include "data/LocalStore.h"
#include "data/PagedRecordSet.h"
#include "data/clsMain.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

using namespace pelmora;

namespace {

class PagedListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
        cn->begin();
        for (int i = 1; i <= 1000; ++i) {
            char key[16];
            std::snprintf(key, sizeof key, "%010d", i * 3);
            cn->execute(
                "INSERT INTO Main(vcPreCd, vcPatNm, mMoneyPr) VALUES(?, ?, ?)",
                {Variant(key), Variant("환자" + std::to_string(i)), Variant(Currency::fromWon(i * 10))});
        }
        cn->execute("DELETE FROM Main WHERE vcPreCd LIKE '%7%'");
        cn->commit();
    }

    void expectSame(PagedRecordSet& list, const RecordSet& whole, std::size_t row) {
        for (int c = 0; c < whole.fieldCount(); ++c)
            ASSERT_EQ(list.value(row, c), whole.value(row, c)) << "row " << row << " col " << c;
    }

    test::TempDir dir;
    std::unique_ptr<SqliteConnection> cn;
};

TEST_F(PagedListTest, MatchesTheWholeListInAnyOrderOfAccess) {
    clsMain m(*cn);
    RecordSet whole;
    ASSERT_TRUE(m.RecordList(whole));
    const std::size_t n = static_cast<std::size_t>(whole.recordCount());
    ASSERT_GT(n, 100u);

    const char* columns =
        "vcPreCd, vcPreDt, vcPreTm, vcPatNm, vcPatJumNo, vcHospCd, vcHospNm, vcPubDtNo, mMoneyPr";
    for (std::size_t pageSize : {1u, 7u, 256u}) {
        SCOPED_TRACE(pageSize);
        PagedRecordSet list(*cn, columns, "Main", "vcPreCd", pageSize);
        ASSERT_EQ(list.recordCount(), whole.recordCount());
        ASSERT_EQ(list.fieldCount(), whole.fieldCount());
        EXPECT_EQ(list.fieldIndex("MMONEYPR"), 8);
        // downwards, upwards, and jumps
        for (std::size_t r = 0; r < n; ++r)
            expectSame(list, whole, r);
        for (std::size_t r = n; r-- > 0;)
            expectSame(list, whole, r);
        std::mt19937 rng(42);
        for (int i = 0; i < 300; ++i)
            expectSame(list, whole, rng() % n);
        EXPECT_TRUE(list.value(n, 0).isNull());
        // a fresh list entered from the bottom, then upwards and back down
        PagedRecordSet fresh(*cn, columns, "Main", "vcPreCd", pageSize);
        for (std::size_t r : {n - 1, n - pageSize - 1, n / 2, n / 2 - 1, n / 3, n - 2})
            expectSame(fresh, whole, r);
    }
}

TEST_F(PagedListTest, RowsWrittenAfterOpeningDoNotShiftTheListUntilReload) {
    clsMain m(*cn);
    auto list = m.RecordListPaged();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(m.FindResult);
    long before = list->recordCount();
    Variant first = list->value(0, 0);

    auto other = SqliteConnection::open(dir.file("Pelmo.db"));
    other->execute("INSERT INTO Main(vcPreCd, vcPatNm) VALUES('0000009999', '새 환자')");
    EXPECT_EQ(list->recordCount(), before);
    EXPECT_EQ(list->value(300, 0).toText() < first.toText(), true);
    EXPECT_EQ(list->value(0, 0), first);

    other->execute("DELETE FROM Main WHERE vcPreCd=?", {first});
    list->reload();
    EXPECT_EQ(list->recordCount(), before);
    EXPECT_EQ(list->value(0, 0).toText(), "0000009999");
    EXPECT_NE(list->value(1, 0), first);
}

TEST_F(PagedListTest, AnEmptyStoreListsNothing) {
    cn->execute("DELETE FROM Main");
    clsMain m(*cn);
    auto list = m.RecordListPaged();
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(m.FindResult);
    EXPECT_EQ(list->recordCount(), 0);
    EXPECT_TRUE(list->value(0, 0).isNull());
}

} // namespace
