// Moving representations into contexts in other units: which values are converted and which are not, the
// count, the cases that change nothing, contexts made in other units, and the conversion of a whole design.
#include "geometry_fixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

class Translate : public ::testing::Test, public GeometryFixture {
protected:
    FullContext* mmRad = contextIn(nuskunit_mm, nuskunit_rad);
    FullContext* mRad = contextIn(nuskunit_m, nuskunit_rad);
    FullContext* mDeg = contextIn(nuskunit_m, nuskunit_angle_cb1);
    FullContext* mmDeg = contextIn(nuskunit_mm, nuskunit_angle_cb1);

    /// One stored value and what it must become.
    struct Value {
        NuskObject* obj;
        const char* attribute;
        double expected;
    };
    static void expectValues(const std::vector<Value>& values) {
        for (const Value& v : values)
            EXPECT_NEAR(v.obj->getDouble(v.attribute), v.expected, 1e-12 * std::abs(v.expected))
                << v.obj->domain()->name() << "." << v.attribute;
    }
    static bool movedTo(stp_representation* r, stp_representation_context* c) { return r->context_of_items() == c; }
};

TEST_F(Translate, EveryLengthAndPlaneAngleAttributeIsConverted) {
    // Millimetre and radian into metre and degree: lengths times 0.001, angles times 180/pi, whichever entity
    // declares them: the radii of the table everyone knows, and the magnitudes, offsets and sizes it leaves out.
    const double mm = 0.001, deg = 180 / kPi;
    std::vector<NuskObject*> items;
    std::vector<Value> expected;
    auto add = [&](NuskTypePtr& type, std::initializer_list<std::pair<const char*, double>> values, double factorOf0,
                   double factorOf1 = 0, double factorOf2 = 0) {
        NuskObject* obj = make(type, values);
        items.push_back(obj);
        const double factors[] = {factorOf0, factorOf1, factorOf2};
        size_t i = 0;
        for (const auto& v : values) expected.push_back({obj, v.first, v.second * factors[i++]});
    };
    add(nusktype_stp_circle, {{"radius", 5}}, mm);
    add(nusktype_stp_cylindrical_surface, {{"radius", 6}}, mm);
    add(nusktype_stp_spherical_surface, {{"radius", 7}}, mm);
    add(nusktype_stp_toroidal_surface, {{"major_radius", 20}, {"minor_radius", 3}}, mm, mm);
    add(nusktype_stp_ellipse, {{"semi_axis_1", 8}, {"semi_axis_2", 4}}, mm, mm);
    add(nusktype_stp_hyperbola, {{"semi_axis", 2}, {"semi_imag_axis", 1}}, mm, mm);
    add(nusktype_stp_parabola, {{"focal_dist", 9}}, mm);
    add(nusktype_stp_conical_surface, {{"radius", 10}, {"semi_angle", 0.5}}, mm, deg);
    add(nusktype_stp_vector, {{"magnitude", 11}}, mm);
    add(nusktype_stp_offset_curve_3d, {{"distance", 12}}, mm);
    add(nusktype_stp_offset_surface, {{"distance", -13}}, mm);
    add(nusktype_stp_block, {{"x", 1}, {"y", 2}, {"z", 3}}, mm, mm, mm);
    add(nusktype_stp_right_circular_cone, {{"height", 30}, {"radius", 4}, {"semi_angle", 0.25}}, mm, mm, deg);
    add(nusktype_stp_sphere, {{"radius", 14}}, mm);
    add(nusktype_stp_extruded_area_solid, {{"depth", 15}}, mm);
    add(nusktype_stp_revolved_area_solid, {{"angle", kPi}}, deg);
    add(nusktype_stp_planar_box, {{"size_in_x", 16}, {"size_in_y", 17}}, mm, mm);
    NuskObject* p = point({100, -200, 300});
    items.push_back(p);
    stp_shape_representation* r = rep(mmRad, items);

    EXPECT_EQ(mivo_translate_geometry_units(r, mDeg), items.size());
    expectValues(expected);
    expectCoordinates(p, {0.1, -0.2, 0.3});
    EXPECT_TRUE(movedTo(r, mDeg));
}

