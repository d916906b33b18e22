// Aggregates: element storage and the add, remove and index operations.
#include "nusk/aggregate.h"

#include "design_impl.h"
#include "pending.h"
#include "store_access.h"

#include "nusk/schema.h"
#include "nusk/units.h"
#include "nusk/xform.h"

#include <cstdlib>
#include <cstring>
#include <new>

NuskAggregate::NuskAggregate() {
    // Room for elements is allocated together with the object, right after it.
    nusk_detail::PendingObject& p = nusk_detail::pending();
    id_ = p.inlineElements == inlineSlots() ? p.inlineCapacity : 0;
    p.inlineElements = nullptr;
    p.inlineCapacity = 0;
}

NuskAggregate::~NuskAggregate() {
    if (bits_ & kHeapElements) ::operator delete(inlineSlots()->p);
}

NuskDomain* NuskAggregate::elementDomain() const { return domain()->underlying(); }

bool NuskAggregate::holdsObjects() const {
    const NuskDomain* e = elementDomain();
    return e && e->primitive() == NuskPrimitive::object;
}

void NuskAggregate::grow(unsigned need) {
    if (id_ == 0) throw std::bad_alloc();  // no room at all: not made by the store's allocation
    unsigned cap = id_ < 4 ? 4 : id_ * 2;
    while (cap < need) cap *= 2;
    // From operator new, like the library's other memory: a program with an allocator of its own serves it.
    auto* fresh = static_cast<NuskSlot*>(::operator new(sizeof(NuskSlot) * cap, std::nothrow));
    if (!fresh) throw std::bad_alloc();
    NuskSlot* old = data();
    if (size_) std::memcpy(fresh, old, sizeof(NuskSlot) * size_);
    if (bits_ & kHeapElements) ::operator delete(old);
    inlineSlots()->p = fresh;
    bits_ |= kHeapElements;
    id_ = cap;
}

void NuskAggregate::reserve(unsigned n) {
    if (n > id_) grow(n);
}

void NuskAggregate::elementsChanged() {
    if (holdsObjects() && design()) design()->impl().referencesChanged();
    modified();
}

bool NuskAggregate::append(NuskSlot v) {
    if (size_ == id_) grow(size_ + 1);
    data()[size_++] = v;
    elementsChanged();
    return true;
}

int NuskAggregate::addObject(NuskObject* obj) {
    if (!holdsObjects()) return 0;
    NuskSlot v;
    v.o = obj;
    return append(v) ? 1 : 0;
}

int NuskAggregate::_addIfAbsent(NuskObject* obj, NuskDomain* type) {
    if (!holdsObjects() || indexOf(obj) >= 0) return 0;
    if (type && obj && !obj->isa(type)) return 0;
    return addObject(obj);
}

int NuskAggregate::_addIfAbsent(NuskObject* obj, NuskTypePtr& type) { return _addIfAbsent(obj, type.domain()); }

int NuskAggregate::_remove(NuskObject* obj) {
    int i = indexOf(obj);
    return i < 0 ? 0 : removeAt(static_cast<unsigned>(i));
}

int NuskAggregate::indexOf(const NuskObject* obj) const {
    if (!holdsObjects()) return -1;
    for (unsigned i = 0; i < size_; ++i)
        if (data()[i].o == obj) return static_cast<int>(i);
    return -1;
}

int NuskAggregate::putObjectAt(NuskObject* obj, unsigned i) {
    if (!holdsObjects() || i >= size_) return 0;
    data()[i].o = obj;
    elementsChanged();
    return 1;
}

double NuskAggregate::getDouble(unsigned i) const {
    if (i >= size_) return NUSK_NULL_REAL;
    switch (elementDomain()->primitive()) {
    case NuskPrimitive::real: return data()[i].d;
    case NuskPrimitive::integer:
        return data()[i].i == NUSK_NULL_INTEGER64 ? NUSK_NULL_REAL : static_cast<double>(data()[i].i);
    default: return NUSK_NULL_REAL;
    }
}

int NuskAggregate::getInteger(unsigned i) const {
    if (i >= size_) return NUSK_NULL_INTEGER;
    switch (elementDomain()->primitive()) {
    case NuskPrimitive::integer: return nusk_detail::narrowInteger(data()[i].i);
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: return static_cast<int>(data()[i].i);
    default: return NUSK_NULL_INTEGER;
    }
}

int64_t NuskAggregate::getInteger64(unsigned i) const {
    if (i >= size_) return NUSK_NULL_INTEGER64;
    switch (elementDomain()->primitive()) {
    case NuskPrimitive::integer:
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: return data()[i].i;
    default: return NUSK_NULL_INTEGER64;
    }
}

