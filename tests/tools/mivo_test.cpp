// The mivo tool, run as a user runs it: output, JSON and exit statuses.
#include "../common/tool_run.h"
#include "assembly_records.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using tool_run::has;
using tool_run::mivo;
using tool_run::readAll;
using tool_run::ToolRun;
using tool_run::writeFile;

const char kGood[] =
    MIVO_TEST_HEADER
    "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n#2=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT($,.METRE.));\n"
    "#3=CARTESIAN_POINT('',(0.,0.,0.));\nENDSEC;\nEND-ISO-10303-21;\n";

TEST(MivoTool, AWriteCutShortLeavesOutAsItWasForEveryCommandThatWrites) {
    // A limit on the size of files makes writes fail past 16 KiB, as a full disk would. OUT is FILE itself here:
    // written over in place, it would be lost.
    std::string text = kGood;
    std::string points;
    for (int i = 10; i < 1000; ++i)
        points += "#" + std::to_string(i) + "=CARTESIAN_POINT('',(" + std::to_string(i) + ".,0.,0.));\n";
    text.insert(text.find("ENDSEC;\nEND-ISO"), points);
    const std::string in = writeFile("limited.stp", text);
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const struct rlimit limited = {16384, old.rlim_max};
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the process
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    for (const std::string& args : {"cat " + in + " -o " + in, "merge " + in + " -o " + in,
                                    "convert-units " + in + " -o " + in + " --length in"}) {
        const ToolRun r = mivo(args);
        EXPECT_EQ(r.status, 2) << args;
        const std::string after = readAll(in);
        EXPECT_TRUE(after == text) << args << ": " << after.size() << " bytes, not " << text.size();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    for (const auto& entry : std::filesystem::directory_iterator(testing::TempDir()))
        EXPECT_FALSE(has(entry.path().filename().string(), "limited.stp.mivo-")) << entry.path();
}

TEST(MivoTool, WritingOverALinkAPrivateFileOrAPipeKeepsWhatOutIs) {
    const std::string in = writeFile("keep-in.stp", kGood);
    // A private file behind a symbolic link: the file gets the result and keeps its mode; the link stays.
    const std::string target = writeFile("keep-target.stp", "old");
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    const std::string link = testing::TempDir() + "keep-link.stp";
    std::remove(link.c_str());
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    for (const std::string command : {"cat", "merge"}) {
        writeFile("keep-target.stp", "old");
        const ToolRun r = mivo(command + " " + in + " -o " + link);
        EXPECT_EQ(r.status, 0) << command << ": " << r.err;
        struct stat st;
        ASSERT_EQ(lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << command;
        ASSERT_EQ(stat(target.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << command;
        EXPECT_TRUE(has(readAll(target), "#3=CARTESIAN_POINT")) << command;
    }
    // A pipe (as /dev/null or /dev/stdout are no files either) cannot be replaced: it is written as the text comes.
    const std::string fifo = testing::TempDir() + "keep-fifo";
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // the file is smaller than the pipe holds
    ASSERT_GE(reader, 0);
    const ToolRun r = mivo("cat " + in + " -o " + fifo);
    EXPECT_EQ(r.status, 0) << r.err;
    std::string piped(1 << 16, '\0');
    const ssize_t got = read(reader, &piped[0], piped.size());
    close(reader);
    EXPECT_TRUE(got > 0 && has(piped.substr(0, static_cast<size_t>(got)), "#3=CARTESIAN_POINT"));
    struct stat st;
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    std::remove(fifo.c_str());
}

TEST(MivoTool, AFileSomeonePlacedUnderATemporaryNameIsNeverWrittenThrough) {
    // In a folder others may write to, links planted ahead under the names a process numbered next would use
    // for its temporary file lead to someone's file: the write goes to a file of its own, and OUT gets it.
    const std::string in = writeFile("planted-in.stp", kGood);
    const std::string victim = writeFile("planted-victim.txt", "precious");
    const std::string folder = testing::TempDir() + "planted-folder";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    const std::string out = folder + "/out.stp";
    long last = getpid();
    std::ifstream("/proc/sys/kernel/ns_last_pid") >> last;  // the process number given out last
    constexpr long kPlanted = 200;
    for (long pid = last + 1; pid <= last + kPlanted; ++pid)
        ASSERT_EQ(symlink(victim.c_str(), (out + ".mivo-" + std::to_string(pid) + ".tmp").c_str()), 0);
    // A new file gets the permissions the umask gives, not those of a private temporary.
    const mode_t umaskBefore = umask(027);
    const ToolRun r = mivo("cat " + in + " -o " + out);
    umask(umaskBefore);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readAll(victim), "precious");
    struct stat st;
    ASSERT_EQ(lstat(out.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_TRUE(has(readAll(out), "#3=CARTESIAN_POINT"));
    // Nothing is left beside OUT but what was planted.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), kPlanted + 1);
    // A folder where nothing can be made: an error that names OUT, and nothing written.
    const ToolRun nowhere = mivo("cat " + in + " -o " + folder + "/missing/out.stp");
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_TRUE(has(nowhere.err, "cannot open " + folder + "/missing/out.stp for writing")) << nowhere.err;
    std::filesystem::remove_all(folder);
}

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

TEST(MivoTool, AFileWithoutANameIsNamedAfterTheFileWrittenNotItsTemporaryFile) {
    std::string unnamed = kGood;
    unnamed.replace(unnamed.find("FILE_NAME('n',"), 14, "FILE_NAME('',");
    const std::string in = writeFile("unnamed-in.stp", unnamed);
    const std::string out = testing::TempDir() + "named-out.stp";
    ASSERT_EQ(mivo("cat " + in + " -o " + out).status, 0);
    std::ifstream written(out);
    const std::string text((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("FILE_NAME('named-out.stp','t',"), std::string::npos) << text.substr(0, 300);
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
    // Each option is described once, in the one list of options.
    const std::string options = help.out.substr(help.out.find("Options:"));
    for (const char* option : {"\n  --json", "\n  --verbose", "\n  -o OUT", "\n  --length", "\n  --angle",
                               "\n  --unit", "\n  --product", "\n  -V, --version"}) {
        const size_t first = options.find(option);
        EXPECT_NE(first, std::string::npos) << option;
        EXPECT_EQ(options.find(option, first + 1), std::string::npos) << option << " twice:\n" << options;
    }
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
    for (const std::string& args : {"info " + dir, "units " + dir, "info " + dir + " --json", "contexts " + dir,
                                    "cat " + dir + " -o " + dir + "out.stp", "cat " + good + " -o " + dir,
                                    "merge " + good + " -o " + dir}) {
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

// An empty descriptive value is a value: "" in JSON and '' in the table, not the null of an item without one.
TEST(MivoTool, MeasuresShowAnEmptyDescriptiveValueAsText) {
    std::string text = kGood;
    text.insert(text.find("ENDSEC;\nEND-ISO"), "#15=MEASURE_REPRESENTATION_ITEM('w',DESCRIPTIVE_MEASURE(''),#1);\n");
    const std::string file = writeFile("empty_text.stp", text);
    const ToolRun json = mivo("measures " + file + " --json");
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_TRUE(has(json.out, "\"name\": \"w\", \"value\": \"\", \"unit\": \"mm\"")) << json.out;
    const ToolRun table = mivo("measures " + file);
    EXPECT_EQ(table.status, 0);
    EXPECT_TRUE(has(table.out, "  ''  mm")) << table.out;
}

}  // namespace

namespace {

// Two millimetre contexts with uncertainties within 1% of each other (each with units of its own, the
// steradian shared), a plain context, and duplicate application and product contexts.
const char kContexts[] =
    MIVO_TEST_HEADER
    "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n"
    "#2=(NAMED_UNIT(*)PLANE_ANGLE_UNIT()SI_UNIT($,.RADIAN.));\n"
    "#3=(NAMED_UNIT(*)SI_UNIT($,.STERADIAN.)SOLID_ANGLE_UNIT());\n"
    "#4=UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(1.E-03),#1,'distance_accuracy_value','');\n"
    "#5=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((#4))"
    "GLOBAL_UNIT_ASSIGNED_CONTEXT((#1,#2,#3))REPRESENTATION_CONTEXT('a','3D'));\n"
    "#6=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n"
    "#7=(NAMED_UNIT(*)PLANE_ANGLE_UNIT()SI_UNIT($,.RADIAN.));\n"
    "#8=UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(1.005E-03),#6,'distance_accuracy_value','');\n"
    "#9=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((#8))"
    "GLOBAL_UNIT_ASSIGNED_CONTEXT((#6,#7,#3))REPRESENTATION_CONTEXT('b','3D'));\n"
    "#10=SHAPE_REPRESENTATION('s1',(#12),#5);\n#11=SHAPE_REPRESENTATION('s2',(#13),#9);\n"
    "#12=CARTESIAN_POINT('',(0.,0.,0.));\n#13=CARTESIAN_POINT('',(1.,0.,0.));\n"
    "#14=APPLICATION_CONTEXT('mechanical design');\n#15=APPLICATION_CONTEXT('mechanical design');\n"
    "#16=APPLICATION_PROTOCOL_DEFINITION('international standard','ap242_managed_model_based_3d_engineering',"
    "2014,#14);\n"
    "#17=PRODUCT_CONTEXT('',#14,'mechanical');\n#18=PRODUCT_CONTEXT('',#15,'Mechanical');\n"
    "#19=PRODUCT_DEFINITION_CONTEXT('part definition',#15,'design');\n"
    "#20=REPRESENTATION_CONTEXT('drawing','2D');\n"
    "ENDSEC;\nEND-ISO-10303-21;\n";

TEST(MivoTool, ContextsListsUnitsAndUncertainties) {
    const std::string file = writeFile("contexts.stp", kContexts);
    const ToolRun text = mivo("contexts " + file);
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(has(text.out, "3 representation contexts")) << text.out;
    EXPECT_TRUE(has(text.out, "mm      rad    sr           0.001005 mm")) << text.out;
    EXPECT_TRUE(has(text.out, "#20  REPRESENTATION_CONTEXT")) << text.out;

    const ToolRun json = mivo("contexts " + file + " --json");
    EXPECT_EQ(json.status, 0);
    EXPECT_TRUE(has(json.out, "{\"entity\": 5, \"type\": \"GEOMETRIC_REPRESENTATION_CONTEXT+GLOBAL_UNCERTAINTY_"
                              "ASSIGNED_CONTEXT+GLOBAL_UNIT_ASSIGNED_CONTEXT\", \"length_unit\": \"mm\", "
                              "\"angle_unit\": \"rad\", \"solid_angle_unit\": \"sr\", \"uncertainty\": 0.001, "
                              "\"uncertainty_unit\": \"mm\"}"))
        << json.out;
    EXPECT_TRUE(has(json.out, "\"uncertainty\": 0.001005,")) << json.out;
    EXPECT_TRUE(has(json.out, "{\"entity\": 20, \"type\": \"REPRESENTATION_CONTEXT\", \"length_unit\": \"\", "
                              "\"angle_unit\": \"\", \"solid_angle_unit\": \"\", \"uncertainty\": null, "
                              "\"uncertainty_unit\": \"\"}"))
        << json.out;

    EXPECT_EQ(mivo("contexts").status, 2);
    EXPECT_EQ(mivo("contexts /nonexistent/file.stp").status, 2);
    EXPECT_EQ(mivo("contexts " + writeFile("contexts-bad.stp", withDanglingReferences(1))).status, 1);
}

TEST(MivoTool, MergeCountsWhatItReplacedAndWritesTheSurvivors) {
    const std::string in = writeFile("merge-in.stp", kContexts);
    const std::string out = testing::TempDir() + "merge-out.stp";
    const ToolRun json = mivo("merge " + in + " -o " + out + " --json");
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, "{\n  \"units\": 2,\n  \"ap_contexts\": 1,\n  \"product_contexts\": 1,\n  \"rep_contexts\": 1,\n"
                        "  \"instances_before\": 20,\n  \"instances_after\": 14\n}\n");
    const std::string written = readAll(out);
    // The larger uncertainty's context survives; its duplicate's uncertainty goes with it.
    EXPECT_TRUE(has(written, "#10=SHAPE_REPRESENTATION('s1',(#12),#9);")) << written;
    EXPECT_TRUE(has(written, "GLOBAL_UNIT_ASSIGNED_CONTEXT((#1,#2,#3))")) << written;
    EXPECT_TRUE(has(written, "#8=UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(0.001005),#1,")) << written;
    for (const char* gone : {"#4=", "#5=", "#6=", "#7=", "#15=", "#18="}) EXPECT_FALSE(has(written, gone)) << gone;
    EXPECT_TRUE(has(written, "#19=PRODUCT_DEFINITION_CONTEXT('part definition',#14,'design');")) << written;

    const ToolRun text = mivo("merge " + out + " -o " + out + "-again.stp");
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(has(text.out, "  representation contexts         0\n")) << text.out;
    EXPECT_TRUE(has(text.out, "instances: 14 before, 14 after; written to " + out + "-again.stp")) << text.out;
}

TEST(MivoTool, MergeNeedsAnOutputAndNeverLosesItsInput) {
    const std::string in = writeFile("merge-self.stp", kContexts);
    const ToolRun noOutput = mivo("merge " + in);
    EXPECT_EQ(noOutput.status, 2);
    EXPECT_TRUE(has(noOutput.err, "merge needs -o OUT")) << noOutput.err;
    EXPECT_EQ(mivo("merge " + in + " -o").status, 2);

    const ToolRun unwritable = mivo("merge " + in + " -o /nonexistent/dir/out.stp");
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_TRUE(has(unwritable.err, "cannot open /nonexistent/dir/out.stp for writing")) << unwritable.err;
    EXPECT_EQ(readAll(in), kContexts);

    // The input itself as output: replaced by the complete merged file, with nothing left beside it.
    const ToolRun self = mivo("merge " + in + " -o " + in);
    EXPECT_EQ(self.status, 0) << self.err;
    EXPECT_FALSE(has(readAll(in), "#15=")) << readAll(in);
    const ToolRun again = mivo("merge " + in + " -o " + in + " --json");
    EXPECT_TRUE(has(again.out, "\"rep_contexts\": 0,\n  \"instances_before\": 14,")) << again.out;
    for (const auto& entry : std::filesystem::directory_iterator(testing::TempDir()))
        EXPECT_FALSE(has(entry.path().filename().string(), "merge-self.stp.mivo-")) << entry.path();

    // A file read with errors is merged and written all the same, with the read's exit status.
    const ToolRun bad = mivo("merge " + writeFile("merge-bad.stp", withDanglingReferences(1)) + " -o " +
                             testing::TempDir() + "merge-bad-out.stp");
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(has(bad.out, "written to")) << bad.out;
}

}  // namespace

namespace {

TEST(MivoTool, ConvertUnitsMovesEachContextsRepresentationsAndWritesTheResult) {
    const std::string in = writeFile("convert-in.stp", kContexts);
    const std::string out = testing::TempDir() + "convert-out.stp";
    const ToolRun json = mivo("convert-units " + in + " -o " + out + " --length in --json");
    EXPECT_EQ(json.status, 0) << json.err;
    // Two shape representations in two millimetre contexts: two new contexts; the points are the items
    // converted. The plain context has no units and stays.
    EXPECT_EQ(json.out, "{\n  \"representations\": 2,\n  \"contexts\": 2,\n  \"items\": 2,\n  \"out_of_range\": 0,\n"
                        "  \"unconverted\": 0,\n  \"length_unit\": \"in\",\n  \"angle_unit\": null\n}\n");
    const std::string written = readAll(out);
    EXPECT_TRUE(has(written, "#13=CARTESIAN_POINT('',(0.03937007874015748,0.,0.));")) << written;
    const ToolRun contexts = mivo("contexts " + out);
    EXPECT_TRUE(has(contexts.out, "5 representation contexts")) << contexts.out;
    EXPECT_TRUE(has(contexts.out, "in      rad    sr           3.937007874015748e-05 in")) << contexts.out;

    // Converted again, into metre and degree, the file in place: its inch contexts are converted in turn.
    const ToolRun text = mivo("convert-units " + out + " -o " + out + " --length m --angle deg");
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, "converted into m and deg:\n  representations moved         2\n  contexts made                 2\n"
                        "  items converted               2\nwritten to " + out + "\n");
    EXPECT_TRUE(has(readAll(out), "#13=CARTESIAN_POINT('',(0.001,0.,0.));")) << readAll(out);
}

TEST(MivoTool, ConvertUnitsTellsOfValuesItTakesOutOfRange) {
    // 1.7E308 mm in micrometres is beyond a double: the coordinate is lost (written as $), and the summary, the
    // JSON and the warnings say so rather than report a plain success.
    std::string text = kContexts;
    const std::string point = "#13=CARTESIAN_POINT('',(1.,0.,0.));";
    text.replace(text.find(point), point.size(), "#13=CARTESIAN_POINT('',(1.,1.7E308,0.));");
    const std::string in = writeFile("convert-far.stp", text);
    const std::string out = testing::TempDir() + "convert-far-out.stp";
    const ToolRun run = mivo("convert-units " + in + " -o " + out + " --length um");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(has(run.out, "  values out of range           1\n")) << run.out;
    EXPECT_TRUE(has(run.err, "representation #11: 1 values out of range once converted (the first in #13)")) << run.err;
    EXPECT_TRUE(has(run.err, "warning: 1 reals that are infinite or not a number written as $")) << run.err;
    EXPECT_TRUE(has(readAll(out), "#13=CARTESIAN_POINT('',(1000.,$,0.));")) << readAll(out);
    const ToolRun json = mivo("convert-units " + in + " -o " + out + " --length um --json");
    EXPECT_TRUE(has(json.out, "\"out_of_range\": 1,")) << json.out;
}

TEST(MivoTool, ConvertUnitsNamesTheUnitsItAccepts) {
    const std::string in = writeFile("convert-usage.stp", kContexts);
    const std::string out = testing::TempDir() + "convert-usage-out.stp";
    const ToolRun furlong = mivo("convert-units " + in + " -o " + out + " --length furlong");
    EXPECT_EQ(furlong.status, 2);
    EXPECT_TRUE(has(furlong.err, "unknown unit 'furlong' for --length: one of mm, cm, m, in, ft, um, nm, mi, mil"))
        << furlong.err;
    const ToolRun angleAsLength = mivo("convert-units " + in + " -o " + out + " --length deg");
    EXPECT_EQ(angleAsLength.status, 2);
    const ToolRun lengthAsAngle = mivo("convert-units " + in + " -o " + out + " --length mm --angle mm");
    EXPECT_EQ(lengthAsAngle.status, 2);
    EXPECT_TRUE(has(lengthAsAngle.err, "unknown unit 'mm' for --angle: one of deg, rad")) << lengthAsAngle.err;

    const ToolRun noOutput = mivo("convert-units " + in + " --length in");
    EXPECT_EQ(noOutput.status, 2);
    EXPECT_TRUE(has(noOutput.err, "convert-units needs -o OUT")) << noOutput.err;
    const ToolRun noLength = mivo("convert-units " + in + " -o " + out);
    EXPECT_EQ(noLength.status, 2);
    EXPECT_TRUE(has(noLength.err, "convert-units needs --length UNIT")) << noLength.err;
    EXPECT_TRUE(has(mivo("convert-units " + in + " -o " + out + " --length").err, "the value of --length is missing"));
    EXPECT_FALSE(std::filesystem::exists(out));  // nothing written by a command it refused
    EXPECT_EQ(readAll(in), kContexts);
}

}  // namespace

namespace {

// A product with a shape aspect, a property represented by a text and a length, a document file known by an
// external identification, a plain document, and an identification of the product.
const char kProps[] =
    MIVO_TEST_HEADER
    "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n#2=PRODUCT_CONTEXT('',#3,'mechanical');\n"
    "#3=APPLICATION_CONTEXT('design');\n#4=PRODUCT('bracket','Bracket','',(#2));\n"
    "#5=PRODUCT_DEFINITION_FORMATION('1','',#4);\n#6=PRODUCT_DEFINITION_CONTEXT('part definition',#3,'design');\n"
    "#7=PRODUCT_DEFINITION('design','',#5,#6);\n#8=PRODUCT_DEFINITION_SHAPE('','',#7);\n"
    "#9=SHAPE_ASPECT('hole','through',#8,.T.);\n#10=PROPERTY_DEFINITION('material','',#7);\n"
    "#11=DESCRIPTIVE_REPRESENTATION_ITEM('name','steel');\n"
    "#12=MEASURE_REPRESENTATION_ITEM('thickness',LENGTH_MEASURE(2.5),#1);\n"
    "#13=REPRESENTATION('',(#11,#12),#14);\n#14=REPRESENTATION_CONTEXT('','');\n"
    "#15=PROPERTY_DEFINITION_REPRESENTATION(#10,#13);\n#16=DOCUMENT_TYPE('');\n"
    "#17=DOCUMENT_FILE('drawing.pdf','',$,#16,'',$);\n#18=APPLIED_DOCUMENT_REFERENCE(#17,'',(#7));\n"
    "#19=IDENTIFICATION_ROLE('id',$);\n#20=EXTERNAL_SOURCE(IDENTIFIER('vault/drawing-7.pdf'));\n"
    "#21=APPLIED_EXTERNAL_IDENTIFICATION_ASSIGNMENT('D-7',#19,#20,(#17));\n"
    "#22=APPLIED_EXTERNAL_IDENTIFICATION_ASSIGNMENT('PN-100',#19,$,(#4));\n"
    "#23=DOCUMENT('ISO 2768','',$,#16);\n#24=APPLIED_DOCUMENT_REFERENCE(#23,'',(#4));\n"
    "ENDSEC;\nEND-ISO-10303-21;\n";

TEST(MivoTool, PropsListsWhatNamesEachProductDefinition) {
    const std::string file = writeFile("props.stp", kProps);
    const ToolRun text = mivo("props " + file);
    EXPECT_EQ(text.status, 0) << text.err;
    for (const char* line : {"product definition #7 of 'bracket' 'Bracket'\n  2 properties\n    #8 ''\n",
                             "    #10 'material'\n      #11 DESCRIPTIVE_REPRESENTATION_ITEM 'name' = 'steel'\n"
                             "      #12 MEASURE_REPRESENTATION_ITEM 'thickness' = 2.5 mm (length)\n",
                             // The file's name comes from the identification of the document file; the plain
                             // document names no file.
                             "  2 document references\n    #18 on #7: document #17, file 'vault/drawing-7.pdf'\n"
                             "    #24 on #4: document #23, not a file\n",
                             "  1 external identification\n    #22 on #4: 'PN-100'\n",
                             "  1 shape aspect\n    #9 'hole' (through)\n1 product definition\n"})
        EXPECT_TRUE(has(text.out, line)) << line << "\n" << text.out;

    const ToolRun json = mivo("props " + file + " --json");
    EXPECT_EQ(json.status, 0) << json.err;
    for (const char* part :
         {"{\"entity\": 7, \"product\": \"bracket\", \"name\": \"Bracket\",",
          "{\"entity\": 10, \"name\": \"material\", \"owner\": 7, \"items\": [",
          "{\"entity\": 11, \"name\": \"name\", \"type\": \"DESCRIPTIVE_REPRESENTATION_ITEM\", \"kind\": \"\", "
          "\"value\": \"steel\", \"unit\": \"\"}",
          "{\"entity\": 12, \"name\": \"thickness\", \"type\": \"MEASURE_REPRESENTATION_ITEM\", \"kind\": \"length\", "
          "\"value\": 2.5, \"unit\": \"mm\"}",
          "{\"entity\": 18, \"item\": 7, \"document\": 17, \"file\": \"vault/drawing-7.pdf\"}",
          "{\"entity\": 24, \"item\": 4, \"document\": 23, \"file\": null}",
          "{\"entity\": 22, \"item\": 4, \"id\": \"PN-100\", \"source\": null}",
          "\"shape_aspects\": [\n        {\"entity\": 9, \"name\": \"hole\", \"description\": \"through\"}\n      ]}"})
        EXPECT_TRUE(has(json.out, part)) << part << "\n" << json.out;

    EXPECT_EQ(mivo("props").status, 2);
    EXPECT_EQ(mivo("props /nonexistent/file.stp").status, 2);
    const ToolRun bad = mivo("props " + writeFile("props-bad.stp", withDanglingReferences(1)));
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(has(bad.out, "0 product definitions")) << bad.out;
}

TEST(MivoTool, PropsKeepsTheLibrarysDiagnosticsOutOfTheReport) {
    // A second identification of the document file: the library says so on standard output, which the tool
    // sends to standard error so that the JSON stays whole.
    std::string text = kProps;
    text.insert(text.find("ENDSEC;\nEND-ISO"),
                "#25=APPLIED_EXTERNAL_IDENTIFICATION_ASSIGNMENT('D-8',#19,$,(#17));\n");
    const std::string file = writeFile("props-two-ids.stp", text);
    for (const std::string& args : {"props " + file, "props " + file + " --json"}) {
        const ToolRun r = mivo(args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_FALSE(has(r.out, "ERROR")) << args << "\n" << r.out;
        EXPECT_TRUE(has(r.err, "ERROR: doc #17 has multiple id assignments\n")) << args << "\n" << r.err;
        EXPECT_TRUE(has(r.out, "vault/drawing-7.pdf")) << r.out;  // the first identification is used
    }
    const ToolRun json = mivo("props " + file + " --json");
    EXPECT_EQ(json.out.substr(0, 15), "{\n  \"products\":");
    EXPECT_EQ(json.out.substr(json.out.size() - 4), "]\n}\n");
}

}  // namespace

namespace {

// An assembly in millimetres with a pin in inches placed by a usage (turned a quarter about z, its origin one
// inch along its x), a washer placed by a mapped item without usage, and a shape that belongs to no product.
const char kAssembly[] =
    MIVO_TEST_ASSEMBLY_RECORDS
    "#45=SHAPE_REPRESENTATION('loose',(#46),#5);\n#46=CARTESIAN_POINT('',(1.,1.,1.));\n"
    "ENDSEC;\nEND-ISO-10303-21;\n";

/// The numbers of the JSON array that follows the first occurrence of `key` at or after `from`.
std::vector<double> numbersAfter(const std::string& json, const std::string& key, size_t from = 0) {
    std::vector<double> out;
    size_t at = json.find(key, from);
    if (at == std::string::npos) return out;
    at = json.find('[', at);
    const size_t end = json.find(']', at);
    const char* p = json.c_str() + at + 1;
    while (p < json.c_str() + end) {
        char* next = nullptr;
        const double v = std::strtod(p, &next);
        if (next == p) break;
        out.push_back(v);
        p = next + (*next == ',' ? 1 : 0);
    }
    return out;
}

void expectOrigin(const std::vector<double>& xform, double x, double y, double z, const std::string& what) {
    ASSERT_EQ(xform.size(), 16u) << what;
    EXPECT_NEAR(xform[12], x, 1e-9) << what;
    EXPECT_NEAR(xform[13], y, 1e-9) << what;
    EXPECT_NEAR(xform[14], z, 1e-9) << what;
}

TEST(MivoTool, TreeShowsEachUsageWithItsChildAndPlacement) {
    const std::string file = writeFile("tree.stp", kAssembly);
    const ToolRun text = mivo("tree " + file);
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out,
              "product tree, origins in mm\n"
              "top \"Top assembly\" (#12)\n"
              "  usage #28 \"P1\" via #31: pin \"Pin\" (#18) at (25.4, 25.4, 101.6) mm, x (0, 1, 0), z (0, 0, 1)\n"
              "  mapped item #40: washer \"Washer\" (#35) at (0, 0, 5) mm, x (1, 0, 0), z (0, 0, 1)\n"
              "shapes without product: #45\n");

    const ToolRun inches = mivo("tree " + file + " --unit in");
    EXPECT_EQ(inches.status, 0);
    EXPECT_TRUE(has(inches.out, "product tree, origins in in\n")) << inches.out;
    EXPECT_TRUE(has(inches.out, "(#18) at (1, 1, 4) in,")) << inches.out;
    EXPECT_TRUE(has(inches.out, "(#35) at (0, 0, 0.1968503937) in,")) << inches.out;

    const ToolRun own = mivo("tree " + file + " --unit as-is");
    EXPECT_TRUE(has(own.out, "origins in each child's own unit")) << own.out;
    EXPECT_TRUE(has(own.out, "(#18) at (1, 1, 4) in,")) << own.out;
    EXPECT_TRUE(has(own.out, "(#35) at (0, 0, 5) mm,")) << own.out;
}

TEST(MivoTool, TreeJsonNestsNodesWithRelativeAndRootPlacements) {
    const std::string file = writeFile("tree-json.stp", kAssembly);
    const ToolRun json = mivo("tree " + file + " --json --unit in");
    EXPECT_EQ(json.status, 0) << json.err;
    const std::string& out = json.out;
    EXPECT_EQ(out.rfind("{\n  \"unit\": \"in\",\n  \"roots\": [", 0), 0u) << out;
    EXPECT_TRUE(has(out, "{\"entity\": 12, \"product\": \"top\", \"name\": \"Top assembly\", \"children\": [")) << out;
    EXPECT_TRUE(has(out, "{\"usage\": 28, \"usage_id\": \"P1\", \"link\": 31, \"xform\": [")) << out;
    EXPECT_TRUE(has(out, "\"node\": {\"entity\": 18, \"product\": \"pin\", \"name\": \"Pin\", \"children\": []}")) << out;
    EXPECT_TRUE(has(out, "{\"usage\": null, \"usage_id\": null, \"link\": 40, \"xform\": [")) << out;
    EXPECT_TRUE(has(out, "\"shapes_without_product\": [45]\n}\n")) << out;
    // Column by column: the pin's x axis is the top's y.
    const std::vector<double> pin = numbersAfter(out, "\"xform\"");
    expectOrigin(pin, 1, 1, 4, "pin");
    EXPECT_EQ(std::vector<double>(pin.begin(), pin.begin() + 3), (std::vector<double>{0, 1, 0}));
    expectOrigin(numbersAfter(out, "\"world\""), 1, 1, 4, "pin in the root");
    expectOrigin(numbersAfter(out, "\"xform\"", out.find("\"link\": 40")), 0, 0, 5 / 25.4, "washer");
}

TEST(MivoTool, TreeMarksAProductInsideItselfAndGoesOn) {
    std::string cyclic = kAssembly;
    cyclic.insert(cyclic.find("ENDSEC;\nEND-ISO"),
                  productRecords(50, "a", "A") + productRecords(53, "b", "B") +
                      "#56=NEXT_ASSEMBLY_USAGE_OCCURRENCE('A1','','',#12,#52,$);\n"
                      "#57=NEXT_ASSEMBLY_USAGE_OCCURRENCE('B1','','',#52,#55,$);\n"
                      "#58=NEXT_ASSEMBLY_USAGE_OCCURRENCE('A2','','',#55,#52,$);\n");
    const std::string file = writeFile("tree-cycle.stp", cyclic);
    const ToolRun text = mivo("tree " + file);
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(has(text.out, "  usage #56 \"A1\" (not placed): a \"A\" (#52) at (0, 0, 0) mm")) << text.out;
    EXPECT_TRUE(has(text.out, "    usage #57 \"B1\" (not placed): b \"B\" (#55)")) << text.out;
    EXPECT_TRUE(has(text.out, "      usage #58 \"A2\" (not placed): a \"A\" (#52) at (0, 0, 0) mm, x (1, 0, 0), "
                              "z (0, 0, 1) [cycle: used inside itself, not followed]\n"))
        << text.out;
    const ToolRun json = mivo("tree " + file + " --json");
    EXPECT_TRUE(has(json.out, "{\"entity\": 52, \"product\": \"a\", \"name\": \"A\", \"cycle\": true, \"children\": []}"))
        << json.out;
}

TEST(MivoTool, TreeShowsTheProductsThatNoRootReaches) {
    // C and D use each other and D uses E: none of them is a root, and no root reaches them. They are shown
    // after the root trees, from the first of them the file defines, rather than left out.
    std::string cyclic = kAssembly;
    cyclic.insert(cyclic.find("ENDSEC;\nEND-ISO"),
                  productRecords(60, "c", "C") + productRecords(63, "d", "D") + productRecords(66, "e", "E") +
                      "#70=NEXT_ASSEMBLY_USAGE_OCCURRENCE('C1','','',#62,#65,$);\n"
                      "#71=NEXT_ASSEMBLY_USAGE_OCCURRENCE('D1','','',#65,#62,$);\n"
                      "#72=NEXT_ASSEMBLY_USAGE_OCCURRENCE('E1','','',#65,#68,$);\n");
    const std::string file = writeFile("tree-unreached.stp", cyclic);
    const ToolRun text = mivo("tree " + file);
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(has(text.out, "top \"Top assembly\" (#12)\n")) << text.out;
    EXPECT_TRUE(has(text.out, "products that no root reaches:\nc \"C\" (#62)\n"
                              "  usage #70 \"C1\" (not placed): d \"D\" (#65)")) << text.out;
    EXPECT_TRUE(has(text.out, "    usage #71 \"D1\" (not placed): c \"C\" (#62) at (0, 0, 0) mm, x (1, 0, 0), "
                              "z (0, 0, 1) [cycle: used inside itself, not followed]\n"
                              "    usage #72 \"E1\" (not placed): e \"E\" (#68)")) << text.out;
    EXPECT_EQ(text.out.find("(#65)\n"), std::string::npos) << "D has no tree of its own: " << text.out;
    const ToolRun json = mivo("tree " + file + " --json");
    EXPECT_TRUE(has(json.out, "\"reached_from_no_root\": [\n    {\"entity\": 62, \"product\": \"c\"")) << json.out;
    // A file without such products says so with an empty list, and nothing in the text.
    const ToolRun plain = mivo("tree " + writeFile("tree-reached.stp", kAssembly) + " --json");
    EXPECT_TRUE(has(plain.out, "\"reached_from_no_root\": [],")) << plain.out;
}

TEST(MivoTool, NamesFromTheFileReachTheTerminalWithoutTheirControlCharacters) {
    // A product named with terminal commands (clear the screen, retitle the window, an 8-bit command
    // introducer) and a line break, an originating system with one, and a raw escape byte in a record that the
    // reader quotes in its error: none of those bytes reaches the output; letters such as e-acute do.
    std::string hostile = kAssembly;
    auto replace = [&](const std::string& from, const std::string& to) {
        ASSERT_NE(hostile.find(from), std::string::npos) << from;
        hostile.replace(hostile.find(from), from.size(), to);
    };
    replace("#16=PRODUCT('pin','Pin'", "#16=PRODUCT('p\\X\\1B[2Jin\\X\\0A','Pi\\X\\9Bn \\X\\E9t\\X\\07'");
    replace("'sys'", "'sys\\X\\1B]0;owned\\X\\07'");
    replace("ENDSEC;\nEND-ISO", "#47=CARTESIAN_POINT('',(1.,\x1b[1m,2.));\nENDSEC;\nEND-ISO");
    const std::string file = writeFile("control-characters.stp", hostile);
    const std::string out = testing::TempDir() + "control-characters-out.stp";
    for (const std::string& command : {"tree " + file, "props " + file, "info " + file,
                                       "extract " + file + " --product '#18' -o " + out}) {
        const ToolRun run = mivo(command);
        EXPECT_EQ(run.status, 1) << command << run.err;  // the bad record
        for (const std::string* stream : {&run.out, &run.err}) {
            for (unsigned char c : *stream)
                EXPECT_TRUE(c >= 0x20 ? c != 0x7F : c == '\n') << command << ": byte " << int(c) << " in " << *stream;
            EXPECT_EQ(stream->find("\xC2\x9B"), std::string::npos) << command << ": " << *stream;
        }
        EXPECT_TRUE(has(run.err, "\\x1B[1m")) << command << ": " << run.err;
    }
    EXPECT_TRUE(has(mivo("tree " + file).out, "usage #28 \"P1\" via #31: p\\x1B[2Jin\\x0A \"Pi\\xC2\\x9Bn \xC3\xA9t\\u0007\""))
        << mivo("tree " + file).out;
    EXPECT_TRUE(has(mivo("props " + file).out, "of 'p\\x1B[2Jin\\x0A' 'Pi\\xC2\\x9Bn \xC3\xA9t\\x07'"))
        << mivo("props " + file).out;
    EXPECT_TRUE(has(mivo("info " + file).out, "originating system: sys\\x1B]0;owned\\x07\n")) << mivo("info " + file).out;
    EXPECT_TRUE(has(mivo("extract " + file + " --product '#18' -o " + out).out, "products: p\\x1B[2Jin\\x0A\n"));
    // The JSON keeps every character, escaped as JSON escapes them.
    EXPECT_TRUE(has(mivo("tree " + file + " --json").out, "\"product\": \"p\\u001b[2Jin\\n\""))
        << mivo("tree " + file + " --json").out;
}

TEST(MivoTool, TreeExitStatuses) {
    const ToolRun badUnit = mivo("tree " + writeFile("tree-unit.stp", kAssembly) + " --unit furlong");
    EXPECT_EQ(badUnit.status, 2);
    EXPECT_TRUE(has(badUnit.err, "unknown length unit 'furlong' (accepted: mm, cm, m, in, ft,")) << badUnit.err;
    EXPECT_TRUE(has(badUnit.err, "as-is)")) << badUnit.err;
    EXPECT_EQ(mivo("tree " + writeFile("tree-unit2.stp", kAssembly) + " --unit").status, 2);
    EXPECT_EQ(mivo("tree").status, 2);
    EXPECT_EQ(mivo("tree /nonexistent/file.stp").status, 2);
    const ToolRun damaged = mivo("tree " + writeFile("tree-bad.stp", withDanglingReferences(1)));
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(has(damaged.out, "shapes without product: none")) << damaged.out;
}

}  // namespace
