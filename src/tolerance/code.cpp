// The tolerance code: creation of a tolerance from a code and classification of a tolerance into one.
#include "internal.h"

#include "nusk/ap242/stp_angularity_tolerance.h"
#include "nusk/ap242/stp_circular_runout_tolerance.h"
#include "nusk/ap242/stp_coaxiality_tolerance.h"
#include "nusk/ap242/stp_concentricity_tolerance.h"
#include "nusk/ap242/stp_cylindricity_tolerance.h"
#include "nusk/ap242/stp_flatness_tolerance.h"
#include "nusk/ap242/stp_geometric_tolerance_with_datum_reference.h"
#include "nusk/ap242/stp_geometric_tolerance_with_defined_area_unit.h"
#include "nusk/ap242/stp_geometric_tolerance_with_defined_unit.h"
#include "nusk/ap242/stp_geometric_tolerance_with_maximum_tolerance.h"
#include "nusk/ap242/stp_geometric_tolerance_with_modifiers.h"
#include "nusk/ap242/stp_line_profile_tolerance.h"
#include "nusk/ap242/stp_modified_geometric_tolerance.h"
#include "nusk/ap242/stp_parallelism_tolerance.h"
#include "nusk/ap242/stp_perpendicularity_tolerance.h"
#include "nusk/ap242/stp_position_tolerance.h"
#include "nusk/ap242/stp_roundness_tolerance.h"
#include "nusk/ap242/stp_straightness_tolerance.h"
#include "nusk/ap242/stp_surface_profile_tolerance.h"
#include "nusk/ap242/stp_symmetry_tolerance.h"
#include "nusk/ap242/stp_total_runout_tolerance.h"
#include "nusk/ap242/stp_unequally_disposed_geometric_tolerance.h"

#include <vector>

namespace mivo_tol {

namespace {

// One row per bit, in bit order: the row's position is its bit.
NuskTypePtr* const kBitTypes[kCodeBits] = {
    &nusktype_stp_cylindricity_tolerance,
    &nusktype_stp_flatness_tolerance,
    &nusktype_stp_line_profile_tolerance,
    &nusktype_stp_position_tolerance,
    &nusktype_stp_roundness_tolerance,
    &nusktype_stp_straightness_tolerance,
    &nusktype_stp_surface_profile_tolerance,
    &nusktype_stp_angularity_tolerance,
    &nusktype_stp_circular_runout_tolerance,
    &nusktype_stp_coaxiality_tolerance,
    &nusktype_stp_concentricity_tolerance,
    &nusktype_stp_parallelism_tolerance,
    &nusktype_stp_perpendicularity_tolerance,
    &nusktype_stp_symmetry_tolerance,
    &nusktype_stp_total_runout_tolerance,
    &nusktype_stp_geometric_tolerance_with_datum_reference,
    &nusktype_stp_geometric_tolerance_with_modifiers,
    &nusktype_stp_geometric_tolerance_with_maximum_tolerance,
    &nusktype_stp_modified_geometric_tolerance,
    &nusktype_stp_geometric_tolerance_with_defined_unit,
    &nusktype_stp_geometric_tolerance_with_defined_area_unit,
    &nusktype_stp_unequally_disposed_geometric_tolerance,
};

int bitIndex(unsigned long bit) {
    for (int i = 0; i < kCodeBits; ++i)
        if (bit == (1UL << i)) return i;
    return -1;
}

}  // namespace

NuskTypePtr& bitType(int bit) { return *kBitTypes[bit]; }

bool hasBit(stp_geometric_tolerance* tol, unsigned long bit) {
    const int i = bitIndex(bit);
    return tol && i >= 0 && tol->isa(bitType(i).domain());
}

}  // namespace mivo_tol

using namespace mivo_tol;

stp_geometric_tolerance* mivo_make_tolerance(NuskDesign* design, unsigned long code) {
    if (!design) return nullptr;
    std::vector<NuskDomain*> types = {nusktype_stp_geometric_tolerance.domain()};
    for (int i = 0; i < kCodeBits; ++i)
        if (code & (1UL << i)) types.push_back(bitType(i).domain());
    NuskDomain* domain = design->findComplexDomain(types);
    if (!domain) return nullptr;
    auto* tol = nusk_cast(design->pnewInstance(domain, 0), nusktype_stp_geometric_tolerance);
    if (!tol) return nullptr;
    if (code & MIVO_TOL_WITH_AREA_UNIT) tol->putInteger(stp_area_unit_type_UNSET, "area_type", 0);
    nusk_update_prim(tol, "name", "");
    tol->modified();
    return tol;
}

// Every type of the table that the tolerance is, through isa: a tolerance that combines types keeps the bits
// that its types imply (the datums of an angularity tolerance, the modifiers of one with a maximum tolerance),
// which looking at the combined types alone would lose.
unsigned long mivo_tol_type(stp_geometric_tolerance* tol) {
    if (!tol) return 0;
    unsigned long code = 0;
    for (int i = 0; i < kCodeBits; ++i)
        if (tol->isa(bitType(i).domain())) code |= 1UL << i;
    return code;
}

unsigned long mivo_tol_geometric_type(unsigned long code) { return code & MIVO_TOL_GEOMETRIC_MASK; }
unsigned long mivo_tol_geometric_type(stp_geometric_tolerance* tol) { return mivo_tol_type(tol) & MIVO_TOL_GEOMETRIC_MASK; }

namespace {
int bitOf(unsigned long code, int bit) { return static_cast<int>((code >> bit) & 1UL); }
}  // namespace

int mivo_tol_has_datums(unsigned long code) { return bitOf(code, 15); }
int mivo_tol_has_datums(stp_geometric_tolerance* tol) { return bitOf(mivo_tol_type(tol), 15); }
int mivo_tol_has_modifiers(unsigned long code) { return bitOf(code, 16); }
int mivo_tol_has_modifiers(stp_geometric_tolerance* tol) { return bitOf(mivo_tol_type(tol), 16); }
int mivo_tol_has_max(unsigned long code) { return bitOf(code, 17); }
int mivo_tol_has_max(stp_geometric_tolerance* tol) { return bitOf(mivo_tol_type(tol), 17); }
int mivo_tol_has_orig_modifier(unsigned long code) { return bitOf(code, 18); }
int mivo_tol_has_orig_modifier(stp_geometric_tolerance* tol) { return bitOf(mivo_tol_type(tol), 18); }
int mivo_tol_has_unit(unsigned long code) { return bitOf(code, 19); }
int mivo_tol_has_unit(stp_geometric_tolerance* tol) { return bitOf(mivo_tol_type(tol), 19); }
int mivo_tol_has_area_unit(unsigned long code) { return bitOf(code, 20); }
int mivo_tol_has_area_unit(stp_geometric_tolerance* tol) { return bitOf(mivo_tol_type(tol), 20); }
int mivo_tol_has_unequal(unsigned long code) { return bitOf(code, 21); }
int mivo_tol_has_unequal(stp_geometric_tolerance* tol) { return bitOf(mivo_tol_type(tol), 21); }

const char* mivo_tol_code_name(unsigned long bit) {
    const int i = bitIndex(bit);
    return i < 0 ? nullptr : bitType(i).name();
}
