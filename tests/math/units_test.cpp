#include "nusk/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

NuskUnit U(int code) { return static_cast<NuskUnit>(code); }

// Codes that convert into each other, one group per dimension.
const std::vector<std::vector<NuskUnit>> kGroups = {
    {nuskunit_mm, nuskunit_cm, nuskunit_m, nuskunit_length_cb1, nuskunit_length_cb2, nuskunit_um, nuskunit_nm,
     nuskunit_length_cb3, nuskunit_length_cb4},
    {nuskunit_mm2, nuskunit_cm2, nuskunit_m2, nuskunit_length_cb1_2, nuskunit_length_cb2_2},
    {nuskunit_mm3, nuskunit_cm3, nuskunit_m3, nuskunit_length_cb1_3, nuskunit_length_cb2_3},
    {nuskunit_angle_cb1, nuskunit_rad},
    {nuskunit_sr},
    {nuskunit_s, nuskunit_time_cb1, nuskunit_time_cb2},
    {nuskunit_mm_per_s, nuskunit_mm_per_time_cb1, nuskunit_cm_per_s, nuskunit_m_per_s, nuskunit_length_cb1_per_s,
     nuskunit_length_cb1_per_time_cb1, nuskunit_length_cb2_per_s, nuskunit_length_cb2_per_time_cb1},
    {nuskunit_mm_per_revolution, nuskunit_length_cb1_per_revolution},
    {nuskunit_mm_per_tooth, nuskunit_length_cb1_per_tooth},
    {nuskunit_revolution_per_s, nuskunit_revolution_per_time_cb1},
    {nuskunit_pa, nuskunit_kpa, nuskunit_mpa, nuskunit_pressure_cb1},
    {nuskunit_n, nuskunit_force_cb1},
    {nuskunit_w, nuskunit_kw, nuskunit_power_cb1},
    {nuskunit_n_m, nuskunit_force_cb1_length_cb2},
    {nuskunit_count},
    {nuskunit_parameter},
    {nuskunit_ratio},
    {nuskunit_revolution},
    {nuskunit_tooth},
};

int group_of(int code) {
    for (size_t g = 0; g < kGroups.size(); ++g)
        for (int c : kGroups[g])
            if (c == code) return static_cast<int>(g);
    return -1;
}

bool names_a_unit(int code) {
    return (code >= nuskunit_unknown && code <= nuskunit_force_cb1_length_cb2) ||
           (code >= nuskunit_count && code <= nuskunit_tooth);
}

