// Properties, shape aspects and document references of the NIST test files, as their text states them.
#include "props_helpers.h"

#include "mivo_units.h"

#include "nusk/part21.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace {

/// The NIST file of that name, read and tagged by every pass of the family; null when it is absent.
std::unique_ptr<NuskDesign> tagged(const std::string& name) {
    nusk_ap242_schema();
    const std::string path = std::string(MIVO_DATA_DIR) + "/nist/" + name;
    std::unique_ptr<NuskDesign> design(nusk_read_step(path.c_str()).design);
    if (!design) return design;
    mivo_tag_units(design.get());
    mivo_tag_props(design.get());
    MivoMgrDocumentRef::tag_design(design.get());
    MivoMgrExternalID::tag_design(design.get());
    MivoMgrRepExternalDef::tag_design(design.get());
    MivoMgrShapeAspect::tag_design(design.get());
    return design;
}

#define SKIP_WITHOUT(design, name) \
    if (!(design)) GTEST_SKIP() << "no test data at " << MIVO_DATA_DIR << "/nist/" << (name)

TEST(PropsRealFiles, TheFirstComplexTestCase) {
    const char* name = "nist_ctc_01_asme1_ap242-e1.stp";
    std::unique_ptr<NuskDesign> design = tagged(name);
    SKIP_WITHOUT(design, name);
    NuskObject* pd = design->findEntity(4368);       // PRODUCT_DEFINITION('design','',#4369,#4367)
    NuskObject* shape = design->findEntity(4269);    // its PRODUCT_DEFINITION_SHAPE
    ASSERT_NE(pd, nullptr);

    // #4331 to #4334 name #4368; the shape #4269 is a property of it too.
    EXPECT_EQ(listed<MivoMgrProperty>(pd), "#4269 #4331 #4332 #4333 #4334");
    EXPECT_EQ(mivo_get_shape_property(pd), design->findEntity(4269));
    const MivoMgrProperty* properties = MivoMgrProperty::find(pd);
    EXPECT_STREQ(properties->get(1)->name(), "Modeled By");
    // 'Modeled By' is represented by #4316, whose one item #4346 is the text 'Engineer'.
    const MivoMgrPropertyRep* modeledBy = MivoMgrPropertyRep::find(properties->get(1));
    ASSERT_NE(modeledBy, nullptr);
    ASSERT_EQ(modeledBy->size(), 1u);
    EXPECT_EQ(modeledBy->get_rep(0)->entity_id(), 4316u);
    auto* engineer = nusk_cast<stp_representation_item>(modeledBy->get_rep(0)->items()->getObject(0));
    EXPECT_STREQ(mivo_get_item_text(engineer), "Engineer");

    // The volume of the part is a property of its shape: #4335 'geometric validation property', represented by
    // #4320, whose first item #635 is VOLUME_MEASURE(14644822.6361138).
    EXPECT_EQ(listed<MivoMgrProperty>(shape), "#4335 #4345");
    EXPECT_EQ(listed<MivoMgrPropertyRep>(design->findEntity(4335)), "#4305");
    auto* volume = nusk_cast<stp_representation_item>(design->findEntity(635));
    EXPECT_DOUBLE_EQ(mivo_get_item_number(volume, nuskunit_as_is), 14644822.6361138);
    EXPECT_EQ(mivo_get_item_number(nusk_cast<stp_representation_item>(design->findEntity(4282)), nuskunit_as_is),
              23.0);  // INTEGER_REPRESENTATION_ITEM('number of annotations',23.)

    // Every one of the 82 shape aspects of the file (51 SHAPE_ASPECT, 18 COMPOSITE_SHAPE_ASPECT, 4
    // DATUM_REFERENCE_COMPARTMENT, 3 DATUM, 3 DATUM_FEATURE, 2 DATUM_SYSTEM, 1 ALL_AROUND_SHAPE_ASPECT) is of
    // the one shape #4269, so all are recorded on #4368; #316 is SHAPE_ASPECT('','NOTE',#4269,.F.), described
    // 'NOTE'.
    const MivoMgrShapeAspect* aspects = MivoMgrShapeAspect::find(pd);
    ASSERT_NE(aspects, nullptr);
    EXPECT_EQ(aspects->size(), 82u);
    const stp_shape_aspect* note = nullptr;
    for (unsigned i = 0; i < aspects->size(); ++i)
        if (aspects->get(i)->entity_id() == 316) note = aspects->get(i);
    ASSERT_NE(note, nullptr);
    EXPECT_STREQ(note->description(), "NOTE");
    // No document references, identifications or document files in this file.
    EXPECT_EQ(MivoMgrDocumentRef::find(pd), nullptr);
    EXPECT_EQ(MivoMgrExternalID::find(pd), nullptr);
}

