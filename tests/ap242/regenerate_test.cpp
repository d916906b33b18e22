// The committed generated files are what the schema compiler writes today.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

/// Every file of `generated` must equal the file of the same name under `committed`, and the reverse.
void expectSameTree(const fs::path& generated, const fs::path& committed) {
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(generated)) {
        if (!entry.is_regular_file()) continue;
        fs::path rel = fs::relative(entry.path(), generated);
        ++files;
        ASSERT_TRUE(fs::exists(committed / rel)) << rel << " is generated but not committed";
        EXPECT_TRUE(slurp(entry.path()) == slurp(committed / rel)) << rel << " differs from what is committed";
    }
    for (const auto& entry : fs::recursive_directory_iterator(committed)) {
        if (!entry.is_regular_file()) continue;
        EXPECT_TRUE(fs::exists(generated / fs::relative(entry.path(), committed)))
            << entry.path() << " is committed but no longer generated";
    }
    EXPECT_GT(files, 0u);
}

TEST(Ap242Generation, RegeneratingGivesTheCommittedFiles) {
    if (!fs::exists(MIVO_SCHEMA_FILE)) GTEST_SKIP() << "schema file " << MIVO_SCHEMA_FILE << " not found";
    fs::path out = fs::temp_directory_path() / ("mivo_regen_" + std::to_string(::getpid()));
    fs::remove_all(out);
    fs::create_directories(out / "gen/include");
    fs::create_directories(out / "gen/src");
    fs::create_directories(out / "tests");
    const std::string root = MIVO_SOURCE_DIR;
    const std::string lists = root + "/schemas/ap242/";
    std::string command = std::string(EXPRESSC_PATH) + " " + MIVO_SCHEMA_FILE + " --complex " + lists +
                          "complex.txt --lazy " + lists + "lazy_aggregates.txt --defaults " + lists +
                          "defaults.txt --include " + (out / "gen/include").string() +
                          " --source " + (out / "gen/src").string() + " --tests " + (out / "tests").string() +
                          " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    expectSameTree(out / "gen/include", root + "/platform/gen/include/nusk/ap242");
    // sources.cmake sits beside the source folder, as in the committed tree.
    expectSameTree(out / "gen/src", root + "/platform/gen/src");
    EXPECT_EQ(slurp(out / "gen/sources.cmake"), slurp(root + "/platform/gen/sources.cmake"));
    expectSameTree(out / "tests", root + "/tests/ap242/gen");
    fs::remove_all(out);
}

}  // namespace
