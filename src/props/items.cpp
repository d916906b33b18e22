// What the items of a property's representation hold: a number (with a unit for measures) or a text.
#include "mivo_properties.h"

#include "mivo_measures.h"

#include "nusk/ap242/all.h"

namespace {

/// The value of an integer or real literal; integers are read whole, then as a double.
double literalValue(NuskObject* item) {
    const double v = item->getDouble("the_value");
    if (v != NUSK_NULL_REAL) return v;
    const int64_t i = item->getInteger64("the_value");
    return i == NUSK_NULL_INTEGER64 ? NUSK_NULL_REAL : static_cast<double>(i);
}

NuskUnion* valueComponent(NuskObject* item) {
    return item->isa(nusktype_stp_value_representation_item)
               ? dynamic_cast<NuskUnion*>(item->getObject("value_component"))
               : nullptr;
}

}  // namespace

double mivo_get_item_number(stp_representation_item* item, NuskUnit unit) {
    if (!item) return NUSK_NULL_REAL;
    NuskObject* obj = item;
    if (auto* measure = nusk_cast<stp_measure_with_unit>(obj)) return mivo_get_measure_value(measure, unit);
    if (obj->isa(nusktype_stp_literal_number)) return literalValue(obj);
    NuskUnion* value = valueComponent(obj);
    return value ? value->realValue() : NUSK_NULL_REAL;
}

const char* mivo_get_item_text(stp_representation_item* item) {
    if (!item) return nullptr;
    NuskObject* obj = item;
    if (obj->isa(nusktype_stp_descriptive_representation_item)) return obj->getString("description");
    if (auto* measure = nusk_cast<stp_measure_with_unit>(obj)) return mivo_get_descriptive_value(measure);
    NuskUnion* value = valueComponent(obj);
    return value ? value->stringValue() : nullptr;
}
