// A small design for the splitting tests: a representation whose items are a polyline of three points, whose
// context holds its units through selects, and a layer assignment that lists items through selects.
#pragma once

#include "mivo_split.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/store.h"

#include <gtest/gtest.h>

#include <string>

struct SplitFixture : ::testing::Test {
    NuskDesign design{"split", nusk_ap242_schema()};
    stp_cartesian_point* p[3] = {};
    stp_polyline* line = nullptr;
    stp_shape_representation* rep = nullptr;
    stp_geometric_representation_context_and_global_unit_assigned_context* context = nullptr;
    stp_unit* unitSelect = nullptr;
    stp_presentation_layer_assignment* layer = nullptr;

    void SetUp() override {
        MivoMgrSplitStatus::export_only_needed = 0;
        for (int i = 0; i < 3; ++i) p[i] = point(&design, i);
        line = new (&design) stp_polyline();
        line->name("line");
        line->points(new (&design) ListOfstp_cartesian_point());
        for (auto* q : p) line->points()->add(q);
        context = new (&design) stp_geometric_representation_context_and_global_unit_assigned_context();
        context->context_identifier("mm");
        context->context_type("3D");
        context->coordinate_space_dimension(3);
        context->units(new (&design) SetOfstp_unit());
        unitSelect = new (&design) stp_unit();
        nusk_put_nested_object(unitSelect, mivo_make_unit(&design, nuskunit_mm));
        context->units()->add(unitSelect);
        rep = new (&design) stp_shape_representation();
        rep->name("shape");
        rep->context_of_items(context);
        rep->items(new (&design) SetOfstp_representation_item());
        rep->items()->add(line);
        layer = new (&design) stp_presentation_layer_assignment();
        layer->name("layer");
        layer->description("");
        layer->assigned_items(new (&design) SetOfstp_layered_item());
        for (auto* q : p) {
            auto* s = new (&design) stp_layered_item();
            nusk_put_nested_object(s, q);
            layer->assigned_items()->add(s);
        }
    }
    void TearDown() override { MivoMgrSplitStatus::export_only_needed = 0; }

    static stp_cartesian_point* point(NuskDesign* d, double x) {
        auto* q = new (d) stp_cartesian_point();
        q->name("");
        q->coordinates(new (d) ListOfDouble());
        for (double c : {x, 0.0, 0.0}) q->coordinates()->add(c);
        return q;
    }
    NuskObject* unitEntity() const { return nusk_get_nested_object(unitSelect); }
};

/// What a call prints on standard output.
template <class F>
std::string stdoutOf(F&& call) {
    testing::internal::CaptureStdout();
    call();
    return testing::internal::GetCapturedStdout();
}
