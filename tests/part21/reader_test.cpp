// Reading Part 21: literal forms, selects, aggregates, complex instances, references, the header, and what
// is kept as read.
#include "p21_helpers.h"

#include "cursor.h"
#include "ascii_case.h"
#include "name_slots.h"
#include "names.h"
#include "store_access.h"

#include "nusk/ap242/all.h"
#include "nusk/lifetime.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

/// Reads `data` with a schema of the test's own, which the file declares as `fileSchema`.
Read readWithOwnSchema(NuskSchema* schema, const std::string& data, const std::string& fileSchema) {
    NuskReadOptions options;
    options.schema = schema;
    const std::string text = p21File(data, fileSchema);
    Read r;
    r.result = nusk_read_step_text(text.data(), text.size(), options);
    r.design.reset(r.result.design);
    return r;
}

TEST(Part21Reader, ReadsEveryLiteralForm) {
    Read r = readText(p21File(
        "#1=CARTESIAN_POINT('p\\X\\E9''s',(1.5,-2.E-3,+4));\n"
        "/* a comment */ #2 = DIRECTION ( 'd' , ( 0. , 0. , 1. ) ) ;\n"
        "#3=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n"
        "#4=SHAPE_ASPECT('a',$,#5,.U.);\n"
        "#5=PRODUCT_DEFINITION_SHAPE('s',$,#6);\n"
        "#6=PRODUCT_DEFINITION('id','',#7,#8);\n"
        "#7=PRODUCT_DEFINITION_FORMATION('1','',#9);#8=PRODUCT_DEFINITION_CONTEXT('c',#10,'design');\n"
        "#9=PRODUCT('p','p','',(#11));#10=APPLICATION_CONTEXT('x');#11=PRODUCT_CONTEXT('',#10,'m');"));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok) << (r.result.messages.empty() ? "" : r.result.messages[0].text);
    EXPECT_EQ(r.result.instanceCount, 11u);
    auto* p = nusk_cast(r[1], nusktype_stp_cartesian_point);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->name(), "p\xC3\xA9's");
    ASSERT_EQ(p->coordinates()->size(), 3u);
    EXPECT_EQ(p->coordinates()->get(1), -0.002);
    EXPECT_EQ(p->coordinates()->get(2), 4.0);
    auto* mm = nusk_cast(r[3], nusktype_stp_length_unit_and_si_unit);
    ASSERT_NE(mm, nullptr);
    EXPECT_EQ(mm->prefix(), stp_si_prefix_milli);
    auto* aspect = nusk_cast(r[4], nusktype_stp_shape_aspect);
    EXPECT_EQ(aspect->product_definitional(), 2);  // .U.
    EXPECT_EQ(aspect->description(), nullptr);
    EXPECT_EQ(aspect->of_shape(), r[5]);  // a forward reference
    auto* pd = nusk_cast(r[6], nusktype_stp_product_definition);
    EXPECT_EQ(nusk_get_nested_object(nusk_cast(r[5], nusktype_stp_product_definition_shape)->definition()), pd);
}

TEST(Part21Reader, TypedParametersKeepTheirAlternative) {
    Read r = readText(p21File(
        "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n"
        "#2=LENGTH_MEASURE_WITH_UNIT(POSITIVE_LENGTH_MEASURE(25.4),#1);\n"
        "#3=DESCRIPTIVE_REPRESENTATION_ITEM('x','text');\n"
        "#4=MEASURE_REPRESENTATION_ITEM('count',COUNT_MEASURE(3.),#1);"));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok);
    auto* m = nusk_cast(r[2], nusktype_stp_length_measure_with_unit);
    ASSERT_NE(m->value_component(), nullptr);
    EXPECT_STREQ(m->value_component()->alternative()->name(), "positive_length_measure");
    EXPECT_TRUE(m->value_component()->is_length_measure());  // defined on length_measure
    EXPECT_EQ(m->value_component()->getDouble(0), 25.4);
    EXPECT_NE(writeText(r.design.get()).find("POSITIVE_LENGTH_MEASURE(25.4)"), std::string::npos);
}

TEST(Part21Reader, TypesTheSchemaLacksAreKeptAndWrittenBackUnchanged) {
    const std::string text = p21File(
        "#1=CARTESIAN_POINT('',(0.,0.,0.));\n"
        "#2=NEW_THING('n',(#1,#3),.FOO.,'a;b''c');\n"
        "#3=(NEW_PART(1)OTHER_PART(#1));\n",
        "CONFIG_CONTROL_DESIGN");
    Read r = readText(text);
    EXPECT_EQ(r.result.status, NuskReadStatus::ok);  // another schema: kept with warnings
    EXPECT_EQ(r.result.rawCount, 2u);
    EXPECT_GE(r.result.warningCount, 2u);
    auto* raw = dynamic_cast<NuskRawRecord*>(r[2]);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->typeName(), "NEW_THING");
    ASSERT_EQ(raw->references().size(), 2u);
    EXPECT_EQ(raw->references()[0], r[1]);
    EXPECT_EQ(raw->references()[1], r[3]);
    // usedin sees references from kept records.
    SetOfNuskObject* users = new (r.design.get()) SetOfNuskObject();
    r[1]->usedin(nullptr, nullptr, users);
    EXPECT_EQ(users->size(), 2u);
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("#2=NEW_THING('n',(#1,#3),.FOO.,'a;b''c');"), std::string::npos) << out;
    EXPECT_NE(out.find("#3=(NEW_PART(1)OTHER_PART(#1));"), std::string::npos) << out;
}

TEST(Part21Reader, MisfitsAreErrorsInFilesOfOurSchemaWhateverTheEdition) {
    const std::string body = "#1=CARTESIAN_POINT('a',(0.,0.,0.),'extra');\n";
    for (const char* declared : {"AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }",
                                 "AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 3 1 4 }",
                                 "AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF  {1 0 10303 442 4 1 4}",
                                 "AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF. {1 0 10303 442 1 1 4 }",
                                 "ap242_managed_model_based_3d_engineering_mim_lf"}) {
        Read r = readText(p21File(body, declared));
        EXPECT_EQ(r.result.status, NuskReadStatus::errors) << declared;
        EXPECT_EQ(r.result.errorCount, 1u) << declared;
        // Written back with the schema it was read with.
        EXPECT_NE(writeText(r.design.get()).find(declared), std::string::npos) << declared;
    }
    for (const char* declared : {"AUTOMOTIVE_DESIGN { 1 0 10303 214 1 1 1 1 }", "AP242_MANAGED_MODEL_BASED_3D_X"}) {
        Read r = readText(p21File(body, declared));
        EXPECT_EQ(r.result.status, NuskReadStatus::ok) << declared;
        EXPECT_EQ(r.result.warningCount, 1u) << declared;
    }
}

