// Cone angles, edge vertices, polylines, styled item targets and trimming points.
#include "geometry_helpers.h"

#include "mivo_units.h"

#include <gtest/gtest.h>

namespace {

constexpr double kPi = 3.14159265358979323846;

class GeometryTopology : public ::testing::Test, public GeometryFixture {};

TEST_F(GeometryTopology, ConeAngleInEveryAngleUnit) {
    auto* cone = new (&design) stp_conical_surface();
    cone->semi_angle(kPi / 6);
    EXPECT_EQ(mivo_get_cone_angle(cone, nuskunit_unknown, nuskunit_rad), kPi / 6);  // no context unit: radian
    EXPECT_EQ(mivo_get_cone_angle(cone, nuskunit_rad, nuskunit_as_is), kPi / 6);
    EXPECT_DOUBLE_EQ(mivo_get_cone_angle(cone, nuskunit_rad, nuskunit_angle_cb1), 30.0);
    auto* degrees = new (&design) stp_conical_surface();
    degrees->semi_angle(45.0);
    EXPECT_DOUBLE_EQ(mivo_get_cone_angle(degrees, nuskunit_angle_cb1, nuskunit_rad), kPi / 4);
    EXPECT_EQ(mivo_get_cone_angle(degrees, nuskunit_angle_cb1, nuskunit_mm), NUSK_NULL_REAL);  // no conversion
    EXPECT_EQ(mivo_get_cone_angle(degrees, nuskunit_angle_cb1, nuskunit_unknown), NUSK_NULL_REAL);
    EXPECT_EQ(mivo_get_cone_angle(new (&design) stp_conical_surface(), nuskunit_rad, nuskunit_rad), NUSK_NULL_REAL);

    // Through a representation whose context states degrees.
    auto* context = new (&design) stp_geometric_representation_context_and_global_unit_assigned_context();
    auto* units = new (&design) SetOfstp_unit();
    auto* unit = new (&design) stp_unit();
    unit->_named_unit(mivo_make_named_unit(&design, nuskunit_angle_cb1));
    units->add(unit);
    static_cast<NuskObject*>(context)->putObject(units, "units");
    auto* rep = new (&design) stp_representation();
    rep->context_of_items(context);
    EXPECT_DOUBLE_EQ(mivo_get_cone_angle(degrees, rep, nuskunit_rad), kPi / 4);
}

TEST_F(GeometryTopology, EdgeVerticesThroughOrientedEdges) {
    auto* a = new (&design) stp_vertex_point();
    a->vertex_geometry(point({1, 0, 0}));
    auto* b = new (&design) stp_vertex_point();
    b->vertex_geometry(point({2, 0, 0}));
    auto* edge = new (&design) stp_edge_curve();
    edge->edge_start(a);
    edge->edge_end(b);
    auto* reversed = new (&design) stp_oriented_edge();
    reversed->edge_element(edge);
    reversed->orientation(0);
    auto* twice = new (&design) stp_oriented_edge();
    twice->edge_element(reversed);
    // The orientation is not consulted: the vertices stored on the edge below.
    EXPECT_EQ(mivo_get_edge_start(twice), static_cast<stp_vertex*>(a));
    EXPECT_EQ(mivo_get_edge_end(twice), static_cast<stp_vertex*>(b));
    double xyz[3];
    EXPECT_EQ(mivo_get_edge_end(xyz, twice), 1);
    EXPECT_EQ(xyz[0], 2);
    // Oriented edges that refer to each other in a ring end, with no vertex.
    auto* ring1 = new (&design) stp_oriented_edge();
    auto* ring2 = new (&design) stp_oriented_edge();
    ring1->edge_element(ring2);
    ring2->edge_element(ring1);
    EXPECT_EQ(mivo_get_edge_start(ring1), nullptr);
    EXPECT_EQ(mivo_get_edge_end(xyz, ring1), 0);
    EXPECT_EQ(xyz[0], 0);
    EXPECT_EQ(mivo_get_edge_start(new (&design) stp_oriented_edge()), nullptr);
}

TEST_F(GeometryTopology, PolylinesStyledItemsAndTrimmingPoints) {
    auto* line = new (&design) stp_polyline();
    auto* points = new (&design) ListOfstp_cartesian_point();
    stp_cartesian_point* first = point({0, 0, 0});
    points->add(first);
    points->add(point({1, 0, 0}));
    line->points(points);
    EXPECT_EQ(mivo_get_polyline_size(line), 2u);
    EXPECT_EQ(mivo_get_polyline_point(line, 0), first);
    EXPECT_EQ(mivo_get_polyline_point(line, 2), nullptr);  // past the end
    auto* trimmed = new (&design) stp_trimmed_curve();
    EXPECT_EQ(mivo_get_polyline_size(trimmed), 0u);
    EXPECT_EQ(mivo_get_polyline_point(trimmed, 0), nullptr);

    auto* styled = new (&design) stp_styled_item();
    mivo_put_styled_rep(styled, nullptr);  // makes the empty target select
    ASSERT_NE(styled->item(), nullptr);
    EXPECT_TRUE(styled->item()->isEmpty());
    auto* rep = new (&design) stp_representation();
    mivo_put_styled_rep(styled, rep);
    EXPECT_EQ(mivo_get_styled_rep(styled), rep);
    EXPECT_EQ(mivo_get_styled_repitem(styled), nullptr);
    mivo_put_styled_repitem(styled, first);
    EXPECT_EQ(mivo_get_styled_repitem(styled), static_cast<stp_representation_item*>(first));
    EXPECT_EQ(mivo_get_styled_rep(styled), nullptr);

    auto* trim = new (&design) SetOfstp_trimming_select();
    auto* parameter = new (&design) stp_trimming_select();
    parameter->_parameter_value(0.5);
    auto* at = new (&design) stp_trimming_select();
    at->_cartesian_point(first);
    trim->add(parameter);
    trim->add(at);
    EXPECT_EQ(mivo_get_trimming_point(trim), first);
    EXPECT_EQ(mivo_get_trimming_point(new (&design) SetOfstp_trimming_select()), nullptr);
}

}  // namespace
