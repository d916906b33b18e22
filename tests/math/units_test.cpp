#include "nusk/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

NuskUnit U(int code) { return static_cast<NuskUnit>(code); }

// Codes that convert into each other, one group per dimension.
const std::vector<std::vector<int>> kGroups = {
    {2, 3, 4, 5, 6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}, {16, 17, 18, 19, 20}, {21, 22}, {23},
    {24, 25, 26}, {27, 28, 29, 30, 31, 32, 33, 34}, {35, 36}, {37, 38}, {39, 40}, {41, 42, 43, 44},
    {45, 46}, {47, 48, 49}, {50, 51}, {56}, {57}, {58}, {59}, {60},
};

int group_of(int code) {
    for (size_t g = 0; g < kGroups.size(); ++g)
        for (int c : kGroups[g])
            if (c == code) return static_cast<int>(g);
    return -1;
}

bool names_a_unit(int code) { return (code >= 0 && code <= 51) || (code >= 56 && code <= 60); }

TEST(Units, MeasureTypeOfEveryCode) {
    const int expected[NUSK_UNIT_MAX + 1] = {
        0,  0,  8,  8,  8,  8,  8,  8,  8,  8,  8,  5,  5,  5,  5,  5,  21, 21, 21, 21, 21,
        2,  2,  15, 18, 18, 18, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 4,  4,  12,
        12, 12, 12, 7,  7,  11, 11, 11, 20, 20, 0,  0,  0,  0,  6,  10, 13, 14, 19,
    };
    for (int code = 0; code <= NUSK_UNIT_MAX; ++code)
        EXPECT_EQ(nusk_get_measure_type(U(code)), expected[code]) << "code " << code;
    EXPECT_EQ(nusk_get_measure_type(U(-1)), nuskmeasure_unknown);
    EXPECT_EQ(nusk_get_measure_type(U(61)), nuskmeasure_unknown);
}

TEST(Units, NamesPresentAndDistinctOnlyForUnits) {
    std::set<std::string> names, fullnames;
    for (int code = -1; code <= NUSK_UNIT_MAX + 1; ++code) {
        const char* name = nusk_get_unit_name(U(code));
        const char* full = nusk_get_unit_fullname(U(code));
        if (!names_a_unit(code)) {
            EXPECT_EQ(name, nullptr) << "code " << code;
            EXPECT_EQ(full, nullptr) << "code " << code;
            continue;
        }
        ASSERT_NE(name, nullptr) << "code " << code;
        ASSERT_NE(full, nullptr) << "code " << code;
        EXPECT_TRUE(names.insert(name).second) << "duplicate name " << name;
        EXPECT_TRUE(fullnames.insert(full).second) << "duplicate full name " << full;
    }
    EXPECT_STREQ(nusk_get_unit_name(nuskunit_force_cb1_length_cb2), "lbf.ft");
    EXPECT_STREQ(nusk_get_unit_fullname(nuskunit_mm_per_time_cb1), "millimetre per minute");
}

TEST(Units, ConversionExistsExactlyWithinAGroup) {
    for (int a = -1; a <= NUSK_UNIT_MAX + 1; ++a) {
        for (int b = -1; b <= NUSK_UNIT_MAX + 1; ++b) {
            double f = nusk_get_unit_conversion_factor(U(a), U(b));
            if (a == b)
                EXPECT_EQ(f, 1.0) << a;
            else if (group_of(a) >= 0 && group_of(a) == group_of(b))
                EXPECT_NEAR(f * nusk_get_unit_conversion_factor(U(b), U(a)), 1.0, 1e-15) << a << " " << b;
            else
                EXPECT_EQ(f, NUSK_NULL_REAL) << a << " " << b;
        }
    }
}

