// The assembly pass: what it records for each way a product is built into another, and what it reports (and
// still records) when the data contradicts itself.
#include "asm_helpers.h"

#include <gtest/gtest.h>

namespace {

NuskObject* obj(NuskObject* o) { return o; }

template <class V>
std::vector<NuskObject*> entries(const V& v) {
    std::vector<NuskObject*> out;
    for (unsigned i = 0; i < v.size(); ++i) out.push_back(v.get(i));
    return out;
}

MivoMgrAsmRelation* linkOf(NuskObject* usage) { return MivoMgrAsmRelation::find(usage); }

std::string id(NuskObject* o) { return std::to_string(o->entity_id()); }

struct Tagging : AsmFixture, ::testing::Test {};

// ---- the three ways ----

TEST_F(Tagging, AUsageWithARelationshipLinksTheTwoShapes) {
    Product parent = product("parent"), child = product("child");
    Usage u = useByRelationship(parent, child, moved(1, 2, 3), moved(4, 5, 6));
    tag();
    const MivoMgrAsmProduct* p = MivoMgrAsmProduct::find(parent.pd);
    const MivoMgrAsmProduct* c = MivoMgrAsmProduct::find(child.pd);
    ASSERT_TRUE(p && c);
    EXPECT_EQ(entries(p->child_nauos), std::vector<NuskObject*>{u.nauo});
    EXPECT_EQ(entries(c->parent_nauos), std::vector<NuskObject*>{u.nauo});
    EXPECT_FALSE(p->is_child);
    EXPECT_TRUE(c->is_child);
    EXPECT_FALSE(c->is_mapped_child);
    EXPECT_EQ(entries(p->shapes), std::vector<NuskObject*>{parent.shape});

    const MivoMgrAsmRelation* link = linkOf(u.rel);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->nauo, u.nauo);
    EXPECT_FALSE(link->reversed);
    EXPECT_EQ(obj(link->child_rep), obj(child.shape));
    EXPECT_EQ(obj(link->parent_rep), obj(parent.shape));
    // Not reversed: the origin is transform_item_1, in the child's shape.
    auto* t = nusk_cast(nusk_get_nested_object(dynamic_cast<stp_representation_relationship_with_transformation*>(u.rel)
                                                   ->transformation_operator()),
                        nusktype_stp_item_defined_transformation);
    EXPECT_EQ(link->origin, t->transform_item_1());
    EXPECT_EQ(link->target, t->transform_item_2());
    EXPECT_EQ(entries(link->root_products), std::vector<NuskObject*>{parent.pd});

    EXPECT_EQ(entries(MivoMgrAsmShapeRep::find(parent.shape)->child_rels), std::vector<NuskObject*>{u.rel});
    EXPECT_EQ(entries(MivoMgrAsmShapeRep::find(child.shape)->parent_rels), std::vector<NuskObject*>{u.rel});
    EXPECT_EQ(entries(MivoMgrAsmShapeRep::find(child.shape)->products), std::vector<NuskObject*>{child.pd});
    EXPECT_EQ(entries(MivoMgrAsmShapeRep::find(child.shape)->shape_def_reps), std::vector<NuskObject*>{child.sdr});
    EXPECT_EQ(entries(MivoMgrAsmShapeRep::find(child.shape)->root_products), std::vector<NuskObject*>{parent.pd});
}

