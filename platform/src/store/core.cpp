// The store's core schema: primitives, system types and the classes of the store's own objects.
#include "core_domains.h"
#include "design_impl.h"
#include "store_access.h"

#include "nusk/aggregate.h"
#include "nusk/dictionary.h"
#include "nusk/schema.h"
#include "nusk/select.h"
#include "nusk/structure.h"

#include <atomic>
#include <mutex>

namespace nusk_detail {

CoreDomains gCore;

namespace {


// Factories of the store's generic classes: storage for the domain, then the class.
template <class T>
NuskObject* makeInstance(NuskDesign* design, NuskDomain* domain) {
    void* p = nusk_new_in_default_section(sizeof(T), design, domain);
    return p ? static_cast<NuskObject*>(::new (p) T()) : nullptr;
}

// The generic classes have protected constructors; these give the factories access.
struct GenericUnion : NuskUnion {};
struct GenericAggregate : NuskAggregate {};

}  // namespace

// The core schema is built once, by the first thread that needs it; the others wait for it (call_once). While
// it is built, the building thread itself asks for the core again (schemas and domains name their own
// domains): it gets the fields set so far.
thread_local bool tBuilding = false;
std::atomic<bool> gCoreReady{false};

}  // namespace nusk_detail

NuskSchema* NuskStore::buildCore() {
    using namespace nusk_detail;
    auto* core = new NuskSchema("nusk_core");
    // The root type must be index 0; the schema's own domain is fixed up below.
    auto make = [&](NuskDomainKind kind, const char* name) {
        NuskDomain* d = core->newDomain(kind, name);
        return d;
    };
    gCore.object = make(NuskDomainKind::system, "NuskObject");
    gCore.structure = make(NuskDomainKind::system, "NuskStructure");
    gCore.unionRoot = make(NuskDomainKind::system, "NuskUnion");
    gCore.aggregateRoot = make(NuskDomainKind::system, "NuskAggregate");
    gCore.design = make(NuskDomainKind::system, "NuskDesign");
    gCore.domain = make(NuskDomainKind::system, "NuskDomain");
    gCore.attribute = make(NuskDomainKind::system, "NuskAttribute");
    gCore.dictionary = make(NuskDomainKind::system, "DictionaryOfNuskObject");
    gCore.raw = make(NuskDomainKind::system, "NuskRawRecord");
    gCore.entityInstance = make(NuskDomainKind::system, "NuskEntityInstance");
    struct Prim {
        NuskDomain** slot;
        const char* name;
        NuskPrimitive primitive;
    };
    const Prim prims[] = {
        {&gCore.integer, "INTEGER", NuskPrimitive::integer}, {&gCore.real, "REAL", NuskPrimitive::real},
        {&gCore.number, "NUMBER", NuskPrimitive::real},      {&gCore.string, "STRING", NuskPrimitive::string},
        {&gCore.binary, "BINARY", NuskPrimitive::binary},    {&gCore.boolean, "BOOLEAN", NuskPrimitive::boolean},
        {&gCore.logical, "LOGICAL", NuskPrimitive::logical},
    };
    for (const Prim& p : prims) {
        *p.slot = make(NuskDomainKind::primitive, p.name);
        (*p.slot)->primitive_ = p.primitive;
    }
    for (NuskDomain* d : core->domains_) d->ancestors_.push_back(d->index_);
    gCore.structure->ancestors_ = {gCore.object->index_, gCore.structure->index_};
    gCore.raw->ancestors_ = {gCore.object->index_, gCore.structure->index_, gCore.raw->index_};
    gCore.raw->supertypes_ = {gCore.structure};
    gCore.structure->systemEntity_ = gCore.raw->systemEntity_ = gCore.entityInstance->systemEntity_ = true;
    gCore.entityInstance->supertypes_ = {gCore.structure};

    gCore.raw->factory_ = &makeInstance<NuskRawRecord>;
    gCore.entityInstance->factory_ = &makeInstance<NuskEntityInstance>;
    gCore.unionRoot->factory_ = &makeInstance<GenericUnion>;
    gCore.aggregateRoot->factory_ = &makeInstance<GenericAggregate>;
    gCore.dictionary->factory_ = nullptr;  // made by DictionaryOfNuskObject::create

    // Every object made so far (the core schema itself and its domains) gets its real type now.
    core->domainIndex_ = gCore.design->index_;
    for (NuskDomain* d : core->domains_) d->domainIndex_ = gCore.domain->index_;
    core->sealed_ = true;
    return core;
}

