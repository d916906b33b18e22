// Placement transforms: the child's frame in the parent's from an origin and a target placement in units that may
// differ, checked by mapping sample points with the rotations and unit factors written out.
#include "asm_helpers.h"
#include "synthetic_assembly.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Vec = std::array<double, 3>;

/// The transform applied to a point, written out: X p + Y p + Z p + origin.
Vec apply(const NuskXform& x, const Vec& p) {
    Vec out;
    for (int r = 0; r < 3; ++r) out[r] = x[r] * p[0] + x[4 + r] * p[1] + x[8 + r] * p[2] + x[12 + r];
    return out;
}

/// Where a point of the child (in the child's unit) lies in the parent, in the child's unit: into the origin
/// placement's frame, then out of the target placement's, whose location is in the parent's unit.
Vec expectedInParent(const NuskXform& origin, const NuskXform& target, double parentToChild, const Vec& p) {
    const Vec d = {p[0] - origin[12], p[1] - origin[13], p[2] - origin[14]};
    Vec q;
    for (int c = 0; c < 3; ++c) q[c] = origin[4 * c] * d[0] + origin[4 * c + 1] * d[1] + origin[4 * c + 2] * d[2];
    Vec out;
    for (int r = 0; r < 3; ++r)
        out[r] = target[r] * q[0] + target[4 + r] * q[1] + target[8 + r] * q[2] + target[12 + r] * parentToChild;
    return out;
}

void expectNear(const Vec& actual, const Vec& expected, const std::string& what) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-9 * std::max(1.0, std::fabs(expected[i]))) << what << " [" << i << "]";
}

void expectRigid(const NuskXform& x) {
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            const double d = x[4 * a] * x[4 * b] + x[4 * a + 1] * x[4 * b + 1] + x[4 * a + 2] * x[4 * b + 2];
            EXPECT_NEAR(d, a == b ? 1.0 : 0.0, 1e-12) << a << "," << b;
        }
    EXPECT_EQ(x[3], 0.0);
    EXPECT_EQ(x[7], 0.0);
    EXPECT_EQ(x[11], 0.0);
    EXPECT_EQ(x[15], 1.0);
}

void expectIdentity(const NuskXform& x) {
    for (int i = 0; i < 16; ++i) EXPECT_EQ(x[i], NuskXform()[i]) << i;
}

const std::vector<Vec> kSamples = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-3.5, 12.25, 7}};

struct Placements : AsmFixture, ::testing::Test {
    std::mt19937 rng{20261207};
    NuskXform randomFrame() {
        // A synthetic assembly's first placement serves as a random frame.
        synth::Options one;
        one.fanOutByDepth = {1};
        return synth::generate(static_cast<uint32_t>(rng()), one).nodes[1].origin;
    }
};

TEST_F(Placements, RandomPlacementsInMixedUnitsMapPointsAsComputedByHand) {
    const NuskUnit units[] = {nuskunit_mm, nuskunit_length_cb1, nuskunit_m, nuskunit_cm};
    for (NuskUnit parentUnit : units)
        for (NuskUnit childUnit : units) {
            const NuskXform o = randomFrame(), t = randomFrame();
            stp_axis2_placement_3d* origin = placement(nullptr, o);
            stp_axis2_placement_3d* target = placement(nullptr, t);
            const NuskXform x = mivo_get_transform(origin, target, parentUnit, childUnit);
            expectRigid(x);
            const double parentToChild = synth::mmPer(parentUnit) / synth::mmPer(childUnit);
            const std::string what = std::string(nusk_get_unit_name(parentUnit)) + " to " + nusk_get_unit_name(childUnit);
            for (const Vec& p : kSamples) expectNear(apply(x, p), expectedInParent(o, t, parentToChild, p), what);
        }
}

