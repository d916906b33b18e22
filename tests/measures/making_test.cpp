// Making measures and measure items, and writing their value qualifiers, read back through the getters.
#include "../units/units_helpers.h"

#include "mivo_measures.h"

#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

class MeasureMaking : public ::testing::Test, public UnitFixture {
protected:
    static size_t qualifierCount(stp_qualified_representation_item* item) {
        auto* set = dynamic_cast<NuskAggregate*>(static_cast<NuskObject*>(item)->getObject("qualifiers"));
        return set ? set->size() : 0;
    }
    static stp_measure_with_unit* asMeasure(NuskObject* obj) { return nusk_cast<stp_measure_with_unit>(obj); }
};

// Every unit code: the measure, the item and the qualified item read back with their value, their unit and the
// kind the class says; the classes are the typed ones for plane angle, length, ratio, solid angle and time.
TEST_F(MeasureMaking, EveryKindReadsBackWhatWasMade) {
    struct Typed {
        NuskMeasureType kind;
        NuskTypePtr* measureClass;
    } typed[] = {{nuskmeasure_plane_angle, &nusktype_stp_plane_angle_measure_with_unit},
                 {nuskmeasure_length, &nusktype_stp_length_measure_with_unit},
                 {nuskmeasure_ratio, &nusktype_stp_ratio_measure_with_unit},
                 {nuskmeasure_solid_angle, &nusktype_stp_solid_angle_measure_with_unit},
                 {nuskmeasure_time, &nusktype_stp_time_measure_with_unit}};
    for (int c = nuskunit_mm; c <= NUSK_UNIT_MAX; ++c) {
        const auto code = static_cast<NuskUnit>(c);
        const NuskMeasureType kind = nusk_get_measure_type(code);
        if (kind == nuskmeasure_unknown) continue;
        NuskObject* made[] = {mivo_make_measure(&design, 0.75, code), mivo_make_measure_item(&design, 0.75, code),
                              mivo_make_qualified_measure_item(&design, 0.75, code)};
        mivo_tag_units(&design);
        NuskTypePtr* expected = nullptr;
        for (const Typed& t : typed)
            if (t.kind == kind) expected = t.measureClass;
        for (size_t i = 0; i < 3; ++i) {
            stp_measure_with_unit* m = asMeasure(made[i]);
            ASSERT_NE(m, nullptr) << nusk_get_unit_name(code) << " form " << i;
            EXPECT_EQ(mivo_get_measure_value(m, code), 0.75) << nusk_get_unit_name(code);
            EXPECT_EQ(mivo_get_unit_type(m), code) << nusk_get_unit_name(code);
            EXPECT_EQ(mivo_get_measure_type(m), kind) << nusk_get_unit_name(code);
            EXPECT_EQ(made[i]->isa(nusktype_stp_measure_representation_item), i > 0);
            EXPECT_EQ(made[i]->isa(nusktype_stp_qualified_representation_item), i == 2);
            // Qualified ratio and solid angle items have no class of their own kind.
            const bool typedClass = expected && !(i == 2 && (kind == nuskmeasure_ratio || kind == nuskmeasure_solid_angle));
            EXPECT_EQ(typedClass, expected && made[i]->isa(*expected)) << nusk_get_unit_name(code) << " form " << i;
        }
    }
}