TEST(Part21Reader, InstancesThatDoNotFitTheirTypeAreKeptAsRead) {
    const std::string text = p21File(
        "#1=CARTESIAN_POINT('a',(0.,0.,0.),'extra');\n"
        "#2=DIRECTION('d',(1,0,0));\n"  // integers where reals are expected are fine
        "#3=CARTESIAN_POINT('b');\n"
        "#4=APPLICATION_CONTEXT(.WRONG.);\n"
        "#5=CARTESIAN_POINT('two\nlines \xE9 \\Q\\',#4);\n"
        "#6=ORIENTED_EDGE('',$,*,$,.T.);\n");  // derived attributes are written *, never $
    Read r = readText(text);
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    EXPECT_EQ(r.result.errorCount, 5u);
    EXPECT_TRUE(r.hasMessage("$ where the schema derives the value (*)"));
    EXPECT_TRUE(r.hasMessage("more parameters than the 2 expected"));
    EXPECT_TRUE(r.hasMessage("1 parameters where 2 are expected"));
    ASSERT_NE(r[1], nullptr);  // read as far as it fits
    EXPECT_STREQ(r[1]->getString("name"), "a");
    EXPECT_EQ(static_cast<ListOfDouble*>(r[2]->getObject("direction_ratios"))->get(0), 1.0);
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("#1=CARTESIAN_POINT('a',(0.,0.,0.),'extra');"), std::string::npos) << out;
    EXPECT_NE(out.find("#3=CARTESIAN_POINT('b');"), std::string::npos);
    EXPECT_NE(out.find("#2=DIRECTION('d',(1.,0.,0.));"), std::string::npos);
    // Strings of a kept record are written as every string is: no raw line break or 8-bit byte in the output.
    EXPECT_NE(out.find("#6=ORIENTED_EDGE('',$,*,$,.T.);"), std::string::npos) << out;
    EXPECT_NE(out.find("#5=CARTESIAN_POINT('two\\X\\0Alines \\X\\E9 \\\\Q\\\\',#4);"), std::string::npos) << out;
    // Once the application changes it, an instance is written from its values.
    nusk_update_prim(r[1], "name", "changed");
    EXPECT_NE(writeText(r.design.get()).find("#1=CARTESIAN_POINT('changed',(0.,0.,0.));"), std::string::npos);
}

TEST(Part21Reader, KeptRecordsRepeatTheirReferencesWithoutCountingThemAgain) {
    Read r = readText(p21File(
        "#1=CARTESIAN_POINT('',(0.,0.,0.));\n"
        "#2=CARTESIAN_POINT('',(1.,0.,0.));\n"
        "#3=AXIS2_PLACEMENT_3D('',#1,$,$,'extra');\n"));
    ASSERT_TRUE(r[3]->hasOriginalRecord());
    EXPECT_EQ(nusk_refcount(r[1]), 1u);
    // A substitute takes the reference of the instance and of its kept record, and counts it once.
    nusk_register_substitute(r[1], r[2]);
    nusk_update_object_references(r.design.get());
    EXPECT_EQ(nusk_refcount(r[1]), 0u);
    EXPECT_EQ(nusk_refcount(r[2]), 1u);
    EXPECT_NE(writeText(r.design.get()).find("#3=AXIS2_PLACEMENT_3D('',#2,$,$,'extra');"), std::string::npos);
}

TEST(Part21Reader, KeptRecordsCountTheReferencesTheirValuesCouldNotTake) {
    // #1 and #4 are referred to only where no value takes them (a derived attribute, a value that does not
    // fit): unless the kept records count them, a pass that deletes what nothing refers to (a merge of units
    // deletes a duplicate's dimensions) deletes them, and the records are written with $ in their place.
    Read r = readText(p21File(
        "#1=DIMENSIONAL_EXPONENTS(1.,0.,0.,0.,0.,0.,0.);\n"
        "#2=(LENGTH_UNIT()NAMED_UNIT(#1)SI_UNIT(.MILLI.,.METRE.));\n"
        "#3=LENGTH_MEASURE_WITH_UNIT(VENDOR_MEASURE(#4),#2);\n"
        "#4=DIMENSIONAL_EXPONENTS(0.,0.,1.,0.,0.,0.,0.);\n"
        "#5=LENGTH_MEASURE_WITH_UNIT(VENDOR_MEASURE(#2),#2);\n"));
    for (uint32_t kept : {2u, 3u, 5u}) {
        ASSERT_NE(r[kept], nullptr) << kept;
        EXPECT_TRUE(r[kept]->hasOriginalRecord()) << kept;
    }
    EXPECT_EQ(nusk_refcount(r[1]), 1u);
    EXPECT_EQ(nusk_refcount(r[4]), 1u);
    EXPECT_EQ(nusk_refcount(r[2]), 3u);  // #3's unit, #5's unit, and #5's value that does not fit
}

TEST(Part21Reader, UndefinedReferencesWhereValuesBelongReadAsUnset) {
    // The only misfit of #5, #6 and #9 is a reference standing for a value; none of those references is defined,
    // so each reads as $ and the instance is written from its values, the way its output reads back.
    // #7 refers to an instance that exists: that stays kept as read.
    Read r = readText(p21File(
        "#5=DIMENSIONAL_EXPONENTS(1.0E0,0.,0.,0.,0.,0.,#99);\n"
        "#6=CIRCLE('c',#99,#98);\n"
        "#7=CIRCLE('d',$,#5);\n"
        "#8=DIMENSIONAL_EXPONENTS(1.0E0,0.,0.,0.,0.,0.,#99,'extra');\n"
        "#9=CARTESIAN_POINT('',(-26.25,61,#97,#96));\n"));
    EXPECT_FALSE(r[5]->hasOriginalRecord());
    EXPECT_FALSE(r[6]->hasOriginalRecord());
    EXPECT_TRUE(r[7]->hasOriginalRecord());
    EXPECT_TRUE(r[8]->hasOriginalRecord());
    EXPECT_FALSE(r[9]->hasOriginalRecord());
    size_t reportsOf99In6 = 0;
    for (const NuskReadMessage& m : r.result.messages)
        reportsOf99In6 += m.text.find("#6 refers to #99") != std::string::npos;
    EXPECT_EQ(reportsOf99In6, 1u);
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("#5=DIMENSIONAL_EXPONENTS(1.,0.,0.,0.,0.,0.,$);"), std::string::npos) << out;
    EXPECT_NE(out.find("#6=CIRCLE('c',$,$);"), std::string::npos) << out;
    EXPECT_NE(out.find("#7=CIRCLE('d',$,#5);"), std::string::npos) << out;
    EXPECT_NE(out.find("#8=DIMENSIONAL_EXPONENTS(1.0E0,0.,0.,0.,0.,0.,$,'extra');"), std::string::npos) << out;
    EXPECT_NE(out.find("#9=CARTESIAN_POINT('',(-26.25,61.,$,$));"), std::string::npos) << out;
    Read again = readText(out);
    EXPECT_EQ(writeText(again.design.get()), out);
}