TEST_F(Placements, ALinkGivesItsOriginInTheUnitAskedFor) {
    Product parent = product("parent", nuskunit_m), child = product("child", nuskunit_length_cb1);
    const NuskXform o = randomFrame(), t = randomFrame();
    Usage u = useByRelationship(parent, child, o, t);
    tag();
    // In the child's own unit (inch) for unknown, as-is and inch itself.
    for (NuskUnit asked : {nuskunit_unknown, nuskunit_as_is, nuskunit_length_cb1}) {
        const NuskXform x = mivo_get_shape_usage_xform(u.rel, asked);
        expectRigid(x);
        for (const Vec& p : kSamples) expectNear(apply(x, p), expectedInParent(o, t, 1000 / 25.4, p), "inch");
    }
    // In millimetres: points in millimetres on both sides.
    const NuskXform mm = mivo_get_transform(MivoMgrAsmRelation::find(u.rel), nuskunit_mm);
    for (const Vec& p : kSamples) {
        Vec expected = expectedInParent(o, t, 1000 / 25.4, p);
        for (double& v : expected) v *= 25.4;
        expectNear(apply(mm, {p[0] * 25.4, p[1] * 25.4, p[2] * 25.4}), expected, "mm");
    }
    // Only the origin is converted: the axes are the same in every unit.
    const NuskXform inch = mivo_get_shape_usage_xform(u.rel, nuskunit_length_cb1);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(mm[i], inch[i]) << i;
}

TEST_F(Placements, SameUnitsOrAnAsIsParentScaleNothing) {
    const NuskXform t = moved(10, 20, 30);
    stp_axis2_placement_3d* target = placement(nullptr, t);
    for (auto units : {std::make_pair(nuskunit_m, nuskunit_m), std::make_pair(nuskunit_as_is, nuskunit_mm)}) {
        const NuskXform x = mivo_get_transform(nullptr, target, units.first, units.second);
        EXPECT_EQ(x[12], 10.0);
        EXPECT_EQ(x[13], 20.0);
        EXPECT_EQ(x[14], 30.0);
    }
    // A link whose relationship has no transformation, and one without placements at all: the identity.
    Product parent = product("parent"), child = product("child", nuskunit_m);
    auto* plain = plainRelationship(child.shape, parent.shape);
    tag();
    expectIdentity(mivo_get_shape_usage_xform(plain, nuskunit_mm));
    expectIdentity(mivo_get_transform(nullptr, nullptr, nuskunit_mm, nuskunit_m));
}

TEST_F(Placements, UnitsWithoutAConversionAreReportedAndTheLocationKept) {
    const NuskXform t = moved(1, 2, 3);
    stp_axis2_placement_3d* target = placement(nullptr, t);
    CaughtMessages caught;
    const NuskXform x = mivo_get_transform(nullptr, target, nuskunit_mm, nuskunit_rad);
    EXPECT_EQ(caught.errors, std::vector<std::string>{"mivo_get_transform: Could not convert units"});
    EXPECT_EQ(x[12], 1.0);
    EXPECT_EQ(x[14], 3.0);

    // A parent whose context has no length unit.
    auto* unitless = new (&design) stp_representation_context();
    unitless->context_identifier("none");
    unitless->context_type("3D");
    Product parent = product("parent"), child = product("child");
    parent.shape->context_of_items(unitless);
    Usage u = useByRelationship(parent, child, NuskXform(), moved(4, 5, 6));
    tag();
    CaughtMessages again;
    const NuskXform y = mivo_get_shape_usage_xform(u.rel, nuskunit_mm);
    EXPECT_EQ(again.errors, std::vector<std::string>{"mivo_get_transform: Could not convert units"});
    EXPECT_EQ(y[12], 4.0);
    EXPECT_EQ(y[13], 5.0);
}

TEST_F(Placements, NullAndUntaggedUsagesAreTheIdentity) {
    Product parent = product("parent"), child = product("child");
    Usage u = useByRelationship(parent, child, moved(1, 1, 1), moved(2, 2, 2));
    stp_mapped_item* item = mapInto(parent, child, moved(1, 1, 1), moved(3, 3, 3));
    // Not tagged yet.
    expectIdentity(mivo_get_shape_usage_xform(u.rel, nuskunit_mm));
    expectIdentity(mivo_get_shape_usage_xform(item, nuskunit_mm));
    expectIdentity(mivo_get_shape_usage_xform(static_cast<stp_mapped_item*>(nullptr), nuskunit_mm));
    expectIdentity(mivo_get_transform(static_cast<MivoMgrAsmRelation*>(nullptr), nuskunit_mm));
    tag();
    EXPECT_EQ(mivo_get_shape_usage_xform(u.rel, nuskunit_mm)[12], 1.0);
    EXPECT_EQ(mivo_get_shape_usage_xform(item, nuskunit_mm)[12], 2.0);
}

}  // namespace
