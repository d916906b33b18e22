// The walk below the items of a representation, shared by the nested item list and the unit translation.
//
// The walk is depth first in attribute order, with an explicit stack so that a chain of any depth is walked
// without recursion. Children are pushed in reverse and an object is marked when it is taken off the stack, not
// when it is pushed: an object reachable twice is walked where a recursive walk would first reach it, so the
// order is exactly the recursive one (the stack may hold an object more than once; the later copies find it
// marked). Marks are the store's: the caller opens the mark pass (MarkPass) and decides how long it lasts.
#pragma once

#include "nusk/ap242/all.h"

#include <unordered_map>
#include <vector>

namespace mivo_geometry {

/// A mark pass of the store for the lifetime of a scope.
class MarkPass {
public:
    MarkPass() { nusk_mark_begin(); }
    ~MarkPass() { nusk_mark_end(); }
    MarkPass(const MarkPass&) = delete;
    MarkPass& operator=(const MarkPass&) = delete;
};

/// What the walk enters besides representation items and the objects between them.
struct WalkRules {
    /// A representation reached through an attribute (the definitional representation of a pcurve) is walked
    /// like any other entity. When false it is not entered: its items are in its own context.
    bool enterRepresentations = true;
    /// An annotation occurrence (a styled item whose target is the annotation's own geometry, such as the
    /// tessellated curves of a dimension) is walked like any other entity, but for its styles. Other styled
    /// items are never entered: they style geometry that belongs elsewhere.
    bool enterAnnotations = false;
};

class NestedWalk {
public:
    explicit NestedWalk(WalkRules rules) : rules_(rules), trash_(nusk_trash()) {}

    /// Walks from each root in order; `visit(entity)` is called once for each entity instance reached (a
    /// representation that is not entered is not visited), before anything below it is walked. Objects marked
    /// in the open mark pass are skipped, and every object walked is marked.
    template <class Visit>
    void walk(const std::vector<NuskObject*>& roots, Visit&& visit) {
        for (size_t i = roots.size(); i-- > 0;) stack_.push_back(roots[i]);
        while (!stack_.empty()) {
            NuskObject* obj = nusk_expand_substitutes(stack_.back());
            stack_.pop_back();
            if (!obj || nusk_is_marked(obj) || obj->design() == trash_) continue;
            nusk_mark_set(obj);
            const NuskDomain* d = obj->domain();
            if (d->typeIsEntity()) {
                const Entity& e = entity(d);
                if (e.role == Role::notEntered) continue;
                visit(obj);
                pushEntity(obj, e);
            } else if (d->typeIsSelect()) {
                if (NuskObject* held = static_cast<NuskUnion*>(obj)->object()) stack_.push_back(held);
            } else if (d->typeIsAggregate()) {
                const auto* a = static_cast<const NuskAggregate*>(obj);
                if (!a->holdsObjects()) continue;
                for (unsigned i = a->size(); i-- > 0;)
                    if (NuskObject* element = a->getObject(i)) stack_.push_back(element);
            }
        }
    }

private:
    enum class Role {
        walked,      // every object-valued attribute is walked
        mapped,      // a mapped item: only its mapping target
        leaf,        // visited, nothing below it walked (styled items, representation maps)
        notEntered,  // not visited (a representation that the rules keep out)
    };
    struct Entity {
        Role role = Role::walked;
        std::vector<int> slots;  // slots walked, in attribute order
    };

    const Entity& entity(const NuskDomain* d) {
        if (d == lastDomain_) return *lastEntity_;
        auto found = entities_.find(d);
        if (found == entities_.end()) found = entities_.emplace(d, describe(d)).first;
        lastDomain_ = d;
        lastEntity_ = &found->second;
        return found->second;
    }

    Entity describe(const NuskDomain* d) const;
    /// The slots of `d` that may hold objects to walk, in attribute order, but for `except`.
    static std::vector<int> objectSlots(const NuskDomain* d, const NuskAttribute* except);

    void pushEntity(NuskObject* obj, const Entity& e) {
        for (size_t i = e.slots.size(); i-- > 0;)
            if (NuskObject* child = obj->getObject(e.slots[i])) stack_.push_back(child);
    }

    WalkRules rules_;
    NuskDesign* trash_;
    std::vector<NuskObject*> stack_;
    std::unordered_map<const NuskDomain*, Entity> entities_;
    const NuskDomain* lastDomain_ = nullptr;
    const Entity* lastEntity_ = nullptr;
};

}  // namespace mivo_geometry
