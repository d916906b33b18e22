// What the generated AP242 classes stand on: the schema getter and the tables their accessors use.
#pragma once

#include "nusk/store.h"

/// The AP242 schema (edition 1 MIM long form): built from the generated dictionary on first use, and made the
/// default schema of new designs when no other default is set.
NuskSchema* nusk_ap242_schema();

namespace nusk_ap242 {

namespace detail {
extern NuskAttribute** attributes;
extern NuskDomain** named;
NuskAttribute* attributeAfterLoad(int row);
NuskDomain* namedAfterLoad(int index);
}  // namespace detail

/// The attribute of a row of the generated attribute table.
inline NuskAttribute* attribute(int row) {
    return detail::attributes ? detail::attributes[row] : detail::attributeAfterLoad(row);
}

/// The domain of a named type (entity, select, enumeration, defined type) by its generated index.
inline NuskDomain* named(int index) { return detail::named ? detail::named[index] : detail::namedAfterLoad(index); }

}  // namespace nusk_ap242
