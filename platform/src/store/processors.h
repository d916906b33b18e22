// The processors a process may run on, and keeping a helper thread off its caller's.
#pragma once

#include <pthread.h>

#include <atomic>
#include <memory>
#include <thread>
#include <utility>

namespace nusk_detail {

/// The processors this process may run on.
unsigned processorsAvailable();

/// Puts `thread` on another processor than the calling one, when the process may use one. Left to the scheduler,
/// a new thread often starts on its parent's processor and holds the parent off it for a millisecond or more,
/// until the other processor is woken up: on a virtual machine, a good part of a cold read.
/// `thread` must not have ended: the system takes the number of a thread that has ended for the calling thread,
/// which would then be held to one processor for good. startApart() and HelperThread see to that.
void keepApart(std::thread& thread);
void keepApart(pthread_t thread);

/// Starts `work` on a thread of its own that keepApart() has put on another processor. The work waits for that:
/// a thread quick enough to end before it is placed would otherwise have its caller placed in its stead (and a
/// read the caller starts later would find no second processor to read on). Throws what std::thread throws.
template <class Work>
std::thread startApart(Work work) {
    auto placed = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([placed, work = std::move(work)]() mutable {
        while (!placed->load(std::memory_order_acquire)) std::this_thread::yield();
        work();
    });
    keepApart(thread);
    placed->store(true, std::memory_order_release);
    return thread;
}

}  // namespace nusk_detail
