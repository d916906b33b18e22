// Copies that give one tolerance its own datum system before an edit. Files routinely share one datum system
// (and so its compartments and common datums) among several tolerances; an edit made through one tolerance must
// not change the others. Only what lies on the way from the system to the edited reference is copied, and only
// where something else uses it.
#include "internal.h"

#include "nusk/ap242/stp_datum_reference.h"
#include "nusk/ap242/stp_datum_reference_compartment.h"
#include "nusk/ap242/stp_datum_reference_element.h"
#include "nusk/ap242/stp_datum_reference_modifier.h"
#include "nusk/ap242/stp_datum_reference_modifier_with_value.h"
#include "nusk/ap242/stp_datum_system.h"
#include "nusk/ap242/stp_datum_system_or_reference.h"
#include "nusk/ap242/stp_referenced_modified_datum.h"

#include <vector>

using namespace mivo_tol;

namespace {

/// A new instance of the original's type with the original's shape aspect attributes.
template <class T>
T* newLike(T* original) {
    T* copy = nusk_cast<T>(original->design()->pnewInstance(original->domain(), 0));
    if (!copy) return nullptr;
    nusk_update_prim(copy, "name", original->name());
    nusk_update_prim(copy, "description", original->description());
    copy->of_shape(original->of_shape());
    copy->product_definitional(original->product_definitional());
    return copy;
}

/// A new modifier set of the same modifiers, each in a select of its own.
SetOfstp_datum_reference_modifier* copyModifiers(NuskDesign* design, SetOfstp_datum_reference_modifier* set) {
    auto* copy = new (design) SetOfstp_datum_reference_modifier();
    for (unsigned i = 0; copy && i < set->size(); ++i) {
        stp_datum_reference_modifier* m = set->get(i);
        auto* select = new (design) stp_datum_reference_modifier();
        if (!m || !select) continue;
        if (m->is_simple_datum_reference_modifier())
            select->_simple_datum_reference_modifier(m->_simple_datum_reference_modifier());
        else
            nusk_put_nested_object(select, nusk_get_nested_object(m));
        copy->add(select);
    }
    return copy;
}

/// A new select that holds the same datum, or a new list of the same elements.
stp_datum_or_common_datum* copyBase(NuskDesign* design, stp_general_datum_reference* ref) {
    auto* base = new (design) stp_datum_or_common_datum();
    if (!base) return nullptr;
    if (stp_datum* datum = heldDatum(ref)) base->_datum(datum);
    if (ListOfstp_datum_reference_element* list = heldList(ref)) {
        auto* copy = new (design) ListOfstp_datum_reference_element();
        for (unsigned i = 0; copy && i < list->size(); ++i) copy->add(list->get(i));
        base->_common_datum_list(copy);
    }
    return base;
}

/// A compartment or element like `ref` that holds the same datum or elements and modifiers in containers of
/// its own, so that editing them leaves `ref` as it is.
template <class T>
T* copyReference(T* ref) {
    T* copy = newLike(ref);
    if (!copy) return nullptr;
    NuskDesign* design = ref->design();
    if (ref->base()) copy->base(copyBase(design, ref));
    // Read by name: the class would attach an empty set to the original.
    if (auto* modifiers = nusk_cast(ref->getObject("modifiers", 0), nusktype_SetOfstp_datum_reference_modifier))
        copy->modifiers(copyModifiers(design, modifiers));
    copy->modified();
    return copy;
}

stp_datum_system* copySystem(stp_datum_system* ds) {
    stp_datum_system* copy = newLike(ds);
    if (!copy) return nullptr;
    auto* list = new (ds->design()) ListOfstp_datum_reference_compartment();
    ListOfstp_datum_reference_compartment* constituents = ds->constituents();
    for (unsigned i = 0; list && constituents && i < constituents->size(); ++i) list->add(constituents->get(i));
    copy->constituents(list);
    copy->modified();
    return copy;
}

/// The positions from the system down to `target`: its compartment, then an element index per level of common
/// datum, as deep as searches go. False when the system does not hold it.
bool pathTo(stp_general_datum_reference* ref, stp_general_datum_reference* target, int depth,
            std::vector<unsigned>& path) {
    if (ref == target) return true;
    ListOfstp_datum_reference_element* list = heldList(ref);
    for (unsigned i = 0; list && depth > 0 && i < list->size(); ++i) {
        path.push_back(i);
        if (pathTo(list->get(i), target, depth - 1, path)) return true;
        path.pop_back();
    }
    return false;
}

bool pathTo(stp_datum_system* ds, stp_general_datum_reference* target, std::vector<unsigned>& path) {
    ListOfstp_datum_reference_compartment* list = ds ? ds->constituents() : nullptr;
    for (unsigned i = 0; list && target && i < list->size(); ++i) {
        path = {i};
        if (pathTo(list->get(i), target, kSearchDepth, path)) return true;
    }
    path.clear();
    return false;
}

/// The compartment at position i of the system, copied into its place when something besides the system uses it.
stp_general_datum_reference* ownCompartment(stp_datum_system* ds, unsigned i) {
    ListOfstp_datum_reference_compartment* list = ds->constituents();
    stp_datum_reference_compartment* compartment = list ? list->get(i) : nullptr;
    if (!compartment || !usedBesides(compartment, ds)) return compartment;
    stp_datum_reference_compartment* copy = copyReference(compartment);
    if (!copy) return nullptr;
    list->put(copy, i);
    ds->modified();
    return copy;
}

/// The element at position i of the reference's common datum, copied into its place when something besides the
/// reference uses it.
stp_general_datum_reference* ownElement(stp_general_datum_reference* ref, unsigned i) {
    ListOfstp_datum_reference_element* list = heldList(ref);
    stp_datum_reference_element* element = list ? list->get(i) : nullptr;
    if (!element || !usedBesides(element, ref)) return element;
    stp_datum_reference_element* copy = copyReference(element);
    if (!copy) return nullptr;
    list->put(copy, i);
    ref->modified();
    return copy;
}

}  // namespace

