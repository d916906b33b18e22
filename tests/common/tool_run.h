// Runs the mivo tool as a user runs it, for the tests that check its output and exit statuses.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

/// The start of the small files the tool tests write, up to DATA: the first edition of AP242, a fixed
/// description and name.
#define MIVO_TEST_HEADER \
    "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('d'),'2;1');\nFILE_NAME('n','t',(''),(''),'','sys','');\n" \
    "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }'));\nENDSEC;\nDATA;\n"

namespace tool_run {

struct ToolRun {
    int status;       // the exit status; -1 when the tool did not exit (a crash)
    std::string out;  // standard output
    std::string err;  // standard error
};

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

/// Runs `tool args` with standard output and standard error each in a file of its own, named for this process
/// (ctest runs tests in processes side by side). A run that takes longer than `seconds` is stopped and gives
/// the status 124, so that a hang fails the test instead of the test run.
inline ToolRun run(const std::string& tool, const std::string& args, int seconds = 300) {
    const std::string stem = testing::TempDir() + "tool-" + std::to_string(getpid());
    const std::string out = stem + "-stdout.txt";
    const std::string err = stem + "-stderr.txt";
    const std::string command =
        "timeout " + std::to_string(seconds) + " " + tool + " " + args + " >" + out + " 2>" + err;
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readAll(out), readAll(err)};
}

inline bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

#ifdef MIVO_PATH
/// `mivo ARGS`, as a user runs it.
inline ToolRun mivo(const std::string& args) { return run(MIVO_PATH, args); }
#endif

/// Writes `text` to a file of that name in the tests' temporary folder and gives its path.
inline std::string writeFile(const std::string& name, const std::string& text) {
    std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

}  // namespace tool_run
