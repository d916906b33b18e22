// Writing Part 21: reals that read back to the same double, strings, derived attributes, complex instances,
// empty optional aggregates, references outside the design, reals without a Part 21 form, and files that cannot
// be written.
#include "p21_helpers.h"

#include "nusk/ap242/all.h"

#include "store_access.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

TEST(Part21Writer, RealsReadBackToTheSameDouble) {
    nusk_ap242_schema();
    NuskDesign design("reals");
    auto* list = new (&design) ListOfDouble();
    std::mt19937_64 random(42);
    std::vector<double> values = {0.0, -0.0, 1.0, 0.1, 1e-300, 4.9e-324, 1.7976931348623157e308, 123456789012345678.0,
                                  -2.5e-7, 3.0e22, 1e23, 0.30000000000000004};
    for (int i = 0; i < 2000; ++i) {
        uint64_t bits = random();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        if (std::isfinite(d) && d != NUSK_NULL_REAL) values.push_back(d);
    }
    for (double v : values) list->add(v);
    auto* p = new (&design) stp_cartesian_point();
    p->name("");
    p->coordinates(list);
    Read r = readText(writeText(&design));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok);
    auto* back = nusk_cast(r[p->entity_id()], nusktype_stp_cartesian_point)->coordinates();
    ASSERT_EQ(back->size(), values.size());
    for (unsigned i = 0; i < values.size(); ++i) {
        double got = back->get(i);
        EXPECT_EQ(std::memcmp(&got, &values[i], sizeof got), 0) << values[i];
    }
    const std::string out = writeText(&design);
    EXPECT_NE(out.find("(0.,-0.,1.,0.1,1.E-300,"), std::string::npos) << out.substr(0, 400);
}

TEST(Part21Writer, StringsSurviveEveryCharacter) {
    nusk_ap242_schema();
    NuskDesign design("strings");
    const std::vector<std::string> texts = {"plain", "it's", "back\\slash", "caf\xC3\xA9", "\xE2\x82\xAC 10",
                                            "\xF0\x9F\x94\xA9 bolt", "line\nbreak", ""};
    std::vector<uint32_t> ids;
    for (const std::string& t : texts) {
        auto* c = new (&design) stp_application_context();
        c->application(t.c_str());
        ids.push_back(c->entity_id());
    }
    const std::string out = writeText(&design);
    EXPECT_NE(out.find("'it''s'"), std::string::npos);
    EXPECT_NE(out.find("'back\\\\slash'"), std::string::npos);
    for (unsigned char c : out) EXPECT_LT(c, 0x80) << "the file is plain ASCII";
    Read r = readText(out);
    ASSERT_EQ(r.result.status, NuskReadStatus::ok);
    for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(r[ids[i]]->getString("application"), texts[i]);
}

TEST(Part21Writer, DerivedAttributesComplexRecordsAndEmptyOptionalSets) {
    nusk_ap242_schema();
    NuskDesign design("shapes");
    auto* mm = new (&design) stp_length_unit_and_si_unit();
    mm->prefix(stp_si_prefix_milli);
    mm->name(stp_si_unit_name_metre);
    auto* compartment = new (&design) stp_datum_reference_compartment();
    compartment->name("");
    compartment->modifiers();  // made empty on first access: it stands for no value until it gets elements
    const std::string out = writeText(&design);
    EXPECT_NE(out.find("=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));"), std::string::npos) << out;
    EXPECT_NE(out.find("=DATUM_REFERENCE_COMPARTMENT('',$,$,$,$,$);"), std::string::npos) << out;
}

