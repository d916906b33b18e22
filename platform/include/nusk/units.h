// Unit codes, kinds of quantity and unit conversion of the math library.
//
// A NuskUnit names one unit that applications store and convert values in; a NuskMeasureType names the kind
// of quantity a unit measures. Code 0 of each means "none". Conversions are only defined between units of the
// same kind and the same physical dimension (feed per second and feed per revolution are both feed rates but
// cannot be converted into each other).
#pragma once

#include <cstdint>

enum NuskMeasureType : int {
    nuskmeasure_unknown = 0,
    nuskmeasure_reserved1 = 1,  // exists in the enumeration, never produced
    nuskmeasure_plane_angle = 2,
    nuskmeasure_reserved3 = 3,  // exists in the enumeration, never produced
    nuskmeasure_spinrate = 4,
    nuskmeasure_area = 5,
    nuskmeasure_count = 6,
    nuskmeasure_force = 7,
    nuskmeasure_length = 8,
    nuskmeasure_reserved9 = 9,  // exists in the enumeration, never produced
    nuskmeasure_parameter = 10,
    nuskmeasure_power = 11,
    nuskmeasure_pressure = 12,
    nuskmeasure_ratio = 13,
    nuskmeasure_revolution = 14,
    nuskmeasure_solid_angle = 15,
    nuskmeasure_feedrate = 16,
    nuskmeasure_reserved17 = 17,  // exists in the enumeration, never produced
    nuskmeasure_time = 18,
    nuskmeasure_tooth = 19,
    nuskmeasure_torque = 20,
    nuskmeasure_volume = 21,
};

/// Number of NuskMeasureType codes (0 to 21); the size of a NuskUnitSet.
constexpr int NUSK_MEASURE_TYPE_COUNT = 22;

enum NuskUnit : int {
    nuskunit_unknown = 0,
    nuskunit_as_is = 1,  // as a requested unit: keep the stored unit
    nuskunit_mm = 2,
    nuskunit_cm = 3,
    nuskunit_m = 4,
    nuskunit_length_cb1 = 5,  // inch, 25.4 mm
    nuskunit_length_cb2 = 6,  // foot, 304.8 mm
    nuskunit_um = 7,
    nuskunit_nm = 8,
    nuskunit_length_cb3 = 9,   // mile, 1,609,344 mm
    nuskunit_length_cb4 = 10,  // mil, 25.4 um
    nuskunit_mm2 = 11,
    nuskunit_cm2 = 12,
    nuskunit_m2 = 13,
    nuskunit_length_cb1_2 = 14,
    nuskunit_length_cb2_2 = 15,
    nuskunit_mm3 = 16,
    nuskunit_cm3 = 17,
    nuskunit_m3 = 18,
    nuskunit_length_cb1_3 = 19,
    nuskunit_length_cb2_3 = 20,
    nuskunit_angle_cb1 = 21,  // degree, pi/180 rad
    nuskunit_rad = 22,
    nuskunit_sr = 23,
    nuskunit_s = 24,
    nuskunit_time_cb1 = 25,  // minute, 60 s
    nuskunit_time_cb2 = 26,  // hour, 3,600 s
    nuskunit_mm_per_s = 27,
    nuskunit_mm_per_time_cb1 = 28,
    nuskunit_cm_per_s = 29,
    nuskunit_m_per_s = 30,
    nuskunit_length_cb1_per_s = 31,
    nuskunit_length_cb1_per_time_cb1 = 32,
    nuskunit_length_cb2_per_s = 33,
    nuskunit_length_cb2_per_time_cb1 = 34,
    nuskunit_mm_per_revolution = 35,
    nuskunit_length_cb1_per_revolution = 36,
    nuskunit_mm_per_tooth = 37,
    nuskunit_length_cb1_per_tooth = 38,
    nuskunit_revolution_per_s = 39,
    nuskunit_revolution_per_time_cb1 = 40,
    nuskunit_pa = 41,
    nuskunit_kpa = 42,
    nuskunit_mpa = 43,
    nuskunit_pressure_cb1 = 44,  // pound per square inch
    nuskunit_n = 45,
    nuskunit_force_cb1 = 46,  // pound-force
    nuskunit_w = 47,
    nuskunit_kw = 48,
    nuskunit_power_cb1 = 49,  // horsepower
    nuskunit_n_m = 50,
    nuskunit_force_cb1_length_cb2 = 51,  // pound-force foot
    nuskunit_reserved52 = 52,            // 52 to 55 exist in the enumeration and name no unit
    nuskunit_reserved53 = 53,
    nuskunit_reserved54 = 54,
    nuskunit_reserved55 = 55,
    nuskunit_count = 56,
    nuskunit_parameter = 57,
    nuskunit_ratio = 58,
    nuskunit_revolution = 59,
    nuskunit_tooth = 60,
};

/// Highest NuskUnit code in use; tables indexed by unit code have NUSK_UNIT_MAX + 1 entries.
constexpr int NUSK_UNIT_MAX = 60;

/// The null real: the value an unset real reads as, and the result that means "no value".
constexpr double NUSK_NULL_REAL = 2.2250738585072014e-308;
/// The null integer: an unset integer, and the integer result that means "no value".
constexpr int NUSK_NULL_INTEGER = -2147483647 - 1;

/// The unit a caller wants for each kind of quantity, indexed by NuskMeasureType.
struct NuskUnitSet {
    NuskUnit units[NUSK_MEASURE_TYPE_COUNT] = {};
    NuskUnit& operator[](int type) { return units[type]; }
    NuskUnit operator[](int type) const { return units[type]; }
};

/// Factor f such that a value in `to` equals the value in `from` times f. The same code gives 1.0.
/// Units of different kinds or dimensions, unknown codes, nuskunit_unknown and nuskunit_as_is give
/// NUSK_NULL_REAL: there is no conversion.
double nusk_get_unit_conversion_factor(NuskUnit from, NuskUnit to);

/// `value` given in `from`, converted into `to`. A requested unit of nuskunit_unknown or nuskunit_as_is,
/// or equal to `from`, keeps the value. A pair without conversion gives NUSK_NULL_REAL.
double nusk_get_measure_as_unit(double value, NuskUnit from, NuskUnit to);

/// Kind of quantity of a unit code; nuskmeasure_unknown for codes that name no unit.
NuskMeasureType nusk_get_measure_type(NuskUnit unit);

/// Short symbol of a unit ("mm", "in", "deg", "N.m", "mm/min"); null for a code that names no unit.
const char* nusk_get_unit_name(NuskUnit unit);

/// Full name of a unit ("millimetre", "inch", "degree"); null for a code that names no unit.
const char* nusk_get_unit_fullname(NuskUnit unit);

/// The code whose unit is `factor` times `unit` (one of it equals `factor` of `unit`), compared with a
/// relative tolerance of 1e-6; the lowest such code when several match, 0 when none does.
NuskUnit nusk_get_unit_related_by_factor(NuskUnit unit, double factor);

/// Non-zero when a and b differ by at most eps.
int nusk_is_epsilon_equal(double a, double b, double eps);
