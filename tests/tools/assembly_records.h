// The assembly both mivo tool tests start from: a top assembly in millimetres with a pin in inches placed by a
// usage (turned a quarter about z, its origin one inch along its x) and a washer placed by a mapped item without
// usage. The records end inside the DATA section: each test adds its own, then ENDSEC and the end.
#pragma once

#include "../common/tool_run.h"

#include <string>

#define MIVO_TEST_ASSEMBLY_RECORDS \
    MIVO_TEST_HEADER \
    "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n#2=DIMENSIONAL_EXPONENTS(1.,0.,0.,0.,0.,0.,0.);\n" \
    "#3=LENGTH_MEASURE_WITH_UNIT(LENGTH_MEASURE(25.4),#1);\n" \
    "#4=(CONVERSION_BASED_UNIT('INCH',#3)LENGTH_UNIT()NAMED_UNIT(#2));\n" \
    "#5=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT((#1))REPRESENTATION_CONTEXT('mm','3D'));\n" \
    "#6=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT((#4))REPRESENTATION_CONTEXT('in','3D'));\n" \
    "#7=APPLICATION_CONTEXT('tests');\n#8=PRODUCT_CONTEXT('',#7,'mechanical');\n" \
    "#9=PRODUCT_DEFINITION_CONTEXT('part definition',#7,'design');\n" \
    "#10=PRODUCT('top','Top assembly','',(#8));\n#11=PRODUCT_DEFINITION_FORMATION('','',#10);\n" \
    "#12=PRODUCT_DEFINITION('design','',#11,#9);\n#13=PRODUCT_DEFINITION_SHAPE('','',#12);\n" \
    "#14=SHAPE_REPRESENTATION('top',(#20,#40,#42),#5);\n#15=SHAPE_DEFINITION_REPRESENTATION(#13,#14);\n" \
    "#16=PRODUCT('pin','Pin','',(#8));\n#17=PRODUCT_DEFINITION_FORMATION('','',#16);\n" \
    "#18=PRODUCT_DEFINITION('design','',#17,#9);\n#19=PRODUCT_DEFINITION_SHAPE('','',#18);\n" \
    "#20=AXIS2_PLACEMENT_3D('',#21,#22,#23);\n#21=CARTESIAN_POINT('',(25.4,50.8,101.6));\n" \
    "#22=DIRECTION('',(0.,0.,1.));\n#23=DIRECTION('',(0.,1.,0.));\n" \
    "#24=SHAPE_REPRESENTATION('pin',(#25),#6);\n#25=AXIS2_PLACEMENT_3D('',#26,$,$);\n" \
    "#26=CARTESIAN_POINT('',(1.,0.,0.));\n#27=SHAPE_DEFINITION_REPRESENTATION(#19,#24);\n" \
    "#28=NEXT_ASSEMBLY_USAGE_OCCURRENCE('P1','pin one','',#12,#18,$);\n#29=PRODUCT_DEFINITION_SHAPE('','',#28);\n" \
    "#30=ITEM_DEFINED_TRANSFORMATION('','',#25,#20);\n" \
    "#31=(REPRESENTATION_RELATIONSHIP('','',#24,#14)REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(#30)" \
    "SHAPE_REPRESENTATION_RELATIONSHIP());\n#32=CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(#31,#29);\n" \
    "#33=PRODUCT('washer','Washer','',(#8));\n#34=PRODUCT_DEFINITION_FORMATION('','',#33);\n" \
    "#35=PRODUCT_DEFINITION('design','',#34,#9);\n#36=PRODUCT_DEFINITION_SHAPE('','',#35);\n" \
    "#37=SHAPE_REPRESENTATION('washer',(#41),#5);\n#38=SHAPE_DEFINITION_REPRESENTATION(#36,#37);\n" \
    "#39=REPRESENTATION_MAP(#41,#37);\n#40=MAPPED_ITEM('',#39,#42);\n#41=AXIS2_PLACEMENT_3D('',#43,$,$);\n" \
    "#42=AXIS2_PLACEMENT_3D('',#44,$,$);\n#43=CARTESIAN_POINT('',(0.,0.,0.));\n#44=CARTESIAN_POINT('',(0.,0.,5.));\n"

/// A product with its formation and definition, numbered from `first` (the definition is `first` + 2), in the
/// contexts of the records above: for tests that add products of their own.
inline std::string productRecords(int first, const std::string& id, const std::string& name) {
    const std::string n0 = std::to_string(first), n1 = std::to_string(first + 1);
    return "#" + n0 + "=PRODUCT('" + id + "','" + name + "','',(#8));\n#" + n1 +
           "=PRODUCT_DEFINITION_FORMATION('','',#" + n0 + ");\n#" + std::to_string(first + 2) +
           "=PRODUCT_DEFINITION('design','',#" + n1 + ",#9);\n";
}
