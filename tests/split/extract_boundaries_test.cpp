// Where one product's extract ends among what the products of a file share: a part's solid tied to its shape
// without a placement stays its own, styles go along with the styled items that use them, and an ordered
// occurrence path is kept whole or stays behind with what holds it.
#include "extract_check.h"

#include "../common/data_files.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

namespace {

std::string stepFile(const std::string& records) {
    return "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'2;1');\nFILE_NAME('t','',(''),(''),'','','');\n"
           "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }'));\nENDSEC;\n"
           "DATA;\n" +
           records + "ENDSEC;\nEND-ISO-10303-21;\n";
}

/// The extract of product definition #`productId`, checked (sound, with its subtree) and read back.
std::unique_ptr<NuskDesign> soundExtract(const std::string& text, uint32_t productId) {
    const split_test::ExtractReport report = split_test::checkExtract(text, productId);
    EXPECT_TRUE(report.problems.empty()) << "product definition #" << productId << ":\n"
                                         << split_test::joined(report.problems);
    const std::string& out = report.extractText;
    return std::unique_ptr<NuskDesign>(nusk_read_step_text(out.data(), out.size()).design);
}

std::set<uint32_t> idsOf(NuskDesign* design, NuskTypePtr& type) {
    std::set<uint32_t> ids;
    for (NuskObject* obj : nusk_instances_of(design, type)) ids.insert(obj->entity_id());
    return ids;
}

/// The entities an object refers to through the elements of an aggregate attribute, in their order.
std::vector<uint32_t> elementIds(NuskObject* obj, const char* attribute) {
    std::vector<uint32_t> ids;
    auto* list = static_cast<NuskAggregate*>(obj->getObject(attribute));
    for (unsigned i = 0; list && i < list->size(); ++i) {
        NuskObject* element = list->getObject(i);
        if (element && element->domain()->typeIsSelect())
            element = nusk_get_nested_object(static_cast<NuskUnion*>(element));
        ids.push_back(element ? element->entity_id() : 0);
    }
    return ids;
}

// An assembly of two parts, a and b, whose shapes (#24, #34) are each tied to the part's solid (#27, #37) by a
// relationship without a transformation. The parts' styles share a colour (#70), both styled items are in one
// presentation representation (#79), and one layer (#80) lists both parts' vertices.
const char* const kTwoParts =
    "#1=APPLICATION_CONTEXT('tests');\n#2=PRODUCT_CONTEXT('',#1,'mechanical');\n"
    "#3=PRODUCT_DEFINITION_CONTEXT('part definition',#1,'design');\n"
    "#4=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n"
    "#5=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT((#4))REPRESENTATION_CONTEXT('mm','3D'));\n"
    "#6=CARTESIAN_POINT('',(0.,0.,0.));\n#7=AXIS2_PLACEMENT_3D('',#6,$,$);\n"
    "#10=PRODUCT('top','top','',(#2));\n#11=PRODUCT_DEFINITION_FORMATION('','',#10);\n"
    "#12=PRODUCT_DEFINITION('design','',#11,#3);\n#13=PRODUCT_DEFINITION_SHAPE('','',#12);\n"
    "#14=SHAPE_REPRESENTATION('top',(#7,#40,#50),#5);\n#15=SHAPE_DEFINITION_REPRESENTATION(#13,#14);\n"
    "#20=PRODUCT('a','a','',(#2));\n#21=PRODUCT_DEFINITION_FORMATION('','',#20);\n"
    "#22=PRODUCT_DEFINITION('design','',#21,#3);\n#23=PRODUCT_DEFINITION_SHAPE('','',#22);\n"
    "#24=SHAPE_REPRESENTATION('a',(#7),#5);\n#25=SHAPE_DEFINITION_REPRESENTATION(#23,#24);\n"
    "#26=SHAPE_REPRESENTATION_RELATIONSHIP('','',#24,#27);\n"
    "#27=ADVANCED_BREP_SHAPE_REPRESENTATION('a solid',(#7,#28),#5);\n#28=CARTESIAN_POINT('a vertex',(1.,0.,0.));\n"
    "#30=PRODUCT('b','b','',(#2));\n#31=PRODUCT_DEFINITION_FORMATION('','',#30);\n"
    "#32=PRODUCT_DEFINITION('design','',#31,#3);\n#33=PRODUCT_DEFINITION_SHAPE('','',#32);\n"
    "#34=SHAPE_REPRESENTATION('b',(#7),#5);\n#35=SHAPE_DEFINITION_REPRESENTATION(#33,#34);\n"
    "#36=SHAPE_REPRESENTATION_RELATIONSHIP('','',#34,#37);\n"
    "#37=ADVANCED_BREP_SHAPE_REPRESENTATION('b solid',(#7,#38),#5);\n#38=CARTESIAN_POINT('b vertex',(2.,0.,0.));\n"
    "#40=AXIS2_PLACEMENT_3D('',#41,$,$);\n#41=CARTESIAN_POINT('',(10.,0.,0.));\n"
    "#42=NEXT_ASSEMBLY_USAGE_OCCURRENCE('a1','','',#12,#22,$);\n#43=PRODUCT_DEFINITION_SHAPE('','',#42);\n"
    "#44=ITEM_DEFINED_TRANSFORMATION('','',#7,#40);\n"
    "#45=(REPRESENTATION_RELATIONSHIP('','',#24,#14)REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(#44)"
    "SHAPE_REPRESENTATION_RELATIONSHIP());\n#46=CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(#45,#43);\n"
    "#50=AXIS2_PLACEMENT_3D('',#51,$,$);\n#51=CARTESIAN_POINT('',(20.,0.,0.));\n"
    "#52=NEXT_ASSEMBLY_USAGE_OCCURRENCE('b1','','',#12,#32,$);\n#53=PRODUCT_DEFINITION_SHAPE('','',#52);\n"
    "#54=ITEM_DEFINED_TRANSFORMATION('','',#7,#50);\n"
    "#55=(REPRESENTATION_RELATIONSHIP('','',#34,#14)REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(#54)"
    "SHAPE_REPRESENTATION_RELATIONSHIP());\n#56=CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(#55,#53);\n"
    "#70=COLOUR_RGB('',0.1,0.1,0.1);\n"
    "#71=DRAUGHTING_PRE_DEFINED_CURVE_FONT('continuous');\n#72=CURVE_STYLE('',#71,POSITIVE_LENGTH_MEASURE(0.1),#70);\n"
    "#73=PRESENTATION_STYLE_ASSIGNMENT((#72));\n#74=STYLED_ITEM('a colour',(#73),#28);\n"
    "#75=DRAUGHTING_PRE_DEFINED_CURVE_FONT('continuous');\n#76=CURVE_STYLE('',#75,POSITIVE_LENGTH_MEASURE(0.1),#70);\n"
    "#77=PRESENTATION_STYLE_ASSIGNMENT((#76));\n#78=STYLED_ITEM('b colour',(#77),#38);\n"
    "#79=MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION('',(#74,#78),#5);\n"
    "#80=PRESENTATION_LAYER_ASSIGNMENT('vertices','',(#28,#38));\n";

TEST(ExtractBoundaries, APartsSolidTiedToItsShapeWithoutAPlacementStaysItsOwn) {
    const std::string text = stepFile(kTwoParts);
    std::unique_ptr<NuskDesign> a = soundExtract(text, 22);
    ASSERT_TRUE(a);
    EXPECT_EQ(idsOf(a.get(), nusktype_stp_advanced_brep_shape_representation), (std::set<uint32_t>{27}));
    EXPECT_TRUE(a->findEntity(26));   // the tie of a's shape to its solid
    EXPECT_FALSE(a->findEntity(36));  // b's tie, solid and vertex stay behind
    EXPECT_FALSE(a->findEntity(38));
    // What lists both parts' items keeps a's.
    ASSERT_TRUE(a->findEntity(80));
    EXPECT_EQ(elementIds(a->findEntity(80), "assigned_items"), (std::vector<uint32_t>{28}));
    ASSERT_TRUE(a->findEntity(79));
    EXPECT_EQ(elementIds(a->findEntity(79), "items"), (std::vector<uint32_t>{74}));

    std::unique_ptr<NuskDesign> top = soundExtract(text, 12);
    ASSERT_TRUE(top);
    EXPECT_EQ(idsOf(top.get(), nusktype_stp_advanced_brep_shape_representation), (std::set<uint32_t>{27, 37}));
}

TEST(ExtractBoundaries, AStyleGoesAlongOnlyWithAStyledItemThatUsesIt) {
    const std::string text = stepFile(kTwoParts);
    // The colour both parts' curve styles use goes with each part; the other part's style chain does not.
    std::unique_ptr<NuskDesign> a = soundExtract(text, 22);
    ASSERT_TRUE(a);
    EXPECT_EQ(idsOf(a.get(), nusktype_stp_presentation_style_assignment), (std::set<uint32_t>{73}));
    EXPECT_EQ(idsOf(a.get(), nusktype_stp_curve_style), (std::set<uint32_t>{72}));
    EXPECT_TRUE(a->findEntity(70));
    EXPECT_FALSE(a->findEntity(75));
    std::unique_ptr<NuskDesign> b = soundExtract(text, 32);
    ASSERT_TRUE(b);
    EXPECT_EQ(idsOf(b.get(), nusktype_stp_presentation_style_assignment), (std::set<uint32_t>{77}));
    EXPECT_TRUE(b->findEntity(70));
}

/// The presentation style assignments of a design that no styled item of it uses.
std::vector<uint32_t> unusedStyles(NuskDesign* design) {
    std::set<uint32_t> used;
    for (NuskObject* item : nusk_instances_of(design, nusktype_stp_styled_item))
        for (uint32_t id : elementIds(item, "styles")) used.insert(id);
    std::vector<uint32_t> unused;
    for (uint32_t id : idsOf(design, nusktype_stp_presentation_style_assignment))
        if (!used.count(id)) unused.push_back(id);
    return unused;
}

class AssemblyStyles : public ::testing::TestWithParam<std::string> {};

TEST_P(AssemblyStyles, EveryProductsExtractHoldsOnlyTheStylesItsStyledItemsUse) {
    if (GetParam().empty()) GTEST_SKIP() << "no assembly files under " << MIVO_DATA_DIR;
    const std::string text = split_test::fileText(GetParam());
    std::unique_ptr<NuskDesign> source(nusk_read_step_text(text.data(), text.size()).design);
    ASSERT_TRUE(source);
    const std::vector<uint32_t> sourceUnused = unusedStyles(source.get());
    for (uint32_t id : split_test::productDefinitionIds(text)) {
        std::unique_ptr<NuskDesign> extract = soundExtract(text, id);
        ASSERT_TRUE(extract);
        std::string othersOnly;
        for (uint32_t style : unusedStyles(extract.get()))
            if (!std::count(sourceUnused.begin(), sourceUnused.end(), style)) othersOnly += " #" + std::to_string(style);
        EXPECT_EQ(othersOnly, "") << "the extract of #" << id << " holds styles that only other products use";
    }
}

INSTANTIATE_TEST_SUITE_P(RealFiles, AssemblyStyles, ::testing::ValuesIn(mivo_test::dataFileParams("assemblies")),
                         mivo_test::fileTestName);

// top uses sub twice (sub1, sub2) and sub uses leaf. The leaf's vertex (#9) is styled red (#71) and overridden
// for each occurrence of sub by a path through that occurrence and leaf-in-sub: blue in sub1 (#76), green in
// sub2 (#81). The datum system of sub (#94) takes its second datum from top (#90).
const char* const kOverrides =
    "#1=APPLICATION_CONTEXT('mbe');\n#3=PRODUCT_CONTEXT('',#1,'mechanical');\n"
    "#4=PRODUCT_DEFINITION_CONTEXT('part definition',#1,'design');\n"
    "#5=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n"
    "#8=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT((#5))REPRESENTATION_CONTEXT('c','3D'));\n"
    "#9=CARTESIAN_POINT('vertex',(1.,2.,3.));\n"
    "#10=PRODUCT('leaf','leaf','',(#3));\n#11=PRODUCT_DEFINITION_FORMATION('','',#10);\n"
    "#12=PRODUCT_DEFINITION('design','',#11,#4);\n#13=PRODUCT_DEFINITION_SHAPE('','',#12);\n"
    "#14=CARTESIAN_POINT('',(0.,0.,0.));\n#17=AXIS2_PLACEMENT_3D('',#14,$,$);\n"
    "#18=SHAPE_REPRESENTATION('leaf',(#17,#9),#8);\n#19=SHAPE_DEFINITION_REPRESENTATION(#13,#18);\n"
    "#20=PRODUCT('sub','sub','',(#3));\n#21=PRODUCT_DEFINITION_FORMATION('','',#20);\n"
    "#22=PRODUCT_DEFINITION('design','',#21,#4);\n#23=PRODUCT_DEFINITION_SHAPE('','',#22);\n"
    "#27=AXIS2_PLACEMENT_3D('',#14,$,$);\n"
    "#28=SHAPE_REPRESENTATION('sub',(#27),#8);\n#29=SHAPE_DEFINITION_REPRESENTATION(#23,#28);\n"
    "#30=PRODUCT('top','top','',(#3));\n#31=PRODUCT_DEFINITION_FORMATION('','',#30);\n"
    "#32=PRODUCT_DEFINITION('design','',#31,#4);\n#33=PRODUCT_DEFINITION_SHAPE('','',#32);\n"
    "#37=AXIS2_PLACEMENT_3D('',#14,$,$);\n"
    "#38=SHAPE_REPRESENTATION('top',(#37),#8);\n#39=SHAPE_DEFINITION_REPRESENTATION(#33,#38);\n"
    "#40=CARTESIAN_POINT('',(1.,0.,0.));\n#43=AXIS2_PLACEMENT_3D('',#40,$,$);\n"
    "#44=NEXT_ASSEMBLY_USAGE_OCCURRENCE('leaf-in-sub','','',#22,#12,$);\n#45=PRODUCT_DEFINITION_SHAPE('','',#44);\n"
    "#46=ITEM_DEFINED_TRANSFORMATION('','',#17,#43);\n"
    "#47=(REPRESENTATION_RELATIONSHIP('','',#18,#28)REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(#46)"
    "SHAPE_REPRESENTATION_RELATIONSHIP());\n#48=CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(#47,#45);\n"
    "#49=CARTESIAN_POINT('',(10.,0.,0.));\n#52=AXIS2_PLACEMENT_3D('',#49,$,$);\n"
    "#53=NEXT_ASSEMBLY_USAGE_OCCURRENCE('sub1','','',#32,#22,$);\n#54=PRODUCT_DEFINITION_SHAPE('','',#53);\n"
    "#55=ITEM_DEFINED_TRANSFORMATION('','',#27,#52);\n"
    "#56=(REPRESENTATION_RELATIONSHIP('','',#28,#38)REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(#55)"
    "SHAPE_REPRESENTATION_RELATIONSHIP());\n#57=CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(#56,#54);\n"
    "#58=CARTESIAN_POINT('',(20.,0.,0.));\n#61=AXIS2_PLACEMENT_3D('',#58,$,$);\n"
    "#62=NEXT_ASSEMBLY_USAGE_OCCURRENCE('sub2','','',#32,#22,$);\n#63=PRODUCT_DEFINITION_SHAPE('','',#62);\n"
    "#64=ITEM_DEFINED_TRANSFORMATION('','',#27,#61);\n"
    "#65=(REPRESENTATION_RELATIONSHIP('','',#28,#38)REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(#64)"
    "SHAPE_REPRESENTATION_RELATIONSHIP());\n#66=CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(#65,#63);\n"
    "#67=DRAUGHTING_PRE_DEFINED_COLOUR('red');\n#68=PRE_DEFINED_MARKER('dot');\n"
    "#69=POINT_STYLE('',#68,POSITIVE_LENGTH_MEASURE(1.),#67);\n#70=PRESENTATION_STYLE_ASSIGNMENT((#69));\n"
    "#71=STYLED_ITEM('base',(#70),#9);\n"
    "#72=DRAUGHTING_PRE_DEFINED_COLOUR('blue');\n#73=PRE_DEFINED_MARKER('dot');\n"
    "#74=POINT_STYLE('',#73,POSITIVE_LENGTH_MEASURE(1.),#72);\n#75=PRESENTATION_STYLE_ASSIGNMENT((#74));\n"
    "#76=CONTEXT_DEPENDENT_OVER_RIDING_STYLED_ITEM('in sub1',(#75),#9,#71,(#57,#48));\n"
    "#77=DRAUGHTING_PRE_DEFINED_COLOUR('green');\n#78=PRE_DEFINED_MARKER('dot');\n"
    "#79=POINT_STYLE('',#78,POSITIVE_LENGTH_MEASURE(1.),#77);\n#80=PRESENTATION_STYLE_ASSIGNMENT((#79));\n"
    "#81=CONTEXT_DEPENDENT_OVER_RIDING_STYLED_ITEM('in sub2',(#80),#9,#71,(#66,#48));\n"
    "#82=MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION('',(#71,#76,#81),#8);\n"
    "#90=DATUM('','',#33,.F.,'A');\n#91=DATUM('','',#23,.F.,'B');\n"
    "#92=DATUM_REFERENCE_COMPARTMENT('','',#23,.F.,#91,$);\n"
    "#93=DATUM_REFERENCE_COMPARTMENT('','',#23,.F.,#90,$);\n"
    "#94=DATUM_SYSTEM('','',#23,.F.,(#92,#93));\n";

TEST(ExtractBoundaries, AnOrderedListThroughWhatStaysBehindIsKeptWholeOrStaysWithItsHolder) {
    const std::string text = stepFile(kOverrides);
    // The overrides name occurrences of sub in top: sub's extract leaves them behind, with the presentation
    // that lists them, instead of cutting each path down to leaf-in-sub, where both would claim every
    // occurrence. The datum system that needs top's datum stays too, rather than losing its second datum.
    std::unique_ptr<NuskDesign> sub = soundExtract(text, 22);
    ASSERT_TRUE(sub);
    EXPECT_TRUE(idsOf(sub.get(), nusktype_stp_context_dependent_over_riding_styled_item).empty());
    EXPECT_TRUE(sub->findEntity(71));  // the base style of the vertex goes along
    ASSERT_TRUE(sub->findEntity(82));
    EXPECT_EQ(elementIds(sub->findEntity(82), "items"), (std::vector<uint32_t>{71}));
    EXPECT_TRUE(sub->findEntity(92));
    EXPECT_FALSE(sub->findEntity(94));

    // The top's extract holds every path whole, in its order.
    std::unique_ptr<NuskDesign> top = soundExtract(text, 32);
    ASSERT_TRUE(top);
    ASSERT_TRUE(top->findEntity(76) && top->findEntity(81) && top->findEntity(94));
    EXPECT_EQ(elementIds(top->findEntity(76), "style_context"), (std::vector<uint32_t>{57, 48}));
    EXPECT_EQ(elementIds(top->findEntity(81), "style_context"), (std::vector<uint32_t>{66, 48}));
    EXPECT_EQ(elementIds(top->findEntity(94), "constituents"), (std::vector<uint32_t>{92, 93}));
}

}  // namespace
