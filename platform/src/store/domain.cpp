// Domains, attributes and type handles.
#include "nusk/domain.h"

#include "core_domains.h"
#include "design_impl.h"
#include "registry.h"

#include "nusk/aggregate.h"
#include "nusk/schema.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

/// A copy of a type's or attribute's name in the schema's text storage: thousands of names in a few blocks
/// rather than an allocation per name (a lookup to share equal names would cost more than it saves). Names are
/// added while the schema is built, or under its lock alone (complex and aggregate domains formed later), so the
/// storage is never written by two threads at once.
const char* keptName(NuskSchema* schema, const char* name) {
    // The empty name needs no copy (it is also what a schema gives a name it uses as given, set right after).
    if (!name || !*name) return "";
    if (schema) return schema->impl().strings_.copy(name);
    // Every domain and attribute belongs to a schema; were one made without, it keeps a copy of its own.
    const size_t size = std::strlen(name) + 1;
    return static_cast<const char*>(std::memcpy(new char[size], name, size));
}

}  // namespace

NuskAttribute::NuskAttribute(NuskSchema* schema, NuskDomain* owner, const char* name, NuskDomain* value, bool optional,
                             unsigned localIndex)
    : NuskObject(nusk_detail::core().attribute, schema),
      name_(keptName(schema, name)),
      owner_(owner),
      value_(value),
      optional_(optional),
      localIndex_(localIndex) {}

void* NuskAttribute::operator new(size_t size) { return ::operator new(size); }
void NuskAttribute::operator delete(void* p) noexcept { ::operator delete(p); }

bool NuskAttribute::isDerivedIn(const NuskDomain* entity) const {
    if (!entity) return false;
    for (NuskDomain* d : derivedIn_)
        if (entity->typeIsa(d)) return true;
    return false;
}

NuskDomain* NuskAttribute::declaredElementDomain() const {
    // Down the aggregate levels, through defined types over aggregates (bounded: a schema that defines a type on
    // itself must not hang the caller).
    NuskDomain* element = nullptr;
    NuskDomain* d = value_;
    for (int guard = 0; d && guard < 64; ++guard) {
        while (d && d->kind() == NuskDomainKind::defined_type && ++guard < 64) d = d->underlying();
        if (!d || !d->typeIsAggregate()) break;
        element = d = d->underlying();
    }
    if (!element) return nullptr;
    return declaredElement_ ? declaredElement_ : element;
}

int NuskAttribute::slotNodeType() const { return value_ ? value_->nodeType() : nusk_node_none; }

NuskDomain::NuskDomain(NuskSchema* schema, NuskDomainKind kind, const char* name)
    : NuskObject(nusk_detail::core().domain, schema), name_(keptName(schema, name)), kind_(kind) {}

void* NuskDomain::operator new(size_t size) { return ::operator new(size); }
void NuskDomain::operator delete(void* p) noexcept { ::operator delete(p); }

NuskSchema* NuskDomain::schema() const { return static_cast<NuskSchema*>(design()); }

bool NuskDomain::typeIsa(const NuskDomain* d) const {
    if (!d) return false;
    if (d == this) return true;
    const auto& core = nusk_detail::core();
    if (d == core.object) return true;
    if (d == core.structure) return typeIsEntity();
    if (d == core.unionRoot) return typeIsSelect();
    if (d == core.aggregateRoot) return typeIsAggregate();
    if (kind_ == NuskDomainKind::defined_type) {
        const NuskDomain* u = underlying_;
        for (int guard = 0; u && guard < 64; ++guard, u = u->underlying_)
            if (u == d) return true;
        return false;
    }
    return std::binary_search(ancestors_.begin(), ancestors_.end(), d->index_);
}

// The lists below are objects of the schema design, made on first use: under the schema's lock, since the
// domains of a schema share its design's storage and are read on every thread.
ListOfNuskDomain* NuskDomain::typeSuperTypes() const {
    if (ListOfNuskDomain* list = superList_.load(std::memory_order_acquire)) return list;
    std::unique_lock<std::shared_mutex> guard(schema()->lock());
    ListOfNuskDomain* list = superList_.load(std::memory_order_relaxed);
    if (!list) {
        list = new (design()) ListOfNuskDomain();
        for (NuskDomain* s : supertypes_) list->add(s);
        superList_.store(list, std::memory_order_release);
    }
    return list;
}

