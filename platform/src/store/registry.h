// The process-wide table of domains: every domain of every schema has one 32-bit index.
#pragma once

#include <cstdint>

class NuskDomain;

namespace nusk_detail {

constexpr uint32_t kMaxDomains = 1u << 16;

/// Gives the domain its index; 0 when the table is full. Index 0 is the store's root type NuskObject. Safe on
/// any thread; domainAt takes no lock.
uint32_t registerDomain(NuskDomain* d);
NuskDomain* domainAt(uint32_t index);

}  // namespace nusk_detail
