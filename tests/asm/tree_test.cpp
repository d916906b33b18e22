// The product tree: synthetic assemblies of random shape, units and placements, built in memory and read from
// STEP text, have every world placement where an independent computation puts it; products used several times,
// usages without links, cycles and very deep chains.
#include "asm_helpers.h"
#include "synthetic_assembly.h"

#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>

namespace {

using Vec = std::array<double, 3>;

Vec apply(const NuskXform& x, const Vec& p) {
    Vec out;
    for (int r = 0; r < 3; ++r) out[r] = x[r] * p[0] + x[4 + r] * p[1] + x[8 + r] * p[2] + x[12 + r];
    return out;
}

const std::vector<Vec> kSamples = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-2.5, 7.75, 3}};

/// Checks every node of the tree below the synthetic root against the answer, with the link of each node found
/// by its instance number. Returns the number of nodes checked.
size_t checkTree(const synth::Assembly& a, const std::vector<MivoAsmTreeNode>& tree,
                 const std::vector<uint32_t>& linkIds, NuskUnit asked) {
    std::map<uint32_t, int> nodeOfLink;
    for (size_t i = 1; i < a.nodes.size(); ++i) nodeOfLink[linkIds[i]] = static_cast<int>(i);
    EXPECT_EQ(tree.size(), a.nodes.size());
    size_t checked = 0;
    for (const MivoAsmTreeNode& node : tree) {
        EXPECT_FALSE(node.cycle);
        if (node.depth == 0) continue;
        const auto found = nodeOfLink.find(node.use.link ? node.use.link->entity_id() : 0);
        if (found == nodeOfLink.end()) {
            ADD_FAILURE() << "a node placed by #" << (node.use.link ? node.use.link->entity_id() : 0) << " is not in the assembly";
            continue;
        }
        const synth::Node& expected = a.nodes[found->second];
        const NuskUnit childUnit = a.units[expected.product];
        const NuskUnit unit = asked == nuskunit_as_is ? childUnit : asked;
        EXPECT_EQ(node.use.unit, unit);
        const MivoAsmTreeNode& parent = tree[node.parent];
        EXPECT_EQ(node.depth, parent.depth + 1);
        // The world placement takes points of the node, in `unit`, to the root, in `unit`.
        for (const Vec& p : kSamples) {
            const Vec want = synth::pointInRoot(a, found->second, p);
            const double toUnit = 1.0 / synth::mmPer(unit), fromChild = synth::mmPer(childUnit) * toUnit;
            const Vec got = apply(node.world, {p[0] * fromChild, p[1] * fromChild, p[2] * fromChild});
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(got[i], want[i] * toUnit, 1e-9 * std::max(1.0, std::fabs(want[i] * toUnit)))
                    << "node " << found->second << " coordinate " << i;
        }
        ++checked;
    }
    return checked;
}

std::vector<NuskObject*> rootsOf(NuskDesign* design) {
    StpAsmProductDefVec roots;
    mivo_find_root_products(&roots, design);
    std::vector<NuskObject*> out;
    for (unsigned i = 0; i < roots.size(); ++i) out.push_back(roots.get(i));
    return out;
}

TEST(SyntheticAssemblies, BuiltInMemoryEveryWorldPlacementIsTheKnownAnswer) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const synth::Assembly a = synth::generate(seed);
        AsmFixture f;
        const synth::Built built = synth::build(f, a);
        CaughtMessages caught;
        f.tag();
        EXPECT_TRUE(caught.errors.empty()) << caught.errors.front();
        std::vector<uint32_t> linkIds;
        for (NuskObject* link : built.links) linkIds.push_back(link ? link->entity_id() : 0);
        const NuskUnit asked = seed % 3 == 0 ? nuskunit_as_is : seed % 3 == 1 ? nuskunit_mm : nuskunit_length_cb1;
        checkTree(a, mivo_get_product_tree(built.products[0].pd, asked), linkIds, asked);
        std::vector<NuskObject*> expectedRoots;
        for (int p : synth::rootProducts(a)) expectedRoots.push_back(built.products[p].pd);
        EXPECT_EQ(rootsOf(&f.design), expectedRoots);
    }
}

