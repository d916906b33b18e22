// The objects that refer to an object through one of the attributes the assembly code follows backwards.
//
// Two ways to answer, with the same answers in the same order (instance numbers, as usedin gives them):
//   - asked one at a time, through usedin, whose index of every reference the design keeps between calls; the
//     answers are collected in a scratch design of the same schema, since an aggregate of the design itself
//     would change its references and the next question would rebuild that index;
//   - for a walk over the whole design, from maps built on first use by one pass over the instances of the
//     referring type alone, so that each question is a hash lookup rather than a search of every reference.
#pragma once

#include "nusk/store.h"

#include <array>
#include <deque>
#include <memory>
#include <vector>

namespace mivo_asm {

/// A referring type and the attribute through which it refers.
enum class Ref {
    propertyOfDefinition,    // product_definition_shape by its definition (a usage or a product)
    dependentShapeOfProperty,  // context_dependent_shape_representation by its represented_product_relation
    shapeDefinitionOfProperty,  // shape_definition_representation by its definition
    shapeDefinitionOfRep,    // shape_definition_representation by its used_representation
    relationshipOfRep1,      // shape_representation_relationship by its rep_1
    relationshipOfRep2,      // shape_representation_relationship by its rep_2
    anyRelationshipOfRep2,   // representation_relationship (any kind) by its rep_2
};

/// Answers of a question: a range that stays valid while the Referrers that gave it lives.
class RefList {
public:
    RefList() = default;
    RefList(NuskObject* const* first, size_t count) : first_(first), count_(count) {}
    NuskObject* const* begin() const { return first_; }
    NuskObject* const* end() const { return first_ + count_; }
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    NuskObject* operator[](size_t i) const { return first_[i]; }

private:
    NuskObject* const* first_ = nullptr;
    size_t count_ = 0;
};

class Referrers {
public:
    enum class Mode { askEachTime, indexWholeDesign };
    /// Answers questions about objects of `design` (null: every answer is empty).
    Referrers(NuskDesign* design, Mode mode);
    ~Referrers();
    Referrers(const Referrers&) = delete;
    Referrers& operator=(const Referrers&) = delete;

    /// The objects that refer to `target` as `ref` says. Empty for a null target or when the schema lacks the
    /// attribute.
    RefList of(const NuskObject* target, Ref ref);

private:
    /// Every target with one of its referrers, sorted by target: two arrays side by side, so that the referrers
    /// of a target lie next to each other.
    struct Index {
        std::vector<const NuskObject*> targets;
        std::vector<NuskObject*> referrers;
    };
    const Index& indexOf(Ref ref);

    NuskDesign* design_;
    Mode mode_;
    std::unique_ptr<NuskDesign> scratch_;
    SetOfNuskObject* answers_ = nullptr;
    std::deque<std::vector<NuskObject*>> kept_;  // answers asked one at a time
    std::array<std::unique_ptr<Index>, 7> indexes_;
};

}  // namespace mivo_asm
