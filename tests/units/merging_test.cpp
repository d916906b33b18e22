// Merging duplicate unit entities, on made designs and on a real file.
#include "units_helpers.h"

#include "mivo_measures.h"
#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace {

class UnitMerging : public ::testing::Test, public UnitFixture {};

TEST_F(UnitMerging, TheFirstOfEachCodeSurvives) {
    stp_si_unit* first = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    stp_si_unit* second = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    auto* s1 = si(stp_si_unit_name_second);
    auto* s2 = new (&design) stp_si_unit_and_time_unit();
    s2->name(stp_si_unit_name_second);
    auto* s3 = new (&design) stp_si_unit_and_time_unit();
    s3->name(stp_si_unit_name_second);
    EXPECT_EQ(mivo_merge_units(&design), 0u);  // nothing is tagged: nothing is merged
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_merge_units(&design), 3u);
    EXPECT_EQ(first->design(), &design);
    EXPECT_EQ(second->design(), nusk_trash());
    EXPECT_EQ(nusk_expand_substitutes(second), first);
    EXPECT_EQ(s1->design(), &design);
    EXPECT_EQ(nusk_expand_substitutes(s3), s1);
    EXPECT_EQ(s2->design(), nusk_trash());
    EXPECT_EQ(mivo_merge_units(&design), 0u);  // a second run finds nothing
    EXPECT_EQ(mivo_merge_units(nullptr), 0u);
}

TEST_F(UnitMerging, ADuplicateDerivedUnitGoesWithWhatOnlyItUsed) {
    NuskObject* made = mivo_make_unit(&design, nuskunit_mm_per_s);
    mivo_shortcut_clear_all(&design);
    stp_derived_unit* again = mivo_make_derived_unit_base(&design, nuskunit_mm_per_s);
    mivo_add_derived_unit_term(again, nuskunit_mm, 1.0);
    mivo_add_derived_unit_term(again, nuskunit_s, -1.0);
    stp_name_attribute* name = MivoMgrUnit::find(again)->name_attribute;
    auto* elements = again->elements();
    NuskObject* e0 = elements->get(0);
    NuskObject* mm = elements->get(0)->unit();
    mivo_tag_units(&design);
    // The second millimetre and second (made after the shortcuts were cleared) are duplicates too.
    EXPECT_EQ(mivo_merge_units(&design), 3u);
    EXPECT_EQ(nusk_expand_substitutes(again), made);
    EXPECT_EQ(name->design(), nusk_trash());
    EXPECT_EQ(elements->design(), nusk_trash());
    EXPECT_EQ(e0->design(), nusk_trash());
    // The element's millimetre was merged as a millimetre of its own (not because the element went), into the
    // millimetre of the unit that survived.
    EXPECT_EQ(mm->design(), nusk_trash());
    auto* survivorElements = nusk_cast(made, nusktype_stp_derived_unit)->elements();
    EXPECT_EQ(nusk_expand_substitutes(mm), static_cast<NuskObject*>(survivorElements->get(0)->unit()));
}

TEST_F(UnitMerging, AFactorStillUsedElsewhereStays) {
    stp_conversion_based_unit* a = mivo_make_cb_unit(&design, nuskunit_length_cb1, nuskunit_mm);
    stp_conversion_based_unit* b = mivo_make_cb_unit(&design, nuskunit_length_cb1, nuskunit_mm);
    stp_measure_with_unit* shared = b->conversion_factor();
    nusk_refcount_inc(shared);  // someone else refers to it too
    stp_conversion_based_unit* c = mivo_make_cb_unit(&design, nuskunit_length_cb1, nuskunit_mm);
    stp_measure_with_unit* own = c->conversion_factor();
    NuskObject* ownValue = own->value_component();
    EXPECT_EQ(mivo_merge_units(&design), 2u);
    EXPECT_EQ(a->design(), &design);
    EXPECT_EQ(shared->design(), &design);
    EXPECT_EQ(own->design(), nusk_trash());
    EXPECT_EQ(ownValue->design(), nusk_trash());
    EXPECT_EQ(static_cast<NuskObject*>(own->unit_component())->design(), nusk_trash());
}

