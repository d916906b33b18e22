// Datum systems built datum by datum, common datums, searches, removal, and the older precedence-numbered
// datum references.
#include "tolerance_helpers.h"

#include "nusk/part21.h"

#include <string>

namespace {

class Datums : public ::testing::Test, public ToleranceFixture {
protected:
    stp_product_definition_shape* pds = shape();
    stp_datum* a = datum("A", pds);
    stp_datum* b = datum("B", pds);
    stp_datum* c = datum("C", pds);
    stp_geometric_tolerance* tol = mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS);
};

TEST_F(Datums, DatumsBecomeCompartmentsInPrecedenceOrderFoundByLabelInAnyCase) {
    auto* hole = new (&design) stp_shape_aspect();
    hole->of_shape(pds);
    mivo_tol_put_aspect(tol, hole);
    stp_general_datum_reference* ra = mivo_tol_add_datum(tol, a);
    ASSERT_NE(ra, nullptr);
    EXPECT_EQ(mivo_tol_add_datum(tol, a), ra);  // once
    stp_general_datum_reference* rb = mivo_tol_add_datum(tol, b);
    mivo_tol_add_datum(tol, c);
    stp_datum_system* ds = mivo_tol_get_datums(tol);
    ASSERT_NE(ds, nullptr);
    EXPECT_EQ(ds->of_shape(), pds);
    EXPECT_STREQ(ds->name(), "");
    EXPECT_EQ(mivo_tol_get_datum_count(tol), 3u);
    EXPECT_EQ(mivo_tol_get_datum(tol, 1), b);
    EXPECT_EQ(mivo_tol_get_datum(ds, 2), c);
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, 1u), rb);
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, "b"), rb);
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, "D"), nullptr);
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, b), rb);
    EXPECT_EQ(rb->of_shape(), pds);
    EXPECT_TRUE(rb->isa(nusktype_stp_datum_reference_compartment));
}

TEST_F(Datums, ASecondDatumMakesACommonDatumAndMovesTheModifiersToItsFirstElement) {
    stp_general_datum_reference* compartment = mivo_tol_add_datum(tol, a);
    ASSERT_EQ(mivo_tol_add_datum_modifier(compartment, stp_simple_datum_reference_modifier_maximum_material_requirement), 0u);
    EXPECT_EQ(mivo_tol_add_datum(compartment, a), compartment);  // already there: nothing changes
    stp_general_datum_reference* eb = mivo_tol_add_datum(compartment, b);
    ASSERT_NE(eb, nullptr);
    EXPECT_TRUE(eb->isa(nusktype_stp_datum_reference_element));
    EXPECT_EQ(mivo_tol_get_datum_count(compartment), 2u);
    EXPECT_EQ(mivo_tol_get_datum(compartment), nullptr);
    EXPECT_EQ(mivo_tol_get_datum(compartment, 0), a);
    EXPECT_EQ(mivo_tol_get_datum(compartment, 1), b);
    EXPECT_EQ(mivo_tol_get_datum(tol, 0), nullptr);  // a common datum has no single datum
    stp_general_datum_reference* ea = mivo_tol_get_datum_ref(compartment, 0u);
    EXPECT_EQ(mivo_tol_get_datum_modifier(ea, 0), stp_simple_datum_reference_modifier_maximum_material_requirement);
    EXPECT_EQ(compartment->getObject("modifiers"), nullptr);
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, b), eb);  // the element, not the compartment
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, "a"), ea);
}

TEST_F(Datums, CommonDatumsAreSearchedFiveLevelsDeepAndNoFurther) {
    stp_general_datum_reference* ref = mivo_tol_add_common_datum(tol, a, b);
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(mivo_tol_get_datum_count(tol), 1u);
    EXPECT_EQ(mivo_tol_get_datum_count(ref), 2u);
    // Nest: each level's second element becomes a common datum of its datum and a new one.
    std::vector<stp_datum*> deep;
    stp_general_datum_reference* level = mivo_tol_get_datum_ref(ref, 1u);
    for (int i = 0; i < 5; ++i) {
        deep.push_back(datum(("D" + std::to_string(i)).c_str(), pds));
        stp_general_datum_reference* added = mivo_tol_add_datum(level, deep.back());
        ASSERT_NE(added, nullptr) << i;
        level = added;
    }
    // D0 to D3 each moved one level further down when the next joined them: D2 sits 5 lists below the
    // compartment, D3 6 and D4 6. The search descends 5 levels.
    for (int i = 0; i < 3; ++i) EXPECT_NE(mivo_tol_get_datum_ref(tol, deep[i]), nullptr) << i;
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, deep[3]), nullptr);
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, deep[4]), nullptr);
    EXPECT_NE(mivo_tol_get_datum_ref(tol, "d2"), nullptr);
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, "d3"), nullptr);
    // The same datum twice gives a compartment that refers to it alone.
    stp_general_datum_reference* same = mivo_tol_add_common_datum(tol, c, c);
    EXPECT_EQ(mivo_tol_get_datum(same), c);
}

