// mivo convert-units on files whose contexts state units that no conversion knows.
#include "../common/tool_run.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using tool_run::has;
using tool_run::mivo;
using tool_run::readAll;
using tool_run::ToolRun;
using tool_run::writeFile;

// Three shapes: one in millimetres, one in yards (no code stands for a yard), one in kilometres.
const char kYardsAndKilometres[] =
    MIVO_TEST_HEADER
    "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n"
    "#2=(NAMED_UNIT(*)PLANE_ANGLE_UNIT()SI_UNIT($,.RADIAN.));\n"
    "#5=DIMENSIONAL_EXPONENTS(1.,0.,0.,0.,0.,0.,0.);\n"
    "#10=(CONVERSION_BASED_UNIT('YARD',#11)LENGTH_UNIT()NAMED_UNIT(#5));\n"
    "#11=LENGTH_MEASURE_WITH_UNIT(LENGTH_MEASURE(914.4),#1);\n"
    "#12=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.KILO.,.METRE.));\n"
    "#19=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT((#1,#2))REPRESENTATION_CONTEXT('mm','3D'));\n"
    "#20=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT((#10,#2))REPRESENTATION_CONTEXT('yd','3D'));\n"
    "#21=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT((#12,#2))REPRESENTATION_CONTEXT('km','3D'));\n"
    "#29=CARTESIAN_POINT('',(1000.,0.,0.));\n#30=SHAPE_REPRESENTATION('a',(#29),#19);\n"
    "#31=CARTESIAN_POINT('',(1.,2.,3.));\n#32=SHAPE_REPRESENTATION('b',(#31),#20);\n"
    "#33=CARTESIAN_POINT('',(4.,5.,6.));\n#34=SHAPE_REPRESENTATION('c',(#33),#21);\n"
    "ENDSEC;\nEND-ISO-10303-21;\n";

TEST(MivoConvert, ShapesInAUnitNoConversionKnowsAreKeptAndToldOf) {
    const std::string in = writeFile("convert-unknown.stp", kYardsAndKilometres);
    const std::string out = testing::TempDir() + "convert-unknown-out.stp";
    const ToolRun run = mivo("convert-units " + in + " -o " + out + " --length m");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(has(run.out, "  representations moved         1\n")) << run.out;
    EXPECT_TRUE(has(run.out, "  representations kept          2 (a unit of theirs has no conversion)\n")) << run.out;
    EXPECT_TRUE(has(run.err, "context #20 states a length unit that no conversion knows (#10, YARD)")) << run.err;
    EXPECT_TRUE(has(run.err, "context #21 states a length unit that no conversion knows (#12, kilometre)")) << run.err;
    const std::string written = readAll(out);
    EXPECT_TRUE(has(written, "#29=CARTESIAN_POINT('',(1.,0.,0.));")) << written;
    EXPECT_TRUE(has(written, "#31=CARTESIAN_POINT('',(1.,2.,3.));")) << written;
    EXPECT_TRUE(has(written, "#34=SHAPE_REPRESENTATION('c',(#33),#21);")) << written;
    const ToolRun json = mivo("convert-units " + in + " -o " + out + " --length m --json");
    EXPECT_TRUE(has(json.out, "\"unconverted\": 2,")) << json.out;
}

}  // namespace
