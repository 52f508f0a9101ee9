// What was charged, kept with the prescription: the figures round trip, what
// belongs to the prescription survives a new pricing, receipt numbers are
// given once per prescription from a yearly sequence, and the figures are
// written and dropped together with the prescription.

#include "data/LocalStore.h"
#include "data/PrescriptionRecord.h"
#include "data/ReceiptNumber.h"
#include "data/clsMain.h"
#include "support/RecordingMessage.h"
#include "support/TempDir.h"
#include "util/Clock.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

Currency won(std::int64_t w) {
    return Currency::fromWon(w);
}

StoredCharge figures(std::int64_t collect) {
    StoredCharge c;
    c.pricedAt = "20240305101500";
    c.insClass = 6;
    c.timeClass = 1;
    c.ageClass = 2;
    c.insDays = 14;
    c.biboDays = 3;
    c.bonin = won(collect - 500);
    c.gongdan = won(20000);
    c.bohun = Currency::parse("1234.5");
    c.jiwon = won(700);
    c.insurer = c.gongdan + c.bohun + c.jiwon;
    c.full = won(200);
    c.bibo = won(500);
    c.collect = won(collect);
    c.total = c.bonin + c.insurer + c.bibo;
    c.payment.cash = c.collect;
    c.runError = true;
    c.pharmacist = "김약사";
    c.items = {{"FEE2", "Z2000", "조제기본료", {}, 0, 0, 0, 0, won(1360), won(400), won(960), {}, {}},
               {"DRUG",
                "641900010",
                "타이레놀 \"500\"",
                Currency::parse("55.5"),
                0.5,
                3,
                14,
                21,
                won(1166),
                won(300),
                won(666),
                won(200),
                {}},
               {"ADJ", "", "끝수처리조정", {}, 0, 0, 0, 0, won(-6), {}, won(-6), {}, {}}};
    return c;
}

class StoredChargeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Clock::freeze({2025, 1, 2, 9, 0, 0});
        ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
    }
    void TearDown() override { Clock::unfreeze(); }

    void write(const StoredCharge& c, const std::string& preCd) {
        cn->begin(true);
        c.Write(*cn, preCd);
        cn->commit();
    }
    ReceiptIssue issue(const std::string& preCd, const std::string& year) {
        cn->begin(true);
        ReceiptIssue r = IssueReceipt(*cn, preCd, year);
        cn->commit();
        return r;
    }
    int rows(const std::string& table) {
        return cn->query("SELECT count(*) FROM " + table).field(0).toInt32();
    }

    test::TempDir dir;
    std::unique_ptr<SqliteConnection> cn;
    test::RecordingMessage box;
};

// Every figure and item round trips. A new pricing of the same prescription
// keeps its receipt number; the payment stays while the amount to collect is
// the same.
TEST_F(StoredChargeTest, ANewPricingKeepsWhatBelongsToThePrescription) {
    write(figures(9000), "0000000001");
    EXPECT_EQ(StoredCharge::Read(*cn, "0000000001"), figures(9000));
    EXPECT_FALSE(StoredCharge::Read(*cn, "0000000002").has_value());
    const Payment paid{won(5000), won(4000), {}, "01012345678", "A1"};
    ASSERT_TRUE(WritePayment(*cn, "0000000001", paid));
    EXPECT_FALSE(WritePayment(*cn, "0000000001", {won(5000), won(5000), {}, {}, {}})); // 10,000 ≠ 9,000
    EXPECT_FALSE(WritePayment(*cn, "0000000001", {won(-1000), {}, won(10000), {}, {}}));
    EXPECT_FALSE(WritePayment(*cn, "0000000009", {{}, {}, won(9000), {}, {}}));
    const ReceiptIssue first = issue("0000000001", "2025");

    StoredCharge again = figures(9000);
    again.items.pop_back();
    write(again, "0000000001");
    auto read = StoredCharge::Read(*cn, "0000000001");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->payment, paid);
    EXPECT_EQ(read->receiptNo, first.receiptNo);
    EXPECT_EQ(read->receiptCount, 1);
    EXPECT_EQ(read->items.size(), 2u);

    write(figures(9100), "0000000001");
    read = StoredCharge::Read(*cn, "0000000001");
    EXPECT_EQ(read->payment, (Payment{{}, {}, won(9100), {}, {}}));
    EXPECT_EQ(read->receiptNo, first.receiptNo);
}

