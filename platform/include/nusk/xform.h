// Points, directions and placement transforms of the math library.
//
// A point or direction is an array of three doubles. A transform is an array of sixteen doubles holding a
// 4 by 4 homogeneous matrix column by column: element (row r, column c) is at index 4*c + r. Elements 0-2
// are the X axis, 4-6 the Y axis, 8-10 the Z axis, 12-14 the origin; 3, 7 and 11 are 0 and 15 is 1.
// A transform maps a point p of the placed frame to X*px + Y*py + Z*pz + origin.
//
// Null arguments: a null output array takes nothing (results 0); a null input vector reads as zero and a null
// input transform as the identity.
//
// Composition order: nusk_xform_compose(dst, a, b) gives dst = a * b, the transform that applies b first and
// then a: dst(p) = a(b(p)). A placement usage that maps child coordinates into the parent, with T the target
// placement (in the parent) and O the origin placement (in the child), is therefore
//     nusk_xform_inverse(oinv, O); nusk_xform_compose(X, T, oinv);
#pragma once

#include "nusk/units.h"

class ListOfDouble;

/// The three-element point of the math library; its storage is its whole content.
struct NuskPoint {
    double v[3] = {0.0, 0.0, 0.0};
    double& operator[](int i) { return v[i]; }
    double operator[](int i) const { return v[i]; }
    double* data() { return v; }
    const double* data() const { return v; }
};

/// The three-element direction of the math library; its storage is its whole content.
struct NuskDirection {
    double v[3] = {0.0, 0.0, 0.0};
    double& operator[](int i) { return v[i]; }
    double operator[](int i) const { return v[i]; }
    double* data() { return v; }
    const double* data() const { return v; }
};

/// The sixteen-element transform of the math library, the identity when default-constructed.
struct NuskXform {
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double& operator[](int i) { return m[i]; }
    double operator[](int i) const { return m[i]; }
    double* data() { return m; }
    const double* data() const { return m; }
};

// ---- vectors of three doubles ----

/// Copies x, y, z into dst.
void nusk_vec_put(double* dst, double x, double y, double z);
/// Copies the first three numbers of a list into dst; missing ones (a shorter or null list) become 0.
void nusk_vec_put(double* dst, const ListOfDouble* list);
/// Sets the three elements to 0.
void nusk_vec_put_zero(double* dst);
/// Unit vector of src into dst (may be the same array); a zero vector is copied unchanged. Returns the length.
double nusk_vec_normalize(double* dst, const double* src);
/// Non-zero when the length of v is at most tol.
int nusk_vec_is_zero(const double* v, double tol);
/// src given in unit `from`, converted into unit `to` (dst may be src). When the units are equal or either is
/// nuskunit_as_is the values are copied. Returns 1 on success, 0 (dst untouched) when there is no conversion.
int nusk_vec_put_as_unit(double* dst, const double* src, NuskUnit to, NuskUnit from);

// ---- transforms of sixteen doubles ----

/// Sets the identity.
void nusk_xform_put_identity(double* xform);
/// Fills the three axis columns from a Z direction and an X reference direction, completing them to a
/// right-handed orthonormal frame: Z is normalised (a null or zero Z becomes (0,0,1)); X is the reference
/// projected onto the plane normal to Z and normalised; a null, zero or parallel reference is replaced by
/// (1,0,0), or by (0,1,0) when Z is along the X axis. Y = Z x X. The origin is left as it is.
/// `z` and `x` may point into `xform` itself (elements 8-10 and 0-2).
void nusk_xform_put_dirs(double* xform, const double* z, const double* x);
/// Fills the transform of a 3D cartesian transformation operator: axes completed as in nusk_xform_put_dirs
/// (axis3 as Z, axis1 as the X reference, axis2 kept as far as it is normal to both), every axis multiplied by
/// `scale` (an unset scale, NUSK_NULL_REAL, counts as 1.0), origin from `origin`. Null arrays are missing axes.
void nusk_xform_put_cto(double* xform, const double* axis1, const double* axis2, const double* axis3,
                        const double* origin, double scale);
/// dst = xform applied to the point src (with translation); dst may be src.
void nusk_xform_apply(double* dst, const double* xform, const double* src);
/// dst = xform applied to the direction src (without translation); dst may be src.
void nusk_xform_apply_dir(double* dst, const double* xform, const double* src);
/// dst = a * b: apply b, then a. dst may be a or b.
void nusk_xform_compose(double* dst, const double* a, const double* b);
/// dst = inverse of the affine transform src (dst may be src). A singular matrix gives the identity and 0;
/// success gives 1.
int nusk_xform_inverse(double* dst, const double* src);
