// Generated headers: enumerations, forward declarations, aggregate classes, entity, select and complex
// classes, and the umbrella header.
#include "emit.h"
#include "naming.h"

#include <algorithm>
#include <set>
#include <sstream>

namespace expressc {

std::vector<SelectLeaf> selectLeaves(const Resolved& r, const Named& select) {
    std::vector<SelectLeaf> leaves;
    std::set<std::string> seen;
    std::vector<const Named*> pending = {&select};
    for (size_t i = 0; i < pending.size() && i < 1000; ++i) {
        for (const std::string& item : pending[i]->type->type.items) {
            const Named* n = r.find(item);
            if (!n || !seen.insert(item).second) continue;
            TypeSpec t;
            t.name = item;
            const bool nested = valueKindOf(r, t).kind == ValueKind::Kind::select;
            leaves.push_back({n, nested});
            if (nested) {
                // Follow a type defined on a select to the select itself.
                const Named* target = n;
                while (target && target->kind == Named::Kind::defined)
                    target = r.find(target->type->type.name);
                if (target) pending.push_back(target);
            }
        }
    }
    return leaves;
}

namespace {

std::string includeOf(const std::string& cppClass) { return "#include \"nusk/ap242/" + headerFileName(cppClass) + "\"\n"; }

/// Instances are made in a design: new (design) stp_x(), which gives null for a null design.
std::string storeOperators() {
    return "    static void* operator new(size_t size, NuskDesign* design) noexcept;\n"
           "    static void* operator new(size_t, void* where) noexcept { return where; }\n"
           "    static void operator delete(void* p, NuskDesign*) noexcept { nusk_release_storage(p); }\n"
           "    static void operator delete(void* p) noexcept { nusk_release_storage(p); }\n";
}

std::string handleDeclaration(const std::string& cls) {
    return "extern NuskTypePtrT<" + cls + "> " + typeHandleName(cls) + ";\n";
}

/// An aggregate of enumeration values: stored as integers (so it is a ListOfInteger to code that reads any
/// integer aggregate), read and written as values of the enumeration.
std::string enumAggregateClass(const std::string& cls, const std::string& e) {
    std::ostringstream out;
    out << "class " << cls << " : public ListOfInteger {\npublic:\n"
        << "    " << e << " get(unsigned i) const;\n"
        << "    " << e << " operator[](unsigned i) const { return get(i); }\n"
        << "    int add(" << e << " value) { return addInteger(static_cast<int>(value)); }\n"
        << "    int _add(" << e << " value) { return add(value); }\n"
        << "    /// Appends unless the value is already there. Returns 1 when added.\n"
        << "    int _addIfAbsent(" << e << " value);\n"
        << "    /// Removes the first occurrence of the value. Returns 1 when found.\n"
        << "    int _remove(" << e << " value);\n"
        << "    /// Index of the first occurrence, or -1.\n"
        << "    int indexOf(" << e << " value) const;\n"
        << "    int put(" << e << " value, unsigned i) { return putInteger(static_cast<int>(value), i); }\n"
        << storeOperators() << "};\n" << handleDeclaration(cls) << "\n";
    return out.str();
}

}  // namespace

std::string Generator::enumsHeader() {
    std::ostringstream out;
    out << banner() << "#pragma once\n\n// The enumerations of the schema; -1 (_UNSET) stands for an unset value.\n\n";
    for (const Named& n : r_.named) {
        if (n.kind != Named::Kind::enumeration) continue;
        const std::string cls = className(n.name);
        out << "enum " << cls << " : int {\n    " << cls << "_UNSET = -1,\n";
        for (size_t i = 0; i < n.type->type.items.size(); ++i)
            out << "    " << enumeratorName(n.name, n.type->type.items[i]) << " = " << i << ",\n";
        out << "};\n\n";
    }
    return out.str();
}

std::string Generator::forwardHeader() {
    std::ostringstream out;
    out << banner() << "#pragma once\n\nclass ListOfDouble;\nclass ListOfInteger;\nclass ListOfString;\n";
    for (const Named& n : r_.named)
        if (n.kind == Named::Kind::entity || n.kind == Named::Kind::select) out << "class " << className(n.name) << ";\n";
    for (const ComplexClass& c : complexes_) out << "class " << c.cppClass << ";\n";
    for (const auto& a : aggregates_) out << "class " << a.first << ";\n";
    for (const auto& a : enumAggregates_) out << "class " << a.first << ";\n";
    return out.str();
}

std::string Generator::aggregatesHeader() {
    std::ostringstream out;
    out << banner() << "#pragma once\n\n#include \"nusk/ap242/enums.h\"\n#include \"nusk/ap242/forward.h\"\n"
        << "#include \"nusk/ap242_support.h\"\n\n"
        << "// Aggregates whose elements are objects, then aggregates of enumeration values. Aggregates of other plain\n"
        << "// values are ListOfDouble, ListOfInteger and ListOfString. Every read checks its index: past the end\n"
        << "// gives null, or the enumeration's _UNSET.\n\n";
    for (const auto& a : aggregates_) {
        const std::string& cls = a.first;
        const std::string el = a.second + "*";
        out << "class " << cls << " : public NuskAggregate {\npublic:\n"
            << "    " << el << " get(unsigned i) const;\n"
            << "    " << el << " operator[](unsigned i) const { return get(i); }\n"
            << "    " << el << " first() const { return get(0); }\n"
            << "    int add(" << el << " value);\n"
            << "    int _add(" << el << " value) { return add(value); }\n"
            << "    int _addIfAbsent(" << el << " value, NuskDomain* type = nullptr);\n"
            << "    int _addIfAbsent(" << el << " value, NuskTypePtr& type) { return _addIfAbsent(value, type.domain()); }\n"
            << "    int _remove(" << el << " value);\n"
            << "    int put(" << el << " value, unsigned i);\n"
            << storeOperators() << "};\n" << handleDeclaration(cls) << "\n";
    }
    for (const auto& a : enumAggregates_) out << enumAggregateClass(a.first, a.second);
    return out.str();
}

std::string Generator::entityHeader(const Entity& e) {
    const std::string cls = className(e.name);
    std::ostringstream out;
    out << banner() << "#pragma once\n\n#include \"nusk/ap242/aggregates.h\"\n#include \"nusk/ap242/enums.h\"\n";
    for (Entity* s : e.supertypes) out << includeOf(className(s->name));
    out << "\n" << expressComment(e) << "class " << cls << " : ";
    if (e.supertypes.empty()) out << "public virtual NuskStructure";
    for (size_t i = 0; i < e.supertypes.size(); ++i)
        out << (i ? ", " : "") << "public virtual " << className(e.supertypes[i]->name);
    out << " {\npublic:\n    " << cls << "();\n    ~" << cls << "() override;\n";
    for (const Attribute* a : e.own) {
        const std::string type = cppValueType(a->type);
        const std::string name = accessorName(a->name);
        out << "    " << type << " " << name << "() const;\n    void " << name << "(" << type << " value);\n";
    }
    out << storeOperators() << "};\n" << handleDeclaration(cls);
    return out.str();
}

std::string Generator::selectHeader(const Named& s) {
    const std::string cls = className(s.name);
    std::ostringstream out;
    out << banner() << "#pragma once\n\n#include \"nusk/ap242/aggregates.h\"\n#include \"nusk/ap242/enums.h\"\n\n"
        << "/// TYPE " << s.name << " = SELECT (";
    for (size_t i = 0; i < s.type->type.items.size(); ++i) out << (i ? ", " : "") << s.type->type.items[i];
    out << ");\nclass " << cls << " : public NuskUnion {\npublic:\n";
    for (const SelectLeaf& leaf : selectLeaves(r_, s)) {
        const std::string& name = leaf.named->name;
        out << "    bool is_" << name << "() const;\n";
        if (leaf.nestedSelect) continue;
        TypeSpec t;
        t.name = name;
        const std::string type = cppValueType(t);
        out << "    " << type << " _" << name << "() const;\n    void _" << name << "(" << type << " value);\n";
    }
    out << storeOperators() << "};\n" << handleDeclaration(cls);
    return out.str();
}

std::string Generator::complexHeader(const ComplexClass& c) {
    std::ostringstream out;
    out << banner() << "#pragma once\n\n";
    for (const std::string& leaf : c.leaves) out << includeOf(className(leaf));
    out << "\n/// An instance that is at once";
    for (size_t i = 0; i < c.leaves.size(); ++i) out << (i ? (i + 1 == c.leaves.size() ? " and " : ", ") : " ") << c.leaves[i];
    out << ".\nclass " << c.cppClass << " : ";
    for (size_t i = 0; i < c.leaves.size(); ++i) out << (i ? ", " : "") << "public virtual " << className(c.leaves[i]);
    out << " {\npublic:\n    " << c.cppClass << "();\n    ~" << c.cppClass << "() override;\n"
        << storeOperators() << "};\n" << handleDeclaration(c.cppClass);
    return out.str();
}

std::string Generator::umbrellaHeader() {
    std::ostringstream out;
    out << banner() << "#pragma once\n\n// Every class of the schema. Prefer the headers of the classes you use.\n\n"
        << "#include \"nusk/ap242/aggregates.h\"\n#include \"nusk/ap242/enums.h\"\n";
    for (const Named& n : r_.named)
        if (n.kind == Named::Kind::entity || n.kind == Named::Kind::select) out << includeOf(className(n.name));
    for (const ComplexClass& c : complexes_) out << includeOf(c.cppClass);
    return out.str();
}

}  // namespace expressc
