// Finding the domain a Part 21 name (written in upper case) stands for.
#pragma once

#include <string>
#include <string_view>
#include <utility>
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

private:
    // The names in a dense list (each lower case, owned by its domain), found through an open-addressing table
    // of their places in it (one more, so that 0 is an empty slot): 4-byte slots keep the table small, and it is
    // built on a read's clock.
    std::vector<std::pair<std::string_view, NuskDomain*>> entries_;
    std::vector<uint32_t> slots_;
    size_t mask_ = 0;
};

/// The table of a schema, made on first use; safe on any thread (the table is shared and never changes).
const NameTable& nameTableOf(const NuskSchema* schema);

/// The name after "a" or "an", whichever its first sound takes ("an angular_size", "a unit"), for messages.
std::string withArticle(std::string_view name);

/// The value of an enumeration literal (between the dots, any case) in `enumeration`, or -1.
int enumValueOf(const NuskDomain* enumeration, std::string_view literal);

}  // namespace nusk_p21