TEST_F(MeasureMaking, TypedMakersAndTheirWrongKinds) {
    EXPECT_NE(mivo_make_angle_measure(&design, 1.0, nuskunit_angle_cb1), nullptr);
    EXPECT_NE(mivo_make_ratio_measure(&design, 0.5, nuskunit_ratio), nullptr);
    EXPECT_NE(mivo_make_time_measure_item(&design, 3.0, nuskunit_s), nullptr);
    stp_length_measure_with_unit_and_measure_representation_item* item = mivo_make_length_measure_item(&design, 2.0, nuskunit_length_cb1);
    ASSERT_NE(item, nullptr);
    EXPECT_DOUBLE_EQ(mivo_get_measure_value(item, nuskunit_mm), 50.8);

    // A unit of another kind: null, and the measure made stays in the design.
    NuskCursor cursor;
    cursor.traverse(&design);
    cursor.domain(nusktype_stp_plane_angle_measure_with_unit);
    size_t before = 0;
    while (cursor.next()) ++before;
    EXPECT_EQ(mivo_make_length_measure(&design, 1.0, nuskunit_rad), nullptr);
    EXPECT_EQ(mivo_make_ratio_measure_item(&design, 1.0, nuskunit_rad), nullptr);
    cursor.rewind();
    size_t after = 0;
    while (cursor.next()) ++after;
    EXPECT_EQ(after, before + 2);

    // A code without a unit entity: a measure with an empty unit select, of the kind of the code (none).
    stp_measure_with_unit* none = mivo_make_measure(&design, 4.0, nuskunit_unknown);
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(none->unit_component()->isEmpty());
    EXPECT_EQ(none->domain(), nusktype_stp_measure_with_unit.domain());
    EXPECT_EQ(mivo_get_measure_value(none, nuskunit_as_is), 4.0);
}

// Each limit setter stores under its own name, and the getter of the same name reads it back, converted.
TEST_F(MeasureMaking, LimitsAreReadBackByTheGetterOfTheSameName) {
    stp_qualified_representation_item* item = mivo_make_qualified_measure_item(&design, 10.0, nuskunit_mm);
    stp_measure_with_unit* m = asMeasure(item);
    ASSERT_NE(mivo_put_measure_lower_limit_value(item, 9.5), nullptr);
    ASSERT_NE(mivo_put_measure_upper_limit_value(item, 10.2), nullptr);
    EXPECT_EQ(mivo_get_measure_lower_limit_value(m, nuskunit_mm), 9.5);
    EXPECT_EQ(mivo_get_measure_upper_limit_value(m, nuskunit_mm), 10.2);
    EXPECT_DOUBLE_EQ(mivo_get_measure_lower_limit_value(m, nuskunit_m), 0.0095);
    EXPECT_EQ(mivo_get_measure_upper_limit_value(m, nuskunit_as_is), 10.2);
    EXPECT_STREQ(mivo_get_measure_std_uncertainty(item, "lower limit")->measure_name(), "lower limit");
    EXPECT_EQ(mivo_get_measure_current_value(m, nuskunit_mm), NUSK_NULL_REAL);
    mivo_put_measure_std_uncertainty(item, "current value", 9.9);
    EXPECT_DOUBLE_EQ(mivo_get_measure_current_value(m, nuskunit_cm), 0.99);
    // Units that cannot be converted into each other give no value.
    EXPECT_EQ(mivo_get_measure_upper_limit_value(m, nuskunit_rad), NUSK_NULL_REAL);
    EXPECT_EQ(qualifierCount(item), 3u);
}

TEST_F(MeasureMaking, NamedUncertaintiesAreUpdatedFoundExactlyAndRemoved) {
    stp_qualified_representation_item* item = mivo_make_qualified_measure_item(&design, 1.0, nuskunit_rad);
    EXPECT_EQ(qualifierCount(item), 0u);
    // Removing what is not there makes nothing, not even an empty qualifier set.
    EXPECT_EQ(mivo_put_measure_std_uncertainty(item, "spread", NUSK_NULL_REAL), nullptr);
    EXPECT_EQ(static_cast<NuskObject*>(item)->getObject("qualifiers"), nullptr);

    stp_standard_uncertainty* first = mivo_put_measure_std_uncertainty(item, "spread", 0.1);
    EXPECT_EQ(mivo_put_measure_std_uncertainty(item, "spread", 0.2), first);  // updated in place
    EXPECT_EQ(qualifierCount(item), 1u);
    EXPECT_EQ(first->uncertainty_value(), 0.2);
    EXPECT_STREQ(first->description(), "");
    EXPECT_EQ(mivo_get_measure_std_uncertainty(item, "Spread"), nullptr);  // case counts
    EXPECT_EQ(mivo_get_measure_std_uncertainty(item, nullptr), nullptr);
    EXPECT_EQ(mivo_get_measure_std_uncertainty(asMeasure(item), "spread"), first);

    // Two of one name (as a file may have): the first is found, updated and removed, the second stays.
    auto* second = new (&design) stp_standard_uncertainty();
    second->measure_name("spread");
    second->uncertainty_value(0.7);
    auto* select = new (&design) stp_value_qualifier();
    select->_uncertainty_qualifier(second);
    item->qualifiers()->add(select);
    EXPECT_EQ(mivo_get_measure_std_uncertainty(item, "spread"), first);
    EXPECT_EQ(mivo_put_measure_std_uncertainty(item, "spread", NUSK_NULL_REAL), nullptr);
    EXPECT_EQ(static_cast<NuskObject*>(first)->design(), nusk_trash());
    EXPECT_EQ(mivo_get_measure_std_uncertainty(item, "spread"), second);
    EXPECT_EQ(qualifierCount(item), 1u);
}

