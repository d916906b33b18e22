// Reading the value of a measure in the unit a caller asks for.
#include "mivo_measures.h"
#include "mivo_units.h"
#include "attributes.h"

#include "nusk/ap242/all.h"

namespace {

NuskObject* valueSelect(stp_measure_with_unit* measure) {
    return static_cast<NuskObject*>(measure)->getObject(mivo_measure::measureAttributes().measureValue);
}

/// The number the measure's value select holds; the null real for a measure without a value, a select that
/// holds a text (a descriptive measure) or an unset value.
double storedNumber(stp_measure_with_unit* measure) {
    if (!measure) return NUSK_NULL_REAL;
    auto* value = dynamic_cast<NuskUnion*>(valueSelect(measure));
    return value ? value->realValue() : NUSK_NULL_REAL;
}

/// True when a conversion factor stands for "no conversion": the math library answers a pair it cannot
/// convert with the null real (older versions with 0.0).
bool noFactor(double factor) { return factor == NUSK_NULL_REAL || factor == 0.0; }

/// A set's unit for one kind of quantity; a null set keeps the stored unit, and so does a kind out of range.
NuskUnit unitFromSet(const NuskUnitSet* units, NuskMeasureType type) {
    if (!units) return nuskunit_as_is;
    const unsigned index = static_cast<unsigned>(type);
    return index < static_cast<unsigned>(NUSK_MEASURE_TYPE_COUNT) ? (*units)[static_cast<int>(index)]
                                                                  : nuskunit_unknown;
}

}  // namespace

double mivo_get_measure_value(stp_measure_with_unit* measure, NuskUnit unit) {
    const double stored = storedNumber(measure);
    if (stored == NUSK_NULL_REAL) return NUSK_NULL_REAL;  // no number: never converted into a tiny one
    const NuskUnit own = mivo_get_unit_type(measure);
    if (unit == nuskunit_unknown || unit == nuskunit_as_is || unit == own) return stored;
    const double factor = nusk_get_unit_conversion_factor(own, unit);
    return noFactor(factor) ? NUSK_NULL_REAL : stored * factor;
}

double mivo_get_measure_value(stp_measure_with_unit* measure, const NuskUnitSet* units, NuskMeasureType type) {
    return mivo_get_measure_value(measure, unitFromSet(units, type));
}

double mivo_get_angle_value(stp_measure_with_unit* m, const NuskUnitSet* units) {
    return mivo_get_measure_value(m, unitFromSet(units, nuskmeasure_plane_angle));
}
double mivo_get_length_value(stp_measure_with_unit* m, const NuskUnitSet* units) {
    return mivo_get_measure_value(m, unitFromSet(units, nuskmeasure_length));
}
double mivo_get_time_value(stp_measure_with_unit* m, const NuskUnitSet* units) {
    return mivo_get_measure_value(m, unitFromSet(units, nuskmeasure_time));
}
double mivo_get_feedrate_value(stp_measure_with_unit* m, const NuskUnitSet* units) {
    return mivo_get_measure_value(m, unitFromSet(units, nuskmeasure_feedrate));
}
double mivo_get_spinrate_value(stp_measure_with_unit* m, const NuskUnitSet* units) {
    return mivo_get_measure_value(m, unitFromSet(units, nuskmeasure_spinrate));
}
double mivo_get_pressure_value(stp_measure_with_unit* m, const NuskUnitSet* units) {
    return mivo_get_measure_value(m, unitFromSet(units, nuskmeasure_pressure));
}

double mivo_get_angle_value(stp_measure_with_unit* m, NuskUnit unit) { return mivo_get_measure_value(m, unit); }
double mivo_get_length_value(stp_measure_with_unit* m, NuskUnit unit) { return mivo_get_measure_value(m, unit); }
double mivo_get_time_value(stp_measure_with_unit* m, NuskUnit unit) { return mivo_get_measure_value(m, unit); }
double mivo_get_feedrate_value(stp_measure_with_unit* m, NuskUnit unit) { return mivo_get_measure_value(m, unit); }
double mivo_get_spinrate_value(stp_measure_with_unit* m, NuskUnit unit) { return mivo_get_measure_value(m, unit); }
double mivo_get_pressure_value(stp_measure_with_unit* m, NuskUnit unit) { return mivo_get_measure_value(m, unit); }

double mivo_get_count_value(stp_measure_with_unit* measure) { return storedNumber(measure); }
double mivo_get_ratio_value(stp_measure_with_unit* measure) { return storedNumber(measure); }

const char* mivo_get_descriptive_value(stp_measure_with_unit* measure) {
    if (!measure) return nullptr;
    auto* value = dynamic_cast<stp_measure_value*>(valueSelect(measure));
    return value && value->is_descriptive_measure() ? value->_descriptive_measure() : nullptr;
}

const char* mivo_get_descriptive_value(stp_representation* rep, const char* name) {
    stp_descriptive_representation_item* item = mivo_get_descriptive_item(rep, name);
    return item ? item->description() : nullptr;
}
