#include "resolve.h"

#include <algorithm>
#include <functional>
#include <set>

namespace expressc {

const Named* Resolved::find(const std::string& name) const {
    auto it = byName.find(name);
    return it == byName.end() ? nullptr : &named[static_cast<size_t>(it->second)];
}

Entity* Resolved::entity(const std::string& name) {
    const Named* n = find(name);
    return n && n->kind == Named::Kind::entity ? n->entity : nullptr;
}

namespace {

std::string at(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

bool checkType(const Resolved& r, const TypeSpec& t, int line, std::string& error) {
    switch (t.kind) {
    case TypeSpec::Kind::named:
        if (!r.find(t.name)) {
            error = at(line, "unknown type " + t.name);
            return false;
        }
        return true;
    case TypeSpec::Kind::aggregate: return t.element && checkType(r, *t.element, line, error);
    case TypeSpec::Kind::select:
        for (const std::string& item : t.items)
            if (!r.find(item)) {
                error = at(line, "unknown select alternative " + item);
                return false;
            }
        return true;
    default: return true;
    }
}

bool indexNames(const Schema& schema, Resolved& r, std::string& error) {
    auto add = [&](Named n, int line) {
        if (r.byName.count(n.name)) {
            error = at(line, "second declaration of " + n.name);
            return false;
        }
        n.index = static_cast<int>(r.named.size());
        r.byName[n.name] = n.index;
        r.named.push_back(n);
        return true;
    };
    for (const TypeDecl& t : schema.types) {
        Named n;
        n.name = t.name;
        n.type = &t;
        n.kind = t.type.kind == TypeSpec::Kind::select        ? Named::Kind::select
                 : t.type.kind == TypeSpec::Kind::enumeration ? Named::Kind::enumeration
                                                             : Named::Kind::defined;
        if (!add(n, t.line)) return false;
    }
    r.entities.resize(schema.entities.size());
    for (size_t i = 0; i < schema.entities.size(); ++i) {
        Entity& e = r.entities[i];
        e.decl = &schema.entities[i];
        e.name = e.decl->name;
        e.index = static_cast<int>(i);
        Named n;
        n.kind = Named::Kind::entity;
        n.name = e.name;
        n.entity = &e;
        if (!add(n, e.decl->line)) return false;
    }
    return true;
}

bool linkSupertypes(Resolved& r, std::string& error) {
    for (Entity& e : r.entities)
        for (const std::string& s : e.decl->supertypes) {
            Entity* super = r.entity(s);
            if (!super) {
                error = at(e.decl->line, "unknown supertype " + s + " of " + e.name);
                return false;
            }
            e.supertypes.push_back(super);
        }
    // Closures in Part 21 order; a supertype cycle is an error.
    for (Entity& e : r.entities) {
        std::set<Entity*> onPath;
        bool cycle = false;
        std::function<void(Entity*)> visit = [&](Entity* x) {
            if (cycle || std::find(e.closure.begin(), e.closure.end(), x) != e.closure.end()) return;
            if (!onPath.insert(x).second) {
                cycle = true;
                return;
            }
            for (Entity* s : x->supertypes) visit(s);
            onPath.erase(x);
            e.closure.push_back(x);
        };
        visit(&e);
        if (cycle) {
            error = at(e.decl->line, "supertypes of " + e.name + " form a cycle");
            return false;
        }
    }
    return true;
}

bool hasExplicit(const Entity* e, const std::string& attribute) {
    for (const Attribute& a : e->decl->attributes)
        if (a.redeclares.empty() && a.name == attribute) return true;
    return false;
}

/// The entity that declares `attribute` among `owner` and its supertypes.
Entity* declarer(Entity* owner, const std::string& attribute) {
    for (auto it = owner->closure.rbegin(); it != owner->closure.rend(); ++it)
        if (hasExplicit(*it, attribute)) return *it;
    return nullptr;
}

/// True when `redeclared` makes an attribute that `owner` stores as a real (REAL or NUMBER: int_literal's
/// the_value) an integer. Instances keep the value where the owner's attribute keeps it, as a real; the writer
/// needs to know, so that an integer is written as one.
bool narrowsRealToInteger(const Resolved& r, const Entity& owner, const Attribute& redeclared) {
    for (const Attribute& a : owner.decl->attributes)
        if (a.redeclares.empty() && a.name == redeclared.name)
            return valueKindOf(r, a.type).kind == ValueKind::Kind::real &&
                   valueKindOf(r, redeclared.type).kind == ValueKind::Kind::integer;
    return false;
}

bool collectAttributes(Resolved& r, std::string& error) {
    for (Entity& e : r.entities) {
        for (const Attribute& a : e.decl->attributes) {
            if (!checkType(r, a.type, a.line, error)) return false;
            if (a.redeclares.empty()) {
                e.own.push_back(&a);
                continue;
            }
            Entity* named = r.entity(a.redeclares);
            Entity* owner = named ? declarer(named, a.name) : nullptr;
            if (!owner) {
                error = at(a.line, "redeclared attribute " + a.redeclares + "." + a.name + " does not exist");
                return false;
            }
            if (narrowsRealToInteger(r, *owner, a)) e.integerRedecl.emplace_back(owner, a.name);
        }
        for (const Derived& d : e.decl->derived) {
            if (d.redeclares.empty()) continue;
            Entity* named = r.entity(d.redeclares);
            Entity* owner = named ? declarer(named, d.name) : nullptr;
            if (!owner) {
                error = at(d.line, "derived redeclaration of " + d.redeclares + "." + d.name + " names no attribute");
                return false;
            }
            e.derivedRedecl.emplace_back(owner, d.name);
        }
    }
    for (const Named& n : r.named)
        if (n.type && !checkType(r, n.type->type, n.type->line, error)) return false;
    return true;
}

}  // namespace

bool resolveSchema(const Schema& schema, Resolved& out, std::string& error) {
    out = Resolved();
    out.schema = &schema;
    return indexNames(schema, out, error) && linkSupertypes(out, error) && collectAttributes(out, error);
}

ValueKind valueKindOf(const Resolved& r, const TypeSpec& t) {
    using K = ValueKind::Kind;
    ValueKind v;
    switch (t.kind) {
    case TypeSpec::Kind::simple:
        switch (t.simple) {
        case TypeSpec::Simple::integer: v.kind = K::integer; break;
        case TypeSpec::Simple::real:
        case TypeSpec::Simple::number: v.kind = K::real; break;
        case TypeSpec::Simple::string: v.kind = K::string; break;
        case TypeSpec::Simple::binary: v.kind = K::binary; break;
        case TypeSpec::Simple::boolean: v.kind = K::boolean; break;
        case TypeSpec::Simple::logical: v.kind = K::logical; break;
        }
        return v;
    case TypeSpec::Kind::aggregate: v.kind = K::aggregate; return v;
    case TypeSpec::Kind::select: v.kind = K::select; return v;
    case TypeSpec::Kind::enumeration: v.kind = K::enumeration; return v;
    case TypeSpec::Kind::named: break;
    }
    const Named* n = r.find(t.name);
    for (int guard = 0; n && guard < 64; ++guard) {
        switch (n->kind) {
        case Named::Kind::entity: v.kind = K::entity; v.name = n->name; return v;
        case Named::Kind::select: v.kind = K::select; v.name = n->name; return v;
        case Named::Kind::enumeration: v.kind = K::enumeration; v.name = n->name; return v;
        case Named::Kind::defined:
            if (n->type->type.kind != TypeSpec::Kind::named) return valueKindOf(r, n->type->type);
            n = r.find(n->type->type.name);
        }
    }
    return v;
}

}  // namespace expressc
