// Every exported function of the tolerance family, called with null objects and designs, gives its empty
// result (null, 0, -1, 3, no effect) and does not crash.
#include "mivo_tolerances.h"

#include "nusk/ap242/all.h"

#include "null_rows.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using misuse::Row;

using misuse::expectAllEmpty;

stp_geometric_tolerance* const kTol = nullptr;
stp_general_datum_reference* const kRef = nullptr;
stp_datum_system* const kSystem = nullptr;
stp_datum* const kDatum = nullptr;
const auto kSimple = stp_simple_datum_reference_modifier_basic;
const auto kType = stp_datum_reference_modifier_type_distance;
const auto kNoSimple = stp_simple_datum_reference_modifier_UNSET;

TEST(NullArguments, ToleranceCodesAndAttributes) {
    expectAllEmpty({
        {"mivo_make_tolerance", [] { return mivo_make_tolerance(nullptr, MIVO_TOL_POSITION) == nullptr; }},
        {"mivo_tol_type", [] { return mivo_tol_type(kTol) == 0; }},
        {"mivo_tol_geometric_type", [] { return mivo_tol_geometric_type(kTol) == 0; }},
        {"mivo_tol_has_datums", [] { return mivo_tol_has_datums(kTol) == 0; }},
        {"mivo_tol_has_modifiers", [] { return mivo_tol_has_modifiers(kTol) == 0; }},
        {"mivo_tol_has_max", [] { return mivo_tol_has_max(kTol) == 0; }},
        {"mivo_tol_has_orig_modifier", [] { return mivo_tol_has_orig_modifier(kTol) == 0; }},
        {"mivo_tol_has_unit", [] { return mivo_tol_has_unit(kTol) == 0; }},
        {"mivo_tol_has_area_unit", [] { return mivo_tol_has_area_unit(kTol) == 0; }},
        {"mivo_tol_has_unequal", [] { return mivo_tol_has_unequal(kTol) == 0; }},
        {"mivo_tol_code_name", [] { return mivo_tol_code_name(0) == nullptr; }},
        {"mivo_tol_get_unit_size", [] { return mivo_tol_get_unit_size(kTol) == nullptr; }},
        {"mivo_tol_put_unit_size", [] { return mivo_tol_put_unit_size(kTol, nullptr) == 3; }},
        {"mivo_tol_get_second_unit_size", [] { return mivo_tol_get_second_unit_size(kTol) == nullptr; }},
        {"mivo_tol_put_second_unit_size", [] { return mivo_tol_put_second_unit_size(kTol, nullptr) == 3; }},
        {"mivo_tol_get_maximum_upper_tolerance", [] { return mivo_tol_get_maximum_upper_tolerance(kTol) == nullptr; }},
        {"mivo_tol_put_maximum_upper_tolerance", [] { return mivo_tol_put_maximum_upper_tolerance(kTol, nullptr) == 3; }},
        {"mivo_tol_get_displacement", [] { return mivo_tol_get_displacement(kTol) == nullptr; }},
        {"mivo_tol_put_displacement", [] { return mivo_tol_put_displacement(kTol, nullptr) == 3; }},
        {"mivo_tol_get_area_type", [] { return mivo_tol_get_area_type(kTol) == stp_area_unit_type_UNSET; }},
        {"mivo_tol_put_area_type", [] { return mivo_tol_put_area_type(kTol, stp_area_unit_type_square) == 3; }},
        {"mivo_tol_get_limit_condition", [] { return mivo_tol_get_limit_condition(kTol) == stp_limit_condition_UNSET; }},
        {"mivo_tol_put_limit_condition",
         [] { return mivo_tol_put_limit_condition(kTol, stp_limit_condition_maximum_material_condition) == 3; }},
        {"mivo_tol_get_modifiers", [] { return mivo_tol_get_modifiers(kTol) == nullptr; }},
        {"mivo_tol_put_modifiers", [] { return mivo_tol_put_modifiers(kTol, nullptr) == 3; }},
        {"mivo_tol_add_modifier", [] { return mivo_tol_add_modifier(kTol, stp_geometric_tolerance_modifier_free_state) == 3; }},
        {"mivo_tol_remove_modifier",
         [] { return mivo_tol_remove_modifier(kTol, stp_geometric_tolerance_modifier_free_state) == 3; }},
        {"mivo_tol_remove_modifiers", [] { return mivo_tol_remove_modifiers(kTol) == 3; }},
        {"mivo_tol_get_modifier", [] { return mivo_tol_get_modifier(kTol, 0) == stp_geometric_tolerance_modifier_UNSET; }},
        {"mivo_tol_get_modifier_count", [] { return mivo_tol_get_modifier_count(kTol) == 0; }},
        {"mivo_tol_get_aspect", [] { return mivo_tol_get_aspect(kTol) == nullptr; }},
        {"mivo_tol_get_pds", [] { return mivo_tol_get_pds(kTol) == nullptr; }},
        {"mivo_tol_put_aspect", [] { return mivo_tol_put_aspect(kTol, nullptr) == 3; }},
        {"mivo_tol_put_pds", [] { return mivo_tol_put_pds(kTol, nullptr) == 3; }},
    });
}

