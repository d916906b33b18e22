// Unit translation of the real files of the test data folder: every value comes back after a round trip, and
// a one-way conversion scales each point once.
#include "real_values.h"

#include "mivo_contexts.h"
#include "mivo_geometry.h"
#include "mivo_units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <unordered_set>

namespace {

using namespace geometry_tests;

/// The length and plane angle units of the file's geometry: those of its first geometric context that states
/// a length unit (the files of the data folder use one pair each).
std::pair<NuskUnit, NuskUnit> fileUnits(NuskDesign* design) {
    for (NuskObject* c : nusk_instances_of(design, nusktype_stp_geometric_representation_context)) {
        auto* context = nusk_cast(c, nusktype_stp_representation_context);
        if (NuskUnit length = mivo_get_context_length_unit(context))
            return {length, mivo_get_context_angle_unit(context)};
    }
    return {nuskunit_unknown, nuskunit_unknown};
}

TEST(TranslateRealFiles, ThroughInchAndMetreAndBackEveryValueComesBack) {
    const std::vector<std::string> paths = dataFiles();
    if (paths.empty()) GTEST_SKIP() << "no test data at " << MIVO_DATA_DIR;
    for (const std::string& path : paths) {
        std::unique_ptr<NuskDesign> design = readDesign(path);
        ASSERT_TRUE(design) << path;
        mivo_tag_units(design.get());
        const auto [length, angle] = fileUnits(design.get());
        ASSERT_NE(length, nuskunit_unknown) << path;
        ASSERT_NE(angle, nuskunit_unknown) << path;
        const Reals before = realsOf(design.get());

        const MivoUnitConversion toInch = mivo_convert_geometry_units(design.get(), nuskunit_length_cb1, nuskunit_angle_cb1);
        const MivoUnitConversion toMetre = mivo_convert_geometry_units(design.get(), nuskunit_m, nuskunit_rad);
        mivo_convert_geometry_units(design.get(), length, angle);
        EXPECT_GT(toInch.representations, 0u) << path;
        EXPECT_GT(toMetre.items, 0u) << path;

        const Reals after = realsOf(design.get());
        size_t compared = 0, different = 0;
        for (const auto& [place, value] : before) {
            const auto found = after.find(place);
            ASSERT_NE(found, after.end()) << path << " #" << place.id;
            ++compared;
            if (!near(value, found->second, 1e-9) && ++different <= 5)
                ADD_FAILURE() << path << " #" << place.id << " slot " << place.slot << " [" << place.i << "]["
                              << place.j << "]: " << value << " came back as " << found->second;
        }
        EXPECT_EQ(different, 0u) << path;
        EXPECT_GT(compared, 1000u) << path;
    }
}

// Omissions and double conversions both cancel out in a round trip: this one-way conversion catches them. Every
// point and every list of coordinates of a tessellated item, PMI presentation included, belongs to some
// representation's geometry, so each must be scaled once.
TEST(TranslateRealFiles, EveryPointAndCoordinateListIsScaledOnce) {
    const std::vector<std::string> paths = dataFiles();
    if (paths.empty()) GTEST_SKIP() << "no test data at " << MIVO_DATA_DIR;
    for (const std::string& path : paths) {
        std::unique_ptr<NuskDesign> design = readDesign(path);
        ASSERT_TRUE(design) << path;
        mivo_tag_units(design.get());
        const double factor = nusk_get_unit_conversion_factor(fileUnits(design.get()).first, nuskunit_m);
        std::unordered_set<uint32_t> holders;
        for (NuskTypePtr* type : {static_cast<NuskTypePtr*>(&nusktype_stp_cartesian_point),
                                  static_cast<NuskTypePtr*>(&nusktype_stp_coordinates_list)})
            for (NuskObject* obj : nusk_instances_of(design.get(), *type)) holders.insert(obj->entity_id());
        const Reals before = realsOf(design.get());

        mivo_convert_geometry_units(design.get(), nuskunit_m, nuskunit_unknown);
        const Reals after = realsOf(design.get());
        size_t scaled = 0, wrong = 0;
        for (const auto& [place, value] : before) {
            if (!holders.count(place.id)) continue;
            if (near(after.at(place), value * factor, 1e-12))
                ++scaled;
            else if (++wrong <= 5)
                ADD_FAILURE() << path << " #" << place.id << ": " << value << " became " << after.at(place);
        }
        EXPECT_EQ(wrong, 0u) << path;
        EXPECT_GT(scaled, 3 * holders.size() - 1) << path;
    }
}

}  // namespace
