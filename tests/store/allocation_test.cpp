// Where the store's memory comes from and how it grows, counted with an operator new of this test program's own
// (so these tests have a program to themselves).
#include "chunked.h"

#include "nusk/aggregate.h"
#include "nusk/design.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {
std::atomic<size_t> gAllocations{0};
std::atomic<size_t> gBytes{0};
std::atomic<size_t> gArrays{0};

// Out of line, so that the compiler does not see memory from operator new reach free.
[[gnu::noinline]] void* counted(size_t size) {
    ++gAllocations;
    gBytes += size;
    return std::malloc(size ? size : 1);
}
[[gnu::noinline]] void release(void* p) { std::free(p); }
}  // namespace

void* operator new(size_t size) {
    if (void* p = counted(size)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete(void* p, size_t) noexcept { release(p); }
// Arrays (the blocks themselves) are counted apart, so that what is counted above is the same in every build.
void* operator new[](size_t size) {
    ++gArrays;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete[](void* p) noexcept { release(p); }
void operator delete[](void* p, size_t) noexcept { release(p); }

namespace {

TEST(ChunkedArrayGrowth, TheListOfBlocksGrowsByDoublingNotOneBlockAtATime) {
    // A type with tens of thousands of objects fills hundreds of blocks of 64: were the list of blocks grown by
    // one each time, every block would copy the whole list to fresh memory.
    nusk_detail::ChunkedArray<uint64_t, 6> values;
    const size_t blocks = 2000;
    const size_t before = gAllocations.load(), arraysBefore = gArrays.load();
    for (uint64_t i = 0; i < blocks * 64; ++i) values.push_back(i * 7);
    // One array per block, and a few allocations for the list of blocks as it doubles: growing it by one block
    // at a time would take one per block.
    EXPECT_EQ(gArrays.load() - arraysBefore, blocks);
    EXPECT_LE(gAllocations.load() - before, 16u);
    ASSERT_EQ(values.size(), blocks * 64);
    for (uint64_t i = 0; i < blocks * 64; i += 997) ASSERT_EQ(values[i], i * 7);
}

TEST(StoreAllocation, TheElementsOfALargeAggregateComeFromOperatorNew) {
    // A program that serves its allocations its own way (the tool does, from memory it backed up front) serves
    // these too: a list too long to sit with its aggregate, as a read makes for tens of thousands of points.
    NuskDesign design("allocation");
    auto* values = static_cast<ListOfDouble*>(design.pnewInstance(nusk_domain_ListOfDouble()));
    ASSERT_NE(values, nullptr);
    const size_t before = gBytes.load();
    for (int i = 0; i < 100000; ++i) ASSERT_EQ(values->add(i * 0.5), 1);
    EXPECT_GE(gBytes.load() - before, 100000 * sizeof(double));
    ASSERT_EQ(values->size(), 100000u);
    EXPECT_EQ(values->get(99999), 99999 * 0.5);
    delete values;  // its elements go back through operator delete
}

}  // namespace
