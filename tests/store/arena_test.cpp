// The design memory arena: chunks handed back by gone designs are reused, and must then look fresh.
#include "arena.h"
#include "chunked.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <memory>
#include <vector>

namespace {

using nusk_detail::Arena;

constexpr size_t kBlock = 4096;
constexpr size_t kBlocks = 3 * Arena::kChunkSize / kBlock;  // spans several chunks

std::vector<unsigned char*> fill(Arena& arena, unsigned char pattern) {
    std::vector<unsigned char*> blocks;
    for (size_t i = 0; i < kBlocks; ++i) {
        auto* p = static_cast<unsigned char*>(arena.allocate(kBlock));
        EXPECT_NE(p, nullptr);
        if (!p) break;
        std::memset(p, pattern, kBlock);
        blocks.push_back(p);
    }
    return blocks;
}

void releaseAll(const std::vector<unsigned char*>& blocks) {
    for (unsigned char* p : blocks) Arena::release(p);
}

bool allZero(const std::vector<unsigned char*>& blocks) {
    for (unsigned char* p : blocks)
        for (size_t i = 0; i < kBlock; ++i)
            if (p[i] != 0) return false;
    return true;
}

TEST(StoreArena, MemoryOfAGoneArenaComesBackZeroed) {
    for (int round = 0; round < 3; ++round) {
        // As a design does: its objects are released, then the arena goes.
        auto first = std::make_unique<Arena>();
        releaseAll(fill(*first, 0xAB));
        first.reset();
        Arena second;
        std::vector<unsigned char*> blocks;
        for (size_t i = 0; i < kBlocks; ++i) blocks.push_back(static_cast<unsigned char*>(second.allocate(kBlock)));
        EXPECT_TRUE(allZero(blocks)) << "round " << round;
    }
}

TEST(StoreArena, AnObjectOutlivesItsArenaAndItsChunkIsReusedOnlyAfterIt) {
    auto arena = std::make_unique<Arena>();
    auto* survivor = static_cast<unsigned char*>(arena->allocate(64));
    ASSERT_NE(survivor, nullptr);
    std::memset(survivor, 0x5A, 64);
    std::vector<unsigned char*> others = fill(*arena, 0xCD);
    arena.reset();  // the survivor's chunk stays while the survivor lives
    releaseAll(others);

    Arena other;
    releaseAll(fill(other, 0x11));
    for (int i = 0; i < 64; ++i) ASSERT_EQ(survivor[i], 0x5A) << "the survivor was overwritten";
    Arena::release(survivor);

    Arena last;
    std::vector<unsigned char*> fresh;
    for (size_t i = 0; i < kBlocks; ++i) fresh.push_back(static_cast<unsigned char*>(last.allocate(kBlock)));
    EXPECT_TRUE(allZero(fresh));
}

TEST(StoreArena, RequestsBeyondTheLimitAreRefused) {
    Arena arena;
    EXPECT_EQ(arena.allocate(Arena::kMaxRequest + 1), nullptr);
    EXPECT_NE(arena.allocate(Arena::kMaxRequest), nullptr);
    EXPECT_NE(arena.allocate(0), nullptr);
}

/// How many pages of [p, p + bytes) the process holds in memory.
size_t residentPages(const void* p, size_t bytes) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t start = reinterpret_cast<uintptr_t>(p) & ~(page - 1);
    const size_t pages = (reinterpret_cast<uintptr_t>(p) + bytes - start + page - 1) / page;
    std::vector<unsigned char> resident(pages);
    if (mincore(reinterpret_cast<void*>(start), pages * page, resident.data()) != 0) return 0;
    size_t count = 0;
    for (unsigned char r : resident) count += r & 1;
    return count;
}

/// The kernel's flags of the memory mapping that holds `p` ("nh": never a huge page), empty when unknown.
std::string mappingFlags(const void* p) {
    std::ifstream smaps("/proc/self/smaps");
    const auto addr = reinterpret_cast<uintptr_t>(p);
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        unsigned long from = 0, to = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx ", &from, &to) == 2 && line.find('-') < line.find(' '))
            inside = from <= addr && addr < to;
        else if (inside && line.rfind("VmFlags:", 0) == 0)
            return line.substr(8);
    }
    return "";
}

void* chunkOf(const void* p) {
    return reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(p) & ~(uintptr_t(Arena::kChunkSize) - 1));
}

