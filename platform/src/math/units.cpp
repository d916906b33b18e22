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
    {nuskmeasure_unknown, Dim::none, 1, 1, "unknown", "unknown"},
    {nuskmeasure_unknown, Dim::none, 1, 1, "as is", "as is"},
    {nuskmeasure_length, Dim::length, 1, 1, "mm", "millimetre"},
    {nuskmeasure_length, Dim::length, 10, 1, "cm", "centimetre"},
    {nuskmeasure_length, Dim::length, 1000, 1, "m", "metre"},
    {nuskmeasure_length, Dim::length, 254, 10, "in", "inch"},
    {nuskmeasure_length, Dim::length, 3048, 10, "ft", "foot"},
    {nuskmeasure_length, Dim::length, 1, 1e3, "um", "micrometre"},
    {nuskmeasure_length, Dim::length, 1, 1e6, "nm", "nanometre"},
    {nuskmeasure_length, Dim::length, 1609344, 1, "mi", "mile"},
    {nuskmeasure_length, Dim::length, 254, 1e4, "mil", "mil"},
    {nuskmeasure_area, Dim::area, 1, 1, "mm2", "square millimetre"},
    {nuskmeasure_area, Dim::area, 100, 1, "cm2", "square centimetre"},
    {nuskmeasure_area, Dim::area, 1e6, 1, "m2", "square metre"},
    {nuskmeasure_area, Dim::area, 64516, 100, "in2", "square inch"},
    {nuskmeasure_area, Dim::area, 9290304, 100, "ft2", "square foot"},
    {nuskmeasure_volume, Dim::volume, 1, 1, "mm3", "cubic millimetre"},
    {nuskmeasure_volume, Dim::volume, 1e3, 1, "cm3", "cubic centimetre"},
    {nuskmeasure_volume, Dim::volume, 1e9, 1, "m3", "cubic metre"},
    {nuskmeasure_volume, Dim::volume, 16387064, 1e3, "in3", "cubic inch"},
    {nuskmeasure_volume, Dim::volume, 28316846592, 1e3, "ft3", "cubic foot"},
    {nuskmeasure_plane_angle, Dim::plane_angle, kPi, 180, "deg", "degree"},
    {nuskmeasure_plane_angle, Dim::plane_angle, 1, 1, "rad", "radian"},
    {nuskmeasure_solid_angle, Dim::solid_angle, 1, 1, "sr", "steradian"},
    {nuskmeasure_time, Dim::time, 1, 1, "s", "second"},
    {nuskmeasure_time, Dim::time, 60, 1, "min", "minute"},
    {nuskmeasure_time, Dim::time, 3600, 1, "h", "hour"},
    {nuskmeasure_feedrate, Dim::feed_per_time, 1, 1, "mm/s", "millimetre per second"},
    {nuskmeasure_feedrate, Dim::feed_per_time, 1, 60, "mm/min", "millimetre per minute"},
    {nuskmeasure_feedrate, Dim::feed_per_time, 10, 1, "cm/s", "centimetre per second"},
    {nuskmeasure_feedrate, Dim::feed_per_time, 1000, 1, "m/s", "metre per second"},
    {nuskmeasure_feedrate, Dim::feed_per_time, 254, 10, "in/s", "inch per second"},
    {nuskmeasure_feedrate, Dim::feed_per_time, 254, 600, "in/min", "inch per minute"},
    {nuskmeasure_feedrate, Dim::feed_per_time, 3048, 10, "ft/s", "foot per second"},
    {nuskmeasure_feedrate, Dim::feed_per_time, 3048, 600, "ft/min", "foot per minute"},
    {nuskmeasure_feedrate, Dim::feed_per_rev, 1, 1, "mm/rev", "millimetre per revolution"},
    {nuskmeasure_feedrate, Dim::feed_per_rev, 254, 10, "in/rev", "inch per revolution"},
    {nuskmeasure_feedrate, Dim::feed_per_tooth, 1, 1, "mm/tooth", "millimetre per tooth"},
    {nuskmeasure_feedrate, Dim::feed_per_tooth, 254, 10, "in/tooth", "inch per tooth"},
    {nuskmeasure_spinrate, Dim::spin, 1, 1, "rev/s", "revolution per second"},
    {nuskmeasure_spinrate, Dim::spin, 1, 60, "rev/min", "revolution per minute"},
    {nuskmeasure_pressure, Dim::pressure, 1, 1, "Pa", "pascal"},
    {nuskmeasure_pressure, Dim::pressure, 1e3, 1, "kPa", "kilopascal"},
    {nuskmeasure_pressure, Dim::pressure, 1e6, 1, "MPa", "megapascal"},
    {nuskmeasure_pressure, Dim::pressure, 6894757293168, 1e9, "psi", "pound per square inch"},
    {nuskmeasure_force, Dim::force, 1, 1, "N", "newton"},
    {nuskmeasure_force, Dim::force, 44482216152605, 1e13, "lbf", "pound-force"},
    {nuskmeasure_power, Dim::power, 1, 1, "W", "watt"},
    {nuskmeasure_power, Dim::power, 1e3, 1, "kW", "kilowatt"},
    {nuskmeasure_power, Dim::power, 745699872, 1e6, "hp", "horsepower"},
    {nuskmeasure_torque, Dim::torque, 1, 1, "N.m", "newton metre"},
    // 4.4482216152605 N * 0.3048 m, exact in decimal; too many digits for an integer numerator.
    {nuskmeasure_torque, Dim::torque, 1.3558179483314004, 1, "lbf.ft", "pound-force foot"},
    {nuskmeasure_unknown, Dim::none, 1, 1, nullptr, nullptr},
    {nuskmeasure_unknown, Dim::none, 1, 1, nullptr, nullptr},
    {nuskmeasure_unknown, Dim::none, 1, 1, nullptr, nullptr},
    {nuskmeasure_unknown, Dim::none, 1, 1, nullptr, nullptr},
    {nuskmeasure_count, Dim::count, 1, 1, "count", "count"},
    {nuskmeasure_parameter, Dim::parameter, 1, 1, "parameter", "parameter"},
    {nuskmeasure_ratio, Dim::ratio, 1, 1, "ratio", "ratio"},
    {nuskmeasure_revolution, Dim::revolution, 1, 1, "rev", "revolution"},
    {nuskmeasure_tooth, Dim::tooth, 1, 1, "tooth", "tooth"},
};
static_assert(sizeof(kUnits) / sizeof(kUnits[0]) == NUSK_UNIT_MAX + 1, "one row per unit code");

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
