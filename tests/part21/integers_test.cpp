// Integers: kept in 64 bits, exact, and written back exact; a 32-bit getter that cannot hold a value says so
// instead of cutting it; -2147483648 read from a file is a value, not unset.
#include "p21_helpers.h"

#include "nusk/ap242/all.h"
#include "nusk/store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Capture : public NuskReporter {
public:
    void report(NuskSeverity severity, const char* message) override {
        (severity == NuskSeverity::error ? errors : warnings).push_back(message);
    }
    std::vector<std::string> errors, warnings;
};

std::string firstMessage(const Read& r) { return r.result.messages.empty() ? "" : r.result.messages[0].text; }

/// A B-spline curve whose degree and knot multiplicities are given.
std::string curve(const std::string& degree, const std::string& multiplicities) {
    return "#1=CARTESIAN_POINT('',(0.,0.,0.));\n#2=CARTESIAN_POINT('',(1.,0.,0.));\n"
           "#3=B_SPLINE_CURVE_WITH_KNOTS(''," + degree + ",(#1,#2),.UNSPECIFIED.,.F.,.F.,(" + multiplicities +
           "),(0.,1.),.UNSPECIFIED.);";
}

TEST(Part21Integers, BeyondThirtyTwoBitsAreKeptAndWrittenBackExact) {
    Read r = readText(p21File(curve("5000000000", "4,9007199254740993,-9007199254740993,9223372036854775807")));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok) << firstMessage(r);
    EXPECT_EQ(r.result.messages.size(), 0u) << firstMessage(r);
    NuskObject* c = r[3];
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->getInteger64("degree"), 5000000000);
    auto* knots = nusk_cast(c, nusktype_stp_b_spline_curve_with_knots)->knot_multiplicities();
    ASSERT_NE(knots, nullptr);
    ASSERT_EQ(knots->size(), 4u);
    EXPECT_EQ(knots->get64(0), 4);
    EXPECT_EQ(knots->get64(1), 9007199254740993);
    EXPECT_EQ(knots->get64(2), -9007199254740993);
    EXPECT_EQ(knots->getInteger64(3), INT64_MAX);
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("B_SPLINE_CURVE_WITH_KNOTS('',5000000000,(#1,#2),.UNSPECIFIED.,.F.,.F.,"
                       "(4,9007199254740993,-9007199254740993,9223372036854775807),"),
              std::string::npos)
        << out;
}

TEST(Part21Integers, InARecordTheSchemaLacksTheyAreWrittenBackExact) {
    Read r = readText(p21File("#5=SOME_ENTITY(9007199254740993,-2147483648,123456789012345678901234567890);"));
    ASSERT_NE(r[5], nullptr);
    EXPECT_NE(writeText(r.design.get()).find("#5=SOME_ENTITY(9007199254740993,-2147483648,123456789012345678901234567890);"),
              std::string::npos);
}

TEST(Part21Integers, AThirtyTwoBitGetterReportsWhatItCannotHold) {
    Read r = readText(p21File(curve("5000000000", "4,-2147483649")));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok) << firstMessage(r);
    NuskObject* c = r[3];
    auto* curveWithKnots = nusk_cast(c, nusktype_stp_b_spline_curve_with_knots);
    ASSERT_NE(curveWithKnots, nullptr);
    Capture capture;
    {
        NuskScopedReporter scope(&capture);
        EXPECT_EQ(c->getInteger("degree"), NUSK_NULL_INTEGER);
        EXPECT_EQ(curveWithKnots->degree(), NUSK_NULL_INTEGER);  // the generated accessor
        EXPECT_EQ(curveWithKnots->knot_multiplicities()->get(0), 4);
        EXPECT_EQ(curveWithKnots->knot_multiplicities()->get(1), NUSK_NULL_INTEGER);
    }
    ASSERT_EQ(capture.errors.size(), 3u);
    EXPECT_NE(capture.errors[0].find("5000000000"), std::string::npos) << capture.errors[0];
    EXPECT_NE(capture.errors[2].find("-2147483649"), std::string::npos) << capture.errors[2];
    // Reading it in full reports nothing.
    {
        NuskScopedReporter scope(&capture);
        EXPECT_EQ(c->getInteger64("degree"), 5000000000);
        EXPECT_EQ(c->getDouble("degree"), 5000000000.0);
    }
    EXPECT_EQ(capture.errors.size(), 3u);
}

