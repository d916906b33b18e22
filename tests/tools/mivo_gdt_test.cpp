// mivo gdt on a file made with the tolerance functions: every tolerance, its kinds, modifiers and datums in
// precedence order, in text and JSON.
#include "../common/data_files.h"
#include "../common/tool_run.h"

#include "mivo_measures.h"
#include "mivo_tolerances.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using tool_run::readAll;
using tool_run::ToolRun;

/// `mivo gdt ARGS`; standard error is not looked at.
ToolRun mivoGdt(const std::string& args) { return tool_run::run(MIVO_PATH, "gdt " + args); }

stp_datum* datum(NuskDesign& design, const char* label) {
    auto* d = new (&design) stp_datum();
    d->name(label);
    d->identification(label);
    return d;
}

/// A position tolerance with datums A (with modifiers) and the common datum B-C, and an older perpendicularity
/// tolerance whose datum references come in reverse precedence order.
std::string writeTolerances() {
    NuskDesign design("gdt", nusk_ap242_schema());
    stp_datum* a = datum(design, "A");
    stp_datum* b = datum(design, "B");
    stp_datum* c = datum(design, "C");
    auto* hole = new (&design) stp_shape_aspect();
    hole->name("hole");
    stp_geometric_tolerance* position =
        mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS | MIVO_TOL_WITH_MODIFIERS);
    position->magnitude(mivo_make_length_measure(&design, 0.25, nuskunit_mm));
    mivo_tol_put_aspect(position, hole);
    mivo_tol_add_modifier(position, stp_geometric_tolerance_modifier_maximum_material_requirement);
    stp_general_datum_reference* ra = mivo_tol_add_datum(position, a);
    mivo_tol_add_datum_modifier(ra, stp_simple_datum_reference_modifier_maximum_material_requirement);
    mivo_tol_add_datum_modifier(ra, stp_datum_reference_modifier_type_distance, 2, nuskunit_mm);
    mivo_tol_add_common_datum(position, b, c);
    stp_geometric_tolerance* legacy = mivo_make_tolerance(&design, MIVO_TOL_PERPENDICULARITY | MIVO_TOL_WITH_DATUMS);
    SetOfstp_datum_system_or_reference* set = mivo_tol_get_datum_set(legacy);
    const struct { stp_datum* d; int precedence; } refs[] = {{c, 2}, {b, 1}};
    for (const auto& r : refs) {
        auto* ref = new (&design) stp_referenced_modified_datum();
        ref->referenced_datum(r.d);
        ref->precedence(r.precedence);
        ref->modifier(stp_limit_condition_least_material_condition);
        auto* member = new (&design) stp_datum_system_or_reference();
        member->_datum_reference(ref);
        set->add(member);
    }
    const std::string path = ::testing::TempDir() + "mivo_gdt_" + std::to_string(::getpid()) + ".stp";
    EXPECT_TRUE(nusk_write_step(&design, path.c_str()).ok);
    return path;
}