// A design that lost a few objects to another design (the trash, which lives as long as the process) and is
// then gone keeps only the pages those objects are on: the survivors stay whole, across page boundaries and
// when they were released through a pointer inside them (an object's slots sit below the object).
TEST(StoreArena, AGoneArenaKeepsOnlyThePagesOfWhatOutlivesIt) {
    auto arena = std::make_unique<Arena>();
    std::vector<unsigned char*> all;
    for (size_t i = 0; i < 4000; ++i) {
        auto* p = static_cast<unsigned char*>(arena->allocate(200));  // 200 bytes: some straddle two pages
        ASSERT_NE(p, nullptr);
        std::memset(p, static_cast<int>(i % 251), 200);
        all.push_back(p);
    }
    const std::vector<size_t> survivors = {7, 1999, 3998};
    for (size_t i = 0; i < all.size(); ++i)
        if (std::find(survivors.begin(), survivors.end(), i) == survivors.end()) Arena::release(all[i] + 72);
    void* chunk = chunkOf(all[0]);
    ASSERT_EQ(chunkOf(all.back()), chunk);
    const size_t before = residentPages(chunk, Arena::kChunkSize);
    arena.reset();

    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t bitmapPages = (Arena::kChunkSize / 8 / 8 * 2) / page + 2;  // header and bitmaps, at most
    const size_t after = residentPages(chunk, Arena::kChunkSize);
    EXPECT_LE(after, bitmapPages + 2 * survivors.size());
    EXPECT_LT(after, before / 4);
    // Left a huge page, the system would gather the pages given back into one whole resident page again.
    const std::string flags = mappingFlags(chunk);
    if (!flags.empty()) {
        EXPECT_NE(flags.find(" nh"), std::string::npos) << flags;
    }
    for (size_t i : survivors) {
        EXPECT_GE(residentPages(all[i], 200), 1u);
        for (size_t b = 0; b < 200; ++b) ASSERT_EQ(all[i][b], i % 251) << "survivor " << i << " byte " << b;
    }
    for (size_t i : survivors) Arena::release(all[i]);

    // The chunk is not handed on (it was partly given back): a new arena still starts with zeroed memory.
    Arena next;
    std::vector<unsigned char*> blocks;
    for (size_t i = 0; i < 64; ++i) blocks.push_back(static_cast<unsigned char*>(next.allocate(kBlock)));
    EXPECT_TRUE(allZero(blocks));
    releaseAll(blocks);
}

}  // namespace

namespace {

TEST(StoreArena, EveryHintGivesZeroedUsableMemoryAndHoldsNoMoreThanItNeeds) {
    // What a design says it takes is only a hint: too little, too much, none, or said after it started.
    const size_t needed = kBlocks * kBlock;
    for (size_t hint : {size_t(0), size_t(100) << 10, needed, 4 * needed}) {
        for (bool late : {false, true}) {
            Arena arena;
            if (late) {
                EXPECT_NE(arena.allocate(kBlock), nullptr);
            }
            arena.expect(hint);
            std::vector<unsigned char*> blocks;
            for (size_t i = 0; i < kBlocks; ++i) blocks.push_back(static_cast<unsigned char*>(arena.allocate(kBlock)));
            for (unsigned char* p : blocks) ASSERT_NE(p, nullptr) << "hint " << hint;
            EXPECT_TRUE(allZero(blocks)) << "hint " << hint;
            fill(arena, 0x77);  // and it keeps growing past the hint
            EXPECT_LE(arena.bytesReserved(), 2 * needed + 2 * Arena::kChunkSize) << "hint " << hint;
            releaseAll(blocks);
        }
    }
}

TEST(StoreArena, BlocksOfAnArrayInAnArenaGoBackWithTheArray) {
    auto arena = std::make_unique<Arena>();
    {
        nusk_detail::ChunkedArray<uint64_t, 10> values(arena.get());
        for (uint64_t i = 0; i < 5000; ++i) values.push_back(i * 3);
        nusk_detail::ChunkedArray<uint64_t, 10> moved(std::move(values));
        EXPECT_EQ(values.size(), 0u);
        ASSERT_EQ(moved.size(), 5000u);
        for (uint64_t i = 0; i < 5000; ++i) ASSERT_EQ(moved[i], i * 3);
        moved.resize(100);  // shrinking keeps the blocks
        moved.resize(3000);
        EXPECT_EQ(moved[99], 297u);
        EXPECT_EQ(moved[2999], 0u);
    }
    // Nothing of the arena is live any more: its chunk is handed on, zeroed, to the next arena.
    arena.reset();
    Arena next;
    std::vector<unsigned char*> blocks;
    for (size_t i = 0; i < 64; ++i) blocks.push_back(static_cast<unsigned char*>(next.allocate(kBlock)));
    EXPECT_TRUE(allZero(blocks));
    releaseAll(blocks);
}

// Growing with a fill, appending and walking go a block at a time: each must cross block boundaries from
// anywhere within a block, and stop exactly at the end.
TEST(StoreArena, AnArrayIsFilledAppendedToAndWalkedAcrossItsBlocks) {
    Arena arena;
    nusk_detail::ChunkedArray<int64_t, 4> values(&arena);  // blocks of 16
    values.resize(5, -1);
    values.resize(40, 7);  // from within the first block to within the third
    std::vector<int64_t> more(50);
    for (size_t i = 0; i < more.size(); ++i) more[i] = 100 + static_cast<int64_t>(i);
    values.append(more.data(), 3);  // within the third block
    values.append(more.data() + 3, 47);  // on across three boundaries
    ASSERT_EQ(values.size(), 90u);
    for (size_t i = 0; i < 90; ++i)
        ASSERT_EQ(values[i], i < 5 ? -1 : i < 40 ? 7 : 100 + static_cast<int64_t>(i - 40)) << i;
    values.resize(20);
    values.resize(33, 0);  // a fill of zeros too, over what the array held before
    for (size_t i = 20; i < 33; ++i) ASSERT_EQ(values[i], 0) << i;

    std::vector<int64_t> walked;
    std::vector<size_t> runs;
    values.forEachRun([&](const int64_t* run, size_t count) {
        runs.push_back(count);
        walked.insert(walked.end(), run, run + count);
    });
    EXPECT_EQ(runs, (std::vector<size_t>{16, 16, 1}));
    ASSERT_EQ(walked.size(), 33u);
    for (size_t i = 0; i < 33; ++i) EXPECT_EQ(walked[i], values[i]) << i;
    nusk_detail::ChunkedArray<int64_t, 4> empty(&arena);
    empty.forEachRun([](const int64_t*, size_t) { ADD_FAILURE() << "an empty array has no runs"; });
}

}  // namespace

