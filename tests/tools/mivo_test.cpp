// The mivo tool, run as a user runs it: output, JSON and exit statuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ToolRun {
    int status;
    std::string out;  // standard output
    std::string err;  // standard error
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

/// Runs the tool with its standard output and standard error each redirected to a file of its own (named for
/// this process: ctest runs the tests in processes side by side).
ToolRun mivo(const std::string& args) {
    const std::string stem = testing::TempDir() + "mivo-" + std::to_string(getpid());
    const std::string out = stem + "-stdout.txt";
    const std::string err = stem + "-stderr.txt";
    const std::string command = std::string(MIVO_PATH) + " " + args + " >" + out + " 2>" + err;
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readAll(out), readAll(err)};
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string writeFile(const std::string& name, const std::string& text) {
    std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

const char kGood[] =
    "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('d'),'2;1');\nFILE_NAME('n','t',(''),(''),'','sys','');\n"
    "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }'));\nENDSEC;\nDATA;\n"
    "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n#2=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT($,.METRE.));\n"
    "#3=CARTESIAN_POINT('',(0.,0.,0.));\nENDSEC;\nEND-ISO-10303-21;\n";

TEST(MivoTool, WithoutArgumentsShowsTheSample) {
    ToolRun r = mivo("");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("read cleanly"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("LENGTH_UNIT+SI_UNIT"), std::string::npos);
    EXPECT_NE(r.out.find("originating system: mivo"), std::string::npos);
}

TEST(MivoTool, UsageAndExitStatuses) {
    ToolRun help = mivo("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: mivo"), std::string::npos);
    EXPECT_EQ(mivo("frobnicate x").status, 2);
    EXPECT_EQ(mivo("info").status, 2);
    EXPECT_EQ(mivo("info /nonexistent/file.stp").status, 2);
    EXPECT_EQ(mivo("info " + writeFile("garbage.stp", "not a step file")).status, 2);
    EXPECT_EQ(mivo("info " + writeFile("good.stp", kGood)).status, 0);
    std::string bad = kGood;
    bad.replace(bad.find("#3=CARTESIAN_POINT('',(0.,0.,0.));"), 34, "#3=CARTESIAN_POINT('',#99);");
    EXPECT_EQ(mivo("info " + writeFile("bad.stp", bad)).status, 1);
}

TEST(MivoTool, InfoJsonCountsComplexInstancesUnderTheirLeafTypes) {
    ToolRun r = mivo("info " + writeFile("json.stp", kGood) + " --json");
    EXPECT_EQ(r.status, 0);
    for (const char* key : {"\"file\"", "\"schema\"", "\"instances\": 3", "\"types\"", "\"errors\": []",
                            "\"warnings\": []", "\"read_seconds\""})
        EXPECT_NE(r.out.find(key), std::string::npos) << key << "\n" << r.out;
    EXPECT_NE(r.out.find("\"LENGTH_UNIT+SI_UNIT\": 2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"CARTESIAN_POINT\": 1"), std::string::npos);
}

TEST(MivoTool, CatWritesWhatItRead) {
    const std::string in = writeFile("cat-in.stp", kGood);
    const std::string out = testing::TempDir() + "cat-out.stp";
    EXPECT_EQ(mivo("cat " + in + " -o " + out).status, 0);
    std::ifstream written(out);
    std::string text((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));"), std::string::npos) << text;
    EXPECT_NE(text.find("FILE_NAME('n','t',(''),(''),'','sys','');"), std::string::npos);
    EXPECT_EQ(mivo("cat " + in).status, 2);  // no -o
    EXPECT_EQ(mivo("cat " + in + " -o /nonexistent/dir/out.stp").status, 2);
}

}  // namespace

namespace {

TEST(MivoTool, UnitsListsEveryUnitEntityWithItsCode) {
    const std::string file = writeFile("units.stp", kGood);
    ToolRun text = mivo("units " + file);
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("LENGTH_UNIT+SI_UNIT"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("millimetre"), std::string::npos);
    ToolRun json = mivo("units " + file + " --json");
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("{\"entity\": 1, \"type\": \"LENGTH_UNIT+SI_UNIT\", \"code\": 2, \"measure_type\": 8, "
                            "\"name\": \"mm\", \"fullname\": \"millimetre\", \"kind\": \"length\"}"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"code\": 4"), std::string::npos);  // the metre
    EXPECT_EQ(mivo("units").status, 2);
}

}  // namespace

