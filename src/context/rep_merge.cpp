// Merging duplicate representation contexts: same type, dimension, units, parameter unit and uncertainties
// (within a relative 0.01), found among neighbours after sorting.
#include "mivo_contexts.h"

#include "compare.h"

#include "nusk/ap242/all.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

using namespace mivo_contexts;

namespace {

constexpr double kMergeTolerance = 0.01;

/// What a context is sorted and compared by, read once. A context has each attribute that any type it
/// combines declares; two contexts of one type have the same attributes.
struct Context {
    NuskObject* obj = nullptr;
    bool plain = false;  // exactly representation_context, no subtype
    const char* contextType = nullptr;
    const char* identifier = nullptr;
    bool hasDimension = false;
    int64_t dimension = 0;
    bool hasUnits = false;
    NuskObject* unitSet = nullptr;
    std::vector<UnitKey> units;
    bool hasParameterUnit = false;
    UnitKey parameterUnit;
    bool hasUncertainty = false;
    NuskObject* uncertaintySet = nullptr;
    std::vector<UncertaintyKey> uncertainties;
};

Context contextOf(NuskObject* obj) {
    const NuskDomain* d = obj->domain();
    Context c;
    c.obj = obj;
    c.plain = d == nusktype_stp_representation_context.domain();
    c.contextType = obj->getString("context_type");
    c.identifier = obj->getString("context_identifier");
    if (NuskAttribute* att = d->findTypeAttribute("coordinate_space_dimension")) {
        c.hasDimension = true;
        c.dimension = obj->getInteger64(att);  // unset: the lowest value, below every dimension
    }
    if (NuskAttribute* att = d->findTypeAttribute("units")) {
        c.hasUnits = true;
        c.unitSet = obj->getObject(att);
        c.units = sortedUnitKeys(c.unitSet);
    }
    if (NuskAttribute* att = d->findTypeAttribute("parameter_unit")) {
        c.hasParameterUnit = true;
        c.parameterUnit = unitKey(dynamic_cast<stp_unit*>(obj->getObject(att)));
    }
    if (NuskAttribute* att = d->findTypeAttribute("uncertainty")) {
        c.hasUncertainty = true;
        c.uncertaintySet = obj->getObject(att);
        c.uncertainties = sortedUncertaintyKeys(c.uncertaintySet);
    }
    return c;
}

/// The context comparison with tolerance 0: type, then the context type of plain contexts, or the dimension,
/// units, parameter unit and uncertainties of the others.
int compareContents(const Context& a, const Context& b) {
    if (int c = typeOrder(a.obj->domain(), b.obj->domain())) return c;
    if (a.plain) return textOrder(a.contextType, b.contextType);
    if (a.hasDimension)
        if (int c = threeWay(a.dimension, b.dimension)) return c;
    if (a.hasUnits)
        if (int c = unitListOrder(a.units, b.units)) return c;
    if (a.hasParameterUnit)
        if (int c = unitOrder(a.parameterUnit, b.parameterUnit)) return c;
    return a.hasUncertainty ? uncertaintyListOrder(a.uncertainties, b.uncertainties) : 0;
}

/// The merge order: contents, then context type and identifier without case, then identity. Total.
bool sortsBefore(const Context& a, const Context& b) {
    if (int c = compareContents(a, b)) return c < 0;
    if (int c = textOrder(a.contextType, b.contextType)) return c < 0;
    if (int c = textOrder(a.identifier, b.identifier)) return c < 0;
    return identityOrder(a.obj, b.obj) < 0;
}

/// The context comparison with a tolerance for the uncertainties, relative to the survivor's.
bool sameContext(const Context& survivor, const Context& b, double tolerance) {
    if (survivor.obj->domain() != b.obj->domain()) return false;
    if (survivor.plain) return textOrder(survivor.contextType, b.contextType) == 0;
    if (survivor.hasDimension && survivor.dimension != b.dimension) return false;
    if (survivor.hasUnits && unitListOrder(survivor.units, b.units) != 0) return false;
    if (survivor.hasParameterUnit && unitOrder(survivor.parameterUnit, b.parameterUnit) != 0) return false;
    return !survivor.hasUncertainty || sameUncertainties(survivor.uncertainties, b.uncertainties, tolerance);
}

/// Moves to the trash each measure that no object of the design refers to any more.
void trashUnreferenced(NuskDesign* design, const std::vector<NuskObject*>& measures) {
    if (measures.empty()) return;
    // The referrers are collected outside the design: adding to an aggregate of the design would change its
    // references, and each question would rebuild its index of them.
    NuskDesign scratch("referrers", design->schemaOf());
    auto* users = new (&scratch) SetOfNuskObject();
    std::vector<NuskObject*> unreferenced;
    for (NuskObject* m : measures) {
        if (!m || m->design() != design) continue;
        users->emptyYourself();
        m->usedin(nullptr, nullptr, users);
        if (users->empty()) unreferenced.push_back(m);
    }
    for (NuskObject* m : unreferenced) nusk_move_to_trash(m);
}

/// Deletes the duplicates: each context, its unit set, its uncertainty set, and the uncertainty measures that
/// nothing else uses. A set that a remaining context holds too stays.
void deleteDuplicates(NuskDesign* design, const std::vector<const Context*>& duplicates,
                      const std::vector<const Context*>& kept) {
    std::unordered_set<NuskObject*> keptSets;
    for (const Context* c : kept) keptSets.insert({c->unitSet, c->uncertaintySet});
    std::vector<NuskObject*> measures;
    for (const Context* c : duplicates) {
        nusk_move_to_trash(c->obj);
        auto* uncertainties = dynamic_cast<NuskAggregate*>(c->uncertaintySet);
        if (uncertainties && !keptSets.count(uncertainties) && nusk_move_to_trash(uncertainties)) {
            for (unsigned i = 0; i < uncertainties->size(); ++i) {
                NuskObject* m = uncertainties->getObject(i);
                nusk_refcount_dec(m);  // the reference the deleted set made
                measures.push_back(m);
            }
        }
        if (c->unitSet && !keptSets.count(c->unitSet)) nusk_move_to_trash(c->unitSet);
    }
    trashUnreferenced(design, measures);
}

/// Brings back into a remaining context's design each of its uncertainty measures found in the trash.
void repair(const std::vector<const Context*>& kept) {
    for (const Context* c : kept) {
        auto* uncertainties = dynamic_cast<NuskAggregate*>(c->uncertaintySet);
        if (!uncertainties) continue;
        for (unsigned i = 0; i < uncertainties->size(); ++i) {
            NuskObject* m = uncertainties->getObject(i);
            if (m && m->design() == nusk_trash()) m->move(c->obj->design(), 0, 0);
        }
    }
}

}  // namespace

unsigned mivo_merge_rep_contexts(NuskDesign* design) {
    if (!design) return 0;
    std::vector<Context> contexts;
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(nusktype_stp_representation_context);
    while (NuskObject* obj = cursor.next()) contexts.push_back(contextOf(obj));
    if (contexts.size() < 2) return 0;
    std::sort(contexts.begin(), contexts.end(), sortsBefore);

    // Each context is compared with the survivor of its run only: equal contexts the sort separates stay apart.
    std::vector<const Context*> kept{&contexts.front()}, duplicates;
    for (size_t i = 1; i < contexts.size(); ++i) {
        if (!sameContext(*kept.back(), contexts[i], kMergeTolerance)) {
            kept.push_back(&contexts[i]);
            continue;
        }
        nusk_register_substitute(contexts[i].obj, kept.back()->obj);
        duplicates.push_back(&contexts[i]);
    }
    deleteDuplicates(design, duplicates, kept);
    repair(kept);
    return static_cast<unsigned>(duplicates.size());
}
