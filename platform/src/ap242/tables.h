// The form in which the schema compiler writes a schema's dictionary: constant tables that the loader turns
// into the store's domains and attributes.
#pragma once

#include "name_slots.h"

#include <cstdint>

namespace nusk_ap242 {

/// A type as an attribute, a defined type or an aggregate element uses it.
struct TypeRefRow {
    enum Kind : uint8_t { primitive, named, aggregate };
    enum Primitive : uint8_t { integer, real, number, string, binary, boolean, logical };
    Kind kind;
    uint8_t detail;  // primitive: Primitive; aggregate: 0 list, 1 set, 2 bag, 3 array
    int32_t ref;     // named: index into the named rows; aggregate: type ref of the element
};

/// A named type of the schema: entity, select, enumeration or defined type.
struct NamedRow {
    enum Kind : uint8_t { entity, select, enumeration, defined };
    const char* name;
    Kind kind;
    int32_t first;  // select: first alternative in the select items; enumeration: first value
    int32_t count;  // number of alternatives or values
    int32_t extra;  // defined type: type ref of the underlying type; entity: its entity row
};

struct EntityRow {
    int32_t named;
    bool abstract;
    int32_t superFirst, superCount;      // in the supertype list (named indices)
    int32_t attributeFirst, attributeCount;
    int32_t derivedFirst, derivedCount;  // derived redeclarations
    int32_t constraint;                  // offset of the supertype constraint code, -1 when none
};

struct AttributeRow {
    const char* name;
    int32_t type;  // type ref
    bool optional;
    uint32_t minElements;  // aggregates: the declared lower bound when it is a number
};

/// A redeclaration of an inherited attribute as derived: the attribute of `owner` named `attribute`.
struct DerivedRow {
    int32_t owner;  // named index of the entity that declares the attribute
    const char* attribute;
};

/// A redeclaration of an inherited real (REAL or NUMBER) attribute as an integer: instances of `entity` keep
/// the value as the attribute does, and it is written as an integer.
struct IntegerRow {
    int32_t entity;  // named index of the redeclaring entity
    int32_t owner;   // named index of the entity that declares the attribute
    const char* attribute;
};

/// The value a new instance has for an attribute until it is set.
struct DefaultRow {
    int32_t attribute;  // attribute row
    double value;
};

/// Supertype constraints are coded as integers: entity: 0, named index; ONEOF: 1, n, operands...;
/// AND: 2, n, operands...; ANDOR: 3, n, operands...
struct Tables {
    const char* schemaName;
    const char* classPrefix;  // what the generated class names put before a type's name
    const NamedRow* named;
    int namedCount;
    const EntityRow* entities;
    int entityCount;
    const AttributeRow* attributes;
    int attributeCount;
    const DerivedRow* derived;
    int derivedCount;
    const IntegerRow* integers;
    int integerCount;
    const TypeRefRow* typeRefs;
    int typeRefCount;
    const int32_t* selectItems;
    const char* const* enumValues;
    const int32_t* supertypes;
    const int32_t* constraintCode;
    const DefaultRow* defaults;
    int defaultCount;
    // The named rows by their names (the reader's table of them), `nameSlotCount` slots over the named rows.
    const nusk_detail::NameSlot* nameSlots;
    int nameSlotCount;
};

/// The generated tables of the AP242 schema.
const Tables& ap242Tables();

}  // namespace nusk_ap242
