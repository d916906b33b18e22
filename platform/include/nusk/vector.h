// nusk_vector: an untyped growable array of pointers.
#pragma once

#include <vector>

class nusk_vector {
public:
    nusk_vector() = default;
    nusk_vector(const nusk_vector&) = default;
    nusk_vector(nusk_vector&&) = default;
    nusk_vector& operator=(const nusk_vector&) = default;
    nusk_vector& operator=(nusk_vector&&) = default;
    ~nusk_vector() = default;

    /// Adds p at the end.
    void append(void* p) { items_.push_back(p); }
    /// Removes the first occurrence of p. Returns 1 when found.
    int remove(void* p);
    unsigned size() const { return static_cast<unsigned>(items_.size()); }
    unsigned count() const { return size(); }
    /// Element i; i must be below size().
    void* get(unsigned i) const { return items_[i]; }
    void*& operator[](unsigned i) { return items_[i]; }
    void* operator[](unsigned i) const { return items_[i]; }
    void put(void* p, unsigned i) { items_[i] = p; }
    void clear() { items_.clear(); }

private:
    std::vector<void*> items_;
};
