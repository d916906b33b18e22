// The measure functions' attributes, and the qualifier set of an item.
#include "attributes.h"

#include "nusk/ap242/all.h"

namespace mivo_measure {

const MeasureAttributes& measureAttributes() {
    // Made once, safely, by whichever thread comes first.
    static const MeasureAttributes atts = [] {
        auto att = [](NuskTypePtr& type, const char* name) { return type->findTypeAttribute(name); };
        MeasureAttributes a{};
        a.measureValue = att(nusktype_stp_measure_with_unit, "value_component");
        a.qualifiers = att(nusktype_stp_qualified_representation_item, "qualifiers");
        a.uncertaintyName = att(nusktype_stp_uncertainty_qualifier, "measure_name");
        a.uncertaintyValue = att(nusktype_stp_standard_uncertainty, "uncertainty_value");
        a.precisionValue = att(nusktype_stp_precision_qualifier, "precision_value");
        a.repItems = att(nusktype_stp_representation, "items");
        a.itemName = att(nusktype_stp_representation_item, "name");
        a.description = att(nusktype_stp_descriptive_representation_item, "description");
        return a;
    }();
    return atts;
}

NuskAggregate* qualifierSet(NuskObject* item) {
    if (!item || !item->isa(nusktype_stp_qualified_representation_item)) return nullptr;
    return dynamic_cast<NuskAggregate*>(item->getObject(measureAttributes().qualifiers));
}

}  // namespace mivo_measure
