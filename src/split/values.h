// What the splitting operations share: seeing through selects, telling which attributes and aggregates hold
// objects, the one diagnostic, and the instances of a domain in a design.
#pragma once

#include "mivo_managers.h"

#include "nusk/aggregate.h"
#include "nusk/design.h"
#include "nusk/domain.h"
#include "nusk/object.h"

#include <vector>

namespace mivo_split_detail {

inline bool isSelect(const NuskObject* obj) { return obj && obj->domain()->typeIsSelect(); }
inline bool isAggregate(const NuskObject* obj) { return obj && obj->domain()->typeIsAggregate(); }
inline bool isEntity(const NuskObject* obj) { return obj && obj->domain()->typeIsEntity(); }

/// The object a select holds (null when it holds none or a plain value); any other object itself.
NuskObject* seeThrough(NuskObject* obj);

/// The object's split status, made and attached when it has none.
MivoMgrSplitStatus* statusFor(NuskObject* obj);

/// True when the attribute's slot holds objects (entity instances, selects, aggregates).
inline bool holdsObjects(const NuskAttribute* att) { return att && att->slotNodeType() >= nusk_node_entity; }

/// True when the aggregate's elements are objects. Judged by the aggregate type's element attribute, and the
/// aggregate is asked too: reading a plain element as an object would read a number as an address.
bool elementsAreObjects(const NuskAggregate* aggregate);

/// True when the aggregate's elements stand each on its own (a SET or a BAG), so that leaving some out keeps the
/// meaning of the others. The order and length of a LIST or an ARRAY carry meaning (an occurrence path, the
/// datums of a datum system by precedence): a shorter one says something else.
inline bool membersStandAlone(const NuskObject* aggregate) {
    const NuskAggregateKind kind = aggregate->domain()->aggregateKind();
    return kind == NuskAggregateKind::set || kind == NuskAggregateKind::bag;
}

/// Puts in place of the aggregate that `att` of `obj` holds a temporary of the elements that pass the export
/// test; false when the attribute holds no aggregate of objects (nothing changes then).
bool trimAttribute(NuskObject* obj, const NuskAttribute* att);

/// Prints "ERROR: no attribute TYPE.NAME" to standard output.
void printNoAttribute(const NuskDomain* domain, const char* name);

/// The objects of domain (null: every object) in the design, collected before the caller changes anything, so
/// that objects the caller adds or moves do not change what is visited.
std::vector<NuskObject*> objectsOf(NuskDesign* design, NuskDomain* domain);

}  // namespace mivo_split_detail
