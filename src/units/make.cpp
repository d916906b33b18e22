// Making the unit entities of a code in a design.
#include "mivo_measures.h"
#include "mivo_units.h"
#include "unit_attributes.h"

#include "nusk/ap242/all.h"

using namespace mivo_units;

namespace {

/// Under reference counting, counts one more reference to each object the makers hand out.
void countReference(NuskDesign* design, NuskObject* obj) {
    if (obj && nusk_refcount(design)) nusk_refcount_inc(obj);
}

void identify(NuskObject* unit, NuskUnit code, NuskMeasureType type) {
    MivoMgrUnit* m = MivoMgrUnit::make(unit);
    m->unit = code;
    m->measure_type = type;
}

/// A combination class when the store can make it, else the plain class.
template <class Combined, class Plain>
Plain* makeEither(NuskDesign* design) {
    if (Combined* c = new (design) Combined()) return c;
    return new (design) Plain();
}

stp_si_unit* newSiUnit(NuskDesign* design, stp_si_unit_name name) {
    switch (name) {
    case stp_si_unit_name_metre: return makeEither<stp_length_unit_and_si_unit, stp_si_unit>(design);
    case stp_si_unit_name_second: return makeEither<stp_si_unit_and_time_unit, stp_si_unit>(design);
    case stp_si_unit_name_radian: return makeEither<stp_plane_angle_unit_and_si_unit, stp_si_unit>(design);
    case stp_si_unit_name_steradian: return makeEither<stp_si_unit_and_solid_angle_unit, stp_si_unit>(design);
    default: return new (design) stp_si_unit();
    }
}

struct CbShape {
    NuskMeasureType type;
    double length, mass, time;  // exponents written (the null real: not written)
};

stp_conversion_based_unit* newCbUnit(NuskDesign* design, NuskMeasureType t) {
    switch (t) {
    case nuskmeasure_plane_angle:
        return makeEither<stp_conversion_based_unit_and_plane_angle_unit, stp_conversion_based_unit>(design);
    case nuskmeasure_length: return makeEither<stp_conversion_based_unit_and_length_unit, stp_conversion_based_unit>(design);
    case nuskmeasure_time: return makeEither<stp_conversion_based_unit_and_time_unit, stp_conversion_based_unit>(design);
    default: return new (design) stp_conversion_based_unit();
    }
}

stp_dimensional_exponents* newExponents(NuskDesign* design, NuskMeasureType t) {
    static const CbShape shapes[] = {
        {nuskmeasure_length, 1.0, NUSK_NULL_REAL, NUSK_NULL_REAL},
        {nuskmeasure_time, NUSK_NULL_REAL, NUSK_NULL_REAL, 1.0},
        {nuskmeasure_spinrate, NUSK_NULL_REAL, NUSK_NULL_REAL, -1.0},
        {nuskmeasure_force, 1.0, 1.0, -2.0},
        {nuskmeasure_power, 2.0, 1.0, -3.0},
        {nuskmeasure_pressure, -1.0, 1.0, -2.0},
        {nuskmeasure_torque, 2.0, 1.0, -2.0},
    };
    auto* e = new (design) stp_dimensional_exponents();
    if (!e) return nullptr;
    for (const CbShape& s : shapes) {
        if (s.type != t) continue;
        if (s.length != NUSK_NULL_REAL) e->length_exponent(s.length);
        if (s.mass != NUSK_NULL_REAL) e->mass_exponent(s.mass);
        if (s.time != NUSK_NULL_REAL) e->time_exponent(s.time);
    }
    return e;
}

/// A context-dependent or ratio unit, with exponents in which nothing is written.
NuskObject* newDimensionlessUnit(NuskDesign* design, NuskUnit code) {
    auto* dimensions = new (design) stp_dimensional_exponents();
    stp_named_unit* unit;
    if (code == nuskunit_ratio) {
        unit = new (design) stp_ratio_unit();
    } else {
        auto* cdu = new (design) stp_context_dependent_unit();
        if (cdu) cdu->name(nusk_get_unit_fullname(code));
        unit = cdu;
    }
    if (!unit) return nullptr;
    unit->dimensions(dimensions);
    countReference(design, dimensions);
    return unit;
}

struct DerivedTerms {
    NuskUnit code;
    std::initializer_list<std::pair<NuskUnit, double>> terms;  // (unit of an element, its exponent)
};

const DerivedTerms kDerived[] = {
    {nuskunit_mm2, {{nuskunit_mm, 2.0}}},
    {nuskunit_cm2, {{nuskunit_cm, 2.0}}},
    {nuskunit_m2, {{nuskunit_m, 2.0}}},
    {nuskunit_length_cb1_2, {{nuskunit_length_cb1, 2.0}}},
    {nuskunit_length_cb2_2, {{nuskunit_length_cb2, 2.0}}},
    {nuskunit_mm3, {{nuskunit_mm, 3.0}}},
    {nuskunit_cm3, {{nuskunit_cm, 3.0}}},
    {nuskunit_m3, {{nuskunit_m, 3.0}}},
    {nuskunit_length_cb1_3, {{nuskunit_length_cb1, 3.0}}},
    {nuskunit_length_cb2_3, {{nuskunit_length_cb2, 3.0}}},
    {nuskunit_mm_per_s, {{nuskunit_mm, 1.0}, {nuskunit_s, -1.0}}},
    {nuskunit_mm_per_time_cb1, {{nuskunit_mm, 1.0}, {nuskunit_time_cb1, -1.0}}},
    {nuskunit_cm_per_s, {{nuskunit_cm, 1.0}, {nuskunit_s, -1.0}}},
    {nuskunit_m_per_s, {{nuskunit_m, 1.0}, {nuskunit_s, -1.0}}},
    {nuskunit_length_cb1_per_s, {{nuskunit_length_cb1, 1.0}, {nuskunit_s, -1.0}}},
    {nuskunit_length_cb1_per_time_cb1, {{nuskunit_length_cb1, 1.0}, {nuskunit_time_cb1, -1.0}}},
    {nuskunit_length_cb2_per_s, {{nuskunit_length_cb2, 1.0}, {nuskunit_s, -1.0}}},
    {nuskunit_length_cb2_per_time_cb1, {{nuskunit_length_cb2, 1.0}, {nuskunit_time_cb1, -1.0}}},
    {nuskunit_mm_per_revolution, {{nuskunit_mm, 1.0}, {nuskunit_revolution, -1.0}}},
    {nuskunit_length_cb1_per_revolution, {{nuskunit_length_cb1, 1.0}, {nuskunit_revolution, -1.0}}},
    {nuskunit_mm_per_tooth, {{nuskunit_mm, 1.0}, {nuskunit_tooth, -1.0}}},
    {nuskunit_length_cb1_per_tooth, {{nuskunit_length_cb1, 1.0}, {nuskunit_tooth, -1.0}}},
    {nuskunit_revolution_per_s, {{nuskunit_revolution, 1.0}, {nuskunit_s, -1.0}}},
    {nuskunit_revolution_per_time_cb1, {{nuskunit_revolution, 1.0}, {nuskunit_time_cb1, -1.0}}},
    {nuskunit_n_m, {{nuskunit_n, 1.0}, {nuskunit_m, 1.0}}},
    {nuskunit_force_cb1_length_cb2, {{nuskunit_force_cb1, 1.0}, {nuskunit_length_cb2, 1.0}}},
};

NuskObject* newDerivedUnit(NuskDesign* design, NuskUnit code) {
    for (const DerivedTerms& d : kDerived) {
        if (d.code != code) continue;
        stp_derived_unit* unit = mivo_make_derived_unit_base(design, code);
        for (const auto& t : d.terms) mivo_add_derived_unit_term(unit, t.first, t.second);
        return unit;
    }
    return nullptr;
}

/// The entity of a code, made anew.
NuskObject* build(NuskDesign* design, NuskUnit code) {
    static const struct {
        NuskUnit code;
        stp_si_unit_name name;
        stp_si_prefix prefix;
    } si[] = {
        {nuskunit_mm, stp_si_unit_name_metre, stp_si_prefix_milli},
        {nuskunit_cm, stp_si_unit_name_metre, stp_si_prefix_centi},
        {nuskunit_m, stp_si_unit_name_metre, stp_si_prefix_UNSET},
        {nuskunit_um, stp_si_unit_name_metre, stp_si_prefix_micro},
        {nuskunit_nm, stp_si_unit_name_metre, stp_si_prefix_nano},
        {nuskunit_rad, stp_si_unit_name_radian, stp_si_prefix_UNSET},
        {nuskunit_sr, stp_si_unit_name_steradian, stp_si_prefix_UNSET},
        {nuskunit_s, stp_si_unit_name_second, stp_si_prefix_UNSET},
        {nuskunit_pa, stp_si_unit_name_pascal, stp_si_prefix_UNSET},
        {nuskunit_kpa, stp_si_unit_name_pascal, stp_si_prefix_kilo},
        {nuskunit_mpa, stp_si_unit_name_pascal, stp_si_prefix_mega},
        {nuskunit_n, stp_si_unit_name_newton, stp_si_prefix_UNSET},
        {nuskunit_w, stp_si_unit_name_watt, stp_si_prefix_UNSET},
        {nuskunit_kw, stp_si_unit_name_watt, stp_si_prefix_kilo},
    };
    static const std::pair<NuskUnit, NuskUnit> conversions[] = {  // (code, the unit its factor is given in)
        {nuskunit_length_cb1, nuskunit_mm},
        {nuskunit_length_cb2, nuskunit_mm},
        {nuskunit_length_cb3, nuskunit_mm},
        {nuskunit_length_cb4, nuskunit_um},
        {nuskunit_angle_cb1, nuskunit_rad},
        {nuskunit_time_cb1, nuskunit_s},
        {nuskunit_time_cb2, nuskunit_s},
        {nuskunit_pressure_cb1, nuskunit_pa},
        {nuskunit_force_cb1, nuskunit_n},
        {nuskunit_power_cb1, nuskunit_kw},
    };
    for (const auto& s : si)
        if (s.code == code) return mivo_make_si_unit(design, code, s.name, s.prefix);
    for (const auto& c : conversions)
        if (c.first == code) return mivo_make_cb_unit(design, code, c.second);
    if (code == nuskunit_count || code == nuskunit_parameter || code == nuskunit_ratio || code == nuskunit_revolution ||
        code == nuskunit_tooth)
        return newDimensionlessUnit(design, code);
    return newDerivedUnit(design, code);
}

}  // namespace