TEST_F(Translate, ValuesOfOtherTypesKeepTheirStoredValues) {
    // Directions, parameters (knots, trimming parameters), the scale of a transformation, counts and measure
    // values with units of their own stay; the b-spline's control points are geometry and are converted.
    NuskObject* direction1 = direction({3, 4, 0});
    NuskObject* cp1 = point({10, 0, 0});
    NuskObject* cp2 = point({20, 0, 0});
    NuskObject* spline = make(nusktype_stp_b_spline_curve_with_knots);
    spline->putInteger(1, "degree");
    list(spline, "control_points_list", {cp1, cp2});
    reals(spline, "knots", {0, 25});
    NuskObject* trimmed = make(nusktype_stp_trimmed_curve);
    link(trimmed, "basis_curve", spline);
    auto* trim = new (&design) stp_trimming_select();
    trim->putReal(nusk_ap242_schema()->findDomain("parameter_value"), 12.5);
    auto* trims = new (&design) SetOfstp_trimming_select();
    trims->add(trim);
    trimmed->putObject(trims, "trim_1");
    NuskObject* cto = make(nusktype_stp_cartesian_transformation_operator_3d, {{"scale", 2.5}});
    stp_measure_representation_item* measure = mivo_make_measure_item(&design, 42, nuskunit_mm);
    stp_shape_representation* r = rep(mmRad, {direction1, trimmed, cto, measure});

    EXPECT_EQ(mivo_translate_geometry_units(r, mRad), 2u);  // the two control points
    expectCoordinates(cp1, {0.01, 0, 0});
    expectCoordinates(cp2, {0.02, 0, 0});
    EXPECT_EQ(dynamic_cast<ListOfDouble*>(direction1->getObject("direction_ratios"))->get(0), 3);
    EXPECT_EQ(dynamic_cast<ListOfDouble*>(spline->getObject("knots"))->get(1), 25);
    EXPECT_EQ(trim->realValue(), 12.5);
    EXPECT_EQ(cto->getDouble("scale"), 2.5);
    EXPECT_EQ(mivo_get_measure_value(nusk_cast<stp_measure_with_unit>(static_cast<NuskObject*>(measure)), nuskunit_as_is), 42);
}

TEST_F(Translate, WhatIsSharedIsConvertedOnce) {
    // A point that two lines and the representation share; a list of coordinates that two points share (as
    // designs made in code may): each scaled once, the list counted for the first point.
    NuskObject* shared = point({1000, 0, 0});
    NuskObject* line1 = link(link(make(nusktype_stp_line), "pnt", shared), "dir", make(nusktype_stp_vector));
    NuskObject* line2 = link(link(make(nusktype_stp_line), "pnt", shared), "dir", make(nusktype_stp_vector));
    NuskObject* sharing = make(nusktype_stp_cartesian_point);
    sharing->putObject(point({2000, 0, 0})->getObject("coordinates"), "coordinates");
    stp_shape_representation* r = rep(mmRad, {line1, line2, shared, sharing});
    EXPECT_EQ(mivo_translate_geometry_units(r, mRad), 2u);
    expectCoordinates(shared, {1, 0, 0});
    expectCoordinates(sharing, {2, 0, 0});
}

TEST_F(Translate, ShortPointsAndUnsetValues) {
    // A point in parameter space has two coordinates; an unset radius stays unset and is not counted.
    NuskObject* flat = point({500, 250});
    NuskObject* unset = make(nusktype_stp_circle);
    NuskObject* torus = make(nusktype_stp_toroidal_surface, {{"major_radius", 40}});
    stp_shape_representation* r = rep(mmRad, {flat, unset, torus});
    EXPECT_EQ(mivo_translate_geometry_units(r, mRad), 2u);
    expectCoordinates(flat, {0.5, 0.25});
    EXPECT_EQ(unset->getDouble("radius"), NUSK_NULL_REAL);
    EXPECT_DOUBLE_EQ(torus->getDouble("major_radius"), 0.04);
    EXPECT_EQ(torus->getDouble("minor_radius"), NUSK_NULL_REAL);
}

