// The modifiers of datum references: simple modifiers and modifiers with a length value, on a reference or on
// the reference a tolerance holds for a datum; the older limit condition of a legacy reference stands in for
// them when the tolerance has no such reference.
#include "internal.h"

#include "mivo_measures.h"

#include "nusk/ap242/stp_datum_reference_modifier.h"
#include "nusk/ap242/stp_datum_reference_modifier_with_value.h"
#include "nusk/ap242/stp_length_measure_with_unit.h"
#include "nusk/ap242/stp_referenced_modified_datum.h"
#include "nusk/lifetime.h"

using namespace mivo_tol;

namespace {

SetOfstp_datum_reference_modifier* modifierSet(stp_general_datum_reference* ref) {
    return ref ? ref->modifiers() : nullptr;
}

bool holdsSimple(stp_datum_reference_modifier* m, stp_simple_datum_reference_modifier value) {
    return m && m->is_simple_datum_reference_modifier() && m->_simple_datum_reference_modifier() == value;
}

stp_datum_reference_modifier_with_value* withValue(stp_datum_reference_modifier* m) {
    return m && m->is_datum_reference_modifier_with_value() ? m->_datum_reference_modifier_with_value() : nullptr;
}

bool holdsType(stp_datum_reference_modifier* m, stp_datum_reference_modifier_type type) {
    stp_datum_reference_modifier_with_value* entity = withValue(m);
    return entity && entity->modifier_type() == type;
}

/// True when the reference's modifier set holds a modifier that `matches`.
template <class Matches>
bool holdsModifier(stp_general_datum_reference* ref, const Matches& matches) {
    SetOfstp_datum_reference_modifier* set = modifierSet(ref);
    for (unsigned i = 0; set && i < set->size(); ++i)
        if (matches(set->get(i))) return true;
    return false;
}

/// The tolerance's own reference to `datum` (see ownReference), for an edit of its modifiers; null when it has
/// none. Asked only when the edit changes something, so that an edit without effect copies nothing.
stp_general_datum_reference* ownReferenceTo(stp_geometric_tolerance* tol, stp_datum* datum) {
    return ownReference(tol, mivo_tol_get_datum_ref(tol, datum));
}

/// The legacy reference to `datum` when it carries a limit condition (a referenced_modified_datum).
stp_referenced_modified_datum* legacyModified(stp_geometric_tolerance* tol, stp_datum* datum) {
    return nusk_cast(legacyReference(tol, datum), nusktype_stp_referenced_modified_datum);
}

/// The simple modifier that a legacy limit condition stands for: the material conditions only.
stp_simple_datum_reference_modifier fromLimitCondition(stp_limit_condition c) {
    switch (c) {
    case stp_limit_condition_maximum_material_condition:
        return stp_simple_datum_reference_modifier_maximum_material_requirement;
    case stp_limit_condition_least_material_condition:
        return stp_simple_datum_reference_modifier_least_material_requirement;
    default: return stp_simple_datum_reference_modifier_UNSET;
    }
}

/// Sets a legacy reference's limit condition to regardless of feature size, on the tolerance's own copy when
/// other tolerances list the same reference.
void clearLimitCondition(stp_geometric_tolerance* tol, stp_referenced_modified_datum* legacy) {
    auto* own = nusk_cast<stp_referenced_modified_datum>(ownLegacyReference(tol, legacy));
    if (!own) return;
    own->modifier(stp_limit_condition_regardless_of_feature_size);
    own->modified();
}

}  // namespace

unsigned int mivo_tol_add_datum_modifier(stp_general_datum_reference* ref, stp_simple_datum_reference_modifier m) {
    SetOfstp_datum_reference_modifier* set = modifierSet(ref);
    if (!set) return 3;
    for (unsigned i = 0; i < set->size(); ++i)
        if (holdsSimple(set->get(i), m)) return 0;
    auto* select = new (ref->design()) stp_datum_reference_modifier();
    if (!select) return 3;
    select->_simple_datum_reference_modifier(m);
    set->_addIfAbsent(select);
    ref->modified();
    return 0;
}

