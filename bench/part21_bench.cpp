// Load and save throughput of the Part 21 reader and writer, on the real test files and on a large file made
// from them. Run: build/bench/part21_bench [--benchmark_repetitions=5]
#include "large_file.h"

#include "nusk/ap242_support.h"
#include "nusk/part21.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

void load(benchmark::State& state, const std::string& path) {
    nusk_ap242_schema();
    uint64_t bytes = 0;
    for (auto _ : state) {
        NuskReadResult r = nusk_read_step(path.c_str());
        bytes = r.bytes;
        state.PauseTiming();
        delete r.design;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
}

void save(benchmark::State& state, const std::string& path) {
    nusk_ap242_schema();
    NuskReadResult r = nusk_read_step(path.c_str());
    std::unique_ptr<NuskDesign> design(r.design);
    const std::string out = std::filesystem::temp_directory_path() / "mivo-bench-save.stp";
    uint64_t bytes = 0;
    for (auto _ : state) {
        NuskWriteResult w = nusk_write_step(design.get(), out.c_str());
        bytes = w.bytes;
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes * state.iterations()));
    std::filesystem::remove(out);
}

void registerFile(const std::string& name, const std::string& path) {
    benchmark::RegisterBenchmark(("load/" + name).c_str(), load, path)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("save/" + name).c_str(), save, path)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = mivo_bench::dataDirectory();
    if (dir.empty()) {
        std::fprintf(stderr, "no test data at %s\n", MIVO_DATA_DIR);
        return 1;
    }
    for (const char* family : {"nist", "assemblies"})
        for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(dir) / family))
            registerFile(e.path().filename().string(), e.path().string());
    const std::string large = std::filesystem::temp_directory_path() / "mivo-bench-large.stp";
    if (mivo_bench::makeLargeFile(large, 120u << 20)) registerFile("large-120MB", large);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
