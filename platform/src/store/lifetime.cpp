// Marks, reference counts, the trash, substitutes and the redirection of references.
#include "nusk/lifetime.h"

#include "design_impl.h"
#include "pointer_set.h"
#include "store_access.h"

#include "nusk/aggregate.h"
#include "nusk/design.h"
#include "nusk/object.h"
#include "nusk/select.h"
#include "nusk/structure.h"

#include <unordered_set>
#include <vector>

// ---- marks ----

namespace {
// The open passes of this thread, innermost last. Closed passes keep their tables for the next pass opened at
// the same depth.
struct MarkPasses {
    std::vector<PointerSet> sets;
    size_t open = 0;
    PointerSet* current() { return open ? &sets[open - 1] : nullptr; }
};

MarkPasses& markPasses() {
    static thread_local MarkPasses passes;
    return passes;
}
}  // namespace

void nusk_mark_begin() {
    MarkPasses& passes = markPasses();
    if (passes.open == passes.sets.size()) passes.sets.emplace_back();
    ++passes.open;
}

void nusk_mark_set(const NuskObject* obj, int) {
    PointerSet* pass = markPasses().current();
    if (obj && pass) pass->insert(obj);
}

int nusk_is_marked(const NuskObject* obj, int) {
    const PointerSet* pass = markPasses().current();
    return obj && pass && pass->contains(obj) ? 1 : 0;
}

void nusk_mark_end(int) {
    MarkPasses& passes = markPasses();
    if (!passes.open) return;
    passes.sets[passes.open - 1].clear();
    --passes.open;
}

// ---- reference counts ----

uint32_t nusk_refcount(const NuskObject* obj) {
    if (!obj) return 0;
    if (auto* d = dynamic_cast<const NuskDesign*>(obj)) return d->countsReferences() ? 1 : 0;
    return obj->refcount();
}

uint32_t nusk_refcount_inc(NuskObject* obj) { return obj ? NuskStore::addReferences(obj, 1) : 0; }
uint32_t nusk_refcount_dec(NuskObject* obj) { return obj ? NuskStore::addReferences(obj, -1) : 0; }

uint32_t NuskStore::addReferences(NuskObject* obj, int delta) {
    constexpr uint32_t kMax = (1u << 24) - 1;
    uint32_t count = obj->bits_ >> NuskObject::kRefShift;
    if (count != kMax) {
        if (delta > 0)
            count = count + static_cast<uint32_t>(delta) > kMax ? kMax : count + static_cast<uint32_t>(delta);
        else
            count = count < static_cast<uint32_t>(-delta) ? 0 : count - static_cast<uint32_t>(-delta);
        obj->bits_ = (obj->bits_ & ((1u << NuskObject::kRefShift) - 1)) | (count << NuskObject::kRefShift);
    }
    return count;
}

// ---- trash and substitutes ----

int nusk_move_to_trash(NuskObject* obj) {
    if (!obj || !obj->design() || obj->design() == nusk_trash()) return 0;
    return obj->move(nusk_trash(), -1, 0);
}

namespace {

class SubstituteManager : public NuskManager {
public:
    explicit SubstituteManager(NuskObject* replacement) : replacement_(replacement) {}
    unsigned manager_type() override { return NUSK_SUBSTITUTE_MANAGER_TYPE; }
    NuskObject* replacement_;
};

}  // namespace

void nusk_register_substitute(NuskObject* old, NuskObject* replacement) {
    if (!old) return;
    old->remove_manager(NUSK_SUBSTITUTE_MANAGER_TYPE);
    if (replacement && replacement != old) old->add_manager(new SubstituteManager(replacement));
}

NuskObject* nusk_expand_substitutes(NuskObject* obj) {
    // Chains are followed to their end; a chain that loops ends where it would revisit an object.
    std::unordered_set<const NuskObject*> seen;
    while (obj && obj->hasSubstitute()) {
        auto* m = static_cast<SubstituteManager*>(obj->find_manager(NUSK_SUBSTITUTE_MANAGER_TYPE));
        if (!m || !m->replacement_ || !seen.insert(obj).second) break;
        obj = m->replacement_;
    }
    return obj;
}

