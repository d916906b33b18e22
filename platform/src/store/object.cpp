// NuskObject: construction, type tests, annotation managers and generic attribute access.
#include "nusk/object.h"

#include "arena.h"
#include "binary_literal.h"
#include "core_domains.h"
#include "design_impl.h"
#include "pending.h"
#include "registry.h"
#include "store_access.h"

#include "nusk/aggregate.h"
#include "nusk/domain.h"
#include "nusk/schema.h"
#include "nusk/select.h"
#include "nusk/report.h"
#include "nusk/units.h"

#include <atomic>
#include <cctype>
#include <mutex>
#include <unordered_map>

namespace nusk_detail {

thread_local PendingObject gPending __attribute__((tls_model("initial-exec")));

}  // namespace nusk_detail

// ---- managers ----

NuskManager::~NuskManager() = default;

unsigned NuskManager::new_manager_type() {
    // Ids below 16 are the store's own (3 is the substitute record).
    static std::atomic<unsigned> next{16};
    return next.fetch_add(1, std::memory_order_relaxed);
}

namespace {
/// Objects in the trash keep their managers and records in the trash's tables, which every thread's trashed
/// objects share: reading or changing them takes the trash's lock (objects elsewhere take none).
std::unique_lock<std::recursive_mutex> trashGuard(const NuskDesign* owner) {
    if (owner && owner->isTrash()) return std::unique_lock<std::recursive_mutex>(nusk_detail::trashLock());
    return {};
}
}  // namespace

// ---- construction ----

NuskObject::NuskObject() : domainIndex_(0) {
    nusk_detail::PendingObject& p = nusk_detail::pending();
    if (!p.domain || !p.design) return;  // made outside the store's allocation: a detached object
    NuskDesign* design = p.design;
    domainIndex_ = p.domain->index();
    designIndex_ = design->impl().index_;
    bits_ = kArena | (p.section ? uint32_t(kSystem) : 0u);
    p.domain = nullptr;
    p.design = nullptr;
    design->impl().attach(this, false);
}

NuskObject::NuskObject(NuskDomain* domain, NuskDesign* design)
    : designIndex_(design ? design->impl().index_ : 0), domainIndex_(domain ? domain->index() : 0) {}

NuskDesign* NuskObject::design() const { return nusk_detail::designAt(designIndex_); }

NuskObject::~NuskObject() {
    NuskDesign* owner = design();
    auto guard = trashGuard(owner);
    if (bits_ & kHasManagers) {
        NuskManager** head = NuskStore::managerHead(this, false);
        NuskManager* m = head ? *head : nullptr;
        NuskStore::dropManagerHead(this);
        while (m) {
            NuskManager* next = m->next_;
            delete m;
            m = next;
        }
    }
    if (owner && (bits_ & kArena)) {
        NuskDesignImpl& impl = owner->impl();
        if (bits_ & kHasOriginal) impl.originals_.erase(this);
        if (!impl.tearingDown_) impl.detach(this);
    }
}

void NuskObject::operator delete(void* p) noexcept { nusk_release_storage(p); }

void nusk_release_storage(void* p) noexcept { nusk_detail::Arena::release(p); }

NuskDomain* NuskObject::domain() const { return nusk_detail::domainAt(domainIndex_); }

bool NuskObject::isa(const NuskDomain* d) const {
    const NuskDomain* mine = domain();
    return mine && mine->typeIsa(d);
}

bool NuskObject::isa(NuskTypePtr& t) const { return isa(t.domain()); }

const std::vector<NuskObject*>& NuskObject::originalRecordReferences() const {
    static const std::vector<NuskObject*> none;
    const NuskRawText* original = NuskStore::originalOf(this);
    return original ? original->refs : none;
}

void NuskObject::modified() {
    if ((bits_ & kHasOriginal) && design()) {
        auto guard = trashGuard(design());
        design()->impl().originals_.erase(this);
        bits_ &= ~kHasOriginal;
    }
}

NuskSlot* NuskObject::entitySlots() const {
    const NuskDomain* d = domain();
    if (!d || (d->kind() != NuskDomainKind::entity && d->kind() != NuskDomainKind::complex)) return nullptr;
    auto* top = static_cast<NuskSlot*>(const_cast<void*>(dynamic_cast<const void*>(this)));
    return top - d->slots_.size();  // laid out: the object was made with them
}

