// A context like another in all but its length and plane angle units, for representations converted into
// other units.
#include "mivo_contexts.h"
#include "mivo_measures.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"

#include <cmath>
#include <string>

namespace {

/// The new length and plane angle units of the context; nuskunit_as_is keeps a kind as the source has it.
struct Replacement {
    NuskUnit units[2];  // length, plane angle
    static constexpr NuskMeasureType kinds[2] = {nuskmeasure_length, nuskmeasure_plane_angle};

    /// The index of the kind of quantity a unit of this kind replaces, or -1.
    int indexOf(NuskMeasureType kind) const {
        for (int i = 0; i < 2; ++i)
            if (kind == kinds[i] && units[i] != nuskunit_as_is) return i;
        return -1;
    }
};

bool isUnitOf(NuskUnit unit, NuskMeasureType kind) {
    return unit == nuskunit_as_is || (unit != nuskunit_unknown && nusk_get_measure_type(unit) == kind);
}

/// Counts the reference that `obj` gets, when the design counts references.
NuskObject* referenced(NuskDesign* design, NuskObject* obj) {
    if (obj && nusk_refcount(design)) nusk_refcount_inc(obj);
    return obj;
}

/// The kind of quantity of a unit: its tag, or for an untagged unit the type of unit it is.
NuskMeasureType kindOf(stp_unit* select) {
    if (NuskMeasureType kind = mivo_get_measure_type(select)) return kind;
    NuskObject* unit = nusk_get_nested_object(select);
    if (unit && unit->isa(nusktype_stp_length_unit)) return nuskmeasure_length;
    if (unit && unit->isa(nusktype_stp_plane_angle_unit)) return nuskmeasure_plane_angle;
    return nuskmeasure_unknown;
}

/// A new unit select holding `unit`.
NuskObject* unitSelect(NuskDesign* design, NuskObject* unit) {
    auto* select = new (design) stp_unit();
    if (select) nusk_put_nested_object(select, referenced(design, unit));
    return select;
}

/// The source's units with the replaced kinds in their new units, in the source's order; the new units of kinds
/// the source lacks come last.
NuskObject* unitsOf(NuskDesign* design, NuskAggregate* source, const Replacement& r) {
    auto* set = new (design) SetOfstp_unit();
    if (!set) return nullptr;
    bool placed[2] = {false, false};
    auto place = [&](int i) {
        if (!placed[i]) set->addObject(referenced(design, unitSelect(design, mivo_make_unit(design, r.units[i]))));
        placed[i] = true;
    };
    for (unsigned k = 0; source && k < source->size(); ++k) {
        auto* select = dynamic_cast<stp_unit*>(source->getObject(k));
        NuskObject* unit = nusk_get_nested_object(select);
        if (!unit) continue;
        const int i = r.indexOf(kindOf(select));
        if (i >= 0)
            place(i);  // a second unit of the kind is not repeated
        else
            set->addObject(referenced(design, unitSelect(design, unit)));
    }
    for (int i = 0; i < 2; ++i)
        if (r.units[i] != nuskunit_as_is) place(i);
    return set;
}

/// A new uncertainty measure like `u` (type, name, description) with its value in `unit`; null when the value
/// cannot be converted (an untagged unit, a text value, a value beyond the range of a double once converted):
/// the caller keeps `u`, which states its own unit.
NuskObject* convertedUncertainty(NuskDesign* design, NuskObject* u, NuskUnit unit, NuskMeasureType kind) {
    const double value = mivo_get_measure_value(nusk_cast(u, nusktype_stp_measure_with_unit), unit);
    if (value == NUSK_NULL_REAL || !std::isfinite(value)) return nullptr;
    NuskObject* made = design->pnewInstance(u->domain());
    if (!made) return nullptr;
    made->putObject(referenced(design, mivo_make_measure_value(design, value, kind)), "value_component");
    made->putObject(referenced(design, unitSelect(design, mivo_make_unit(design, unit))), "unit_component");
    nusk_update_prim(made, "name", u->getString("name"));
    nusk_update_prim(made, "description", u->getString("description"));
    return made;
}

/// The source's uncertainties, those of a replaced kind converted into the new unit, the others kept.
NuskObject* uncertaintiesOf(NuskDesign* design, NuskAggregate* source, const Replacement& r) {
    auto* set = new (design) SetOfstp_uncertainty_measure_with_unit();
    if (!set) return nullptr;
    for (unsigned k = 0; source && k < source->size(); ++k) {
        NuskObject* u = source->getObject(k);
        if (!u) continue;
        const NuskMeasureType kind = mivo_get_measure_type(nusk_cast(u, nusktype_stp_measure_with_unit));
        const int i = r.indexOf(kind);
        NuskObject* converted = i >= 0 ? convertedUncertainty(design, u, r.units[i], kind) : nullptr;
        set->addObject(referenced(design, converted ? converted : u));
    }
    return set;
}

/// Copies a plain value, or the reference to an entity, from one instance of a domain to another.
void copySlot(NuskObject* from, NuskObject* to, int slot, const NuskAttribute* att) {
    switch (att->valueDomain()->primitive()) {
    case NuskPrimitive::string:
    case NuskPrimitive::binary: nusk_update_prim(to, att, from->getString(slot)); break;
    case NuskPrimitive::integer: to->putInteger64(from->getInteger64(slot), slot); break;
    case NuskPrimitive::real: to->putDouble(from->getDouble(slot), slot); break;
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: to->putInteger(from->getInteger(slot), slot); break;
    case NuskPrimitive::object:
        // Entities are shared; a select or aggregate of a context type this code does not know stays unset
        // rather than be shared by two contexts.
        if (att->slotNodeType() == nusk_node_entity) to->putObject(referenced(to->design(), from->getObject(slot)), slot);
        break;
    default: break;
    }
}

}  // namespace

stp_representation_context* mivo_make_context_in_units(stp_representation_context* source, NuskUnit length,
                                                       NuskUnit angle) {
    if (!source || !isUnitOf(length, nuskmeasure_length) || !isUnitOf(angle, nuskmeasure_plane_angle)) return nullptr;
    const Replacement r{{length, angle}};
    NuskDesign* design = source->design();
    NuskDomain* domain = source->domain();
    NuskObject* made = design->pnewInstance(domain);
    auto* context = dynamic_cast<stp_representation_context*>(made);
    if (!context) {
        nusk_move_to_trash(made);
        return nullptr;
    }
    const std::vector<NuskAttribute*>& atts = domain->slotAttributes();
    for (size_t i = 0; i < atts.size(); ++i) {
        const int slot = static_cast<int>(i);
        if (domain->slotIsDerived(static_cast<unsigned>(slot))) continue;
        const std::string name = atts[i]->name();
        auto* set = dynamic_cast<NuskAggregate*>(source->getObject(slot));
        if (name == "units")
            made->putObject(referenced(design, unitsOf(design, set, r)), slot);
        else if (name == "uncertainty")
            made->putObject(referenced(design, set ? uncertaintiesOf(design, set, r) : nullptr), slot);
        else
            copySlot(source, made, slot, atts[i]);
    }
    return context;
}
