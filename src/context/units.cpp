// The units and the uncertainty a representation context assigns.
//
// A context is usually an AND-combination (geometric, global unit assigned and global uncertainty assigned at
// once) whose class may not derive from the class that declares `units` or `uncertainty`: both sets are read
// by attribute name, after a type test.
#include "mivo_contexts.h"

#include "mivo_units.h"

#include "nusk/ap242/all.h"

namespace {

NuskAggregate* contextSet(stp_representation_context* context, NuskTypePtr& type, const char* attribute) {
    NuskObject* obj = context;
    if (!obj || !obj->isa(type)) return nullptr;
    return dynamic_cast<NuskAggregate*>(obj->getObject(attribute));
}

stp_representation_context* contextOf(stp_representation* rep) { return rep ? rep->context_of_items() : nullptr; }

stp_measure_value* valueOf(stp_uncertainty_measure_with_unit* u) {
    return dynamic_cast<stp_measure_value*>(static_cast<NuskObject*>(u)->getObject("value_component"));
}

/// The uncertainty of that name (without case), or the first that holds a length measure when name is null.
bool matches(stp_uncertainty_measure_with_unit* u, const char* name) {
    if (name) return nusk_strcasecmp(static_cast<NuskObject*>(u)->getString("name"), name) == 0;
    stp_measure_value* value = valueOf(u);
    return value && value->is_length_measure();
}

}  // namespace

NuskUnit mivo_get_context_unit(stp_representation_context* context, NuskMeasureType type) {
    if (type == nuskmeasure_unknown) return nuskunit_unknown;
    NuskAggregate* units = contextSet(context, nusktype_stp_global_unit_assigned_context, "units");
    if (!units) return nuskunit_unknown;
    for (unsigned i = 0; i < units->size(); ++i) {
        auto* unit = dynamic_cast<stp_unit*>(units->getObject(i));
        if (unit && mivo_get_measure_type(unit) == type) return mivo_get_unit_type(unit);
    }
    return nuskunit_unknown;
}

NuskUnit mivo_get_context_unit(stp_representation* rep, NuskMeasureType type) {
    return mivo_get_context_unit(contextOf(rep), type);
}

NuskUnit mivo_get_context_length_unit(stp_representation_context* context) {
    return mivo_get_context_unit(context, nuskmeasure_length);
}
NuskUnit mivo_get_context_length_unit(stp_representation* rep) { return mivo_get_context_length_unit(contextOf(rep)); }

NuskUnit mivo_get_context_angle_unit(stp_representation_context* context) {
    return mivo_get_context_unit(context, nuskmeasure_plane_angle);
}
NuskUnit mivo_get_context_angle_unit(stp_representation* rep) { return mivo_get_context_angle_unit(contextOf(rep)); }

NuskUnit mivo_get_context_solid_angle_unit(stp_representation_context* context) {
    return mivo_get_context_unit(context, nuskmeasure_solid_angle);
}
NuskUnit mivo_get_context_solid_angle_unit(stp_representation* rep) {
    return mivo_get_context_solid_angle_unit(contextOf(rep));
}

stp_uncertainty_measure_with_unit* mivo_get_context_uncertainty(stp_representation_context* context, const char* name) {
    NuskAggregate* set = contextSet(context, nusktype_stp_global_uncertainty_assigned_context, "uncertainty");
    if (!set) return nullptr;
    for (unsigned i = 0; i < set->size(); ++i) {
        auto* u = nusk_cast(set->getObject(i), nusktype_stp_uncertainty_measure_with_unit);
        if (u && matches(u, name)) return u;
    }
    return nullptr;
}

stp_uncertainty_measure_with_unit* mivo_get_context_uncertainty(stp_representation* rep, const char* name) {
    return mivo_get_context_uncertainty(contextOf(rep), name);
}

double mivo_get_context_uncertainty_value(stp_representation_context* context, const char* name) {
    stp_uncertainty_measure_with_unit* u = mivo_get_context_uncertainty(context, name);
    stp_measure_value* value = u ? valueOf(u) : nullptr;
    return value ? value->getDouble(0) : NUSK_NULL_REAL;  // a text value reads as the null real too
}

double mivo_get_context_uncertainty_value(stp_representation* rep, const char* name) {
    return mivo_get_context_uncertainty_value(contextOf(rep), name);
}
