// Unit codes: one table row per code, and the conversions derived from it.
#include "nusk/units.h"

#include <algorithm>
#include <cmath>

namespace {

// Physical dimension of a unit. Two units convert into each other only when they share a dimension;
// each dimension has a canonical unit that the factors of the table are relative to.
enum class Dim {
    none,  // the code names no unit, or a unit that never converts (unknown, as is)
    length, area, volume, plane_angle, solid_angle, time,
    feed_per_time, feed_per_rev, feed_per_tooth, spin, pressure, force, power, torque,
    count, parameter, ratio, revolution, tooth,
};

// One unit: num / den canonical units make one of it. The factor is kept as a fraction of
// integers where it can be, so that a conversion is a single rounded division (mm to inch is
// 10 / 254, correctly rounded) instead of a quotient of two already rounded factors.
struct UnitRow {
    NuskUnit code;  // the row's own code: rows are in code order, which the check below the table holds to
    NuskMeasureType type;
    Dim dim;
    double num;
    double den;
    const char* name;
    const char* fullname;
};

constexpr double kPi = 3.14159265358979323846;

// Canonical units: mm, mm2, mm3, rad, sr, s, mm/s, mm/rev, mm/tooth, rev/s, Pa, N, W, N.m.
constexpr UnitRow kUnits[] = {
    {nuskunit_unknown, nuskmeasure_unknown, Dim::none, 1, 1, "unknown", "unknown"},
    {nuskunit_as_is, nuskmeasure_unknown, Dim::none, 1, 1, "as is", "as is"},
    {nuskunit_mm, nuskmeasure_length, Dim::length, 1, 1, "mm", "millimetre"},
    {nuskunit_cm, nuskmeasure_length, Dim::length, 10, 1, "cm", "centimetre"},
    {nuskunit_m, nuskmeasure_length, Dim::length, 1000, 1, "m", "metre"},
    {nuskunit_length_cb1, nuskmeasure_length, Dim::length, 254, 10, "in", "inch"},
    {nuskunit_length_cb2, nuskmeasure_length, Dim::length, 3048, 10, "ft", "foot"},
    {nuskunit_um, nuskmeasure_length, Dim::length, 1, 1e3, "um", "micrometre"},
    {nuskunit_nm, nuskmeasure_length, Dim::length, 1, 1e6, "nm", "nanometre"},
    {nuskunit_length_cb3, nuskmeasure_length, Dim::length, 1609344, 1, "mi", "mile"},
    {nuskunit_length_cb4, nuskmeasure_length, Dim::length, 254, 1e4, "mil", "mil"},
    {nuskunit_mm2, nuskmeasure_area, Dim::area, 1, 1, "mm2", "square millimetre"},
    {nuskunit_cm2, nuskmeasure_area, Dim::area, 100, 1, "cm2", "square centimetre"},
    {nuskunit_m2, nuskmeasure_area, Dim::area, 1e6, 1, "m2", "square metre"},
    {nuskunit_length_cb1_2, nuskmeasure_area, Dim::area, 64516, 100, "in2", "square inch"},
    {nuskunit_length_cb2_2, nuskmeasure_area, Dim::area, 9290304, 100, "ft2", "square foot"},
    {nuskunit_mm3, nuskmeasure_volume, Dim::volume, 1, 1, "mm3", "cubic millimetre"},
    {nuskunit_cm3, nuskmeasure_volume, Dim::volume, 1e3, 1, "cm3", "cubic centimetre"},
    {nuskunit_m3, nuskmeasure_volume, Dim::volume, 1e9, 1, "m3", "cubic metre"},
    {nuskunit_length_cb1_3, nuskmeasure_volume, Dim::volume, 16387064, 1e3, "in3", "cubic inch"},
    {nuskunit_length_cb2_3, nuskmeasure_volume, Dim::volume, 28316846592, 1e3, "ft3", "cubic foot"},
    {nuskunit_angle_cb1, nuskmeasure_plane_angle, Dim::plane_angle, kPi, 180, "deg", "degree"},
    {nuskunit_rad, nuskmeasure_plane_angle, Dim::plane_angle, 1, 1, "rad", "radian"},
    {nuskunit_sr, nuskmeasure_solid_angle, Dim::solid_angle, 1, 1, "sr", "steradian"},
    {nuskunit_s, nuskmeasure_time, Dim::time, 1, 1, "s", "second"},
    {nuskunit_time_cb1, nuskmeasure_time, Dim::time, 60, 1, "min", "minute"},
    {nuskunit_time_cb2, nuskmeasure_time, Dim::time, 3600, 1, "h", "hour"},
    {nuskunit_mm_per_s, nuskmeasure_feedrate, Dim::feed_per_time, 1, 1, "mm/s", "millimetre per second"},
    {nuskunit_mm_per_time_cb1, nuskmeasure_feedrate, Dim::feed_per_time, 1, 60, "mm/min", "millimetre per minute"},
    {nuskunit_cm_per_s, nuskmeasure_feedrate, Dim::feed_per_time, 10, 1, "cm/s", "centimetre per second"},
    {nuskunit_m_per_s, nuskmeasure_feedrate, Dim::feed_per_time, 1000, 1, "m/s", "metre per second"},
    {nuskunit_length_cb1_per_s, nuskmeasure_feedrate, Dim::feed_per_time, 254, 10, "in/s", "inch per second"},
    {nuskunit_length_cb1_per_time_cb1, nuskmeasure_feedrate, Dim::feed_per_time, 254, 600, "in/min", "inch per minute"},
    {nuskunit_length_cb2_per_s, nuskmeasure_feedrate, Dim::feed_per_time, 3048, 10, "ft/s", "foot per second"},
    {nuskunit_length_cb2_per_time_cb1, nuskmeasure_feedrate, Dim::feed_per_time, 3048, 600, "ft/min",
     "foot per minute"},
    {nuskunit_mm_per_revolution, nuskmeasure_feedrate, Dim::feed_per_rev, 1, 1, "mm/rev", "millimetre per revolution"},
    {nuskunit_length_cb1_per_revolution, nuskmeasure_feedrate, Dim::feed_per_rev, 254, 10, "in/rev",
     "inch per revolution"},
    {nuskunit_mm_per_tooth, nuskmeasure_feedrate, Dim::feed_per_tooth, 1, 1, "mm/tooth", "millimetre per tooth"},
    {nuskunit_length_cb1_per_tooth, nuskmeasure_feedrate, Dim::feed_per_tooth, 254, 10, "in/tooth", "inch per tooth"},
    {nuskunit_revolution_per_s, nuskmeasure_spinrate, Dim::spin, 1, 1, "rev/s", "revolution per second"},
    {nuskunit_revolution_per_time_cb1, nuskmeasure_spinrate, Dim::spin, 1, 60, "rev/min", "revolution per minute"},
    {nuskunit_pa, nuskmeasure_pressure, Dim::pressure, 1, 1, "Pa", "pascal"},
    {nuskunit_kpa, nuskmeasure_pressure, Dim::pressure, 1e3, 1, "kPa", "kilopascal"},
    {nuskunit_mpa, nuskmeasure_pressure, Dim::pressure, 1e6, 1, "MPa", "megapascal"},
    {nuskunit_pressure_cb1, nuskmeasure_pressure, Dim::pressure, 6894757293168, 1e9, "psi", "pound per square inch"},
    {nuskunit_n, nuskmeasure_force, Dim::force, 1, 1, "N", "newton"},
    {nuskunit_force_cb1, nuskmeasure_force, Dim::force, 44482216152605, 1e13, "lbf", "pound-force"},
    {nuskunit_w, nuskmeasure_power, Dim::power, 1, 1, "W", "watt"},
    {nuskunit_kw, nuskmeasure_power, Dim::power, 1e3, 1, "kW", "kilowatt"},
    {nuskunit_power_cb1, nuskmeasure_power, Dim::power, 745699872, 1e6, "hp", "horsepower"},
    {nuskunit_n_m, nuskmeasure_torque, Dim::torque, 1, 1, "N.m", "newton metre"},
    // 4.4482216152605 N * 0.3048 m, exact in decimal; too many digits for an integer numerator.
    {nuskunit_force_cb1_length_cb2, nuskmeasure_torque, Dim::torque, 1.3558179483314004, 1, "lbf.ft",
     "pound-force foot"},
    {nuskunit_reserved52, nuskmeasure_unknown, Dim::none, 1, 1, nullptr, nullptr},
    {nuskunit_reserved53, nuskmeasure_unknown, Dim::none, 1, 1, nullptr, nullptr},
    {nuskunit_reserved54, nuskmeasure_unknown, Dim::none, 1, 1, nullptr, nullptr},
    {nuskunit_reserved55, nuskmeasure_unknown, Dim::none, 1, 1, nullptr, nullptr},
    {nuskunit_count, nuskmeasure_count, Dim::count, 1, 1, "count", "count"},
    {nuskunit_parameter, nuskmeasure_parameter, Dim::parameter, 1, 1, "parameter", "parameter"},
    {nuskunit_ratio, nuskmeasure_ratio, Dim::ratio, 1, 1, "ratio", "ratio"},
    {nuskunit_revolution, nuskmeasure_revolution, Dim::revolution, 1, 1, "rev", "revolution"},
    {nuskunit_tooth, nuskmeasure_tooth, Dim::tooth, 1, 1, "tooth", "tooth"},
};
static_assert(sizeof(kUnits) / sizeof(kUnits[0]) == NUSK_UNIT_MAX + 1, "one row per unit code");

constexpr bool rowsInCodeOrder() {
    for (int i = 0; i <= NUSK_UNIT_MAX; ++i)
        if (kUnits[i].code != i) return false;
    return true;
}
static_assert(rowsInCodeOrder(), "the row of each code is at the index of that code");

const UnitRow* row_of(NuskUnit unit) {
    return unit >= 0 && unit <= NUSK_UNIT_MAX ? &kUnits[unit] : nullptr;
}

// The dimension of a code, Dim::none for codes outside the table.
Dim dim_of(NuskUnit unit) {
    const UnitRow* row = row_of(unit);
    return row ? row->dim : Dim::none;
}

bool is_relative_equal(double a, double b, double tol) {
    return std::fabs(a - b) <= tol * std::max(std::fabs(a), std::fabs(b));
}

}  // namespace

