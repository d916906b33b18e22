// Reading measure values in the unit a caller asks for.
#include "../units/units_helpers.h"

#include "mivo_measures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

class MeasureValues : public ::testing::Test, public UnitFixture {};

std::vector<NuskUnit> codesWithEntities() {
    std::vector<NuskUnit> codes;
    for (int c = nuskunit_mm; c <= NUSK_UNIT_MAX; ++c)
        if (nusk_get_measure_type(static_cast<NuskUnit>(c)) != nuskmeasure_unknown) codes.push_back(static_cast<NuskUnit>(c));
    return codes;
}

// Every pair of units of one kind: the value read in the other unit is the stored one times the math library's
// factor, and reading that back from a measure made in the other unit gives the first value again. Pairs the
// math library cannot convert (feed per second and per revolution) give the null real, never a number.
TEST_F(MeasureValues, EveryUnitIntoEveryUnitOfItsKind) {
    const std::vector<NuskUnit> codes = codesWithEntities();
    size_t converted = 0;
    for (NuskUnit from : codes) {
        stp_measure_with_unit* m = mivo_make_measure(&design, 1.5, from);
        mivo_tag_units(&design);  // units made by code carry it already; context-dependent ones need the pass
        ASSERT_EQ(mivo_get_unit_type(m), from) << nusk_get_unit_name(from);
        for (NuskUnit to : codes) {
            const double factor = nusk_get_unit_conversion_factor(from, to);
            const double got = mivo_get_measure_value(m, to);
            if (factor == NUSK_NULL_REAL || factor == 0.0) {
                EXPECT_EQ(got, NUSK_NULL_REAL) << nusk_get_unit_name(from) << " -> " << nusk_get_unit_name(to);
                continue;
            }
            ++converted;
            EXPECT_DOUBLE_EQ(got, 1.5 * factor) << nusk_get_unit_name(from) << " -> " << nusk_get_unit_name(to);
            stp_measure_with_unit* back = mivo_make_measure(&design, got, to);
            EXPECT_NEAR(mivo_get_measure_value(back, from), 1.5, 1e-12) << nusk_get_unit_name(to);
        }
    }
    EXPECT_GT(converted, codes.size());  // more than the identities: real conversions took place
}

// Known quantities, stated independently of the math library's tables.
TEST_F(MeasureValues, KnownQuantities) {
    struct Case {
        double value;
        NuskUnit from, to;
        double expected;
    } cases[] = {
        {25.4, nuskunit_mm, nuskunit_length_cb1, 1.0},     {1.0, nuskunit_length_cb1, nuskunit_m, 0.0254},
        {1.0, nuskunit_length_cb2, nuskunit_length_cb1, 12.0}, {1.0, nuskunit_m, nuskunit_um, 1e6},
        {180.0, nuskunit_angle_cb1, nuskunit_rad, kPi},   {2.0, nuskunit_time_cb1, nuskunit_s, 120.0},
        {1.0, nuskunit_time_cb2, nuskunit_time_cb1, 60.0}, {1.0, nuskunit_m2, nuskunit_mm2, 1e6},
        {1.0, nuskunit_cm3, nuskunit_mm3, 1000.0},         {1.0, nuskunit_m_per_s, nuskunit_mm_per_time_cb1, 60000.0},
        {1.0, nuskunit_mpa, nuskunit_pa, 1e6},             {1.0, nuskunit_kw, nuskunit_w, 1000.0},
        {1.0, nuskunit_n_m, nuskunit_n_m, 1.0},
    };
    for (const Case& c : cases) {
        stp_measure_with_unit* m = mivo_make_measure(&design, c.value, c.from);
        EXPECT_NEAR(mivo_get_measure_value(m, c.to), c.expected, 1e-9 * std::fabs(c.expected))
            << nusk_get_unit_name(c.from) << " -> " << nusk_get_unit_name(c.to);
    }
}

TEST_F(MeasureValues, TheStoredNumberWhenNothingIsToBeConverted) {
    stp_measure_with_unit* mm = mivo_make_measure(&design, 12.5, nuskunit_mm);
    for (NuskUnit keep : {nuskunit_mm, nuskunit_as_is, nuskunit_unknown}) EXPECT_EQ(mivo_get_measure_value(mm, keep), 12.5);
    EXPECT_EQ(mivo_get_count_value(mm), 12.5);  // counts and ratios are never converted
    EXPECT_EQ(mivo_get_ratio_value(mm), 12.5);
    // A unit that was never identified keeps its number, but cannot be converted: no value, not a guess.
    stp_measure_with_unit* untagged = measure(3.0, si(stp_si_unit_name_metre, stp_si_prefix_milli));
    EXPECT_EQ(mivo_get_measure_value(untagged, nuskunit_as_is), 3.0);
    EXPECT_EQ(mivo_get_measure_value(untagged, nuskunit_unknown), 3.0);
    EXPECT_EQ(mivo_get_measure_value(untagged, nuskunit_m), NUSK_NULL_REAL);
    mivo_tag_units(&design);
    EXPECT_DOUBLE_EQ(mivo_get_measure_value(untagged, nuskunit_m), 0.003);
    // A mass: the math library has no mass units, so nothing converts it.
    stp_measure_with_unit* grams = measure(7.0, si(stp_si_unit_name_gram, stp_si_prefix_kilo));
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_get_measure_value(grams, nuskunit_mm), NUSK_NULL_REAL);
    EXPECT_EQ(mivo_get_measure_value(grams, nuskunit_as_is), 7.0);
}

