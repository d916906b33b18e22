// Binary literals ("0123ABC"): a first digit 0 to 3 (the unused bits of the last hexadecimal digit), then
// uppercase hexadecimal digits. A valid one is read as it stands and written back exactly; a bad one is an
// error with its line, and its instance is kept as read so that nothing is lost.
#include "p21_helpers.h"

#include "nusk/ap242/all.h"
#include "nusk/report.h"

#include <gtest/gtest.h>

namespace {

std::string firstMessage(const Read& r) { return r.result.messages.empty() ? "" : r.result.messages[0].text; }

TEST(Part21Binary, ValidLiteralsAreReadAndWrittenBackExactly) {
    Read r = readText(p21File("#1=BINARY_REPRESENTATION_ITEM('a',\"0123ABC\");\n"
                              "#2=BINARY_REPRESENTATION_ITEM('empty',\"0\");\n"
                              "#3=BINARY_REPRESENTATION_ITEM('bits',\"3F8\");\n"
                              "#4=BINARY_LITERAL(\"20123456789ABCDEF\");"));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok) << firstMessage(r);
    EXPECT_EQ(r.result.messages.size(), 0u) << firstMessage(r);
    ASSERT_NE(r[1], nullptr);
    EXPECT_STREQ(r[1]->getString("binary_value"), "0123ABC");
    EXPECT_STREQ(r[2]->getString("binary_value"), "0");
    const std::string out = writeText(r.design.get());
    for (const char* literal : {"('a',\"0123ABC\")", "('empty',\"0\")", "('bits',\"3F8\")", "(\"20123456789ABCDEF\")"})
        EXPECT_NE(out.find(literal), std::string::npos) << literal << "\n" << out;
}

TEST(Part21Binary, BadLiteralsAreErrorsWithTheirLineAndKeptAsRead) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"\"\"", "is empty"},
        {"\"4F\"", "0 to 3"},
        {"\"0G1\"", "hexadecimal"},
        {"\"0abc\"", "hexadecimal"},
        {"\"1\"", "no digits"},
        {"\"X0\"", "0 to 3"},
        {"\"0 1\"", "hexadecimal"},
    };
    std::string data = "#1=APPLICATION_CONTEXT('x');\n";
    for (size_t i = 0; i < bad.size(); ++i)
        data += "#" + std::to_string(i + 2) + "=BINARY_REPRESENTATION_ITEM('b'," + bad[i].first + ");\n";
    Read r = readText(p21File(data));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    EXPECT_EQ(r.result.errorCount, bad.size());
    const std::string out = writeText(r.design.get());
    for (size_t i = 0; i < bad.size(); ++i) {
        const uint32_t id = static_cast<uint32_t>(i + 2);
        ASSERT_NE(r[id], nullptr) << bad[i].first;
        EXPECT_EQ(r[id]->getString("binary_value"), nullptr) << "a bad literal is no value: " << bad[i].first;
        bool found = false;
        for (const NuskReadMessage& m : r.result.messages) {
            if (m.instance != id) continue;
            found = true;
            EXPECT_EQ(m.severity, NuskSeverity::error);
            EXPECT_EQ(m.line, 9u + i) << m.text;  // the data section starts on line 8, with #1
            EXPECT_NE(m.text.find("binary literal"), std::string::npos) << m.text;
            EXPECT_NE(m.text.find(bad[i].second), std::string::npos) << m.text;
        }
        EXPECT_TRUE(found) << bad[i].first;
        const std::string record = "#" + std::to_string(id) + "=BINARY_REPRESENTATION_ITEM('b'," + bad[i].first + ");";
        EXPECT_NE(out.find(record), std::string::npos) << record << "\n" << out;
    }
}

TEST(Part21Binary, ABadLiteralIsAnErrorEvenInAFileOfAnotherSchema) {
    // Misfits are warnings in a file that declares another schema; a bad literal is bad Part 21 in any.
    Read r = readText(p21File("#1=BINARY_REPRESENTATION_ITEM('b',\"7\");", "AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 3 1 4 }"));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    EXPECT_EQ(r.result.errorCount, 1u) << firstMessage(r);
    ASSERT_NE(r[1], nullptr);
    EXPECT_NE(writeText(r.design.get()).find("#1=BINARY_REPRESENTATION_ITEM('b',\"7\");"), std::string::npos);
}