TEST_F(Translate, AnAngleChangeAloneTouchesOnlyAngles) {
    NuskObject* cone = make(nusktype_stp_conical_surface, {{"radius", 10}, {"semi_angle", kPi / 4}});
    NuskObject* circle = make(nusktype_stp_circle, {{"radius", 5}});
    NuskObject* p = point({1, 2, 3});
    stp_shape_representation* r = rep(mmRad, {cone, circle, p});
    EXPECT_EQ(mivo_translate_geometry_units(r, mmDeg), 1u);
    EXPECT_NEAR(cone->getDouble("semi_angle"), 45, 1e-12);
    EXPECT_EQ(cone->getDouble("radius"), 10);
    EXPECT_EQ(circle->getDouble("radius"), 5);
    expectCoordinates(p, {1, 2, 3});
    EXPECT_TRUE(movedTo(r, mmDeg));
}

TEST_F(Translate, ParametersOfCirclesAndEllipsesAreAnglesAndConvertWithThem) {
    // A circle's parameter is a plane angle in its context's unit: half a circle trimmed at pi radians is trimmed
    // at 180 degrees, not at 3.14. A line's parameter has no unit, and a trim given as a point is a point.
    auto trims = [&](std::initializer_list<double> values, NuskObject* point = nullptr) {
        auto* set = new (&design) SetOfstp_trimming_select();
        for (double v : values) {
            auto* value = new (&design) stp_trimming_select();
            value->_parameter_value(v);
            set->add(value);
        }
        if (point) {
            auto* value = new (&design) stp_trimming_select();
            value->_cartesian_point(nusk_cast(point, nusktype_stp_cartesian_point));
            set->add(value);
        }
        return set;
    };
    auto trimmed = [&](NuskObject* basis, SetOfstp_trimming_select* from, SetOfstp_trimming_select* to) {
        auto* curve = new (&design) stp_trimmed_curve();
        curve->basis_curve(nusk_cast(basis, nusktype_stp_curve));
        curve->trim_1(from);
        curve->trim_2(to);
        return curve;
    };
    NuskObject* circle = make(nusktype_stp_circle, {{"radius", 5}});
    NuskObject* ellipse = make(nusktype_stp_ellipse, {{"semi_axis_1", 4}, {"semi_axis_2", 2}});
    NuskObject* line = make(nusktype_stp_line);
    NuskObject* corner = point({1, 2, 3});
    stp_trimmed_curve* arc = trimmed(circle, trims({0}, corner), trims({kPi}));
    stp_trimmed_curve* ellipticArc = trimmed(ellipse, trims({kPi / 2}), trims({kPi}));
    stp_trimmed_curve* segment = trimmed(line, trims({0}), trims({2.5}));
    stp_trimmed_curve* arcOfArc = trimmed(arc, trims({kPi / 4}), trims({kPi / 2}));
    NuskObject* pipe = make(nusktype_stp_swept_disk_solid, {{"radius", 1}, {"start_param", 0}, {"end_param", kPi}});
    link(pipe, "directrix", circle);
    stp_shape_representation* r = rep(mmRad, {arc, ellipticArc, segment, arcOfArc, pipe});
    mivo_translate_geometry_units(r, mmDeg);
    EXPECT_NEAR(arc->trim_2()->get(0)->_parameter_value(), 180, 1e-9);
    EXPECT_EQ(arc->trim_1()->get(1)->_cartesian_point(), corner);
    expectCoordinates(corner, {1, 2, 3});
    EXPECT_NEAR(ellipticArc->trim_1()->get(0)->_parameter_value(), 90, 1e-9);
    EXPECT_NEAR(arcOfArc->trim_2()->get(0)->_parameter_value(), 90, 1e-9);
    EXPECT_EQ(segment->trim_2()->get(0)->_parameter_value(), 2.5);
    EXPECT_NEAR(pipe->getDouble("end_param"), 180, 1e-9);
    EXPECT_EQ(circle->getDouble("radius"), 5);
}

