// The generated AP242 dictionary against the schema it was generated from.
#include "nusk/ap242/all.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Expected {
    const char* name;
    const char* owner;
    const char* type;
    bool optional;
    bool derived;
};

void expectSlots(const char* entity, const std::vector<Expected>& expected) {
    NuskDomain* d = nusk_ap242_schema()->findDomain(entity);
    ASSERT_NE(d, nullptr) << entity;
    const auto& slots = d->slotAttributes();
    ASSERT_EQ(slots.size(), expected.size()) << entity;
    for (size_t i = 0; i < slots.size(); ++i) {
        SCOPED_TRACE(std::string(entity) + " slot " + std::to_string(i));
        EXPECT_STREQ(slots[i]->name(), expected[i].name);
        EXPECT_STREQ(slots[i]->owner()->name(), expected[i].owner);
        EXPECT_STREQ(slots[i]->valueDomain()->name(), expected[i].type);
        EXPECT_EQ(slots[i]->isOptional(), expected[i].optional);
        EXPECT_EQ(d->slotIsDerived(static_cast<unsigned>(i)), expected[i].derived);
    }
}

TEST(Ap242Dictionary, CountsMatchTheSchema) {
    NuskSchema* s = nusk_ap242_schema();
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->name(), "ap242_managed_model_based_3d_engineering_mim_lf");
    int entities = 0, selects = 0, enumerations = 0, defined = 0;
    for (NuskDomain* d : s->domains()) {
        entities += d->kind() == NuskDomainKind::entity;
        selects += d->kind() == NuskDomainKind::select;
        enumerations += d->kind() == NuskDomainKind::enumeration;
        defined += d->kind() == NuskDomainKind::defined_type;
    }
    EXPECT_EQ(entities, 2407);
    EXPECT_EQ(selects, 325);
    EXPECT_EQ(enumerations, 76);
    EXPECT_EQ(defined, 127);
    EXPECT_EQ(NuskSchema::defaultSchema(), s);
}

TEST(Ap242Dictionary, EveryTypeIsFoundByItsNameInAnyCase) {
    NuskSchema* s = nusk_ap242_schema();
    int checked = 0;
    for (NuskDomain* d : s->domainList()) {
        if (d->kind() == NuskDomainKind::complex) continue;  // found by their types, not by a name of their own
        std::string upper = d->name(), mixed = d->name();
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (size_t i = 0; i < mixed.size(); i += 2)
            mixed[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(mixed[i])));
        // Aggregates of strings and of binaries share a name: the name finds one of them.
        auto sameType = [d](const NuskDomain* found) {
            return d->kind() == NuskDomainKind::aggregate ? found && std::strcmp(found->name(), d->name()) == 0
                                                          : found == d;
        };
        EXPECT_TRUE(sameType(s->findDomain(d->name()))) << d->name();
        EXPECT_TRUE(sameType(s->findDomain(upper.c_str()))) << upper;
        EXPECT_TRUE(sameType(s->findDomain(mixed.c_str()))) << mixed;
        ++checked;
    }
    EXPECT_GT(checked, 2900);
    // The store's own types, whose names have capitals, are found in any case too.
    NuskDomain* reals = NuskSchema::aggregateOf(NuskAggregateKind::list, NuskSchema::realDomain());
    ASSERT_NE(reals, nullptr);
    EXPECT_EQ(s->findDomain("LISTOFDOUBLE"), reals);
    EXPECT_EQ(s->findDomain(reals->name()), reals);
}

