// How an array of blocks grows: counted with an operator new of this test program's own, so this test has a
// program to itself.
#include "chunked.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> gAllocations{0};
}  // namespace

void* operator new(size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

TEST(ChunkedArrayGrowth, TheListOfBlocksGrowsByDoublingNotOneBlockAtATime) {
    // A type with tens of thousands of objects fills hundreds of blocks of 64: were the list of blocks grown by
    // one each time, every block would copy the whole list to fresh memory.
    nusk_detail::ChunkedArray<uint64_t, 6> values;
    const size_t blocks = 2000;
    const size_t before = gAllocations.load();
    for (uint64_t i = 0; i < blocks * 64; ++i) values.push_back(i * 7);
    const size_t allocations = gAllocations.load() - before;
    // One per block, and a few for the list of blocks as it doubles.
    EXPECT_LE(allocations, blocks + 16);
    EXPECT_GE(allocations, blocks);
    ASSERT_EQ(values.size(), blocks * 64);
    for (uint64_t i = 0; i < blocks * 64; i += 997) ASSERT_EQ(values[i], i * 7);
}

}  // namespace