TEST(Part21Writer, PartialRecordsComeInTheOrderOfTheirUpperCaseNames) {
    // `_` sorts after the letters: BOUNDED_CURVE before B_SPLINE_CURVE, as exporters write them. Records in
    // the order of lower-case names, as files were written before, read the same.
    const std::string curve = "(BOUNDED_CURVE()B_SPLINE_CURVE(1,(#1,#2),.UNSPECIFIED.,.F.,.F.)"
                              "B_SPLINE_CURVE_WITH_KNOTS((2,2),(0.,1.),.UNSPECIFIED.)CURVE()"
                              "GEOMETRIC_REPRESENTATION_ITEM()RATIONAL_B_SPLINE_CURVE((1.,1.))REPRESENTATION_ITEM(''))";
    const std::string lowerCaseOrder = "(B_SPLINE_CURVE(1,(#1,#2),.UNSPECIFIED.,.F.,.F.)"
                                       "B_SPLINE_CURVE_WITH_KNOTS((2,2),(0.,1.),.UNSPECIFIED.)BOUNDED_CURVE()CURVE()"
                                       "GEOMETRIC_REPRESENTATION_ITEM()RATIONAL_B_SPLINE_CURVE((1.,1.))REPRESENTATION_ITEM(''))";
    Read r = readText(p21File("#1=CARTESIAN_POINT('',(0.,0.,0.));\n#2=CARTESIAN_POINT('',(1.,0.,0.));\n"
                              "#3=" + curve + ";\n#4=" + lowerCaseOrder + ";"));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok);
    ASSERT_EQ(r[3]->domain()->kind(), NuskDomainKind::complex);
    EXPECT_EQ(r[4]->domain(), r[3]->domain());
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("#3=" + curve + ";"), std::string::npos) << out;
    EXPECT_NE(out.find("#4=" + curve + ";"), std::string::npos) << out;
    Read back = readText(out);
    EXPECT_EQ(compareDesigns(r.design.get(), back.design.get()), "");
}

TEST(Part21Writer, ARealThatTheTypeRedeclaresAsAnIntegerIsWrittenAsOneWhenWhole) {
    // int_literal (and integer_representation_item under it) makes the NUMBER the_value an INTEGER; a real
    // literal keeps it a real. A value that is not whole is written as read rather than changed.
    nusk_ap242_schema();
    Read r = readText(p21File("#1=INTEGER_REPRESENTATION_ITEM('a',46);\n#2=INTEGER_REPRESENTATION_ITEM('b',3.);\n"
                              "#3=INTEGER_REPRESENTATION_ITEM('c',-7);\n#4=REAL_REPRESENTATION_ITEM('d',46.);\n"
                              "#5=INTEGER_REPRESENTATION_ITEM('e',2.5);\n"));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok);
    auto* made = new (r.design.get()) stp_integer_representation_item();
    made->name("f");
    made->the_value(1152921504606846976.0);  // 2^60: whole, and exact as a double
    auto* unset = new (r.design.get()) stp_integer_representation_item();
    unset->name("g");
    const std::string out = writeText(r.design.get());
    for (const char* written : {"=INTEGER_REPRESENTATION_ITEM('a',46);", "=INTEGER_REPRESENTATION_ITEM('b',3);",
                                "=INTEGER_REPRESENTATION_ITEM('c',-7);", "=REAL_REPRESENTATION_ITEM('d',46.);",
                                "=INTEGER_REPRESENTATION_ITEM('e',2.5);",
                                "=INTEGER_REPRESENTATION_ITEM('f',1152921504606846976);",
                                "=INTEGER_REPRESENTATION_ITEM('g',$);"})
        EXPECT_NE(out.find(written), std::string::npos) << written << "\n" << out;
    Read back = readText(out);
    ASSERT_EQ(back.result.status, NuskReadStatus::ok);
    EXPECT_EQ(compareDesigns(r.design.get(), back.design.get()), "");
}

TEST(Part21Writer, ReferencesOutsideTheDesignAreWrittenUnset) {
    nusk_ap242_schema();
    NuskDesign design("a"), other("b");
    auto* edge = new (&design) stp_oriented_edge();
    auto* elsewhere = new (&other) stp_edge_curve();
    edge->edge_element(elsewhere);
    std::string out;
    NuskWriteResult w = nusk_write_step_text(&design, out);
    EXPECT_TRUE(w.ok);
    EXPECT_EQ(w.danglingCount, 1u);
    EXPECT_NE(out.find("=ORIENTED_EDGE($,*,*,$,$);"), std::string::npos) << out;
}

