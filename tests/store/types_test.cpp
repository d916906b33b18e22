// Schema building: layouts, the subtype graph, complex domains and enumerations.
#include "test_schema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

std::vector<std::string> slotNames(const NuskDomain* d) {
    std::vector<std::string> names;
    for (NuskAttribute* a : d->slotAttributes()) names.push_back(a->name());
    return names;
}

TEST(StoreTypes, EntitySlotsFollowPart21OrderInheritedFirst) {
    const TestSchema& t = TestSchema::get();
    EXPECT_EQ(slotNames(t.point), (std::vector<std::string>{"name", "coords", "weight"}));
    EXPECT_EQ(slotNames(t.siUnit), (std::vector<std::string>{"dims", "prefix", "kind"}));
    EXPECT_TRUE(t.siUnit->slotIsDerived(0));
    EXPECT_FALSE(t.lengthUnit->slotIsDerived(0));
    EXPECT_TRUE(t.unitDims->isDerivedIn(t.siUnit));
    EXPECT_FALSE(t.unitDims->isDerivedIn(t.lengthUnit));
    EXPECT_EQ(t.point->findTypeAttribute("NAME"), t.itemName);
    EXPECT_EQ(t.point->findTypeAttribute("nothing"), nullptr);
}

TEST(StoreTypes, SeveralSupertypesAreLaidOutDepthFirstWhateverOrderTheTypesWereMadeIn) {
    // The subtypes are made before their supertypes, as a schema's alphabetical tables make them: each layout
    // must still follow the SUBTYPE OF clauses depth first, with an entity reached twice listed once.
    auto* s = new NuskSchema("store_test_inheritance");
    NuskDomain* real = NuskSchema::realDomain();
    NuskDomain* e = s->addEntity("e", {});
    NuskDomain* d = s->addEntity("d", {});
    NuskDomain* c = s->addEntity("c", {});
    NuskDomain* b = s->addEntity("b", {});
    NuskDomain* a = s->addEntity("a", {});
    s->addAttribute(a, "x", real);
    NuskAttribute* y = s->addAttribute(b, "y", real);
    s->addAttribute(c, "z", real);
    s->addAttribute(d, "w", real);
    s->addAttribute(e, "v", real);
    s->setSupertypes(b, {a});
    s->setSupertypes(c, {a});
    s->setSupertypes(d, {c, b});
    s->setSupertypes(e, {d, a});
    s->redeclareDerived(d, y);
    s->seal();
    EXPECT_EQ(slotNames(b), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(slotNames(d), (std::vector<std::string>{"x", "z", "y", "w"}));
    EXPECT_EQ(slotNames(e), (std::vector<std::string>{"x", "z", "y", "w", "v"}));
    EXPECT_EQ(e->entityClosure(), (std::vector<NuskDomain*>{a, c, b, d, e}));
    // The redeclaration holds in d and below it, not in b where y is declared.
    EXPECT_FALSE(b->slotIsDerived(1));
    EXPECT_TRUE(d->slotIsDerived(2));
    EXPECT_TRUE(e->slotIsDerived(2));
    EXPECT_FALSE(e->slotIsDerived(1));
    EXPECT_TRUE(e->typeIsa(b));
    EXPECT_FALSE(c->typeIsa(b));
}

TEST(StoreTypes, NamesAreCopiesThatOutliveTheCallersText) {
    // A schema built from names in the caller's buffers (read from a file, say) keeps its own copies.
    auto* s = new NuskSchema("store_test_name_copies");
    std::string text = "a_rather_long_entity_name_beyond_any_short_string";
    NuskDomain* e = s->addEntity(text.c_str(), {});
    text = "attribute";
    NuskAttribute* a = s->addAttribute(e, text.c_str(), NuskSchema::realDomain());
    text.assign(text.size(), 'x');
    NuskDomain* unnamed = s->addEntity(nullptr, {});
    s->seal();
    EXPECT_STREQ(e->name(), "a_rather_long_entity_name_beyond_any_short_string");
    EXPECT_STREQ(a->name(), "attribute");
    EXPECT_STREQ(unnamed->name(), "");
    EXPECT_EQ(s->findDomain("A_RATHER_LONG_ENTITY_NAME_BEYOND_ANY_SHORT_STRING"), e);
    EXPECT_EQ(e->findTypeAttribute("ATTRIBUTE"), a);
}

TEST(StoreTypes, NamesUsedAsGivenAreKeptAndAnotherSchemasNamesCopied) {
    // Names compiled into the program are used as they are; a select's value attributes are named after its
    // alternatives, copied when an alternative is another schema's.
    static const char kPoint[] = "point_named_in_static_text";
    static const char kCoords[] = "coords";
    static const char kChoice[] = "choice";
    auto* other = new NuskSchema("store_test_other_schema");
    std::string otherName = "an_entity_of_another_schema";
    NuskDomain* foreign = other->addEntity(otherName.c_str(), {});
    other->seal();
    auto* s = new NuskSchema("store_test_names_as_given");
    s->useNamesAsGiven();
    NuskDomain* point = s->addEntity(kPoint, {});
    NuskAttribute* coords = s->addAttribute(point, kCoords, NuskSchema::aggregateOf(NuskAggregateKind::list,
                                                                                       NuskSchema::realDomain()));
    NuskDomain* choice = s->addSelect(kChoice, {point, foreign});
    s->seal();
    EXPECT_EQ(point->name(), kPoint);
    EXPECT_EQ(coords->name(), kCoords);
    ASSERT_EQ(choice->slotAttributes().size(), 2u);
    EXPECT_EQ(choice->slotAttributes()[0]->name(), point->name()) << "named after its own alternative, no copy";
    EXPECT_STREQ(choice->slotAttributes()[1]->name(), "an_entity_of_another_schema");
    EXPECT_NE(choice->slotAttributes()[1]->name(), foreign->name()) << "another schema's name is copied";
    EXPECT_EQ(s->findDomain("POINT_NAMED_IN_STATIC_TEXT"), point);
    EXPECT_TRUE(s->usesNamesAsGiven());
    EXPECT_FALSE(other->usesNamesAsGiven());
    EXPECT_NE(foreign->name(), otherName.c_str()) << "a schema that was not told keeps copies";
}

TEST(StoreTypes, ASelectsValueAttributesComeWhicheverWayTheyAreFirstAskedFor) {
    // They are made on the select's first use. The list of attributes is made under the schema's lock, which
    // making them takes too: asked for first, it must neither wait for itself nor come out empty.
    auto* s = new NuskSchema("store_test_select_attributes");
    NuskDomain* a = s->addEntity("a", {});
    NuskDomain* b = s->addEntity("b", {});
    NuskDomain* listed = s->addSelect("listed_first", {a, b});
    NuskDomain* own = s->addSelect("own_first", {b, a});
    NuskDomain* slots = s->addSelect("slots_first", {a});
    s->seal();
    ListOfNuskAttribute* list = listed->attributes();
    ASSERT_EQ(list->size(), 2u);
    EXPECT_STREQ(list->get(0)->name(), "a");
    EXPECT_STREQ(list->get(1)->name(), "b");
    ASSERT_EQ(own->ownAttributes().size(), 2u);
    EXPECT_EQ(own->ownAttributes()[0]->valueDomain(), b);
    EXPECT_EQ(own->slotAttributes(), own->ownAttributes());
    ASSERT_EQ(slots->slotAttributes().size(), 1u);
    EXPECT_EQ(slots->findTypeAttribute("A"), slots->slotAttributes()[0]);
    EXPECT_EQ(slots->slotOf(slots->slotAttributes()[0]), 0);
}

TEST(StoreTypes, ANullSupertypeIsLeftOutOfTheLayout) {
    auto* s = new NuskSchema("store_test_null_supertype");
    NuskDomain* a = s->addEntity("a", {});
    s->addAttribute(a, "x", NuskSchema::realDomain());
    NuskDomain* b = s->addEntity("b", {});
    s->addAttribute(b, "y", NuskSchema::realDomain());
    s->setSupertypes(b, {nullptr, a});
    s->seal();
    EXPECT_EQ(slotNames(b), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(b->entityClosure(), (std::vector<NuskDomain*>{a, b}));
}

TEST(StoreTypes, SupertypesSetToLoopAreSealedWithoutEndlessWalks) {
    auto* s = new NuskSchema("store_test_supertype_loop");
    NuskDomain* a = s->addEntity("a", {});
    NuskDomain* b = s->addEntity("b", {});
    s->addAttribute(a, "x", NuskSchema::realDomain());
    s->setSupertypes(a, {b});
    s->setSupertypes(b, {a});
    s->seal();
    // Each closure lists the two entities once, and each slot once: no order is right for a loop, but none is
    // made up and the walk ends.
    for (NuskDomain* d : {a, b}) {
        std::vector<NuskDomain*> closure = d->entityClosure();
        std::sort(closure.begin(), closure.end());
        std::vector<NuskDomain*> both{a, b};
        std::sort(both.begin(), both.end());
        EXPECT_EQ(closure, both) << d->name();
        EXPECT_EQ(slotNames(d), std::vector<std::string>{"x"}) << d->name();
    }
    EXPECT_TRUE(a->typeIsa(b));
    EXPECT_TRUE(b->typeIsa(a));
}

TEST(StoreTypes, SubtypeGraph) {
    const TestSchema& t = TestSchema::get();
    EXPECT_TRUE(t.point->typeIsa(t.item));
    EXPECT_FALSE(t.item->typeIsa(t.point));
    EXPECT_TRUE(t.point->typeIsa(nusktype_NuskStructure.domain()));
    EXPECT_TRUE(t.unitSelect->typeIsa(nusktype_NuskObject.domain()));
    EXPECT_FALSE(t.unitSelect->typeIsa(nusktype_NuskStructure.domain()));
    EXPECT_TRUE(t.lengthMeasure->typeIsa(NuskSchema::realDomain()));
    ASSERT_EQ(t.group->typeSuperTypes()->size(), 1u);
    EXPECT_EQ(t.group->typeSuperTypes()->get(0), t.item);
    EXPECT_TRUE(t.point->typeIsEntity());
    EXPECT_TRUE(t.unitSelect->typeIsSelect());
    EXPECT_TRUE(t.pointCoords->valueDomain()->typeIsAggregate());
}

TEST(StoreTypes, ComplexDomainsAreFoundByTheirLeavesAndLaidOutAlphabetically) {
    const TestSchema& t = TestSchema::get();
    NuskDesign design("d", t.schema);
    NuskDomain* c = design.findComplexDomain({t.unit, t.siUnit, t.lengthUnit});
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c->name(), "length_unit_and_si_unit");
    EXPECT_EQ(design.findComplexDomain({t.lengthUnit, t.siUnit}), c);
    EXPECT_EQ(t.schema->findDomain("LENGTH_UNIT_AND_SI_UNIT"), c);
    // Partial records are written alphabetically: length_unit(), si_unit(prefix, kind), unit(dims).
    EXPECT_EQ(slotNames(c), (std::vector<std::string>{"prefix", "kind", "dims"}));
    EXPECT_TRUE(c->slotIsDerived(2));
    EXPECT_TRUE(c->typeIsa(t.unit) && c->typeIsa(t.lengthUnit) && c->typeIsa(t.siUnit));
    EXPECT_FALSE(c->typeIsa(t.timeUnit));
    ASSERT_EQ(c->typeSuperTypes()->size(), 2u);
    EXPECT_EQ(c->typeSuperTypes()->get(0), t.lengthUnit);
    // A single leaf is that type; a ONEOF pair is no type at all.
    EXPECT_EQ(design.findComplexDomain({t.unit, t.siUnit}), t.siUnit);
    EXPECT_EQ(design.findComplexDomain({t.lengthUnit, t.timeUnit}), nullptr);
    EXPECT_EQ(design.findComplexDomain(std::vector<NuskDomain*>{}), nullptr);
}

int gUnitsMade = 0;

/// A class of its own for combined units: counts what it makes, and makes plain entity instances.
NuskObject* makeCountedUnit(NuskDesign* design, NuskDomain* domain) {
    ++gUnitsMade;
    return TestSchema::get().point->factory()(design, domain);
}

TEST(StoreTypes, ClassesOfCombinedTypesFormTheirDomainOnFirstUse) {
    // A schema of its own: the shared test schema's combinations are formed by the other tests.
    auto* s = new NuskSchema("store_lazy_complex_schema");
    NuskDomain* unit = s->addEntity("unit", {});
    NuskDomain* lengthUnit = s->addEntity("length_unit", {unit});
    NuskDomain* timeUnit = s->addEntity("time_unit", {unit});
    NuskDomain* siUnit = s->addEntity("si_unit", {unit});
    s->setSupertypeConstraint(unit, NuskSupertypeExpr{NuskSupertypeExpr::Op::oneof, nullptr,
                                                      {{NuskSupertypeExpr::Op::entity, lengthUnit, {}},
                                                       {NuskSupertypeExpr::Op::entity, timeUnit, {}}}});
    s->seal();
    EXPECT_TRUE(s->registerComplexClass({siUnit, lengthUnit}, makeCountedUnit));
    EXPECT_TRUE(s->registerComplexClass({lengthUnit, timeUnit}, makeCountedUnit));  // checked when formed
    // Not a combination: one type, a type with its own supertype, a type of no schema of this one.
    EXPECT_FALSE(s->registerComplexClass({siUnit}, makeCountedUnit));
    EXPECT_FALSE(s->registerComplexClass({siUnit, unit}, makeCountedUnit));
    EXPECT_FALSE(s->registerComplexClass({siUnit, TestSchema::get().lengthUnit}, makeCountedUnit));
    EXPECT_FALSE(s->registerComplexClass({siUnit, lengthUnit}, nullptr));

    auto formed = [&] {
        size_t n = 0;
        for (NuskDomain* d : s->domainList()) n += d->kind() == NuskDomainKind::complex;
        return n;
    };
    EXPECT_EQ(formed(), 0u);
    NuskDomain* c = s->findDomain("LENGTH_UNIT_AND_SI_UNIT");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind(), NuskDomainKind::complex);
    EXPECT_EQ(formed(), 1u);
    EXPECT_EQ(s->findDomain("length_unit_and_si_unit"), c);
    EXPECT_EQ(s->complexDomainOf({lengthUnit, siUnit, unit}), c);
    // The registered class makes its instances.
    NuskDesign design("d", s);
    NuskObject* o = design.pnewInstance(c);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->domain(), c);
    EXPECT_EQ(gUnitsMade, 1);
    // The schema forbids the other pair: no domain, then or later.
    EXPECT_EQ(s->findDomain("length_unit_and_time_unit"), nullptr);
    EXPECT_EQ(s->complexDomainOf({timeUnit, lengthUnit}), nullptr);
    EXPECT_EQ(formed(), 1u);
}

