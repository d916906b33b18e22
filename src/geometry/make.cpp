// Building points, directions, axis placements and transformation operators from arrays of doubles.
#include "mivo_geometry.h"

#include "nusk/ap242/all.h"

namespace {

const char* orEmpty(const char* name) { return name ? name : ""; }

/// A new list holding the three values.
ListOfDouble* newTriple(NuskDesign* design, const double* v) {
    auto* list = new (design) ListOfDouble();
    if (!list) return nullptr;
    list->reserve(3);
    for (unsigned i = 0; i < 3; ++i) list->put(v[i], i);
    return list;
}

}  // namespace

stp_cartesian_point* mivo_make_cartesian_point(NuskDesign* design, const double* xyz, const char* name) {
    if (!design || !xyz) return nullptr;
    auto* point = new (design) stp_cartesian_point();
    ListOfDouble* list = point ? newTriple(design, xyz) : nullptr;
    if (!point || !list) return nullptr;
    point->name(orEmpty(name));
    point->modified();
    point->coordinates(list);
    return point;
}

stp_cartesian_point* mivo_make_cartesian_point(NuskDesign* design, const NuskPoint& xyz, const char* name) {
    return mivo_make_cartesian_point(design, xyz.data(), name);
}

stp_direction* mivo_make_direction(NuskDesign* design, const double* ijk, const char* name) {
    if (!design || !ijk) return nullptr;
    auto* direction = new (design) stp_direction();
    ListOfDouble* list = direction ? newTriple(design, ijk) : nullptr;
    if (!direction || !list) return nullptr;
    direction->name(orEmpty(name));
    direction->modified();
    direction->direction_ratios(list);
    return direction;
}

stp_direction* mivo_make_direction(NuskDesign* design, const NuskDirection& ijk, const char* name) {
    return mivo_make_direction(design, ijk.data(), name);
}

stp_axis2_placement_3d* mivo_make_ap3d(NuskDesign* design, const double* xform, const char* name) {
    if (!design || !xform) return nullptr;
    auto* placement = new (design) stp_axis2_placement_3d();
    if (!placement) return nullptr;
    placement->name(orEmpty(name));
    placement->modified();
    placement->location(mivo_make_cartesian_point(design, xform + 12, ""));
    placement->modified();
    placement->axis(mivo_make_direction(design, xform + 8, ""));
    placement->modified();
    placement->ref_direction(mivo_make_direction(design, xform, ""));
    return placement;
}

stp_axis2_placement_3d* mivo_make_ap3d(NuskDesign* design, const NuskXform& xform, const char* name) {
    return mivo_make_ap3d(design, xform.data(), name);
}

stp_cartesian_transformation_operator_3d* mivo_make_cto3d(NuskDesign* design, const double* xform, const char* name) {
    if (!design || !xform) return nullptr;
    auto* cto = new (design) stp_cartesian_transformation_operator_3d();
    if (!cto) return nullptr;
    // The operator is a representation item and a functionally defined transformation, and both have a name.
    NuskObject* obj = cto;
    nusk_update_prim(obj, nusktype_stp_representation_item->findTypeAttribute("name"), orEmpty(name));
    nusk_update_prim(obj, nusktype_stp_functionally_defined_transformation->findTypeAttribute("name"), "");
    cto->modified();
    cto->local_origin(mivo_make_cartesian_point(design, xform + 12, ""));
    cto->modified();
    cto->axis1(mivo_make_direction(design, xform, ""));
    cto->modified();
    cto->axis2(mivo_make_direction(design, xform + 4, ""));
    cto->modified();
    cto->axis3(mivo_make_direction(design, xform + 8, ""));
    cto->modified();
    cto->scale(1.0);
    return cto;
}

stp_cartesian_transformation_operator_3d* mivo_make_cto3d(NuskDesign* design, const NuskXform& xform,
                                                          const char* name) {
    return mivo_make_cto3d(design, xform.data(), name);
}
