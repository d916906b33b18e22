// Writing the value qualifiers of a qualified item: named standard uncertainties (the limits among them) and
// the precision. A value meaning "none" (the null real, the null integer) removes the qualifier.
//
// Files share qualifiers between items (one precision for many dimensions). A change made through one item must
// not reach the others: a qualifier that anything else refers to is copied for this item before it takes a new
// value, and taken out of this item's set without being deleted.
#include "mivo_measures.h"
#include "attributes.h"

#include "nusk/ap242/all.h"

#include <cstring>

using namespace mivo_measure;

namespace {

/// The item's qualifier set, made (empty) when it has none yet.
NuskAggregate* makeQualifierSet(stp_qualified_representation_item* item) {
    auto* set = new (static_cast<NuskObject*>(item)->design()) SetOfstp_value_qualifier();
    if (!set) return nullptr;
    item->modified();
    static_cast<NuskObject*>(item)->putObject(set, measureAttributes().qualifiers);
    return set;
}

/// The index of the first element whose qualifier passes `match`; -1 when none does.
template <class Match>
int findQualifier(NuskAggregate* set, Match match) {
    if (!set) return -1;
    for (unsigned i = 0; i < set->size(); ++i) {
        NuskObject* q = nusk_get_nested_object(dynamic_cast<NuskUnion*>(set->getObject(i)));
        if (q && match(q)) return static_cast<int>(i);
    }
    return -1;
}

NuskObject* qualifierAt(NuskAggregate* set, int i) {
    return nusk_get_nested_object(dynamic_cast<NuskUnion*>(set->getObject(static_cast<unsigned>(i))));
}

/// True when an entity other than `owner` (any entity, for a null owner) refers to the qualifier, directly or
/// through a select or set. A select that two sets share shows as two referring items.
bool referredToBesides(NuskObject* q, NuskObject* owner) {
    NuskDesign* design = q->design();
    if (!design || design == nusk_trash()) return false;
    // Collected outside the design: an aggregate of the design would change the references its index is built
    // from on every call.
    NuskDesign scratch("referrers", design->schemaOf());
    auto* referrers = new (&scratch) SetOfNuskObject();
    if (!referrers) return true;  // unknown: treat as shared, which never changes or deletes what others use
    q->usedin(nullptr, nullptr, referrers);
    for (unsigned i = 0; i < referrers->size(); ++i)
        if (referrers->getObject(i) != owner) return true;
    return false;
}

/// Takes element i out of the set. Its qualifier goes to the trash unless another entity still refers to it;
/// then the select that held it is left as it is too, since another set may hold that same select.
void removeQualifier(stp_qualified_representation_item* item, NuskAggregate* set, int i) {
    auto* select = dynamic_cast<NuskUnion*>(set->getObject(static_cast<unsigned>(i)));
    NuskObject* q = nusk_get_nested_object(select);
    item->modified();
    set->removeAt(static_cast<unsigned>(i));
    if (q && referredToBesides(q, nullptr)) return;
    if (select) select->clear();
    if (q) nusk_move_to_trash(q);
}

/// Adds a new qualifier to the set through a new value qualifier select.
template <class Put>
void addQualifier(NuskAggregate* set, NuskDesign* design, Put put) {
    auto* select = new (design) stp_value_qualifier();
    if (!select) return;
    put(select);
    set->_addIfAbsent(select, nusktype_stp_value_qualifier);
}

/// Copies the plain values (and entity references) of every attribute. Qualifiers hold nothing else.
void copyAttributes(NuskObject* from, NuskObject* to) {
    for (const NuskAttribute* att : from->domain()->slotAttributes()) {
        switch (att->slotNodeType()) {
        case nusk_node_integer:
        case nusk_node_boolean:
        case nusk_node_logical:
        case nusk_node_enumeration: to->putInteger64(from->getInteger64(att), att); break;
        case nusk_node_real: to->putDouble(from->getDouble(att), att); break;
        case nusk_node_string: nusk_update_prim(to, att, from->getString(att)); break;
        case nusk_node_entity: to->putObject(from->getObject(att), att); break;
        default: break;
        }
    }
}

/// The qualifier at element i, ready to take a new value for this item alone: itself when nothing else refers
/// to it, otherwise a copy of it (same type, same values) that takes its place in this item's set, in a select
/// of its own. Null when the copy cannot be made; then nothing has changed.
NuskObject* ownQualifier(stp_qualified_representation_item* item, NuskAggregate* set, int i) {
    NuskObject* q = qualifierAt(set, i);
    if (!referredToBesides(q, item)) return q;
    NuskDesign* design = static_cast<NuskObject*>(item)->design();
    NuskObject* copy = design->pnewInstance(q->domain());
    auto* select = copy ? new (design) stp_value_qualifier() : nullptr;
    if (!select || !nusk_put_nested_object(select, copy)) {
        if (copy) nusk_move_to_trash(copy);
        return nullptr;
    }
    copyAttributes(q, copy);
    item->modified();
    set->putObjectAt(select, static_cast<unsigned>(i));
    return copy;
}

}  // namespace

