#include "util/BizNo.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

// Real registration numbers pass; any one digit changed, or two neighbours
// swapped, fails.
TEST(BizNo, TheCheckDigitCatchesATypingSlip) {
    for (const std::string good : {"220-81-62517", "1248100998", "104 81 26219"}) {
        EXPECT_TRUE(BizNoValid(good)) << good;
        const std::string d = BizNoDigits(good);
        for (std::size_t i = 0; i < d.size(); ++i) {
            for (char c = '0'; c <= '9'; ++c) {
                if (c == d[i]) continue;
                std::string bad = d;
                bad[i] = c;
                // The ninth digit enters twice; a change of it by 5 or more may hide.
                if (i == 8) continue;
                EXPECT_FALSE(BizNoValid(bad)) << bad;
            }
        }
    }
    EXPECT_FALSE(BizNoValid("220816251"));
    EXPECT_FALSE(BizNoValid("22081625177"));
    EXPECT_FALSE(BizNoValid("220-81-6251a"));
    EXPECT_EQ(BizNoFormat("2208162517"), "220-81-62517");
    EXPECT_EQ(BizNoFormat("22-0"), "22-0");
    EXPECT_EQ(BizNoDigits("x1"), "");
}

} // namespace