TEST(NullArguments, ToleranceDatums) {
    NuskDesign design("misuse", nusk_ap242_schema());
    stp_geometric_tolerance* tol = mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS);
    stp_general_datum_reference* ref = mivo_tol_add_datum(tol, new (&design) stp_datum());
    expectAllEmpty({
        {"mivo_tol_get_datum_set", [] { return mivo_tol_get_datum_set(kTol) == nullptr; }},
        {"mivo_tol_put_datum_set", [] { return mivo_tol_put_datum_set(kTol, nullptr) == 3; }},
        {"mivo_tol_get_datums", [] { return mivo_tol_get_datums(kTol) == nullptr; }},
        {"mivo_tol_put_datums", [] { return mivo_tol_put_datums(kTol, nullptr) == 3; }},
        {"mivo_tol_make_datums", [] { return mivo_tol_make_datums(kTol) == nullptr; }},
        {"mivo_tol_add_datum (tolerance)", [] { return mivo_tol_add_datum(kTol, kDatum) == nullptr; }},
        {"mivo_tol_add_datum (tolerance, no datum)", [&] { return mivo_tol_add_datum(tol, kDatum) == nullptr; }},
        {"mivo_tol_add_datum (reference)", [] { return mivo_tol_add_datum(kRef, kDatum) == nullptr; }},
        {"mivo_tol_add_datum (reference, no datum)", [&] { return mivo_tol_add_datum(ref, kDatum) == nullptr; }},
        {"mivo_tol_add_common_datum", [] { return mivo_tol_add_common_datum(kTol, kDatum, kDatum) == nullptr; }},
        {"mivo_tol_add_common_datum (no datums)", [&] { return mivo_tol_add_common_datum(tol, kDatum, kDatum) == nullptr; }},
        {"mivo_tol_get_datum_count (system)", [] { return mivo_tol_get_datum_count(kSystem) == 0; }},
        {"mivo_tol_get_datum_count (reference)", [] { return mivo_tol_get_datum_count(kRef) == 0; }},
        {"mivo_tol_get_datum_count (tolerance)", [] { return mivo_tol_get_datum_count(kTol) == 0; }},
        {"mivo_tol_get_datum (system)", [] { return mivo_tol_get_datum(kSystem, 0) == nullptr; }},
        {"mivo_tol_get_datum (reference)", [] { return mivo_tol_get_datum(kRef) == nullptr; }},
        {"mivo_tol_get_datum (reference, i)", [] { return mivo_tol_get_datum(kRef, 0) == nullptr; }},
        {"mivo_tol_get_datum (tolerance, i)", [] { return mivo_tol_get_datum(kTol, 0) == nullptr; }},
        {"mivo_tol_get_datum_ref (reference, i)", [] { return mivo_tol_get_datum_ref(kRef, 0u) == nullptr; }},
        {"mivo_tol_get_datum_ref (reference, datum)", [] { return mivo_tol_get_datum_ref(kRef, kDatum) == nullptr; }},
        {"mivo_tol_get_datum_ref (reference, label)",
         [] { return mivo_tol_get_datum_ref(kRef, static_cast<const char*>(nullptr)) == nullptr; }},
        {"mivo_tol_get_datum_ref (label null)",
         [&] { return mivo_tol_get_datum_ref(ref, static_cast<const char*>(nullptr)) == nullptr; }},
        {"mivo_tol_get_datum_ref (tolerance, i)", [] { return mivo_tol_get_datum_ref(kTol, 0u) == nullptr; }},
        {"mivo_tol_get_datum_ref (tolerance, datum)", [] { return mivo_tol_get_datum_ref(kTol, kDatum) == nullptr; }},
        {"mivo_tol_get_datum_ref (tolerance, label)",
         [] { return mivo_tol_get_datum_ref(kTol, static_cast<const char*>(nullptr)) == nullptr; }},
        {"mivo_tol_remove_datum (tolerance, reference)", [] { return mivo_tol_remove_datum(kTol, kRef) == 3; }},
        {"mivo_tol_remove_datum (no reference)", [&] { return mivo_tol_remove_datum(tol, kRef) == 3; }},
        {"mivo_tol_remove_datum (tolerance, datum)", [] { return mivo_tol_remove_datum(kTol, kDatum) == 3; }},
        {"mivo_tol_remove_datum (reference, datum)", [] { return mivo_tol_remove_datum(kRef, kDatum) == 3; }},
        {"mivo_tol_remove_all_datums", [] { return mivo_tol_remove_all_datums(kTol) == 3; }},
    });
    EXPECT_EQ(mivo_tol_get_datum_count(tol), 1u);  // none of the calls on it changed it
}