TEST(Units, MeasureTypeOfEveryCode) {
    const NuskMeasureType expected[NUSK_UNIT_MAX + 1] = {  // by code
        nuskmeasure_unknown,  // nuskunit_unknown
        nuskmeasure_unknown,  // nuskunit_as_is
        nuskmeasure_length,  // nuskunit_mm
        nuskmeasure_length,  // nuskunit_cm
        nuskmeasure_length,  // nuskunit_m
        nuskmeasure_length,  // nuskunit_length_cb1
        nuskmeasure_length,  // nuskunit_length_cb2
        nuskmeasure_length,  // nuskunit_um
        nuskmeasure_length,  // nuskunit_nm
        nuskmeasure_length,  // nuskunit_length_cb3
        nuskmeasure_length,  // nuskunit_length_cb4
        nuskmeasure_area,  // nuskunit_mm2
        nuskmeasure_area,  // nuskunit_cm2
        nuskmeasure_area,  // nuskunit_m2
        nuskmeasure_area,  // nuskunit_length_cb1_2
        nuskmeasure_area,  // nuskunit_length_cb2_2
        nuskmeasure_volume,  // nuskunit_mm3
        nuskmeasure_volume,  // nuskunit_cm3
        nuskmeasure_volume,  // nuskunit_m3
        nuskmeasure_volume,  // nuskunit_length_cb1_3
        nuskmeasure_volume,  // nuskunit_length_cb2_3
        nuskmeasure_plane_angle,  // nuskunit_angle_cb1
        nuskmeasure_plane_angle,  // nuskunit_rad
        nuskmeasure_solid_angle,  // nuskunit_sr
        nuskmeasure_time,  // nuskunit_s
        nuskmeasure_time,  // nuskunit_time_cb1
        nuskmeasure_time,  // nuskunit_time_cb2
        nuskmeasure_feedrate,  // nuskunit_mm_per_s
        nuskmeasure_feedrate,  // nuskunit_mm_per_time_cb1
        nuskmeasure_feedrate,  // nuskunit_cm_per_s
        nuskmeasure_feedrate,  // nuskunit_m_per_s
        nuskmeasure_feedrate,  // nuskunit_length_cb1_per_s
        nuskmeasure_feedrate,  // nuskunit_length_cb1_per_time_cb1
        nuskmeasure_feedrate,  // nuskunit_length_cb2_per_s
        nuskmeasure_feedrate,  // nuskunit_length_cb2_per_time_cb1
        nuskmeasure_feedrate,  // nuskunit_mm_per_revolution
        nuskmeasure_feedrate,  // nuskunit_length_cb1_per_revolution
        nuskmeasure_feedrate,  // nuskunit_mm_per_tooth
        nuskmeasure_feedrate,  // nuskunit_length_cb1_per_tooth
        nuskmeasure_spinrate,  // nuskunit_revolution_per_s
        nuskmeasure_spinrate,  // nuskunit_revolution_per_time_cb1
        nuskmeasure_pressure,  // nuskunit_pa
        nuskmeasure_pressure,  // nuskunit_kpa
        nuskmeasure_pressure,  // nuskunit_mpa
        nuskmeasure_pressure,  // nuskunit_pressure_cb1
        nuskmeasure_force,  // nuskunit_n
        nuskmeasure_force,  // nuskunit_force_cb1
        nuskmeasure_power,  // nuskunit_w
        nuskmeasure_power,  // nuskunit_kw
        nuskmeasure_power,  // nuskunit_power_cb1
        nuskmeasure_torque,  // nuskunit_n_m
        nuskmeasure_torque,  // nuskunit_force_cb1_length_cb2
        nuskmeasure_unknown,  // nuskunit_reserved52
        nuskmeasure_unknown,  // nuskunit_reserved53
        nuskmeasure_unknown,  // nuskunit_reserved54
        nuskmeasure_unknown,  // nuskunit_reserved55
        nuskmeasure_count,  // nuskunit_count
        nuskmeasure_parameter,  // nuskunit_parameter
        nuskmeasure_ratio,  // nuskunit_ratio
        nuskmeasure_revolution,  // nuskunit_revolution
        nuskmeasure_tooth,  // nuskunit_tooth
    };
    for (int code = 0; code <= NUSK_UNIT_MAX; ++code)
        EXPECT_EQ(nusk_get_measure_type(U(code)), expected[code]) << "code " << code;
    EXPECT_EQ(nusk_get_measure_type(U(-1)), nuskmeasure_unknown);
    EXPECT_EQ(nusk_get_measure_type(U(NUSK_UNIT_MAX + 1)), nuskmeasure_unknown);
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
    const struct { NuskUnit code, base; double factor; } cases[] = {
        {nuskunit_cm, nuskunit_mm, 10},
        {nuskunit_m, nuskunit_mm, 1e3},
        {nuskunit_length_cb1, nuskunit_mm, 25.4},
        {nuskunit_length_cb2, nuskunit_mm, 304.8},
        {nuskunit_um, nuskunit_mm, 1e-3},
        {nuskunit_nm, nuskunit_mm, 1e-6},
        {nuskunit_length_cb3, nuskunit_mm, 1609344},
        {nuskunit_length_cb4, nuskunit_mm, 0.0254},
        {nuskunit_cm2, nuskunit_mm2, 100},
        {nuskunit_m2, nuskunit_mm2, 1e6},
        {nuskunit_length_cb1_2, nuskunit_mm2, 645.16},
        {nuskunit_length_cb2_2, nuskunit_mm2, 92903.04},
        {nuskunit_cm3, nuskunit_mm3, 1e3},
        {nuskunit_m3, nuskunit_mm3, 1e9},
        {nuskunit_length_cb1_3, nuskunit_mm3, 16387.064},
        {nuskunit_length_cb2_3, nuskunit_mm3, 28316846.592},
        {nuskunit_angle_cb1, nuskunit_rad, std::acos(-1.0) / 180},
        {nuskunit_time_cb1, nuskunit_s, 60},
        {nuskunit_time_cb2, nuskunit_s, 3600},
        {nuskunit_mm_per_time_cb1, nuskunit_mm_per_s, 1 / 60.0},
        {nuskunit_cm_per_s, nuskunit_mm_per_s, 10},
        {nuskunit_m_per_s, nuskunit_mm_per_s, 1e3},
        {nuskunit_length_cb1_per_s, nuskunit_mm_per_s, 25.4},
        {nuskunit_length_cb1_per_time_cb1, nuskunit_mm_per_s, 25.4 / 60},
        {nuskunit_length_cb2_per_s, nuskunit_mm_per_s, 304.8},
        {nuskunit_length_cb2_per_time_cb1, nuskunit_mm_per_s, 5.08},
        {nuskunit_length_cb1_per_revolution, nuskunit_mm_per_revolution, 25.4},
        {nuskunit_length_cb1_per_tooth, nuskunit_mm_per_tooth, 25.4},
        {nuskunit_revolution_per_time_cb1, nuskunit_revolution_per_s, 1 / 60.0},
        {nuskunit_kpa, nuskunit_pa, 1e3},
        {nuskunit_mpa, nuskunit_pa, 1e6},
        {nuskunit_pressure_cb1, nuskunit_pa, 6894.757293168},
        {nuskunit_force_cb1, nuskunit_n, 4.4482216152605},
        {nuskunit_kw, nuskunit_w, 1e3},
        {nuskunit_power_cb1, nuskunit_w, 745.699872},
        {nuskunit_force_cb1_length_cb2, nuskunit_n_m, 4.4482216152605 * 0.3048},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(nusk_get_unit_conversion_factor(c.code, c.base), c.factor) << c.code;
}

TEST(Units, FactorsRoundOnceWhereDecimalsAllow) {
    auto f = [](NuskUnit from, NuskUnit to) { return nusk_get_unit_conversion_factor(from, to); };
    EXPECT_EQ(f(nuskunit_mm, nuskunit_length_cb1), 10.0 / 254.0);  // the correctly rounded 1/25.4
    EXPECT_EQ(f(nuskunit_length_cb2, nuskunit_length_cb1), 12.0);
    EXPECT_EQ(f(nuskunit_length_cb2_per_time_cb1, nuskunit_length_cb1_per_time_cb1), 12.0);
    EXPECT_EQ(f(nuskunit_time_cb2, nuskunit_time_cb1), 60.0);
    EXPECT_EQ(f(nuskunit_pressure_cb1, nuskunit_kpa), 6.894757293168);
    EXPECT_EQ(f(nuskunit_power_cb1, nuskunit_w), 745.699872);
    EXPECT_EQ(f(nuskunit_length_cb1_2, nuskunit_mm2), 645.16);
    EXPECT_EQ(f(nuskunit_mm_per_time_cb1, nuskunit_mm_per_s), 1.0 / 60);
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
        for (NuskUnit base : group)
            for (NuskUnit code : group)
                EXPECT_EQ(nusk_get_unit_related_by_factor(base, nusk_get_unit_conversion_factor(code, base)), code)
                    << "code " << code << " on " << base;
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
    for (int unit : {int(nuskunit_unknown), int(nuskunit_as_is), int(nuskunit_reserved52), NUSK_UNIT_MAX + 1, -1})
        EXPECT_EQ(nusk_get_unit_related_by_factor(U(unit), 1.0), nuskunit_unknown) << unit;
}

}  // namespace