TEST(MivoGdt, ListsEveryToleranceWithItsDatumsInPrecedenceOrder) {
    const std::string path = writeTolerances();
    ToolRun text = mivoGdt(path);
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("position_tolerance, geometric_tolerance_with_datum_reference, "
                            "geometric_tolerance_with_modifiers"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("magnitude 0.25 mm, on #"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("'hole'"), std::string::npos);
    EXPECT_NE(text.out.find("datums: A (maximum_material_requirement, distance 2 mm) | B-C"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("datums: B (least_material_requirement) | C (least_material_requirement)"),
              std::string::npos) << text.out;
    EXPECT_NE(text.out.find("2 geometric tolerances"), std::string::npos);

    ToolRun json = mivoGdt(path + " --json");
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out.rfind("{\n  \"tolerances\": [", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("\"code\": " + std::to_string(MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS |
                                                          MIVO_TOL_WITH_MODIFIERS)), std::string::npos);
    EXPECT_NE(json.out.find("\"modifiers\": [\"maximum_material_requirement\"]"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("{\"label\": \"B-C\", \"modifiers\": [], \"elements\": [{\"label\": \"B\""),
              std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"shape_aspect\": {\"entity\": "), std::string::npos);
    std::remove(path.c_str());
}

TEST(MivoGdt, AFileWithoutTolerancesListsNone) {
    NuskDesign design("empty", nusk_ap242_schema());
    const std::string path = ::testing::TempDir() + "mivo_gdt_empty_" + std::to_string(::getpid()) + ".stp";
    ASSERT_TRUE(nusk_write_step(&design, path.c_str()).ok);
    EXPECT_EQ(mivoGdt(path + " --json").out, "{\n  \"tolerances\": []\n}\n");
    EXPECT_NE(mivoGdt(path).out.find("0 geometric tolerances"), std::string::npos);
    EXPECT_EQ(mivoGdt(path + ".missing").status, 2);
    std::remove(path.c_str());
}

// A common datum whose element holds a list with that element in it, as a broken file may: the report ends.
TEST(MivoGdt, ACommonDatumThatContainsItselfIsReportedAndEnds) {
    NuskDesign design("loop", nusk_ap242_schema());
    stp_geometric_tolerance* tol = mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS);
    stp_general_datum_reference* common = mivo_tol_add_common_datum(tol, datum(design, "A"), datum(design, "B"));
    stp_general_datum_reference* eb = mivo_tol_get_datum_ref(common, 1u);
    auto* loop = new (&design) ListOfstp_datum_reference_element();
    loop->add(dynamic_cast<stp_datum_reference_element*>(eb));
    eb->base()->_common_datum_list(loop);
    const std::string path = ::testing::TempDir() + "mivo_gdt_loop_" + std::to_string(::getpid()) + ".stp";
    ASSERT_TRUE(nusk_write_step(&design, path.c_str()).ok);
    ToolRun run = mivoGdt(path);
    EXPECT_LE(run.status, 1);
    EXPECT_NE(run.out.find("datums: A-"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 geometric tolerance\n"), std::string::npos) << run.out;
    std::remove(path.c_str());
}

/// A Part 21 file of the given data section records, written under the test's temporary directory.
std::string writeRecords(const std::string& name, const std::string& records) {
    const std::string path = ::testing::TempDir() + "mivo_gdt_" + name + "_" + std::to_string(::getpid()) + ".stp";
    std::ofstream(path) << "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'2;1');\n"
                           "FILE_NAME('t.stp','2024-01-01T00:00:00',(''),(''),'','','');\n"
                           "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 3 1 4 }'));\n"
                           "ENDSEC;\nDATA;\n"
                        << records << "ENDSEC;\nEND-ISO-10303-21;\n";
    return path;
}

// A magnitude or a modifier's value without a unit has no unit name, as in mivo props: not the placeholder "none".
TEST(MivoGdt, AMeasureWithoutUnitHasAnEmptyUnit) {
    const std::string path = writeRecords("nounit",
        "#20=DATUM('',$,$,.F.,'A');\n"
        "#30=LENGTH_MEASURE_WITH_UNIT(LENGTH_MEASURE(0.01),$);\n"
        "#31=DATUM_REFERENCE_MODIFIER_WITH_VALUE(.SPHERICAL.,#30);\n"
        "#32=DATUM_REFERENCE_COMPARTMENT('',$,$,.F.,#20,(#31));\n"
        "#33=DATUM_SYSTEM('',$,$,.F.,(#32));\n"
        "#34=(GEOMETRIC_TOLERANCE('nounit','',#30,$)GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE((#33))"
        "POSITION_TOLERANCE());\n");
    ToolRun json = mivoGdt(path + " --json");
    EXPECT_NE(json.out.find("\"magnitude\": 0.01, \"unit\": \"\","), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("{\"label\": \"A\", \"modifiers\": [\"spherical 0.01\"]}"), std::string::npos)
        << json.out;
    ToolRun text = mivoGdt(path);
    EXPECT_NE(text.out.find("magnitude 0.01, on no shape aspect"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find("none"), std::string::npos) << text.out;
    std::remove(path.c_str());
}

// Joining a datum to a reference moves the reference's modifiers to the common datum's first element: the
// report gives each element's modifiers with its label, and the common datum's own after it.
TEST(MivoGdt, ACommonDatumIsReportedWithTheModifiersOfItsElements) {
    NuskDesign design("elements", nusk_ap242_schema());
    stp_geometric_tolerance* tol = mivo_make_tolerance(&design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS);
    stp_datum* a = datum(design, "A");
    stp_general_datum_reference* ref = mivo_tol_add_datum(tol, a);
    mivo_tol_add_datum_modifier(ref, stp_simple_datum_reference_modifier_maximum_material_requirement);
    mivo_tol_add_datum(ref, datum(design, "B"));
    mivo_tol_add_datum_modifier(ref, stp_datum_reference_modifier_type_spherical, 5, nuskunit_mm);
    mivo_tol_add_datum(tol, datum(design, "D"));
    const std::string path = ::testing::TempDir() + "mivo_gdt_elements_" + std::to_string(::getpid()) + ".stp";
    ASSERT_TRUE(nusk_write_step(&design, path.c_str()).ok);
    ToolRun text = mivoGdt(path);
    EXPECT_NE(text.out.find("datums: A(maximum_material_requirement)-B (spherical 5 mm) | D\n"), std::string::npos)
        << text.out;
    ToolRun json = mivoGdt(path + " --json");
    EXPECT_NE(json.out.find("{\"label\": \"A-B\", \"modifiers\": [\"spherical 5 mm\"], \"elements\": ["
                            "{\"label\": \"A\", \"modifiers\": [\"maximum_material_requirement\"]}, "
                            "{\"label\": \"B\", \"modifiers\": []}]}, {\"label\": \"D\", \"modifiers\": []}]"),
              std::string::npos) << json.out;
    std::remove(path.c_str());
}

/// The instance numbers of the records of a Part 21 file that are geometric tolerances of one of the 15 kinds,
/// found in the file's text alone: a simple record of a kind, or a complex record that lists one.
std::set<std::string> toleranceRecords(const std::string& text) {
    static const std::regex kind(
        "(CYLINDRICITY|FLATNESS|LINE_PROFILE|POSITION|ROUNDNESS|STRAIGHTNESS|SURFACE_PROFILE|ANGULARITY|"
        "CIRCULAR_RUNOUT|COAXIALITY|CONCENTRICITY|PARALLELISM|PERPENDICULARITY|SYMMETRY|TOTAL_RUNOUT)_TOLERANCE\\s*\\(");
    static const std::regex head("^\\s*#(\\d+)\\s*=");
    std::set<std::string> ids;
    std::string record;
    std::istringstream in(text);
    for (std::string piece; std::getline(in, piece, ';');) {
        std::smatch m;
        if (std::regex_search(piece, m, head) && std::regex_search(piece, kind)) ids.insert(m[1]);
    }
    return ids;
}

class MivoGdtOnRealFiles : public ::testing::TestWithParam<std::string> {};

// Every tolerance that the file's text holds is reported, and nothing else.
TEST_P(MivoGdtOnRealFiles, ReportsEveryGeometricToleranceOfTheFile) {
    const std::string& file = GetParam();
    if (file.empty()) GTEST_SKIP() << "no NIST files under " << MIVO_DATA_DIR;
    const std::set<std::string> expected = toleranceRecords(readAll(file));
    ToolRun json = mivoGdt("'" + file + "' --json");
    ASSERT_LE(json.status, 1) << file;
    std::set<std::string> reported;
    static const std::regex entity("\\{\"entity\": (\\d+), \"type\"");
    for (std::sregex_iterator it(json.out.begin(), json.out.end(), entity), end; it != end; ++it)
        reported.insert((*it)[1]);
    EXPECT_EQ(reported, expected) << file;
}

INSTANTIATE_TEST_SUITE_P(Nist, MivoGdtOnRealFiles, ::testing::ValuesIn(mivo_test::dataFileParams("nist")),
                         mivo_test::fileTestName);

}  // namespace
