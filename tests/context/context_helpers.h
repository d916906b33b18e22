// Making representation contexts and their uncertainties by hand for the context tests.
#pragma once

#include "../units/units_helpers.h"

#include "mivo_contexts.h"

#include <vector>

/// A context that is geometric, global unit assigned and global uncertainty assigned at once, as real files
/// write them.
using FullContext =
    stp_geometric_representation_context_and_global_uncertainty_assigned_context_and_global_unit_assigned_context;

struct ContextFixture : UnitFixture {
    stp_uncertainty_measure_with_unit* uncertainty(double value, NuskObject* unit,
                                                   const char* name = "distance_accuracy_value") {
        auto* v = new (&design) stp_measure_value();
        v->_length_measure(value);
        return uncertaintyWith(v, unit, name);
    }
    stp_uncertainty_measure_with_unit* angleUncertainty(double value, NuskObject* unit,
                                                        const char* name = "angular_accuracy_value") {
        auto* v = new (&design) stp_measure_value();
        v->_plane_angle_measure(value);
        return uncertaintyWith(v, unit, name);
    }
    stp_uncertainty_measure_with_unit* uncertaintyWith(stp_measure_value* value, NuskObject* unit, const char* name) {
        auto* u = new (&design) stp_uncertainty_measure_with_unit();
        u->value_component(value);
        u->unit_component(select(unit));
        u->name(name);
        return u;
    }
    SetOfstp_unit* unitSet(const std::vector<NuskObject*>& units) {
        auto* set = new (&design) SetOfstp_unit();
        for (NuskObject* u : units) set->add(select(u));
        return set;
    }
    SetOfstp_uncertainty_measure_with_unit* uncertaintySet(const std::vector<stp_uncertainty_measure_with_unit*>& all) {
        auto* set = new (&design) SetOfstp_uncertainty_measure_with_unit();
        for (auto* u : all) set->add(u);
        return set;
    }
    FullContext* context(const std::vector<NuskObject*>& units,
                         const std::vector<stp_uncertainty_measure_with_unit*>& uncertainties,
                         const char* identifier = "context", int dimension = 3) {
        auto* c = new (&design) FullContext();
        c->context_identifier(identifier);
        c->context_type("3D");
        c->coordinate_space_dimension(dimension);
        c->units(unitSet(units));
        c->uncertainty(uncertaintySet(uncertainties));
        return c;
    }
    stp_representation_context* plain(const char* type, const char* identifier) {
        auto* c = new (&design) stp_representation_context();
        c->context_type(type);
        c->context_identifier(identifier);
        return c;
    }
    stp_shape_representation* shape(stp_representation_context* context) {
        auto* rep = new (&design) stp_shape_representation();
        rep->name("shape");
        rep->context_of_items(context);
        return rep;
    }
    /// The number of objects of the type (subtypes included) in the design.
    size_t count(NuskTypePtr& type) {
        NuskCursor cursor;
        cursor.traverse(&design);
        cursor.domain(type);
        size_t n = 0;
        while (cursor.next()) ++n;
        return n;
    }
};
