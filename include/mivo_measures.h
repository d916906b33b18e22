// Measures: values with units, read in the unit a caller asks for, made from a number and a unit code, and the
// value qualifiers (limits, current value, precision, named standard uncertainties) of qualified items; and the
// lookup of the named items of a representation.
//
// A measure is converted through the code of its unit entity, so run mivo_tag_units on a design read from a
// file before asking for a value in another unit (units made by the library carry their code from the start).
// A requested unit of nuskunit_unknown or nuskunit_as_is keeps the stored value.
//
// No value is the null real (NUSK_NULL_REAL) for reals, NUSK_NULL_INTEGER for the precision, null for objects
// and texts; a null argument gives it too. Texts returned belong to the design: do not free them.
#pragma once

#include "nusk/ap242/forward.h"
#include "nusk/design.h"
#include "nusk/units.h"

class NuskDomain;

// ---- reading values ----

/// The measure's number in `unit`. The stored number when `unit` is 0, 1 or the measure's own unit; the null
/// real when the measure holds no number (no value, or a descriptive text) or when there is no conversion from
/// its unit into `unit` (an untagged unit, units of different kinds). A stored null real stays the null real.
double mivo_get_measure_value(stp_measure_with_unit* measure, NuskUnit unit);
/// The same in the unit that `units` gives for `type`; a null set keeps the stored unit, and so does a type
/// outside 0 to 21.
double mivo_get_measure_value(stp_measure_with_unit* measure, const NuskUnitSet* units, NuskMeasureType type);

/// The number in the set's unit for the getter's kind (plane angle, length, time, feed rate, spin rate,
/// pressure). The kind of the measure itself is not checked.
double mivo_get_angle_value(stp_measure_with_unit* measure, const NuskUnitSet* units);
double mivo_get_length_value(stp_measure_with_unit* measure, const NuskUnitSet* units);
double mivo_get_time_value(stp_measure_with_unit* measure, const NuskUnitSet* units);
double mivo_get_feedrate_value(stp_measure_with_unit* measure, const NuskUnitSet* units);
double mivo_get_spinrate_value(stp_measure_with_unit* measure, const NuskUnitSet* units);
double mivo_get_pressure_value(stp_measure_with_unit* measure, const NuskUnitSet* units);
/// The same as mivo_get_measure_value(measure, unit).
double mivo_get_angle_value(stp_measure_with_unit* measure, NuskUnit unit);
double mivo_get_length_value(stp_measure_with_unit* measure, NuskUnit unit);
double mivo_get_time_value(stp_measure_with_unit* measure, NuskUnit unit);
double mivo_get_feedrate_value(stp_measure_with_unit* measure, NuskUnit unit);
double mivo_get_spinrate_value(stp_measure_with_unit* measure, NuskUnit unit);
double mivo_get_pressure_value(stp_measure_with_unit* measure, NuskUnit unit);

/// The stored number, never converted (counts and ratios have no unit to convert).
double mivo_get_count_value(stp_measure_with_unit* measure);
double mivo_get_ratio_value(stp_measure_with_unit* measure);

/// The text of a descriptive measure value; null when the value is a number or missing.
const char* mivo_get_descriptive_value(stp_measure_with_unit* measure);
/// The description of the representation's descriptive item named `name`; null when there is none.
const char* mivo_get_descriptive_value(stp_representation* rep, const char* name);

// ---- reading value qualifiers ----

/// The first standard uncertainty whose measure name is exactly `name` (case counts) among the item's
/// qualifiers; null when there is none or the name is null.
stp_standard_uncertainty* mivo_get_measure_std_uncertainty(stp_qualified_representation_item* item, const char* name);
/// The same for a measure that is also a qualified representation item; null for any other measure.
stp_standard_uncertainty* mivo_get_measure_std_uncertainty(stp_measure_with_unit* measure, const char* name);

/// The "lower limit", "upper limit" and "current value" qualifiers of a measure, converted from the measure's
/// unit into `unit` (0 and 1 keep it); the null real when absent or not convertible.
double mivo_get_measure_lower_limit_value(stp_measure_with_unit* measure, NuskUnit unit);
double mivo_get_measure_upper_limit_value(stp_measure_with_unit* measure, NuskUnit unit);
double mivo_get_measure_current_value(stp_measure_with_unit* measure, NuskUnit unit);
/// The precision_value of the first precision qualifier; NUSK_NULL_INTEGER when there is none.
int mivo_get_measure_precision_value(stp_measure_with_unit* measure);

// ---- making measures ----
// Every maker creates its objects in `design` and returns null for a null design. The class depends on the kind
// of quantity of the unit code; the unit entity is made or reused with mivo_make_unit (a code without an entity,
// such as 0, leaves the unit select empty).

