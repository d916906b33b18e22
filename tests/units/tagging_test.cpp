// Identification of unit entities: the rules row by row, and the getters.
#include "units_helpers.h"

#include <gtest/gtest.h>

namespace {

class UnitTagging : public ::testing::Test, public UnitFixture {};

TEST_F(UnitTagging, SiUnitsByNameAndPrefix) {
    struct Row {
        int name, prefix;
        NuskUnit code;
        NuskMeasureType kind;
    };
    const Row rows[] = {
        {stp_si_unit_name_metre, stp_si_prefix_UNSET, nuskunit_m, nuskmeasure_length},
        {stp_si_unit_name_metre, stp_si_prefix_centi, nuskunit_cm, nuskmeasure_length},
        {stp_si_unit_name_metre, stp_si_prefix_milli, nuskunit_mm, nuskmeasure_length},
        {stp_si_unit_name_metre, stp_si_prefix_micro, nuskunit_um, nuskmeasure_length},
        {stp_si_unit_name_metre, stp_si_prefix_nano, nuskunit_nm, nuskmeasure_length},
        {stp_si_unit_name_metre, stp_si_prefix_kilo, nuskunit_unknown, nuskmeasure_length},
        {stp_si_unit_name_second, stp_si_prefix_UNSET, nuskunit_s, nuskmeasure_time},
        {stp_si_unit_name_second, stp_si_prefix_milli, nuskunit_unknown, nuskmeasure_time},
        {stp_si_unit_name_radian, stp_si_prefix_UNSET, nuskunit_rad, nuskmeasure_plane_angle},
        {stp_si_unit_name_steradian, stp_si_prefix_UNSET, nuskunit_sr, nuskmeasure_solid_angle},
        {stp_si_unit_name_hertz, stp_si_prefix_UNSET, nuskunit_revolution_per_s, nuskmeasure_spinrate},
        {stp_si_unit_name_newton, stp_si_prefix_UNSET, nuskunit_n, nuskmeasure_force},
        {stp_si_unit_name_pascal, stp_si_prefix_UNSET, nuskunit_pa, nuskmeasure_pressure},
        {stp_si_unit_name_pascal, stp_si_prefix_kilo, nuskunit_kpa, nuskmeasure_pressure},
        {stp_si_unit_name_pascal, stp_si_prefix_mega, nuskunit_mpa, nuskmeasure_pressure},
        {stp_si_unit_name_pascal, stp_si_prefix_giga, nuskunit_unknown, nuskmeasure_pressure},
        {stp_si_unit_name_watt, stp_si_prefix_UNSET, nuskunit_w, nuskmeasure_power},
        {stp_si_unit_name_watt, stp_si_prefix_kilo, nuskunit_kw, nuskmeasure_power},
        {stp_si_unit_name_gram, stp_si_prefix_kilo, nuskunit_unknown, nuskmeasure_unknown},
        {stp_si_unit_name_ampere, stp_si_prefix_UNSET, nuskunit_unknown, nuskmeasure_unknown},
        {stp_si_unit_name_joule, stp_si_prefix_UNSET, nuskunit_unknown, nuskmeasure_unknown},
    };
    for (const Row& r : rows) {
        stp_si_unit* u = si(r.name, r.prefix);
        mivo_tag_si_unit(u);
        EXPECT_EQ(code(u), r.code) << r.name << "/" << r.prefix;
        EXPECT_EQ(kind(u), r.kind) << r.name << "/" << r.prefix;
    }
    mivo_tag_si_unit(nullptr);  // nothing happens
}

TEST_F(UnitTagging, ConversionBasedUnitsThroughTheUnitOfTheirFactor) {
    stp_si_unit* mm = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    stp_si_unit* rad = si(stp_si_unit_name_radian);
    stp_conversion_based_unit* inch = cb("INCH", 25.4, mm);
    stp_conversion_based_unit* degree = cb("DEGREE", 0.01745329252, rad);
    stp_conversion_based_unit* self = cb("MILLIMETRE", 1.0, mm);
    stp_conversion_based_unit* odd = cb("CUBIT", 457.2, mm);
    // A mile through a foot through an inch, each made before the unit its factor is in.
    auto* mile = new (&design) stp_conversion_based_unit();
    auto* viaInch = new (&design) stp_conversion_based_unit();
    stp_conversion_based_unit* laterInch = cb("INCH", 25.4, mm);
    mile->conversion_factor(measure(5280.0, viaInch));
    viaInch->conversion_factor(measure(12.0, laterInch));
    // Two units each expressed in the other: nothing to start from.
    auto* ping = new (&design) stp_conversion_based_unit();
    stp_conversion_based_unit* pong = cb("PONG", 2.0, ping);
    ping->conversion_factor(measure(0.5, pong));
    stp_conversion_based_unit* none = new (&design) stp_conversion_based_unit();
    mivo_tag_units(&design);
    EXPECT_EQ(code(inch), nuskunit_length_cb1);
    EXPECT_EQ(code(degree), nuskunit_angle_cb1);
    EXPECT_EQ(kind(degree), nuskmeasure_plane_angle);
    EXPECT_EQ(code(self), nuskunit_mm);
    EXPECT_EQ(code(odd), nuskunit_unknown);  // no such unit: the code stays 0, the kind is known
    EXPECT_EQ(kind(odd), nuskmeasure_length);
    EXPECT_EQ(code(none), nuskunit_unknown);
    EXPECT_EQ(kind(none), nuskmeasure_unknown);
    // Whatever the order of the units, one pass finds the whole chain.
    EXPECT_EQ(code(viaInch), nuskunit_length_cb2);
    EXPECT_EQ(code(mile), nuskunit_length_cb3);
    EXPECT_EQ(code(ping), nuskunit_unknown);
    EXPECT_EQ(code(pong), nuskunit_unknown);
    mivo_tag_units(&design);
    EXPECT_EQ(code(mile), nuskunit_length_cb3);  // what was found stays
    EXPECT_EQ(code(inch), nuskunit_length_cb1);
}

TEST_F(UnitTagging, ContextDependentUnitsByWholeNameIgnoringCase) {
    const struct {
        const char* name;
        NuskUnit code;
        NuskMeasureType kind;
    } rows[] = {
        {"count", nuskunit_count, nuskmeasure_count},
        {"COUNT", nuskunit_count, nuskmeasure_count},
        {"Parameter", nuskunit_parameter, nuskmeasure_parameter},
        {"ratio", nuskunit_ratio, nuskmeasure_ratio},
        {"revolution", nuskunit_revolution, nuskmeasure_revolution},
        {"tooth", nuskunit_tooth, nuskmeasure_tooth},
        {"counts", nuskunit_unknown, nuskmeasure_unknown},
        {"", nuskunit_unknown, nuskmeasure_unknown},
        {nullptr, nuskunit_unknown, nuskmeasure_unknown},
    };
    for (const auto& r : rows) {
        stp_context_dependent_unit* u = cdu(r.name);
        mivo_tag_context_dependent_unit(u);
        EXPECT_EQ(code(u), r.code) << (r.name ? r.name : "unset");
        EXPECT_EQ(kind(u), r.kind);
    }
}

TEST_F(UnitTagging, DerivedUnitsThroughTheirElements) {
    stp_si_unit* mm = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    stp_si_unit* m = si(stp_si_unit_name_metre);
    stp_si_unit* um = si(stp_si_unit_name_metre, stp_si_prefix_micro);
    stp_si_unit* s = si(stp_si_unit_name_second);
    stp_si_unit* n = si(stp_si_unit_name_newton);
    stp_si_unit* untagged = si(stp_si_unit_name_gram);
    stp_conversion_based_unit* minute = cb("MINUTE", 60.0, s);
    stp_context_dependent_unit* rev = cdu("revolution");
    struct Case {
        stp_derived_unit* unit;
        NuskUnit code;
        NuskMeasureType kind;
        const char* what;
    };
    const std::vector<Case> cases = {
        {derived({{mm, 2.0}}), nuskunit_mm2, nuskmeasure_area, "mm^2"},
        {derived({{mm, 3.0}}), nuskunit_mm3, nuskmeasure_volume, "mm^3"},
        {derived({{um, 2.0}}), nuskunit_unknown, nuskmeasure_area, "um^2: kind only"},
        {derived({{mm, 4.0}}), nuskunit_unknown, nuskmeasure_unknown, "mm^4: nothing"},
        // An element that is not known leaves the whole unknown: mm^2/g is no area.
        {derived({{mm, 2.0}, {untagged, -1.0}}), nuskunit_unknown, nuskmeasure_unknown, "mm^2/g"},
        {derived({{mm, 1.0}, {minute, -1.0}}), nuskunit_mm_per_time_cb1, nuskmeasure_feedrate, "mm/min"},
        // A quotient is a rate only as one length per one unit of time.
        {derived({{mm, 2.0}, {minute, -5.0}}), nuskunit_unknown, nuskmeasure_unknown, "mm^2/min^5"},
        {derived({{mm, 2.0}, {s, -1.0}}), nuskunit_unknown, nuskmeasure_unknown, "mm^2/s"},
        {derived({{mm, 1.0}, {s, -2.0}}), nuskunit_unknown, nuskmeasure_unknown, "mm/s^2"},
        {derived({{s, -2.0}}), nuskunit_unknown, nuskmeasure_unknown, "1/s^2"},
        {derived({{n, 1.0}, {m, 1.0}}), nuskunit_n_m, nuskmeasure_torque, "N.m"},
        {derived({{m, 1.0}, {n, 1.0}}), nuskunit_n_m, nuskmeasure_torque, "m.N"},
        {derived({{n, 1.0}, {mm, 1.0}}), nuskunit_unknown, nuskmeasure_torque, "N.mm: kind only"},
        {derived({{rev, 1.0}, {s, -1.0}}), nuskunit_revolution_per_s, nuskmeasure_spinrate, "rev/s"},
        {derived({{s, -1.0}}), nuskunit_revolution_per_s, nuskmeasure_spinrate, "1/s"},
        {derived({{minute, -1.0}}), nuskunit_revolution_per_time_cb1, nuskmeasure_spinrate, "1/min"},
        {derived({{mm, 0.0}}), nuskunit_unknown, nuskmeasure_unknown, "an exponent of 0 counts as positive"},
        {derived({{mm, 1.0}, {rev, -1.0}}), nuskunit_mm_per_revolution, nuskmeasure_feedrate, "mm/rev"},
        {derived({}), nuskunit_unknown, nuskmeasure_unknown, "no elements"},
    };
    mivo_tag_units(&design);
    for (const Case& c : cases) {
        EXPECT_EQ(code(c.unit), c.code) << c.what;
        EXPECT_EQ(kind(c.unit), c.kind) << c.what;
    }
}

TEST_F(UnitTagging, RatioUnitsKeepACodeTheyHave) {
    auto* ratio = new (&design) stp_ratio_unit();
    auto* other = new (&design) stp_ratio_unit();
    MivoMgrUnit::make(other)->unit = nuskunit_count;
    mivo_tag_units(&design);
    EXPECT_EQ(code(ratio), nuskunit_ratio);
    EXPECT_EQ(kind(ratio), nuskmeasure_ratio);
    mivo_tag_units(&design);
    EXPECT_EQ(code(other), nuskunit_count);
}

TEST_F(UnitTagging, GettersGiveZeroForWhatTheyCannotTell) {
    stp_si_unit* mm = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    stp_measure_with_unit* length = measure(3.0, mm);
    stp_unit* sel = select(mm);
    EXPECT_EQ(mivo_get_unit_type(length), nuskunit_unknown);  // not tagged yet: no manager
    EXPECT_EQ(MivoMgrUnit::find(mm), nullptr);  // and the getter made none
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_get_unit_type(length), nuskunit_mm);
    EXPECT_EQ(mivo_get_measure_type(length), nuskmeasure_length);
    EXPECT_EQ(mivo_get_unit_type(static_cast<stp_named_unit*>(mm)), nuskunit_mm);
    EXPECT_EQ(mivo_get_unit_type(sel), nuskunit_mm);
    EXPECT_EQ(mivo_get_measure_type(sel), nuskmeasure_length);
    EXPECT_EQ(mivo_get_measure_type(nuskunit_length_cb1), nuskmeasure_length);
    EXPECT_EQ(mivo_get_unit_type(static_cast<stp_measure_with_unit*>(nullptr)), nuskunit_unknown);
    EXPECT_EQ(mivo_get_unit_type(static_cast<stp_unit*>(nullptr)), nuskunit_unknown);
    EXPECT_EQ(mivo_get_measure_type(static_cast<stp_named_unit*>(nullptr)), nuskmeasure_unknown);
    auto* bare = new (&design) stp_measure_with_unit();
    EXPECT_EQ(mivo_get_unit_type(bare), nuskunit_unknown);
    EXPECT_EQ(mivo_get_unit_type(new (&design) stp_unit()), nuskunit_unknown);
    mivo_tag_units(nullptr);
}

}  // namespace
