// Making measures from a number and a unit code.
#include "mivo_measures.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"

stp_measure_value* mivo_make_measure_value(NuskDesign* design, double value, NuskMeasureType type) {
    auto* v = new (design) stp_measure_value();
    if (!v) return nullptr;
    switch (type) {
    case nuskmeasure_plane_angle: v->_plane_angle_measure(value); break;
    case nuskmeasure_count: v->_count_measure(value); break;
    case nuskmeasure_length: v->_length_measure(value); break;
    case nuskmeasure_parameter: v->_parameter_value(value); break;
    case nuskmeasure_ratio: v->_ratio_measure(value); break;
    case nuskmeasure_solid_angle: v->_solid_angle_measure(value); break;
    case nuskmeasure_time: v->_time_measure(value); break;
    default: v->_numeric_measure(value); break;
    }
    return v;
}

namespace {

stp_measure_with_unit* newMeasure(NuskDesign* design, NuskMeasureType type) {
    switch (type) {
    case nuskmeasure_plane_angle: return new (design) stp_plane_angle_measure_with_unit();
    case nuskmeasure_length: return new (design) stp_length_measure_with_unit();
    case nuskmeasure_ratio: return new (design) stp_ratio_measure_with_unit();
    case nuskmeasure_solid_angle: return new (design) stp_solid_angle_measure_with_unit();
    case nuskmeasure_time: return new (design) stp_time_measure_with_unit();
    default: return new (design) stp_measure_with_unit();
    }
}

}  // namespace

stp_measure_with_unit* mivo_make_measure(NuskDesign* design, double value, NuskUnit unit) {
    if (!design) return nullptr;
    const NuskMeasureType type = nusk_get_measure_type(unit);
    stp_measure_value* valueSelect = mivo_make_measure_value(design, value, type);
    auto* unitSelect = new (design) stp_unit();
    NuskObject* entity = mivo_make_unit(design, unit);
    stp_measure_with_unit* measure = newMeasure(design, type);
    if (!measure) return nullptr;
    measure->modified();
    measure->value_component(valueSelect);
    measure->modified();
    measure->unit_component(unitSelect);
    if (auto* named = nusk_cast(entity, nusktype_stp_named_unit))
        unitSelect->_named_unit(named);
    else if (auto* derived = nusk_cast(entity, nusktype_stp_derived_unit))
        unitSelect->_derived_unit(derived);
    if (nusk_refcount(design)) {
        nusk_refcount_inc(valueSelect);
        nusk_refcount_inc(unitSelect);
        nusk_refcount_inc(entity);
    }
    return measure;
}
