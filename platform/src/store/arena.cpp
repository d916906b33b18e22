#include "arena.h"

#include "populate.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <utility>

#include <sys/mman.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define NUSK_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NUSK_LEAK_CHECKED 1
#endif
#endif
#ifdef NUSK_LEAK_CHECKED
#include <sanitizer/lsan_interface.h>
#endif

namespace nusk_detail {

namespace {
size_t roundUp(size_t n) { return (n + 7) & ~size_t(7); }

/// One bit per 8-byte unit of a chunk.
constexpr size_t kUnits = Arena::kChunkSize / 8;
constexpr size_t kBitmapWords = kUnits / 64;
}  // namespace

/// A chunk starts with this header and two bitmaps, one bit per 8-byte unit of the chunk: where each allocation
/// starts, and which allocations are still live. A chunk whose design is gone while some of its objects live on
/// (moved to another design, the trash above all) gives its other pages back to the system: without them, each
/// design that lost one object to the trash would keep its whole chunk for the rest of the process.
struct Arena::Chunk {
    Arena* owner;   // null once the arena is gone
    uint64_t live;  // allocations not yet released
    char* next;
    char* end;
    bool trimmed;   // pages of released allocations were given back: the chunk is not reused
    uint64_t starts[kBitmapWords];
    uint64_t liveStarts[kBitmapWords];

