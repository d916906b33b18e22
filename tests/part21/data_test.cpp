// Every real file: read, write, read again gives the same instances; writing twice gives the same bytes.
#include "p21_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::vector<std::string> dataFiles() {
    std::vector<std::string> files;
    const std::string dir = dataDirectory();
    if (dir.empty()) return files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        const std::string ext = e.path().extension().string();
        if (e.is_regular_file() && (ext == ".stp" || ext == ".step")) files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(Part21RealFiles, ReadWriteReadKeepsTheInstancesAndWritesAreStable) {
    const std::vector<std::string> files = dataFiles();
    if (files.empty()) GTEST_SKIP() << "no test data found at " << MIVO_DATA_DIR;
    nusk_ap242_schema();
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        NuskReadResult first = nusk_read_step(file.c_str());
        std::unique_ptr<NuskDesign> a(first.design);
        ASSERT_NE(first.status, NuskReadStatus::unreadable);
        EXPECT_GT(first.instanceCount, 100u);
        const std::string written = writeText(a.get());
        Read second = readText(written);
        ASSERT_NE(second.design, nullptr);
        EXPECT_EQ(second.result.instanceCount, first.instanceCount);
        EXPECT_EQ(compareDesigns(a.get(), second.design.get()), "");
        EXPECT_EQ(writeText(second.design.get()), written);
    }
}

}  // namespace
