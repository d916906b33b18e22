#include "helper_thread.h"

#include "processors.h"

#include <new>
#include <utility>

#include <sched.h>

namespace nusk_detail {

bool HelperThread::start(std::function<void()> work, bool ownStack) {
    if (started_) return false;
    if (ownStack) {
        stack_.reset(new (std::nothrow) char[kStackBytes]);
        if (!stack_) return false;
    }
    work_ = std::move(work);
    placed_.store(false, std::memory_order_relaxed);
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    const bool started = (!ownStack || pthread_attr_setstack(&attributes, stack_.get(), kStackBytes) == 0) &&
                         pthread_create(&thread_, &attributes, &HelperThread::run, this) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) {
        work_ = nullptr;
        stack_.reset();
        return false;
    }
    started_ = true;
    keepApart(thread_);  // the thread waits for this, so it is still there to be placed
    placed_.store(true, std::memory_order_release);
    return true;
}

void HelperThread::join() {
    if (!started_) return;
    pthread_join(thread_, nullptr);
    started_ = false;
    work_ = nullptr;
    stack_.reset();
}

void* HelperThread::run(void* self) {
    auto* helper = static_cast<HelperThread*>(self);
    while (!helper->placed_.load(std::memory_order_acquire)) sched_yield();
    try {
        helper->work_();
    } catch (...) {
        // Nothing may leave a thread's first function; the work says how it went by other means.
    }
    return nullptr;
}

}  // namespace nusk_detail
