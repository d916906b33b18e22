// Building schemas: domains, attributes, instance layouts, complex domains and class registration.
#include "nusk/schema.h"

#include "arena.h"
#include "ascii_case.h"
#include "core_domains.h"
#include "design_impl.h"
#include "name_slots.h"
#include "registry.h"
#include "store_access.h"

#include "nusk/aggregate.h"
#include "nusk/report.h"
#include "nusk/units.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <atomic>
#include <mutex>

namespace {

std::atomic<NuskSchema*> gDefaultSchema{nullptr};
std::atomic<NuskSchema* (*)()> gDefaultSchemaProvider{nullptr};

// Names of EXPRESS are ASCII: folding A to Z alone is exact, and needs no call per letter into the C library.
std::string lower(std::string_view text) {
    std::string s(text);
    // Without a branch per letter: the dictionary's names are mostly lower case already.
    for (char& c : s) c = static_cast<char>(c + (static_cast<unsigned char>(c - 'A') < 26 ? 'a' - 'A' : 0));
    return s;
}
std::string lower(const char* text) { return lower(std::string_view(text ? text : "")); }

NuskSlot unsetSlotFor(const NuskDomain* value) {
    NuskSlot s;
    s.i = 0;
    switch (value ? value->primitive() : NuskPrimitive::object) {
    case NuskPrimitive::real: s.d = NUSK_NULL_REAL; break;
    case NuskPrimitive::integer: s.i = NUSK_NULL_INTEGER64; break;
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: s.i = -1; break;
    default: s.o = nullptr; break;
    }
    return s;
}

bool byName(const NuskDomain* a, const NuskDomain* b) { return std::strcmp(a->name(), b->name()) < 0; }

/// How many entity types the closures of `types` hold together: what a class deriving from them covers.
size_t coverageOf(const std::vector<NuskDomain*>& types) {
    std::vector<NuskDomain*> closure;
    for (NuskDomain* t : types)
        for (NuskDomain* e : t->entityClosure())
            if (std::find(closure.begin(), closure.end(), e) == closure.end()) closure.push_back(e);
    return closure.size();
}

}  // namespace

NuskSchema::NuskSchema(const char* name) : NuskDesign(OwnTag{}, name) {
    nusk_detail::core();  // the core's domains come first in the index space
}

NuskSchema::~NuskSchema() {
    for (NuskDomain* d : domains_) {
        for (NuskAttribute* a : d->ownAttributes_) delete a;
        delete d;
    }
}

void* NuskSchema::operator new(size_t size) { return ::operator new(size); }
void NuskSchema::operator delete(void* p) noexcept { ::operator delete(p); }

NuskSchema* NuskSchema::defaultSchema() {
    if (NuskSchema* set = gDefaultSchema.load(std::memory_order_acquire)) return set;
    NuskSchema* (*provider)() = gDefaultSchemaProvider.load(std::memory_order_acquire);
    if (!provider) return nullptr;
    NuskSchema* provided = provider();
    NuskSchema* expected = nullptr;
    // The provider may have set itself as default already; a default set meanwhile by another caller stays.
    gDefaultSchema.compare_exchange_strong(expected, provided, std::memory_order_acq_rel);
    return gDefaultSchema.load(std::memory_order_acquire);
}
NuskSchema* NuskSchema::defaultSchemaIfSet() { return gDefaultSchema.load(std::memory_order_acquire); }
void NuskSchema::setDefaultSchemaProvider(NuskSchema* (*provider)()) {
    gDefaultSchemaProvider.store(provider, std::memory_order_release);
}
void NuskSchema::setDefaultSchema(NuskSchema* schema) { gDefaultSchema.store(schema, std::memory_order_release); }
NuskDomain* NuskSchema::domainAt(uint32_t index) { return nusk_detail::domainAt(index); }

