// NuskStore: the one friend of the store's classes, through which the store's own files reach private parts.
#pragma once

#include "nusk/domain.h"

#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class NuskSchema;
class NuskUnion;
class NuskAggregate;
struct NuskRawText;
namespace nusk_detail {
class StringPool;
struct CompiledNames;
/// An integer slot's value for a 32-bit getter: unset gives NUSK_NULL_INTEGER, and so does a value that does
/// not fit 32 bits, which is reported through NUSK (never cut to its low bits).
int narrowInteger(int64_t value);
/// What a 32-bit setter stores: NUSK_NULL_INTEGER stands for unset, as the 32-bit getters give it.
inline int64_t widenInteger(int value) { return value == -2147483647 - 1 ? INT64_MIN : value; }
/// Whether a setter may store `text` as a BINARY value: null (unset) or a valid binary literal body. Any other
/// text is reported through NUSK and refused: written between quotes it would make the file unreadable past it.
bool acceptsBinaryText(const char* text);
}  // namespace nusk_detail

class NuskStore {
public:
    static NuskSchema* buildCore();
    /// The factory that makes aggregates whose elements are stored as `element`.
    static NuskDomain::Factory aggregateFactory(NuskPrimitive element);
    /// Where the first annotation manager of an object is kept: beside its design's list of its type, or in a
    /// table (the design object itself, objects outside any design). With `create` false, null when the object
    /// has none.
    static NuskManager** managerHead(const NuskObject* obj, bool create);
    /// Forgets where the object's managers were kept (after they were freed or taken elsewhere).
    static void dropManagerHead(const NuskObject* obj);
    /// The unset values of an entity domain's slots, once they are laid out (after its slotAttributes()).
    static const NuskSlot* unsetSlots(const NuskDomain* d);
    /// Gives an entity instance the number `id` when the design does not use it yet.
    static bool setEntityId(NuskObject* obj, uint32_t id);
    static void reinternSelect(NuskUnion* u, nusk_detail::StringPool& pool);
    /// The next instance made gets this number (0: a fresh one) and, if an aggregate, room for elements.
    static void prepareNextInstance(uint32_t entityId, unsigned inlineElements);
    /// Fills an empty aggregate with elements as they are (no checks).
    static void setElements(NuskAggregate* a, const NuskSlot* elements, unsigned count);
    /// Sets a select's value and alternative as they are (no checks).
    static void setSelectValue(NuskUnion* u, uint32_t alternative, NuskSlot value);
    static NuskSlot* selectSlot(NuskUnion* u);
    /// Keeps the record an instance was read from, to be written back while the instance is unchanged.
    static void keepOriginal(NuskObject* obj, NuskRawText text);
    static const NuskRawText* originalOf(const NuskObject* obj);
    static void setRefcount(NuskObject* obj, uint32_t count);
    /// Adds `delta` to an object's reference count (not below 0, saturating at the top); returns the count.
    static uint32_t addReferences(NuskObject* obj, int delta);
    /// Points every reference the object holds to an object with a substitute at its final substitute.
    static uint32_t redirectReferences(NuskObject* obj);
    /// The schema's domains that a word of a file may name (named in lower case; no aggregate or complex
    /// domain) with their names, in the order they were made: copied into `out` under the schema's lock, since
    /// other threads may be forming domains meanwhile. `out`'s storage is backed in one call.
    static void lowerCaseNamed(const NuskSchema* schema, std::vector<std::pair<std::string_view, NuskDomain*>>& out);
    /// Gives a schema the table of those names that the schema compiler made (it must outlive the schema).
    static void setCompiledNames(NuskSchema* schema, const nusk_detail::CompiledNames* names);
    /// That table, or null when the schema has none or has named domains the table does not hold (added after
    /// loading).
    static const nusk_detail::CompiledNames* compiledNames(const NuskSchema* schema);
};
