// The mivo tool, run as a user runs it: output, JSON and exit statuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>

namespace {

struct ToolRun {
    int status;
    std::string out;
};

ToolRun mivo(const std::string& args) {
    std::string command = std::string(MIVO_PATH) + " " + args + " 2>/dev/null";
    ToolRun r{-1, {}};
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

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
                            "\"name\": \"mm\", \"fullname\": \"millimetre\"}"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"code\": 4"), std::string::npos);  // the metre
    EXPECT_EQ(mivo("units").status, 2);
}

}  // namespace
