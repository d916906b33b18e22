// Reading the value qualifiers of a measure: named standard uncertainties (limits, current value) and the
// precision.
#include "mivo_measures.h"
#include "mivo_units.h"
#include "attributes.h"

#include "nusk/ap242/all.h"

#include <cstring>

using namespace mivo_measure;

namespace {

/// The qualifier held by element i of a qualifier set; null for an empty element or one that is not a select.
NuskObject* qualifierAt(NuskAggregate* set, unsigned i) {
    return nusk_get_nested_object(dynamic_cast<NuskUnion*>(set->getObject(i)));
}

stp_standard_uncertainty* findUncertainty(NuskAggregate* set, const char* name) {
    if (!set || !name) return nullptr;
    const NuskAttribute* nameAtt = measureAttributes().uncertaintyName;
    for (unsigned i = 0; i < set->size(); ++i) {
        NuskObject* q = qualifierAt(set, i);
        if (!q || !q->isa(nusktype_stp_standard_uncertainty)) continue;
        const char* measureName = q->getString(nameAtt);
        if (!measureName || std::strcmp(measureName, name) != 0) continue;
        if (auto* found = nusk_cast<stp_standard_uncertainty>(q)) return found;
    }
    return nullptr;
}

/// The value of the named uncertainty of a measure, converted from the measure's unit into `unit`.
double limitValue(stp_measure_with_unit* measure, const char* name, NuskUnit unit) {
    if (!measure) return NUSK_NULL_REAL;
    NuskObject* q = findUncertainty(qualifierSet(measure), name);
    if (!q) return NUSK_NULL_REAL;
    const double value = q->getDouble(measureAttributes().uncertaintyValue);
    if (value == NUSK_NULL_REAL) return NUSK_NULL_REAL;  // unset: stays "no value"
    return nusk_get_measure_as_unit(value, mivo_get_unit_type(measure), unit);
}

}  // namespace

stp_standard_uncertainty* mivo_get_measure_std_uncertainty(stp_qualified_representation_item* item, const char* name) {
    return item ? findUncertainty(qualifierSet(item), name) : nullptr;
}

stp_standard_uncertainty* mivo_get_measure_std_uncertainty(stp_measure_with_unit* measure, const char* name) {
    return measure ? findUncertainty(qualifierSet(measure), name) : nullptr;
}

double mivo_get_measure_lower_limit_value(stp_measure_with_unit* measure, NuskUnit unit) {
    return limitValue(measure, "lower limit", unit);
}

double mivo_get_measure_upper_limit_value(stp_measure_with_unit* measure, NuskUnit unit) {
    return limitValue(measure, "upper limit", unit);
}

double mivo_get_measure_current_value(stp_measure_with_unit* measure, NuskUnit unit) {
    return limitValue(measure, "current value", unit);
}

int mivo_get_measure_precision_value(stp_measure_with_unit* measure) {
    NuskAggregate* set = measure ? qualifierSet(measure) : nullptr;
    if (!set) return NUSK_NULL_INTEGER;
    for (unsigned i = 0; i < set->size(); ++i) {
        NuskObject* q = qualifierAt(set, i);
        if (q && q->isa(nusktype_stp_precision_qualifier)) return q->getInteger(measureAttributes().precisionValue);
    }
    return NUSK_NULL_INTEGER;
}