    size_t unitOf(const void* p) const {
        return static_cast<size_t>(static_cast<const char*>(p) - reinterpret_cast<const char*>(this)) / 8;
    }
    /// Zeroes what allocations wrote, the header and the bitmaps' words in use included: a spare chunk must look
    /// fresh, and the pages never written stay untouched.
    void zeroWhatWasWritten() {
        const size_t words = std::min(unitOf(next) / 64 + 1, kBitmapWords);
        std::memset(starts, 0, words * sizeof(uint64_t));
        std::memset(liveStarts, 0, words * sizeof(uint64_t));
        char* data = reinterpret_cast<char*>(this) + dataOffset();
        std::memset(data, 0, static_cast<size_t>(next - data));
        owner = nullptr;
        live = 0;
        next = nullptr;
        end = nullptr;
    }
    static size_t dataOffset() { return (sizeof(Chunk) + 63) & ~size_t(63); }
    static void set(uint64_t* bits, size_t unit) { bits[unit / 64] |= uint64_t(1) << (unit % 64); }
    static void clear(uint64_t* bits, size_t unit) { bits[unit / 64] &= ~(uint64_t(1) << (unit % 64)); }
    /// The unit where the allocation holding `unit` starts (released pointers may point inside it).
    size_t startAtOrBefore(size_t unit) const;
    /// The unit where the next allocation after `unit` starts, or the first unused one.
    size_t startAfter(size_t unit) const;
    void trim();
};

namespace {

constexpr size_t kFirstStretch = size_t(64) << 10;

std::atomic<bool> gFirstChunkMapped{false};  // whether the process has mapped a chunk yet

// A huge page usually comes in 0.1 to 0.3 ms, and 512 small pages in 0.4 to 0.9 ms. For minutes at a time, on a
// virtual machine above all (where the host may have to back the memory afresh), a huge page takes 1 to 5 ms,
// and touching all of it is then what costs: small pages touch only what a design fills. Once a huge page has
// taken longer than the limit, the process backs its chunks with small pages.
std::atomic<int64_t> gHugePageTimeLimit{1000000};  // nanoseconds
std::atomic<bool> gHugePagesTooSlow{false};

/// A chunk of address space aligned to its size, so that an object's chunk is found from its address. Pages
/// are only backed once touched.
void* mapChunk() {
    const size_t span = 2 * Arena::kChunkSize;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + Arena::kChunkSize - 1) & ~(uintptr_t(Arena::kChunkSize) - 1);
    if (aligned > start) munmap(raw, aligned - start);
    const uintptr_t end = aligned + Arena::kChunkSize;
    if (start + span > end) munmap(reinterpret_cast<void*>(end), start + span - end);
#ifdef NUSK_LEAK_CHECKED
    // Objects in a chunk own heap memory (grown aggregates, the schema's tables); the leak checker only
    // sees it as reachable if it scans the chunk too.
    __lsan_register_root_region(reinterpret_cast<void*>(aligned), Arena::kChunkSize);
#endif
    return reinterpret_cast<void*>(aligned);
}

/// A new chunk from the system. Filling a chunk touches all of it, and first touches are what reading a file
/// spends most of its time on: one huge page costs one fault instead of 512, and where the system has none,
/// backing the chunk in one call costs a tenth of a fault per page. A design's first chunk is not backed whole
/// (`eager` false) unless the design is known to fill it, so a small design does not hold a whole chunk for a
/// few objects: the arena backs it in stretches as it fills.
void* freshChunk(bool eager) {
    void* mem = mapChunk();
    if (mem && eager) {
        const bool huge = !gHugePagesTooSlow.load(std::memory_order_relaxed);
        if (huge) madvise(mem, Arena::kChunkSize, MADV_HUGEPAGE);
        // A first write takes the chunk's huge page (or a small page where the system has none) in a fault,
        // which holds this mapping's own lock only; backing the rest in one call then fills small pages, if any.
        // Making a huge page can take the system milliseconds (zeroing 2 MiB of memory that is slow to come), and
        // the call holds the process's map lock throughout: every other thread that maps memory meanwhile, such as
        // the second part of a read starting its design, would wait for it.
        const auto start = std::chrono::steady_clock::now();
        *static_cast<volatile char*>(mem) = 0;
        if (huge && std::chrono::steady_clock::now() - start >
                        std::chrono::nanoseconds(gHugePageTimeLimit.load(std::memory_order_relaxed)))
            gHugePagesTooSlow.store(true, std::memory_order_relaxed);
        madvise(mem, Arena::kChunkSize, kPopulateWrite);  // refused by older kernels: pages come on first touch
    }
    return mem;
}

#ifdef NUSK_LEAK_CHECKED
// The leak checker reads every page it scans, which backs pages that were given back: a trimmed chunk is
// scanned only where it still holds something, its kept runs of pages.
using PageRuns = std::vector<std::pair<char*, size_t>>;
std::mutex& rootLock() {
    static auto* lock = new std::mutex;
    return *lock;
}
std::unordered_map<void*, PageRuns>& keptRoots() {
    static auto* roots = new std::unordered_map<void*, PageRuns>;
    return *roots;
}
#endif

/// What the leak checker scans of a trimmed chunk: only `kept` (no-op without a leak checker).
void scanOnly(void* chunk, const std::vector<std::pair<char*, size_t>>& kept) {
#ifdef NUSK_LEAK_CHECKED
    std::lock_guard<std::mutex> guard(rootLock());
    __lsan_unregister_root_region(chunk, Arena::kChunkSize);
    for (const auto& run : kept) __lsan_register_root_region(run.first, run.second);
    keptRoots()[chunk] = kept;
#else
    (void)chunk;
    (void)kept;
#endif
}

void unmapChunk(void* chunk) {
#ifdef NUSK_LEAK_CHECKED
    {
        std::lock_guard<std::mutex> guard(rootLock());
        auto found = keptRoots().find(chunk);
        if (found == keptRoots().end()) {
            __lsan_unregister_root_region(chunk, Arena::kChunkSize);
        } else {
            for (const auto& run : found->second) __lsan_unregister_root_region(run.first, run.second);
            keptRoots().erase(found);
        }
    }
#endif
    munmap(chunk, Arena::kChunkSize);
}

// Chunks of designs that are gone, kept for the next designs, and chunks backed ahead of time (Arena::keepReady):
// their pages are backed already, and backing fresh pages is what reading a small file spends most of its time on.
// Kept zeroed, as fresh chunks are; process-lifetime, never destroyed.
constexpr size_t kSpareChunks = 8;
std::mutex& spareLock() {
    static auto* lock = new std::mutex;
    return *lock;
}
std::vector<void*>& spareChunks() {
    static auto* spares = new std::vector<void*>;
    return *spares;
}

void* takeSpareChunk() {
    std::lock_guard<std::mutex> guard(spareLock());
    std::vector<void*>& spares = spareChunks();
    if (spares.empty()) return nullptr;
    void* chunk = spares.back();
    spares.pop_back();
    return chunk;
}

/// Gives back a chunk: kept as a spare (zeroed where it was written) or returned to the system.
void retireChunk(Arena::Chunk* chunk) {
    if (!chunk->trimmed) {  // a chunk partly given back is not worth keeping
        std::lock_guard<std::mutex> guard(spareLock());
        std::vector<void*>& spares = spareChunks();
        if (spares.size() < kSpareChunks) {
            chunk->zeroWhatWasWritten();
            spares.push_back(chunk);
            return;
        }
    }
    unmapChunk(chunk);
}

}  // namespace

void backPages(void* p, size_t bytes) {
    static const uintptr_t pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    if (!p || bytes == 0 || pageSize == 0) return;
    // Whole pages around the range: memory is mapped page by page, so they are all writable memory too.
    const uintptr_t start = reinterpret_cast<uintptr_t>(p) & ~(pageSize - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes + pageSize - 1) & ~(pageSize - 1);
    madvise(reinterpret_cast<void*>(start), end - start, kPopulateWrite);  // older kernels refuse: pages come on touch
}