// The caller holds the schema's lock alone (or builds the schema, which no other thread sees yet).
NuskDomain* NuskSchema::newDomain(NuskDomainKind kind, const char* name, bool nameAsGiven) {
    NuskDomain* d = new NuskDomain(this, kind, nameAsGiven ? "" : name);
    if (nameAsGiven && name) d->name_ = name;
    d->index_ = nusk_detail::registerDomain(d);
    if (d->index_ == 0 && nusk_detail::core().object)
        NUSK.error("schema %s: too many types, %s cannot be indexed", this->name(), name);
    domains_.push_back(d);
    // The key views the domain's own name (it never changes, and a domain never moves) unless that needs lowering.
    std::string_view key(d->name_);
    if (!nusk_detail::isLowerCase(key)) {
        loweredNames_.push_back(lower(key));
        key = loweredNames_.back();
    } else if (kind != NuskDomainKind::aggregate && kind != NuskDomainKind::complex) {
        lowerCaseNamed_.emplace_back(key, d);
    }
    byName_.emplace(key, d);
    return d;
}

void NuskStore::lowerCaseNamed(const NuskSchema* schema,
                               std::vector<std::pair<std::string_view, NuskDomain*>>& out) {
    std::shared_lock<std::shared_mutex> guard(schema->lock_);
    const auto& named = schema->lowerCaseNamed_;
    out.reserve(named.size());
    nusk_detail::backPages(out.data(), named.size() * sizeof(named[0]));
    out.assign(named.begin(), named.end());
}

void NuskStore::setCompiledNames(NuskSchema* schema, const nusk_detail::CompiledNames* names) {
    std::unique_lock<std::shared_mutex> guard(schema->lock_);
    schema->compiledNames_ = names;
}

const nusk_detail::CompiledNames* NuskStore::compiledNames(const NuskSchema* schema) {
    std::shared_lock<std::shared_mutex> guard(schema->lock_);
    const nusk_detail::CompiledNames* names = schema->compiledNames_;
    const auto& named = schema->lowerCaseNamed_;
    // It lists the domains in the order they were made: the same count and the same two ends.
    const bool same = names && names->entryCount == named.size() && !named.empty() &&
                      names->domains[0] == named.front().second && names->domains[named.size() - 1] == named.back().second;
    return same ? names : nullptr;
}

size_t NuskSchema::NameHash::operator()(std::string_view name) const noexcept {
    return nusk_detail::foldedNameHash(name);
}

void NuskSchema::reserveDomains(size_t count) {
    std::unique_lock<std::shared_mutex> guard(lock_);
    domains_.reserve(domains_.size() + count);
    byName_.reserve(byName_.size() + count);
    lowerCaseNamed_.reserve(lowerCaseNamed_.size() + count);
}

std::vector<NuskDomain*> NuskSchema::domainList() const {
    std::shared_lock<std::shared_mutex> guard(lock_);
    return domains_;
}

NuskDomain* NuskSchema::findDomain(const char* name) const {
    const std::string key = lower(name);
    {
        std::shared_lock<std::shared_mutex> guard(lock_);
        auto it = byName_.find(key);
        if (it != byName_.end()) return it->second;
    }
    // A combination that a generated class stands for is formed when first asked for. The list is complete
    // once the classes are registered, before the schema is shared, so it is read without the lock.
    auto unformed = unformedComplex_.find(key);
    if (unformed != unformedComplex_.end())
        return const_cast<NuskSchema*>(this)->complexDomainOf(unformed->second);  // schemas are never made const
    // The store's own types (and aggregates of them, such as lists of lists of reals) belong to every schema.
    NuskSchema* core = NuskSchema::core();
    return core && core != this ? core->findDomain(name) : nullptr;
}

// ---- building ----

NuskDomain* NuskSchema::addEntity(const char* name, std::initializer_list<NuskDomain*> supertypes, bool abstract) {
    return addEntity(name, std::vector<NuskDomain*>(supertypes), abstract);
}