TEST(SyntheticAssemblies, ReadFromStepTextEveryWorldPlacementIsTheKnownAnswer) {
    for (uint32_t seed = 101; seed <= 108; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const synth::Assembly a = synth::generate(seed);
        std::vector<uint32_t> linkIds, productIds;
        const std::string text = synth::stepText(a, linkIds, productIds);
        NuskReadResult r = nusk_read_step_text(text.data(), text.size());
        ASSERT_EQ(r.status, NuskReadStatus::ok) << (r.messages.empty() ? "" : r.messages.front().text);
        std::unique_ptr<NuskDesign> design(r.design);
        CaughtMessages caught;
        mivo_tag_units(design.get());
        mivo_tag_props(design.get());
        mivo_tag_asms(design.get());
        EXPECT_TRUE(caught.errors.empty()) << caught.errors.front();
        auto* root = nusk_cast(design->findEntity(productIds[0]), nusktype_stp_product_definition);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(checkTree(a, mivo_get_product_tree(root, nuskunit_mm), linkIds, nuskunit_mm), a.nodes.size() - 1);
        std::vector<NuskObject*> expectedRoots;
        for (int p : synth::rootProducts(a)) expectedRoots.push_back(design->findEntity(productIds[p]));
        EXPECT_EQ(rootsOf(design.get()), expectedRoots);
    }
}

// ---- uses ----

struct Tree : AsmFixture, ::testing::Test {};

TEST_F(Tree, AProductUsedSeveralTimesAppearsOncePerUse) {
    Product top = product("top"), sub = product("sub"), bolt = product("bolt");
    Usage s1 = useByRelationship(top, sub, NuskXform(), moved(100, 0, 0), false, "s1");
    Usage s2 = useByMappedItem(top, sub, NuskXform(), moved(200, 0, 0), "s2");
    Usage b1 = useByRelationship(sub, bolt, NuskXform(), moved(0, 1, 0), false, "b1");
    stp_mapped_item* b2 = mapInto(sub, bolt, NuskXform(), moved(0, 2, 0));
    tag();
    const std::vector<MivoAsmUse> uses = mivo_get_product_children(sub.pd, nuskunit_mm);
    ASSERT_EQ(uses.size(), 2u);  // the usage first, then the mapped item without usage
    EXPECT_EQ(uses[0].link, static_cast<NuskObject*>(b1.rel));
    EXPECT_EQ(uses[1].link, static_cast<NuskObject*>(b2));
    EXPECT_EQ(uses[1].nauo, nullptr);

    const std::vector<MivoAsmTreeNode> tree = mivo_get_product_tree(top.pd, nuskunit_mm);
    ASSERT_EQ(tree.size(), 7u);
    std::vector<std::pair<unsigned, double>> shape;  // depth and world x, y of each node in order
    for (const MivoAsmTreeNode& n : tree) shape.push_back({n.depth, n.world[12] + n.world[13]});
    EXPECT_EQ(shape, (std::vector<std::pair<unsigned, double>>{{0, 0}, {1, 100}, {2, 101}, {2, 102}, {1, 200}, {2, 201}, {2, 202}}));
    EXPECT_EQ(tree[1].use.nauo, s1.nauo);
    EXPECT_EQ(tree[4].use.link, static_cast<NuskObject*>(s2.item));
    EXPECT_EQ(tree[5].parent, 4);
}

TEST_F(Tree, AUsageWithoutLinksIsListedUnplaced) {
    Product top = product("top"), part = product("part", nuskunit_mm, false);
    stp_next_assembly_usage_occurrence* u = nauo(top, part);
    tag();
    const std::vector<MivoAsmUse> uses = mivo_get_product_children(top.pd, nuskunit_m);
    ASSERT_EQ(uses.size(), 1u);
    EXPECT_EQ(uses[0].nauo, u);
    EXPECT_EQ(uses[0].link, nullptr);
    EXPECT_EQ(uses[0].unit, nuskunit_m);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(uses[0].xform[i], NuskXform()[i]);
    EXPECT_TRUE(mivo_get_product_children(part.pd, nuskunit_mm).empty());
    EXPECT_TRUE(mivo_get_product_children(nullptr, nuskunit_mm).empty());
    EXPECT_TRUE(mivo_get_product_tree(nullptr, nuskunit_mm).empty());
}

