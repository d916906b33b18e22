// Every kind of wrong argument, for every command it can reach: a clear message on standard error and exit
// status 2, never a crash, a partial output file or a silent success.
#include "../common/tool_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct WrongArguments {
    std::string args;     // GOOD is a readable file, OUT a file that must not be written
    std::string message;  // a part of what standard error must say
};

std::string replaced(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

const char kGood[] =
    MIVO_TEST_HEADER
    "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\nENDSEC;\nEND-ISO-10303-21;\n";

TEST(MivoArguments, EveryWrongArgumentIsAUsageErrorWithAMessage) {
    const std::string good = testing::TempDir() + "arguments-good.stp";
    {
        FILE* f = std::fopen(good.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(kGood, f);
        std::fclose(f);
    }
    const std::string out = testing::TempDir() + "arguments-out.stp";
    const std::vector<WrongArguments> rows = {
        // An unknown product id, or a product definition number the file lacks.
        {"extract GOOD --product nosuch -o OUT", "no product nosuch in"},
        {"extract GOOD --product '#999' -o OUT", "#999"},
        {"extract GOOD -o OUT", "--product"},
        // An unknown unit name.
        {"tree GOOD --unit furlong", "unknown length unit 'furlong'"},
        {"tree GOOD --unit deg", "unknown length unit 'deg'"},
        {"convert-units GOOD -o OUT --length furlong", "unknown unit 'furlong' for --length"},
        {"convert-units GOOD -o OUT --length mm --angle grad", "unknown unit 'grad' for --angle"},
        // A file that cannot be read, for every command that reads one.
        {"info /nonexistent/file.stp", "cannot open /nonexistent/file.stp"},
        {"units /nonexistent/file.stp", "cannot open"},
        {"measures /nonexistent/file.stp", "cannot open"},
        {"contexts /nonexistent/file.stp", "cannot open"},
        {"props /nonexistent/file.stp", "cannot open"},
        {"tree /nonexistent/file.stp", "cannot open"},
        {"cat /nonexistent/file.stp -o OUT", "cannot open"},
        {"merge /nonexistent/file.stp -o OUT", "cannot open"},
        {"convert-units /nonexistent/file.stp -o OUT --length mm", "cannot open"},
        {"gdt /nonexistent/file.stp", "cannot open"},
        {"extract /nonexistent/file.stp --product p -o OUT", "cannot open"},
        {"props /", "is a directory, not a file"},
        // A file that cannot be written.
        {"cat GOOD -o /nonexistent/dir/out.stp", "cannot open /nonexistent/dir/out.stp for writing"},
        // Missing and unknown arguments.
        {"units", "units needs a FILE"},
        {"merge GOOD", "merge needs -o OUT"},
        {"tree GOOD --unit", "--unit"},
        {"tree GOOD --bogus", "unexpected argument --bogus"},
        {"frobnicate GOOD", "frobnicate"},
    };
    for (const WrongArguments& row : rows) {
        std::remove(out.c_str());
        const tool_run::ToolRun r =
            tool_run::run(MIVO_PATH, replaced(replaced(row.args, "GOOD", good), "OUT", out), 60);
        EXPECT_EQ(r.status, 2) << row.args << "\n" << r.err;
        EXPECT_NE(r.err.find(row.message), std::string::npos) << row.args << "\nstandard error:\n" << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << row.args << ": wrote " << out;
    }
}

}  // namespace