TEST(Part21Binary, BadLiteralsWhereNoBinaryBelongsAndInRecordsTheSchemaLacks) {
    Read r = readText(p21File("#1=SOME_NEW_ENTITY(\"0FF\",\"5FF\");\n"
                              "#2=CARTESIAN_POINT(\"0Z\",(0.,0.,0.));\n"
                              "#3=SOME_NEW_ENTITY(\"0FF\");"));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    bool sawOne = false, sawTwo = false;
    for (const NuskReadMessage& m : r.result.messages) {
        if (m.text.find("binary literal") == std::string::npos) continue;
        EXPECT_EQ(m.severity, NuskSeverity::error);
        sawOne = sawOne || (m.instance == 1 && m.line == 8 && m.text.find("\"5FF\"") != std::string::npos);
        sawTwo = sawTwo || (m.instance == 2 && m.line == 9);
        EXPECT_NE(m.instance, 3u) << m.text;
    }
    EXPECT_TRUE(sawOne);
    EXPECT_TRUE(sawTwo);
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("#1=SOME_NEW_ENTITY(\"0FF\",\"5FF\");"), std::string::npos) << out;
    EXPECT_NE(out.find("#2=CARTESIAN_POINT(\"0Z\",(0.,0.,0.));"), std::string::npos) << out;
}

TEST(Part21Binary, AMarkerByteInABadLiteralShiftsNoReferenceOfTheKeptRecord) {
    // Kept records hold byte 0x01 for each reference: copied from a bad literal, it was written back as the
    // first reference and every later one moved a place. The literal stays bad, and kept, with a blank there.
    Read r = readText(p21File("#1=CARTESIAN_POINT('a',(1.,2.,3.));\n#2=CARTESIAN_POINT('b',(1.,2.,3.));\n"
                              "#3=SOME_NEW_ENTITY(\"0\x01\",#1,#2);\n"
                              "#4=VERTEX_POINT(\"0\x01\",#2);"));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    EXPECT_TRUE(r.hasMessage("hexadecimal")) << firstMessage(r);
    ASSERT_NE(r[3], nullptr);
    ASSERT_NE(r[4], nullptr);
    const std::string out = writeText(r.design.get());
    EXPECT_EQ(out.find('\x01'), std::string::npos);
    EXPECT_NE(out.find("#3=SOME_NEW_ENTITY(\"0 \",#1,#2);"), std::string::npos) << out;
    EXPECT_NE(out.find("#4=VERTEX_POINT(\"0 \",#2);"), std::string::npos) << out;
    Read again = readText(out);
    EXPECT_EQ(again.design->entityCount(), r.design->entityCount());
    EXPECT_EQ(writeText(again.design.get()), out);
}

TEST(Part21Binary, AValueSetThatIsNoValidLiteralIsRefusedAndTheFileStaysWhole) {
    struct CountErrors : NuskReporter {
        void report(NuskSeverity severity, const char*) override { errors += severity == NuskSeverity::error; }
        int errors = 0;
    } reporter;
    NuskScopedReporter scope(&reporter);
    Read r = readText(p21File("#1=BINARY_REPRESENTATION_ITEM('b',\"0FF\");\n#2=CARTESIAN_POINT('a',(1.,2.,3.));"));
    auto* item = nusk_cast(r[1], nusktype_stp_binary_representation_item);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(nusk_update_prim(item, "binary_value", "x\");#2=CARTESIAN_POINT(/*"), 0);
    item->binary_value("ff");  // the generated setter goes through the same check
    EXPECT_EQ(reporter.errors, 2);
    EXPECT_STREQ(item->binary_value(), "0FF");
    item->binary_value("2FC");
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("#1=BINARY_REPRESENTATION_ITEM('b',\"2FC\");"), std::string::npos) << out;
    Read back = readText(out);
    EXPECT_EQ(back.result.status, NuskReadStatus::ok);
    EXPECT_NE(back[2], nullptr);
}

TEST(Part21Binary, AQuoteSemicolonOrCommentInALiteralIsNeverWrittenBackInsideIt) {
    // Statements are cut without regard to binary literals: a quote in one opens a string there, a `/*` a
    // comment, and a `;` ends the statement. Kept as read with the quote or comment inside its literal, #9 was
    // written back before #10 and swallowed it on the next read.
    for (const char* literal : {"\"0'1\"", "\"0/*1\"", "\"0;1\""}) {
        for (const char* type : {"SOME_NEW_ENTITY(", "BINARY_REPRESENTATION_ITEM('b',"}) {
            const std::string record = std::string("#9=") + type + literal + ");";
            SCOPED_TRACE(record);
            Read first = readText(p21File("#10=APPLICATION_CONTEXT('x');\n" + record));
            ASSERT_NE(first.design, nullptr);
            EXPECT_EQ(first.result.status, NuskReadStatus::errors);
            EXPECT_EQ(first[9], nullptr) << "the record is not valid Part 21";
            ASSERT_NE(first[10], nullptr);
            const std::string written = writeText(first.design.get());
            Read second = readText(written);
            ASSERT_NE(second.design, nullptr);
            EXPECT_EQ(second.result.status, NuskReadStatus::ok) << written;
            EXPECT_EQ(second.design->entityCount(), first.design->entityCount()) << written;
            EXPECT_NE(second[10], nullptr) << written;
            EXPECT_EQ(writeText(second.design.get()), written);
        }
    }
}

}  // namespace
