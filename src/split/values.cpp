// Helpers shared by the splitting operations.
#include "values.h"

#include "nusk/cursor.h"
#include "nusk/select.h"

#include <cstdio>

namespace mivo_split_detail {

NuskObject* seeThrough(NuskObject* obj) {
    return isSelect(obj) ? nusk_get_nested_object(static_cast<NuskUnion*>(obj), nullptr) : obj;
}

MivoMgrSplitStatus* statusFor(NuskObject* obj) {
    if (MivoMgrSplitStatus* s = MivoMgrSplitStatus::find(obj)) return s;
    auto* s = new MivoMgrSplitStatus();
    obj->add_manager(s);
    return s;
}

bool elementsAreObjects(const NuskAggregate* aggregate) {
    if (!aggregate || !aggregate->holdsObjects()) return false;
    const ListOfNuskAttribute* atts = aggregate->attributes();
    return atts && holdsObjects(atts->first());
}

void printNoAttribute(const NuskDomain* domain, const char* name) {
    std::printf("ERROR: no attribute %s.%s\n", domain ? domain->name() : "", name ? name : "");
}

std::vector<NuskObject*> objectsOf(NuskDesign* design, NuskDomain* domain) {
    std::vector<NuskObject*> out;
    if (!design) return out;
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(domain);
    while (NuskObject* obj = cursor.next()) out.push_back(obj);
    return out;
}

}  // namespace mivo_split_detail