TEST_F(Tagging, ARelationshipFromTheParentsShapeIsReversedWithItsItemsSwapped) {
    Product parent = product("parent"), child = product("child");
    Usage u = useByRelationship(parent, child, moved(1, 0, 0), moved(0, 1, 0), /*reversed=*/true);
    tag();
    const MivoMgrAsmRelation* link = linkOf(u.rel);
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->reversed);
    EXPECT_EQ(link->nauo, u.nauo);
    EXPECT_EQ(obj(link->parent_rep), obj(parent.shape));
    EXPECT_EQ(obj(link->child_rep), obj(child.shape));
    // The origin still lies in the child's shape: transform_item_2 here.
    ASSERT_NE(link->origin, nullptr);
    EXPECT_EQ(MivoMgrAsmShapeRep::find(child.shape)->placement, nullptr);  // every placement is used
    NuskXform origin;
    mivo_xform_put(origin, nusk_cast(obj(link->origin), nusktype_stp_axis2_placement_3d));
    EXPECT_EQ(origin[12], 1.0);
    EXPECT_EQ(entries(MivoMgrAsmShapeRep::find(parent.shape)->child_rels), std::vector<NuskObject*>{u.rel});
}

TEST_F(Tagging, AUsageWithAMappedItemLinksTheUsagesShapeToTheChilds) {
    Product parent = product("parent"), child = product("child");
    Usage u = useByMappedItem(parent, child, moved(1, 0, 0), moved(2, 0, 0));
    tag();
    const MivoMgrAsmRelation* link = linkOf(u.item);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->nauo, u.nauo);
    EXPECT_FALSE(link->reversed);
    EXPECT_EQ(obj(link->parent_rep), obj(u.rep));
    EXPECT_EQ(obj(link->child_rep), obj(child.shape));
    EXPECT_EQ(link->origin, u.item->mapping_source()->mapping_origin());
    EXPECT_EQ(link->target, u.item->mapping_target());
    EXPECT_EQ(entries(MivoMgrAsmShapeRep::find(u.rep)->child_mapped_items), std::vector<NuskObject*>{u.item});
    EXPECT_EQ(entries(MivoMgrAsmShapeRep::find(child.shape)->parent_mapped_items), std::vector<NuskObject*>{u.item});
    EXPECT_TRUE(MivoMgrAsmProduct::find(child.pd)->is_child);
    EXPECT_FALSE(MivoMgrAsmProduct::find(child.pd)->is_mapped_child);
}

TEST_F(Tagging, ShapesLinkedWithoutAUsageTakeTheProductsShapeAsParentAndStayRoots) {
    Product parent = product("parent"), child = product("child");
    auto* rel = linkShapes(parent.shape, child.shape, moved(0, 0, 1), moved(0, 0, 2));
    CaughtMessages caught;
    tag();
    const MivoMgrAsmRelation* link = linkOf(rel);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->nauo, nullptr);
    EXPECT_FALSE(link->reversed);  // found from the parent's shape, its rep_2
    EXPECT_EQ(obj(link->parent_rep), obj(parent.shape));
    EXPECT_TRUE(caught.warnings.empty()) << caught.warnings.front();  // not an orphan
    // No usage makes the child a child.
    EXPECT_FALSE(MivoMgrAsmProduct::find(child.pd)->is_child);
}

TEST_F(Tagging, ARelationshipNoProductReachesIsAnOrphanWithRep1AsParent) {
    stp_shape_representation* a = shape(nuskunit_mm, "a");
    stp_shape_representation* b = shape(nuskunit_mm, "b");
    auto* rel = relationship(a, b, placement(a), placement(b));
    CaughtMessages caught;
    tag();
    EXPECT_EQ(caught.warnings, std::vector<std::string>{"Adding orphan shape rep rel " + id(rel)});
    const MivoMgrAsmRelation* link = linkOf(rel);
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->reversed);
    EXPECT_EQ(obj(link->parent_rep), obj(a));
    EXPECT_EQ(obj(link->child_rep), obj(b));
    EXPECT_EQ(link->nauo, nullptr);
    // Reversed, so the origin is transform_item_2, the placement in b.
    EXPECT_EQ(obj(link->origin), obj(b->items()->get(0)));
}

