// Run-time types of the object store: domains, attributes and type handles.
//
// A domain describes one type of a schema: an entity, a complex (AND) combination of entities, a select, an
// enumeration, a defined type, an aggregate or a primitive. Domains and their attributes are objects of the
// schema design that holds them. A schema is data the store is given (see nusk/schema.h); the store knows no
// schema of its own beyond the primitives and its system types.
//
// Threads: domains and attributes are shared by the designs of every thread. Everything here may be read on
// any number of threads at once; what is made on first use (the slots of an entity or complex type, the lists
// of typeSuperTypes() and attributes(), the domain a NuskTypePtr names) is made once, safely, whichever
// threads ask first.
#pragma once

#include "nusk/downcast.h"
#include "nusk/object.h"

#include <atomic>
#include <string>
#include <vector>

class NuskSchema;
class ListOfNuskDomain;

/// Node types of attribute slots: below 18 plain values, 18 and above objects.
enum NuskNodeType : int {
    nusk_node_none = 0,
    nusk_node_integer = 1,
    nusk_node_real = 2,
    nusk_node_string = 3,
    nusk_node_binary = 4,
    nusk_node_boolean = 5,
    nusk_node_logical = 6,
    nusk_node_enumeration = 7,
    nusk_node_entity = 18,
    nusk_node_select = 19,
    nusk_node_aggregate = 20,
};

enum class NuskDomainKind : uint8_t { primitive, enumeration, defined_type, select, entity, complex, aggregate, system };

/// The primitive a plain value is stored as.
enum class NuskPrimitive : uint8_t { none, integer, real, string, binary, boolean, logical, enumeration, object };

enum class NuskAggregateKind : uint8_t { list, set, bag, array };

/// One value of an enumeration: its name as the schema spells it (lower case) and its number, from 0 in schema
/// order.
struct NuskVarInfo {
    const char* name;
    int value;
};

class NuskAttribute : public NuskObject {
public:
    const char* name() const { return name_; }
    /// The entity (or select or aggregate) that declares the attribute.
    NuskDomain* owner() const { return owner_; }
    /// The type of the attribute's values.
    NuskDomain* valueDomain() const { return value_; }
    bool isOptional() const { return optional_; }
    /// For an aggregate value: the fewest elements the schema allows (0 when it names no number).
    unsigned minElements() const { return minElements_; }
    /// For an aggregate value (nested aggregates and defined types over aggregates included): the type of the
    /// innermost elements as the schema declares it. An aggregate domain keeps only the primitive that a defined
    /// type over a primitive is stored as (every list of reals is ListOfDouble), so the declared type of the
    /// elements is found here: length_measure for the coordinates of a cartesian point. Null when the value is
    /// not an aggregate.
    NuskDomain* declaredElementDomain() const;
    /// True when `entity` (or a supertype of it) redeclares the attribute as derived: its value is written `*`.
    bool isDerivedIn(const NuskDomain* entity) const;
    /// Entities that redeclare the attribute as derived.
    const std::vector<NuskDomain*>& derivedIn() const { return derivedIn_; }
    /// Entities that redeclare the attribute, a real (REAL or NUMBER), as an integer (int_literal's the_value).
    const std::vector<NuskDomain*>& integerIn() const { return integerIn_; }
    /// Node type of the slot that holds the attribute's value (see NuskNodeType).
    int slotNodeType() const;
    /// Position of the attribute among the explicit attributes of its owner.
    unsigned localIndex() const { return localIndex_; }

    static void* operator new(size_t size);
    static void operator delete(void* p) noexcept;

private:
    friend class NuskSchema;
    friend class NuskStore;
    NuskAttribute(NuskSchema* schema, NuskDomain* owner, const char* name, NuskDomain* value, bool optional,
                  unsigned localIndex);
    const char* name_;  // kept in the schema's own text storage, or text that lives as long as the process
    NuskDomain* owner_;
    NuskDomain* value_;
    bool optional_;
    unsigned localIndex_;
    unsigned minElements_ = 0;
    NuskDomain* declaredElement_ = nullptr;  // null: the innermost element domain of value_
    bool hasDefault_ = false;
    NuskSlot default_{};
    std::vector<NuskDomain*> derivedIn_;
    std::vector<NuskDomain*> integerIn_;
};

class NuskDomain : public NuskObject {
public:
    /// Type name: the schema's lower-case name for entities, selects, enumerations and defined types; the
    /// leaf names joined by "_and_" in alphabetical order for a complex domain; the class name
    /// ("SetOfstp_unit", "ListOfDouble") for aggregates; the store's own names for system types.
    const char* name() const { return name_; }
    NuskDomainKind kind() const { return kind_; }
    /// The domain's process-wide index (what objects of this domain record).
    uint32_t index() const { return index_; }

