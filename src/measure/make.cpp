// Making measures, measure items and qualified measure items from a number and a unit code.
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

stp_measure_with_unit* newMeasureItem(NuskDesign* design, NuskMeasureType type) {
    switch (type) {
    case nuskmeasure_plane_angle:
        return new (design) stp_measure_representation_item_and_plane_angle_measure_with_unit();
    case nuskmeasure_length: return new (design) stp_length_measure_with_unit_and_measure_representation_item();
    case nuskmeasure_ratio: return new (design) stp_measure_representation_item_and_ratio_measure_with_unit();
    case nuskmeasure_solid_angle:
        return new (design) stp_measure_representation_item_and_solid_angle_measure_with_unit();
    case nuskmeasure_time: return new (design) stp_measure_representation_item_and_time_measure_with_unit();
    default: return new (design) stp_measure_representation_item();
    }
}

/// Ratio and solid angle measures have no qualified item of their own kind: they become plain qualified
/// measure items, whose value select still says what kind of value it holds.
stp_measure_with_unit* newQualifiedItem(NuskDesign* design, NuskMeasureType type) {
    switch (type) {
    case nuskmeasure_plane_angle:
        return new (design) stp_measure_representation_item_and_plane_angle_measure_with_unit_and_qualified_representation_item();
    case nuskmeasure_length:
        return new (design) stp_length_measure_with_unit_and_measure_representation_item_and_qualified_representation_item();
    case nuskmeasure_time:
        return new (design) stp_measure_representation_item_and_qualified_representation_item_and_time_measure_with_unit();
    default: return new (design) stp_measure_representation_item_and_qualified_representation_item();
    }
}

/// The value select, the unit select and the measure object of the class `make` creates, linked together.
stp_measure_with_unit* makeMeasure(NuskDesign* design, double value, NuskUnit unit,
                                   stp_measure_with_unit* (*make)(NuskDesign*, NuskMeasureType)) {
    if (!design) return nullptr;
    const NuskMeasureType type = nusk_get_measure_type(unit);
    stp_measure_value* valueSelect = mivo_make_measure_value(design, value, type);
    auto* unitSelect = new (design) stp_unit();
    NuskObject* entity = mivo_make_unit(design, unit);
    stp_measure_with_unit* measure = make(design, type);
    if (!measure || !valueSelect || !unitSelect) return nullptr;
    measure->modified();
    measure->value_component(valueSelect);
    measure->modified();
    measure->unit_component(unitSelect);
    if (auto* named = nusk_cast(entity, nusktype_stp_named_unit))
        unitSelect->_named_unit(named);
    else if (auto* derived = nusk_cast(entity, nusktype_stp_derived_unit))
        unitSelect->_derived_unit(derived);
    if (nusk_refcount(design)) {  // only objects that exist are counted: a code without a unit has no entity
        nusk_refcount_inc(valueSelect);
        nusk_refcount_inc(unitSelect);
        if (entity) nusk_refcount_inc(entity);
    }
    return measure;
}

}  // namespace

stp_measure_with_unit* mivo_make_measure(NuskDesign* design, double value, NuskUnit unit) {
    return makeMeasure(design, value, unit, newMeasure);
}

stp_measure_representation_item* mivo_make_measure_item(NuskDesign* design, double value, NuskUnit unit) {
    return nusk_cast<stp_measure_representation_item>(makeMeasure(design, value, unit, newMeasureItem));
}

stp_qualified_representation_item* mivo_make_qualified_measure_item(NuskDesign* design, double value, NuskUnit unit) {
    return nusk_cast<stp_qualified_representation_item>(makeMeasure(design, value, unit, newQualifiedItem));
}

stp_plane_angle_measure_with_unit* mivo_make_angle_measure(NuskDesign* design, double value, NuskUnit unit) {
    return nusk_cast<stp_plane_angle_measure_with_unit>(mivo_make_measure(design, value, unit));
}
stp_length_measure_with_unit* mivo_make_length_measure(NuskDesign* design, double value, NuskUnit unit) {
    return nusk_cast<stp_length_measure_with_unit>(mivo_make_measure(design, value, unit));
}
stp_ratio_measure_with_unit* mivo_make_ratio_measure(NuskDesign* design, double value, NuskUnit unit) {
    return nusk_cast<stp_ratio_measure_with_unit>(mivo_make_measure(design, value, unit));
}
stp_time_measure_with_unit* mivo_make_time_measure(NuskDesign* design, double value, NuskUnit unit) {
    return nusk_cast<stp_time_measure_with_unit>(mivo_make_measure(design, value, unit));
}

stp_measure_representation_item_and_plane_angle_measure_with_unit* mivo_make_angle_measure_item(NuskDesign* design,
                                                                                             double value,
                                                                                             NuskUnit unit) {
    return nusk_cast<stp_measure_representation_item_and_plane_angle_measure_with_unit>(
        static_cast<NuskObject*>(mivo_make_measure_item(design, value, unit)));
}
stp_length_measure_with_unit_and_measure_representation_item* mivo_make_length_measure_item(NuskDesign* design,
                                                                                         double value,
                                                                                         NuskUnit unit) {
    return nusk_cast<stp_length_measure_with_unit_and_measure_representation_item>(
        static_cast<NuskObject*>(mivo_make_measure_item(design, value, unit)));
}
stp_measure_representation_item_and_ratio_measure_with_unit* mivo_make_ratio_measure_item(NuskDesign* design,
                                                                                        double value,
                                                                                        NuskUnit unit) {
    return nusk_cast<stp_measure_representation_item_and_ratio_measure_with_unit>(
        static_cast<NuskObject*>(mivo_make_measure_item(design, value, unit)));
}
stp_measure_representation_item_and_time_measure_with_unit* mivo_make_time_measure_item(NuskDesign* design,
                                                                                      double value,
                                                                                      NuskUnit unit) {
    return nusk_cast<stp_measure_representation_item_and_time_measure_with_unit>(
        static_cast<NuskObject*>(mivo_make_measure_item(design, value, unit)));
}
