// A set of pointers in one flat table (open addressing, linear probing): the store of a mark pass, which
// gets hundreds of thousands of inserts and lookups in one pass over a big design.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

class PointerSet {
public:
    /// Adds `p` (never null); true when it was not there.
    bool insert(const void* p) {
        if ((size_ + 1) * 2 > slots_.size()) grow();
        size_t i = slotOf(p);
        while (slots_[i]) {
            if (slots_[i] == p) return false;
            i = (i + 1) & (slots_.size() - 1);
        }
        slots_[i] = p;
        ++size_;
        return true;
    }

    bool contains(const void* p) const {
        if (slots_.empty()) return false;
        for (size_t i = slotOf(p); slots_[i]; i = (i + 1) & (slots_.size() - 1))
            if (slots_[i] == p) return true;
        return false;
    }

    /// Empties the set. A table much larger than what it held is given back, so that many small passes after
    /// one big one do not each pay for clearing the big table.
    void clear() {
        if (size_ * 8 < slots_.size()) {
            std::vector<const void*>().swap(slots_);
        } else {
            std::fill(slots_.begin(), slots_.end(), nullptr);
        }
        size_ = 0;
    }

    size_t size() const { return size_; }

private:
    size_t slotOf(const void* p) const {
        // Fibonacci hashing of the address; the low bits of object addresses are alike, the high bits of the
        // product are not.
        uint64_t h = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)) * 0x9E3779B97F4A7C15ull;
        return static_cast<size_t>(h >> shift_);
    }

    void grow() {
        std::vector<const void*> old;
        old.swap(slots_);
        size_t capacity = old.empty() ? 64 : old.size() * 2;
        slots_.assign(capacity, nullptr);
        shift_ = 64;
        for (size_t c = capacity; c > 1; c >>= 1) --shift_;
        size_ = 0;
        for (const void* p : old)
            if (p) insert(p);
    }

    std::vector<const void*> slots_;
    size_t size_ = 0;
    unsigned shift_ = 64;
};
