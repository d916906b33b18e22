// Trimming for export: an aggregate attribute made to hold only what the export test passes, through a
// temporary aggregate that records the aggregate it stands in for.
#include "mivo_split.h"
#include "values.h"

#include "nusk/aggregate.h"
#include "nusk/select.h"

using namespace mivo_split_detail;

namespace {

/// A select that holds a plain value (a measure, a text) refers to nothing that can be left out: it stays,
/// where testing the object it holds (none) would drop the value from the written file.
bool holdsPlainValue(NuskObject* element) {
    return isSelect(element) && !static_cast<NuskUnion*>(element)->isEmpty() && !seeThrough(element);
}

bool keepsElement(NuskObject* element) {
    if (!element) return false;
    if (holdsPlainValue(element)) return true;
    NuskObject* tested = seeThrough(element);
    return tested && mivo_split_is_export(tested);
}

}  // namespace

namespace mivo_split_detail {

bool trimAttribute(NuskObject* obj, const NuskAttribute* att) {
    NuskObject* value = obj->getObject(att, 0);
    if (!isAggregate(value)) return false;
    auto* source = static_cast<NuskAggregate*>(value);
    // Plain values carry no marks; reading them as objects would read numbers as addresses.
    if (!elementsAreObjects(source)) return false;
    auto* temporary = static_cast<NuskAggregate*>(obj->design()->pnewInstance(source->domain(), 0));
    if (!temporary) return false;
    for (unsigned i = 0; i < source->size(); ++i) {
        NuskObject* element = source->getObject(i);
        if (keepsElement(element)) temporary->addObject(element);
    }
    MivoMgrSplitTmpObj::mark_as_temp(temporary, source);
    obj->putObject(temporary, att, 0);
    return true;
}

}  // namespace mivo_split_detail

namespace {

void trimNamed(NuskObject* obj, const char* att_name) {
    const NuskAttribute* att = att_name ? obj->domain()->findTypeAttribute(att_name) : nullptr;
    if (!att) {
        printNoAttribute(obj->domain(), att_name);
        return;
    }
    trimAttribute(obj, att);
}

}  // namespace

void mivo_split_trim_for_export(NuskObject* obj, const char* att_name) {
    if (obj) trimNamed(obj, att_name);
}

void mivo_split_trim_for_export(NuskDesign* design, NuskDomain* domain, const char* att_name) {
    // The temporaries made on the way are not visited: the objects are collected first.
    for (NuskObject* obj : objectsOf(design, domain)) trimNamed(obj, att_name);
}