TEST(Part21Reader, NumbersOfEveryLengthReadAsTheirNearestDouble) {
    // Digit runs from 1 to 24 long, cut at every place by the decimal point, with and without exponents:
    // the quick paths (eight digits at a time, exact powers of ten) must agree with the general reader.
    const std::string digits = "918273645546372819012345";
    std::vector<std::string> texts;
    for (size_t n = 1; n <= digits.size(); ++n)
        for (size_t point = 1; point <= n; ++point)
            for (const char* exponent : {"", "E3", "E-7", "E-21", "E25"})
                texts.push_back((n % 2 ? "-" : "") + digits.substr(0, point) + "." + digits.substr(point, n - point) +
                                exponent);
    std::string coordinates;
    for (const std::string& t : texts) coordinates += (coordinates.empty() ? "" : ",") + t;
    Read r = readText(p21File("#1=CARTESIAN_POINT('',(" + coordinates + "));\n"
                              "#2=B_SPLINE_CURVE_WITH_KNOTS('',12345678,(#1),.UNSPECIFIED.,.F.,.F.,(123456789,7),"
                              "(0.,1.),.UNSPECIFIED.);\n"));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok);
    auto* read = static_cast<ListOfDouble*>(r[1]->getObject("coordinates"));
    ASSERT_EQ(read->size(), texts.size());
    for (unsigned i = 0; i < texts.size(); ++i) EXPECT_EQ(read->get(i), std::strtod(texts[i].c_str(), nullptr)) << texts[i];
    EXPECT_EQ(r[2]->getInteger("degree"), 12345678);
    EXPECT_EQ(static_cast<ListOfInteger*>(r[2]->getObject("knot_multiplicities"))->get(0), 123456789);
}

TEST(Part21Reader, InstanceNumbersUpTo32BitsWhateverTheirLeadingZeros) {
    // Numbers are read eight digits at a time up to 19 digits, and digit by digit beyond: both must keep
    // leading zeros harmless and refuse what does not fit 32 bits.
    const std::string zeros(24, '0');
    Read r = readText(p21File("#4294967295=CARTESIAN_POINT('a',(0.,0.,0.));\n"
                              "#0000007=CARTESIAN_POINT('b',(0.,0.,0.));\n"
                              "#" + zeros + "8=CARTESIAN_POINT('c',(0.,0.,0.));\n"
                              "#9=AXIS2_PLACEMENT_3D('',#00000004294967295,$,$);\n"
                              "#10=AXIS2_PLACEMENT_3D('',#" + zeros + "7,$,$);\n"
                              "#11=AXIS2_PLACEMENT_3D('',#0000000000000000008,$,$);\n"
                              "#4294967303=CARTESIAN_POINT('d',(0.,0.,0.));\n"
                              "#12=AXIS2_PLACEMENT_3D('',#4294967303,$,$);\n"
                              "#07=CARTESIAN_POINT('again',(0.,0.,0.));\n"));
    ASSERT_NE(r[4294967295u], nullptr);
    EXPECT_EQ(r[9]->getObject("location"), r[4294967295u]);
    EXPECT_EQ(r[10]->getObject("location"), r[7]);
    EXPECT_EQ(r[11]->getObject("location"), r[8]);
    EXPECT_NE(r[8], nullptr);
    EXPECT_TRUE(r.hasMessage("expected an instance number #N, found '#4294967303="));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    // 2^32 + 7 is no instance: not #7 cut to 32 bits, neither as a definition nor as a reference.
    EXPECT_STREQ(r[7]->getString("name"), "b");
    EXPECT_EQ(r[12] ? r[12]->getObject("location") : nullptr, nullptr);
    // With 4294967295 taken, new numbers are the lowest free ones: for the second #7, then for a new instance.
    ASSERT_NE(r[1], nullptr);
    EXPECT_STREQ(r[1]->getString("name"), "again");
    EXPECT_EQ(r.design->pnewInstance(nusktype_stp_cartesian_point)->entity_id(), 2u);
    Read back = readText(writeText(r.design.get()));
    EXPECT_EQ(back.design->entityCount(), r.design->entityCount());
    EXPECT_EQ(compareDesigns(r.design.get(), back.design.get()), "");
}

TEST(Part21Reader, IntegersOfEveryLengthReadExactly) {
    // 1 to 19 digits, signed and not: the quick path takes up to 18, the general reader the rest.
    const std::string digits = "9182736455463728190";
    std::vector<std::string> texts;
    for (size_t n = 1; n <= digits.size(); ++n) {
        texts.push_back(digits.substr(0, n));
        texts.push_back("-" + digits.substr(digits.size() - n));
        texts.push_back("+" + digits.substr(0, n));
    }
    std::string list;
    for (const std::string& t : texts) list += (list.empty() ? "" : ",") + t;
    Read r = readText(p21File("#1=CARTESIAN_POINT('',(0.,0.,0.));\n"
                              "#2=B_SPLINE_CURVE_WITH_KNOTS('',3,(#1),.UNSPECIFIED.,.F.,.F.,(" + list +
                              "),(0.,1.),.UNSPECIFIED.);\n"));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok);
    auto* read = static_cast<ListOfInteger*>(r[2]->getObject("knot_multiplicities"));
    ASSERT_EQ(read->size(), texts.size());
    for (unsigned i = 0; i < texts.size(); ++i) EXPECT_EQ(read->get64(i), std::strtoll(texts[i].c_str(), nullptr, 10)) << texts[i];
}

TEST(Part21Reader, TypeNamesMatchInAnyCaseAndOnlyWhole) {
    // Names shorter and longer than eight letters, and ones that differ from a type's name in a single place:
    // first, last, in the middle, by one letter more, or by `-` for `_`.
    Read r = readText(p21File("#1=CaRtEsIaN_pOiNt('',(0.,0.,0.));\n"
                              "#2=direction('',(1.,0.,0.));\n"
                              "#3=Vector('',#2,1.);\n"
                              "#4=LINE('',#1,#3);\n"
                              "#5=CARTESIAN_POINU('',(0.,0.,0.));\n"
                              "#6=DARTESIAN_POINT('',(0.,0.,0.));\n"
                              "#7=CARTESIAN-POINT('',(0.,0.,0.));\n"
                              "#8=CARTESIAN_POINTS('',(0.,0.,0.));\n"
                              "#9=CARTESIAN_PAINT('',(0.,0.,0.));\n"
                              "#10=LINF('',#1,#3);\n"
                              "#11=NUSKRAWRECORD('');\n",
                              "SOME_OTHER_SCHEMA"));
    EXPECT_STREQ(r[1]->domain()->name(), "cartesian_point");
    EXPECT_STREQ(r[2]->domain()->name(), "direction");
    EXPECT_STREQ(r[3]->domain()->name(), "vector");
    EXPECT_STREQ(r[4]->domain()->name(), "line");
    for (uint32_t id = 5; id <= 11; ++id) {
        ASSERT_NE(r[id], nullptr) << id;
        EXPECT_EQ(r[id]->domain(), nusk_domain_NuskRawRecord()) << id;
    }
    EXPECT_EQ(r.result.rawCount, 7u);
}

