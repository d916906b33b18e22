// Making geometry by hand for the geometry tests, and catching the warnings the library reports.
#pragma once

#include "mivo_geometry.h"

#include "nusk/ap242/all.h"
#include "nusk/report.h"

#include <initializer_list>
#include <string>
#include <vector>

struct GeometryFixture {
    NuskDesign design{"geometry", nusk_ap242_schema()};

    ListOfDouble* list(std::initializer_list<double> values) {
        auto* l = new (&design) ListOfDouble();
        for (double v : values) l->add(v);
        return l;
    }
    stp_cartesian_point* point(std::initializer_list<double> xyz) {
        auto* p = new (&design) stp_cartesian_point();
        p->coordinates(list(xyz));
        return p;
    }
    stp_direction* direction(std::initializer_list<double> ijk) {
        auto* d = new (&design) stp_direction();
        d->direction_ratios(list(ijk));
        return d;
    }
    stp_axis2_placement_3d* placement(std::initializer_list<double> at, stp_direction* axis, stp_direction* ref) {
        auto* p = new (&design) stp_axis2_placement_3d();
        p->location(point(at));
        p->axis(axis);
        p->ref_direction(ref);
        return p;
    }
};

/// Collects what the library reports while it is in scope.
class CaughtMessages : public NuskReporter {
public:
    CaughtMessages() : scope_(this) {}
    void report(NuskSeverity, const char* message) override { messages.emplace_back(message); }
    std::vector<std::string> messages;

private:
    NuskScopedReporter scope_;
};
