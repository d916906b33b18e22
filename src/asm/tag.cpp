// The assembly tagging pass: phases 0 to 7, each a walk over one entity type in the design's order.
#include "attributes.h"
#include "links.h"

#include "mivo_assemblies.h"
#include "mivo_properties.h"

#include "nusk/report.h"

#include <unordered_set>

using namespace mivo_asm;

namespace {

template <class T>
std::vector<T*> instancesOf(NuskDesign* design, NuskTypePtrT<T>& type) {
    std::vector<T*> out;
    for (NuskObject* obj : nusk_instances_of(design, type))
        if (T* typed = nusk_cast(obj, type)) out.push_back(typed);
    return out;
}

/// The mapped items among a representation's items, in item order.
std::vector<stp_mapped_item*> mappedItemsOf(const NuskObject* rep) {
    std::vector<stp_mapped_item*> out;
    forEachItem(rep, [&](NuskObject* item) {
        if (!item->isa(nusktype_stp_mapped_item)) return;
        if (auto* mapped = nusk_cast(item, nusktype_stp_mapped_item)) out.push_back(mapped);
    });
    return out;
}

class AssemblyPass {
public:
    explicit AssemblyPass(NuskDesign* design) : design_(design), links_(design) {}

    void run() {
        dropEarlierRecords();
        reportMissingAttributes();
        recordShapes();
        recordUsages();
        walkProductShapes();
        recordOrphanRelationships();
        recordUnusedMappedItems();
        recordRoots();
        findUnusedPlacements();
    }

private:
    // Phase 0: the records of an earlier run go, on every instance of the types that can carry them (the
    // library reads these records nowhere else).
    void dropEarlierRecords() {
        for (NuskTypePtr* type : {static_cast<NuskTypePtr*>(&nusktype_stp_product_definition),
                                  static_cast<NuskTypePtr*>(&nusktype_stp_representation),
                                  static_cast<NuskTypePtr*>(&nusktype_stp_representation_relationship),
                                  static_cast<NuskTypePtr*>(&nusktype_stp_mapped_item)}) {
            NuskCursor cursor;
            cursor.traverse(design_);
            cursor.domain(*type);
            while (NuskObject* obj = cursor.next()) {
                obj->remove_manager(MivoMgrAsmRelation::type());
                obj->remove_manager(MivoMgrAsmShapeRep::type());
                obj->remove_manager(MivoMgrAsmProduct::type());
            }
        }
    }

    /// Reports the attributes the schema lacks. The pass goes on: what needs a missing attribute finds nothing.
    void reportMissingAttributes() {
        const AsmAttributes& a = asmAttributes();
        const std::pair<const NuskAttribute*, const char*> needed[] = {
            {a.propertyDefinition, "definition"},    {a.shapeDefinition, "definition"},
            {a.usedRepresentation, "used_representation"}, {a.rep1, "rep_1"},
            {a.rep2, "rep_2"},
        };
        for (const auto& n : needed)
            if (!n.first) NUSK.error("Processing Assemblies: Could not get attribute %s", n.second);
        if (!a.representedProduct) NUSK.error("Could not get representation_relation attr\n");
    }

    // Phase 1: each product's shapes, and each shape's products.
    void recordShapes() {
        for (auto* sdr : instancesOf(design_, nusktype_stp_shape_definition_representation)) {
            stp_product_definition* product = mivo_get_property_owner_as_pdef(sdr);
            if (!product) continue;
            stp_shape_representation* rep = asShapeRep(sdr->used_representation());
            if (!rep) {
                NUSK.warning("#%u does not reference a shape rep", idOf(sdr));
                continue;
            }
            MivoMgrAsmProduct::make(product)->shapes.append(rep);
            MivoMgrAsmShapeRep* m = MivoMgrAsmShapeRep::make(rep);
            m->products.append(product);
            m->shape_def_reps.append(sdr);
        }
    }

    // Phase 2: each assembly usage, and the links of its product_definition_shapes.
    void recordUsages() {
        for (auto* nauo : instancesOf(design_, nusktype_stp_next_assembly_usage_occurrence)) {
            stp_product_definition* parent = mivo_get_relating_pdef(nauo);
            stp_product_definition* child = mivo_get_related_pdef(nauo);
            if (!parent || !child) continue;
            MivoMgrAsmProduct::make(parent)->child_nauos.append(nauo);
            MivoMgrAsmProduct* c = MivoMgrAsmProduct::make(child);
            c->is_child = 1;
            c->parent_nauos.append(nauo);
            for (NuskObject* pds : links_.referrers().of(nauo, Ref::propertyOfDefinition)) {
                recordContextDependentShapes(pds, nauo, parent, child);
                recordUsageMappedItems(pds, nauo);
            }
        }
    }