TEST(StoreTypes, EnumerationRecords) {
    const TestSchema& t = TestSchema::get();
    ASSERT_NE(t.prefix->getVarInfo(1), nullptr);
    EXPECT_STREQ(t.prefix->getVarInfo(1)->name, "milli");
    EXPECT_EQ(t.prefix->getVarInfo("MICRO")->value, 2);
    EXPECT_EQ(t.prefix->getVarInfo(3), nullptr);
    EXPECT_EQ(t.prefix->getVarInfo(-1), nullptr);
    EXPECT_EQ(t.prefix->getVarInfo(""), nullptr);
    EXPECT_EQ(t.prefix->getVarInfo(static_cast<const char*>(nullptr)), nullptr);
}

TEST(StoreTypes, NodeTypesSeparateObjectsFromPlainValues) {
    const TestSchema& t = TestSchema::get();
    EXPECT_EQ(t.unitDims->slotNodeType(), nusk_node_entity);
    EXPECT_EQ(t.measureUnit->slotNodeType(), nusk_node_select);
    EXPECT_EQ(t.pointCoords->slotNodeType(), nusk_node_aggregate);
    EXPECT_LT(t.itemName->slotNodeType(), 18);
    EXPECT_LT(t.siPrefix->slotNodeType(), 18);
    EXPECT_LT(t.pointWeight->slotNodeType(), 18);
}

TEST(StoreTypes, AggregatesOfDefinedTypesShareThePrimitiveDomain) {
    const TestSchema& t = TestSchema::get();
    EXPECT_EQ(t.pointCoords->valueDomain(), nusk_domain_ListOfDouble());
    EXPECT_STREQ(nusk_domain_ListOfDouble()->name(), "ListOfDouble");
    NuskDomain* setOfItems = t.groupMembers->valueDomain();
    EXPECT_EQ(NuskSchema::aggregateOf(NuskAggregateKind::set, t.item), setOfItems);
    EXPECT_STREQ(setOfItems->name(), "SetOftst_item");  // named after the element's class, with the schema's prefix
    EXPECT_EQ(setOfItems->underlying(), t.item);
}

}  // namespace