TEST(Part21Reader, LineNumbersStayExactWhateverTheStatementLength) {
    // Statements of 1 to 60 bytes before their line ends, with line ends at every place, some in blank runs:
    // each refers to an instance the file lacks, and the message names the line the statement starts on.
    std::string data;
    std::vector<uint32_t> lines;
    uint32_t line = 8;  // the first line after the header that p21File writes
    for (uint32_t k = 1; k <= 60; ++k) {
        const std::string pieces[] = {"#" + std::to_string(k) + "=", "VERTEX_POINT", "(", "'" + std::string(k, 'x') + "'",
                                      ",", "#" + std::to_string(1000 + k), ")"};
        std::string text;
        unsigned bit = 0;
        for (const std::string& piece : pieces) {
            text += piece;
            // Line ends between the tokens, where blanks may stand: a different choice for each statement.
            if ((k >> (bit++ % 6)) & 1) text += k % 3 ? "\n" : "\n\n";
        }
        text += ";";
        lines.push_back(line);
        for (char c : text) line += c == '\n';
        data += text + (k % 4 ? "\n" : " ");
        line += k % 4 ? 1 : 0;
    }
    Read r = readText(p21File(data));
    std::vector<uint32_t> reported(61, 0);
    for (const NuskReadMessage& m : r.result.messages)
        if (m.text.find("which the file does not define") != std::string::npos && m.instance <= 60)
            reported[m.instance] = m.line;
    for (uint32_t k = 1; k <= 60; ++k) EXPECT_EQ(reported[k], lines[k - 1]) << "#" << k;
}

TEST(Part21Reader, ReferencesInAnyOrderWithGapsAndCycles) {
    Read r = readText(p21File(
        "#900=EDGE_LOOP('',(#20,#10));\n"
        "#20=ORIENTED_EDGE('',*,*,#30,.F.);\n"
        "#10=ORIENTED_EDGE('',*,*,#30,.T.);\n"
        "#30=EDGE_CURVE('',#40,#40,#50,.T.);\n"
        "#40=VERTEX_POINT('',#60);#60=CARTESIAN_POINT('',(1.,2.,3.));\n"
        "#50=LINE('',#60,#70);#70=VECTOR('',#80,1.);#80=DIRECTION('',(1.,0.,0.));\n"
        "#5=CARTESIAN_POINT('',(0.,0.,0.));\n"
        "#6=ORIENTED_EDGE('',*,*,#7,.T.);#7=ORIENTED_EDGE('',*,*,#6,.T.);"));  // a cycle
    EXPECT_EQ(r.result.status, NuskReadStatus::ok);
    EXPECT_EQ(nusk_cast(r[20], nusktype_stp_oriented_edge)->edge_element(), r[30]);
    EXPECT_EQ(nusk_cast(r[7], nusktype_stp_oriented_edge)->edge_element(), r[6]);
    EXPECT_EQ(nusk_refcount(r[30]), 2u);  // counted once per reference in the file
    EXPECT_EQ(nusk_refcount(r[40]), 2u);
    EXPECT_EQ(r.design->maxEntityId(), 900u);
    NuskObject* fresh = r.design->pnewInstance(nusktype_stp_cartesian_point);
    EXPECT_EQ(fresh->entity_id(), 901u);  // new instances come after the highest number
    // Instances keep their numbers, and are written in the order of their numbers.
    const std::string out = writeText(r.design.get());
    EXPECT_LT(out.find("#5=CARTESIAN_POINT"), out.find("#10=ORIENTED_EDGE"));
    EXPECT_LT(out.find("#80=DIRECTION"), out.find("#900=EDGE_LOOP"));
}

TEST(Part21Reader, DanglingReferencesAreReportedAndLeftUnset) {
    Read r = readText(p21File("#1=ORIENTED_EDGE('',*,*,#99,.T.);\n#2=EDGE_LOOP('',(#1,#98));"));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    EXPECT_TRUE(r.hasMessage("#1 refers to #99, which the file does not define"));
    EXPECT_TRUE(r.hasMessage("#2 refers to #98"));
    EXPECT_EQ(nusk_cast(r[1], nusktype_stp_oriented_edge)->edge_element(), nullptr);
    ASSERT_NE(r.result.messages.size(), 0u);
    EXPECT_EQ(r.result.messages[0].line, 8u);  // the line of the instance that refers
    // A number whose record was left out is told as such, before its record and after; a number defined again
    // validly after a record left out is found.
    Read leftOut = readText(p21File("#1=VERTEX_POINT('',#3);\n#3=CARTESIAN_POINT('',(0.,0.,0.),);\n"
                                    "#4=VERTEX_POINT('',#3);\n#5=VERTEX_POINT('',#6);\n#6=FOO(;\n"
                                    "#7=VERTEX_POINT('',#8);\n#8=CARTESIAN_POINT('',();\n#8=CARTESIAN_POINT('',(1.,2.,3.));"));
    for (const char* told : {"#1 refers to #3, whose record was left out; the reference is left unset",
                             "#4 refers to #3, whose record was left out", "#5 refers to #6, whose record was left out"})
        EXPECT_TRUE(leftOut.hasMessage(told)) << told;
    EXPECT_FALSE(leftOut.hasMessage("#7 refers")) << leftOut.result.messages.size();
    EXPECT_NE(nusk_cast(leftOut[7], nusktype_stp_vertex_point)->vertex_geometry(), nullptr);
}

TEST(Part21Reader, SeveralOrNamedDataSectionsAreReadIntoOneDesignWithAWarning) {
    const std::string schema = "'AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF'";
    const std::string named = "DATA('first',(" + schema + "));\n#1=CARTESIAN_POINT('',(0.,0.,0.));\nENDSEC;\n";
    const std::string second = "DATA('second',(" + schema + "));\n#2=VERTEX_POINT('',#1);\nENDSEC;\n";
    const std::string plain = "DATA;\n#1=CARTESIAN_POINT('',(0.,0.,0.));\nENDSEC;\n";
    const std::string plainSecond = "DATA;\n#2=VERTEX_POINT('',#1);\nENDSEC;\n";
    for (const std::string& sections : {named, named + second, plain + plainSecond}) {
        const std::string text = p21File("").substr(0, p21File("").find("DATA;")) + sections + "END-ISO-10303-21;\n";
        Read r = readText(text);
        EXPECT_EQ(r.result.status, NuskReadStatus::ok) << sections;
        EXPECT_EQ(r.result.warningCount, 1u) << sections;
        EXPECT_TRUE(r.hasMessage("written back as one DATA section, without their names and schemas")) << sections;
        EXPECT_EQ(writeText(r.design.get()).find("DATA("), std::string::npos);
    }
    Read one = readText(p21File("#1=CARTESIAN_POINT('',(0.,0.,0.));"));
    EXPECT_EQ(one.result.warningCount, 0u);
}

