// Converting the geometry of a design into other units takes time linear in the number of objects converted:
// the largest real file, and files of about 125,000 to 1,000,000 instances made from the real ones.
// Run: build/bench/translate_bench [--benchmark_repetitions=3]
//
// Each iteration converts every representation of the design, alternately into inch and degree and into
// millimetre and radian, so that every iteration converts everything; the design is read once.
#include "large_file.h"

#include "mivo_geometry.h"
#include "mivo_units.h"

#include "nusk/ap242_support.h"
#include "nusk/part21.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

void convert(benchmark::State& state, const std::string& path) {
    nusk_ap242_schema();
    std::unique_ptr<NuskDesign> design(nusk_read_step(path.c_str()).design);
    if (!design) {
        state.SkipWithError(("cannot read " + path).c_str());
        return;
    }
    mivo_tag_units(design.get());
    unsigned items = 0;
    bool toInch = true;
    for (auto _ : state) {
        const MivoUnitConversion done = toInch
                                            ? mivo_convert_geometry_units(design.get(), nuskunit_length_cb1, nuskunit_angle_cb1)
                                            : mivo_convert_geometry_units(design.get(), nuskunit_mm, nuskunit_rad);
        items = done.items;
        toInch = !toInch;
        benchmark::DoNotOptimize(items);
    }
    state.counters["instances"] = static_cast<double>(design->entityCount());
    state.counters["items"] = items;
    state.counters["items/s"] = benchmark::Counter(static_cast<double>(items) * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    state.SetComplexityN(items);
}

std::string largeFile(size_t mb) {
    return (std::filesystem::temp_directory_path() / ("mivo-translate-bench-" + std::to_string(mb) + "MB.stp")).string();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = mivo_bench::dataDirectory();
    if (dir.empty()) {
        std::fprintf(stderr, "no test data at %s\n", MIVO_DATA_DIR);
        return 1;
    }
    // The largest real file.
    std::string largest;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir))
        if (e.is_regular_file() && (largest.empty() || e.file_size() > std::filesystem::file_size(largest)))
            largest = e.path().string();
    benchmark::RegisterBenchmark(("convert/" + std::filesystem::path(largest).filename().string()).c_str(), convert,
                                 largest)
        ->Unit(benchmark::kMillisecond);
    // The real files repeated: about 118 bytes per instance, so 15 MB hold some 125,000 instances and 120 MB a
    // million. One benchmark with the size as its argument, so that the fitted complexity covers all four.
    auto* repeated = benchmark::RegisterBenchmark("convert/repeated_MB", [](benchmark::State& state) {
        convert(state, largeFile(static_cast<size_t>(state.range(0))));
    });
    for (size_t mb : {15, 30, 60, 120})
        if (mivo_bench::makeLargeFile(largeFile(mb), mb << 20)) repeated->Arg(static_cast<int64_t>(mb));
    repeated->Unit(benchmark::kMillisecond)->Iterations(4)->Complexity(benchmark::oN);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