TEST(Ap242Dictionary, AnEntityIsOfExactlyTheTypesOfItsClosure) {
    // Over the whole hierarchy, multiple inheritance included: "is a" answers from the closure, entity by entity.
    std::vector<NuskDomain*> entities;
    for (NuskDomain* d : nusk_ap242_schema()->domainList())
        if (d->kind() == NuskDomainKind::entity) entities.push_back(d);
    ASSERT_EQ(entities.size(), 2407u);
    size_t wrong = 0, multiple = 0;
    for (NuskDomain* d : entities) {
        const std::vector<NuskDomain*>& closure = d->entityClosure();
        multiple += d->superTypes().size() > 1;
        for (NuskDomain* other : entities) {
            const bool inClosure = std::find(closure.begin(), closure.end(), other) != closure.end();
            if (d->typeIsa(other) != inClosure && ++wrong <= 5)
                ADD_FAILURE() << d->name() << (inClosure ? " is not taken for " : " is taken for ") << other->name();
        }
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(multiple, 50u);  // the hierarchy does exercise several supertypes
}

TEST(Ap242Dictionary, SampleEntitiesAttributeByAttribute) {
    expectSlots("representation_relationship_with_transformation",
                {{"name", "representation_relationship", "label", false, false},
                 {"description", "representation_relationship", "text", true, false},
                 {"rep_1", "representation_relationship", "representation_or_representation_reference", false, false},
                 {"rep_2", "representation_relationship", "representation_or_representation_reference", false, false},
                 {"transformation_operator", "representation_relationship_with_transformation", "transformation",
                  false, false}});
    expectSlots("datum_reference_compartment",
                {{"name", "shape_aspect", "label", false, false},
                 {"description", "shape_aspect", "text", true, false},
                 {"of_shape", "shape_aspect", "product_definition_shape", false, false},
                 {"product_definitional", "shape_aspect", "LOGICAL", false, false},
                 {"base", "general_datum_reference", "datum_or_common_datum", false, false},
                 {"modifiers", "general_datum_reference", "SetOfstp_datum_reference_modifier", true, false}});
    expectSlots("conversion_based_unit", {{"dimensions", "named_unit", "dimensional_exponents", false, false},
                                          {"name", "conversion_based_unit", "label", false, false},
                                          {"conversion_factor", "conversion_based_unit", "measure_with_unit", false,
                                           false}});
    expectSlots("cartesian_transformation_operator_3d",
                {{"name", "representation_item", "label", false, false},
                 {"name", "functionally_defined_transformation", "label", false, false},
                 {"description", "functionally_defined_transformation", "text", true, false},
                 {"axis1", "cartesian_transformation_operator", "direction", true, false},
                 {"axis2", "cartesian_transformation_operator", "direction", true, false},
                 {"local_origin", "cartesian_transformation_operator", "cartesian_point", false, false},
                 {"scale", "cartesian_transformation_operator", "REAL", true, false},
                 {"axis3", "cartesian_transformation_operator_3d", "direction", true, false}});
    // A derived redeclaration keeps the slot and writes it as `*`.
    expectSlots("si_unit", {{"dimensions", "named_unit", "dimensional_exponents", false, true},
                            {"prefix", "si_unit", "si_prefix", true, false},
                            {"name", "si_unit", "si_unit_name", false, false}});
    EXPECT_EQ(nusk_ap242_schema()->findDomain("general_datum_reference")->findTypeAttribute("modifiers")->minElements(), 1u);
}

TEST(Ap242Dictionary, AggregatesKeepTheDeclaredTypeOfTheirElements) {
    // An aggregate domain holds the primitive a defined type is stored as (every list of reals is
    // ListOfDouble); the attribute keeps the type the schema declares for the elements.
    auto element = [](const char* entity, const char* attribute) -> std::string {
        NuskDomain* d = nusk_ap242_schema()->findDomain(entity);
        const NuskAttribute* att = d ? d->findTypeAttribute(attribute) : nullptr;
        const NuskDomain* e = att ? att->declaredElementDomain() : nullptr;
        return att ? (e ? e->name() : "(not an aggregate)") : "(no attribute)";
    };
    EXPECT_EQ(element("cartesian_point", "coordinates"), "length_measure");
    EXPECT_EQ(element("b_spline_curve_with_knots", "knots"), "parameter_value");
    EXPECT_EQ(element("b_spline_curve_with_knots", "knot_multiplicities"), "INTEGER");
    EXPECT_EQ(element("b_spline_curve", "control_points_list"), "cartesian_point");
    EXPECT_EQ(element("b_spline_surface", "control_points_list"), "cartesian_point");  // a list of lists
    EXPECT_EQ(element("coordinates_list", "position_coords"), "REAL");                  // as the schema says
    EXPECT_EQ(element("circle", "radius"), "(not an aggregate)");
    EXPECT_STREQ(nusk_ap242_schema()->findDomain("cartesian_point")->findTypeAttribute("coordinates")->valueDomain()->name(),
                 "ListOfDouble");
}

TEST(Ap242Dictionary, EnumerationsKeepSchemaOrder) {
    const NuskVarInfo* milli = nusktype_stp_si_unit->findTypeAttribute("prefix")->valueDomain()->getVarInfo(10);
    ASSERT_NE(milli, nullptr);
    EXPECT_STREQ(milli->name, "milli");
    EXPECT_EQ(stp_si_prefix_milli, 10);
    EXPECT_EQ(stp_si_unit_name_metre, 0);
    EXPECT_EQ(stp_si_unit_name_sievert, 27);
    NuskTypePtr limitCondition(&nusk_ap242_schema, "limit_condition");
    const NuskVarInfo* rfs = NuskDomain::getVarInfo("REGARDLESS_OF_FEATURE_SIZE", limitCondition);
    ASSERT_NE(rfs, nullptr);
    EXPECT_EQ(rfs->value, 2);
}

TEST(Ap242Classes, TypedAccessAndSelects) {
    NuskDesign design("classes", nusk_ap242_schema());
    auto* mm = new (&design) stp_length_unit_and_si_unit();
    mm->prefix(stp_si_prefix_milli);
    mm->name(stp_si_unit_name_metre);
    EXPECT_EQ(mm->prefix(), stp_si_prefix_milli);
    EXPECT_TRUE(mm->isa(nusktype_stp_named_unit));
    EXPECT_NE(nusk_cast(mm, nusktype_stp_length_unit), nullptr);
    EXPECT_EQ(nusk_cast(static_cast<NuskObject*>(mm), nusktype_stp_conversion_based_unit), nullptr);

    auto* unit = new (&design) stp_unit();
    unit->_named_unit(mm);
    EXPECT_TRUE(unit->is_named_unit());
    EXPECT_FALSE(unit->is_derived_unit());
    EXPECT_EQ(unit->_named_unit(), mm);
    EXPECT_EQ(unit->_derived_unit(), nullptr);
    EXPECT_EQ(nusk_get_nested_object(unit), static_cast<NuskObject*>(mm));

    auto* value = new (&design) stp_measure_value();
    value->_length_measure(25.4);
    EXPECT_TRUE(value->is_length_measure());
    EXPECT_FALSE(value->is_plane_angle_measure());
    EXPECT_EQ(value->_length_measure(), 25.4);
    EXPECT_EQ(value->_plane_angle_measure(), NUSK_NULL_REAL);
    EXPECT_EQ(value->getDouble(0), 25.4);

    auto* cb = new (&design) stp_conversion_based_unit();
    cb->name("inch");
    EXPECT_STREQ(cb->getString("name"), "inch");
    EXPECT_EQ(cb->conversion_factor(), nullptr);  // every attribute starts unset

    NuskDesign* none = nullptr;
    EXPECT_EQ(new (none) stp_si_unit(), nullptr);  // no design, no instance, no crash

    // The two names of a transformation operator are reached through their own classes.
    auto* op = new (&design) stp_cartesian_transformation_operator_3d();
    op->stp_representation_item::name("item");
    op->stp_functionally_defined_transformation::name("");
    EXPECT_STREQ(op->getString(0), "item");
    EXPECT_STREQ(op->getString(1), "");
    EXPECT_EQ(op->scale(), NUSK_NULL_REAL);
}

TEST(Ap242Classes, DatumReferencesAndSystemsHaveTheirAggregatesWhenAsked) {
    NuskDesign design("datums", nusk_ap242_schema());
    auto* compartment = new (&design) stp_datum_reference_compartment();
    EXPECT_EQ(compartment->getObject("modifiers"), nullptr);  // nothing is made until it is asked for
    SetOfstp_datum_reference_modifier* modifiers = compartment->modifiers();
    ASSERT_NE(modifiers, nullptr);
    EXPECT_EQ(modifiers->size(), 0u);
    EXPECT_EQ(compartment->modifiers(), modifiers);
    auto* system = new (&design) stp_datum_system();
    ASSERT_NE(system->constituents(), nullptr);
    EXPECT_TRUE(system->constituents()->isa(nusktype_ListOfstp_datum_reference_compartment));
}

TEST(Ap242Classes, OtherCombinationsAreMadeAsTheirBestFittingClass) {
    NuskDesign design("tolerances", nusk_ap242_schema());
    NuskSchema* schema = nusk_ap242_schema();
    // A combination with a generated class gets it.
    NuskDomain* generated = design.findComplexDomain(
        {nusktype_stp_geometric_tolerance.domain(), nusktype_stp_position_tolerance.domain(),
         nusktype_stp_geometric_tolerance_with_datum_reference.domain()});
    ASSERT_NE(generated, nullptr);
    EXPECT_STREQ(generated->name(), "geometric_tolerance_with_datum_reference_and_position_tolerance");
    NuskObject* a = design.pnewInstance(generated);
    EXPECT_NE(nusk_cast(a, nusktype_stp_position_tolerance), nullptr);
    EXPECT_NE(nusk_cast(a, nusktype_stp_geometric_tolerance_with_datum_reference), nullptr);
    // Four aspects at once have no class of their own: the instance is made as the class that covers most.
    NuskDomain* wide = design.findComplexDomain(
        {nusktype_stp_position_tolerance.domain(), nusktype_stp_geometric_tolerance_with_datum_reference.domain(),
         nusktype_stp_geometric_tolerance_with_modifiers.domain(),
         nusktype_stp_geometric_tolerance_with_defined_unit.domain(),
         schema->findDomain("unequally_disposed_geometric_tolerance")});
    ASSERT_NE(wide, nullptr);
    NuskObject* b = design.pnewInstance(wide);
    ASSERT_NE(b, nullptr);
    for (const char* type : {"position_tolerance", "geometric_tolerance_with_datum_reference",
                             "geometric_tolerance_with_modifiers", "unequally_disposed_geometric_tolerance"})
        EXPECT_TRUE(b->isa(schema->findDomain(type))) << type;
    EXPECT_NE(nusk_cast(b, nusktype_stp_position_tolerance), nullptr);
    EXPECT_EQ(nusk_cast(b, nusktype_stp_unequally_disposed_geometric_tolerance), nullptr);  // class lacks it
    EXPECT_EQ(b->putInteger(-1, "area_type"), 0);  // not an attribute of this combination
    EXPECT_NE(b->getAttribute("displacement"), nullptr);  // late-bound access reaches every type's attributes
    // ONEOF kinds cannot be combined.
    EXPECT_EQ(design.findComplexDomain({nusktype_stp_position_tolerance.domain(),
                                        nusktype_stp_flatness_tolerance.domain()}),
              nullptr);
}

}  // namespace