NuskObject* mivo_make_unit(NuskDesign* design, NuskUnit code) {
    // A null design gives null: there is nowhere to make the unit.
    if (!design) return nullptr;
    NuskObject* remembered = mivo_get_const_unit(design, code);
    if (remembered && remembered->design() == design) return remembered;
    if (code < nuskunit_mm || code > NUSK_UNIT_MAX) return nullptr;
    if (code >= nuskunit_reserved52 && code <= nuskunit_reserved55)
        return nullptr;  // codes without an entity: the cache is not touched
    NuskObject* unit = build(design, code);
    mivo_put_const_unit(design, unit, code);
    return unit;
}

stp_named_unit* mivo_make_named_unit(NuskDesign* design, NuskUnit code) {
    return nusk_cast(mivo_make_unit(design, code), nusktype_stp_named_unit);
}

stp_si_unit* mivo_make_si_unit(NuskDesign* design, NuskUnit code, stp_si_unit_name name, stp_si_prefix prefix) {
    if (!design) return nullptr;
    stp_si_unit* unit = newSiUnit(design, name);
    if (!unit) return nullptr;
    identify(unit, code, nusk_get_measure_type(code));
    unit->name(name);
    unit->modified();
    unit->prefix(prefix);
    unit->modified();
    return unit;
}

