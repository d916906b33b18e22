// The attributes that the measure functions read and write, looked up once by name.
#pragma once

class NuskAggregate;
class NuskAttribute;
class NuskObject;

namespace mivo_measure {

struct MeasureAttributes {
    NuskAttribute* measureValue;      // measure_with_unit.value_component
    NuskAttribute* qualifiers;        // qualified_representation_item.qualifiers
    NuskAttribute* uncertaintyName;   // uncertainty_qualifier.measure_name
    NuskAttribute* uncertaintyValue;  // standard_uncertainty.uncertainty_value
    NuskAttribute* precisionValue;    // precision_qualifier.precision_value
    NuskAttribute* repItems;          // representation.items
    NuskAttribute* itemName;          // representation_item.name
    NuskAttribute* description;       // descriptive_representation_item.description
};

const MeasureAttributes& measureAttributes();

/// The qualifier set of an object that is a qualified representation item, read without making one; null for
/// any other object or when the item has none.
NuskAggregate* qualifierSet(NuskObject* item);

}  // namespace mivo_measure
