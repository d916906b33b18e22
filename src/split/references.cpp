// Walking the references of entity instances.
#include "references.h"
#include "values.h"

#include "nusk/aggregate.h"
#include "nusk/structure.h"

#include <algorithm>

namespace mivo_split_detail {

namespace {

using Visit = std::function<void(const Reference&)>;

/// The entities anywhere inside a value, as references that no trim can take away.
void walkNested(NuskObject* value, const NuskAttribute* att, const Visit& visit) {
    std::vector<NuskObject*> pending{value};
    while (!pending.empty()) {
        NuskObject* v = seeThrough(pending.back());
        pending.pop_back();
        if (isEntity(v)) {
            visit({v, att, nullptr});
        } else if (isAggregate(v) && elementsAreObjects(static_cast<NuskAggregate*>(v))) {
            auto* a = static_cast<NuskAggregate*>(v);
            for (unsigned i = a->size(); i-- > 0;) pending.push_back(a->getObject(i));
        }
    }
}

/// An attribute's value: the entities that are elements of its own aggregate come with that aggregate.
void walkAttributeValue(NuskObject* value, const NuskAttribute* att, const Visit& visit) {
    NuskObject* v = seeThrough(value);
    if (!isAggregate(v) || !elementsAreObjects(static_cast<NuskAggregate*>(v))) return walkNested(v, att, visit);
    auto* a = static_cast<NuskAggregate*>(v);
    for (unsigned i = 0; i < a->size(); ++i) {
        NuskObject* element = seeThrough(a->getObject(i));
        if (isEntity(element))
            visit({element, att, a});
        else
            walkNested(element, att, visit);
    }
}

/// The held selects and aggregates inside a value (the value itself included).
void walkHeld(NuskObject* value, const std::function<void(NuskObject*)>& visit) {
    std::vector<NuskObject*> pending{value};
    while (!pending.empty()) {
        NuskObject* v = pending.back();
        pending.pop_back();
        if (!v || isEntity(v)) continue;
        if (isSelect(v)) {
            visit(v);
            pending.push_back(seeThrough(v));
        } else if (isAggregate(v)) {
            visit(v);
            auto* a = static_cast<NuskAggregate*>(v);
            if (!elementsAreObjects(a)) continue;
            for (unsigned i = 0; i < a->size(); ++i) pending.push_back(a->getObject(i));
        }
    }
}

}  // namespace

void forEachReference(NuskObject* entity, const Visit& visit) {
    if (!isEntity(entity)) return;
    if (auto* raw = dynamic_cast<NuskRawRecord*>(entity)) {
        for (NuskObject* ref : raw->references()) walkNested(ref, nullptr, visit);
        return;
    }
    const ListOfNuskAttribute* atts = entity->attributes();
    for (unsigned i = 0; i < atts->size(); ++i) {
        const NuskAttribute* att = atts->get(i);
        if (holdsObjects(att)) walkAttributeValue(entity->getObject(att, 0), att, visit);
    }
    // A record kept as read because it did not fit its type is written from its own references.
    for (NuskObject* ref : entity->originalRecordReferences()) walkNested(ref, nullptr, visit);
}

void forEachHeldValue(NuskObject* entity, const std::function<void(NuskObject*)>& visit) {
    if (!isEntity(entity)) return;
    if (auto* raw = dynamic_cast<NuskRawRecord*>(entity)) {
        for (NuskObject* ref : raw->references()) walkHeld(ref, visit);
        return;
    }
    const ListOfNuskAttribute* atts = entity->attributes();
    for (unsigned i = 0; i < atts->size(); ++i) {
        const NuskAttribute* att = atts->get(i);
        if (holdsObjects(att)) walkHeld(entity->getObject(att, 0), visit);
    }
}

ReverseIndex::ReverseIndex(NuskDesign* design) {
    for (NuskObject* entity : objectsOf(design, nusktype_NuskStructure.domain()))
        forEachReference(entity, [&](const Reference& r) { pairs_.emplace_back(r.target, entity); });
    std::sort(pairs_.begin(), pairs_.end(),
              [](const auto& a, const auto& b) { return std::less<const NuskObject*>()(a.first, b.first); });
}

std::vector<NuskObject*> ReverseIndex::referrersOf(const NuskObject* target) const {
    auto first = std::lower_bound(pairs_.begin(), pairs_.end(), target, [](const auto& p, const NuskObject* t) {
        return std::less<const NuskObject*>()(p.first, t);
    });
    std::vector<NuskObject*> out;
    for (; first != pairs_.end() && first->first == target; ++first) out.push_back(first->second);
    return out;
}

}  // namespace mivo_split_detail
