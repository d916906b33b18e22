// Object memory backed ahead of time: kept until designs take it, bounded, and backed on another thread that
// stops when asked.
#include "arena.h"
#include "code_pages.h"

#include "nusk/ap242_support.h"
#include "nusk/memory.h"
#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using nusk_detail::Arena;

constexpr size_t kChunk = Arena::kChunkSize;

size_t keptReady() { return nusk_reserve_memory(0); }

TEST(StoreMemoryAhead, ChunksKeptReadyGoToTheNextDesignsAndLookFresh) {
    const size_t kept = nusk_reserve_memory(3 * kChunk - 1);  // whole chunks
    ASSERT_GE(kept, 3 * kChunk);
    EXPECT_EQ(kept % kChunk, 0u);
    EXPECT_EQ(nusk_reserve_memory(2 * kChunk), kept) << "enough is kept already: nothing more is backed";

    // An arena filling three chunks takes them, and finds them zeroed.
    auto arena = std::make_unique<Arena>();
    constexpr size_t kBlock = 4096;
    std::vector<unsigned char*> blocks;
    for (size_t i = 0; i < 3 * kChunk / kBlock; ++i) {
        auto* p = static_cast<unsigned char*>(arena->allocate(kBlock));
        ASSERT_NE(p, nullptr);
        for (size_t b = 0; b < kBlock; ++b) ASSERT_EQ(p[b], 0) << "block " << i;
        std::memset(p, 0x5A, kBlock);
        blocks.push_back(p);
    }
    EXPECT_LE(keptReady(), kept - 2 * kChunk) << "the arena's chunks came from what was kept";
    for (unsigned char* p : blocks) Arena::release(p);
}

TEST(StoreMemoryAhead, AtMost64MiBAreKept) {
    EXPECT_EQ(nusk_reserve_memory(SIZE_MAX), size_t(64) << 20);
    EXPECT_EQ(nusk_reserve_memory(size_t(100) << 20), size_t(64) << 20);
}

TEST(StoreMemoryAhead, AReadIntoMemoryKeptReadyIsTheSameRead) {
    const std::string path = std::string(MIVO_DATA_DIR) + "/assemblies/as1.step";
    const NuskReadResult before = nusk_read_step(path.c_str());
    std::unique_ptr<NuskDesign> first(before.design);
    if (!first) GTEST_SKIP() << "no test data at " << path;
    std::string text;
    nusk_write_step_text(first.get(), text);
    first.reset();

    ASSERT_GE(nusk_reserve_memory(nusk_read_memory(200 << 10) + 4 * kChunk), 4 * kChunk);
    const NuskReadResult after = nusk_read_step(path.c_str());
    std::unique_ptr<NuskDesign> second(after.design);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(after.status, before.status);
    EXPECT_EQ(after.instanceCount, before.instanceCount);
    std::string again;
    nusk_write_step_text(second.get(), again);
    EXPECT_TRUE(again == text) << "the written text differs";
}

// A text read in two parts fills two designs, each from a chunk of its own: memory backed ahead for it must come
// to a chunk for each, or the second part's design backs a fresh chunk before it reads anything.
TEST(StoreMemoryAhead, AReadInTwoPartsIsExpectedToTakeAChunkForEachPart) {
    const uint64_t small = 100u << 10;  // read in one piece
    EXPECT_NEAR(static_cast<double>(nusk_read_memory(small)), 2.8 * small, 1.0);
    const uint64_t split = 400u << 10;
    const size_t expected = nusk_read_memory(split);
    cpu_set_t set;
    ASSERT_EQ(sched_getaffinity(0, sizeof(set), &set), 0);
    if (CPU_COUNT(&set) < 2) {
        EXPECT_NEAR(static_cast<double>(expected), 2.8 * split, 1.0) << "one processor: read in one piece";
        return;
    }
    EXPECT_GT(expected, kChunk) << "two designs: at least two chunks kept ready";
    EXPECT_LT(expected, 2 * kChunk) << "a second part of 180 KiB fits one chunk";
    const uint64_t large = 40u << 20;
    EXPECT_LT(static_cast<double>(nusk_read_memory(large)), 2.8 * large + kChunk) << "at most a chunk more";
}

