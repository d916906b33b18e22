// Finding the named items of a representation: any item, descriptive items, and measure items by kind.
#include "mivo_measures.h"
#include "mivo_units.h"
#include "attributes.h"

#include "nusk/ap242/all.h"

#include <cstring>

using namespace mivo_measure;

namespace {

/// The representation's items, read without making a set; null when it has none.
NuskAggregate* itemsOf(stp_representation* rep) {
    if (!rep) return nullptr;
    auto* items = dynamic_cast<NuskAggregate*>(static_cast<NuskObject*>(rep)->getObject(measureAttributes().repItems));
    return items && !items->empty() ? items : nullptr;
}

/// A null name passes every item; a name matches exactly, and never an item without a name.
bool nameMatches(NuskObject* item, const char* name) {
    if (!name) return true;
    const char* own = item->getString(measureAttributes().itemName);
    return own && std::strcmp(own, name) == 0;
}

/// The class whose instances are of a kind of quantity whatever their unit says; null for kinds without one.
NuskTypePtr* typedMeasureClass(NuskMeasureType type) {
    switch (type) {
    case nuskmeasure_plane_angle: return &nusktype_stp_plane_angle_measure_with_unit;
    case nuskmeasure_length: return &nusktype_stp_length_measure_with_unit;
    case nuskmeasure_ratio: return &nusktype_stp_ratio_measure_with_unit;
    case nuskmeasure_solid_angle: return &nusktype_stp_solid_angle_measure_with_unit;
    case nuskmeasure_time: return &nusktype_stp_time_measure_with_unit;
    default: return nullptr;
    }
}

bool measureOfKind(stp_measure_representation_item* item, NuskMeasureType type, NuskTypePtr* typed) {
    if (typed && static_cast<NuskObject*>(item)->isa(*typed)) return true;
    return type == nuskmeasure_unknown || mivo_get_measure_type(static_cast<stp_measure_with_unit*>(item)) == type;
}

}  // namespace

stp_representation_item* mivo_get_rep_item(stp_representation* rep, NuskDomain* domain, const char* name) {
    NuskAggregate* items = itemsOf(rep);
    if (!items) return nullptr;
    for (unsigned i = 0; i < items->size(); ++i) {
        NuskObject* item = items->getObject(i);
        if (!item || !nameMatches(item, name)) continue;
        if (domain && !item->isa(domain)) continue;
        if (auto* found = nusk_cast<stp_representation_item>(item)) return found;
    }
    return nullptr;
}

stp_descriptive_representation_item* mivo_get_descriptive_item(stp_representation* rep, const char* name) {
    return nusk_cast<stp_descriptive_representation_item>(static_cast<NuskObject*>(
        mivo_get_rep_item(rep, nusktype_stp_descriptive_representation_item.domain(), name)));
}

stp_measure_representation_item* mivo_get_measure_item(stp_representation* rep, const char* name,
                                                       NuskMeasureType type) {
    NuskTypePtr* typed = typedMeasureClass(type);
    NuskAggregate* items = itemsOf(rep);
    if (!items) return nullptr;
    for (unsigned i = 0; i < items->size(); ++i) {
        NuskObject* obj = items->getObject(i);
        if (!obj || !nameMatches(obj, name)) continue;
        auto* item = obj->isa(nusktype_stp_measure_representation_item)
                         ? nusk_cast<stp_measure_representation_item>(obj)
                         : nullptr;
        if (item && measureOfKind(item, type, typed)) return item;
    }
    return nullptr;
}

stp_measure_representation_item* mivo_get_angle_item(stp_representation* rep, const char* name) {
    return mivo_get_measure_item(rep, name, nuskmeasure_plane_angle);
}
stp_measure_representation_item* mivo_get_spinrate_item(stp_representation* rep, const char* name) {
    return mivo_get_measure_item(rep, name, nuskmeasure_spinrate);
}
stp_measure_representation_item* mivo_get_count_item(stp_representation* rep, const char* name) {
    return mivo_get_measure_item(rep, name, nuskmeasure_count);
}
stp_measure_representation_item* mivo_get_length_item(stp_representation* rep, const char* name) {
    return mivo_get_measure_item(rep, name, nuskmeasure_length);
}
stp_measure_representation_item* mivo_get_pressure_item(stp_representation* rep, const char* name) {
    return mivo_get_measure_item(rep, name, nuskmeasure_pressure);
}
stp_measure_representation_item* mivo_get_ratio_item(stp_representation* rep, const char* name) {
    return mivo_get_measure_item(rep, name, nuskmeasure_ratio);
}
stp_measure_representation_item* mivo_get_feedrate_item(stp_representation* rep, const char* name) {
    return mivo_get_measure_item(rep, name, nuskmeasure_feedrate);
}
stp_measure_representation_item* mivo_get_time_item(stp_representation* rep, const char* name) {
    return mivo_get_measure_item(rep, name, nuskmeasure_time);
}
