// Runs the mivo tool as a user runs it, for the tests that check its output and exit statuses.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace tool_run
