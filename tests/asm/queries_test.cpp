// The queries over the assembly records (roots, root shapes, shapes without product, what a shape usage places)
// and the accessors of the products of a product relationship.
#include "asm_helpers.h"

#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

template <class V>
std::vector<NuskObject*> entries(const V& v) {
    std::vector<NuskObject*> out;
    for (unsigned i = 0; i < v.size(); ++i) out.push_back(v.get(i));
    return out;
}

NuskObject* obj(NuskObject* o) { return o; }

struct Queries : AsmFixture, ::testing::Test {
    std::vector<NuskObject*> roots() {
        StpAsmProductDefVec out;
        mivo_find_root_products(&out, &design);
        return entries(out);
    }
    std::vector<NuskObject*> rootShapes() {
        StpAsmShapeRepVec out;
        mivo_find_root_shapes(&out, &design);
        return entries(out);
    }
    std::vector<NuskObject*> loose() {
        StpAsmShapeRepVec out;
        mivo_find_shapes_wo_product(&out, &design);
        return entries(out);
    }
};

// ---- roots and shapes ----

TEST_F(Queries, EachRootIsListedOnceWithItsShapesAndWhatItsTreeReaches) {
    Product a = product("a"), b = product("b"), a1 = product("a1"), b1 = product("b1"), shared = product("shared");
    Usage ua = useByRelationship(a, a1);
    useByRelationship(b, b1, NuskXform(), NuskXform(), true);
    Usage sa = useByRelationship(a1, shared), sb = useByRelationship(b1, shared);
    tag();
    EXPECT_EQ(roots(), (std::vector<NuskObject*>{a.pd, b.pd}));
    EXPECT_EQ(rootShapes(), (std::vector<NuskObject*>{a.shape, b.shape}));
    // A shape both roots reach lists both; each link lists the roots whose trees contain it.
    EXPECT_EQ(entries(MivoMgrAsmShapeRep::find(shared.shape)->root_products), (std::vector<NuskObject*>{a.pd, b.pd}));
    EXPECT_EQ(entries(MivoMgrAsmRelation::find(sa.rel)->root_products), std::vector<NuskObject*>{a.pd});
    EXPECT_EQ(entries(MivoMgrAsmRelation::find(sb.rel)->root_products), std::vector<NuskObject*>{b.pd});
    EXPECT_EQ(entries(MivoMgrAsmRelation::find(ua.rel)->root_products), std::vector<NuskObject*>{a.pd});

    // The lists are appended to, never cleared.
    StpAsmProductDefVec out;
    out.append(shared.pd);
    mivo_find_root_products(&out, &design);
    EXPECT_EQ(entries(out), (std::vector<NuskObject*>{shared.pd, a.pd, b.pd}));
}

TEST_F(Queries, AShapeOfTwoRootsIsARootShapeTwice) {
    Product a = product("a"), b = product("b");
    shapeOf(propertyOf(b.pd), a.shape);
    tag();
    // b's shapes: its own, then a's (in the order of their shape definitions).
    EXPECT_EQ(rootShapes(), (std::vector<NuskObject*>{a.shape, b.shape, a.shape}));
}

TEST_F(Queries, AnUntaggedDesignListsEveryProductAndGivesEachAnEmptyRecord) {
    Product a = product("a"), b = product("b");
    useByRelationship(a, b);
    EXPECT_EQ(roots(), (std::vector<NuskObject*>{a.pd, b.pd}));
    ASSERT_NE(MivoMgrAsmProduct::find(b.pd), nullptr);
    EXPECT_EQ(MivoMgrAsmProduct::find(b.pd)->shapes.size(), 0u);
}

