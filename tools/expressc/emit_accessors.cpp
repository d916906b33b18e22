// C++ types and accessor bodies of generated classes.
#include "emit.h"
#include "naming.h"

namespace expressc {

/// The type spec that values of `t` are stored as: named defined types are followed to their definition.
const TypeSpec& storedSpec(const Resolved& r, const TypeSpec& t) {
    const TypeSpec* s = &t;
    for (int guard = 0; s->kind == TypeSpec::Kind::named && guard < 64; ++guard) {
        const Named* n = r.find(s->name);
        if (!n || n->kind != Named::Kind::defined) break;
        s = &n->type->type;
    }
    return *s;
}

/// The class that aggregates of `t` (an aggregate spec) are made as.
std::string aggregateCppClass(const Resolved& r, const TypeSpec& t) {
    const TypeSpec& element = storedSpec(r, *t.element);
    ValueKind v = valueKindOf(r, element);
    switch (v.kind) {
    case ValueKind::Kind::real: return "ListOfDouble";
    case ValueKind::Kind::string:
    case ValueKind::Kind::binary: return "ListOfString";
    case ValueKind::Kind::integer:
    case ValueKind::Kind::boolean:
    case ValueKind::Kind::logical: return "ListOfInteger";
    // Enumeration values are stored as integers too, but each aggregate of an enumeration has its own class
    // that reads and writes values of the enumeration's type.
    default: return aggregateClassName(r, t);
    }
}

std::string Generator::cppValueType(const TypeSpec& t) const {
    ValueKind v = valueKindOf(r_, t);
    switch (v.kind) {
    case ValueKind::Kind::integer:
    case ValueKind::Kind::boolean:
    case ValueKind::Kind::logical: return "int";
    case ValueKind::Kind::real: return "double";
    case ValueKind::Kind::string:
    case ValueKind::Kind::binary: return "const char*";
    case ValueKind::Kind::enumeration: return className(v.name);
    case ValueKind::Kind::entity:
    case ValueKind::Kind::select: return className(v.name) + "*";
    case ValueKind::Kind::aggregate: return aggregateCppClass(r_, storedSpec(r_, t)) + "*";
    }
    return "int";
}

std::string Generator::getterBody(const Entity& e, const Attribute& a, int row) const {
    const std::string att = "nusk_ap242::attribute(" + std::to_string(row) + ")";
    ValueKind v = valueKindOf(r_, a.type);
    const std::string type = cppValueType(a.type);
    switch (v.kind) {
    case ValueKind::Kind::integer:
    case ValueKind::Kind::boolean:
    case ValueKind::Kind::logical: return "return integerSlot(" + att + ");";
    case ValueKind::Kind::real: return "return realSlot(" + att + ");";
    case ValueKind::Kind::string:
    case ValueKind::Kind::binary: return "return stringSlot(" + att + ");";
    case ValueKind::Kind::enumeration: return "return static_cast<" + type + ">(integerSlot(" + att + "));";
    default: break;
    }
    const std::string cls = type.substr(0, type.size() - 1);
    if (isLazy(e, a))
        return "NuskObject* value = objectSlot(" + att + ");\n    if (!value && design()) {\n        auto* made = new (design()) " +
                   cls + "();\n        if (made) made->markMadeOnDemand();\n        value = made;\n        const_cast<" +
                   className(e.name) + "*>(this)->setObjectSlot(" + att + ", value);\n    }\n    return nusk_downcast<" + cls +
                   ">(value);";
    return "return nusk_downcast<" + cls + ">(objectSlot(" + att + "));";
}

std::string Generator::setterBody(const Attribute& a, int row) const {
    const std::string att = "nusk_ap242::attribute(" + std::to_string(row) + ")";
    switch (valueKindOf(r_, a.type).kind) {
    case ValueKind::Kind::integer:
    case ValueKind::Kind::boolean:
    case ValueKind::Kind::logical:
    case ValueKind::Kind::enumeration: return "setIntegerSlot(" + att + ", static_cast<int>(value));";
    case ValueKind::Kind::real: return "setRealSlot(" + att + ", value);";
    case ValueKind::Kind::string:
    case ValueKind::Kind::binary: return "setStringSlot(" + att + ", value);";
    default: return "setObjectSlot(" + att + ", value);";
    }
}

namespace {

std::string typeText(const TypeSpec& t) {
    static const char* const simple[] = {"INTEGER", "REAL", "NUMBER", "STRING", "BINARY", "BOOLEAN", "LOGICAL"};
    static const char* const aggregates[] = {"LIST", "SET", "BAG", "ARRAY"};
    switch (t.kind) {
    case TypeSpec::Kind::simple: return simple[static_cast<int>(t.simple)];
    case TypeSpec::Kind::named: return t.name;
    case TypeSpec::Kind::aggregate:
        return std::string(aggregates[static_cast<int>(t.aggregate)]) + " [" + t.lowerBound + ":" + t.upperBound +
               "] OF " + (t.optionalElements ? "OPTIONAL " : "") + (t.unique ? "UNIQUE " : "") + typeText(*t.element);
    default: return "?";
    }
}

}  // namespace

std::string Generator::expressComment(const Entity& e) const {
    std::string text = "/// ENTITY " + e.name;
    if (e.decl->abstract) text += " ABSTRACT";
    if (!e.supertypes.empty()) {
        text += " SUBTYPE OF (";
        for (size_t i = 0; i < e.supertypes.size(); ++i) text += (i ? ", " : "") + e.supertypes[i]->name;
        text += ")";
    }
    text += ";\n";
    for (const Attribute& a : e.decl->attributes)
        text += "///   " + (a.redeclares.empty() ? "" : "SELF\\" + a.redeclares + ".") + a.name + " : " +
                (a.optional ? "OPTIONAL " : "") + typeText(a.type) + ";\n";
    for (const Derived& d : e.decl->derived)
        if (!d.redeclares.empty()) text += "///   DERIVE SELF\\" + d.redeclares + "." + d.name + ";\n";
    return text;
}

std::vector<std::string> Generator::classDependencies(const std::string& cppClass) const {
    // Entity and select classes named by the accessors of a class, so that its source can convert them.
    std::vector<std::string> deps;
    auto add = [&](const TypeSpec& t) {
        ValueKind v = valueKindOf(r_, t);
        if (v.kind == ValueKind::Kind::entity || v.kind == ValueKind::Kind::select) deps.push_back(className(v.name));
    };
    for (const Entity& e : r_.entities)
        if (className(e.name) == cppClass)
            for (const Attribute* a : e.own) add(a->type);
    for (const Named& n : r_.named)
        if (n.kind == Named::Kind::select && className(n.name) == cppClass)
            for (const SelectLeaf& leaf : selectLeaves(r_, n)) {
                TypeSpec t;
                t.name = leaf.named->name;
                add(t);
            }
    return deps;
}

}  // namespace expressc
