// Representation contexts: the units and the uncertainty that a context gives the numbers of its
// representations, the application context of a design, and the merging of duplicate contexts.
//
// The unit getters read the codes that mivo_tag_units attached: run it first on a design read from a file.
// The merges register each duplicate as a substitute of its survivor and move it to the trash; run
// nusk_update_object_references(design) afterwards so that references reach the survivors.
#pragma once

#include "nusk/ap242/forward.h"
#include "nusk/design.h"
#include "nusk/units.h"

// ---- context units and uncertainty ----
// Each getter takes a context, or a representation whose context_of_items it reads. A null argument, a context
// without that kind of unit or uncertainty, and untagged units give 0, null or the null real.

/// The code of the first unit of the context's units whose kind of quantity is `type`; 0 when none (and for
/// type 0).
NuskUnit mivo_get_context_unit(stp_representation_context* context, NuskMeasureType type);
NuskUnit mivo_get_context_unit(stp_representation* rep, NuskMeasureType type);
NuskUnit mivo_get_context_length_unit(stp_representation_context* context);
NuskUnit mivo_get_context_length_unit(stp_representation* rep);
NuskUnit mivo_get_context_angle_unit(stp_representation_context* context);
NuskUnit mivo_get_context_angle_unit(stp_representation* rep);
NuskUnit mivo_get_context_solid_angle_unit(stp_representation_context* context);
NuskUnit mivo_get_context_solid_angle_unit(stp_representation* rep);

/// The uncertainty named `name` (compared without case); with a null name, the first uncertainty that holds a
/// length measure. Null when there is none.
stp_uncertainty_measure_with_unit* mivo_get_context_uncertainty(stp_representation_context* context, const char* name);
stp_uncertainty_measure_with_unit* mivo_get_context_uncertainty(stp_representation* rep, const char* name);
/// The number of that uncertainty, in its own unit; the null real when there is none or it holds no number.
double mivo_get_context_uncertainty_value(stp_representation_context* context, const char* name);
double mivo_get_context_uncertainty_value(stp_representation* rep, const char* name);

// ---- contexts in other units ----

/// A new context in the source's design, of the source's type (the same AND-combination), with its identifier,
/// type and dimension, and its units but for the length and plane angle units, which become `length` and
/// `angle` (made with mivo_make_unit, so one entity per code is reused; a kind the source lacks is added).
/// Each length or plane angle uncertainty becomes a new uncertainty measure of the same name and description,
/// its value converted into the new unit; other uncertainties are kept, and so is one whose value the
/// conversion would take beyond the range of a double (each states its own unit). nuskunit_as_is keeps the
/// source's unit of that kind. Null for a null source, or a code that is not a length (or plane angle) unit.
stp_representation_context* mivo_make_context_in_units(stp_representation_context* source, NuskUnit length,
                                                       NuskUnit angle);

// ---- application context ----

/// The first application context of the design; null when it has none.
stp_application_context* mivo_get_ap_context(NuskDesign* design);
/// Makes nothing and returns null: a design gets its application context from the file it was read from.
stp_application_context* mivo_make_ap_context(NuskDesign* design);

// ---- merging duplicates ----
// Each returns how many entities it replaced; 0 for a null design.

/// Leaves one application protocol definition (the first) and one application context (the one it names, or
/// the first), whatever their attributes.
unsigned mivo_merge_ap_contexts(NuskDesign* design);
/// Merges application context elements (product, product definition, product concept contexts, ...) of the
/// same type whose discipline, life cycle stage and market segment agree without case; the lowest instance
/// number survives. Elements with items are never merged.
unsigned mivo_merge_product_contexts(NuskDesign* design);
/// Merges representation contexts of the same type with the same dimension, units, parameter unit and
/// uncertainties (equal within a relative 0.01), comparing each context only with its neighbours after sorting.
/// Uncertainty measures still used elsewhere stay in the design.
unsigned mivo_merge_rep_contexts(NuskDesign* design);
