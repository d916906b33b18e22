// What the schema compiler reads from an EXPRESS schema: the declarations that shape instances (types and
// entities). Rules, functions, procedures, constants and the expressions of where-rules and derivations are
// read past, not kept.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace expressc {

/// A type as written in a declaration: a simple type, a reference to a named type, an aggregate, or (only as
/// the underlying type of a TYPE declaration) a select or an enumeration.
struct TypeSpec {
    enum class Kind { simple, named, aggregate, select, enumeration };
    enum class Simple { integer, real, number, string, binary, boolean, logical };
    enum class Aggregate { list, set, bag, array };

    Kind kind = Kind::named;
    Simple simple = Simple::integer;        // Kind::simple
    std::string name;                       // Kind::named: the referenced type or entity (lower case)
    Aggregate aggregate = Aggregate::list;  // Kind::aggregate
    std::string lowerBound;                 // Kind::aggregate: bound texts as written ("1", "?", "hi_index")
    std::string upperBound;
    bool unique = false;                    // LIST/SET ... OF UNIQUE
    bool optionalElements = false;          // ARRAY ... OF OPTIONAL
    std::unique_ptr<TypeSpec> element;      // Kind::aggregate
    std::vector<std::string> items;         // Kind::select: alternatives; Kind::enumeration: values (lower case)
    bool extensible = false;                // EXTENSIBLE select or enumeration
    std::string basedOn;                    // BASED_ON select or enumeration it extends

    TypeSpec() = default;
    TypeSpec(const TypeSpec& other) { *this = other; }
    TypeSpec& operator=(const TypeSpec& other);
    TypeSpec(TypeSpec&&) = default;
    TypeSpec& operator=(TypeSpec&&) = default;
};

struct TypeDecl {
    std::string name;  // lower case
    TypeSpec type;
    int line = 0;
};

/// An operand of SUPERTYPE OF (...).
struct SupertypeExpr {
    enum class Op { entity, oneof, and_, andor };
    Op op = Op::entity;
    std::string entity;                  // Op::entity (lower case)
    std::vector<SupertypeExpr> operands;
};

struct Attribute {
    std::string name;  // lower case
    TypeSpec type;
    bool optional = false;
    /// For a redeclaration (SELF\entity.attribute): the entity whose attribute it redeclares; empty otherwise.
    std::string redeclares;
    std::string renamed;  // RENAMED new name, if any
    int line = 0;
};

/// A DERIVE attribute. Only redeclarations of supertype attributes matter to instances (they are written `*`).
struct Derived {
    std::string name;
    std::string redeclares;  // entity of SELF\entity.attribute, empty for a new derived attribute
    int line = 0;
};

struct EntityDecl {
    std::string name;  // lower case
    bool abstract = false;
    bool hasSupertypeExpr = false;
    SupertypeExpr supertypeExpr;
    std::vector<std::string> supertypes;  // SUBTYPE OF, in order (lower case)
    std::vector<Attribute> attributes;    // explicit attributes, in order, redeclarations included
    std::vector<Derived> derived;
    std::vector<std::string> inverses;    // names of INVERSE attributes
    int line = 0;
};

struct Schema {
    std::string name;
    std::vector<TypeDecl> types;       // in file order
    std::vector<EntityDecl> entities;  // in file order
};

/// The outcome of reading a schema: the schema, or the first error with its line.
struct ParseResult {
    bool ok = false;
    Schema schema;
    std::string error;  // "line N: what was expected, what was found"
    int errorLine = 0;
};

/// Reads EXPRESS text (ISO 10303-11) as far as a long form needs. Never throws.
ParseResult parseExpress(const std::string& text);

}  // namespace expressc
