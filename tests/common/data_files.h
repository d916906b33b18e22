// The real STEP files of the test data folder (MIVO_DATA_DIR), for the tests that read them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace mivo_test {

/// Every .stp and .step file below `folder` of the data folder (the whole folder when empty), sorted; none when
/// the folder is missing.
inline std::vector<std::string> dataFiles(const std::string& folder = "") {
    std::vector<std::string> paths;
    const std::filesystem::path root = std::filesystem::path(MIVO_DATA_DIR) / folder;
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec)) return paths;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root, ec)) {
        const std::string ext = e.path().extension().string();
        if (e.is_regular_file() && (ext == ".stp" || ext == ".step")) paths.push_back(e.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

/// The same for a parameterised test: one empty entry when there is no file, so that one test runs and says the
/// files are missing.
inline std::vector<std::string> dataFileParams(const std::string& folder = "") {
    std::vector<std::string> paths = dataFiles(folder);
    if (paths.empty()) paths.push_back("");
    return paths;
}

/// A parameterised test's name for a file: its stem with anything but letters and digits made "_".
inline std::string fileTestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = std::filesystem::path(info.param).stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name.empty() ? "NoFiles" : name;
}

}  // namespace mivo_test
