#include "naming.h"

#include <cstdio>
#include <set>

namespace expressc {

std::string className(const std::string& schemaName) { return "stp_" + schemaName; }

std::string enumeratorName(const std::string& enumName, const std::string& value) {
    return "stp_" + enumName + "_" + value;
}

std::string typeHandleName(const std::string& cppClass) { return "nusktype_" + cppClass; }

std::string accessorName(const std::string& attribute) {
    static const std::set<std::string> reserved = {
        // C++ keywords that EXPRESS names can be
        "and", "auto", "bool", "break", "case", "catch", "char", "class", "const", "continue", "default", "delete",
        "do", "double", "else", "enum", "explicit", "export", "extern", "false", "float", "for", "friend", "goto",
        "if", "inline", "int", "long", "mutable", "namespace", "new", "not", "operator", "or", "private",
        "protected", "public", "register", "return", "short", "signed", "sizeof", "static", "struct", "switch",
        "template", "this", "throw", "true", "try", "typedef", "typeid", "typename", "union", "unsigned", "using",
        "virtual", "void", "volatile", "while", "xor",
        // members of the store's object classes
        "domain", "design", "modified", "isa", "find_manager", "add_manager", "remove_manager", "attributes",
        "getAttribute", "getObject", "getInteger", "getDouble", "getString", "putObject", "putInteger",
        "putDouble", "usedin", "move", "entity_id", "entitySlots", "refcount", "slotFor", "domainIndex"};
    return reserved.count(attribute) ? attribute + "_" : attribute;
}

namespace {

std::string simpleElementName(TypeSpec::Simple s) {
    switch (s) {
    case TypeSpec::Simple::real:
    case TypeSpec::Simple::number: return "Double";
    case TypeSpec::Simple::integer: return "Integer";
    case TypeSpec::Simple::string:
    case TypeSpec::Simple::binary: return "String";
    case TypeSpec::Simple::boolean: return "Boolean";
    case TypeSpec::Simple::logical: return "Logical";
    }
    return "Integer";
}

// Mirrors the store: defined types are looked through unless they stand for an aggregate.
std::string elementName(const Resolved& r, const TypeSpec& t) {
    if (t.kind == TypeSpec::Kind::simple) return simpleElementName(t.simple);
    if (t.kind == TypeSpec::Kind::aggregate) return aggregateClassName(r, t);
    const Named* n = r.find(t.name);
    for (int guard = 0; n && guard < 64; ++guard) {
        if (n->kind != Named::Kind::defined) return className(n->name);
        const TypeSpec& u = n->type->type;
        if (u.kind == TypeSpec::Kind::simple) return simpleElementName(u.simple);
        if (u.kind != TypeSpec::Kind::named) return className(n->name);
        n = r.find(u.name);
    }
    return className(t.name);
}

}  // namespace

std::string aggregateClassName(const Resolved& r, const TypeSpec& aggregate) {
    static const char* const prefixes[] = {"ListOf", "SetOf", "BagOf", "ArrayOf"};
    if (aggregate.kind != TypeSpec::Kind::aggregate || !aggregate.element) return "NuskAggregate";
    return prefixes[static_cast<int>(aggregate.aggregate)] + elementName(r, *aggregate.element);
}

std::string complexClassName(const std::vector<std::string>& leaves) {
    std::string name = "stp_";
    for (size_t i = 0; i < leaves.size(); ++i) name += (i ? "_and_" : "") + leaves[i];
    return name;
}

std::string headerFileName(const std::string& cppClass) { return cppClass + ".h"; }

std::string chunkSourceName(int chunk) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "classes_%02d.cpp", chunk);
    return buffer;
}

}  // namespace expressc