TEST_F(Tagging, AProductOnlyMappedIsAChildWithoutUsages) {
    Product parent = product("parent"), child = product("child");
    stp_mapped_item* item = mapInto(parent, child);
    tag();
    const MivoMgrAsmProduct* c = MivoMgrAsmProduct::find(child.pd);
    EXPECT_TRUE(c->is_child);
    EXPECT_TRUE(c->is_mapped_child);
    EXPECT_EQ(c->parent_nauos.size(), 0u);
    const MivoMgrAsmRelation* link = linkOf(item);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->nauo, nullptr);
    EXPECT_EQ(obj(link->parent_rep), obj(parent.shape));
    StpAsmProductDefVec roots;
    mivo_find_root_products(&roots, &design);
    EXPECT_EQ(entries(roots), std::vector<NuskObject*>{parent.pd});
}

// ---- what every run leaves ----

TEST_F(Tagging, EveryProductAndShapeHasAManagerAndARunAgainGivesTheSame) {
    Product parent = product("parent"), child = product("child"), bare = product("bare", nuskunit_mm, false);
    stp_shape_representation* loose = shape(nuskunit_m, "loose");
    Usage u = useByRelationship(parent, child);
    tag();
    for (NuskObject* o : nusk_instances_of(&design, nusktype_stp_product_definition))
        EXPECT_NE(MivoMgrAsmProduct::find(o), nullptr) << o->entity_id();
    for (NuskObject* o : nusk_instances_of(&design, nusktype_stp_shape_representation))
        EXPECT_NE(MivoMgrAsmShapeRep::find(o), nullptr) << o->entity_id();
    EXPECT_EQ(MivoMgrAsmProduct::find(bare.pd)->shapes.size(), 0u);
    EXPECT_NE(MivoMgrAsmShapeRep::find(loose), nullptr);

    mivo_tag_asms(&design);  // dropped and recorded afresh, not added to
    EXPECT_EQ(entries(MivoMgrAsmProduct::find(parent.pd)->child_nauos), std::vector<NuskObject*>{u.nauo});
    EXPECT_EQ(entries(MivoMgrAsmProduct::find(parent.pd)->shapes), std::vector<NuskObject*>{parent.shape});
    EXPECT_EQ(entries(MivoMgrAsmShapeRep::find(parent.shape)->child_rels), std::vector<NuskObject*>{u.rel});
    EXPECT_EQ(entries(linkOf(u.rel)->root_products), std::vector<NuskObject*>{parent.pd});
    EXPECT_EQ(entries(MivoMgrAsmShapeRep::find(child.shape)->products), std::vector<NuskObject*>{child.pd});
}

TEST_F(Tagging, AUsageWithoutProductDefinitionsAddsNothing) {
    Product parent = product("parent"), child = product("child");
    Usage u = useByRelationship(parent, child);
    // The relating product is a reference to a product defined elsewhere.
    auto* elsewhere = new (&design) stp_product_definition_reference();
    nusk_put_nested_object(u.nauo->relating_product_definition(), elsewhere);
    tag();
    EXPECT_EQ(MivoMgrAsmProduct::find(parent.pd)->child_nauos.size(), 0u);
    EXPECT_EQ(MivoMgrAsmProduct::find(child.pd)->parent_nauos.size(), 0u);
    EXPECT_FALSE(MivoMgrAsmProduct::find(child.pd)->is_child);
    // Its relationship is found from the parent's shape as a link without usage.
    ASSERT_NE(linkOf(u.rel), nullptr);
    EXPECT_EQ(linkOf(u.rel)->nauo, nullptr);
}

TEST_F(Tagging, TheFirstUnusedPlacementIsTheRepsAndEachFurtherOneIsReported) {
    Product part = product("part");
    stp_axis2_placement_3d* first = placement(part.shape, moved(1, 0, 0));
    stp_axis2_placement_3d* second = placement(part.shape, moved(2, 0, 0));
    stp_axis2_placement_3d* third = placement(part.shape, moved(3, 0, 0));
    CaughtMessages caught;
    tag();
    EXPECT_EQ(MivoMgrAsmShapeRep::find(part.shape)->placement, first);
    EXPECT_EQ(caught.warnings,
              (std::vector<std::string>{"Rep #" + id(part.shape) + " has multiple unused placements (#" + id(second) + ")",
                                        "Rep #" + id(part.shape) + " has multiple unused placements (#" + id(third) + ")"}));
}

