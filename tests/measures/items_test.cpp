// Finding the items of a representation by name, entity type and kind of quantity; and measures in real files.
#include "../units/units_helpers.h"

#include "mivo_measures.h"

#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RepItems : public ::testing::Test, public UnitFixture {
protected:
    stp_representation* rep = new (&design) stp_representation();

    template <class T>
    T* add(T* item, const char* name) {
        if (name) nusk_update_prim(item, "name", name);
        if (!rep->items()) rep->items(new (&design) SetOfstp_representation_item());
        rep->items()->add(item);
        return item;
    }
    stp_descriptive_representation_item* text(const char* name, const char* description) {
        auto* d = add(new (&design) stp_descriptive_representation_item(), name);
        d->description(description);
        return d;
    }
    stp_measure_representation_item* measureItem(const char* name, double value, NuskUnit unit) {
        return add(mivo_make_measure_item(&design, value, unit), name);
    }
    /// A plain measure item (no typed class) whose unit is a hand-made SI unit, identified only by tagging.
    stp_measure_representation_item* plainItem(const char* name, NuskObject* unit) {
        auto* m = new (&design) stp_measure_representation_item();
        auto* v = new (&design) stp_measure_value();
        v->_numeric_measure(1.0);
        m->value_component(v);
        m->unit_component(select(unit));
        return add(m, name);
    }
};

TEST_F(RepItems, ByNameAndType) {
    EXPECT_EQ(mivo_get_rep_item(rep, nullptr, nullptr), nullptr);  // no items yet
    stp_measure_representation_item* width = measureItem("width", 3.0, nuskunit_mm);
    stp_descriptive_representation_item* note = text("width", "see drawing");
    auto* unnamed = add(new (&design) stp_descriptive_representation_item(), nullptr);
    text("width", "second note");

    EXPECT_EQ(mivo_get_rep_item(rep, nullptr, nullptr), static_cast<stp_representation_item*>(width));
    EXPECT_EQ(mivo_get_rep_item(rep, nullptr, "width"), static_cast<stp_representation_item*>(width));
    EXPECT_EQ(mivo_get_rep_item(rep, nullptr, "Width"), nullptr);
    // The domain test skips the measure item of that name; the first descriptive item wins over the later one.
    EXPECT_EQ(mivo_get_descriptive_item(rep, "width"), note);
    EXPECT_STREQ(mivo_get_descriptive_value(rep, "width"), "see drawing");
    EXPECT_EQ(mivo_get_descriptive_value(rep, "depth"), nullptr);
    // An item without a name is found only without a name.
    EXPECT_EQ(mivo_get_rep_item(rep, nusktype_stp_descriptive_representation_item.domain(), nullptr),
              static_cast<stp_representation_item*>(note));
    EXPECT_NE(unnamed, nullptr);
    EXPECT_EQ(mivo_get_rep_item(rep, nullptr, ""), nullptr);
}

TEST_F(RepItems, MeasureItemsByKind) {
    text("size", "large");
    stp_measure_representation_item* angle = measureItem("size", 30.0, nuskunit_angle_cb1);
    stp_measure_representation_item* length = measureItem("size", 12.0, nuskunit_mm);
    stp_measure_representation_item* plainLength = plainItem("bore", si(stp_si_unit_name_metre, stp_si_prefix_milli));
    stp_measure_representation_item* feed = measureItem("feed", 2.0, nuskunit_mm_per_s);
    stp_measure_representation_item* count = measureItem("teeth", 12.0, nuskunit_count);

    // The descriptive item of the same name is skipped, and the search goes on.
    EXPECT_EQ(mivo_get_length_item(rep, "size"), length);
    EXPECT_EQ(mivo_get_angle_item(rep, "size"), angle);
    EXPECT_EQ(mivo_get_measure_item(rep, "size", nuskmeasure_unknown), angle);
    EXPECT_EQ(mivo_get_measure_item(rep, nullptr, nuskmeasure_unknown), angle);
    EXPECT_EQ(mivo_get_time_item(rep, "size"), nullptr);
    // A plain item is found by its unit's kind, known only once the units are tagged.
    EXPECT_EQ(mivo_get_length_item(rep, "bore"), nullptr);
    EXPECT_EQ(mivo_get_feedrate_item(rep, "feed"), feed);  // made units carry their code already
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_get_length_item(rep, "bore"), plainLength);
    EXPECT_EQ(mivo_get_count_item(rep, "teeth"), count);
    EXPECT_EQ(mivo_get_ratio_item(rep, "teeth"), nullptr);
    EXPECT_EQ(mivo_get_pressure_item(rep, "feed"), nullptr);
    EXPECT_EQ(mivo_get_spinrate_item(rep, "feed"), nullptr);
}

// Real files: measure items with value format qualifiers shared between items, and descriptive items.
TEST(MeasuresInRealFiles, QualifiedLengthsOfAToleranceTestCase) {
    const std::string path = std::string(MIVO_DATA_DIR) + "/nist/nist_ctc_02_asme1_ap242-e2.stp";
    NuskReadResult r = nusk_read_step(path.c_str());
    if (!r.design) GTEST_SKIP() << "no test data at " << path;
    mivo_tag_units(r.design);
    auto* nominal = nusk_cast<stp_measure_with_unit>(r.design->findEntity(352));  // 100 mm, 'nominal value'
    auto* sharer = nusk_cast<stp_measure_with_unit>(r.design->findEntity(353));   // shares #386 with others
    ASSERT_NE(nominal, nullptr);
    ASSERT_NE(sharer, nullptr);
    EXPECT_DOUBLE_EQ(mivo_get_measure_value(nominal, nuskunit_length_cb1), 100.0 / 25.4);
    EXPECT_EQ(mivo_get_measure_precision_value(nominal), NUSK_NULL_INTEGER);  // format qualifiers only
    EXPECT_EQ(mivo_get_measure_lower_limit_value(nominal, nuskunit_mm), NUSK_NULL_REAL);

    auto* item = nusk_cast<stp_qualified_representation_item>(static_cast<NuskObject*>(sharer));
    ASSERT_NE(item, nullptr);
    mivo_put_measure_precision_value(item, 2);
    mivo_put_measure_lower_limit_value(item, 51.9);
    std::string text;
    ASSERT_TRUE(nusk_write_step_text(r.design, text).ok);
    NuskReadResult again = nusk_read_step_text(text.data(), text.size());
    ASSERT_NE(again.design, nullptr);
    mivo_tag_units(again.design);
    auto* read = nusk_cast<stp_measure_with_unit>(again.design->findEntity(353));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(mivo_get_measure_precision_value(read), 2);
    EXPECT_DOUBLE_EQ(mivo_get_measure_lower_limit_value(read, nuskunit_mm), 51.9);
    // Another item that shares the format qualifier got none of it.
    auto* other = nusk_cast<stp_measure_with_unit>(again.design->findEntity(357));
    EXPECT_EQ(mivo_get_measure_precision_value(other), NUSK_NULL_INTEGER);
    EXPECT_EQ(mivo_get_measure_lower_limit_value(other, nuskunit_mm), NUSK_NULL_REAL);
    delete again.design;
    delete r.design;
}

}  // namespace
