// The representation items nested below the items of a representation.
#include "mivo_geometry.h"

#include "nested_walk.h"

void mivo_find_nested_repitems(stp_representation* rep, ListOfstp_representation_item* out) {
    SetOfstp_representation_item* items = rep ? rep->items() : nullptr;
    if (!out || !items || items->empty()) return;
    std::vector<NuskObject*> roots;
    roots.reserve(items->size());
    for (unsigned i = 0; i < items->size(); ++i) roots.push_back(items->getObject(i));
    mivo_geometry::MarkPass pass;
    mivo_geometry::StoreMarks marks;
    mivo_geometry::NestedWalk walk({});
    walk.walk(roots, marks, [&](NuskObject* obj) {
        // Added as an object: a complex instance made as a class outside the item classes is still an item.
        if (obj->isa(nusktype_stp_representation_item)) out->addObject(obj);
    });
}