TEST(Part21Reader, HeaderIsKept) {
    Read r = readText(
        "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('one','two'),'2;1');\n"
        "FILE_NAME('part.stp','2020-01-02T03:04:05',('a','b'),('org'),'pre 1','sys 2','ok');\n"
        "FILE_SCHEMA(('AUTOMOTIVE_DESIGN { 1 0 10303 214 1 1 1 1 }'));\nFILE_POPULATION('x',$,$);\nENDSEC;\n"
        "DATA;\n#1=CARTESIAN_POINT('',(0.,0.,0.));\nENDSEC;\nEND-ISO-10303-21;\n");
    ASSERT_EQ(r.result.status, NuskReadStatus::ok);
    const NuskFileHeader& h = r.design->header();
    EXPECT_EQ(h.description, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(h.name, "part.stp");
    EXPECT_EQ(h.author, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(h.originatingSystem, "sys 2");
    EXPECT_EQ(h.schemas, (std::vector<std::string>{"AUTOMOTIVE_DESIGN { 1 0 10303 214 1 1 1 1 }"}));
    ASSERT_EQ(h.otherRecords.size(), 1u);
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("FILE_NAME('part.stp','2020-01-02T03:04:05',('a','b'),('org'),'pre 1','sys 2','ok');"),
              std::string::npos);
    EXPECT_NE(out.find("FILE_SCHEMA(('AUTOMOTIVE_DESIGN { 1 0 10303 214 1 1 1 1 }'));"), std::string::npos);
    EXPECT_NE(out.find("FILE_POPULATION('x',$,$);"), std::string::npos);
}

TEST(Part21Reader, SectionsBesideTheDataAreWrittenBackWhereTheyBelong) {
    // Anchors and references after the data, as some files have them: written back before it, where they belong;
    // a signature, whose base64 text holds no semicolon and makes one statement with its ENDSEC, where it stood.
    // Each is written back once, and the file ends once.
    const std::string data = p21File("#1=CARTESIAN_POINT('',(0.,0.,0.));");
    const std::string body = data.substr(0, data.find("END-ISO-10303-21;"));
    const std::string anchor = "ANCHOR;\n<origin>=#1;\nENDSEC;\n";
    const std::string reference = "REFERENCE;\n#10=<other.stp#a>;\nENDSEC;\n";
    const std::string signature = "SIGNATURE;\nMIIBc2lnbmF0dXJl+/==\nENDSEC;\n";
    Read r = readText(body + anchor + reference + signature + "END-ISO-10303-21;\n");
    EXPECT_EQ(r.result.status, NuskReadStatus::ok);
    EXPECT_EQ(r.result.errorCount, 0u);
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("ENDSEC;\n" + anchor + reference + "DATA;\n"), std::string::npos) << out;
    EXPECT_NE(out.find("ENDSEC;\n" + signature + "END-ISO-10303-21;\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("END-ISO-10303-21;"), out.rfind("END-ISO-10303-21;")) << out;

    // A section left open before the end of the file: an error, and closed where it ends, so that what is
    // written back is whole.
    Read open = readText(body + "ANCHOR;\n<origin>=#1;\nEND-ISO-10303-21;\n");
    EXPECT_TRUE(open.hasMessage("a section is not closed with ENDSEC; before END-ISO-10303-21;"));
    EXPECT_FALSE(open.hasMessage("the file ends without END-ISO-10303-21;"));
    const std::string closed = writeText(open.design.get());
    EXPECT_NE(closed.find("ANCHOR;\n<origin>=#1;\nENDSEC;\nDATA;\n"), std::string::npos) << closed;
    EXPECT_EQ(closed.find("END-ISO-10303-21;"), closed.rfind("END-ISO-10303-21;")) << closed;
    Read cut = readText(body + "SIGNATURE;\nMIIBc2ln");
    EXPECT_TRUE(cut.hasMessage("the file ends without END-ISO-10303-21;"));
    EXPECT_NE(writeText(cut.design.get()).find("SIGNATURE;\nMIIBc2ln\nENDSEC;\nEND-ISO-10303-21;\n"), std::string::npos);

    // Cut short inside a string (or a comment), the rest is left out: written back, it would run over the ENDSEC
    // and the end of the file after it, and each write would differ from the last.
    for (const char* open : {"SIGNATURE;\nQUFB');\nFILE_NAME('a','b');\nX\nENDSEC;\n", "ANCHOR;\n<a>=#1 /* x;\n"}) {
        Read unclosed = readText(body + open + "END-ISO-10303-21;\n");
        EXPECT_TRUE(unclosed.hasMessage("a string or comment that is never closed")) << open;
        const std::string once = writeText(unclosed.design.get());
        Read again = readText(once);
        EXPECT_EQ(again.result.errorCount, 0u) << once;
        EXPECT_EQ(writeText(again.design.get()), once);
    }
}

TEST(Part21Reader, InstancesOfOtherFilesAreKeptAndSignaturesAfterTheEndToo) {
    // The REFERENCE section's #100 is an instance of another file: the data's reference to it holds it, no new
    // instance takes its number, a second definition of it is an error and gets a number of its own, and it is
    // written back in the section, not among the data. The signature after the end of the file is kept.
    const std::string text =
        "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('d'),'2;1');\nFILE_NAME('n','t',(''),(''),'','','');\n"
        "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }'));\nENDSEC;\n"
        "REFERENCE;\n#100 = <http://x/y.stp#z> /* the point */;\n#101=other;\n#102=<a/*b*/c>;\nENDSEC;\nDATA;\n"
        "#1=CARTESIAN_POINT('',(0.,0.,0.));\n#2=VERTEX_POINT('',#100);\n#100=CARTESIAN_POINT('again',(1.,1.,1.));\n"
        "ENDSEC;\nEND-ISO-10303-21;\nSIGNATURE;\nQUFBQS9CQkJCPT0K\nENDSEC;\n";
    Read r = readText(text);
    EXPECT_EQ(r.result.errorCount, 3u);  // #101 is no resource, #102's would open a comment where written back
    EXPECT_TRUE(r.hasMessage("a statement of the REFERENCE section that is not #N=<resource>; is left out"));
    EXPECT_EQ(r[102], nullptr);
    EXPECT_TRUE(r.hasMessage("#100 is defined twice"));
    EXPECT_FALSE(r.hasMessage("refers to #100"));
    NuskObject* external = r[100];
    ASSERT_NE(external, nullptr);
    EXPECT_TRUE(nusk_is_external_reference(external));
    EXPECT_FALSE(nusk_is_external_reference(r[1]));
    EXPECT_EQ(r[2]->getObject("vertex_geometry"), external);
    NuskObject* made = r.design->pnewInstance(nusk_domain_NuskRawRecord());
    EXPECT_GT(made->entity_id(), 100u);
    nusk_move_to_trash(made);

    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("ENDSEC;\nREFERENCE;\n#100=<http://x/y.stp#z>;\nENDSEC;\nDATA;\n"), std::string::npos) << out;
    EXPECT_NE(out.find("#2=VERTEX_POINT('',#100);"), std::string::npos) << out;
    EXPECT_EQ(out.find("#100=", out.find("DATA;")), std::string::npos) << out;
    EXPECT_NE(out.find("=CARTESIAN_POINT('again',"), std::string::npos) << out;
    const std::string end = "END-ISO-10303-21;\nSIGNATURE;\nQUFBQS9CQkJCPT0K\nENDSEC;\n";
    EXPECT_EQ(out.substr(out.size() - end.size()), end) << out;
    Read back = readText(out);
    EXPECT_EQ(back.result.errorCount, 0u);
    EXPECT_EQ(compareDesigns(r.design.get(), back.design.get()), "");
}

TEST(Part21Reader, ADuplicateNumberKeepsBothInstancesAndTakesNoNumberTheFileUses) {
    // The second #1 is numbered after every number of the file: #2 and #3, which come later, keep their own
    // numbers, and each reference to #2, before its record or after, is to the file's #2.
    Read r = readText(p21File("#1=CARTESIAN_POINT('first',(0.,0.,0.));\n"
                              "#1=CARTESIAN_POINT('second',(9.,9.,9.));\n"
                              "#4=VERTEX_POINT('',#2);\n"
                              "#2=CARTESIAN_POINT('b',(1.,0.,0.));\n"
                              "#3=VERTEX_POINT('',#2);\n"));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    ASSERT_EQ(r.result.messages.size(), 1u);
    EXPECT_EQ(r.result.messages[0].text, "#1 is defined twice; the later one gets a new number");
    EXPECT_EQ(r.result.messages[0].line, 9u);
    ASSERT_EQ(r.design->entityCount(), 5u);
    EXPECT_EQ(r.design->maxEntityId(), 5u);
    EXPECT_STREQ(r[1]->getString("name"), "first");
    EXPECT_STREQ(r[2]->getString("name"), "b");
    EXPECT_STREQ(r[5]->getString("name"), "second");
    for (uint32_t vertex : {3u, 4u}) EXPECT_EQ(nusk_cast(r[vertex], nusktype_stp_vertex_point)->vertex_geometry(), r[2]);
    // Written and read back, the file is whole and clean.
    Read back = readText(writeText(r.design.get()));
    EXPECT_EQ(back.result.status, NuskReadStatus::ok);
    EXPECT_EQ(compareDesigns(r.design.get(), back.design.get()), "");
}

TEST(Part21Reader, ComplexRecordsAreKnownByTheirTypesInAnyOrderEachTimeTheyCome) {
    // The combination of a complex record is looked up once per order written and remembered: records of the
    // same types in another order share the domain, other types do not, and a combination the schema does not
    // allow is refused each time it comes.
    Read r = readText(p21File("#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n"
                              "#2=(NAMED_UNIT(*)SI_UNIT($,.METRE.)LENGTH_UNIT());\n"
                              "#3=(LENGTH_UNIT()NAMED_UNIT(*)PLANE_ANGLE_UNIT()SI_UNIT($,.RADIAN.));\n"
                              "#4=(LENGTH_UNIT()NAMED_UNIT(*)PLANE_ANGLE_UNIT()SI_UNIT($,.RADIAN.));\n"
                              "#5=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT($,.METRE.));\n"
                              "#6=(NAMED_UNIT(*)SI_UNIT($,.RADIAN.)PLANE_ANGLE_UNIT());\n"));
    ASSERT_NE(r.design, nullptr);
    const NuskDomain* length = r[1]->domain();
    EXPECT_EQ(length->kind(), NuskDomainKind::complex);
    EXPECT_EQ(r[2]->domain(), length);
    EXPECT_EQ(r[5]->domain(), length);
    EXPECT_EQ(r[6]->domain()->kind(), NuskDomainKind::complex);
    EXPECT_NE(r[6]->domain(), length);
    for (uint32_t id : {3u, 4u}) EXPECT_EQ(r[id]->domain(), nusk_domain_NuskRawRecord()) << id;
    EXPECT_EQ(r.result.rawCount, 2u);
    size_t refused = 0;
    for (const NuskReadMessage& m : r.result.messages)
        refused += m.text.find("combines types the schema does not allow together") != std::string::npos;
    EXPECT_EQ(refused, 2u);
}

TEST(Part21Reader, FarNumbersAreFoundAfterTheNumberTableGrows) {
    std::string data = "#500000=CARTESIAN_POINT('far',(0.,0.,0.));\n";
    for (int i = 1; i <= 20000; ++i) data += "#" + std::to_string(i) + "=DIRECTION('',(0.,0.,1.));\n";
    data += "#20001=VERTEX_POINT('',#500000);\n";
    Read r = readText(p21File(data));
    EXPECT_EQ(r.result.status, NuskReadStatus::ok);
    EXPECT_STREQ(r[500000]->getString("name"), "far");
    EXPECT_EQ(nusk_cast(r[20001], nusktype_stp_vertex_point)->vertex_geometry(), r[500000]);
}

TEST(Part21Reader, AByteOrderMarkAtTheStartIsSkippedInFilesAndInMemory) {
    const std::string text = "\xEF\xBB\xBF" + p21File("#1=CARTESIAN_POINT('',(0.,0.,0.));\n#2=VERTEX_POINT('',#9);");
    Read fromMemory = readText(text);
    ASSERT_EQ(fromMemory.result.status, NuskReadStatus::errors);  // the dangling #9 only
    EXPECT_EQ(fromMemory.result.errorCount, 1u);
    EXPECT_NE(fromMemory[1], nullptr);
    EXPECT_EQ(fromMemory.result.messages[0].line, 9u);  // the mark is no line of its own
    EXPECT_EQ(fromMemory.result.bytes, text.size());

    NuskReadResult fromFile = nusk_read_step(writeTempFile("bom.stp", text).c_str());
    std::unique_ptr<NuskDesign> design(fromFile.design);
    EXPECT_EQ(fromFile.status, NuskReadStatus::errors);
    EXPECT_EQ(fromFile.errorCount, 1u);
    EXPECT_EQ(fromFile.bytes, text.size());
    ASSERT_NE(design, nullptr);
    EXPECT_NE(design->findEntity(1), nullptr);

    // The mark alone, or part of it, is still no Part 21 file; a mark later in the text is no mark.
    for (const std::string& bad : {std::string("\xEF\xBB\xBF"), std::string("\xEF\xBB"),
                                   "ISO-10303-21;\xEF\xBB\xBF" + p21File("").substr(13)}) {
        EXPECT_NE(readText(bad).result.status, NuskReadStatus::ok) << bad;
        NuskReadResult r = nusk_read_step(writeTempFile("bad-bom.stp", bad).c_str());
        delete r.design;
        EXPECT_NE(r.status, NuskReadStatus::ok) << bad;
    }
}

TEST(Part21Reader, ProgressIsReportedWhileAFileIsRead) {
    std::string data;
    for (int i = 1; i <= 20000; ++i) data += "#" + std::to_string(i) + "=CARTESIAN_POINT('',(0.,0.,0.));\n";
    const std::string text = p21File(data);
    const std::string path = writeTempFile("progress.stp", text);
    std::vector<std::pair<uint64_t, uint64_t>> calls;
    NuskReadOptions options;
    options.progressEvery = 100000;
    options.progress = [&calls](uint64_t read, uint64_t total) { calls.emplace_back(read, total); };
    nusk_ap242_schema();
    NuskReadResult r = nusk_read_step(path.c_str(), options);
    delete r.design;
    ASSERT_EQ(r.status, NuskReadStatus::ok);
    // Once each time another 100 kB have been read, and once at the end.
    ASSERT_GE(calls.size(), text.size() / 100000);
    EXPECT_LE(calls.size(), text.size() / 100000 + 1);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].second, text.size());
        if (i > 0) {
            EXPECT_GT(calls[i].first, calls[i - 1].first);
        }
    }
    EXPECT_EQ(calls.back().first, text.size());
}

