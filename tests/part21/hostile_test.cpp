// Bad input: every problem is reported with its line, reading goes on at the next instance, and nothing
// crashes, hangs or reads outside its buffers.
#include "p21_helpers.h"

#include "nusk/ap242/all.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

const std::string kSmall = p21File(
    "#1=CARTESIAN_POINT('a',(0.,1.,2.));\n#2=DIRECTION('d',(0.,0.,1.));\n"
    "#3=AXIS2_PLACEMENT_3D('',#1,#2,$);\n#4=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n");

TEST(Part21Hostile, WhatIsNotPart21IsUnreadable) {
    for (const std::string& text : {std::string(), std::string("\x7f" "ELF\x02\x01\x01\0\0\0garbage", 16),
                                    std::string("HEADER;ENDSEC;"), std::string("ISO-10303-21")}) {
        Read r = readText(text);
        EXPECT_EQ(r.result.status, NuskReadStatus::unreadable);
        EXPECT_EQ(r.design, nullptr);
        EXPECT_GE(r.result.errorCount, 1u);
    }
}

TEST(Part21Hostile, EveryTruncationIsReadAsFarAsItGoes) {
    for (size_t n = 0; n < kSmall.size(); ++n) {
        Read r = readText(kSmall.substr(0, n));
        if (n < 13) {  // not even "ISO-10303-21;"
            EXPECT_EQ(r.result.status, NuskReadStatus::unreadable) << n;
            continue;
        }
        ASSERT_NE(r.design, nullptr) << n;
        if (n + 1 < kSmall.size()) {
            EXPECT_EQ(r.result.status, NuskReadStatus::errors) << n;  // at least END-ISO-10303-21; is missing
        }
        writeText(r.design.get());                                // and what was read can be written
    }
}

TEST(Part21Hostile, BrokenInstancesAreLeftOutAndReadingGoesOn) {
    Read r = readText(p21File(
        "#1=CARTESIAN_POINT('a',(0.,1.,2.);\n"   // unbalanced
        "#2=DIRECTION('d',(0.,0.,1.)));\n"       // one too many
        "#3=CARTESIAN_POINT('b',(0.,,1.));\n"    // an empty parameter
        "#4 CARTESIAN_POINT('c',(0.,0.,0.));\n"  // no =
        "#5=DIRECTION('ok',(1.,0.,0.));\n"));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    EXPECT_EQ(r[1], nullptr);
    EXPECT_EQ(r[2], nullptr);
    EXPECT_EQ(r[3], nullptr);
    EXPECT_EQ(r[4], nullptr);
    ASSERT_NE(r[5], nullptr);
    EXPECT_EQ(r.result.errorCount, 4u);
    for (const NuskReadMessage& m : r.result.messages) EXPECT_GE(m.line, 8u) << m.text;
}

TEST(Part21Hostile, NumbersOutOfRangeAreKeptAsRead) {
    Read r = readText(p21File("#1=CARTESIAN_POINT('',(1.E999,0.,0.));\n#2=PRODUCT_DEFINITION_FORMATION_WITH_SPECIFIED_SOURCE"
                              "('1','',$,.MADE.);\n#3=APPLICATION_PROTOCOL_DEFINITION('','',99999999999999999999,$);"));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    EXPECT_TRUE(r.hasMessage("out of range"));
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("#1=CARTESIAN_POINT('',(1.E999,0.,0.));"), std::string::npos) << out;
    EXPECT_NE(out.find("99999999999999999999"), std::string::npos);
    // The real that stands for unset, in a list and as an attribute: kept as read, not written back as $; the
    // smallest real above it reads as itself.
    Read unset = readText(p21File("#1=CARTESIAN_POINT('',(1.,2.2250738585072014E-308,3.));\n"
                                  "#2=VECTOR('',#3,2.2250738585072014e-308);\n#3=DIRECTION('',(0.,0.,1.));\n"
                                  "#4=CARTESIAN_POINT('',(2.2250738585072019E-308,0.,0.));"));
    EXPECT_EQ(unset.result.errorCount, 2u);
    EXPECT_TRUE(unset.hasMessage("the number 2.2250738585072014E-308 is out of range (it stands for unset)"));
    const std::string written = writeText(unset.design.get());
    EXPECT_NE(written.find("#1=CARTESIAN_POINT('',(1.,2.2250738585072014E-308,3.));"), std::string::npos) << written;
    EXPECT_NE(written.find("#2=VECTOR('',#3,2.2250738585072014e-308);"), std::string::npos) << written;
    EXPECT_EQ(written.find("$"), std::string::npos) << written;
}

TEST(Part21Hostile, AStringThatHoldsAnEscapedNulIsKeptAsRead) {
    // A value holds what comes before the NUL; the record is written back as it was read, NUL and all (its strings
    // encoded afresh, as in every record kept as read).
    Read r = readText(p21File("#1=CARTESIAN_POINT('ab\\X\\00cd',(0.,0.,0.));\n"
                              "#2=PRODUCT('x\\X2\\00000041\\X0\\','p','',());\n#3=CARTESIAN_POINT('ok',(0.,0.,0.));"));
    EXPECT_EQ(r.result.errorCount, 2u);
    EXPECT_TRUE(r.hasMessage("#1 (cartesian_point): a string holds the character NUL, which a value cannot hold"));
    EXPECT_STREQ(r[1]->getString("name"), "ab");
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("#1=CARTESIAN_POINT('ab\\X\\00cd',(0.,0.,0.));"), std::string::npos) << out;
    EXPECT_NE(out.find("#2=PRODUCT('x\\X\\00A','p','',());"), std::string::npos) << out;  // its strings re-encoded
    EXPECT_NE(out.find("#3=CARTESIAN_POINT('ok',"), std::string::npos) << out;
}