double nusk_get_unit_conversion_factor(NuskUnit from, NuskUnit to) {
    if (from == to) return 1.0;
    Dim dim = dim_of(from);
    if (dim == Dim::none || dim != dim_of(to)) return NUSK_NULL_REAL;
    const UnitRow& f = kUnits[from];
    const UnitRow& t = kUnits[to];
    return (f.num * t.den) / (f.den * t.num);
}

double nusk_get_measure_as_unit(double value, NuskUnit from, NuskUnit to) {
    if (to == nuskunit_unknown || to == nuskunit_as_is || to == from) return value;
    // An unset value stays unset instead of turning into a tiny number that no longer reads as null.
    if (value == NUSK_NULL_REAL) return NUSK_NULL_REAL;
    double factor = nusk_get_unit_conversion_factor(from, to);
    return factor == NUSK_NULL_REAL ? NUSK_NULL_REAL : value * factor;
}

NuskMeasureType nusk_get_measure_type(NuskUnit unit) {
    const UnitRow* row = row_of(unit);
    return row ? row->type : nuskmeasure_unknown;
}

const char* nusk_get_unit_name(NuskUnit unit) {
    const UnitRow* row = row_of(unit);
    return row ? row->name : nullptr;
}

const char* nusk_get_unit_fullname(NuskUnit unit) {
    const UnitRow* row = row_of(unit);
    return row ? row->fullname : nullptr;
}

NuskUnit nusk_get_unit_related_by_factor(NuskUnit unit, double factor) {
    // Files write factors with a dozen significant digits at most (degree as 0.01745329252 rad),
    // hence a tolerance well above rounding but below the gap between any two units of the table.
    const double tol = 1e-6;
    if (dim_of(unit) == Dim::none) return nuskunit_unknown;
    for (int code = nuskunit_mm; code <= NUSK_UNIT_MAX; ++code) {
        NuskUnit candidate = static_cast<NuskUnit>(code);
        if (dim_of(candidate) != dim_of(unit)) continue;
        if (is_relative_equal(nusk_get_unit_conversion_factor(candidate, unit), factor, tol)) return candidate;
    }
    return nuskunit_unknown;
}

int nusk_is_epsilon_equal(double a, double b, double eps) {
    return std::fabs(a - b) <= eps ? 1 : 0;
}