TEST_F(MeasureMaking, PrecisionIsSetUpdatedAndRemoved) {
    stp_qualified_representation_item* item = mivo_make_qualified_measure_item(&design, 1.0, nuskunit_mm);
    stp_measure_with_unit* m = asMeasure(item);
    EXPECT_EQ(mivo_get_measure_precision_value(m), NUSK_NULL_INTEGER);
    EXPECT_EQ(mivo_put_measure_precision_value(item, NUSK_NULL_INTEGER), nullptr);
    EXPECT_EQ(qualifierCount(item), 0u);
    stp_precision_qualifier* p = mivo_put_measure_precision_value(item, 3);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(mivo_put_measure_precision_value(item, 0), p);  // 0 is a precision, not a removal
    EXPECT_EQ(mivo_get_measure_precision_value(m), 0);
    mivo_put_measure_lower_limit_value(item, 0.5);
    EXPECT_EQ(qualifierCount(item), 2u);
    EXPECT_EQ(mivo_put_measure_precision_value(item, NUSK_NULL_INTEGER), nullptr);
    EXPECT_EQ(mivo_get_measure_precision_value(m), NUSK_NULL_INTEGER);
    EXPECT_EQ(mivo_get_measure_lower_limit_value(m, nuskunit_mm), 0.5);  // the other qualifier stays

    // A plain measure is no qualified item: no limits, no precision.
    stp_measure_with_unit* plain = mivo_make_measure(&design, 1.0, nuskunit_mm);
    EXPECT_EQ(mivo_get_measure_lower_limit_value(plain, nuskunit_mm), NUSK_NULL_REAL);
    EXPECT_EQ(mivo_get_measure_current_value(plain, nuskunit_mm), NUSK_NULL_REAL);
    EXPECT_EQ(mivo_get_measure_precision_value(plain), NUSK_NULL_INTEGER);
    EXPECT_EQ(mivo_get_measure_std_uncertainty(plain, "lower limit"), nullptr);
}

// A qualifier that two items share (files do this) is taken out of one item's set without being deleted.
TEST_F(MeasureMaking, RemovingASharedQualifierKeepsItForTheOtherItem) {
    stp_qualified_representation_item* a = mivo_make_qualified_measure_item(&design, 1.0, nuskunit_mm);
    stp_qualified_representation_item* b = mivo_make_qualified_measure_item(&design, 2.0, nuskunit_mm);
    stp_standard_uncertainty* shared = mivo_put_measure_upper_limit_value(a, 1.1);
    auto* select = new (&design) stp_value_qualifier();
    select->_uncertainty_qualifier(shared);
    auto* set = new (&design) SetOfstp_value_qualifier();
    set->add(select);
    b->qualifiers(set);
    EXPECT_EQ(mivo_put_measure_upper_limit_value(a, NUSK_NULL_REAL), nullptr);
    EXPECT_EQ(static_cast<NuskObject*>(shared)->design(), &design);
    EXPECT_EQ(mivo_get_measure_upper_limit_value(asMeasure(b), nuskunit_mm), 1.1);
    EXPECT_EQ(mivo_get_measure_upper_limit_value(asMeasure(a), nuskunit_mm), NUSK_NULL_REAL);
}

