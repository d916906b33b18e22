// Tagging and merging the units of a design grows linearly with the number of unit entities.
// Run: build/bench/units_bench
#include "mivo_units.h"

#include "nusk/ap242/all.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

/// A design with `count` unit entities, every code made many times over (SI, conversion-based and derived).
std::unique_ptr<NuskDesign> designWithUnits(int64_t count) {
    auto design = std::make_unique<NuskDesign>("units", nusk_ap242_schema());
    const NuskUnit codes[] = {nuskunit_mm, nuskunit_length_cb1, nuskunit_angle_cb1, nuskunit_rad, nuskunit_mm2,
                              nuskunit_s,  nuskunit_mm_per_s,   nuskunit_kpa,       nuskunit_n_m, nuskunit_sr};
    int64_t made = 0;
    for (int64_t i = 0; made < count; ++i) {
        mivo_shortcut_clear_all(design.get());  // so that every unit is made anew
        const size_t before = design->entityCount();
        mivo_make_unit(design.get(), codes[i % 10]);
        made += static_cast<int64_t>(design->entityCount() - before);
    }
    // Identification is what is measured: the units forget what they were made as.
    NuskCursor cursor;
    cursor.traverse(design.get());
    cursor.domain(nusktype_NuskStructure);
    while (NuskObject* obj = cursor.next())
        if (MivoMgrUnit* m = MivoMgrUnit::find(obj)) m->unit = nuskunit_unknown;
    return design;
}

void tagAndMerge(benchmark::State& state) {
    nusk_ap242_schema();
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<NuskDesign> design = designWithUnits(state.range(0));
        state.ResumeTiming();
        mivo_tag_units(design.get());
        benchmark::DoNotOptimize(mivo_merge_units(design.get()));
        state.PauseTiming();
        design.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(tagAndMerge)->RangeMultiplier(4)->Range(1 << 10, 100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK_MAIN();
