// Runs pelmora-receipt on a stored prescription and reads the PDF back as
// text: every field of the form in its order, the statement's lines adding
// up to the receipt, a reprint, and the figures of the day after the fee
// table changed. With PELMORA_RECEIPT_SHOTS set, the PDFs are kept there.

#include "charge/FeeCodes.h"
#include "charge/ReceiptDocument.h"
#include "charge/ReceiptReprice.h"
#include "data/LocalStore.h"
#include "data/PrescriptionRecord.h"
#include "support/RecordingMessage.h"
#include "support/RefFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace pelmora;

namespace {

const std::string kTool = std::string(PELMORA_BINARY_DIR) + "/tools/pelmora-receipt/pelmora-receipt";

// Runs a command line; its exit status, stdout in out.
int run(const std::string& command, std::string* out = nullptr) {
    const std::string file =
        std::filesystem::temp_directory_path() / ("pelmora-receipt-out-" + std::to_string(::getpid()));
    const int status = std::system((command + " >" + file + " 2>&1").c_str());
    std::ifstream in(file);
    std::stringstream ss;
    ss << in.rdbuf();
    if (out) *out = ss.str();
    std::filesystem::remove(file);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The PDF's text without any white space, so a field broken over two lines still reads whole.
std::string pdfText(const std::string& pdf) {
    std::string text;
    EXPECT_EQ(run("pdftotext -layout -enc UTF-8 '" + pdf + "' -", &text), 0) << text;
    std::string squeezed;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) squeezed += c;
    return squeezed;
}
std::string squeeze(const std::string& s) {
    std::string r;
    for (char c : s)
        if (c != ' ') r += c;
    return r;
}

std::string thisYear() {
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char buf[8];
    std::strftime(buf, sizeof buf, "%Y", std::localtime(&now));
    return buf;
}

class ReceiptTool : public testing::Test {
  protected:
    void SetUp() override {
        ref.hosp("12345678", "의원", 30).notice("20240101");
        ref.drug({.code = "645301220", .name = "타이레놀정500mg", .price = "120"});
        ref.drug({.code = "643900710", .name = "비타민정", .price = "50", .coverage = "비급여"});
        ref.drug({.code = "650000100", .name = "전액정", .price = "300"});
        ref.drug({.code = "642100510", .name = "선별정 5%20", .price = "300", .coverage = "50/100"});
        std::set<std::string> codes;
        for (std::int16_t days = 0; days <= 10; ++days)
            for (int shape = 1; shape < 8; ++shape) {
                FeeShape s{.internal = static_cast<std::int16_t>(shape & 1),
                           .external = static_cast<std::int16_t>((shape >> 1) & 1),
                           .injection = static_cast<std::int16_t>((shape >> 2) & 1),
                           .days = days,
                           .ageClass = 1,
                           .afterHours = 2,
                           .date = "20240305",
                           .variant = 2};
                for (const auto& c : FeeCodes::items(s))
                    if (!c.empty()) codes.insert(c);
            }
        int n = 0;
        for (const auto& c : codes)
            ref.fee(c, c + " 수가", std::to_string(1000 + 10 * ++n), "20200101");

        std::filesystem::create_directories(data);
        std::ofstream(data / "Pelmora.ini")
            << "[Server]\n\n[Pharmacy]\nName=행복약국\nBizNo=2208162517\nAddress=서울특별시 중구 세종대로 1\n"
               "Owner=김대표\nTel=02-123-4567\nPharmacist=이약사\n";
        std::filesystem::permissions(data / "Pelmora.ini", std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write);
        ASSERT_TRUE(OpenLocalStore(store, (data / "Pelmo.db").string()));
        link = std::make_unique<SqliteRefConnection>(ref.db(0));
    }

    PrescriptionLine line(const char* code, const char* name, int coverage, const char* price, int days = 3) {
        PrescriptionLine l;
        l.cell(1) = Variant(code);
        l.cell(2) = Variant(name);
        l.cell(3) = Variant(1.0);
        l.cell(4) = Variant(std::int32_t{3});
        l.cell(5) = Variant(std::int32_t{days});
        l.cell(7) = Variant(std::int32_t{coverage});
        l.cell(8) = Variant(std::int32_t{0});
        l.cell(10) = Variant(Currency::parse(price));
        return l;
    }

