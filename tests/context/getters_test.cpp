// The units and uncertainties a context assigns, read from contexts made by hand.
#include "context_helpers.h"

#include <gtest/gtest.h>

namespace {

class ContextGetters : public ::testing::Test, public ContextFixture {
protected:
    stp_si_unit* mm = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    stp_si_unit* rad = si(stp_si_unit_name_radian);
    stp_si_unit* sr = si(stp_si_unit_name_steradian);
};

TEST_F(ContextGetters, AnAndCombinationGivesItsUnitsAndUncertainties) {
    stp_conversion_based_unit* inch = cb("INCH", 25.4, mm);
    // An angle uncertainty listed before the length one, and a second length unit after the first.
    auto* angular = angleUncertainty(0.01, rad, "Angular");
    auto* distance = uncertainty(0.001, mm, "DISTANCE_ACCURACY_VALUE");
    FullContext* c = context({rad, mm, sr, inch}, {angular, distance});
    stp_shape_representation* rep = shape(c);
    mivo_tag_units(&design);

    EXPECT_EQ(mivo_get_context_length_unit(c), nuskunit_mm);  // the first length unit, not the inch
    EXPECT_EQ(mivo_get_context_angle_unit(c), nuskunit_rad);
    EXPECT_EQ(mivo_get_context_solid_angle_unit(c), nuskunit_sr);
    EXPECT_EQ(mivo_get_context_unit(c, nuskmeasure_time), nuskunit_unknown);
    EXPECT_EQ(mivo_get_context_length_unit(rep), nuskunit_mm);
    EXPECT_EQ(mivo_get_context_angle_unit(rep), nuskunit_rad);
    EXPECT_EQ(mivo_get_context_solid_angle_unit(rep), nuskunit_sr);
    EXPECT_EQ(mivo_get_context_unit(rep, nuskmeasure_length), nuskunit_mm);

    // Without a name: the first uncertainty holding a length measure, past the angle one.
    EXPECT_EQ(mivo_get_context_uncertainty(c, nullptr), distance);
    EXPECT_EQ(mivo_get_context_uncertainty(rep, nullptr), distance);
    EXPECT_DOUBLE_EQ(mivo_get_context_uncertainty_value(c, nullptr), 0.001);
    // By name, ignoring case.
    EXPECT_EQ(mivo_get_context_uncertainty(c, "distance_accuracy_value"), distance);
    EXPECT_EQ(mivo_get_context_uncertainty(c, "ANGULAR"), angular);
    EXPECT_DOUBLE_EQ(mivo_get_context_uncertainty_value(rep, "angular"), 0.01);  // in its own unit
    EXPECT_EQ(mivo_get_context_uncertainty(c, "angular accuracy"), nullptr);
    EXPECT_EQ(mivo_get_context_uncertainty_value(c, "missing"), NUSK_NULL_REAL);
}

TEST_F(ContextGetters, WhatIsMissingGivesNothing) {
    stp_shape_representation* noContext = shape(nullptr);
    auto* geometric = new (&design) stp_geometric_representation_context();  // no units, no uncertainty
    geometric->coordinate_space_dimension(3);
    FullContext* unset = new (&design) FullContext();  // the types, but neither set
    FullContext* valueless = context({mm}, {uncertaintyWith(new (&design) stp_measure_value(), mm, "empty")});
    auto* text = new (&design) stp_measure_value();
    text->_descriptive_measure("about a micron");
    FullContext* described = context({mm}, {uncertaintyWith(text, mm, "described")});
    mivo_tag_units(&design);

    for (stp_representation_context* c : {static_cast<stp_representation_context*>(geometric),
                                          static_cast<stp_representation_context*>(unset)}) {
        for (int type = 0; type < NUSK_MEASURE_TYPE_COUNT; ++type)
            EXPECT_EQ(mivo_get_context_unit(c, static_cast<NuskMeasureType>(type)), nuskunit_unknown) << type;
        EXPECT_EQ(mivo_get_context_uncertainty(c, nullptr), nullptr);
        EXPECT_EQ(mivo_get_context_uncertainty_value(c, nullptr), NUSK_NULL_REAL);
    }
    EXPECT_EQ(mivo_get_context_length_unit(noContext), nuskunit_unknown);
    EXPECT_EQ(mivo_get_context_uncertainty(noContext, nullptr), nullptr);
    EXPECT_EQ(mivo_get_context_uncertainty_value(noContext, nullptr), NUSK_NULL_REAL);

    // An uncertainty without a value is found by name, not as the length uncertainty; its value is none.
    EXPECT_EQ(mivo_get_context_uncertainty(valueless, nullptr), nullptr);
    EXPECT_NE(mivo_get_context_uncertainty(valueless, "EMPTY"), nullptr);
    EXPECT_EQ(mivo_get_context_uncertainty_value(valueless, "empty"), NUSK_NULL_REAL);
    // A text is no number.
    EXPECT_EQ(mivo_get_context_uncertainty_value(described, "described"), NUSK_NULL_REAL);
}

TEST_F(ContextGetters, UntaggedUnitsAreNeverFound) {
    FullContext* c = context({mm, rad}, {uncertainty(0.001, mm)});
    // Untagged units have kind 0: neither a length unit nor a match for kind 0.
    EXPECT_EQ(mivo_get_context_length_unit(c), nuskunit_unknown);
    EXPECT_EQ(mivo_get_context_angle_unit(c), nuskunit_unknown);
    EXPECT_EQ(mivo_get_context_unit(c, nuskmeasure_unknown), nuskunit_unknown);
    // The uncertainty is found by what its value holds, tagged or not.
    EXPECT_DOUBLE_EQ(mivo_get_context_uncertainty_value(c, nullptr), 0.001);
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_get_context_length_unit(c), nuskunit_mm);
    EXPECT_EQ(mivo_get_context_unit(c, nuskmeasure_unknown), nuskunit_unknown);
}

}  // namespace
