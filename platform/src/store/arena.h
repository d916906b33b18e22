// Memory of the objects of one design: bump allocation in aligned chunks.
//
// Objects are small and are made in bulk when a file is read, so a design hands them out of 2 MiB chunks.
// Each chunk counts its live objects. An object may move to another design and outlive the design whose
// chunk holds it: a chunk is freed when its design is gone and its last object has been released, and until
// then holds in memory only the pages of the objects still live in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nusk_detail {

class Arena {
public:
    static constexpr size_t kChunkSize = size_t(2) << 20;  // one huge page where the system offers them
    /// Largest request served from a chunk; larger storage must come from the heap.
    static constexpr size_t kMaxRequest = kChunkSize / 8;

    Arena() = default;
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    ~Arena();

    /// `bytes` (at most kMaxRequest) of storage, 8-byte aligned; null when out of memory.
    void* allocate(size_t bytes);
    /// Gives back one allocation made by any arena (the chunk is found from the address).
    static void release(void* p);
    /// Takes over the chunks of `other` (on one thread at a time, like any use of an arena): what was allocated
    /// from them is this arena's now, and `other` is left holding nothing. Allocations go on from this arena's
    /// own chunk.
    void absorb(Arena& other);
    size_t bytesReserved() const { return chunks_.size() * kChunkSize; }
    /// Says how many bytes the design is about to take (a file read knows it from the file's size), so that
    /// its memory is backed in a few calls rather than page by page. A hint only: more or less may follow.
    void expect(size_t bytes);
    /// The same for a design filled on another thread alongside a larger one (the second part of a read): it is
    /// not a process's lone small design, so a fresh chunk of it is backed as it fills even when it is the first
    /// chunk the process maps. Backing a whole chunk can stall for milliseconds, and the thread that takes the
    /// design over would wait for that.
    void expectAlongside(size_t bytes);

    /// Backs fresh chunks ahead of time and keeps them for the next arenas, until `bytes` (rounded up to whole
    /// chunks, at most kMostKeptReady) are kept; safe on any thread. Returns the bytes kept.
    static size_t keepReady(size_t bytes);
    static constexpr size_t kMostKeptReady = 32 * kChunkSize;
    /// Whether a chunk backed whole has been slow to come as a huge page in this process: chunks backed whole
    /// from then on are backed with small pages. Safe on any thread.
    static bool hugePagesTooSlow();
    /// Judges huge pages too slow once one takes longer than `limitNanoseconds` (1 ms unless told otherwise), as
    /// if none had come yet. For tests.
    static void judgeHugePagesBy(int64_t limitNanoseconds);

    /// A 2 MiB piece of memory that allocations come out of, with its bookkeeping at its start.
    struct Chunk;

private:
    Chunk* newChunk();
    bool makeRoom(size_t bytes);
    size_t expectedRest() const;
    void backAhead(size_t bytes);
    std::vector<Chunk*> chunks_;
    Chunk* current_ = nullptr;
    // The current chunk is backed up to `backed_`; allocations below it touch no fresh page. Past it, the next
    // stretch is backed in one call, each stretch twice the last (from kFirstStretch).
    char* backed_ = nullptr;
    size_t stretch_ = 0;
    size_t expected_ = 0;
    bool alongside_ = false;
};

/// Backs the whole pages inside [p, p + bytes) in one call, so that first touches do not fault page by page
/// (a fault costs several times what backing the page in bulk does). Any writable memory; a no-op where the
/// system cannot do it.
void backPages(void* p, size_t bytes);

/// push_back for a scratch vector that grows to large sizes: each larger buffer is backed in one call.
template <class Vector, class T>
void pushBacked(Vector& v, const T& value) {
    if (v.size() == v.capacity()) {
        const size_t capacity = v.capacity() < 64 ? 64 : v.capacity() * 2;
        v.reserve(capacity);
        backPages(v.data(), capacity * sizeof(value));
    }
    v.push_back(value);
}

}  // namespace nusk_detail
