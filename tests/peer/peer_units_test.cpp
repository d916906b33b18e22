// Files whose geometry our library moved into other units, read by the peer: the same shapes (faces, edges,
// vertices), boxes and placements in millimetres as the files they came from.
#include "../geometry/real_values.h"
#include "library_rewrite.h"
#include "peer_assembly.h"

#include "mivo_geometry.h"
#include "mivo_units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace {

/// Every STEP file of the data folder (assemblies and single parts); one empty name when there is none.
/// The diagonal of the largest box of the description, in millimetres.
double largestDiagonal(const peer::AssemblyDescription& d) {
    double diagonal = 0;
    for (const peer::AssemblyNode& n : d.nodes)
        if (n.hasBox)
            diagonal = std::max(diagonal, std::hypot(n.box[3] - n.box[0], n.box[4] - n.box[1], n.box[5] - n.box[2]));
    return diagonal;
}

class PeerAfterConversion : public ::testing::TestWithParam<std::string> {};

TEST_P(PeerAfterConversion, InchesAndMetresDescribeTheSameShapesInMillimetres) {
    const std::string& file = GetParam();
    if (file.empty()) GTEST_SKIP() << "no STEP files under " << MIVO_DATA_DIR;
    // The peer has limits of its own: a file it fails on, or whose shapes it does not build (tessellated
    // geometry), gives nothing to compare.
    const peer::AssemblyDescription original = peer::describeAssembly(file);
    if (!original.ok) GTEST_SKIP() << "the peer cannot read " << file << ": " << original.error;
    int faces = 0;
    for (const peer::AssemblyNode& n : original.nodes) faces += n.faces;
    if (faces == 0) GTEST_SKIP() << "the peer builds no faces from " << file << ":\n" << peer::toText(original);
    // Lengths within a millionth of the part's size; rotations are not converted and must stay as they are.
    peer::Tolerance tolerance;
    tolerance.lengthAbsolute = 1e-6 * largestDiagonal(original);

    ScratchFolder scratch;
    unsigned itemsConverted = 0;
    for (NuskUnit unit : {nuskunit_length_cb1, nuskunit_m}) {
        const std::string out = scratch.file(std::string(nusk_get_unit_name(unit)) + ".stp");
        MivoUnitConversion done;
        ASSERT_EQ(rewriteThroughLibrary(file, out,
                                        [&](NuskDesign* d) {
                                            mivo_tag_units(d);
                                            done = mivo_convert_geometry_units(d, unit, nuskunit_as_is);
                                        }),
                  "");
        itemsConverted += done.items;
        const peer::AssemblyDescription converted = peer::describeAssembly(out);
        ASSERT_TRUE(converted.ok) << converted.error;
        EXPECT_EQ(peer::joinLines(peer::compareAssemblies(original, converted, tolerance)), "")
            << "in " << nusk_get_unit_name(unit) << ":\n" << peer::toText(converted);
    }
    EXPECT_GT(itemsConverted, 0u);  // a file already in one of the two units is converted into the other
}

INSTANTIATE_TEST_SUITE_P(DataFiles, PeerAfterConversion, ::testing::ValuesIn(mivo_test::dataFileParams()),
                         mivo_test::fileTestName);

}  // namespace