TEST_F(Datums, RemovedReferencesGoToTheTrashWithTheirElements) {
    stp_general_datum_reference* ra = mivo_tol_add_datum(tol, a);
    stp_general_datum_reference* common = mivo_tol_add_common_datum(tol, b, c);
    stp_general_datum_reference* ec = mivo_tol_get_datum_ref(tol, c);
    mivo_tol_add_datum_modifier(ec, stp_datum_reference_modifier_type_distance, 1.5, nuskunit_mm);
    stp_datum_reference_modifier_with_value* withValue = mivo_tol_get_datum_modifier_with_value(ec, 0);
    ASSERT_NE(withValue, nullptr);
    stp_length_measure_with_unit* measure = withValue->modifier_value();

    EXPECT_EQ(mivo_tol_remove_datum(common, b), 0u);  // an element of the common datum
    EXPECT_EQ(mivo_tol_get_datum_count(common), 1u);  // the list is not collapsed
    EXPECT_EQ(mivo_tol_remove_datum(tol, ec), 0u);
    EXPECT_EQ(ec->design(), nusk_trash());
    EXPECT_EQ(withValue->design(), nusk_trash());
    EXPECT_EQ(measure->design(), nusk_trash());
    EXPECT_EQ(mivo_tol_remove_datum(tol, ec), 3u);  // not there any more
    EXPECT_EQ(mivo_tol_remove_datum(ra, a), 3u);    // a reference's own datum is not below it
    EXPECT_EQ(mivo_tol_remove_datum(tol, a), 0u);
    EXPECT_EQ(ra->design(), nusk_trash());
    EXPECT_EQ(mivo_tol_get_datum_count(tol), 1u);
    mivo_tol_add_datum(tol, a);
    EXPECT_EQ(mivo_tol_remove_all_datums(tol), 0u);
    EXPECT_EQ(common->design(), nusk_trash());
    ASSERT_NE(mivo_tol_get_datums(tol), nullptr);  // the system stays, empty
    EXPECT_EQ(mivo_tol_get_datum_count(tol), 0u);
}

// Real files share what a removal takes out of one tolerance: a compartment that another datum system also lists,
// a modifier with value that another reference also holds. What the design still refers to stays in it, so that
// nothing is left referring to the trash; what only the removed reference held goes.
TEST_F(Datums, RemovalLeavesWhatTheDesignStillRefersTo) {
    stp_general_datum_reference* ra = mivo_tol_add_datum(tol, a);
    stp_general_datum_reference* rb = mivo_tol_add_datum(tol, b);
    mivo_tol_add_datum_modifier(ra, stp_datum_reference_modifier_type_distance, 2.0, nuskunit_mm);
    stp_datum_reference_modifier_with_value* shared = mivo_tol_get_datum_modifier_with_value(ra, 0);
    ASSERT_NE(shared, nullptr);
    // A second tolerance's datum system lists the first's compartment for A, and its own compartment for C holds
    // the same modifier with value.
    stp_geometric_tolerance* other = mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS);
    stp_general_datum_reference* rc = mivo_tol_add_datum(other, c);
    mivo_tol_get_datums(other)->constituents()->add(nusk_cast(ra, nusktype_stp_datum_reference_compartment));
    auto* select = new (&design) stp_datum_reference_modifier();
    nusk_put_nested_object(select, shared);
    rc->modifiers()->add(select);

    EXPECT_EQ(mivo_tol_remove_all_datums(tol), 0u);
    EXPECT_EQ(mivo_tol_get_datum_count(tol), 0u);
    EXPECT_EQ(ra->design(), &design);  // the other system still lists it
    EXPECT_EQ(rb->design(), nusk_trash());
    EXPECT_EQ(mivo_tol_get_datum_count(other), 2u);
    EXPECT_EQ(mivo_tol_remove_datum_modifiers(ra), 0u);
    EXPECT_EQ(shared->design(), &design);  // C's compartment still holds it
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(rc), 1u);
    EXPECT_EQ(mivo_tol_remove_datum_modifier(rc, stp_datum_reference_modifier_type_distance), 0u);
    EXPECT_EQ(shared->design(), nusk_trash());  // held by nothing now: it goes, with its measure

    std::string text;
    const NuskWriteResult written = nusk_write_step_text(&design, text);
    ASSERT_TRUE(written.ok);
    EXPECT_EQ(written.danglingCount, 0u);
}

