// Attribute descriptors and select reads of the assembly code.
#include "attributes.h"

#include "nusk/lifetime.h"

namespace mivo_asm {

const AsmAttributes& asmAttributes() {
    static const AsmAttributes attributes = {
        nusktype_stp_property_definition->findTypeAttribute("definition"),
        nusktype_stp_shape_definition_representation->findTypeAttribute("definition"),
        nusktype_stp_shape_definition_representation->findTypeAttribute("used_representation"),
        nusktype_stp_context_dependent_shape_representation->findTypeAttribute("represented_product_relation"),
        nusktype_stp_shape_representation_relationship->findTypeAttribute("rep_1"),
        nusktype_stp_shape_representation_relationship->findTypeAttribute("rep_2"),
        nusktype_stp_representation_relationship_with_transformation->findTypeAttribute("transformation_operator"),
        nusktype_stp_representation->findTypeAttribute("items"),
    };
    return attributes;
}

NuskObject* heldIn(const NuskObject* obj, const NuskAttribute* att) {
    if (!obj || !att) return nullptr;
    NuskObject* value = obj->getObject(att);
    // A type test on the domain: a dynamic_cast through the virtual bases of the entity classes costs far more.
    if (value && value->domain()->typeIsSelect()) return nusk_get_nested_object(static_cast<NuskUnion*>(value));
    return value;
}

NuskAggregate* itemsOf(const NuskObject* rep) {
    if (!rep || !rep->isa(nusktype_stp_representation)) return nullptr;
    NuskObject* items = rep->getObject(asmAttributes().items);
    return items && items->domain()->typeIsAggregate() ? static_cast<NuskAggregate*>(items) : nullptr;
}

stp_representation* relationshipRep(const NuskObject* rel, const NuskAttribute* att) {
    return nusk_cast(heldIn(rel, att), nusktype_stp_representation);
}

stp_shape_representation* asShapeRep(NuskObject* obj) { return nusk_cast(obj, nusktype_stp_shape_representation); }

unsigned idOf(const NuskObject* obj) { return obj ? obj->entity_id() : 0u; }

MarkPass::MarkPass() { nusk_mark_begin(); }
MarkPass::~MarkPass() { nusk_mark_end(); }

}  // namespace mivo_asm
