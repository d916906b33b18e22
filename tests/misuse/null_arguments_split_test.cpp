// The splitting family called with null objects, designs, domains, attributes and names: each gives its empty
// result (0, no effect, an extract without a design) and does not crash.
#include "mivo_split.h"

#include "nusk/ap242/all.h"
#include "nusk/store.h"

#include "null_rows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using misuse::Row;

NuskObject* const kNoObject = nullptr;
NuskDesign* const kNoDesign = nullptr;
NuskDomain* const kNoDomain = nullptr;
const char* const kNoName = nullptr;

TEST(NullArguments, Splitting) {
    NuskDesign design("misuse-split", nusk_ap242_schema());
    NuskObject* point = design.pnewInstance(nusktype_stp_cartesian_point);
    NuskAttribute* none = nullptr;
    const std::vector<Row> rows = {
        {"mivo_split_mark_needed", [] { mivo_split_mark_needed(kNoObject, 5); return true; }},
        {"mivo_split_mark_ignorable", [] { mivo_split_mark_ignorable(kNoObject, 5); return true; }},
        {"mivo_split_is_needed", [] { return mivo_split_is_needed(kNoObject) == 0; }},
        {"mivo_split_is_ignorable", [] { return mivo_split_is_ignorable(kNoObject) == 0; }},
        {"mivo_split_is_export", [] { return mivo_split_is_export(kNoObject) == 0; }},
        {"mivo_split_has_export (attribute)", [&] { return mivo_split_has_export(kNoObject, none) == 0; }},
        {"mivo_split_has_export (no attribute)", [&] { return mivo_split_has_export(point, none) == 0; }},
        {"mivo_split_has_export (name)", [] { return mivo_split_has_export(kNoObject, "name") == 0; }},
        {"mivo_split_has_export (no name)", [] { return mivo_split_has_export(kNoObject, kNoName) == 0; }},
        {"mivo_split_all_ignorable", [] { mivo_split_all_ignorable(kNoDesign, kNoDomain); return true; }},
        {"mivo_split_all_deep_ignorable", [] { mivo_split_all_deep_ignorable(kNoDesign, kNoDomain, 3); return true; }},
        {"mivo_split_all_trimmed", [] { mivo_split_all_trimmed(kNoDesign); return true; }},
        {"mivo_split_clear_needed_and_ignore_trimmed", [] { mivo_split_clear_needed_and_ignore_trimmed(kNoDesign); return true; }},
        {"mivo_split_delete_all_marks", [] { mivo_split_delete_all_marks(kNoDesign); return true; }},
        {"mivo_split_trim_for_export (object)", [] { mivo_split_trim_for_export(kNoObject, "items"); return true; }},
        {"mivo_split_trim_for_export (design)", [] { mivo_split_trim_for_export(kNoDesign, kNoDomain, "items"); return true; }},
        {"mivo_restore_all_tmps", [] { mivo_restore_all_tmps(kNoDesign); return true; }},
        {"mivo_move_all", [&] { mivo_move_all(kNoDesign, &design, kNoDomain); mivo_move_all(&design, kNoDesign, kNoDomain); return point->design() == &design; }},
        {"mivo_move_leaf_objs", [&] { mivo_move_leaf_objs(kNoDesign, &design, kNoDomain, kNoName); return point->design() == &design; }},
        {"mivo_move_listleaf_objs", [&] { mivo_move_listleaf_objs(kNoDesign, &design, kNoDomain, kNoName); return point->design() == &design; }},
        {"mivo_split_extract_product", [] { return mivo_split_extract_product(kNoDesign, nullptr).design == nullptr; }},
        {"mivo_split_extract_product (no product)", [&] { return mivo_split_extract_product(&design, nullptr).design == nullptr; }},
        {"mivo_split_return_extract", [&] { mivo_split_return_extract(kNoDesign, &design); mivo_split_return_extract(&design, kNoDesign); return point->design() == &design; }},
    };
    for (const Row& r : rows) EXPECT_TRUE(r.givesEmpty()) << r.call;
    // Null names and domains where a design is given: the message, and nothing moves or changes.
    testing::internal::CaptureStdout();
    mivo_split_trim_for_export(point, kNoName);
    mivo_move_leaf_objs(&design, &design, kNoDomain, "name");
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said, "ERROR: no attribute cartesian_point.\nERROR: no attribute .name\n");
}

}  // namespace
