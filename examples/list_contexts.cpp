// Lists the representation contexts of a STEP file with their units and uncertainty, merges the duplicate
// units and contexts, lists what is left, and writes the result when an output file is named.
//
//   list_contexts [FILE.stp [OUT.stp]]     (FILE defaults to ../shared/data/assemblies/as1.step)
#include "mivo_contexts.h"
#include "mivo_units.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <memory>

namespace {

const char* unitName(NuskUnit code) { return code != nuskunit_unknown ? mivo_get_unit_name(code) : "-"; }

void listContexts(NuskDesign* design) {
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(nusktype_stp_representation_context);
    while (NuskObject* obj = cursor.next()) {
        stp_representation_context* c = nusk_cast(obj, nusktype_stp_representation_context);
        // With a null name: the first uncertainty that holds a length, in its own unit.
        stp_uncertainty_measure_with_unit* u = mivo_get_context_uncertainty(c, nullptr);
        std::printf("  #%-6u length %-3s angle %-3s solid angle %-3s", obj->entity_id(),
                    unitName(mivo_get_context_length_unit(c)), unitName(mivo_get_context_angle_unit(c)),
                    unitName(mivo_get_context_solid_angle_unit(c)));
        if (u)
            std::printf(" uncertainty %g %s", mivo_get_context_uncertainty_value(c, nullptr),
                        unitName(mivo_get_unit_type(u)));
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3) {
        std::fprintf(stderr, "usage: list_contexts [FILE.stp [OUT.stp]]\n");
        return 2;
    }
    const char* path = argc > 1 ? argv[1] : "../shared/data/assemblies/as1.step";
    NuskReadResult read = nusk_read_step(path);
    std::unique_ptr<NuskDesign> design(read.design);
    if (!design) {
        std::fprintf(stderr, "%s cannot be read\n", path);
        return 2;
    }
    mivo_tag_units(design.get());  // the context getters read the codes this attaches to the unit entities
    std::printf("%s:\n", path);
    listContexts(design.get());

    // Units first: contexts then compare their units by code, whichever entity of a code they name.
    const unsigned units = mivo_merge_units(design.get());
    const unsigned applications = mivo_merge_ap_contexts(design.get());
    const unsigned products = mivo_merge_product_contexts(design.get());
    const unsigned reps = mivo_merge_rep_contexts(design.get());
    nusk_update_object_references(design.get());  // references to the replaced entities now reach the survivors
    std::printf("merged %u units, %u application, %u product and %u representation contexts; left:\n", units,
                applications, products, reps);
    listContexts(design.get());

    if (argc == 3) {
        NuskWriteResult written = nusk_write_step(design.get(), argv[2]);
        if (!written.ok) {
            std::fprintf(stderr, "cannot write %s: %s\n", argv[2], written.error.c_str());
            return 1;
        }
        std::printf("wrote %zu instances to %s\n", written.instanceCount, argv[2]);
    }
    return 0;
}
