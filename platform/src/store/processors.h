// The processors a process may run on, and keeping a helper thread off its caller's.
#pragma once

#include <pthread.h>

namespace nusk_detail {

/// The processors this process may run on.
unsigned processorsAvailable();

/// Puts `thread` on another processor than the calling one, when the process may use one. `thread` must not have
/// ended: the system takes the number of a thread that has ended for the calling thread, which would then be held
/// to one processor for good. HelperThread sees to that.
void keepApart(pthread_t thread);

}  // namespace nusk_detail
