// Cursors: walks over the objects of a design.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class NuskDesign;
class NuskDomain;
class NuskObject;
class NuskTypePtr;

/// Visits the objects of a design, restricted to one domain and its subtypes (complex instances that combine
/// it included) or, with a null domain, every object. The order is that of the design's types by their first
/// instance, then creation order within a type; objects that leave the design during the walk are skipped, and
/// objects added during the walk may or may not be visited. A cursor may outlive the design it walks: from then on
/// it finds nothing.
class NuskCursor {
public:
    NuskCursor() = default;
    ~NuskCursor();
    NuskCursor(const NuskCursor&) = delete;
    NuskCursor& operator=(const NuskCursor&) = delete;

    /// Walks `design` from its first object (domain: none, or the one set before).
    void traverse(NuskDesign* design);
    /// Restricts the walk to `d` and its subtypes (null: every object) and starts again from the first.
    void domain(NuskDomain* d);
    void domain(NuskTypePtr& type);
    /// The next object, or null at the end.
    NuskObject* next();
    /// Starts the walk again.
    void rewind();

private:
    friend class NuskDesign;
    /// The design walked is being destroyed: the cursor lets go of it and finds nothing more.
    void designGone();
    void collectLists();
    void attach(NuskDesign* design);
    void detach();
    NuskDesign* design_ = nullptr;
    NuskDomain* domain_ = nullptr;
    std::vector<uint32_t> lists_;  // domain indices whose lists are walked, in order
    size_t listAt_ = 0;
    size_t posAt_ = 0;
    bool collected_ = false;
};

/// Every object of `design` of `type` (its subtypes and the complex instances that combine it included), in
/// cursor order; none for a null design.
std::vector<NuskObject*> nusk_instances_of(NuskDesign* design, NuskTypePtr& type);