TEST_F(MeasureValues, NoNumberIsNeverAValue) {
    stp_measure_with_unit* text = mivo_make_measure(&design, 1.0, nuskunit_mm);
    text->value_component()->_descriptive_measure("about ten");
    EXPECT_EQ(mivo_get_measure_value(text, nuskunit_mm), NUSK_NULL_REAL);
    EXPECT_EQ(mivo_get_measure_value(text, nuskunit_m), NUSK_NULL_REAL);
    EXPECT_EQ(mivo_get_count_value(text), NUSK_NULL_REAL);
    EXPECT_STREQ(mivo_get_descriptive_value(text), "about ten");

    stp_measure_with_unit* unset = mivo_make_measure(&design, NUSK_NULL_REAL, nuskunit_mm);
    EXPECT_EQ(mivo_get_measure_value(unset, nuskunit_m), NUSK_NULL_REAL);  // not 2.2e-311
    EXPECT_EQ(mivo_get_descriptive_value(unset), nullptr);

    auto* bare = new (&design) stp_length_measure_with_unit();
    EXPECT_EQ(mivo_get_measure_value(bare, nuskunit_as_is), NUSK_NULL_REAL);
    EXPECT_EQ(mivo_get_ratio_value(bare), NUSK_NULL_REAL);
    EXPECT_EQ(mivo_get_descriptive_value(bare), nullptr);
}

TEST_F(MeasureValues, InTheUnitsOfAUnitSet) {
    NuskUnitSet wanted;
    wanted[nuskmeasure_length] = nuskunit_length_cb1;
    wanted[nuskmeasure_plane_angle] = nuskunit_angle_cb1;
    wanted[nuskmeasure_time] = nuskunit_time_cb1;
    wanted[nuskmeasure_feedrate] = nuskunit_mm_per_time_cb1;
    wanted[nuskmeasure_spinrate] = nuskunit_revolution_per_time_cb1;
    wanted[nuskmeasure_pressure] = nuskunit_kpa;
    EXPECT_DOUBLE_EQ(mivo_get_length_value(mivo_make_measure(&design, 50.8, nuskunit_mm), &wanted), 2.0);
    EXPECT_DOUBLE_EQ(mivo_get_angle_value(mivo_make_measure(&design, kPi / 2, nuskunit_rad), &wanted), 90.0);
    EXPECT_DOUBLE_EQ(mivo_get_time_value(mivo_make_measure(&design, 90.0, nuskunit_s), &wanted), 1.5);
    EXPECT_DOUBLE_EQ(mivo_get_feedrate_value(mivo_make_measure(&design, 2.0, nuskunit_mm_per_s), &wanted), 120.0);
    EXPECT_DOUBLE_EQ(mivo_get_spinrate_value(mivo_make_measure(&design, 1.0, nuskunit_revolution_per_s), &wanted), 60.0);
    EXPECT_DOUBLE_EQ(mivo_get_pressure_value(mivo_make_measure(&design, 2500.0, nuskunit_pa), &wanted), 2.5);

    stp_measure_with_unit* mm = mivo_make_measure(&design, 25.4, nuskunit_mm);
    EXPECT_DOUBLE_EQ(mivo_get_measure_value(mm, &wanted, nuskmeasure_length), 1.0);
    EXPECT_EQ(mivo_get_measure_value(mm, &wanted, nuskmeasure_area), 25.4);  // an entry left 0 keeps the unit
    EXPECT_EQ(mivo_get_measure_value(mm, nullptr, nuskmeasure_length), 25.4);
    EXPECT_EQ(mivo_get_measure_value(mm, &wanted, static_cast<NuskMeasureType>(22)), 25.4);
    EXPECT_EQ(mivo_get_measure_value(mm, &wanted, static_cast<NuskMeasureType>(-1)), 25.4);
    // The kind getters do not check the kind: a length read as an angle cannot be converted.
    EXPECT_EQ(mivo_get_angle_value(mm, &wanted), NUSK_NULL_REAL);
    EXPECT_DOUBLE_EQ(mivo_get_length_value(mm, nuskunit_cm), 2.54);
}

}  // namespace