const char* NuskAggregate::getString(unsigned i) const {
    if (i >= size_) return nullptr;
    NuskPrimitive p = elementDomain()->primitive();
    return p == NuskPrimitive::string || p == NuskPrimitive::binary ? data()[i].s : nullptr;
}

int NuskAggregate::addDouble(double v) {
    NuskSlot s;
    switch (elementDomain()->primitive()) {
    case NuskPrimitive::real: s.d = v; break;
    default: return 0;
    }
    return append(s) ? 1 : 0;
}

int NuskAggregate::addInteger(int v) {
    if (elementDomain()->primitive() == NuskPrimitive::integer) return addInteger64(nusk_detail::widenInteger(v));
    NuskSlot s;
    switch (elementDomain()->primitive()) {
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: s.i = v; break;
    case NuskPrimitive::real: s.d = v; break;
    default: return 0;
    }
    return append(s) ? 1 : 0;
}

int NuskAggregate::addInteger64(int64_t v) {
    NuskSlot s;
    switch (elementDomain()->primitive()) {
    case NuskPrimitive::integer: s.i = v; break;
    case NuskPrimitive::real: s.d = v == NUSK_NULL_INTEGER64 ? NUSK_NULL_REAL : static_cast<double>(v); break;
    default: return 0;
    }
    return append(s) ? 1 : 0;
}

int NuskAggregate::addString(const char* text) {
    NuskPrimitive p = elementDomain()->primitive();
    if ((p != NuskPrimitive::string && p != NuskPrimitive::binary) || !design()) return 0;
    if (p == NuskPrimitive::binary && !nusk_detail::acceptsBinaryText(text)) return 0;
    NuskSlot s;
    s.s = design()->impl().strings_.intern(text);
    return append(s) ? 1 : 0;
}

int NuskAggregate::putDouble(double v, unsigned i) {
    if (i == size_) return addDouble(v);
    if (i > size_ || elementDomain()->primitive() != NuskPrimitive::real) return 0;
    data()[i].d = v;
    modified();
    return 1;
}

int NuskAggregate::putInteger(int v, unsigned i) {
    if (elementDomain()->primitive() == NuskPrimitive::integer) return putInteger64(nusk_detail::widenInteger(v), i);
    if (i == size_) return addInteger(v);
    if (i > size_) return 0;
    switch (elementDomain()->primitive()) {
    case NuskPrimitive::enumeration:
    case NuskPrimitive::boolean:
    case NuskPrimitive::logical: data()[i].i = v; break;
    default: return 0;
    }
    modified();
    return 1;
}

int NuskAggregate::putInteger64(int64_t v, unsigned i) {
    if (i == size_) return addInteger64(v);
    if (i > size_ || elementDomain()->primitive() != NuskPrimitive::integer) return 0;
    data()[i].i = v;
    modified();
    return 1;
}

int NuskAggregate::removeAt(unsigned i) {
    if (i >= size_) return 0;
    std::memmove(data() + i, data() + i + 1, sizeof(NuskSlot) * (size_ - i - 1));
    --size_;
    elementsChanged();
    return 1;
}

void NuskAggregate::emptyYourself() {
    if (size_ == 0) return;
    size_ = 0;
    elementsChanged();
}

// ---- the store's own aggregate classes ----

void* ListOfDouble::operator new(size_t size, NuskDesign* design) noexcept {
    return nusk_new_in_default_section(size, design, nusk_domain_ListOfDouble());
}
void* ListOfInteger::operator new(size_t size, NuskDesign* design) noexcept {
    return nusk_new_in_default_section(size, design, nusk_domain_ListOfInteger());
}
void* ListOfString::operator new(size_t size, NuskDesign* design) noexcept {
    return nusk_new_in_default_section(size, design, nusk_domain_ListOfString());
}
void* SetOfNuskObject::operator new(size_t size, NuskDesign* design) noexcept {
    return nusk_new_in_default_section(size, design, nusk_domain_SetOfNuskObject());
}
void* ListOfNuskObject::operator new(size_t size, NuskDesign* design) noexcept {
    return nusk_new_in_default_section(size, design, nusk_domain_ListOfNuskObject());
}
void* ListOfNuskDomain::operator new(size_t size, NuskDesign* design) noexcept {
    return nusk_new_in_default_section(size, design, nusk_domain_ListOfNuskDomain());
}
void* ListOfNuskAttribute::operator new(size_t size, NuskDesign* design) noexcept {
    return nusk_new_in_default_section(size, design, nusk_domain_ListOfNuskAttribute());
}

void nusk_vec_put(double* dst, const ListOfDouble* list) {
    if (!dst) return;
    for (unsigned i = 0; i < 3; ++i) dst[i] = list && i < list->size() ? list->get(i) : 0.0;
}