TEST_F(UnitMerging, AContextListingBothDuplicatesListsTheSurvivorOnce) {
    stp_si_unit* mm = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    stp_si_unit* mmAgain = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    stp_si_unit* rad = si(stp_si_unit_name_radian);
    auto* units = new (&design) SetOfstp_unit();
    for (NuskObject* u : {static_cast<NuskObject*>(mm), static_cast<NuskObject*>(mmAgain), static_cast<NuskObject*>(rad)})
        units->add(select(u));
    auto* context = new (&design) stp_global_unit_assigned_context();
    context->units(units);
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_merge_units(&design), 1u);
    nusk_update_object_references(&design);
    // Written as ((#1,#1,#3)), the set would be invalid.
    ASSERT_EQ(units->size(), 2u);
    EXPECT_EQ(nusk_get_nested_object(units->get(0)), mm);
    EXPECT_EQ(nusk_get_nested_object(units->get(1)), rad);
}

TEST_F(UnitMerging, CodesBeyondTheEnumerationAreMergedSafely) {
    // A code given to the SI maker directly can lie outside the codes the tagging pass gives.
    const NuskUnit outsideTheTable = static_cast<NuskUnit>(1000);  // no enumerator: a code the math library lacks
    stp_si_unit* a = mivo_make_si_unit(&design, outsideTheTable, stp_si_unit_name_gram, stp_si_prefix_kilo);
    stp_si_unit* b = mivo_make_si_unit(&design, outsideTheTable, stp_si_unit_name_gram, stp_si_prefix_kilo);
    EXPECT_EQ(mivo_merge_units(&design), 1u);
    EXPECT_EQ(nusk_expand_substitutes(b), a);
}

// A hostile file can give a duplicate, as its dimensions, the very unit it merges into: that unit stays, and
// the context that used the duplicate ends with it.
TEST(UnitMergingHostile, WhatADuplicateRefersToIsNotTrashedWhenItIsTheSurvivor) {
    const std::string text =
        "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('d'),'2;1');\nFILE_NAME('n','t',(''),(''),'','sys','');\n"
        "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF'));\nENDSEC;\nDATA;\n"
        "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n"
        "#2=DIMENSIONAL_EXPONENTS(1.,0.,0.,0.,0.,0.,0.);\n"
        "#3=LENGTH_MEASURE_WITH_UNIT(LENGTH_MEASURE(25.4),#1);\n"
        "#4=(CONVERSION_BASED_UNIT('inch',#3)LENGTH_UNIT()NAMED_UNIT(#2));\n"
        "#5=LENGTH_MEASURE_WITH_UNIT(LENGTH_MEASURE(25.4),#1);\n"
        "#6=(CONVERSION_BASED_UNIT('inch',#5)LENGTH_UNIT()NAMED_UNIT(#4));\n"
        "#7=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT((#6))"
        "REPRESENTATION_CONTEXT('c','3D'));\nENDSEC;\nEND-ISO-10303-21;\n";
    std::unique_ptr<NuskDesign> design(nusk_read_step_text(text.data(), text.size()).design);
    ASSERT_NE(design, nullptr);
    NuskObject* survivor = design->findEntity(4);
    mivo_tag_units(design.get());
    EXPECT_EQ(mivo_merge_units(design.get()), 1u);
    nusk_update_object_references(design.get());
    EXPECT_EQ(survivor->design(), design.get());
    std::string written;
    const NuskWriteResult w = nusk_write_step_text(design.get(), written);
    EXPECT_TRUE(w.ok);
    EXPECT_EQ(w.danglingCount, 0u);
}

std::string nistFile(const char* name) {
    std::filesystem::path p = std::filesystem::path(MIVO_DATA_DIR) / "nist" / name;
    return std::filesystem::exists(p) ? p.string() : "";
}