/// A new measure value select holding `value` as the alternative of the kind of quantity: plane angle, count,
/// length, parameter, ratio, solid angle and time measures; a numeric measure for any other kind.
stp_measure_value* mivo_make_measure_value(NuskDesign* design, double value, NuskMeasureType type);
/// A new measure of `value` in the unit `unit`: a plane angle, length, ratio, solid angle or time measure with
/// unit for those kinds, a plain measure with unit otherwise.
stp_measure_with_unit* mivo_make_measure(NuskDesign* design, double value, NuskUnit unit);
/// A new measure representation item (unnamed), combined with the typed measure of the unit's kind.
stp_measure_representation_item* mivo_make_measure_item(NuskDesign* design, double value, NuskUnit unit);
/// A new measure representation item that is also a qualified representation item, without qualifiers yet.
stp_qualified_representation_item* mivo_make_qualified_measure_item(NuskDesign* design, double value, NuskUnit unit);

/// mivo_make_measure and mivo_make_measure_item seen as the typed class; null (with the objects made left in
/// the design) when the unit is of another kind.
stp_plane_angle_measure_with_unit* mivo_make_angle_measure(NuskDesign* design, double value, NuskUnit unit);
stp_length_measure_with_unit* mivo_make_length_measure(NuskDesign* design, double value, NuskUnit unit);
stp_ratio_measure_with_unit* mivo_make_ratio_measure(NuskDesign* design, double value, NuskUnit unit);
stp_time_measure_with_unit* mivo_make_time_measure(NuskDesign* design, double value, NuskUnit unit);
stp_measure_representation_item_and_plane_angle_measure_with_unit* mivo_make_angle_measure_item(NuskDesign* design,
                                                                                             double value,
                                                                                             NuskUnit unit);
stp_length_measure_with_unit_and_measure_representation_item* mivo_make_length_measure_item(NuskDesign* design,
                                                                                         double value,
                                                                                         NuskUnit unit);
stp_measure_representation_item_and_ratio_measure_with_unit* mivo_make_ratio_measure_item(NuskDesign* design,
                                                                                        double value,
                                                                                        NuskUnit unit);
stp_measure_representation_item_and_time_measure_with_unit* mivo_make_time_measure_item(NuskDesign* design,
                                                                                      double value,
                                                                                      NuskUnit unit);

// ---- writing value qualifiers ----

/// Sets the standard uncertainty named `name` (case counts) on the item: updates the first of that name, or
/// adds a new one (creating the qualifier set when the item has none). The null real removes the first of that
/// name and returns null; removing one that is not there creates nothing. The change reaches this item only:
/// a qualifier that anything else refers to is replaced in this item's set by a copy that takes the new value
/// (and is returned); the same value as stored changes nothing. The setters below do the same.
stp_standard_uncertainty* mivo_put_measure_std_uncertainty(stp_qualified_representation_item* item, const char* name,
                                                           double value);
/// The "lower limit" and "upper limit" uncertainties: what each stores, the getter of the same name reads back.
stp_standard_uncertainty* mivo_put_measure_lower_limit_value(stp_qualified_representation_item* item, double value);
stp_standard_uncertainty* mivo_put_measure_upper_limit_value(stp_qualified_representation_item* item, double value);
/// Sets the precision qualifier (updates the first, or adds one); NUSK_NULL_INTEGER removes the first.
stp_precision_qualifier* mivo_put_measure_precision_value(stp_qualified_representation_item* item, int precision);

// ---- items of a representation ----
// A name, when given, matches exactly (case counts) and never matches an item without a name; a null name
// matches every item. Items are searched in the representation's own order and the first match is returned.

/// The first item with that name that is an instance of `domain` (any item when the domain is null).
stp_representation_item* mivo_get_rep_item(stp_representation* rep, NuskDomain* domain, const char* name);
stp_descriptive_representation_item* mivo_get_descriptive_item(stp_representation* rep, const char* name);
/// The first measure item with that name whose kind is `type`: by its typed class (plane angle, length, ratio,
/// solid angle, time) or by the kind of its tagged unit; type 0 takes any measure item.
stp_measure_representation_item* mivo_get_measure_item(stp_representation* rep, const char* name,
                                                       NuskMeasureType type);
stp_measure_representation_item* mivo_get_angle_item(stp_representation* rep, const char* name);
stp_measure_representation_item* mivo_get_spinrate_item(stp_representation* rep, const char* name);
stp_measure_representation_item* mivo_get_count_item(stp_representation* rep, const char* name);
stp_measure_representation_item* mivo_get_length_item(stp_representation* rep, const char* name);
stp_measure_representation_item* mivo_get_pressure_item(stp_representation* rep, const char* name);
stp_measure_representation_item* mivo_get_ratio_item(stp_representation* rep, const char* name);
stp_measure_representation_item* mivo_get_feedrate_item(stp_representation* rep, const char* name);
stp_measure_representation_item* mivo_get_time_item(stp_representation* rep, const char* name);