TEST_F(Queries, ShapesWithoutProductAreTopLevelShapesSharingNothingWithTheProducts) {
    Product part = product("part");
    stp_axis2_placement_3d* own = placement(part.shape);
    stp_shape_representation* empty = shape(nuskunit_mm, "empty");
    stp_shape_representation* free = shape(nuskunit_mm, "free");
    placement(free, moved(1, 2, 3));
    stp_shape_representation* sharing = shape(nuskunit_mm, "sharing");
    addItem(sharing, own);
    // A group placed by a mapped item of the part's shape belongs to it, and so does what shares its items.
    stp_shape_representation* group = shape(nuskunit_mm, "group");
    stp_axis2_placement_3d* groupFrame = placement(group);
    mappedItem(part.shape, group, groupFrame, placement(part.shape));
    stp_shape_representation* besideGroup = shape(nuskunit_mm, "beside the group");
    addItem(besideGroup, groupFrame);
    // The shape of a usage belongs to the usage.
    Product child = product("child");
    useByMappedItem(part, child);
    tag();
    EXPECT_EQ(loose(), (std::vector<NuskObject*>{empty, free}));
    EXPECT_EQ(rootShapes(), (std::vector<NuskObject*>{part.shape, empty, free}));
}

// ---- shape usages ----

TEST_F(Queries, AUsageGivesItsChildItsRepresentationAndItsAssemblyUsage) {
    Product parent = product("parent"), child = product("child"), mapped = product("mapped");
    Usage byRel = useByRelationship(parent, child);
    Usage byItem = useByMappedItem(parent, child);
    stp_mapped_item* only = mapInto(parent, mapped);
    EXPECT_EQ(mivo_get_shape_usage_nauo(byRel.rel), nullptr);  // untagged: no link yet
    EXPECT_EQ(mivo_get_shape_usage_child_rep(byItem.item), nullptr);
    tag();
    EXPECT_EQ(mivo_get_shape_usage_child_product(byRel.rel), child.pd);
    EXPECT_EQ(obj(mivo_get_shape_usage_child_rep(byRel.rel)), obj(child.shape));
    EXPECT_EQ(mivo_get_shape_usage_nauo(byRel.rel), byRel.nauo);
    EXPECT_EQ(mivo_get_shape_usage_child_product(byItem.item), child.pd);
    EXPECT_EQ(obj(mivo_get_shape_usage_child_rep(byItem.item)), obj(child.shape));
    EXPECT_EQ(mivo_get_shape_usage_nauo(byItem.item), byItem.nauo);
    // A mapped item without usage places a shape but names no child product.
    EXPECT_EQ(obj(mivo_get_shape_usage_child_rep(only)), obj(mapped.shape));
    EXPECT_EQ(mivo_get_shape_usage_child_product(only), nullptr);
    EXPECT_EQ(mivo_get_shape_usage_nauo(only), nullptr);
}

// ---- the products of a relationship ----

TEST_F(Queries, RelationshipProductsAreReadOnlyWhenTheyAreProductDefinitions) {
    Product a = product("a"), b = product("b");
    auto* rel = new (&design) stp_next_assembly_usage_occurrence();
    const size_t before = design.objectCount();
    EXPECT_EQ(mivo_get_related_pdef(rel), nullptr);  // unset
    EXPECT_EQ(mivo_get_relating_pdef(rel), nullptr);
    EXPECT_EQ(design.objectCount(), before);  // the getters make nothing
    rel->related_product_definition(new (&design) stp_product_definition_or_reference());
    EXPECT_EQ(mivo_get_related_pdef(rel), nullptr);  // empty
    nusk_put_nested_object(rel->related_product_definition(), new (&design) stp_product_definition_reference());
    EXPECT_EQ(mivo_get_related_pdef(rel), nullptr);  // a reference to a product elsewhere
    mivo_put_related_pdef(rel, a.pd);
    mivo_put_relating_pdef(rel, b.pd);
    EXPECT_EQ(mivo_get_related_pdef(rel), a.pd);
    EXPECT_EQ(mivo_get_relating_pdef(rel), b.pd);
}

