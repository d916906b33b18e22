// The domains of the store's core schema, for the store's own files.
#pragma once

class NuskDomain;

namespace nusk_detail {

struct CoreDomains {
    NuskDomain* object = nullptr;     // root of every object (index 0)
    NuskDomain* structure = nullptr;  // root of every entity instance
    NuskDomain* unionRoot = nullptr;  // root of every select value
    NuskDomain* aggregateRoot = nullptr;
    NuskDomain* design = nullptr;
    NuskDomain* domain = nullptr;
    NuskDomain* attribute = nullptr;
    NuskDomain* dictionary = nullptr;
    NuskDomain* raw = nullptr;
    NuskDomain* entityInstance = nullptr;
    NuskDomain* integer = nullptr;
    NuskDomain* real = nullptr;
    NuskDomain* number = nullptr;
    NuskDomain* string = nullptr;
    NuskDomain* binary = nullptr;
    NuskDomain* boolean = nullptr;
    NuskDomain* logical = nullptr;
};

/// The core domains; their fields are null while the core schema is being built.
const CoreDomains& core();

}  // namespace nusk_detail
