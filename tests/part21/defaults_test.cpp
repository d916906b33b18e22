// What an application gets with no set-up at all: each test runs in a process of its own, so nothing has built
// or chosen a schema before it.
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const char kFile[] =
    "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'2;1');\nFILE_NAME('','',(''),(''),'','','');\n"
    "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 4 1 4 }'));\nENDSEC;\nDATA;\n"
    "#1=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));\n#2=CARTESIAN_POINT('p',(1.,2.,3.));\nENDSEC;\n"
    "END-ISO-10303-21;\n";

TEST(Defaults, ReadingWithDefaultOptionsUsesTheLinkedDictionary) {
    NuskReadResult r = nusk_read_step_text(kFile, sizeof kFile - 1);
    std::unique_ptr<NuskDesign> design(r.design);
    ASSERT_EQ(r.status, NuskReadStatus::ok);
    EXPECT_EQ(r.rawCount, 0u);
    EXPECT_EQ(design->schemaOf(), nusk_ap242_schema());
    EXPECT_EQ(NuskSchema::defaultSchema(), nusk_ap242_schema());
}

TEST(Defaults, ADesignMadeWithoutASchemaGetsTheDictionary) {
    NuskDesign design("no schema named");
    auto* point = new (&design) stp_cartesian_point();
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(design.schemaOf(), nusk_ap242_schema());
}

TEST(Defaults, ADefaultSetByTheApplicationIsKept) {
    NuskSchema* own = new NuskSchema("own_schema");
    own->seal();
    NuskSchema::setDefaultSchema(own);
    EXPECT_EQ(NuskSchema::defaultSchema(), own);
    NuskSchema::setDefaultSchema(nullptr);
    EXPECT_EQ(NuskSchema::defaultSchema(), nusk_ap242_schema());  // back to the linked dictionary
}

TEST(Defaults, TypedCastsMatchTheTypeHandleForm) {
    NuskReadResult r = nusk_read_step_text(kFile, sizeof kFile - 1);
    std::unique_ptr<NuskDesign> design(r.design);
    ASSERT_NE(design, nullptr);
    NuskObject* unit = design->findEntity(1);
    NuskObject* point = design->findEntity(2);
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(nusk_cast<stp_named_unit>(unit), nusk_cast(unit, nusktype_stp_named_unit));
    EXPECT_NE(nusk_cast<stp_si_unit>(unit), nullptr);
    EXPECT_EQ(nusk_cast<stp_cartesian_point>(unit), nullptr);
    EXPECT_EQ(nusk_cast<stp_cartesian_point>(point), nusk_cast(point, nusktype_stp_cartesian_point));
    EXPECT_EQ(nusk_cast<stp_cartesian_point>(nullptr), nullptr);
}

}  // namespace
