// Extracts of the real files: every product of the assemblies comes out with its subtree and placements and
// nothing it lacks; the single part of each PMI test case keeps every tolerance, datum and shape aspect with
// the same references.
#include "extract_check.h"

#include "../common/data_files.h"

#include "mivo_assemblies.h"
#include "mivo_properties.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace {

using split_test::joined;

class AssemblyExtracts : public ::testing::TestWithParam<std::string> {};

TEST_P(AssemblyExtracts, EveryProductComesOutWithItsSubtreeAndNothingItLacks) {
    if (GetParam().empty()) GTEST_SKIP() << "no assembly files under " << MIVO_DATA_DIR;
    const std::string text = split_test::fileText(GetParam());
    ASSERT_FALSE(text.empty());
    const std::vector<uint32_t> ids = split_test::productDefinitionIds(text);
    ASSERT_GT(ids.size(), 1u);
    size_t nodes = 0;
    for (uint32_t id : ids) {
        const split_test::ExtractReport report = split_test::checkExtract(text, id);
        EXPECT_TRUE(report.problems.empty()) << "product definition #" << id << ":\n" << joined(report.problems);
        nodes += report.treeNodes;
    }
    EXPECT_GT(nodes, ids.size());  // the root's extract holds the others
}

INSTANTIATE_TEST_SUITE_P(RealFiles, AssemblyExtracts, ::testing::ValuesIn(mivo_test::dataFileParams("assemblies")),
                         mivo_test::fileTestName);

// ---- the tolerances of a single part ----

NuskTypePtr* const kToleranceTypes[] = {
    &nusktype_stp_geometric_tolerance,   &nusktype_stp_shape_aspect,
    &nusktype_stp_shape_aspect_relationship, &nusktype_stp_general_datum_reference,
    &nusktype_stp_dimensional_characteristic_representation, &nusktype_stp_draughting_model_item_association,
    &nusktype_stp_geometric_item_specific_usage,
};

bool isToleranceData(const NuskObject* obj) {
    for (NuskTypePtr* t : kToleranceTypes)
        if (obj->isa(*t)) return true;
    return false;
}

/// The entities an object refers to directly, "attribute=#N", through selects and aggregates.
std::multiset<std::string> referencesOf(NuskObject* obj) {
    std::multiset<std::string> out;
    const ListOfNuskAttribute* atts = obj->attributes();
    for (unsigned i = 0; i < atts->size(); ++i) {
        const NuskAttribute* att = atts->get(i);
        if (att->slotNodeType() < nusk_node_entity) continue;
        std::vector<NuskObject*> pending{obj->getObject(att, 0)};
        while (!pending.empty()) {
            NuskObject* v = pending.back();
            pending.pop_back();
            if (!v) continue;
            if (v->domain()->typeIsSelect()) {
                pending.push_back(nusk_get_nested_object(static_cast<NuskUnion*>(v)));
            } else if (v->domain()->typeIsAggregate()) {
                auto* a = static_cast<NuskAggregate*>(v);
                if (a->holdsObjects())
                    for (unsigned k = 0; k < a->size(); ++k) pending.push_back(a->getObject(k));
            } else if (v->entity_id()) {
                out.insert(std::string(att->name()) + "=#" + std::to_string(v->entity_id()));
            }
        }
    }
    return out;
}

/// Per instance number: the type and references of every tolerance, datum and shape aspect record.
std::map<uint32_t, std::pair<std::string, std::multiset<std::string>>> toleranceData(NuskDesign* design) {
    std::map<uint32_t, std::pair<std::string, std::multiset<std::string>>> out;
    for (NuskObject* obj : nusk_instances_of(design, nusktype_NuskStructure))
        if (isToleranceData(obj)) out[obj->entity_id()] = {obj->domain()->name(), referencesOf(obj)};
    return out;
}

std::unique_ptr<NuskDesign> readText(const std::string& text) {
    return std::unique_ptr<NuskDesign>(nusk_read_step_text(text.data(), text.size()).design);
}

class PartExtracts : public ::testing::TestWithParam<std::string> {};

TEST_P(PartExtracts, TheSinglePartKeepsEveryToleranceWithItsReferences) {
    if (GetParam().empty()) GTEST_SKIP() << "no PMI test cases under " << MIVO_DATA_DIR;
    const std::string text = split_test::fileText(GetParam());
    std::unique_ptr<NuskDesign> source = readText(text);
    ASSERT_TRUE(source);
    const auto want = toleranceData(source.get());
    // Everything of the part that refers to something goes along; only a record standing alone (referring to
    // nothing, such as an empty category) may be left out.
    std::vector<uint32_t> connected;
    for (NuskObject* obj : nusk_instances_of(source.get(), nusktype_NuskStructure))
        if (!referencesOf(obj).empty()) connected.push_back(obj->entity_id());
    const std::vector<NuskObject*> parts = nusk_instances_of(source.get(), nusktype_stp_product_definition);
    ASSERT_EQ(parts.size(), 1u);
    const uint32_t id = parts[0]->entity_id();
    source.reset();

    const split_test::ExtractReport report = split_test::checkExtract(text, id);
    EXPECT_TRUE(report.problems.empty()) << joined(report.problems);
    std::unique_ptr<NuskDesign> extract = readText(report.extractText);
    ASSERT_TRUE(extract);
    const auto got = toleranceData(extract.get());
    EXPECT_GT(want.size(), 10u);
    size_t missing = 0;
    for (const auto& w : want) {
        const auto g = got.find(w.first);
        if (g == got.end()) {
            if (++missing <= 10) ADD_FAILURE() << w.second.first << " #" << w.first << " is not in the extract";
            continue;
        }
        EXPECT_EQ(g->second, w.second) << "#" << w.first;
    }
    EXPECT_EQ(missing, 0u);
    EXPECT_EQ(got.size(), want.size());
    size_t left = 0;
    for (uint32_t n : connected)
        if (!extract->findEntity(n) && ++left <= 10) ADD_FAILURE() << "#" << n << " is not in the extract";
    EXPECT_EQ(left, 0u);
}

INSTANTIATE_TEST_SUITE_P(RealFiles, PartExtracts, ::testing::ValuesIn(mivo_test::dataFileParams("nist")),
                         mivo_test::fileTestName);

}  // namespace
