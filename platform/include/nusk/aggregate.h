// Aggregates: lists, sets, bags and arrays as objects of a design.
//
// An aggregate holds elements of its domain's element type: objects (entity instances, select values, nested
// aggregates) or plain values. Lists keep order; sets are kept in insertion order and refuse nothing by
// themselves (_addIfAbsent is the set-like add). Reads by index are checked: an index past the end gives null
// (objects) or the unset value (plain values), never a read outside the aggregate.
#pragma once

#include "nusk/domain.h"
#include "nusk/object.h"

class NuskAggregate : public NuskObject {
public:
    ~NuskAggregate() override;

    unsigned size() const { return size_; }
    bool empty() const { return size_ == 0; }
    /// The element type (for entity and select elements its domain, for plain values the primitive domain).
    NuskDomain* elementDomain() const;

    // Object elements.
    NuskObject* getObject(unsigned i) const { return i < size_ ? data()[i].o : nullptr; }
    NuskObject* operator[](unsigned i) const { return getObject(i); }
    NuskObject* first() const { return getObject(0); }
    /// Appends an object element. Returns 1, or 0 when the aggregate does not hold objects.
    int addObject(NuskObject* obj);
    int _add(NuskObject* obj) { return addObject(obj); }
    /// Appends unless the element is already there. Returns 1 when added. The type argument, when given, must
    /// be the element type or a supertype of the object's type, else nothing is added.
    int _addIfAbsent(NuskObject* obj, NuskDomain* type = nullptr);
    int _addIfAbsent(NuskObject* obj, NuskTypePtr& type);
    /// Removes the first occurrence of the object. Returns 1 when found.
    int _remove(NuskObject* obj);
    /// Index of the first occurrence, or -1.
    int indexOf(const NuskObject* obj) const;
    /// Replaces element i (i < size()). Returns 1 when done.
    int putObjectAt(NuskObject* obj, unsigned i);

    // Plain elements (reals, integers, enumerations, logicals, strings).
    double getDouble(unsigned i) const;
    /// An integer element; NUSK_NULL_INTEGER (reported as an error) for one that does not fit 32 bits.
    int getInteger(unsigned i) const;
    /// An integer element in full (NUSK_NULL_INTEGER64 when unset).
    int64_t getInteger64(unsigned i) const;
    const char* getString(unsigned i) const;
    int addDouble(double v);
    int addInteger(int v);
    int addInteger64(int64_t v);  // integer (and real) elements only
    int addString(const char* text);  // binary elements: valid literal bodies only, as nusk_update_prim
    /// Stores v at index i; an index at the end appends, one past it is refused (returns 0).
    int putDouble(double v, unsigned i);
    int putInteger(int v, unsigned i);
    int putInteger64(int64_t v, unsigned i);  // integer elements only

    /// Removes element i. Returns 1 when i was in range.
    int removeAt(unsigned i);
    /// Removes every element; the elements themselves are not touched.
    void emptyYourself();
    void reserve(unsigned n);

    /// An aggregate that the class layer makes when an unset attribute is asked for stands for no value while it
    /// is empty: the writer writes it as unset. Aggregates read from a file or made by an application do not.
    void markMadeOnDemand() { bits_ |= kMadeOnDemand; }
    bool madeOnDemand() const { return (bits_ & kMadeOnDemand) != 0; }

    /// Store internals: the element slots.
    NuskSlot* slots() const { return data(); }
    bool holdsObjects() const;

protected:
    NuskAggregate();

private:
    friend class NuskStore;
    // Elements sit right after the object, in room allocated with it (at least one slot); once they outgrow
    // it they move to the heap, and the first of those slots holds the heap array. The capacity is kept in
    // the number field, which aggregates do not use otherwise. Aggregate classes therefore add no data.
    NuskSlot* inlineSlots() const {
        return reinterpret_cast<NuskSlot*>(const_cast<char*>(reinterpret_cast<const char*>(this)) + sizeof(NuskAggregate));
    }
    NuskSlot* data() const { return (bits_ & kHeapElements) ? static_cast<NuskSlot*>(inlineSlots()->p) : inlineSlots(); }
    void grow(unsigned need);
    bool append(NuskSlot v);
    void elementsChanged();
    uint32_t size_ = 0;
};

/// Aggregate of reals (every list, set or array of REAL or of a type defined on it).
class ListOfDouble : public NuskAggregate {
public:
    double get(unsigned i) const { return getDouble(i); }
    double operator[](unsigned i) const { return getDouble(i); }
    int put(double v, unsigned i) { return putDouble(v, i); }
    int add(double v) { return addDouble(v); }
    static void* operator new(size_t size, NuskDesign* design) noexcept;
    static void operator delete(void* p, NuskDesign*) noexcept { nusk_release_storage(p); }
    static void operator delete(void* p) noexcept { NuskObject::operator delete(p); }
};

