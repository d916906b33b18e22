// Geometric tolerances: one code for the combination of kind and aspects that a tolerance is, creation from
// such a code and classification back; the aspect attributes (unit sizes, area type, modifiers, maximum
// tolerance, displacement) and the toleranced shape aspect; datum systems with their compartments and common
// datums, and the older precedence-numbered datum references; the modifiers of datum references; and the names
// of the modifier enumerations.
//
// Results: editing operations give 0 when done (or when there was nothing to do) and 3 when they do not apply
// (a null argument, a tolerance of another kind, a missing set, a reference that is not there). Getters give
// null, 0 or -1 in the same cases. Nothing is reported.
//
//     stp_geometric_tolerance* tol = mivo_make_tolerance(design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS);
//     mivo_tol_put_aspect(tol, hole);
//     stp_general_datum_reference* a = mivo_tol_add_datum(tol, datum_a);   // primary
//     mivo_tol_add_datum_modifier(a, stp_simple_datum_reference_modifier_maximum_material_requirement);
//     mivo_tol_add_common_datum(tol, datum_b, datum_c);                    // secondary: B-C
#pragma once

#include "nusk/ap242/enums.h"
#include "nusk/ap242/forward.h"
#include "nusk/design.h"
#include "nusk/units.h"

// ---- the tolerance code ----
// Bits 0 to 14: the geometric kind. Bits 15 to 21: the aspects. Bits 22 to 31 carry nothing.

#define MIVO_TOL_CYLINDRICITY 0x1UL
#define MIVO_TOL_FLATNESS 0x2UL
#define MIVO_TOL_LINE_PROFILE 0x4UL
#define MIVO_TOL_POSITION 0x8UL
#define MIVO_TOL_ROUNDNESS 0x10UL
#define MIVO_TOL_STRAIGHTNESS 0x20UL
#define MIVO_TOL_SURFACE_PROFILE 0x40UL
#define MIVO_TOL_ANGULARITY 0x80UL
#define MIVO_TOL_CIRCULAR_RUNOUT 0x100UL
#define MIVO_TOL_COAXIALITY 0x200UL
#define MIVO_TOL_CONCENTRICITY 0x400UL
#define MIVO_TOL_PARALLELISM 0x800UL
#define MIVO_TOL_PERPENDICULARITY 0x1000UL
#define MIVO_TOL_SYMMETRY 0x2000UL
#define MIVO_TOL_TOTAL_RUNOUT 0x4000UL
/// geometric_tolerance_with_datum_reference: a datum system or legacy datum references.
#define MIVO_TOL_WITH_DATUMS 0x8000UL
/// geometric_tolerance_with_modifiers: a set of tolerance modifiers.
#define MIVO_TOL_WITH_MODIFIERS 0x10000UL
/// geometric_tolerance_with_maximum_tolerance: a maximum upper tolerance.
#define MIVO_TOL_WITH_MAX 0x20000UL
/// modified_geometric_tolerance: the older single limit condition.
#define MIVO_TOL_WITH_ORIG_MODIFIER 0x40000UL
/// geometric_tolerance_with_defined_unit: a unit size.
#define MIVO_TOL_WITH_UNIT 0x80000UL
/// geometric_tolerance_with_defined_area_unit: an area type and a second unit size.
#define MIVO_TOL_WITH_AREA_UNIT 0x100000UL
/// unequally_disposed_geometric_tolerance: a displacement.
#define MIVO_TOL_WITH_UNEQUAL 0x200000UL
/// The geometric kinds, bits 0 to 14.
#define MIVO_TOL_GEOMETRIC_MASK 0x7fffUL