    /// Entity instances: simple and complex entity domains and the store's entity root, NuskStructure.
    bool typeIsEntity() const {
        return kind_ == NuskDomainKind::entity || kind_ == NuskDomainKind::complex || systemEntity_;
    }
    bool typeIsSelect() const { return kind_ == NuskDomainKind::select; }
    bool typeIsAggregate() const { return kind_ == NuskDomainKind::aggregate; }
    bool typeIsEnumeration() const { return kind_ == NuskDomainKind::enumeration; }
    bool typeIsComplex() const { return kind_ == NuskDomainKind::complex; }
    bool typeIsAbstract() const { return abstract_; }
    /// True when this domain is `d` or a subtype of it (for entities), or is `d` or defined on it (for defined
    /// types). The store's root types NuskObject and NuskStructure are supertypes of what they stand for.
    bool typeIsa(const NuskDomain* d) const;
    /// The direct supertypes; for a complex domain, the entity types that it combines. Owned by the domain.
    ListOfNuskDomain* typeSuperTypes() const;
    const std::vector<NuskDomain*>& superTypes() const { return supertypes_; }

    /// The attribute of that name among this domain's attributes (entities: own and inherited), or null.
    NuskAttribute* findTypeAttribute(const char* name) const;
    /// The domain's attributes in slot order (entities: Part 21 order, inherited first). Owned by the domain.
    ListOfNuskAttribute* attributes() const;
    const std::vector<NuskAttribute*>& slotAttributes() const {
        ensureSlots();
        return slots_;
    }
    /// Slot index of `att` in instances of this domain, or -1.
    int slotOf(const NuskAttribute* att) const;
    /// The explicit attributes this domain declares itself (entities), in order; a select's value attributes.
    const std::vector<NuskAttribute*>& ownAttributes() const {
        if (kind_ == NuskDomainKind::select) ensureSlots();  // made on the select's first use
        return ownAttributes_;
    }
    /// First slot of the explicit attributes of `entity` (one of the entity types of this domain), or -1.
    int blockStart(const NuskDomain* entity) const;
    /// True when the slot's value is derived in this domain (written `*`).
    bool slotIsDerived(unsigned slot) const {
        ensureSlots();
        return derivedSlots_[slot] != 0;
    }
    /// True when the slot holds a real that this domain redeclares as an integer: the value is kept as a real,
    /// and written as an integer when it is whole.
    bool slotIsInteger(unsigned slot) const {
        ensureSlots();
        return slot < integerSlots_.size() && integerSlots_[slot] != 0;
    }
    /// slotIsDerived for every slot at once, one flag (0 or 1) per slot, for loops over the slots.
    const std::vector<uint8_t>& derivedSlotFlags() const {
        ensureSlots();
        return derivedSlots_;
    }

    /// Entity types of an entity or complex domain: itself and all its supertypes (complex: of every leaf).
    const std::vector<NuskDomain*>& entityClosure() const { return closure_; }
    /// Leaf entity types of a complex domain, alphabetical; a simple entity gives itself.
    const std::vector<NuskDomain*>& leafTypes() const { return leaves_; }

    // ---- enumerations ----
    const std::vector<NuskVarInfo>& enumValues() const { return enumValues_; }
    /// The record of an enumeration value, or null.
    const NuskVarInfo* getVarInfo(int value) const;
    /// The record of the value of that name (ignoring case), or null.
    const NuskVarInfo* getVarInfo(const char* name) const;
    /// The record of the value of that name in the enumeration of the type handle, or null.
    static const NuskVarInfo* getVarInfo(const char* name, NuskTypePtr& type);

    // ---- defined types, aggregates, selects ----
    /// Defined type: the domain it is defined on. Aggregate: the element domain.
    NuskDomain* underlying() const { return underlying_; }
    NuskAggregateKind aggregateKind() const { return aggregateKind_; }
    /// The primitive that values of this domain are stored as (entities, selects, aggregates: object).
    NuskPrimitive primitive() const { return primitive_; }
    /// Node type of a slot holding a value of this domain.
    int nodeType() const;
    /// Select: the alternatives as the schema lists them.
    const std::vector<NuskDomain*>& alternatives() const { return alternatives_; }
    /// Select: true when `d` (an entity, defined type, enumeration or aggregate domain) is one of its
    /// alternatives, directly or through nested selects; an entity matches an alternative it is a subtype of.
    bool selectAccepts(const NuskDomain* d) const;

    /// The schema that defines the domain (the store's core schema for primitives and system types).
    NuskSchema* schema() const;

