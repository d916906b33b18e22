// Names of unit codes and of unit entities.
#include "mivo_units.h"
#include "unit_attributes.h"

#include "nusk/ap242/all.h"

using namespace mivo_units;

namespace {

const char* const kPrefixes[] = {"exa",   "peta",  "tera",  "giga", "mega", "kilo",  "hecto", "deca",
                                 "deci",  "centi", "milli", "micro", "nano", "pico", "femto", "atto"};
const char* const kSiNames[] = {"metre",  "gram",    "second",  "ampere", "kelvin",  "mole",  "candela",
                                "radian", "steradian", "hertz", "newton", "pascal",  "joule", "watt",
                                "coulomb", "volt",   "farad",   "ohm",    "siemens", "weber", "tesla",
                                "henry",  nullptr,   "lumen",   "lux",    "becquerel", "gray", "sievert"};

/// The buffer SI names are built in: one per thread, so that threads naming units at once do not write over
/// each other's text. A name stays valid until the same thread's next call.
NuskStringObject& siBuffer() {
    static thread_local NuskStringObject buffer;
    return buffer;
}

const char* siName(NuskObject* unit) {
    const UnitAttributes& a = unitAttributes();
    const int name = unit->getInteger(a.siName);
    const int prefix = unit->getInteger(a.siPrefix);
    NuskStringObject& buffer = siBuffer();
    if (name < 0 || name > 27 || !kSiNames[name]) {
        buffer.copy("none");  // degree Celsius and names outside the list: no name, and no prefix either
        return buffer.text();
    }
    buffer.copy(prefix >= 0 && prefix < 16 ? kPrefixes[prefix] : "");
    buffer.cat(kSiNames[name]);
    return buffer.text();
}

const char* namedUnitName(NuskObject* unit) {
    if (!unit) return "none";
    if (const MivoMgrUnit* m = MivoMgrUnit::find(unit))
        if (m->unit != nuskunit_unknown) return nusk_get_unit_fullname(m->unit);
    const UnitAttributes& a = unitAttributes();
    if (unit->isa(nusktype_stp_si_unit)) return siName(unit);
    if (unit->isa(nusktype_stp_conversion_based_unit)) {
        const char* name = unit->getString(a.cbName);
        return name ? name : "unnamed conversion unit";
    }
    if (unit->isa(nusktype_stp_context_dependent_unit)) {
        const char* name = unit->getString(a.cduName);
        return name ? name : "unnamed context-dependent unit";
    }
    return "unknown";
}

const char* derivedUnitName(NuskObject* unit) {
    if (!unit) return "none";
    const MivoMgrUnit* m = MivoMgrUnit::find(unit);
    if (!m) return "unknown derived unit";
    if (m->unit != nuskunit_unknown) return nusk_get_unit_fullname(m->unit);
    if (m->name_attribute)
        if (const char* text = static_cast<NuskObject*>(m->name_attribute)->getString(unitAttributes().nameValue))
            return text;
    return "unknown derived unit";
}

}  // namespace

const char* mivo_get_unit_name(NuskUnit unit) { return nusk_get_unit_name(unit); }
const char* mivo_get_unit_fullname(NuskUnit unit) { return nusk_get_unit_fullname(unit); }
const char* mivo_get_unit_fullname(stp_named_unit* unit) { return namedUnitName(unit); }
const char* mivo_get_unit_fullname(stp_derived_unit* unit) { return derivedUnitName(unit); }

const char* mivo_get_unit_fullname(stp_unit* unit) {
    if (!unit) return "none";
    NuskObject* held = nusk_get_nested_object(unit);
    if (unit->is_named_unit()) return namedUnitName(held);
    if (unit->is_derived_unit()) return derivedUnitName(held);
    return nusk_get_unit_fullname(nuskunit_unknown);
}

const char* mivo_get_unit_name(stp_unit* unit) {
    if (!unit) return "none";
    if (const MivoMgrUnit* m = MivoMgrUnit::find(unit->getObject(0)))
        if (m->unit != nuskunit_unknown) return nusk_get_unit_name(m->unit);
    return mivo_get_unit_fullname(unit);
}

const char* mivo_get_unit_name(stp_measure_with_unit* measure) {
    if (!measure) return "none";
    auto* unit = dynamic_cast<stp_unit*>(static_cast<NuskObject*>(measure)->getObject(unitAttributes().measureUnit));
    return unit ? mivo_get_unit_name(unit) : "none";
}
