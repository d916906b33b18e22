// The walk below the items of a representation: what it enters, and what it has seen.
#include "nested_walk.h"

#include <algorithm>

namespace mivo_geometry {

bool VisitedEntities::firstVisit(const NuskObject* obj) {
    const uint32_t number = obj->entity_id();
    if (number == 0) return true;  // a select or an aggregate
    if (obj->design() != design_) return others_.insert(obj);
    if (number >= byNumber_.size()) byNumber_.resize(std::max<size_t>(number + 1, design_->maxEntityId() + 1));
    if (byNumber_[number]) return false;
    byNumber_[number] = true;
    return true;
}

std::vector<int> NestedWalk::objectSlots(const NuskDomain* d, const NuskAttribute* except) {
    std::vector<int> slots;
    const std::vector<NuskAttribute*>& atts = d->slotAttributes();
    for (size_t i = 0; i < atts.size(); ++i) {
        if (atts[i] == except || d->slotIsDerived(static_cast<unsigned>(i)) || atts[i]->slotNodeType() < nusk_node_entity)
            continue;
        // Aggregates of plain values (the coordinates of a point) hold no object to walk.
        const NuskDomain* element = atts[i]->declaredElementDomain();
        if (element && element->primitive() != NuskPrimitive::object) continue;
        slots.push_back(static_cast<int>(i));
    }
    return slots;
}

NestedWalk::Entity NestedWalk::describe(const NuskDomain* d) const {
    Entity e;
    if (d->typeIsa(nusktype_stp_mapped_item)) {
        // Only the mapping target, never the mapping source: its items are those of the mapped representation.
        const int slot = d->slotOf(d->findTypeAttribute("mapping_target"));
        if (slot >= 0) e.slots.push_back(slot);
    } else if (d->typeIsa(nusktype_stp_styled_item)) {
        if (rules_.enterAnnotations && d->typeIsa(nusktype_stp_annotation_occurrence)) {
            // The annotation's geometry (its item, its leader lines) but not its styles, which are shared
            // presentation data.
            e.slots = objectSlots(d, d->findTypeAttribute("styles"));
        }  // any other styled item is visited, and nothing below it walked
    } else if (d->typeIsa(nusktype_stp_representation_map)) {
        // visited, nothing below it walked
    } else if (d->typeIsa(nusktype_stp_representation) && !rules_.enterRepresentations) {
        e.role = Role::notEntered;
    } else {
        e.slots = objectSlots(d, nullptr);
    }
    return e;
}

}  // namespace mivo_geometry