TEST(Part21Reader, OneTypeInTwoSelectsIsJudgedBySelectEachTime) {
    // The reader remembers what each select accepts: a point fits a geometric set however often it comes, and
    // never a unit, whichever of the two the file asks about first.
    Read r = readText(p21File("#1=CARTESIAN_POINT('',(0.,0.,0.));\n#2=GEOMETRIC_SET('',(#1,#1));\n"
                              "#3=MEASURE_WITH_UNIT(LENGTH_MEASURE(1.),#1);\n#4=GEOMETRIC_SET('',(#1));\n"
                              "#5=MEASURE_WITH_UNIT(LENGTH_MEASURE(2.),#1);\n"));
    ASSERT_NE(r.design, nullptr);
    EXPECT_TRUE(r.hasMessage("#3 refers to #1, a cartesian_point, where a unit is expected"));
    EXPECT_TRUE(r.hasMessage("#5 refers to #1, a cartesian_point, where a unit is expected"));
    EXPECT_FALSE(r.hasMessage("#2 refers to #1"));
    EXPECT_FALSE(r.hasMessage("#4 refers to #1"));
}

TEST(Part21Reader, MessagesNameTypesWithTheirArticleAndNoLineZero) {
    EXPECT_EQ(nusk_p21::withArticle("angular_size"), "an angular_size");
    EXPECT_EQ(nusk_p21::withArticle("Edge_curve"), "an Edge_curve");
    EXPECT_EQ(nusk_p21::withArticle("length_measure"), "a length_measure");
    EXPECT_EQ(nusk_p21::withArticle("unit"), "a unit");
    EXPECT_EQ(nusk_p21::withArticle("uncertainty_measure_with_unit"), "an uncertainty_measure_with_unit");

    Read r = readText(p21File(
        "#1=APPLICATION_CONTEXT('x');\n#2=PRODUCT_DEFINITION_CONTEXT('c','x','design');\n"
        "#3=VERTEX_POINT('',#1);"));
    EXPECT_TRUE(r.hasMessage("a reference to an application_context was expected")) << r.result.messages[0].text;
    EXPECT_TRUE(r.hasMessage("#3 refers to #1, an application_context, where a point is expected"));

    // Messages about the whole file carry line 0, and the reporter is told no line for them.
    struct Collect : NuskReporter {
        std::vector<std::string> texts;
        void report(NuskSeverity, const char* message) override { texts.push_back(message); }
    } collect;
    NuskScopedReporter scope(&collect);
    NuskReadOptions options;
    options.report = true;
    NuskReadResult empty = nusk_read_step_text("", 0, options);
    ASSERT_EQ(empty.messages.size(), 1u);
    EXPECT_EQ(empty.messages[0].line, 0u);
    ASSERT_EQ(collect.texts.size(), 1u);
    EXPECT_EQ(collect.texts[0].find("line"), std::string::npos) << collect.texts[0];
    EXPECT_NE(collect.texts[0].find("not a Part 21 file"), std::string::npos) << collect.texts[0];
}

}  // namespace

