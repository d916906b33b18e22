// Designs with tolerances, datums and legacy datum references made by hand for the tolerance tests.
#pragma once

#include "mivo_tolerances.h"

#include "nusk/ap242/all.h"

#include <gtest/gtest.h>

struct ToleranceFixture {
    NuskDesign design{"tolerances", nusk_ap242_schema()};

    stp_product_definition_shape* shape() {
        auto* pds = new (&design) stp_product_definition_shape();
        pds->name("shape");
        return pds;
    }
    stp_datum* datum(const char* label, stp_product_definition_shape* ofShape = nullptr) {
        auto* d = new (&design) stp_datum();
        d->name(label);
        d->identification(label);
        d->of_shape(ofShape);
        d->product_definitional(0);
        return d;
    }
    /// A tolerance of the older form: datum references with precedences, given in the order listed.
    template <class Ref>
    Ref* legacyReference(stp_geometric_tolerance* tol, stp_datum* d, int precedence) {
        SetOfstp_datum_system_or_reference* set = mivo_tol_get_datum_set(tol);
        auto* ref = new (&design) Ref();
        ref->precedence(precedence);
        ref->referenced_datum(d);
        auto* member = new (&design) stp_datum_system_or_reference();
        member->_datum_reference(ref);
        set->add(member);
        return ref;
    }
};