// ---- managers attached to this object ----

namespace {
/// The table of managers for objects outside the design lists: the design object's own, or, for objects made
/// outside any design, a table per thread (the thread that attached them).
std::unordered_map<const NuskObject*, NuskManager*>& managerTable(const NuskObject* obj, NuskDesign*& listed) {
    static thread_local std::unordered_map<const NuskObject*, NuskManager*> detached;
    listed = nullptr;
    const auto& core = nusk_detail::core();
    if (core.design && obj->domainIndex() == core.design->index())
        return static_cast<const NuskDesign*>(obj)->impl().managers_;
    NuskDesign* d = obj->design();
    listed = d;
    return d ? d->impl().managers_ : detached;
}
}  // namespace

NuskManager** NuskStore::managerHead(const NuskObject* obj, bool create) {
    NuskDesign* listed = nullptr;
    auto& table = managerTable(obj, listed);
    if (listed) {
        if (NuskManager** head = listed->impl().listedManagerHead(obj, create)) return head;
    }
    if (create) return &table[obj];
    auto it = table.find(obj);
    return it == table.end() ? nullptr : &it->second;
}

void NuskStore::dropManagerHead(const NuskObject* obj) {
    NuskDesign* listed = nullptr;
    auto& table = managerTable(obj, listed);
    if (listed) {
        if (NuskManager** head = listed->impl().listedManagerHead(obj, false)) {
            *head = nullptr;
            return;
        }
    }
    table.erase(obj);
}

NuskManager* NuskObject::find_manager(unsigned type) const {
    if (!(bits_ & kHasManagers)) return nullptr;
    auto guard = trashGuard(design());
    NuskManager** head = NuskStore::managerHead(this, false);
    for (NuskManager* m = head ? *head : nullptr; m; m = m->next_)
        if (m->type_ == type) return m;
    return nullptr;
}

void NuskObject::add_manager(NuskManager* m) {
    if (!m) return;
    auto guard = trashGuard(design());
    unsigned type = m->manager_type();
    if (find_manager(type) == m) return;
    remove_manager(type);
    NuskManager*& head = *NuskStore::managerHead(this, true);
    m->type_ = type;
    m->next_ = head;
    head = m;
    bits_ |= kHasManagers;
    if (type == NUSK_SUBSTITUTE_MANAGER_TYPE) bits_ |= kHasSubstitute;
}

void NuskObject::remove_manager(unsigned type) {
    if (!(bits_ & kHasManagers)) return;
    auto guard = trashGuard(design());
    NuskManager** head = NuskStore::managerHead(this, false);
    if (!head) return;
    NuskManager** link = head;
    while (*link && (*link)->type_ != type) link = &(*link)->next_;
    if (NuskManager* m = *link) {
        *link = m->next_;
        delete m;
    }
    if (type == NUSK_SUBSTITUTE_MANAGER_TYPE) bits_ &= ~kHasSubstitute;
    if (!*head) {
        NuskStore::dropManagerHead(this);
        bits_ &= ~kHasManagers;
    }
}

// ---- generic attribute access ----

int nusk_detail::narrowInteger(int64_t value) {
    if (value == NUSK_NULL_INTEGER64) return NUSK_NULL_INTEGER;
    if (value < INT32_MIN || value > INT32_MAX) {
        NUSK.error("the integer %lld does not fit 32 bits; read it with getInteger64", static_cast<long long>(value));
        return NUSK_NULL_INTEGER;
    }
    return static_cast<int>(value);
}

bool nusk_detail::acceptsBinaryText(const char* text) {
    if (!text) return true;
    const char* problem = binaryLiteralProblem(text);
    if (!problem) return true;
    NUSK.error("the binary value \"%.40s\" %s; it is not stored", text, problem);
    return false;
}

