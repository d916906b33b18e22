// Comparisons of texts, types, units and uncertainty measures for the context merges.
#include "compare.h"

#include "mivo_managers.h"
#include "mivo_measures.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

namespace mivo_contexts {

namespace {

int sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

stp_unit* unitOf(NuskObject* measure) {
    return measure ? dynamic_cast<stp_unit*>(measure->getObject("unit_component")) : nullptr;
}

/// A factor the math library gives for a pair of units it cannot convert: none.
bool usableFactor(double f) { return f != NUSK_NULL_REAL && f != 0.0 && std::isfinite(f); }

/// The lowest code whose unit converts with `unit` (its own code at the latest): one scale per kind and
/// dimension, whatever unit a value is stored in. 0 for a code the math library cannot convert at all.
NuskUnit scaleOf(NuskUnit unit) {
    for (int c = nuskunit_mm; c <= NUSK_UNIT_MAX; ++c)
        if (usableFactor(nusk_get_unit_conversion_factor(unit, static_cast<NuskUnit>(c))))
            return static_cast<NuskUnit>(c);
    return nuskunit_unknown;
}

/// An object that is only itself: its number and address.
std::string identity(const NuskObject* obj) {
    char text[48];
    std::snprintf(text, sizeof text, "#%u@%p", obj ? obj->entity_id() : 0u, static_cast<const void*>(obj));
    return text;
}

std::string definitionOf(NuskObject* unit, int depth);

std::string factorDefinition(stp_conversion_based_unit* u, int depth) {
    stp_measure_with_unit* factor = u->conversion_factor();
    stp_measure_value* value = factor ? factor->value_component() : nullptr;
    stp_unit* base = factor ? factor->unit_component() : nullptr;
    if (!value || !base) return identity(u);
    char number[32];
    std::snprintf(number, sizeof number, "%.17g", value->getDouble(0));
    const char* name = u->name();
    return std::string("cb(") + (name ? name : "") + "," + number + "," +
           definitionOf(nusk_get_nested_object(base), depth + 1) + ")";
}

std::string elementsDefinition(stp_derived_unit* u, int depth) {
    auto* elements = u->elements();
    if (!elements || elements->size() == 0) return identity(u);
    std::vector<std::string> terms;
    for (unsigned i = 0; i < elements->size(); ++i) {
        stp_derived_unit_element* e = elements->get(i);
        if (!e || !e->unit()) return identity(u);
        char exponent[32];
        std::snprintf(exponent, sizeof exponent, "^%.17g", e->exponent());
        terms.push_back(definitionOf(e->unit(), depth + 1) + exponent);
    }
    std::sort(terms.begin(), terms.end());
    std::string text = "derived(";
    for (const std::string& t : terms) text += t + ",";
    return text + ")";
}

/// What a unit stands for, as text: a code when it has one; otherwise what defines it completely (an SI
/// unit's prefix and name, a conversion-based unit's name, factor and factor unit, a context-dependent unit's
/// name, a derived unit's elements). Anything else, a chain of more than a few units and a cycle is only itself.
std::string definitionOf(NuskObject* unit, int depth) {
    if (!unit) return "none";
    if (const MivoMgrUnit* m = MivoMgrUnit::find(unit))
        if (m->unit != nuskunit_unknown) return "code " + std::to_string(m->unit);
    if (depth > 8) return identity(unit);
    if (auto* si = nusk_cast<stp_si_unit>(unit))
        return "si(" + std::to_string(si->prefix()) + "," + std::to_string(si->name()) + ")";
    if (auto* cb = nusk_cast<stp_conversion_based_unit>(unit)) return factorDefinition(cb, depth);
    if (auto* cdu = nusk_cast<stp_context_dependent_unit>(unit)) {
        const char* name = cdu->name();
        return name && *name ? std::string("cdu(") + name + ")" : identity(unit);
    }
    if (auto* derived = nusk_cast<stp_derived_unit>(unit)) return elementsDefinition(derived, depth);
    return identity(unit);
}

}  // namespace

int textOrder(const char* a, const char* b) { return sign(nusk_strcasecmp(a, b)); }

int typeOrder(const NuskDomain* a, const NuskDomain* b) {
    if (a == b) return 0;
    if (int c = sign(std::strcmp(a->name(), b->name()))) return c;
    return threeWay(a->index(), b->index());
}

int identityOrder(const NuskObject* a, const NuskObject* b) {
    const uint32_t ia = a ? a->entity_id() : 0;
    const uint32_t ib = b ? b->entity_id() : 0;
    if (int c = threeWay(ia, ib)) return c;
    return std::less<const NuskObject*>()(a, b) ? -1 : std::less<const NuskObject*>()(b, a) ? 1 : 0;
}

UnitKey unitKey(stp_unit* unit) {
    UnitKey key;
    key.code = mivo_get_unit_type(unit);
    if (key.code == nuskunit_unknown) {
        const char* name = mivo_get_unit_fullname(unit);
        key.name = name ? name : "";
        key.definition = unit ? definitionOf(nusk_get_nested_object(unit), 0) : "none";
    }
    return key;
}

int unitOrder(const UnitKey& a, const UnitKey& b) {
    if (int c = threeWay(a.code, b.code)) return c;
    if (a.code != nuskunit_unknown) return 0;
    if (int c = sign(a.name.compare(b.name))) return c;
    return sign(a.definition.compare(b.definition));
}

std::vector<UnitKey> sortedUnitKeys(NuskObject* set) {
    std::vector<UnitKey> keys;
    if (auto* units = dynamic_cast<NuskAggregate*>(set))
        for (unsigned i = 0; i < units->size(); ++i) keys.push_back(unitKey(dynamic_cast<stp_unit*>(units->getObject(i))));
    std::sort(keys.begin(), keys.end(), [](const UnitKey& a, const UnitKey& b) { return unitOrder(a, b) < 0; });
    return keys;
}

int unitListOrder(const std::vector<UnitKey>& a, const std::vector<UnitKey>& b) {
    if (int c = threeWay(a.size(), b.size())) return c;
    for (size_t i = 0; i < a.size(); ++i)
        if (int c = unitOrder(a[i], b[i])) return c;
    return 0;
}

double measureValueIn(NuskObject* measure, NuskUnit unit) {
    const double value = mivo_get_measure_value(nusk_cast<stp_measure_with_unit>(measure), unit);
    return std::isnan(value) ? NUSK_NULL_REAL : value;  // a NaN would break the order of the sort
}

UncertaintyKey uncertaintyKey(NuskObject* measure) {
    UncertaintyKey key;
    key.measure = measure;
    stp_unit* unit = unitOf(measure);
    key.type = mivo_get_measure_type(unit);
    key.unit = mivo_get_unit_type(unit);
    if (key.type == nuskmeasure_unknown || key.unit == nuskunit_unknown) return key;
    key.scale = scaleOf(key.unit);
    if (key.scale == nuskunit_unknown) return key;
    key.value = measureValueIn(measure, key.scale);
    key.scaled = key.value != NUSK_NULL_REAL;
    return key;
}

int uncertaintyOrder(const UncertaintyKey& a, const UncertaintyKey& b) {
    if (int c = threeWay(a.type, b.type)) return c;
    if (a.scaled != b.scaled) return a.scaled ? -1 : 1;
    if (!a.scaled) return identityOrder(a.measure, b.measure);
    if (int c = threeWay(a.scale, b.scale)) return c;
    return threeWay(b.value, a.value);  // the larger uncertainty first
}

bool sameUncertainty(const UncertaintyKey& a, const UncertaintyKey& b, double tolerance) {
    if (a.type != b.type) return false;
    if (a.type == nuskmeasure_unknown || a.unit == nuskunit_unknown || b.unit == nuskunit_unknown)
        return a.measure == b.measure;
    const double va = measureValueIn(a.measure, a.unit);
    const double vb = measureValueIn(b.measure, a.unit);
    if (va == NUSK_NULL_REAL || vb == NUSK_NULL_REAL) return a.measure == b.measure;
    // Relative to a's value: a negative uncertainty allows no difference at all, not even none.
    return std::fabs(va - vb) <= va * tolerance;
}

std::vector<UncertaintyKey> sortedUncertaintyKeys(NuskObject* set) {
    std::vector<UncertaintyKey> keys;
    if (auto* measures = dynamic_cast<NuskAggregate*>(set))
        for (unsigned i = 0; i < measures->size(); ++i) keys.push_back(uncertaintyKey(measures->getObject(i)));
    std::sort(keys.begin(), keys.end(),
              [](const UncertaintyKey& a, const UncertaintyKey& b) { return uncertaintyOrder(a, b) < 0; });
    return keys;
}

int uncertaintyListOrder(const std::vector<UncertaintyKey>& a, const std::vector<UncertaintyKey>& b) {
    if (int c = threeWay(a.size(), b.size())) return c;
    for (size_t i = 0; i < a.size(); ++i)
        if (int c = uncertaintyOrder(a[i], b[i])) return c;
    return 0;
}

bool sameUncertainties(const std::vector<UncertaintyKey>& a, const std::vector<UncertaintyKey>& b, double tolerance) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!sameUncertainty(a[i], b[i], tolerance)) return false;
    return true;
}

}  // namespace mivo_contexts