    /// Makes an instance of a domain in a design: allocates with nusk_new_in_default_section for that domain
    /// and constructs the class the domain's instances are made as.
    using Factory = NuskObject* (*)(NuskDesign*, NuskDomain*);
    Factory factory() const { return factory_; }

    static void* operator new(size_t size);
    static void operator delete(void* p) noexcept;

private:
    friend class NuskSchema;
    friend class NuskObject;
    friend class NuskStore;
    NuskDomain(NuskSchema* schema, NuskDomainKind kind, const char* name);
    // The slots of entity and complex types are laid out on first use, and a select's value attributes made: a
    // file uses a few dozen of thousands. Never called under the schema's lock, which a select's layout takes.
    void ensureSlots() const {
        if (!slotsLaidOut_.load(std::memory_order_acquire)) layOutSlots();
    }
    void layOutSlots() const;

    const char* name_;  // kept in the schema's own text storage, or text that lives as long as the process
    uint32_t index_ = 0;
    NuskDomainKind kind_;
    NuskPrimitive primitive_ = NuskPrimitive::object;
    NuskAggregateKind aggregateKind_ = NuskAggregateKind::list;
    bool abstract_ = false;
    bool systemEntity_ = false;  // a system type whose instances are entity instances
    NuskDomain* underlying_ = nullptr;
    std::vector<NuskDomain*> supertypes_;
    std::vector<NuskDomain*> alternatives_;
    std::vector<NuskVarInfo> enumValues_;
    std::vector<std::string> enumNames_;
    std::vector<NuskAttribute*> ownAttributes_;  // explicit attributes this domain declares
    // Instance layout (entities and complex domains; selects and aggregates list their value attributes).
    std::vector<NuskAttribute*> slots_;
    std::vector<uint8_t> derivedSlots_;
    std::vector<uint8_t> integerSlots_;  // empty when no slot is redeclared as an integer
    std::vector<NuskSlot> unsetSlots_;
    std::vector<NuskDomain*> closure_;
    std::vector<NuskDomain*> leaves_;
    std::vector<uint32_t> ancestors_;  // sorted domain indices this domain is a subtype of, itself included
    std::vector<std::pair<uint32_t, uint32_t>> blocks_;  // (owner domain index, first slot)
    // False while the four lists of the instance layout above wait for their first use (entity and complex
    // types only).
    mutable std::atomic<bool> slotsLaidOut_{true};
    mutable std::atomic<ListOfNuskDomain*> superList_{nullptr};  // made on first use, under the schema's lock
    mutable std::atomic<ListOfNuskAttribute*> attributeList_{nullptr};
    Factory factory_ = nullptr;
};

/// A type handle: names a domain of a schema, found on first use and kept. Handles are process-wide (the
/// generated nusktype_* handles are globals): any number of threads may use one at once; the first uses look
/// the domain up (the same one for all), later ones read it without a lock.
class NuskTypePtr {
public:
    using SchemaGetter = NuskSchema* (*)();
    constexpr NuskTypePtr(SchemaGetter schema, const char* name) : schema_(schema), name_(name) {}
    NuskDomain* domain() {
        NuskDomain* d = domain_.load(std::memory_order_acquire);
        return d ? d : lookUp();
    }
    NuskDomain* operator->() { return domain(); }
    operator NuskDomain*() { return domain(); }
    const char* name() const { return name_; }

private:
    NuskDomain* lookUp();
    SchemaGetter schema_;
    const char* name_;
    std::atomic<NuskDomain*> domain_{nullptr};
};

/// A type handle that also names the class its instances are seen as, for the typed nusk_cast.
template <class T>
class NuskTypePtrT : public NuskTypePtr {
public:
    constexpr NuskTypePtrT(SchemaGetter schema, const char* name) : NuskTypePtr(schema, name) {}
};

/// The object seen as the class of the handle: null for a null object or one that is not of the handle's type,
/// and null too when the object's class does not derive from that class. That happens for a complex instance
/// made as its best-fitting generated class: isa() is true for every type it combines, but the class derives
/// only from the types of the class it was made as; reach the other types' attributes by name.
template <class T>
T* nusk_cast(NuskObject* obj, NuskTypePtrT<T>& type) {
    if (!obj || !obj->isa(type.domain())) return nullptr;
    return nusk_downcast<T>(obj);
}

/// The object seen as class T (a generated class such as stp_named_unit): null for a null object or one whose
/// class does not derive from T, as with the type-handle form.
template <class T>
T* nusk_cast(NuskObject* obj) {
    return nusk_downcast<T>(obj);
}

using NuskType = NuskDomain;