// ---- a child below the representation the usage names ----

TEST_F(Tagging, AUsageReachesItsChildThroughAChainOfRelationships) {
    Product parent = product("parent"), child = product("child");
    stp_shape_representation* between = shape(nuskunit_mm, "between");
    Usage u;
    u.nauo = nauo(parent, child);
    u.pds = propertyOf(u.nauo);
    auto* outer = relationship(between, parent.shape, placement(between), placement(parent.shape, moved(10, 0, 0)));
    cdsr(outer, u.pds);
    auto* inner = relationship(child.shape, between, placement(child.shape), placement(between, moved(0, 5, 0)));
    CaughtMessages caught;
    tag();
    EXPECT_EQ(caught.warnings, std::vector<std::string>{"No child found for NAUO #" + id(u.nauo)});
    ASSERT_TRUE(linkOf(outer) && linkOf(inner));
    EXPECT_EQ(linkOf(outer)->nauo, u.nauo);
    EXPECT_EQ(linkOf(inner)->nauo, u.nauo);
    EXPECT_EQ(obj(linkOf(inner)->parent_rep), obj(between));
    EXPECT_EQ(obj(linkOf(inner)->child_rep), obj(child.shape));
    const std::vector<MivoAsmUse> uses = mivo_get_product_children(parent.pd, nuskunit_mm);
    ASSERT_EQ(uses.size(), 1u);
    EXPECT_EQ(uses[0].link, obj(inner));
    EXPECT_EQ(uses[0].xform[12], 10.0);
    EXPECT_EQ(uses[0].xform[13], 5.0);
}

TEST_F(Tagging, TheSearchBelowAUsageEndsOnACycleOfRepresentations) {
    Product parent = product("parent"), child = product("child");
    stp_shape_representation* a = shape(nuskunit_mm, "a");
    stp_shape_representation* b = shape(nuskunit_mm, "b");
    Usage u;
    u.nauo = nauo(parent, child);
    u.pds = propertyOf(u.nauo);
    cdsr(relationship(a, parent.shape, placement(a), placement(parent.shape)), u.pds);
    relationship(b, a, placement(b), placement(a));  // a below the parent's relationship, b below a,
    relationship(a, b, placement(a), placement(b));  // and a below b again; the child's shape is never reached
    CaughtMessages caught;
    tag();
    EXPECT_TRUE(caught.has("No child found for NAUO #" + id(u.nauo)));
    // The cycle is tagged afterwards from the parent's shape, without the usage.
    const std::vector<MivoAsmUse> uses = mivo_get_product_children(parent.pd, nuskunit_mm);
    ASSERT_EQ(uses.size(), 1u);
    EXPECT_EQ(uses[0].child, child.pd);
}

// ---- contradictions: reported, left without the usage's link, and the pass goes on ----

struct Contradictions : Tagging {
    Product parent = product("parent"), child = product("child");
    /// A good usage beside the faulty one, which must be tagged as usual.
    Product other = product("other");
    Usage good = useByRelationship(parent, other, moved(1, 0, 0), moved(2, 0, 0), false, "good");

    void expectGoodUsageTagged() {
        ASSERT_NE(linkOf(good.rel), nullptr);
        EXPECT_EQ(linkOf(good.rel)->nauo, good.nauo);
        EXPECT_TRUE(MivoMgrAsmProduct::find(other.pd)->is_child);
    }
    Usage usageWith(stp_shape_representation_relationship* rel) {
        Usage u;
        u.nauo = nauo(parent, child, "bad");
        u.pds = propertyOf(u.nauo);
        u.rel = rel;
        cdsr(rel, u.pds);
        return u;
    }
};