NuskDomain* NuskSchema::addEntity(const char* name, const std::vector<NuskDomain*>& supertypes, bool abstract) {
    std::unique_lock<std::shared_mutex> guard(lock_);
    NuskDomain* d = newDomain(NuskDomainKind::entity, name, namesAsGiven_);
    d->supertypes_ = supertypes;
    d->abstract_ = abstract;
    return d;
}

void NuskSchema::setSupertypes(NuskDomain* entity, std::vector<NuskDomain*> supertypes) {
    if (entity) entity->supertypes_ = std::move(supertypes);
}

NuskAttribute* NuskSchema::addAttribute(NuskDomain* owner, const char* name, NuskDomain* value, bool optional,
                                        unsigned minElements) {
    return newAttribute(owner, name, value, optional, minElements, namesAsGiven_);
}

NuskAttribute* NuskSchema::newAttribute(NuskDomain* owner, const char* name, NuskDomain* value, bool optional,
                                        unsigned minElements, bool nameAsGiven) {
    auto* a = new NuskAttribute(this, owner, nameAsGiven ? "" : name, value, optional,
                                static_cast<unsigned>(owner->ownAttributes_.size()));
    if (nameAsGiven && name) a->name_ = name;
    a->minElements_ = minElements;
    owner->ownAttributes_.push_back(a);
    return a;
}

void NuskSchema::reserveAttributes(NuskDomain* owner, size_t count) {
    if (owner) owner->ownAttributes_.reserve(owner->ownAttributes_.size() + count);
}

void NuskSchema::setAttributeDefault(NuskAttribute* att, double value) {
    if (!att || !att->valueDomain() || att->valueDomain()->primitive() != NuskPrimitive::real) return;
    att->hasDefault_ = true;
    att->default_.d = value;
}

void NuskSchema::setDeclaredElementDomain(NuskAttribute* att, NuskDomain* element) {
    if (att) att->declaredElement_ = element;
}

void NuskSchema::redeclareDerived(NuskDomain* entity, NuskAttribute* att) {
    if (entity && att) att->derivedIn_.push_back(entity);
}

void NuskSchema::redeclareInteger(NuskDomain* entity, NuskAttribute* att) {
    if (entity && att && att->valueDomain() && att->valueDomain()->primitive() == NuskPrimitive::real)
        att->integerIn_.push_back(entity);
}

void NuskSchema::setSupertypeConstraint(NuskDomain* entity, NuskSupertypeExpr expr) {
    constraints_[entity] = std::move(expr);
}

NuskDomain* NuskSchema::addSelect(const char* name, const std::vector<NuskDomain*>& alternatives) {
    std::unique_lock<std::shared_mutex> guard(lock_);
    NuskDomain* d = newDomain(NuskDomainKind::select, name, namesAsGiven_);
    d->alternatives_ = alternatives;
    return d;
}

void NuskSchema::setSelectAlternatives(NuskDomain* select, std::vector<NuskDomain*> alternatives) {
    select->alternatives_ = std::move(alternatives);
}

NuskDomain* NuskSchema::addEnumeration(const char* name, const std::vector<const char*>& values) {
    std::unique_lock<std::shared_mutex> guard(lock_);
    NuskDomain* d = newDomain(NuskDomainKind::enumeration, name, namesAsGiven_);
    d->primitive_ = NuskPrimitive::enumeration;
    d->enumNames_.reserve(values.size());
    d->enumValues_.reserve(values.size());
    for (const char* v : values) d->enumNames_.push_back(lower(v));
    for (size_t i = 0; i < d->enumNames_.size(); ++i)
        d->enumValues_.push_back({d->enumNames_[i].c_str(), static_cast<int>(i)});
    return d;
}

NuskDomain* NuskSchema::addDefinedType(const char* name, NuskDomain* underlying) {
    std::unique_lock<std::shared_mutex> guard(lock_);
    NuskDomain* d = newDomain(NuskDomainKind::defined_type, name, namesAsGiven_);
    d->underlying_ = underlying;
    return d;
}

