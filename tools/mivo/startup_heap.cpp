// The tool's small allocations come from one region that is backed in a single call.
//
// A run of the tool builds the AP242 dictionary and reads one file: tens of thousands of small allocations, and on
// machines where the first touch of a fresh page is slow (virtual machines above all: 10 to 20 us a page), those
// first touches cost more than the work itself. The tool therefore serves small allocations from one region,
// asked for huge pages, its first page backed up front and the next ones on another processor while the
// dictionary is built (backStartupHeapPage), and leaves everything else to malloc: very large blocks, and every
// block once the region is used up. Blocks of a few kilobytes to a few megabytes (the dictionary's tables, vectors
// as they grow, the read buffer) come from the region too: from malloc, each of their pages would be a fault of
// its own. A block of the region is never reused after it is freed; the region is small beside what a large
// file needs, so that costs at most its size.
//
// Only the tool does this (a library must not replace the global allocator of its caller), and not in the
// sanitizer builds, whose own allocator checks every block.
#include "startup_heap.h"

#if !defined(MIVO_NO_STARTUP_HEAP)

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include <sys/mman.h>

namespace {

constexpr size_t kRegionSize = size_t(32) << 20;
// What the first allocations (the dictionary's) touch at once. The rest of what a run of a small file touches is
// backed on another processor while the dictionary is built (backStartupHeapPage), or as it is touched.
constexpr size_t kBackedUpFront = size_t(2) << 20;
constexpr size_t kLargestFromSlab = 2048;            // larger blocks are carved from the region directly
// Larger blocks go to malloc. Blocks of a few megabytes come from the region too: a statement longer than the
// reader's buffer (a list of tens of thousands of points) grows it to megabytes, and from malloc each of its
// pages would be a fault of its own.
constexpr size_t kLargestServed = size_t(4) << 20;
constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kAlign = alignof(std::max_align_t);

#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;  // the kernel's value, for C libraries whose headers predate it
#endif

struct Region {
    char* base = nullptr;
    std::atomic<size_t> used{0};
    std::atomic<size_t> backed{0};  // backed in one call from the start up to here
    std::atomic<int> state{0};  // 0 not set up, 1 setting up, 2 ready, 3 unavailable
};
Region gRegion;

void setUpRegion() {
    int expected = 0;
    if (!gRegion.state.compare_exchange_strong(expected, 1)) {
        while (gRegion.state.load() == 1) {
        }
        return;
    }
    void* raw = mmap(nullptr, kRegionSize + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        gRegion.state.store(3);
        return;
    }
    // Huge pages need a region aligned to their size.
    const uintptr_t start = (reinterpret_cast<uintptr_t>(raw) + kHugePage - 1) & ~(uintptr_t(kHugePage) - 1);
    gRegion.base = reinterpret_cast<char*>(start);
    madvise(gRegion.base, kRegionSize, MADV_HUGEPAGE);
    madvise(gRegion.base, kBackedUpFront, kPopulateWrite);  // refused by older kernels: pages come on first touch
    gRegion.backed.store(kBackedUpFront);
    gRegion.state.store(2);
}

// Each thread carves its blocks from a slab of its own, so that the common case is a bump of a pointer with no
// atomic operation; slabs come from the region with one.
constexpr size_t kSlab = size_t(256) << 10;
thread_local char* tSlabNext = nullptr;
thread_local char* tSlabEnd = nullptr;

bool regionReady() {
    if (gRegion.state.load(std::memory_order_acquire) == 2) return true;
    setUpRegion();
    return gRegion.state.load(std::memory_order_acquire) == 2;
}

/// `bytes` from the region's unused end, on any thread; null once the region is used up.
char* carve(size_t bytes) {
    if (!regionReady()) return nullptr;
    const size_t at = gRegion.used.fetch_add(bytes, std::memory_order_relaxed);
    if (at + bytes > kRegionSize) return nullptr;
    return gRegion.base + at;
}

bool takeSlab() {
    char* slab = carve(kSlab);
    if (!slab) return false;
    tSlabNext = slab;
    tSlabEnd = slab + kSlab;
    return true;
}

/// A block too big to share a slab with small ones, straight from the region (whole cache lines).
void* largeFromRegion(size_t size) { return carve((size + 63) & ~size_t(63)); }

void* fromRegion(size_t size) {
    if (size > kLargestServed) return nullptr;
    if (size > kLargestFromSlab) return largeFromRegion(size);
    const size_t rounded = (size + kAlign - 1) & ~(kAlign - 1);
    if (static_cast<size_t>(tSlabEnd - tSlabNext) < rounded && !takeSlab()) return nullptr;
    void* p = tSlabNext;
    tSlabNext += rounded;
    return p;
}

bool inRegion(void* p) {
    char* c = static_cast<char*>(p);
    return gRegion.base && c >= gRegion.base && c < gRegion.base + kRegionSize;
}

void* allocate(size_t size) {
    if (void* p = fromRegion(size ? size : 1)) return p;
    return std::malloc(size ? size : 1);
}

void release(void* p) {
    if (p && !inRegion(p)) std::free(p);
}

/// Everything but a small block that fits the thread's slab: kept out of line, so that the common case saves no
/// registers and sets up no frame.
[[gnu::noinline]] void* allocateOrThrow(size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}

}  // namespace

bool mivo_tool::backStartupHeapPage(size_t upTo) {
    if (!regionReady()) return false;
    if (upTo > kRegionSize) upTo = kRegionSize;
    size_t from = gRegion.backed.load();
    do {
        if (from >= upTo) return false;
    } while (!gRegion.backed.compare_exchange_weak(from, from + kHugePage));
    // Pages in use already are left as they are: backing only fills in what is missing. A first write (adding
    // nothing, as the page may be in use) takes the huge page in a fault that holds this mapping's lock only:
    // making one can take the system milliseconds, and the call below holds the process's map lock throughout,
    // which the main thread would wait for whenever it maps memory meanwhile.
    __atomic_fetch_add(gRegion.base + from, 0, __ATOMIC_RELAXED);
    madvise(gRegion.base + from, kHugePage, kPopulateWrite);
    return true;
}

void* operator new(size_t size) {
    if (size - 1 < kLargestFromSlab) {  // 1 to kLargestFromSlab bytes
        const size_t rounded = (size + kAlign - 1) & ~(kAlign - 1);
        char* p = tSlabNext;
        if (static_cast<size_t>(tSlabEnd - p) >= rounded) {
            tSlabNext = p + rounded;
            return p;
        }
    }
    return allocateOrThrow(size);
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, size_t) noexcept { release(p); }
void operator delete[](void* p, size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }

#else

bool mivo_tool::backStartupHeapPage(size_t) { return false; }

#endif
