// What a design keeps behind its public face: memory, texts, object lists, instance numbers, managers, kept
// file records and the reference index.
#pragma once

#include "arena.h"
#include "chunked.h"
#include "string_pool.h"

#include "nusk/design.h"
#include "nusk/object.h"

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class NuskAttribute;

namespace nusk_detail {
/// The table of designs that objects record their design in. Safe on any thread; designAt takes no lock.
NuskDesign* designAt(uint32_t index);
uint32_t registerDesign(NuskDesign* d);
void unregisterDesign(uint32_t index);
/// Held while the process-wide trash design changes or its tables (objects, managers, kept records) are read.
std::recursive_mutex& trashLock();
}  // namespace nusk_detail

/// A file record kept as read: text with a marker byte per reference, and the referenced objects in order.
struct NuskRawText {
    std::string text;
    std::vector<NuskObject*> refs;
};

class NuskCursor;

class NuskDesignImpl {
public:
    explicit NuskDesignImpl(NuskDesign* self) : self_(self) {}

    NuskDesign* self_;
    uint32_t index_ = 0;  // the design's place in the table of designs (what objects record)
    std::string name_;
    NuskSchema* schema_ = nullptr;
    NuskFileHeader header_;
    NuskSection defaultSection_{nullptr, 0};
    NuskSection systemSection_{nullptr, 1};
    nusk_detail::Arena arena_;
    nusk_detail::StringPool strings_;

    // ---- objects, per domain ----
    struct List {
        explicit List(nusk_detail::Arena* arena) : objects(arena), managers(arena) {}
        // Creation order; null where an object left. Blocks of 64: a design has lists for a hundred types or
        // more, most with a few objects, and each list's first block is fresh memory to touch.
        nusk_detail::ChunkedArray<NuskObject*, 6> objects;
        // The first annotation manager of each object, by the same position; sized on the first attach, so
        // a list without managers costs nothing. Beside the objects rather than in a hash table: tagging
        // passes look managers up on millions of objects.
        nusk_detail::ChunkedArray<NuskManager*, 8> managers;
        uint32_t holes = 0;
        bool entities = false;  // its domain is an entity type (or a combination): its objects have numbers
    };
    // The lists of the domains that have instances here, and where each domain's list is (by global domain
    // index; 0: none yet). A design holds few of the schema's thousands of types.
    std::vector<List> lists_;
    std::vector<uint32_t> listIndex_;
    std::vector<uint32_t> domainOrder_;   // domain indices in the order of their first instance here
    size_t objectCount_ = 0;
    size_t entityCount_ = 0;
    std::vector<NuskCursor*> cursors_;  // cursors walking the design: let go when it is destroyed
    bool tearingDown_ = false;

    void attach(NuskObject* obj, bool keepId);
    void detach(NuskObject* obj);
    /// Takes over every object of `from` (another design, used by no other thread), each list's after this
    /// design's own, with its number, memory, texts and record kept as read; `from` is left empty. No number of
    /// `from` may be taken here, and `from` has no managers (a part of a file read apart).
    void adopt(NuskDesignImpl& from);
    List* listOf(uint32_t domainIndex) {
        const uint32_t i = domainIndex < listIndex_.size() ? listIndex_[domainIndex] : 0;
        return i ? &lists_[i - 1] : nullptr;
    }
    List& listFor(uint32_t domainIndex) {
        const uint32_t i = domainIndex < listIndex_.size() ? listIndex_[domainIndex] : 0;
        return i ? lists_[i - 1] : newList(domainIndex);
    }
    List& newList(uint32_t domainIndex);
    void compact(List& list);
    void compactIfIdle();

    // ---- entity instance numbers ----
    // Inline for numbers within the table, which a read binds and looks up once per instance or more.
    NuskObject* findId(uint32_t id) const { return id < denseIds_.size() ? denseIds_[id] : findSparseId(id); }
    void bindId(uint32_t id, NuskObject* obj) {
        if (id >= denseIds_.size()) return bindIdBeyondTable(id, obj);
        denseIds_[id] = obj;
        if (id > maxId_) maxId_ = id;
    }
    NuskObject* findSparseId(uint32_t id) const;
    void bindIdBeyondTable(uint32_t id, NuskObject* obj);
    void growDenseIds(size_t size);  // to at least `size`, a block at a time
    void unbindId(uint32_t id, const NuskObject* obj);
    /// The number after the largest; once that is 4294967295, the lowest free one (0 when none is).
    uint32_t freshId() { return maxId_ < UINT32_MAX ? ++maxId_ : lowestFreeId(); }
    uint32_t lowestFreeId();
    uint32_t maxId_ = 0;
    uint32_t freeFrom_ = 1;  // where lowestFreeId looks first: below it, every number was taken when it last looked
    nusk_detail::ChunkedArray<NuskObject*, 12> denseIds_{&arena_};
    std::unordered_map<uint32_t, NuskObject*> sparseIds_;

    // ---- annotation managers ----
    /// Where the first manager of `obj` (one of this design's listed objects) is kept; with `create` false,
    /// null when the object has none. Null for an object that is not in a list here.
    NuskManager** listedManagerHead(const NuskObject* obj, bool create);
    /// Managers of objects outside the lists: the design object itself.
    std::unordered_map<const NuskObject*, NuskManager*> managers_;

    // ---- file records kept for instances that did not fit their type ----
    std::unordered_map<const NuskObject*, NuskRawText> originals_;

    // ---- reference index for usedin ----
    struct RefEntry {
        const NuskObject* target;
        NuskObject* source;
        const NuskAttribute* attribute;
    };
    std::vector<RefEntry> refIndex_;
    bool refIndexValid_ = false;
    void referencesChanged() { refIndexValid_ = false; }
    void buildRefIndex();
};