namespace mivo_tol {

stp_datum_system* ownDatums(stp_geometric_tolerance* tol) {
    stp_datum_system* ds = mivo_tol_get_datums(tol);
    if (!ds || !usedBesides(ds, tol)) return ds;
    stp_datum_system* copy = copySystem(ds);
    // The copy takes the place of the system, the set's first member (which the set was found to hold).
    if (!copy || !nusk_put_nested_object(mivo_tol_get_datum_set(tol)->first(), copy)) return nullptr;
    tol->modified();
    return copy;
}

bool datumPath(stp_geometric_tolerance* tol, stp_general_datum_reference* ref, std::vector<unsigned>& path) {
    return pathTo(mivo_tol_get_datums(tol), ref, path);
}

stp_general_datum_reference* ownAt(stp_geometric_tolerance* tol, const std::vector<unsigned>& path) {
    stp_datum_system* ds = path.empty() ? nullptr : ownDatums(tol);
    stp_general_datum_reference* owned = ds ? ownCompartment(ds, path[0]) : nullptr;
    for (size_t level = 1; owned && level < path.size(); ++level) owned = ownElement(owned, path[level]);
    return owned;
}

stp_general_datum_reference* ownReference(stp_geometric_tolerance* tol, stp_general_datum_reference* ref) {
    std::vector<unsigned> path;
    return datumPath(tol, ref, path) ? ownAt(tol, path) : nullptr;
}

stp_datum_reference* ownLegacyReference(stp_geometric_tolerance* tol, stp_datum_reference* ref) {
    SetOfstp_datum_system_or_reference* set = mivo_tol_get_datum_set(tol);
    for (unsigned i = 0; set && ref && i < set->size(); ++i) {
        stp_datum_system_or_reference* member = set->get(i);
        if (!member || !member->is_datum_reference() || member->_datum_reference() != ref) continue;
        if (!usedBesides(ref, tol)) return ref;
        auto* copy = nusk_cast<stp_datum_reference>(ref->design()->pnewInstance(ref->domain(), 0));
        if (!copy) return nullptr;
        copy->precedence(ref->precedence());
        copy->referenced_datum(ref->referenced_datum());
        auto* modified = nusk_cast<stp_referenced_modified_datum>(ref);
        if (auto* modifiedCopy = nusk_cast<stp_referenced_modified_datum>(copy); modified && modifiedCopy)
            modifiedCopy->modifier(modified->modifier());
        member->_datum_reference(copy);
        tol->modified();
        return copy;
    }
    return nullptr;
}

}  // namespace mivo_tol