size_t Arena::Chunk::startAtOrBefore(size_t unit) const {
    size_t word = unit / 64;
    uint64_t bits = starts[word] & (~uint64_t(0) >> (63 - unit % 64));
    while (bits == 0 && word > 0) bits = starts[--word];
    return bits ? word * 64 + (63 - static_cast<size_t>(__builtin_clzll(bits))) : unit;
}

size_t Arena::Chunk::startAfter(size_t unit) const {
    const size_t limit = unitOf(next);
    size_t word = (unit + 1) / 64;
    if (word >= kBitmapWords) return limit;
    uint64_t bits = (unit + 1) % 64 ? starts[word] & (~uint64_t(0) << ((unit + 1) % 64)) : starts[word];
    while (bits == 0 && ++word < kBitmapWords && word * 64 < limit) bits = starts[word];
    const size_t found = bits ? word * 64 + static_cast<size_t>(__builtin_ctzll(bits)) : limit;
    return found < limit ? found : limit;
}

bool Arena::hugePagesTooSlow() { return gHugePagesTooSlow.load(std::memory_order_relaxed); }

void Arena::judgeHugePagesBy(int64_t limitNanoseconds) {
    gHugePageTimeLimit.store(limitNanoseconds, std::memory_order_relaxed);
    gHugePagesTooSlow.store(false, std::memory_order_relaxed);
}

size_t Arena::keepReady(size_t bytes) {
    const size_t wholeChunks = bytes / kChunkSize + (bytes % kChunkSize != 0);  // no overflow near SIZE_MAX
    const size_t wanted = std::min(wholeChunks, kMostKeptReady / kChunkSize);
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(spareLock());
            if (spareChunks().size() >= wanted) return spareChunks().size() * kChunkSize;
        }
        // Backed outside the lock: it takes long, and designs may take spares meanwhile.
        void* chunk = freshChunk(true);
        if (!chunk) break;
        std::unique_lock<std::mutex> guard(spareLock());
        if (spareChunks().size() >= kMostKeptReady / kChunkSize) {  // other threads kept enough meanwhile
            guard.unlock();
            unmapChunk(chunk);
            break;
        }
        spareChunks().push_back(chunk);
    }
    std::lock_guard<std::mutex> guard(spareLock());
    return spareChunks().size() * kChunkSize;
}

void Arena::Chunk::trim() {
    static const size_t pageSize = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    if (pageSize == 0 || pageSize % 8 != 0 || kChunkSize % pageSize != 0) return;
    const size_t unitsPerPage = pageSize / 8;
    std::vector<bool> keep(kChunkSize / pageSize, false);
    // The header stays (the count of live allocations); the bitmaps are not used once the chunk is trimmed.
    for (size_t page = 0; page * pageSize < offsetof(Chunk, starts); ++page) keep[page] = true;
    for (size_t word = 0; word < kBitmapWords; ++word) {
        for (uint64_t bits = liveStarts[word]; bits; bits &= bits - 1) {
            const size_t first = word * 64 + static_cast<size_t>(__builtin_ctzll(bits));
            const size_t last = startAfter(first) - 1;  // the allocation's last unit
            for (size_t page = first / unitsPerPage; page <= last / unitsPerPage; ++page) keep[page] = true;
        }
    }
    char* base = reinterpret_cast<char*>(this);
    // Not a huge page any more: the system would otherwise gather the few pages left back into one whole
    // 2 MiB page in the background, and the chunk would hold all of its memory again.
    madvise(base, kChunkSize, MADV_NOHUGEPAGE);
    std::vector<std::pair<char*, size_t>> kept;
    for (size_t page = 0; page < keep.size();) {
        size_t run = page;
        while (run < keep.size() && keep[run] == keep[page]) ++run;
        char* start = base + page * pageSize;
        const size_t bytes = (run - page) * pageSize;
        if (keep[page])
            kept.emplace_back(start, bytes);
        else
            madvise(start, bytes, MADV_DONTNEED);
        page = run;
    }
    trimmed = true;
    scanOnly(this, kept);
}

Arena::~Arena() {
    for (Chunk* c : chunks_) {
        if (c->live == 0) {
            retireChunk(c);
        } else {
            c->owner = nullptr;
            c->trim();
        }
    }
}

size_t Arena::expectedRest() const {
    const size_t filled = chunks_.size() * kChunkSize;
    return expected_ > filled ? expected_ - filled : 0;
}