TEST(Part21Hostile, DeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::string deep = "#1=CARTESIAN_POINT(''," + std::string(1000000, '(') + std::string(1000000, ')') + ");\n";
    Read r = readText(p21File(deep + "#2=DIRECTION('',(0.,0.,1.));"));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    EXPECT_EQ(r[1], nullptr);
    EXPECT_NE(r[2], nullptr);
}

TEST(Part21Hostile, StringsEscapesAndLineEnds) {
    const std::string big(10u << 20, 'x');
    const std::string nul(1, '\0');
    Read r = readText(p21File("#1=APPLICATION_CONTEXT('" + big + "');\r\n#2=APPLICATION_CONTEXT('bad \\Q\\ escape');\r"
                              "#3=APPLICATION_CONTEXT('cut \\X2\\00');\n#4=APPLICATION_CONTEXT('nul" + nul + "byte');\n"
                              "#5=APPLICATION_CONTEXT(#5);"));
    ASSERT_NE(r.design, nullptr);
    EXPECT_EQ(std::string(r[1]->getString("application")).size(), big.size());
    EXPECT_STREQ(r[2]->getString("application"), "bad \\Q\\ escape");  // the bytes of a bad escape are kept
    EXPECT_TRUE(r.hasMessage("invalid escape"));
    EXPECT_TRUE(r.hasMessage("NUL"));
    EXPECT_NE(r[5], nullptr);  // a reference where a string is expected: kept as read
    bool sawLine10 = false;
    for (const NuskReadMessage& m : r.result.messages) sawLine10 = sawLine10 || (m.line == 10 && m.instance == 3);
    EXPECT_TRUE(sawLine10) << "CR, CRLF and LF each end one line";
}

TEST(Part21Hostile, LineEndsInsideAStatementCountWhereverTheyStand) {
    // Line ends in a comment (CRLF, LF), in a string, in the parameters (CR alone, CRLF), and a NUL and a tab
    // between parameters: #9 starts eight lines after #1.
    const std::string nul(1, '\0');
    const std::string text = p21File("#1=CARTESIAN_POINT('a',/* a comment\r\nover\nthree lines */(0.,0.,0.));\n"
                                     "#2=CARTESIAN_POINT('b\nc',\t(0.,\r0.,0.)" + nul + ");\n"
                                     "#3=CARTESIAN_POINT('d',\r\n(0.,0.,0.));\n"
                                     "#9=CARTESIAN_POINT('e',(0.,0.,0.),#3);\n");
    const auto first = static_cast<uint32_t>(1 + std::count(text.begin(), text.begin() + text.find("#1="), '\n'));
    Read r = readText(text);
    ASSERT_NE(r.design, nullptr);
    EXPECT_NE(r[3], nullptr);
    EXPECT_TRUE(r.hasMessage("NUL"));
    bool sawNine = false;
    for (const NuskReadMessage& m : r.result.messages)
        if (m.instance == 9) {
            sawNine = true;
            EXPECT_EQ(m.line, first + 8) << m.text;
        }
    EXPECT_TRUE(sawNine);
}

TEST(Part21Hostile, UnterminatedStringsAndCommentsEndTheirStatementOnly) {
    Read r = readText(p21File("#1=APPLICATION_CONTEXT('never closed);\n#2=DIRECTION('',(0.,0.,1.));\n"
                              "#3=DIRECTION('',(1.,0.,0.)); /* an open comment"));
    ASSERT_NE(r.design, nullptr);
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    EXPECT_NE(r[2], nullptr);  // reading goes on after the statement the open string ends
    EXPECT_NE(r[3], nullptr);
}

}  // namespace

namespace {

/// Resident memory of the process, in bytes.
size_t residentBytes() {
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f) return 0;
    unsigned long pages = 0, resident = 0;
    const int n = std::fscanf(f, "%lu %lu", &pages, &resident);
    std::fclose(f);
    return n == 2 ? resident * 4096 : 0;
}

TEST(Part21Hostile, MemoryStaysWithinASmallMultipleOfTheInput) {
    const std::string bigString = p21File("#1=APPLICATION_CONTEXT('" + std::string(10u << 20, 'a') + "');");
    std::string bigList = "#1=CARTESIAN_POINT('',(";
    for (int i = 0; i < 500000; ++i) bigList += i ? ",1." : "1.";
    bigList += "));";
    std::string manyInstances;
    for (int i = 1; i <= 100000; ++i) manyInstances += "#" + std::to_string(i) + "=DIRECTION('',(0.,0.,1.));\n";
    std::string deep = "#1=CARTESIAN_POINT(''," + std::string(1u << 20, '(') + ");";
    for (const std::string& text : {bigString, p21File(bigList), p21File(manyInstances), p21File(deep)}) {
        const size_t before = residentBytes();
        Read r = readText(text);
        const size_t after = residentBytes();
        ASSERT_NE(r.design, nullptr);
        const size_t grown = after > before ? after - before : 0;
        EXPECT_LT(grown, 12 * text.size() + (64u << 20)) << "input of " << text.size() << " bytes";
    }
}

}  // namespace
