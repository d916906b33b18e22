// Geometry: points, directions and placements read into arrays of doubles (with unit conversion and placement),
// the STEP entities built back from such arrays, topology and curve helpers, and the conversion of a
// representation's geometry into the units of another context.
//
// A point or direction is three doubles; a transform is sixteen, a 4 by 4 matrix column by column (X axis at
// 0-2, Y at 4-6, Z at 8-10, origin at 12-14, element 15 equal to 1). NuskPoint, NuskDirection and NuskXform hold
// exactly such arrays; each overload taking one behaves as the array overload given its storage.
//
// Unit arguments: where a function takes two, the first is the unit wanted and the second the unit the stored
// values are in; nuskunit_unknown and nuskunit_as_is keep the stored values.
#pragma once

#include "nusk/ap242/forward.h"
#include "nusk/design.h"
#include "nusk/units.h"
#include "nusk/xform.h"

// ---- reading points, directions and placements ----
// Results of type int are 1 for success and 0 for failure; a null output array gives 0.

/// The coordinates of a point (a null point gives zeros); the direction ratios of a direction; the direction
/// ratios of a vector's orientation (its magnitude is not read; a null vector leaves `out` as it was). Points
/// with fewer than three coordinates (points in parameter space) fill the rest with 0.
int mivo_vec_put(double* out, stp_cartesian_point* point);
int mivo_vec_put(double* out, stp_direction* direction);
int mivo_vec_put(double* out, stp_vector* vector);
/// The coordinates of a vertex point's cartesian point; any other vertex gives zeros and 0.
int mivo_vec_put(double* out, stp_vertex* vertex);
int mivo_vec_put(NuskPoint& out, stp_cartesian_point* point);
int mivo_vec_put(NuskPoint& out, stp_vertex* vertex);
int mivo_vec_put(NuskDirection& out, stp_direction* direction);
int mivo_vec_put(NuskDirection& out, stp_vector* vector);

/// The same coordinates converted from unit `from` into unit `as`; 0 when there is no conversion.
int mivo_vec_put_as_unit(double* out, stp_cartesian_point* point, NuskUnit as, NuskUnit from);
int mivo_vec_put_as_unit(double* out, stp_vertex* vertex, NuskUnit as, NuskUnit from);
int mivo_vec_put_as_unit(NuskPoint& out, stp_cartesian_point* point, NuskUnit as, NuskUnit from);
int mivo_vec_put_as_unit(NuskPoint& out, stp_vertex* vertex, NuskUnit as, NuskUnit from);

/// The transform of a placement or of a 3D cartesian transformation operator (whose unset scale is 1). A null
/// placement or operator gives the identity and 1; a 2D placement or operator gives a warning, 0, and leaves
/// `xform` as it was.
int mivo_xform_put(double* xform, stp_axis1_placement* placement);
int mivo_xform_put(double* xform, stp_axis2_placement* placement);
int mivo_xform_put(double* xform, stp_axis2_placement_3d* placement);
int mivo_xform_put(double* xform, stp_cartesian_transformation_operator* cto);
int mivo_xform_put(NuskXform& xform, stp_axis1_placement* placement);
int mivo_xform_put(NuskXform& xform, stp_axis2_placement* placement);
int mivo_xform_put(NuskXform& xform, stp_axis2_placement_3d* placement);
int mivo_xform_put(NuskXform& xform, stp_cartesian_transformation_operator* cto);

/// The point placed by `xform` (when given, applied in the stored unit) and converted from `from` into `as`.
/// Three null reals when the point is null or the units cannot be converted.
void mivo_get_point_xyz(double* out, stp_cartesian_point* point, const NuskXform* xform, NuskUnit as, NuskUnit from);
void mivo_get_point_xyz(double* out, stp_cartesian_point* point, NuskUnit as, NuskUnit from);
void mivo_get_point_xyz(double& x, double& y, double& z, stp_cartesian_point* point, const NuskXform* xform,
                        NuskUnit as, NuskUnit from);
void mivo_get_point_xyz(double& x, double& y, double& z, stp_cartesian_point* point, NuskUnit as, NuskUnit from);
/// The coordinates of a point read as a direction: normalised, then turned by `xform` when given. Three null
/// reals for a null point or a zero vector.
void mivo_get_direction_ijk(double* out, stp_cartesian_point* point, const NuskXform* xform);
void mivo_get_direction_ijk(double& i, double& j, double& k, stp_cartesian_point* point, const NuskXform* xform);

// ---- building geometry ----
// Each maker creates new objects in `design` (named with `name`, or the empty string) and returns null for a null
// design or array. Values are copied as they are: nothing is normalised.

