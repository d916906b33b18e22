// The aspect attributes, the tolerance modifiers with their fallback to the older limit condition, and the
// toleranced shape aspect.
#include "tolerance_helpers.h"

#include "mivo_measures.h"

namespace {

class ToleranceAttributes : public ::testing::Test, public ToleranceFixture {
protected:
    stp_length_measure_with_unit* mm(double v) { return mivo_make_length_measure(&design, v, nuskunit_mm); }
};

TEST_F(ToleranceAttributes, MeasuresAreReadAndWrittenOnlyOnTheirOwnAspect) {
    struct Accessor {
        unsigned long owner;
        stp_length_measure_with_unit* (*get)(stp_geometric_tolerance*);
        unsigned int (*put)(stp_geometric_tolerance*, stp_length_measure_with_unit*);
    };
    const Accessor accessors[] = {
        {MIVO_TOL_WITH_UNIT, mivo_tol_get_unit_size, mivo_tol_put_unit_size},
        {MIVO_TOL_WITH_AREA_UNIT, mivo_tol_get_second_unit_size, mivo_tol_put_second_unit_size},
        {MIVO_TOL_WITH_MAX, mivo_tol_get_maximum_upper_tolerance, mivo_tol_put_maximum_upper_tolerance},
        {MIVO_TOL_WITH_UNEQUAL, mivo_tol_get_displacement, mivo_tol_put_displacement},
    };
    for (const Accessor& a : accessors) {
        stp_geometric_tolerance* owner = mivo_make_tolerance(&design, MIVO_TOL_FLATNESS | a.owner);
        stp_geometric_tolerance* other = mivo_make_tolerance(&design, MIVO_TOL_FLATNESS | MIVO_TOL_WITH_MODIFIERS);
        stp_length_measure_with_unit* m = mm(0.5);
        EXPECT_EQ(a.put(other, m), 3u) << a.owner;
        EXPECT_EQ(a.get(other), nullptr);
        EXPECT_EQ(a.put(owner, m), 0u);
        EXPECT_EQ(a.get(owner), m);
        EXPECT_EQ(a.put(owner, nullptr), 0u);  // unsets
        EXPECT_EQ(a.get(owner), nullptr);
    }
    // The area unit is a defined unit: its owner test is isa, not the exact type.
    stp_geometric_tolerance* area = mivo_make_tolerance(&design, MIVO_TOL_FLATNESS | MIVO_TOL_WITH_AREA_UNIT);
    EXPECT_EQ(mivo_tol_put_unit_size(area, mm(1)), 0u);
    EXPECT_EQ(mivo_tol_put_area_type(area, stp_area_unit_type_rectangular), 0u);
    EXPECT_EQ(mivo_tol_get_area_type(area), stp_area_unit_type_rectangular);
    EXPECT_EQ(mivo_tol_put_area_type(mivo_make_tolerance(&design, MIVO_TOL_FLATNESS), stp_area_unit_type_square), 3u);
}

TEST_F(ToleranceAttributes, ModifiersAreASetAddedOnceAndRemoved) {
    stp_geometric_tolerance* tol = mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_WITH_MODIFIERS);
    EXPECT_EQ(mivo_tol_get_modifier_count(tol), 0u);
    SetOfstp_geometric_tolerance_modifier* set = mivo_tol_get_modifiers(tol);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(tol->getObject("modifiers"), static_cast<NuskObject*>(set));  // attached by the first read
    EXPECT_EQ(mivo_tol_add_modifier(tol, stp_geometric_tolerance_modifier_maximum_material_requirement), 0u);
    EXPECT_EQ(mivo_tol_add_modifier(tol, stp_geometric_tolerance_modifier_maximum_material_requirement), 0u);
    EXPECT_EQ(mivo_tol_add_modifier(tol, stp_geometric_tolerance_modifier_free_state), 0u);
    EXPECT_EQ(mivo_tol_add_modifier(tol, stp_geometric_tolerance_modifier_UNSET), 3u);
    EXPECT_EQ(mivo_tol_get_modifier_count(tol), 2u);
    EXPECT_EQ(mivo_tol_get_modifier(tol, 1), stp_geometric_tolerance_modifier_free_state);
    EXPECT_EQ(mivo_tol_get_modifier(tol, 2), stp_geometric_tolerance_modifier_UNSET);
    EXPECT_EQ(mivo_tol_remove_modifier(tol, stp_geometric_tolerance_modifier_maximum_material_requirement), 0u);
    EXPECT_EQ(mivo_tol_get_modifier(tol, 0), stp_geometric_tolerance_modifier_free_state);
    EXPECT_EQ(mivo_tol_remove_modifiers(tol), 0u);
    EXPECT_EQ(mivo_tol_get_modifier_count(tol), 0u);
    // A tolerance without the aspect refuses the set operations.
    stp_geometric_tolerance* flat = mivo_make_tolerance(&design, MIVO_TOL_FLATNESS);
    EXPECT_EQ(mivo_tol_get_modifiers(flat), nullptr);
    EXPECT_EQ(mivo_tol_add_modifier(flat, stp_geometric_tolerance_modifier_free_state), 3u);
    EXPECT_EQ(mivo_tol_remove_modifiers(flat), 3u);
    EXPECT_EQ(mivo_tol_put_modifiers(flat, set), 3u);
}

