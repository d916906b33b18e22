// Shows where the parts of an assembly are placed: for each placing relationship of a STEP file (a shape
// representation relationship with a transformation between two axis placements), reads both placements into
// transforms, composes the child's placement in the parent (target times the inverse of the origin), and prints
// the child's origin and Z axis in inches, converted from the parent's length unit. Then it rebuilds the
// composed transform as a new placement and reads it back.
//
//   assembly_placements [FILE.stp]     (FILE defaults to ../shared/data/assemblies/as1.step)
#include "mivo_contexts.h"
#include "mivo_geometry.h"
#include "mivo_units.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <memory>

namespace {

/// The placement an item-defined transformation gives the child: target * inverse(origin).
bool childPlacement(stp_item_defined_transformation* t, NuskXform& out) {
    NuskXform origin, target, inverse;
    auto* from = nusk_cast<stp_axis2_placement_3d>(static_cast<NuskObject*>(t->transform_item_1()));
    auto* to = nusk_cast<stp_axis2_placement_3d>(static_cast<NuskObject*>(t->transform_item_2()));
    if (!from || !to || !mivo_xform_put(origin, from) || !mivo_xform_put(target, to)) return false;
    nusk_xform_inverse(inverse.data(), origin.data());
    nusk_xform_compose(out.data(), target.data(), inverse.data());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "../shared/data/assemblies/as1.step";
    std::unique_ptr<NuskDesign> design(nusk_read_step(path).design);
    if (!design) {
        std::fprintf(stderr, "%s cannot be read\n", path);
        return 2;
    }
    mivo_tag_units(design.get());
    for (NuskObject* obj : nusk_instances_of(design.get(), nusktype_stp_representation_relationship_with_transformation)) {
        auto* rel = nusk_cast<stp_representation_relationship_with_transformation>(obj);
        auto* t = rel ? nusk_cast<stp_item_defined_transformation>(nusk_get_nested_object(rel->transformation_operator()))
                      : nullptr;
        NuskXform placed;
        if (!t || !childPlacement(t, placed)) continue;
        auto* parent = nusk_cast<stp_representation>(nusk_get_nested_object(rel->rep_2()));  // the assembly's
        const NuskUnit unit = mivo_get_context_length_unit(parent);
        double origin[3];
        if (!nusk_vec_put_as_unit(origin, placed.data() + 12, nuskunit_length_cb1, unit)) continue;
        std::printf("#%-5u origin (%8.3f, %8.3f, %8.3f) in  Z axis (%6.3f, %6.3f, %6.3f)\n", obj->entity_id(),
                    origin[0], origin[1], origin[2], placed[8], placed[9], placed[10]);
        // Built back as a placement and read again, the same frame.
        NuskXform again;
        mivo_xform_put(again, mivo_make_ap3d(design.get(), placed, "composed"));
        for (int i = 0; i < 16; ++i)
            if (again[i] - placed[i] > 1e-9 || placed[i] - again[i] > 1e-9) std::printf("  element %d differs\n", i);
    }
    return 0;
}
