// The representation items nested below the items of a representation: what the walk enters, what it does
// not, its order, and chains far deeper than a recursive walk could go.
#include "geometry_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class NestedItems : public ::testing::Test, public GeometryFixture {
protected:
    FullContext* mm = contextIn(nuskunit_mm, nuskunit_rad);

    /// The walk's list as instance numbers, so that a failure shows what was found.
    std::vector<uint32_t> found(stp_representation* r) {
        auto* out = new (&design) ListOfstp_representation_item();
        mivo_find_nested_repitems(r, out);
        std::vector<uint32_t> ids;
        for (unsigned i = 0; i < out->size(); ++i) ids.push_back(out->getObject(i)->entity_id());
        return ids;
    }
    static std::vector<uint32_t> ids(std::initializer_list<NuskObject*> objects) {
        std::vector<uint32_t> out;
        for (NuskObject* o : objects) out.push_back(o->entity_id());
        return out;
    }
};

TEST_F(NestedItems, DepthFirstInAttributeOrderWithEachItemOnce) {
    // Two lines through a shared point: the second line's point is not listed again, and each line's vector
    // and direction come right after its point (pnt before dir in the schema).
    NuskObject* shared = point({0, 0, 0});
    NuskObject* d1 = direction({1, 0, 0});
    NuskObject* d2 = direction({0, 1, 0});
    NuskObject* v1 = link(make(nusktype_stp_vector, {{"magnitude", 1}}), "orientation", d1);
    NuskObject* v2 = link(make(nusktype_stp_vector, {{"magnitude", 1}}), "orientation", d2);
    NuskObject* line1 = link(link(make(nusktype_stp_line), "pnt", shared), "dir", v1);
    NuskObject* line2 = link(link(make(nusktype_stp_line), "pnt", shared), "dir", v2);
    stp_shape_representation* r = rep(mm, {line1, line2, shared});
    EXPECT_EQ(found(r), ids({line1, shared, v1, d1, line2, v2, d2}));
}

TEST_F(NestedItems, AMappedItemListsItsTargetButNothingOfTheMappedRepresentation) {
    NuskObject* circle = link(make(nusktype_stp_circle, {{"radius", 2}}), "position", placement(point({5, 5, 5})));
    NuskObject* origin = placement(point({0, 0, 0}));
    stp_shape_representation* mapped = rep(mm, {origin, circle});
    NuskObject* map = link(link(make(nusktype_stp_representation_map), "mapping_origin", origin),
                           "mapped_representation", mapped);
    NuskObject* location = point({10, 0, 0});
    NuskObject* axis = direction({0, 0, 1});
    NuskObject* target = placement(location, axis);
    NuskObject* usage = link(link(make(nusktype_stp_mapped_item), "mapping_source", map), "mapping_target", target);
    EXPECT_EQ(found(rep(mm, {usage})), ids({usage, target, location, axis}));
}

TEST_F(NestedItems, StyledItemsAreListedButNotEntered) {
    NuskObject* styledOnly = point({1, 1, 1});
    NuskObject* alsoAnItem = point({2, 2, 2});
    NuskObject* style1 = link(make(nusktype_stp_styled_item), "item", styledOnly);
    NuskObject* style2 = link(make(nusktype_stp_styled_item), "item", alsoAnItem);
    // An annotation occurrence is a styled item too: the walk does not enter it either.
    NuskObject* annotated = point({3, 3, 3});
    NuskObject* annotation = link(make(nusktype_stp_annotation_curve_occurrence), "item", annotated);
    EXPECT_EQ(found(rep(mm, {style1, style2, alsoAnItem, annotation})), ids({style1, style2, alsoAnItem, annotation}));
}

TEST_F(NestedItems, ARepresentationReachedThroughAnAttributeIsWalked) {
    // A pcurve's definitional representation (in its own parametric context) is walked like any entity: its
    // items are listed, below the pcurve.
    NuskObject* uv = point({0.5, 0.25});
    stp_representation* parameters = nusk_cast(make(nusktype_stp_definitional_representation),
                                               nusktype_stp_representation);
    parameters->context_of_items(nusk_cast(make(nusktype_stp_parametric_representation_context),
                                           nusktype_stp_representation_context));
    list(parameters, "items", {uv});
    NuskObject* plane = link(make(nusktype_stp_plane), "position", placement(point({0, 0, 0})));
    NuskObject* pcurve = link(link(make(nusktype_stp_pcurve), "basis_surface", plane), "reference_to_curve",
                              parameters);
    const std::vector<uint32_t> list = found(rep(mm, {pcurve}));
    ASSERT_EQ(list.size(), 5u);  // the pcurve, the plane, its placement, its point, and the uv point
    EXPECT_EQ(list.front(), pcurve->entity_id());
    EXPECT_EQ(list.back(), uv->entity_id());
}

TEST_F(NestedItems, SubstitutesAreFollowedAndTheTrashIsSkipped) {
    NuskObject* old = point({1, 0, 0});
    NuskObject* survivor = point({1, 0, 0});
    nusk_register_substitute(old, survivor);
    NuskObject* gone = point({9, 9, 9});
    NuskObject* line = link(link(make(nusktype_stp_line), "pnt", old), "dir", make(nusktype_stp_vector));
    stp_shape_representation* r = rep(mm, {line, gone});
    nusk_move_to_trash(gone);
    const std::vector<uint32_t> list = found(r);
    EXPECT_NE(std::find(list.begin(), list.end(), survivor->entity_id()), list.end());
    EXPECT_EQ(std::find(list.begin(), list.end(), old->entity_id()), list.end());
    EXPECT_EQ(std::find(list.begin(), list.end(), gone->entity_id()), list.end());
}

TEST_F(NestedItems, WhatTheListHeldStaysAndIsAppendedAgain) {
    NuskObject* p = point({1, 2, 3});
    auto* out = new (&design) ListOfstp_representation_item();
    out->addObject(p);
    mivo_find_nested_repitems(rep(mm, {p}), out);
    ASSERT_EQ(out->size(), 2u);
    EXPECT_EQ(out->getObject(0), p);
    EXPECT_EQ(out->getObject(1), p);
    // A representation without items adds nothing.
    mivo_find_nested_repitems(shape(mm), out);
    EXPECT_EQ(out->size(), 2u);
}

TEST_F(NestedItems, AChainFarDeeperThanTheCallStackIsWalkedInOrder) {
    // 200,000 offset curves, each offsetting the next: a recursive walk would need a frame per level.
    constexpr int kDepth = 200000;
    std::vector<NuskObject*> chain(kDepth);
    chain[kDepth - 1] = make(nusktype_stp_offset_curve_3d, {{"distance", 1}});
    for (int i = kDepth - 2; i >= 0; --i)
        chain[i] = link(make(nusktype_stp_offset_curve_3d, {{"distance", 1}}), "basis_curve", chain[i + 1]);
    auto* out = new (&design) ListOfstp_representation_item();
    mivo_find_nested_repitems(rep(mm, {chain[0]}), out);
    ASSERT_EQ(out->size(), static_cast<unsigned>(kDepth));
    for (int i = 0; i < kDepth; i += 9973) EXPECT_EQ(out->getObject(static_cast<unsigned>(i)), chain[i]) << i;
    EXPECT_EQ(out->getObject(kDepth - 1), chain[kDepth - 1]);
}

}  // namespace