NuskDomain::Factory NuskStore::aggregateFactory(NuskPrimitive element) {
    using namespace nusk_detail;
    switch (element) {
    case NuskPrimitive::real: return &makeInstance<ListOfDouble>;
    case NuskPrimitive::integer:
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: return &makeInstance<ListOfInteger>;
    case NuskPrimitive::string:
    case NuskPrimitive::binary: return &makeInstance<ListOfString>;
    default: return &makeInstance<ListOfNuskObject>;
    }
}

namespace nusk_detail {

const CoreDomains& core() {
    if (gCoreReady.load(std::memory_order_acquire) || tBuilding) return gCore;
    static std::once_flag once;
    std::call_once(once, [] {
        tBuilding = true;
        NuskStore::buildCore();
        tBuilding = false;
        gCoreReady.store(true, std::memory_order_release);
    });
    return gCore;
}

}  // namespace nusk_detail

NuskSchema* NuskSchema::core() {
    nusk_detail::core();
    return nusk_detail::core().object ? nusk_detail::core().object->schema() : nullptr;
}

NuskDomain* NuskSchema::integerDomain() { return nusk_detail::core().integer; }
NuskDomain* NuskSchema::realDomain() { return nusk_detail::core().real; }
NuskDomain* NuskSchema::numberDomain() { return nusk_detail::core().number; }
NuskDomain* NuskSchema::stringDomain() { return nusk_detail::core().string; }
NuskDomain* NuskSchema::binaryDomain() { return nusk_detail::core().binary; }
NuskDomain* NuskSchema::booleanDomain() { return nusk_detail::core().boolean; }
NuskDomain* NuskSchema::logicalDomain() { return nusk_detail::core().logical; }

NuskDomain* nusk_domain_NuskObject() { return nusk_detail::core().object; }
NuskDomain* nusk_domain_NuskStructure() { return nusk_detail::core().structure; }
NuskDomain* nusk_domain_NuskRawRecord() { return nusk_detail::core().raw; }
NuskDomain* nusk_domain_NuskUnion() { return nusk_detail::core().unionRoot; }
NuskDomain* nusk_domain_DictionaryOfNuskObject() { return nusk_detail::core().dictionary; }

namespace {
NuskSchema* coreSchema() { return NuskSchema::core(); }
}  // namespace

NuskTypePtr nusktype_NuskObject(&coreSchema, "NuskObject");
NuskTypePtr nusktype_NuskStructure(&coreSchema, "NuskStructure");

// The store's aggregate domains, found once (the core schema never goes): a thread-safe static each, so
// that making an aggregate does not look its domain up.
NuskDomain* nusk_domain_ListOfDouble() {
    static NuskDomain* const d = NuskSchema::aggregateOf(NuskAggregateKind::list, NuskSchema::realDomain());
    return d;
}
NuskDomain* nusk_domain_ListOfInteger() {
    static NuskDomain* const d = NuskSchema::aggregateOf(NuskAggregateKind::list, NuskSchema::integerDomain());
    return d;
}
NuskDomain* nusk_domain_ListOfString() {
    static NuskDomain* const d = NuskSchema::aggregateOf(NuskAggregateKind::list, NuskSchema::stringDomain());
    return d;
}
NuskDomain* nusk_domain_SetOfNuskObject() {
    static NuskDomain* const d = NuskSchema::aggregateOf(NuskAggregateKind::set, nusk_detail::core().object);
    return d;
}
NuskDomain* nusk_domain_ListOfNuskObject() {
    static NuskDomain* const d = NuskSchema::aggregateOf(NuskAggregateKind::list, nusk_detail::core().object);
    return d;
}
NuskDomain* nusk_domain_ListOfNuskDomain() {
    static NuskDomain* const d = NuskSchema::aggregateOf(NuskAggregateKind::list, nusk_detail::core().domain);
    return d;
}
NuskDomain* nusk_domain_ListOfNuskAttribute() {
    static NuskDomain* const d = NuskSchema::aggregateOf(NuskAggregateKind::list, nusk_detail::core().attribute);
    return d;
}