namespace {

bool redirect(NuskObject*& ref, uint32_t& changed) {
    if (!ref || !ref->hasSubstitute()) return false;
    NuskObject* to = nusk_expand_substitutes(ref);
    if (to == ref) return false;
    NuskStore::addReferences(ref, -1);
    NuskStore::addReferences(to, 1);
    ref = to;
    ++changed;
    return true;
}

/// A kept record repeats references the instance already counts: they follow, without counting again.
void follow(NuskObject*& ref) {
    if (ref && ref->hasSubstitute()) ref = nusk_expand_substitutes(ref);
}

}  // namespace

uint32_t NuskStore::redirectReferences(NuskObject* obj) {
    uint32_t changed = 0;
    const NuskDomain* d = obj->domain();
    if (NuskSlot* slots = obj->entitySlots()) {
        const auto& atts = d->slotAttributes();
        for (size_t i = 0; i < atts.size(); ++i)
            if (atts[i]->valueDomain() && atts[i]->valueDomain()->primitive() == NuskPrimitive::object)
                redirect(slots[i].o, changed);
    } else if (d->typeIsAggregate()) {
        auto* a = static_cast<NuskAggregate*>(obj);
        if (a->holdsObjects())
            for (unsigned i = 0; i < a->size(); ++i) redirect(a->slots()[i].o, changed);
    } else if (d->typeIsSelect()) {
        auto* u = static_cast<NuskUnion*>(obj);
        if (u->holdsObject()) redirect(u->value_.o, changed);
    } else if (auto* raw = dynamic_cast<NuskRawRecord*>(obj)) {
        for (NuskObject*& r : raw->references()) redirect(r, changed);
    }
    if (obj->hasOriginalRecord()) {
        auto it = obj->design()->impl().originals_.find(obj);
        if (it != obj->design()->impl().originals_.end())
            for (NuskObject*& r : it->second.refs) follow(r);
    }
    return changed;
}

namespace {

/// The object an element of an aggregate stands for: what a select holds, or the element itself.
NuskObject* memberValue(NuskObject* element) {
    if (element && element->domain()->typeIsSelect()) return nusk_get_nested_object(static_cast<NuskUnion*>(element));
    return element;
}

bool isSetOfObjects(const NuskObject* obj) {
    const NuskDomain* d = obj->domain();
    return d->typeIsAggregate() && d->aggregateKind() == NuskAggregateKind::set &&
           static_cast<const NuskAggregate*>(obj)->holdsObjects();
}

/// A set two of whose members a redirection made the same keeps the first: a SET holds no value twice, and one
/// written with a repeated member is invalid. The reference the dropped member held is given back.
void dropRepeatedMembers(NuskAggregate* set) {
    std::unordered_set<const NuskObject*> seen;
    for (unsigned i = 0; i < set->size();) {
        NuskObject* element = set->getObject(i);
        NuskObject* value = memberValue(element);
        if (!value || seen.insert(value).second) {
            ++i;
            continue;
        }
        set->removeAt(i);
        NuskStore::addReferences(value, -1);
        if (element != value) static_cast<NuskUnion*>(element)->clear();
    }
}

/// Whether a redirection may have repeated a member of the set: it changed the set itself or a select in it.
bool mayRepeat(NuskAggregate* set, const std::unordered_set<const NuskObject*>& changed) {
    if (changed.count(set)) return true;
    for (unsigned i = 0; i < set->size(); ++i)
        if (changed.count(set->getObject(i))) return true;
    return false;
}

}  // namespace

uint32_t nusk_update_object_references(NuskDesign* design) {
    if (!design) return 0;
    uint32_t changed = 0;
    std::unordered_set<const NuskObject*> changedObjects;  // aggregates and selects only: members of sets
    NuskDesignImpl& impl = design->impl();
    for (uint32_t di : impl.domainOrder_)
        for (NuskObject* obj : impl.listOf(di)->objects) {
            if (!obj) continue;
            const uint32_t here = NuskStore::redirectReferences(obj);
            changed += here;
            if (here && (obj->domain()->typeIsAggregate() || obj->domain()->typeIsSelect())) changedObjects.insert(obj);
        }
    if (!changed) return 0;
    impl.referencesChanged();
    for (uint32_t di : impl.domainOrder_)
        for (NuskObject* obj : impl.listOf(di)->objects)
            if (obj && isSetOfObjects(obj) && mayRepeat(static_cast<NuskAggregate*>(obj), changedObjects))
                dropRepeatedMembers(static_cast<NuskAggregate*>(obj));
    return changed;
}
