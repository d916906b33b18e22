// Recording the placing links of the assembly pass. The walks keep their own stacks: a chain of representations
// as deep as a design can hold never deepens the call stack.
#include "links.h"

#include "attributes.h"

#include "mivo_properties.h"

#include "nusk/report.h"

namespace mivo_asm {

namespace {

bool holdsProduct(stp_representation* rep, stp_product_definition* product) {
    const MivoMgrAsmShapeRep* m = MivoMgrAsmShapeRep::find(rep);
    if (!m) return false;
    for (unsigned i = 0; i < m->products.size(); ++i)
        if (m->products.get(i) == product) return true;
    return false;
}

}  // namespace

LinkRecorder::ShapeOwners LinkRecorder::shapeOwners(stp_representation* rep) {
    ShapeOwners owners;
    if (!rep) return owners;
    owners.present = true;
    // Once the shapes are recorded, a shape representation's record lists the products whose shape definitions
    // name it. Only a representation without a record (of another kind, or named by no product) is searched.
    if (rep->isa(nusktype_stp_shape_representation)) owners.recorded = MivoMgrAsmShapeRep::find(rep);
    if (!owners.recorded) owners.definitions = referrers_.of(rep, Ref::shapeDefinitionOfRep);
    return owners;
}

bool LinkRecorder::ShapeOwners::has(stp_product_definition* product) const {
    if (!present || !product) return false;
    for (unsigned i = 0; recorded && i < recorded->products.size(); ++i)
        if (recorded->products.get(i) == product) return true;
    for (NuskObject* obj : definitions) {
        auto* sdr = nusk_cast(obj, nusktype_stp_property_definition_representation);
        if (sdr && mivo_get_property_owner_as_pdef(sdr) == product) return true;
    }
    return false;
}

void LinkRecorder::recordRelationship(stp_shape_representation_relationship* rel, bool reversed,
                                      stp_next_assembly_usage_occurrence* nauo) {
    if (!rel) return;
    if (MivoMgrAsmRelation::find(rel)) {
        NUSK.error("Shape rep already has an assembly mgr");
        return;
    }
    const AsmAttributes& a = asmAttributes();
    stp_representation* rep1 = relationshipRep(rel, a.rep1);
    stp_representation* rep2 = relationshipRep(rel, a.rep2);
    stp_representation* child = reversed ? rep2 : rep1;
    stp_representation* parent = reversed ? rep1 : rep2;
    if (!child || !parent) {
        NUSK.warning("Shape rep rel #%u lacks a representation at one end: it places nothing", idOf(rel));
        return;
    }
    MivoMgrAsmShapeRep::make(parent)->child_rels.append(rel);
    MivoMgrAsmShapeRep::make(child)->parent_rels.append(rel);
    auto* link = new MivoMgrAsmRelation(nauo, reversed ? 1 : 0);
    link->child_rep = child;
    link->parent_rep = parent;
    rel->add_manager(link);

    if (!rel->isa(nusktype_stp_representation_relationship_with_transformation)) return;
    NuskObject* op = heldIn(rel, a.transformationOperator);
    if (!op) {
        NUSK.error("Could not find assembly transform");
        return;
    }
    if (auto* t = nusk_cast(op, nusktype_stp_item_defined_transformation)) {
        link->origin = reversed ? t->transform_item_2() : t->transform_item_1();
        link->target = reversed ? t->transform_item_1() : t->transform_item_2();
        return;
    }
    NUSK.error("Unknown transformation type: %s", op->domain()->name());
}

void LinkRecorder::recordMapping(MivoMgrAsmRelation* link, stp_mapped_item* item) {
    if (!link || !item) return;
    link->target = item->mapping_target();
    stp_representation_map* source = item->mapping_source();
    if (!source) {
        NUSK.warning("Mapped item #%u has no mapping source: it places nothing", idOf(item));
        return;
    }
    link->child_rep = source->mapped_representation();
    link->origin = source->mapping_origin();
    if (link->child_rep) MivoMgrAsmShapeRep::make(link->child_rep)->parent_mapped_items.append(item);
}

bool LinkRecorder::findChildBelow(stp_representation* rep, stp_product_definition* child,
                                  stp_next_assembly_usage_occurrence* nauo) {
    if (!rep) return false;
    if (holdsProduct(rep, child)) return true;
    const AsmAttributes& a = asmAttributes();
    // One frame per representation on the path searched: the relationships below it, the next one to try, and
    // the relationship that led to it.
    struct Frame {
        RefList below;
        size_t next;
        stp_shape_representation_relationship* via;
    };
    MarkPass searched;
    nusk_mark_set(rep);
    std::vector<Frame> path;
    path.push_back({referrers_.of(rep, Ref::anyRelationshipOfRep2), 0, nullptr});
    while (!path.empty()) {
        Frame& frame = path.back();
        if (frame.next == frame.below.size()) {
            path.pop_back();
            continue;
        }
        auto* rel = nusk_cast(frame.below[frame.next++], nusktype_stp_shape_representation_relationship);
        if (!rel || MivoMgrAsmRelation::find(rel)) continue;
        stp_representation* next = asShapeRep(heldIn(rel, a.rep1));
        if (!next || nusk_is_marked(next)) continue;
        if (holdsProduct(next, child)) {
            recordRelationship(rel, false, nauo);
            for (auto it = path.rbegin(); it != path.rend(); ++it)
                if (it->via) recordRelationship(it->via, false, nauo);
            return true;
        }
        nusk_mark_set(next);
        path.push_back({referrers_.of(next, Ref::anyRelationshipOfRep2), 0, rel});
    }
    return false;
}

void LinkRecorder::walkShapeTree(stp_representation* rep) {
    if (!rep) return;
    const AsmAttributes& a = asmAttributes();
    // Per representation: the relationships whose rep_1 it is (it becomes their parent, reversed), then those
    // whose rep_2 it is.
    struct Frame {
        RefList asRep1, asRep2;
        size_t next1, next2;
    };
    auto frameOf = [&](stp_representation* r) {
        return Frame{referrers_.of(r, Ref::relationshipOfRep1), referrers_.of(r, Ref::relationshipOfRep2), 0, 0};
    };
    std::vector<Frame> stack;
    stack.push_back(frameOf(rep));
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const bool first = frame.next1 < frame.asRep1.size();
        if (!first && frame.next2 == frame.asRep2.size()) {
            stack.pop_back();
            continue;
        }
        NuskObject* obj = first ? frame.asRep1[frame.next1++] : frame.asRep2[frame.next2++];
        auto* rel = nusk_cast(obj, nusktype_stp_shape_representation_relationship);
        if (!rel || MivoMgrAsmRelation::find(rel)) continue;
        recordRelationship(rel, first, nullptr);
        // The other end, walked when it is a shape representation. A relationship that got no link (an end is
        // missing) has no other end to walk.
        stp_representation* other = asShapeRep(heldIn(rel, first ? a.rep2 : a.rep1));
        if (other && MivoMgrAsmRelation::find(rel)) stack.push_back(frameOf(other));
    }
}

}  // namespace mivo_asm
