// Referrers collected in a scratch design.
#include "referrers.h"

namespace mivo_asm {

Referrers::Referrers(NuskDesign* design) {
    if (!design) return;
    scratch_ = std::make_unique<NuskDesign>("referrers", design->schemaOf());
    answers_ = new (scratch_.get()) SetOfNuskObject();
}

// The answer set lives in the scratch design, which destroys it.
Referrers::~Referrers() = default;

std::vector<NuskObject*> Referrers::of(const NuskObject* target, NuskDomain* type, const NuskAttribute* att) {
    std::vector<NuskObject*> out;
    if (!target || !att || !answers_) return out;
    answers_->emptyYourself();
    target->usedin(type, att, answers_);
    out.reserve(answers_->size());
    for (unsigned i = 0; i < answers_->size(); ++i) out.push_back(answers_->getObject(i));
    return out;
}

}  // namespace mivo_asm
