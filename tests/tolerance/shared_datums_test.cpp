// Tolerances that share a datum system, compartments, elements or modifiers, as real files do: an edit made
// through one tolerance changes that tolerance alone.
#include "tolerance_helpers.h"

#include "../common/data_files.h"

#include "mivo_measures.h"

#include "nusk/part21.h"

#include <memory>
#include <string>
#include <vector>

namespace {

class SharedDatums : public ::testing::Test, public ToleranceFixture {
protected:
    stp_product_definition_shape* pds = shape();
    stp_datum* a = datum("A", pds);
    stp_datum* b = datum("B", pds);
    stp_datum* c = datum("C", pds);
    stp_datum* d = datum("D", pds);
    stp_geometric_tolerance* first = mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS);
    stp_geometric_tolerance* second = mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS);

    /// Both tolerances use one datum system A | B-C.
    stp_datum_system* shareSystem() {
        mivo_tol_add_datum(first, a);
        mivo_tol_add_common_datum(first, b, c);
        stp_datum_system* ds = mivo_tol_get_datums(first);
        mivo_tol_put_datums(second, ds);
        return ds;
    }
    std::string written() {
        std::string text;
        EXPECT_TRUE(nusk_write_step_text(&design, text).ok);
        return text;
    }
};

/// The labels of a tolerance's datums in precedence order, a common datum's joined with "-", and the modifier
/// count of each reference after its label.
std::string summary(stp_geometric_tolerance* tol) {
    std::string text;
    for (unsigned i = 0; i < mivo_tol_get_datum_count(tol); ++i) {
        stp_general_datum_reference* ref = mivo_tol_get_datum_ref(tol, i);
        std::vector<stp_general_datum_reference*> refs = {ref};
        for (unsigned j = 0; j < mivo_tol_get_datum_count(ref); ++j) refs.push_back(mivo_tol_get_datum_ref(ref, j));
        text += i ? " |" : "";
        for (stp_general_datum_reference* r : refs) {
            stp_datum* held = mivo_tol_get_datum(r);
            text += " " + std::string(held ? held->identification() : "*") + std::to_string(
                                                                            mivo_tol_get_datum_modifier_count(r));
        }
    }
    return text;
}

TEST_F(SharedDatums, EditsThroughOneToleranceLeaveTheOtherAsItWas) {
    stp_datum_system* ds = shareSystem();
    const std::string before = summary(second);
    ASSERT_EQ(before, " A0 | *0 B0 C0");
    const auto mmr = stp_simple_datum_reference_modifier_maximum_material_requirement;

    EXPECT_EQ(mivo_tol_add_datum_modifier(first, c, mmr), 0u);  // an element of the common datum
    stp_datum_system* own = mivo_tol_get_datums(first);
    EXPECT_NE(own, ds);
    EXPECT_EQ(summary(first), " A0 | *0 B0 C1");
    EXPECT_EQ(mivo_tol_add_datum_modifier(first, a, stp_datum_reference_modifier_type_distance, 1, nuskunit_mm), 0u);
    EXPECT_EQ(mivo_tol_remove_datum(first, b), 0u);
    EXPECT_NE(mivo_tol_add_datum(first, d), nullptr);
    EXPECT_EQ(mivo_tol_get_datums(first), own);  // copied once: the copy is the tolerance's own
    EXPECT_EQ(summary(first), " A1 | *0 C1 | D0");
    EXPECT_EQ(summary(second), before);
    EXPECT_EQ(mivo_tol_get_datums(second), ds);
    EXPECT_EQ(mivo_tol_remove_datum_modifiers(first, c), 0u);
    EXPECT_EQ(mivo_tol_remove_all_datums(first), 0u);
    EXPECT_EQ(mivo_tol_get_datum_count(first), 0u);
    EXPECT_EQ(summary(second), before);
    EXPECT_EQ(ds->design(), &design);
    std::string text;
    EXPECT_EQ(nusk_write_step_text(&design, text).danglingCount, 0u);
}

TEST_F(SharedDatums, SharedEditsThroughTheSecondToleranceToo) {
    stp_datum_system* ds = shareSystem();
    EXPECT_NE(mivo_tol_add_common_datum(second, c, d), nullptr);
    EXPECT_EQ(mivo_tol_remove_datum(second, a), 0u);
    EXPECT_EQ(summary(first), " A0 | *0 B0 C0");
    EXPECT_EQ(summary(second), " *0 B0 C0 | *0 C0 D0");
    EXPECT_EQ(mivo_tol_get_datums(first), ds);
}

TEST_F(SharedDatums, WhatNothingElseUsesIsEditedInPlaceAndEditsWithoutEffectCopyNothing) {
    stp_general_datum_reference* ra = mivo_tol_add_datum(first, a);
    stp_datum_system* ds = mivo_tol_get_datums(first);
    EXPECT_EQ(mivo_tol_add_datum_modifier(first, a, stp_simple_datum_reference_modifier_basic), 0u);
    EXPECT_EQ(mivo_tol_get_datums(first), ds);
    EXPECT_EQ(mivo_tol_get_datum_ref(first, a), ra);
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(ra), 1u);

    mivo_tol_put_datums(second, ds);
    const std::string before = written();
    const auto free = stp_simple_datum_reference_modifier_free_state;
    EXPECT_EQ(mivo_tol_remove_datum_modifier(first, a, free), 0u);  // A has none
    EXPECT_EQ(mivo_tol_remove_datum_modifier(first, a, stp_datum_reference_modifier_type_distance), 0u);
    EXPECT_EQ(mivo_tol_add_datum_modifier(first, a, stp_simple_datum_reference_modifier_basic), 0u);  // has it
    EXPECT_EQ(mivo_tol_remove_datum_modifiers(first, b), 0u);  // B is not a datum of it: nothing to remove
    EXPECT_EQ(mivo_tol_add_datum(first, a), ra);
    EXPECT_EQ(written(), before);
}

