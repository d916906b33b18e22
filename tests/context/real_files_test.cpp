// Contexts of the real files in the test data folder: their units as the files state them, and merging.
#include "mivo_contexts.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include "../common/data_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

struct ReadFile {
    std::string path;
    NuskReadResult read;
    std::unique_ptr<NuskDesign> design;
};

ReadFile readFile(const std::string& path) {
    nusk_ap242_schema();
    ReadFile f{path, nusk_read_step(path.c_str()), nullptr};
    f.design.reset(f.read.design);
    return f;
}

/// The length unit a unit entity states, read from its own attributes (SI name and prefix, or the name of a
/// conversion-based unit), not from the tagging pass; 0 for a unit this test does not know.
NuskUnit statedLengthUnit(NuskObject* unit) {
    if (unit->isa(nusktype_stp_si_unit)) {
        if (unit->getInteger("name") != stp_si_unit_name_metre) return nuskunit_unknown;
        const int prefix = unit->getInteger("prefix");
        return prefix == stp_si_prefix_milli ? nuskunit_mm : prefix < 0 ? nuskunit_m : nuskunit_unknown;
    }
    if (unit->isa(nusktype_stp_conversion_based_unit)) {
        const char* name = unit->getString("name");
        if (nusk_strcasecmp(name, "inch") == 0) return nuskunit_length_cb1;
        if (nusk_strcasecmp(name, "millimetre") == 0) return nuskunit_mm;
    }
    return nuskunit_unknown;
}

/// The first length unit listed in the context's units, as the file states it.
NuskUnit statedContextLengthUnit(NuskObject* context) {
    auto* units = dynamic_cast<NuskAggregate*>(context->getObject("units"));
    for (unsigned i = 0; units && i < units->size(); ++i) {
        NuskObject* unit = nusk_get_nested_object(dynamic_cast<NuskUnion*>(units->getObject(i)));
        if (unit && unit->isa(nusktype_stp_length_unit)) return statedLengthUnit(unit);
    }
    return nuskunit_unknown;
}

TEST(ContextRealFiles, LengthUnitsAreTheOnesTheFilesState) {
    const std::vector<std::string> paths = mivo_test::dataFiles();
    if (paths.empty()) GTEST_SKIP() << "no test data at " << MIVO_DATA_DIR;
    std::map<NuskUnit, size_t> perUnit;
    for (const std::string& path : paths) {
        ReadFile f = readFile(path);
        ASSERT_TRUE(f.design) << path;
        mivo_tag_units(f.design.get());
        for (NuskObject* c : nusk_instances_of(f.design.get(), nusktype_stp_geometric_representation_context)) {
            if (!c->isa(nusktype_stp_global_unit_assigned_context)) continue;
            const NuskUnit stated = statedContextLengthUnit(c);
            ASSERT_NE(stated, nuskunit_unknown) << path << " #" << c->entity_id();
            EXPECT_EQ(mivo_get_context_length_unit(nusk_cast(c, nusktype_stp_representation_context)), stated)
                << path << " #" << c->entity_id();
            ++perUnit[stated];
        }
    }
    EXPECT_GT(perUnit[nuskunit_mm], 0u);
    EXPECT_GT(perUnit[nuskunit_length_cb1], 0u);
}

TEST(ContextRealFiles, MergingTheAssemblyLeavesOneContextPerUncertainty) {
    const std::string path = std::string(MIVO_DATA_DIR) + "/assemblies/as1.step";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " not found";
    ReadFile f = readFile(path);
    ASSERT_TRUE(f.design);
    NuskDesign* design = f.design.get();
    mivo_tag_units(design);
    std::map<double, size_t> perUncertainty;
    for (NuskObject* c : nusk_instances_of(design, nusktype_stp_geometric_representation_context))
        ++perUncertainty[mivo_get_context_uncertainty_value(nusk_cast(c, nusktype_stp_representation_context), nullptr)];
    EXPECT_EQ(perUncertainty, (std::map<double, size_t>{{5e-6, 12}, {1e-5, 3}}));

    EXPECT_GT(mivo_merge_units(design), 0u);
    EXPECT_EQ(mivo_merge_rep_contexts(design), 13u);
    nusk_update_object_references(design);
    const std::vector<NuskObject*> left = nusk_instances_of(design, nusktype_stp_geometric_representation_context);
    ASSERT_EQ(left.size(), 2u);
    // One context per uncertainty, each keeping its own uncertainty measure.
    std::set<double> uncertainties;
    for (NuskObject* c : left)
        uncertainties.insert(mivo_get_context_uncertainty_value(nusk_cast(c, nusktype_stp_representation_context), nullptr));
    EXPECT_EQ(uncertainties, (std::set<double>{5e-6, 1e-5}));
    EXPECT_EQ(nusk_instances_of(design, nusktype_stp_uncertainty_measure_with_unit).size(), 2u);
    std::map<int, int> perCode;
    for (NuskObject* u : nusk_instances_of(design, nusktype_stp_named_unit)) {
        const MivoMgrUnit* m = MivoMgrUnit::find(u);
        ASSERT_NE(m, nullptr);
        ++perCode[m->unit];
    }
    for (const auto& entry : perCode) EXPECT_EQ(entry.second, 1) << "code " << entry.first;
}

/// How many points, curves, surfaces and faces a design holds.
std::vector<size_t> geometryCounts(NuskDesign* design) {
    std::vector<size_t> counts;
    for (NuskTypePtr* t : {static_cast<NuskTypePtr*>(&nusktype_stp_point), static_cast<NuskTypePtr*>(&nusktype_stp_curve),
                           static_cast<NuskTypePtr*>(&nusktype_stp_surface), static_cast<NuskTypePtr*>(&nusktype_stp_face)})
        counts.push_back(nusk_instances_of(design, *t).size());
    return counts;
}

TEST(ContextRealFiles, EveryMergedFileWritesAndReadsBackWithItsGeometry) {
    const std::vector<std::string> paths = mivo_test::dataFiles();
    if (paths.empty()) GTEST_SKIP() << "no test data at " << MIVO_DATA_DIR;
    for (const std::string& path : paths) {
        ReadFile f = readFile(path);
        ASSERT_TRUE(f.design) << path;
        NuskDesign* design = f.design.get();
        const std::vector<size_t> before = geometryCounts(design);
        mivo_tag_units(design);
        mivo_merge_units(design);
        mivo_merge_ap_contexts(design);
        mivo_merge_product_contexts(design);
        mivo_merge_rep_contexts(design);
        nusk_update_object_references(design);

        std::string text;
        NuskWriteResult w = nusk_write_step_text(design, text);
        ASSERT_TRUE(w.ok) << path << ": " << w.error;
        EXPECT_EQ(w.danglingCount, 0u) << path;
        EXPECT_EQ(w.instanceCount, design->entityCount()) << path;
        NuskReadResult again = nusk_read_step_text(text.data(), text.size());
        std::unique_ptr<NuskDesign> reread(again.design);
        ASSERT_TRUE(reread) << path;
        // A file's own faults (values where the schema derives them) are written back as read; merging adds none.
        EXPECT_LE(again.errorCount, f.read.errorCount) << path;
        EXPECT_EQ(geometryCounts(reread.get()), before) << path;
    }
}

}  // namespace
