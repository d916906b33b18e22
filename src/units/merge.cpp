// Merging duplicate unit entities: one survivor per code.
#include "mivo_units.h"
#include "unit_attributes.h"

#include "nusk/ap242/all.h"

#include <unordered_map>
#include <unordered_set>

using namespace mivo_units;

namespace {

/// The units that stay: what a removed duplicate refers to is never trashed when it is one of them. (A hostile
/// file can make a duplicate's dimensions or conversion factor the very unit it merges into, whose references
/// from the duplicate's users are only moved to it afterwards.)
using Survivors = std::unordered_set<const NuskObject*>;

/// Moves an object to the trash when no reference to it is left.
void release(NuskObject* obj, const Survivors& survivors) {
    if (obj && !survivors.count(obj) && nusk_refcount_dec(obj) == 0) nusk_move_to_trash(obj);
}

void releaseDimensions(NuskObject* unit, const Survivors& survivors) {
    release(unit->getObject(unitAttributes().namedDimensions), survivors);
}

void releaseConversionBased(NuskObject* unit, const Survivors& survivors) {
    const UnitAttributes& a = unitAttributes();
    NuskObject* measure = unit->getObject(a.cbFactor);
    if (measure && !survivors.count(measure) && nusk_refcount_dec(measure) == 0) {
        nusk_move_to_trash(measure);
        nusk_move_to_trash(measure->getObject(a.measureUnit));
        release(measure->getObject(a.measureValue), survivors);
    }
    releaseDimensions(unit, survivors);
}

void releaseDerived(NuskObject* unit, const Survivors&) {
    const UnitAttributes& a = unitAttributes();
    if (const MivoMgrUnit* m = MivoMgrUnit::find(unit)) {
        if (NuskObject* name = m->name_attribute) {
            // The name attribute, and its named_item select (which holds the duplicate itself).
            nusk_move_to_trash(name);
            nusk_move_to_trash(name->getObject(a.nameItem));
        }
    }
    auto* elements = dynamic_cast<NuskAggregate*>(unit->getObject(a.derivedElements));
    if (!elements || elements->empty()) return;
    nusk_move_to_trash(elements);
    for (unsigned i = 0; i < elements->size(); ++i) nusk_move_to_trash(elements->getObject(i));
}

}  // namespace

unsigned mivo_merge_units(NuskDesign* design) {
    if (!design) return 0;
    // One survivor per code. Any code a manager can hold has its place, so no code can fall outside the table.
    std::unordered_map<int, NuskObject*> survivors;
    Survivors kept;
    unsigned replaced = 0;
    const struct {
        NuskTypePtr* type;
        void (*release)(NuskObject*, const Survivors&);
    } scans[] = {{&nusktype_stp_si_unit, releaseDimensions},
                 {&nusktype_stp_conversion_based_unit, releaseConversionBased},
                 {&nusktype_stp_context_dependent_unit, releaseDimensions},
                 {&nusktype_stp_ratio_unit, releaseDimensions},
                 {&nusktype_stp_derived_unit, releaseDerived}};
    NuskCursor cursor;
    cursor.traverse(design);
    for (const auto& scan : scans) {
        cursor.domain(scan.type->domain());
        while (NuskObject* unit = cursor.next()) {
            const MivoMgrUnit* m = MivoMgrUnit::find(unit);
            if (!m || m->unit <= nuskunit_unknown) continue;
            NuskObject*& survivor = survivors[m->unit];
            if (!survivor || survivor == unit) {
                survivor = unit;
                kept.insert(unit);
                continue;
            }
            ++replaced;
            nusk_register_substitute(unit, survivor);
            nusk_move_to_trash(unit);
            scan.release(unit, kept);
        }
    }
    return replaced;
}
