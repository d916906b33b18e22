// Tolerances made from a code and classified back into one.
#include "tolerance_helpers.h"

#include <cstdio>
#include <string>

namespace {

class ToleranceCode : public ::testing::Test, public ToleranceFixture {};

const unsigned long kKinds[] = {
    MIVO_TOL_CYLINDRICITY, MIVO_TOL_FLATNESS,       MIVO_TOL_LINE_PROFILE,   MIVO_TOL_POSITION,
    MIVO_TOL_ROUNDNESS,    MIVO_TOL_STRAIGHTNESS,   MIVO_TOL_SURFACE_PROFILE, MIVO_TOL_ANGULARITY,
    MIVO_TOL_CIRCULAR_RUNOUT, MIVO_TOL_COAXIALITY,  MIVO_TOL_CONCENTRICITY,  MIVO_TOL_PARALLELISM,
    MIVO_TOL_PERPENDICULARITY, MIVO_TOL_SYMMETRY,   MIVO_TOL_TOTAL_RUNOUT};
const unsigned long kAspects[] = {MIVO_TOL_WITH_DATUMS,        MIVO_TOL_WITH_MODIFIERS, MIVO_TOL_WITH_MAX,
                                  MIVO_TOL_WITH_ORIG_MODIFIER, MIVO_TOL_WITH_UNIT,      MIVO_TOL_WITH_AREA_UNIT,
                                  MIVO_TOL_WITH_UNEQUAL};

/// The bits a type brings with it through its supertypes: the kinds from angularity on are tolerances with
/// datums, a maximum tolerance is a tolerance with modifiers, an area unit is a defined unit.
unsigned long implied(unsigned long code) {
    if (code & 0x7f80UL) code |= MIVO_TOL_WITH_DATUMS;
    if (code & MIVO_TOL_WITH_MAX) code |= MIVO_TOL_WITH_MODIFIERS;
    if (code & MIVO_TOL_WITH_AREA_UNIT) code |= MIVO_TOL_WITH_UNIT;
    return code;
}

std::string hex(unsigned long code) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", code);
    return text;
}

TEST_F(ToleranceCode, EveryKindWithEveryAspectClassifiesBackToItsCode) {
    int made = 0;
    for (unsigned long kind : kKinds) {
        for (unsigned long aspect : kAspects) {
            const unsigned long code = implied(kind | aspect);
            stp_geometric_tolerance* tol = mivo_make_tolerance(&design, code);
            ASSERT_NE(tol, nullptr) << hex(code);
            ++made;
            EXPECT_EQ(mivo_tol_type(tol), code) << hex(code);
            EXPECT_EQ(mivo_tol_geometric_type(tol), kind);
            EXPECT_TRUE(tol->isa(nusktype_stp_geometric_tolerance));
            EXPECT_STREQ(tol->name(), "");
            EXPECT_EQ(tol->toleranced_shape_aspect(), nullptr);
        }
        // A kind asked for alone still comes with what its type implies.
        EXPECT_EQ(mivo_tol_type(mivo_make_tolerance(&design, kind)), implied(kind));
    }
    EXPECT_EQ(made, 15 * 7);
    // Every aspect at once but the older modifier, which the schema allows only without modifiers.
    const unsigned long all = MIVO_TOL_POSITION | (0x3f8000UL & ~MIVO_TOL_WITH_ORIG_MODIFIER);
    EXPECT_EQ(mivo_tol_type(mivo_make_tolerance(&design, all)), all);
}

TEST_F(ToleranceCode, CombinationsTheSchemaForbidsAndNullsMakeNothing) {
    EXPECT_EQ(mivo_make_tolerance(nullptr, MIVO_TOL_POSITION), nullptr);
    EXPECT_EQ(mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_FLATNESS), nullptr);  // two kinds
    EXPECT_EQ(mivo_make_tolerance(&design, MIVO_TOL_FLATNESS | MIVO_TOL_WITH_MODIFIERS | MIVO_TOL_WITH_ORIG_MODIFIER),
              nullptr);
    EXPECT_EQ(mivo_tol_type(nullptr), 0u);
    EXPECT_EQ(mivo_tol_has_datums(static_cast<stp_geometric_tolerance*>(nullptr)), 0);
}

TEST_F(ToleranceCode, HighBitsAreIgnoredByCreationAndNeverSet) {
    const unsigned long code = MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS;
    stp_geometric_tolerance* tol = mivo_make_tolerance(&design, code | 0xFFC00000UL);
    ASSERT_NE(tol, nullptr);
    EXPECT_EQ(mivo_tol_type(tol), code);
    EXPECT_EQ(tol->domain(), mivo_make_tolerance(&design, code)->domain());
    EXPECT_EQ(mivo_tol_geometric_type(0xFFFFFFFFUL), 0x7fffUL);
}

TEST_F(ToleranceCode, PredicatesOnACodeTestOnlyTheirBit) {
    EXPECT_EQ(mivo_tol_has_unit(0x80000UL), 1);
    EXPECT_EQ(mivo_tol_has_unit(0x20000UL), 0);
    const unsigned long bits[] = {15, 16, 17, 18, 19, 20, 21};
    int (*const predicates[])(unsigned long) = {mivo_tol_has_datums, mivo_tol_has_modifiers, mivo_tol_has_max,
                                                mivo_tol_has_orig_modifier, mivo_tol_has_unit,
                                                mivo_tol_has_area_unit, mivo_tol_has_unequal};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(predicates[i](1UL << bits[i]), 1) << i;
        EXPECT_EQ(predicates[i](~(1UL << bits[i])), 0) << i;
    }
}

TEST_F(ToleranceCode, AreaTypeIsWrittenUnsetOnlyWithTheAreaUnitAspect) {
    stp_geometric_tolerance* area = mivo_make_tolerance(&design, MIVO_TOL_FLATNESS | MIVO_TOL_WITH_AREA_UNIT);
    EXPECT_EQ(mivo_tol_get_area_type(area), stp_area_unit_type_UNSET);
    stp_geometric_tolerance* plain = mivo_make_tolerance(&design, MIVO_TOL_FLATNESS);
    EXPECT_EQ(plain->getAttribute("area_type"), nullptr);
}

TEST_F(ToleranceCode, CodeBitsNameTheirEntities) {
    EXPECT_STREQ(mivo_tol_code_name(MIVO_TOL_POSITION), "position_tolerance");
    EXPECT_STREQ(mivo_tol_code_name(MIVO_TOL_WITH_DATUMS), "geometric_tolerance_with_datum_reference");
    EXPECT_STREQ(mivo_tol_code_name(MIVO_TOL_WITH_UNEQUAL), "unequally_disposed_geometric_tolerance");
    EXPECT_EQ(mivo_tol_code_name(MIVO_TOL_POSITION | MIVO_TOL_FLATNESS), nullptr);
    EXPECT_EQ(mivo_tol_code_name(1UL << 22), nullptr);
    EXPECT_EQ(mivo_tol_code_name(0), nullptr);
}

}  // namespace
