// A helper thread started on a stack from the process's own memory, for work on another processor.
#pragma once

#include <pthread.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>

namespace nusk_detail {

/// Runs one piece of work on a thread of its own, put on another processor than the caller's before the work
/// starts. Left to the scheduler, a new thread often starts on its parent's processor and holds the parent off it
/// for a millisecond or more, until the other processor is woken up. The work waits until the thread is placed: a
/// thread quick enough to end before that would have its caller placed in its stead, for good.
///
/// Asked for it, the thread runs on a stack taken from `operator new` rather than one mapped for it. Mapping
/// memory waits while any other thread of the process backs memory in one call (a huge page being made ready can
/// take milliseconds), and the second part of a read is started just when the tool's memory-ahead thread may be
/// doing that: a thread started the usual way then took up to 5 ms to start, on the reading thread's time.
class HelperThread {
public:
    /// The stack of a thread that asks for one of its own: room for the work's calls and the thread's own data
    /// (its thread-locals, some 33 KiB); the reader's recursion is bounded at 64 nested values.
    static constexpr size_t kStackBytes = size_t(1) << 20;

    HelperThread() = default;
    ~HelperThread() { join(); }
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

    /// Starts `work` (a failure it throws stays on its thread), on a stack of kStackBytes from `operator new` when
    /// `ownStack`, else on one the system maps; false (and nothing runs) when there is no thread or memory to be
    /// had, or a thread was started already.
    bool start(std::function<void()> work, bool ownStack);
    /// Waits for the work to end; nothing when no thread runs.
    void join();
    bool joinable() const { return started_; }

private:
    static void* run(void* self);

    std::unique_ptr<char[]> stack_;
    std::function<void()> work_;
    std::atomic<bool> placed_{false};
    pthread_t thread_{};
    bool started_ = false;
};

}  // namespace nusk_detail
