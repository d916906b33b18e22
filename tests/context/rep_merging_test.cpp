// Merging duplicate representation contexts made by hand.
#include "context_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

namespace {

class RepMerging : public ::testing::Test, public ContextFixture {
protected:
    stp_si_unit* mm = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    stp_si_unit* rad = si(stp_si_unit_name_radian);
    stp_si_unit* sr = si(stp_si_unit_name_steradian);

    /// A millimetre, radian and steradian context with one length uncertainty.
    FullContext* withUncertainty(double value, const char* identifier = "context") {
        return context({mm, rad, sr}, {uncertainty(value, mm)}, identifier);
    }
    static bool deleted(NuskObject* obj) { return obj->design() == nusk_trash(); }
};

TEST_F(RepMerging, UncertaintiesWithinOnePercentMergeIntoTheLargerOne) {
    FullContext* smaller = withUncertainty(0.001);
    FullContext* larger = withUncertainty(0.001005);
    FullContext* apart = withUncertainty(0.0011, "apart");
    mivo_tag_units(&design);
    // 0.0011 is 10% above 0.001: no merge; 0.001005 is within 1% of 0.001.
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 1u);
    EXPECT_EQ(larger->design(), &design);
    EXPECT_TRUE(deleted(smaller));
    EXPECT_EQ(nusk_expand_substitutes(smaller), larger);
    EXPECT_EQ(apart->design(), &design);
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 0u);  // nothing left to merge
}

TEST_F(RepMerging, EachContextIsComparedWithTheSurvivorOfItsRun) {
    // Sorted larger first: 0.001018 survives; 0.001009 is within 1% of it; 0.001 is within 1% of 0.001009 but
    // not of the survivor, so it starts a run of its own.
    FullContext* top = withUncertainty(0.001018);
    FullContext* middle = withUncertainty(0.001009);
    FullContext* bottom = withUncertainty(0.001);
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 1u);
    EXPECT_EQ(nusk_expand_substitutes(middle), top);
    EXPECT_EQ(bottom->design(), &design);
}

TEST_F(RepMerging, OnlyNeighboursAfterSortingAreCompared) {
    // a and b agree within 1% (angle 0.01005 and 0.01 rad, length 0.001 mm); c sorts between them (its angle
    // lies between theirs) and differs from both in length, so a and b never meet.
    auto make = [&](double angle, double length) {
        return context({mm, rad, sr}, {uncertainty(length, mm), angleUncertainty(angle, rad)});
    };
    FullContext* a = make(0.01005, 0.001);
    FullContext* b = make(0.01, 0.001);
    FullContext* c = make(0.01002, 0.5);
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 0u);
    // Without c between them they merge.
    nusk_move_to_trash(c);
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 1u);
    EXPECT_EQ(nusk_expand_substitutes(b), a);
}

TEST_F(RepMerging, TypesDimensionsAndUnitsKeepContextsApart) {
    auto* unitsOnly = new (&design) stp_geometric_representation_context_and_global_unit_assigned_context();
    unitsOnly->coordinate_space_dimension(3);
    unitsOnly->units(unitSet({mm, rad, sr}));
    FullContext* full = withUncertainty(0.001);
    FullContext* twoD = context({mm, rad, sr}, {uncertainty(0.001, mm)}, "2D", 2);
    stp_conversion_based_unit* inch = cb("INCH", 25.4, mm);
    FullContext* inches = context({inch, rad, sr}, {uncertainty(0.001, mm)});
    FullContext* noSolidAngle = context({mm, rad}, {uncertainty(0.001, mm)});
    stp_representation_context* plainOne = plain("3D", "context");  // another type, whatever its text
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 0u);
    for (NuskObject* c : std::initializer_list<NuskObject*>{unitsOnly, full, twoD, inches, noSolidAngle, plainOne})
        EXPECT_EQ(c->design(), &design) << c->domain()->name();
}

