// Memory of the objects of one design: bump allocation in aligned chunks.
//
// Objects are small and are made in bulk when a file is read, so a design hands them out of 2 MiB chunks.
// Each chunk counts its live objects. An object may move to another design and outlive the design whose
// chunk holds it: a chunk is freed when its design is gone and its last object has been released.
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
    size_t bytesReserved() const { return chunks_.size() * kChunkSize; }

private:
    struct Chunk;
    Chunk* newChunk();
    std::vector<Chunk*> chunks_;
    Chunk* current_ = nullptr;
};

}  // namespace nusk_detail
