// What the generated AP242 classes stand on: the schema getter and the tables their accessors use.
#pragma once

#include "nusk/store.h"

#include <atomic>

/// The AP242 schema (the MIM long form that files of every AP242 edition are read with): built from the
/// generated dictionary on first use, and made the default schema of new designs when no other default is set.
/// Safe to call from several threads at once: the first call builds it, the others wait for it.
NuskSchema* nusk_ap242_schema();

namespace nusk_ap242 {

namespace detail {
// Published once the schema is built (release), read by the accessors (acquire): a thread that sees them set
// also sees the tables they point to.
extern std::atomic<NuskAttribute**> attributes;
extern std::atomic<NuskDomain**> named;
NuskAttribute* attributeAfterLoad(int row);
NuskDomain* namedAfterLoad(int index);
}  // namespace detail

/// The attribute of a row of the generated attribute table.
inline NuskAttribute* attribute(int row) {
    NuskAttribute** table = detail::attributes.load(std::memory_order_acquire);
    return table ? table[row] : detail::attributeAfterLoad(row);
}

/// The domain of a named type (entity, select, enumeration, defined type) by its generated index.
inline NuskDomain* named(int index) {
    NuskDomain** table = detail::named.load(std::memory_order_acquire);
    return table ? table[index] : detail::namedAfterLoad(index);
}

}  // namespace nusk_ap242
