// The allocation that an object's constructor completes: the store's allocation functions record the domain,
// design and section of the storage they hand out, and NuskObject's constructor picks them up.
#pragma once

#include <cstdint>

class NuskDesign;
class NuskDomain;
union NuskSlot;

namespace nusk_detail {

struct PendingObject {
    NuskDomain* domain = nullptr;
    NuskDesign* design = nullptr;
    int section = 0;
    NuskSlot* inlineElements = nullptr;  // aggregates: element storage allocated with the object
    unsigned inlineCapacity = 0;
    uint32_t entityId = 0;          // the number the next entity instance is to have (0: a fresh one)
    unsigned nextInlineElements = 0;  // room for elements the next aggregate is made with
};

// Initial-exec: the library is linked with the program, not loaded late, so its thread-locals are reached
// without a lookup call.
extern thread_local PendingObject gPending __attribute__((tls_model("initial-exec")));
inline PendingObject& pending() { return gPending; }

}  // namespace nusk_detail
