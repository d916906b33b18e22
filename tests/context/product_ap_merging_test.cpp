// Merging application contexts, protocol definitions and application context elements made by hand.
#include "context_helpers.h"

#include <gtest/gtest.h>

namespace {

class ProductContextMerging : public ::testing::Test, public ContextFixture {
protected:
    stp_application_context* application = new (&design) stp_application_context();

    template <class T>
    T* element(const char* name = "part definition") {
        T* e = new (&design) T();
        e->name(name);
        e->frame_of_reference(application);
        return e;
    }
    stp_product_definition_context* definitionContext(const char* stage) {
        auto* c = element<stp_product_definition_context>();
        if (stage) c->life_cycle_stage(stage);
        return c;
    }
};

TEST_F(ProductContextMerging, StagesDifferingInCaseMergeIntoTheLowestInstanceNumber) {
    stp_product_definition_context* first = definitionContext("design");
    stp_product_definition_context* other = definitionContext("manufacturing");
    stp_product_definition_context* second = definitionContext("DESIGN");
    stp_product_definition_context* third = definitionContext("Design");
    ASSERT_LT(first->entity_id(), second->entity_id());
    EXPECT_EQ(mivo_merge_product_contexts(&design), 2u);
    EXPECT_EQ(first->design(), &design);
    EXPECT_EQ(nusk_expand_substitutes(second), first);
    EXPECT_EQ(nusk_expand_substitutes(third), first);
    EXPECT_EQ(second->design(), nusk_trash());
    EXPECT_EQ(other->design(), &design);
    EXPECT_EQ(mivo_merge_product_contexts(&design), 0u);
}

TEST_F(ProductContextMerging, DifferentTypesAndDifferentTextsStayApart) {
    auto* product = element<stp_product_context>();
    product->discipline_type("mechanical");
    auto* mechanical = element<stp_mechanical_context>();  // a subtype, the same discipline
    mechanical->discipline_type("mechanical");
    auto* electrical = element<stp_product_context>();
    electrical->discipline_type("electrical");
    stp_product_definition_context* definition = definitionContext("design");
    auto* designContext = element<stp_design_context>();  // a subtype, the same stage
    designContext->life_cycle_stage("design");
    auto* concept1 = element<stp_product_concept_context>();
    concept1->market_segment_type("aerospace");
    auto* concept2 = element<stp_product_concept_context>();
    concept2->market_segment_type("automotive");
    EXPECT_EQ(mivo_merge_product_contexts(&design), 0u);
    for (NuskObject* e : std::initializer_list<NuskObject*>{product, mechanical, electrical, definition, designContext,
                                                             concept1, concept2})
        EXPECT_EQ(e->design(), &design) << e->domain()->name();
}

TEST_F(ProductContextMerging, ElementsCarryingMoreThanTheComparedTextsNeverMerge) {
    // Items, a language or an identification context would be lost to one of the two: a French definition's
    // context said English after a merge.
    auto* a = element<stp_instance_usage_context_assignment>();
    a->life_cycle_stage("design");
    auto* b = element<stp_instance_usage_context_assignment>();
    b->life_cycle_stage("design");
    auto* english = new (&design) stp_language();
    english->name("eng");
    auto* french = new (&design) stp_language();
    french->name("fra");
    auto* inEnglish = element<stp_language_dependent_product_definition_exchange_context>();
    inEnglish->life_cycle_stage("design");
    inEnglish->language(english);
    auto* inFrench = element<stp_language_dependent_product_definition_exchange_context>();
    inFrench->life_cycle_stage("design");
    inFrench->language(french);
    auto* alsoInEnglish = element<stp_language_dependent_product_definition_exchange_context>();
    alsoInEnglish->life_cycle_stage("design");
    alsoInEnglish->language(english);
    EXPECT_EQ(mivo_merge_product_contexts(&design), 0u);
    for (NuskObject* e : std::initializer_list<NuskObject*>{a, b, inEnglish, inFrench, alsoInEnglish})
        EXPECT_EQ(e->design(), &design) << e->entity_id();
    EXPECT_EQ(inFrench->language(), french);
}

TEST_F(ProductContextMerging, UnsetTextsMatchOnlyUnsetTexts) {
    stp_product_definition_context* unset = definitionContext(nullptr);
    stp_product_definition_context* empty = definitionContext("");
    stp_product_definition_context* unsetToo = definitionContext(nullptr);
    EXPECT_EQ(mivo_merge_product_contexts(&design), 1u);
    EXPECT_EQ(nusk_expand_substitutes(unsetToo), unset);
    EXPECT_EQ(empty->design(), &design);
}

class ApContextMerging : public ::testing::Test, public ContextFixture {
protected:
    stp_application_context* context(const char* text) {
        auto* c = new (&design) stp_application_context();
        c->application(text);
        return c;
    }
    stp_application_protocol_definition* definition(const char* schema, int year, stp_application_context* c) {
        auto* d = new (&design) stp_application_protocol_definition();
        d->status("international standard");
        d->application_interpreted_model_schema_name(schema);
        d->application_protocol_year(year);
        d->application(c);
        return d;
    }
};

TEST_F(ApContextMerging, EveryDefinitionMergesIntoTheFirstAndEveryContextIntoTheOneItNames) {
    EXPECT_EQ(mivo_get_ap_context(&design), nullptr);
    stp_application_context* first = context("mechanical design");
    stp_application_context* named = context("core data for automotive mechanical design processes");
    stp_application_protocol_definition* kept = definition("ap242_managed_model_based_3d_engineering", 2014, named);
    stp_application_protocol_definition* other = definition("automotive_design", 2001, first);
    EXPECT_EQ(mivo_get_ap_context(&design), first);
    EXPECT_EQ(mivo_make_ap_context(&design), nullptr);

    EXPECT_EQ(mivo_merge_ap_contexts(&design), 2u);
    EXPECT_EQ(nusk_expand_substitutes(other), kept);
    EXPECT_EQ(nusk_expand_substitutes(first), named);
    EXPECT_EQ(kept->application(), named);
    EXPECT_EQ(mivo_get_ap_context(&design), named);
    EXPECT_EQ(mivo_merge_ap_contexts(&design), 0u);
}

TEST_F(ApContextMerging, WithoutDefinitionTheFirstContextSurvives) {
    stp_application_context* first = context("a");
    stp_application_context* second = context("b");
    stp_application_context* third = context("a");
    EXPECT_EQ(mivo_merge_ap_contexts(&design), 2u);
    EXPECT_EQ(nusk_expand_substitutes(second), first);
    EXPECT_EQ(nusk_expand_substitutes(third), first);
    EXPECT_EQ(count(nusktype_stp_application_context), 1u);
}

TEST_F(ApContextMerging, ADefinitionNamingADeletedContextIsGivenTheFirstOfTheDesign) {
    stp_application_context* gone = context("deleted");
    stp_application_context* first = context("a");
    stp_application_context* second = context("b");
    stp_application_protocol_definition* d = definition("ap242", 2014, gone);
    nusk_move_to_trash(gone);
    EXPECT_EQ(mivo_merge_ap_contexts(&design), 1u);
    EXPECT_EQ(nusk_expand_substitutes(second), first);
    EXPECT_EQ(d->application(), first);

    // With no context left at all, the definition names none.
    nusk_move_to_trash(first);
    EXPECT_EQ(mivo_merge_ap_contexts(&design), 0u);
    EXPECT_EQ(d->application(), nullptr);
    EXPECT_EQ(mivo_merge_ap_contexts(nullptr), 0u);
    EXPECT_EQ(mivo_get_ap_context(nullptr), nullptr);
}

}  // namespace
