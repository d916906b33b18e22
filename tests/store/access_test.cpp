// Generic attribute access, select values, aggregates and usedin.
#include "test_schema.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

namespace {

class StoreAccess : public ::testing::Test {
protected:
    const TestSchema& t = TestSchema::get();
    NuskDesign design{"access", t.schema};

    NuskObject* make(NuskDomain* d) { return design.pnewInstance(d); }
    NuskUnion* makeSelect(NuskDomain* d) { return static_cast<NuskUnion*>(design.pnewInstance(d)); }
    NuskAggregate* makeAggregate(NuskDomain* d) { return static_cast<NuskAggregate*>(design.pnewInstance(d)); }
};

TEST_F(StoreAccess, NewInstancesHaveEveryAttributeUnset) {
    NuskObject* p = make(t.point);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->design(), &design);
    EXPECT_EQ(p->domain(), t.point);
    EXPECT_GT(p->entity_id(), 0u);
    EXPECT_EQ(p->getString("name"), nullptr);
    EXPECT_EQ(p->getObject("coords"), nullptr);
    EXPECT_EQ(p->getDouble("weight"), NUSK_NULL_REAL);
    NuskObject* si = make(t.siUnit);
    EXPECT_EQ(si->getInteger("prefix"), -1);
}

TEST_F(StoreAccess, ReadsByAttributeNameAndIndexAgree) {
    NuskObject* p = make(t.point);
    ASSERT_EQ(nusk_update_prim(p, "name", "corner"), 1);
    ASSERT_EQ(p->putDouble(2.5, t.pointWeight), 1);
    EXPECT_STREQ(p->getString(t.itemName), "corner");
    EXPECT_STREQ(p->getString("name"), "corner");
    EXPECT_STREQ(p->getString(0), "corner");
    EXPECT_EQ(p->getDouble(2), 2.5);
    EXPECT_EQ(p->getDouble("weight"), 2.5);
    EXPECT_EQ(p->getDouble(7), NUSK_NULL_REAL);  // no such index
    EXPECT_EQ(p->getObject("weight"), nullptr);  // not an object attribute
}

TEST_F(StoreAccess, WritesAreTypeChecked) {
    NuskObject* si = make(t.siUnit);
    NuskObject* p = make(t.point);
    EXPECT_EQ(si->putObject(p, "dims"), 0);  // a point is not a dims
    NuskObject* dims = make(t.dims);
    EXPECT_EQ(si->putObject(dims, "dims"), 1);
    EXPECT_EQ(si->getObject("dims"), dims);
    EXPECT_EQ(si->putInteger(2, "prefix"), 1);
    EXPECT_STREQ(si->getString("prefix"), "micro");
    EXPECT_EQ(si->putInteger(3, "prefix"), 0);  // outside the enumeration
    EXPECT_EQ(si->getInteger("prefix"), 2);
    EXPECT_EQ(si->putDouble(1.0, "kind"), 0);  // a string attribute
    EXPECT_EQ(nusk_update_prim(si, "no_such", "x"), 0);
    EXPECT_EQ(si->putObject(nullptr, "dims"), 1);
    EXPECT_EQ(si->getObject("dims"), nullptr);
}

TEST_F(StoreAccess, BinaryValuesAreRefusedAndReportedUnlessValidLiterals) {
    // Written between quotes, a text with a quote or a comment mark in it ran over the records after it in the
    // file; a lower-case digit made a literal no reader takes. Each setter of a BINARY value checks it.
    CapturingReporter reporter;
    NuskScopedReporter scope(&reporter);
    NuskObject* blob = make(t.blob);
    NuskUnion* payload = makeSelect(t.payloadSelect);
    auto* list = makeAggregate(NuskSchema::aggregateOf(NuskAggregateKind::list, NuskSchema::binaryDomain()));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(nusk_update_prim(blob, "data", "0FF"), 1);
    ASSERT_EQ(payload->putString(t.bits, "3F8"), 1);
    ASSERT_EQ(list->addString("0"), 1);
    const char* bad[] = {"x\");#2=CARTESIAN_POINT(/*", "0ff", "", "4F", "1", "0 1"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        EXPECT_EQ(nusk_update_prim(blob, "data", text), 0);
        EXPECT_EQ(payload->putString(t.bits, text), 0);
        EXPECT_EQ(list->addString(text), 0);
    }
    EXPECT_EQ(reporter.errors.size(), 3 * std::size(bad));
    ASSERT_FALSE(reporter.errors.empty());
    EXPECT_NE(reporter.errors[0].find("binary value"), std::string::npos) << reporter.errors[0];
    // A refused value leaves the one before; unset and texts that are no binary stay as they were.
    EXPECT_STREQ(blob->getString("data"), "0FF");
    EXPECT_STREQ(payload->stringValue(), "3F8");
    EXPECT_EQ(list->size(), 1u);
    EXPECT_EQ(nusk_update_prim(blob, "data", nullptr), 1);
    EXPECT_EQ(blob->getString("data"), nullptr);
    EXPECT_EQ(payload->putString(t.label, "0ff"), 1);
    EXPECT_EQ(reporter.errors.size(), 3 * std::size(bad));
}

