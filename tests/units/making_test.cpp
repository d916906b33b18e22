// Making unit entities for codes, the constant unit cache, and the design shortcuts.
#include "units_helpers.h"

#include "mivo_measures.h"

#include <gtest/gtest.h>

namespace {

class UnitMaking : public ::testing::Test, public UnitFixture {};

bool hasEntity(int code) {
    return code >= nuskunit_mm && code <= nuskunit_tooth && (code < nuskunit_reserved52 || code > nuskunit_reserved55);
}

TEST_F(UnitMaking, EveryCodeMadeAndTaggedAgainKeepsItsCode) {
    std::vector<std::pair<int, NuskObject*>> made;
    for (int code = nuskunit_unknown - 1; code <= NUSK_UNIT_MAX + 2; ++code) {
        NuskObject* unit = mivo_make_unit(&design, static_cast<NuskUnit>(code));
        EXPECT_EQ(unit != nullptr, hasEntity(code)) << code;
        if (unit) made.emplace_back(code, unit);
    }
    // Forget every identification, then identify the design from what it holds.
    NuskCursor cursor;
    cursor.traverse(&design);
    while (NuskObject* obj = cursor.next()) {
        if (MivoMgrUnit* m = MivoMgrUnit::find(obj)) {
            m->unit = nuskunit_unknown;
            m->measure_type = nuskmeasure_unknown;
        }
    }
    mivo_tag_units(&design);
    for (const auto& entry : made) {
        EXPECT_EQ(code(entry.second), entry.first) << "code " << entry.first;
        EXPECT_EQ(kind(entry.second), nusk_get_measure_type(static_cast<NuskUnit>(entry.first))) << entry.first;
    }
}

TEST_F(UnitMaking, OneEntityPerCodeUntilTheShortcutsAreCleared) {
    NuskObject* mm = mivo_make_unit(&design, nuskunit_mm);
    EXPECT_EQ(mivo_make_unit(&design, nuskunit_mm), mm);
    EXPECT_EQ(code(mm), nuskunit_mm);  // identified from creation
    EXPECT_TRUE(mm->isa(nusktype_stp_length_unit));
    mivo_shortcut_clear_all(&design);
    NuskObject* again = mivo_make_unit(&design, nuskunit_mm);
    EXPECT_NE(again, mm);
    EXPECT_EQ(mm->design(), &design);  // the earlier entity stays

    NuskObject* mmPerS = mivo_make_unit(&design, nuskunit_mm_per_s);  // makes its terms' units too
    EXPECT_EQ(code(mmPerS), nuskunit_mm_per_s);
    NuskObject* s = mivo_make_unit(&design, nuskunit_s);
    auto* elements = nusk_cast(mmPerS, nusktype_stp_derived_unit)->elements();
    ASSERT_EQ(elements->size(), 2u);
    EXPECT_EQ(elements->get(0)->unit(), nusk_cast(again, nusktype_stp_named_unit));
    EXPECT_EQ(elements->get(1)->unit(), nusk_cast(s, nusktype_stp_named_unit));
    EXPECT_EQ(elements->get(1)->exponent(), -1.0);

    EXPECT_EQ(mivo_make_named_unit(&design, nuskunit_mm2), nullptr);  // a derived unit: made, but not named
    EXPECT_NE(mivo_get_const_unit(&design, nuskunit_mm2), nullptr);
    EXPECT_EQ(mivo_make_unit(&design, nuskunit_as_is), nullptr);
    EXPECT_EQ(mivo_make_unit(&design, nuskunit_reserved53), nullptr);
    NuskObject* count = mivo_make_unit(&design, nuskunit_count);
    EXPECT_EQ(code(count), -1);  // context-dependent units are identified by the next pass
    mivo_tag_units(&design);
    EXPECT_EQ(code(count), nuskunit_count);
}

TEST_F(UnitMaking, ConversionBasedUnitsCarryTheirFactorAndDimensions) {
    stp_conversion_based_unit* inch = mivo_make_cb_unit(&design, nuskunit_length_cb1, nuskunit_mm);
    ASSERT_NE(inch, nullptr);
    EXPECT_TRUE(inch->isa(nusktype_stp_conversion_based_unit_and_length_unit));
    EXPECT_STREQ(inch->name(), "inch");
    EXPECT_EQ(inch->dimensions()->length_exponent(), 1.0);
    EXPECT_EQ(inch->dimensions()->mass_exponent(), 0.0);  // what the class layer gives a new instance
    stp_measure_with_unit* factor = inch->conversion_factor();
    ASSERT_NE(factor, nullptr);
    EXPECT_TRUE(factor->isa(nusktype_stp_length_measure_with_unit));
    EXPECT_EQ(factor->value_component()->_length_measure(), 25.4);
    EXPECT_EQ(mivo_get_unit_type(factor), nuskunit_mm);
    EXPECT_EQ(nusk_refcount(factor), 1u);
    stp_conversion_based_unit* psi = mivo_make_cb_unit(&design, nuskunit_pressure_cb1, nuskunit_pa);
    EXPECT_EQ(psi->dimensions()->length_exponent(), -1.0);
    EXPECT_EQ(psi->dimensions()->time_exponent(), -2.0);
    EXPECT_EQ(code(psi), nuskunit_pressure_cb1);
}

TEST_F(UnitMaking, SiUnitsStoreTheCodeTheyAreGivenUntilTagged) {
    stp_si_unit* odd = mivo_make_si_unit(&design, nuskunit_cm, stp_si_unit_name_metre, stp_si_prefix_milli);
    EXPECT_EQ(code(odd), nuskunit_cm);
    mivo_tag_units(&design);
    EXPECT_EQ(code(odd), nuskunit_mm);
}

TEST_F(UnitMaking, TermsAddedTwiceMakeTwoElements) {
    stp_derived_unit* unit = mivo_make_derived_unit_base(&design, nuskunit_mm2);
    mivo_add_derived_unit_term(unit, nuskunit_mm, 1.0);
    mivo_add_derived_unit_term(unit, nuskunit_mm, 1.0);
    mivo_add_derived_unit_term(unit, nuskunit_mm2, 1.0);  // a derived unit: nothing is added
    mivo_add_derived_unit_term(unit, nuskunit_unknown, 1.0);
    EXPECT_EQ(unit->elements()->size(), 2u);
    mivo_add_derived_unit_term(nullptr, nuskunit_mm, 1.0);
}

TEST_F(UnitMaking, NullDesignsGiveNull) {
    EXPECT_EQ(mivo_make_unit(nullptr, nuskunit_mm), nullptr);
    EXPECT_EQ(mivo_make_named_unit(nullptr, nuskunit_mm), nullptr);
    EXPECT_EQ(mivo_make_si_unit(nullptr, nuskunit_mm, stp_si_unit_name_metre, stp_si_prefix_milli), nullptr);
    EXPECT_EQ(mivo_make_cb_unit(nullptr, nuskunit_length_cb1, nuskunit_mm), nullptr);
    EXPECT_EQ(mivo_make_derived_unit_base(nullptr, nuskunit_mm2), nullptr);
    EXPECT_EQ(mivo_make_measure(nullptr, 1.0, nuskunit_mm), nullptr);
}

TEST_F(UnitMaking, MeasuresByKindOfQuantity) {
    stp_measure_with_unit* length = mivo_make_measure(&design, 25.4, nuskunit_mm);
    EXPECT_TRUE(length->isa(nusktype_stp_length_measure_with_unit));
    EXPECT_TRUE(length->value_component()->is_length_measure());
    EXPECT_EQ(length->unit_component()->_named_unit(), nusk_cast(mivo_make_unit(&design, nuskunit_mm), nusktype_stp_named_unit));
    stp_measure_with_unit* count = mivo_make_measure(&design, 3.0, nuskunit_count);
    EXPECT_EQ(count->domain(), nusktype_stp_measure_with_unit.domain());
    EXPECT_TRUE(count->value_component()->is_count_measure());
    EXPECT_TRUE(mivo_make_measure(&design, 1.0, nuskunit_parameter)->value_component()->is_parameter_value());
    EXPECT_TRUE(mivo_make_measure(&design, 1.0, nuskunit_pa)->value_component()->is_numeric_measure());
    stp_measure_with_unit* none = mivo_make_measure(&design, 1.0, nuskunit_unknown);
    EXPECT_TRUE(none->unit_component()->isEmpty());  // no unit entity: an empty unit select
    stp_measure_with_unit* rate = mivo_make_measure(&design, 5.0, nuskunit_mm_per_s);
    EXPECT_TRUE(rate->unit_component()->is_derived_unit());
}

TEST_F(UnitMaking, Shortcuts) {
    EXPECT_EQ(mivo_shortcut_find(&design, "x"), nullptr);
    EXPECT_EQ(MivoMgrDesignStatus::find(&design), nullptr);  // finding attaches nothing
    mivo_shortcut_put(&design, "x", nullptr);                // removing from a fresh design
    ASSERT_NE(MivoMgrDesignStatus::find(&design), nullptr);
    EXPECT_NE(MivoMgrDesignStatus::find(&design)->shortcuts, nullptr);
    EXPECT_TRUE(MivoMgrDesignStatus::find(&design)->shortcuts->isSystemObject());
    NuskObject* a = design.pnewInstance(nusktype_stp_cartesian_point);
    NuskObject* b = design.pnewInstance(nusktype_stp_cartesian_point);
    mivo_shortcut_put(&design, "a", a);
    mivo_shortcut_put(&design, "a", b);
    EXPECT_EQ(mivo_shortcut_find(&design, "a"), b);
    mivo_shortcut_put(&design, "a", nullptr);
    EXPECT_EQ(mivo_shortcut_find(&design, "a"), nullptr);
    mivo_shortcut_put(nullptr, "a", a);
    mivo_shortcut_put(&design, nullptr, a);
    EXPECT_EQ(mivo_shortcut_find(&design, nullptr), nullptr);
    mivo_put_const_unit(&design, a, nuskunit_mm);
    EXPECT_EQ(mivo_shortcut_find(&design, "__CONSTANT UNIT millimetre"), a);
    EXPECT_EQ(mivo_get_const_unit(&design, nuskunit_mm), a);
    mivo_put_const_unit(&design, a, nuskunit_unknown);  // code 0 has no key
    EXPECT_EQ(mivo_get_const_unit(&design, nuskunit_unknown), nullptr);
    mivo_shortcut_clear_all(&design);
    EXPECT_EQ(mivo_get_const_unit(&design, nuskunit_mm), nullptr);
    EXPECT_EQ(a->design(), &design);
    mivo_shortcut_clear_all(&design);  // twice: nothing to do
    mivo_shortcut_clear_all(nullptr);
}

TEST_F(UnitMaking, ARememberedUnitOfAnotherDesignIsReplaced) {
    NuskDesign other("other", nusk_ap242_schema());
    NuskObject* elsewhere = mivo_make_unit(&other, nuskunit_mm);
    mivo_put_const_unit(&design, elsewhere, nuskunit_mm);
    NuskObject* here = mivo_make_unit(&design, nuskunit_mm);
    EXPECT_NE(here, elsewhere);
    EXPECT_EQ(here->design(), &design);
    EXPECT_EQ(mivo_get_const_unit(&design, nuskunit_mm), here);
}

}  // namespace
