// Vectors of three doubles and affine transforms of sixteen doubles (column-major 4 x 4).
//
// nusk_vec_put(double*, const ListOfDouble*) reads the object store's list type and lives with the store.
#include "nusk/xform.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

namespace {

// Below this fraction of its length, what is left of a reference direction after removing its
// component along an axis is rounding noise: the reference is taken as parallel to the axis.
constexpr double kParallelTol = 1e-10;

// Below this fraction of the product of the column lengths, a determinant is rounding noise and the
// matrix is taken as singular; relative so that uniformly tiny or huge scales still invert.
constexpr double kSingularTol = 1e-12;

struct Vec {
    double x, y, z;
};

// A null vector reads as zero and a null transform as the identity; a null output takes nothing.
Vec load(const double* v) { return v ? Vec{v[0], v[1], v[2]} : Vec{0, 0, 0}; }
const double* orIdentity(const double* xform) {
    static const NuskXform identity;
    return xform ? xform : identity.m;
}
void store(double* dst, Vec v) { dst[0] = v.x, dst[1] = v.y, dst[2] = v.z; }

Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(double s, Vec v) { return {s * v.x, s * v.y, s * v.z}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// Lengths whose squares are normal doubles: computed, and divided by, directly. Beyond them the squares
// overflow or lose their digits (a direction of (1e200, 1e200, 0) or (1e-200, 1e-200, 0) is still one).
constexpr double kDirectLengthMin = 1e-150;
constexpr double kDirectLengthMax = 1e150;

bool isDirect(double len) { return len >= kDirectLengthMin && len <= kDirectLengthMax; }

// The largest absolute component; NaN when a component is NaN.
double largest(Vec v) {
    const double ax = std::fabs(v.x), ay = std::fabs(v.y), az = std::fabs(v.z);
    if (std::isnan(ax) || std::isnan(ay) || std::isnan(az)) return NAN;
    return std::max(ax, std::max(ay, az));
}

// v over its largest absolute component m (finite, above zero): the largest component becomes +-1, so the
// length lies between 1 and the square root of 3, whatever the scale of v.
Vec scaledDown(Vec v, double m) { return {v.x / m, v.y / m, v.z / m}; }

double length(Vec v) {
    const double len = std::sqrt(dot(v, v));
    if (isDirect(len)) return len;
    const double m = largest(v);
    if (!(m > 0.0) || !std::isfinite(m)) return m;  // zero, NaN or infinite as they are
    const Vec s = scaledDown(v, m);
    return m * std::sqrt(dot(s, s));
}

// Normalises v in place; false (v unchanged) when it has no usable length (zero, NaN or infinite).
bool normalize(Vec& v) {
    const double len = std::sqrt(dot(v, v));
    if (isDirect(len)) {
        v = (1.0 / len) * v;
        return true;
    }
    const double m = largest(v);
    if (!(m > 0.0) || !std::isfinite(m)) return false;
    const Vec s = scaledDown(v, m);
    v = (1.0 / std::sqrt(dot(s, s))) * s;
    return true;
}

// Unit vector of what is left of `ref` after removing its components along the unit vectors `a`
// and `b` (b may be null); false when that remainder is nothing but noise.
bool project_out(Vec& ref, Vec a, const Vec* b) {
    double before = length(ref);
    if (!(before > 0.0) || !std::isfinite(before)) return false;
    Vec v = ref - dot(ref, a) * a;
    if (b) v = v - dot(v, *b) * *b;
    if (length(v) <= kParallelTol * before) return false;
    ref = v;
    return normalize(ref);
}

// Unit Z from an optional direction, (0,0,1) when missing or zero.
Vec z_axis(const double* z) {
    Vec v = z ? load(z) : Vec{0, 0, 0};
    return normalize(v) ? v : Vec{0, 0, 1};
}

// Unit X normal to the unit vector `z`, from an optional reference direction. A missing, zero or
// parallel reference falls back to the global X axis, or the global Y axis when Z lies along X.
Vec x_axis(Vec z, const double* ref) {
    Vec v = ref ? load(ref) : Vec{0, 0, 0};
    if (project_out(v, z, nullptr)) return v;
    v = {1, 0, 0};
    if (project_out(v, z, nullptr)) return v;
    v = {0, 1, 0};
    project_out(v, z, nullptr);  // cannot fail: z lies along X
    return v;
}

// Writes the axis columns and the fixed bottom row; the origin column is left to the caller.
void store_axes(double* xform, Vec x, Vec y, Vec z) {
    store(xform + 0, x);
    store(xform + 4, y);
    store(xform + 8, z);
    xform[3] = xform[7] = xform[11] = 0.0;
    xform[15] = 1.0;
}

Vec column(const double* xform, int c) { return load(xform + 4 * c); }

// The linear part of the transform applied to v.
Vec rotate(const double* xform, Vec v) {
    return {xform[0] * v.x + xform[4] * v.y + xform[8] * v.z,
            xform[1] * v.x + xform[5] * v.y + xform[9] * v.z,
            xform[2] * v.x + xform[6] * v.y + xform[10] * v.z};
}

}  // namespace

// ---- vectors ----

void nusk_vec_put(double* dst, double x, double y, double z) {
    if (dst) store(dst, {x, y, z});
}

void nusk_vec_put_zero(double* dst) {
    if (dst) store(dst, {0, 0, 0});
}

double nusk_vec_normalize(double* dst, const double* src) {
    if (!dst) return 0.0;
    Vec v = load(src);
    const double len = length(v);
    if (len > 0.0 && !normalize(v)) v = (1.0 / len) * v;  // infinite components: as they always were
    store(dst, v);
    return len;
}

int nusk_vec_is_zero(const double* v, double tol) { return length(load(v)) <= tol ? 1 : 0; }  // null: zero

int nusk_vec_put_as_unit(double* dst, const double* src, NuskUnit to, NuskUnit from) {
    if (!dst) return 0;
    if (to == from || to == nuskunit_as_is || from == nuskunit_as_is) {
        if (dst != src) store(dst, load(src));
        return 1;
    }
    double factor = nusk_get_unit_conversion_factor(from, to);
    if (factor == NUSK_NULL_REAL) return 0;
    Vec v = load(src);
    // Unset coordinates stay unset rather than scaling into tiny numbers that no longer read as null.
    for (double* c : {&v.x, &v.y, &v.z})
        if (*c != NUSK_NULL_REAL) *c *= factor;
    store(dst, v);
    return 1;
}

// ---- transforms ----

void nusk_xform_put_identity(double* xform) {
    if (xform) std::memcpy(xform, orIdentity(nullptr), 16 * sizeof(double));
}

void nusk_xform_put_dirs(double* xform, const double* z, const double* x) {
    if (!xform) return;
    // Both inputs are read in full before anything is written: they may be columns of xform.
    Vec zv = z_axis(z);
    Vec xv = x_axis(zv, x);
    store_axes(xform, xv, cross(zv, xv), zv);
}

void nusk_xform_put_cto(double* xform, const double* axis1, const double* axis2, const double* axis3,
                        const double* origin, double scale) {
    if (!xform) return;
    Vec u3 = z_axis(axis3);
    Vec u1 = x_axis(u3, axis1);
    // The second axis keeps its own sense when it has a part normal to both others, which may make
    // the frame a mirror image; otherwise the right-handed completion.
    Vec u2 = axis2 ? load(axis2) : Vec{0, 0, 0};
    if (!project_out(u2, u3, &u1)) u2 = cross(u3, u1);
    Vec o = origin ? load(origin) : Vec{0, 0, 0};
    double s = scale == NUSK_NULL_REAL ? 1.0 : scale;
    store_axes(xform, s * u1, s * u2, s * u3);
    store(xform + 12, o);
}

void nusk_xform_apply(double* dst, const double* xform, const double* src) {
    if (!dst) return;
    xform = orIdentity(xform);
    Vec v = rotate(xform, load(src));
    store(dst, {v.x + xform[12], v.y + xform[13], v.z + xform[14]});
}

void nusk_xform_apply_dir(double* dst, const double* xform, const double* src) {
    if (dst) store(dst, rotate(orIdentity(xform), load(src)));
}

void nusk_xform_compose(double* dst, const double* a, const double* b) {
    if (!dst) return;
    a = orIdentity(a);
    b = orIdentity(b);
    // Built in a scratch transform, since dst may be a or b.
    NuskXform r;
    for (int c = 0; c < 3; ++c) store(r.m + 4 * c, rotate(a, column(b, c)));
    nusk_xform_apply(r.m + 12, a, b + 12);
    std::memcpy(dst, r.m, sizeof r.m);
}

int nusk_xform_inverse(double* dst, const double* src) {
    if (!dst) return 0;
    src = orIdentity(src);
    Vec c0 = column(src, 0), c1 = column(src, 1), c2 = column(src, 2);
    // The rows of the inverse of [c0 c1 c2] are the cross products of column pairs over the determinant.
    Vec r0 = cross(c1, c2), r1 = cross(c2, c0), r2 = cross(c0, c1);
    double det = dot(c0, r0);
    double size = length(c0) * length(c1) * length(c2);
    if (!std::isfinite(det) || !(std::fabs(det) > kSingularTol * size)) {
        nusk_xform_put_identity(dst);
        return 0;
    }
    r0 = (1.0 / det) * r0, r1 = (1.0 / det) * r1, r2 = (1.0 / det) * r2;
    Vec t = column(src, 3);
    NuskXform inv;
    for (int c = 0; c < 3; ++c) {
        Vec col = c == 0 ? Vec{r0.x, r1.x, r2.x} : c == 1 ? Vec{r0.y, r1.y, r2.y} : Vec{r0.z, r1.z, r2.z};
        store(inv.m + 4 * c, col);
    }
    store(inv.m + 12, {-dot(r0, t), -dot(r1, t), -dot(r2, t)});
    std::memcpy(dst, inv.m, sizeof inv.m);
    return 1;
}
