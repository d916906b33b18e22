#include "nusk/xform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct V3 {
    double x, y, z;
};

double dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

double det3(const double* m) {
    return m[0] * (m[5] * m[10] - m[6] * m[9]) - m[4] * (m[1] * m[10] - m[2] * m[9]) +
           m[8] * (m[1] * m[6] - m[2] * m[5]);
}

void expect_vec(const double* v, V3 e, double tol = 1e-12) {
    EXPECT_NEAR(v[0], e.x, tol);
    EXPECT_NEAR(v[1], e.y, tol);
    EXPECT_NEAR(v[2], e.z, tol);
}

void expect_xform(const double* m, const NuskXform& e, double tol = 1e-12) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], e[i], tol) << "element " << i;
}

// Axis columns of unit length, mutually orthogonal, right-handed; bottom row 0 0 0 1.
void expect_right_handed_frame(const double* m) {
    for (int a = 0; a < 3; ++a)
        for (int b = a; b < 3; ++b) EXPECT_NEAR(dot(m + 4 * a, m + 4 * b), a == b, 1e-12) << a << b;
    EXPECT_NEAR(det3(m), 1.0, 1e-12);
    for (int i : {3, 7, 11}) EXPECT_EQ(m[i], 0.0);
    EXPECT_EQ(m[15], 1.0);
}

const double* opt(const std::vector<double>& v) { return v.empty() ? nullptr : v.data(); }

TEST(Vec, NormalizeAndPutAsUnit) {
    double v[3] = {3, 0, 4}, zero[3] = {0, 0, 0}, u[3] = {9, 9, 9};
    EXPECT_DOUBLE_EQ(nusk_vec_normalize(v, v), 5.0);
    expect_vec(v, {0.6, 0, 0.8});
    EXPECT_EQ(nusk_vec_normalize(u, zero), 0.0);
    expect_vec(u, {0, 0, 0}, 0);

    double in[3] = {1, -2, 0.5}, out[3];
    EXPECT_EQ(nusk_vec_put_as_unit(out, in, nuskunit_mm, nuskunit_length_cb1), 1);
    expect_vec(out, {25.4, -50.8, 12.7});
    EXPECT_EQ(nusk_vec_put_as_unit(out, in, nuskunit_mm, nuskunit_as_is), 1);
    expect_vec(out, {1, -2, 0.5}, 0);
    EXPECT_EQ(nusk_vec_put_as_unit(out, in, nuskunit_rad, nuskunit_mm), 0);
    EXPECT_EQ(nusk_vec_put_as_unit(out, in, nuskunit_unknown, nuskunit_mm), 0);
    expect_vec(out, {1, -2, 0.5}, 0);  // untouched
}

TEST(Xform, PutDirsCompletesToRightHandedFrames) {
    const double r = 1 / std::sqrt(2.0);
    const struct { std::vector<double> z, x; V3 ex, ez; } cases[] = {  // empty: null pointer
        {{}, {}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, -1}, {}, {1, 0, 0}, {0, 0, -1}},         // flipped Z keeps X, so Y flips
        {{1, 0, 0}, {}, {0, 1, 0}, {1, 0, 0}},           // Z along X: Y axis as reference
        {{-2, 0, 0}, {4, 0, 0}, {0, 1, 0}, {-1, 0, 0}},  // parallel reference
        {{0, 0, 1}, {0, 0, -3}, {1, 0, 0}, {0, 0, 1}},   // antiparallel reference
        {{0, 0, 1}, {1, 1, 7}, {r, r, 0}, {0, 0, 1}},    // reference projected onto the XY plane
        {{0, 1, 1}, {0, 1, 0}, {0, r, -r}, {0, r, r}},
    };
    for (const auto& c : cases) {
        NuskXform m;
        m[12] = 4, m[3] = 9;
        nusk_xform_put_dirs(m.m, opt(c.z), opt(c.x));
        expect_right_handed_frame(m.m);
        expect_vec(m.m + 0, c.ex);
        expect_vec(m.m + 8, c.ez);
        EXPECT_EQ(m[12], 4.0);  // origin untouched
    }
    // Z and reference read from the columns being written.
    NuskXform m;
    nusk_vec_put(m.m + 0, 0, 2, 0);
    nusk_vec_put(m.m + 8, 3, 0, 0);
    nusk_xform_put_dirs(m.m, m.m + 8, m.m + 0);
    expect_xform(m.m, {{0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1}});
}

TEST(Xform, DirectionsTooLongOrTooShortToSquareKeepTheirDirection) {
    // Squared, these components overflow or underflow; scaled first, each is still the direction it names.
    const double r = 1 / std::sqrt(2.0), s = 1 / std::sqrt(6.0), t = 1 / std::sqrt(3.0), inf = INFINITY;
    const struct { std::vector<double> z, x; V3 ex, ez; } cases[] = {
        {{1e200, 1e200, 0}, {}, {r, -r, 0}, {r, r, 0}},
        {{1e-200, 1e-200, 0}, {}, {r, -r, 0}, {r, r, 0}},
        {{1e308, 1e308, 1e308}, {}, {2 * s, -s, -s}, {t, t, t}},  // even the length overflows
        {{0, 0, 5e-324}, {}, {1, 0, 0}, {0, 0, 1}},
        {{0, 0, -1e-310}, {}, {1, 0, 0}, {0, 0, -1}},
        {{0, 0, 1}, {1e300, -1e300, 1e300}, {r, -r, 0}, {0, 0, 1}},  // a huge reference
        {{0, 0, 1}, {1e-300, 1e-300, 0}, {r, r, 0}, {0, 0, 1}},      // a tiny one
        // Vectors without a length keep falling back to the default axes.
        {{inf, 0, 0}, {}, {1, 0, 0}, {0, 0, 1}},
        {{NAN, 1, 0}, {}, {1, 0, 0}, {0, 0, 1}},
    };
    for (const auto& c : cases) {
        NuskXform m;
        nusk_xform_put_dirs(m.m, opt(c.z), opt(c.x));
        expect_right_handed_frame(m.m);
        expect_vec(m.m + 0, c.ex);
        expect_vec(m.m + 8, c.ez);
    }
    double v[3] = {3e-200, 0, 4e-200}, huge[3] = {-1e300, 1e300, 0};
    EXPECT_NEAR(nusk_vec_normalize(v, v), 5e-200, 1e-214);
    expect_vec(v, {0.6, 0, 0.8});
    EXPECT_NEAR(nusk_vec_normalize(huge, huge), 1e300 * std::sqrt(2.0), 1e286);
    expect_vec(huge, {-r, r, 0});
}

