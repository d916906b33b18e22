// The attributes that the unit functions read and write, looked up once.
#pragma once

class NuskAttribute;

namespace mivo_units {

struct UnitAttributes {
    NuskAttribute* siPrefix;
    NuskAttribute* siName;
    NuskAttribute* namedDimensions;
    NuskAttribute* cbName;
    NuskAttribute* cbFactor;
    NuskAttribute* cduName;
    NuskAttribute* measureValue;  // measure_with_unit.value_component
    NuskAttribute* measureUnit;   // measure_with_unit.unit_component
    NuskAttribute* derivedElements;
    NuskAttribute* elementUnit;
    NuskAttribute* elementExponent;
    NuskAttribute* nameValue;  // name_attribute.attribute_value
    NuskAttribute* nameItem;   // name_attribute.named_item
};

const UnitAttributes& unitAttributes();

}  // namespace mivo_units
