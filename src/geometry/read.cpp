// Reading points, directions, vertices, placements and transformation operators into arrays of doubles.
#include "mivo_geometry.h"

#include "nusk/ap242/all.h"
#include "nusk/report.h"

namespace {

ListOfDouble* coordinatesOf(stp_cartesian_point* point) { return point ? point->coordinates() : nullptr; }
ListOfDouble* ratiosOf(stp_direction* direction) { return direction ? direction->direction_ratios() : nullptr; }

/// The cartesian point of a vertex point; null for any other vertex or geometry.
stp_cartesian_point* vertexPoint(stp_vertex* vertex) {
    auto* vp = nusk_cast<stp_vertex_point>(static_cast<NuskObject*>(vertex));
    return vp ? nusk_cast<stp_cartesian_point>(static_cast<NuskObject*>(vp->vertex_geometry())) : nullptr;
}

}  // namespace

int mivo_vec_put(double* out, stp_cartesian_point* point) {
    if (!out) return 0;
    nusk_vec_put(out, coordinatesOf(point));
    return 1;
}

int mivo_vec_put(double* out, stp_direction* direction) {
    if (!out) return 0;
    nusk_vec_put(out, ratiosOf(direction));
    return 1;
}

int mivo_vec_put(double* out, stp_vector* vector) {
    if (!out) return 0;
    if (!vector) return 1;  // nothing to read: out stays as it was
    nusk_vec_put(out, ratiosOf(vector->orientation()));
    return 1;
}

int mivo_vec_put(double* out, stp_vertex* vertex) {
    if (!out) return 0;
    stp_cartesian_point* point = vertexPoint(vertex);
    if (!point) {
        nusk_vec_put_zero(out);
        return 0;
    }
    nusk_vec_put(out, point->coordinates());
    return 1;
}

int mivo_vec_put(NuskPoint& out, stp_cartesian_point* point) { return mivo_vec_put(out.data(), point); }
int mivo_vec_put(NuskPoint& out, stp_vertex* vertex) { return mivo_vec_put(out.data(), vertex); }
int mivo_vec_put(NuskDirection& out, stp_direction* direction) { return mivo_vec_put(out.data(), direction); }
int mivo_vec_put(NuskDirection& out, stp_vector* vector) { return mivo_vec_put(out.data(), vector); }

int mivo_vec_put_as_unit(double* out, stp_cartesian_point* point, NuskUnit as, NuskUnit from) {
    if (!mivo_vec_put(out, point)) return 0;
    return nusk_vec_put_as_unit(out, out, as, from) ? 1 : 0;
}

int mivo_vec_put_as_unit(double* out, stp_vertex* vertex, NuskUnit as, NuskUnit from) {
    if (!mivo_vec_put(out, vertex)) return 0;
    return nusk_vec_put_as_unit(out, out, as, from) ? 1 : 0;
}

int mivo_vec_put_as_unit(NuskPoint& out, stp_cartesian_point* point, NuskUnit as, NuskUnit from) {
    return mivo_vec_put_as_unit(out.data(), point, as, from);
}
int mivo_vec_put_as_unit(NuskPoint& out, stp_vertex* vertex, NuskUnit as, NuskUnit from) {
    return mivo_vec_put_as_unit(out.data(), vertex, as, from);
}

int mivo_xform_put(double* xform, stp_axis1_placement* placement) {
    if (!xform) return 0;
    if (!placement) {
        nusk_xform_put_identity(xform);
        return 1;
    }
    nusk_vec_put(xform + 8, ratiosOf(placement->axis()));
    nusk_xform_put_dirs(xform, xform + 8, nullptr);
    nusk_vec_put(xform + 12, coordinatesOf(placement->location()));
    xform[15] = 1.0;
    return 1;
}

int mivo_xform_put(double* xform, stp_axis2_placement_3d* placement) {
    if (!xform) return 0;
    if (!placement) {
        nusk_xform_put_identity(xform);
        return 1;
    }
    nusk_vec_put(xform + 8, ratiosOf(placement->axis()));
    nusk_vec_put(xform, ratiosOf(placement->ref_direction()));
    nusk_xform_put_dirs(xform, xform + 8, xform);
    nusk_vec_put(xform + 12, coordinatesOf(placement->location()));
    xform[15] = 1.0;
    return 1;
}

int mivo_xform_put(double* xform, stp_axis2_placement* placement) {
    if (!placement) return 0;  // no select at all: nothing to read, and nothing to say
    if (placement->is_axis2_placement_3d()) return mivo_xform_put(xform, placement->_axis2_placement_3d());
    // A 2D placement (or an empty select): there is no 3D frame to give.
    NUSK.warning("mivo_xform_put: unimplemented case\n");
    return 0;
}

int mivo_xform_put(double* xform, stp_cartesian_transformation_operator* cto) {
    if (!xform) return 0;
    if (!cto) {
        nusk_xform_put_identity(xform);
        return 1;
    }
    if (!static_cast<NuskObject*>(cto)->isa(nusktype_stp_cartesian_transformation_operator_3d)) {
        NUSK.warning("mivo_xform_put: unimplemented cto\n");
        return 0;
    }
    auto* cto3d = nusk_cast<stp_cartesian_transformation_operator_3d>(static_cast<NuskObject*>(cto));
    double axis1[3], axis2[3], axis3[3], origin[3];
    nusk_vec_put(axis1, ratiosOf(cto->axis1()));
    nusk_vec_put(axis2, ratiosOf(cto->axis2()));
    nusk_vec_put(axis3, ratiosOf(cto3d ? cto3d->axis3() : nullptr));
    nusk_vec_put(origin, coordinatesOf(cto->local_origin()));
    // An unset scale is 1: the schema derives it so, and most operators leave it out.
    const double scale = cto->scale() == NUSK_NULL_REAL ? 1.0 : cto->scale();
    nusk_xform_put_cto(xform, axis1, axis2, axis3, origin, scale);
    return 1;
}

int mivo_xform_put(NuskXform& xform, stp_axis1_placement* placement) { return mivo_xform_put(xform.data(), placement); }
int mivo_xform_put(NuskXform& xform, stp_axis2_placement* placement) { return mivo_xform_put(xform.data(), placement); }
int mivo_xform_put(NuskXform& xform, stp_axis2_placement_3d* placement) {
    return mivo_xform_put(xform.data(), placement);
}
int mivo_xform_put(NuskXform& xform, stp_cartesian_transformation_operator* cto) {
    return mivo_xform_put(xform.data(), cto);
}
