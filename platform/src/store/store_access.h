// NuskStore: the one friend of the store's classes, through which the store's own files reach private parts.
#pragma once

#include "nusk/domain.h"

#include <unordered_map>

class NuskSchema;
class NuskUnion;
namespace nusk_detail {
class StringPool;
}

class NuskStore {
public:
    static NuskSchema* buildCore();
    /// The factory that makes aggregates whose elements are stored as `element`.
    static NuskDomain::Factory aggregateFactory(NuskPrimitive element);
    /// The table that holds the annotation managers of an object (its design's, or the design's own).
    static std::unordered_map<const NuskObject*, NuskManager*>& managerTable(const NuskObject* obj);
    /// Storage for an aggregate with room for `elements` elements allocated with it.
    static void* allocateWithElements(size_t size, NuskDesign* design, NuskDomain* domain, unsigned elements);
    /// The unset values of an entity domain's slots.
    static const NuskSlot* unsetSlots(const NuskDomain* d);
    /// Gives an entity instance the number `id` when the design does not use it yet.
    static bool setEntityId(NuskObject* obj, uint32_t id);
    static void reinternSelect(NuskUnion* u, nusk_detail::StringPool& pool);
    /// Adds `delta` to an object's reference count (not below 0, saturating at the top); returns the count.
    static uint32_t addReferences(NuskObject* obj, int delta);
    /// Points every reference the object holds to an object with a substitute at its final substitute.
    static uint32_t redirectReferences(NuskObject* obj);
};
