// Topology and curve helpers: cone angles, edge vertices, polyline points, styled item targets and trimming
// points.
#include "mivo_contexts.h"
#include "mivo_geometry.h"

#include "nusk/ap242/all.h"

#include <unordered_set>

double mivo_get_cone_angle(stp_conical_surface* cone, NuskUnit contextUnit, NuskUnit as) {
    if (!cone) return NUSK_NULL_REAL;
    const double angle = cone->semi_angle();
    if (angle == NUSK_NULL_REAL) return NUSK_NULL_REAL;
    const NuskUnit from = contextUnit == nuskunit_unknown ? nuskunit_rad : contextUnit;
    if (as == from || as == nuskunit_as_is) return angle;
    const double factor = nusk_get_unit_conversion_factor(from, as);
    // Both answers of the math library for "no conversion" give no angle, never an angle of 0.
    if (factor == NUSK_NULL_REAL || factor == 0.0) return NUSK_NULL_REAL;
    return angle * factor;
}

double mivo_get_cone_angle(stp_conical_surface* cone, stp_representation* rep, NuskUnit as) {
    return mivo_get_cone_angle(cone, mivo_get_context_angle_unit(rep), as);
}

namespace {

/// The edge below any oriented edges; null when one lacks its element or the oriented edges loop.
stp_edge* underlyingEdge(stp_edge* edge) {
    std::unordered_set<NuskObject*> seen;
    NuskObject* obj = edge;
    while (obj && obj->isa(nusktype_stp_oriented_edge)) {
        if (!seen.insert(obj).second) return nullptr;
        auto* oriented = nusk_cast<stp_oriented_edge>(obj);
        obj = oriented ? static_cast<NuskObject*>(oriented->edge_element()) : nullptr;
    }
    return nusk_cast<stp_edge>(obj);
}

stp_polyline* polylineOf(stp_bounded_curve* curve) { return nusk_cast<stp_polyline>(static_cast<NuskObject*>(curve)); }

}  // namespace

stp_vertex* mivo_get_edge_start(stp_edge* edge) {
    stp_edge* e = underlyingEdge(edge);
    return e ? e->edge_start() : nullptr;
}

stp_vertex* mivo_get_edge_end(stp_edge* edge) {
    stp_edge* e = underlyingEdge(edge);
    return e ? e->edge_end() : nullptr;
}

int mivo_get_edge_start(double* out, stp_edge* edge) { return mivo_vec_put(out, mivo_get_edge_start(edge)); }
int mivo_get_edge_end(double* out, stp_edge* edge) { return mivo_vec_put(out, mivo_get_edge_end(edge)); }

stp_cartesian_point* mivo_get_polyline_point(stp_bounded_curve* curve, unsigned index) {
    stp_polyline* polyline = polylineOf(curve);
    ListOfstp_cartesian_point* points = polyline ? polyline->points() : nullptr;
    return points && index < points->size() ? points->get(index) : nullptr;
}

unsigned mivo_get_polyline_size(stp_bounded_curve* curve) {
    stp_polyline* polyline = polylineOf(curve);
    ListOfstp_cartesian_point* points = polyline ? polyline->points() : nullptr;
    return points ? points->size() : 0;
}

namespace {

NuskObject* styledTarget(stp_styled_item* item) { return item ? nusk_get_nested_object(item->item()) : nullptr; }

void putStyledTarget(stp_styled_item* item, NuskObject* target) {
    if (!item) return;
    stp_styled_item_target* select = item->item();
    if (!select) {
        select = new (static_cast<NuskObject*>(item)->design()) stp_styled_item_target();
        if (!select) return;
        item->modified();
        item->item(select);
    }
    nusk_put_nested_object(select, target);
}

}  // namespace

stp_representation* mivo_get_styled_rep(stp_styled_item* item) {
    return nusk_cast<stp_representation>(styledTarget(item));
}

stp_representation_item* mivo_get_styled_repitem(stp_styled_item* item) {
    return nusk_cast<stp_representation_item>(styledTarget(item));
}

void mivo_put_styled_rep(stp_styled_item* item, stp_representation* rep) { putStyledTarget(item, rep); }
void mivo_put_styled_repitem(stp_styled_item* item, stp_representation_item* repItem) {
    putStyledTarget(item, repItem);
}

stp_cartesian_point* mivo_get_trimming_point(SetOfstp_trimming_select* trim) {
    if (!trim) return nullptr;
    for (unsigned i = 0; i < trim->size(); ++i) {
        stp_trimming_select* value = trim->get(i);
        if (value && value->is_cartesian_point()) return value->_cartesian_point();
    }
    return nullptr;
}
