// An array that grows in fixed blocks: no element ever moves, and growing never holds two copies at once
// (which a doubling vector does, at the worst moment: while a large file is read).
#pragma once

#include "arena.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

namespace nusk_detail {

template <class T, size_t BlockBits = 10>
class ChunkedArray {
    static_assert(std::is_trivially_copyable<T>::value && std::is_trivially_destructible<T>::value,
                  "blocks may live in an arena, which runs no destructors");

public:
    static constexpr size_t kBlock = size_t(1) << BlockBits;
    static_assert(kBlock * sizeof(T) <= Arena::kMaxRequest, "a block must fit an arena request");

    /// Blocks come from `arena` when given (the design's memory, backed in bulk: a block from the heap is
    /// fresh memory faulted in page by page), else from the heap.
    explicit ChunkedArray(Arena* arena = nullptr) : arena_(arena) {}
    ChunkedArray(const ChunkedArray&) = delete;
    ChunkedArray& operator=(const ChunkedArray&) = delete;
    ChunkedArray(ChunkedArray&& other) noexcept
        : blocks_(std::move(other.blocks_)), size_(other.size_), arena_(other.arena_) {
        other.blocks_.clear();
        other.size_ = 0;
    }
    ChunkedArray& operator=(ChunkedArray&& other) noexcept {
        if (this != &other) {
            clear();
            blocks_.swap(other.blocks_);
            size_ = other.size_;
            arena_ = other.arena_;
            other.size_ = 0;
        }
        return *this;
    }
    ~ChunkedArray() { clear(); }

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
        const bool zero = isZero(fill);  // a table of numbers grows by blocks of zeros: one memset each
        for (size_t i = size_; i < n;) {
            const size_t run = std::min(n - i, kBlock - (i & (kBlock - 1)));
            if (zero)
                std::memset(static_cast<void*>(&(*this)[i]), 0, run * sizeof(T));
            else
                std::fill_n(&(*this)[i], run, fill);
            i += run;
        }
        size_ = n;
    }
    /// Appends `count` elements, a block's worth at a time.
    void append(const T* values, size_t count) {
        while (count) {
            if (size_ == blocks_.size() * kBlock) addBlock();
            const size_t run = std::min(count, kBlock - (size_ & (kBlock - 1)));
            std::copy_n(values, run, &(*this)[size_]);
            size_ += run;
            values += run;
            count -= run;
        }
    }
    /// Calls `visit(first, count)` for each block's elements in order: loops over millions of elements then cost
    /// a few instructions an element instead of a lookup each.
    template <class Visit>
    void forEachRun(Visit visit) const {
        for (size_t b = 0; b * kBlock < size_; ++b) visit(blocks_[b], std::min(kBlock, size_ - b * kBlock));
    }
    void clear() {
        for (T* block : blocks_) {
            if (arena_)
                Arena::release(block);
            else
                delete[] block;
        }
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
    static bool isZero(const T& value) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&value);
        return std::all_of(bytes, bytes + sizeof(T), [](unsigned char b) { return b == 0; });
    }
    void addBlock() {
        // Room before the block is made: nothing to give back if this throws. Doubled, not one more: the list of
        // blocks of a type with tens of thousands of objects would otherwise be copied, to fresh memory, at every
        // block.
        if (blocks_.size() == blocks_.capacity()) blocks_.reserve(blocks_.empty() ? 8 : blocks_.size() * 2);
        T* block = arena_ ? static_cast<T*>(arena_->allocate(kBlock * sizeof(T))) : new T[kBlock];
        if (!block) throw std::bad_alloc();
        blocks_.push_back(block);
    }
    std::vector<T*> blocks_;
    size_t size_ = 0;
    Arena* arena_;
};

}  // namespace nusk_detail