stp_cartesian_point* mivo_make_cartesian_point(NuskDesign* design, const double* xyz, const char* name);
stp_cartesian_point* mivo_make_cartesian_point(NuskDesign* design, const NuskPoint& xyz, const char* name);
stp_direction* mivo_make_direction(NuskDesign* design, const double* ijk, const char* name);
stp_direction* mivo_make_direction(NuskDesign* design, const NuskDirection& ijk, const char* name);
/// A placement at the transform's origin with its Z column as axis and its X column as reference direction.
stp_axis2_placement_3d* mivo_make_ap3d(NuskDesign* design, const double* xform, const char* name);
stp_axis2_placement_3d* mivo_make_ap3d(NuskDesign* design, const NuskXform& xform, const char* name);
/// An operator with the transform's three columns as axes, its origin, and a scale of 1.
stp_cartesian_transformation_operator_3d* mivo_make_cto3d(NuskDesign* design, const double* xform, const char* name);
stp_cartesian_transformation_operator_3d* mivo_make_cto3d(NuskDesign* design, const NuskXform& xform,
                                                          const char* name);

// ---- topology and curve helpers ----

/// Appends to `out`, once each, the representation's items and every representation item reachable from them
/// through object-valued attributes, selects, aggregates and mapped item targets; representation maps and the
/// insides of styled items are not entered.
void mivo_find_nested_repitems(stp_representation* rep, ListOfstp_representation_item* out);

/// The semi-angle of a cone converted from the context's angle unit (0 means radian) into `as`; the null real
/// when the cone or its angle is missing or there is no conversion.
double mivo_get_cone_angle(stp_conical_surface* cone, NuskUnit contextUnit, NuskUnit as);
double mivo_get_cone_angle(stp_conical_surface* cone, stp_representation* rep, NuskUnit as);

/// The start and end vertices of an edge, through any oriented edges (their orientation is not consulted); null
/// when missing or when oriented edges loop. The array forms give the vertex's coordinates as mivo_vec_put does.
stp_vertex* mivo_get_edge_start(stp_edge* edge);
stp_vertex* mivo_get_edge_end(stp_edge* edge);
int mivo_get_edge_start(double* out, stp_edge* edge);
int mivo_get_edge_end(double* out, stp_edge* edge);

/// The point at `index` of a polyline (null past the end, or for any other curve) and the number of its points.
stp_cartesian_point* mivo_get_polyline_point(stp_bounded_curve* curve, unsigned index);
unsigned mivo_get_polyline_size(stp_bounded_curve* curve);

/// The target of a styled item as a representation or as a representation item; null when it is the other.
stp_representation* mivo_get_styled_rep(stp_styled_item* item);
stp_representation_item* mivo_get_styled_repitem(stp_styled_item* item);
/// Sets the target (null empties it), making the target select when the styled item has none.
void mivo_put_styled_rep(stp_styled_item* item, stp_representation* rep);
void mivo_put_styled_repitem(stp_styled_item* item, stp_representation_item* repItem);

/// The first cartesian point among the trimming values; null when there is none.
stp_cartesian_point* mivo_get_trimming_point(SetOfstp_trimming_select* trim);

// ---- unit translation ----

/// Moves `rep` into the context `ctx`: when the length or plane angle units of the two contexts differ, every
/// length and plane angle value of the geometry below `rep` (by its declared type in the schema, aggregates
/// included; each item once) is converted, and `ctx` becomes the representation's context. The contents of other
/// representations reached through an attribute (a pcurve's parameter space) keep their own units; the geometry
/// of annotation occurrences is converted, what other styled items style is not (docs/geometry.md). Returns the
/// number of items (and entities between them) with at least one value converted; 0 when the units are the
/// same, an argument is null, or a unit has no conversion (then nothing changes and a warning names the
/// representation). A value the conversion takes beyond the range of a double (1E308 mm into um) becomes
/// infinite, which a file cannot hold: a warning names the representation and the first entity with one, and
/// the writer counts it (NuskWriteResult::nonFiniteCount). Representations that share items are converted
/// together by mivo_convert_geometry_units.
unsigned mivo_translate_geometry_units(stp_representation* rep, stp_representation_context* ctx);

/// What mivo_convert_geometry_units did.
struct MivoUnitConversion {
    unsigned representations = 0;  // representations moved into a context in the requested units
    unsigned contexts = 0;         // contexts made, one per context the moved representations were in
    unsigned items = 0;            // objects with at least one value converted
    unsigned outOfRange = 0;       // values the conversion took beyond the range of a double: infinite, which
                                   // no file can hold (written as $); a warning names each representation
    unsigned unconverted = 0;      // representations left in their context because a unit it states has no
                                   // code or no conversion into the one asked for; a warning names the context
};

/// Moves every representation of the design whose context states a length unit other than `length`, or a
/// plane angle unit other than `angle`, into a context in those units (made with mivo_make_context_in_units,
/// one per source context, shared by all its representations), converting its geometry as
/// mivo_translate_geometry_units does. Each object is converted once even when several representations reach
/// it, and the origin of a representation map is converted with the representation it maps. A kind of unit
/// that a context does not state is left as it is; a representation whose context states a unit no conversion
/// knows (a kilometre, a yard) is left in it and counted in `unconverted`; and every angle is left when `angle`
/// is nuskunit_unknown or nuskunit_as_is. Parametric contexts (the parameter spaces of pcurves) are not moved.
/// Run mivo_tag_units first. Nothing is done for a null design, or when `length` is not a length unit or
/// `angle` not a plane angle unit (nuskunit_as_is keeps the lengths too).
MivoUnitConversion mivo_convert_geometry_units(NuskDesign* design, NuskUnit length, NuskUnit angle);
