// Synthetic assemblies with known answers: a random tree of products (each in millimetres, inches or metres),
// each use placed by random origin and target placements through one of the ways a product is built into
// another. The same assembly can be built in memory or written as STEP text, and the position in the root of
// any point of any node is computed independently of the library, with rotations and unit factors written out.
#pragma once

#include "asm_helpers.h"

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace synth {

enum class LinkKind {
    relationship,          // usage, context dependent shape representation, rep_1 the child
    reversedRelationship,  // the same with rep_1 the parent and the transformation's items swapped
    usageMappedItem,       // usage whose own shape holds a mapped item of the child's shape
    mappedOnly,            // mapped item in the parent's shape, no usage
    linkedOnly,            // relationship between the two shapes, no usage (the child stays a root too)
};

struct Node {
    int parent = -1;   // index of the parent node; -1 for the root
    int product = 0;   // index into Assembly::units
    LinkKind kind = LinkKind::relationship;
    NuskXform origin;  // in the child's shape, in the child's unit
    NuskXform target;  // in the parent's shape, in the parent's unit
};

struct Assembly {
    std::vector<NuskUnit> units;  // one per product: mm, inch or m
    std::vector<Node> nodes;      // parents before children; node 0 is the root, product 0
};

struct Options {
    unsigned maxDepth = 4;
    unsigned minFanOut = 0;
    unsigned maxFanOut = 3;
    /// When not empty, the number of children of every node at each depth (overrides the random fan-out).
    std::vector<unsigned> fanOutByDepth;
    double reuseLeaf = 0.2;  // chance that a leaf uses a product an earlier leaf made
    /// When not 0, the number of distinct leaf products: once they are made, every further leaf reuses one.
    unsigned distinctLeaves = 0;
    std::vector<LinkKind> kinds{LinkKind::relationship, LinkKind::reversedRelationship, LinkKind::usageMappedItem,
                                LinkKind::mappedOnly, LinkKind::linkedOnly};
    std::vector<NuskUnit> units{nuskunit_mm, nuskunit_length_cb1, nuskunit_m};
    double span = 100.0;  // placements lie within +-span of their representation's origin
};

Assembly generate(uint32_t seed, const Options& options = {});

/// Millimetres in one unit of a length code used here, written out (not the math library's).
double mmPer(NuskUnit unit);

/// Where the point `p` of node `node` (in that node's unit) lies in the root's frame, in millimetres.
std::array<double, 3> pointInRoot(const Assembly& a, int node, const std::array<double, 3>& p);

/// The products that no usage or mapped item makes a child.
std::vector<int> rootProducts(const Assembly& a);

/// The assembly built in memory; `links[i]` is what places node i (null for the root).
struct Built {
    std::vector<AsmFixture::Product> products;
    std::vector<NuskObject*> links;
};
Built build(AsmFixture& f, const Assembly& a);

/// The assembly as a STEP file; `linkIds[i]` is the instance number of what places node i (0 for the root),
/// `productIds[p]` that of product p's product_definition.
std::string stepText(const Assembly& a, std::vector<uint32_t>& linkIds, std::vector<uint32_t>& productIds);

}  // namespace synth