// Items of a file that share their precision and uncertainties: setting a value through one item gives that
// item a copy of its own (same type, name, description and other values), and the other item keeps its value.
TEST_F(MeasureMaking, SettingASharedQualifierChangesOnlyThatItem) {
    const char* file =
        "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'2;1');\nFILE_NAME('a','',(''),(''),'','','');\n"
        "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }'));\nENDSEC;\nDATA;\n"
        "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n#5=PRECISION_QUALIFIER(2);\n"
        "#6=STANDARD_UNCERTAINTY('lower limit','from the drawing',0.1);\n"
        "#7=STANDARD_UNCERTAINTY('upper limit','',0.3);\n#8=EXPANDED_UNCERTAINTY('spread','',0.05,2.);\n"
        "#10=(LENGTH_MEASURE_WITH_UNIT()MEASURE_REPRESENTATION_ITEM()QUALIFIED_REPRESENTATION_ITEM((#5,#6,#7,#8))"
        "REPRESENTATION_ITEM('a')MEASURE_WITH_UNIT(LENGTH_MEASURE(10.),#1));\n"
        "#11=(LENGTH_MEASURE_WITH_UNIT()MEASURE_REPRESENTATION_ITEM()QUALIFIED_REPRESENTATION_ITEM((#5,#6,#7,#8))"
        "REPRESENTATION_ITEM('b')MEASURE_WITH_UNIT(LENGTH_MEASURE(20.),#1));\nENDSEC;\nEND-ISO-10303-21;\n";
    NuskReadResult r = nusk_read_step_text(file, std::strlen(file));
    ASSERT_NE(r.design, nullptr);
    std::unique_ptr<NuskDesign> read(r.design);
    mivo_tag_units(read.get());
    auto* a = nusk_cast<stp_qualified_representation_item>(read->findEntity(10));
    auto* b = nusk_cast<stp_qualified_representation_item>(read->findEntity(11));
    ASSERT_TRUE(a && b);
    NuskObject* sharedPrecision = read->findEntity(5);
    NuskObject* sharedLower = read->findEntity(6);

    // The same value changes nothing: no copy is made.
    EXPECT_EQ(static_cast<NuskObject*>(mivo_put_measure_precision_value(a, 2)), sharedPrecision);
    EXPECT_EQ(static_cast<NuskObject*>(mivo_put_measure_lower_limit_value(a, 0.1)), sharedLower);

    stp_precision_qualifier* precision = mivo_put_measure_precision_value(a, 4);
    stp_standard_uncertainty* lower = mivo_put_measure_lower_limit_value(a, 0.5);
    stp_standard_uncertainty* upper = mivo_put_measure_upper_limit_value(a, 0.6);
    stp_standard_uncertainty* spread = mivo_put_measure_std_uncertainty(a, "spread", 0.07);
    ASSERT_TRUE(precision && lower && upper && spread);
    EXPECT_NE(static_cast<NuskObject*>(precision), sharedPrecision);
    EXPECT_NE(static_cast<NuskObject*>(lower), sharedLower);
    EXPECT_STREQ(lower->description(), "from the drawing");
    EXPECT_STREQ(spread->measure_name(), "spread");
    auto* expanded = nusk_cast<stp_expanded_uncertainty>(static_cast<NuskObject*>(spread));
    ASSERT_NE(expanded, nullptr);
    EXPECT_EQ(expanded->coverage_factor(), 2.0);
    EXPECT_EQ(qualifierCount(a), 4u);

    EXPECT_EQ(mivo_get_measure_precision_value(asMeasure(a)), 4);
    EXPECT_EQ(mivo_get_measure_lower_limit_value(asMeasure(a), nuskunit_mm), 0.5);
    EXPECT_EQ(mivo_get_measure_upper_limit_value(asMeasure(a), nuskunit_mm), 0.6);
    EXPECT_EQ(mivo_get_measure_std_uncertainty(a, "spread")->uncertainty_value(), 0.07);
    EXPECT_EQ(mivo_get_measure_precision_value(asMeasure(b)), 2);
    EXPECT_EQ(mivo_get_measure_lower_limit_value(asMeasure(b), nuskunit_mm), 0.1);
    EXPECT_EQ(mivo_get_measure_upper_limit_value(asMeasure(b), nuskunit_mm), 0.3);
    EXPECT_EQ(mivo_get_measure_std_uncertainty(b, "spread")->uncertainty_value(), 0.05);

    // Now the copies are the item's own: the next change updates them in place.
    EXPECT_EQ(mivo_put_measure_precision_value(a, 5), precision);
    EXPECT_EQ(mivo_put_measure_lower_limit_value(a, 0.4), lower);

    // What was written says so: the copies are new instances, the shared ones keep their values.
    std::string text;
    ASSERT_TRUE(nusk_write_step_text(read.get(), text).ok);
    EXPECT_NE(text.find("=PRECISION_QUALIFIER(2);"), std::string::npos) << text;
    EXPECT_NE(text.find("=PRECISION_QUALIFIER(5);"), std::string::npos) << text;
    EXPECT_NE(text.find("=STANDARD_UNCERTAINTY('lower limit','from the drawing',0.4);"), std::string::npos) << text;
}

