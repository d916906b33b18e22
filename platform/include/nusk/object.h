// Persistent objects of the object store.
//
// Every entity instance, select value, aggregate, dictionary and schema element is a NuskObject owned by one
// design. An object knows its domain (run-time type), its design, its entity instance number and the annotation
// managers attached to it. Entity attribute values live in the store's own slots, reached through the generic
// accessors below or the typed accessors of generated classes; nothing here throws or stops the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class NuskAggregate;
class NuskObject;

/// The unset integer in 64 bits: what an unset integer slot holds and what getInteger64 gives for it. The
/// 32-bit getters give NUSK_NULL_INTEGER (-2147483648) instead.
constexpr int64_t NUSK_NULL_INTEGER64 = INT64_MIN;
class NuskAttribute;
class NuskDesign;
class NuskDomain;
class NuskManager;
class NuskTypePtr;
class ListOfNuskAttribute;

/// One attribute value: 8 bytes whose meaning the attribute's domain gives. Unset values are the null real
/// (reals), NUSK_NULL_INTEGER64 (integers), -1 (enumerations, booleans, logicals) and null (objects, strings).
/// An integer holds any 64-bit value but the lowest; -2147483648 (NUSK_NULL_INTEGER) is a value like any other.
union NuskSlot {
    int64_t i;
    double d;
    NuskObject* o;
    const char* s;
    void* p;  // the store's own use
};

/// A record that a tagging pass attaches to an object; the object owns it. Two virtual operations, in this
/// order: the destructor and manager_type().
class NuskManager {
public:
    NuskManager() = default;
    /// A copy is not attached to anything: it does not take the source's place among an object's managers.
    NuskManager(const NuskManager&) {}
    NuskManager& operator=(const NuskManager&) { return *this; }
    virtual ~NuskManager();
    virtual unsigned manager_type() = 0;

    /// A new non-zero manager type id on each call; never one of the store's own ids (such as 3).
    static unsigned new_manager_type();

private:
    friend class NuskObject;
    friend class NuskDesign;
    friend class NuskStore;
    NuskManager* next_ = nullptr;  // next manager attached to the same object
    unsigned type_ = 0;            // manager_type(), kept when attached: lookups compare it without a call
};

/// Manager type id of the store's own substitute record (nusk_register_substitute).
constexpr unsigned NUSK_SUBSTITUTE_MANAGER_TYPE = 3;

class NuskObject {
public:
    virtual ~NuskObject();

    /// The object's type; never null.
    NuskDomain* domain() const;
    /// The design that owns the object.
    NuskDesign* design() const;
    /// Entity instance number; 0 for objects that are not entity instances.
    uint32_t entity_id() const { return (bits_ & kEntity) ? id_ : 0; }
    /// Records that the object was written: a kept original file record is dropped.
    void modified();

    /// True when the object's type is `d` or a subtype of it.
    bool isa(const NuskDomain* d) const;
    bool isa(NuskTypePtr& t) const;

    // ---- annotation managers ----
    NuskManager* find_manager(unsigned type) const;
    /// Attaches `m`; the object owns it from now on. A manager of the same type is replaced and destroyed.
    void add_manager(NuskManager* m);
    /// Detaches and destroys the manager of that type, if any.
    void remove_manager(unsigned type);

    // ---- generic attribute access ----
    // By attribute, by attribute name, or by index (entity: attribute position; aggregate: element index;
    // select: 0 is the held value). The flags argument is reserved and must be 0. A value of another kind than
    // asked for reads as unset; a select value is looked through for plain values.
    //
    // Integers are kept in 64 bits. getInteger gives NUSK_NULL_INTEGER for an unset integer, and for one that
    // does not fit 32 bits, which it reports as an error (NUSK) rather than cut; getInteger64 gives every value,
    // NUSK_NULL_INTEGER64 when unset. putInteger(NUSK_NULL_INTEGER) unsets an integer; putInteger64 stores
    // -2147483648 as a value (and NUSK_NULL_INTEGER64 unsets).
    ListOfNuskAttribute* attributes() const;
    /// The attribute of that name; with a null name, the attribute that holds a select's current value or an
    /// aggregate's elements.
    NuskAttribute* getAttribute(const char* name = nullptr) const;

    NuskObject* getObject(const NuskAttribute* att, unsigned flags = 0) const;
    NuskObject* getObject(const char* name, unsigned flags = 0) const;
    NuskObject* getObject(int index) const;
    int getInteger(const NuskAttribute* att, unsigned flags = 0) const;
    int getInteger(const char* name, unsigned flags = 0) const;
    int getInteger(int index) const;
    int64_t getInteger64(const NuskAttribute* att, unsigned flags = 0) const;
    int64_t getInteger64(const char* name, unsigned flags = 0) const;
    int64_t getInteger64(int index) const;
    double getDouble(const NuskAttribute* att, unsigned flags = 0) const;
    double getDouble(const char* name, unsigned flags = 0) const;
    double getDouble(int index) const;
    const char* getString(const NuskAttribute* att, unsigned flags = 0) const;
    const char* getString(const char* name, unsigned flags = 0) const;
    const char* getString(int index) const;

