#include "arena.h"

#include <cstring>
#include <mutex>

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

struct Arena::Chunk {
    Arena* owner;   // null once the arena is gone
    uint64_t live;  // allocations not yet released
    char* next;
    char* end;
    size_t usedBytes() const { return static_cast<size_t>(next - reinterpret_cast<const char*>(this)); }
};

namespace {
size_t roundUp(size_t n) { return (n + 7) & ~size_t(7); }

constexpr size_t kFirstStretch = size_t(64) << 10;

#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;  // the kernel's value, for C libraries whose headers predate it
#endif

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
        madvise(mem, Arena::kChunkSize, MADV_HUGEPAGE);
        madvise(mem, Arena::kChunkSize, kPopulateWrite);  // refused by older kernels: pages come on first touch
    }
    return mem;
}

void unmapChunk(void* chunk) {
#ifdef NUSK_LEAK_CHECKED
    __lsan_unregister_root_region(chunk, Arena::kChunkSize);
#endif
    munmap(chunk, Arena::kChunkSize);
}

// Chunks of designs that are gone, kept for the next designs: their pages are backed already, and backing
// fresh pages is what reading a small file spends most of its time on. Kept zeroed, as fresh chunks are;
// process-lifetime, never destroyed.
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

/// Gives back a chunk whose first `usedBytes` were touched.
void retireChunk(void* chunk, size_t usedBytes) {
    {
        std::lock_guard<std::mutex> guard(spareLock());
        std::vector<void*>& spares = spareChunks();
        if (spares.size() < kSpareChunks) {
            std::memset(chunk, 0, usedBytes);  // the rest was never touched: still zero
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

Arena::~Arena() {
    for (Chunk* c : chunks_) {
        if (c->live == 0)
            retireChunk(c, c->usedBytes());
        else
            c->owner = nullptr;
    }
}

size_t Arena::expectedRest() const {
    const size_t filled = chunks_.size() * kChunkSize;
    return expected_ > filled ? expected_ - filled : 0;
}

Arena::Chunk* Arena::newChunk() {
    // A chunk is backed whole when the design is known to fill most of it, or says nothing about its size and
    // has filled a chunk already; otherwise as it fills, a stretch at a time.
    const bool fillsChunk = expected_ ? expectedRest() >= kChunkSize / 2 : !chunks_.empty();
    void* mem = takeSpareChunk();
    const bool spare = mem != nullptr;
    if (!spare) mem = freshChunk(fillsChunk);
    if (!mem) return nullptr;
    Chunk* c = static_cast<Chunk*>(mem);
    c->owner = this;
    c->live = 0;
    c->next = static_cast<char*>(mem) + ((sizeof(Chunk) + 63) & ~size_t(63));
    c->end = static_cast<char*>(mem) + kChunkSize;
    chunks_.push_back(c);
    // A spare chunk is backed only as far as its last design used it: the rest is backed in stretches too.
    backed_ = !spare && fillsChunk ? c->end : c->next;
    stretch_ = kFirstStretch;
    return c;
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
    return p;
}

void Arena::release(void* p) {
    if (!p) return;
    auto addr = reinterpret_cast<uintptr_t>(p);
    Chunk* c = reinterpret_cast<Chunk*>(addr & ~(uintptr_t(kChunkSize) - 1));
    if (c->live > 0) --c->live;
    if (c->live == 0 && c->owner == nullptr) retireChunk(c, c->usedBytes());
}

}  // namespace nusk_detail
