// The aspect attributes of a tolerance, reached by name once the tolerance is known to be of the owning type: a
// tolerance may combine any aspects, so no one generated class reaches all of them.
#include "internal.h"

#include "nusk/ap242/stp_length_measure_with_unit.h"
#include "nusk/select.h"

using namespace mivo_tol;

namespace {

// A unit size may be declared as a measure or as a select of a length or an angle measure (editions differ):
// reads look through a select value, writes wrap the measure in one when the attribute wants it.

stp_length_measure_with_unit* getMeasure(stp_geometric_tolerance* tol, unsigned long owner, const char* name) {
    if (!hasBit(tol, owner)) return nullptr;
    NuskObject* value = tol->getObject(name, 0);
    if (auto* select = dynamic_cast<NuskUnion*>(value)) value = nusk_get_nested_object(select, nullptr);
    return nusk_cast(value, nusktype_stp_length_measure_with_unit);
}

unsigned int putMeasure(stp_geometric_tolerance* tol, unsigned long owner, const char* name,
                        stp_length_measure_with_unit* m) {
    if (!hasBit(tol, owner)) return 3;
    tol->modified();
    if (!m || tol->putObject(m, name, 0)) {
        if (!m) tol->putObject(nullptr, name, 0);
        return 0;
    }
    NuskAttribute* attribute = tol->getAttribute(name);
    NuskDomain* type = attribute ? attribute->valueDomain() : nullptr;
    if (!type || !type->typeIsSelect()) return 0;
    auto* select = dynamic_cast<NuskUnion*>(tol->getObject(name, 0));
    if (!select) select = dynamic_cast<NuskUnion*>(tol->design()->pnewInstance(type, 0));
    if (select && nusk_put_nested_object(select, m)) tol->putObject(select, name, 0);
    return 0;
}

int getEnum(stp_geometric_tolerance* tol, unsigned long owner, const char* name) {
    if (!hasBit(tol, owner)) return -1;
    const int v = tol->getInteger(name, 0);
    return v == NUSK_NULL_INTEGER ? -1 : v;
}

unsigned int putEnum(stp_geometric_tolerance* tol, unsigned long owner, const char* name, int value) {
    if (!hasBit(tol, owner)) return 3;
    tol->modified();
    tol->putInteger(value, name, 0);
    return 0;
}

}  // namespace

namespace mivo_tol {

bool mayAttachOnDemand(stp_geometric_tolerance* tol, const char* attribute) {
    // Attaching means writing the tolerance from its values, which drops a kept record and whatever it held
    // that the values do not (a datum system given without parentheses, say).
    return tol && !tol->getObject(attribute, 0) && !tol->hasOriginalRecord();
}

}  // namespace mivo_tol

stp_length_measure_with_unit* mivo_tol_get_unit_size(stp_geometric_tolerance* tol) {
    return getMeasure(tol, MIVO_TOL_WITH_UNIT, "unit_size");
}
unsigned int mivo_tol_put_unit_size(stp_geometric_tolerance* tol, stp_length_measure_with_unit* m) {
    return putMeasure(tol, MIVO_TOL_WITH_UNIT, "unit_size", m);
}
stp_length_measure_with_unit* mivo_tol_get_second_unit_size(stp_geometric_tolerance* tol) {
    return getMeasure(tol, MIVO_TOL_WITH_AREA_UNIT, "second_unit_size");
}
unsigned int mivo_tol_put_second_unit_size(stp_geometric_tolerance* tol, stp_length_measure_with_unit* m) {
    return putMeasure(tol, MIVO_TOL_WITH_AREA_UNIT, "second_unit_size", m);
}
stp_length_measure_with_unit* mivo_tol_get_maximum_upper_tolerance(stp_geometric_tolerance* tol) {
    return getMeasure(tol, MIVO_TOL_WITH_MAX, "maximum_upper_tolerance");
}
unsigned int mivo_tol_put_maximum_upper_tolerance(stp_geometric_tolerance* tol, stp_length_measure_with_unit* m) {
    return putMeasure(tol, MIVO_TOL_WITH_MAX, "maximum_upper_tolerance", m);
}
stp_length_measure_with_unit* mivo_tol_get_displacement(stp_geometric_tolerance* tol) {
    return getMeasure(tol, MIVO_TOL_WITH_UNEQUAL, "displacement");
}
unsigned int mivo_tol_put_displacement(stp_geometric_tolerance* tol, stp_length_measure_with_unit* m) {
    return putMeasure(tol, MIVO_TOL_WITH_UNEQUAL, "displacement", m);
}

stp_area_unit_type mivo_tol_get_area_type(stp_geometric_tolerance* tol) {
    return static_cast<stp_area_unit_type>(getEnum(tol, MIVO_TOL_WITH_AREA_UNIT, "area_type"));
}
unsigned int mivo_tol_put_area_type(stp_geometric_tolerance* tol, stp_area_unit_type t) {
    return putEnum(tol, MIVO_TOL_WITH_AREA_UNIT, "area_type", t);
}
stp_limit_condition mivo_tol_get_limit_condition(stp_geometric_tolerance* tol) {
    return static_cast<stp_limit_condition>(getEnum(tol, MIVO_TOL_WITH_ORIG_MODIFIER, "modifier"));
}
unsigned int mivo_tol_put_limit_condition(stp_geometric_tolerance* tol, stp_limit_condition c) {
    return putEnum(tol, MIVO_TOL_WITH_ORIG_MODIFIER, "modifier", c);
}