TEST_F(Translate, TheSameUnitsChangeNothing) {
    NuskObject* circle = make(nusktype_stp_circle, {{"radius", 5}});
    stp_shape_representation* r = rep(mmRad, {circle});
    FullContext* alike = contextIn(nuskunit_mm, nuskunit_rad);
    EXPECT_EQ(mivo_translate_geometry_units(r, alike), 0u);
    EXPECT_TRUE(movedTo(r, mmRad));
    EXPECT_EQ(circle->getDouble("radius"), 5);
    // Once moved, a second run finds the units equal: nothing is converted twice.
    EXPECT_EQ(mivo_translate_geometry_units(r, mRad), 1u);
    EXPECT_EQ(mivo_translate_geometry_units(r, mRad), 0u);
    EXPECT_DOUBLE_EQ(circle->getDouble("radius"), 0.005);
}

TEST_F(Translate, WithoutAFactorNothingChangesAndAWarningNamesTheRepresentation) {
    NuskObject* cone = make(nusktype_stp_conical_surface, {{"radius", 10}, {"semi_angle", 0.5}});
    stp_shape_representation* r = rep(mmRad, {cone});
    const std::string id = "#" + std::to_string(r->entity_id());
    // A context without a length unit, and one without a plane angle unit: in both, the pair that differs
    // has no factor, so even the pair that has one is left alone.
    for (FullContext* target : {contextIn(nuskunit_unknown, nuskunit_angle_cb1), contextIn(nuskunit_m, nuskunit_unknown)}) {
        CapturedReports reports;
        EXPECT_EQ(mivo_translate_geometry_units(r, target), 0u);
        EXPECT_TRUE(movedTo(r, mmRad));
        EXPECT_EQ(cone->getDouble("radius"), 10);
        EXPECT_EQ(cone->getDouble("semi_angle"), 0.5);
        ASSERT_EQ(reports.messages.size(), 1u);
        EXPECT_NE(reports.messages[0].find("representation " + id), std::string::npos) << reports.messages[0];
    }
}

TEST_F(Translate, AValueTakenOutOfRangeIsCountedAndNamed) {
    // 1.7E308 mm is no length in micrometres a double can hold: the value becomes infinite (no file can hold it),
    // and the conversion says so, naming the representation and the point, instead of passing for a success.
    FullContext* umRad = contextIn(nuskunit_um, nuskunit_rad);
    NuskObject* far = point({1, 1.7e308, -1.7e308});
    NuskObject* near = point({1, 2, 3});
    stp_shape_representation* r = rep(mmRad, {near, far});
    {
        CapturedReports reports;
        EXPECT_EQ(mivo_translate_geometry_units(r, umRad), 2u);
        ASSERT_EQ(reports.messages.size(), 1u);
        const std::string& m = reports.messages[0];
        EXPECT_NE(m.find("representation #" + std::to_string(r->entity_id()) + ": 2 values out of range"),
                  std::string::npos) << m;
        EXPECT_NE(m.find("(the first in #" + std::to_string(far->entity_id()) + ")"), std::string::npos) << m;
    }
    expectCoordinates(near, {1000, 2000, 3000});
    // The whole design: counted once per value, whichever representations share it.
    NuskObject* farther = point({1.5e308, 0, 0});
    rep(mmRad, {farther});
    rep(mmRad, {farther});
    CapturedReports reports;
    const MivoUnitConversion done = mivo_convert_geometry_units(&design, nuskunit_um, nuskunit_unknown);
    EXPECT_EQ(done.outOfRange, 1u);
    EXPECT_EQ(reports.messages.size(), 1u);
}