TEST_F(Tree, MappedItemsOfAUsageThatShowNoRepresentationPlaceNothing) {
    // The usage's shape holds a good mapped item, one without its map and one whose map shows nothing: the
    // part is placed once, by the good one, in millimetres. A usage with only such items is listed unplaced.
    Product top = product("top", nuskunit_length_cb1), part = product("part"), other = product("other");
    Usage u = useByMappedItem(top, part, NuskXform(), moved(1, 0, 0), "u");
    auto* withoutMap = new (&design) stp_mapped_item();
    withoutMap->mapping_target(placement(u.rep, moved(2, 0, 0)));
    addItem(u.rep, withoutMap);
    mappedItem(u.rep, nullptr, placement(nullptr), placement(u.rep, moved(3, 0, 0)));
    Usage empty = useByMappedItem(top, other, NuskXform(), moved(4, 0, 0), "empty");
    empty.item->mapping_source()->mapped_representation(nullptr);
    tag();
    CaughtMessages caught;
    const std::vector<MivoAsmUse> uses = mivo_get_product_children(top.pd, nuskunit_mm);
    ASSERT_EQ(uses.size(), 2u);
    EXPECT_EQ(uses[0].link, static_cast<NuskObject*>(u.item));
    EXPECT_EQ(uses[0].xform[12], 25.4);
    EXPECT_EQ(uses[1].nauo, empty.nauo);
    EXPECT_EQ(uses[1].link, nullptr);
    EXPECT_EQ(uses[1].xform[12], 0.0);
    EXPECT_TRUE(caught.errors.empty()) << caught.errors.front();
}

// ---- cycles and depth ----

TEST_F(Tree, AProductThatIsItsOwnAncestorIsListedOnceMoreAndNotFollowed) {
    Product root = product("root"), a = product("a"), b = product("b");
    useByRelationship(root, a);
    useByRelationship(a, b);
    useByRelationship(b, a);  // a inside b inside a
    tag();
    const std::vector<MivoAsmTreeNode> tree = mivo_get_product_tree(root.pd, nuskunit_mm);
    ASSERT_EQ(tree.size(), 4u);
    EXPECT_EQ(tree[3].product, a.pd);
    EXPECT_TRUE(tree[3].cycle);
    EXPECT_EQ(tree[3].depth, 3u);
    EXPECT_FALSE(tree[2].cycle);
    // No root at all: every product is a child.
    EXPECT_EQ(rootsOf(&design), std::vector<NuskObject*>{root.pd});
}

TEST_F(Tree, ACycleOfRepresentationsWithoutProductsEnds) {
    Product top = product("top"), part = product("part");
    stp_shape_representation* g1 = shape(nuskunit_mm, "g1");
    stp_shape_representation* g2 = shape(nuskunit_mm, "g2");
    mappedItem(top.shape, g1, placement(g1), placement(top.shape, moved(1, 0, 0)));
    mappedItem(g1, g2, placement(g2), placement(g1, moved(0, 1, 0)));
    mappedItem(g2, g1, placement(g1), placement(g2));  // g1 inside g2 inside g1
    mappedItem(g2, part.shape, placement(part.shape), placement(g2, moved(0, 0, 1)));
    tag();
    const std::vector<MivoAsmUse> uses = mivo_get_product_children(top.pd, nuskunit_mm);
    ASSERT_EQ(uses.size(), 1u);
    EXPECT_EQ(uses[0].child, part.pd);
    EXPECT_EQ(uses[0].xform[12] + uses[0].xform[13] + uses[0].xform[14], 3.0);
}

// Representations without product, each mapping the next twice: `levels` levels below the top's shape, 2^levels
// paths to the last. Returns the representations, the top's shape's child first.
std::vector<stp_shape_representation*> doublingLattice(AsmFixture& f, const AsmFixture::Product& top, int levels) {
    std::vector<stp_shape_representation*> reps;
    for (int i = 0; i < levels; ++i) reps.push_back(f.shape(nuskunit_mm, ("l" + std::to_string(i)).c_str()));
    f.mappedItem(top.shape, reps[0], f.placement(reps[0]), f.placement(top.shape));
    for (int i = 0; i + 1 < levels; ++i) {
        stp_axis2_placement_3d* origin = f.placement(reps[i + 1]);
        f.mappedItem(reps[i], reps[i + 1], origin, f.placement(reps[i], moved(1, 0, 0)));
        f.mappedItem(reps[i], reps[i + 1], origin, f.placement(reps[i], moved(0, 1, 0)));
    }
    return reps;
}