TEST(StoreMemoryAhead, OnAnotherThreadItBacksWhatItWasAskedAndStopsWhenTold) {
    nusk_ap242_schema();  // its memory is not what is counted here
    std::atomic<int> calls{0};
    {
        NuskMemoryAhead ahead(4 * kChunk, [&calls] { return ++calls < 3; });
        ahead.finish();
        if (!ahead.started()) GTEST_SKIP() << "one processor: nothing is backed ahead";
        ahead.stop();  // after finishing: nothing left to stop
    }
    EXPECT_EQ(calls.load(), 3) << "the caller's own part runs until it says it is done";
    EXPECT_GE(keptReady(), 4 * kChunk);

    // Told to stop while the caller's part runs, it backs no object memory after it.
    const size_t before = keptReady();
    std::atomic<bool> running{false};
    NuskMemoryAhead ahead(size_t(60) << 20, [&running] {
        running = true;
        std::this_thread::yield();
        return true;  // never done by itself
    });
    while (ahead.started() && !running) std::this_thread::yield();
    ahead.stop();
    ahead.finish();
    EXPECT_EQ(keptReady(), before);
}

/// The pages of `segments` that are not mapped into the process (bit 63 of each page's entry in the process's
/// page map), or -1 when the page map cannot be read.
long unmappedPages(const std::vector<nusk_detail::FileSegment>& segments) {
    const int fd = open("/proc/self/pagemap", O_RDONLY);
    if (fd < 0) return -1;
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    long unmapped = 0;
    for (const nusk_detail::FileSegment& s : segments) {
        for (uintptr_t at = s.start & ~(page - 1); at < s.start + s.bytes; at += page) {
            uint64_t entry = 0;
            if (pread(fd, &entry, sizeof entry, static_cast<off_t>(at / page * sizeof entry)) != sizeof entry) {
                close(fd);
                return -1;
            }
            unmapped += !(entry >> 63);
        }
    }
    close(fd);
    return unmapped;
}

TEST(StoreMemoryAhead, TheLibrarysOwnPagesAreMappedEvenWhenToldToStopAtOnce) {
    // The code and class tables of the generated types are megabytes that a read touches here and there, a fault
    // per page on the reading thread unless the helper maps them first.
    const std::vector<nusk_detail::FileSegment> segments = nusk_detail::ownFileSegments();
    ASSERT_FALSE(segments.empty());
    size_t bytes = 0;
    for (const nusk_detail::FileSegment& s : segments) bytes += s.bytes;
    EXPECT_GT(bytes, size_t(1) << 20) << "the generated classes alone are megabytes";
    const long before = unmappedPages(segments);
    if (before < 0) GTEST_SKIP() << "the process's page map cannot be read here";
    if (before == 0) GTEST_SKIP() << "every page of the library is mapped already";
    {
        NuskMemoryAhead ahead(0);
        ahead.stop();
        ahead.finish();
        if (!ahead.started()) GTEST_SKIP() << "one processor: nothing is mapped ahead";
    }
    const long after = unmappedPages(segments);
    if (after == before && nusk_detail::mapOwnPagesAhead() == 0) GTEST_SKIP() << "the system maps no pages ahead";
    EXPECT_EQ(after, 0) << "of " << before << " pages not mapped before";
}

TEST(StoreMemoryAhead, AFailureOnItsThreadStaysThere) {
    const size_t before = keptReady();
    NuskMemoryAhead ahead(kChunk, []() -> bool { throw std::runtime_error("out of something"); });
    ahead.finish();  // the process goes on, and the work ends there
    EXPECT_EQ(keptReady(), before);
}

TEST(StoreMemoryAhead, OnOneProcessorNothingIsStarted) {
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof(all), &all), 0);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof(one), &one), 0);
    bool called = false;
    {
        NuskMemoryAhead ahead(kChunk, [&called] { return called = true, false; });
        ahead.finish();
        EXPECT_FALSE(ahead.started());
    }
    sched_setaffinity(0, sizeof(all), &all);
    EXPECT_FALSE(called) << "on the only processor, backing ahead would only delay the caller";
}

}  // namespace