TEST_F(Translate, RepresentationsInAUnitNoConversionKnowsAreKeptCountedAndNamed) {
    // A kilometre and a yard are lengths no code stands for: nothing converts from them, and saying nothing
    // would pass the design off as converted. Told once per context, counted per representation.
    NuskObject* rad = mivo_make_unit(&design, nuskunit_rad);
    FullContext* inKm = context({si(stp_si_unit_name_metre, stp_si_prefix_kilo), rad}, {});
    FullContext* inYards = context({cb("YARD", 914.4, mivo_make_unit(&design, nuskunit_mm)), rad}, {});
    NuskObject* kmPoint = point({1, 2, 3});
    NuskObject* yardPoint = point({4, 5, 6});
    NuskObject* mmPoint = point({7, 0, 0});
    rep(inKm, {kmPoint});
    rep(inYards, {yardPoint});
    rep(inYards, {yardPoint});
    stp_shape_representation* inMm = rep(mmRad, {mmPoint});
    mivo_tag_units(&design);
    CapturedReports reports;
    const MivoUnitConversion done = mivo_convert_geometry_units(&design, nuskunit_m, nuskunit_unknown);
    EXPECT_EQ(done.representations, 1u);
    EXPECT_EQ(done.unconverted, 3u);
    expectCoordinates(kmPoint, {1, 2, 3});
    expectCoordinates(yardPoint, {4, 5, 6});
    expectCoordinates(mmPoint, {0.007, 0, 0});
    EXPECT_FALSE(movedTo(inMm, mmRad));
    ASSERT_EQ(reports.messages.size(), 2u);
    const std::string all = reports.messages[0] + reports.messages[1];
    for (FullContext* c : {inKm, inYards})
        EXPECT_NE(all.find("context #" + std::to_string(c->entity_id()) + " states a length unit that no conversion"),
                  std::string::npos) << all;
    EXPECT_NE(all.find("kilometre"), std::string::npos) << all;
    EXPECT_NE(all.find("YARD"), std::string::npos) << all;
}

TEST_F(Translate, AMappedItemsTargetIsConvertedButNotTheMappedRepresentation) {
    NuskObject* circle = make(nusktype_stp_circle, {{"radius", 2}});
    NuskObject* origin = placement(point({0, 0, 0}));
    stp_shape_representation* mapped = rep(mmRad, {origin, circle});
    NuskObject* map = link(link(make(nusktype_stp_representation_map), "mapping_origin", origin),
                           "mapped_representation", mapped);
    NuskObject* location = point({10, 20, 30});
    NuskObject* usage = link(link(make(nusktype_stp_mapped_item), "mapping_source", map), "mapping_target",
                             placement(location, direction({0, 0, 1})));
    stp_shape_representation* r = rep(mmRad, {usage});
    EXPECT_EQ(mivo_translate_geometry_units(r, mRad), 1u);
    expectCoordinates(location, {0.01, 0.02, 0.03});
    EXPECT_EQ(circle->getDouble("radius"), 2);
    EXPECT_TRUE(movedTo(mapped, mmRad));
}

TEST_F(Translate, TheItemsOfAnotherRepresentationKeepTheirOwnUnits) {
    // A pcurve's parameter-space curve is in the context of its definitional representation, not in the
    // context of the representation that holds the pcurve.
    NuskObject* uv = point({0.5, 0.25});
    stp_representation* parameters = nusk_cast(make(nusktype_stp_definitional_representation),
                                               nusktype_stp_representation);
    parameters->context_of_items(contextIn(nuskunit_mm, nuskunit_rad));
    list(parameters, "items", {uv});
    NuskObject* surfacePoint = point({7, 8, 9});
    NuskObject* plane = link(make(nusktype_stp_plane), "position", placement(surfacePoint));
    NuskObject* pcurve = link(link(make(nusktype_stp_pcurve), "basis_surface", plane), "reference_to_curve",
                              parameters);
    stp_shape_representation* r = rep(mmRad, {pcurve});
    EXPECT_EQ(mivo_translate_geometry_units(r, mRad), 1u);
    expectCoordinates(surfacePoint, {0.007, 0.008, 0.009});
    expectCoordinates(uv, {0.5, 0.25});
}