TEST(Part21Writer, ASelectWhoseObjectIsNoInstanceOfTheDesignIsWrittenUnset) {
    // A select left holding what is no entity instance (as when the object it held was destroyed with its
    // design) was written under that object's type name, NUSKOBJECT($), which no schema knows.
    nusk_ap242_schema();
    NuskDesign design("a"), other("b");
    auto* usage = new (&design) stp_next_assembly_usage_occurrence();
    auto* relating = new (&design) stp_product_definition_or_reference();
    auto* related = new (&design) stp_product_definition_or_reference();
    ASSERT_EQ(relating->putObject(new (&other) stp_product_definition()), 1);
    NuskSlot noInstance;
    noInstance.o = new (&design) ListOfDouble();
    NuskStore::setSelectValue(related, 0, noInstance);
    usage->relating_product_definition(relating);
    usage->related_product_definition(related);
    std::string out;
    const NuskWriteResult w = nusk_write_step_text(&design, out);
    EXPECT_TRUE(w.ok);
    EXPECT_EQ(w.danglingCount, 2u);
    EXPECT_NE(out.find("=NEXT_ASSEMBLY_USAGE_OCCURRENCE($,$,$,$,$,$);"), std::string::npos) << out;
}

TEST(Part21Writer, InfiniteAndNotANumberRealsAreWrittenUnsetAndCounted) {
    // Part 21 has no form for them: each is lost, and the result says how many, in a list or as an attribute,
    // for the file and for the text alike.
    nusk_ap242_schema();
    NuskDesign design("non-finite");
    auto* coordinates = new (&design) ListOfDouble();
    for (double v : {1.0, HUGE_VAL, -HUGE_VAL, std::nan("")}) coordinates->add(v);
    auto* p = new (&design) stp_cartesian_point();
    p->name("");
    p->coordinates(coordinates);
    auto* circle = new (&design) stp_circle();
    circle->radius(std::nan(""));
    auto* unsetRadius = new (&design) stp_circle();
    unsetRadius->radius(NUSK_NULL_REAL);  // unset: written as $, but nothing is lost
    std::string out;
    const NuskWriteResult text = nusk_write_step_text(&design, out);
    EXPECT_TRUE(text.ok);
    EXPECT_EQ(text.nonFiniteCount, 4u);
    EXPECT_NE(out.find("=CARTESIAN_POINT('',(1.,$,$,$));"), std::string::npos) << out;
    const std::string path = testing::TempDir() + "non-finite.stp";
    const NuskWriteResult file = nusk_write_step(&design, path.c_str());
    EXPECT_TRUE(file.ok);
    EXPECT_EQ(file.nonFiniteCount, 4u);
    std::remove(path.c_str());
}

TEST(Part21Writer, ABinaryThatIsNoValidLiteralIsWrittenUnsetAndCounted) {
    // The setters refuse such a text; one stored past them is not written between quotes, where its quote and
    // comment mark ran over the records after it on the next read.
    nusk_ap242_schema();
    NuskDesign design("bad binary");
    auto* item = new (&design) stp_binary_representation_item();
    item->name("b");
    new (&design) stp_application_context();
    const int slot = item->domain()->slotOf(item->getAttribute("binary_value"));
    ASSERT_GE(slot, 0);
    item->entitySlots()[slot].s = "x\");#2=CARTESIAN_POINT(/*";
    std::string out;
    const NuskWriteResult w = nusk_write_step_text(&design, out);
    EXPECT_TRUE(w.ok);
    EXPECT_EQ(w.badBinaryCount, 1u);
    EXPECT_NE(out.find("=BINARY_REPRESENTATION_ITEM('b',$);"), std::string::npos) << out;
    Read back = readText(out);
    EXPECT_EQ(back.design->entityCount(), 2u) << out;
}

TEST(Part21Writer, WritingTwiceGivesTheSameBytesAndBadPathsFail) {
    nusk_ap242_schema();
    NuskDesign design("twice");
    new (&design) stp_application_context();
    const std::string first = writeText(&design);
    EXPECT_EQ(writeText(&design), first);  // the time stamp is set once
    NuskWriteResult w = nusk_write_step(&design, "/nonexistent-folder/x.stp");
    EXPECT_FALSE(w.ok);
    EXPECT_NE(w.error.find("cannot open"), std::string::npos);
    EXPECT_FALSE(nusk_write_step(nullptr, "/tmp/x.stp").ok);
}

}  // namespace
