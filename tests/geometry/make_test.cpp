// Building geometry from arrays, read back through the readers; placements of a real file rebuilt.
#include "geometry_helpers.h"

#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

namespace {

class GeometryMake : public ::testing::Test, public GeometryFixture {};

TEST_F(GeometryMake, PointsAndDirectionsAreCopiedAsGiven) {
    const double xyz[3] = {1, 2, 3};
    stp_cartesian_point* p = mivo_make_cartesian_point(&design, xyz, nullptr);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->name(), "");
    ASSERT_EQ(p->coordinates()->size(), 3u);
    EXPECT_EQ(p->coordinates()->get(2), 3);
    NuskDirection ijk;
    ijk[2] = 2;
    stp_direction* d = mivo_make_direction(&design, ijk, "up");
    EXPECT_STREQ(d->name(), "up");
    EXPECT_EQ(d->direction_ratios()->get(2), 2);  // not normalised
    EXPECT_EQ(mivo_make_cartesian_point(nullptr, xyz, ""), nullptr);
    EXPECT_EQ(mivo_make_direction(&design, static_cast<const double*>(nullptr), ""), nullptr);
}

TEST_F(GeometryMake, PlacementsAndOperatorsFromTransforms) {
    stp_axis2_placement_3d* identity = mivo_make_ap3d(&design, NuskXform(), nullptr);
    ASSERT_NE(identity, nullptr);
    NuskXform back;
    back[0] = 5;
    EXPECT_EQ(mivo_xform_put(back, identity), 1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(back[i], NuskXform()[i]) << i;
    EXPECT_EQ(identity->axis()->direction_ratios()->get(2), 1);
    EXPECT_EQ(identity->ref_direction()->direction_ratios()->get(0), 1);

    NuskXform doubled;
    for (int i : {0, 5, 10}) doubled[i] = 2;
    doubled[13] = 7;
    stp_cartesian_transformation_operator_3d* cto = mivo_make_cto3d(&design, doubled, "twice");
    ASSERT_NE(cto, nullptr);
    EXPECT_EQ(cto->scale(), 1.0);  // the columns keep their length; the scale stays 1
    EXPECT_EQ(cto->axis2()->direction_ratios()->get(1), 2);
    EXPECT_EQ(cto->local_origin()->coordinates()->get(1), 7);

    NuskXform flat;
    flat[10] = 0;  // a zero Z column is written as it is
    stp_axis2_placement_3d* odd = mivo_make_ap3d(&design, flat, "");
    EXPECT_EQ(odd->axis()->direction_ratios()->get(2), 0);
}

// Random rigid transforms: made into a placement and an operator and read back, the same transform.
TEST_F(GeometryMake, ATransformBuiltAndReadBackIsTheSame) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> any(-1, 1);
    for (int n = 0; n < 200; ++n) {
        double z[3] = {any(random), any(random), any(random)};
        double ref[3] = {any(random), any(random), any(random)};
        NuskXform x;
        nusk_xform_put_dirs(x.data(), z, ref);
        for (int i = 12; i < 15; ++i) x[i] = 1000 * any(random);
        NuskXform fromPlacement, fromOperator;
        ASSERT_EQ(mivo_xform_put(fromPlacement, mivo_make_ap3d(&design, x, "")), 1);
        ASSERT_EQ(mivo_xform_put(fromOperator, mivo_make_cto3d(&design, x, "")), 1);
        for (int i = 0; i < 16; ++i) {
            EXPECT_NEAR(fromPlacement[i], x[i], 1e-12) << n << " element " << i;
            EXPECT_NEAR(fromOperator[i], x[i], 1e-12) << n << " element " << i;
        }
    }
}

// Every placement of a real assembly, rebuilt and read again: the same frame, and a rigid one.
TEST(GeometryRealFiles, EveryPlacementOfAnAssemblyRebuilds) {
    const std::string path = std::string(MIVO_DATA_DIR) + "/assemblies/as1.step";
    NuskReadResult r = nusk_read_step(path.c_str());
    if (!r.design) GTEST_SKIP() << "no test data at " << path;
    NuskDesign scratch("rebuilt", nusk_ap242_schema());
    size_t placements = 0;
    for (NuskObject* obj : nusk_instances_of(r.design, nusktype_stp_axis2_placement_3d)) {
        NuskXform read, again;
        ASSERT_EQ(mivo_xform_put(read, nusk_cast<stp_axis2_placement_3d>(obj)), 1);
        ASSERT_EQ(mivo_xform_put(again, mivo_make_ap3d(&scratch, read, "")), 1);
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(again[i], read[i], 1e-12) << "#" << obj->entity_id();
        for (int c : {0, 4, 8}) {  // orthonormal columns
            EXPECT_NEAR(std::sqrt(read[c] * read[c] + read[c + 1] * read[c + 1] + read[c + 2] * read[c + 2]), 1.0,
                        1e-9);
        }
        ++placements;
    }
    EXPECT_GT(placements, 20u);
    delete r.design;
}

// What the makers build is written and read back as valid STEP (both names of the operator included).
TEST_F(GeometryMake, MadeGeometryIsWrittenAndReadBack) {
    NuskXform x;
    x[12] = 1.5;
    mivo_make_ap3d(&design, x, "frame");
    mivo_make_cto3d(&design, x, "move");
    std::string text;
    ASSERT_TRUE(nusk_write_step_text(&design, text).ok);
    EXPECT_NE(text.find("CARTESIAN_TRANSFORMATION_OPERATOR_3D('move','',"), std::string::npos) << text;
    NuskReadResult r = nusk_read_step_text(text.data(), text.size());
    ASSERT_NE(r.design, nullptr);
    EXPECT_EQ(r.status, NuskReadStatus::ok) << text;
    delete r.design;
}

}  // namespace