TEST_F(RepMerging, ContextsDifferingOnlyInIdentifierOrOrderOfUnitsMerge) {
    FullContext* a = context({mm, rad, sr}, {uncertainty(0.001, mm)}, "Context #2");
    FullContext* b = context({sr, mm, rad}, {uncertainty(0.001, mm)}, "Context #1");
    FullContext* c = withUncertainty(0.001, "context #1");
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 2u);
    // Equal contents: the identifiers decide the order (without case), then the instance numbers.
    EXPECT_EQ(b->design(), &design);
    EXPECT_EQ(nusk_expand_substitutes(a), b);
    EXPECT_EQ(nusk_expand_substitutes(c), b);
}

TEST_F(RepMerging, PlainContextsMergeByContextTypeAlone) {
    stp_representation_context* a = plain("Draughting", "b");
    stp_representation_context* b = plain("draughting", "a");
    stp_representation_context* other = plain("Kinematics", "a");
    auto* unset = new (&design) stp_representation_context();  // no texts at all: merged with its like only
    auto* unset2 = new (&design) stp_representation_context();
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 2u);
    EXPECT_EQ(nusk_expand_substitutes(a), b);
    EXPECT_EQ(other->design(), &design);
    EXPECT_EQ(nusk_expand_substitutes(unset2), unset);
}

TEST_F(RepMerging, UntaggedUnitsCompareByTheirFullNames) {
    stp_si_unit* metre = si(stp_si_unit_name_metre);
    stp_si_unit* mm2 = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    auto unitsContext = [&](std::vector<NuskObject*> units) {
        auto* c = new (&design) stp_geometric_representation_context_and_global_unit_assigned_context();
        c->coordinate_space_dimension(3);
        c->units(unitSet(units));
        return c;
    };
    // Nothing is tagged. The full names of SI units are built in one buffer: metre and millimetre must not
    // compare equal because both names were read from it.
    auto* inMm = unitsContext({mm, rad});
    auto* inMetre = unitsContext({metre, rad});
    auto* inMmAgain = unitsContext({rad, mm2});
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 1u);
    EXPECT_EQ(inMetre->design(), &design);
    EXPECT_EQ(nusk_expand_substitutes(inMmAgain), inMm);
}

TEST_F(RepMerging, UntaggedUnitsOfOneNameMergeOnlyWhenTheyStandForTheSameUnit) {
    // Nothing is tagged: a yard is known by its name only, and two files may not mean the same by it.
    auto unitsContext = [&](NuskObject* unit) {
        auto* c = new (&design) stp_geometric_representation_context_and_global_unit_assigned_context();
        c->coordinate_space_dimension(3);
        c->units(unitSet({unit, rad}));
        return c;
    };
    auto* yard = unitsContext(cb("YARD", 914.4, mm));
    auto* sameYard = unitsContext(cb("YARD", 914.4, si(stp_si_unit_name_metre, stp_si_prefix_milli)));
    auto* shortYard = unitsContext(cb("YARD", 900.0, mm));
    // Two derived units no code stands for share the name "unknown derived unit", not their meaning.
    stp_si_unit* gram = si(stp_si_unit_name_gram);
    auto* density = unitsContext(derived({{gram, 1.0}, {mm, -3.0}}));
    auto* linearDensity = unitsContext(derived({{gram, 1.0}, {mm, -1.0}}));
    auto* densityAgain = unitsContext(derived({{mm, -3.0}, {gram, 1.0}}));
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 2u);
    EXPECT_EQ(nusk_expand_substitutes(sameYard), yard);
    EXPECT_EQ(shortYard->design(), &design);
    EXPECT_EQ(nusk_expand_substitutes(densityAgain), density);
    EXPECT_EQ(linearDensity->design(), &design);
}

