// The tool's allocator, linked into this test program as it is into mivo: it serves every allocation here,
// gtest's own included.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <thread>
#include <vector>

namespace {

bool aligned(const void* p) { return reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t) == 0; }

struct Block {
    unsigned char* p;
    size_t size;
    unsigned char mark;
};

Block make(size_t size, unsigned char mark) {
    auto* p = static_cast<unsigned char*>(::operator new(size));
    std::memset(p, mark, size);
    return {p, size, mark};
}

/// Whether every byte of the block still holds its mark: overlapping blocks would have overwritten each other.
bool intact(const Block& b) {
    for (size_t i = 0; i < b.size; ++i)
        if (b.p[i] != b.mark) return false;
    return true;
}

// Sizes around each limit of the allocator: nothing, the small blocks of a slab, the largest of them, the blocks
// carved from the region directly, the largest of those, and blocks left to malloc.
const size_t kSizes[] = {0, 1, 15, 16, 17, 100, 2047, 2048, 2049, 4096, 65536, 300000, 524289, 3u << 20, 4u << 20,
                         (4u << 20) + 1, 5u << 20};

TEST(StartupHeap, BlocksOfEverySizeAreAlignedDistinctAndWhole) {
    std::vector<Block> blocks;
    for (int round = 0; round < 3; ++round)
        for (size_t size : kSizes) blocks.push_back(make(size, static_cast<unsigned char>(blocks.size() * 7 + 1)));
    for (const Block& b : blocks) {
        EXPECT_TRUE(aligned(b.p)) << b.size;
        EXPECT_TRUE(intact(b)) << b.size;
    }
    for (size_t i = 0; i < blocks.size(); ++i)
        for (size_t j = i + 1; j < blocks.size(); ++j) EXPECT_NE(blocks[i].p, blocks[j].p);  // zero sizes too
    for (const Block& b : blocks) ::operator delete(b.p, b.size);
}

TEST(StartupHeap, BlocksOfAFewKilobytesComeOneAfterAnotherWithNoHeaderBetween) {
    // From the region they are laid end to end (whole cache lines); malloc would put its own header between.
    void* a = ::operator new(4096);
    void* b = ::operator new(4096);
    void* c = ::operator new(100000);
    void* d = ::operator new(8);
    EXPECT_EQ(static_cast<char*>(b), static_cast<char*>(a) + 4096);
    EXPECT_EQ(static_cast<char*>(c), static_cast<char*>(b) + 4096);
    EXPECT_NE(d, nullptr);
    // So are blocks of a few megabytes, the size a read buffer grows to for a very long statement.
    void* e = ::operator new(1u << 20);
    void* f = ::operator new(3u << 20);
    EXPECT_EQ(static_cast<char*>(f), static_cast<char*>(e) + (1u << 20));
    for (void* p : {a, b, c, d, e, f}) ::operator delete(p);
}

TEST(StartupHeap, AllocationsGoOnWhenTheRegionIsUsedUp) {
    // 48 MB in blocks the region serves: more than it holds, so the later ones come from malloc.
    std::vector<Block> blocks;
    for (int i = 0; i < 120; ++i) blocks.push_back(make(400000, static_cast<unsigned char>(i + 1)));
    for (int i = 0; i < 1000; ++i) blocks.push_back(make(24, static_cast<unsigned char>(i % 250 + 1)));
    for (const Block& b : blocks) {
        ASSERT_TRUE(intact(b));
        EXPECT_TRUE(aligned(b.p));
    }
    for (const Block& b : blocks) ::operator delete(b.p);
    std::unique_ptr<int[]> after(new int[1000]());  // the heap still serves once blocks were given back
    EXPECT_EQ(after[999], 0);
}

TEST(StartupHeap, ThreadsGetBlocksOfTheirOwn) {
    // Each thread bumps a slab of its own and takes slabs and large blocks from the region with one atomic step.
    constexpr int kThreads = 4;
    std::vector<std::vector<Block>> perThread(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t, &perThread] {
            for (int i = 0; i < 400; ++i) {
                const size_t size = i % 10 == 0 ? 3000 + 97 * static_cast<size_t>(i) : 8 + static_cast<size_t>(i % 64);
                perThread[t].push_back(make(size, static_cast<unsigned char>(t * 50 + i % 50 + 1)));
            }
        });
    for (std::thread& th : threads) th.join();
    for (const auto& blocks : perThread)
        for (const Block& b : blocks) {
            EXPECT_TRUE(intact(b)) << b.size;
            EXPECT_TRUE(aligned(b.p));
        }
    for (const auto& blocks : perThread)
        for (const Block& b : blocks) ::operator delete(b.p);
}

TEST(StartupHeap, FailingAllocationsThrowOrReturnNull) {
    void* volatile got = nullptr;  // kept, so that the calls are made
    EXPECT_THROW(got = ::operator new(~size_t(0) / 2), std::bad_alloc);
    got = ::operator new(~size_t(0) / 2, std::nothrow);
    EXPECT_EQ(got, nullptr);
}

}  // namespace
