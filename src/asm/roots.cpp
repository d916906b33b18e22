// Root products, root shapes and shapes without product, read from the records of the assembly pass.
#include "attributes.h"

#include "mivo_assemblies.h"

using namespace mivo_asm;

namespace {

void markItems(stp_representation* rep) {
    forEachItem(rep, [](NuskObject* item) { nusk_mark_set(item); });
}

bool anyItemMarked(stp_representation* rep) {
    bool marked = false;
    forEachItem(rep, [&](NuskObject* item) { marked = marked || nusk_is_marked(item); });
    return marked;
}

/// True when the representation is part of a structure: a link places it (it is the child of a relationship or
/// the map of a mapped item), or it holds the link of an assembly usage (the usage's own shape).
bool isInStructure(stp_representation* rep) {
    const MivoMgrAsmShapeRep* m = MivoMgrAsmShapeRep::find(rep);
    if (!m) return false;
    if (m->parent_rels.size() > 0 || m->parent_mapped_items.size() > 0) return true;
    auto ofUsage = [](NuskObject* linked) {
        const MivoMgrAsmRelation* link = MivoMgrAsmRelation::find(linked);
        return link && link->nauo;
    };
    for (unsigned i = 0; i < m->child_rels.size(); ++i)
        if (ofUsage(m->child_rels.get(i))) return true;
    for (unsigned i = 0; i < m->child_mapped_items.size(); ++i)
        if (ofUsage(m->child_mapped_items.get(i))) return true;
    return false;
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
    // What a link places, and the shape of a usage, belong to the structure they are part of: their items too.
    std::vector<bool> inStructure;
    for (stp_shape_representation* rep : shapes) {
        inStructure.push_back(isInStructure(rep));
        if (inStructure.back()) markItems(rep);
    }
    for (size_t i = 0; i < shapes.size(); ++i)
        if (!inStructure[i] && !nusk_is_marked(shapes[i]) && !anyItemMarked(shapes[i])) out->append(shapes[i]);
}
