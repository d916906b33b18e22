// Identification of unit entities as NuskUnit codes, and the getters that read the codes back.
#include "mivo_units.h"
#include "unit_attributes.h"

#include "nusk/ap242/all.h"

#include <unordered_map>
#include <vector>

namespace mivo_units {

const UnitAttributes& unitAttributes() {
    static const UnitAttributes atts = [] {
        auto att = [](NuskTypePtr& type, const char* name) { return type->findTypeAttribute(name); };
        UnitAttributes a{};
        a.siPrefix = att(nusktype_stp_si_unit, "prefix");
        a.siName = att(nusktype_stp_si_unit, "name");
        a.namedDimensions = att(nusktype_stp_named_unit, "dimensions");
        a.cbName = nusktype_stp_conversion_based_unit->ownAttributes()[0];
        a.cbFactor = att(nusktype_stp_conversion_based_unit, "conversion_factor");
        a.cduName = nusktype_stp_context_dependent_unit->ownAttributes()[0];
        a.measureValue = att(nusktype_stp_measure_with_unit, "value_component");
        a.measureUnit = att(nusktype_stp_measure_with_unit, "unit_component");
        a.derivedElements = att(nusktype_stp_derived_unit, "elements");
        a.elementUnit = att(nusktype_stp_derived_unit_element, "unit");
        a.elementExponent = att(nusktype_stp_derived_unit_element, "exponent");
        a.nameValue = att(nusktype_stp_name_attribute, "attribute_value");
        a.nameItem = att(nusktype_stp_name_attribute, "named_item");
        return a;
    }();
    return atts;
}

/// The code of the unit entity held by a unit select object; 0 when empty or untagged.
NuskUnit codeInSelect(NuskObject* select) {
    const MivoMgrUnit* m = MivoMgrUnit::find(nusk_get_nested_object(dynamic_cast<NuskUnion*>(select)));
    return m ? m->unit : nuskunit_unknown;
}

NuskMeasureType typeInSelect(NuskObject* select) {
    const MivoMgrUnit* m = MivoMgrUnit::find(nusk_get_nested_object(dynamic_cast<NuskUnion*>(select)));
    return m ? m->measure_type : nuskmeasure_unknown;
}

namespace {

void set(MivoMgrUnit* m, NuskUnit unit, NuskMeasureType type) {
    m->unit = unit;
    m->measure_type = type;
}

/// SI units: the code by name and prefix; the kind of quantity for the listed names whatever the prefix.
void tagSi(NuskObject* u) {
    if (!u) return;
    MivoMgrUnit* m = MivoMgrUnit::make(u);
    const UnitAttributes& a = unitAttributes();
    const int name = u->getInteger(a.siName);
    const int prefix = u->getInteger(a.siPrefix);
    struct Rule {
        stp_si_unit_name name;
        NuskMeasureType type;
        std::vector<std::pair<int, NuskUnit>> codes;  // (prefix, code); stp_si_prefix_UNSET means none
    };
    static const Rule rules[] = {
        {stp_si_unit_name_metre,
         nuskmeasure_length,
         {{stp_si_prefix_UNSET, nuskunit_m},
          {stp_si_prefix_centi, nuskunit_cm},
          {stp_si_prefix_milli, nuskunit_mm},
          {stp_si_prefix_micro, nuskunit_um},
          {stp_si_prefix_nano, nuskunit_nm}}},
        {stp_si_unit_name_second, nuskmeasure_time, {{stp_si_prefix_UNSET, nuskunit_s}}},
        {stp_si_unit_name_radian, nuskmeasure_plane_angle, {{stp_si_prefix_UNSET, nuskunit_rad}}},
        {stp_si_unit_name_steradian, nuskmeasure_solid_angle, {{stp_si_prefix_UNSET, nuskunit_sr}}},
        {stp_si_unit_name_hertz, nuskmeasure_spinrate, {{stp_si_prefix_UNSET, nuskunit_revolution_per_s}}},
        {stp_si_unit_name_newton, nuskmeasure_force, {{stp_si_prefix_UNSET, nuskunit_n}}},
        {stp_si_unit_name_pascal,
         nuskmeasure_pressure,
         {{stp_si_prefix_UNSET, nuskunit_pa}, {stp_si_prefix_kilo, nuskunit_kpa}, {stp_si_prefix_mega, nuskunit_mpa}}},
        {stp_si_unit_name_watt, nuskmeasure_power,
         {{stp_si_prefix_UNSET, nuskunit_w}, {stp_si_prefix_kilo, nuskunit_kw}}},
    };
    for (const Rule& r : rules) {
        if (r.name != name) continue;
        m->measure_type = r.type;
        for (const auto& c : r.codes)
            if (c.first == prefix) m->unit = c.second;
        return;
    }
}

/// Conversion-based units: through the code of the unit their factor is expressed in.
void tagConversionBased(NuskObject* u) {
    if (!u) return;
    MivoMgrUnit* m = MivoMgrUnit::make(u);
    const UnitAttributes& a = unitAttributes();
    NuskObject* factor = u->getObject(a.cbFactor);
    if (!factor) return;
    NuskObject* value = factor->getObject(a.measureValue);
    NuskObject* unitSelect = factor->getObject(a.measureUnit);
    const NuskUnit base = codeInSelect(unitSelect);
    if (!value || base == nuskunit_unknown) return;
    m->measure_type = typeInSelect(unitSelect);
    m->unit = nusk_get_unit_related_by_factor(base, value->getDouble(0));
}

/// The unit entity a conversion-based unit's factor is expressed in; null when there is none.
NuskObject* factorUnit(NuskObject* u) {
    const UnitAttributes& a = unitAttributes();
    NuskObject* factor = u->getObject(a.cbFactor);
    return factor ? nusk_get_nested_object(dynamic_cast<NuskUnion*>(factor->getObject(a.measureUnit))) : nullptr;
}

/// A file may define a conversion-based unit through one it defines later (a foot as 12 inches, before the
/// inch), which the pass in the file's order leaves unknown. Each unit identified now identifies again those
/// left unknown that are expressed in it, and so on up the chain: the order of the file makes no difference,
/// and each unit is tagged again at most once. The cursor is on conversion-based units.
void tagConversionChains(NuskCursor& cursor) {
    std::unordered_map<NuskObject*, std::vector<NuskObject*>> waitingFor;  // base unit -> units expressed in it
    cursor.rewind();
    while (NuskObject* u = cursor.next()) {
        const MivoMgrUnit* m = MivoMgrUnit::find(u);
        NuskObject* base = factorUnit(u);
        if (m && m->unit == nuskunit_unknown && base && base->isa(nusktype_stp_conversion_based_unit))
            waitingFor[base].push_back(u);
    }
    std::vector<NuskObject*> identified;
    for (const auto& entry : waitingFor) {
        const MivoMgrUnit* m = MivoMgrUnit::find(entry.first);
        if (m && m->unit != nuskunit_unknown) identified.push_back(entry.first);
    }
    while (!identified.empty()) {
        NuskObject* base = identified.back();
        identified.pop_back();
        auto waiting = waitingFor.find(base);
        if (waiting == waitingFor.end()) continue;
        for (NuskObject* u : waiting->second) {
            tagConversionBased(u);
            if (MivoMgrUnit::find(u)->unit != nuskunit_unknown) identified.push_back(u);
        }
        waitingFor.erase(waiting);
    }
}

void tagContextDependent(NuskObject* u) {
    if (!u) return;
    MivoMgrUnit* m = MivoMgrUnit::make(u);
    const char* name = u->getString(unitAttributes().cduName);
    if (!name || !*name) return;
    static const struct {
        const char* name;
        NuskUnit unit;
        NuskMeasureType type;
    } names[] = {
        {"count", nuskunit_count, nuskmeasure_count},
        {"parameter", nuskunit_parameter, nuskmeasure_parameter},
        {"ratio", nuskunit_ratio, nuskmeasure_ratio},
        {"revolution", nuskunit_revolution, nuskmeasure_revolution},
        {"tooth", nuskunit_tooth, nuskmeasure_tooth},
    };
    for (const auto& n : names)
        if (nusk_strcasecmp(name, n.name) == 0) return set(m, n.unit, n.type);
}

struct Term {
    NuskUnit code;
    NuskMeasureType type;
    double exponent;
};

bool equal(double a, double b) { return nusk_is_epsilon_equal(a, b, 1e-15) != 0; }

void powers(MivoMgrUnit* m, const Term& t) {
    if (equal(t.exponent, 3.0)) {
        if (t.type == nuskmeasure_length) m->measure_type = nuskmeasure_volume;
        if (t.code >= nuskunit_mm && t.code <= nuskunit_length_cb2)  // mm, cm, m, inch, foot: their cubes
            m->unit = static_cast<NuskUnit>(nuskunit_mm3 + (t.code - nuskunit_mm));
    } else if (equal(t.exponent, 2.0)) {
        if (t.type == nuskmeasure_length) m->measure_type = nuskmeasure_area;
        if (t.code >= nuskunit_mm && t.code <= nuskunit_length_cb2)  // their squares
            m->unit = static_cast<NuskUnit>(nuskunit_mm2 + (t.code - nuskunit_mm));
    }
}

void products(MivoMgrUnit* m, const Term& a, const Term& b) {
    if (!equal(a.exponent, 1.0) || !equal(b.exponent, 1.0)) return;
    const bool forceLength = (a.type == nuskmeasure_force && b.type == nuskmeasure_length) ||
                             (a.type == nuskmeasure_length && b.type == nuskmeasure_force);
    if (!forceLength) return;
    m->measure_type = nuskmeasure_torque;
    auto pair = [&](NuskUnit x, NuskUnit y) { return (a.code == x && b.code == y) || (a.code == y && b.code == x); };
    if (pair(nuskunit_n, nuskunit_m)) m->unit = nuskunit_n_m;
    if (pair(nuskunit_force_cb1, nuskunit_length_cb2)) m->unit = nuskunit_force_cb1_length_cb2;
}

/// A quotient is a feed or spin rate only as length (or revolutions) per one unit of time: mm^2/s or mm/s^2
/// are other quantities, which no code stands for.
void quotients(MivoMgrUnit* m, const Term& pos, const Term& neg) {
    if (!equal(pos.exponent, 1.0) || !equal(neg.exponent, -1.0)) return;
    if (pos.type == nuskmeasure_length &&
        (neg.type == nuskmeasure_time || neg.type == nuskmeasure_revolution || neg.type == nuskmeasure_tooth))
        m->measure_type = nuskmeasure_feedrate;
    else if (pos.type == nuskmeasure_revolution && neg.type == nuskmeasure_time)
        m->measure_type = nuskmeasure_spinrate;
    static const struct {
        NuskUnit negative, positive, code;
    } table[] = {
        {nuskunit_s, nuskunit_mm, nuskunit_mm_per_s},
        {nuskunit_s, nuskunit_cm, nuskunit_cm_per_s},
        {nuskunit_s, nuskunit_m, nuskunit_m_per_s},
        {nuskunit_s, nuskunit_length_cb1, nuskunit_length_cb1_per_s},
        {nuskunit_s, nuskunit_length_cb2, nuskunit_length_cb2_per_s},
        {nuskunit_s, nuskunit_revolution, nuskunit_revolution_per_s},
        {nuskunit_time_cb1, nuskunit_mm, nuskunit_mm_per_time_cb1},
        {nuskunit_time_cb1, nuskunit_length_cb1, nuskunit_length_cb1_per_time_cb1},
        {nuskunit_time_cb1, nuskunit_length_cb2, nuskunit_length_cb2_per_time_cb1},
        {nuskunit_time_cb1, nuskunit_revolution, nuskunit_revolution_per_time_cb1},
        {nuskunit_revolution, nuskunit_mm, nuskunit_mm_per_revolution},
        {nuskunit_revolution, nuskunit_length_cb1, nuskunit_length_cb1_per_revolution},
        {nuskunit_tooth, nuskunit_mm, nuskunit_mm_per_tooth},
        {nuskunit_tooth, nuskunit_length_cb1, nuskunit_length_cb1_per_tooth},
    };
    for (const auto& row : table)
        if (row.negative == neg.code && row.positive == pos.code) m->unit = row.code;
}

/// Derived units: through the codes of their elements' units, split by the sign of the exponent.
void tagDerived(NuskObject* u) {
    if (!u) return;
    MivoMgrUnit* m = MivoMgrUnit::make(u);
    const UnitAttributes& a = unitAttributes();
    auto* elements = dynamic_cast<NuskAggregate*>(u->getObject(a.derivedElements));
    if (!elements || elements->empty()) return;
    std::vector<Term> positive, negative;
    for (unsigned i = 0; i < elements->size(); ++i) {
        NuskObject* e = elements->getObject(i);
        const MivoMgrUnit* um = e ? MivoMgrUnit::find(e->getObject(a.elementUnit)) : nullptr;
        // An element of a unit not known (a gram, a kilometre) makes the whole unknown: left out, mm^2/g would
        // pass for an area.
        if (!um || um->unit == nuskunit_unknown) return;
        const double exponent = e->getDouble(a.elementExponent);
        (exponent < 0.0 ? negative : positive).push_back({um->unit, um->measure_type, exponent});
    }
    if (positive.size() == 1 && negative.empty()) powers(m, positive[0]);
    if (positive.size() == 2 && negative.empty()) products(m, positive[0], positive[1]);
    if (positive.size() == 1 && negative.size() == 1) quotients(m, positive[0], negative[0]);
    if (positive.empty() && negative.size() == 1 && equal(negative[0].exponent, -1.0)) {  // per second, not s^-2
        if (negative[0].type == nuskmeasure_time) m->measure_type = nuskmeasure_spinrate;
        if (negative[0].code == nuskunit_s) m->unit = nuskunit_revolution_per_s;
        if (negative[0].code == nuskunit_time_cb1) m->unit = nuskunit_revolution_per_time_cb1;
    }
}

void tagRatio(NuskObject* u) {
    MivoMgrUnit* m = MivoMgrUnit::make(u);
    if (m && m->unit == nuskunit_unknown) set(m, nuskunit_ratio, nuskmeasure_ratio);
}

}  // namespace

}  // namespace mivo_units