    // Saved at night with covered, non-covered, 100/100 and 50/100 lines,
    // its figures those of the pricing on the day, paid by card and cash receipt.
    std::string saveNightPrescription() {
        PrescriptionRecord p;
        p.pvd조제일자 = "20240305";
        p.pvt조제시간 = "21:10:00";
        p.txt요양기관번호 = "12345678";
        p.txt요양기관명 = "한빛의원";
        p.txt의사명 = "박의사";
        p.txt면허번호 = "54321";
        p.txt고객명 = "홍길동";
        p.txt주민번호 = "800101-1234567";
        p.cmb보험종류 = 1;
        p.pvd발행일자 = "20240305";
        p.txt교부번호 = "00012";
        p.lines = {line("645301220", "타이레놀정500mg", 0, "120"), line("643900710", "비타민정", 1, "50"),
                   line("650000100", "전액정", 2, "300"), line("642100510", "선별정 5%20", 3, "300")};
        const auto saved = p.Save(*store);
        EXPECT_TRUE(saved.saved);
        auto c = RepriceStored(*store, *link, saved.PreCd);
        EXPECT_TRUE(c.has_value());
        c->repriced = false;
        c->pharmacist = "이약사";
        store->begin(true);
        c->Write(*store, saved.PreCd);
        store->commit();
        const Currency card = Currency::fromWon(1000);
        EXPECT_TRUE(WritePayment(*store, saved.PreCd,
                                 {card, c->collect - card - Currency::fromWon(500), Currency::fromWon(500),
                                  "010-1234-5678", "A77001"}));
        return saved.PreCd;
    }

    std::string print(const std::string& code, const std::string& kind, const std::string& paper) {
        const std::string pdf = dir.file(code + "-" + kind + "-" + paper + ".pdf");
        std::string out;
        EXPECT_EQ(run("'" + kTool + "' --root '" + dir.path().string() + "' " + code + " " + kind + " " +
                          paper + " '" + pdf + "'",
                      &out),
                  0)
            << out;
        if (const char* keep = std::getenv("PELMORA_RECEIPT_SHOTS"))
            std::filesystem::copy_file(
                pdf, std::filesystem::path(keep) / ("receipt-" + kind + "-" + paper + ".pdf"),
                std::filesystem::copy_options::overwrite_existing);
        return pdfText(pdf);
    }

    // Each field found after the one before it.
    static void expectInOrder(const std::string& text, const std::vector<std::string>& fields) {
        std::size_t at = 0;
        for (const auto& f : fields) {
            const std::size_t found = text.find(squeeze(f), at);
            EXPECT_NE(found, std::string::npos) << "'" << f << "' after position " << at;
            if (found != std::string::npos) at = found + squeeze(f).size();
        }
    }

