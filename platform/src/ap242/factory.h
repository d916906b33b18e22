// How generated classes are made and made known to the schema.
#pragma once

#include "nusk/ap242_support.h"

#include <initializer_list>
#include <new>

namespace nusk_ap242 {

/// Makes an instance of `domain` in `design` as class T.
template <class T>
NuskObject* make(NuskDesign* design, NuskDomain* domain) {
    void* p = nusk_new_in_default_section(sizeof(T), design, domain);
    return p ? static_cast<NuskObject*>(::new (p) T()) : nullptr;
}

/// Receives the generated classes; the loader registers each with the schema.
class Registrar {
public:
    virtual ~Registrar() = default;
    virtual void entity(int named, NuskDomain::Factory factory) = 0;
    virtual void select(int named, NuskDomain::Factory factory) = 0;
    virtual void complex(std::initializer_list<int> leaves, NuskDomain::Factory factory) = 0;
    virtual void aggregate(const char* name, NuskDomain::Factory factory) = 0;
};

/// Generated: hands every generated class to the registrar.
void registerGeneratedClasses(Registrar& r);

}  // namespace nusk_ap242
