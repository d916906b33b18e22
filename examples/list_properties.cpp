// Lists, for each product definition of a STEP file, its properties with the values their representations hold
// (and the properties of its shape), the documents and identifications that name it, and its shape aspects.
//
//   list_properties [FILE.stp]     (FILE defaults to ../shared/data/nist/nist_ctc_01_asme1_ap242-e1.stp)
#include "mivo_measures.h"
#include "mivo_properties.h"
#include "mivo_units.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <memory>

namespace {

void printItem(stp_representation_item* item) {
    const char* name = item->name();
    std::printf("      %-36s", name && *name ? name : "(unnamed)");
    // Numbers in the unit the file gives them; measures carry a unit, literals do not.
    const double number = mivo_get_item_number(item, nuskunit_as_is);
    const char* text = mivo_get_item_text(item);
    auto* measure = nusk_cast<stp_measure_with_unit>(static_cast<NuskObject*>(item));
    if (number != NUSK_NULL_REAL && measure)
        std::printf(" %g %s\n", number, mivo_get_unit_name(measure));
    else if (number != NUSK_NULL_REAL)
        std::printf(" %g\n", number);
    else if (text)
        std::printf(" '%s'\n", text);
    else
        std::printf(" (no value)\n");
}

void printProperty(stp_property_definition* property, const char* of) {
    std::printf("    '%s'%s\n", property->name() ? property->name() : "", of);
    const MivoMgrPropertyRep* reps = MivoMgrPropertyRep::find(property);
    for (unsigned i = 0; reps && i < reps->size(); ++i) {
        stp_representation* rep = reps->get_rep(i);
        SetOfstp_representation_item* items = rep ? rep->items() : nullptr;
        for (unsigned j = 0; items && j < items->size(); ++j)
            if (auto* item = nusk_cast<stp_representation_item>(items->getObject(j))) printItem(item);
    }
}

void printProduct(stp_product_definition* pd) {
    std::printf("product definition #%u\n", pd->entity_id());
    if (const MivoMgrProperty* properties = MivoMgrProperty::find(pd)) {
        for (unsigned i = 0; i < properties->size(); ++i) {
            stp_property_definition* p = properties->get(i);
            printProperty(p, p->isa(nusktype_stp_product_definition_shape) ? " (its shape)" : "");
        }
    }
    // Validation properties (volume, area, counts) usually describe the product's shape, not the product.
    if (stp_product_definition_shape* shape = mivo_get_shape_property(pd)) {
        if (const MivoMgrProperty* ofShape = MivoMgrProperty::find(shape))
            for (unsigned i = 0; i < ofShape->size(); ++i) printProperty(ofShape->get(i), " (of its shape)");
    }
    if (const MivoMgrDocumentRef* refs = MivoMgrDocumentRef::find(pd)) {
        for (unsigned i = 0; i < refs->size(); ++i) {
            const char* file = mivo_get_reference_filename(refs->get(i));
            std::printf("  document reference #%u: %s\n", refs->get(i)->entity_id(), file ? file : "(not a file)");
        }
    }
    const MivoMgrShapeAspect* aspects = MivoMgrShapeAspect::find(pd);
    std::printf("  %u shape aspects\n", aspects ? aspects->size() : 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: list_properties [FILE.stp]\n");
        return 2;
    }
    const char* path = argc > 1 ? argv[1] : "../shared/data/nist/nist_ctc_01_asme1_ap242-e1.stp";
    NuskReadResult read = nusk_read_step(path);
    std::unique_ptr<NuskDesign> design(read.design);
    if (!design) {
        std::fprintf(stderr, "%s cannot be read\n", path);
        return 2;
    }
    NuskDesign* d = design.get();
    mivo_tag_units(d);  // so that measures know their units
    mivo_tag_props(d);  // before the reference passes: the external definitions read its records
    MivoMgrDocumentRef::tag_design(d);
    MivoMgrExternalID::tag_design(d);
    MivoMgrRepExternalDef::tag_design(d);
    MivoMgrShapeAspect::tag_design(d);
    std::printf("%s:\n", path);
    for (NuskObject* obj : nusk_instances_of(d, nusktype_stp_product_definition))
        if (auto* pd = nusk_cast<stp_product_definition>(obj)) printProduct(pd);
    return 0;
}