TEST_F(Translate, AnnotationGeometryIsConvertedButNotWhatOtherStyledItemsStyle) {
    // A dimension drawn as tessellated curves: callout, annotation occurrence, geometric set, curve set,
    // coordinate list (lists of lists of reals, the points of tessellated geometry), and its leader line.
    NuskObject* coordinateList = make(nusktype_stp_coordinates_list);
    coordinateList->putInteger(2, "npoints");
    auto* rows = new (&design) ListOfListOfDouble();
    for (double x : {100.0, 200.0}) {
        auto* row = new (&design) ListOfDouble();
        for (double v : {x, 0.0, 50.0}) row->add(v);
        rows->addObject(row);
    }
    coordinateList->putObject(rows, "position_coords");
    NuskObject* curves = link(make(nusktype_stp_tessellated_curve_set), "coordinates", coordinateList);
    NuskObject* set = list(make(nusktype_stp_tessellated_geometric_set), "children", {curves});
    NuskObject* leaderPoint = point({300, 0, 0});
    NuskObject* occurrence = link(make(nusktype_stp_tessellated_annotation_occurrence), "item", set);
    NuskObject* callout = list(make(nusktype_stp_draughting_callout), "contents", {occurrence});
    // A styled item in the same representation whose target only it reaches: the target is not converted.
    NuskObject* styledOnly = make(nusktype_stp_circle, {{"radius", 5}});
    NuskObject* styled = link(make(nusktype_stp_styled_item), "item", styledOnly);
    NuskObject* placeholderLine = point({400, 0, 0});
    NuskObject* placeholder = link(make(nusktype_stp_annotation_placeholder_occurrence, {{"line_spacing", 7}}), "item",
                                   placeholderLine);
    stp_shape_representation* r = rep(mmRad, {callout, styled, placeholder, leaderPoint});

    EXPECT_EQ(mivo_translate_geometry_units(r, mRad), 4u);  // coordinates, placeholder, its point, leader point
    EXPECT_DOUBLE_EQ(dynamic_cast<ListOfDouble*>(rows->getObject(1))->get(0), 0.2);
    EXPECT_DOUBLE_EQ(dynamic_cast<ListOfDouble*>(rows->getObject(0))->get(2), 0.05);
    EXPECT_DOUBLE_EQ(placeholder->getDouble("line_spacing"), 0.007);
    expectCoordinates(placeholderLine, {0.4, 0, 0});
    EXPECT_EQ(styledOnly->getDouble("radius"), 5);
}

// ---- contexts in other units ----

class ContextInUnits : public Translate {
protected:
    stp_si_unit* sr = si(stp_si_unit_name_steradian);
    NuskObject* angleUncertaintyUnit = mivo_make_unit(&design, nuskunit_rad);
    FullContext* source = context({mivo_make_unit(&design, nuskunit_mm), mivo_make_unit(&design, nuskunit_rad), sr},
                                  {uncertainty(0.0254, mivo_make_unit(&design, nuskunit_mm)),
                                   angleUncertainty(kPi / 180, angleUncertaintyUnit)},
                                  "part context", 3);

    static std::vector<NuskObject*> unitsOf(NuskObject* context) {
        std::vector<NuskObject*> out;
        auto* set = dynamic_cast<NuskAggregate*>(context->getObject("units"));
        for (unsigned i = 0; set && i < set->size(); ++i)
            out.push_back(nusk_get_nested_object(dynamic_cast<NuskUnion*>(set->getObject(i))));
        return out;
    }
};

