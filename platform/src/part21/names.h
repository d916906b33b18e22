// Finding the domain a Part 21 name (written in upper case) stands for.
#pragma once

#include "name_slots.h"

#include <string>
#include <string_view>
#include <vector>

class NuskDomain;
class NuskSchema;

namespace nusk_p21 {

/// Names of a schema's entities, selects, enumerations and defined types, found without regard to case.
class NameTable {
public:
    explicit NameTable(const NuskSchema* schema);
    /// The domain of that name, or null.
    NuskDomain* find(std::string_view name) const;
    /// Whether the table is the one the schema compiler wrote (nothing was made for it).
    bool fromCompiler() const { return ownSlots_.empty(); }

private:
    /// Makes the table here, for a schema that has none from the schema compiler (or that has grown since).
    void build(const NuskSchema* schema);

    // The slots and the domains they point into: the compiler's (static data, nothing to make) or made here.
    // A domain's name is the lower-case key itself.
    const nusk_detail::NameSlot* slots_ = nullptr;
    NuskDomain* const* domains_ = nullptr;
    size_t mask_ = 0;
    std::vector<nusk_detail::NameSlot> ownSlots_;
    std::vector<NuskDomain*> ownDomains_;
};

/// The table of a schema, made on first use; safe on any thread (the table is shared and never changes).
const NameTable& nameTableOf(const NuskSchema* schema);

/// The name after "a" or "an", whichever its first sound takes ("an angular_size", "a unit"), for messages.
std::string withArticle(std::string_view name);

/// The value of an enumeration literal (between the dots, any case) in `enumeration`, or -1.
int enumValueOf(const NuskDomain* enumeration, std::string_view literal);

}  // namespace nusk_p21
