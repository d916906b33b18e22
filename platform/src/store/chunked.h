// An array that grows in fixed blocks: no element ever moves, and growing never holds two copies at once
// (which a doubling vector does, at the worst moment: while a large file is read).
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace nusk_detail {

template <class T, size_t BlockBits = 10>
class ChunkedArray {
public:
    static constexpr size_t kBlock = size_t(1) << BlockBits;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](size_t i) { return blocks_[i >> BlockBits][i & (kBlock - 1)]; }
    const T& operator[](size_t i) const { return blocks_[i >> BlockBits][i & (kBlock - 1)]; }

    void push_back(const T& v) {
        if (size_ == blocks_.size() * kBlock) addBlock();
        (*this)[size_++] = v;
    }
    /// Grows (new elements are `fill`) or shrinks; shrinking keeps the blocks.
    void resize(size_t n, const T& fill = T()) {
        while (blocks_.size() * kBlock < n) addBlock();
        for (size_t i = size_; i < n; ++i) (*this)[i] = fill;
        size_ = n;
    }
    void clear() {
        blocks_.clear();
        size_ = 0;
    }
    size_t capacity() const { return blocks_.size() * kBlock; }

    class const_iterator {
    public:
        const_iterator(const ChunkedArray* a, size_t i) : a_(a), i_(i) {}
        const T& operator*() const { return (*a_)[i_]; }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

    private:
        const ChunkedArray* a_;
        size_t i_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }

private:
    void addBlock() { blocks_.emplace_back(new T[kBlock]); }
    std::vector<std::unique_ptr<T[]>> blocks_;
    size_t size_ = 0;
};

}  // namespace nusk_detail