stp_conversion_based_unit* mivo_make_cb_unit(NuskDesign* design, NuskUnit code, NuskUnit base) {
    if (!design) return nullptr;
    const NuskMeasureType t = nusk_get_measure_type(code);
    stp_conversion_based_unit* unit = newCbUnit(design, t);
    stp_dimensional_exponents* dimensions = newExponents(design, t);
    if (!unit) return nullptr;
    const double factor = nusk_get_unit_conversion_factor(code, base);
    stp_measure_with_unit* measure = mivo_make_measure(design, factor, base);
    identify(unit, code, t);
    unit->name(nusk_get_unit_fullname(code));
    unit->modified();
    unit->conversion_factor(measure);
    unit->modified();
    unit->dimensions(dimensions);
    unit->modified();
    countReference(design, measure);
    countReference(design, dimensions);
    return unit;
}

stp_derived_unit* mivo_make_derived_unit_base(NuskDesign* design, NuskUnit code) {
    if (!design) return nullptr;
    auto* unit = new (design) stp_derived_unit();
    auto* name = new (design) stp_name_attribute();
    auto* select = new (design) stp_name_attribute_select();
    auto* elements = new (design) SetOfstp_derived_unit_element();
    if (!unit || !name || !select || !elements) return nullptr;
    name->attribute_value(nusk_get_unit_fullname(code));
    name->named_item(select);
    name->modified();
    select->_derived_unit(unit);
    MivoMgrUnit* m = MivoMgrUnit::make(unit);
    m->unit = code;
    m->measure_type = nusk_get_measure_type(code);
    m->name_attribute = name;
    unit->elements(elements);
    unit->modified();
    countReference(design, select);
    countReference(design, elements);
    return unit;
}

void mivo_add_derived_unit_term(stp_derived_unit* unit, NuskUnit code, double exponent) {
    if (!unit) return;
    NuskDesign* design = unit->design();
    auto* named = nusk_cast(mivo_make_unit(design, code), nusktype_stp_named_unit);
    if (!named) return;  // no unit, or a derived unit: nothing is added
    auto* element = new (design) stp_derived_unit_element();
    if (!element) return;
    element->unit(named);
    element->exponent(exponent);
    element->modified();
    if (SetOfstp_derived_unit_element* elements = unit->elements())
        elements->_addIfAbsent(element, nusktype_stp_derived_unit_element);
    countReference(design, element);
    countReference(design, named);
}
