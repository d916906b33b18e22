// Extracting a product with everything below it into a design of its own, and giving it back.
#include "mivo_split.h"
#include "extract_select.h"
#include "references.h"
#include "values.h"

#include "nusk/ap242/all.h"

namespace mivo_split_detail {

namespace {

/// Sets MivoMgrSplitStatus::export_only_needed for a scope and puts back the application's value after it.
class OnlyNeededExported {
public:
    OnlyNeededExported() : saved_(MivoMgrSplitStatus::export_only_needed) {
        MivoMgrSplitStatus::export_only_needed = 1;
    }
    ~OnlyNeededExported() { MivoMgrSplitStatus::export_only_needed = saved_; }
    OnlyNeededExported(const OnlyNeededExported&) = delete;
    OnlyNeededExported& operator=(const OnlyNeededExported&) = delete;

private:
    int saved_;
};

bool listsLeftOut(NuskAggregate* aggregate) {
    for (unsigned i = 0; i < aggregate->size(); ++i)
        if (!mivo_split_is_needed(aggregate->getObject(i))) return true;
    return false;
}

/// A set or bag attribute whose elements are all entity instances (or selects holding one), one of which is
/// left out: the only kind the extract trims (the choice of what goes along made sure of that). A list keeps
/// its order and length.
bool wantsTrim(NuskObject* obj, const NuskAttribute* att) {
    NuskObject* value = obj->getObject(att, 0);
    if (!isAggregate(value) || !membersStandAlone(value) || !elementsAreObjects(static_cast<NuskAggregate*>(value)))
        return false;
    auto* aggregate = static_cast<NuskAggregate*>(value);
    for (unsigned i = 0; i < aggregate->size(); ++i)
        if (!isEntity(seeThrough(aggregate->getObject(i)))) return false;
    return listsLeftOut(aggregate);
}

size_t trimNeeded(const std::vector<NuskObject*>& needed) {
    const OnlyNeededExported onlyNeeded;
    size_t count = 0;
    for (NuskObject* obj : needed) {
        const ListOfNuskAttribute* atts = obj->attributes();
        for (unsigned i = 0; i < atts->size(); ++i) {
            const NuskAttribute* att = atts->get(i);
            if (holdsObjects(att) && wantsTrim(obj, att) && trimAttribute(obj, att)) ++count;
        }
    }
    return count;
}

/// Moves each entity with the selects and aggregates it holds (a trimmed entity: the temporary).
void moveWithValues(const std::vector<NuskObject*>& entities, NuskDesign* dst) {
    for (NuskObject* obj : entities) {
        std::vector<NuskObject*> held;
        forEachHeldValue(obj, [&](NuskObject* v) { held.push_back(v); });
        obj->move(dst, 0, 0);
        for (NuskObject* v : held) v->move(dst, 0, 0);
    }
}

std::map<std::string, size_t> countTypes(NuskDesign* design) {
    std::map<std::string, size_t> counts;
    for (NuskObject* obj : objectsOf(design, nusktype_NuskStructure.domain())) ++counts[obj->domain()->name()];
    return counts;
}

}  // namespace

}  // namespace mivo_split_detail

using namespace mivo_split_detail;

MivoSplitExtract mivo_split_extract_product(NuskDesign* source, stp_product_definition* pd) {
    MivoSplitExtract result;
    if (!source || !pd || pd->design() != source) return result;
    mivo_split_delete_all_marks(source);
    result.products = markExtract(source, pd);
    std::vector<NuskObject*> needed;
    for (NuskObject* obj : objectsOf(source, nusktype_NuskStructure.domain()))
        if (mivo_split_is_needed(obj)) needed.push_back(obj);
    result.trimmed_aggregates = trimNeeded(needed);
    mivo_split_delete_all_marks(source);
    result.design = new NuskDesign(source->name(), source->schemaOf());
    result.design->header() = source->header();
    moveWithValues(needed, result.design);
    result.instances_per_type = countTypes(result.design);
    return result;
}

void mivo_split_return_extract(NuskDesign* extract, NuskDesign* source) {
    if (!extract || !source || extract == source) return;
    for (NuskObject* obj : objectsOf(extract, nullptr)) obj->move(source, -1, 0);
    mivo_restore_all_tmps(source);
}
