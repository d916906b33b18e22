// Names of the values of the modifier enumerations, as the schema's dictionary records them.
#include "internal.h"

#include "nusk/ap242/stp_datum_reference_modifier_with_value.h"

#include <cstring>

namespace {

// The enumerations have no classes of their own: their type handles are made here, by schema name.
NuskTypePtr simpleModifierType(&nusk_ap242_schema, "simple_datum_reference_modifier");
NuskTypePtr modifierTypeType(&nusk_ap242_schema, "datum_reference_modifier_type");
NuskTypePtr toleranceModifierType(&nusk_ap242_schema, "geometric_tolerance_modifier");

const char* nameOf(NuskTypePtr& type, int value) {
    NuskDomain* d = type.domain();
    const NuskVarInfo* info = d ? d->getVarInfo(value) : nullptr;
    return info ? info->name : nullptr;
}

int valueOf(NuskTypePtr& type, const char* name) {
    if (!name || !*name) return -1;
    const NuskVarInfo* info = NuskDomain::getVarInfo(name, type);
    return info ? info->value : -1;
}

}  // namespace

const char* mivo_tol_get_datum_modifier_name(stp_simple_datum_reference_modifier v) {
    return nameOf(simpleModifierType, v);
}
stp_simple_datum_reference_modifier mivo_tol_get_datum_modifier_value(const char* name) {
    return static_cast<stp_simple_datum_reference_modifier>(valueOf(simpleModifierType, name));
}
const char* mivo_tol_get_datum_with_value_modifier_name(stp_datum_reference_modifier_type v) {
    return nameOf(modifierTypeType, v);
}
stp_datum_reference_modifier_type mivo_tol_get_datum_with_value_modifier_value(const char* name) {
    return static_cast<stp_datum_reference_modifier_type>(valueOf(modifierTypeType, name));
}
const char* mivo_tol_get_modifier_name(stp_geometric_tolerance_modifier v) { return nameOf(toleranceModifierType, v); }
stp_geometric_tolerance_modifier mivo_tol_get_modifier_value(const char* name) {
    return static_cast<stp_geometric_tolerance_modifier>(valueOf(toleranceModifierType, name));
}