    /// Writes return 1 when done, 0 when the attribute does not exist or does not take that kind of value.
    int putObject(NuskObject* value, const NuskAttribute* att, unsigned flags = 0);
    int putObject(NuskObject* value, const char* name, unsigned flags = 0);
    int putObject(NuskObject* value, int index);
    int putInteger(int value, const NuskAttribute* att, unsigned flags = 0);
    int putInteger(int value, const char* name, unsigned flags = 0);
    int putInteger(int value, int index);
    int putInteger64(int64_t value, const NuskAttribute* att, unsigned flags = 0);
    int putInteger64(int64_t value, const char* name, unsigned flags = 0);
    int putInteger64(int64_t value, int index);
    int putDouble(double value, const NuskAttribute* att, unsigned flags = 0);
    int putDouble(double value, const char* name, unsigned flags = 0);
    int putDouble(double value, int index);

    /// Adds to `out` each object of domain `d` (any when null) of this object's design that refers to this
    /// object through `att` (any attribute when null), directly or through selects and aggregates. Answered
    /// from an index of the design's references, built on first use and rebuilt after references change.
    void usedin(const NuskDomain* d, const NuskAttribute* att, NuskAggregate* out) const;

    /// Moves the object into another design. Section 0 places it in the default section, any other value keeps
    /// its section kind; the flag is reserved. Its entity instance number is kept unless the target already
    /// uses it, in which case it gets a fresh one. Strings are copied into the target. Returns 1 when moved.
    int move(NuskDesign* target, int section, int flag);

    // ---- store internals used by the store, the reader, the writer and generated classes ----
    uint32_t domainIndex() const { return domainIndex_; }
    NuskSlot* entitySlots() const;  // null for objects that are not entity instances
    bool hasSubstitute() const { return (bits_ & kHasSubstitute) != 0; }
    bool isSystemObject() const { return (bits_ & kSystem) != 0; }
    bool hasOriginalRecord() const { return (bits_ & kHasOriginal) != 0; }
    /// The objects the kept file record refers to, in the order of the record (empty without one). A record that
    /// does not fit its type is written back as read, so these references are part of the design even where the
    /// typed attributes do not hold them; walks that must reach everything an instance needs take them too.
    const std::vector<NuskObject*>& originalRecordReferences() const;
    uint32_t refcount() const { return bits_ >> kRefShift; }

protected:
    /// Objects made through the store's allocation (nusk_new_in_default_section, nusk_new, pnewInstance) pick
    /// their domain and design up from that allocation.
    NuskObject();
    /// Objects of the store itself (designs, schema elements) name their domain and design explicitly.
    NuskObject(NuskDomain* domain, NuskDesign* design);
    NuskObject(const NuskObject&) = delete;
    NuskObject& operator=(const NuskObject&) = delete;

public:
    // Instances made by the store's allocation live in their design's memory; delete gives it back.
    static void* operator new(size_t size) = delete;
    static void* operator new(size_t, void* where) noexcept { return where; }
    static void operator delete(void* p) noexcept;
    static void operator delete(void*, void*) noexcept {}

private:
    friend class NuskDesign;
    friend class NuskDesignImpl;
    friend class NuskStore;

protected:
    enum : uint32_t {
        kHasSubstitute = 1u << 0,
        kSystem = 1u << 1,
        kHasOriginal = 1u << 2,
        kArena = 1u << 3,
        kHasManagers = 1u << 4,
        kEntity = 1u << 5,      // an entity instance: id_ is its number
        kHeapElements = 1u << 6,  // an aggregate whose elements moved to the heap
        kMadeOnDemand = 1u << 7,  // an aggregate the class layer made for an unset attribute
        kRefShift = 8,
    };
    // 28 bytes after the vtable pointer's 8: subclasses' first 4-byte field fills the object to 32.
    uint32_t designIndex_ = 0;  // the design's place in the table of designs; 0: none
    uint32_t domainIndex_;
    uint32_t id_ = 0;           // entity instances: the number; aggregates: room for elements held inline
    uint32_t bits_ = 0;
    uint32_t listPos_ = 0;      // position in the design's list of objects of this domain
};

/// The object `obj` seen as the class of the type handle, or null when it is not of that type (a null object
/// gives null). See the typed overload in nusk/domain.h.
NuskObject* nusk_cast(NuskObject* obj, NuskTypePtr& type);

/// Gives back the storage of an object made by the store's allocation (what `delete` of an object does after
/// its destructor ran).
void nusk_release_storage(void* p) noexcept;

/// Replaces a string or binary attribute of the object with a copy of the text (null unsets it). Returns 1 when
/// done. A binary attribute takes only a valid binary literal body ("0FF": the unused bits 0 to 3, then upper-case
/// hexadecimal digits); other text is reported through NUSK and refused (0, the value stays as it was).
int nusk_update_prim(NuskObject* obj, const NuskAttribute* att, const char* text);
int nusk_update_prim(NuskObject* obj, const char* name, const char* text);

/// Case-insensitive comparison of two texts (ASCII): 0 when equal, like strcmp otherwise. Null sorts first.
int nusk_strcasecmp(const char* a, const char* b);
