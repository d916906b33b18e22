// The tolerance modifiers of a geometric_tolerance_with_modifiers, and the older single limit condition that
// stands in for them on a modified_geometric_tolerance.
#include "internal.h"

using namespace mivo_tol;

SetOfstp_geometric_tolerance_modifier* mivo_tol_get_modifiers(stp_geometric_tolerance* tol) {
    if (!hasBit(tol, MIVO_TOL_WITH_MODIFIERS)) return nullptr;
    auto* set = nusk_cast(tol->getObject("modifiers", 0), nusktype_SetOfstp_geometric_tolerance_modifier);
    if (set || !mayAttachOnDemand(tol, "modifiers")) return set;
    set = new (tol->design()) SetOfstp_geometric_tolerance_modifier();
    if (!set) return nullptr;
    // Attached by a read: while it stays empty it is written as unset, so reading changes no file.
    set->markMadeOnDemand();
    tol->modified();
    tol->putObject(set, "modifiers", 0);
    return set;
}

unsigned int mivo_tol_put_modifiers(stp_geometric_tolerance* tol, SetOfstp_geometric_tolerance_modifier* set) {
    if (!hasBit(tol, MIVO_TOL_WITH_MODIFIERS)) return 3;
    tol->modified();
    tol->putObject(set, "modifiers", 0);
    return 0;
}

unsigned int mivo_tol_add_modifier(stp_geometric_tolerance* tol, stp_geometric_tolerance_modifier m) {
    SetOfstp_geometric_tolerance_modifier* set = mivo_tol_get_modifiers(tol);
    if (!set || m == stp_geometric_tolerance_modifier_UNSET) return 3;
    set->_addIfAbsent(m);
    tol->modified();
    return 0;
}

unsigned int mivo_tol_remove_modifier(stp_geometric_tolerance* tol, stp_geometric_tolerance_modifier m) {
    SetOfstp_geometric_tolerance_modifier* set = mivo_tol_get_modifiers(tol);
    if (!set || m == stp_geometric_tolerance_modifier_UNSET) return 3;
    if (set->_remove(m)) tol->modified();
    return 0;
}

unsigned int mivo_tol_remove_modifiers(stp_geometric_tolerance* tol) {
    SetOfstp_geometric_tolerance_modifier* set = mivo_tol_get_modifiers(tol);
    if (!set) return 3;
    set->emptyYourself();
    tol->modified();
    return 0;
}

namespace {

/// The tolerance modifier that an older limit condition stands for: the material conditions only.
stp_geometric_tolerance_modifier fromLimitCondition(stp_limit_condition c) {
    switch (c) {
    case stp_limit_condition_maximum_material_condition:
        return stp_geometric_tolerance_modifier_maximum_material_requirement;
    case stp_limit_condition_least_material_condition: return stp_geometric_tolerance_modifier_least_material_requirement;
    default: return stp_geometric_tolerance_modifier_UNSET;
    }
}

}  // namespace

stp_geometric_tolerance_modifier mivo_tol_get_modifier(stp_geometric_tolerance* tol, unsigned int i) {
    if (SetOfstp_geometric_tolerance_modifier* set = mivo_tol_get_modifiers(tol)) return set->get(i);
    return fromLimitCondition(mivo_tol_get_limit_condition(tol));
}

unsigned int mivo_tol_get_modifier_count(stp_geometric_tolerance* tol) {
    if (SetOfstp_geometric_tolerance_modifier* set = mivo_tol_get_modifiers(tol)) return set->size();
    return fromLimitCondition(mivo_tol_get_limit_condition(tol)) == stp_geometric_tolerance_modifier_UNSET ? 0 : 1;
}