TEST_F(Contradictions, ARelationshipWithoutTheParentsShapeIsReportedInThreeLines) {
    stp_shape_representation* elsewhere = shape(nuskunit_mm, "elsewhere");
    Usage bad = usageWith(relationship(child.shape, elsewhere, placement(child.shape), placement(elsewhere)));
    CaughtMessages caught;
    tag();
    EXPECT_EQ(caught.errors, (std::vector<std::string>{
                                 "Assembly sanity check failed: No parent rep=#" + id(child.shape) + " rep2=#" + id(elsewhere),
                                 "nauo=#" + id(bad.nauo) + " rel=#" + id(bad.rel),
                                 "parent=0 child=1 0",
                             }));
    // Left to the orphan phase: linked, but not for the usage.
    ASSERT_NE(linkOf(bad.rel), nullptr);
    EXPECT_EQ(linkOf(bad.rel)->nauo, nullptr);
    EXPECT_TRUE(MivoMgrAsmProduct::find(child.pd)->is_child);  // the usage itself still counts
    expectGoodUsageTagged();
}

TEST_F(Contradictions, ARelationshipBetweenTwoShapesOfTheChildIsReported) {
    stp_shape_representation* second = shape(nuskunit_mm, "second");
    shapeOf(child.pds, second);
    Usage bad = usageWith(relationship(child.shape, second, placement(child.shape), placement(second)));
    // Neither end is the parent's: the first check fails before the second is made.
    CaughtMessages caught;
    tag();
    ASSERT_FALSE(caught.errors.empty());
    EXPECT_EQ(caught.errors.front().rfind("Assembly sanity check failed: No parent", 0), 0u);
    EXPECT_EQ(linkOf(bad.rel)->nauo, nullptr);
    expectGoodUsageTagged();

    // With the parent's shape at one end, both children's ends are the child's: the second check.
    Product twin = product("twin");
    stp_shape_representation* twinShape = shape(nuskunit_mm, "twin second");
    shapeOf(twin.pds, twinShape);
    shapeOf(parent.pds, twinShape);
    Usage both;
    both.nauo = nauo(parent, twin, "both");
    both.pds = propertyOf(both.nauo);
    both.rel = relationship(twin.shape, twinShape, placement(twin.shape), placement(twinShape));
    cdsr(both.rel, both.pds);
    CaughtMessages again;
    mivo_tag_asms(&design);
    EXPECT_TRUE(again.has("Assembly sanity check failed: Have are children.")) << again.errors.size();
    EXPECT_EQ(linkOf(both.rel)->nauo, nullptr);
    expectGoodUsageTagged();
}

TEST_F(Contradictions, AChildBelowTheFarEndOfAReversedRelationshipIsNotSearched) {
    stp_shape_representation* between = shape(nuskunit_mm, "between");
    Usage bad = usageWith(relationship(parent.shape, between, placement(parent.shape), placement(between)));
    relationship(child.shape, between, placement(child.shape), placement(between));
    CaughtMessages caught;
    tag();
    EXPECT_TRUE(caught.has("No child found for NAUO #" + id(bad.nauo)));
    EXPECT_TRUE(caught.has("process_asm_rep_rel: not yet implemented"));
    ASSERT_NE(linkOf(bad.rel), nullptr);
    EXPECT_EQ(linkOf(bad.rel)->nauo, nullptr);
    expectGoodUsageTagged();
}

TEST_F(Contradictions, AMappedItemClaimedByTwoUsagesKeepsTheFirst) {
    Usage first = useByMappedItem(parent, child, NuskXform(), NuskXform(), "first");
    Usage second;
    second.nauo = nauo(parent, child, "second");
    second.pds = propertyOf(second.nauo);
    shapeOf(second.pds, first.rep);  // the same shape, so the same mapped item
    CaughtMessages caught;
    tag();
    EXPECT_EQ(caught.errors, std::vector<std::string>{"Found duplicate mapped item in assembly"});
    EXPECT_EQ(linkOf(first.item)->nauo, first.nauo);
    expectGoodUsageTagged();
}