namespace {

/// Where a value lives and what type it has.
struct ValueRef {
    NuskSlot* slot = nullptr;
    const NuskDomain* type = nullptr;
};

ValueRef entityValue(const NuskObject* o, int index) {
    NuskSlot* slots = o->entitySlots();
    const NuskDomain* d = o->domain();
    if (!slots || index < 0 || static_cast<size_t>(index) >= d->slotAttributes().size()) return {};
    return {slots + index, d->slotAttributes()[static_cast<size_t>(index)]->valueDomain()};
}

ValueRef valueOf(const NuskObject* o, const NuskAttribute* att) {
    if (!o || !att) return {};
    const NuskDomain* d = o->domain();
    if (d->typeIsEntity()) return entityValue(o, d->slotOf(att));
    if (d->typeIsSelect()) {
        auto* u = static_cast<const NuskUnion*>(o);
        if (o->getAttribute() != att) return {};
        return {const_cast<NuskSlot*>(&u->rawValue()), u->holdsObject() ? nullptr : u->alternative()};
    }
    return {};
}

ValueRef valueAt(const NuskObject* o, int index) {
    if (!o) return {};
    const NuskDomain* d = o->domain();
    if (d->typeIsEntity()) return entityValue(o, index);
    if (d->typeIsSelect() && index == 0) {
        auto* u = static_cast<const NuskUnion*>(o);
        return {const_cast<NuskSlot*>(&u->rawValue()), u->holdsObject() ? nullptr : u->alternative()};
    }
    if (d->typeIsAggregate()) {
        auto* a = static_cast<const NuskAggregate*>(o);
        if (index < 0 || static_cast<unsigned>(index) >= a->size()) return {};
        return {a->slots() + index, a->elementDomain()};
    }
    return {};
}

/// The enumeration a value type is, or is defined on.
const NuskDomain* enumerationOf(const NuskDomain* type) {
    while (type->kind() == NuskDomainKind::defined_type && type->underlying()) type = type->underlying();
    return type;
}

NuskPrimitive primitiveOf(const ValueRef& v) {
    // A null type marks a select's object value.
    return v.type ? v.type->primitive() : NuskPrimitive::object;
}

const NuskUnion* selectIn(const ValueRef& v) {
    if (primitiveOf(v) != NuskPrimitive::object || !v.slot->o) return nullptr;
    return v.slot->o->domain()->typeIsSelect() ? static_cast<const NuskUnion*>(v.slot->o) : nullptr;
}

NuskObject* readObject(const ValueRef& v) {
    if (!v.slot || primitiveOf(v) != NuskPrimitive::object) return nullptr;
    return v.slot->o;
}

int64_t readInteger64(const ValueRef& v) {
    if (!v.slot) return NUSK_NULL_INTEGER64;
    switch (primitiveOf(v)) {
    case NuskPrimitive::integer: return v.slot->i;
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: return v.slot->i;
    case NuskPrimitive::object:
        if (const NuskUnion* u = selectIn(v)) return u->integer64Value();
        return NUSK_NULL_INTEGER64;
    default: return NUSK_NULL_INTEGER64;
    }
}

int readInteger(const ValueRef& v) {
    if (!v.slot) return NUSK_NULL_INTEGER;
    switch (primitiveOf(v)) {
    case NuskPrimitive::integer: return nusk_detail::narrowInteger(v.slot->i);
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: return static_cast<int>(v.slot->i);
    case NuskPrimitive::object:
        if (const NuskUnion* u = selectIn(v)) return u->integerValue();
        return NUSK_NULL_INTEGER;
    default: return NUSK_NULL_INTEGER;
    }
}

double readDouble(const ValueRef& v) {
    if (!v.slot) return NUSK_NULL_REAL;
    switch (primitiveOf(v)) {
    case NuskPrimitive::real: return v.slot->d;
    case NuskPrimitive::integer:
        return v.slot->i == NUSK_NULL_INTEGER64 ? NUSK_NULL_REAL : static_cast<double>(v.slot->i);
    case NuskPrimitive::object:
        if (const NuskUnion* u = selectIn(v)) return u->realValue();
        return NUSK_NULL_REAL;
    default: return NUSK_NULL_REAL;
    }
}

const char* readString(const ValueRef& v) {
    if (!v.slot) return nullptr;
    switch (primitiveOf(v)) {
    case NuskPrimitive::string:
    case NuskPrimitive::binary: return v.slot->s;
    case NuskPrimitive::enumeration: {
        const NuskVarInfo* info = enumerationOf(v.type)->getVarInfo(static_cast<int>(v.slot->i));
        return info ? info->name : nullptr;
    }
    case NuskPrimitive::object:
        if (const NuskUnion* u = selectIn(v)) return u->stringValue();
        return nullptr;
    default: return nullptr;
    }
}

/// True when an attribute of type `type` may hold `value`.
bool acceptsObject(const NuskDomain* type, const NuskObject* value) {
    if (!value) return true;
    if (!type) return false;
    const NuskDomain* vd = value->domain();
    while (type->kind() == NuskDomainKind::defined_type && type->underlying()) type = type->underlying();
    switch (type->kind()) {
    case NuskDomainKind::entity:
    case NuskDomainKind::complex: return vd->typeIsa(type);
    case NuskDomainKind::select: return vd->typeIsSelect() && (vd == type || type->selectAccepts(vd));
    case NuskDomainKind::aggregate: return vd->typeIsAggregate();
    case NuskDomainKind::system: return vd->typeIsa(type);
    default: return false;
    }
}

}  // namespace