TEST(Units, FactorOfEveryUnitToItsBase) {
    const struct { int code, base; double factor; } cases[] = {
        {3, 2, 10}, {4, 2, 1e3}, {5, 2, 25.4}, {6, 2, 304.8}, {7, 2, 1e-3}, {8, 2, 1e-6}, {9, 2, 1609344},
        {10, 2, 0.0254}, {12, 11, 100}, {13, 11, 1e6}, {14, 11, 645.16}, {15, 11, 92903.04}, {17, 16, 1e3},
        {18, 16, 1e9}, {19, 16, 16387.064}, {20, 16, 28316846.592}, {21, 22, std::acos(-1.0) / 180},
        {25, 24, 60}, {26, 24, 3600}, {28, 27, 1 / 60.0}, {29, 27, 10}, {30, 27, 1e3}, {31, 27, 25.4},
        {32, 27, 25.4 / 60}, {33, 27, 304.8}, {34, 27, 5.08}, {36, 35, 25.4}, {38, 37, 25.4},
        {40, 39, 1 / 60.0}, {42, 41, 1e3}, {43, 41, 1e6}, {44, 41, 6894.757293168}, {46, 45, 4.4482216152605},
        {48, 47, 1e3}, {49, 47, 745.699872}, {51, 50, 4.4482216152605 * 0.3048},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(nusk_get_unit_conversion_factor(U(c.code), U(c.base)), c.factor) << c.code;
}

TEST(Units, FactorsRoundOnceWhereDecimalsAllow) {
    auto f = [](int from, int to) { return nusk_get_unit_conversion_factor(U(from), U(to)); };
    EXPECT_EQ(f(2, 5), 10.0 / 254.0);  // the correctly rounded 1/25.4
    EXPECT_EQ(f(6, 5), 12.0);
    EXPECT_EQ(f(34, 32), 12.0);
    EXPECT_EQ(f(26, 25), 60.0);
    EXPECT_EQ(f(44, 42), 6.894757293168);
    EXPECT_EQ(f(49, 47), 745.699872);
    EXPECT_EQ(f(14, 11), 645.16);
    EXPECT_EQ(f(28, 27), 1.0 / 60);
}

TEST(Units, MeasureAsUnit) {
    EXPECT_EQ(nusk_get_measure_as_unit(2.0, nuskunit_length_cb1, nuskunit_mm), 50.8);
    for (NuskUnit keep : {nuskunit_unknown, nuskunit_as_is, nuskunit_reserved52})
        EXPECT_EQ(nusk_get_measure_as_unit(3.5, nuskunit_reserved52, keep), 3.5);
    EXPECT_EQ(nusk_get_measure_as_unit(3.5, nuskunit_mm_per_s, nuskunit_mm_per_revolution), NUSK_NULL_REAL);
    EXPECT_EQ(nusk_get_measure_as_unit(3.5, nuskunit_as_is, nuskunit_mm), NUSK_NULL_REAL);
    // An unset value must not become a tiny number once scaled.
    EXPECT_EQ(nusk_get_measure_as_unit(NUSK_NULL_REAL, nuskunit_mm, nuskunit_length_cb1), NUSK_NULL_REAL);
    EXPECT_TRUE(nusk_is_epsilon_equal(1.0, 1.5, 0.5));  // the bound itself is equal
    EXPECT_FALSE(nusk_is_epsilon_equal(1.0, 1.5, 0.25));
}

TEST(Units, RelatedByFactorRecoversEveryUnitOfItsGroup) {
    for (const auto& group : kGroups)
        for (int base : group)
            for (int code : group)
                EXPECT_EQ(nusk_get_unit_related_by_factor(U(base), nusk_get_unit_conversion_factor(U(code), U(base))),
                          code) << "code " << code << " on " << base;
}

TEST(Units, RelatedByFactorAcceptsRoundedFileFactors) {
    const struct { NuskUnit base; double factor; NuskUnit expected; } cases[] = {
        {nuskunit_rad, 0.01745329252, nuskunit_angle_cb1}, {nuskunit_mm, 25.4, nuskunit_length_cb1},
        {nuskunit_mm, 1.0, nuskunit_mm}, {nuskunit_m, 0.0254, nuskunit_length_cb1},
        {nuskunit_s, 60.0, nuskunit_time_cb1}, {nuskunit_pa, 6894.757, nuskunit_pressure_cb1},
        {nuskunit_n, 4.448222, nuskunit_force_cb1}, {nuskunit_kw, 0.7457, nuskunit_power_cb1},
    };
    for (const auto& c : cases) EXPECT_EQ(nusk_get_unit_related_by_factor(c.base, c.factor), c.expected);
}

TEST(Units, RelatedByFactorRejectsNonsense) {
    for (double factor : {3.0, 0.0, -25.4, 25.5, NUSK_NULL_REAL, std::nan("")})
        EXPECT_EQ(nusk_get_unit_related_by_factor(nuskunit_mm, factor), nuskunit_unknown) << factor;
    for (int unit : {0, 1, 52, 61, -1})
        EXPECT_EQ(nusk_get_unit_related_by_factor(U(unit), 1.0), nuskunit_unknown) << unit;
}

}  // namespace