TEST(Xform, PutCto) {
    const double a1[3] = {0, 1, 0}, a3[3] = {0, 0, 2}, origin[3] = {1, 2, 3};
    NuskXform m;
    nusk_xform_put_cto(m.m, a1, nullptr, a3, origin, 2.0);
    expect_xform(m.m, {{0, 2, 0, 0, -2, 0, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1}});
    // Unset scale counts as 1, a missing origin as 0; axis2 keeps only its part normal to the others,
    // and is replaced when it has none.
    const double slanted[3] = {0.5, 3, 4}, along[3] = {5, 0, 0}, down[3] = {0, -1, 0};
    for (const double* a2 : {slanted, along}) {
        nusk_xform_put_cto(m.m, nullptr, a2, nullptr, nullptr, NUSK_NULL_REAL);
        expect_xform(m.m, NuskXform());
    }
    nusk_xform_put_cto(m.m, nullptr, down, nullptr, nullptr, 1.0);  // a mirror is kept
    EXPECT_NEAR(det3(m.m), -1.0, 1e-12);
}

TEST(Xform, ApplyAndComposeOrder) {
    const double z[3] = {0, 0, 1}, x[3] = {0, 1, 0}, shift[3] = {10, 0, 0};
    NuskXform turn, move, ab, ba;  // quarter turn about Z; shift along X
    nusk_xform_put_cto(turn.m, x, nullptr, z, nullptr, 1.0);
    nusk_xform_put_cto(move.m, nullptr, nullptr, nullptr, shift, 1.0);
    double p[3] = {1, 0, 0};
    nusk_xform_apply_dir(p, move.m, p);
    expect_vec(p, {1, 0, 0});
    nusk_xform_apply(p, move.m, p);
    expect_vec(p, {11, 0, 0});

    nusk_xform_compose(ab.m, move.m, turn.m);
    nusk_xform_compose(ba.m, turn.m, move.m);
    nusk_vec_put(p, 1, 0, 0);
    nusk_xform_apply(p, ab.m, p);
    expect_vec(p, {10, 1, 0});  // turned, then moved
    nusk_vec_put(p, 1, 0, 0);
    nusk_xform_apply(p, ba.m, p);
    expect_vec(p, {0, 11, 0});  // moved, then turned

    NuskXform left = move, right = turn;
    nusk_xform_compose(left.m, left.m, turn.m);
    nusk_xform_compose(right.m, move.m, right.m);
    expect_xform(left.m, ab, 0);
    expect_xform(right.m, ab, 0);
}

TEST(Xform, InverseUndoesTransform) {
    // Scaled rotations about skew axes with translations, a mirror and a shear.
    std::vector<NuskXform> samples(6);
    const double axes[][3] = {{0, 0, 1}, {1, 2, 3}, {-0.3, 0.9, -0.1}, {1, 0, 0}};
    const double refs[][3] = {{1, 0, 0}, {0.7, -0.2, 0.4}, {2, 1, -5}, {0, 3, 1}};
    for (int i = 0; i < 4; ++i) {
        const double origin[3] = {i * 10.0 - 7, 3.5 * i, -2.0 / (i + 1)};
        nusk_xform_put_cto(samples[i].m, refs[i], nullptr, axes[i], origin, 0.5 + i);
    }
    const double y_down[3] = {0, -1, 0};
    nusk_xform_put_cto(samples[4].m, nullptr, y_down, nullptr, nullptr, 1.0);
    samples[5][4] = 0.75, samples[5][9] = -1.25, samples[5][13] = 8.0;
    for (const NuskXform& m : samples) {
        NuskXform inv, product;
        ASSERT_EQ(nusk_xform_inverse(inv.m, m.m), 1);
        nusk_xform_compose(product.m, m.m, inv.m);
        expect_xform(product.m, NuskXform());
        nusk_xform_compose(product.m, inv.m, m.m);
        expect_xform(product.m, NuskXform());
        ASSERT_EQ(nusk_xform_inverse(inv.m, inv.m), 1);  // in place
        expect_xform(inv.m, m);
    }
}

TEST(Xform, InverseOfSingularIsIdentity) {
    NuskXform flat, coplanar, out;
    flat[10] = 0.0;
    coplanar[8] = 1, coplanar[9] = 1, coplanar[10] = 0;  // Z in the XY plane
    for (NuskXform* m : {&flat, &coplanar}) {
        (*m)[12] = 5, out[0] = 9;
        EXPECT_EQ(nusk_xform_inverse(out.m, m->m), 0);
        expect_xform(out.m, NuskXform(), 0);
    }
    NuskXform tiny;  // a uniformly small scale is not singular
    tiny[0] = tiny[5] = tiny[10] = 1e-9;
    EXPECT_EQ(nusk_xform_inverse(out.m, tiny.m), 1);
    EXPECT_NEAR(out[0], 1e9, 1e-3);
}

}  // namespace
