// The search index of the drug search list answers exactly as the list's
// query does: the same rows, values and order, for random searches over a
// price list with the awkward cases in it.

#include "data/DrugSearchList.h"
#include "data/LinkDatabase.h"
#include "data/RefSql.h"
#include "data/clsYakGa.h"
#include "support/RefFixture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

using namespace pelmora;

namespace {

// The characters of a UTF-8 text.
std::vector<std::string> letters(const std::string& s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

std::string date(int y, int m, int d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

TEST(DrugSearchIndex, AnswersAsTheQueryOnRandomSearches) {
    test::TempDir dir;
    std::mt19937 rng(18);
    auto pick = [&](const auto& v) { return v[rng() % v.size()]; };
    const std::vector<std::string> stems = {"타이레놀", "아모디핀", "Tylenol",  "TYLENOL",
                                            "아스피린", "aspirin",  "케토톱",   "정",
                                            "50%할인",  "a_b",      "세파졸린", "가나다"};
    const std::vector<std::string> forms = {"정(내복)", "캡슐(내복)", "연고(외용)", "주(주사)", "시럽", ""};
    const std::vector<std::string> makers = {"한빛제약", "HanBit", "한독", "새별약품", "", "가온팜"};
    std::vector<std::string> names, codes,
        dates = {"20231231", "20240101", "20240229", "20240601", "99991231"};
    {
        test::RefFixture fx(dir.path());
        for (int i = 0; i < 400; ++i) {
            const std::string code = std::to_string(640000000 + static_cast<int>(rng() % 900000));
            // a name shared by several codes gives ties in the list's order
            const std::string name = i % 7 == 0 && !names.empty()
                                         ? pick(names)
                                         : pick(stems) + std::to_string(rng() % 50) + pick(forms);
            names.push_back(name);
            codes.push_back(code);
            int y = 2018 + static_cast<int>(rng() % 4);
            for (int p = 0, periods = 1 + static_cast<int>(rng() % 5); p < periods; ++p) {
                const std::string start =
                    date(y, 1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % 28));
                y += 1 + static_cast<int>(rng() % 2);
                const std::string end =
                    p + 1 == periods ? "99991231" : date(y, 1, 1 + static_cast<int>(rng() % 28));
                dates.push_back(start);
                dates.push_back(end);
                fx.drug({.code = code,
                         .name = name,
                         .price = std::to_string(rng() % 5000),
                         .start = start,
                         .end = end,
                         .maker = pick(makers),
                         .oldCode = "A" + code.substr(1, 6)});
            }
        }
        // missing values: a row without a name, maker or dates; a row whose
        // period ends before it starts
        fx.exec(ReferenceFiles::kDrug,
                "INSERT INTO DBF심평원약 (표준코드, 약품명, 적용시작일, 적용종료일) "
                "VALUES ('641111110', NULL, '20200101', '99991231'), "
                "('641111120', '무날짜정', NULL, NULL), ('641111130', '거꾸로정', '20250101', "
                "'20200101')");
    }
    auto link = LinkDatabase::open(dir.path());
    ASSERT_TRUE(link->stats().searchIndexed);
    clsYakGa yak(link->connection());
    int indexed = 0;
    for (int n = 0; n < 1000; ++n) {
        const int yakSn = std::vector<int>{0, 1, 2, 5}[rng() % 4];
        const auto source = letters(yakSn == 1 ? pick(names) : yakSn == 2 ? pick(makers) : pick(codes));
        std::string text;
        const std::size_t from = source.empty() ? 0 : rng() % source.size();
        for (std::size_t i = from; i < source.size() && i < from + 1 + rng() % 4; ++i)
            text += source[i];
        switch (rng() % 10) {
        case 0:
            text.clear();
            break;
        case 1:
            for (auto& c : text)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            break;
        case 2:
            text += rng() % 2 ? "%" : "_";
            break;
        case 3:
            text = "없는약";
            break;
        default:
            break;
        }
        std::string day = pick(dates);
        if (rng() % 10 == 0) day = "20240230"; // no such day: today
        SCOPED_TRACE(std::to_string(yakSn) + " [" + text + "] " + day);

        const std::string at = RefSql::dateOrToday(day);
        RecordSet plain = link->database().query(RefSql::yakGaList(Dialect::Local, yakSn),
                                                 {Variant(at), Variant(at), Variant("%" + text + "%")});
        indexed += link->drugSearch(at, yakSn, text) != nullptr;
        RecordSet fast;
        yak.RecordList(day, static_cast<std::int16_t>(yakSn), text, fast);
        ASSERT_EQ(fast.names(), plain.names());
        ASSERT_EQ(fast.recordCount(), plain.recordCount());
        EXPECT_EQ(yak.FindCount, plain.recordCount());
        for (std::size_t r = 0; r < static_cast<std::size_t>(plain.recordCount()); ++r)
            for (int c = 0; c < plain.fieldCount(); ++c) {
                ASSERT_EQ(fast.value(r, c), plain.value(r, c)) << r << " " << plain.fieldName(c);
                ASSERT_EQ(fast.value(r, c).kind(), plain.value(r, c).kind());
            }
        // read in parts, the list is the same
        auto parts = yak.RecordListPaged(day, static_cast<std::int16_t>(yakSn), text);
        for (std::size_t r = 0; r < static_cast<std::size_t>(plain.recordCount()); r += 37) {
            RecordSet part = parts->rows(r, 37);
            for (std::size_t k = 0; k < static_cast<std::size_t>(part.recordCount()); ++k)
                ASSERT_EQ(part.value(k, 2), plain.value(r + k, 2));
        }
    }
    EXPECT_GT(indexed, 800); // the index served, not the query
}

} // namespace
