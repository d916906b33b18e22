// Root products, root shapes and shapes without product, read from the records of the assembly pass.
#include "attributes.h"

#include "mivo_assemblies.h"

using namespace mivo_asm;

namespace {

void markItems(stp_representation* rep) {
    SetOfstp_representation_item* items = rep ? rep->items() : nullptr;
    if (!items) return;
    for (unsigned i = 0; i < items->size(); ++i) nusk_mark_set(items->get(i));
}

bool anyItemMarked(stp_representation* rep) {
    SetOfstp_representation_item* items = rep ? rep->items() : nullptr;
    if (!items) return false;
    for (unsigned i = 0; i < items->size(); ++i)
        if (nusk_is_marked(items->get(i))) return true;
    return false;
}

/// True when a link places the representation (it is the child of a relationship or the map of a mapped item).
bool isPlaced(stp_representation* rep) {
    const MivoMgrAsmShapeRep* m = MivoMgrAsmShapeRep::find(rep);
    return m && (m->parent_rels.size() > 0 || m->parent_mapped_items.size() > 0);
}

}  // namespace

void mivo_find_root_products(StpAsmProductDefVec* out, NuskDesign* design) {
    if (!out || !design) return;
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_product_definition)) {
        auto* product = nusk_cast(obj, nusktype_stp_product_definition);
        if (!product) continue;
        if (const MivoMgrAsmProduct* m = MivoMgrAsmProduct::find(product)) {
            if (!m->is_child) out->append(product);
            continue;
        }
        MivoMgrAsmProduct::make(product);
        out->append(product);
    }
}

void mivo_find_root_shapes(StpAsmShapeRepVec* out, NuskDesign* design) {
    if (!out || !design) return;
    StpAsmProductDefVec roots;
    mivo_find_root_products(&roots, design);
    for (unsigned i = 0; i < roots.size(); ++i) {
        const MivoMgrAsmProduct* m = MivoMgrAsmProduct::find(roots.get(i));
        for (unsigned j = 0; m && j < m->shapes.size(); ++j) out->append(m->shapes.get(j));
    }
    StpAsmShapeRepVec loose;
    mivo_find_shapes_wo_product(&loose, design);
    for (unsigned i = 0; i < loose.size(); ++i) out->append(loose.get(i));
}

void mivo_find_shapes_wo_product(StpAsmShapeRepVec* out, NuskDesign* design) {
    if (!out || !design) return;
    std::vector<stp_shape_representation*> shapes;
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_shape_representation))
        if (auto* rep = asShapeRep(obj)) shapes.push_back(rep);
    MarkPass pass;
    // What belongs to a product: its shapes, and their items.
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_product_definition)) {
        const MivoMgrAsmProduct* m = MivoMgrAsmProduct::find(obj);
        for (unsigned i = 0; m && i < m->shapes.size(); ++i) {
            nusk_mark_set(m->shapes.get(i));
            markItems(m->shapes.get(i));
        }
    }
    // What a link places belongs to the structure it is placed in: its items too.
    for (stp_shape_representation* rep : shapes)
        if (isPlaced(rep)) markItems(rep);
    for (stp_shape_representation* rep : shapes)
        if (!isPlaced(rep) && !nusk_is_marked(rep) && !anyItemMarked(rep)) out->append(rep);
}