TEST_F(StoredChargeTest, ReceiptNumbersAreGivenOncePerPrescriptionEachYear) {
    for (const char* code : {"0000000001", "0000000002", "0000000003"})
        write(figures(1000), code);
    EXPECT_EQ(issue("0000000001", "2025").receiptNo, "2025-000001");
    const ReceiptIssue second = issue("0000000002", "2025");
    EXPECT_EQ(second.receiptNo, "2025-000002");
    EXPECT_FALSE(second.reissue);
    EXPECT_EQ(second.count, 1);

    const ReceiptIssue reprint = issue("0000000001", "2025");
    EXPECT_EQ(reprint.receiptNo, "2025-000001");
    EXPECT_TRUE(reprint.reissue);
    EXPECT_EQ(reprint.count, 2);

    // A printing that fails takes its number back.
    cn->begin(true);
    EXPECT_EQ(IssueReceipt(*cn, "0000000003", "2026").receiptNo, "2026-000001");
    cn->rollback();
    EXPECT_EQ(issue("0000000003", "2026").receiptNo, "2026-000001");
    EXPECT_EQ(StoredCharge::Read(*cn, "0000000003")->receiptCount, 1);

    cn->begin(true);
    EXPECT_THROW(IssueReceipt(*cn, "0000000009", "2025"), RuntimeError);
    cn->rollback();
}

PrescriptionRecord prescription() {
    PrescriptionRecord p;
    p.pvd조제일자 = "20250102";
    p.pvt조제시간 = "9:00:00";
    p.txt고객명 = "홍길동";
    p.cmb보험종류 = 1;
    p.받을금액 = Variant(won(9000));
    PrescriptionLine l;
    l.cell(1) = Variant("641900010");
    l.cell(2) = Variant("타이레놀");
    l.cell(10) = Variant(won(55));
    p.lines = {l};
    p.charge = figures(9000);
    return p;
}

// The figures go with the header and the lines: all written, all refused,
// all deleted together.
TEST_F(StoredChargeTest, AreSavedAndDeletedWithThePrescription) {
    PrescriptionRecord p = prescription();
    const auto saved = p.Save(*cn);
    ASSERT_TRUE(saved.saved);
    EXPECT_EQ(StoredCharge::Read(*cn, saved.PreCd), p.charge);

    PrescriptionRecord empty = prescription();
    empty.lines.clear();
    EXPECT_FALSE(empty.Save(*cn).saved);
    EXPECT_EQ(rows("Charge"), 1);

    // Saved again without a finished run: the old figures no longer describe it.
    p.lab조제코드 = saved.PreCd;
    p.charge.reset();
    ASSERT_TRUE(p.Save(*cn).saved);
    EXPECT_FALSE(StoredCharge::Read(*cn, saved.PreCd));

    p.charge = figures(9000);
    ASSERT_TRUE(p.Save(*cn).saved);
    clsMain m(*cn);
    m.Delete(saved.PreCd);
    ASSERT_TRUE(m.ChangeMode);
    EXPECT_EQ(rows("Charge"), 0);
    EXPECT_EQ(rows("ChargeItem"), 0);
}

// A store made while ChargeItem had only its first columns opens complete.
TEST(StoredChargeStore, TheFirstLayoutOfTheTablesIsCompleted) {
    test::TempDir dir;
    std::unique_ptr<SqliteConnection> cn;
    ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
    cn->executeScript(
        "DROP TABLE ChargeItem; CREATE TABLE ChargeItem(vcPreCd varchar(10) NOT NULL, vcItemSn "
        "varchar(3) NOT NULL, vcItemKind varchar(10), vcItemCd varchar(20), vcItemNm varchar(100), "
        "mItemPr money, mBonin money, mGongdan money, mFull money, mBibo money, "
        "Primary Key(vcPreCd, vcItemSn))");
    cn.reset();
    ASSERT_TRUE(OpenLocalStore(cn, dir.file("Pelmo.db")));
    StoredCharge c;
    c.items = {{"DRUG", "1", "약", won(5), 1, 2, 3, 6, won(30), {}, won(30), {}, {}}};
    cn->begin(true);
    c.Write(*cn, "0000000001");
    cn->commit();
    EXPECT_EQ(StoredCharge::Read(*cn, "0000000001")->items, c.items);
}

} // namespace
