// The owners of properties and property representations, the property lists, and what property items hold.
#include "props_helpers.h"

#include "mivo_measures.h"
#include "mivo_units.h"

#include <map>
#include <vector>

namespace {

class PropertyOwners : public ::testing::Test, public PropsFixture {};

TEST_F(PropertyOwners, ThroughEachKindOfSelect) {
    stp_product_definition* pd = productDefinition();
    stp_product_definition_shape* shape = shapeOf(pd);
    stp_shape_aspect* hole = aspect("hole", shape);
    stp_general_property* general = generalProperty("colour");

    stp_property_definition* ofProduct = property("mass", pd);
    stp_property_definition* ofAspect = property("finish", hole);
    stp_property_definition* unset = property("orphan", nullptr);
    EXPECT_EQ(mivo_get_property_owner(ofProduct), pd);
    EXPECT_EQ(mivo_get_property_owner_as_pdef(ofProduct), pd);
    EXPECT_EQ(mivo_get_property_owner(ofAspect), hole);
    EXPECT_EQ(mivo_get_property_owner_as_pdef(ofAspect), nullptr);
    EXPECT_EQ(mivo_get_property_owner(unset), nullptr);
    EXPECT_EQ(mivo_get_property_owner(static_cast<stp_property_definition*>(shape)), pd);

    // A representation reaches the described object through the property it names, whatever its subtype: a
    // plain property, or the product_definition_shape of a shape_definition_representation.
    stp_property_definition_representation* ofProperty = representationOf(ofProduct, representation());
    stp_shape_definition_representation* ofShape = shapeRepresentationOf(shape);
    EXPECT_EQ(mivo_get_property_owner(ofProperty), pd);
    EXPECT_EQ(mivo_get_property_owner_as_pdef(ofProperty), pd);
    EXPECT_EQ(mivo_get_property_owner(ofShape), pd);
    EXPECT_EQ(mivo_get_property_owner_as_pdef(ofShape), pd);
    // A representation naming anything else has that object as its owner.
    stp_property_definition_representation* ofGeneral = representationOf(general, representation());
    stp_property_definition_representation* ofAspectDirectly = representationOf(hole, representation());
    EXPECT_EQ(mivo_get_property_owner(ofGeneral), general);
    EXPECT_EQ(mivo_get_property_owner_as_pdef(ofGeneral), nullptr);
    EXPECT_EQ(mivo_get_property_owner(ofAspectDirectly), hole);
    // The shape of a shape aspect describes the aspect, not a product definition.
    stp_product_definition_shape* aspectShape = shapeOf(hole);
    stp_shape_definition_representation* ofAspectShape = shapeRepresentationOf(aspectShape);
    EXPECT_EQ(mivo_get_property_owner(ofAspectShape), hole);
    EXPECT_EQ(mivo_get_property_owner_as_pdef(ofAspectShape), nullptr);
    // Empty selects, at either step.
    EXPECT_EQ(mivo_get_property_owner(representationOf(nullptr, representation())), nullptr);
    EXPECT_EQ(mivo_get_property_owner(representationOf(unset, representation())), nullptr);
    EXPECT_EQ(mivo_get_property_owner_as_pdef(representationOf(unset, representation())), nullptr);

    // The passes record the same links backwards (in cursor order: types by their first instance); the entries
    // come back as usable objects.
    mivo_tag_props(&design);
    EXPECT_EQ(listed<MivoMgrProperty>(pd), ids({shape, ofProduct}));
    EXPECT_STREQ(MivoMgrProperty::find(pd)->get(1)->name(), "mass");
    EXPECT_EQ(listed<MivoMgrProperty>(hole), ids({aspectShape, ofAspect}));
    EXPECT_EQ(listed<MivoMgrPropertyRep>(ofProduct), ids({ofProperty}));
    EXPECT_EQ(listed<MivoMgrPropertyRep>(shape), ids({ofShape}));
    EXPECT_EQ(MivoMgrPropertyRep::find(shape)->get_rep(0), ofShape->used_representation());
    EXPECT_EQ(listed<MivoMgrPropertyRep>(general), ids({ofGeneral}));
    EXPECT_EQ(listed<MivoMgrPropertyRep>(hole), ids({ofAspectDirectly}));
    // The property without an owner is recorded nowhere; its representations are recorded on it.
    for (NuskObject* obj : nusk_instances_of(&design, nusktype_NuskStructure)) {
        const MivoMgrProperty* m = MivoMgrProperty::find(obj);
        for (unsigned i = 0; m && i < m->size(); ++i) EXPECT_NE(m->get(i), unset);
    }
    EXPECT_EQ(MivoMgrPropertyRep::find(unset)->size(), 2u);
}

TEST_F(PropertyOwners, TheShapePropertySkipsPlainProperties) {
    stp_product_definition* pd = productDefinition();
    stp_product_definition* bare = productDefinition("bare");
    stp_product_definition* plainOnly = productDefinition("plain");
    property("mass", pd);
    property("colour", pd);
    property("colour", plainOnly);
    stp_product_definition_shape* first = shapeOf(pd);
    shapeOf(pd);
    EXPECT_EQ(mivo_get_shape_property(pd), nullptr);  // nothing recorded yet
    EXPECT_EQ(mivo_has_properties(pd), 0);

    mivo_tag_props(&design);
    EXPECT_EQ(MivoMgrProperty::find(pd)->size(), 4u);
    EXPECT_EQ(mivo_get_shape_property(pd), first);
    EXPECT_EQ(mivo_has_properties(pd), 1);
    EXPECT_EQ(mivo_get_shape_property(plainOnly), nullptr);
    EXPECT_EQ(mivo_has_properties(plainOnly), 1);
    EXPECT_EQ(mivo_get_shape_property(bare), nullptr);
    EXPECT_EQ(mivo_has_properties(bare), 0);
}

// ---- every pass run again ----

/// Every list of every manager class of the family, by object, as entity numbers.
std::map<std::string, std::string> allRecords(NuskDesign* design) {
    std::map<std::string, std::string> out;
    for (NuskObject* obj : nusk_instances_of(design, nusktype_NuskStructure)) {
        const std::string at = "#" + std::to_string(obj->entity_id()) + " ";
        const std::pair<const char*, std::string> lists[] = {
            {"property", listed<MivoMgrProperty>(obj)},     {"rep", listed<MivoMgrPropertyRep>(obj)},
            {"document", listed<MivoMgrDocumentRef>(obj)},  {"id", listed<MivoMgrExternalID>(obj)},
            {"aspect", listed<MivoMgrShapeAspect>(obj)}};
        for (const auto& l : lists)
            if (l.second != "-") out[at + l.first] = l.second;
        if (const MivoMgrRepExternalDef* def = MivoMgrRepExternalDef::find(obj))
            out[at + "file"] = std::to_string(def->doc_file->entity_id());
    }
    return out;
}

class PropertyPasses : public ::testing::Test, public PropsFixture {};

TEST_F(PropertyPasses, RunningAgainRefreshesInsteadOfDoubling) {
    stp_product_definition* pd = productDefinition();
    stp_product_definition_shape* shape = shapeOf(pd);
    shapeRepresentationOf(shape);
    stp_property_definition* mass = property("mass", pd);
    representationOf(mass, representation({text("m", "heavy")}));
    stp_shape_aspect* hole = aspect("hole", shape);
    stp_shape_aspect* slot = aspect("slot", shape);
    stp_document_file* file = documentFile("part.stp");
    reference(file, {pd, hole});
    externalId("PN-1", true, "erp", {pd, file});
    stp_representation* defined = representation();
    stp_property_definition* definition = externalDefinition(file, defined);

    tagAll();
    const std::map<std::string, std::string> once = allRecords(&design);
    EXPECT_EQ(once.size(), 11u);  // pd: property, aspect, document, id; hole: document; mass, shape: rep; ...
    tagAll();
    EXPECT_EQ(allRecords(&design), once);

    // After an edit, a run drops what no longer holds.
    hole->of_shape(nullptr);
    mass->definition(holding<stp_characterized_definition>(nullptr));
    definition->name("former definition");
    tagAll();
    EXPECT_EQ(listed<MivoMgrShapeAspect>(pd), ids({slot}));
    EXPECT_EQ(listed<MivoMgrProperty>(pd), ids({shape}));
    EXPECT_EQ(MivoMgrRepExternalDef::find(defined), nullptr);
}

// ---- what items hold ----

class PropertyItems : public ::testing::Test, public PropsFixture {};

TEST_F(PropertyItems, NumbersWithUnitsAndTexts) {
    stp_measure_representation_item* length = mivo_make_measure_item(&design, 25.4, nuskunit_mm);
    auto* count = new (&design) stp_integer_representation_item();
    count->the_value(7);
    auto* ratio = new (&design) stp_real_representation_item();
    ratio->the_value(0.25);
    auto* numeric = new (&design) stp_value_representation_item();
    auto* number = new (&design) stp_measure_value();
    number->_count_measure(3);
    numeric->value_component(number);
    auto* described = new (&design) stp_value_representation_item();
    auto* words = new (&design) stp_measure_value();
    words->_descriptive_measure("rough");
    described->value_component(words);
    stp_descriptive_representation_item* note = text("note", "deburr");
    auto* point = new (&design) stp_cartesian_point();

    EXPECT_DOUBLE_EQ(mivo_get_item_number(length, nuskunit_as_is), 25.4);
    EXPECT_DOUBLE_EQ(mivo_get_item_number(length, nuskunit_length_cb1), 1.0);  // converted through the unit
    EXPECT_EQ(mivo_get_item_number(length, nuskunit_rad), NUSK_NULL_REAL);
    EXPECT_DOUBLE_EQ(mivo_get_item_number(count, nuskunit_mm), 7.0);  // no unit: none to convert
    EXPECT_DOUBLE_EQ(mivo_get_item_number(ratio, nuskunit_as_is), 0.25);
    EXPECT_DOUBLE_EQ(mivo_get_item_number(numeric, nuskunit_as_is), 3.0);
    for (stp_representation_item* none : std::vector<stp_representation_item*>{described, note, point})
        EXPECT_EQ(mivo_get_item_number(none, nuskunit_as_is), NUSK_NULL_REAL);

    EXPECT_STREQ(mivo_get_item_text(note), "deburr");
    EXPECT_STREQ(mivo_get_item_text(described), "rough");
    for (stp_representation_item* none : std::vector<stp_representation_item*>{length, count, numeric, point})
        EXPECT_EQ(mivo_get_item_text(none), nullptr);
}

}  // namespace