TEST_F(Tree, ALatticeOfRepresentationsThatPlacesNothingIsWalkedOnce) {
    // 2^60 paths lead to nothing: walked path by path, this would not end; each level at most once, it is
    // immediate.
    Product top = product("top");
    const std::vector<stp_shape_representation*> lattice = doublingLattice(*this, top, 60);
    tag();
    CaughtMessages caught;
    EXPECT_TRUE(mivo_get_product_children(top.pd, nuskunit_mm).empty());
    EXPECT_EQ(mivo_get_product_tree(top.pd, nuskunit_mm).size(), 1u);
    // Each level also maps the first again: cycles through the lattice are turned back, and the levels below
    // are still walked once.
    for (stp_shape_representation* rep : lattice) mappedItem(rep, lattice[0], placement(lattice[0]), placement(rep));
    tag();
    EXPECT_TRUE(mivo_get_product_children(top.pd, nuskunit_mm).empty());
    EXPECT_TRUE(caught.errors.empty());
}

TEST_F(Tree, ALatticeOfRepresentationsPlacesAProductOncePerPathUpToTheLimit) {
    Product top = product("top"), part = product("part");
    std::vector<stp_shape_representation*> lattice = doublingLattice(*this, top, 3);
    mappedItem(lattice.back(), part.shape, placement(part.shape), placement(lattice.back()));
    tag();
    std::vector<double> offsets;  // x + 10 y of each use: the two ways down at each of the two doubling levels
    for (const MivoAsmUse& use : mivo_get_product_children(top.pd, nuskunit_mm))
        offsets.push_back(use.xform[12] + 10 * use.xform[13]);
    EXPECT_EQ(offsets, (std::vector<double>{2, 11, 11, 20}));

    // 2^40 paths: the uses stop at the limit, which the error names.
    Product big = product("big");
    lattice = doublingLattice(*this, big, 41);
    mappedItem(lattice.back(), part.shape, placement(part.shape), placement(lattice.back()));
    tag();
    CaughtMessages caught;
    EXPECT_EQ(mivo_get_product_children(big.pd, nuskunit_mm, 1000).size(), 1000u);
    const std::string id = std::to_string(static_cast<NuskObject*>(big.pd)->entity_id());
    EXPECT_EQ(caught.errors,
              std::vector<std::string>{"Children of #" + id + " stop at 1000 uses: its shapes place products along "
                                       "more paths than that"});
    caught.errors.clear();
    EXPECT_EQ(mivo_get_product_tree(big.pd, nuskunit_mm, 500).size(), 500u);
    EXPECT_EQ(caught.errors.size(), 2u);  // the children's limit, then the tree's
}

TEST_F(Tree, ARepresentationTurnedBackOnOnePathIsWalkedAgainOnAnother) {
    // a places the part and maps r, r maps a back. Below a, r leads nowhere new; below b, r leads through a
    // to the part, a second use that remembering r as barren would lose.
    Product top = product("top"), part = product("part");
    stp_shape_representation* a = shape(nuskunit_mm, "a");
    stp_shape_representation* b = shape(nuskunit_mm, "b");
    stp_shape_representation* r = shape(nuskunit_mm, "r");
    mappedItem(top.shape, a, placement(a), placement(top.shape));
    mappedItem(top.shape, b, placement(b), placement(top.shape, moved(0, 0, 5)));
    mappedItem(a, part.shape, placement(part.shape), placement(a, moved(1, 0, 0)));
    mappedItem(a, r, placement(r), placement(a));
    mappedItem(r, a, placement(a), placement(r));
    mappedItem(b, r, placement(r), placement(b));
    tag();
    const std::vector<MivoAsmUse> uses = mivo_get_product_children(top.pd, nuskunit_mm);
    ASSERT_EQ(uses.size(), 2u);
    EXPECT_EQ(uses[0].xform[14], 0.0);
    EXPECT_EQ(uses[1].xform[14], 5.0);
    EXPECT_EQ(uses[1].child, part.pd);
}

