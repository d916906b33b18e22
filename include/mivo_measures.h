// Measures: values with units, made from a number and a unit code.
#pragma once

#include "nusk/ap242/forward.h"
#include "nusk/design.h"
#include "nusk/units.h"

/// A new measure value select holding `value` as the alternative of the kind of quantity: plane angle, count,
/// length, parameter, ratio, solid angle and time measures; a numeric measure for any other kind.
stp_measure_value* mivo_make_measure_value(NuskDesign* design, double value, NuskMeasureType type);
/// A new measure of `value` in the unit `unit` (made or reused with mivo_make_unit): a plane angle, length,
/// ratio, solid angle or time measure with unit for those kinds, a plain measure with unit otherwise.
stp_measure_with_unit* mivo_make_measure(NuskDesign* design, double value, NuskUnit unit);