TEST_F(ToleranceAttributes, TheOlderLimitConditionStandsInForModifiers) {
    stp_geometric_tolerance* tol = mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_WITH_ORIG_MODIFIER);
    EXPECT_EQ(mivo_tol_get_limit_condition(tol), stp_limit_condition_UNSET);
    EXPECT_EQ(mivo_tol_get_modifier_count(tol), 0u);
    EXPECT_EQ(mivo_tol_put_limit_condition(tol, stp_limit_condition_maximum_material_condition), 0u);
    EXPECT_EQ(mivo_tol_get_modifier_count(tol), 1u);
    EXPECT_EQ(mivo_tol_get_modifier(tol, 0), stp_geometric_tolerance_modifier_maximum_material_requirement);
    EXPECT_EQ(mivo_tol_get_modifier(tol, 5), stp_geometric_tolerance_modifier_maximum_material_requirement);
    mivo_tol_put_limit_condition(tol, stp_limit_condition_least_material_condition);
    EXPECT_EQ(mivo_tol_get_modifier(tol, 0), stp_geometric_tolerance_modifier_least_material_requirement);
    mivo_tol_put_limit_condition(tol, stp_limit_condition_regardless_of_feature_size);
    EXPECT_EQ(mivo_tol_get_modifier_count(tol), 0u);
    EXPECT_EQ(mivo_tol_get_modifier(tol, 0), stp_geometric_tolerance_modifier_UNSET);
    EXPECT_EQ(mivo_tol_put_limit_condition(mivo_make_tolerance(&design, MIVO_TOL_FLATNESS),
                                           stp_limit_condition_maximum_material_condition), 3u);
}

TEST_F(ToleranceAttributes, TheTargetGivesItsShapeAspectAndProductDefinitionShape) {
    stp_product_definition_shape* pds = shape();
    auto* hole = new (&design) stp_shape_aspect();
    hole->of_shape(pds);
    stp_geometric_tolerance* tol = mivo_make_tolerance(&design, MIVO_TOL_POSITION);
    EXPECT_EQ(mivo_tol_get_pds(tol), nullptr);
    EXPECT_EQ(mivo_tol_put_aspect(tol, hole), 0u);
    stp_geometric_tolerance_target* select = tol->toleranced_shape_aspect();
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(mivo_tol_get_aspect(tol), hole);
    EXPECT_EQ(mivo_tol_get_pds(tol), pds);
    EXPECT_EQ(mivo_tol_put_pds(tol, pds), 0u);
    EXPECT_EQ(tol->toleranced_shape_aspect(), select);  // the select is reused
    EXPECT_EQ(mivo_tol_get_aspect(tol), nullptr);
    EXPECT_EQ(mivo_tol_get_pds(tol), pds);
    // Through a dimensional size: the shape of the aspect it applies to, and no shape aspect.
    auto* size = new (&design) stp_dimensional_size();
    size->applies_to(hole);
    select->_dimensional_size(size);
    EXPECT_EQ(mivo_tol_get_pds(tol), pds);
    EXPECT_EQ(mivo_tol_get_aspect(tol), nullptr);
    auto* location = new (&design) stp_dimensional_location();
    location->relating_shape_aspect(hole);
    select->_dimensional_location(location);
    EXPECT_EQ(mivo_tol_get_pds(tol), pds);
    EXPECT_EQ(mivo_tol_put_aspect(nullptr, hole), 3u);
}

}  // namespace
