// Helper threads are put on another processor than their caller's, and the caller is left as it was.
#include <gtest/gtest.h>

#include <cstdio>
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

}  // namespace
