// Names of unit codes and unit entities.
#include "units_helpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class UnitNames : public ::testing::Test, public UnitFixture {};

TEST_F(UnitNames, UntaggedSiUnitsAreSpelledOutTaggedOnesNamedByTheirCode) {
    stp_si_unit* um = si(stp_si_unit_name_metre, stp_si_prefix_micro);
    EXPECT_EQ(std::string(mivo_get_unit_fullname(static_cast<stp_named_unit*>(um))), "micrometre");
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(si(stp_si_unit_name_second))), "second");
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(si(stp_si_unit_name_gram, stp_si_prefix_kilo))),
                 "kilogram");
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(si(stp_si_unit_name_degree_celsius))), "none");
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(
                     si(stp_si_unit_name_degree_celsius, stp_si_prefix_kilo))),
                 "none");
    mivo_tag_units(&design);
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(um)), nusk_get_unit_fullname(nuskunit_um));
    EXPECT_STREQ(mivo_get_unit_name(select(um)), "um");
}

TEST_F(UnitNames, StoredNamesAndPlaceholders) {
    auto* unnamed = new (&design) stp_conversion_based_unit();
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(unnamed)), "unnamed conversion unit");
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(cb("", 2.0, nullptr))), "");
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(cb("CUBIT", 457.2, nullptr))), "CUBIT");
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(cdu(nullptr))), "unnamed context-dependent unit");
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(cdu("widgets"))), "widgets");
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(new (&design) stp_ratio_unit())), "unknown");
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_named_unit*>(nullptr)), "none");
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_derived_unit*>(nullptr)), "none");
    EXPECT_STREQ(mivo_get_unit_fullname(derived({})), "unknown derived unit");  // never tagged
    EXPECT_STREQ(mivo_get_unit_fullname(static_cast<stp_unit*>(nullptr)), "none");
    EXPECT_STREQ(mivo_get_unit_fullname(new (&design) stp_unit()), nusk_get_unit_fullname(nuskunit_unknown));
}

TEST_F(UnitNames, DerivedUnitsMadeByTheLibraryKeepTheirNameAttribute) {
    stp_derived_unit* mm2 = mivo_make_derived_unit_base(&design, nuskunit_mm2);
    EXPECT_STREQ(mivo_get_unit_fullname(mm2), "square millimetre");
    MivoMgrUnit::find(mm2)->unit = nuskunit_unknown;  // stripped of its code
    EXPECT_STREQ(mivo_get_unit_fullname(mm2), "square millimetre");
    EXPECT_STREQ(mivo_get_unit_fullname(select(mm2)), "square millimetre");
}

TEST_F(UnitNames, ShortNamesOnlyForTaggedUnits) {
    stp_conversion_based_unit* inch = cb("INCH", 25.4, si(stp_si_unit_name_metre, stp_si_prefix_milli));
    stp_measure_with_unit* length = measure(2.0, inch);
    EXPECT_STREQ(mivo_get_unit_name(length), "INCH");  // untagged: the full name
    mivo_tag_units(&design);
    EXPECT_STREQ(mivo_get_unit_name(length), "in");
    EXPECT_STREQ(mivo_get_unit_name(static_cast<stp_measure_with_unit*>(nullptr)), "none");
    EXPECT_STREQ(mivo_get_unit_name(new (&design) stp_measure_with_unit()), "none");
    EXPECT_STREQ(mivo_get_unit_name(nuskunit_n_m), "N.m");
    EXPECT_STREQ(mivo_get_unit_fullname(nuskunit_angle_cb1), "degree");
}

}  // namespace
