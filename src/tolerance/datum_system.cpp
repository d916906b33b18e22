// The datum set and datum system of a tolerance, and adding datums to them: a datum becomes a new compartment
// of the system (the next lower precedence), or joins a compartment as a further element of a common datum.
#include "internal.h"

#include "nusk/ap242/stp_datum_reference_compartment.h"
#include "nusk/ap242/stp_datum_system.h"
#include "nusk/ap242/stp_datum_system_or_reference.h"
#include "nusk/select.h"

using namespace mivo_tol;

SetOfstp_datum_system_or_reference* mivo_tol_get_datum_set(stp_geometric_tolerance* tol) {
    if (!hasBit(tol, MIVO_TOL_WITH_DATUMS)) return nullptr;
    auto* set = nusk_cast(tol->getObject("datum_system", 0), nusktype_SetOfstp_datum_system_or_reference);
    if (set || !mayAttachOnDemand(tol, "datum_system")) return set;
    set = new (tol->design()) SetOfstp_datum_system_or_reference();
    if (!set) return nullptr;
    // Attached by a read: while it stays empty it is written as unset, so reading changes no file.
    set->markMadeOnDemand();
    tol->modified();
    tol->putObject(set, "datum_system", 0);
    return set;
}

unsigned int mivo_tol_put_datum_set(stp_geometric_tolerance* tol, SetOfstp_datum_system_or_reference* set) {
    if (!hasBit(tol, MIVO_TOL_WITH_DATUMS)) return 3;
    tol->modified();
    tol->putObject(set, "datum_system", 0);
    return 0;
}

stp_datum_system* mivo_tol_get_datums(stp_geometric_tolerance* tol) {
    SetOfstp_datum_system_or_reference* set = mivo_tol_get_datum_set(tol);
    stp_datum_system_or_reference* first = set ? set->first() : nullptr;
    return first && first->is_datum_system() ? first->_datum_system() : nullptr;
}

namespace {

/// The datum set when a datum system may take its first place: not when it lists older precedence-numbered
/// references, whose primary one the system would replace (and the schema allows one form or the other).
SetOfstp_datum_system_or_reference* setForSystem(stp_geometric_tolerance* tol) {
    SetOfstp_datum_system_or_reference* set = mivo_tol_get_datum_set(tol);
    for (unsigned i = 0; set && i < set->size(); ++i) {
        stp_datum_system_or_reference* member = set->get(i);
        if (member && member->is_datum_reference()) return nullptr;
    }
    return set;
}

}  // namespace

unsigned int mivo_tol_put_datums(stp_geometric_tolerance* tol, stp_datum_system* ds) {
    SetOfstp_datum_system_or_reference* set = setForSystem(tol);
    if (!set) return 3;
    if (set->empty()) {
        auto* select = new (tol->design()) stp_datum_system_or_reference();
        if (!select) return 3;
        set->_addIfAbsent(select);
    }
    stp_datum_system_or_reference* first = set->first();
    if (!first) return 3;
    nusk_put_nested_object(first, ds);
    first->modified();
    tol->modified();
    return 0;
}

namespace {

/// A new shape aspect of the kind a datum system or reference is: name "", no description, not product
/// definitional.
template <class T>
T* newShapeAspect(NuskDesign* design, stp_product_definition_shape* ofShape) {
    T* made = new (design) T();
    if (!made) return nullptr;
    nusk_update_prim(made, "name", "");
    made->product_definitional(0);
    made->of_shape(ofShape);
    made->modified();
    return made;
}

/// A new compartment or element that refers to `datum` alone.
template <class T>
T* newReference(NuskDesign* design, stp_datum* datum) {
    T* ref = newShapeAspect<T>(design, datum->of_shape());
    if (!ref) return nullptr;
    auto* base = new (design) stp_datum_or_common_datum();
    if (!base) return nullptr;
    base->_datum(datum);
    ref->base(base);
    return ref;
}

}  // namespace

stp_datum_system* mivo_tol_make_datums(stp_geometric_tolerance* tol) {
    if (stp_datum_system* ds = mivo_tol_get_datums(tol)) return ds;
    // Made only where it can be put: a system the set cannot take would be left in the design, and written.
    if (!setForSystem(tol)) return nullptr;
    auto* ds = newShapeAspect<stp_datum_system>(tol->design(), mivo_tol_get_pds(tol));
    if (!ds) return nullptr;
    return mivo_tol_put_datums(tol, ds) == 0 ? ds : nullptr;
}

stp_general_datum_reference* mivo_tol_add_datum(stp_geometric_tolerance* tol, stp_datum* datum) {
    if (!tol || !datum) return nullptr;
    if (stp_general_datum_reference* found = mivo_tol_get_datum_ref(tol, datum)) return found;
    // Appended to the tolerance's own system: another tolerance that uses the same one keeps its datums.
    stp_datum_system* ds = mivo_tol_make_datums(tol) ? ownDatums(tol) : nullptr;
    if (!ds) return nullptr;
    auto* compartment = newReference<stp_datum_reference_compartment>(tol->design(), datum);
    ListOfstp_datum_reference_compartment* list = ds->constituents();
    if (!compartment || !list) return nullptr;
    list->add(compartment);
    ds->modified();
    return compartment;
}

stp_general_datum_reference* mivo_tol_add_datum(stp_general_datum_reference* ref, stp_datum* datum) {
    if (!ref || !datum) return nullptr;
    if (stp_general_datum_reference* found = findByDatum(ref, datum, kSearchDepth)) return found;
    NuskDesign* design = ref->design();
    stp_datum_or_common_datum* base = ref->base();
    if (!base) {
        base = new (design) stp_datum_or_common_datum();
        if (!base) return nullptr;
        ref->base(base);
    }
    if (base->isEmpty()) {
        base->_datum(datum);
        ref->modified();
        return ref;
    }
    if (stp_datum* earlier = heldDatum(ref)) {
        // The reference becomes a common datum: its first element takes over the earlier datum and the
        // reference's modifiers.
        auto* list = new (design) ListOfstp_datum_reference_element();
        auto* first = newReference<stp_datum_reference_element>(design, earlier);
        if (!list || !first) return nullptr;
        base->_common_datum_list(list);
        first->putObject(ref->getObject("modifiers", 0), "modifiers", 0);
        ref->putObject(nullptr, "modifiers", 0);
        list->add(first);
        ref->modified();
    }
    ListOfstp_datum_reference_element* list = heldList(ref);
    if (!list) return nullptr;
    auto* element = newReference<stp_datum_reference_element>(design, datum);
    if (!element) return nullptr;
    list->add(element);
    ref->modified();
    return element;
}

stp_general_datum_reference* mivo_tol_add_common_datum(stp_geometric_tolerance* tol, stp_datum* first,
                                                       stp_datum* second) {
    if (!tol || !first || !second) return nullptr;
    stp_datum_system* ds = mivo_tol_make_datums(tol) ? ownDatums(tol) : nullptr;
    ListOfstp_datum_reference_compartment* list = ds ? ds->constituents() : nullptr;
    if (!list) return nullptr;
    auto* compartment = newShapeAspect<stp_datum_reference_compartment>(tol->design(), first->of_shape());
    if (!compartment) return nullptr;
    list->add(compartment);
    ds->modified();
    mivo_tol_add_datum(compartment, first);
    mivo_tol_add_datum(compartment, second);
    return compartment;
}
