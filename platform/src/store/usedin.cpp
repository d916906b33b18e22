// The reference index of a design, which answers usedin without a scan per call.
//
// The index lists, for every entity instance that is referred to, the entity instances that refer to it and
// through which attribute (looking through select values and aggregates). It is built on the first question
// after references changed, in one pass over the design, and sorted by target.
#include "design_impl.h"
#include "store_access.h"

#include "nusk/aggregate.h"
#include "nusk/schema.h"
#include "nusk/select.h"
#include "nusk/structure.h"

#include <algorithm>

namespace {

constexpr int kMaxNesting = 16;  // aggregates of aggregates are never this deep in a real schema

void collect(NuskObject* value, NuskObject* source, const NuskAttribute* att,
             std::vector<NuskDesignImpl::RefEntry>& out, int depth) {
    if (!value || depth > kMaxNesting) return;
    const NuskDomain* d = value->domain();
    if (d->typeIsEntity()) {
        out.push_back({value, source, att});
    } else if (d->typeIsSelect()) {
        auto* u = static_cast<NuskUnion*>(value);
        if (u->holdsObject()) collect(u->object() ? u->object() : u->rawValue().o, source, att, out, depth + 1);
    } else if (d->typeIsAggregate()) {
        auto* a = static_cast<NuskAggregate*>(value);
        if (a->holdsObjects())
            for (unsigned i = 0; i < a->size(); ++i) collect(a->slots()[i].o, source, att, out, depth + 1);
    }
}

void collectFrom(NuskObject* obj, std::vector<NuskDesignImpl::RefEntry>& out) {
    if (NuskSlot* slots = obj->entitySlots()) {
        const auto& atts = obj->domain()->slotAttributes();
        for (size_t i = 0; i < atts.size(); ++i)
            if (atts[i]->slotNodeType() >= nusk_node_entity) collect(slots[i].o, obj, atts[i], out, 0);
    } else if (auto* raw = dynamic_cast<NuskRawRecord*>(obj)) {
        for (NuskObject* r : raw->references()) collect(r, obj, nullptr, out, 0);
    }
}

}  // namespace

void NuskDesignImpl::buildRefIndex() {
    refIndex_.clear();
    for (uint32_t di : domainOrder_) {
        NuskDomain* d = NuskSchema::domainAt(di);
        if (!d || !d->typeIsEntity()) continue;
        for (NuskObject* obj : listOf(di)->objects)
            if (obj) collectFrom(obj, refIndex_);
    }
    std::sort(refIndex_.begin(), refIndex_.end(), [](const RefEntry& a, const RefEntry& b) {
        if (a.target != b.target) return a.target < b.target;
        // Referrers come in the order of their instance numbers, which is the file's order for a design read.
        if (a.source != b.source) return a.source->entity_id() < b.source->entity_id() ||
                                         (a.source->entity_id() == b.source->entity_id() && a.source < b.source);
        return a.attribute < b.attribute;
    });
    refIndexValid_ = true;
}

void NuskObject::usedin(const NuskDomain* d, const NuskAttribute* att, NuskAggregate* out) const {
    NuskDesign* owner = design();
    if (!out || !owner) return;
    NuskDesignImpl& impl = owner->impl();
    if (!impl.refIndexValid_) impl.buildRefIndex();
    auto first = std::lower_bound(impl.refIndex_.begin(), impl.refIndex_.end(), this,
                                  [](const NuskDesignImpl::RefEntry& e, const NuskObject* t) { return e.target < t; });
    NuskObject* last = nullptr;
    for (auto it = first; it != impl.refIndex_.end() && it->target == this; ++it) {
        if (att && it->attribute != att) continue;
        if (d && !it->source->isa(d)) continue;
        if (it->source == last) continue;
        out->addObject(it->source);
        last = it->source;
    }
}
