// Every text-taking helper with text no caller should send: none may crash,
// read out of range or hand back broken UTF-8; a conversion that cannot be
// made fails with the runtime's error and nothing else.

#include "util/Cp949.h"
#include "util/KVFun.h"
#include "util/ModFunction.h"
#include "util/RuntimeError.h"

#include <gtest/gtest.h>

using pelmora::kvfun;
using pelmora::Variant;
namespace mf = pelmora::ModFunction;

namespace {

std::vector<std::string> nastyTexts() {
    std::vector<std::string> t = {"",
                                  " ",
                                  "   ",
                                  "\t",
                                  "-",
                                  "--------",
                                  "0",
                                  "00:00:00",
                                  "한글",
                                  "12가34",
                                  "1,234",
                                  "1,,2",
                                  "1e999999",
                                  "-1e-999999",
                                  "+",
                                  ".",
                                  "9,999,999,999,999,999",
                                  "\xEA\xB0",
                                  "\xFF\xFE",
                                  "😀😀",
                                  "가-나-다",
                                  "1234567890123",
                                  "900101-12345678"};
    t.push_back(std::string(1000, '9'));
    t.push_back(std::string(1000, '-'));
    std::string mixed;
    while (mixed.size() < 1000)
        mixed += "약1a-";
    t.push_back(mixed);
    return t;
}

bool wholeUtf8(const std::string& s) {
    for (const auto& u : pelmora::cp949Units(s))
        if (!u.valid) return false;
    return true;
}

// Runs f; a RuntimeError is an accepted outcome, anything else escapes.
template <typename F> void tolerant(F&& f) {
    try {
        f();
    } catch (const pelmora::RuntimeError& e) {
        EXPECT_TRUE(e.number() == pelmora::rterr::kOverflow || e.number() == pelmora::rterr::kTypeMismatch)
            << e.number();
    }
}

TEST(KVFunBadInput, NumberHelpers) {
    for (const auto& s : nastyTexts()) {
        for (int kind = 0; kind <= 3; ++kind)
            tolerant([&] { kvfun().Nz(Variant(s), kind); });
        tolerant([&] { kvfun().SRFormat(Variant(s)); });
        EXPECT_TRUE(wholeUtf8(kvfun().SRFormat(Variant(s), 1)) || !wholeUtf8(s)) << s;
        EXPECT_TRUE(wholeUtf8(kvfun().NBHanGul(s))) << s;
    }
}

TEST(KVFunBadInput, StringAndDateHelpers) {
    for (const auto& s : nastyTexts()) {
        const int len = kvfun().SRLenH(s);
        EXPECT_GE(len, 0);
        for (int n : {0, 1, 2, 7, len, len + 5}) {
            EXPECT_TRUE(wholeUtf8(kvfun().SRLeftH(s, n)));
            EXPECT_TRUE(wholeUtf8(kvfun().SRRightH(s, n)));
            EXPECT_TRUE(wholeUtf8(kvfun().SRMidH(s, n + 1, 3)));
            EXPECT_EQ(kvfun().SRLenH(kvfun().SRMidSpc(s, n)), n);
        }
        EXPECT_LE(kvfun().SRFindStr(s, "가"), len);
        kvfun().IsValidYYYYMMDD(s);
        EXPECT_EQ(kvfun().ToYYYYMMDD(s, "-").size() >= 10, true);
        EXPECT_TRUE(kvfun().ToDate(s).ok());
        kvfun().IsValidTime(s);
        kvfun().FileGetFileNameNonExtension(s);
        kvfun().FileTypeGet(s);
    }
}

TEST(KVFunBadInput, ResidentNumberRoutines) {
    for (const auto& s : nastyTexts()) {
        for (const auto& date : {std::string("20240517"), s}) {
            const std::string info = mf::ResidentInfo(date, s);
            EXPECT_TRUE(info.rfind("O#", 0) == 0 || info.rfind("X#", 0) == 0) << info;
            mf::AgeFromResidentNo(date, std::string_view(s));
        }
        mf::SexFromResidentNo(s);
        mf::CheckResidentNo(s);
        mf::CheckForeignerNo(s);
        mf::CheckSpecialNo(s);
        mf::ResidentNoCheck(s);
        const std::string masked = mf::MaskResidentNo(s);
        EXPECT_EQ(masked.find("12345678"), std::string::npos) << "digits 8 to 13 must stay hidden";
        EXPECT_TRUE(wholeUtf8(masked) || !wholeUtf8(s));
        mf::WeekdayName(s);
    }
}

} // namespace
