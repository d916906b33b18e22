// Marks to a depth through aggregates and selects, the export test, and marks over a whole design.
#include "split_fixture.h"

#include "nusk/part21.h"

#include <climits>
#include <memory>
#include <string>

namespace {

using Marks = SplitFixture;

TEST_F(Marks, DepthCountsEachHopIntoAndOutOfAnAggregate) {
    // rep -> items (aggregate) -> line -> points (aggregate) -> point: the points are four hops away.
    mivo_split_mark_needed(rep, 3);
    EXPECT_TRUE(mivo_split_is_needed(rep));
    EXPECT_TRUE(mivo_split_is_needed(line));
    EXPECT_TRUE(mivo_split_is_needed(context));
    EXPECT_FALSE(mivo_split_is_needed(p[0]));

    mivo_split_delete_all_marks(&design);
    mivo_split_mark_needed(rep, 4);
    for (auto* q : p) EXPECT_TRUE(mivo_split_is_needed(q));
}

TEST_F(Marks, DepthZeroMarksTheObjectAloneAndOneWhatItHoldsDirectly) {
    mivo_split_mark_needed(rep, 0);
    EXPECT_TRUE(mivo_split_is_needed(rep));
    EXPECT_FALSE(mivo_split_is_needed(context));
    EXPECT_FALSE(mivo_split_is_needed(line));

    mivo_split_mark_ignorable(rep, 1);
    EXPECT_TRUE(mivo_split_is_ignorable(context));   // held directly
    EXPECT_FALSE(mivo_split_is_ignorable(line));     // an element of the items: one hop more
    EXPECT_FALSE(mivo_split_is_needed(context));     // the two marks are independent
}

TEST_F(Marks, ASelectCostsNoDepthAndMarksWhatItHolds) {
    // context -> units (aggregate) -> select -> unit: two hops, the select free.
    mivo_split_mark_needed(context, 2);
    EXPECT_TRUE(mivo_split_is_needed(unitEntity()));
    EXPECT_TRUE(mivo_split_is_needed(unitSelect));  // asked of a select: the object it holds

    mivo_split_mark_ignorable(unitSelect, 0);
    EXPECT_TRUE(mivo_split_is_ignorable(unitEntity()));
    EXPECT_EQ(MivoMgrSplitStatus::find(unitSelect), nullptr);  // selects carry no status
}

TEST_F(Marks, AnObjectMarkedBeforeIsNotWalkedAgainWhateverTheDepth) {
    mivo_split_mark_needed(line, 0);
    mivo_split_mark_needed(line, UINT_MAX);
    EXPECT_FALSE(mivo_split_is_needed(p[0]));
    // From above the line, the walk stops at it as well.
    mivo_split_mark_needed(rep, UINT_MAX);
    EXPECT_TRUE(mivo_split_is_needed(context));
    EXPECT_FALSE(mivo_split_is_needed(p[0]));
}

TEST_F(Marks, TheLargestDepthMarksEverythingReachableAndNothingElse) {
    mivo_split_mark_needed(rep, UINT_MAX);
    for (auto* q : p) EXPECT_TRUE(mivo_split_is_needed(q));
    EXPECT_TRUE(mivo_split_is_needed(unitEntity()));
    EXPECT_FALSE(mivo_split_is_needed(layer));  // refers to the points; nothing refers to it
}

TEST_F(Marks, ALongChainIsMarkedWithoutExhaustingTheStack) {
    // Each representation relates to the next: a chain far deeper than a recursive walk could follow.
    stp_representation* first = nullptr;
    stp_representation* previous = nullptr;
    const int kLength = 200000;
    for (int i = 0; i < kLength; ++i) {
        auto* r = new (&design) stp_representation();
        r->items(new (&design) SetOfstp_representation_item());
        if (previous) {
            auto* link = new (&design) stp_mapped_item();
            auto* map = new (&design) stp_representation_map();
            map->mapped_representation(r);
            link->mapping_source(map);
            previous->items()->add(link);
        }
        if (!first) first = r;
        previous = r;
    }
    mivo_split_mark_needed(first, UINT_MAX);
    EXPECT_TRUE(mivo_split_is_needed(previous));
}

TEST_F(Marks, TheExportTestFollowsTheMarksAndTheGlobalSwitch) {
    mivo_split_mark_ignorable(p[1], 0);
    mivo_split_mark_needed(p[2], 0);
    mivo_split_mark_ignorable(p[2], 0);
    // Unmarked: exported; ignorable only: not; needed and ignorable: needed wins.
    EXPECT_EQ(mivo_split_is_export(p[0]), 1);
    EXPECT_EQ(mivo_split_is_export(p[1]), 0);
    EXPECT_EQ(mivo_split_is_export(p[2]), 1);
    MivoMgrSplitStatus::export_only_needed = 1;
    EXPECT_EQ(mivo_split_is_export(p[0]), 0);
    EXPECT_EQ(mivo_split_is_export(p[1]), 0);
    EXPECT_EQ(mivo_split_is_export(p[2]), 1);
    // A select is tested by what it holds; an empty one is not exported.
    auto* empty = new (&design) stp_layered_item();
    EXPECT_EQ(mivo_split_is_export(layer->assigned_items()->get(2)), 1);
    EXPECT_EQ(mivo_split_is_export(empty), 0);
}

TEST_F(Marks, HasExportByAttributeLooksIntoAggregatesOfObjectsOnly) {
    MivoMgrSplitStatus::export_only_needed = 1;
    NuskAttribute* items = layer->domain()->findTypeAttribute("assigned_items");
    NuskAttribute* coordinates = p[0]->domain()->findTypeAttribute("coordinates");
    NuskAttribute* name = layer->domain()->findTypeAttribute("name");
    EXPECT_EQ(mivo_split_has_export(layer, items), 0);
    mivo_split_mark_needed(p[1], 0);
    EXPECT_EQ(mivo_split_has_export(layer, items), 1);  // one element, through its select
    EXPECT_EQ(mivo_split_has_export(p[0], coordinates), 0);  // reals: no object can be exported
    EXPECT_EQ(mivo_split_has_export(layer, name), 0);  // a plain attribute
    EXPECT_EQ(mivo_split_has_export(line, line->domain()->findTypeAttribute("points")), 1);
    mivo_split_mark_needed(layer, 0);
    EXPECT_EQ(mivo_split_has_export(layer, name), 0);  // the plain attribute is refused before the object counts
}

TEST_F(Marks, HasExportByNameReportsANameTheTypeLacksUnlessTheObjectIsExported) {
    MivoMgrSplitStatus::export_only_needed = 1;
    int result = -1;
    EXPECT_EQ(stdoutOf([&] { result = mivo_split_has_export(layer, "no_such"); }),
              "ERROR: no attribute presentation_layer_assignment.no_such\n");
    EXPECT_EQ(result, 0);
    mivo_split_mark_needed(p[0], 0);
    EXPECT_EQ(stdoutOf([&] { result = mivo_split_has_export(layer, "assigned_items"); }), "");
    EXPECT_EQ(result, 1);
    mivo_split_mark_needed(layer, 0);
    EXPECT_EQ(stdoutOf([&] { result = mivo_split_has_export(layer, "no_such"); }), "");
    EXPECT_EQ(result, 1);
}

TEST_F(Marks, HasExportOverAllAttributesFindsAnyExportedValue) {
    MivoMgrSplitStatus::export_only_needed = 1;
    EXPECT_EQ(mivo_split_has_export(rep, static_cast<const char*>(nullptr)), 0);
    mivo_split_mark_needed(context, 0);
    EXPECT_EQ(mivo_split_has_export(rep, static_cast<const char*>(nullptr)), 1);
    MivoMgrSplitStatus::export_only_needed = 0;
    mivo_split_delete_all_marks(&design);
    mivo_split_mark_ignorable(line, 0);
    mivo_split_mark_ignorable(context, 0);
    mivo_split_mark_ignorable(rep, 0);
    EXPECT_EQ(mivo_split_has_export(rep, static_cast<const char*>(nullptr)), 0);
}

TEST_F(Marks, ClearingNeededIgnoresWhatWasPresentWhenTrimmed) {
    mivo_split_all_trimmed(&design);
    mivo_split_mark_needed(rep, UINT_MAX);
    stp_cartesian_point* later = SplitFixture::point(&design, 9);
    mivo_split_mark_needed(later, 0);
    mivo_split_mark_ignorable(later, 0);
    stp_cartesian_point* unmarked = SplitFixture::point(&design, 10);
    mivo_split_clear_needed_and_ignore_trimmed(&design);
    for (NuskObject* obj : {static_cast<NuskObject*>(rep), static_cast<NuskObject*>(layer), unitEntity()}) {
        EXPECT_TRUE(mivo_split_is_ignorable(obj));
        EXPECT_FALSE(mivo_split_is_needed(obj));
    }
    EXPECT_FALSE(mivo_split_is_needed(later));
    EXPECT_FALSE(mivo_split_is_ignorable(later));
    EXPECT_EQ(MivoMgrSplitStatus::find(unmarked), nullptr);  // none is created
}

TEST_F(Marks, BulkMarksCoverTheirDomainAndDeletingRemovesOnlyTheStatus) {
    mivo_split_all_ignorable(&design, nusktype_stp_cartesian_point);
    for (auto* q : p) EXPECT_TRUE(mivo_split_is_ignorable(q));
    EXPECT_FALSE(mivo_split_is_ignorable(line));
    mivo_split_all_ignorable(&design, nullptr);
    EXPECT_TRUE(mivo_split_is_ignorable(layer));

    mivo_split_delete_all_marks(&design);
    mivo_split_all_deep_ignorable(&design, nusktype_stp_polyline, 1);
    EXPECT_TRUE(mivo_split_is_ignorable(line));
    EXPECT_FALSE(mivo_split_is_ignorable(p[0]));  // the points are two hops from the line

    auto* product = new MivoMgrSplitProduct();
    product->number = 7;
    rep->add_manager(product);
    mivo_split_mark_needed(rep, UINT_MAX);
    mivo_split_delete_all_marks(&design);
    for (NuskObject* obj : {static_cast<NuskObject*>(rep), static_cast<NuskObject*>(line), unitEntity()}) {
        EXPECT_FALSE(mivo_split_is_needed(obj));
        EXPECT_FALSE(mivo_split_is_ignorable(obj));
    }
    ASSERT_NE(MivoMgrSplitProduct::find(rep), nullptr);
    EXPECT_EQ(MivoMgrSplitProduct::find(rep)->number, 7);
}

// An instance of a type the schema lacks keeps its references beside its text: marking it marks them, so that an
// extract that needs it takes what it refers to along.
/// A file of the given data section, read.
NuskReadResult readData(const std::string& data) {
    const std::string text =
        "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('d'),'2;1');\nFILE_NAME('n','t',(''),(''),'','sys','');\n"
        "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF'));\nENDSEC;\nDATA;\n" +
        data + "ENDSEC;\nEND-ISO-10303-21;\n";
    return nusk_read_step_text(text.data(), text.size());
}

TEST(MarksOfUnknownTypes, AnInstanceKeptAsReadMarksWhatItRefersTo) {
    NuskReadResult read = readData(
        "#1=SOMETHING_NEW('x',(#2,#3));\n#2=CARTESIAN_POINT('',(0.,0.,0.));\n#3=DIRECTION('',(0.,0.,1.));\n"
        "#4=CARTESIAN_POINT('',(1.,0.,0.));\n");
    std::unique_ptr<NuskDesign> design(read.design);
    ASSERT_NE(design, nullptr);
    ASSERT_EQ(read.rawCount, 1u);
    mivo_split_mark_needed(design->findEntity(1), 1);
    EXPECT_TRUE(mivo_split_is_needed(design->findEntity(1)));
    EXPECT_TRUE(mivo_split_is_needed(design->findEntity(2)));
    EXPECT_TRUE(mivo_split_is_needed(design->findEntity(3)));
    EXPECT_FALSE(mivo_split_is_needed(design->findEntity(4)));
}

// A record that does not fit its type is read as that type and written back as read: a reference only its kept
// record holds (here the extra parameter #3) is still needed by whoever takes it.
TEST(MarksOfUnknownTypes, AMisfitRecordMarksWhatOnlyItsKeptRecordRefersTo) {
    std::unique_ptr<NuskDesign> design(readData("#1=AXIS1_PLACEMENT('',#2,$,#3);\n#2=CARTESIAN_POINT('',(0.,0.,0.));\n"
                                                "#3=DIRECTION('',(0.,0.,1.));\n")
                                           .design);
    ASSERT_NE(design, nullptr);
    NuskObject* placement = design->findEntity(1);
    ASSERT_TRUE(placement->hasOriginalRecord());
    ASSERT_EQ(placement->originalRecordReferences().size(), 2u);
    mivo_split_mark_needed(placement, 1);
    EXPECT_TRUE(mivo_split_is_needed(design->findEntity(2)));
    EXPECT_TRUE(mivo_split_is_needed(design->findEntity(3)));
}

}  // namespace
