// Helper threads are put on another processor than their caller's, and the caller is left as it was.
#include "helper_thread.h"

#include <gtest/gtest.h>

#include <sched.h>

#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

/// Runs the probe in a fresh process; its main thread's processors before and after it started a helper.
std::pair<int, int> processorsAround(const std::string& helper) {
    const std::string command = std::string(PROCESSORS_PROBE_PATH) + " " + helper;
    std::FILE* out = popen(command.c_str(), "r");
    if (!out) return {0, 0};
    int before = 0, after = 0;
    const int got = std::fscanf(out, "%d %d", &before, &after);
    pclose(out);
    return got == 2 ? std::make_pair(before, after) : std::make_pair(0, 0);
}

// Putting a thread that has already ended on another processor puts its caller there instead, for good: the
// system takes an ended thread's number for the calling thread's. A process's first thread, with little to do,
// often ends before its caller gets on. Were the caller held to one processor, a read it started later would
// find no second one to read on.
TEST(StoreProcessors, AHelperThatEndsAtOnceLeavesItsCallerEveryProcessor) {
    for (const std::string helper : {"ahead", "read"}) {
        for (int i = 0; i < 20; ++i) {
            const auto [before, after] = processorsAround(helper);
            ASSERT_GT(before, 0) << "the probe did not run";
            if (before < 2) GTEST_SKIP() << "one processor: no helper thread is started";
            ASSERT_EQ(after, before) << helper << ", run " << i;
        }
    }
}

int callersProcessors() {
    cpu_set_t set;
    return sched_getaffinity(0, sizeof(set), &set) == 0 ? CPU_COUNT(&set) : 0;
}

// The second part of a read and memory backed ahead run on such threads, on a stack of their own or the system's:
// the work runs once, placed first, a failure stays on the thread, and it is joined before its stack goes.
TEST(StoreProcessors, AHelperThreadRunsItsWorkOnceAndIsJoined) {
    std::atomic<int> runs{0};
    int seen = 0;
    {
        nusk_detail::HelperThread helper;
        EXPECT_FALSE(helper.joinable());
        ASSERT_TRUE(helper.start(
            [&] {
                seen = callersProcessors();
                ++runs;
            },
            true));
        EXPECT_TRUE(helper.joinable());
        EXPECT_FALSE(helper.start([&] { ++runs; }, false)) << "one piece of work at a time";
        helper.join();
        EXPECT_FALSE(helper.joinable());
        EXPECT_EQ(runs.load(), 1);
        if (callersProcessors() >= 2) {
            EXPECT_EQ(seen, 1) << "put on another processor before the work starts";
        }

        ASSERT_TRUE(helper.start(
            [&] {
                ++runs;
                throw std::runtime_error("out of something");  // stays on the thread
            },
            false));
        helper.join();
        EXPECT_EQ(runs.load(), 2);
        ASSERT_TRUE(helper.start([&] { ++runs; }, true));
    }  // joined on the way out
    EXPECT_EQ(runs.load(), 3);
}

}  // namespace