stp_standard_uncertainty* mivo_put_measure_std_uncertainty(stp_qualified_representation_item* item, const char* name,
                                                           double value) {
    if (!item || !name) return nullptr;
    const MeasureAttributes& a = measureAttributes();
    NuskAggregate* set = qualifierSet(item);
    const int at = findQualifier(set, [&](NuskObject* q) {
        const char* n = q->isa(nusktype_stp_standard_uncertainty) ? q->getString(a.uncertaintyName) : nullptr;
        return n && std::strcmp(n, name) == 0;
    });
    if (at >= 0) {
        if (value == NUSK_NULL_REAL) {
            removeQualifier(item, set, at);
            return nullptr;
        }
        NuskObject* q = qualifierAt(set, at);
        if (q->getDouble(a.uncertaintyValue) == value) return nusk_cast<stp_standard_uncertainty>(q);
        if (!(q = ownQualifier(item, set, at))) return nullptr;
        q->modified();
        q->putDouble(value, a.uncertaintyValue);
        return nusk_cast<stp_standard_uncertainty>(q);
    }
    if (value == NUSK_NULL_REAL) return nullptr;  // nothing to remove, nothing made
    if (!set && !(set = makeQualifierSet(item))) return nullptr;
    NuskDesign* design = static_cast<NuskObject*>(item)->design();
    auto* u = new (design) stp_standard_uncertainty();
    if (!u) return nullptr;
    u->uncertainty_value(value);
    u->measure_name(name);
    u->description("");
    addQualifier(set, design, [&](stp_value_qualifier* s) { s->_uncertainty_qualifier(u); });
    return u;
}

stp_standard_uncertainty* mivo_put_measure_lower_limit_value(stp_qualified_representation_item* item, double value) {
    return mivo_put_measure_std_uncertainty(item, "lower limit", value);
}

stp_standard_uncertainty* mivo_put_measure_upper_limit_value(stp_qualified_representation_item* item, double value) {
    return mivo_put_measure_std_uncertainty(item, "upper limit", value);
}

stp_precision_qualifier* mivo_put_measure_precision_value(stp_qualified_representation_item* item, int precision) {
    if (!item) return nullptr;
    const NuskAttribute* precisionValue = measureAttributes().precisionValue;
    NuskAggregate* set = qualifierSet(item);
    const int at = findQualifier(set, [](NuskObject* q) { return q->isa(nusktype_stp_precision_qualifier); });
    if (at >= 0) {
        if (precision == NUSK_NULL_INTEGER) {
            removeQualifier(item, set, at);
            return nullptr;
        }
        NuskObject* q = qualifierAt(set, at);
        if (q->getInteger(precisionValue) == precision) return nusk_cast<stp_precision_qualifier>(q);
        if (!(q = ownQualifier(item, set, at))) return nullptr;
        q->modified();
        q->putInteger(precision, precisionValue);
        return nusk_cast<stp_precision_qualifier>(q);
    }
    if (precision == NUSK_NULL_INTEGER) return nullptr;
    if (!set && !(set = makeQualifierSet(item))) return nullptr;
    NuskDesign* design = static_cast<NuskObject*>(item)->design();
    auto* p = new (design) stp_precision_qualifier();
    if (!p) return nullptr;
    p->precision_value(precision);
    addQualifier(set, design, [&](stp_value_qualifier* s) { s->_precision_qualifier(p); });
    return p;
}