TEST(Part21Reader, AFileThatIsNoPart21TextIsToldForWhatItLooksLike) {
    // Compressed and archived STEP files, and text saved as UTF-16, are common mistakes: the message says what
    // to do. Other bytes get the plain message.
    const std::string text = p21File("#1=APPLICATION_CONTEXT('x');");
    std::string utf16, utf16BigEndian;
    for (char c : text) {
        utf16 += std::string{c, '\0'};
        utf16BigEndian += std::string{'\0', c};
    }
    const std::pair<std::string, const char*> cases[] = {
        {std::string("\x1f\x8b\x08\x00", 4) + "compressed", "is compressed with gzip: decompress it first"},
        {"PK\x03\x04" "archive", "is a ZIP archive: extract the STEP file from it first"},
        {"\xff\xfe" + utf16, "looks like UTF-16 text"},
        {utf16, "looks like UTF-16 text"},
        {utf16BigEndian, "looks like UTF-16 text"},  // without a byte order mark
    };
    for (const auto& c : cases) {
        const Read r = readText(c.first);
        EXPECT_EQ(r.result.status, NuskReadStatus::unreadable) << c.second;
        EXPECT_TRUE(r.hasMessage(std::string("not a Part 21 file: expected ISO-10303-21; at the start (the file ") + c.second))
            << c.second << ": " << (r.result.messages.empty() ? "" : r.result.messages[0].text);
    }
    const Read other = readText("\x01\0binary;");
    ASSERT_FALSE(other.result.messages.empty());
    EXPECT_EQ(other.result.messages[0].text, "not a Part 21 file: expected ISO-10303-21; at the start");
}

TEST(Part21Reader, ManyReferencesAheadLandOnTheirInstances) {
    // Vectors refer to directions written after all of them: thousands of references stay open at once
    // (several blocks of them, through every settling pass), mixed with references to a direction written
    // first and to numbers the file never defines.
    constexpr uint32_t kVectors = 9000;
    constexpr uint32_t kFirst = 50000;  // the direction written before the vectors
    auto targetOf = [](uint32_t i) -> uint32_t {
        if (i % 1000 == 0) return 90000000 + i;  // undefined
        if (i % 7 == 0) return kFirst;
        return 2 * kVectors - i + 1;
    };
    std::string data = "#" + std::to_string(kFirst) + "=DIRECTION('',(5.,0.,0.));\n";
    for (uint32_t i = 1; i <= kVectors; ++i)
        data += "#" + std::to_string(i) + "=VECTOR('',#" + std::to_string(targetOf(i)) + ",1.);\n";
    for (uint32_t id = kVectors + 1; id <= 2 * kVectors; ++id)
        data += "#" + std::to_string(id) + "=DIRECTION('',(" + std::to_string(id) + ".,0.,0.));\n";
    Read r = readText(p21File(data));
    ASSERT_NE(r.design, nullptr);
    EXPECT_EQ(r.result.instanceCount, 2 * kVectors + 1);
    EXPECT_EQ(r.result.errorCount, kVectors / 1000) << "one error per undefined number, nothing else";
    uint32_t toFirst = 0;
    for (uint32_t i = 1; i <= kVectors; ++i) {
        auto* v = nusk_cast(r[i], nusktype_stp_vector);
        ASSERT_NE(v, nullptr) << i;
        const uint32_t target = targetOf(i);
        if (target > 2 * kVectors && target != kFirst) {
            EXPECT_EQ(v->orientation(), nullptr) << i;
            continue;
        }
        ASSERT_EQ(v->orientation(), r[target]) << i;
        auto* d = nusk_cast(r[target], nusktype_stp_direction);
        ASSERT_NE(d, nullptr) << i;
        if (target == kFirst) {
            ++toFirst;
            continue;
        }
        EXPECT_EQ(d->refcount(), 1u) << target;
        EXPECT_DOUBLE_EQ(d->direction_ratios()->get(0), target) << i;
    }
    EXPECT_EQ(r[kFirst]->refcount(), toFirst);
}

