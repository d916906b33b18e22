// Modifiers of datum references, with and without value, the legacy limit conditions, and the names of the
// modifier enumerations.
#include "tolerance_helpers.h"

#include "mivo_measures.h"

namespace {

class DatumModifiers : public ::testing::Test, public ToleranceFixture {
protected:
    stp_datum* a = datum("A");
    stp_datum* b = datum("B");
    stp_geometric_tolerance* tol = mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS);
};

TEST_F(DatumModifiers, SimpleAndValuedModifiersShareOnePositionIndex) {
    stp_general_datum_reference* ref = mivo_tol_add_datum(tol, a);
    const auto mmr = stp_simple_datum_reference_modifier_maximum_material_requirement;
    const auto distance = stp_datum_reference_modifier_type_distance;
    EXPECT_EQ(mivo_tol_add_datum_modifier(ref, mmr), 0u);
    EXPECT_EQ(mivo_tol_add_datum_modifier(ref, mmr), 0u);  // once
    EXPECT_EQ(mivo_tol_add_datum_modifier(ref, distance, 0.1, nuskunit_mm), 0u);
    EXPECT_EQ(mivo_tol_add_datum_modifier(ref, distance, 0.2, nuskunit_mm), 0u);  // changes the value
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(ref), 2u);
    EXPECT_EQ(mivo_tol_get_datum_modifier(ref, 0), mmr);
    EXPECT_EQ(mivo_tol_get_datum_modifier(ref, 1), stp_simple_datum_reference_modifier_UNSET);
    EXPECT_EQ(mivo_tol_get_datum_modifier_with_value(ref, 0), nullptr);
    stp_datum_reference_modifier_with_value* withValue = mivo_tol_get_datum_modifier_with_value(ref, 1);
    ASSERT_NE(withValue, nullptr);
    EXPECT_EQ(withValue->modifier_type(), distance);
    EXPECT_DOUBLE_EQ(mivo_get_measure_value(withValue->modifier_value(), nuskunit_mm), 0.2);
    EXPECT_EQ(mivo_tol_get_datum_modifier_with_value(tol, a, 1), withValue);
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(tol, a), 2u);

    EXPECT_EQ(mivo_tol_remove_datum_modifier(tol, a, distance), 0u);
    EXPECT_EQ(withValue->design(), nusk_trash());
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(ref), 1u);
    EXPECT_EQ(mivo_tol_remove_datum_modifier(ref, mmr), 0u);
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(ref), 0u);
    mivo_tol_add_datum_modifier(tol, a, stp_simple_datum_reference_modifier_basic);
    mivo_tol_add_datum_modifier(tol, a, distance, 3.0, nuskunit_mm);
    EXPECT_EQ(mivo_tol_remove_datum_modifiers(tol, a), 0u);
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(ref), 0u);
}

TEST_F(DatumModifiers, UnreferencedDatumsAndNullsAreRefused) {
    mivo_tol_add_datum(tol, a);
    const auto basic = stp_simple_datum_reference_modifier_basic;
    EXPECT_EQ(mivo_tol_add_datum_modifier(tol, b, basic), 3u);
    EXPECT_EQ(mivo_tol_add_datum_modifier(tol, b, stp_datum_reference_modifier_type_distance, 1, nuskunit_mm), 3u);
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(tol, b), 0u);
    EXPECT_EQ(mivo_tol_remove_datum_modifiers(static_cast<stp_general_datum_reference*>(nullptr)), 0u);
    EXPECT_EQ(mivo_tol_remove_datum_modifier(static_cast<stp_general_datum_reference*>(nullptr), basic), 3u);
    EXPECT_EQ(mivo_tol_get_datum_modifier(static_cast<stp_general_datum_reference*>(nullptr), 0),
              stp_simple_datum_reference_modifier_UNSET);
}

