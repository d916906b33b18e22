// Identification of unit entities: the rules row by row, and the getters.
#include "units_helpers.h"

#include <gtest/gtest.h>

namespace {

class UnitTagging : public ::testing::Test, public UnitFixture {};

TEST_F(UnitTagging, SiUnitsByNameAndPrefix) {
    struct Row {
        int name, prefix, code, kind;
    };
    const Row rows[] = {
        {stp_si_unit_name_metre, -1, 4, 8},         {stp_si_unit_name_metre, stp_si_prefix_centi, 3, 8},
        {stp_si_unit_name_metre, stp_si_prefix_milli, 2, 8},   {stp_si_unit_name_metre, stp_si_prefix_micro, 7, 8},
        {stp_si_unit_name_metre, stp_si_prefix_nano, 8, 8},    {stp_si_unit_name_metre, stp_si_prefix_kilo, 0, 8},
        {stp_si_unit_name_second, -1, 24, 18},      {stp_si_unit_name_second, stp_si_prefix_milli, 0, 18},
        {stp_si_unit_name_radian, -1, 22, 2},       {stp_si_unit_name_steradian, -1, 23, 15},
        {stp_si_unit_name_hertz, -1, 39, 4},        {stp_si_unit_name_newton, -1, 45, 7},
        {stp_si_unit_name_pascal, -1, 41, 12},      {stp_si_unit_name_pascal, stp_si_prefix_kilo, 42, 12},
        {stp_si_unit_name_pascal, stp_si_prefix_mega, 43, 12}, {stp_si_unit_name_pascal, stp_si_prefix_giga, 0, 12},
        {stp_si_unit_name_watt, -1, 47, 11},        {stp_si_unit_name_watt, stp_si_prefix_kilo, 48, 11},
        {stp_si_unit_name_gram, stp_si_prefix_kilo, 0, 0}, {stp_si_unit_name_ampere, -1, 0, 0},
        {stp_si_unit_name_joule, -1, 0, 0},
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
    // A foot whose factor is in a unit that the pass meets after it.
    auto* viaInch = new (&design) stp_conversion_based_unit();
    stp_conversion_based_unit* laterInch = cb("INCH", 25.4, mm);
    viaInch->conversion_factor(measure(12.0, laterInch));
    stp_conversion_based_unit* none = new (&design) stp_conversion_based_unit();
    mivo_tag_units(&design);
    EXPECT_EQ(code(inch), 5);
    EXPECT_EQ(code(degree), 21);
    EXPECT_EQ(kind(degree), 2);
    EXPECT_EQ(code(self), 2);
    EXPECT_EQ(code(odd), 0);  // no such unit: the code stays 0, the kind is known
    EXPECT_EQ(kind(odd), 8);
    EXPECT_EQ(code(none), 0);
    EXPECT_EQ(kind(none), 0);
    EXPECT_EQ(code(viaInch), 0);
    mivo_tag_units(&design);  // once its factor's unit is known, a second pass finds it
    EXPECT_EQ(code(viaInch), 6);
    EXPECT_EQ(code(inch), 5);  // and what was found stays
}

TEST_F(UnitTagging, ContextDependentUnitsByWholeNameIgnoringCase) {
    const struct {
        const char* name;
        int code, kind;
    } rows[] = {{"count", 56, 6}, {"COUNT", 56, 6},  {"Parameter", 57, 10}, {"ratio", 58, 13},
                {"revolution", 59, 14}, {"tooth", 60, 19}, {"counts", 0, 0}, {"", 0, 0}, {nullptr, 0, 0}};
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
        int code, kind;
        const char* what;
    };
    const std::vector<Case> cases = {
        {derived({{mm, 2.0}}), 11, 5, "mm^2"},
        {derived({{mm, 3.0}}), 16, 21, "mm^3"},
        {derived({{um, 2.0}}), 0, 5, "um^2: kind only"},
        {derived({{mm, 4.0}}), 0, 0, "mm^4: nothing"},
        {derived({{mm, 2.0}, {untagged, -1.0}}), 11, 5, "an untagged element does not count"},
        {derived({{mm, 1.0}, {minute, -1.0}}), 28, 16, "mm/min"},
        {derived({{mm, 2.0}, {minute, -5.0}}), 28, 16, "quotients do not test exponents"},
        {derived({{n, 1.0}, {m, 1.0}}), 50, 20, "N.m"},
        {derived({{m, 1.0}, {n, 1.0}}), 50, 20, "m.N"},
        {derived({{n, 1.0}, {mm, 1.0}}), 0, 20, "N.mm: kind only"},
        {derived({{rev, 1.0}, {s, -1.0}}), 39, 4, "rev/s"},
        {derived({{s, -1.0}}), 39, 4, "1/s"},
        {derived({{minute, -2.0}}), 40, 4, "1/min"},
        {derived({{mm, 0.0}}), 0, 0, "an exponent of 0 counts as positive"},
        {derived({{mm, 1.0}, {rev, -1.0}}), 35, 16, "mm/rev"},
        {derived({}), 0, 0, "no elements"},
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
    EXPECT_EQ(code(ratio), 58);
    EXPECT_EQ(kind(ratio), 13);
    mivo_tag_units(&design);
    EXPECT_EQ(code(other), nuskunit_count);
}

TEST_F(UnitTagging, GettersGiveZeroForWhatTheyCannotTell) {
    stp_si_unit* mm = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    stp_measure_with_unit* length = measure(3.0, mm);
    stp_unit* sel = select(mm);
    EXPECT_EQ(mivo_get_unit_type(length), 0);  // not tagged yet: no manager
    EXPECT_EQ(MivoMgrUnit::find(mm), nullptr);  // and the getter made none
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_get_unit_type(length), nuskunit_mm);
    EXPECT_EQ(mivo_get_measure_type(length), nuskmeasure_length);
    EXPECT_EQ(mivo_get_unit_type(static_cast<stp_named_unit*>(mm)), nuskunit_mm);
    EXPECT_EQ(mivo_get_unit_type(sel), nuskunit_mm);
    EXPECT_EQ(mivo_get_measure_type(sel), nuskmeasure_length);
    EXPECT_EQ(mivo_get_measure_type(nuskunit_length_cb1), nuskmeasure_length);
    EXPECT_EQ(mivo_get_unit_type(static_cast<stp_measure_with_unit*>(nullptr)), 0);
    EXPECT_EQ(mivo_get_unit_type(static_cast<stp_unit*>(nullptr)), 0);
    EXPECT_EQ(mivo_get_measure_type(static_cast<stp_named_unit*>(nullptr)), 0);
    auto* bare = new (&design) stp_measure_with_unit();
    EXPECT_EQ(mivo_get_unit_type(bare), 0);
    EXPECT_EQ(mivo_get_unit_type(new (&design) stp_unit()), 0);
    mivo_tag_units(nullptr);
}

}  // namespace