    // Phase 2a: the relationships that context_dependent_shape_representations give the usage.
    void recordContextDependentShapes(NuskObject* pds, stp_next_assembly_usage_occurrence* nauo,
                                      stp_product_definition* parent, stp_product_definition* child) {
        const AsmAttributes& a = asmAttributes();
        if (!a.representedProduct) return;
        for (NuskObject* obj : links_.referrers().of(pds, Ref::dependentShapeOfProperty)) {
            auto* cdsr = nusk_cast(obj, nusktype_stp_context_dependent_shape_representation);
            stp_shape_representation_relationship* rel = cdsr ? cdsr->representation_relation() : nullptr;
            if (rel) recordUsageRelationship(rel, nauo, parent, child);
        }
    }

    /// One relationship of a usage: the end that is the parent's shape becomes the parent. A relationship that
    /// contradicts the product structure is reported and left for the orphan phase.
    void recordUsageRelationship(stp_shape_representation_relationship* rel, stp_next_assembly_usage_occurrence* nauo,
                                 stp_product_definition* parent, stp_product_definition* child) {
        const AsmAttributes& a = asmAttributes();
        stp_representation* r1 = relationshipRep(rel, a.rep1);
        stp_representation* r2 = relationshipRep(rel, a.rep2);
        const LinkRecorder::ShapeOwners owners1 = links_.shapeOwners(r1), owners2 = links_.shapeOwners(r2);
        const bool p1 = owners1.has(parent), p2 = owners2.has(parent);
        const bool c1 = owners1.has(child), c2 = owners2.has(child);
        if (p1 == p2) {
            NUSK.error("Assembly sanity check failed: No parent rep=#%u rep2=#%u\n", idOf(r1), idOf(r2));
            NUSK.error("nauo=#%u rel=#%u\n", idOf(nauo), idOf(rel));
            NUSK.error("parent=%d child=%d %d\n", p1 ? 1 : 0, c1 ? 1 : 0, c2 ? 1 : 0);
            return;
        }
        if (c1 && c2) {
            NUSK.error("Assembly sanity check failed: Have are children.\n");
            return;
        }
        const bool childFurtherDown = !c1 && !c2;
        if (childFurtherDown && p1) {
            // The child would lie below rep_2, a search this pass does not make.
            NUSK.warning("No child found for NAUO #%u", idOf(nauo));
            NUSK.error("process_asm_rep_rel: not yet implemented\n");
            return;
        }
        links_.recordRelationship(rel, p1, nauo);
        if (!childFurtherDown) return;
        NUSK.warning("No child found for NAUO #%u", idOf(nauo));
        links_.findChildBelow(r1, child, nauo);
    }

    // Phase 2b: the mapped items of the shapes given to the usage itself.
    void recordUsageMappedItems(NuskObject* pds, stp_next_assembly_usage_occurrence* nauo) {
        for (NuskObject* obj : links_.referrers().of(pds, Ref::shapeDefinitionOfProperty)) {
            auto* sdr = nusk_cast(obj, nusktype_stp_property_definition_representation);
            stp_shape_representation* rep = asShapeRep(sdr ? sdr->used_representation() : nullptr);
            if (!rep) continue;
            for (stp_mapped_item* item : mappedItemsOf(rep)) {
                if (MivoMgrAsmRelation::find(item)) {
                    NUSK.error("Found duplicate mapped item in assembly\n");
                    continue;
                }
                recordMappedItem(item, rep, nauo);
            }
        }
    }

    void recordMappedItem(stp_mapped_item* item, stp_representation* parent, stp_next_assembly_usage_occurrence* nauo) {
        auto* link = new MivoMgrAsmRelation(nauo, 0);
        link->parent_rep = parent;
        item->add_manager(link);
        MivoMgrAsmShapeRep::make(parent)->child_mapped_items.append(item);
        links_.recordMapping(link, item);
    }

    // Phase 3.
    // The walk from a shape records only relationships still without a link, starting with those that touch the
    // shape: a shape that none touches is not walked from, and when every relationship has its link there is no
    // walk at all.
    void walkProductShapes() {
        const AsmAttributes& a = asmAttributes();
        std::unordered_set<const NuskObject*> touched;
        for (NuskObject* rel : nusk_instances_of(design_, nusktype_stp_shape_representation_relationship)) {
            if (MivoMgrAsmRelation::find(rel)) continue;
            touched.insert(heldIn(rel, a.rep1));
            touched.insert(heldIn(rel, a.rep2));
        }
        if (touched.empty()) return;
        for (NuskObject* product : nusk_instances_of(design_, nusktype_stp_product_definition)) {
            const MivoMgrAsmProduct* m = MivoMgrAsmProduct::find(product);
            for (unsigned i = 0; m && i < m->shapes.size(); ++i)
                if (touched.count(m->shapes.get(i))) links_.walkShapeTree(m->shapes.get(i));
        }
    }