TEST_F(DatumModifiers, LegacyLimitConditionsReadAsModifiersAndAreRemovedToRegardless) {
    auto* mmc = legacyReference<stp_referenced_modified_datum>(tol, a, 1);
    mmc->modifier(stp_limit_condition_maximum_material_condition);
    auto* lmc = legacyReference<stp_referenced_modified_datum>(tol, b, 2);
    lmc->modifier(stp_limit_condition_least_material_condition);
    EXPECT_EQ(mivo_tol_get_datum_modifier(tol, a, 0), stp_simple_datum_reference_modifier_maximum_material_requirement);
    EXPECT_EQ(mivo_tol_get_datum_modifier(tol, a, 1), stp_simple_datum_reference_modifier_UNSET);
    EXPECT_EQ(mivo_tol_get_datum_modifier(tol, b, 0), stp_simple_datum_reference_modifier_least_material_requirement);
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(tol, a), 1u);
    // A modifier the limit condition does not stand for changes nothing.
    EXPECT_EQ(mivo_tol_remove_datum_modifier(tol, a, stp_simple_datum_reference_modifier_least_material_requirement), 0u);
    EXPECT_EQ(mmc->modifier(), stp_limit_condition_maximum_material_condition);
    EXPECT_EQ(mivo_tol_remove_datum_modifier(tol, a, stp_simple_datum_reference_modifier_maximum_material_requirement), 0u);
    EXPECT_EQ(mmc->modifier(), stp_limit_condition_regardless_of_feature_size);
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(tol, a), 0u);
    EXPECT_EQ(mivo_tol_remove_datum_modifiers(tol, b), 0u);
    EXPECT_EQ(lmc->modifier(), stp_limit_condition_regardless_of_feature_size);
    // Adding has no legacy form.
    EXPECT_EQ(mivo_tol_add_datum_modifier(tol, a, stp_simple_datum_reference_modifier_basic), 3u);
}

TEST(ModifierNames, EveryValueOfTheThreeEnumerationsHasItsSchemaNameAndBack) {
    // Compared with the dictionary's own records, so a shifted table cannot pass.
    struct Enumeration {
        const char* schemaName;
        const char* (*name)(int);
        int (*value)(const char*);
    };
    const Enumeration enumerations[] = {
        {"simple_datum_reference_modifier",
         [](int v) { return mivo_tol_get_datum_modifier_name(static_cast<stp_simple_datum_reference_modifier>(v)); },
         [](const char* n) { return static_cast<int>(mivo_tol_get_datum_modifier_value(n)); }},
        {"datum_reference_modifier_type",
         [](int v) {
             return mivo_tol_get_datum_with_value_modifier_name(static_cast<stp_datum_reference_modifier_type>(v));
         },
         [](const char* n) { return static_cast<int>(mivo_tol_get_datum_with_value_modifier_value(n)); }},
        {"geometric_tolerance_modifier",
         [](int v) { return mivo_tol_get_modifier_name(static_cast<stp_geometric_tolerance_modifier>(v)); },
         [](const char* n) { return static_cast<int>(mivo_tol_get_modifier_value(n)); }},
    };
    for (const Enumeration& e : enumerations) {
        NuskDomain* domain = nusk_ap242_schema()->findDomain(e.schemaName);
        ASSERT_NE(domain, nullptr) << e.schemaName;
        ASSERT_GT(domain->enumValues().size(), 3u);
        for (const NuskVarInfo& info : domain->enumValues()) {
            EXPECT_STREQ(e.name(info.value), info.name);
            EXPECT_EQ(e.value(info.name), info.value);
        }
        const int past = static_cast<int>(domain->enumValues().size());
        EXPECT_EQ(e.name(past), nullptr);
        EXPECT_EQ(e.name(-1), nullptr);
        EXPECT_EQ(e.value(""), -1);
        EXPECT_EQ(e.value(nullptr), -1);
        EXPECT_EQ(e.value("no_such_modifier"), -1);
    }
    EXPECT_STREQ(mivo_tol_get_modifier_name(stp_geometric_tolerance_modifier_maximum_material_requirement),
                 "maximum_material_requirement");
    EXPECT_EQ(mivo_tol_get_datum_modifier_value("MAXIMUM_MATERIAL_REQUIREMENT"),
              stp_simple_datum_reference_modifier_maximum_material_requirement);
}

}  // namespace