TEST_F(StoreAccess, SelectsHoldPlainValuesWithTheirAlternative) {
    NuskUnion* v = makeSelect(t.measureValueSelect);
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(v->isEmpty());
    EXPECT_EQ(v->getAttribute(), nullptr);
    ASSERT_EQ(v->putReal(t.lengthMeasure, 25.4), 1);
    EXPECT_EQ(v->alternative(), t.lengthMeasure);
    EXPECT_EQ(v->getDouble(0), 25.4);
    EXPECT_TRUE(v->holds(t.lengthMeasure));
    EXPECT_FALSE(v->holds(t.countMeasure));
    ASSERT_NE(v->getAttribute(), nullptr);
    EXPECT_LT(v->getAttribute()->slotNodeType(), 18);
    EXPECT_EQ(v->putReal(t.countMeasure, 1.0), 0);  // a count is an integer alternative
    EXPECT_EQ(v->putInteger(t.countMeasure, 7), 1);
    EXPECT_EQ(v->getInteger(0), 7);
    EXPECT_EQ(v->getDouble(0), 7.0);
    EXPECT_EQ(v->putString(t.label, "n/a"), 1);
    EXPECT_STREQ(v->getString(0), "n/a");
    EXPECT_EQ(v->putObject(make(t.point)), 0);  // no entity alternative
    // Reading an entity attribute that holds a select looks through it for the number.
    NuskObject* m = make(t.measure);
    ASSERT_EQ(v->putReal(t.lengthMeasure, 3.0), 1);
    ASSERT_EQ(m->putObject(v, "value_component"), 1);
    EXPECT_EQ(m->getDouble("value_component"), 3.0);
}

TEST_F(StoreAccess, NestedSelectsAcceptTheAlternativesOfTheirAlternatives) {
    NuskUnion* any = makeSelect(t.anything);
    NuskObject* si = make(t.siUnit);
    NuskObject* p = make(t.point);
    ASSERT_EQ(nusk_put_nested_object(any, si), 1);  // si_unit through unit_select
    EXPECT_TRUE(any->holds(t.unitSelect));
    EXPECT_TRUE(any->holds(t.unit));
    EXPECT_EQ(nusk_get_nested_object(any), si);
    EXPECT_EQ(nusk_get_nested_object(any, t.unit), si);
    EXPECT_EQ(nusk_get_nested_object(any, t.point), nullptr);
    ASSERT_NE(any->getAttribute(), nullptr);
    EXPECT_GE(any->getAttribute()->slotNodeType(), 18);
    ASSERT_EQ(nusk_put_nested_object(any, p), 1);
    EXPECT_EQ(any->getObject(0), p);
    EXPECT_EQ(nusk_put_nested_object(any, make(t.dims)), 0);
    EXPECT_EQ(any->getObject(0), p);  // a refused value leaves the select as it was
    ASSERT_EQ(any->putInteger(t.prefix, 1), 1);
    EXPECT_EQ(any->getObject(0), nullptr);
    EXPECT_EQ(nusk_put_nested_object(any, nullptr), 1);
    EXPECT_TRUE(any->isEmpty());
    EXPECT_EQ(nusk_get_nested_object(nullptr), nullptr);
}