TEST_F(RepMerging, UncertaintiesWithoutComparableValuesMergeOnlyWithThemselves) {
    FullContext* negative = withUncertainty(-0.001);
    FullContext* negativeToo = withUncertainty(-0.001);
    // One measure shared by two contexts: a negative value does not even equal itself.
    stp_uncertainty_measure_with_unit* sharedNegative = uncertainty(-0.002, mm);
    context({mm, rad, sr}, {sharedNegative});
    context({mm, rad, sr}, {sharedNegative});
    auto* notANumber = withUncertainty(std::numeric_limits<double>::quiet_NaN());
    auto* notANumberToo = withUncertainty(std::numeric_limits<double>::quiet_NaN());
    auto* text = new (&design) stp_measure_value();
    text->_descriptive_measure("fine");
    auto* described = context({mm, rad, sr}, {uncertaintyWith(text, mm, "d")});
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 0u);
    for (NuskObject* c : std::initializer_list<NuskObject*>{negative, negativeToo, notANumber, notANumberToo, described})
        EXPECT_EQ(c->design(), &design);
    // An untagged unit: only one measure shared by two contexts makes them equal, not an equal value.
    stp_si_unit* untagged = si(stp_si_unit_name_metre, stp_si_prefix_milli);
    stp_uncertainty_measure_with_unit* shared = uncertainty(0.001, untagged);
    FullContext* a = context({untagged}, {shared});
    FullContext* b = context({untagged}, {shared});
    FullContext* c = context({untagged}, {uncertainty(0.001, untagged)});
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 1u);
    EXPECT_EQ(nusk_expand_substitutes(b), a);
    EXPECT_EQ(c->design(), &design);
}

TEST_F(RepMerging, UncertaintiesInOtherUnitsAreConvertedBeforeComparing) {
    stp_si_unit* metre = si(stp_si_unit_name_metre);
    FullContext* inMm = withUncertainty(0.001);
    FullContext* inMetre = context({mm, rad, sr}, {uncertainty(0.000001004, metre)});
    FullContext* larger = context({mm, rad, sr}, {uncertainty(0.0000011, metre)});
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 1u);
    // 0.001004 mm survives (sorted before 0.001 mm); 0.0011 mm stays apart.
    EXPECT_EQ(nusk_expand_substitutes(inMm), inMetre);
    EXPECT_EQ(larger->design(), &design);
}

TEST(RepMergingOrder, TheResultDoesNotDependOnTheOrderContextsWereMadeIn) {
    // Uncertainties in millimetre, inch and metre, equal or within 1% after conversion, and some without a
    // comparable number: the sort must order them the same way whichever is asked about first.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<std::pair<double, int>> cases = {  // value, unit: 0 mm, 1 inch, 2 metre
        {0.0254, 0}, {0.001, 1},   {0.0000254, 2}, {0.02545, 0}, {0.0255, 0}, {0.0011, 1}, {1e-6, 2},
        {0.001, 0},  {0.001003, 0}, {nan, 0},       {nan, 1},     {-0.001, 0}, {-0.001, 2}, {0.5, 1},
        {0.0127, 0}, {0.0005, 1},  {0.0000127, 2}, {0.0254, 0},  {1e-6, 2},   {0.0005, 1}};
    std::mt19937 random(7);
    std::vector<unsigned> replaced;
    for (int round = 0; round < 8; ++round) {
        std::shuffle(cases.begin(), cases.end(), random);
        ContextFixture f;
        stp_si_unit* mm = f.si(stp_si_unit_name_metre, stp_si_prefix_milli);
        NuskObject* units[] = {mm, f.cb("INCH", 25.4, mm), f.si(stp_si_unit_name_metre)};
        for (const auto& c : cases) f.context({mm}, {f.uncertainty(c.first, units[c.second])});
        mivo_tag_units(&f.design);
        replaced.push_back(mivo_merge_rep_contexts(&f.design));
    }
    EXPECT_GT(replaced[0], 0u);
    for (unsigned r : replaced) EXPECT_EQ(r, replaced[0]);
}

