// Removing datums from a datum system. Removed references are discarded into the trash with their elements and
// their modifiers with value, each unless something else in the design still refers to it; a common datum list
// left with one element or none is kept as it is.
#include "internal.h"

#include "nusk/ap242/stp_datum_reference_compartment.h"
#include "nusk/ap242/stp_datum_reference_modifier.h"
#include "nusk/ap242/stp_datum_reference_modifier_with_value.h"
#include "nusk/ap242/stp_datum_system.h"
#include "nusk/ap242/stp_length_measure_with_unit.h"
#include "nusk/lifetime.h"

#include <vector>

namespace mivo_tol {

bool usedBesides(NuskObject* obj, NuskObject* owner) {
    NuskDesign* design = obj ? obj->design() : nullptr;
    if (!design || design == nusk_trash()) return false;
    // The referrers are collected outside the design: an aggregate of the design would itself refer to the
    // object, and change the references the design's index is built from.
    NuskDesign scratch("referrers", design->schemaOf());
    auto* users = new (&scratch) SetOfNuskObject();
    obj->usedin(nullptr, nullptr, users);
    for (unsigned i = 0; i < users->size(); ++i) {
        NuskObject* user = users->getObject(i);
        if (user != obj && user != owner) return true;  // a common datum that lists itself does not keep itself
    }
    return false;
}

bool referencedInItsDesign(NuskObject* obj) { return usedBesides(obj, nullptr); }

void trashIfUnreferenced(NuskObject* obj) {
    if (obj && !referencedInItsDesign(obj)) nusk_move_to_trash(obj);
}

void dropModifiers(SetOfstp_datum_reference_modifier* set) {
    if (!set) return;
    std::vector<stp_datum_reference_modifier_with_value*> dropped;
    for (unsigned i = set->size(); i-- > 0;) {
        stp_datum_reference_modifier* m = set->get(i);
        if (!m || !m->is_datum_reference_modifier_with_value()) continue;
        if (stp_datum_reference_modifier_with_value* withValue = m->_datum_reference_modifier_with_value())
            dropped.push_back(withValue);
    }
    set->emptyYourself();
    // Out of the set first: what another set still lists stays.
    for (stp_datum_reference_modifier_with_value* withValue : dropped) {
        if (referencedInItsDesign(withValue)) continue;
        NuskObject* value = withValue->modifier_value();
        nusk_move_to_trash(withValue);
        trashIfUnreferenced(value);
    }
}

void discard(stp_general_datum_reference* ref) {
    // A worklist rather than recursion: common datums read from a file may nest without limit, or in a cycle,
    // which ends at a reference already in the trash. A reference that something else in the design still
    // refers to (another datum system, a presentation of it) stays, with everything below it.
    std::vector<stp_general_datum_reference*> pending = {ref};
    while (!pending.empty()) {
        stp_general_datum_reference* next = pending.back();
        pending.pop_back();
        if (!next || next->design() == nusk_trash() || referencedInItsDesign(next)) continue;
        // Read by name: asking the class for it would attach an empty set only to trash it.
        SetOfstp_datum_reference_modifier* modifiers =
            nusk_cast(next->getObject("modifiers", 0), nusktype_SetOfstp_datum_reference_modifier);
        ListOfstp_datum_reference_element* list = heldList(next);
        nusk_move_to_trash(next);
        // Its modifiers go after it: then only another reference can still hold them.
        dropModifiers(modifiers);
        // Elements in list order: the last pushed is taken first.
        for (unsigned i = list ? list->size() : 0; i-- > 0;) pending.push_back(list->get(i));
    }
}

}  // namespace mivo_tol

using namespace mivo_tol;

namespace {

/// Removes `target` from the common datums at or below `ref`, descending at most `depth` levels.
unsigned int removeBelow(stp_general_datum_reference* ref, stp_general_datum_reference* target, int depth) {
    if (!ref || !target || ref == target || depth <= 0) return 3;
    ListOfstp_datum_reference_element* list = heldList(ref);
    if (!list || list->empty()) return 3;
    for (unsigned i = 0; i < list->size(); ++i) {
        stp_general_datum_reference* element = list->get(i);
        if (element == target) {
            list->removeAt(i);
            ref->modified();
            discard(target);
            return 0;
        }
        if (removeBelow(element, target, depth - 1) == 0) return 0;
    }
    return 3;
}

/// Removes the entry at `position` of the tolerance's own system (an empty path) or common datum at `path`.
bool removeOwnEntry(stp_geometric_tolerance* tol, const std::vector<unsigned>& path, unsigned position) {
    if (path.empty()) {
        stp_datum_system* ds = ownDatums(tol);
        ListOfstp_datum_reference_compartment* list = ds ? ds->constituents() : nullptr;
        if (!list || !list->removeAt(position)) return false;
        ds->modified();
        return true;
    }
    stp_general_datum_reference* parent = ownAt(tol, path);
    ListOfstp_datum_reference_element* list = heldList(parent);
    if (!list || !list->removeAt(position)) return false;
    parent->modified();
    return true;
}

}  // namespace

unsigned int mivo_tol_remove_datum(stp_geometric_tolerance* tol, stp_general_datum_reference* ref) {
    std::vector<unsigned> path;
    if (!tol || !ref || !datumPath(tol, ref, path)) return 3;
    // Taken out of the tolerance's own system or common datum: where those were shared, the ones the others use
    // still list it, and discarding leaves it to them.
    const unsigned position = path.back();
    path.pop_back();
    if (!removeOwnEntry(tol, path, position)) return 3;
    discard(ref);
    return 0;
}

unsigned int mivo_tol_remove_datum(stp_geometric_tolerance* tol, stp_datum* datum) {
    if (!tol || !datum) return 3;
    return mivo_tol_remove_datum(tol, mivo_tol_get_datum_ref(tol, datum));
}

unsigned int mivo_tol_remove_datum(stp_general_datum_reference* ref, stp_datum* datum) {
    if (!ref || !datum) return 3;
    return removeBelow(ref, findByDatum(ref, datum, kSearchDepth), kSearchDepth);
}

unsigned int mivo_tol_remove_all_datums(stp_geometric_tolerance* tol) {
    stp_datum_system* ds = tol ? ownDatums(tol) : nullptr;
    ListOfstp_datum_reference_compartment* list = ds ? ds->constituents() : nullptr;
    if (!list) return 3;
    std::vector<stp_datum_reference_compartment*> removed;
    for (unsigned i = 0; i < list->size(); ++i) removed.push_back(list->get(i));
    list->emptyYourself();
    // Out of the list first, so that only what still refers to a compartment elsewhere keeps it.
    for (stp_datum_reference_compartment* compartment : removed) discard(compartment);
    return 0;
}