// A modifier with value that two references hold (one record listed twice in a file) keeps its value in the other
// when one reference's value changes.
TEST_F(SharedDatums, ASharedModifierWithValueKeepsItsValueInTheOtherReference) {
    stp_general_datum_reference* ra = mivo_tol_add_datum(first, a);
    stp_general_datum_reference* rb = mivo_tol_add_datum(first, b);
    const auto spherical = stp_datum_reference_modifier_type_spherical;
    mivo_tol_add_datum_modifier(ra, spherical, 5, nuskunit_mm);
    stp_datum_reference_modifier_with_value* shared = mivo_tol_get_datum_modifier_with_value(ra, 0);
    auto* select = new (&design) stp_datum_reference_modifier();
    nusk_put_nested_object(select, shared);
    rb->modifiers()->add(select);

    EXPECT_EQ(mivo_tol_add_datum_modifier(rb, spherical, 7, nuskunit_mm), 0u);
    EXPECT_EQ(mivo_tol_get_datum_modifier_with_value(ra, 0), shared);
    EXPECT_DOUBLE_EQ(mivo_get_measure_value(shared->modifier_value(), nuskunit_mm), 5);
    stp_datum_reference_modifier_with_value* own = mivo_tol_get_datum_modifier_with_value(rb, 0);
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, shared);
    EXPECT_DOUBLE_EQ(mivo_get_measure_value(own->modifier_value(), nuskunit_mm), 7);
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(rb), 1u);
}

TEST_F(SharedDatums, ASharedOlderReferenceKeepsItsLimitConditionInTheOtherTolerance) {
    auto* mmc = legacyReference<stp_referenced_modified_datum>(first, a, 1);
    mmc->modifier(stp_limit_condition_maximum_material_condition);
    auto* member = new (&design) stp_datum_system_or_reference();
    member->_datum_reference(mmc);
    mivo_tol_get_datum_set(second)->add(member);

    EXPECT_EQ(mivo_tol_remove_datum_modifiers(first, a), 0u);
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(first, a), 0u);
    EXPECT_EQ(mmc->modifier(), stp_limit_condition_maximum_material_condition);
    EXPECT_EQ(mivo_tol_get_datum_modifier_count(second, a), 1u);
    EXPECT_EQ(mivo_tol_get_datum(first, 0), a);
}

// The datum system of a NIST test case is used by several tolerances: removing a datum from one and adding a
// modifier to another of its datums leaves the others' datums as they were.
TEST(SharedDatumsInARealFile, EditingOneToleranceLeavesTheOthersThatShareItsSystem) {
    const std::string path = std::string(MIVO_DATA_DIR) + "/nist/nist_ctc_02_asme1_ap242-e2.stp";
    NuskReadResult read = nusk_read_step(path.c_str());
    if (!read.design) GTEST_SKIP() << "no " << path;
    std::unique_ptr<NuskDesign> design(read.design);
    auto* tol = nusk_cast(design->findEntity(66), nusktype_stp_geometric_tolerance);
    ASSERT_NE(tol, nullptr);
    stp_datum_system* ds = mivo_tol_get_datums(tol);
    ASSERT_NE(ds, nullptr);
    std::vector<std::pair<stp_geometric_tolerance*, std::string>> others;
    for (NuskObject* obj : nusk_instances_of(design.get(), nusktype_stp_geometric_tolerance)) {
        auto* other = nusk_cast(obj, nusktype_stp_geometric_tolerance);
        if (other != tol && mivo_tol_get_datums(other) == ds) others.push_back({other, summary(other)});
    }
    ASSERT_GE(others.size(), 2u);
    stp_datum* last = mivo_tol_get_datum(tol, mivo_tol_get_datum_count(tol) - 1);
    stp_datum* firstDatum = mivo_tol_get_datum(tol, 0);
    ASSERT_NE(last, nullptr);
    ASSERT_NE(firstDatum, nullptr);
    const unsigned count = mivo_tol_get_datum_count(tol);
    EXPECT_EQ(mivo_tol_remove_datum(tol, last), 0u);
    EXPECT_EQ(mivo_tol_add_datum_modifier(tol, firstDatum,
                                          stp_simple_datum_reference_modifier_maximum_material_requirement), 0u);
    EXPECT_EQ(mivo_tol_get_datum_count(tol), count - 1);
    for (const auto& other : others) {
        EXPECT_EQ(mivo_tol_get_datums(other.first), ds);
        EXPECT_EQ(summary(other.first), other.second) << "#" << other.first->entity_id();
    }
}

}  // namespace
