#include "registry.h"

#include "nusk/domain.h"

#include <atomic>
#include <mutex>

namespace nusk_detail {

namespace {
// Entries below gDomainCount never change. A domain is written before the count that covers it is published
// (release), and read after the count is loaded (acquire): a lookup takes no lock.
NuskDomain* gDomains[kMaxDomains];
std::atomic<uint32_t> gDomainCount{0};

std::mutex& registryLock() {
    static auto* lock = new std::mutex;  // never destroyed: domains may be registered while statics go
    return *lock;
}
}  // namespace

uint32_t registerDomain(NuskDomain* d) {
    std::lock_guard<std::mutex> guard(registryLock());
    const uint32_t count = gDomainCount.load(std::memory_order_relaxed);
    if (count >= kMaxDomains) return 0;
    gDomains[count] = d;
    gDomainCount.store(count + 1, std::memory_order_release);
    return count;
}

NuskDomain* domainAt(uint32_t index) {
    return index < gDomainCount.load(std::memory_order_acquire) ? gDomains[index] : nullptr;
}

}  // namespace nusk_detail
