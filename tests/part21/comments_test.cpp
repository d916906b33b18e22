// Comments stand wherever blanks may: between the partial records of a complex instance and inside them,
// between parameters, in the header, before the first statement. Brackets, quotes, `;` and `#` inside a
// comment mean nothing, and comment marks inside a string are text. Form feeds and vertical tabs are blanks.
#include "p21_helpers.h"

#include "nusk/ap242/all.h"

#include <gtest/gtest.h>

namespace {

std::string firstMessage(const Read& r) { return r.result.messages.empty() ? "" : r.result.messages[0].text; }

TEST(Part21Comments, InsideThePartialRecordsOfAComplexInstance) {
    Read r = readText(p21File("#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI./* ( */,.METRE.));\n"
                              "#2=(LENGTH_UNIT() /* ) */ NAMED_UNIT(*) /* ' */ SI_UNIT($,.METRE.));\n"
                              "#3=(/* (( */LENGTH_UNIT(/* ) */)NAMED_UNIT(/* , */*)SI_UNIT(.CENTI.,/*'*/.METRE./* ) ; */));"));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok) << firstMessage(r);
    EXPECT_EQ(r.result.messages.size(), 0u) << firstMessage(r);
    EXPECT_EQ(r.result.rawCount, 0u);
    auto* mm = nusk_cast(r[1], nusktype_stp_length_unit_and_si_unit);
    ASSERT_NE(mm, nullptr) << "#1 is read as its complex type";
    EXPECT_EQ(mm->prefix(), stp_si_prefix_milli);
    EXPECT_EQ(mm->name(), stp_si_unit_name_metre);
    auto* m = nusk_cast(r[2], nusktype_stp_length_unit_and_si_unit);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->name(), stp_si_unit_name_metre);
    auto* cm = nusk_cast(r[3], nusktype_stp_length_unit_and_si_unit);
    ASSERT_NE(cm, nullptr);
    EXPECT_EQ(cm->prefix(), stp_si_prefix_centi);
    // Read as values, they are written from them: no comment and no kept record.
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));"), std::string::npos) << out;
}

TEST(Part21Comments, StringsInAComplexInstanceHoldCommentMarksAndBrackets) {
    Read r = readText(p21File(
        "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n"
        "#2=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT((#1))"
        "REPRESENTATION_CONTEXT('a(''/*',/* ' ) */'b)*/'));"));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok) << firstMessage(r);
    ASSERT_NE(r[2], nullptr);
    EXPECT_STREQ(r[2]->getString("context_identifier"), "a('/*");
    EXPECT_STREQ(r[2]->getString("context_type"), "b)*/");
}

TEST(Part21Comments, BetweenAndInsideParameters) {
    Read r = readText(p21File(
        "#1=CARTESIAN_POINT(/* ( */'p /* no comment */'/* ) */,(/*,*/1./* ; */,2.,/* #9 */3.)/**/);\n"
        "#2=LENGTH_MEASURE_WITH_UNIT(LENGTH_MEASURE(/* ) */25.4),#3);\n"
        "#3=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));"));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok) << firstMessage(r);
    auto* p = nusk_cast(r[1], nusktype_stp_cartesian_point);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->name(), "p /* no comment */");
    ASSERT_EQ(p->coordinates()->size(), 3u);
    EXPECT_EQ(p->coordinates()->get(2), 3.0);
    auto* m = nusk_cast(r[2], nusktype_stp_length_measure_with_unit);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->value_component()->getDouble(0), 25.4);
}