void NuskSchema::setDefinedTypeUnderlying(NuskDomain* type, NuskDomain* underlying) { type->underlying_ = underlying; }

NuskDomain* NuskSchema::aggregateOf(NuskAggregateKind kind, NuskDomain* element) {
    if (!element) return nullptr;
    // Lists of any type defined on a primitive hold that primitive's values: one domain per primitive.
    while (element->kind() == NuskDomainKind::defined_type && element->underlying() &&
           element->underlying()->kind() != NuskDomainKind::aggregate)
        element = element->underlying();
    NuskSchema* owner = element->schema();
    const uint64_t key = uint64_t(static_cast<uint32_t>(kind)) << 32 | element->index();
    {
        std::shared_lock<std::shared_mutex> guard(owner->lock_);
        auto it = owner->aggregates_.find(key);
        if (it != owner->aggregates_.end()) return it->second;
    }
    // Not formed yet: form it alone, unless another thread did meanwhile.
    std::unique_lock<std::shared_mutex> guard(owner->lock_);
    auto it = owner->aggregates_.find(key);
    if (it != owner->aggregates_.end()) return it->second;

    static const char* const kKindNames[] = {"ListOf", "SetOf", "BagOf", "ArrayOf"};
    std::string elementName;
    switch (element->primitive()) {
    case NuskPrimitive::real: elementName = "Double"; break;
    case NuskPrimitive::integer: elementName = "Integer"; break;
    case NuskPrimitive::string:
    case NuskPrimitive::binary: elementName = "String"; break;
    case NuskPrimitive::boolean: elementName = "Boolean"; break;
    case NuskPrimitive::logical: elementName = "Logical"; break;
    default:
        elementName = element->typeIsAggregate() || element->kind() == NuskDomainKind::system
                          ? element->name()
                          : owner->classPrefix_ + element->name();
    }
    std::string name = kKindNames[static_cast<int>(kind)] + elementName;
    NuskDomain* d = owner->newDomain(NuskDomainKind::aggregate, name.c_str());
    d->aggregateKind_ = kind;
    d->underlying_ = element;
    d->primitive_ = NuskPrimitive::object;
    d->factory_ = NuskStore::aggregateFactory(element->primitive());
    NuskAttribute* a = owner->addAttribute(d, "element", element, false);
    d->slots_.push_back(a);
    d->ancestors_.push_back(d->index_);
    owner->aggregates_.emplace(key, d);
    return d;
}

// ---- sealing ----

namespace {

NuskPrimitive resolvePrimitive(NuskDomain* d) {
    for (int guard = 0; d && guard < 64; ++guard) {
        switch (d->kind()) {
        case NuskDomainKind::defined_type: d = d->underlying(); continue;
        case NuskDomainKind::primitive:
        case NuskDomainKind::enumeration: return d->primitive();
        default: return NuskPrimitive::object;
        }
    }
    return NuskPrimitive::none;
}

}  // namespace

void NuskSchema::seal() {
    if (sealed_) return;
    for (NuskDomain* d : domains_)
        if (d->kind_ == NuskDomainKind::defined_type) d->primitive_ = resolvePrimitive(d->underlying_);
    for (NuskDomain* d : domains_)
        if (d->kind_ == NuskDomainKind::entity && d->slots_.empty() && d->closure_.empty()) layoutEntity(d);
    for (NuskDomain* d : domains_) {
        if (d->kind_ != NuskDomainKind::select) continue;
        d->ancestors_.push_back(d->index_);
        // Its value attributes wait for the select's first use (NuskDomain::layOutSlots), as an entity's slots
        // do: a schema has thousands of alternatives and a file uses few of its selects.
        d->slotsLaidOut_.store(false, std::memory_order_relaxed);  // the schema is not shared yet
    }
    for (NuskDomain* d : domains_) {
        if (d->factory_) continue;
        if (d->kind_ == NuskDomainKind::entity) d->factory_ = nusk_detail::core().entityInstance->factory_;
        if (d->kind_ == NuskDomainKind::select) d->factory_ = nusk_detail::core().unionRoot->factory_;
    }
    sealed_ = true;
}

