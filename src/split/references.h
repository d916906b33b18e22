// The entity instances an entity refers to directly, through selects and aggregates, and the reverse: who
// refers to an entity. What extracting a product walks in both directions.
#pragma once

#include "nusk/design.h"
#include "nusk/domain.h"
#include "nusk/object.h"

#include <functional>
#include <vector>

namespace mivo_split_detail {

/// One reference of an entity: the entity referred to, the attribute that holds it, and the aggregate that
/// holds it when it is an element of the attribute's own (top-level) aggregate.
struct Reference {
    NuskObject* target;
    const NuskAttribute* attribute;  // null for the references of a record kept raw or kept as read
    NuskObject* topAggregate;        // the attribute's aggregate, when the target is one of its elements
};

/// Calls `visit` for each entity instance `entity` refers to: attribute by attribute, through selects and
/// aggregates at any depth, and the references of a record kept raw or kept as read (a misfit of its type).
void forEachReference(NuskObject* entity, const std::function<void(const Reference&)>& visit);

/// Calls `visit` for each select and aggregate that `entity` holds, at any depth (what moves with it).
void forEachHeldValue(NuskObject* entity, const std::function<void(NuskObject*)>& visit);

/// Who refers to whom among the entity instances of a design, built in one pass.
class ReverseIndex {
public:
    explicit ReverseIndex(NuskDesign* design);
    /// The entities that refer to `target` (each once per reference).
    std::vector<NuskObject*> referrersOf(const NuskObject* target) const;

private:
    std::vector<std::pair<const NuskObject*, NuskObject*>> pairs_;  // target, referrer; sorted by target
};

}  // namespace mivo_split_detail
