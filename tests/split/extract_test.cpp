// Extracting products of synthetic assemblies: every product of random trees, built through every kind of
// link, comes out with its subtree, its placements and nothing else, and the source is whole again after.
#include "extract_check.h"

#include "../asm/synthetic_assembly.h"

#include <gtest/gtest.h>

namespace {

using split_test::joined;

TEST(ExtractSynthetic, EveryProductOfRandomAssembliesComesOutWithItsSubtree) {
    size_t products = 0, nodes = 0;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        synth::Options options;
        options.maxDepth = 3;
        const synth::Assembly a = synth::generate(seed, options);
        std::vector<uint32_t> linkIds, productIds;
        const std::string text = synth::stepText(a, linkIds, productIds);
        for (uint32_t id : productIds) {
            const split_test::ExtractReport report = split_test::checkExtract(text, id);
            EXPECT_TRUE(report.problems.empty()) << "product #" << id << ":\n" << joined(report.problems);
            ++products;
            nodes += report.treeNodes;
        }
    }
    EXPECT_GT(products, 12u);
    EXPECT_GT(nodes, products);  // some extracts have children
}

TEST(ExtractSynthetic, TheApplicationsExportSettingIsPutBack) {
    const synth::Assembly a = synth::generate(3);
    std::vector<uint32_t> linkIds, productIds;
    const std::string text = synth::stepText(a, linkIds, productIds);
    // Set either way, the setting is what the extract found when it is done, and the extract is the same.
    for (int setting : {1, 0}) {
        MivoMgrSplitStatus::export_only_needed = setting;
        const split_test::ExtractReport report = split_test::checkExtract(text, productIds.at(1));
        EXPECT_EQ(MivoMgrSplitStatus::export_only_needed, setting);
        EXPECT_TRUE(report.problems.empty()) << joined(report.problems);
    }
}

}  // namespace