TEST(Part21Integers, TheLowestThirtyTwoBitValueReadFromAFileIsAValue) {
    Read r = readText(p21File(curve("-2147483648", "-2147483648,4")));
    ASSERT_EQ(r.result.status, NuskReadStatus::ok) << firstMessage(r);
    NuskObject* c = r[3];
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->getInteger64("degree"), -2147483648LL);
    EXPECT_EQ(c->getInteger("degree"), -2147483647 - 1);  // it fits: no report
    EXPECT_NE(c->getDouble("degree"), NUSK_NULL_REAL);
    const std::string out = writeText(r.design.get());
    EXPECT_NE(out.find("B_SPLINE_CURVE_WITH_KNOTS('',-2147483648,(#1,#2),.UNSPECIFIED.,.F.,.F.,(-2147483648,4),"),
              std::string::npos)
        << out;
    // Written and read again: the same.
    Read again = readText(out);
    EXPECT_EQ(compareDesigns(r.design.get(), again.design.get()), "");
}

TEST(Part21Integers, UnsetIsDistinctFromEveryValue) {
    Read r = readText(p21File(curve("$", "4,4")));
    NuskObject* c = r[3];
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->getInteger64("degree"), NUSK_NULL_INTEGER64);
    EXPECT_EQ(c->getInteger("degree"), NUSK_NULL_INTEGER);
    EXPECT_EQ(c->getDouble("degree"), NUSK_NULL_REAL);
    EXPECT_NE(writeText(r.design.get()).find("B_SPLINE_CURVE_WITH_KNOTS('',$,"), std::string::npos);

    // Written by the application.
    ASSERT_EQ(c->putInteger64(-2147483648LL, "degree"), 1);
    EXPECT_NE(writeText(r.design.get()).find("B_SPLINE_CURVE_WITH_KNOTS('',-2147483648,"), std::string::npos);
    ASSERT_EQ(c->putInteger(NUSK_NULL_INTEGER, "degree"), 1);  // the 32-bit null unsets, as it always did
    EXPECT_EQ(c->getInteger64("degree"), NUSK_NULL_INTEGER64);
    EXPECT_NE(writeText(r.design.get()).find("B_SPLINE_CURVE_WITH_KNOTS('',$,"), std::string::npos);
    ASSERT_EQ(c->putInteger64(5000000000, "degree"), 1);
    ASSERT_EQ(c->putInteger(3, "degree"), 1);
    EXPECT_EQ(c->getInteger64("degree"), 3);
    ASSERT_EQ(c->putInteger64(-5000000000, "degree"), 1);
    EXPECT_NE(writeText(r.design.get()).find("B_SPLINE_CURVE_WITH_KNOTS('',-5000000000,"), std::string::npos);

    auto* knots = nusk_cast(c, nusktype_stp_b_spline_curve_with_knots)->knot_multiplicities();
    ASSERT_EQ(knots->put64(6000000000, 0), 1);
    ASSERT_EQ(knots->add64(-2147483648LL), 1);
    ASSERT_EQ(knots->add(NUSK_NULL_INTEGER), 1);
    EXPECT_NE(writeText(r.design.get()).find(",(6000000000,4,-2147483648,$),"), std::string::npos)
        << writeText(r.design.get());
}

TEST(Part21Integers, NewInstancesStartUnset) {
    Read r = readText(p21File("#1=APPLICATION_CONTEXT('x');"));
    auto* c = new (r.design.get()) stp_b_spline_curve_with_knots;
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->getInteger64("degree"), NUSK_NULL_INTEGER64);
    EXPECT_EQ(c->degree(), NUSK_NULL_INTEGER);
    c->degree(7);
    EXPECT_EQ(c->getInteger64("degree"), 7);
}

TEST(Part21Integers, BeyondSixtyFourBitsIsAMisfitKeptAsRead) {
    const std::string record =
        "#3=B_SPLINE_CURVE_WITH_KNOTS('',99999999999999999999,(#1,#2),.UNSPECIFIED.,.F.,.F.,"
        "(-9223372036854775808,4),(0.,1.),.UNSPECIFIED.);";
    Read r = readText(p21File("#1=CARTESIAN_POINT('',(0.,0.,0.));\n#2=CARTESIAN_POINT('',(1.,0.,0.));\n" + record));
    EXPECT_EQ(r.result.status, NuskReadStatus::errors);
    EXPECT_TRUE(r.hasMessage("out of range")) << firstMessage(r);
    ASSERT_NE(r[3], nullptr);
    EXPECT_NE(writeText(r.design.get()).find(record), std::string::npos);
}

}  // namespace
