// The walk below the items of a representation, shared by the nested item list and the unit translation.
//
// The walk is depth first in attribute order, with an explicit stack so that a chain of any depth is walked
// without recursion. Children are pushed in reverse and an object is taken as visited when it comes off the
// stack, not when it is pushed: an object reachable twice is walked where a recursive walk would first reach
// it, so the order is exactly the recursive one (the stack may hold an object more than once; the later copies
// find it visited).
#pragma once

#include "nusk/ap242/all.h"

#include <cstdint>
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

/// What has been walked, in the store's marks: every object, selects and aggregates too. The caller opens the
/// mark pass (MarkPass) and decides how long it lasts.
struct StoreMarks {
    static bool firstVisit(const NuskObject* obj) {
        if (nusk_is_marked(obj)) return false;
        nusk_mark_set(obj);
        return true;
    }
};

/// A set of objects by address, open addressing: no allocation per object, for sets of hundreds of thousands.
class ObjectSet {
public:
    /// True when `obj` (not null) was not in the set; it is then added.
    bool insert(const NuskObject* obj) {
        if (2 * (size_ + 1) > slots_.size()) grow();
        for (size_t i = hash(obj);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i] == obj) return false;
            if (!slots_[i]) {
                slots_[i] = obj;
                ++size_;
                return true;
            }
        }
    }

private:
    size_t hash(const NuskObject* obj) const {
        return (reinterpret_cast<uintptr_t>(obj) >> 4) * 0x9E3779B97F4A7C15ull >> shift_;
    }
    void grow() {
        std::vector<const NuskObject*> old(slots_.size() < 64 ? 128 : 2 * slots_.size(), nullptr);
        old.swap(slots_);
        shift_ = 64;
        for (size_t n = slots_.size(); n > 1; n >>= 1) --shift_;
        size_ = 0;
        for (const NuskObject* obj : old)
            if (obj) insert(obj);
    }
    std::vector<const NuskObject*> slots_;
    size_t size_ = 0;
    unsigned shift_ = 64;
};

/// What has been walked, for walks over much of a design: its entity instances by instance number in a table
/// of bits, entities of other designs in a set. Selects and aggregates are not recorded: they are values that
/// belong to one entity (in a file, always), so a shared one is at worst walked twice, never endlessly (see
/// NestedWalk::kValueNesting).
class VisitedEntities {
public:
    explicit VisitedEntities(const NuskDesign* design) : design_(design) {}
    bool firstVisit(const NuskObject* obj);

private:
    const NuskDesign* design_;
    std::vector<bool> byNumber_;
    ObjectSet others_;
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
    /// Selects and aggregates nested in one another deeper than this, with no entity between them, are not
    /// walked further: no schema nests values that deep, so it can only be a value that holds itself.
    static constexpr uint32_t kValueNesting = 32;

    explicit NestedWalk(WalkRules rules) : rules_(rules), trash_(nusk_trash()) {}

    /// Walks from each root in order; `visit(entity)` is called once for each entity instance reached (a
    /// representation that is not entered is not visited), before anything below it is walked. What `marks`
    /// has seen is skipped, and it records what is walked.
    template <class Marks, class Visit>
    void walk(const std::vector<NuskObject*>& roots, Marks& marks, Visit&& visit) {
        for (size_t i = roots.size(); i-- > 0;) stack_.push_back({roots[i], 0});
        while (!stack_.empty()) {
            const Pending top = stack_.back();
            stack_.pop_back();
            NuskObject* obj = nusk_expand_substitutes(top.obj);
            if (!obj || obj->design() == trash_ || !marks.firstVisit(obj)) continue;
            const NuskDomain* d = obj->domain();
            if (d->typeIsEntity()) {
                const Entity& e = entity(d);
                if (e.role == Role::notEntered) continue;
                visit(obj);
                for (size_t i = e.slots.size(); i-- > 0;)
                    if (NuskObject* child = obj->getObject(e.slots[i])) stack_.push_back({child, 0});
                continue;
            }
            if (top.valueNesting >= kValueNesting) continue;
            const uint32_t nesting = top.valueNesting + 1;
            if (d->typeIsSelect()) {
                if (NuskObject* held = static_cast<NuskUnion*>(obj)->object()) stack_.push_back({held, nesting});
            } else if (d->typeIsAggregate()) {
                const auto* a = static_cast<const NuskAggregate*>(obj);
                if (!a->holdsObjects()) continue;
                for (unsigned i = a->size(); i-- > 0;)
                    if (NuskObject* element = a->getObject(i)) stack_.push_back({element, nesting});
            }
        }
    }

private:
    enum class Role {
        walked,      // the object-valued attributes listed are walked
        notEntered,  // not visited (a representation that the rules keep out)
    };
    struct Entity {
        Role role = Role::walked;
        std::vector<int> slots;  // slots walked, in attribute order
    };
    struct Pending {
        NuskObject* obj;
        uint32_t valueNesting;  // selects and aggregates above it since the last entity
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

    WalkRules rules_;
    NuskDesign* trash_;
    std::vector<Pending> stack_;
    std::unordered_map<const NuskDomain*, Entity> entities_;
    const NuskDomain* lastDomain_ = nullptr;
    const Entity* lastEntity_ = nullptr;
};

}  // namespace mivo_geometry