unsigned int mivo_tol_add_datum_modifier(stp_general_datum_reference* ref, stp_datum_reference_modifier_type type,
                                         double value, NuskUnit unit) {
    SetOfstp_datum_reference_modifier* set = modifierSet(ref);
    if (!set) return 3;
    unsigned position = 0;
    while (position < set->size() && !holdsType(set->get(position), type)) ++position;
    NuskDesign* design = ref->design();
    stp_datum_reference_modifier_with_value* entity = withValue(set->get(position));
    // A modifier that another reference holds too keeps its value there: this reference gets a new one, in the
    // place of the shared one.
    if (!entity || usedBesides(entity, ref)) {
        entity = new (design) stp_datum_reference_modifier_with_value();
        auto* select = new (design) stp_datum_reference_modifier();
        if (!entity || !select) return 3;
        entity->modifier_type(type);
        select->_datum_reference_modifier_with_value(entity);
        if (position < set->size())
            set->putObjectAt(select, position);
        else
            set->_addIfAbsent(select);
        ref->modified();
    }
    entity->modifier_value(mivo_make_length_measure(design, value, unit));
    entity->modified();
    return 0;
}

unsigned int mivo_tol_add_datum_modifier(stp_geometric_tolerance* tol, stp_datum* datum,
                                         stp_simple_datum_reference_modifier m) {
    if (!tol || !datum) return 3;
    stp_general_datum_reference* ref = mivo_tol_get_datum_ref(tol, datum);
    if (!ref) return 3;
    if (holdsModifier(ref, [m](stp_datum_reference_modifier* held) { return holdsSimple(held, m); })) return 0;
    return mivo_tol_add_datum_modifier(ownReferenceTo(tol, datum), m);
}

unsigned int mivo_tol_add_datum_modifier(stp_geometric_tolerance* tol, stp_datum* datum,
                                         stp_datum_reference_modifier_type type, double value, NuskUnit unit) {
    if (!tol || !datum) return 3;
    stp_general_datum_reference* ref = ownReferenceTo(tol, datum);
    return ref ? mivo_tol_add_datum_modifier(ref, type, value, unit) : 3;
}

stp_simple_datum_reference_modifier mivo_tol_get_datum_modifier(stp_general_datum_reference* ref, unsigned int i) {
    SetOfstp_datum_reference_modifier* set = modifierSet(ref);
    stp_datum_reference_modifier* m = set ? set->get(i) : nullptr;
    return m && m->is_simple_datum_reference_modifier() ? m->_simple_datum_reference_modifier()
                                                        : stp_simple_datum_reference_modifier_UNSET;
}

stp_simple_datum_reference_modifier mivo_tol_get_datum_modifier(stp_geometric_tolerance* tol, stp_datum* datum,
                                                                unsigned int i) {
    if (stp_general_datum_reference* ref = mivo_tol_get_datum_ref(tol, datum))
        return mivo_tol_get_datum_modifier(ref, i);
    stp_referenced_modified_datum* legacy = legacyModified(tol, datum);
    return legacy && i == 0 ? fromLimitCondition(legacy->modifier()) : stp_simple_datum_reference_modifier_UNSET;
}

stp_datum_reference_modifier_with_value* mivo_tol_get_datum_modifier_with_value(stp_general_datum_reference* ref,
                                                                                unsigned int i) {
    SetOfstp_datum_reference_modifier* set = modifierSet(ref);
    return set ? withValue(set->get(i)) : nullptr;
}

stp_datum_reference_modifier_with_value* mivo_tol_get_datum_modifier_with_value(stp_geometric_tolerance* tol,
                                                                                stp_datum* datum, unsigned int i) {
    return mivo_tol_get_datum_modifier_with_value(mivo_tol_get_datum_ref(tol, datum), i);
}

unsigned int mivo_tol_get_datum_modifier_count(stp_general_datum_reference* ref) {
    SetOfstp_datum_reference_modifier* set = modifierSet(ref);
    return set ? set->size() : 0;
}