// A select object that two items' sets both hold (as a program may build): setting or removing through one item
// leaves the other's element and value as they were.
TEST_F(MeasureMaking, AQualifierInASharedSelectIsChangedForOneItemOnly) {
    stp_qualified_representation_item* a = mivo_make_qualified_measure_item(&design, 1.0, nuskunit_mm);
    stp_qualified_representation_item* b = mivo_make_qualified_measure_item(&design, 2.0, nuskunit_mm);
    auto shareFirstSelect = [&] {
        auto* set = new (&design) SetOfstp_value_qualifier();
        set->add(a->qualifiers()->get(0));
        b->qualifiers(set);
    };
    stp_precision_qualifier* shared = mivo_put_measure_precision_value(a, 3);
    shareFirstSelect();
    EXPECT_NE(mivo_put_measure_precision_value(b, 6), shared);
    EXPECT_EQ(mivo_get_measure_precision_value(asMeasure(a)), 3);
    EXPECT_EQ(mivo_get_measure_precision_value(asMeasure(b)), 6);

    shareFirstSelect();
    EXPECT_EQ(mivo_put_measure_precision_value(a, NUSK_NULL_INTEGER), nullptr);
    EXPECT_EQ(mivo_get_measure_precision_value(asMeasure(a)), NUSK_NULL_INTEGER);
    EXPECT_EQ(mivo_get_measure_precision_value(asMeasure(b)), 3);
    EXPECT_EQ(static_cast<NuskObject*>(shared)->design(), &design);
    EXPECT_EQ(mivo_put_measure_precision_value(b, 7), shared);  // b alone refers to it now
}

// What was made and qualified survives a write and a read: the file states the limits the caller set.
TEST_F(MeasureMaking, QualifiedItemsSurviveAWriteAndARead) {
    stp_qualified_representation_item* item = mivo_make_qualified_measure_item(&design, 25.4, nuskunit_mm);
    nusk_update_prim(item, "name", "bore");
    mivo_put_measure_lower_limit_value(item, 25.3);
    mivo_put_measure_upper_limit_value(item, 25.6);
    mivo_put_measure_precision_value(item, 2);
    std::string text;
    ASSERT_TRUE(nusk_write_step_text(&design, text).ok);
    EXPECT_NE(text.find("'lower limit',"), std::string::npos);
    NuskReadResult r = nusk_read_step_text(text.data(), text.size());
    ASSERT_NE(r.design, nullptr);
    EXPECT_EQ(r.status, NuskReadStatus::ok);
    mivo_tag_units(r.design);
    NuskCursor cursor;
    cursor.traverse(r.design);
    cursor.domain(nusktype_stp_qualified_representation_item);
    stp_measure_with_unit* read = asMeasure(cursor.next());
    ASSERT_NE(read, nullptr);
    EXPECT_DOUBLE_EQ(mivo_get_measure_value(read, nuskunit_length_cb1), 1.0);
    EXPECT_EQ(mivo_get_measure_lower_limit_value(read, nuskunit_mm), 25.3);
    EXPECT_EQ(mivo_get_measure_upper_limit_value(read, nuskunit_mm), 25.6);
    EXPECT_EQ(mivo_get_measure_precision_value(read), 2);
    delete r.design;
}

}  // namespace