using namespace mivo_units;

void mivo_tag_units(NuskDesign* design) {
    if (!design) return;
    // The order matters: conversion-based units are known by the unit of their factor, derived units by the
    // units of their elements.
    const struct {
        NuskTypePtr* type;
        void (*tag)(NuskObject*);
    } passes[] = {{&nusktype_stp_si_unit, tagSi},
                  {&nusktype_stp_conversion_based_unit, tagConversionBased},
                  {&nusktype_stp_context_dependent_unit, tagContextDependent},
                  {&nusktype_stp_ratio_unit, tagRatio},
                  {&nusktype_stp_derived_unit, tagDerived}};
    NuskCursor cursor;
    cursor.traverse(design);
    for (const auto& pass : passes) {
        cursor.domain(pass.type->domain());
        while (NuskObject* obj = cursor.next()) pass.tag(obj);
        if (pass.tag == tagConversionBased) tagConversionChains(cursor);
    }
}

void mivo_tag_si_unit(stp_si_unit* unit) { tagSi(unit); }
void mivo_tag_conversion_based_unit(stp_conversion_based_unit* unit) { tagConversionBased(unit); }
void mivo_tag_context_dependent_unit(stp_context_dependent_unit* unit) { tagContextDependent(unit); }
void mivo_tag_derived_unit(stp_derived_unit* unit) { tagDerived(unit); }

NuskUnit mivo_get_unit_type(stp_measure_with_unit* measure) {
    return measure ? codeInSelect(static_cast<NuskObject*>(measure)->getObject(unitAttributes().measureUnit))
                   : nuskunit_unknown;
}

NuskUnit mivo_get_unit_type(stp_named_unit* unit) {
    const MivoMgrUnit* m = MivoMgrUnit::find(unit);
    return m ? m->unit : nuskunit_unknown;
}

NuskUnit mivo_get_unit_type(stp_unit* unit) { return codeInSelect(unit); }

NuskMeasureType mivo_get_measure_type(stp_measure_with_unit* measure) {
    return measure ? typeInSelect(static_cast<NuskObject*>(measure)->getObject(unitAttributes().measureUnit))
                   : nuskmeasure_unknown;
}

NuskMeasureType mivo_get_measure_type(stp_named_unit* unit) {
    const MivoMgrUnit* m = MivoMgrUnit::find(unit);
    return m ? m->measure_type : nuskmeasure_unknown;
}

NuskMeasureType mivo_get_measure_type(stp_unit* unit) { return typeInSelect(unit); }

NuskMeasureType mivo_get_measure_type(NuskUnit unit) { return nusk_get_measure_type(unit); }
