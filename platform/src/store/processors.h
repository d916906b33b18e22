// The processors a process may run on, and keeping a helper thread off its caller's.
#pragma once

#include <thread>

namespace nusk_detail {

/// The processors this process may run on.
unsigned processorsAvailable();

/// Puts `thread` on another processor than the calling one, when the process may use one. Left to the scheduler,
/// a new thread often starts on its parent's processor and holds the parent off it for a millisecond or more,
/// until the other processor is woken up: on a virtual machine, a good part of a cold read.
void keepApart(std::thread& thread);

}  // namespace nusk_detail
