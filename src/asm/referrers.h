// The objects that refer to an object, collected outside its design.
//
// usedin adds its answers to an aggregate. An aggregate of the design itself would change the design's
// references, and the next question would rebuild the design's index of them; a scratch design of the same
// schema holds the answers instead, so every question stays a lookup.
#pragma once

#include "nusk/store.h"

#include <memory>
#include <vector>

namespace mivo_asm {

class Referrers {
public:
    /// Answers questions about objects of `design` (null: every answer is empty).
    explicit Referrers(NuskDesign* design);
    ~Referrers();
    Referrers(const Referrers&) = delete;
    Referrers& operator=(const Referrers&) = delete;

    /// The objects of `type` (any when null) that refer to `target` through `att` (any when null), directly or
    /// through selects and aggregates, in instance-number order. Empty when target or att is missing.
    std::vector<NuskObject*> of(const NuskObject* target, NuskDomain* type, const NuskAttribute* att);

private:
    std::unique_ptr<NuskDesign> scratch_;
    SetOfNuskObject* answers_ = nullptr;
};

}  // namespace mivo_asm
