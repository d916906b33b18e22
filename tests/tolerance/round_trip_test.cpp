// A design made with the tolerance functions, written as a Part 21 file and read back, gives the same answers.
#include "tolerance_helpers.h"

#include "mivo_measures.h"
#include "mivo_units.h"

#include "nusk/part21.h"

#include <memory>
#include <string>

namespace {

stp_datum* datumLabelled(NuskDesign* design, const char* label) {
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_datum)) {
        auto* d = nusk_cast(obj, nusktype_stp_datum);
        if (d && d->identification() && std::string(d->identification()) == label) return d;
    }
    return nullptr;
}

stp_geometric_tolerance* toleranceNamed(NuskDesign* design, const char* name) {
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_geometric_tolerance)) {
        auto* tol = nusk_cast(obj, nusktype_stp_geometric_tolerance);
        if (tol && tol->name() && std::string(tol->name()) == name) return tol;
    }
    return nullptr;
}

TEST(ToleranceRoundTrip, WrittenAndReadBackGivesTheSameAnswers) {
    ToleranceFixture made;
    NuskDesign* design = &made.design;
    stp_product_definition_shape* pds = made.shape();
    stp_datum* a = made.datum("A", pds);
    stp_datum* b = made.datum("B", pds);
    stp_datum* c = made.datum("C", pds);
    const unsigned long positionCode = MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS | MIVO_TOL_WITH_MODIFIERS;
    stp_geometric_tolerance* position = mivo_make_tolerance(design, positionCode);
    position->name("position");
    mivo_tol_put_pds(position, pds);
    mivo_tol_add_modifier(position, stp_geometric_tolerance_modifier_maximum_material_requirement);
    stp_general_datum_reference* ra = mivo_tol_add_datum(position, a);
    mivo_tol_add_datum_modifier(ra, stp_simple_datum_reference_modifier_maximum_material_requirement);
    mivo_tol_add_datum_modifier(ra, stp_datum_reference_modifier_type_distance, 2.5, nuskunit_mm);
    mivo_tol_add_common_datum(position, b, c);
    stp_geometric_tolerance* legacy = mivo_make_tolerance(design, MIVO_TOL_PERPENDICULARITY | MIVO_TOL_WITH_DATUMS);
    legacy->name("legacy");
    made.legacyReference<stp_referenced_modified_datum>(legacy, b, 2)->modifier(
        stp_limit_condition_least_material_condition);
    made.legacyReference<stp_datum_reference>(legacy, a, 1);
    stp_geometric_tolerance* flat = mivo_make_tolerance(design, MIVO_TOL_FLATNESS | MIVO_TOL_WITH_AREA_UNIT);
    flat->name("flat");
    mivo_tol_put_area_type(flat, stp_area_unit_type_rectangular);
    mivo_tol_put_unit_size(flat, mivo_make_length_measure(design, 10, nuskunit_mm));

    std::string text;
    ASSERT_TRUE(nusk_write_step_text(design, text).ok);
    NuskReadResult read = nusk_read_step_text(text.data(), text.size());
    ASSERT_NE(read.design, nullptr);
    std::unique_ptr<NuskDesign> back(read.design);
    EXPECT_EQ(read.errorCount, 0u) << text;

    stp_geometric_tolerance* position2 = toleranceNamed(back.get(), "position");
    ASSERT_NE(position2, nullptr);
    EXPECT_EQ(mivo_tol_type(position2), positionCode);
    EXPECT_EQ(mivo_tol_get_modifier(position2, 0), stp_geometric_tolerance_modifier_maximum_material_requirement);
    EXPECT_NE(nusk_cast(position2->getObject("modifiers"), nusktype_SetOfstp_geometric_tolerance_modifier), nullptr);
    stp_datum* a2 = datumLabelled(back.get(), "A");
    stp_datum* c2 = datumLabelled(back.get(), "C");
    EXPECT_EQ(mivo_tol_get_datum_count(position2), 2u);
    EXPECT_EQ(mivo_tol_get_datum(position2, 0), a2);
    EXPECT_EQ(mivo_tol_get_datum_modifier(position2, a2, 0),
              stp_simple_datum_reference_modifier_maximum_material_requirement);
    stp_datum_reference_modifier_with_value* v = mivo_tol_get_datum_modifier_with_value(position2, a2, 1);
    ASSERT_NE(v, nullptr);
    mivo_tag_units(back.get());
    EXPECT_DOUBLE_EQ(mivo_get_measure_value(v->modifier_value(), nuskunit_mm), 2.5);
    stp_general_datum_reference* common = mivo_tol_get_datum_ref(position2, 1u);
    EXPECT_EQ(mivo_tol_get_datum_count(common), 2u);
    EXPECT_EQ(mivo_tol_get_datum(common, 1), c2);
    EXPECT_EQ(mivo_tol_get_datum_ref(position2, "c"), mivo_tol_get_datum_ref(common, 1u));

    stp_geometric_tolerance* legacy2 = toleranceNamed(back.get(), "legacy");
    ASSERT_NE(legacy2, nullptr);
    EXPECT_EQ(mivo_tol_get_datum(legacy2, 0), a2);
    EXPECT_EQ(mivo_tol_get_datum_modifier(legacy2, datumLabelled(back.get(), "B"), 0),
              stp_simple_datum_reference_modifier_least_material_requirement);

    stp_geometric_tolerance* flat2 = toleranceNamed(back.get(), "flat");
    ASSERT_NE(flat2, nullptr);
    EXPECT_EQ(mivo_tol_type(flat2), MIVO_TOL_FLATNESS | MIVO_TOL_WITH_AREA_UNIT | MIVO_TOL_WITH_UNIT);
    EXPECT_EQ(mivo_tol_get_area_type(flat2), stp_area_unit_type_rectangular);
    EXPECT_DOUBLE_EQ(mivo_get_measure_value(mivo_tol_get_unit_size(flat2), nuskunit_mm), 10);
}

TEST(ToleranceRoundTrip, ReadingDatumsAttachesNothingThatIsWritten) {
    ToleranceFixture made;
    stp_geometric_tolerance* tol = mivo_make_tolerance(&made.design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS |
                                                                        MIVO_TOL_WITH_MODIFIERS);
    std::string before, after;
    ASSERT_TRUE(nusk_write_step_text(&made.design, before).ok);
    EXPECT_EQ(mivo_tol_get_datum_count(tol), 0u);
    EXPECT_EQ(mivo_tol_get_modifier_count(tol), 0u);
    ASSERT_TRUE(nusk_write_step_text(&made.design, after).ok);
    EXPECT_EQ(before, after);
}

}  // namespace
