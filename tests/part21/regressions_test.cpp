// Every input that ever made a fuzz target crash, hang or leak: read, written, read back, written again.
#include "p21_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TEST(Part21Regressions, EveryKeptInputReadsWritesAndReadsBack) {
    const std::filesystem::path dir = std::filesystem::path(MIVO_SOURCE_DIR) / "fuzz" / "regressions";
    size_t inputs = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        SCOPED_TRACE(e.path().filename().string());
        std::ifstream in(e.path(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        ++inputs;
        Read first = readText(s.str());
        if (!first.design) {
            EXPECT_EQ(first.result.status, NuskReadStatus::unreadable);
            continue;
        }
        const std::string written = writeText(first.design.get());
        Read second = readText(written);
        ASSERT_NE(second.design, nullptr);
        EXPECT_EQ(second.design->entityCount(), first.design->entityCount());
        EXPECT_EQ(writeText(second.design.get()), written);
    }
    EXPECT_GT(inputs, 0u);
}

}  // namespace