TEST(Part21Reader, ANameEndsAtItsFirstByteThatIsNoWordByte) {
    // Names are taken sixteen bytes at a time while that many are left: every byte value must end a name
    // exactly where the byte table says, at every place in those sixteen bytes and in the bytes after them.
    const std::string word = "Ab_9-zZ0aY_-Mm55Ab_9-zZ0aY_-Mm55xyz";
    for (int byte = 0; byte < 256; ++byte) {
        const bool isWord = nusk_p21::kWordChars.is[byte];
        for (size_t length = 0; length <= word.size(); ++length) {
            const std::string text = word.substr(0, length) + static_cast<char>(byte) + "(1.,2.);";
            nusk_p21::Cursor c(text);
            const bool userDefinedMark = byte == '!' && length == 0;  // "!NAME": the mark starts the name
            const size_t expected = isWord || userDefinedMark ? length + 1 : length;
            ASSERT_EQ(c.name().size(), expected) << "byte " << byte << " after " << length;
        }
    }
}

TEST(Part21Reader, OnlyTypesNamedInLowerCaseStandForTheWordsOfAFile) {
    // The store's own classes are named with capitals; such a name is never taken for a word of a file, wherever
    // its capital stands: in a whole run of eight bytes, in the bytes after the last such run, or in a name
    // shorter than eight.
    NuskSchema* own = new NuskSchema("lower_case_names");  // a schema lives as long as the process
    for (const char* name : {"long_lower_case_name", "second_run_Capital", "tail_capitaL", "tinY", "short"})
        own->addEntity(name, {});
    own->seal();
    Read r = readWithOwnSchema(own,
                               "#1=LONG_LOWER_CASE_NAME();\n#2=SECOND_RUN_CAPITAL();\n#3=TAIL_CAPITAL();\n"
                               "#4=TINY();\n#5=SHORT();\n",
                               "LOWER_CASE_NAMES");
    ASSERT_NE(r.design, nullptr);
    EXPECT_STREQ(r[1]->domain()->name(), "long_lower_case_name");
    EXPECT_STREQ(r[5]->domain()->name(), "short");
    for (uint32_t id = 2; id <= 4; ++id) EXPECT_EQ(r[id]->domain(), nusk_domain_NuskRawRecord()) << id;
    EXPECT_EQ(r.result.rawCount, 3u);
}

TEST(Part21Reader, NamesAlikeAtBothEndsAreToldApart) {
    // Names are hashed by their length and their first and last eight bytes: names that share all three fall
    // together and must still be told apart by the whole name, in the schema's index and in the reader's table.
    // Names of eight bytes and of fewer are hashed another way.
    NuskSchema* own = new NuskSchema("names_alike");  // a schema lives as long as the process
    const char* const names[] = {"abcdefgh_one_stuvwxyz", "abcdefgh_two_stuvwxyz", "abcdefgh", "abcdefgi", "a", "b"};
    for (const char* name : names) own->addEntity(name, {});
    own->seal();
    for (const char* name : names) {
        std::string upper = name;
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        ASSERT_NE(own->findDomain(upper.c_str()), nullptr) << name;
        EXPECT_STREQ(own->findDomain(upper.c_str())->name(), name);
    }
    EXPECT_EQ(own->findDomain("abcdefgh_six_stuvwxyz"), nullptr);
    Read r = readWithOwnSchema(own,
                               "#1=ABCDEFGH_ONE_STUVWXYZ();\n#2=ABCDEFGH_TWO_STUVWXYZ();\n#3=ABCDEFGH();\n"
                               "#4=ABCDEFGI();\n#5=A();\n#6=B();\n#7=ABCDEFGH_SIX_STUVWXYZ();\n",
                               "NAMES_ALIKE");
    ASSERT_NE(r.design, nullptr);
    for (uint32_t id = 1; id <= 6; ++id) EXPECT_STREQ(r[id]->domain()->name(), names[id - 1]) << id;
    EXPECT_EQ(r[7]->domain(), nusk_domain_NuskRawRecord());
    EXPECT_EQ(r.result.rawCount, 1u);
}

TEST(Part21Reader, TheCompilersTableOfNamesServesOnlyWhereItHoldsEveryNameAsTheReaderHashesThem) {
    // The AP242 schema comes with the table the schema compiler wrote: the reader takes it as it is, and finds
    // every type of the schema through it, in upper case as files write them.
    NuskSchema* ap242 = nusk_ap242_schema();
    ASSERT_NE(NuskStore::compiledNames(ap242), nullptr);
    const nusk_p21::NameTable compiled(ap242);
    EXPECT_TRUE(compiled.fromCompiler());
    size_t found = 0;
    for (NuskDomain* d : ap242->domainList()) {
        const NuskDomainKind kind = d->kind();
        if (kind == NuskDomainKind::aggregate || kind == NuskDomainKind::complex || !std::islower(d->name()[0]))
            continue;
        std::string upper = d->name();
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(compiled.find(upper), d) << d->name();
        ++found;
    }
    EXPECT_GT(found, 2900u);
    EXPECT_EQ(compiled.find("NO_SUCH_TYPE_AT_ALL"), nullptr);

    // A table whose slots were not laid out by this build's hash (here: each name one slot past its place) is
    // not taken; the reader makes its own, and still finds every name.
    NuskSchema* own = new NuskSchema("names_rehashed");  // a schema lives as long as the process
    const char* const names[] = {"first_name", "second", "third_entity_name"};
    std::vector<NuskDomain*> domains;
    for (const char* name : names) domains.push_back(own->addEntity(name, {}));
    own->seal();
    static nusk_detail::NameSlot slots[16] = {};
    const size_t mask = 15;
    for (size_t k = 0; k < domains.size(); ++k) {
        size_t i = (nusk_detail::foldedNameHash(names[k]) + 1) & mask;
        while (slots[i].entry) i = (i + 1) & mask;
        slots[i] = {static_cast<uint32_t>(k + 1), static_cast<uint32_t>(std::strlen(names[k]))};
    }
    static nusk_detail::CompiledNames misplaced{slots, 16, 3, nullptr};
    misplaced.domains = domains.data();
    NuskStore::setCompiledNames(own, &misplaced);
    ASSERT_EQ(NuskStore::compiledNames(own), &misplaced);
    const nusk_p21::NameTable rebuilt(own);
    EXPECT_FALSE(rebuilt.fromCompiler());
    for (size_t k = 0; k < domains.size(); ++k) EXPECT_EQ(rebuilt.find(names[k]), domains[k]) << names[k];

    // A schema that has grown a named type since its table was written is no longer served by it.
    NuskSchema* grown = new NuskSchema("names_grown");
    std::vector<NuskDomain*> before{grown->addEntity("before", {})};
    static nusk_detail::NameSlot oneSlot[16] = {};
    nusk_detail::placeName(oneSlot, 16, 0, "before");
    static nusk_detail::CompiledNames ofOne{oneSlot, 16, 1, nullptr};
    ofOne.domains = before.data();
    NuskStore::setCompiledNames(grown, &ofOne);
    EXPECT_EQ(NuskStore::compiledNames(grown), &ofOne);
    NuskDomain* after = grown->addEntity("after", {});
    grown->seal();
    EXPECT_EQ(NuskStore::compiledNames(grown), nullptr);
    const nusk_p21::NameTable ofGrown(grown);
    EXPECT_FALSE(ofGrown.fromCompiler());
    EXPECT_EQ(ofGrown.find("AFTER"), after);
    EXPECT_EQ(ofGrown.find("BEFORE"), before[0]);
}
