// Select values: small objects that hold one value of a select type and remember which alternative it is.
//
// A select holds nothing, an object (an entity instance, or an aggregate for an aggregate alternative) or a
// plain value of a defined type or enumeration (such as LENGTH_MEASURE(25.4)). The alternative is kept as the
// leaf domain the value was given as, so that it is written back with the same type name.
#pragma once

#include "nusk/domain.h"
#include "nusk/object.h"

class NuskUnion : public NuskObject {
public:
    /// True when the select holds no value.
    bool isEmpty() const { return alternative_ == 0 && value_.o == nullptr; }
    /// The domain of the alternative held: the entity's domain for an object, the defined type or enumeration
    /// for a plain value; null when empty.
    NuskDomain* alternative() const;
    /// The object held, or null (also when a plain value is held).
    NuskObject* object() const { return holdsObject() ? value_.o : nullptr; }
    bool holdsObject() const;
    double realValue() const;
    /// An integer value that does not fit 32 bits gives NUSK_NULL_INTEGER and is reported; integer64Value
    /// gives it in full (NUSK_NULL_INTEGER64 when there is none).
    int integerValue() const;
    int64_t integer64Value() const;
    const char* stringValue() const;

    /// Stores an object; its alternative is the object's own domain. Null empties the select. Returns 1 when
    /// the select type accepts the object (or it is null), 0 otherwise (nothing changes).
    int putObject(NuskObject* obj);
    /// Stores a plain value as the given alternative (a defined type or enumeration of the select). Returns 1
    /// when the select accepts that alternative.
    int putReal(NuskDomain* alternative, double v);
    int putInteger(NuskDomain* alternative, int v);
    int putInteger64(NuskDomain* alternative, int64_t v);  // integer alternatives only
    int putString(NuskDomain* alternative, const char* text);  // binary alternatives: as nusk_update_prim
    /// Stores an aggregate as an alternative that is a defined type over an aggregate.
    int putAggregate(NuskDomain* alternative, NuskObject* aggregate);
    /// Empties the select.
    void clear();

    /// True when the held value was given as `d` or (for objects) is an instance of `d`; for a select
    /// domain, when the value is one of its alternatives.
    bool holds(const NuskDomain* d) const;

    /// Store internals.
    const NuskSlot& rawValue() const { return value_; }

protected:
    NuskUnion();

private:
    friend class NuskStore;
    void setValue(uint32_t altIndex, NuskSlot v);
    NuskSlot value_;
    uint32_t alternative_ = 0;  // global domain index of the alternative, 0 when empty or an object is held
};

/// The object held by a select (if `d` is given: only when it is of that domain); null for a null or empty
/// select.
NuskObject* nusk_get_nested_object(NuskUnion* select, NuskDomain* d = nullptr);
/// Stores `obj` in the select (null clears it). Returns 1 when done.
int nusk_put_nested_object(NuskUnion* select, NuskObject* obj);
