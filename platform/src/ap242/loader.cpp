// Building the AP242 schema from its generated tables.
#include "factory.h"
#include "store_access.h"
#include "tables.h"

#include "nusk/report.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace nusk_ap242 {

namespace detail {
std::atomic<NuskAttribute**> attributes{nullptr};
std::atomic<NuskDomain**> named{nullptr};
}  // namespace detail

namespace {

// The tables live as long as the process: the schema they index is never closed, and objects may still be
// reached through them while other statics are destroyed.
std::vector<NuskAttribute*>& gAttributes = *new std::vector<NuskAttribute*>;
std::vector<NuskDomain*>& gNamed = *new std::vector<NuskDomain*>;
// The compiled table of the named rows' names, over gNamed.
nusk_detail::CompiledNames gCompiledNames{};

class Loader {
public:
    explicit Loader(const Tables& t) : t_(t), schema_(new NuskSchema(t.schemaName)) {
        schema_->setClassPrefix(t.classPrefix);
        schema_->useNamesAsGiven();  // the tables' names are compiled into the program
    }

    NuskSchema* load() {
        createNamed();
        gCompiledNames = {t_.nameSlots, static_cast<size_t>(t_.nameSlotCount), gNamed.size(), gNamed.data()};
        NuskStore::setCompiledNames(schema_, &gCompiledNames);
        linkTypes();
        addAttributes();
        addConstraints();
        addDefaults();
        schema_->seal();
        return schema_;
    }

private:
    void createNamed() {
        // Every named type, and at most one aggregate domain per aggregate type reference.
        int aggregates = 0;
        for (int i = 0; i < t_.typeRefCount; ++i) aggregates += t_.typeRefs[i].kind == TypeRefRow::aggregate;
        schema_->reserveDomains(static_cast<size_t>(t_.namedCount + aggregates));
        gNamed.resize(static_cast<size_t>(t_.namedCount));
        for (int i = 0; i < t_.namedCount; ++i) {
            const NamedRow& n = t_.named[i];
            switch (n.kind) {
            case NamedRow::entity:
                gNamed[i] = schema_->addEntity(n.name, std::vector<NuskDomain*>{}, t_.entities[n.extra].abstract);
                break;
            case NamedRow::select: gNamed[i] = schema_->addSelect(n.name, {}); break;
            case NamedRow::enumeration:
                gNamed[i] = schema_->addEnumeration(
                    n.name, std::vector<const char*>(t_.enumValues + n.first, t_.enumValues + n.first + n.count));
                break;
            case NamedRow::defined: gNamed[i] = schema_->addDefinedType(n.name, nullptr); break;
            }
        }
    }

    NuskDomain* typeOf(int ref) {
        const TypeRefRow& r = t_.typeRefs[ref];
        switch (r.kind) {
        case TypeRefRow::named: return gNamed[static_cast<size_t>(r.ref)];
        case TypeRefRow::aggregate:
            return NuskSchema::aggregateOf(static_cast<NuskAggregateKind>(r.detail), typeOf(r.ref));
        case TypeRefRow::primitive: break;
        }
        switch (r.detail) {
        case TypeRefRow::integer: return NuskSchema::integerDomain();
        case TypeRefRow::real: return NuskSchema::realDomain();
        case TypeRefRow::number: return NuskSchema::numberDomain();
        case TypeRefRow::string: return NuskSchema::stringDomain();
        case TypeRefRow::binary: return NuskSchema::binaryDomain();
        case TypeRefRow::boolean: return NuskSchema::booleanDomain();
        default: return NuskSchema::logicalDomain();
        }
    }

    void linkTypes() {
        for (int i = 0; i < t_.namedCount; ++i) {
            const NamedRow& n = t_.named[i];
            if (n.kind == NamedRow::defined) {
                schema_->setDefinedTypeUnderlying(gNamed[i], typeOf(n.extra));
            } else if (n.kind == NamedRow::select) {
                std::vector<NuskDomain*> alternatives;
                alternatives.reserve(static_cast<size_t>(n.count));
                for (int k = n.first; k < n.first + n.count; ++k) alternatives.push_back(gNamed[t_.selectItems[k]]);
                schema_->setSelectAlternatives(gNamed[i], std::move(alternatives));
            } else if (n.kind == NamedRow::entity) {
                const EntityRow& e = t_.entities[n.extra];
                std::vector<NuskDomain*> supers;
                supers.reserve(static_cast<size_t>(e.superCount));
                for (int k = e.superFirst; k < e.superFirst + e.superCount; ++k) supers.push_back(gNamed[t_.supertypes[k]]);
                schema_->setSupertypes(gNamed[i], std::move(supers));
            }
        }
    }

    void addAttributes() {
        gAttributes.resize(static_cast<size_t>(t_.attributeCount));
        for (int i = 0; i < t_.entityCount; ++i) {
            const EntityRow& e = t_.entities[i];
            schema_->reserveAttributes(gNamed[e.named], static_cast<size_t>(e.attributeCount));
            for (int k = e.attributeFirst; k < e.attributeFirst + e.attributeCount; ++k) {
                const AttributeRow& a = t_.attributes[k];
                gAttributes[k] = schema_->addAttribute(gNamed[e.named], a.name, typeOf(a.type), a.optional, a.minElements);
                if (NuskDomain* element = declaredElementOf(a.type))
                    schema_->setDeclaredElementDomain(gAttributes[k], element);
            }
        }
        for (int i = 0; i < t_.entityCount; ++i) {
            const EntityRow& e = t_.entities[i];
            for (int k = e.derivedFirst; k < e.derivedFirst + e.derivedCount; ++k)
                if (NuskAttribute* a = ownAttribute(t_.derived[k].owner, t_.derived[k].attribute))
                    schema_->redeclareDerived(gNamed[e.named], a);
        }
        for (int k = 0; k < t_.integerCount; ++k)
            if (NuskAttribute* a = ownAttribute(t_.integers[k].owner, t_.integers[k].attribute))
                schema_->redeclareInteger(gNamed[t_.integers[k].entity], a);
    }

