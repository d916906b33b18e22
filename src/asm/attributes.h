// The attributes the assembly code reads by name, and the reads that look through selects and AND-combinations.
//
// Relationships in real files are AND-combinations (representation_relationship_with_transformation and
// shape_representation_relationship at once) that a generated class may not cover, so their attributes are read
// through the store by attribute, which works on every instance of the type.
#pragma once

#include "nusk/ap242/all.h"

namespace mivo_asm {

/// Attribute descriptors, looked up by name once per process. A member is null when the schema lacks it.
struct AsmAttributes {
    const NuskAttribute* propertyDefinition;     // property_definition.definition
    const NuskAttribute* shapeDefinition;        // shape_definition_representation.definition
    const NuskAttribute* usedRepresentation;     // shape_definition_representation.used_representation
    const NuskAttribute* representedProduct;     // context_dependent_shape_representation.represented_product_relation
    const NuskAttribute* rep1;                   // representation_relationship.rep_1
    const NuskAttribute* rep2;                   // representation_relationship.rep_2
    const NuskAttribute* transformationOperator; // representation_relationship_with_transformation.transformation_operator
    const NuskAttribute* items;                  // representation.items
};
const AsmAttributes& asmAttributes();

/// The object a select attribute of `obj` holds; null when obj, the attribute or the select is missing.
NuskObject* heldIn(const NuskObject* obj, const NuskAttribute* att);

/// rep_1 or rep_2 of a representation relationship as a representation; null when unset or a reference to a
/// representation kept elsewhere.
stp_representation* relationshipRep(const NuskObject* rel, const NuskAttribute* att);

/// The object as a shape_representation (its class derives from it); null otherwise.
stp_shape_representation* asShapeRep(NuskObject* obj);

/// The items of a representation, read by attribute; null when unset or `rep` is not a representation.
NuskAggregate* itemsOf(const NuskObject* rep);

/// Calls `visit` with each item of a representation, in item order. The set and its items are read as plain
/// objects: a type test (isa) is much cheaper than the cast a typed read makes, and most items are of no interest.
template <class Visit>
void forEachItem(const NuskObject* rep, Visit visit) {
    NuskAggregate* items = itemsOf(rep);
    for (unsigned i = 0; items && i < items->size(); ++i)
        if (NuskObject* item = items->getObject(i)) visit(item);
}

/// Instance number of an object for messages; 0 for null.
unsigned idOf(const NuskObject* obj);

/// Opens a mark pass for its scope.
class MarkPass {
public:
    MarkPass();
    ~MarkPass();
    MarkPass(const MarkPass&) = delete;
    MarkPass& operator=(const MarkPass&) = delete;
};

}  // namespace mivo_asm