unsigned int mivo_tol_get_datum_modifier_count(stp_geometric_tolerance* tol, stp_datum* datum) {
    if (stp_general_datum_reference* ref = mivo_tol_get_datum_ref(tol, datum))
        return mivo_tol_get_datum_modifier_count(ref);
    stp_referenced_modified_datum* legacy = legacyModified(tol, datum);
    return legacy && fromLimitCondition(legacy->modifier()) != stp_simple_datum_reference_modifier_UNSET ? 1 : 0;
}

unsigned int mivo_tol_remove_datum_modifier(stp_general_datum_reference* ref, stp_simple_datum_reference_modifier m) {
    SetOfstp_datum_reference_modifier* set = modifierSet(ref);
    if (!set) return 3;
    for (unsigned i = set->size(); i-- > 0;)
        if (holdsSimple(set->get(i), m)) set->removeAt(i);
    ref->modified();
    return 0;
}

unsigned int mivo_tol_remove_datum_modifier(stp_general_datum_reference* ref, stp_datum_reference_modifier_type type) {
    SetOfstp_datum_reference_modifier* set = modifierSet(ref);
    if (!set) return 3;
    for (unsigned i = set->size(); i-- > 0;) {
        stp_datum_reference_modifier_with_value* entity = withValue(set->get(i));
        if (!entity || entity->modifier_type() != type) continue;
        set->removeAt(i);
        if (referencedInItsDesign(entity)) continue;  // another reference's set holds it too
        NuskObject* value = entity->modifier_value();
        nusk_move_to_trash(entity);
        trashIfUnreferenced(value);
    }
    ref->modified();
    return 0;
}

unsigned int mivo_tol_remove_datum_modifier(stp_geometric_tolerance* tol, stp_datum* datum,
                                            stp_simple_datum_reference_modifier m) {
    if (!tol || !datum) return 3;
    if (stp_general_datum_reference* ref = mivo_tol_get_datum_ref(tol, datum)) {
        if (!holdsModifier(ref, [m](stp_datum_reference_modifier* held) { return holdsSimple(held, m); })) return 0;
        return mivo_tol_remove_datum_modifier(ownReferenceTo(tol, datum), m);
    }
    stp_referenced_modified_datum* legacy = legacyModified(tol, datum);
    if (legacy && fromLimitCondition(legacy->modifier()) == m && m != stp_simple_datum_reference_modifier_UNSET)
        clearLimitCondition(tol, legacy);
    return 0;
}

unsigned int mivo_tol_remove_datum_modifier(stp_geometric_tolerance* tol, stp_datum* datum,
                                            stp_datum_reference_modifier_type type) {
    if (!tol || !datum) return 3;
    stp_general_datum_reference* ref = mivo_tol_get_datum_ref(tol, datum);
    if (!ref) return 3;
    if (!holdsModifier(ref, [type](stp_datum_reference_modifier* held) { return holdsType(held, type); })) return 0;
    return mivo_tol_remove_datum_modifier(ownReferenceTo(tol, datum), type);
}

unsigned int mivo_tol_remove_datum_modifiers(stp_general_datum_reference* ref) {
    SetOfstp_datum_reference_modifier* set = modifierSet(ref);
    if (!set) return 0;
    dropModifiers(set);
    ref->modified();
    return 0;
}

unsigned int mivo_tol_remove_datum_modifiers(stp_geometric_tolerance* tol, stp_datum* datum) {
    if (!tol || !datum) return 3;
    if (stp_general_datum_reference* ref = mivo_tol_get_datum_ref(tol, datum)) {
        if (mivo_tol_get_datum_modifier_count(ref) == 0) return 0;
        return mivo_tol_remove_datum_modifiers(ownReferenceTo(tol, datum));
    }
    stp_referenced_modified_datum* legacy = legacyModified(tol, datum);
    if (legacy && legacy->modifier() != stp_limit_condition_regardless_of_feature_size)
        clearLimitCondition(tol, legacy);
    return 0;
}