namespace {

/// Appends `e` to `order` after its supertypes, depth first in the order of the SUBTYPE OF clause; an entity
/// reached twice is listed once. Bounded, so that supertypes set to loop end the walk instead of the stack.
void appendInPart21Order(NuskDomain* e, std::vector<NuskDomain*>& order, int depth = 0) {
    if (!e || depth > 64 || std::find(order.begin(), order.end(), e) != order.end()) return;
    for (NuskDomain* s : e->superTypes()) appendInPart21Order(s, order, depth + 1);
    if (std::find(order.begin(), order.end(), e) == order.end()) order.push_back(e);
}

/// Appends the entities of `closure` that `order` lacks. A closure lists each entity after its supertypes, so
/// when an entity of it is in `order` already, so are its supertypes: the result is the walk above.
void appendMissing(const std::vector<NuskDomain*>& closure, std::vector<NuskDomain*>& order) {
    if (order.empty()) {
        order = closure;
        return;
    }
    for (NuskDomain* e : closure)
        if (std::find(order.begin(), order.end(), e) == order.end()) order.push_back(e);
}

// How deep supertypes are being laid out ahead of their subtypes (bounded for a schema whose supertypes loop).
thread_local int tSupertypeDepth = 0;

}  // namespace

void NuskSchema::layoutEntity(NuskDomain* d) {
    // Supertypes first: each laid-out supertype lends its own order, so that the common single inheritance costs
    // a copy instead of a walk up the whole hierarchy.
    for (NuskDomain* s : d->supertypes_)
        if (s && s->kind_ == NuskDomainKind::entity && s->slots_.empty() && s->closure_.empty() &&
            tSupertypeDepth < 64) {
            ++tSupertypeDepth;
            layoutEntity(s);
            --tSupertypeDepth;
        }
    // Part 21 order: each supertype's attributes before the subtype's.
    std::vector<NuskDomain*> order;
    size_t most = 1;
    for (NuskDomain* s : d->supertypes_)
        if (s) most += s->closure_.size();
    order.reserve(most);
    for (NuskDomain* s : d->supertypes_) {
        if (!s) continue;
        if (!s->closure_.empty())
            appendMissing(s->closure_, order);
        else
            appendInPart21Order(s, order);
    }
    if (std::find(order.begin(), order.end(), d) == order.end()) order.push_back(d);
    d->closure_ = std::move(order);
    d->leaves_ = {d};
    // The slots wait for the type's first use (NuskDomain::layOutSlots); what tells types apart is made now.
    computeAncestors(d);
    d->slotsLaidOut_.store(false, std::memory_order_relaxed);  // the schema is not shared yet
}

void NuskSchema::layoutComplex(NuskDomain* d) {
    // A complex instance is written as partial records in alphabetical order; its slots follow that order.
    std::vector<NuskDomain*> order;
    size_t most = 0;
    for (NuskDomain* leaf : d->leaves_) most += leaf->closure_.size();
    order.reserve(most);
    for (NuskDomain* leaf : d->leaves_)
        for (NuskDomain* e : leaf->closure_)
            if (std::find(order.begin(), order.end(), e) == order.end()) order.push_back(e);
    std::sort(order.begin(), order.end(), byName);
    d->closure_ = std::move(order);
    // Its slots too wait for the first use (made under the schema's lock, the domain is not shared yet).
    computeAncestors(d);
    d->slotsLaidOut_.store(false, std::memory_order_relaxed);
}

