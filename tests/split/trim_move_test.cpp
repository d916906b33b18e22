// Trimmed temporaries, their restoring, and the three moves between designs.
#include "split_fixture.h"

#include "nusk/lifetime.h"

#include <climits>

namespace {

using Trim = SplitFixture;

std::vector<NuskObject*> elementsOf(NuskAggregate* a, bool seeThroughSelects = false) {
    std::vector<NuskObject*> out;
    for (unsigned i = 0; i < a->size(); ++i) {
        NuskObject* e = a->getObject(i);
        out.push_back(seeThroughSelects ? nusk_get_nested_object(static_cast<NuskUnion*>(e)) : e);
    }
    return out;
}

TEST_F(Trim, TheTemporaryHoldsExactlyTheExportedElementsInTheirOrder) {
    ListOfstp_cartesian_point* source = line->points();
    mivo_split_mark_ignorable(p[1], 0);
    mivo_split_trim_for_export(line, "points");
    auto* temporary = line->points();
    ASSERT_NE(temporary, source);
    EXPECT_EQ(temporary->domain(), source->domain());
    EXPECT_EQ(elementsOf(temporary), (std::vector<NuskObject*>{p[0], p[2]}));
    EXPECT_EQ(elementsOf(source), (std::vector<NuskObject*>{p[0], p[1], p[2]}));  // unchanged
    ASSERT_NE(MivoMgrSplitTmpObj::find(temporary), nullptr);
    EXPECT_EQ(MivoMgrSplitTmpObj::find(temporary)->source, source);

    MivoMgrSplitStatus::export_only_needed = 1;
    mivo_split_mark_needed(p[2], 0);
    mivo_split_trim_for_export(line, "points");  // trims the temporary in turn: needed alone pass now
    EXPECT_EQ(elementsOf(line->points()), (std::vector<NuskObject*>{p[2]}));
    EXPECT_EQ(MivoMgrSplitTmpObj::find(line->points())->source, temporary);
}

TEST_F(Trim, SelectsStayThemselvesAndAreTestedByWhatTheyHold) {
    SetOfstp_layered_item* source = layer->assigned_items();
    mivo_split_mark_ignorable(p[0], 0);
    mivo_split_trim_for_export(layer, "assigned_items");
    EXPECT_EQ(elementsOf(layer->assigned_items()), (std::vector<NuskObject*>{source->get(1), source->get(2)}));
    // Nothing passes: the attribute holds an empty temporary.
    MivoMgrSplitStatus::export_only_needed = 1;
    mivo_split_trim_for_export(layer, "assigned_items");
    EXPECT_EQ(layer->assigned_items()->size(), 0u);
}

TEST_F(Trim, ASelectHoldingAPlainValueIsKept) {
    // A trimming point given by a point and by a parameter: the parameter holds no object to test, and
    // dropping it for that would lose it from the written file.
    auto* curve = new (&design) stp_trimmed_curve();
    curve->trim_1(new (&design) SetOfstp_trimming_select());
    auto* byPoint = new (&design) stp_trimming_select();
    nusk_put_nested_object(byPoint, p[0]);
    auto* byParameter = new (&design) stp_trimming_select();
    byParameter->_parameter_value(0.5);
    curve->trim_1()->add(byPoint);
    curve->trim_1()->add(byParameter);
    mivo_split_mark_ignorable(p[0], 0);
    mivo_split_trim_for_export(curve, "trim_1");
    EXPECT_EQ(elementsOf(curve->trim_1()), (std::vector<NuskObject*>{byParameter}));
}

TEST_F(Trim, ObjectsAndPlainValuesAreLeftAlone) {
    NuskObject* context0 = rep->context_of_items();
    mivo_split_trim_for_export(rep, "context_of_items");  // holds an entity, not an aggregate
    EXPECT_EQ(rep->context_of_items(), context0);
    ListOfDouble* coordinates = p[0]->coordinates();
    mivo_split_trim_for_export(p[0], "coordinates");  // reals: nothing to test, nothing to read as objects
    EXPECT_EQ(p[0]->coordinates(), coordinates);
    EXPECT_EQ(coordinates->size(), 3u);
    mivo_split_trim_for_export(static_cast<NuskObject*>(nullptr), "points");
}

TEST_F(Trim, AnAttributeTheTypeLacksIsReportedOncePerObject) {
    auto* other = new (&design) stp_polyline();
    other->name("other");
    other->points(new (&design) ListOfstp_cartesian_point());
    other->points()->add(p[0]);
    mivo_split_mark_ignorable(p[0], 0);
    EXPECT_EQ(stdoutOf([&] { mivo_split_trim_for_export(p[0], "points"); }),
              "ERROR: no attribute cartesian_point.points\n");
    // Over a design, each object that lacks it says so and the walk goes on.
    const std::string said = stdoutOf([&] { mivo_split_trim_for_export(&design, nullptr, "points"); });
    EXPECT_NE(said.find("ERROR: no attribute cartesian_point.points\n"), std::string::npos);
    EXPECT_NE(said.find("ERROR: no attribute shape_representation.points\n"), std::string::npos);
    EXPECT_EQ(elementsOf(line->points()), (std::vector<NuskObject*>{p[1], p[2]}));
    EXPECT_EQ(other->points()->size(), 0u);
}

TEST_F(Trim, RestoringBringsEveryReferenceBackToItsSource) {
    ListOfstp_cartesian_point* points = line->points();
    SetOfstp_layered_item* assigned = layer->assigned_items();
    SetOfstp_representation_item* items = rep->items();
    mivo_split_mark_ignorable(p[2], 0);
    mivo_split_trim_for_export(&design, nusktype_stp_polyline, "points");
    mivo_split_trim_for_export(layer, "assigned_items");
    mivo_split_trim_for_export(rep, "items");
    ASSERT_NE(line->points(), points);
    // A substitute the application had registered is cleared too.
    stp_cartesian_point* spare = SplitFixture::point(&design, 7);
    nusk_register_substitute(spare, p[1]);
    mivo_restore_all_tmps(&design);
    EXPECT_EQ(line->points(), points);
    EXPECT_EQ(layer->assigned_items(), assigned);
    EXPECT_EQ(rep->items(), items);
    EXPECT_EQ(elementsOf(points), (std::vector<NuskObject*>{p[0], p[1], p[2]}));
    EXPECT_EQ(spare->find_manager(NUSK_SUBSTITUTE_MANAGER_TYPE), nullptr);
}

using Move = SplitFixture;

TEST_F(Move, AllInstancesOfADomainMove) {
    NuskDesign dst("dst", nusk_ap242_schema());
    mivo_move_all(&dst, &design, nusktype_stp_cartesian_point);
    for (auto* q : p) EXPECT_EQ(q->design(), &dst);
    EXPECT_EQ(line->design(), &design);
}

TEST_F(Move, ALeafMovesOnlyWhenWhatItRefersToIsAlreadyThere) {
    NuskDesign dst("dst", nusk_ap242_schema());
    auto* first = new (&design) stp_representation_map();  // mapped_representation: an entity
    first->mapped_representation(rep);
    auto* second = new (&design) stp_representation_map();
    auto* elsewhere = new (&design) stp_shape_representation();
    second->mapped_representation(elsewhere);
    rep->move(&dst, 0, 0);
    mivo_move_leaf_objs(&dst, &design, nusktype_stp_representation_map, "mapped_representation");
    EXPECT_EQ(first->design(), &dst);
    EXPECT_EQ(second->design(), &design);
    EXPECT_EQ(rep->context_of_items()->design(), &design);  // nothing further is followed
}

TEST_F(Move, ALeafThroughASelectTakesTheSelectAlong) {
    NuskDesign dst("dst", nusk_ap242_schema());
    auto* usage = new (&design) stp_next_assembly_usage_occurrence();
    auto* pd = new (&design) stp_product_definition();
    auto* related = new (&design) stp_product_definition_or_reference();
    nusk_put_nested_object(related, pd);
    usage->related_product_definition(related);
    mivo_move_leaf_objs(&dst, &design, nusktype_stp_next_assembly_usage_occurrence, "related_product_definition");
    EXPECT_EQ(usage->design(), &design);
    pd->move(&dst, 0, 0);
    mivo_move_leaf_objs(&dst, &design, nusktype_stp_next_assembly_usage_occurrence, "related_product_definition");
    EXPECT_EQ(usage->design(), &dst);
    EXPECT_EQ(related->design(), &dst);
}

TEST_F(Move, AListLeafMovesWithATemporaryOfWhatIsAlreadyThere) {
    NuskDesign dst("dst", nusk_ap242_schema());
    SetOfstp_layered_item* assigned = layer->assigned_items();
    mivo_move_listleaf_objs(&dst, &design, nusktype_stp_presentation_layer_assignment, "assigned_items");
    EXPECT_EQ(layer->design(), &design);  // none of its items is in dst: unchanged
    EXPECT_EQ(layer->assigned_items(), assigned);

    p[1]->move(&dst, 0, 0);
    mivo_move_listleaf_objs(&dst, &design, nusktype_stp_presentation_layer_assignment, "assigned_items");
    EXPECT_EQ(layer->design(), &dst);
    SetOfstp_layered_item* temporary = layer->assigned_items();
    ASSERT_NE(temporary, assigned);
    EXPECT_EQ(temporary->design(), &dst);
    EXPECT_EQ(elementsOf(temporary, true), (std::vector<NuskObject*>{p[1]}));
    EXPECT_EQ(temporary->get(0), assigned->get(1));  // the select itself, moved along
    EXPECT_EQ(assigned->get(1)->design(), &dst);
    EXPECT_EQ(assigned->design(), &design);  // the source stays
    EXPECT_EQ(MivoMgrSplitTmpObj::find(temporary)->source, assigned);
}

TEST_F(Move, AnAttributeTheDomainLacksIsReportedOncePerCall) {
    NuskDesign dst("dst", nusk_ap242_schema());
    EXPECT_EQ(stdoutOf([&] { mivo_move_leaf_objs(&dst, &design, nusktype_stp_cartesian_point, "nope"); }),
              "ERROR: no attribute cartesian_point.nope\n");
    EXPECT_EQ(stdoutOf([&] { mivo_move_listleaf_objs(&dst, &design, nusktype_stp_cartesian_point, "nope"); }),
              "ERROR: no attribute cartesian_point.nope\n");
    for (auto* q : p) EXPECT_EQ(q->design(), &design);
}

}  // namespace
