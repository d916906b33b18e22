#include "arena.h"

#include <cstring>

#include <sys/mman.h>

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
};

namespace {
size_t roundUp(size_t n) { return (n + 7) & ~size_t(7); }
}  // namespace

namespace {

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

void unmapChunk(void* chunk) {
#ifdef NUSK_LEAK_CHECKED
    __lsan_unregister_root_region(chunk, Arena::kChunkSize);
#endif
    munmap(chunk, Arena::kChunkSize);
}

}  // namespace

Arena::~Arena() {
    for (Chunk* c : chunks_) {
        if (c->live == 0)
            unmapChunk(c);
        else
            c->owner = nullptr;
    }
}

Arena::Chunk* Arena::newChunk() {
    void* mem = mapChunk();
    if (!mem) return nullptr;
    // Filling a chunk touches all of it: one huge page costs one fault instead of 512. A small design keeps
    // small pages, so that it does not hold a whole huge page for a few objects.
    if (chunks_.size() >= 2) madvise(mem, kChunkSize, MADV_HUGEPAGE);
    Chunk* c = static_cast<Chunk*>(mem);
    c->owner = this;
    c->live = 0;
    c->next = static_cast<char*>(mem) + ((sizeof(Chunk) + 63) & ~size_t(63));
    c->end = static_cast<char*>(mem) + kChunkSize;
    chunks_.push_back(c);
    return c;
}

void* Arena::allocate(size_t bytes) {
    bytes = roundUp(bytes == 0 ? 8 : bytes);
    if (bytes > kMaxRequest) return nullptr;
    if (!current_ || size_t(current_->end - current_->next) < bytes) {
        current_ = newChunk();
        if (!current_) return nullptr;
    }
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
    if (c->live == 0 && c->owner == nullptr) unmapChunk(c);
}

}  // namespace nusk_detail