void NuskDomain::layOutSlots() const {
    // One lock for the process: it is taken once per entity or select type, by the first use of the type on any
    // thread, and before the schema's own lock.
    // The schema is sealed by then, so the closures, attributes and ancestors read below no longer change.
    static auto* lock = new std::mutex;
    std::lock_guard<std::mutex> guard(*lock);
    if (slotsLaidOut_.load(std::memory_order_relaxed)) return;
    auto* self = const_cast<NuskDomain*>(this);  // domains are never made const
    if (kind_ == NuskDomainKind::select)
        schema()->makeSelectValueAttributes(self);
    else
        NuskSchema::fillSlots(self, closure_);
    slotsLaidOut_.store(true, std::memory_order_release);
}

void NuskSchema::makeSelectValueAttributes(NuskDomain* d) {
    // The schema's lock: a name copied goes to its text storage, which other threads may be adding to.
    std::unique_lock<std::shared_mutex> guard(lock_);
    // One value attribute per alternative, so that a select's current value has an attribute to read.
    d->ownAttributes_.reserve(d->alternatives_.size());
    d->slots_.reserve(d->alternatives_.size());
    for (NuskDomain* alt : d->alternatives_) {
        // Named after the alternative: an alternative of this schema has its name as long as the schema does,
        // so it is not copied.
        const bool ownType = alt && alt->design() == this;
        NuskAttribute* a = newAttribute(d, alt ? alt->name() : "", alt, false, 0, ownType);
        d->slots_.push_back(a);
    }
}

void NuskSchema::fillSlots(NuskDomain* d, const std::vector<NuskDomain*>& blockOrder) {
    // The block order is the closure, whose sorted indices (the ancestors) answer "is this entity in it" below.
    d->slots_.clear();
    d->blocks_.clear();
    size_t slotCount = 0;
    for (NuskDomain* e : blockOrder) slotCount += e->ownAttributes_.size();
    d->slots_.reserve(slotCount);
    d->blocks_.reserve(blockOrder.size());
    d->unsetSlots_.reserve(slotCount);
    for (NuskDomain* e : blockOrder) {
        d->blocks_.emplace_back(e->index_, static_cast<uint32_t>(d->slots_.size()));
        for (NuskAttribute* a : e->ownAttributes_) d->slots_.push_back(a);
    }
    d->derivedSlots_.assign(d->slots_.size(), 0);
    d->integerSlots_.clear();
    d->unsetSlots_.clear();
    const auto isAncestor = [d](const NuskDomain* by) {
        return by && std::binary_search(d->ancestors_.begin(), d->ancestors_.end(), by->index_);
    };
    for (size_t i = 0; i < d->slots_.size(); ++i) {
        for (NuskDomain* by : d->slots_[i]->derivedIn_)
            if (isAncestor(by)) d->derivedSlots_[i] = 1;
        for (NuskDomain* by : d->slots_[i]->integerIn_) {
            if (!isAncestor(by)) continue;
            d->integerSlots_.resize(d->slots_.size(), 0);
            d->integerSlots_[i] = 1;
        }
        const NuskAttribute* a = d->slots_[i];
        d->unsetSlots_.push_back(a->hasDefault_ ? a->default_ : unsetSlotFor(a->valueDomain()));
    }
}

