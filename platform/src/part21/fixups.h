// References to instances that the file defines further on, waiting until those are read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class NuskDomain;
class NuskObject;

namespace nusk_p21 {

struct Fixup {
    NuskObject** target;
    const NuskDomain* expected;  // entity type, or select type for a select's value; null: any
    uint32_t id;
    uint32_t line;
    uint32_t instance;
    bool counted;  // false for the references of a kept record, which repeat the instance's
};

/// A list of fixups in blocks that never move: growing it copies nothing and touches only the new block
/// (a doubling vector copies every entry each time and touches twice the memory). Blocks stay when the list
/// shrinks, for the entries that follow.
class FixupList {
public:
    static constexpr size_t kBlock = 2048;

    size_t size() const { return size_; }
    Fixup& operator[](size_t i) { return blocks_[i / kBlock][i % kBlock]; }
    const Fixup& operator[](size_t i) const { return blocks_[i / kBlock][i % kBlock]; }
    void push_back(const Fixup& f) {
        if (size_ == blocks_.size() * kBlock) addBlock();
        (*this)[size_++] = f;
    }
    /// Keeps the first n entries (n at most size()).
    void truncate(size_t n) { size_ = n; }

private:
    void addBlock();
    std::vector<std::unique_ptr<Fixup[]>> blocks_;
    size_t size_ = 0;
};

}  // namespace nusk_p21