    // Phase 4.
    void recordOrphanRelationships() {
        for (NuskObject* obj : nusk_instances_of(design_, nusktype_stp_shape_representation_relationship)) {
            if (MivoMgrAsmRelation::find(obj)) continue;
            auto* rel = nusk_cast(obj, nusktype_stp_shape_representation_relationship);
            if (!rel) continue;
            NUSK.warning("Adding orphan shape rep rel %u", idOf(rel));
            links_.recordRelationship(rel, true, nullptr);
        }
    }

    // Phase 5: mapped items that no usage claimed, and the products their maps show.
    void recordUnusedMappedItems() {
        for (NuskObject* obj : nusk_instances_of(design_, nusktype_stp_shape_representation)) {
            MivoMgrAsmShapeRep::make(obj);
            for (stp_mapped_item* item : mappedItemsOf(obj)) {
                if (MivoMgrAsmRelation::find(item)) continue;
                stp_shape_representation* rep = asShapeRep(obj);
                if (!rep) break;
                recordMappedItem(item, rep, nullptr);
                stp_representation_map* source = item->mapping_source();
                const MivoMgrAsmShapeRep* shown = MivoMgrAsmShapeRep::find(source ? source->mapped_representation() : nullptr);
                if (!shown) continue;
                for (unsigned i = 0; i < shown->products.size(); ++i) {
                    MivoMgrAsmProduct* p = MivoMgrAsmProduct::find(shown->products.get(i));
                    if (!p) continue;
                    p->is_child = 1;
                    p->is_mapped_child = 1;
                }
            }
        }
    }

    // Phase 6: every product gets a manager; each root is recorded on what its shapes reach.
    void recordRoots() {
        for (NuskObject* obj : nusk_instances_of(design_, nusktype_stp_product_definition)) {
            MivoMgrAsmProduct* m = MivoMgrAsmProduct::make(obj);
            auto* product = m->is_child ? nullptr : nusk_cast(obj, nusktype_stp_product_definition);
            if (!product) continue;
            MarkPass reached;
            for (unsigned i = 0; i < m->shapes.size(); ++i) recordRoot(product, m->shapes.get(i));
        }
    }

    /// Records `root` on `rep`, on every link below it and on every representation they place, each
    /// representation once.
    void recordRoot(stp_product_definition* root, stp_representation* rep) {
        std::vector<stp_representation*> stack{rep};
        auto follow = [&](NuskObject* linked) {
            MivoMgrAsmRelation* link = MivoMgrAsmRelation::find(linked);
            if (!link) return;
            link->root_products.append(root);
            stack.push_back(link->child_rep);
        };
        while (!stack.empty()) {
            stp_representation* r = stack.back();
            stack.pop_back();
            if (!r || nusk_is_marked(r)) continue;
            nusk_mark_set(r);
            MivoMgrAsmShapeRep* m = MivoMgrAsmShapeRep::make(r);
            m->root_products.append(root);
            for (unsigned i = 0; i < m->child_rels.size(); ++i) follow(m->child_rels.get(i));
            for (unsigned i = 0; i < m->child_mapped_items.size(); ++i) follow(m->child_mapped_items.get(i));
        }
    }

    // Phase 7: the one axis2_placement_3d of each representation that no link uses.
    void findUnusedPlacements() {
        MarkPass used;
        auto markPlacements = [](NuskObject* linked) {
            if (const MivoMgrAsmRelation* link = MivoMgrAsmRelation::find(linked)) {
                nusk_mark_set(link->origin);
                nusk_mark_set(link->target);
            }
        };
        for (NuskObject* rel : nusk_instances_of(design_, nusktype_stp_shape_representation_relationship))
            markPlacements(rel);
        for (NuskObject* item : nusk_instances_of(design_, nusktype_stp_mapped_item)) markPlacements(item);
        for (NuskObject* rep : nusk_instances_of(design_, nusktype_stp_representation)) {
            MivoMgrAsmShapeRep* m = MivoMgrAsmShapeRep::find(rep);
            if (!m) continue;
            forEachItem(rep, [&](NuskObject* item) {
                if (!item->isa(nusktype_stp_axis2_placement_3d) || nusk_is_marked(item)) return;
                auto* placement = nusk_cast(item, nusktype_stp_axis2_placement_3d);
                if (!placement) return;
                if (!m->placement)
                    m->placement = placement;
                else
                    NUSK.warning("Rep #%u has multiple unused placements (#%u)", idOf(rep), idOf(placement));
            });
        }
    }

    NuskDesign* design_;
    LinkRecorder links_;
};

}  // namespace

void mivo_tag_asms(NuskDesign* design) {
    if (!design) return;
    AssemblyPass(design).run();
}
