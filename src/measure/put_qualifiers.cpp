// Writing the value qualifiers of a qualified item: named standard uncertainties (the limits among them) and
// the precision. A value meaning "none" (the null real, the null integer) removes the qualifier.
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

/// Takes element i out of the set. Its qualifier goes to the trash unless another entity still refers to it
/// (qualifiers can be shared between items in a file; trashing a shared one would leave the others dangling).
void removeQualifier(stp_qualified_representation_item* item, NuskAggregate* set, int i) {
    auto* select = dynamic_cast<NuskUnion*>(set->getObject(static_cast<unsigned>(i)));
    NuskObject* q = nusk_get_nested_object(select);
    item->modified();
    set->removeAt(static_cast<unsigned>(i));
    if (select) select->clear();
    if (!q) return;
    NuskDesign* design = q->design();
    auto* referrers = new (design) SetOfNuskObject();
    q->usedin(nullptr, nullptr, referrers);
    const bool shared = referrers && !referrers->empty();
    delete referrers;
    if (!shared) nusk_move_to_trash(q);
}

/// Adds a new qualifier to the set through a new value qualifier select.
template <class Put>
void addQualifier(NuskAggregate* set, NuskDesign* design, Put put) {
    auto* select = new (design) stp_value_qualifier();
    if (!select) return;
    put(select);
    set->_addIfAbsent(select, nusktype_stp_value_qualifier);
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
    NuskAggregate* set = qualifierSet(item);
    const int at = findQualifier(set, [](NuskObject* q) { return q->isa(nusktype_stp_precision_qualifier); });
    if (at >= 0) {
        if (precision == NUSK_NULL_INTEGER) {
            removeQualifier(item, set, at);
            return nullptr;
        }
        NuskObject* q = qualifierAt(set, at);
        q->modified();
        q->putInteger(precision, measureAttributes().precisionValue);
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
