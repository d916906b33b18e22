// The allocation that an object's constructor completes: the store's allocation functions record the domain,
// design and section of the storage they hand out, and NuskObject's constructor picks them up.
#pragma once

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
};

PendingObject& pending();

}  // namespace nusk_detail