TEST_F(StoreAccess, AggregatesCheckTheirIndices) {
    auto* coords = static_cast<ListOfDouble*>(makeAggregate(nusk_domain_ListOfDouble()));
    ASSERT_NE(coords, nullptr);
    EXPECT_EQ(coords->put(1.0, 0), 1);
    EXPECT_EQ(coords->put(2.0, 1), 1);
    EXPECT_EQ(coords->put(9.0, 5), 0);  // would leave a hole
    EXPECT_EQ(coords->put(3.0, 0), 1);
    EXPECT_EQ(coords->size(), 2u);
    EXPECT_EQ(coords->get(0), 3.0);
    EXPECT_EQ(coords->get(2), NUSK_NULL_REAL);
    EXPECT_EQ(coords->addObject(make(t.point)), 0);

    NuskAggregate* members = makeAggregate(t.groupMembers->valueDomain());
    NuskObject* a = make(t.point);
    NuskObject* b = make(t.item);
    EXPECT_EQ(members->_addIfAbsent(a), 1);
    EXPECT_EQ(members->_addIfAbsent(a), 0);
    EXPECT_EQ(members->_addIfAbsent(b, t.point), 0);  // not of the type asked for
    EXPECT_EQ(members->_add(b), 1);
    EXPECT_EQ(members->size(), 2u);
    EXPECT_EQ((*members)[1], b);
    EXPECT_EQ(members->getObject(2), nullptr);
    EXPECT_EQ(members->getObject(static_cast<unsigned>(-1)), nullptr);
    EXPECT_EQ(members->removeAt(0), 1);
    EXPECT_EQ(members->first(), b);
    members->emptyYourself();
    EXPECT_TRUE(members->empty());

    // Elements beyond the initial room move to the heap without losing what was there.
    for (int i = 0; i < 1000; ++i) coords->add(i);
    EXPECT_EQ(coords->size(), 1002u);
    EXPECT_EQ(coords->get(1001), 999.0);
    EXPECT_EQ(coords->get(0), 3.0);
}

TEST_F(StoreAccess, UsedinFindsReferrersThroughSelectsAndAggregates) {
    NuskObject* si = make(t.siUnit);
    NuskObject* m1 = make(t.measure);
    NuskObject* m2 = make(t.measure);
    NuskObject* g = make(t.group);
    NuskUnion* s1 = makeSelect(t.unitSelect);
    NuskUnion* s2 = makeSelect(t.unitSelect);
    nusk_put_nested_object(s1, si);
    nusk_put_nested_object(s2, si);
    m1->putObject(s1, t.measureUnit);
    NuskAggregate* units = makeAggregate(t.groupUnits->valueDomain());
    units->addObject(s2);
    g->putObject(units, t.groupUnits);

    SetOfNuskObject* out = new (&design) SetOfNuskObject();
    si->usedin(nullptr, nullptr, out);
    ASSERT_EQ(out->size(), 2u);
    EXPECT_EQ(out->get(0), m1);  // referrers in instance-number order
    EXPECT_EQ(out->get(1), g);
    out->emptyYourself();
    si->usedin(t.measure, t.measureUnit, out);
    ASSERT_EQ(out->size(), 1u);
    out->emptyYourself();
    si->usedin(nullptr, t.groupUnits, out);
    ASSERT_EQ(out->size(), 1u);
    EXPECT_EQ(out->get(0), g);

    // The index follows later writes.
    m2->putObject(s1, t.measureUnit);
    m1->putObject(nullptr, t.measureUnit);
    out->emptyYourself();
    si->usedin(t.measure, nullptr, out);
    ASSERT_EQ(out->size(), 1u);
    EXPECT_EQ(out->get(0), m2);
}

}  // namespace

namespace {

TEST(StoreAccessMisuse, MakingInANullDesignGivesNull) {
    NuskDesign* none = nullptr;
    EXPECT_EQ(new (none) ListOfDouble(), nullptr);
    EXPECT_EQ(new (none) SetOfNuskObject(), nullptr);
    EXPECT_EQ(nusk_new_in_default_section(8, nullptr, nusk_domain_ListOfDouble()), nullptr);
    NuskDesign design("misuse", TestSchema::get().schema);
    EXPECT_EQ(nusk_new_in_default_section(8, &design, nullptr), nullptr);
    EXPECT_EQ(design.pnewInstance(nullptr), nullptr);
    EXPECT_EQ(design.pnewInstance(NuskSchema::realDomain()), nullptr);
}

}  // namespace
