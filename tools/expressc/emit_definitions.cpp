// Definitions of generated classes: constructors, allocation, accessors, type handles and registration.
#include "emit.h"
#include "naming.h"

namespace expressc {

namespace {

std::string named(int index) { return "nusk_ap242::named(" + std::to_string(index) + ")"; }

std::string common(const std::string& cls, const std::string& domainExpr, const std::string& handleName) {
    return "void* " + cls + "::operator new(size_t size, NuskDesign* design) noexcept {\n    return nusk_new_in_default_section(size, design, " +
           domainExpr + ");\n}\n\nNuskTypePtrT<" + cls + "> " + typeHandleName(cls) + "(&nusk_ap242_schema, \"" +
           handleName + "\");\n\n";
}

std::string structors(const std::string& cls) {
    return cls + "::" + cls + "() = default;\n" + cls + "::~" + cls + "() = default;\n";
}

}  // namespace

std::string Generator::classDefinition(const std::string& cls, std::ostringstream& reg) {
    if (auto it = entityClasses_.find(cls); it != entityClasses_.end()) return entityDefinition(*it->second, reg);
    if (auto it = selectClasses_.find(cls); it != selectClasses_.end()) return selectDefinition(*it->second, reg);
    if (auto it = complexClasses_.find(cls); it != complexClasses_.end()) return complexDefinition(*it->second, reg);
    if (auto it = enumAggregates_.find(cls); it != enumAggregates_.end()) return enumAggregateDefinition(cls, it->second, reg);
    return aggregateDefinition(cls, aggregates_.at(cls), reg);
}

std::string Generator::entityDefinition(const Entity& e, std::ostringstream& reg) {
    const std::string cls = className(e.name);
    const int index = r_.find(e.name)->index;
    std::string out = "// ---- " + cls + " ----\n\n" + structors(cls) + "\n" + common(cls, named(index), e.name);
    for (const Attribute* a : e.own) {
        const int row = attributeRow_.at(a);
        const std::string type = cppValueType(a->type);
        const std::string name = accessorName(a->name);
        out += type + " " + cls + "::" + name + "() const {\n    " + getterBody(e, *a, row) + "\n}\n\n";
        out += "void " + cls + "::" + name + "(" + type + " value) { " + setterBody(*a, row) + " }\n\n";
    }
    reg << "    r.entity(" << index << ", &nusk_ap242::make<" << cls << ">);\n";
    return out;
}

std::string Generator::selectDefinition(const Named& s, std::ostringstream& reg) {
    const std::string cls = className(s.name);
    std::string out = "// ---- " + cls + " ----\n\n" + common(cls, named(s.index), s.name);
    for (const SelectLeaf& leaf : selectLeaves(r_, s)) {
        const std::string& name = leaf.named->name;
        const std::string domain = named(leaf.named->index);
        out += "bool " + cls + "::is_" + name + "() const { return holds(" + domain + "); }\n";
        if (leaf.nestedSelect) {
            out += "\n";
            continue;
        }
        TypeSpec t;
        t.name = name;
        const std::string type = cppValueType(t);
        std::string get, put;
        switch (valueKindOf(r_, t).kind) {
        case ValueKind::Kind::entity:
            get = "return nusk_downcast<" + type.substr(0, type.size() - 1) + ">(object());";
            put = "putObject(value);";
            break;
        case ValueKind::Kind::aggregate:
            get = "return holds(" + domain + ") ? nusk_downcast<" + type.substr(0, type.size() - 1) + ">(object()) : nullptr;";
            put = "putAggregate(" + domain + ", value);";
            break;
        case ValueKind::Kind::real:
            get = "return holds(" + domain + ") ? realValue() : NUSK_NULL_REAL;";
            put = "putReal(" + domain + ", value);";
            break;
        case ValueKind::Kind::string:
        case ValueKind::Kind::binary:
            get = "return holds(" + domain + ") ? stringValue() : nullptr;";
            put = "putString(" + domain + ", value);";
            break;
        case ValueKind::Kind::enumeration:
            get = "return holds(" + domain + ") ? static_cast<" + type + ">(integerValue()) : " + type + "_UNSET;";
            put = "putInteger(" + domain + ", static_cast<int>(value));";
            break;
        default:
            get = "return holds(" + domain + ") ? integerValue() : NUSK_NULL_INTEGER;";
            put = "putInteger(" + domain + ", value);";
            break;
        }
        out += type + " " + cls + "::_" + name + "() const { " + get + " }\n";
        out += "void " + cls + "::_" + name + "(" + type + " value) { " + put + " }\n\n";
    }
    reg << "    r.select(" << s.index << ", &nusk_ap242::make<" << cls << ">);\n";
    return out;
}

std::string Generator::complexDefinition(const ComplexClass& c, std::ostringstream& reg) {
    std::string name;
    for (size_t i = 0; i < c.leaves.size(); ++i) name += (i ? "_and_" : "") + c.leaves[i];
    std::string out = "// ---- " + c.cppClass + " ----\n\n" + structors(c.cppClass) + "\n" +
                      common(c.cppClass, typeHandleName(c.cppClass) + ".domain()", name);
    reg << "    r.complex({";
    for (size_t i = 0; i < c.leaves.size(); ++i) reg << (i ? ", " : "") << r_.find(c.leaves[i])->index;
    reg << "}, &nusk_ap242::make<" << c.cppClass << ">);\n";
    return out;
}

std::string Generator::aggregateDefinition(const std::string& cls, const std::string& element,
                                           std::ostringstream& reg) {
    const std::string el = element + "*";
    std::string out = "// ---- " + cls + " ----\n\n" + common(cls, typeHandleName(cls) + ".domain()", cls);
    out += el + " " + cls + "::get(unsigned i) const { return nusk_downcast<" + element + ">(getObject(i)); }\n";
    out += "int " + cls + "::add(" + el + " value) { return addObject(value); }\n";
    out += "int " + cls + "::_addIfAbsent(" + el + " value, NuskDomain* type) {\n    return NuskAggregate::_addIfAbsent(value, type);\n}\n";
    out += "int " + cls + "::_remove(" + el + " value) { return NuskAggregate::_remove(value); }\n";
    out += "int " + cls + "::put(" + el + " value, unsigned i) { return putObjectAt(value, i); }\n\n";
    reg << "    r.aggregate(\"" << cls << "\", &nusk_ap242::make<" << cls << ">);\n";
    return out;
}

std::string Generator::enumAggregateDefinition(const std::string& cls, const std::string& element,
                                               std::ostringstream& reg) {
    std::string out = "// ---- " + cls + " ----\n\n" + common(cls, typeHandleName(cls) + ".domain()", cls);
    out += element + " " + cls + "::get(unsigned i) const {\n    return i < size() ? static_cast<" + element +
           ">(getInteger(i)) : " + element + "_UNSET;\n}\n";
    out += "int " + cls + "::indexOf(" + element + " value) const {\n    for (unsigned i = 0; i < size(); ++i)\n" +
           "        if (getInteger(i) == static_cast<int>(value)) return static_cast<int>(i);\n    return -1;\n}\n";
    out += "int " + cls + "::_addIfAbsent(" + element + " value) { return indexOf(value) < 0 ? add(value) : 0; }\n";
    out += "int " + cls + "::_remove(" + element + " value) {\n    const int i = indexOf(value);\n" +
           "    return i < 0 ? 0 : removeAt(static_cast<unsigned>(i));\n}\n\n";
    reg << "    r.aggregate(\"" << cls << "\", &nusk_ap242::make<" << cls << ">);\n";
    return out;
}

}  // namespace expressc
