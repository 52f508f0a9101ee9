#include "util/Cp949.h"
#include "util/KVFun.h"
#include "util/RuntimeError.h"

#include <gtest/gtest.h>

using pelmora::kvfun;

namespace {

// True when the text is well-formed UTF-8 (what iconv accepts as such).
bool validUtf8(const std::string& s) {
    for (const auto& u : pelmora::cp949Units(s))
        if (!u.valid) return false;
    return true;
}

TEST(Cp949, WidthsAndBytesFollowTheCodePage) {
    EXPECT_EQ(kvfun().SRLenH("건강보험 abc"), 12);
    EXPECT_EQ(kvfun().SRLenH("똠방각하"), 8); // a syllable only the extended code page holds
    EXPECT_EQ(kvfun().SRLenH("😀a"), 2);       // not in the code page: written "?", one byte
    EXPECT_EQ(kvfun().SRLenH(""), 0);
    EXPECT_EQ(pelmora::toCp949("가a"), "\xB0\xA1"
                                       "a");
    EXPECT_EQ(pelmora::toCp949("😀"), "?");
    EXPECT_EQ(pelmora::fromCp949("\xB0\xA1"
                                 "a"),
              "가a");
    EXPECT_EQ(pelmora::fromCp949("a\xB0"), "a\xEF\xBF\xBD"); // cut in half at the end
}

TEST(Cp949, InvalidUtf8CountsOneByteAndComesBackAsQuestionMark) {
    const std::string broken = "a\xEA\xB0"
                               "b"; // a syllable cut short
    EXPECT_EQ(kvfun().SRLenH(broken), 4);
    EXPECT_EQ(kvfun().SRLeftH(broken, 4), "a??b");
    EXPECT_EQ(kvfun().SRLenH("\xC0\x80"), 2); // overlong form is not UTF-8
}

TEST(KVFunHangulStrings, CutsNeverSplitASyllable) {
    const std::string s = "가나1";
    EXPECT_EQ(kvfun().SRLenH(s), 5);
    struct Case {
        const char* name;
        std::string got, want;
    } cases[] = {
        {"left 2", kvfun().SRLeftH(s, 2), "가"},
        {"left 3", kvfun().SRLeftH(s, 3), "가"}, // the half of 나 is dropped
        {"left 0", kvfun().SRLeftH(s, 0), ""},
        {"left 99", kvfun().SRLeftH(s, 99), s},
        {"right 1", kvfun().SRRightH(s, 1), "1"},
        {"right 2", kvfun().SRRightH(s, 2), "1"},
        {"right 3", kvfun().SRRightH(s, 3), "나1"},
        {"mid 3", kvfun().SRMidH(s, 3), "나1"},
        {"mid 2", kvfun().SRMidH(s, 2), "나1"}, // starts in the second half of 가
        {"mid 3,2", kvfun().SRMidH(s, 3, 2), "나"},
        {"mid 3,1", kvfun().SRMidH(s, 3, 1), ""},
        {"mid 9", kvfun().SRMidH(s, 9), ""},
        {"mid 1,0", kvfun().SRMidH(s, 1, 0), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(KVFunHangulStrings, EveryCutOfAMixedTextIsWholeUtf8) {
    std::string s;
    for (int i = 0; i < 200; ++i)
        s += "약a 1똠";
    const int len = kvfun().SRLenH(s);
    EXPECT_EQ(len, 200 * 7);
    for (int n = 0; n <= len + 2; n += 7) {
        for (int k : {n, n + 1, n + 3}) {
            const std::string left = kvfun().SRLeftH(s, k), right = kvfun().SRRightH(s, k);
            ASSERT_TRUE(validUtf8(left) && validUtf8(right)) << k;
            EXPECT_LE(kvfun().SRLenH(left), k);
            EXPECT_GE(kvfun().SRLenH(left), std::min(k, len) - 1);
            const std::string mid = kvfun().SRMidH(s, k + 1, 5);
            ASSERT_TRUE(validUtf8(mid));
            EXPECT_LE(kvfun().SRLenH(mid), 5);
        }
    }
}

TEST(KVFunHangulStrings, BadLengthsAreTheRuntimesInvalidCall) {
    const auto err = [](auto&& f) {
        try {
            f();
        } catch (const pelmora::RuntimeError& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(err([] { kvfun().SRLeftH("abc", -1); }), pelmora::rterr::kInvalidArgument);
    EXPECT_EQ(err([] { kvfun().SRRightH("abc", -1); }), pelmora::rterr::kInvalidArgument);
    EXPECT_EQ(err([] { kvfun().SRMidH("abc", 0); }), pelmora::rterr::kInvalidArgument);
    EXPECT_EQ(err([] { kvfun().SRMidH("abc", 1, -1); }), pelmora::rterr::kInvalidArgument);
    EXPECT_EQ(err([] { kvfun().SRMidSpc("abc", -1); }), pelmora::rterr::kInvalidArgument);
}

TEST(KVFunHangulStrings, FindGivesBytePositions) {
    EXPECT_EQ(kvfun().SRFindStr("가나다abc", "다"), 5);
    EXPECT_EQ(kvfun().SRFindStr("가나다abc", "b"), 8);
    EXPECT_EQ(kvfun().SRFindStr("가나다abc", "라"), 0);
    EXPECT_EQ(kvfun().SRFindStr("abc", ""), 1);
    EXPECT_EQ(kvfun().SRFindStr("", ""), 0);
    EXPECT_EQ(kvfun().SRFindStr("", "a"), 0);
}

TEST(KVFunHangulStrings, BlankFillingToAFixedWidth) {
    EXPECT_EQ(kvfun().SRMidSpc("약국", 6), "약국  ");
    EXPECT_EQ(kvfun().SRMidSpc("약국", 6, false, true), "  약국");
    EXPECT_EQ(kvfun().SRMidSpc("약국약", 5), "약국 "); // cut, and the dropped half made up with a blank
    EXPECT_EQ(kvfun().SRMidSpc("1234567", 10, true, true), " 1,234,567");
    EXPECT_EQ(kvfun().SRMidSpc("1234567", 4, true), "1,234,567"); // an amount is never cut
    EXPECT_EQ(kvfun().SRMidSpc("", 3), "   ");
    EXPECT_EQ(kvfun().SRMidSpc("abc", 0), "");
}

TEST(KVFunArySort, RowsByTheirFirstColumnWithTheCompanionArray) {
    std::vector<std::vector<std::string>> rows = {{"b", "1"}, {}, {"a", "2"}, {"b", "0"}, {"가"}};
    std::vector<std::string> companion = {"B1", "E", "A2", "B0", "K"};
    kvfun().ArySort_1St_STR(rows, &companion);
    EXPECT_EQ(companion, (std::vector<std::string>{"E", "A2", "B1", "B0", "K"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"b", "1"}));
    kvfun().ArySort_1St_STR(rows); // without a companion
    EXPECT_EQ(rows.back(), (std::vector<std::string>{"가"}));
}

} // namespace