void NuskSchema::computeAncestors(NuskDomain* d) {
    // An entity's closure is its supertypes' closures and itself: their sorted ancestors merged, and its own
    // index put in its place, cost less than sorting the closure again. A supertype not laid out (a hierarchy
    // that loops) has none yet: then the closure is sorted.
    bool supertypesReady = d->kind_ == NuskDomainKind::entity && !d->supertypes_.empty();
    for (NuskDomain* s : d->supertypes_)
        supertypesReady = supertypesReady && s && s->kind_ == NuskDomainKind::entity && !s->closure_.empty() &&
                          !s->ancestors_.empty();
    if (supertypesReady) {
        const std::vector<uint32_t>& first = d->supertypes_[0]->ancestors_;
        const uint32_t self[] = {d->index_};
        std::vector<uint32_t> merged;
        merged.reserve(first.size() + 1);
        std::set_union(self, self + 1, first.begin(), first.end(), std::back_inserter(merged));
        for (size_t k = 1; k < d->supertypes_.size(); ++k) {
            const std::vector<uint32_t>& more = d->supertypes_[k]->ancestors_;
            std::vector<uint32_t> both;
            both.reserve(merged.size() + more.size());
            std::set_union(merged.begin(), merged.end(), more.begin(), more.end(), std::back_inserter(both));
            merged.swap(both);
        }
        d->ancestors_ = std::move(merged);
        return;
    }
    d->ancestors_.clear();
    d->ancestors_.reserve(d->closure_.size() + 1);
    for (NuskDomain* e : d->closure_) d->ancestors_.push_back(e->index_);
    d->ancestors_.push_back(d->index_);
    std::sort(d->ancestors_.begin(), d->ancestors_.end());
    d->ancestors_.erase(std::unique(d->ancestors_.begin(), d->ancestors_.end()), d->ancestors_.end());
}

// ---- complex domains ----

namespace {

/// Whether the combination `closure` holds what `x` names: an entity, all operands of an AND, one of the others.
bool present(const NuskSupertypeExpr& x, const std::vector<NuskDomain*>& closure) {
    using Op = NuskSupertypeExpr::Op;
    if (x.op == Op::entity) return std::find(closure.begin(), closure.end(), x.entity) != closure.end();
    if (x.op == Op::and_) {
        for (const auto& o : x.operands)
            if (!present(o, closure)) return false;
        return !x.operands.empty();
    }
    for (const auto& o : x.operands)
        if (present(o, closure)) return true;
    return false;
}

}  // namespace

bool NuskSchema::exprSatisfied(const NuskSupertypeExpr& e, const std::vector<NuskDomain*>& closure) const {
    using Op = NuskSupertypeExpr::Op;
    // ONEOF forbids two of its operands at once; AND and ANDOR allow any combination of theirs.
    if (e.op == Op::oneof) {
        int count = 0;
        for (const auto& o : e.operands) count += present(o, closure) ? 1 : 0;
        if (count > 1) return false;
    }
    for (const auto& o : e.operands)
        if (o.op != Op::entity && !exprSatisfied(o, closure)) return false;
    return true;
}

bool NuskSchema::allowsCombination(const std::vector<NuskDomain*>& leaves) const {
    std::vector<NuskDomain*> closure;
    size_t most = 0;
    for (NuskDomain* leaf : leaves) most += leaf->closure_.size();
    closure.reserve(most);
    for (NuskDomain* leaf : leaves)
        for (NuskDomain* e : leaf->closure_)
            if (std::find(closure.begin(), closure.end(), e) == closure.end()) closure.push_back(e);
    for (NuskDomain* e : closure) {
        auto it = constraints_.find(e);
        if (it != constraints_.end() && !exprSatisfied(it->second, closure)) return false;
    }
    return true;
}

std::vector<NuskDomain*> NuskSchema::complexLeaves(const std::vector<NuskDomain*>& types) const {
    std::vector<NuskDomain*> all;
    for (NuskDomain* t : types) {
        if (!t) continue;
        if (t->kind_ == NuskDomainKind::complex)
            all.insert(all.end(), t->leaves_.begin(), t->leaves_.end());
        else if (t->kind_ == NuskDomainKind::entity && t->schema() == this)
            all.push_back(t);
        else
            return {};
    }
    std::vector<NuskDomain*> leaves;
    leaves.reserve(all.size());
    for (NuskDomain* t : all) {
        bool isSuper = false;
        for (NuskDomain* u : all)
            if (u != t && u->typeIsa(t)) isSuper = true;
        if (!isSuper && std::find(leaves.begin(), leaves.end(), t) == leaves.end()) leaves.push_back(t);
    }
    std::sort(leaves.begin(), leaves.end(), byName);
    return leaves;
}

