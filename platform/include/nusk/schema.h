// Schemas: the dictionaries of types that designs are made of.
//
// A schema is a design whose objects are domains and attributes. It is built once (by generated code for a
// real schema, or by hand in tests), then sealed; after sealing it only grows by the complex domains that
// findComplexDomain forms on demand. Domains of all schemas share one process-wide index space, so an object
// records its domain in 32 bits.
//
// Threads: a schema is built on one thread (the generated getters build theirs inside a thread-safe static)
// and sealed before designs use it. After that it is shared by every design of every thread: lookups
// (findDomain, complexDomainOf, aggregateOf, domainAt, the core domains) may run on any number of threads at
// once, and the domains that findComplexDomain and aggregateOf add at run time are added under the schema's
// own lock (readers share it; only adding takes it alone). The building functions (addEntity ... seal,
// registerClass) are not for concurrent use with anything else on the same schema.
#pragma once

#include "nusk/design.h"
#include "nusk/domain.h"

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace nusk_detail {
struct CompiledNames;
}

/// One operand of an EXPRESS supertype constraint (SUPERTYPE OF (...)), used to decide which complex
/// combinations a schema allows.
struct NuskSupertypeExpr {
    enum class Op : uint8_t { entity, oneof, and_, andor };
    Op op = Op::entity;
    NuskDomain* entity = nullptr;  // for Op::entity
    std::vector<NuskSupertypeExpr> operands;
};

class NuskSchema : public NuskDesign {
public:
    explicit NuskSchema(const char* name);
    ~NuskSchema() override;

    /// The store's core schema: primitives (INTEGER, REAL, NUMBER, STRING, BINARY, BOOLEAN, LOGICAL) and the
    /// system types (NuskObject, NuskStructure, NuskUnion, NuskAggregate, NuskDesign, NuskDomain,
    /// NuskAttribute, DictionaryOfNuskObject, NuskRawRecord and the store's aggregates).
    static NuskSchema* core();
    /// The schema that designs made without one (and reads without one) use: the one set as default, else the
    /// one the default provider gives (a linked schema library registers itself as provider, so that linking it
    /// is enough), else null. Safe on any thread; set it before other threads make designs that rely on it.
    static NuskSchema* defaultSchema();
    static void setDefaultSchema(NuskSchema* schema);
    /// The default schema if one is set, without asking the provider.
    static NuskSchema* defaultSchemaIfSet();
    /// Registers the function that gives the default schema when none is set; it is called on first need.
    static void setDefaultSchemaProvider(NuskSchema* (*provider)());
    /// The domain with that global index, or null.
    static NuskDomain* domainAt(uint32_t index);

