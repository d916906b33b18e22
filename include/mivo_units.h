// Units: codes and identification, names, creation, merging, and the design shortcuts that remember one unit
// entity per code.
//
// A STEP unit is identified as a NuskUnit code by mivo_tag_units, which attaches a MivoMgrUnit to every unit
// entity of a design; the getters read that code back. Units made by the library carry their code from the
// start (context-dependent and ratio units from the next tagging pass).
//
// Threads: every function here works on the design it is given (or the design of the entity it is given), and
// may run on several threads at once for different designs; one design is used by one thread at a time. The
// tables they use are made once, safely, whichever thread comes first.
#pragma once

#include "mivo_managers.h"

#include "nusk/ap242/enums.h"
#include "nusk/design.h"
#include "nusk/units.h"

// ---- identification ----

/// Identifies every unit entity of the design: SI units, conversion-based units (through the unit of their
/// factor), context-dependent units (by name), ratio units and derived units (through their elements), in that
/// order. A null design does nothing.
void mivo_tag_units(NuskDesign* design);
void mivo_tag_si_unit(stp_si_unit* unit);
void mivo_tag_conversion_based_unit(stp_conversion_based_unit* unit);
void mivo_tag_context_dependent_unit(stp_context_dependent_unit* unit);
void mivo_tag_derived_unit(stp_derived_unit* unit);

/// The code of a unit (of a measure's unit_component, of a named unit, of the unit in a select); 0 when the
/// argument is null, the unit is missing, or it was never tagged.
NuskUnit mivo_get_unit_type(stp_measure_with_unit* measure);
NuskUnit mivo_get_unit_type(stp_named_unit* unit);
NuskUnit mivo_get_unit_type(stp_unit* unit);
/// The kind of quantity of the same; 0 likewise.
NuskMeasureType mivo_get_measure_type(stp_measure_with_unit* measure);
NuskMeasureType mivo_get_measure_type(stp_named_unit* unit);
NuskMeasureType mivo_get_measure_type(stp_unit* unit);
/// The kind of quantity of a code, as the math library gives it.
NuskMeasureType mivo_get_measure_type(NuskUnit unit);

// ---- names ----

/// The math library's short and full names of a code.
const char* mivo_get_unit_name(NuskUnit unit);
const char* mivo_get_unit_fullname(NuskUnit unit);
/// The full name of a unit entity: the math library's name of its code when tagged; otherwise built from the
/// entity ("milli" "metre", its stored name, or a placeholder such as "unknown derived unit"). Null gives "none".
/// A name built for an SI unit lives in a buffer of the calling thread: it stays valid until that thread's
/// next call of these functions (other threads have their own); copy it to keep it.
const char* mivo_get_unit_fullname(stp_named_unit* unit);
const char* mivo_get_unit_fullname(stp_derived_unit* unit);
const char* mivo_get_unit_fullname(stp_unit* unit);
/// The short name of a tagged unit; an untagged one gets its full name. Null gives "none".
const char* mivo_get_unit_name(stp_unit* unit);
const char* mivo_get_unit_name(stp_measure_with_unit* measure);

// ---- creation ----

/// The unit entity of a code in the design: remembered per design and code (one entity per code), made when
/// there is none. Null for codes without an entity (0, 1, 52 to 55, above 60) and for a null design.
NuskObject* mivo_make_unit(NuskDesign* design, NuskUnit code);
/// mivo_make_unit seen as a named unit; null for derived units.
stp_named_unit* mivo_make_named_unit(NuskDesign* design, NuskUnit code);
/// A new SI unit with that name and prefix (stp_si_prefix_UNSET for none), identified as `code`.
stp_si_unit* mivo_make_si_unit(NuskDesign* design, NuskUnit code, stp_si_unit_name name, stp_si_prefix prefix);
/// A new conversion-based unit: one `code` is the math library's factor times one `base`.
stp_conversion_based_unit* mivo_make_cb_unit(NuskDesign* design, NuskUnit code, NuskUnit base);
/// A new derived unit without elements, named by a name attribute, identified as `code`.
stp_derived_unit* mivo_make_derived_unit_base(NuskDesign* design, NuskUnit code);
/// Adds an element (the unit of `code`, through the remembered units) with an exponent.
void mivo_add_derived_unit_term(stp_derived_unit* unit, NuskUnit code, double exponent);

// ---- merging ----

/// Leaves one unit entity per code: later duplicates are registered as substitutes of the first one found
/// and deleted with what only they used. Returns how many were replaced. Run nusk_update_object_references
/// afterwards so that references reach the survivors.
unsigned mivo_merge_units(NuskDesign* design);

// ---- design shortcuts and constant units ----

/// Stores obj under key on the design (null removes the key).
void mivo_shortcut_put(NuskDesign* design, const char* key, NuskObject* obj);
/// The object stored under key, or null.
NuskObject* mivo_shortcut_find(NuskDesign* design, const char* key);
/// Forgets every shortcut of the design (the objects stay).
void mivo_shortcut_clear_all(NuskDesign* design);
/// The unit entity remembered for a code ("__CONSTANT UNIT " and the code's full name), or null.
NuskObject* mivo_get_const_unit(NuskDesign* design, NuskUnit code);
/// Remembers `unit` for the code; null forgets it.
void mivo_put_const_unit(NuskDesign* design, NuskObject* unit, NuskUnit code);
