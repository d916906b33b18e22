// Making representations, contexts and geometry by hand for the nested walk and unit translation tests.
//
// Entities are made by type and their attributes set by name, so that a test reads as the schema does:
//     NuskObject* circle = make(nusktype_stp_circle, {{"radius", 5.0}});
//     link(circle, "position", placement(point({1, 2, 3})));
#pragma once

#include "../context/context_helpers.h"

#include "mivo_geometry.h"
#include "mivo_measures.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

/// Collects what the store reports.
class CapturedReports : public NuskReporter {
public:
    CapturedReports() : previous_(nusk_set_reporter(this)) {}
    ~CapturedReports() override { nusk_set_reporter(previous_); }
    void report(NuskSeverity, const char* message) override { messages.push_back(message); }
    std::vector<std::string> messages;

private:
    NuskReporter* previous_;
};

struct GeometryFixture : ContextFixture {
    /// A context in these units (0 leaves a kind out), with steradian and a length uncertainty of 0.001.
    FullContext* contextIn(NuskUnit length, NuskUnit angle) {
        std::vector<NuskObject*> units;
        for (NuskUnit code : {length, angle, nuskunit_sr})
            if (code != nuskunit_unknown) units.push_back(mivo_make_unit(&design, code));
        std::vector<stp_uncertainty_measure_with_unit*> uncertainties;
        if (length != nuskunit_unknown) uncertainties.push_back(uncertainty(0.001, mivo_make_unit(&design, length)));
        return context(units, uncertainties);
    }

    /// A new instance of the type with the given reals set.
    NuskObject* make(NuskTypePtr& type, std::initializer_list<std::pair<const char*, double>> reals = {}) {
        NuskObject* obj = design.pnewInstance(type);
        for (const auto& r : reals) EXPECT_EQ(obj->putDouble(r.second, r.first), 1) << type.name() << "." << r.first;
        return obj;
    }

    /// Sets an entity-valued or select-valued attribute (the select made to hold `value`).
    NuskObject* link(NuskObject* obj, const char* attribute, NuskObject* value) {
        NuskAttribute* att = obj->domain()->findTypeAttribute(attribute);
        EXPECT_NE(att, nullptr) << obj->domain()->name() << "." << attribute;
        if (!att) return obj;
        EXPECT_EQ(obj->putObject(wrapped(att->valueDomain(), value), att), 1) << attribute;
        return obj;
    }

    /// Sets an aggregate-valued attribute to a new aggregate of these elements (each in a select when the
    /// elements are selects).
    NuskObject* list(NuskObject* obj, const char* attribute, const std::vector<NuskObject*>& values) {
        NuskAttribute* att = obj->domain()->findTypeAttribute(attribute);
        EXPECT_NE(att, nullptr) << obj->domain()->name() << "." << attribute;
        if (!att) return obj;
        auto* aggregate = dynamic_cast<NuskAggregate*>(design.pnewInstance(att->valueDomain()));
        for (NuskObject* v : values) aggregate->addObject(wrapped(aggregate->elementDomain(), v));
        EXPECT_EQ(obj->putObject(aggregate, att), 1) << attribute;
        return obj;
    }

    /// A list of reals for an attribute such as coordinates or knots.
    NuskObject* reals(NuskObject* obj, const char* attribute, std::initializer_list<double> values) {
        auto* l = new (&design) ListOfDouble();
        for (double v : values) l->add(v);
        EXPECT_EQ(obj->putObject(l, attribute), 1) << attribute;
        return obj;
    }

    stp_cartesian_point* point(std::initializer_list<double> xyz) {
        return nusk_cast(reals(make(nusktype_stp_cartesian_point), "coordinates", xyz), nusktype_stp_cartesian_point);
    }
    NuskObject* direction(std::initializer_list<double> ijk) {
        return reals(make(nusktype_stp_direction), "direction_ratios", ijk);
    }
    NuskObject* placement(NuskObject* location, NuskObject* axis = nullptr, NuskObject* ref = nullptr) {
        NuskObject* p = make(nusktype_stp_axis2_placement_3d);
        link(p, "location", location);
        if (axis) link(p, "axis", axis);
        if (ref) link(p, "ref_direction", ref);
        return p;
    }

    stp_shape_representation* rep(stp_representation_context* context, const std::vector<NuskObject*>& items) {
        stp_shape_representation* r = shape(context);
        list(r, "items", items);
        return r;
    }

    static void expectCoordinates(NuskObject* point, std::vector<double> expected) {
        const std::vector<double> got = coordinates(point);
        ASSERT_EQ(got.size(), expected.size()) << "#" << point->entity_id();
        for (size_t i = 0; i < got.size(); ++i) EXPECT_DOUBLE_EQ(got[i], expected[i]) << "#" << point->entity_id() << " [" << i << "]";
    }

    static std::vector<double> coordinates(NuskObject* point) {
        std::vector<double> out;
        auto* l = dynamic_cast<ListOfDouble*>(point->getObject("coordinates"));
        for (unsigned i = 0; l && i < l->size(); ++i) out.push_back(l->get(i));
        return out;
    }

private:
    NuskObject* wrapped(NuskDomain* type, NuskObject* value) {
        if (!type->typeIsSelect()) return value;
        auto* select = dynamic_cast<NuskUnion*>(design.pnewInstance(type));
        EXPECT_EQ(nusk_put_nested_object(select, value), 1) << type->name() << " does not take " << value->domain()->name();
        return select;
    }
};
