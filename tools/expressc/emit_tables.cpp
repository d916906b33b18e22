// The dictionary tables: every named type, entity, attribute, derived or integer redeclaration and supertype
// constraint.
#include "emit.h"
#include "naming.h"

#include "name_slots.h"

#include <algorithm>
#include <sstream>

namespace expressc {

namespace {

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

const char* primitiveName(TypeSpec::Simple s) {
    switch (s) {
    case TypeSpec::Simple::integer: return "integer";
    case TypeSpec::Simple::real: return "real";
    case TypeSpec::Simple::number: return "number";
    case TypeSpec::Simple::string: return "string";
    case TypeSpec::Simple::binary: return "binary";
    case TypeSpec::Simple::boolean: return "boolean";
    case TypeSpec::Simple::logical: return "logical";
    }
    return "integer";
}

uint32_t minElements(const TypeSpec& t) {
    if (t.kind != TypeSpec::Kind::aggregate) return 0;
    try {
        size_t used = 0;
        unsigned long v = std::stoul(t.lowerBound, &used);
        return used == t.lowerBound.size() ? static_cast<uint32_t>(v) : 0;
    } catch (...) {
        return 0;
    }
}

/// The slots of the table the reader finds named types in by name, laid out as the reader lays out its own.
std::vector<nusk_detail::NameSlot> nameSlots(const std::vector<Named>& named) {
    std::vector<nusk_detail::NameSlot> slots(nusk_detail::nameSlotCount(named.size()), nusk_detail::NameSlot{0, 0});
    for (size_t k = 0; k < named.size(); ++k) nusk_detail::placeName(slots.data(), slots.size(), k, named[k].name);
    return slots;
}

std::string nameSlotsSource(const std::vector<nusk_detail::NameSlot>& slots) {
    std::ostringstream out;
    out << "const nusk_detail::NameSlot kNameSlots[] = {";
    for (size_t i = 0; i < slots.size(); ++i)
        out << (i % 8 ? " " : "\n    ") << "{" << slots[i].entry << ", " << slots[i].length << "},";
    out << "\n};\n\n";
    return out.str();
}

}  // namespace

int Generator::typeRef(const TypeSpec& t) {
    std::string row;
    switch (t.kind) {
    case TypeSpec::Kind::simple:
        row = std::string("{TypeRefRow::primitive, TypeRefRow::") + primitiveName(t.simple) + ", 0}";
        break;
    case TypeSpec::Kind::named: row = "{TypeRefRow::named, 0, " + std::to_string(r_.find(t.name)->index) + "}"; break;
    case TypeSpec::Kind::aggregate: {
        int element = typeRef(*t.element);
        row = "{TypeRefRow::aggregate, " + std::to_string(static_cast<int>(t.aggregate)) + ", " +
              std::to_string(element) + "}";
        break;
    }
    default: row = "{TypeRefRow::primitive, TypeRefRow::integer, 0}"; break;  // selects and enumerations are named
    }
    auto it = typeRefIndex_.find(row);
    if (it != typeRefIndex_.end()) return it->second;
    int index = static_cast<int>(typeRefRows_.size());
    typeRefRows_.push_back(row);
    typeRefIndex_[row] = index;
    return index;
}

std::string Generator::constraintCode(const SupertypeExpr& e) {
    if (e.op == SupertypeExpr::Op::entity) return "0, " + std::to_string(r_.find(e.entity)->index);
    int op = e.op == SupertypeExpr::Op::oneof ? 1 : e.op == SupertypeExpr::Op::and_ ? 2 : 3;
    std::string code = std::to_string(op) + ", " + std::to_string(e.operands.size());
    for (const SupertypeExpr& o : e.operands) code += ", " + constraintCode(o);
    return code;
}

std::string Generator::tablesSource() {
    std::ostringstream named, entities, attributes, derived, integers, items, values, supers, code;
    int itemCount = 0, valueCount = 0, superCount = 0, attributeCount = 0, derivedCount = 0, codeCount = 0;
    int integerCount = 0;
    for (const Named& n : r_.named) {
        if (n.kind == Named::Kind::entity) {
            named << "    {" << quoted(n.name) << ", NamedRow::entity, 0, 0, " << n.entity->index << "},\n";
            continue;
        }
        const TypeSpec& t = n.type->type;
        if (n.kind == Named::Kind::select) {
            named << "    {" << quoted(n.name) << ", NamedRow::select, " << itemCount << ", " << t.items.size()
                  << ", 0},\n";
            for (const std::string& item : t.items) items << "    " << r_.find(item)->index << ",  // " << item << "\n";
            itemCount += static_cast<int>(t.items.size());
        } else if (n.kind == Named::Kind::enumeration) {
            named << "    {" << quoted(n.name) << ", NamedRow::enumeration, " << valueCount << ", " << t.items.size()
                  << ", 0},\n";
            for (const std::string& v : t.items) values << "    " << quoted(v) << ",\n";
            valueCount += static_cast<int>(t.items.size());
        } else {
            named << "    {" << quoted(n.name) << ", NamedRow::defined, 0, 0, " << typeRef(t) << "},\n";
        }
    }
    for (const Entity& e : r_.entities) {
        int constraint = -1;
        if (e.decl->hasSupertypeExpr) {
            std::string c = constraintCode(e.decl->supertypeExpr);
            constraint = codeCount;
            code << "    " << c << ",  // " << e.name << "\n";
            codeCount += static_cast<int>(std::count(c.begin(), c.end(), ',')) + 1;
        }
        entities << "    {" << r_.find(e.name)->index << ", " << (e.decl->abstract ? "true" : "false") << ", "
                 << superCount << ", " << e.supertypes.size() << ", " << attributeCount << ", " << e.own.size()
                 << ", " << derivedCount << ", " << e.derivedRedecl.size() << ", " << constraint << "},  // "
                 << e.name << "\n";
        for (Entity* s : e.supertypes) supers << "    " << r_.find(s->name)->index << ",  // " << s->name << "\n";
        superCount += static_cast<int>(e.supertypes.size());
        for (const Attribute* a : e.own) {
            attributeRow_[a] = attributeCount++;
            attributes << "    {" << quoted(a->name) << ", " << typeRef(a->type) << ", "
                       << (a->optional ? "true" : "false") << ", " << minElements(a->type) << "},  // " << e.name
                       << "\n";
        }
        for (const auto& d : e.derivedRedecl)
            derived << "    {" << r_.find(d.first->name)->index << ", " << quoted(d.second) << "},  // " << e.name
                    << "\n";
        derivedCount += static_cast<int>(e.derivedRedecl.size());
        for (const auto& i : e.integerRedecl) {
            integers << "    {" << r_.find(e.name)->index << ", " << r_.find(i.first->name)->index << ", "
                     << quoted(i.second) << "},  // " << e.name << "\n";
            ++integerCount;
        }
    }
    std::ostringstream defaults;
    for (const auto& d : defaults_)
        defaults << "    {" << attributeRow_.at(d.first) << ", " << d.second << "},  // " << d.first->name << "\n";
    std::ostringstream out;
    out << banner() << "#include \"tables.h\"\n\nnamespace nusk_ap242 {\n\nnamespace {\n\n";
    out << "const NamedRow kNamed[] = {\n" << named.str() << "};\n\n";
    out << "const EntityRow kEntities[] = {\n" << entities.str() << "};\n\n";
    out << "const AttributeRow kAttributes[] = {\n" << attributes.str() << "};\n\n";
    out << "const DerivedRow kDerived[] = {\n" << derived.str() << "    {0, nullptr}};\n\n";
    out << "const IntegerRow kIntegers[] = {\n" << integers.str() << "    {-1, -1, nullptr}};\n\n";
    out << "const TypeRefRow kTypeRefs[] = {\n";
    for (const std::string& row : typeRefRows_) out << "    " << row << ",\n";
    out << "};\n\n";
    out << "const int32_t kSelectItems[] = {\n" << items.str() << "    -1};\n\n";
    out << "const char* const kEnumValues[] = {\n" << values.str() << "    nullptr};\n\n";
    out << "const int32_t kSupertypes[] = {\n" << supers.str() << "    -1};\n\n";
    out << "const int32_t kConstraintCode[] = {\n" << code.str() << "    -1};\n\n";
    out << "const DefaultRow kDefaults[] = {\n" << defaults.str() << "    {-1, 0}};\n\n";
    const std::vector<nusk_detail::NameSlot> slots = nameSlots(r_.named);
    out << nameSlotsSource(slots);
    out << "}  // namespace\n\n";
    out << "const Tables& ap242Tables() {\n    static const Tables tables = {\n        "
        << quoted(r_.schema->name) << ", " << quoted(className("")) << ",\n"
        << "        kNamed, " << r_.named.size() << ",\n"
        << "        kEntities, " << r_.entities.size() << ",\n"
        << "        kAttributes, " << attributeCount << ",\n"
        << "        kDerived, " << derivedCount << ",\n"
        << "        kIntegers, " << integerCount << ",\n"
        << "        kTypeRefs, " << typeRefRows_.size() << ",\n"
        << "        kSelectItems, kEnumValues, kSupertypes, kConstraintCode,\n"
        << "        kDefaults, " << defaults_.size() << ",\n"
        << "        kNameSlots, " << slots.size() << "};\n    return tables;\n}\n\n"
        << "}  // namespace nusk_ap242\n";
    return out.str();
}

}  // namespace expressc