    // ---- building (before seal) ----
    NuskDomain* addEntity(const char* name, std::initializer_list<NuskDomain*> supertypes, bool abstract = false);
    NuskDomain* addEntity(const char* name, const std::vector<NuskDomain*>& supertypes, bool abstract = false);
    /// Entities may name supertypes declared after them; set them before seal.
    void setSupertypes(NuskDomain* entity, std::vector<NuskDomain*> supertypes);
    /// `minElements`: for an aggregate value, the declared lower bound (an empty aggregate of an OPTIONAL
    /// attribute whose lower bound is 1 or more is written as unset).
    NuskAttribute* addAttribute(NuskDomain* owner, const char* name, NuskDomain* value, bool optional = false,
                                unsigned minElements = 0);
    /// Room for `count` more attributes declared by `owner`, for a schema built from tables that know how many.
    void reserveAttributes(NuskDomain* owner, size_t count);
    /// The value a new instance made by an application holds in `att` (instead of unset). Instances read from a
    /// file hold what the file says.
    void setAttributeDefault(NuskAttribute* att, double value);
    /// The declared type of the innermost elements of an aggregate attribute, when the aggregate domain does not
    /// keep it (a list of a defined type over REAL is a list of REAL); see NuskAttribute::declaredElementDomain.
    void setDeclaredElementDomain(NuskAttribute* att, NuskDomain* element);
    /// `entity` redeclares `att` (of one of its supertypes) as derived: instances write it as `*`.
    void redeclareDerived(NuskDomain* entity, NuskAttribute* att);
    /// `entity` redeclares `att`, a real (REAL or NUMBER) of one of its supertypes, as an integer: instances
    /// keep the value as a real, and a whole value is written as an integer.
    void redeclareInteger(NuskDomain* entity, NuskAttribute* att);
    void setSupertypeConstraint(NuskDomain* entity, NuskSupertypeExpr expr);
    NuskDomain* addSelect(const char* name, const std::vector<NuskDomain*>& alternatives);
    /// Selects may name alternatives declared after them; fill them in before seal.
    void setSelectAlternatives(NuskDomain* select, std::vector<NuskDomain*> alternatives);
    NuskDomain* addEnumeration(const char* name, const std::vector<const char*>& values);
    NuskDomain* addDefinedType(const char* name, NuskDomain* underlying);
    void setDefinedTypeUnderlying(NuskDomain* type, NuskDomain* underlying);
    /// The aggregate domain of that kind and element type (one per pair, shared by all schemas). Defined types
    /// over primitives collapse to their primitive: every list of reals is ListOfDouble.
    static NuskDomain* aggregateOf(NuskAggregateKind kind, NuskDomain* element);
    /// Computes instance layouts and subtype closures. Entities are laid out in Part 21 order.
    void seal();
    bool sealed() const { return sealed_; }
    /// What the schema's classes put before a type's name ("" by default). Aggregate domains are named after the
    /// class of their elements ("SetOf" + prefix + element name), so set it before the first aggregate forms.
    void setClassPrefix(const char* prefix) { classPrefix_ = prefix ? prefix : ""; }
    /// Room for `count` more domains in the schema's tables, for a schema built from tables that know how many
    /// types they make: the tables are then not rebuilt again and again as they grow.
    void reserveDomains(size_t count);
    const char* classPrefix() const { return classPrefix_.c_str(); }
    /// Says that the names given to the schema from now on (of types, attributes, enumeration values) are text
    /// that lives as long as the process, such as tables compiled into the program: they are then used as given
    /// instead of copied. Names of types formed later (complex and aggregate domains) are made, and kept, as before.
    void useNamesAsGiven() { namesAsGiven_ = true; }
    bool usesNamesAsGiven() const { return namesAsGiven_; }

    // ---- lookup ----
    /// Domain of that name (case-insensitive; complex names "a_and_b" included once formed; the core
    /// schema's types too), or null.
    NuskDomain* findDomain(const char* name) const;
    /// The primitive domains of the core schema.
    static NuskDomain* integerDomain();
    static NuskDomain* realDomain();
    static NuskDomain* numberDomain();
    static NuskDomain* stringDomain();
    static NuskDomain* binaryDomain();
    static NuskDomain* booleanDomain();
    static NuskDomain* logicalDomain();
    /// All domains of this schema in definition order (complex domains after, as they were formed). A view of
    /// the schema's own list: use it only while no other thread may form domains in this schema (reading
    /// files, making aggregates); domainList() is the copy for any time.
    const std::vector<NuskDomain*>& domains() const { return domains_; }
    /// A copy of domains(), taken under the schema's lock.
    std::vector<NuskDomain*> domainList() const;
    /// Complex combination of entity types; see NuskDesign::findComplexDomain.
    NuskDomain* complexDomainOf(const std::vector<NuskDomain*>& types);
    /// True when an instance may be all of these leaf types at once under the schema's supertype constraints.
    bool allowsCombination(const std::vector<NuskDomain*>& leaves) const;