TEST_F(Queries, PuttingAProductReusesTheSelectAndNullEmptiesIt) {
    Product a = product("a"), b = product("b");
    auto* rel = new (&design) stp_product_definition_relationship();
    mivo_put_relating_pdef(rel, nullptr);  // makes the select, left empty
    stp_product_definition_or_reference* select = rel->relating_product_definition();
    ASSERT_NE(select, nullptr);
    EXPECT_TRUE(select->isEmpty());
    EXPECT_EQ(mivo_get_relating_pdef(rel), nullptr);
    const size_t before = design.objectCount();
    mivo_put_relating_pdef(rel, a.pd);
    mivo_put_relating_pdef(rel, b.pd);
    EXPECT_EQ(design.objectCount(), before);
    EXPECT_EQ(rel->relating_product_definition(), select);
    EXPECT_EQ(mivo_get_relating_pdef(rel), b.pd);
    mivo_put_relating_pdef(rel, nullptr);
    EXPECT_EQ(rel->relating_product_definition(), select);
    EXPECT_TRUE(select->isEmpty());
}

TEST_F(Queries, AProductOfAnotherDesignIsRefusedAndTheRelationshipKeepsItsProduct) {
    // Kept, the other design's product would not be written with this design, and would dangle once that
    // design is gone.
    Product a = product("a"), b = product("b");
    auto elsewhere = std::make_unique<AsmFixture>();
    Product foreign = elsewhere->product("foreign");
    auto* usage = new (&design) stp_next_assembly_usage_occurrence();
    auto* fresh = new (&design) stp_next_assembly_usage_occurrence();
    mivo_put_relating_pdef(usage, a.pd);
    mivo_put_related_pdef(usage, b.pd);
    const size_t before = design.objectCount();
    CaughtMessages caught;
    mivo_put_related_pdef(usage, foreign.pd);
    mivo_put_relating_pdef(usage, foreign.pd);
    mivo_put_related_pdef(fresh, foreign.pd);
    EXPECT_EQ(mivo_get_related_pdef(usage), b.pd);
    EXPECT_EQ(mivo_get_relating_pdef(usage), a.pd);
    EXPECT_EQ(fresh->related_product_definition(), nullptr);  // no select made for it either
    EXPECT_EQ(design.objectCount(), before);
    const std::string p = std::to_string(static_cast<NuskObject*>(foreign.pd)->entity_id());
    const std::string u = std::to_string(usage->entity_id());
    EXPECT_EQ(caught.errors,
              (std::vector<std::string>{
                  "mivo_put_related_pdef: #" + p + " is a product of another design: #" + u + " keeps its product",
                  "mivo_put_relating_pdef: #" + p + " is a product of another design: #" + u + " keeps its product",
                  "mivo_put_related_pdef: #" + p + " is a product of another design: #" +
                      std::to_string(fresh->entity_id()) + " keeps its product"}));
    elsewhere.reset();
    EXPECT_EQ(mivo_get_related_pdef(usage), b.pd);
}

TEST_F(Queries, AProductPutIntoAReadRelationshipIsWrittenBack) {
    // A usage read from a file keeps its original record until it changes: a change made through the select it
    // already has must reach the file written.
    const char text[] =
        "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'2;1');\nFILE_NAME('','',(''),(''),'','','');\n"
        "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }'));\nENDSEC;\nDATA;\n"
        "#1=PRODUCT('a','a','',());\n#2=PRODUCT_DEFINITION_FORMATION('','',#1);\n"
        "#3=PRODUCT_DEFINITION('a','',#2,$);\n#4=PRODUCT_DEFINITION('b','',#2,$);\n"
        "#5=PRODUCT_DEFINITION('c','',#2,$);\n#6=NEXT_ASSEMBLY_USAGE_OCCURRENCE('u','u','',#3,#4,$);\n"
        "ENDSEC;\nEND-ISO-10303-21;\n";
    NuskReadResult r = nusk_read_step_text(text, sizeof text - 1);
    ASSERT_NE(r.design, nullptr);
    std::unique_ptr<NuskDesign> read(r.design);
    auto* usage = nusk_cast(read->findEntity(6), nusktype_stp_next_assembly_usage_occurrence);
    auto* c = nusk_cast(read->findEntity(5), nusktype_stp_product_definition);
    ASSERT_TRUE(usage && c);
    mivo_put_related_pdef(usage, c);
    std::string written;
    nusk_write_step_text(read.get(), written);
    EXPECT_NE(written.find("#6=NEXT_ASSEMBLY_USAGE_OCCURRENCE('u','u','',#3,#5,$);"), std::string::npos) << written;
}

}  // namespace