// A file may hold common datums that contain themselves: searches stop at their depth and discarding ends.
TEST_F(Datums, ACommonDatumThatContainsItselfEndsSearchesAndRemoval) {
    stp_general_datum_reference* common = mivo_tol_add_common_datum(tol, a, b);
    stp_general_datum_reference* eb = mivo_tol_get_datum_ref(common, 1u);
    auto* loop = new (&design) ListOfstp_datum_reference_element();
    loop->add(dynamic_cast<stp_datum_reference_element*>(eb));
    eb->base()->_common_datum_list(loop);  // eb now holds a list whose one element is eb
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, c), nullptr);
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, "C"), nullptr);
    stp_general_datum_reference* ec = mivo_tol_add_datum(eb, c);  // joins eb's list, after eb itself
    ASSERT_NE(ec, nullptr);
    EXPECT_EQ(mivo_tol_get_datum_ref(tol, c), ec);
    EXPECT_EQ(mivo_tol_remove_datum(common, c), 0u);
    EXPECT_EQ(mivo_tol_remove_datum(common, c), 3u);
    EXPECT_EQ(mivo_tol_remove_all_datums(tol), 0u);
    EXPECT_EQ(eb->design(), nusk_trash());
    EXPECT_EQ(common->design(), nusk_trash());
}

TEST_F(Datums, ToleranceWithoutDatumsGetsNoSystemAndNoSet) {
    stp_geometric_tolerance* flat = mivo_make_tolerance(&design, MIVO_TOL_FLATNESS);
    EXPECT_EQ(mivo_tol_make_datums(flat), nullptr);
    EXPECT_EQ(mivo_tol_add_datum(flat, a), nullptr);
    EXPECT_EQ(mivo_tol_add_common_datum(flat, a, b), nullptr);
    EXPECT_EQ(mivo_tol_get_datum_set(flat), nullptr);
    EXPECT_EQ(mivo_tol_put_datums(flat, nullptr), 3u);
    EXPECT_EQ(nusk_instances_of(&design, nusktype_stp_datum_system).size(), 0u);
    EXPECT_EQ(mivo_tol_remove_all_datums(flat), 3u);
}

TEST_F(Datums, LegacyReferencesAreReadInAscendingPrecedence) {
    legacyReference<stp_datum_reference>(tol, c, 3);
    legacyReference<stp_datum_reference>(tol, a, 1);
    legacyReference<stp_datum_reference>(tol, b, 2);
    EXPECT_EQ(mivo_tol_get_datums(tol), nullptr);
    EXPECT_EQ(mivo_tol_get_datum_count(tol), 3u);
    EXPECT_EQ(mivo_tol_get_datum(tol, 0), a);
    EXPECT_EQ(mivo_tol_get_datum(tol, 1), b);
    EXPECT_EQ(mivo_tol_get_datum(tol, 2), c);
    EXPECT_EQ(mivo_tol_get_datum(tol, 3), nullptr);
}

// A datum system would take the place of the first older reference (the primary datum may be any of them) and
// mix the two forms: every way to add one is refused, and the tolerance is written as it was.
TEST_F(Datums, OlderReferencesTakeNoDatumSystemAndStayAsTheyWere) {
    legacyReference<stp_datum_reference>(tol, b, 2);
    legacyReference<stp_referenced_modified_datum>(tol, c, 1)->modifier(stp_limit_condition_least_material_condition);
    legacyReference<stp_datum_reference>(tol, a, 3);
    auto* ds = new (&design) stp_datum_system();
    stp_datum* d = datum("D", pds);
    std::string before, after;
    ASSERT_TRUE(nusk_write_step_text(&design, before).ok);
    EXPECT_EQ(mivo_tol_add_datum(tol, b), nullptr);
    EXPECT_EQ(mivo_tol_add_datum(tol, d), nullptr);
    EXPECT_EQ(mivo_tol_add_common_datum(tol, a, b), nullptr);
    EXPECT_EQ(mivo_tol_make_datums(tol), nullptr);
    EXPECT_EQ(mivo_tol_put_datums(tol, ds), 3u);
    EXPECT_EQ(mivo_tol_get_datum_count(tol), 3u);
    EXPECT_EQ(mivo_tol_get_datum(tol, 0), c);
    EXPECT_EQ(mivo_tol_get_datum_modifier(tol, c, 0), stp_simple_datum_reference_modifier_least_material_requirement);
    ASSERT_TRUE(nusk_write_step_text(&design, after).ok);
    EXPECT_EQ(before, after);
    EXPECT_EQ(nusk_instances_of(&design, nusktype_stp_datum_system).size(), 1u);  // ds alone: none was made
}

}  // namespace
