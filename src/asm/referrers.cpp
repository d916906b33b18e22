// Referrers asked through usedin, or looked up in maps of one referring type each.
#include "referrers.h"

#include "attributes.h"

#include <algorithm>
#include <functional>

namespace mivo_asm {

namespace {

struct RefSource {
    NuskTypePtr* type;
    const NuskAttribute* AsmAttributes::*attribute;
};

RefSource sourceOf(Ref ref) {
    switch (ref) {
    case Ref::propertyOfDefinition: return {&nusktype_stp_product_definition_shape, &AsmAttributes::propertyDefinition};
    case Ref::dependentShapeOfProperty:
        return {&nusktype_stp_context_dependent_shape_representation, &AsmAttributes::representedProduct};
    case Ref::shapeDefinitionOfProperty:
        return {&nusktype_stp_shape_definition_representation, &AsmAttributes::shapeDefinition};
    case Ref::shapeDefinitionOfRep:
        return {&nusktype_stp_shape_definition_representation, &AsmAttributes::usedRepresentation};
    case Ref::relationshipOfRep1: return {&nusktype_stp_shape_representation_relationship, &AsmAttributes::rep1};
    case Ref::relationshipOfRep2: return {&nusktype_stp_shape_representation_relationship, &AsmAttributes::rep2};
    case Ref::anyRelationshipOfRep2: return {&nusktype_stp_representation_relationship, &AsmAttributes::rep2};
    }
    return {&nusktype_stp_representation_relationship, &AsmAttributes::rep2};
}

bool byInstanceNumber(const NuskObject* a, const NuskObject* b) {
    return a->entity_id() < b->entity_id() || (a->entity_id() == b->entity_id() && a < b);
}

}  // namespace

Referrers::Referrers(NuskDesign* design, Mode mode) : design_(design), mode_(mode) {
    if (!design || mode != Mode::askEachTime) return;
    scratch_ = std::make_unique<NuskDesign>("referrers", design->schemaOf());
    answers_ = new (scratch_.get()) SetOfNuskObject();
}

// The answer set lives in the scratch design, which destroys it.
Referrers::~Referrers() = default;

const Referrers::Index& Referrers::indexOf(Ref ref) {
    std::unique_ptr<Index>& index = indexes_[static_cast<size_t>(ref)];
    if (index) return *index;
    index = std::make_unique<Index>();
    const RefSource source = sourceOf(ref);
    const NuskAttribute* att = asmAttributes().*source.attribute;
    if (!att) return *index;
    std::vector<std::pair<const NuskObject*, NuskObject*>> pairs;  // target, referrer, in the cursor's order
    for (NuskObject* obj : nusk_instances_of(design_, *source.type))
        if (NuskObject* target = heldIn(obj, att)) pairs.emplace_back(target, obj);
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const auto& a, const auto& b) { return std::less<const NuskObject*>()(a.first, b.first); });
    index->targets.reserve(pairs.size());
    index->referrers.reserve(pairs.size());
    for (const auto& p : pairs) {
        index->targets.push_back(p.first);
        index->referrers.push_back(p.second);
    }
    // Within a group, usedin's order: by instance number (the cursor visits one type after another, complex
    // instances apart).
    for (size_t first = 0, last = 0; first < pairs.size(); first = last) {
        for (last = first + 1; last < pairs.size() && pairs[last].first == pairs[first].first;) ++last;
        if (last - first > 1)
            std::sort(index->referrers.begin() + first, index->referrers.begin() + last, byInstanceNumber);
    }
    return *index;
}

RefList Referrers::of(const NuskObject* target, Ref ref) {
    if (!target || !design_) return {};
    if (mode_ == Mode::indexWholeDesign) {
        const Index& index = indexOf(ref);
        const auto range =
            std::equal_range(index.targets.begin(), index.targets.end(), target, std::less<const NuskObject*>());
        const auto first = static_cast<size_t>(range.first - index.targets.begin());
        return {index.referrers.data() + first, static_cast<size_t>(range.second - range.first)};
    }
    const RefSource source = sourceOf(ref);
    const NuskAttribute* att = asmAttributes().*source.attribute;
    if (!att || !answers_) return {};
    answers_->emptyYourself();
    target->usedin(source.type->domain(), att, answers_);
    std::vector<NuskObject*>& out = kept_.emplace_back();
    out.reserve(answers_->size());
    for (unsigned i = 0; i < answers_->size(); ++i) out.push_back(answers_->getObject(i));
    return {out.data(), out.size()};
}

}  // namespace mivo_asm