Arena::Chunk* Arena::newChunk() {
    // A chunk is backed whole when the design is known to take a good part of it: a quarter or more by what it
    // said it would take, or, having said nothing or outgrown what it said, once it has filled a chunk. Else it
    // is backed as it fills, a stretch at a time. Backing a whole chunk is one huge page where the system offers
    // them; the same memory backed in stretches is a page at a time, and on a virtual machine each of those
    // pages may cost a fault of the host on its first touch (1 to 20 us): past a few hundred kilobytes, the
    // huge page is cheaper.
    //
    // The first chunk the process maps is backed whole whatever its design takes. A process that reads one small
    // file (a command-line tool above all) then pays for one huge page instead of a fault per page, which on a
    // virtual machine costs several times more from a few dozen pages on; a process holds at most this one chunk
    // beyond what its designs need, and once its design is gone it is a spare that the next design reuses.
    const size_t rest = expectedRest();
    void* mem = takeSpareChunk();
    const bool spare = mem != nullptr;
    const bool fillsChunk = rest >= kChunkSize / 4 || (rest == 0 && !chunks_.empty()) ||
                            (!spare && !alongside_ && !gFirstChunkMapped.exchange(true, std::memory_order_relaxed));
    if (!spare) mem = freshChunk(fillsChunk);
    if (!mem) return nullptr;
    Chunk* c = static_cast<Chunk*>(mem);
    c->owner = this;
    c->live = 0;
    c->trimmed = false;  // the bitmaps are zero: fresh chunks are, spare ones were cleared
    c->next = static_cast<char*>(mem) + Chunk::dataOffset();
    c->end = static_cast<char*>(mem) + kChunkSize;
    chunks_.push_back(c);
    // A spare chunk is backed only as far as its last design used it: the rest is backed in stretches too.
    backed_ = !spare && fillsChunk ? c->end : c->next;
    stretch_ = kFirstStretch;
    return c;
}

void Arena::expectAlongside(size_t bytes) {
    alongside_ = true;
    expect(bytes);
}

void Arena::expect(size_t bytes) {
    expected_ = bytes;
    if (current_) backAhead(bytes);  // a design says so before it grows: what it holds so far is small
}

void Arena::backAhead(size_t bytes) {
    // Backs at least `bytes` past what is backed; the stretches grow so that a design growing past what it
    // said it would take still costs few calls.
    char* from = backed_;
    const size_t want = bytes > stretch_ ? bytes : stretch_;
    char* to = size_t(current_->end - from) <= want ? current_->end : from + want;
    if (to == from) return;
    backPages(from, static_cast<size_t>(to - from));
    backed_ = to;
    if (bytes <= stretch_ && stretch_ < kChunkSize) stretch_ *= 2;
}

bool Arena::makeRoom(size_t bytes) {
    if (!current_ || size_t(current_->end - current_->next) < bytes) {
        const size_t rest = expectedRest();
        current_ = newChunk();
        if (!current_) return false;
        // What the design said it still takes is backed in one call (the whole chunk when that is most of it).
        if (rest > bytes) bytes = rest;
    }
    if (size_t(backed_ - current_->next) < bytes) backAhead(bytes);
    return true;
}

void* Arena::allocate(size_t bytes) {
    bytes = roundUp(bytes == 0 ? 8 : bytes);
    if (bytes > kMaxRequest) return nullptr;
    if ((!current_ || size_t(backed_ - current_->next) < bytes) && !makeRoom(bytes)) return nullptr;
    char* p = current_->next;
    current_->next += bytes;
    ++current_->live;
    const size_t unit = current_->unitOf(p);
    Chunk::set(current_->starts, unit);
    Chunk::set(current_->liveStarts, unit);
    return p;
}

void Arena::absorb(Arena& other) {
    if (&other == this) return;
    for (Chunk* c : other.chunks_) {
        c->owner = this;
        chunks_.push_back(c);
    }
    other.chunks_.clear();
    other.current_ = nullptr;
    other.backed_ = nullptr;
    other.stretch_ = 0;
}

void Arena::release(void* p) {
    if (!p) return;
    auto addr = reinterpret_cast<uintptr_t>(p);
    Chunk* c = reinterpret_cast<Chunk*>(addr & ~(uintptr_t(kChunkSize) - 1));
    if (!c->trimmed) Chunk::clear(c->liveStarts, c->startAtOrBefore(c->unitOf(p)));
    if (c->live > 0) --c->live;
    if (c->live == 0 && c->owner == nullptr) retireChunk(c);
}

}  // namespace nusk_detail

size_t nusk_reserve_memory(size_t bytes) { return nusk_detail::Arena::keepReady(bytes); }
