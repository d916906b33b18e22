// Peak memory of reading one file, as a multiple of the file's size: build/bench/part21_peak FILE...
// (with no file: the large benchmark file). Each file is read in a fresh process of its own.
#include "large_file.h"

#include "nusk/ap242_support.h"
#include "nusk/part21.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int measure(const char* path) {
    nusk_ap242_schema();
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = std::chrono::steady_clock::now();
    NuskReadResult r = nusk_read_step(path);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    const double peak = after.ru_maxrss * 1024.0;
    std::printf("%-45s %8.1f MB  read %6.2f s %7.1f MB/s  peak %7.1f MB = %.2f x file (before reading %.1f MB)\n",
                std::filesystem::path(path).filename().c_str(), r.bytes / 1e6, seconds, r.bytes / seconds / 1e6,
                peak / 1e6, peak / static_cast<double>(r.bytes), before.ru_maxrss / 1024.0);
    return r.status == NuskReadStatus::unreadable ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files(argv + 1, argv + argc);
    if (files.empty()) {
        const std::string large = std::filesystem::temp_directory_path() / "mivo-bench-large.stp";
        if (!mivo_bench::makeLargeFile(large, 120u << 20)) {
            std::fprintf(stderr, "no test data at %s\n", MIVO_DATA_DIR);
            return 1;
        }
        files.push_back(large);
    }
    int failures = 0;
    for (const std::string& f : files) {
        std::fflush(stdout);
        pid_t pid = fork();
        if (pid == 0) {
            const int rc = measure(f.c_str());
            std::fflush(stdout);
            _exit(rc);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        failures += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    return failures ? 1 : 0;
}
