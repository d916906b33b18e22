// Seeing an object as one of its classes: what every typed getter of the generated classes does on the object
// it reads.
#pragma once

#include "nusk/object.h"

#include <cstddef>
#include <cstring>

namespace nusk_detail {

/// The address of an object's table of virtual functions: objects that share it are of one class and laid
/// out alike (an object under construction or destruction has a table of its own).
inline const void* vtableOf(const NuskObject* obj) {
    const void* table;
    std::memcpy(&table, static_cast<const void*>(obj), sizeof table);
    return table;
}

}  // namespace nusk_detail

/// The object seen as class T, as dynamic_cast<T*> gives it: null for a null object or one whose class does not
/// derive from T. The generated classes derive through virtual bases, where dynamic_cast searches the class graph
/// on every call; the place of T in an object depends only on the object's class, so each thread keeps, per T,
/// the answer for the last class met, and the many objects of one class that a walk meets in a row are cast
/// by an addition.
template <class T>
T* nusk_downcast(NuskObject* obj) {
#if defined(__GXX_ABI_VERSION)
    struct LastClass {
        const void* vtable = nullptr;
        std::ptrdiff_t offset = 0;  // from the NuskObject part to the T part
        bool derives = false;
    };
    static thread_local LastClass last;
    if (!obj) return nullptr;
    const void* vtable = nusk_detail::vtableOf(obj);
    if (vtable != last.vtable) {
        T* cast = dynamic_cast<T*>(obj);
        last.vtable = vtable;
        last.derives = cast != nullptr;
        last.offset = cast ? reinterpret_cast<char*>(cast) - reinterpret_cast<char*>(obj) : 0;
    }
    return last.derives ? reinterpret_cast<T*>(reinterpret_cast<char*>(obj) + last.offset) : nullptr;
#else
    return dynamic_cast<T*>(obj);
#endif
}
