// Converting every representation of a design into one length unit and one plane angle unit.
#include "mivo_contexts.h"
#include "mivo_geometry.h"
#include "mivo_units.h"

#include "unit_translation.h"

#include <unordered_map>

namespace {

using namespace mivo_geometry;

bool isUnitOf(NuskUnit unit, NuskMeasureType kind) {
    return unit != nuskunit_unknown && unit != nuskunit_as_is && nusk_get_measure_type(unit) == kind;
}

/// The units a context in `from` (length, plane angle) is converted into: the requested unit of each kind
/// that the context states, its own otherwise.
void targetUnits(const NuskUnit from[2], const NuskUnit requested[2], NuskUnit to[2]) {
    for (int i = 0; i < 2; ++i)
        to[i] = from[i] != nuskunit_unknown && requested[i] != nuskunit_unknown ? requested[i] : from[i];
}

/// The first unit of that kind of quantity the context states that has no code (a kilometre, a yard): no
/// conversion knows it. Null when every unit of that kind has a code, or the context states none.
stp_unit* unitWithoutCode(stp_representation_context* context, NuskMeasureType kind, NuskTypePtr& unitType) {
    NuskObject* obj = context;
    if (!obj || !obj->isa(nusktype_stp_global_unit_assigned_context)) return nullptr;
    auto* units = dynamic_cast<NuskAggregate*>(obj->getObject("units"));
    for (unsigned i = 0; units && i < units->size(); ++i) {
        auto* unit = dynamic_cast<stp_unit*>(units->getObject(i));
        NuskObject* held = unit ? nusk_get_nested_object(unit) : nullptr;
        if (!held || mivo_get_unit_type(unit) != nuskunit_unknown) continue;
        if (mivo_get_measure_type(unit) == kind || held->isa(unitType)) return unit;
    }
    return nullptr;
}

/// Whether a unit asked for cannot be reached from the context because the unit it states of that kind has no
/// code; warns once per context, naming it and the unit.
bool statesAUnitWithoutCode(stp_representation_context* context, const NuskUnit from[2], const NuskUnit requested[2],
                            std::unordered_map<NuskObject*, bool>& warned) {
    const struct {
        NuskMeasureType kind;
        NuskTypePtr* type;
        const char* what;
    } kinds[2] = {{nuskmeasure_length, &nusktype_stp_length_unit, "length"},
                  {nuskmeasure_plane_angle, &nusktype_stp_plane_angle_unit, "plane angle"}};
    for (int i = 0; i < 2; ++i) {
        if (from[i] != nuskunit_unknown || requested[i] == nuskunit_unknown) continue;
        stp_unit* unit = unitWithoutCode(context, kinds[i].kind, *kinds[i].type);
        if (!unit) continue;
        if (!warned[context]) {
            warned[context] = true;
            NUSK.warning("mivo_convert_geometry_units: context #%lu states a %s unit that no conversion knows "
                         "(#%lu, %s); its representations are not converted and keep it\n",
                         static_cast<unsigned long>(static_cast<NuskObject*>(context)->entity_id()), kinds[i].what,
                         static_cast<unsigned long>(nusk_get_nested_object(unit)->entity_id()),
                         mivo_get_unit_fullname(unit));
        }
        return true;
    }
    return false;
}

/// The origins of the representation maps of the design, by the representation each maps: they are in its
/// context, whether or not they are among its items. Gathered once, before any context changes.
std::unordered_map<NuskObject*, std::vector<NuskObject*>> mapOrigins(NuskDesign* design) {
    std::unordered_map<NuskObject*, std::vector<NuskObject*>> origins;
    for (NuskObject* map : nusk_instances_of(design, nusktype_stp_representation_map)) {
        NuskObject* mapped = nusk_expand_substitutes(map->getObject("mapped_representation"));
        if (NuskObject* origin = map->getObject("mapping_origin"); mapped && origin) origins[mapped].push_back(origin);
    }
    return origins;
}

}  // namespace

MivoUnitConversion mivo_convert_geometry_units(NuskDesign* design, NuskUnit length, NuskUnit angle) {
    MivoUnitConversion done;
    if (angle == nuskunit_as_is) angle = nuskunit_unknown;
    if (!design || !(length == nuskunit_as_is || isUnitOf(length, nuskmeasure_length)) ||
        !(angle == nuskunit_unknown || isUnitOf(angle, nuskmeasure_plane_angle)))
        return done;
    const NuskUnit requested[2] = {length == nuskunit_as_is ? nuskunit_unknown : length, angle};
    const auto origins = mapOrigins(design);
    std::unordered_map<NuskObject*, stp_representation_context*> madeFor;  // source context: its new context
    std::unordered_map<NuskObject*, bool> warned;  // contexts whose unit without a code was told of

    // One translation for the whole design: an object that two representations share is converted once.
    UnitTranslation translation(design);
    for (NuskObject* rep : nusk_instances_of(design, nusktype_stp_representation)) {
        // By attribute name: a representation made as a class outside the representation classes counts too.
        auto* source = nusk_cast(rep->getObject("context_of_items"), nusktype_stp_representation_context);
        if (!source || static_cast<NuskObject*>(source)->isa(nusktype_stp_parametric_representation_context)) continue;
        const NuskUnit from[2] = {mivo_get_context_length_unit(source), mivo_get_context_angle_unit(source)};
        if (statesAUnitWithoutCode(source, from, requested, warned)) {
            ++done.unconverted;
            continue;
        }
        NuskUnit to[2];
        targetUnits(from, requested, to);
        if (to[0] == from[0] && to[1] == from[1]) continue;  // already in the units asked for
        Factors factors;
        if (!factorsBetween(from, to, rep, factors)) {  // warned of, naming the representation
            ++done.unconverted;
            continue;
        }

        stp_representation_context*& target = madeFor[source];
        if (!target) {
            target = mivo_make_context_in_units(source, to[0] == from[0] ? nuskunit_as_is : to[0],
                                                to[1] == from[1] ? nuskunit_as_is : to[1]);
            if (!target) continue;
            ++done.contexts;
        }
        std::vector<NuskObject*> roots = itemsOf(rep);
        const auto found = origins.find(rep);
        if (found != origins.end()) roots.insert(roots.end(), found->second.begin(), found->second.end());
        done.items += translation.convert(rep, roots, factors);
        switchContext(rep, target);
        ++done.representations;
    }
    done.outOfRange = translation.outOfRange();
    return done;
}