    /// True when the type ref is an aggregate, directly or through defined types.
    bool isAggregateRef(int ref) const {
        for (int guard = 0; guard < 64; ++guard) {
            const TypeRefRow& r = t_.typeRefs[ref];
            if (r.kind == TypeRefRow::aggregate) return true;
            if (r.kind != TypeRefRow::named || t_.named[r.ref].kind != NamedRow::defined) return false;
            ref = t_.named[r.ref].extra;
        }
        return false;
    }

    /// The innermost element type of an aggregate type ref as declared (a defined type such as length_measure,
    /// where the aggregate domain holds its primitive); null when the type ref is not an aggregate.
    NuskDomain* declaredElementOf(int ref) {
        if (!isAggregateRef(ref)) return nullptr;
        for (int guard = 0; guard < 64; ++guard) {
            const TypeRefRow& r = t_.typeRefs[ref];
            if (r.kind == TypeRefRow::aggregate) {
                ref = r.ref;
            } else if (r.kind == TypeRefRow::named && t_.named[r.ref].kind == NamedRow::defined && isAggregateRef(ref)) {
                ref = t_.named[r.ref].extra;
            } else {
                return typeOf(ref);
            }
        }
        return nullptr;
    }

    /// The attribute `name` that the entity of named index `owner` declares itself, or null.
    NuskAttribute* ownAttribute(int owner, const char* name) const {
        const NamedRow& n = t_.named[owner];
        if (n.kind != NamedRow::entity) return nullptr;
        const EntityRow& e = t_.entities[n.extra];
        for (int k = e.attributeFirst; k < e.attributeFirst + e.attributeCount; ++k)
            if (std::strcmp(t_.attributes[k].name, name) == 0) return gAttributes[static_cast<size_t>(k)];
        return nullptr;
    }

    NuskSupertypeExpr decode(int& at) {
        NuskSupertypeExpr x;
        int op = t_.constraintCode[at++];
        if (op == 0) {
            x.entity = gNamed[t_.constraintCode[at++]];
            return x;
        }
        x.op = op == 1 ? NuskSupertypeExpr::Op::oneof : op == 2 ? NuskSupertypeExpr::Op::and_ : NuskSupertypeExpr::Op::andor;
        int count = t_.constraintCode[at++];
        for (int i = 0; i < count; ++i) x.operands.push_back(decode(at));
        return x;
    }

    void addConstraints() {
        for (int i = 0; i < t_.entityCount; ++i) {
            int at = t_.entities[i].constraint;
            if (at >= 0) schema_->setSupertypeConstraint(gNamed[t_.entities[i].named], decode(at));
        }
    }

    void addDefaults() {
        for (int i = 0; i < t_.defaultCount; ++i)
            schema_->setAttributeDefault(gAttributes[static_cast<size_t>(t_.defaults[i].attribute)], t_.defaults[i].value);
    }

    const Tables& t_;
    NuskSchema* schema_;
};

class SchemaRegistrar : public Registrar {
public:
    explicit SchemaRegistrar(NuskSchema* s) : s_(s) {}
    void entity(int index, NuskDomain::Factory f) override {
        own_[0] = gNamed[index];  // one list for every entity's class, not one made per class
        s_->registerClass(gNamed[index], f, own_);
    }
    void select(int index, NuskDomain::Factory f) override { s_->registerClass(gNamed[index], f, {}); }
    void complex(std::initializer_list<int> leaves, NuskDomain::Factory f) override {
        std::vector<NuskDomain*> types;
        for (int i : leaves) types.push_back(gNamed[i]);
        if (!s_->registerComplexClass(types, f))
            NUSK.error("%s: a generated complex class combines types the schema does not allow", s_->name());
    }
    void aggregate(const char* name, NuskDomain::Factory f) override {
        if (NuskDomain* d = s_->findDomain(name)) s_->registerClass(d, f, {});
    }

private:
    NuskSchema* s_;
    std::vector<NuskDomain*> own_ = std::vector<NuskDomain*>(1);
};

NuskSchema* build() {
    NuskSchema* schema = Loader(ap242Tables()).load();
    SchemaRegistrar registrar(schema);
    registerGeneratedClasses(registrar);
    detail::attributes.store(gAttributes.data(), std::memory_order_release);
    detail::named.store(gNamed.data(), std::memory_order_release);
    return schema;
}

}  // namespace

namespace detail {
NuskAttribute* attributeAfterLoad(int row) {
    nusk_ap242_schema();
    return gAttributes.at(static_cast<size_t>(row));
}
NuskDomain* namedAfterLoad(int index) {
    nusk_ap242_schema();
    return gNamed.at(static_cast<size_t>(index));
}
}  // namespace detail

}  // namespace nusk_ap242

namespace {
// Linking the library is enough for AP242 to be the default schema: it is built when first needed.
[[maybe_unused]] const bool kProvidesDefault = (NuskSchema::setDefaultSchemaProvider(&nusk_ap242_schema), true);
}  // namespace

NuskSchema* nusk_ap242_schema() {
    static NuskSchema* schema = nusk_ap242::build();
    return schema;
}
