#include "processors.h"

#include <thread>

#if defined(__linux__)
#include <sched.h>
#endif

namespace nusk_detail {

unsigned processorsAvailable() {
#if defined(__linux__)
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof(set), &set) == 0) return static_cast<unsigned>(CPU_COUNT(&set));
#endif
    return std::thread::hardware_concurrency();
}

void keepApart(pthread_t thread) {
#if defined(__linux__)
    cpu_set_t allowed;
    const int here = sched_getcpu();
    if (here < 0 || sched_getaffinity(0, sizeof(allowed), &allowed) != 0) return;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (cpu == here || !CPU_ISSET(cpu, &allowed)) continue;
        cpu_set_t other;
        CPU_ZERO(&other);
        CPU_SET(cpu, &other);
        pthread_setaffinity_np(thread, sizeof(other), &other);
        return;
    }
#else
    (void)thread;
#endif
}

}  // namespace nusk_detail