TEST(UnitRealFiles, LengthAngleAndSolidAngleUnitsAreIdentified) {
    if (!std::filesystem::is_directory(MIVO_DATA_DIR)) GTEST_SKIP() << "no test data at " << MIVO_DATA_DIR;
    nusk_ap242_schema();
    size_t identified = 0, mass = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(MIVO_DATA_DIR)) {
        if (!e.is_regular_file()) continue;
        NuskReadResult r = nusk_read_step(e.path().c_str());
        std::unique_ptr<NuskDesign> design(r.design);
        if (!design) continue;
        mivo_tag_units(design.get());
        NuskCursor cursor;
        cursor.traverse(design.get());
        cursor.domain(nusktype_stp_named_unit);
        while (NuskObject* u = cursor.next()) {
            const bool wanted = u->isa(nusktype_stp_length_unit) || u->isa(nusktype_stp_plane_angle_unit) ||
                                u->isa(nusktype_stp_solid_angle_unit);
            const MivoMgrUnit* m = MivoMgrUnit::find(u);
            ASSERT_NE(m, nullptr) << e.path() << " #" << u->entity_id();
            if (wanted) {
                EXPECT_NE(m->unit, nuskunit_unknown) << e.path() << " #" << u->entity_id();
                ++identified;
            }
            if (u->isa(nusktype_stp_mass_unit)) {
                EXPECT_EQ(m->unit, nuskunit_unknown);
                ++mass;
            }
        }
    }
    EXPECT_GT(identified, 300u);
    EXPECT_GT(mass, 0u);
}

TEST(UnitRealFiles, MergingAFileLeavesOneUnitPerCodeAndWritesACleanFile) {
    const std::string path = nistFile("nist_stc_07_asme1_ap242-e3.stp");
    if (path.empty()) GTEST_SKIP() << "nist_stc_07_asme1_ap242-e3.stp not found under " << MIVO_DATA_DIR;
    nusk_ap242_schema();
    NuskReadResult r = nusk_read_step(path.c_str());
    std::unique_ptr<NuskDesign> design(r.design);
    ASSERT_TRUE(design);
    mivo_tag_units(design.get());
    const unsigned replaced = mivo_merge_units(design.get());
    EXPECT_GE(replaced, 332u);  // 167 millimetres and 167 inches become one each
    nusk_update_object_references(design.get());
    std::map<int, int> perCode;
    NuskCursor cursor;
    cursor.traverse(design.get());
    for (NuskTypePtr* t : {static_cast<NuskTypePtr*>(&nusktype_stp_named_unit), static_cast<NuskTypePtr*>(&nusktype_stp_derived_unit)}) {
        cursor.domain(t->domain());
        while (NuskObject* u = cursor.next())
            if (const MivoMgrUnit* m = MivoMgrUnit::find(u))
                if (m->unit != nuskunit_unknown) ++perCode[m->unit];
    }
    for (const auto& entry : perCode) EXPECT_EQ(entry.second, 1) << "code " << entry.first;
    cursor.domain(nusktype_stp_measure_with_unit);
    size_t measures = 0;
    while (NuskObject* obj = cursor.next()) {
        auto* m = nusk_cast(obj, nusktype_stp_measure_with_unit);
        NuskObject* unit = nusk_get_nested_object(m ? m->unit_component() : nullptr);
        if (!unit) continue;
        ++measures;
        EXPECT_EQ(unit->design(), design.get()) << "#" << obj->entity_id() << " refers to a deleted unit";
    }
    EXPECT_GT(measures, 100u);
    std::string out;
    NuskWriteResult w = nusk_write_step_text(design.get(), out);
    EXPECT_TRUE(w.ok);
    EXPECT_EQ(w.danglingCount, 0u);
    NuskReadResult again = nusk_read_step_text(out.data(), out.size());
    std::unique_ptr<NuskDesign> reread(again.design);
    // The file's own faults (values where the schema derives them) stay; merging adds none.
    EXPECT_EQ(again.errorCount, r.errorCount);
    EXPECT_EQ(again.status, r.status);
    EXPECT_LE(again.instanceCount + replaced, r.instanceCount);  // the duplicates are gone from the file
}

}  // namespace