/// A new tolerance in `design` that is every type the code names (bits 22 to 31 are ignored), with name "" and
/// nothing else set (area_type unset when bit 20 is set). Null for a null design and for a combination the
/// schema does not allow (two kinds, or modifiers together with the older limit condition).
stp_geometric_tolerance* mivo_make_tolerance(NuskDesign* design, unsigned long code);
/// The code of a tolerance: the bit of every type of the table that it is, including the types it is through a
/// supertype (an angularity tolerance always has datums). 0 for null.
unsigned long mivo_tol_type(stp_geometric_tolerance* tol);
/// The geometric kind bits of a code or a tolerance.
unsigned long mivo_tol_geometric_type(unsigned long code);
unsigned long mivo_tol_geometric_type(stp_geometric_tolerance* tol);
/// The aspect bits, 1 or 0, of a code or of a tolerance's code (0 for a null tolerance).
int mivo_tol_has_datums(unsigned long code);
int mivo_tol_has_datums(stp_geometric_tolerance* tol);
int mivo_tol_has_modifiers(unsigned long code);
int mivo_tol_has_modifiers(stp_geometric_tolerance* tol);
int mivo_tol_has_max(unsigned long code);
int mivo_tol_has_max(stp_geometric_tolerance* tol);
int mivo_tol_has_orig_modifier(unsigned long code);
int mivo_tol_has_orig_modifier(stp_geometric_tolerance* tol);
int mivo_tol_has_unit(unsigned long code);
int mivo_tol_has_unit(stp_geometric_tolerance* tol);
int mivo_tol_has_area_unit(unsigned long code);
int mivo_tol_has_area_unit(stp_geometric_tolerance* tol);
int mivo_tol_has_unequal(unsigned long code);
int mivo_tol_has_unequal(stp_geometric_tolerance* tol);
/// The STEP entity name of a single bit of the code ("position_tolerance"); null for 0, several bits or bits 22
/// to 31.
const char* mivo_tol_code_name(unsigned long bit);

// ---- aspect attributes ----
// Each getter gives null (or -1) and each put 3 when the tolerance is not of the type that owns the attribute.
// A null measure unsets the attribute.

stp_length_measure_with_unit* mivo_tol_get_unit_size(stp_geometric_tolerance* tol);
unsigned int mivo_tol_put_unit_size(stp_geometric_tolerance* tol, stp_length_measure_with_unit* m);
stp_length_measure_with_unit* mivo_tol_get_second_unit_size(stp_geometric_tolerance* tol);
unsigned int mivo_tol_put_second_unit_size(stp_geometric_tolerance* tol, stp_length_measure_with_unit* m);
stp_length_measure_with_unit* mivo_tol_get_maximum_upper_tolerance(stp_geometric_tolerance* tol);
unsigned int mivo_tol_put_maximum_upper_tolerance(stp_geometric_tolerance* tol, stp_length_measure_with_unit* m);
stp_length_measure_with_unit* mivo_tol_get_displacement(stp_geometric_tolerance* tol);
unsigned int mivo_tol_put_displacement(stp_geometric_tolerance* tol, stp_length_measure_with_unit* m);
stp_area_unit_type mivo_tol_get_area_type(stp_geometric_tolerance* tol);
unsigned int mivo_tol_put_area_type(stp_geometric_tolerance* tol, stp_area_unit_type t);
/// The older single modifier of a modified_geometric_tolerance.
stp_limit_condition mivo_tol_get_limit_condition(stp_geometric_tolerance* tol);
unsigned int mivo_tol_put_limit_condition(stp_geometric_tolerance* tol, stp_limit_condition c);

// ---- tolerance modifiers ----

/// The modifier set of a geometric_tolerance_with_modifiers; an empty set is attached when it has none. Null
/// for any other tolerance, and for one whose record is kept as read and has no set (the record's text, written
/// back as it is, may hold a value there that does not fit).
SetOfstp_geometric_tolerance_modifier* mivo_tol_get_modifiers(stp_geometric_tolerance* tol);
unsigned int mivo_tol_put_modifiers(stp_geometric_tolerance* tol, SetOfstp_geometric_tolerance_modifier* set);
/// Adds a modifier once; 3 for -1 or a tolerance without the set.
unsigned int mivo_tol_add_modifier(stp_geometric_tolerance* tol, stp_geometric_tolerance_modifier m);
unsigned int mivo_tol_remove_modifier(stp_geometric_tolerance* tol, stp_geometric_tolerance_modifier m);
unsigned int mivo_tol_remove_modifiers(stp_geometric_tolerance* tol);
/// The modifier at position i (-1 past the end). A tolerance without the modifier set answers from its older
/// limit condition: maximum or least material condition give the maximum or least material requirement at
/// every position, anything else -1.
stp_geometric_tolerance_modifier mivo_tol_get_modifier(stp_geometric_tolerance* tol, unsigned int i);
/// The number of modifiers; from the limit condition (0 or 1) without the set.
unsigned int mivo_tol_get_modifier_count(stp_geometric_tolerance* tol);

// ---- toleranced shape aspect ----