TEST_F(ContextInUnits, KeepsTypeTextsDimensionAndOtherUnitsAndConvertsTheUncertainties) {
    mivo_tag_units(&design);
    stp_representation_context* made = mivo_make_context_in_units(source, nuskunit_length_cb1, nuskunit_angle_cb1);
    ASSERT_NE(made, nullptr);
    NuskObject* obj = made;
    EXPECT_NE(obj, static_cast<NuskObject*>(source));
    EXPECT_EQ(obj->domain(), static_cast<NuskObject*>(source)->domain());
    EXPECT_STREQ(obj->getString("context_identifier"), "part context");
    EXPECT_STREQ(obj->getString("context_type"), "3D");
    EXPECT_EQ(obj->getInteger("coordinate_space_dimension"), 3);
    // The units in the source's order, the steradian the same entity.
    EXPECT_EQ(unitsOf(obj), (std::vector<NuskObject*>{mivo_make_unit(&design, nuskunit_length_cb1),
                                                     mivo_make_unit(&design, nuskunit_angle_cb1), sr}));
    EXPECT_EQ(mivo_get_context_length_unit(made), nuskunit_length_cb1);
    EXPECT_EQ(mivo_get_context_angle_unit(made), nuskunit_angle_cb1);
    // New uncertainty measures, named as before, in the new units.
    stp_uncertainty_measure_with_unit* length = mivo_get_context_uncertainty(made, "distance_accuracy_value");
    stp_uncertainty_measure_with_unit* angle = mivo_get_context_uncertainty(made, "angular_accuracy_value");
    ASSERT_TRUE(length && angle);
    EXPECT_NE(length, mivo_get_context_uncertainty(source, "distance_accuracy_value"));
    EXPECT_EQ(mivo_get_unit_type(length), nuskunit_length_cb1);
    EXPECT_NEAR(mivo_get_context_uncertainty_value(made, "distance_accuracy_value"), 0.001, 1e-15);
    EXPECT_NEAR(mivo_get_context_uncertainty_value(made, "angular_accuracy_value"), 1, 1e-12);
    // The source is as it was.
    EXPECT_EQ(mivo_get_context_length_unit(source), nuskunit_mm);
    EXPECT_EQ(mivo_get_context_uncertainty_value(source, "distance_accuracy_value"), 0.0254);
}

TEST_F(ContextInUnits, AnUncertaintyTheConversionWouldTakeOutOfRangeIsKeptInItsOwnUnit) {
    FullContext* huge = context({mivo_make_unit(&design, nuskunit_mm), mivo_make_unit(&design, nuskunit_rad)},
                                {uncertainty(1e308, mivo_make_unit(&design, nuskunit_mm))}, "huge", 3);
    mivo_tag_units(&design);
    stp_representation_context* made = mivo_make_context_in_units(huge, nuskunit_um, nuskunit_as_is);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(mivo_get_context_length_unit(made), nuskunit_um);
    EXPECT_EQ(mivo_get_context_uncertainty(made, "distance_accuracy_value"),
              mivo_get_context_uncertainty(huge, "distance_accuracy_value"));
    EXPECT_EQ(mivo_get_context_uncertainty_value(made, "distance_accuracy_value"), 1e308);
}

TEST_F(ContextInUnits, AsIsKeepsAKindAndCodesOfAnotherKindGiveNull) {
    mivo_tag_units(&design);
    stp_representation_context* made = mivo_make_context_in_units(source, nuskunit_m, nuskunit_as_is);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(unitsOf(made)[1], mivo_make_unit(&design, nuskunit_rad));
    // The angle uncertainty is kept as it is: the same measure.
    EXPECT_EQ(mivo_get_context_uncertainty(made, "angular_accuracy_value"),
              mivo_get_context_uncertainty(source, "angular_accuracy_value"));
    EXPECT_EQ(mivo_make_context_in_units(source, nuskunit_angle_cb1, nuskunit_rad), nullptr);
    EXPECT_EQ(mivo_make_context_in_units(source, nuskunit_mm, nuskunit_mm), nullptr);
    EXPECT_EQ(mivo_make_context_in_units(source, nuskunit_unknown, nuskunit_rad), nullptr);
    EXPECT_EQ(mivo_make_context_in_units(source, static_cast<NuskUnit>(99), nuskunit_rad), nullptr);
    // A kind the source lacks is added.
    FullContext* lengthOnly = contextIn(nuskunit_mm, nuskunit_unknown);
    stp_representation_context* withAngle = mivo_make_context_in_units(lengthOnly, nuskunit_as_is, nuskunit_rad);
    EXPECT_EQ(mivo_get_context_angle_unit(withAngle), nuskunit_rad);
    EXPECT_EQ(mivo_get_context_length_unit(withAngle), nuskunit_mm);
}

// ---- a whole design ----

