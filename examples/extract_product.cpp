// Writes one product of an assembly, with everything below it, as a file of its own, and shows what the
// extract took: by hand, the marks and temporaries the extract is made of, then the extract itself.
//
//   extract_product [FILE.stp [PRODUCT_ID [OUT.stp]]]
//     FILE defaults to ../shared/data/assemblies/as1.step, PRODUCT_ID to rod-assembly, OUT to extract.stp
#include "mivo_assemblies.h"
#include "mivo_properties.h"
#include "mivo_split.h"
#include "mivo_units.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

stp_product_definition* productWithId(NuskDesign* design, const char* id) {
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_product_definition)) {
        auto* pd = nusk_cast<stp_product_definition>(obj);
        stp_product* product = pd && pd->formation() ? pd->formation()->of_product() : nullptr;
        if (product && product->id() && std::strcmp(product->id(), id) == 0) return pd;
    }
    return nullptr;
}

/// The building blocks on their own: what the product definition needs to a depth of two, and which product
/// categories still list something once only that is exported (those a split keeps, trimmed).
void showMarks(NuskDesign* design, stp_product_definition* pd) {
    mivo_split_mark_needed(pd, 2);  // the product definition, its formation and context, and their product
    size_t needed = 0;
    for (NuskObject* obj : nusk_instances_of(design, nusktype_NuskStructure)) needed += mivo_split_is_needed(obj);
    MivoMgrSplitStatus::export_only_needed = 1;
    size_t categories = 0, kept = 0;
    for (NuskObject* category : nusk_instances_of(design, nusktype_stp_product_related_product_category)) {
        ++categories;
        kept += mivo_split_has_export(category, "products");
    }
    MivoMgrSplitStatus::export_only_needed = 0;
    mivo_split_delete_all_marks(design);
    std::printf("marked to depth 2: %zu instances; %zu of %zu product categories list the product\n", needed, kept,
                categories);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 4) {
        std::fprintf(stderr, "usage: extract_product [FILE.stp [PRODUCT_ID [OUT.stp]]]\n");
        return 2;
    }
    const char* path = argc > 1 ? argv[1] : "../shared/data/assemblies/as1.step";
    const char* id = argc > 2 ? argv[2] : "rod-assembly";
    const char* out = argc > 3 ? argv[3] : "extract.stp";
    NuskReadResult read = nusk_read_step(path);
    std::unique_ptr<NuskDesign> design(read.design);
    if (!design) {
        std::fprintf(stderr, "%s cannot be read\n", path);
        return 2;
    }
    stp_product_definition* pd = productWithId(design.get(), id);
    if (!pd) {
        std::fprintf(stderr, "%s has no product %s\n", path, id);
        return 2;
    }
    showMarks(design.get(), pd);

    // The extract needs the assembly structure: tag first.
    mivo_tag_units(design.get());
    mivo_tag_props(design.get());
    mivo_tag_asms(design.get());
    MivoSplitExtract extract = mivo_split_extract_product(design.get(), pd);
    std::unique_ptr<NuskDesign> part(extract.design);
    const NuskWriteResult w = nusk_write_step(part.get(), out);
    mivo_split_return_extract(part.get(), design.get());  // the source is whole again
    if (!w.ok) {
        std::fprintf(stderr, "%s\n", w.error.c_str());
        return 2;
    }
    std::printf("%s: %zu products, %zu instances, %zu lists trimmed, %zu dangling references; written to %s\n",
                id, extract.products.size(), w.instanceCount, extract.trimmed_aggregates, w.danglingCount, out);
    for (stp_product_definition* p : extract.products)
        std::printf("  %s\n", p->formation()->of_product()->id());
    return 0;
}
