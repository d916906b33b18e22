// Making unit entities by hand for the unit tests.
#pragma once

#include "mivo_units.h"

#include "nusk/ap242/all.h"

struct UnitFixture {
    NuskDesign design{"units", nusk_ap242_schema()};

    stp_si_unit* si(int name, int prefix = -1) {
        auto* u = new (&design) stp_si_unit();
        u->name(static_cast<stp_si_unit_name>(name));
        u->prefix(static_cast<stp_si_prefix>(prefix));
        return u;
    }
    stp_unit* select(NuskObject* unit) {
        auto* s = new (&design) stp_unit();
        nusk_put_nested_object(s, unit);
        return s;
    }
    stp_measure_with_unit* measure(double value, NuskObject* unit) {
        auto* m = new (&design) stp_measure_with_unit();
        auto* v = new (&design) stp_measure_value();
        v->_length_measure(value);
        m->value_component(v);
        m->unit_component(select(unit));
        return m;
    }
    stp_conversion_based_unit* cb(const char* name, double factor, NuskObject* base) {
        auto* u = new (&design) stp_conversion_based_unit();
        u->name(name);
        u->conversion_factor(measure(factor, base));
        return u;
    }
    stp_context_dependent_unit* cdu(const char* name) {
        auto* u = new (&design) stp_context_dependent_unit();
        if (name) u->name(name);
        return u;
    }
    stp_derived_unit* derived(std::initializer_list<std::pair<NuskObject*, double>> terms) {
        auto* u = new (&design) stp_derived_unit();
        auto* elements = new (&design) SetOfstp_derived_unit_element();
        for (const auto& t : terms) {
            auto* e = new (&design) stp_derived_unit_element();
            if (t.first) e->unit(nusk_cast(t.first, nusktype_stp_named_unit));
            e->exponent(t.second);
            elements->add(e);
        }
        u->elements(elements);
        return u;
    }
    static int code(NuskObject* unit) {
        const MivoMgrUnit* m = MivoMgrUnit::find(unit);
        return m ? m->unit : -1;
    }
    static int kind(NuskObject* unit) {
        const MivoMgrUnit* m = MivoMgrUnit::find(unit);
        return m ? m->measure_type : -1;
    }
};
