// A table of a schema's names for finding the domain a word of a file names: open addressing over the places of
// the names in a list of domains, by foldedNameHash. The reader makes one for a schema at run time, or takes the
// one the schema compiler wrote beside the schema's other tables, which costs nothing to make.
#pragma once

#include "ascii_case.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

class NuskDomain;

namespace nusk_detail {

/// One slot: the name's place in the domain list plus one (0 is an empty slot) and its length, so that a probe
/// compares a name only with names of its own length.
struct NameSlot {
    uint32_t entry;
    uint32_t length;
};

/// A table the schema compiler made: `slotCount` slots (a power of two) over the schema's lower-case named
/// domains in the order they were made, which `domains` lists once the schema is loaded.
struct CompiledNames {
    const NameSlot* slots;
    size_t slotCount;
    size_t entryCount;
    NuskDomain* const* domains;
};

/// The number of slots for `names` names: a power of two, at least twice the names, so that probes stay short.
inline size_t nameSlotCount(size_t names) {
    size_t size = 16;
    while (size < names * 2) size *= 2;
    return size;
}

/// Puts the name at place `entry` (counted from 0) into the first free slot from its hash on: how both the
/// schema compiler and the reader lay out a table, so that one probes what the other wrote.
inline void placeName(NameSlot* slots, size_t slotCount, size_t entry, std::string_view name) {
    const size_t mask = slotCount - 1;
    size_t i = foldedNameHash(name) & mask;
    while (slots[i].entry) i = (i + 1) & mask;
    slots[i] = {static_cast<uint32_t>(entry + 1), static_cast<uint32_t>(name.size())};
}

}  // namespace nusk_detail