TEST(Part21Comments, FormFeedsAndVerticalTabsAreBlanksWhereverBlanksMayStand) {
    // Page and line layout characters of files printed from old systems: every record reads, none is lost.
    Read r = readText(p21File("\f#1=CARTESIAN_POINT(\f'p\fq'\v,\f(1.,\v2.,3.)\f)\f;\f\n"
                              "#2=(LENGTH_UNIT()\fNAMED_UNIT(*)\vSI_UNIT(.MILLI.,\f.METRE.));\v\n"
                              "#3=VERTEX_POINT('',\f#1\v);"));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok) << firstMessage(r);
    EXPECT_EQ(r.result.messages.size(), 0u) << firstMessage(r);
    auto* p = nusk_cast(r[1], nusktype_stp_cartesian_point);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->name(), "p\fq");  // inside a string, the character is text
    ASSERT_EQ(p->coordinates()->size(), 3u);
    EXPECT_EQ(p->coordinates()->get(1), 2.0);
    ASSERT_NE(nusk_cast(r[2], nusktype_stp_length_unit_and_si_unit), nullptr);
    auto* v = nusk_cast(r[3], nusktype_stp_vertex_point);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->vertex_geometry(), r[1]);
}

TEST(Part21Comments, InARecordKeptAsReadTheyStayAndHideReferences) {
    Read r = readText(p21File("#1=APPLICATION_CONTEXT('x');\n"
                              "#2=SOME_NEW_ENTITY(#1 /* #7 ( ' */, 'a /* b */');"));
    ASSERT_NE(r[2], nullptr);
    auto* raw = dynamic_cast<NuskRawRecord*>(r[2]);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->references().size(), 1u) << "a reference inside a comment is none";
    EXPECT_FALSE(r.hasMessage("#7")) << firstMessage(r);
    EXPECT_NE(writeText(r.design.get()).find("#2=SOME_NEW_ENTITY(#1 /* #7 ( ' */, 'a /* b */');"), std::string::npos);
}

TEST(Part21Comments, AMarkerByteInACommentOfAKeptRecordShiftsNoReference) {
    // Kept records hold byte 0x01 for each reference: taken from a comment, it was written back as the first
    // reference and every later one moved a place (#3 came out as (/* #1 */ #2,$)).
    Read r = readText(p21File("#1=CARTESIAN_POINT('a',(1.,2.,3.));\n#2=CARTESIAN_POINT('b',(1.,2.,3.));\n"
                              "#3=SOME_NEW_ENTITY(/* \x01 */ #1,#2);\n"
                              "#4=VERTEX_POINT('v',#1,/* \x01 */ #2);"));
    ASSERT_NE(r[3], nullptr);
    ASSERT_NE(r[4], nullptr);
    const std::string out = writeText(r.design.get());
    EXPECT_EQ(out.find('\x01'), std::string::npos);
    EXPECT_NE(out.find("#3=SOME_NEW_ENTITY(/*   */ #1,#2);"), std::string::npos) << out;
    EXPECT_NE(out.find("#4=VERTEX_POINT('v',#1,/*   */ #2);"), std::string::npos) << out;
    Read again = readText(out);
    EXPECT_EQ(writeText(again.design.get()), out);
}

TEST(Part21Comments, InTheHeaderAndBeforeTheFirstStatement) {
    const std::string text =
        "/* before ; ' */ ISO-10303-21 /* ; */;\nHEADER;\n"
        "FILE_DESCRIPTION(('d' /* , 'x' */),'2;1');\n"
        "FILE_NAME('n','t',('a'),('o'),'p','s',$ /* , 'not a parameter' ) */);\n"
        "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }'));\nENDSEC;\n"
        "DATA;\n#1=APPLICATION_CONTEXT('x');\nENDSEC;\nEND-ISO-10303-21;\n";
    Read r = readText(text);
    ASSERT_EQ(r.result.status, NuskReadStatus::ok) << firstMessage(r);
    EXPECT_EQ(r.result.messages.size(), 0u) << firstMessage(r);
    ASSERT_NE(r.design, nullptr);
    EXPECT_EQ(r.design->header().description, std::vector<std::string>{"d"});
    EXPECT_EQ(r.design->header().author, std::vector<std::string>{"a"});
    EXPECT_EQ(r.design->header().authorization, "");
}

TEST(Part21Comments, ACommentThatIsNeverClosedInAComplexInstanceIsReported) {
    Read r = readText(p21File("#1=APPLICATION_CONTEXT('x');\n#2=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI./* (,.METRE.));"));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    EXPECT_NE(r[1], nullptr);
    EXPECT_TRUE(r.hasMessage("comment")) << firstMessage(r);
}

}  // namespace
