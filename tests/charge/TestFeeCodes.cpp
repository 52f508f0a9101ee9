#include "charge/FeeCodes.h"

#include <gtest/gtest.h>

using pelmora::FeeCodes;
using pelmora::FeeShape;

namespace {

FeeShape shape(std::int16_t in, std::int16_t ex, std::int16_t inj, std::int16_t days, std::int16_t age,
               std::int16_t after, std::string date) {
    FeeShape s;
    s.internal = in;
    s.external = ex;
    s.injection = inj;
    s.days = days;
    s.ageClass = age;
    s.afterHours = after;
    s.date = std::move(date);
    s.variant = 2;
    s.selfInjection = 2;
    return s;
}

using Codes = std::array<std::string, 6>;

struct ItemCase {
    const char* what;
    FeeShape s;
    Codes expected;
};

class FeeItemCodes : public testing::TestWithParam<ItemCase> {};

TEST_P(FeeItemCodes, BuildsTheScheduleCodes) {
    EXPECT_EQ(FeeCodes::items(GetParam().s), GetParam().expected);
}

FeeShape with(FeeShape s, void (*f)(FeeShape&)) {
    f(s);
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, FeeItemCodes,
    testing::Values(
        ItemCase{"adult, normal, 3 days, internal and external",
                 shape(1, 1, 0, 3, 1, 1, "20180301"),
                 {"Z1000", "Z2000", "Z3000", "Z4103", "Z4121", "Z5000"}},
        ItemCase{"child, night, 10 days, internal only",
                 shape(1, 0, 0, 10, 2, 2, "20180301"),
                 {"Z1000", "Z2000610", "Z3000010", "Z4110010", "", "Z5000"}},
        ItemCase{"child holiday",
                 shape(1, 0, 0, 1, 2, 3, "20180301"),
                 {"Z1000", "Z2000650", "Z3000050", "Z4101050", "", "Z5000"}},
        ItemCase{"child normal keeps 600",
                 shape(1, 0, 0, 1, 2, 1, "20180301"),
                 {"Z1000", "Z2000600", "Z3000", "Z4101", "", "Z5000"}},
        ItemCase{"late night before March 2013 is night",
                 shape(1, 0, 0, 2, 2, 4, "20130215"),
                 {"Z1000", "Z2000610", "Z3000010", "Z4102010", "", "Z5000"}},
        ItemCase{"late night from March 2013",
                 shape(1, 0, 0, 2, 2, 4, "20130301"),
                 {"Z1000", "Z2000620", "Z3000020", "Z4102020", "", "Z5000"}},
        ItemCase{"late night for an adult stays night",
                 shape(1, 0, 0, 2, 1, 4, "20130301"),
                 {"Z1000", "Z2000010", "Z3000010", "Z4102010", "", "Z5000"}},
        ItemCase{"variant night",
                 with(shape(1, 0, 0, 2, 1, 2, "20180301"), [](FeeShape& s) { s.variant = 1; }),
                 {"Z1000001", "Z2000011", "Z3000011", "Z4102011", "", "Z5000"}},
        ItemCase{"variant late night",
                 with(shape(1, 0, 0, 2, 2, 4, "20180301"), [](FeeShape& s) { s.variant = 1; }),
                 {"Z1000", "Z2000621", "Z3000021", "Z4102021", "", "Z5000"}},
        ItemCase{"91 days",
                 shape(1, 0, 0, 91, 3, 1, "20180301"),
                 {"Z1000", "Z2000", "Z3000", "Z4391", "", "Z5000"}},
        ItemCase{"0 days", shape(1, 0, 0, 0, 1, 1, "20180301"), {"Z1000", "Z2000", "Z3000", "", "", "Z5000"}},
        ItemCase{"16 days is the first band",
                 shape(1, 0, 0, 16, 1, 1, "20180301"),
                 {"Z1000", "Z2000", "Z3000", "Z4316", "", "Z5000"}},
        ItemCase{"40 days",
                 shape(1, 0, 0, 40, 1, 1, "20180301"),
                 {"Z1000", "Z2000", "Z3000", "Z4331", "", "Z5000"}},
        ItemCase{"pack unit from July 2011",
                 with(shape(1, 0, 0, 30, 1, 1, "20110701"), [](FeeShape& s) { s.packAll = 1; }),
                 {"Z1000", "Z2000", "Z3000", "Z4100", "", "Z5011"}},
        ItemCase{"pack unit before July 2011 counts days",
                 with(shape(1, 0, 0, 14, 1, 1, "20110630"), [](FeeShape& s) { s.packAll = 1; }),
                 {"Z1000", "Z2000", "Z3000", "Z4114", "", "Z5214"}},
        ItemCase{"drug management by days before July 2011",
                 shape(1, 0, 0, 13, 1, 1, "20100101"),
                 {"Z1000", "Z2000", "Z3000", "Z4113", "", "Z5130"}},
        ItemCase{"drug management band before July 2011",
                 shape(1, 0, 0, 95, 1, 1, "20100101"),
                 {"Z1000", "Z2000", "Z3000", "Z4391", "", "Z5291"}},
        ItemCase{"second half of 2011, 6 days and more",
                 shape(1, 0, 0, 6, 1, 1, "20111231"),
                 {"Z1000", "Z2000", "Z3000", "Z4106", "", "Z5061"}},
        ItemCase{"second half of 2011, 5 days",
                 shape(1, 0, 0, 5, 1, 1, "20110801"),
                 {"Z1000", "Z2000", "Z3000", "Z4105", "", "Z5050"}},
        ItemCase{"narcotics from July 2017",
                 with(shape(1, 0, 0, 3, 1, 1, "20170701"), [](FeeShape& s) { s.narcotics = 1; }),
                 {"Z1000", "Z2000", "Z3000", "Z4103", "", "Z5001"}},
        ItemCase{"narcotics before July 2017",
                 with(shape(1, 0, 0, 3, 1, 1, "20170630"), [](FeeShape& s) { s.narcotics = 1; }),
                 {"Z1000", "Z2000", "Z3000", "Z4103", "", "Z5000"}},
        ItemCase{"external only before 2012",
                 shape(0, 1, 0, 0, 1, 1, "20111201"),
                 {"Z1000", "Z2000", "Z3000", "", "Z4120", "Z5010"}},
        ItemCase{"injection only, self-administered",
                 with(shape(0, 0, 1, 0, 1, 1, "20180301"), [](FeeShape& s) { s.selfInjection = 1; }),
                 {"Z1000", "Z2000", "Z3000", "", "Z4130", "Z5000"}},
        ItemCase{"internal and injection: no external fee",
                 shape(1, 0, 1, 3, 1, 1, "20180301"),
                 {"Z1000", "Z2000", "Z3000", "Z4103", "", "Z5000"}},
        ItemCase{"unknown age and after-hours class",
                 shape(1, 1, 0, 3, 7, 9, "20180301"),
                 {"Z1000", "Z2000", "Z3000", "Z4103", "Z4121", "Z5000"}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(FeeSaturday, OnlyFromOctober2013OnSaturdayClass) {
    EXPECT_FALSE(FeeCodes::saturday(shape(1, 0, 0, 3, 1, 5, "20130928")));
    EXPECT_TRUE(FeeCodes::saturday(shape(1, 0, 0, 3, 1, 5, "20131005")));
    EXPECT_FALSE(FeeCodes::saturday(shape(1, 0, 0, 3, 1, 1, "20131005")));
}

TEST(FeeSaturday, SurchargeCodesUse030) {
    using Four = std::array<std::string, 4>;
    EXPECT_EQ(FeeCodes::saturdayItems(shape(1, 0, 0, 7, 1, 5, "20140601")),
              (Four{"Z2000030", "Z3000030", "Z4107030", ""}));
    EXPECT_EQ(FeeCodes::saturdayItems(shape(1, 1, 0, 20, 2, 5, "20140601")),
              (Four{"Z2000630", "Z3000030", "Z4316030", "Z4121030"}));
    EXPECT_EQ(FeeCodes::saturdayItems(shape(0, 1, 0, 0, 1, 5, "20140601")),
              (Four{"Z2000030", "Z3000030", "", "Z4120030"}));
    // Regular items on a Saturday are priced as normal hours.
    EXPECT_EQ(FeeCodes::items(shape(1, 0, 0, 7, 1, 5, "20140601"))[3], "Z4107");
}

TEST(FeeShortening, CutsOnlyATrailing000) {
    EXPECT_EQ(FeeCodes::shorten("Z2000000"), "Z2000");
    EXPECT_EQ(FeeCodes::shorten("Z4100000"), "Z4100");
    EXPECT_EQ(FeeCodes::shorten("Z2000600"), "Z2000600");
    EXPECT_EQ(FeeCodes::shorten("Z5000"), "Z5000");
    EXPECT_EQ(FeeCodes::shorten(""), "");
}

} // namespace