TEST_F(Contradictions, ARelationshipNamedByTwoUsagesIsRecordedOnce) {
    Usage second;
    second.nauo = nauo(parent, other, "again");
    second.pds = propertyOf(second.nauo);
    cdsr(good.rel, second.pds);
    CaughtMessages caught;
    tag();
    EXPECT_EQ(caught.errors, std::vector<std::string>{"Shape rep already has an assembly mgr"});
    EXPECT_EQ(MivoMgrAsmShapeRep::find(parent.shape)->child_rels.size(), 1u);
    expectGoodUsageTagged();
}

TEST_F(Contradictions, TransformationsThePassCannotReadAreReported) {
    auto* missing = relationship(child.shape, parent.shape, placement(child.shape), placement(parent.shape));
    dynamic_cast<stp_representation_relationship_with_transformation*>(missing)->transformation_operator(nullptr);
    usageWith(missing);
    Product third = product("third");
    auto* unknown = relationship(third.shape, parent.shape, placement(third.shape), placement(parent.shape));
    auto* op = new (&design) stp_transformation();
    auto* functional = new (&design) stp_functionally_defined_transformation();
    functional->name("");
    nusk_put_nested_object(op, functional);
    dynamic_cast<stp_representation_relationship_with_transformation*>(unknown)->transformation_operator(op);
    Usage u;
    u.nauo = nauo(parent, third, "functional");
    cdsr(unknown, propertyOf(u.nauo));
    CaughtMessages caught;
    tag();
    EXPECT_TRUE(caught.has("Could not find assembly transform"));
    EXPECT_TRUE(caught.has("Unknown transformation type: functionally_defined_transformation"));
    // Linked all the same, without placements: the identity.
    ASSERT_TRUE(linkOf(missing) && linkOf(unknown));
    EXPECT_EQ(linkOf(unknown)->nauo, u.nauo);
    EXPECT_EQ(linkOf(unknown)->origin, nullptr);
    expectGoodUsageTagged();
}

TEST_F(Contradictions, AShapeDefinitionOfAnotherKindOfRepresentationIsReported) {
    auto* drawing = new (&design) stp_representation();
    drawing->name("not a shape");
    drawing->context_of_items(context(nuskunit_mm));
    stp_shape_definition_representation* sdr = shapeOf(propertyOf(child.pd), drawing);
    CaughtMessages caught;
    tag();
    EXPECT_TRUE(caught.has("#" + id(sdr) + " does not reference a shape rep"));
    EXPECT_EQ(entries(MivoMgrAsmProduct::find(child.pd)->shapes), std::vector<NuskObject*>{child.shape});
    expectGoodUsageTagged();
}

TEST_F(Contradictions, LinksMissingAnEndPlaceNothing) {
    stp_shape_representation* lone = shape(nuskunit_mm, "lone");
    auto* rel = plainRelationship(lone, nullptr);
    auto* map = new (&design) stp_representation_map();
    auto* item = new (&design) stp_mapped_item();
    item->mapping_source(map);  // a map that shows nothing
    addItem(lone, item);
    auto* sourceless = new (&design) stp_mapped_item();
    addItem(lone, sourceless);
    CaughtMessages caught;
    tag();
    EXPECT_TRUE(caught.has("Shape rep rel #" + id(rel) + " lacks a representation at one end: it places nothing"));
    EXPECT_TRUE(caught.has("Mapped item #" + id(sourceless) + " has no mapping source: it places nothing"));
    EXPECT_EQ(linkOf(rel), nullptr);
    ASSERT_NE(linkOf(item), nullptr);
    EXPECT_EQ(linkOf(item)->child_rep, nullptr);
    const NuskXform x = mivo_get_shape_usage_xform(item, nuskunit_mm);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(x[i], NuskXform()[i]) << i;
    expectGoodUsageTagged();
}

}  // namespace