NuskAttribute* NuskDomain::findTypeAttribute(const char* name) const {
    if (!name) return nullptr;
    ensureSlots();
    for (NuskAttribute* a : slots_)
        if (std::strcmp(a->name(), name) == 0) return a;
    for (NuskAttribute* a : slots_)
        if (nusk_strcasecmp(a->name(), name) == 0) return a;
    return nullptr;
}

ListOfNuskAttribute* NuskDomain::attributes() const {
    if (ListOfNuskAttribute* list = attributeList_.load(std::memory_order_acquire)) return list;
    // Laid out before the schema's lock is taken: making a select's value attributes takes that lock itself.
    ensureSlots();
    std::unique_lock<std::shared_mutex> guard(schema()->lock());
    ListOfNuskAttribute* list = attributeList_.load(std::memory_order_relaxed);
    if (!list) {
        list = new (design()) ListOfNuskAttribute();
        for (NuskAttribute* a : slotAttributes()) list->add(a);
        attributeList_.store(list, std::memory_order_release);
    }
    return list;
}

int NuskDomain::slotOf(const NuskAttribute* att) const {
    if (!att) return -1;
    ensureSlots();
    if (kind_ == NuskDomainKind::entity || kind_ == NuskDomainKind::complex) {
        const uint32_t owner = att->owner()->index_;
        for (const auto& block : blocks_)
            if (block.first == owner) return static_cast<int>(block.second + att->localIndex());
        return -1;
    }
    for (size_t i = 0; i < slots_.size(); ++i)
        if (slots_[i] == att) return static_cast<int>(i);
    return -1;
}

int NuskDomain::blockStart(const NuskDomain* entity) const {
    if (!entity) return -1;
    ensureSlots();
    for (const auto& block : blocks_)
        if (block.first == entity->index_) return static_cast<int>(block.second);
    return -1;
}

const NuskVarInfo* NuskDomain::getVarInfo(int value) const {
    if (value < 0 || static_cast<size_t>(value) >= enumValues_.size()) return nullptr;
    return &enumValues_[static_cast<size_t>(value)];
}

const NuskVarInfo* NuskDomain::getVarInfo(const char* name) const {
    if (!name || !*name) return nullptr;
    for (const NuskVarInfo& v : enumValues_)
        if (nusk_strcasecmp(v.name, name) == 0) return &v;
    return nullptr;
}

const NuskVarInfo* NuskDomain::getVarInfo(const char* name, NuskTypePtr& type) {
    NuskDomain* d = type.domain();
    return d ? d->getVarInfo(name) : nullptr;
}

int NuskDomain::nodeType() const {
    switch (kind_) {
    case NuskDomainKind::entity:
    case NuskDomainKind::complex: return nusk_node_entity;
    case NuskDomainKind::select: return nusk_node_select;
    case NuskDomainKind::aggregate: return nusk_node_aggregate;
    case NuskDomainKind::system: return typeIsEntity() ? nusk_node_entity : nusk_node_aggregate;
    default: break;
    }
    switch (primitive_) {
    case NuskPrimitive::integer: return nusk_node_integer;
    case NuskPrimitive::real: return nusk_node_real;
    case NuskPrimitive::string: return nusk_node_string;
    case NuskPrimitive::binary: return nusk_node_binary;
    case NuskPrimitive::boolean: return nusk_node_boolean;
    case NuskPrimitive::logical: return nusk_node_logical;
    case NuskPrimitive::enumeration: return nusk_node_enumeration;
    case NuskPrimitive::object:
        // A defined type over an aggregate or a select holds an object.
        return underlying_ ? underlying_->nodeType() : nusk_node_none;
    default: return nusk_node_none;
    }
}

bool NuskDomain::selectAccepts(const NuskDomain* d) const {
    if (!d || kind_ != NuskDomainKind::select) return false;
    for (NuskDomain* alt : alternatives_) {
        if (!alt) continue;
        if (alt == d) return true;
        if (alt->kind_ == NuskDomainKind::select) {
            if (alt->selectAccepts(d)) return true;
        } else if (alt->kind_ == NuskDomainKind::entity && d->typeIsEntity() && d->typeIsa(alt)) {
            return true;
        }
    }
    return false;
}

NuskDomain* NuskTypePtr::lookUp() {
    // Threads that get here at once find the same domain; the first store wins, the others store it again.
    NuskSchema* s = schema_ ? schema_() : nullptr;
    NuskDomain* d = s ? s->findDomain(name_) : nullptr;
    if (d) domain_.store(d, std::memory_order_release);
    return d;
}
