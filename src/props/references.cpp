// The document reference, external identification and external definition passes, and the file name of a
// document file.
#include "mivo_properties.h"

#include "records.h"

#include "nusk/ap242/all.h"

#include <cstdio>
#include <cstring>

namespace {

/// Records each instance of `type` on every object its `items` set names. Items whose select is empty are
/// skipped; the other items of the same instance are still recorded.
template <class Manager>
void recordOnItems(NuskDesign* design, NuskTypePtr& type) {
    const NuskAttribute* itemsAtt = type->findTypeAttribute("items");
    for (NuskObject* obj : nusk_instances_of(design, type)) {
        auto* entry = nusk_cast<mivo_props::EntryOf<Manager>>(obj);
        auto* items = entry ? dynamic_cast<NuskAggregate*>(obj->getObject(itemsAtt)) : nullptr;
        for (unsigned i = 0; items && i < items->size(); ++i)
            if (NuskObject* item = nusk_get_nested_object(dynamic_cast<NuskUnion*>(items->getObject(i))))
                mivo_props::appendTo<Manager>(item, entry);
    }
}

bool isExternalDefinition(stp_property_definition* pd) {
    const char* name = pd ? pd->name() : nullptr;
    return name && std::strcmp(name, "external definition") == 0;
}

/// Records `file` on each representation of an "external definition" property. A representation that another
/// file already defines keeps that file, and the conflict is reported. (The pass starts from no records, so every
/// record it meets names a file.)
void recordDefinedReps(stp_document_file* file, const MivoMgrPropertyRep* reps) {
    for (unsigned i = 0; reps && i < reps->size(); ++i) {
        stp_representation* rep = reps->get_rep(i);
        if (!rep) continue;
        MivoMgrRepExternalDef* m = MivoMgrRepExternalDef::find(rep);
        if (!m) {
            m = new MivoMgrRepExternalDef();
            m->doc_file = file;
            rep->add_manager(m);
        } else if (m->doc_file != file) {
            std::printf("ERROR: rep #%lu has multiple external defs #%lu and #%lu\n",
                        static_cast<unsigned long>(rep->entity_id()),
                        static_cast<unsigned long>(m->doc_file->entity_id()),
                        static_cast<unsigned long>(file->entity_id()));
        }
    }
}

}  // namespace

void MivoMgrDocumentRef::tag_design(NuskDesign* design) {
    if (!design) return;
    mivo_props::dropAll<MivoMgrDocumentRef>(design);
    recordOnItems<MivoMgrDocumentRef>(design, nusktype_stp_applied_document_reference);
}

void MivoMgrExternalID::tag_design(NuskDesign* design) {
    if (!design) return;
    mivo_props::dropAll<MivoMgrExternalID>(design);
    recordOnItems<MivoMgrExternalID>(design, nusktype_stp_applied_external_identification_assignment);
}

void MivoMgrRepExternalDef::tag_design(NuskDesign* design) {
    if (!design) return;
    mivo_props::dropAll<MivoMgrRepExternalDef>(design);
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_document_file)) {
        auto* file = nusk_cast<stp_document_file>(obj);
        const MivoMgrProperty* properties = MivoMgrProperty::find(obj);
        for (unsigned i = 0; file && properties && i < properties->size(); ++i) {
            // A property without representations has no representation manager: nothing to record.
            if (isExternalDefinition(properties->get(i)))
                recordDefinedReps(file, MivoMgrPropertyRep::find(properties->get(i)));
        }
    }
}

const char* mivo_get_external_filename(stp_document_file* doc) {
    if (!doc) return nullptr;
    // A manager left empty (by hand: the pass never leaves one) counts as none.
    const MivoMgrExternalID* ids = MivoMgrExternalID::find(doc);
    if (!ids || ids->size() == 0) return doc->id();
    if (ids->size() > 1)
        std::printf("ERROR: doc #%lu has multiple id assignments\n", static_cast<unsigned long>(doc->entity_id()));
    stp_applied_external_identification_assignment* a = ids->get(0);
    if (const char* text = mivo_get_external_source(a)) return text;
    return a->assigned_id();
}

const char* mivo_get_external_source(stp_external_identification_assignment* a) {
    stp_external_source* source = a ? a->source() : nullptr;
    stp_source_item* id = source ? source->source_id() : nullptr;
    return id ? id->stringValue() : nullptr;
}

const char* mivo_get_reference_filename(stp_document_reference* ref) {
    stp_document* doc = ref ? ref->assigned_document() : nullptr;
    return mivo_get_external_filename(nusk_cast<stp_document_file>(doc));
}
