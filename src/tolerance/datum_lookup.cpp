// Reading the datums of a tolerance: counts, datums and references by position, and the searches by datum and
// by label below a reference; the older precedence-numbered references when there is no datum system.
#include "internal.h"

#include "nusk/ap242/stp_datum_reference.h"
#include "nusk/ap242/stp_datum_reference_compartment.h"
#include "nusk/ap242/stp_datum_system.h"
#include "nusk/ap242/stp_datum_system_or_reference.h"
#include "nusk/select.h"

#include <algorithm>
#include <vector>

namespace mivo_tol {

stp_datum* heldDatum(stp_general_datum_reference* ref) {
    stp_datum_or_common_datum* base = ref ? ref->base() : nullptr;
    return base && base->is_datum() ? base->_datum() : nullptr;
}

ListOfstp_datum_reference_element* heldList(stp_general_datum_reference* ref) {
    stp_datum_or_common_datum* base = ref ? ref->base() : nullptr;
    return base && base->is_common_datum_list() ? base->_common_datum_list() : nullptr;
}

namespace {

template <class Matches>
stp_general_datum_reference* findBelow(stp_general_datum_reference* ref, int depth, const Matches& matches) {
    if (!ref || !ref->base() || ref->base()->isEmpty()) return nullptr;
    if (stp_datum* held = heldDatum(ref)) return matches(held) ? ref : nullptr;
    ListOfstp_datum_reference_element* list = heldList(ref);
    if (!list || depth <= 0) return nullptr;
    for (unsigned i = 0; i < list->size(); ++i)
        if (stp_general_datum_reference* found = findBelow(list->get(i), depth - 1, matches)) return found;
    return nullptr;
}

}  // namespace

stp_general_datum_reference* findByDatum(stp_general_datum_reference* ref, stp_datum* datum, int depth) {
    if (!datum) return nullptr;
    return findBelow(ref, depth, [datum](stp_datum* held) { return held == datum; });
}

stp_general_datum_reference* findByLabel(stp_general_datum_reference* ref, const char* label, int depth) {
    if (!label) return nullptr;
    return findBelow(ref, depth, [label](stp_datum* held) {
        return held->identification() && nusk_strcasecmp(held->identification(), label) == 0;
    });
}

stp_datum_reference* legacyReference(stp_geometric_tolerance* tol, stp_datum* datum) {
    SetOfstp_datum_system_or_reference* set = mivo_tol_get_datum_set(tol);
    if (!set || !datum) return nullptr;
    for (unsigned i = 0; i < set->size(); ++i) {
        stp_datum_system_or_reference* member = set->get(i);
        stp_datum_reference* ref = member && member->is_datum_reference() ? member->_datum_reference() : nullptr;
        if (ref && ref->referenced_datum() == datum) return ref;
    }
    return nullptr;
}

}  // namespace mivo_tol

using namespace mivo_tol;

namespace {

ListOfstp_datum_reference_compartment* compartments(stp_geometric_tolerance* tol) {
    stp_datum_system* ds = mivo_tol_get_datums(tol);
    return ds ? ds->constituents() : nullptr;
}

/// The legacy references of the set in ascending precedence.
std::vector<stp_datum_reference*> legacyInPrecedence(SetOfstp_datum_system_or_reference* set) {
    std::vector<stp_datum_reference*> refs;
    for (unsigned i = 0; set && i < set->size(); ++i) {
        stp_datum_system_or_reference* member = set->get(i);
        if (member && member->is_datum_reference() && member->_datum_reference())
            refs.push_back(member->_datum_reference());
    }
    std::stable_sort(refs.begin(), refs.end(), [](stp_datum_reference* a, stp_datum_reference* b) {
        return a->precedence() < b->precedence();
    });
    return refs;
}

}  // namespace

unsigned int mivo_tol_get_datum_count(stp_datum_system* ds) {
    ListOfstp_datum_reference_compartment* list = ds ? ds->constituents() : nullptr;
    return list ? list->size() : 0;
}

unsigned int mivo_tol_get_datum_count(stp_general_datum_reference* ref) {
    ListOfstp_datum_reference_element* list = heldList(ref);
    return list ? list->size() : 0;
}

unsigned int mivo_tol_get_datum_count(stp_geometric_tolerance* tol) {
    if (stp_datum_system* ds = mivo_tol_get_datums(tol)) return mivo_tol_get_datum_count(ds);
    SetOfstp_datum_system_or_reference* set = mivo_tol_get_datum_set(tol);
    return set ? set->size() : 0;
}

stp_datum* mivo_tol_get_datum(stp_datum_system* ds, unsigned int i) {
    ListOfstp_datum_reference_compartment* list = ds ? ds->constituents() : nullptr;
    return list ? heldDatum(list->get(i)) : nullptr;
}

stp_datum* mivo_tol_get_datum(stp_general_datum_reference* ref) { return heldDatum(ref); }

stp_datum* mivo_tol_get_datum(stp_general_datum_reference* ref, unsigned int i) {
    ListOfstp_datum_reference_element* list = heldList(ref);
    return list ? heldDatum(list->get(i)) : nullptr;
}

stp_datum* mivo_tol_get_datum(stp_geometric_tolerance* tol, unsigned int i) {
    if (stp_datum_system* ds = mivo_tol_get_datums(tol)) return mivo_tol_get_datum(ds, i);
    SetOfstp_datum_system_or_reference* set = mivo_tol_get_datum_set(tol);
    if (!set || i >= set->size()) return nullptr;
    std::vector<stp_datum_reference*> refs = legacyInPrecedence(set);
    return i < refs.size() ? refs[i]->referenced_datum() : nullptr;
}

stp_general_datum_reference* mivo_tol_get_datum_ref(stp_general_datum_reference* ref, unsigned int i) {
    ListOfstp_datum_reference_element* list = heldList(ref);
    return list ? list->get(i) : nullptr;
}

stp_general_datum_reference* mivo_tol_get_datum_ref(stp_general_datum_reference* ref, stp_datum* datum) {
    return findByDatum(ref, datum, kSearchDepth);
}

stp_general_datum_reference* mivo_tol_get_datum_ref(stp_general_datum_reference* ref, const char* label) {
    return findByLabel(ref, label, kSearchDepth);
}

stp_general_datum_reference* mivo_tol_get_datum_ref(stp_geometric_tolerance* tol, unsigned int i) {
    ListOfstp_datum_reference_compartment* list = compartments(tol);
    return list ? list->get(i) : nullptr;
}

stp_general_datum_reference* mivo_tol_get_datum_ref(stp_geometric_tolerance* tol, stp_datum* datum) {
    ListOfstp_datum_reference_compartment* list = compartments(tol);
    for (unsigned i = 0; list && datum && i < list->size(); ++i)
        if (stp_general_datum_reference* found = findByDatum(list->get(i), datum, kSearchDepth)) return found;
    return nullptr;
}

stp_general_datum_reference* mivo_tol_get_datum_ref(stp_geometric_tolerance* tol, const char* label) {
    ListOfstp_datum_reference_compartment* list = compartments(tol);
    for (unsigned i = 0; list && label && i < list->size(); ++i)
        if (stp_general_datum_reference* found = findByLabel(list->get(i), label, kSearchDepth)) return found;
    return nullptr;
}
