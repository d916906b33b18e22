// Moving objects from one design into another: all of a domain, or those whose references already lead there.
#include "mivo_split.h"
#include "values.h"

#include "nusk/aggregate.h"

using namespace mivo_split_detail;

namespace {

/// Moves keeping the object's section (the value the two reference-led moves pass).
constexpr int kKeepSection = -1;

bool isIn(const NuskObject* obj, const NuskDesign* design) { return obj && obj->design() == design; }

const NuskAttribute* attributeOf(NuskDomain* domain, const char* att_name) {
    const NuskAttribute* att = domain && att_name ? domain->findTypeAttribute(att_name) : nullptr;
    if (!att) printNoAttribute(domain, att_name);
    return att;
}

/// Builds, in dst, a temporary of the elements of `source` that are already in dst (moving the selects among
/// them there too). Null when none is, the temporary then deleted.
NuskAggregate* elementsIn(NuskDesign* dst, NuskAggregate* source) {
    auto* temporary = static_cast<NuskAggregate*>(dst->pnewInstance(source->domain(), 0));
    if (!temporary) return nullptr;
    for (unsigned i = 0; i < source->size(); ++i) {
        NuskObject* element = source->getObject(i);
        if (!isIn(seeThrough(element), dst)) continue;
        temporary->addObject(element);
        if (isSelect(element)) element->move(dst, kKeepSection, 0);
    }
    if (!temporary->empty()) return temporary;
    delete temporary;
    return nullptr;
}

}  // namespace

void mivo_move_all(NuskDesign* dst, NuskDesign* src, NuskDomain* domain) {
    if (!dst || !src) return;
    for (NuskObject* obj : objectsOf(src, domain)) obj->move(dst, 0, 0);
}

void mivo_move_leaf_objs(NuskDesign* dst, NuskDesign* src, NuskDomain* domain, const char* att_name) {
    if (!dst || !src) return;
    const NuskAttribute* att = attributeOf(domain, att_name);
    if (!att) return;
    for (NuskObject* obj : objectsOf(src, domain)) {
        NuskObject* value = obj->getObject(att, 0);
        if (!isIn(seeThrough(value), dst)) continue;
        obj->move(dst, kKeepSection, 0);
        if (isSelect(value)) value->move(dst, kKeepSection, 0);
    }
}

void mivo_move_listleaf_objs(NuskDesign* dst, NuskDesign* src, NuskDomain* domain, const char* att_name) {
    if (!dst || !src) return;
    const NuskAttribute* att = attributeOf(domain, att_name);
    if (!att) return;
    for (NuskObject* obj : objectsOf(src, domain)) {
        NuskObject* value = obj->getObject(att, 0);
        if (!isAggregate(value) || !elementsAreObjects(static_cast<NuskAggregate*>(value))) continue;
        NuskAggregate* temporary = elementsIn(dst, static_cast<NuskAggregate*>(value));
        if (!temporary) continue;
        MivoMgrSplitTmpObj::mark_as_temp(temporary, value);
        obj->putObject(temporary, att, 0);
        obj->move(dst, kKeepSection, 0);
    }
}
