// The annotation manager framework and the typed vectors.
#include "mivo_managers.h"

#include "nusk/ap242/all.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(Managers, TypeIdsAreStableNonZeroAndDistinct) {
    const std::vector<unsigned> ids = {
        MivoMgrAsmProduct::type(),  MivoMgrAsmRelation::type(),    MivoMgrAsmShapeRep::type(),
        MivoMgrProperty::type(),    MivoMgrPropertyRep::type(),    MivoMgrDocumentRef::type(),
        MivoMgrExternalID::type(),  MivoMgrRepExternalDef::type(), MivoMgrShapeAspect::type(),
        MivoMgrUnit::type(),        MivoMgrDesignStatus::type(),   MivoMgrSplitStatus::type(),
        MivoMgrSplitProduct::type(), MivoMgrSplitTmpObj::type()};
    EXPECT_EQ(std::set<unsigned>(ids.begin(), ids.end()).size(), 14u);
    for (unsigned id : ids) {
        EXPECT_NE(id, 0u);
        EXPECT_NE(id, NUSK_SUBSTITUTE_MANAGER_TYPE);
    }
    EXPECT_EQ(MivoMgrUnit::type(), ids[9]);
    MivoMgrUnit unit;
    EXPECT_EQ(unit.manager_type(), MivoMgrUnit::type());
    MivoMgrSplitTmpObj tmp;
    EXPECT_EQ(static_cast<NuskManager&>(tmp).manager_type(), MivoMgrSplitTmpObj::type());
}

TEST(Managers, FindGivesOnlyTheManagerOfItsClass) {
    NuskDesign design("managers", nusk_ap242_schema());
    NuskObject* product = design.pnewInstance(nusktype_stp_product_definition);
    EXPECT_EQ(MivoMgrAsmProduct::find(nullptr), nullptr);
    EXPECT_EQ(MivoMgrAsmProduct::find(product), nullptr);
    product->add_manager(new MivoMgrProperty());
    EXPECT_EQ(MivoMgrAsmProduct::find(product), nullptr);  // another class's manager is not it
    MivoMgrAsmProduct* made = MivoMgrAsmProduct::make(product);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(MivoMgrAsmProduct::make(product), made);
    EXPECT_EQ(MivoMgrAsmProduct::find(product), made);
    EXPECT_NE(MivoMgrProperty::find(product), nullptr);
    EXPECT_EQ(made->is_child, 0);
    EXPECT_EQ(made->shapes.size(), 0u);
    EXPECT_EQ(MivoMgrUnit::make(nullptr), nullptr);
}

TEST(Managers, CopiesShareWhatTheyPointToAndLeaveItAlone) {
    NuskDesign design("copies", nusk_ap242_schema());
    auto* rep = new (&design) stp_shape_representation();
    auto* usage = new (&design) stp_next_assembly_usage_occurrence();
    auto* a = new (&design) stp_product_definition();
    auto* b = new (&design) stp_product_definition();
    MivoMgrAsmShapeRep* source = MivoMgrAsmShapeRep::make(rep);
    source->products.append(a);
    source->products.append(b);
    source->placement = new (&design) stp_axis2_placement_3d();
    {
        MivoMgrAsmShapeRep copy(*source);
        ASSERT_EQ(copy.products.size(), 2u);
        EXPECT_EQ(copy.products.get(0), a);
        EXPECT_EQ(copy.products.get(1), b);
        EXPECT_EQ(copy.placement, source->placement);
        EXPECT_EQ(MivoMgrAsmShapeRep::find(rep), source);  // a copy is not attached
    }
    EXPECT_EQ(source->products.size(), 2u);
    EXPECT_EQ(a->design(), &design);
    MivoMgrAsmRelation relation(usage, 1);
    EXPECT_EQ(relation.nauo, usage);
    EXPECT_EQ(relation.reversed, 1);
    EXPECT_EQ(relation.child_rep, nullptr);
    MivoMgrAsmRelation assigned;
    assigned = relation;
    EXPECT_EQ(assigned.nauo, usage);

    MivoMgrSplitProduct p;
    p.text.copy("a");
    MivoMgrSplitProduct q(p);
    q.text.cat("b");
    EXPECT_STREQ(p.text.text(), "ab");  // the string is shared by reference

    MivoMgrDesignStatus status;
    status.shortcuts = DictionaryOfNuskObject::create(design.system_section());
    MivoMgrDesignStatus shared(status);
    EXPECT_EQ(shared.shortcuts, status.shortcuts);
}

TEST(Managers, TypedVectors) {
    NuskDesign design("vectors", nusk_ap242_schema());
    auto* a = new (&design) stp_mapped_item();
    auto* b = new (&design) stp_mapped_item();
    StpAsmMappedItemVec v;
    v.append(a);
    v.append(b);
    v.append(a);
    StpAsmMappedItemVec copy = v;
    EXPECT_EQ(v.remove(a), 1);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v.get(0), b);
    EXPECT_EQ(v[1], a);
    v[0] = a;
    v.put(b, 1);
    EXPECT_EQ(v.get(0), a);
    EXPECT_EQ(v.get(1), b);
    EXPECT_EQ(copy.size(), 3u);
    EXPECT_EQ(copy.get(0), a);
}

TEST(Managers, TemporaryMarksAndPropertyRepresentations) {
    NuskDesign design("tmp", nusk_ap242_schema());
    NuskObject* tmp = design.pnewInstance(nusktype_SetOfstp_representation_item);
    NuskObject* source = design.pnewInstance(nusktype_SetOfstp_representation_item);
    MivoMgrSplitTmpObj* m = MivoMgrSplitTmpObj::mark_as_temp(tmp, source);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->source, source);
    EXPECT_EQ(MivoMgrSplitTmpObj::mark_as_temp(tmp, nullptr), m);
    EXPECT_EQ(m->source, source);  // a null source leaves it
    EXPECT_EQ(MivoMgrSplitTmpObj::mark_as_temp(nullptr, source), nullptr);

    auto* pdr = new (&design) stp_property_definition_representation();
    auto* rep = new (&design) stp_representation();
    pdr->used_representation(rep);
    MivoMgrPropertyRep reps;
    reps.list.append(pdr);
    reps.list.append(nullptr);
    EXPECT_EQ(reps.size(), 2u);
    EXPECT_EQ(reps.get_rep(0), rep);
    EXPECT_EQ(reps.get_rep(1), nullptr);
    EXPECT_EQ(MivoMgrSplitStatus::export_only_needed, 0);
}

}  // namespace