TEST(DeepAssemblies, AHundredThousandLevelsAreTaggedAndWalkedWithoutRecursion) {
    const unsigned depth = 100000;
    synth::Options chain;
    chain.fanOutByDepth.assign(depth, 1);
    chain.reuseLeaf = 0;
    chain.units = {nuskunit_mm};
    chain.kinds = {synth::LinkKind::relationship, synth::LinkKind::reversedRelationship,
                   synth::LinkKind::usageMappedItem, synth::LinkKind::mappedOnly};
    chain.span = 1;
    const synth::Assembly a = synth::generate(7, chain);
    AsmFixture f;
    const synth::Built built = synth::build(f, a);
    f.tag();
    const std::vector<MivoAsmTreeNode> tree = mivo_get_product_tree(built.products[0].pd, nuskunit_mm);
    ASSERT_EQ(tree.size(), depth + 1);
    EXPECT_EQ(tree.back().depth, depth);
    // Spot checks against the answer, which walks the chain too.
    for (size_t i : {size_t{1}, size_t{depth / 2}, size_t{depth}}) {
        const Vec want = synth::pointInRoot(a, static_cast<int>(i), {0, 0, 0});
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(tree[i].world[12 + c], want[c], 1e-6 * std::max(1.0, std::fabs(want[c])));
    }
}

TEST(DeepAssemblies, AHundredThousandLevelsInACycleEnd) {
    // A chain of products each used in the next, and the last used in the first: a cycle no root reaches,
    // and the same cycle below a root.
    const int length = 100000;
    AsmFixture f;
    std::vector<AsmFixture::Product> chain;
    for (int i = 0; i < length; ++i) chain.push_back(f.product(("c" + std::to_string(i)).c_str(), nuskunit_mm, false));
    for (int i = 0; i < length; ++i) f.nauo(chain[i], chain[(i + 1) % length]);
    f.tag();
    EXPECT_TRUE(rootsOf(&f.design).empty());
    AsmFixture::Product root = f.product("root", nuskunit_mm, false);
    f.nauo(root, chain[0]);
    f.tag();
    const std::vector<MivoAsmTreeNode> tree = mivo_get_product_tree(root.pd, nuskunit_mm);
    ASSERT_EQ(tree.size(), static_cast<size_t>(length) + 2);
    EXPECT_TRUE(tree.back().cycle);
    EXPECT_EQ(tree.back().product, chain[0].pd);
}

// Each product used twice in the one above it: 41 levels describe 2^41 - 1 nodes, from 80 usages. The tree
// stops where it is told, says so once, and what it lists is the start of the depth-first walk.
TEST(DoublingAssemblies, TheTreeStopsAtItsLimitAndSaysSo) {
    AsmFixture f;
    std::vector<AsmFixture::Product> level;
    for (int i = 0; i <= 40; ++i) level.push_back(f.product(("l" + std::to_string(i)).c_str(), nuskunit_mm, false));
    for (int i = 0; i < 40; ++i) {
        f.nauo(level[i], level[i + 1]);
        f.nauo(level[i], level[i + 1]);
    }
    f.tag();
    CaughtMessages caught;
    const std::vector<MivoAsmTreeNode> tree = mivo_get_product_tree(level[0].pd, nuskunit_mm, 1000);
    ASSERT_EQ(tree.size(), 1000u);
    for (unsigned i = 0; i <= 40; ++i) EXPECT_EQ(tree[i].depth, i);  // straight down first
    EXPECT_EQ(tree[41].depth, 40u);                                  // then the second use of the last level
    const std::string expected = "Product tree of #" + std::to_string(static_cast<NuskObject*>(level[0].pd)->entity_id()) +
                                 " stops at 1000 nodes: its products are used more often than that";
    EXPECT_EQ(caught.errors, std::vector<std::string>{expected});

    caught.errors.clear();
    EXPECT_EQ(mivo_get_product_tree(level[38].pd, nuskunit_mm, 1000).size(), 7u);  // small enough: whole
    EXPECT_TRUE(caught.errors.empty());
}

}  // namespace
