// What fresh memory costs on this machine just now, for reading cold-read figures:
//
//   build/bench/fresh_pages [MB]      (default 16)
//
// A cold read's own work is fixed, but the memory it writes for the first time is not: every page of a fresh
// process is new to it, and what the kernel (and, in a virtual machine, the host) must do to provide one varies by
// an order of magnitude from one minute to the next. This prints, as one JSON line:
// - huge_ms_per_2mb: a region asked for huge pages and backed in one call, per 2 MB page (how the reader's arenas
//   and the tool's start-up heap get their memory);
// - small_us_per_page: the first touch of each 4 KiB page of a region without huge pages, per page (what memory
//   from malloc costs).
// Run it beside a benchmark: a slow read next to slow fresh pages is the machine, not the reader.
#include <sys/mman.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kSmallPage = 4096;
#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;  // the kernel's value, for C libraries whose headers predate it
#endif

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

char* mapAnonymous(size_t bytes) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<char*>(p);
}

/// Milliseconds per huge page to back `bytes` of huge-page memory in one call; negative when it cannot be mapped.
double hugePageMilliseconds(size_t bytes) {
    const auto start = std::chrono::steady_clock::now();
    char* raw = mapAnonymous(bytes + kHugePage);
    if (!raw) return -1;
    char* aligned = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(raw) + kHugePage - 1) & ~(kHugePage - 1));
    madvise(aligned, bytes, MADV_HUGEPAGE);
    if (madvise(aligned, bytes, kPopulateWrite) != 0)
        for (size_t at = 0; at < bytes; at += kSmallPage) aligned[at] = 1;  // kernels without populate
    const double ms = millisecondsSince(start);
    munmap(raw, bytes + kHugePage);
    return ms / static_cast<double>(bytes / kHugePage);
}

/// Microseconds per 4 KiB page to touch `bytes` of small-page memory for the first time; negative on failure.
double smallPageMicroseconds(size_t bytes) {
    const auto start = std::chrono::steady_clock::now();
    volatile char* region = mapAnonymous(bytes);
    if (!region) return -1;
    madvise(const_cast<char*>(region), bytes, MADV_NOHUGEPAGE);
    for (size_t at = 0; at < bytes; at += kSmallPage) region[at] = 1;
    const double ms = millisecondsSince(start);
    munmap(const_cast<char*>(region), bytes);
    return ms * 1000.0 / static_cast<double>(bytes / kSmallPage);
}

}  // namespace

int main(int argc, char** argv) {
    const long megabytes = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 16;
    if (megabytes < 2 || megabytes > 4096) {
        std::fprintf(stderr, "usage: fresh_pages [MB]   (2 to 4096, default 16)\n");
        return 2;
    }
    const size_t bytes = (static_cast<size_t>(megabytes) << 20) & ~(kHugePage - 1);
    const double huge = hugePageMilliseconds(bytes);
    const double small = smallPageMicroseconds(bytes);
    std::printf("{\"megabytes\": %ld, \"huge_ms_per_2mb\": %.3f, \"small_us_per_page\": %.2f}\n", megabytes, huge,
                small);
    return huge < 0 || small < 0 ? 1 : 0;
}
