// The export test: whether an object, or what an attribute of it holds, is to be written.
#include "mivo_split.h"
#include "values.h"

#include "nusk/aggregate.h"

using namespace mivo_split_detail;

int mivo_split_is_export(NuskObject* obj) {
    obj = seeThrough(obj);
    if (!obj) return 0;
    const MivoMgrSplitStatus* s = MivoMgrSplitStatus::find(obj);
    if (MivoMgrSplitStatus::export_only_needed) return s && s->needed ? 1 : 0;
    return s && !s->needed && s->ignorable ? 0 : 1;  // needed wins over ignorable
}

namespace {

int aggregateHasExport(const NuskAggregate* aggregate) {
    if (!elementsAreObjects(aggregate)) return 0;
    for (unsigned i = 0; i < aggregate->size(); ++i) {
        NuskObject* element = seeThrough(aggregate->getObject(i));
        if (element && mivo_split_is_export(element)) return 1;
    }
    return 0;
}

}  // namespace

int mivo_split_has_export(NuskObject* obj, NuskAttribute* att) {
    if (!obj || !holdsObjects(att)) return 0;
    if (mivo_split_is_export(obj)) return 1;
    NuskObject* value = seeThrough(obj->getObject(att, 0));
    if (!value) return 0;
    if (!isAggregate(value)) return mivo_split_is_export(value);
    return aggregateHasExport(static_cast<NuskAggregate*>(value));
}

int mivo_split_has_export(NuskObject* obj, const char* att_name) {
    if (!obj) return 0;
    if (mivo_split_is_export(obj)) return 1;
    if (att_name) {
        NuskAttribute* att = obj->domain()->findTypeAttribute(att_name);
        if (att) return mivo_split_has_export(obj, att);
        printNoAttribute(obj->domain(), att_name);
        return 0;
    }
    const ListOfNuskAttribute* atts = obj->attributes();
    for (unsigned i = 0; i < atts->size(); ++i)
        if (mivo_split_has_export(obj, atts->get(i))) return 1;
    return 0;
}