TEST(PropsRealFiles, StandardsReferencedAsPlainDocuments) {
    const char* name = "nist_stc_07_asme1_ap242-e3.stp";
    std::unique_ptr<NuskDesign> design = tagged(name);
    SKIP_WITHOUT(design, name);
    // #13928, #13939, #13950, #13961 = APPLIED_DOCUMENT_REFERENCE(<DOCUMENT>,'',(#13917)): four standards named
    // on the product definition context #13917; their documents are plain documents, which name no file.
    NuskObject* context = design->findEntity(13917);
    EXPECT_EQ(listed<MivoMgrDocumentRef>(context), "#13928 #13939 #13950 #13961");
    const MivoMgrDocumentRef* refs = MivoMgrDocumentRef::find(context);
    ASSERT_NE(refs, nullptr);
    for (unsigned i = 0; i < refs->size(); ++i) EXPECT_EQ(mivo_get_reference_filename(refs->get(i)), nullptr);
    // #13911 'pmi validation property' of the product definition #10, represented by #13910 with two counts.
    EXPECT_EQ(listed<MivoMgrPropertyRep>(design->findEntity(13911)), "#13912");
    EXPECT_EQ(mivo_get_item_number(nusk_cast<stp_representation_item>(design->findEntity(13913)), nuskunit_as_is),
              42.0);
}

TEST(PropsRealFiles, EveryFileTagsTheSameTwice) {
    std::vector<std::string> names;
    if (std::filesystem::is_directory(std::string(MIVO_DATA_DIR) + "/nist"))
        for (const auto& e : std::filesystem::directory_iterator(std::string(MIVO_DATA_DIR) + "/nist"))
            if (e.path().extension() == ".stp") names.push_back(e.path().filename().string());
    if (names.empty()) GTEST_SKIP() << "no test data at " << MIVO_DATA_DIR << "/nist";
    for (const std::string& name : names) {
        std::unique_ptr<NuskDesign> design = tagged(name);
        ASSERT_TRUE(design) << name;
        // Every property with a described object is on exactly one list, once; so is every shape aspect.
        size_t described = 0, recorded = 0, aspects = 0, recordedAspects = 0;
        for (NuskObject* p : nusk_instances_of(design.get(), nusktype_stp_property_definition))
            described += mivo_get_property_owner(nusk_cast<stp_property_definition>(p)) ? 1 : 0;
        for (NuskObject* a : nusk_instances_of(design.get(), nusktype_stp_shape_aspect)) {
            auto* shape = nusk_cast<stp_shape_aspect>(a)->of_shape();
            aspects += shape && mivo_get_property_owner(shape) ? 1 : 0;
        }
        auto count = [&] {
            recorded = recordedAspects = 0;
            for (NuskObject* obj : nusk_instances_of(design.get(), nusktype_NuskStructure)) {
                if (const MivoMgrProperty* m = MivoMgrProperty::find(obj)) recorded += m->size();
                if (const MivoMgrShapeAspect* m = MivoMgrShapeAspect::find(obj)) recordedAspects += m->size();
            }
        };
        count();
        EXPECT_EQ(recorded, described) << name;
        EXPECT_EQ(recordedAspects, aspects) << name;
        EXPECT_GT(aspects, 0u) << name;
        mivo_tag_props(design.get());
        MivoMgrShapeAspect::tag_design(design.get());
        count();
        EXPECT_EQ(recorded, described) << name;
        EXPECT_EQ(recordedAspects, aspects) << name;
    }
}

}  // namespace
