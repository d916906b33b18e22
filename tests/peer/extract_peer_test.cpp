// Extracts read by the peer: for every product of the real assemblies, the peer builds from the extract the
// same shape (faces, and the box of its vertices in the product's own frame) and the same number of
// occurrences below it as it builds for that product inside the whole file.
#include "library_rewrite.h"
#include "peer_assembly.h"

#include "mivo_assemblies.h"
#include "mivo_properties.h"
#include "mivo_split.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using peer::AssemblyDescription;
using peer::AssemblyNode;

/// Writes the extract of the product definition numbered `id` of `file` to `out`; empty when done, else why not.
std::string extractTo(const std::string& file, uint32_t id, const std::string& out) {
    NuskReadResult r = nusk_read_step(file.c_str());
    std::unique_ptr<NuskDesign> design(r.design);
    if (!design) return "unreadable";
    mivo_tag_units(design.get());
    mivo_tag_props(design.get());
    mivo_tag_asms(design.get());
    MivoSplitExtract e = mivo_split_extract_product(
        design.get(), nusk_cast(design->findEntity(id), nusktype_stp_product_definition));
    std::unique_ptr<NuskDesign> part(e.design);
    if (!part) return "no extract";
    const NuskWriteResult w = nusk_write_step(part.get(), out.c_str());
    if (!w.ok) return w.error;
    return w.danglingCount ? std::to_string(w.danglingCount) + " dangling references" : "";
}

/// The nodes of the subtree that starts at node `at` (itself included).
size_t subtreeSize(const AssemblyDescription& d, size_t at) {
    size_t end = at + 1;
    while (end < d.nodes.size() && d.nodes[end].depth > d.nodes[at].depth) ++end;
    return end - at;
}

/// The first node of that name in the whole file's tree.
long nodeNamed(const AssemblyDescription& d, const std::string& name) {
    for (size_t i = 0; i < d.nodes.size(); ++i)
        if (d.nodes[i].name == name) return static_cast<long>(i);
    return -1;
}

bool close(double a, double b) { return std::fabs(a - b) <= 1e-6 + 1e-9 * std::max(std::fabs(a), std::fabs(b)); }

class PeerExtracts : public ::testing::TestWithParam<const char*> {};

TEST_P(PeerExtracts, ThePeerBuildsTheSameShapeFromTheExtractAsInsideTheWholeFile) {
    const std::string file = assemblyFile(GetParam());
    if (file.empty()) GTEST_SKIP() << GetParam() << " not found under " << MIVO_DATA_DIR << "/assemblies";
    const AssemblyDescription whole = peer::describeAssembly(file);
    ASSERT_TRUE(whole.ok) << whole.error;
    std::vector<std::pair<uint32_t, std::string>> products;  // instance number, name
    {
        NuskReadResult r = nusk_read_step(file.c_str());
        std::unique_ptr<NuskDesign> design(r.design);
        ASSERT_TRUE(design);
        for (NuskObject* obj : nusk_instances_of(design.get(), nusktype_stp_product_definition)) {
            auto* pd = nusk_cast(obj, nusktype_stp_product_definition);
            const char* name = pd->formation()->of_product()->name();
            products.emplace_back(obj->entity_id(), name ? name : "");
        }
    }
    ScratchFolder scratch;
    size_t compared = 0, faces = 0;
    for (const auto& p : products) {
        SCOPED_TRACE("product #" + std::to_string(p.first) + " " + p.second);
        const long at = nodeNamed(whole, p.second);
        ASSERT_GE(at, 0) << "the peer shows no product " << p.second;
        const std::string out = scratch.file("extract-" + std::to_string(p.first) + ".stp");
        ASSERT_EQ(extractTo(file, p.first, out), "");
        const AssemblyDescription part = peer::describeAssembly(out);
        ASSERT_TRUE(part.ok) << part.error;
        ASSERT_FALSE(part.nodes.empty());
        const AssemblyNode& want = whole.nodes[static_cast<size_t>(at)];
        const AssemblyNode& got = part.nodes[0];
        EXPECT_EQ(got.name, want.name);
        EXPECT_GT(want.faces, 0);  // every product of these files has a solid in it or below it
        EXPECT_EQ(got.faces, want.faces);
        faces += static_cast<size_t>(got.faces);
        EXPECT_EQ(subtreeSize(part, 0), subtreeSize(whole, static_cast<size_t>(at)));
        EXPECT_EQ(part.nodes.size(), subtreeSize(part, 0)) << "the extract has more than one root";
        ASSERT_EQ(got.hasBox, want.hasBox);
        for (int k = 0; k < 6; ++k)
            EXPECT_TRUE(close(got.box[k], want.box[k])) << "box " << k << ": " << got.box[k] << " vs " << want.box[k];
        ++compared;
    }
    std::printf("%s: %zu products compared with the peer, %zu faces in all\n", GetParam(), compared, faces);
}

INSTANTIATE_TEST_SUITE_P(RealFiles, PeerExtracts, ::testing::Values("as1.step", "nut-bolt-assembly.step"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).substr(0, 3) == "as1" ? "as1" : "nut_bolt_assembly";
                         });

}  // namespace
