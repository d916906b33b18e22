// Document references (identifications are recorded by the same walk over items), the file names of document
// files, and the representations that document files define externally.
#include "props_helpers.h"

namespace {

class DocumentRefs : public ::testing::Test, public PropsFixture {};

TEST_F(DocumentRefs, EveryItemWithAValueIsRecordedInOrder) {
    stp_product_definition* pd = productDefinition();
    stp_general_property* general = generalProperty("colour");
    stp_document_file* drawing = documentFile("drawing.pdf");
    stp_document* standard = document("ISO 1101");
    // An empty select among the items is skipped; the items after it are still recorded.
    stp_applied_document_reference* first = reference(drawing, {pd, nullptr, general});
    stp_applied_document_reference* second = reference(standard, {pd});
    stp_applied_document_reference* empty = reference(standard, {nullptr});
    MivoMgrDocumentRef::tag_design(&design);

    EXPECT_EQ(listed<MivoMgrDocumentRef>(pd), ids({first, second}));
    EXPECT_EQ(listed<MivoMgrDocumentRef>(general), ids({first}));
    EXPECT_EQ(listed<MivoMgrDocumentRef>(drawing), "-");  // the document itself is not an item
    for (NuskObject* obj : nusk_instances_of(&design, nusktype_NuskStructure)) {
        const MivoMgrDocumentRef* m = MivoMgrDocumentRef::find(obj);
        for (unsigned i = 0; m && i < m->size(); ++i) EXPECT_NE(m->get(i), empty);
    }
    // A reference names a file only when its document is a document file.
    EXPECT_STREQ(mivo_get_reference_filename(first), "drawing.pdf");
    EXPECT_EQ(mivo_get_reference_filename(second), nullptr);
}

// ---- file names ----

class ExternalFilenames : public ::testing::Test, public PropsFixture {
protected:
    /// The file name of a document file identified by one assignment made with these arguments.
    std::string nameThrough(bool hasSource, const char* sourceId, const char* assigned = "assigned.stp") {
        stp_document_file* file = documentFile("own.stp");
        externalId(assigned, hasSource, sourceId, {file});
        MivoMgrExternalID::tag_design(&design);
        const char* name = mivo_get_external_filename(file);
        return name ? name : "(null)";
    }
};

TEST_F(ExternalFilenames, TheSourceIdThenTheAssignedIdThenTheDocumentId) {
    EXPECT_EQ(nameThrough(true, "from/source.stp"), "from/source.stp");
    EXPECT_EQ(nameThrough(true, nullptr), "assigned.stp");  // a source whose id holds nothing
    EXPECT_EQ(nameThrough(false, nullptr), "assigned.stp");
    EXPECT_EQ(nameThrough(true, nullptr, nullptr), "(null)");  // an assignment without id names nothing

    // A source id given as a message is text as well.
    stp_document_file* file = documentFile("own.stp");
    stp_applied_external_identification_assignment* a = externalId("assigned.stp", true, nullptr, {file});
    a->source()->source_id()->_message("message.stp");
    MivoMgrExternalID::tag_design(&design);
    EXPECT_STREQ(mivo_get_external_filename(file), "message.stp");
}

TEST_F(ExternalFilenames, WithoutIdentificationsTheDocumentsOwnId) {
    stp_document_file* file = documentFile("own.stp");
    externalId("assigned.stp", true, "source.stp", {file});
    EXPECT_STREQ(mivo_get_external_filename(file), "own.stp");  // the identification pass has not run
    MivoMgrExternalID::tag_design(&design);
    EXPECT_STREQ(mivo_get_external_filename(file), "source.stp");

    stp_document_file* unnamed = documentFile("other.stp");
    EXPECT_STREQ(mivo_get_external_filename(unnamed), "other.stp");
    // A manager without entries (the pass leaves none, an application might) counts as none.
    unnamed->add_manager(new MivoMgrExternalID());
    EXPECT_STREQ(mivo_get_external_filename(unnamed), "other.stp");
    EXPECT_EQ(mivo_get_external_filename(nullptr), nullptr);
}

TEST_F(ExternalFilenames, TwoAssignmentsUseTheFirstAndSaySoOnEveryCall) {
    stp_document_file* file = documentFile("own.stp");
    externalId("first.stp", false, nullptr, {file});
    externalId("second.stp", false, nullptr, {file});
    MivoMgrExternalID::tag_design(&design);
    const std::string line = "ERROR: doc #" + std::to_string(file->entity_id()) + " has multiple id assignments\n";
    for (int call = 0; call < 2; ++call) {
        testing::internal::CaptureStdout();
        const char* name = mivo_get_external_filename(file);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), line);
        EXPECT_STREQ(name, "first.stp");
    }
}

// ---- external definitions ----

class ExternalDefinitions : public ::testing::Test, public PropsFixture {};

TEST_F(ExternalDefinitions, EachRepresentationKeepsTheFirstFile) {
    stp_representation* shared = representation();
    stp_representation* own = representation();
    stp_document_file* first = documentFile("a.stp");
    stp_document_file* second = documentFile("b.stp");
    externalDefinition(first, shared);
    externalDefinition(second, shared);
    externalDefinition(second, own);
    externalDefinition(second, own);  // the same file twice: no conflict
    mivo_tag_props(&design);

    testing::internal::CaptureStdout();
    MivoMgrRepExternalDef::tag_design(&design);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR: rep #" + std::to_string(shared->entity_id()) + " has multiple external defs #" +
                  std::to_string(first->entity_id()) + " and #" + std::to_string(second->entity_id()) + "\n");
    ASSERT_NE(MivoMgrRepExternalDef::find(shared), nullptr);
    EXPECT_EQ(MivoMgrRepExternalDef::find(shared)->doc_file, first);
    ASSERT_NE(MivoMgrRepExternalDef::find(own), nullptr);
    EXPECT_EQ(MivoMgrRepExternalDef::find(own)->doc_file, second);
}

TEST_F(ExternalDefinitions, OnlyThePropertyOfThatExactNameWithRepresentations) {
    stp_representation* otherCase = representation();
    stp_representation* otherName = representation();
    stp_document_file* file = documentFile("a.stp");
    externalDefinition(file, otherCase, "External Definition");
    externalDefinition(file, otherName, "external definitions");
    externalDefinition(file, nullptr);  // no representation, hence no representation manager
    property(nullptr, file);            // no name
    stp_representation* defined = representation();
    externalDefinition(file, defined);

    MivoMgrRepExternalDef::tag_design(&design);  // before the property pass: nothing to go by
    EXPECT_EQ(MivoMgrRepExternalDef::find(defined), nullptr);
    mivo_tag_props(&design);
    MivoMgrRepExternalDef::tag_design(&design);
    EXPECT_EQ(MivoMgrRepExternalDef::find(otherCase), nullptr);
    EXPECT_EQ(MivoMgrRepExternalDef::find(otherName), nullptr);
    ASSERT_NE(MivoMgrRepExternalDef::find(defined), nullptr);
    EXPECT_EQ(MivoMgrRepExternalDef::find(defined)->doc_file, file);
}

}  // namespace
