// The product tree our library computes from a real assembly, usage by usage, against the peer reader's: the
// same products under the same parents, each placed where the peer places it, relative to the root and to
// its parent, to 1e-9 mm.
#include "library_rewrite.h"
#include "peer_assembly.h"

#include "mivo_assemblies.h"
#include "mivo_properties.h"
#include "mivo_units.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <memory>

namespace {

/// A placement as the peer gives it: the rotation row by row, then the translation in millimetres.
using Placement = std::array<double, 12>;

Placement fromXform(const NuskXform& x) {
    Placement p{};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) p[row * 3 + col] = x[4 * col + row];
        p[9 + row] = x[12 + row];
    }
    return p;
}

/// inverse(parent) * child for rigid placements: R = Rp^T Rc, t = Rp^T (tc - tp).
Placement relative(const Placement& parent, const Placement& child) {
    Placement r{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) r[i * 3 + j] += parent[k * 3 + i] * child[k * 3 + j];
        for (int k = 0; k < 3; ++k) r[9 + i] += parent[k * 3 + i] * (child[9 + k] - parent[9 + k]);
    }
    return r;
}

struct OurNode {
    std::string product;  // the product's name
    std::string parentPath;
    Placement world{}, xform{};
};

std::string text(const char* s) { return s ? s : ""; }

std::string productName(stp_product_definition* pd) {
    stp_product_definition_formation* f = pd ? pd->formation() : nullptr;
    return f && f->of_product() ? text(f->of_product()->name()) : "";
}

/// Our tree of every root, by path: the root's product name, then each usage's name, joined by '/'.
std::multimap<std::string, OurNode> ourTree(const std::string& file) {
    std::multimap<std::string, OurNode> out;
    NuskReadResult r = nusk_read_step(file.c_str());
    std::unique_ptr<NuskDesign> design(r.design);
    if (!design) return out;
    mivo_tag_units(design.get());
    mivo_tag_props(design.get());
    mivo_tag_asms(design.get());
    StpAsmProductDefVec roots;
    mivo_find_root_products(&roots, design.get());
    for (unsigned i = 0; i < roots.size(); ++i) {
        const std::vector<MivoAsmTreeNode> tree = mivo_get_product_tree(roots.get(i), nuskunit_mm);
        std::vector<std::string> paths;
        for (const MivoAsmTreeNode& n : tree) {
            OurNode node;
            node.product = productName(n.product);
            const std::string own = n.parent < 0 ? node.product : text(n.use.nauo ? n.use.nauo->name() : nullptr);
            node.parentPath = n.parent < 0 ? "" : paths[n.parent];
            paths.push_back(node.parentPath.empty() ? own : node.parentPath + "/" + own);
            node.world = fromXform(n.world);
            node.xform = fromXform(n.use.xform);
            out.emplace(paths.back(), node);
        }
    }
    return out;
}

void expectSamePlacement(const Placement& ours, const Placement& peers, const std::string& what) {
    for (size_t i = 0; i < 12; ++i) EXPECT_NEAR(ours[i], peers[i], 1e-9) << what << " element " << i;
}

class AssemblyTreeAgainstPeer : public ::testing::TestWithParam<const char*> {};

TEST_P(AssemblyTreeAgainstPeer, EveryUsagePlacesTheSameProductWhereThePeerDoes) {
    const std::string file = assemblyFile(GetParam());
    if (file.empty()) GTEST_SKIP() << GetParam() << " not found under " << MIVO_DATA_DIR << "/assemblies";
    const peer::AssemblyDescription theirs = peer::describeAssembly(file);
    ASSERT_TRUE(theirs.ok) << theirs.error;
    const std::multimap<std::string, OurNode> ours = ourTree(file);
    ASSERT_EQ(ours.size(), theirs.nodes.size()) << peer::toText(theirs);

    std::map<std::string, Placement> peerWorld;
    for (const peer::AssemblyNode& n : theirs.nodes) peerWorld[n.path] = n.placement;
    size_t usages = 0;
    for (const peer::AssemblyNode& n : theirs.nodes) {
        ASSERT_EQ(ours.count(n.path), 1u) << "path " << n.path << " is not ours once";
        const OurNode& mine = ours.find(n.path)->second;
        EXPECT_EQ(mine.product, n.name) << n.path;
        expectSamePlacement(mine.world, n.placement, n.path + " in the root");
        if (n.depth == 0) continue;
        ++usages;
        const std::string parentPath = n.path.substr(0, n.path.rfind('/'));
        // The same parent node, whose product was compared in its own turn.
        EXPECT_EQ(mine.parentPath, parentPath) << n.path;
        expectSamePlacement(mine.xform, relative(peerWorld[parentPath], n.placement), n.path + " in its parent");
    }
    EXPECT_GT(usages, 1u);
}

INSTANTIATE_TEST_SUITE_P(RealFiles, AssemblyTreeAgainstPeer, ::testing::Values("as1.step", "nut-bolt-assembly.step"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).find("as1") == 0 ? std::string("as1")
                                                                             : std::string("nut_bolt_assembly");
                         });

}  // namespace