    // ---- generated classes ----
    using Factory = NuskDomain::Factory;
    /// Instances of `d` are made as the class `factory` constructs. `classTypes` are the entity types the class
    /// derives from (for a complex class, its leaf types); best-fit lookup for complex domains uses them.
    void registerClass(NuskDomain* d, Factory factory, const std::vector<NuskDomain*>& classTypes);
    /// The class `factory` for instances that combine the entity types `types`. Its complex domain is formed on
    /// first use (complexDomainOf, or findDomain by its name) rather than now: a schema has many such classes
    /// and a file uses few. False when `types` are not at least two entity types of this schema, none a
    /// supertype of another; whether the schema allows them together is checked when the domain is formed.
    bool registerComplexClass(const std::vector<NuskDomain*>& types, Factory factory);

    static void* operator new(size_t size);
    static void operator delete(void* p) noexcept;

private:
    friend class NuskStore;
    struct ClassInfo {
        Factory factory;
        std::vector<NuskDomain*> types;  // entity types the class derives from
        size_t coverage;                 // number of entity types in their closure
    };
    /// A new domain of the schema; its name is copied into the schema's text storage unless `nameAsGiven`.
    NuskDomain* newDomain(NuskDomainKind kind, const char* name, bool nameAsGiven = false);
    /// Makes a sealed select's value attributes, one per alternative named after it, on its first use.
    void makeSelectValueAttributes(NuskDomain* d);
    NuskAttribute* newAttribute(NuskDomain* owner, const char* name, NuskDomain* value, bool optional,
                                unsigned minElements, bool nameAsGiven);
    void layoutEntity(NuskDomain* d);
    void layoutComplex(NuskDomain* d);
    static void fillSlots(NuskDomain* d, const std::vector<NuskDomain*>& blockOrder);
    void computeAncestors(NuskDomain* d);
    void buildSystemDomains();
    Factory bestFitFactory(const std::vector<NuskDomain*>& closure) const;
    /// The leaf types of a combination of `types`, by name; empty when one of them is not an entity type (or
    /// a complex domain) of this schema.
    std::vector<NuskDomain*> complexLeaves(const std::vector<NuskDomain*>& types) const;
    /// The name of the complex domain of `leaves` (sorted by name): their names joined by "_and_".
    static std::string complexKey(const std::vector<NuskDomain*>& leaves);
    bool exprSatisfied(const NuskSupertypeExpr& e, const std::vector<NuskDomain*>& closure) const;
    /// The lock of the tables below and of the schema design's own storage (lists that domains make on
    /// demand): shared by lookups, taken alone to add.
    std::shared_mutex& lock() const { return lock_; }
    friend class NuskDomain;

    std::vector<NuskDomain*> domains_;
    /// Hashes a name by its length and both ends: cheaper than the standard hash on a schema's long names.
    struct NameHash {
        size_t operator()(std::string_view name) const noexcept;
    };
    // Lower-case names. A key views the domain's own name when that is lower case already (almost every name of
    // a compiled schema), else a lowered copy kept below; neither moves while the schema lives.
    std::unordered_map<std::string_view, NuskDomain*, NameHash> byName_;
    // The domains named in lower case other than aggregates and complex domains, with their names as keys, in
    // the order they were made: the names a word of a file may stand for, found once here when each is made.
    std::vector<std::pair<std::string_view, NuskDomain*>> lowerCaseNamed_;
    std::deque<std::string> loweredNames_;
    // The schema compiler's table of those names, when the schema was loaded from its tables (not owned).
    const nusk_detail::CompiledNames* compiledNames_ = nullptr;
    std::unordered_map<std::string, NuskDomain*> complexByKey_;
    std::unordered_map<std::string, std::vector<NuskDomain*>> unformedComplex_;  // leaves of generated classes
    std::unordered_map<uint64_t, NuskDomain*> aggregates_;  // by kind (high half) and element index (low half)
    std::unordered_map<NuskDomain*, NuskSupertypeExpr> constraints_;
    std::vector<ClassInfo> classes_;  // classes that combine several entity types
    bool sealed_ = false;
    bool namesAsGiven_ = false;
    std::string classPrefix_;
    mutable std::shared_mutex lock_;
};