/// The shape aspect the tolerance applies to; null when its target is something else.
stp_shape_aspect* mivo_tol_get_aspect(stp_geometric_tolerance* tol);
/// The product definition shape the tolerance applies to: its target itself, or the of_shape of its shape
/// aspect, of the shape aspect a dimensional size applies to, or of the relating shape aspect of a dimensional
/// location.
stp_product_definition_shape* mivo_tol_get_pds(stp_geometric_tolerance* tol);
unsigned int mivo_tol_put_aspect(stp_geometric_tolerance* tol, stp_shape_aspect* sa);
unsigned int mivo_tol_put_pds(stp_geometric_tolerance* tol, stp_product_definition_shape* pds);

// ---- datum systems and references ----
// A tolerance with datums holds a set whose first member is its datum system (compartments in precedence
// order), or, in older data, precedence-numbered datum references. Reading the datums of such a tolerance
// attaches an empty set when it has none, unless its record is kept as read (then there is no set: null, 0).
// Edits given a tolerance change it alone: a datum system, compartment or element that anything else uses too is
// first copied into the tolerance's own system. Edits given a reference change it where it is. Searches below a reference descend at most 5 levels of common datums.

SetOfstp_datum_system_or_reference* mivo_tol_get_datum_set(stp_geometric_tolerance* tol);
unsigned int mivo_tol_put_datum_set(stp_geometric_tolerance* tol, SetOfstp_datum_system_or_reference* set);
stp_datum_system* mivo_tol_get_datums(stp_geometric_tolerance* tol);
unsigned int mivo_tol_put_datums(stp_geometric_tolerance* tol, stp_datum_system* ds);
/// The datum system, made (and attached) when the tolerance has datums but no system yet. A set that lists older
/// datum references takes no system: null here, 3 from mivo_tol_put_datums, null from the adds, and no change.
stp_datum_system* mivo_tol_make_datums(stp_geometric_tolerance* tol);

/// The reference to `datum` in the tolerance's datum system; a new last compartment when there is none.
stp_general_datum_reference* mivo_tol_add_datum(stp_geometric_tolerance* tol, stp_datum* datum);
/// Makes `ref` refer to `datum` as well: a reference to one datum becomes a common datum, its modifiers moving
/// to the element of its first datum. Gives the reference that now stands for `datum`.
stp_general_datum_reference* mivo_tol_add_datum(stp_general_datum_reference* ref, stp_datum* datum);
/// A new last compartment whose common datum is first-second.
stp_general_datum_reference* mivo_tol_add_common_datum(stp_geometric_tolerance* tol, stp_datum* first,
                                                       stp_datum* second);

unsigned int mivo_tol_get_datum_count(stp_datum_system* ds);
/// The number of elements of a common datum; 0 for a reference to one datum.
unsigned int mivo_tol_get_datum_count(stp_general_datum_reference* ref);
/// Compartments of the datum system, or else the members of the legacy set.
unsigned int mivo_tol_get_datum_count(stp_geometric_tolerance* tol);
stp_datum* mivo_tol_get_datum(stp_datum_system* ds, unsigned int i);
stp_datum* mivo_tol_get_datum(stp_general_datum_reference* ref);
stp_datum* mivo_tol_get_datum(stp_general_datum_reference* ref, unsigned int i);
/// The datum of compartment i, or without a datum system the datum of the legacy reference at position i in
/// ascending precedence.
stp_datum* mivo_tol_get_datum(stp_geometric_tolerance* tol, unsigned int i);
stp_general_datum_reference* mivo_tol_get_datum_ref(stp_general_datum_reference* ref, unsigned int i);
stp_general_datum_reference* mivo_tol_get_datum_ref(stp_general_datum_reference* ref, stp_datum* datum);
/// Found by the datum's identification, case ignored.
stp_general_datum_reference* mivo_tol_get_datum_ref(stp_general_datum_reference* ref, const char* label);
stp_general_datum_reference* mivo_tol_get_datum_ref(stp_geometric_tolerance* tol, unsigned int i);
stp_general_datum_reference* mivo_tol_get_datum_ref(stp_geometric_tolerance* tol, stp_datum* datum);
stp_general_datum_reference* mivo_tol_get_datum_ref(stp_geometric_tolerance* tol, const char* label);

