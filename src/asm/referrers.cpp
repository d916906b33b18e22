// Referrers asked through usedin, or looked up in maps of one referring type each.
#include "referrers.h"

#include "attributes.h"

#include <algorithm>

namespace mivo_asm {

namespace {

struct RefSpec {
    NuskTypePtr* type;
    const NuskAttribute* AsmAttributes::*attribute;
};

RefSpec specOf(Ref ref) {
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
    const RefSpec spec = specOf(ref);
    const NuskAttribute* att = asmAttributes().*spec.attribute;
    if (!att) return *index;
    // Two passes over the referring instances: the size of each target's group, then the groups filled in the
    // cursor's order.
    std::vector<std::pair<const NuskObject*, NuskObject*>> pairs;  // target, referrer
    for (NuskObject* obj : nusk_instances_of(design_, *spec.type))
        if (NuskObject* target = heldIn(obj, att)) pairs.emplace_back(target, obj);
    index->groups.reserve(pairs.size());
    for (const auto& p : pairs) ++index->groups[p.first].second;
    uint32_t next = 0;
    for (auto& group : index->groups) {
        group.second.first = next;
        next += group.second.second;
        group.second.second = 0;
    }
    index->referrers.resize(pairs.size());
    for (const auto& p : pairs) {
        auto& group = index->groups[p.first];
        index->referrers[group.first + group.second++] = p.second;
    }
    // Within a group, usedin's order: by instance number (the cursor visits one type after another, complex
    // instances apart).
    for (const auto& group : index->groups)
        if (group.second.second > 1) {
            NuskObject** first = index->referrers.data() + group.second.first;
            std::sort(first, first + group.second.second, byInstanceNumber);
        }
    return *index;
}

RefList Referrers::of(const NuskObject* target, Ref ref) {
    if (!target || !design_) return {};
    if (mode_ == Mode::indexWholeDesign) {
        const Index& index = indexOf(ref);
        const auto found = index.groups.find(target);
        if (found == index.groups.end()) return {};
        return {index.referrers.data() + found->second.first, found->second.second};
    }
    const RefSpec spec = specOf(ref);
    const NuskAttribute* att = asmAttributes().*spec.attribute;
    if (!att || !answers_) return {};
    answers_->emptyYourself();
    target->usedin(spec.type->domain(), att, answers_);
    std::vector<NuskObject*>& out = kept_.emplace_back();
    out.reserve(answers_->size());
    for (unsigned i = 0; i < answers_->size(); ++i) out.push_back(answers_->getObject(i));
    return {out.data(), out.size()};
}

}  // namespace mivo_asm
