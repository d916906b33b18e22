// What the tolerance sources share: the types of the code's bits, and the walks below a datum reference.
#pragma once

#include "mivo_tolerances.h"

#include "nusk/ap242/aggregates.h"
#include "nusk/ap242/stp_datum.h"
#include "nusk/ap242/stp_datum_or_common_datum.h"
#include "nusk/ap242/stp_datum_reference_element.h"
#include "nusk/ap242/stp_general_datum_reference.h"
#include "nusk/ap242/stp_geometric_tolerance.h"
#include "nusk/domain.h"

#include <vector>

namespace mivo_tol {

/// Bits of the code that name a type: 0 to 21.
constexpr int kCodeBits = 22;
/// How many levels of common datums a search below a reference descends.
constexpr int kSearchDepth = 5;

/// The type handle of the STEP entity of a code bit (0 to 21).
NuskTypePtr& bitType(int bit);
/// True when the tolerance is of the type of that bit (itself or through a subtype or a combination).
bool hasBit(stp_geometric_tolerance* tol, unsigned long bit);
/// True when a read may attach an empty set to the attribute: it is unset, and the tolerance has no record kept
/// as read (whose text, written back as it is, may hold a value there that did not fit the attribute).
bool mayAttachOnDemand(stp_geometric_tolerance* tol, const char* attribute);

// ---- below a datum reference ----

/// The datum that the reference's base holds, or null (nothing held, or a common datum list).
stp_datum* heldDatum(stp_general_datum_reference* ref);
/// The common datum list that the reference's base holds, or null.
ListOfstp_datum_reference_element* heldList(stp_general_datum_reference* ref);
/// The reference at or below `ref` whose base holds `datum`.
stp_general_datum_reference* findByDatum(stp_general_datum_reference* ref, stp_datum* datum, int depth);
/// The reference at or below `ref` whose base holds a datum of that label, case ignored.
stp_general_datum_reference* findByLabel(stp_general_datum_reference* ref, const char* label, int depth);
/// Moves a reference, its modifiers with value and their measures, and the elements of its common datum to the
/// trash; what the design still refers to elsewhere stays (and what is below it).
void discard(stp_general_datum_reference* ref);
/// Empties the set, then moves each modifier with value it held (and its measure) to the trash unless the design
/// still refers to it elsewhere.
void dropModifiers(SetOfstp_datum_reference_modifier* set);
/// True when another object of the object's design refers to it (the trash refers to nothing).
bool referencedInItsDesign(NuskObject* obj);
/// Moves the object to the trash unless its design still refers to it.
void trashIfUnreferenced(NuskObject* obj);
/// The legacy datum_reference of the set that refers to `datum`, or null.
stp_datum_reference* legacyReference(stp_geometric_tolerance* tol, stp_datum* datum);

// ---- a tolerance's own datums, before an edit ----
// What the tolerance reaches may be shared: a datum system that other tolerances use too, a compartment or
// element that another system or common datum lists. These give the tolerance its own copy of what an edit
// changes, in its place, when anything besides its holder uses it; what is not shared is given as it is.

/// True when anything of the object's design besides `owner` (and the object itself) refers to it.
bool usedBesides(NuskObject* obj, NuskObject* owner);
/// The tolerance's datum system, its own.
stp_datum_system* ownDatums(stp_geometric_tolerance* tol);
/// The positions from the tolerance's datum system down to `ref`: its compartment, then an element per level of
/// common datum (as deep as searches go). False when the system does not hold it.
bool datumPath(stp_geometric_tolerance* tol, stp_general_datum_reference* ref, std::vector<unsigned>& path);
/// The reference at that path, its own along with every reference and the system above it; null for no path.
stp_general_datum_reference* ownAt(stp_geometric_tolerance* tol, const std::vector<unsigned>& path);
/// The tolerance's own reference in the place of `ref`; null when its datum system does not hold `ref`.
stp_general_datum_reference* ownReference(stp_geometric_tolerance* tol, stp_general_datum_reference* ref);
/// The tolerance's own legacy reference in the place of `ref`; null when its set does not list `ref`.
stp_datum_reference* ownLegacyReference(stp_geometric_tolerance* tol, stp_datum_reference* ref);

}  // namespace mivo_tol
