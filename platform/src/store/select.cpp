// Select values.
#include "nusk/select.h"

#include "core_domains.h"
#include "design_impl.h"
#include "registry.h"
#include "store_access.h"

#include "nusk/units.h"

NuskUnion::NuskUnion() { value_.o = nullptr; }

NuskDomain* NuskUnion::alternative() const {
    if (alternative_) return nusk_detail::domainAt(alternative_);
    return value_.o ? value_.o->domain() : nullptr;
}

bool NuskUnion::holdsObject() const {
    if (!alternative_) return value_.o != nullptr;
    return nusk_detail::domainAt(alternative_)->primitive() == NuskPrimitive::object;
}

double NuskUnion::realValue() const {
    if (!alternative_) return NUSK_NULL_REAL;
    switch (nusk_detail::domainAt(alternative_)->primitive()) {
    case NuskPrimitive::real: return value_.d;
    case NuskPrimitive::integer:
        return value_.i == NUSK_NULL_INTEGER64 ? NUSK_NULL_REAL : static_cast<double>(value_.i);
    default: return NUSK_NULL_REAL;
    }
}

int NuskUnion::integerValue() const {
    if (!alternative_) return NUSK_NULL_INTEGER;
    switch (nusk_detail::domainAt(alternative_)->primitive()) {
    case NuskPrimitive::integer: return nusk_detail::narrowInteger(value_.i);
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: return static_cast<int>(value_.i);
    default: return NUSK_NULL_INTEGER;
    }
}

int64_t NuskUnion::integer64Value() const {
    if (!alternative_) return NUSK_NULL_INTEGER64;
    switch (nusk_detail::domainAt(alternative_)->primitive()) {
    case NuskPrimitive::integer:
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: return value_.i;
    default: return NUSK_NULL_INTEGER64;
    }
}

const char* NuskUnion::stringValue() const {
    if (!alternative_) return nullptr;
    NuskPrimitive p = nusk_detail::domainAt(alternative_)->primitive();
    return p == NuskPrimitive::string || p == NuskPrimitive::binary ? value_.s : nullptr;
}

void NuskUnion::setValue(uint32_t altIndex, NuskSlot v) {
    const bool objectsChange = holdsObject() || (altIndex == 0 && v.o) ||
                               (altIndex && nusk_detail::domainAt(altIndex)->primitive() == NuskPrimitive::object);
    alternative_ = altIndex;
    value_ = v;
    if (objectsChange && design()) design()->impl().referencesChanged();
    modified();
}

int NuskUnion::putObject(NuskObject* obj) {
    if (obj && !domain()->selectAccepts(obj->domain())) return 0;
    NuskSlot v;
    v.o = obj;
    setValue(0, v);
    return 1;
}

namespace {
bool plainAlternative(const NuskDomain* select, const NuskDomain* alt, NuskPrimitive want) {
    if (!alt || !select->selectAccepts(alt)) return false;
    NuskPrimitive p = alt->primitive();
    if (want == NuskPrimitive::integer)
        return p == NuskPrimitive::integer || p == NuskPrimitive::enumeration || p == NuskPrimitive::boolean ||
               p == NuskPrimitive::logical;
    if (want == NuskPrimitive::string) return p == NuskPrimitive::string || p == NuskPrimitive::binary;
    return p == want;
}
}  // namespace

int NuskUnion::putReal(NuskDomain* alt, double v) {
    if (!plainAlternative(domain(), alt, NuskPrimitive::real)) return 0;
    NuskSlot s;
    s.d = v;
    setValue(alt->index(), s);
    return 1;
}

int NuskUnion::putInteger(NuskDomain* alt, int v) {
    if (!plainAlternative(domain(), alt, NuskPrimitive::integer)) return 0;
    NuskSlot s;
    s.i = alt->primitive() == NuskPrimitive::integer ? nusk_detail::widenInteger(v) : v;
    setValue(alt->index(), s);
    return 1;
}

int NuskUnion::putInteger64(NuskDomain* alt, int64_t v) {
    if (!plainAlternative(domain(), alt, NuskPrimitive::integer) || alt->primitive() != NuskPrimitive::integer) return 0;
    NuskSlot s;
    s.i = v;
    setValue(alt->index(), s);
    return 1;
}

int NuskUnion::putString(NuskDomain* alt, const char* text) {
    if (!plainAlternative(domain(), alt, NuskPrimitive::string) || !design()) return 0;
    if (alt->primitive() == NuskPrimitive::binary && !nusk_detail::acceptsBinaryText(text)) return 0;
    NuskSlot s;
    s.s = design()->impl().strings_.intern(text);
    setValue(alt->index(), s);
    return 1;
}

int NuskUnion::putAggregate(NuskDomain* alt, NuskObject* aggregate) {
    if (!alt || !domain()->selectAccepts(alt) || alt->primitive() != NuskPrimitive::object) return 0;
    if (aggregate && !aggregate->domain()->typeIsAggregate()) return 0;
    NuskSlot s;
    s.o = aggregate;
    setValue(alt->index(), s);
    return 1;
}

void NuskUnion::clear() {
    NuskSlot s;
    s.o = nullptr;
    setValue(0, s);
}

bool NuskUnion::holds(const NuskDomain* d) const {
    if (!d || isEmpty()) return false;
    const NuskDomain* alt = alternative();
    if (!alt) return false;
    if (d->typeIsSelect()) return d->selectAccepts(alt);
    return alt->typeIsa(d);
}

void NuskStore::reinternSelect(NuskUnion* u, nusk_detail::StringPool& pool) {
    if (u->stringValue()) u->value_.s = pool.intern(u->value_.s);
}

NuskObject* nusk_get_nested_object(NuskUnion* select, NuskDomain* d) {
    if (!select) return nullptr;
    NuskObject* obj = select->object();
    if (!obj || (d && !obj->isa(d))) return nullptr;
    return obj;
}

int nusk_put_nested_object(NuskUnion* select, NuskObject* obj) { return select ? select->putObject(obj) : 0; }
