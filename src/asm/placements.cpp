// Placement transforms of links: the child's frame in the parent's, X = T * inverse(O).
#include "mivo_assemblies.h"
#include "mivo_contexts.h"
#include "mivo_geometry.h"

#include "nusk/ap242/all.h"
#include "nusk/report.h"

namespace {

stp_axis2_placement_3d* asPlacement(stp_representation_item* item) {
    return nusk_cast(static_cast<NuskObject*>(item), nusktype_stp_axis2_placement_3d);
}

}  // namespace

NuskXform mivo_get_transform(stp_representation_item* origin, stp_representation_item* target, NuskUnit parent_unit,
                             NuskUnit child_unit) {
    NuskXform x;
    if (stp_axis2_placement_3d* t = asPlacement(target)) mivo_xform_put(x, t);
    if (parent_unit != child_unit && parent_unit != nuskunit_as_is) {
        // Only the target's location is a length: it moves into the child's unit, the axes stay as they are.
        double f = nusk_get_unit_conversion_factor(parent_unit, child_unit);
        if (f == 0.0 || f == NUSK_NULL_REAL) {
            nusk_ec()->error("mivo_get_transform: Could not convert units\n");
            f = 1.0;
        }
        for (int i = 12; i < 15; ++i) x[i] *= f;
    }
    if (stp_axis2_placement_3d* o = asPlacement(origin)) {
        NuskXform inverse;
        mivo_xform_put(inverse, o);
        nusk_xform_inverse(inverse.data(), inverse.data());
        nusk_xform_compose(x.data(), x.data(), inverse.data());
    }
    return x;
}

NuskXform mivo_get_transform(MivoMgrAsmRelation* link, NuskUnit unit) {
    if (!link) return NuskXform();
    const NuskUnit parentUnit = mivo_get_context_length_unit(link->parent_rep);
    const NuskUnit childUnit = mivo_get_context_length_unit(link->child_rep);
    NuskXform x = mivo_get_transform(link->origin, link->target, parentUnit, childUnit);
    if (unit != nuskunit_unknown && unit != nuskunit_as_is && unit != childUnit)
        nusk_vec_put_as_unit(&x[12], &x[12], unit, childUnit);
    return x;
}