TEST(NullArguments, ToleranceDatumModifiers) {
    expectAllEmpty({
        {"mivo_tol_add_datum_modifier (reference, simple)", [] { return mivo_tol_add_datum_modifier(kRef, kSimple) == 3; }},
        {"mivo_tol_add_datum_modifier (reference, value)",
         [] { return mivo_tol_add_datum_modifier(kRef, kType, 1.0, nuskunit_mm) == 3; }},
        {"mivo_tol_add_datum_modifier (tolerance, simple)",
         [] { return mivo_tol_add_datum_modifier(kTol, kDatum, kSimple) == 3; }},
        {"mivo_tol_add_datum_modifier (tolerance, value)",
         [] { return mivo_tol_add_datum_modifier(kTol, kDatum, kType, 1.0, nuskunit_mm) == 3; }},
        {"mivo_tol_get_datum_modifier (reference)", [] { return mivo_tol_get_datum_modifier(kRef, 0) == kNoSimple; }},
        {"mivo_tol_get_datum_modifier (tolerance)", [] { return mivo_tol_get_datum_modifier(kTol, kDatum, 0) == kNoSimple; }},
        {"mivo_tol_get_datum_modifier_with_value (reference)",
         [] { return mivo_tol_get_datum_modifier_with_value(kRef, 0) == nullptr; }},
        {"mivo_tol_get_datum_modifier_with_value (tolerance)",
         [] { return mivo_tol_get_datum_modifier_with_value(kTol, kDatum, 0) == nullptr; }},
        {"mivo_tol_get_datum_modifier_count (reference)", [] { return mivo_tol_get_datum_modifier_count(kRef) == 0; }},
        {"mivo_tol_get_datum_modifier_count (tolerance)",
         [] { return mivo_tol_get_datum_modifier_count(kTol, kDatum) == 0; }},
        {"mivo_tol_remove_datum_modifier (reference, simple)",
         [] { return mivo_tol_remove_datum_modifier(kRef, kSimple) == 3; }},
        {"mivo_tol_remove_datum_modifier (reference, type)", [] { return mivo_tol_remove_datum_modifier(kRef, kType) == 3; }},
        {"mivo_tol_remove_datum_modifier (tolerance, simple)",
         [] { return mivo_tol_remove_datum_modifier(kTol, kDatum, kSimple) == 3; }},
        {"mivo_tol_remove_datum_modifier (tolerance, type)",
         [] { return mivo_tol_remove_datum_modifier(kTol, kDatum, kType) == 3; }},
        {"mivo_tol_remove_datum_modifiers (reference)", [] { return mivo_tol_remove_datum_modifiers(kRef) == 0; }},
        {"mivo_tol_remove_datum_modifiers (tolerance)", [] { return mivo_tol_remove_datum_modifiers(kTol, kDatum) == 3; }},
        {"mivo_tol_get_datum_modifier_name", [] { return mivo_tol_get_datum_modifier_name(kNoSimple) == nullptr; }},
        {"mivo_tol_get_datum_modifier_value", [] { return mivo_tol_get_datum_modifier_value(nullptr) == kNoSimple; }},
        {"mivo_tol_get_datum_with_value_modifier_name",
         [] { return mivo_tol_get_datum_with_value_modifier_name(stp_datum_reference_modifier_type_UNSET) == nullptr; }},
        {"mivo_tol_get_datum_with_value_modifier_value",
         [] { return mivo_tol_get_datum_with_value_modifier_value(nullptr) == stp_datum_reference_modifier_type_UNSET; }},
        {"mivo_tol_get_modifier_name",
         [] { return mivo_tol_get_modifier_name(stp_geometric_tolerance_modifier_UNSET) == nullptr; }},
        {"mivo_tol_get_modifier_value",
         [] { return mivo_tol_get_modifier_value(nullptr) == stp_geometric_tolerance_modifier_UNSET; }},
    });
}

}  // namespace
