// The representation items nested below the items of a representation.
#include "mivo_geometry.h"

#include "nested_walk.h"

namespace mivo_geometry {

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
    auto onlySlot = [&](const char* name, Role role) {
        e.role = role;
        const int slot = d->slotOf(d->findTypeAttribute(name));
        if (slot >= 0) e.slots.push_back(slot);
    };
    if (d->typeIsa(nusktype_stp_mapped_item)) {
        onlySlot("mapping_target", Role::mapped);  // never the mapping source: its items are the mapped ones
    } else if (d->typeIsa(nusktype_stp_styled_item)) {
        if (rules_.enterAnnotations && d->typeIsa(nusktype_stp_annotation_occurrence)) {
            // The annotation's geometry (its item, its leader lines) but not its styles, which are shared
            // presentation data.
            e.slots = objectSlots(d, d->findTypeAttribute("styles"));
        } else {
            e.role = Role::leaf;
        }
    } else if (d->typeIsa(nusktype_stp_representation_map)) {
        e.role = Role::leaf;
    } else if (d->typeIsa(nusktype_stp_representation) && !rules_.enterRepresentations) {
        e.role = Role::notEntered;
    } else {
        e.slots = objectSlots(d, nullptr);
    }
    return e;
}

}  // namespace mivo_geometry

void mivo_find_nested_repitems(stp_representation* rep, ListOfstp_representation_item* out) {
    SetOfstp_representation_item* items = rep ? rep->items() : nullptr;
    if (!out || !items || items->empty()) return;
    std::vector<NuskObject*> roots;
    roots.reserve(items->size());
    for (unsigned i = 0; i < items->size(); ++i) roots.push_back(items->getObject(i));
    mivo_geometry::MarkPass pass;
    mivo_geometry::NestedWalk walk({});
    walk.walk(roots, [&](NuskObject* obj) {
        // Added as an object: a complex instance made as a class outside the item classes is still an item.
        if (obj->isa(nusktype_stp_representation_item)) out->addObject(obj);
    });
}