namespace {

/// Whether the system backs a range in one call (Linux 5.14 and later): without it, pages come on first touch
/// and no chunk is ever backed whole.
bool backsInOneCall() {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void* p = mmap(nullptr, page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return false;
    const bool backed = madvise(p, page, 23 /* MADV_POPULATE_WRITE */) == 0;
    munmap(p, page);
    return backed;
}

/// Whether the system makes every large enough anonymous mapping a huge page, so that touching one byte of a
/// chunk backs all of it.
bool hugePagesAlways() {
    std::ifstream setting("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string text;
    std::getline(setting, text);
    return text.find("[always]") != std::string::npos;
}

// Backing a chunk whole is one huge page; backing it as it fills is a page at a time, each page a fault of its
// own on its first touch. An arena that says it takes a quarter of a chunk or more, or that has outgrown what it
// said and filled a chunk, has each fresh chunk backed whole; one that says it takes little, only what it uses.
TEST(StoreArena, AChunkIsBackedWholeOnceTheArenaIsKnownToTakeAGoodPartOfIt) {
    if (!backsInOneCall()) GTEST_SKIP() << "the system backs no range in one call";
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t chunkPages = Arena::kChunkSize / page;
    // Chunks handed back by earlier arenas are backed only where they were used: take them all out of the way,
    // so that the arenas below get fresh ones.
    Arena spares;
    while (spares.bytesReserved() < 10 * Arena::kChunkSize) ASSERT_NE(spares.allocate(Arena::kMaxRequest), nullptr);

    Arena small;
    small.expect(100u << 10);
    void* first = small.allocate(kBlock);
    ASSERT_NE(first, nullptr);
    if (!hugePagesAlways()) {
        EXPECT_LT(residentPages(chunkOf(first), Arena::kChunkSize), chunkPages / 2);
    }

    Arena large;
    large.expect(Arena::kChunkSize * 3 / 8);
    void* start = large.allocate(kBlock);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(residentPages(chunkOf(start), Arena::kChunkSize), chunkPages);

    // Past what it said: the next chunk is backed whole as well.
    void* last = start;
    while (chunkOf(last) == chunkOf(start)) {
        last = large.allocate(Arena::kMaxRequest);
        ASSERT_NE(last, nullptr);
    }
    EXPECT_EQ(residentPages(chunkOf(last), Arena::kChunkSize), chunkPages);
}

/// Two small designs one after the other, in a process of their own whose first chunk the first one's is (run
/// in a death test): exits 0 when each chunk is backed whole, or less than half, as expected.
[[noreturn]] void exitOnBackingOfTwoSmallDesigns(bool firstAlongside, bool firstWhole, bool secondWhole) {
    const size_t chunkPages = Arena::kChunkSize / static_cast<size_t>(sysconf(_SC_PAGESIZE));
    auto residentOf = [](Arena& arena) {
        void* p = arena.allocate(kBlock);
        return p ? residentPages(chunkOf(p), Arena::kChunkSize) : 0;
    };
    auto asExpected = [chunkPages](size_t resident, bool whole) {
        return whole ? resident == chunkPages : resident < chunkPages / 2;
    };
    Arena first;
    if (firstAlongside)
        first.expectAlongside(20u << 10);
    else
        first.expect(20u << 10);
    const size_t firstResident = residentOf(first);
    Arena second;
    second.expect(20u << 10);
    const size_t secondResident = residentOf(second);
    std::fprintf(stderr, "resident pages: first %zu, second %zu of %zu\n", firstResident, secondResident, chunkPages);
    std::exit(asExpected(firstResident, firstWhole) && asExpected(secondResident, secondWhole) ? 0 : 1);
}

// The first chunk a process maps is backed whole even for a design that says it takes little, and only that
// one: a later small design is backed as it fills.
TEST(StoreArenaDeathTest, OnlyTheFirstChunkOfAProcessIsBackedWholeForASmallDesign) {
    if (!backsInOneCall()) GTEST_SKIP() << "the system backs no range in one call";
    if (hugePagesAlways()) GTEST_SKIP() << "every chunk is backed whole on first touch";
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // the child starts afresh: no chunk mapped yet
    EXPECT_EXIT(exitOnBackingOfTwoSmallDesigns(false, true, false), testing::ExitedWithCode(0), "resident pages");
}

// A design filled alongside another (the second part of a read) is backed as it fills even when its chunk is
// the first the process maps, and leaves that rule to the next design.
TEST(StoreArenaDeathTest, ADesignFilledAlongsideAnotherIsNeverBackedWholeForBeingFirst) {
    if (!backsInOneCall()) GTEST_SKIP() << "the system backs no range in one call";
    if (hugePagesAlways()) GTEST_SKIP() << "every chunk is backed whole on first touch";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exitOnBackingOfTwoSmallDesigns(true, false, true), testing::ExitedWithCode(0), "resident pages");
}


/// Whether the mapping that holds `p` is marked for huge pages ("hg" among its flags in /proc/self/smaps).
bool advisedHuge(const void* p) {
    std::ifstream smaps("/proc/self/smaps");
    const unsigned long at = reinterpret_cast<uintptr_t>(p);
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        unsigned long start = 0, end = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx", &start, &end) == 2)  // a mapping's first line
            inside = at >= start && at < end;
        else if (inside && line.rfind("VmFlags:", 0) == 0)
            return line.find(" hg") != std::string::npos;
    }
    return false;
}

/// In a process of its own (run in a death test): backs two chunks whole, judging huge pages by `limit`, and
/// exits 0 when the first is marked for huge pages and the second only when huge pages were not too slow.
[[noreturn]] void exitOnHugePagesJudgedBy(int64_t limitNanoseconds) {
    Arena::judgeHugePagesBy(limitNanoseconds);
    Arena arena;
    arena.expect(3 * Arena::kChunkSize);
    void* first = chunkOf(arena.allocate(kBlock));
    void* second = first;
    for (int i = 0; i < 1000 && second == first; ++i) second = chunkOf(arena.allocate(kBlock));
    const bool firstHuge = advisedHuge(first);
    const bool secondHuge = advisedHuge(second);
    std::fprintf(stderr, "huge pages: first chunk %d, second %d, too slow %d\n", firstHuge, secondHuge,
                 Arena::hugePagesTooSlow());
    std::exit(second != first && firstHuge && secondHuge == !Arena::hugePagesTooSlow() ? 0 : 1);
}

// Once a huge page has been slow to come, the chunks that follow are backed with small pages; while they come
// fast, every chunk backed whole is a huge page.
TEST(StoreArenaDeathTest, OnceAHugePageIsSlowToComeChunksAreBackedWithSmallPages) {
    if (!backsInOneCall()) GTEST_SKIP() << "the system backs no range in one call";
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // the child starts afresh: no chunk mapped yet
    EXPECT_EXIT(exitOnHugePagesJudgedBy(0), testing::ExitedWithCode(0), "too slow 1");
    EXPECT_EXIT(exitOnHugePagesJudgedBy(int64_t(3600) * 1000000000), testing::ExitedWithCode(0), "too slow 0");
}

}  // namespace