TEST_F(Translate, ADesignGetsOneNewContextPerSourceContext) {
    FullContext* inch = contextIn(nuskunit_length_cb1, nuskunit_rad);
    NuskObject* shared = point({1000, 0, 0});
    stp_shape_representation* a = rep(mmDeg, {shared, make(nusktype_stp_circle, {{"radius", 500}})});
    stp_shape_representation* b = rep(mmDeg, {shared});
    stp_shape_representation* c = rep(inch, {make(nusktype_stp_circle, {{"radius", 1}})});
    stp_shape_representation* already = rep(mRad, {point({1, 1, 1})});
    // A map's origin that is not among the items of its representation is in its context all the same.
    NuskObject* originPoint = point({100, 0, 0});
    stp_shape_representation* mapped = rep(mmDeg, {make(nusktype_stp_circle, {{"radius", 1}})});
    link(link(make(nusktype_stp_representation_map), "mapping_origin", placement(originPoint)),
         "mapped_representation", mapped);
    // Representations without units, and in parameter space, stay.
    stp_representation_context* plainContext = plain("2D", "labels");
    stp_shape_representation* unitless = rep(plainContext, {point({5, 5})});
    stp_representation_context* parametric = nusk_cast(design.pnewInstance(design.findComplexDomain(
        {nusktype_stp_global_unit_assigned_context.domain(), nusktype_stp_parametric_representation_context.domain()})),
        nusktype_stp_representation_context);
    ASSERT_NE(parametric, nullptr);
    parametric->putObject(unitSet({mivo_make_unit(&design, nuskunit_mm)}), "units");
    NuskObject* uv = point({0.5, 0.5});
    stp_shape_representation* onSurface = rep(parametric, {uv});
    mivo_tag_units(&design);

    const MivoUnitConversion done = mivo_convert_geometry_units(&design, nuskunit_m, nuskunit_unknown);
    EXPECT_EQ(done.representations, 4u);  // a, b, c and the mapped one
    EXPECT_EQ(done.contexts, 2u);
    EXPECT_EQ(done.items, 5u);  // the shared point, three circles, the origin point
    EXPECT_EQ(a->context_of_items(), b->context_of_items());
    EXPECT_EQ(a->context_of_items(), mapped->context_of_items());
    EXPECT_NE(a->context_of_items(), c->context_of_items());
    EXPECT_EQ(mivo_get_context_length_unit(a), nuskunit_m);
    EXPECT_EQ(mivo_get_context_angle_unit(a), nuskunit_angle_cb1);  // angles were not asked for
    EXPECT_EQ(mivo_get_context_angle_unit(c), nuskunit_rad);
    expectCoordinates(shared, {1, 0, 0});
    expectCoordinates(originPoint, {0.1, 0, 0});
    EXPECT_DOUBLE_EQ(c->items()->getObject(0)->getDouble("radius"), 0.0254);
    EXPECT_TRUE(movedTo(already, mRad));
    EXPECT_TRUE(movedTo(unitless, plainContext));
    EXPECT_TRUE(movedTo(onSurface, parametric));
    expectCoordinates(uv, {0.5, 0.5});

    // Everything is in metres now: a second run does nothing.
    const MivoUnitConversion again = mivo_convert_geometry_units(&design, nuskunit_m, nuskunit_as_is);
    EXPECT_EQ(again.representations, 0u);
    EXPECT_EQ(again.items, 0u);
}

TEST_F(Translate, ADesignIsLeftAloneForUnitsOfTheWrongKind) {
    NuskObject* circle = make(nusktype_stp_circle, {{"radius", 5}});
    rep(mmRad, {circle});
    EXPECT_EQ(mivo_convert_geometry_units(&design, nuskunit_rad, nuskunit_unknown).representations, 0u);
    EXPECT_EQ(mivo_convert_geometry_units(&design, nuskunit_m, nuskunit_mm).representations, 0u);
    EXPECT_EQ(mivo_convert_geometry_units(&design, nuskunit_unknown, nuskunit_angle_cb1).representations, 0u);
    EXPECT_EQ(circle->getDouble("radius"), 5);
}

}  // namespace
