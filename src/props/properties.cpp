// The property passes and the owners of properties.
#include "mivo_properties.h"

#include "records.h"

#include "nusk/ap242/all.h"

namespace {

using mivo_props::heldBy;

const NuskAttribute* propertyDefinition() {
    static const NuskAttribute* att = nusktype_stp_property_definition->findTypeAttribute("definition");
    return att;
}

const NuskAttribute* representationDefinition() {
    static const NuskAttribute* att = nusktype_stp_property_definition_representation->findTypeAttribute("definition");
    return att;
}

/// Records each instance of `type` on the object its `definition` select names. An instance that cannot be seen
/// as the manager's entry class (a complex instance made as a class outside it) cannot be listed, and is skipped.
template <class Manager>
void recordOnOwners(NuskDesign* design, NuskTypePtr& type, const NuskAttribute* definition) {
    for (NuskObject* obj : nusk_instances_of(design, type)) {
        NuskObject* owner = heldBy(obj, definition);
        auto* entry = nusk_cast<mivo_props::EntryOf<Manager>>(obj);
        if (owner && entry) mivo_props::appendTo<Manager>(owner, entry);
    }
}

}  // namespace

void MivoMgrProperty::tag_design(NuskDesign* design) {
    if (!design) return;
    mivo_props::dropAll<MivoMgrProperty>(design);
    recordOnOwners<MivoMgrProperty>(design, nusktype_stp_property_definition, propertyDefinition());
}

void MivoMgrPropertyRep::tag_design(NuskDesign* design) {
    if (!design) return;
    mivo_props::dropAll<MivoMgrPropertyRep>(design);
    recordOnOwners<MivoMgrPropertyRep>(design, nusktype_stp_property_definition_representation,
                                       representationDefinition());
}

void mivo_tag_props(NuskDesign* design) {
    MivoMgrProperty::tag_design(design);
    MivoMgrPropertyRep::tag_design(design);
}

NuskObject* mivo_get_property_owner(stp_property_definition* pd) { return heldBy(pd, propertyDefinition()); }

NuskObject* mivo_get_property_owner(stp_property_definition_representation* pdr) {
    NuskObject* named = heldBy(pdr, representationDefinition());
    // A property_definition or any of its subtypes (a product_definition_shape above all) stands for the object
    // it describes; anything else (a shape aspect, a general property) is the owner itself.
    if (named && named->isa(nusktype_stp_property_definition)) return heldBy(named, propertyDefinition());
    return named;
}

stp_product_definition* mivo_get_property_owner_as_pdef(stp_property_definition* pd) {
    return nusk_cast(mivo_get_property_owner(pd), nusktype_stp_product_definition);
}

stp_product_definition* mivo_get_property_owner_as_pdef(stp_property_definition_representation* pdr) {
    return nusk_cast(mivo_get_property_owner(pdr), nusktype_stp_product_definition);
}

stp_product_definition_shape* mivo_get_shape_property(NuskObject* obj) {
    const MivoMgrProperty* m = MivoMgrProperty::find(obj);
    if (!m) return nullptr;
    for (unsigned i = 0; i < m->size(); ++i)
        if (auto* pds = nusk_cast(m->get(i), nusktype_stp_product_definition_shape)) return pds;
    return nullptr;
}

int mivo_has_properties(NuskObject* obj) {
    const MivoMgrProperty* m = MivoMgrProperty::find(obj);
    return m && m->size() > 0 ? 1 : 0;
}
