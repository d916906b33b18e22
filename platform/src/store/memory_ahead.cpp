// Backing object memory ahead of time, on another processor (see nusk/memory.h).
#include "nusk/memory.h"

#include "arena.h"
#include "code_pages.h"
#include "helper_thread.h"
#include "processors.h"

#include <utility>

NuskMemoryAhead::NuskMemoryAhead(size_t bytes, std::function<bool()> first) {
    if (nusk_detail::processorsAvailable() < 2) return;  // on the caller's processor it would only delay it
    // The system's own stack: this thread starts before any memory is backed, so mapping one waits for nothing.
    auto thread = std::make_unique<nusk_detail::HelperThread>();
    if (!thread->start([this, bytes, first = std::move(first)] { run(bytes, first); }, /*ownStack=*/false))
        return;  // no thread to be had: the read backs its memory itself
    thread_ = std::move(thread);
    started_ = true;
}

NuskMemoryAhead::~NuskMemoryAhead() {
    stop();
    finish();
}

void NuskMemoryAhead::stop() { stopping_.store(true, std::memory_order_relaxed); }

void NuskMemoryAhead::finish() {
    if (thread_) thread_->join();
}

void NuskMemoryAhead::run(size_t bytes, const std::function<bool()>& first) {
    // Nothing may leave a thread: whatever fails here only leaves memory to be backed as it is used.
    try {
        auto stopped = [this] { return stopping_.load(std::memory_order_relaxed); };
        while (first && !stopped() && first()) {
        }
        // A chunk at a time, so that the work ends soon after stop(). The library's own pages are mapped once the
        // first chunk is ready (a read that finds no chunk ready maps one itself, and would wait meanwhile for
        // whatever this thread is mapping), and to the end even after stop(): they take a fraction of a
        // millisecond, and a read that has started meanwhile faults on fewer of them.
        using nusk_detail::Arena;
        const size_t wanted = bytes < Arena::kMostKeptReady ? bytes : Arena::kMostKeptReady;
        auto oneMoreChunk = [wanted](size_t kept) {
            return Arena::keepReady(wanted - kept < Arena::kChunkSize ? wanted : kept + Arena::kChunkSize);
        };
        size_t kept = wanted && !stopped() ? oneMoreChunk(0) : 0;
        nusk_detail::mapOwnPagesAhead();
        while (kept < wanted && !stopped()) {
            const size_t now = oneMoreChunk(kept);
            if (now <= kept) break;  // no memory to be had, or designs take it as fast
            kept = now;
        }
    } catch (...) {
    }
}