    test::TempDir dir;
    std::filesystem::path data = dir.path() / "Data";
    test::RefFixture ref{dir.path()};
    std::unique_ptr<SqliteRefConnection> link;
    std::unique_ptr<SqliteConnection> store;
    test::RecordingMessage box;
};

TEST_F(ReceiptTool, TheReceiptHoldsEveryFieldInTheOrderOfTheForm) {
    const std::string code = saveNightPrescription();
    const StoredCharge c = *StoredCharge::Read(*store, code);
    ASSERT_EQ(c.bonin + c.bibo, c.collect);
    const std::string no = thisYear() + "-000001";
    const auto w = [](Currency x) { return WonText(x); };
    std::vector<std::string> fields = {"약제비 계산서·영수증",
                                       "영수증번호",
                                       no,
                                       "환자성명",
                                       "홍길동",
                                       "처방전 교부번호",
                                       "20240305-00012",
                                       "처방 요양기관",
                                       "한빛의원 (12345678)",
                                       "박의사",
                                       "조제일자",
                                       "2024-03-05",
                                       "투약일수",
                                       "3일",
                                       "조제약사",
                                       "이약사",
                                       "■야간",
                                       "□공휴"};
    for (const char* row : {"약품비", "약국관리료", "조제기본료", "복약지도료", "조제료", "의약품관리료"})
        fields.push_back(row);
    for (const std::string& f :
         {std::string("약제비총액 (①+②+③)"), w(c.total), std::string("① 본인부담금"), w(c.bonin),
          std::string("② 보험자부담금"), w(c.insurer), std::string("③ 비급여 (전액본인부담 포함)"), w(c.bibo),
          std::string("총수납금액 (①+③)"), w(c.collect)})
        fields.push_back(f);
    // A4 heads the payment's columns; the roll gives each part its line.
    std::vector<std::string> a4Fields = fields, rollFields = fields;
    const Payment& p = c.payment;
    for (const std::string& f : {std::string("카드"), std::string("현금영수증"), std::string("현금"),
                                 std::string("합계"), w(p.card), w(p.cashRcpt), w(p.cash), w(c.collect)})
        a4Fields.push_back(f);
    for (const std::string& f : {std::string("카드"), w(p.card), std::string("현금영수증"), w(p.cashRcpt),
                                 std::string("현금"), w(p.cash), std::string("합계"), w(c.collect)})
        rollFields.push_back(f);
    std::vector<std::string> rest = {"현금영수증 신분확인번호",
                                     "010-1234-5678",
                                     "현금승인번호",
                                     "A77001",
                                     "사업자등록번호",
                                     "220-81-62517",
                                     "상호",
                                     "행복약국",
                                     "사업장 소재지",
                                     "서울특별시 중구 세종대로 1",
                                     "성명",
                                     "김대표",
                                     "발행일"};
    for (const auto& note : ReceiptDocument::footNotes())
        rest.push_back(note);
    a4Fields.insert(a4Fields.end(), rest.begin(), rest.end());
    rollFields.insert(rollFields.end(), rest.begin(), rest.end());
    const std::string a4 = print(code, "receipt", "A4");
    expectInOrder(a4, a4Fields);
    EXPECT_EQ(a4.find("재발행"), std::string::npos);
    EXPECT_GT(c.full, Currency()); // the 100/100 line is in ③
    EXPECT_GT(c.bibo, c.full);     // and so is the non-covered one

    // The roll carries the same fields; the second printing is a reprint of the same number.
    const std::string roll = print(code, "receipt", "roll");
    expectInOrder(roll, rollFields);
    EXPECT_NE(roll.find(squeeze(no + " (재발행)")), std::string::npos);
    EXPECT_EQ(StoredCharge::Read(*store, code)->receiptCount, 2);
}

// Every line of the statement with its code, name and amount; its totals are the receipt's.
TEST_F(ReceiptTool, TheStatementListsEveryItemAndAddsUpToTheReceipt) {
    const std::string code = saveNightPrescription();
    const StoredCharge c = *StoredCharge::Read(*store, code);
    for (const char* paper : {"A4", "roll"}) {
        SCOPED_TRACE(paper);
        const std::string text = print(code, "statement", paper);
        std::vector<std::string> fields = {"약제비 세부산정내역", "홍길동", "2024-03-05"};
        for (const auto& it : c.items) {
            if (!it.code.empty()) fields.push_back(it.code);
            fields.push_back(it.name);
            if (it.kind == "DRUG") fields.push_back(WonText(it.unitPrice));
            fields.push_back(WonText(it.amount));
        }
        for (Currency x : {c.total, c.bonin, c.insurer, c.bibo, c.full})
            fields.push_back(WonText(x));
        expectInOrder(text, fields);
        EXPECT_NE(text.find("5%20"), std::string::npos); // a name with a percent sign stays as it is
    }
    EXPECT_EQ(StoredCharge::Read(*store, code)->receiptCount, 0); // a statement is no receipt
}

// The fee table changes after the day: the receipt shows what was charged;
// a prescription kept without figures is priced again and says so.
TEST_F(ReceiptTool, AReceiptShowsTheFiguresOfTheDay) {
    const std::string code = saveNightPrescription();
    const StoredCharge day = *StoredCharge::Read(*store, code);
    ref.exec(ReferenceFiles::kFee, "UPDATE DBF심평원수 SET 수가단가 = 수가단가 + 500");
    const auto now = RepriceStored(*store, *link, code);
    ASSERT_TRUE(now);
    ASSERT_NE(now->total, day.total);

    const std::string kept = print(code, "receipt", "A4");
    EXPECT_NE(kept.find(squeeze("약제비총액 (①+②+③)" + WonText(day.total))), std::string::npos);
    EXPECT_EQ(kept.find("다시계산한"), std::string::npos);

    store->execute("DELETE FROM ChargeItem");
    store->execute("DELETE FROM Charge");
    const std::string again = print(code, "receipt", "A4");
    EXPECT_NE(again.find(squeeze("약제비총액 (①+②+③)" + WonText(now->total))), std::string::npos);
    EXPECT_NE(again.find("다시계산한금액입니다"), std::string::npos);
    // Kept with the receipt's number: the next copy is a reprint of the same figures.
    const auto stored = StoredCharge::Read(*store, code);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->repriced);
    EXPECT_EQ(stored->total, now->total);
    EXPECT_EQ(stored->receiptNo, thisYear() + "-000002");
}

TEST_F(ReceiptTool, AnswersHelpVersionAndMistakes) {
    std::string out;
    EXPECT_EQ(run("'" + kTool + "' --help", &out), 0);
    EXPECT_NE(out.find("receipt|statement"), std::string::npos);
    EXPECT_EQ(run("'" + kTool + "' --version", &out), 0);
    EXPECT_EQ(out.rfind("pelmora-receipt ", 0), 0u);
    EXPECT_EQ(run("'" + kTool + "' 0000000001 receipt A5 x.pdf", &out), 2);
    EXPECT_EQ(run("'" + kTool + "' --root '" + dir.path().string() + "' 0000000009 receipt A4 '" +
                      dir.file("none.pdf") + "'",
                  &out),
              1);
    EXPECT_NE(out.find("인쇄할 수 없습니다"), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.pdf")));
}

} // namespace
