// Prints the product tree of a STEP file: for each root product, every usage down the tree with the product it
// places and where, relative to the root, in millimetres. Then the same usages read one link at a time: the
// child representation and the placement each shape usage (a relationship or a mapped item) gives.
//
//   assembly_tree [FILE.stp]     (FILE defaults to ../shared/data/assemblies/as1.step)
#include "mivo_assemblies.h"
#include "mivo_properties.h"
#include "mivo_units.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

std::string productName(stp_product_definition* pd) {
    stp_product_definition_formation* formation = pd ? pd->formation() : nullptr;
    stp_product* product = formation ? formation->of_product() : nullptr;
    return product && product->name() ? product->name() : "?";
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "../shared/data/assemblies/as1.step";
    std::unique_ptr<NuskDesign> design(nusk_read_step(path).design);
    if (!design) {
        std::fprintf(stderr, "%s cannot be read\n", path);
        return 2;
    }
    // Units first (placements convert lengths), then properties (which shape belongs to which product), then
    // the assembly structure.
    mivo_tag_units(design.get());
    mivo_tag_props(design.get());
    mivo_tag_asms(design.get());

    StpAsmProductDefVec roots;
    mivo_find_root_products(&roots, design.get());
    for (unsigned r = 0; r < roots.size(); ++r) {
        for (const MivoAsmTreeNode& node : mivo_get_product_tree(roots.get(r), nuskunit_mm)) {
            const NuskXform& w = node.world;
            std::printf("%*s%-24s at (%8.3f, %8.3f, %8.3f) mm, z axis (%5.2f, %5.2f, %5.2f)%s\n", static_cast<int>(2 * node.depth), "",
                        productName(node.product).c_str(), w[12], w[13], w[14], w[8], w[9], w[10],
                        node.cycle ? "  (inside itself: not followed)" : "");
        }
    }

    std::printf("\nshape usages:\n");
    for (NuskObject* obj : nusk_instances_of(design.get(), nusktype_stp_shape_representation_relationship)) {
        auto* rel = nusk_cast(obj, nusktype_stp_shape_representation_relationship);
        stp_representation* child = mivo_get_shape_usage_child_rep(rel);
        const NuskXform x = mivo_get_shape_usage_xform(rel, nuskunit_mm);
        std::printf("#%-5u places %-10s #%-5u in its parent at (%8.3f, %8.3f, %8.3f) mm\n", obj->entity_id(),
                    productName(mivo_get_shape_usage_child_product(rel)).c_str(),
                    child ? static_cast<NuskObject*>(child)->entity_id() : 0u, x[12], x[13], x[14]);
    }
    return 0;
}
