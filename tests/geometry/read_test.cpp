// Reading points, directions, vertices, placements and operators into arrays, placed and converted.
#include "geometry_helpers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class GeometryRead : public ::testing::Test, public GeometryFixture {};

void expectXform(const double* got, std::initializer_list<double> want) {
    int i = 0;
    for (double w : want) {
        EXPECT_NEAR(got[i], w, 1e-12) << "element " << i;
        ++i;
    }
}

TEST_F(GeometryRead, TheLayoutOfAPlacementTransform) {
    NuskXform x;
    ASSERT_EQ(mivo_xform_put(x, placement({1, 2, 3}, direction({0, 0, 1}), direction({1, 0, 0}))), 1);
    expectXform(x.data(), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1});
    // The axis always ends in the third column and the reference direction in the first; Y = Z x X.
    ASSERT_EQ(mivo_xform_put(x, placement({0, 0, 0}, direction({2, 0, 0}), direction({0, 3, 0}))), 1);
    expectXform(x.data(), {0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1});
    // A point placed by it: (1, 2, 3) in the placed frame is X*1 + Y*2 + Z*3.
    double p[3];
    mivo_get_point_xyz(p, point({1, 2, 3}), &x, nuskunit_as_is, nuskunit_as_is);
    EXPECT_NEAR(p[0], 3, 1e-12);
    EXPECT_NEAR(p[1], 1, 1e-12);
    EXPECT_NEAR(p[2], 2, 1e-12);

    auto* axis1 = new (&design) stp_axis1_placement();
    axis1->location(point({4, 5, 6}));
    axis1->axis(direction({0, 0, -1}));
    ASSERT_EQ(mivo_xform_put(x, axis1), 1);
    EXPECT_NEAR(x[10], -1, 1e-12);
    EXPECT_NEAR(x[14], 6, 1e-12);
    // Missing placements are the identity; a missing output is a failure.
    x[0] = 7;
    EXPECT_EQ(mivo_xform_put(x, static_cast<stp_axis2_placement_3d*>(nullptr)), 1);
    expectXform(x.data(), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    EXPECT_EQ(mivo_xform_put(static_cast<double*>(nullptr), placement({1, 2, 3}, nullptr, nullptr)), 0);
}

TEST_F(GeometryRead, PlacementsNotIn3dAreRefusedWithAWarning) {
    CaughtMessages caught;
    NuskXform x;
    x[12] = 42;
    auto* select = new (&design) stp_axis2_placement();
    auto* flat = new (&design) stp_axis2_placement_2d();
    select->_axis2_placement_2d(flat);
    EXPECT_EQ(mivo_xform_put(x, select), 0);
    auto* cto2d = new (&design) stp_cartesian_transformation_operator_2d();
    EXPECT_EQ(mivo_xform_put(x, cto2d), 0);
    EXPECT_EQ(x[12], 42);  // left as it was
    ASSERT_EQ(caught.messages.size(), 2u);
    EXPECT_EQ(caught.messages[0], "mivo_xform_put: unimplemented case");  // the reporter drops the line end
    EXPECT_EQ(caught.messages[1], "mivo_xform_put: unimplemented cto");
    // The select holding a 3D placement reads it.
    select->_axis2_placement_3d(placement({1, 1, 1}, nullptr, nullptr));
    EXPECT_EQ(mivo_xform_put(x, select), 1);
    EXPECT_EQ(x[12], 1);
}

TEST_F(GeometryRead, OperatorsWithScaleAndMissingAxes) {
    auto* cto = new (&design) stp_cartesian_transformation_operator_3d();
    cto->local_origin(point({10, 0, 0}));
    cto->axis3(direction({0, 0, 1}));
    NuskXform x;
    // No scale: 1, as the schema derives it; no axis1 or axis2: completed around axis3.
    ASSERT_EQ(mivo_xform_put(x, cto), 1);
    expectXform(x.data(), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1});
    cto->scale(2.0);
    cto->axis1(direction({0, 1, 0}));
    ASSERT_EQ(mivo_xform_put(x, cto), 1);
    expectXform(x.data(), {0, 2, 0, 0, -2, 0, 0, 0, 0, 0, 2, 0, 10, 0, 0, 1});
    double p[3];
    mivo_get_point_xyz(p, point({1, 0, 0}), &x, nuskunit_as_is, nuskunit_as_is);
    EXPECT_NEAR(p[0], 10, 1e-12);
    EXPECT_NEAR(p[1], 2, 1e-12);
}

