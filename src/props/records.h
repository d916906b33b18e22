// What the property and reference passes share: dropping an earlier run's records, and appending an entry to the
// list manager of an object.
#pragma once

#include "mivo_managers.h"

#include "nusk/cursor.h"
#include "nusk/domain.h"
#include "nusk/select.h"
#include "nusk/structure.h"

#include <type_traits>
#include <utility>

namespace mivo_props {

/// The object held by a select attribute of `obj`; null when the attribute or the select is unset.
inline NuskObject* heldBy(NuskObject* obj, const NuskAttribute* att) {
    return obj ? nusk_get_nested_object(dynamic_cast<NuskUnion*>(obj->getObject(att))) : nullptr;
}

/// Drops every manager of one class in the design, so that a pass run again starts from nothing.
template <class Manager>
void dropAll(NuskDesign* design) {
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(nusktype_NuskStructure);
    while (NuskObject* obj = cursor.next())
        if (Manager::find(obj)) obj->remove_manager(Manager::type());
}

/// The entity class a list manager holds (stp_property_definition for MivoMgrProperty).
template <class Manager>
using EntryOf = std::remove_pointer_t<decltype(std::declval<const Manager&>().get(0))>;

/// Appends `entry` to the manager of `owner`, attaching an empty one first when it has none. The list holds
/// untyped pointers that get() turns back into the entry class, so the entry is stored as a pointer to that
/// class: a NuskObject pointer to the same instance has another address.
template <class Manager>
void appendTo(NuskObject* owner, EntryOf<Manager>* entry) {
    Manager* m = Manager::find(owner);
    if (!m) {
        m = new Manager();
        owner->add_manager(m);
    }
    m->list.append(entry);
}

}  // namespace mivo_props