ListOfNuskAttribute* NuskObject::attributes() const { return domain()->attributes(); }

NuskAttribute* NuskObject::getAttribute(const char* name) const {
    const NuskDomain* d = domain();
    if (name) return d->findTypeAttribute(name);
    if (d->typeIsAggregate()) return d->slotAttributes().empty() ? nullptr : d->slotAttributes()[0];
    if (d->typeIsSelect()) {
        auto* u = static_cast<const NuskUnion*>(this);
        const NuskDomain* alt = u->holdsObject() ? (u->object() ? u->object()->domain() : nullptr) : u->alternative();
        if (!alt) return nullptr;
        for (NuskAttribute* a : d->slotAttributes())
            if (a->valueDomain() == alt) return a;
        for (NuskAttribute* a : d->slotAttributes()) {
            const NuskDomain* t = a->valueDomain();
            if (t && (alt->typeIsa(t) || (t->typeIsSelect() && t->selectAccepts(alt)))) return a;
        }
    }
    return nullptr;
}

NuskObject* NuskObject::getObject(const NuskAttribute* att, unsigned) const { return readObject(valueOf(this, att)); }
NuskObject* NuskObject::getObject(const char* name, unsigned) const { return getObject(getAttribute(name)); }
NuskObject* NuskObject::getObject(int index) const { return readObject(valueAt(this, index)); }
int NuskObject::getInteger(const NuskAttribute* att, unsigned) const { return readInteger(valueOf(this, att)); }
int NuskObject::getInteger(const char* name, unsigned) const { return name ? getInteger(getAttribute(name)) : NUSK_NULL_INTEGER; }
int NuskObject::getInteger(int index) const { return readInteger(valueAt(this, index)); }
int64_t NuskObject::getInteger64(const NuskAttribute* att, unsigned) const { return readInteger64(valueOf(this, att)); }
int64_t NuskObject::getInteger64(const char* name, unsigned) const {
    return name ? getInteger64(getAttribute(name)) : NUSK_NULL_INTEGER64;
}
int64_t NuskObject::getInteger64(int index) const { return readInteger64(valueAt(this, index)); }
double NuskObject::getDouble(const NuskAttribute* att, unsigned) const { return readDouble(valueOf(this, att)); }
double NuskObject::getDouble(const char* name, unsigned) const { return name ? getDouble(getAttribute(name)) : NUSK_NULL_REAL; }
double NuskObject::getDouble(int index) const { return readDouble(valueAt(this, index)); }
const char* NuskObject::getString(const NuskAttribute* att, unsigned) const { return readString(valueOf(this, att)); }
const char* NuskObject::getString(const char* name, unsigned) const { return name ? getString(getAttribute(name)) : nullptr; }
const char* NuskObject::getString(int index) const { return readString(valueAt(this, index)); }