std::string NuskSchema::complexKey(const std::vector<NuskDomain*>& leaves) {
    std::string key;
    for (NuskDomain* l : leaves) {
        if (!key.empty()) key += "_and_";
        key += l->name();
    }
    return key;
}

NuskDomain* NuskSchema::complexDomainOf(const std::vector<NuskDomain*>& types) {
    const std::vector<NuskDomain*> leaves = complexLeaves(types);
    if (leaves.size() <= 1) return leaves.empty() ? nullptr : leaves[0];
    const std::string key = complexKey(leaves);
    {
        std::shared_lock<std::shared_mutex> guard(lock_);
        auto found = complexByKey_.find(key);
        if (found != complexByKey_.end()) return found->second;
    }
    // Not formed yet: form it alone, unless another thread did meanwhile. Leaves, closures and constraints
    // are fixed since the schema was sealed.
    if (!allowsCombination(leaves)) return nullptr;
    std::unique_lock<std::shared_mutex> guard(lock_);
    auto found = complexByKey_.find(key);
    if (found != complexByKey_.end()) return found->second;

    NuskDomain* d = newDomain(NuskDomainKind::complex, key.c_str());
    d->leaves_ = leaves;
    d->supertypes_ = leaves;
    layoutComplex(d);
    // A generated class of exactly these leaves covers the whole closure, so it is the best fit.
    d->factory_ = bestFitFactory(d->closure_);
    complexByKey_.emplace(key, d);
    return d;
}

// ---- generated classes ----

void NuskSchema::registerClass(NuskDomain* d, Factory factory, const std::vector<NuskDomain*>& classTypes) {
    if (!d || !factory) return;
    // The class of an entity covers that entity's closure, which the entity knows: only classes that combine
    // several types need a record for best-fit lookups.
    const bool ownEntityClass = d->kind_ == NuskDomainKind::entity && classTypes.size() == 1 && classTypes[0] == d;
    if (!ownEntityClass && (d->kind_ == NuskDomainKind::complex || d->kind_ == NuskDomainKind::entity))
        classes_.push_back({factory, classTypes, coverageOf(classTypes)});
    d->factory_ = factory;
}

bool NuskSchema::registerComplexClass(const std::vector<NuskDomain*>& types, Factory factory) {
    std::vector<NuskDomain*> leaves = complexLeaves(types);
    if (!factory || leaves.size() < 2) return false;
    classes_.push_back({factory, leaves, coverageOf(leaves)});
    unformedComplex_.emplace(complexKey(leaves), std::move(leaves));
    return true;
}

NuskSchema::Factory NuskSchema::bestFitFactory(const std::vector<NuskDomain*>& closure) const {
    const Factory plainEntity = nusk_detail::core().entityInstance->factory_;
    Factory best = nullptr;
    size_t bestCoverage = 0;
    // The generated class of each entity type in the closure, then the classes that combine several types.
    for (NuskDomain* e : closure)
        if (e->kind_ == NuskDomainKind::entity && e->factory_ && e->factory_ != plainEntity &&
            e->closure_.size() > bestCoverage) {
            best = e->factory_;
            bestCoverage = e->closure_.size();
        }
    // A class fits when all its types are in the closure: the closure's sorted domain indices answer that. A
    // closure holds the supertypes of its entities, so a class covering more entities than it cannot fit.
    std::vector<uint32_t> members;
    members.reserve(closure.size());
    for (NuskDomain* e : closure) members.push_back(e->index_);
    std::sort(members.begin(), members.end());
    for (const ClassInfo& c : classes_) {
        if (c.coverage <= bestCoverage || c.coverage > closure.size()) continue;
        bool fits = true;
        for (NuskDomain* t : c.types)
            if (!std::binary_search(members.begin(), members.end(), t->index_)) {
                fits = false;
                break;
            }
        if (fits) {
            best = c.factory;
            bestCoverage = c.coverage;
        }
    }
    return best ? best : plainEntity;
}
