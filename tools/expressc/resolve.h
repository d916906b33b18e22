// The schema as the generator needs it: every name resolved, entities with their supertypes, own attributes,
// derived redeclarations and closures, and every type reduced to what its values are stored as.
#pragma once

#include "model.h"

#include <map>
#include <string>
#include <vector>

namespace expressc {

struct Entity;

/// What a value of a type is, once defined types are looked through.
struct ValueKind {
    enum class Kind { integer, real, string, binary, boolean, logical, enumeration, entity, select, aggregate };
    Kind kind = Kind::integer;
    std::string name;  // enumeration, entity or select name; for aggregates the aggregate class name
};

struct Named {
    enum class Kind { entity, select, enumeration, defined };
    Kind kind = Kind::entity;
    std::string name;
    const TypeDecl* type = nullptr;  // selects, enumerations, defined types
    Entity* entity = nullptr;        // entities
    int index = 0;                   // position among all named domains (types first, then entities)
};

struct Entity {
    const EntityDecl* decl = nullptr;
    std::string name;
    std::vector<Entity*> supertypes;
    std::vector<const Attribute*> own;                           // explicit, redeclarations left out
    std::vector<std::pair<Entity*, std::string>> derivedRedecl;  // (owner entity, attribute) written `*`
    // (owner entity, attribute) that the owner stores as a real (REAL or NUMBER) and this entity redeclares as
    // an integer: written as integers in instances of this entity.
    std::vector<std::pair<Entity*, std::string>> integerRedecl;
    std::vector<Entity*> closure;                                // Part 21 order, itself last
    int index = 0;
};

struct Resolved {
    const Schema* schema = nullptr;
    std::vector<Named> named;
    std::map<std::string, int> byName;
    std::vector<Entity> entities;  // file order
    const Named* find(const std::string& name) const;
    Entity* entity(const std::string& name);
};

/// Resolves a parsed schema. On a dangling name, a cycle of supertypes or a redeclaration of an attribute that
/// the named supertype does not have, returns false with "line N: ..." in `error`.
bool resolveSchema(const Schema& schema, Resolved& out, std::string& error);

/// The stored form of a type: follows defined types down to a simple type, enumeration, select, entity or
/// aggregate.
ValueKind valueKindOf(const Resolved& r, const TypeSpec& t);

}  // namespace expressc