/// Removes a compartment or element from the datum system and moves it (with what it holds) to the trash.
unsigned int mivo_tol_remove_datum(stp_geometric_tolerance* tol, stp_general_datum_reference* ref);
unsigned int mivo_tol_remove_datum(stp_geometric_tolerance* tol, stp_datum* datum);
/// Removes the element for `datum` from below `ref` (not `ref` itself).
unsigned int mivo_tol_remove_datum(stp_general_datum_reference* ref, stp_datum* datum);
/// Discards every compartment; the datum system stays, empty.
unsigned int mivo_tol_remove_all_datums(stp_geometric_tolerance* tol);

// ---- datum modifiers ----
// Positions run over the whole modifier set, simple modifiers and modifiers with a value mixed: read position i
// with mivo_tol_get_datum_modifier and, when that gives -1, with mivo_tol_get_datum_modifier_with_value. The
// forms with a tolerance and a datum work on mivo_tol_get_datum_ref(tol, datum); without such a reference the
// simple forms answer from a legacy reference's limit condition (maximum or least material condition).

unsigned int mivo_tol_add_datum_modifier(stp_general_datum_reference* ref, stp_simple_datum_reference_modifier m);
/// Adds a modifier with a length value, or changes the value of the one of that type.
unsigned int mivo_tol_add_datum_modifier(stp_general_datum_reference* ref, stp_datum_reference_modifier_type type,
                                         double value, NuskUnit unit);
unsigned int mivo_tol_add_datum_modifier(stp_geometric_tolerance* tol, stp_datum* datum,
                                         stp_simple_datum_reference_modifier m);
unsigned int mivo_tol_add_datum_modifier(stp_geometric_tolerance* tol, stp_datum* datum,
                                         stp_datum_reference_modifier_type type, double value, NuskUnit unit);
stp_simple_datum_reference_modifier mivo_tol_get_datum_modifier(stp_general_datum_reference* ref, unsigned int i);
stp_simple_datum_reference_modifier mivo_tol_get_datum_modifier(stp_geometric_tolerance* tol, stp_datum* datum,
                                                                unsigned int i);
stp_datum_reference_modifier_with_value* mivo_tol_get_datum_modifier_with_value(stp_general_datum_reference* ref,
                                                                                unsigned int i);
stp_datum_reference_modifier_with_value* mivo_tol_get_datum_modifier_with_value(stp_geometric_tolerance* tol,
                                                                                stp_datum* datum, unsigned int i);
unsigned int mivo_tol_get_datum_modifier_count(stp_general_datum_reference* ref);
unsigned int mivo_tol_get_datum_modifier_count(stp_geometric_tolerance* tol, stp_datum* datum);
unsigned int mivo_tol_remove_datum_modifier(stp_general_datum_reference* ref, stp_simple_datum_reference_modifier m);
/// Removes the modifiers with value of that type; they and their measures go to the trash.
unsigned int mivo_tol_remove_datum_modifier(stp_general_datum_reference* ref, stp_datum_reference_modifier_type type);
unsigned int mivo_tol_remove_datum_modifier(stp_geometric_tolerance* tol, stp_datum* datum,
                                            stp_simple_datum_reference_modifier m);
unsigned int mivo_tol_remove_datum_modifier(stp_geometric_tolerance* tol, stp_datum* datum,
                                            stp_datum_reference_modifier_type type);
/// Removes every modifier (0 also for a null reference).
unsigned int mivo_tol_remove_datum_modifiers(stp_general_datum_reference* ref);
unsigned int mivo_tol_remove_datum_modifiers(stp_geometric_tolerance* tol, stp_datum* datum);

// ---- names of the modifier enumerations ----
// The schema's enumerator names ("maximum_material_requirement"); null for a value outside the enumeration.
// Values from names ignore case; -1 for a null, empty or unknown name.

const char* mivo_tol_get_datum_modifier_name(stp_simple_datum_reference_modifier v);
stp_simple_datum_reference_modifier mivo_tol_get_datum_modifier_value(const char* name);
const char* mivo_tol_get_datum_with_value_modifier_name(stp_datum_reference_modifier_type v);
stp_datum_reference_modifier_type mivo_tol_get_datum_with_value_modifier_value(const char* name);
const char* mivo_tol_get_modifier_name(stp_geometric_tolerance_modifier v);
stp_geometric_tolerance_modifier mivo_tol_get_modifier_value(const char* name);
