#include "registry.h"

#include "nusk/domain.h"

namespace nusk_detail {

namespace {
NuskDomain* gDomains[kMaxDomains];
uint32_t gDomainCount = 0;
}  // namespace

uint32_t registerDomain(NuskDomain* d) {
    if (gDomainCount >= kMaxDomains) return 0;
    gDomains[gDomainCount] = d;
    return gDomainCount++;
}

NuskDomain* domainAt(uint32_t index) { return index < gDomainCount ? gDomains[index] : nullptr; }

}  // namespace nusk_detail