namespace {

std::string withDanglingReferences(int count) {
    std::string text = kGood;
    std::string data;
    for (int i = 0; i < count; ++i) data += "#" + std::to_string(10 + i) + "=VERTEX_POINT('',#" + std::to_string(900 + i) + ");\n";
    return text.insert(text.find("ENDSEC;\nEND-ISO"), data);
}

TEST(MivoTool, HelpVersionAndMissingOptionValues) {
    const ToolRun help = mivo("help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, mivo("--help").out);
    EXPECT_TRUE(has(help.out, "--verbose")) << help.out;
    for (const char* flag : {"--version", "-V"}) {
        const ToolRun version = mivo(flag);
        EXPECT_EQ(version.status, 0) << flag;
        EXPECT_EQ(version.out, std::string("mivo ") + MIVO_VERSION + "\n") << flag;
    }
    const std::string in = writeFile("value-in.stp", kGood);
    for (const std::string& args : {"cat " + in + " -o", "cat " + in + " -o --verbose", std::string("cat -o")}) {
        const ToolRun r = mivo(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(has(r.err, "the value of -o is missing")) << args << "\n" << r.err;
    }
}

TEST(MivoTool, ADirectoryIsToldApartFromAFileByEveryCommand) {
    const std::string dir = testing::TempDir();
    const std::string good = writeFile("dir-good.stp", kGood);
    for (const std::string& args : {"info " + dir, "units " + dir, "info " + dir + " --json",
                                    "cat " + dir + " -o " + dir + "out.stp", "cat " + good + " -o " + dir}) {
        const ToolRun r = mivo(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(has(r.err, "is a directory")) << args << "\n" << r.err;
        EXPECT_FALSE(has(r.err + r.out, "Part 21")) << args;
    }
}

TEST(MivoTool, ResultsGoToStandardOutputAndMessagesToStandardError) {
    const std::string bad = writeFile("streams.stp", withDanglingReferences(1));
    const std::string message = "line 11: #10 refers to #900";
    const std::string out = testing::TempDir() + "streams-out.stp";
    for (const std::string& args : {"info " + bad, "info " + bad + " --json", "units " + bad, "cat " + bad + " -o " + out}) {
        const ToolRun r = mivo(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_TRUE(has(r.err, "error: " + message)) << args << "\n" << r.err;
        EXPECT_FALSE(has(r.err, "instances")) << args;  // the result is not on standard error
        const bool json = has(args, "--json");
        EXPECT_EQ(has(r.out, message), json) << args << "\n" << r.out;  // JSON keeps its messages
    }
    EXPECT_TRUE(has(mivo("info " + bad).out, "errors:             1"));
    EXPECT_TRUE(has(mivo("units " + bad).out, "unit entities"));

    // A message about no line in particular shows none.
    for (const std::string& args : {"info " + writeFile("empty.stp", ""), "units " + writeFile("empty.stp", ""),
                                    std::string("info /nonexistent/file.stp")}) {
        const ToolRun r = mivo(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(has(r.err, "error: ")) << args;
        EXPECT_FALSE(has(r.err + r.out, "line 0")) << args << "\n" << r.err;
    }
    EXPECT_EQ(mivo("info " + writeFile("bom.stp", "\xEF\xBB\xBF" + std::string(kGood))).status, 0);
}

TEST(MivoTool, CatSummarisesAndShowsTheFirstMessagesUnlessVerbose) {
    const std::string in = writeFile("many.stp", withDanglingReferences(25));
    const std::string out = testing::TempDir() + "many-out.stp";
    const ToolRun r = mivo("cat " + in + " -o " + out);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "28 instances written to " + out + "; read with 25 errors, 0 warnings\n");
    size_t lines = 0;
    for (size_t at = r.err.find("error: "); at != std::string::npos; at = r.err.find("error: ", at + 1)) ++lines;
    EXPECT_EQ(lines, 20u) << r.err;
    EXPECT_TRUE(has(r.err, "... 5 more messages not shown (--verbose shows them)\n")) << r.err;
    EXPECT_TRUE(has(r.err, "#29 refers to #919") && !has(r.err, "#30 refers to #920"));

    const ToolRun verbose = mivo("cat " + in + " -o " + out + " --verbose");
    EXPECT_TRUE(has(verbose.err, "#34 refers to #924")) << verbose.err;
    EXPECT_FALSE(has(verbose.err, "not shown"));
}

TEST(MivoTool, UnitsNameTheKindOfQuantityInAlignedColumns) {
    std::string text = kGood;
    // millimetres to the seventh: a derived unit no code stands for, with the longest name of the table
    text.insert(text.find("ENDSEC;\nEND-ISO"), "#4=DERIVED_UNIT((#5));\n#5=DERIVED_UNIT_ELEMENT(#1,7.);\n");
    const std::string file = writeFile("units-kinds.stp", text);
    const ToolRun r = mivo("units " + file);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.out, "length")) << r.out;
    EXPECT_TRUE(has(r.out, "unknown derived unit")) << r.out;
    // Every column starts where its heading does.
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(r.out.substr(at, end - at));
    ASSERT_GE(lines.size(), 4u) << r.out;
    const size_t nameColumn = lines[0].find("name");
    const size_t fullNameColumn = lines[0].find("full name");
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        ASSERT_GT(lines[i].size(), fullNameColumn) << lines[i];
        EXPECT_EQ(lines[i][fullNameColumn - 1], ' ') << lines[i];
        EXPECT_NE(lines[i][fullNameColumn], ' ') << lines[i];
        EXPECT_NE(lines[i][nameColumn], ' ') << lines[i];
    }
}

TEST(MivoTool, TheSampleNamesNoTemporaryFile) {
    for (const char* args : {"", "--json"}) {
        const ToolRun r = mivo(args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_FALSE(has(r.out, "/tmp")) << r.out;
        EXPECT_TRUE(has(r.out, "written to a temporary file and read back")) << r.out;
    }
}

}  // namespace

namespace {

// A qualified length with limits and a precision, a plain item in an inch unit, and a descriptive value.
TEST(MivoTool, MeasuresListValuesUnitsAndQualifiers) {
    std::string text = kGood;
    text.insert(text.find("ENDSEC;\nEND-ISO"),
                "#10=(LENGTH_MEASURE_WITH_UNIT()MEASURE_REPRESENTATION_ITEM()MEASURE_WITH_UNIT(LENGTH_MEASURE(12.),#1)"
                "QUALIFIED_REPRESENTATION_ITEM((#11,#12,#13))REPRESENTATION_ITEM('bore'));\n"
                "#11=STANDARD_UNCERTAINTY('lower limit','',11.98);\n#12=STANDARD_UNCERTAINTY('upper limit','',12.02);\n"
                "#13=PRECISION_QUALIFIER(2);\n"
                "#14=MEASURE_REPRESENTATION_ITEM('note',DESCRIPTIVE_MEASURE('about ten'),#1);\n");
    const std::string file = writeFile("measures.stp", text);
    const ToolRun json = mivo("measures " + file + " --json");
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_TRUE(has(json.out, "{\"entity\": 10, \"type\": "
                              "\"LENGTH_MEASURE_WITH_UNIT+MEASURE_REPRESENTATION_ITEM+QUALIFIED_REPRESENTATION_ITEM\", "
                              "\"name\": \"bore\", \"value\": 12, \"unit\": \"mm\", \"kind\": \"length\", "
                              "\"lower_limit\": 11.98, \"upper_limit\": 12.02, \"precision\": 2}"))
        << json.out;
    EXPECT_TRUE(has(json.out, "\"name\": \"note\", \"value\": \"about ten\", \"unit\": \"mm\""));
    const ToolRun table = mivo("measures " + file);
    EXPECT_EQ(table.status, 0);
    EXPECT_TRUE(has(table.out, "11.98  12.02          2  bore")) << table.out;
    EXPECT_TRUE(has(table.out, "2 measure items"));
    EXPECT_EQ(mivo("measures").status, 2);
    EXPECT_EQ(mivo("measures /nonexistent.stp").status, 2);
}

}  // namespace