TEST_F(GeometryRead, PointsDirectionsVectorsAndVertices) {
    double out[3] = {7, 7, 7};
    EXPECT_EQ(mivo_vec_put(out, point({1, 2})), 1);  // a point in parameter space: no third value read
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[2], 0);
    auto* vector = new (&design) stp_vector();
    vector->orientation(direction({0, 3, 4}));
    vector->magnitude(10);
    NuskDirection d;
    EXPECT_EQ(mivo_vec_put(d, vector), 1);  // the magnitude is not read
    EXPECT_EQ(d[1], 3);
    EXPECT_EQ(d[2], 4);
    out[0] = 9;
    EXPECT_EQ(mivo_vec_put(out, static_cast<stp_vector*>(nullptr)), 1);
    EXPECT_EQ(out[0], 9);

    auto* vp = new (&design) stp_vertex_point();
    vp->vertex_geometry(point({5, 6, 7}));
    NuskPoint p;
    EXPECT_EQ(mivo_vec_put(p, vp), 1);
    EXPECT_EQ(p[2], 7);
    EXPECT_EQ(mivo_vec_put_as_unit(p, vp, nuskunit_cm, nuskunit_mm), 1);
    EXPECT_DOUBLE_EQ(p[2], 0.7);
    EXPECT_EQ(mivo_vec_put_as_unit(p, vp, nuskunit_rad, nuskunit_mm), 0);
    auto* notAPoint = new (&design) stp_vertex_point();
    notAPoint->vertex_geometry(new (&design) stp_point_on_curve());
    EXPECT_EQ(mivo_vec_put(p, notAPoint), 0);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[2], 0);
    EXPECT_EQ(mivo_vec_put(p, static_cast<stp_vertex*>(nullptr)), 0);
}

TEST_F(GeometryRead, PointsPlacedThenConverted) {
    NuskXform shift;
    shift[12] = 100;  // 100 mm along X
    double p[3];
    mivo_get_point_xyz(p, point({1, 2, 3}), &shift, nuskunit_m, nuskunit_mm);
    EXPECT_DOUBLE_EQ(p[0], 0.101);  // placed in millimetre, then converted
    EXPECT_DOUBLE_EQ(p[2], 0.003);
    double x = 0, y = 0, z = 0;
    mivo_get_point_xyz(x, y, z, point({1, 2, 3}), nuskunit_unknown, nuskunit_unknown);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(z, 3);
    mivo_get_point_xyz(p, point({1, 2, 3}), nuskunit_rad, nuskunit_mm);
    EXPECT_EQ(p[0], NUSK_NULL_REAL);
    // A missing point is no point at the origin, placed or not.
    mivo_get_point_xyz(x, y, z, nullptr, &shift, nuskunit_mm, nuskunit_mm);
    EXPECT_EQ(x, NUSK_NULL_REAL);
    EXPECT_EQ(z, NUSK_NULL_REAL);
    mivo_get_point_xyz(p, nullptr, nuskunit_mm, nuskunit_mm);
    EXPECT_EQ(p[1], NUSK_NULL_REAL);
}

TEST_F(GeometryRead, DirectionsOfPoints) {
    double d[3];
    mivo_get_direction_ijk(d, point({0, 0, 2}), nullptr);
    EXPECT_EQ(d[2], 1);
    for (auto* zero : {point({0, 0, 0}), point({1e-16, 0, 0}), static_cast<stp_cartesian_point*>(nullptr)}) {
        mivo_get_direction_ijk(d, zero, nullptr);
        EXPECT_EQ(d[0], NUSK_NULL_REAL);
        EXPECT_EQ(d[2], NUSK_NULL_REAL);
    }
    NuskXform turn;  // a quarter turn about Z, and a translation the direction must ignore
    mivo_xform_put(turn, placement({5, 5, 5}, direction({0, 0, 1}), direction({0, 1, 0})));
    double i = 0, j = 0, k = 0;
    mivo_get_direction_ijk(i, j, k, point({3, 0, 0}), &turn);
    EXPECT_NEAR(i, 0, 1e-12);
    EXPECT_NEAR(j, 1, 1e-12);
    EXPECT_NEAR(k, 0, 1e-12);
}

}  // namespace
