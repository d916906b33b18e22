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

// Values that do not fit their attribute keep the record as read: a datum system or a modifier given without
// the set's parentheses. Reading every tolerance's datums and modifiers leaves such records as they were.
TEST(ToleranceRoundTrip, ReadingDatumsAndModifiersKeepsRecordsKeptAsRead) {
    const std::string file = R"(ISO-10303-21;
HEADER;
FILE_DESCRIPTION((''),'2;1');
FILE_NAME('t.stp','2024-01-01T00:00:00',(''),(''),'','','');
FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 3 1 4 }'));
ENDSEC;
DATA;
#7=PRODUCT_DEFINITION_SHAPE('','',$);
#21=DATUM('',$,#7,.F.,'B');
#23=SHAPE_ASPECT('face1','',#7,.T.);
#41=DATUM_REFERENCE_COMPARTMENT('',$,#7,.F.,#21,$);
#46=DATUM_SYSTEM('ds',$,#7,.F.,(#41));
#47=(GEOMETRIC_TOLERANCE('bare','',$,#23)GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE(#46)GEOMETRIC_TOLERANCE_WITH_MODIFIERS(.MAXIMUM_MATERIAL_REQUIREMENT.)POSITION_TOLERANCE());
#48=(GEOMETRIC_TOLERANCE('unset','',$,#23)GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE($)GEOMETRIC_TOLERANCE_WITH_MODIFIERS($)POSITION_TOLERANCE());
#49=(GEOMETRIC_TOLERANCE('numbers','',$,#23)GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE(5)GEOMETRIC_TOLERANCE_WITH_MODIFIERS(5)POSITION_TOLERANCE());
#50=(GEOMETRIC_TOLERANCE('listed','',$,#23)GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE((#46))GEOMETRIC_TOLERANCE_WITH_MODIFIERS((.MAXIMUM_MATERIAL_REQUIREMENT.))POSITION_TOLERANCE());
ENDSEC;
END-ISO-10303-21;
)";
    NuskReadResult read = nusk_read_step_text(file.data(), file.size());
    ASSERT_NE(read.design, nullptr);
    std::unique_ptr<NuskDesign> design(read.design);
    const auto written = [&design] {
        std::string text;
        EXPECT_TRUE(nusk_write_step_text(design.get(), text).ok);
        return text;
    };
    const std::string before = written();
    ASSERT_NE(before.find("GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE(#46)"), std::string::npos) << before;
    for (NuskObject* obj : nusk_instances_of(design.get(), nusktype_stp_geometric_tolerance)) {
        auto* tol = nusk_cast(obj, nusktype_stp_geometric_tolerance);
        mivo_tol_get_datum_count(tol);
        mivo_tol_get_modifier_count(tol);
        mivo_tol_get_datum(tol, 0u);
    }
    EXPECT_EQ(written(), before);
    // A kept record answers nothing and takes no set; a value that is unset, or read as a set, is answered.
    stp_geometric_tolerance* bare = toleranceNamed(design.get(), "bare");
    EXPECT_EQ(mivo_tol_get_datum_set(bare), nullptr);
    EXPECT_EQ(mivo_tol_get_modifiers(bare), nullptr);
    EXPECT_EQ(mivo_tol_add_datum(bare, nusk_cast(design->findEntity(21), nusktype_stp_datum)), nullptr);
    EXPECT_NE(mivo_tol_get_datum_set(toleranceNamed(design.get(), "unset")), nullptr);
    stp_geometric_tolerance* listed = toleranceNamed(design.get(), "listed");
    EXPECT_EQ(mivo_tol_get_datums(listed), design->findEntity(46));
    EXPECT_EQ(mivo_tol_get_modifier(listed, 0), stp_geometric_tolerance_modifier_maximum_material_requirement);
    EXPECT_EQ(written(), before);
}

}  // namespace