TEST_F(RepMerging, ADeletedDuplicateTakesItsSetsAndWhatOnlyItUsed) {
    stp_uncertainty_measure_with_unit* shared = uncertainty(0.001, mm);
    stp_uncertainty_measure_with_unit* ownLength = uncertainty(0.001, mm);
    stp_uncertainty_measure_with_unit* usedElsewhere = angleUncertainty(0.01, rad);
    FullContext* survivor = context({mm, rad, sr}, {shared, angleUncertainty(0.01, rad)}, "a");
    FullContext* duplicate = context({mm, rad, sr}, {ownLength, usedElsewhere}, "b");
    FullContext* sharing = context({mm, rad, sr}, {shared}, "c");  // shares a measure with the survivor
    // Something other than a context keeps using one of the duplicate's measures.
    auto* qualification = new (&design) stp_measure_qualification();
    qualification->qualified_measure(usedElsewhere);
    auto* duplicateUnits = static_cast<NuskObject*>(duplicate->units());
    auto* duplicateUncertainties = static_cast<NuskObject*>(duplicate->uncertainty());
    auto* sharingUncertainties = static_cast<NuskObject*>(sharing->uncertainty());
    mivo_tag_units(&design);

    EXPECT_EQ(mivo_merge_rep_contexts(&design), 1u);
    EXPECT_EQ(nusk_expand_substitutes(duplicate), survivor);
    EXPECT_TRUE(deleted(duplicate));
    EXPECT_TRUE(deleted(duplicateUnits));
    EXPECT_TRUE(deleted(duplicateUncertainties));
    EXPECT_TRUE(deleted(ownLength));
    EXPECT_EQ(usedElsewhere->design(), &design);
    EXPECT_EQ(mm->design(), &design);  // the units of a deleted unit set stay
    EXPECT_EQ(sharing->design(), &design);
    EXPECT_EQ(sharingUncertainties->design(), &design);
    EXPECT_EQ(shared->design(), &design);
}

TEST_F(RepMerging, AMeasureSharedWithTheSurvivorEndsUpInItsDesign) {
    stp_uncertainty_measure_with_unit* shared = uncertainty(0.001, mm);
    FullContext* survivor = context({mm, rad, sr}, {shared}, "a");
    FullContext* duplicate = context({mm, rad, sr}, {shared}, "b");
    // Measures of a remaining context found in the trash come back; those of another design stay there.
    stp_uncertainty_measure_with_unit* trashed = uncertainty(0.002, mm);
    FullContext* restored = context({mm, rad, sr}, {trashed}, "c");
    NuskDesign elsewhere("elsewhere", nusk_ap242_schema());
    stp_uncertainty_measure_with_unit* foreign = uncertainty(0.003, mm);
    FullContext* holdsForeign = context({mm, rad, sr}, {foreign}, "e");
    mivo_tag_units(&design);
    nusk_move_to_trash(trashed);
    static_cast<NuskObject*>(foreign)->move(&elsewhere, 0, 0);

    EXPECT_EQ(mivo_merge_rep_contexts(&design), 1u);
    EXPECT_EQ(nusk_expand_substitutes(duplicate), survivor);
    EXPECT_EQ(shared->design(), &design);
    EXPECT_EQ(trashed->design(), &design);
    EXPECT_EQ(restored->design(), &design);
    EXPECT_EQ(foreign->design(), &elsewhere);
    EXPECT_EQ(holdsForeign->design(), &design);
    static_cast<NuskObject*>(foreign)->move(&design, 0, 0);  // back before `elsewhere` goes
}

TEST_F(RepMerging, SetsTheSurvivorHoldsTooStayWithIt) {
    FullContext* survivor = withUncertainty(0.001, "a");
    auto* duplicate = new (&design) FullContext();  // made in code: the very same sets as the survivor's
    duplicate->context_identifier("b");
    duplicate->context_type("3D");
    duplicate->coordinate_space_dimension(3);
    duplicate->units(survivor->units());
    duplicate->uncertainty(survivor->uncertainty());
    mivo_tag_units(&design);
    EXPECT_EQ(mivo_merge_rep_contexts(&design), 1u);
    EXPECT_EQ(nusk_expand_substitutes(duplicate), survivor);
    EXPECT_EQ(static_cast<NuskObject*>(survivor->units())->design(), &design);
    EXPECT_EQ(static_cast<NuskObject*>(survivor->uncertainty())->design(), &design);
    EXPECT_EQ(mivo_get_context_uncertainty_value(survivor, nullptr), 0.001);
}

}  // namespace
