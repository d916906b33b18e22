// Tagging an assembly and computing every world placement grows linearly with the number of usages.
// Run: build/bench/asm_bench
//
// The assembly is a synthetic one of the assembly tests: a root with 100 sub-assemblies, each with its share of
// the usages, every product in millimetres, inches or metres, each use placed by random origin and target
// placements in one of the ways a product is built into another (usage with a relationship, reversed or not,
// usage with a mapped item, mapped item alone). Two kinds: every usage places a part of its own (the most
// products and shapes a number of usages can bring), or the usages share 1,000 distinct parts, as the fasteners
// and standard parts of a large assembly do. What is timed: mivo_tag_asms, then mivo_get_product_tree from the
// root (every placement relative to the parent and to the root, in millimetres).
#include "../tests/asm/synthetic_assembly.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

synth::Assembly assemblyOf(int64_t usages, unsigned distinctParts) {
    synth::Options o;
    const auto perSub = static_cast<unsigned>(usages / 100 - 1);
    o.fanOutByDepth = {100, perSub};
    o.reuseLeaf = 0;
    o.distinctLeaves = distinctParts;
    o.kinds = {synth::LinkKind::relationship, synth::LinkKind::reversedRelationship,
               synth::LinkKind::usageMappedItem, synth::LinkKind::mappedOnly};
    return synth::generate(42, o);
}

void tagAndPlaceEverything(benchmark::State& state, unsigned distinctParts) {
    nusk_ap242_schema();
    const synth::Assembly a = assemblyOf(state.range(0), distinctParts);
    for (auto _ : state) {
        state.PauseTiming();
        auto f = std::make_unique<AsmFixture>();
        const synth::Built built = synth::build(*f, a);
        mivo_tag_units(&f->design);
        mivo_tag_props(&f->design);
        state.ResumeTiming();
        mivo_tag_asms(&f->design);
        const std::vector<MivoAsmTreeNode> tree = mivo_get_product_tree(built.products[0].pd, nuskunit_mm);
        benchmark::DoNotOptimize(tree.back().world[12]);
        state.PauseTiming();
        if (tree.size() != a.nodes.size()) state.SkipWithError("the tree lost nodes");
        f.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(static_cast<int64_t>(a.nodes.size()) - 1);
}

}  // namespace

BENCHMARK_CAPTURE(tagAndPlaceEverything, ownParts, 0u)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Complexity(benchmark::oN);
BENCHMARK_CAPTURE(tagAndPlaceEverything, sharedParts, 1000u)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Complexity(benchmark::oN);
BENCHMARK_MAIN();
