// Every pass and query of the helper library on the real files, on the fuzz seeds and on every input a fuzz
// target ever failed on: each run ends, and the design written afterwards refers to nothing outside it.
#include "../common/data_files.h"
#include "exercise_design.h"

#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ReplayedInputs, EveryKeptFuzzInputAndSeed) {
    size_t inputs = 0;
    for (const char* folder : {"regressions", "seeds/read", "seeds/design"}) {
        const std::filesystem::path dir = std::filesystem::path(MIVO_SOURCE_DIR) / "fuzz" / folder;
        if (!std::filesystem::is_directory(dir)) continue;
        for (const auto& e : std::filesystem::directory_iterator(dir)) {
            if (!e.is_regular_file()) continue;
            SCOPED_TRACE(e.path().string());
            ++inputs;
            const ExerciseReport r = exerciseText(contents(e.path()));
            EXPECT_EQ(r.danglingAfterPasses, 0u);
            EXPECT_EQ(r.danglingInExtracts, 0u);
        }
    }
    EXPECT_GT(inputs, 10u);
}

class EveryPassOnARealFile : public testing::TestWithParam<std::string> {};

TEST_P(EveryPassOnARealFile, EndsAndLeavesNoDanglingReference) {
    if (GetParam().empty()) GTEST_SKIP() << "no test data in " << MIVO_DATA_DIR;
    NuskReadResult read = nusk_read_step(GetParam().c_str());
    std::unique_ptr<NuskDesign> design(read.design);
    ASSERT_NE(design, nullptr);
    const ExerciseReport r = exerciseDesign(design.get());
    EXPECT_TRUE(r.written);
    EXPECT_EQ(r.danglingAfterPasses, 0u);
    EXPECT_EQ(r.danglingInExtracts, 0u);
    EXPECT_GT(r.queries, 1000u);
}

INSTANTIATE_TEST_SUITE_P(DataFiles, EveryPassOnARealFile, testing::ValuesIn(mivo_test::dataFileParams()),
                         mivo_test::fileTestName);

}  // namespace
