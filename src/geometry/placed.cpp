// Points and directions placed by a transform and converted into a unit.
#include "mivo_geometry.h"

#include "nusk/ap242/all.h"

namespace {

void putNull(double* out) { out[0] = out[1] = out[2] = NUSK_NULL_REAL; }

/// A requested or stored unit of 0 means "as stored".
NuskUnit orAsIs(NuskUnit unit) { return unit == nuskunit_unknown ? nuskunit_as_is : unit; }

}  // namespace

void mivo_get_point_xyz(double* out, stp_cartesian_point* point, const NuskXform* xform, NuskUnit as, NuskUnit from) {
    if (!out) return;
    // A missing point has no coordinates: placing or converting it would make up a point at the origin.
    if (!point || !point->coordinates()) return putNull(out);
    double xyz[3];
    nusk_vec_put(xyz, point->coordinates());
    if (xform) nusk_xform_apply(xyz, xform->data(), xyz);  // placed in the stored unit, then converted
    if (!nusk_vec_put_as_unit(out, xyz, orAsIs(as), orAsIs(from))) putNull(out);
}

void mivo_get_point_xyz(double* out, stp_cartesian_point* point, NuskUnit as, NuskUnit from) {
    mivo_get_point_xyz(out, point, nullptr, as, from);
}

void mivo_get_point_xyz(double& x, double& y, double& z, stp_cartesian_point* point, const NuskXform* xform,
                        NuskUnit as, NuskUnit from) {
    double xyz[3] = {x, y, z};
    mivo_get_point_xyz(xyz, point, xform, as, from);
    x = xyz[0];
    y = xyz[1];
    z = xyz[2];
}

void mivo_get_point_xyz(double& x, double& y, double& z, stp_cartesian_point* point, NuskUnit as, NuskUnit from) {
    mivo_get_point_xyz(x, y, z, point, nullptr, as, from);
}

void mivo_get_direction_ijk(double* out, stp_cartesian_point* point, const NuskXform* xform) {
    if (!out) return;
    if (!point || !point->coordinates()) return putNull(out);
    double ijk[3];
    nusk_vec_put(ijk, point->coordinates());
    if (nusk_vec_is_zero(ijk, 1e-15)) return putNull(out);
    nusk_vec_normalize(ijk, ijk);
    if (xform)
        nusk_xform_apply_dir(out, xform->data(), ijk);
    else
        nusk_vec_put(out, ijk[0], ijk[1], ijk[2]);
}

void mivo_get_direction_ijk(double& i, double& j, double& k, stp_cartesian_point* point, const NuskXform* xform) {
    double ijk[3] = {i, j, k};
    mivo_get_direction_ijk(ijk, point, xform);
    i = ijk[0];
    j = ijk[1];
    k = ijk[2];
}