namespace {

int writeObject(NuskObject* o, const ValueRef& v, NuskObject* value) {
    if (!v.slot || !v.type || v.type->primitive() != NuskPrimitive::object) return 0;
    if (!acceptsObject(v.type, value)) return 0;
    v.slot->o = value;
    if (o->design()) o->design()->impl().referencesChanged();
    o->modified();
    return 1;
}

int writeInteger(NuskObject* o, const ValueRef& v, int64_t value) {
    if (!v.slot || !v.type) return 0;
    switch (v.type->primitive()) {
    case NuskPrimitive::integer: break;
    case NuskPrimitive::real:
        v.slot->d = value == NUSK_NULL_INTEGER64 ? NUSK_NULL_REAL : static_cast<double>(value);
        o->modified();
        return 1;
    case NuskPrimitive::enumeration: {
        const NuskDomain* e = enumerationOf(v.type);
        if (value < -1 || value >= static_cast<int>(e->enumValues().size())) return 0;
        break;
    }
    case NuskPrimitive::boolean:
        if (value < -1 || value > 1) return 0;
        break;
    case NuskPrimitive::logical:
        if (value < -1 || value > 2) return 0;
        break;
    default: return 0;
    }
    v.slot->i = value;
    o->modified();
    return 1;
}

int writeDouble(NuskObject* o, const ValueRef& v, double value) {
    if (!v.slot || !v.type || v.type->primitive() != NuskPrimitive::real) return 0;
    v.slot->d = value;
    o->modified();
    return 1;
}

ValueRef writableValue(NuskObject* o, const NuskAttribute* att) {
    // Selects and aggregates are written through their own operations.
    return o->domain()->typeIsEntity() ? valueOf(o, att) : ValueRef{};
}

ValueRef writableValueAt(NuskObject* o, int index) {
    return o->domain()->typeIsEntity() ? valueAt(o, index) : ValueRef{};
}

}  // namespace

int NuskObject::putObject(NuskObject* value, const NuskAttribute* att, unsigned) {
    return writeObject(this, writableValue(this, att), value);
}
int NuskObject::putObject(NuskObject* value, const char* name, unsigned) {
    return name ? putObject(value, getAttribute(name)) : 0;
}
int NuskObject::putObject(NuskObject* value, int index) {
    return writeObject(this, writableValueAt(this, index), value);
}
int NuskObject::putInteger(int value, const NuskAttribute* att, unsigned) {
    return writeInteger(this, writableValue(this, att), nusk_detail::widenInteger(value));
}
int NuskObject::putInteger(int value, const char* name, unsigned) {
    return name ? putInteger(value, getAttribute(name)) : 0;
}
int NuskObject::putInteger(int value, int index) {
    return writeInteger(this, writableValueAt(this, index), nusk_detail::widenInteger(value));
}
int NuskObject::putInteger64(int64_t value, const NuskAttribute* att, unsigned) {
    return writeInteger(this, writableValue(this, att), value);
}
int NuskObject::putInteger64(int64_t value, const char* name, unsigned) {
    return name ? putInteger64(value, getAttribute(name)) : 0;
}
int NuskObject::putInteger64(int64_t value, int index) {
    return writeInteger(this, writableValueAt(this, index), value);
}
int NuskObject::putDouble(double value, const NuskAttribute* att, unsigned) {
    return writeDouble(this, writableValue(this, att), value);
}
int NuskObject::putDouble(double value, const char* name, unsigned) {
    return name ? putDouble(value, getAttribute(name)) : 0;
}
int NuskObject::putDouble(double value, int index) { return writeDouble(this, writableValueAt(this, index), value); }

int nusk_update_prim(NuskObject* obj, const NuskAttribute* att, const char* text) {
    if (!obj || !obj->design()) return 0;
    ValueRef v = writableValue(obj, att);
    if (!v.slot || !v.type) return 0;
    NuskPrimitive p = v.type->primitive();
    if (p != NuskPrimitive::string && p != NuskPrimitive::binary) return 0;
    if (p == NuskPrimitive::binary && !nusk_detail::acceptsBinaryText(text)) return 0;
    v.slot->s = obj->design()->impl().strings_.intern(text);
    obj->modified();
    return 1;
}

int nusk_update_prim(NuskObject* obj, const char* name, const char* text) {
    return obj && name ? nusk_update_prim(obj, obj->getAttribute(name), text) : 0;
}

NuskObject* nusk_cast(NuskObject* obj, NuskTypePtr& type) {
    return obj && obj->isa(type.domain()) ? obj : nullptr;
}

int nusk_strcasecmp(const char* a, const char* b) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    for (;; ++a, ++b) {
        int ca = std::tolower(static_cast<unsigned char>(*a));
        int cb = std::tolower(static_cast<unsigned char>(*b));
        if (ca != cb || ca == 0) return ca - cb;
    }
}