class ListOfInteger : public NuskAggregate {
public:
    int get(unsigned i) const { return getInteger(i); }
    int operator[](unsigned i) const { return getInteger(i); }
    int put(int v, unsigned i) { return putInteger(v, i); }
    int add(int v) { return addInteger(v); }
    /// The same for integers beyond 32 bits (lists of INTEGER; enumerations and logicals fit 32 bits).
    int64_t get64(unsigned i) const { return getInteger64(i); }
    int put64(int64_t v, unsigned i) { return putInteger64(v, i); }
    int add64(int64_t v) { return addInteger64(v); }
    static void* operator new(size_t size, NuskDesign* design) noexcept;
    static void operator delete(void* p, NuskDesign*) noexcept { nusk_release_storage(p); }
    static void operator delete(void* p) noexcept { NuskObject::operator delete(p); }
};

class ListOfString : public NuskAggregate {
public:
    const char* get(unsigned i) const { return getString(i); }
    const char* operator[](unsigned i) const { return getString(i); }
    int add(const char* text) { return addString(text); }
    static void* operator new(size_t size, NuskDesign* design) noexcept;
    static void operator delete(void* p, NuskDesign*) noexcept { nusk_release_storage(p); }
    static void operator delete(void* p) noexcept { NuskObject::operator delete(p); }
};

/// Typed view of an aggregate of objects; generated aggregate classes (SetOfstp_unit, ...) derive from it.
template <class T>
class NuskObjectAggregate : public NuskAggregate {
public:
    T* get(unsigned i) const { return downcast(getObject(i)); }
    T* operator[](unsigned i) const { return get(i); }
    T* first() const { return get(0); }
    int add(T* obj) { return addObject(upcast(obj)); }
    int _add(T* obj) { return addObject(upcast(obj)); }
    int _addIfAbsent(T* obj, NuskDomain* type = nullptr) { return NuskAggregate::_addIfAbsent(upcast(obj), type); }
    int _addIfAbsent(T* obj, NuskTypePtr& type) { return NuskAggregate::_addIfAbsent(upcast(obj), type); }
    int _remove(T* obj) { return NuskAggregate::_remove(upcast(obj)); }
    int put(T* obj, unsigned i) { return putObjectAt(upcast(obj), i); }

private:
    static NuskObject* upcast(T* obj) { return obj; }
    static T* downcast(NuskObject* obj) { return dynamic_cast<T*>(obj); }
};

class SetOfNuskObject : public NuskObjectAggregate<NuskObject> {
public:
    static void* operator new(size_t size, NuskDesign* design) noexcept;
    static void operator delete(void* p, NuskDesign*) noexcept { nusk_release_storage(p); }
    static void operator delete(void* p) noexcept { NuskObject::operator delete(p); }
};

class ListOfNuskObject : public NuskObjectAggregate<NuskObject> {
public:
    static void* operator new(size_t size, NuskDesign* design) noexcept;
    static void operator delete(void* p, NuskDesign*) noexcept { nusk_release_storage(p); }
    static void operator delete(void* p) noexcept { NuskObject::operator delete(p); }
};

class ListOfNuskDomain : public NuskObjectAggregate<NuskDomain> {
public:
    static void* operator new(size_t size, NuskDesign* design) noexcept;
    static void operator delete(void* p, NuskDesign*) noexcept { nusk_release_storage(p); }
    static void operator delete(void* p) noexcept { NuskObject::operator delete(p); }
};

class ListOfNuskAttribute : public NuskObjectAggregate<NuskAttribute> {
public:
    static void* operator new(size_t size, NuskDesign* design) noexcept;
    static void operator delete(void* p, NuskDesign*) noexcept { nusk_release_storage(p); }
    static void operator delete(void* p) noexcept { NuskObject::operator delete(p); }
};

/// Aggregate domains of the store's own aggregate classes.
NuskDomain* nusk_domain_ListOfDouble();
NuskDomain* nusk_domain_ListOfInteger();
NuskDomain* nusk_domain_ListOfString();
NuskDomain* nusk_domain_SetOfNuskObject();
NuskDomain* nusk_domain_ListOfNuskObject();
NuskDomain* nusk_domain_ListOfNuskDomain();
NuskDomain* nusk_domain_ListOfNuskAttribute();
