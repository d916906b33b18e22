// A read in two parts: the second half of the data section read on a second thread and taken over by the first.
// Whatever the text, the outcome must be that of a read in one piece: the same instances and references, the same
// messages with the same lines, the same text written back. Where the halves cannot be joined as they stand, the
// first thread reads on by itself.
#include "p21_helpers.h"

#include "design_impl.h"
#include "second_part.h"

#include "nusk/ap242/all.h"
#include "nusk/lifetime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace {

Read readWith(const std::string& text, unsigned threads) {
    nusk_ap242_schema();
    NuskReadOptions options;
    options.threads = threads;
    Read r;
    r.result = nusk_read_step_text(text.data(), text.size(), options);
    r.design.reset(r.result.design);
    return r;
}

Read readFileWith(const std::string& path, unsigned threads) {
    nusk_ap242_schema();
    NuskReadOptions options;
    options.threads = threads;
    Read r;
    r.result = nusk_read_step(path.c_str(), options);
    r.design.reset(r.result.design);
    return r;
}

/// Has every second part stop after `n` statements, or at its end, while it lives, whatever the timing of the
/// threads: the first part waits for it rather than asking it to stop.
class PartStopsEarly {
public:
    explicit PartStopsEarly(uint32_t n = UINT32_MAX) { nusk_p21::gPartStatementLimit = n; }
    ~PartStopsEarly() { nusk_p21::gPartStatementLimit = 0; }
};

std::string describe(const NuskReadResult& r) {
    std::string s = std::to_string(r.instanceCount) + " instances, " + std::to_string(r.rawCount) + " raw, " +
                    std::to_string(r.errorCount) + " errors, " + std::to_string(r.warningCount) + " warnings, " +
                    std::to_string(r.bytes) + " bytes\n";
    for (const NuskReadMessage& m : r.messages)
        s += std::to_string(static_cast<int>(m.severity)) + " line " + std::to_string(m.line) + " #" +
             std::to_string(m.instance) + ": " + m.text + "\n";
    return s;
}

/// The two reads give the same outcome in every respect a caller can see.
void expectSameOutcome(const Read& one, const Read& two) {
    ASSERT_EQ(one.design == nullptr, two.design == nullptr);
    EXPECT_EQ(describe(one.result), describe(two.result));
    EXPECT_EQ(one.result.status, two.result.status);
    if (!one.design) return;
    EXPECT_EQ(compareDesigns(one.design.get(), two.design.get()), "");
    EXPECT_EQ(one.design->entityCount(), two.design->entityCount());
    EXPECT_EQ(one.design->objectCount(), two.design->objectCount());
    EXPECT_EQ(one.design->maxEntityId(), two.design->maxEntityId());
    EXPECT_EQ(writeText(one.design.get()), writeText(two.design.get()));
}

/// Points and vertices over numbers 1 to 2n: odd numbers are points, even ones vertices, each on the point that
/// mirrors it across the middle, so that references go from each half into the other, back and forward.
std::string mesh(uint32_t n, uint32_t firstLine = 0) {
    std::string data;
    for (uint32_t i = 1; i <= 2 * n; ++i) {
        if (i % 2) {
            data += "#" + std::to_string(i) + "=CARTESIAN_POINT('p" + std::to_string(i + firstLine) + "',(" +
                    std::to_string(i) + ".,0.5,-2.E-3));\n";
        } else {
            uint32_t mirror = 2 * n + 1 - i;
            if (mirror % 2 == 0) --mirror;
            data += "#" + std::to_string(i) + "=VERTEX_POINT('',#" + std::to_string(mirror) + ");\n";
        }
    }
    return data;
}

/// `text` with every line feed made a carriage return and a line feed.
std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

/// Reads `text` in one piece and in two, the second part stopped wherever the timing of the threads has it and
/// then read to its end; expects the same outcome each time, and says whether the part read to its end was taken
/// over.
bool readsTheSameInTwoParts(const std::string& text) {
    Read one = readWith(text, 1);
    EXPECT_EQ(one.result.threads, 1u);
    expectSameOutcome(one, readWith(text, 2));
    const PartStopsEarly readsToItsEnd;
    Read two = readWith(text, 2);
    expectSameOutcome(one, two);
    return two.result.threads == 2;
}

/// `data` with `inserted` placed where the second part's start is looked for (a little past the middle).
std::string withInsertAtSplit(const std::string& before, const std::string& inserted, const std::string& after) {
    return p21File(before + inserted + after);
}

TEST(Part21TwoParts, AMeshReadInTwoPartsIsTheMeshReadInOne) {
    const std::string text = p21File(mesh(400));
    EXPECT_TRUE(readsTheSameInTwoParts(text));
    Read two = readWith(text, 2);
    EXPECT_EQ(two.result.errorCount, 0u);
    // Every vertex holds its point, across the halves both ways.
    for (uint32_t i : {2u, 400u, 402u, 800u}) {
        auto* v = dynamic_cast<stp_vertex_point*>(two[i]);
        ASSERT_NE(v, nullptr) << i;
        ASSERT_NE(v->vertex_geometry(), nullptr) << i;
        const uint32_t mirror = 801 - i - ((801 - i) % 2 == 0 ? 1 : 0);
        EXPECT_EQ(v->vertex_geometry()->entity_id(), mirror) << i;
    }
    // The objects of a type are walked in the file's order, the second part's after the first's.
    NuskCursor cursor;
    cursor.traverse(two.design.get());
    cursor.domain(nusktype_stp_cartesian_point);
    uint32_t last = 0;
    size_t seen = 0;
    for (NuskObject* o = cursor.next(); o; o = cursor.next()) {
        EXPECT_GT(o->entity_id(), last);
        last = o->entity_id();
        ++seen;
    }
    EXPECT_EQ(seen, 400u);
}

/// Points the vertices of #799 and #3 (one in each part) at a new point and trashes those two; deletes a vertex of
/// each part, which nothing refers to; returns the text written.
std::string change(Read& r) {
    NuskDesign* design = r.design.get();
    auto* point = new (design) stp_cartesian_point();
    EXPECT_EQ(point->entity_id(), 801u);
    point->name("new");
    for (uint32_t id : {2u, 798u}) {
        auto* vertex = dynamic_cast<stp_vertex_point*>(r[id]);
        EXPECT_NE(vertex, nullptr) << id;
        if (vertex) vertex->vertex_geometry(point);
    }
    EXPECT_EQ(nusk_move_to_trash(r[799]), 1);
    EXPECT_EQ(nusk_move_to_trash(r[3]), 1);
    delete r[700];
    delete r[4];
    EXPECT_EQ(r[799], nullptr);
    EXPECT_EQ(r[700], nullptr);
    return writeText(design);
}

TEST(Part21TwoParts, ADesignReadInTwoPartsCanBeChangedLikeAnyOther) {
    const std::string text = p21File(mesh(400));
    Read one = readWith(text, 1);
    const PartStopsEarly readsToItsEnd;
    Read two = readWith(text, 2);
    ASSERT_EQ(two.result.threads, 2u);
    const std::string written = change(two);
    EXPECT_EQ(written, change(one));
    EXPECT_EQ(written.find("#799="), std::string::npos);
    EXPECT_EQ(written.find("#700="), std::string::npos);
    EXPECT_NE(written.find("#2=VERTEX_POINT('',#801);"), std::string::npos);
    EXPECT_NE(written.find("#798=VERTEX_POINT('',#801);"), std::string::npos);
}

TEST(Part21TwoParts, ASecondPartStoppedHalfWayIsTakenOverAndTheRestReadByTheFirst) {
    std::string data = mesh(300) + "#5000=NO_SUCH_TYPE('a',#1);\n#5001=VERTEX_POINT('',#4000);\n";
    for (const std::string& text : {p21File(data), p21File(data + "ENDSEC;\nDATA;\n#6000=VERTEX_POINT('',#5);\n")}) {
        Read one = readWith(text, 1);
        for (uint32_t limit : {1u, 2u, 100u, 330u}) {
            SCOPED_TRACE(limit);
            const PartStopsEarly stop(limit);
            Read two = readWith(text, 2);
            EXPECT_EQ(two.result.threads, 2u);
            expectSameOutcome(one, two);
        }
    }
    // A file with CR LF line ends, read from the file: the rest is read from where the part stopped.
    const std::string path =
        writeTempFile("two-parts-stop.stp", withCrLf(p21File(mesh(3000) + "#9000=VERTEX_POINT('',#9001);\n")));
    Read one = readFileWith(path, 1);
    {
        const PartStopsEarly stop(1000);
        Read two = readFileWith(path, 2);
        EXPECT_EQ(two.result.threads, 2u);
        expectSameOutcome(one, two);
    }
    std::filesystem::remove(path);
}

TEST(Part21TwoParts, TakingADesignOverKeepsEveryNumberFindable) {
    // This design's numbers 1 and 50000, the second beyond its dense table; the other's 40000 to 52000 but
    // 50000, all in its dense table, which this one's grows to: 50000 must then move into it.
    std::string mine = "#1=CARTESIAN_POINT('a',(0.,0.,0.));\n#50000=CARTESIAN_POINT('b',(0.,0.,0.));\n";
    std::string theirs;
    for (uint32_t id = 40000; id <= 52000; ++id)
        if (id != 50000) theirs += "#" + std::to_string(id) + "=VERTEX_POINT('',$);\n";
    Read a = readWith(p21File(mine), 1);
    Read b = readWith(p21File(theirs), 1);
    ASSERT_EQ(b.result.instanceCount, 12000u);
    NuskDesign* other = b.design.release();
    a.design->impl().adopt(other->impl());
    delete other;
    EXPECT_EQ(a.design->entityCount(), 12002u);
    EXPECT_EQ(a.design->maxEntityId(), 52000u);
    for (uint32_t id : {1u, 40000u, 49999u, 50000u, 50001u, 52000u}) {
        NuskObject* o = a[id];
        ASSERT_NE(o, nullptr) << id;
        EXPECT_EQ(o->entity_id(), id);
        EXPECT_EQ(o->design(), a.design.get());
    }
    EXPECT_EQ(a[39999], nullptr);
    // The objects taken over can go, and new ones take fresh numbers.
    delete a[45000];
    EXPECT_EQ(a[45000], nullptr);
    EXPECT_EQ((new (a.design.get()) stp_cartesian_point())->entity_id(), 52001u);
}

TEST(Part21TwoParts, EveryRealFileReadsTheSameInTwoParts) {
    const std::string dir = dataDirectory();
    if (dir.empty()) GTEST_SKIP() << "no test data found";
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        const std::string ext = e.path().extension().string();
        if (!e.is_regular_file() || (ext != ".stp" && ext != ".step")) continue;
        SCOPED_TRACE(e.path().string());
        Read one = readFileWith(e.path().string(), 1);
        expectSameOutcome(one, readFileWith(e.path().string(), 2));
        const PartStopsEarly readsToItsEnd;
        Read two = readFileWith(e.path().string(), 2);
        expectSameOutcome(one, two);
        // Each has a statement boundary near its middle (nist_ftc_11 before it: a list of 740 kB covers it).
        EXPECT_EQ(two.result.threads, 2u);
    }
}

TEST(Part21TwoParts, WhereTheHalvesCannotBeJoinedTheFirstThreadReadsOn) {
    const std::string before = mesh(200);
    std::string after;
    for (uint32_t i = 1000; i < 1400; ++i)
        after += "#" + std::to_string(i) + "=CARTESIAN_POINT('q',(1.,2.,3.));\n";
    // The place looked at for the second part's start lies inside each of these.
    std::string fakeStatements;
    for (int i = 0; i < 600; ++i)
        fakeStatements += ";\n#" + std::to_string(5000 + i) + "=CARTESIAN_POINT('x',(0.,0.,0.))";
    const std::string longString = "#900=DESCRIPTIVE_REPRESENTATION_ITEM('s','" + fakeStatements + "');\n";
    const std::string longComment = "/* " + fakeStatements + " */\n";
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"a string that holds statements", withInsertAtSplit(before, longString, after)},
        {"a comment that holds statements", withInsertAtSplit(before, longComment, after)},
        {"a number both halves define", p21File(before + after + "#7=CARTESIAN_POINT('again',(0.,0.,0.));\n")},
        {"a reference of the wrong type across the halves",
         p21File(before + after + "#1500=VERTEX_POINT('',#2);\n")},
        {"a record that is no valid Part 21 in the second half",
         p21File(before + after + "#1503=CARTESIAN_POINT(('a';\n")},
        {"a misfit in the second half of a file of another schema, a warning",
         p21File(before + after + "#1501=CARTESIAN_POINT(1.);\n", "CONFIG_CONTROL_DESIGN")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(readsTheSameInTwoParts(c.text));
    }
}

TEST(Part21TwoParts, ANumberDefinedTwiceInTheFirstHalfLeavesTheSecondHalfItsNumbers) {
    // The second #7 takes no number of the second half: numbered after the whole file, it lets the halves join.
    // The second half, where the second part starts, is numbered on from the first: points and their vertices.
    std::string after;
    for (uint32_t i = 401; i <= 1200; ++i)
        after += i % 2 ? "#" + std::to_string(i) + "=CARTESIAN_POINT('q',(1.,2.,3.));\n"
                       : "#" + std::to_string(i) + "=VERTEX_POINT('',#" + std::to_string(i - 1) + ");\n";
    const std::string text = p21File(mesh(200) + "#7=CARTESIAN_POINT('again',(0.,0.,0.));\n" + after);
    EXPECT_TRUE(readsTheSameInTwoParts(text));
    Read two = readWith(text, 2);
    ASSERT_EQ(two.result.messages.size(), 1u);
    EXPECT_EQ(two.design->maxEntityId(), 1201u);
    EXPECT_STREQ(two[1201]->getString("name"), "again");
    EXPECT_EQ(nusk_cast(two[402], nusktype_stp_vertex_point)->vertex_geometry(), two[401]);
}

TEST(Part21TwoParts, MessagesAboutRecordsOfTheSecondPartAreHandedOverInOrder) {
    // Records kept as read in both halves: their messages come in the order of the file, with their lines, and
    // the records are written back as they were read.
    std::string data = "#5000=CARTESIAN_POINT('early',(0.,0.,0.),$);\n" + mesh(300);
    data += "#5001=NO_SUCH_TYPE('a',#1,(#5002,#3));\n#5002=CARTESIAN_POINT(1.);\n#5003=VERTEX_POINT('v',#5002);\n";
    data += "#5004=CARTESIAN_POINT('bad binary',\"4F\");\n";
    const std::string text = p21File(data);
    EXPECT_TRUE(readsTheSameInTwoParts(text));
    Read two = readWith(text, 2);
    // The bad binary literal is a misfit of its record and an error of its own.
    ASSERT_EQ(two.result.messages.size(), 5u);
    const uint32_t lines[] = {8, 609, 610, 612, 612};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(two.result.messages[i].line, lines[i]) << two.result.messages[i].text;
    EXPECT_EQ(two.result.rawCount, 1u);
    const std::string written = writeText(two.design.get());
    EXPECT_NE(written.find("#5001=NO_SUCH_TYPE('a',#1,(#5002,#3));"), std::string::npos);
    EXPECT_NE(written.find("#5002=CARTESIAN_POINT(1.);"), std::string::npos);
}

TEST(Part21TwoParts, WhatFollowsTheSecondPartIsReadWithExactLines) {
    const std::string data = mesh(300) + "#2000=VERTEX_POINT('',#4000);\n";  // never defined
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"a second data section",
         p21File(data + "ENDSEC;\nDATA;\n/* more */\n#3000=VERTEX_POINT('',#3001);\n#3001=VERTEX_POINT('',#1);\n"
                        "#3002=VERTEX_POINT('',#4001);\n")},
        // A time stamp of its own: an empty one is written as the time of writing, which differs from one write to
        // the next when they fall on either side of a second.
        {"no end of the file", "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('t'),'2;1');\nFILE_NAME('t',"
                               "'2026-01-01T00:00:00',(''),(''),'','','');\n"
                               "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF'));\nENDSEC;\nDATA;\n" +
                                   data + "\n\n  "},
        {"blanks and comments at the end", p21File(data + "\n/* a comment\nover lines */\n\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(readsTheSameInTwoParts(c.text));
        Read two = readWith(c.text, 2);
        ASSERT_TRUE(two.hasMessage("refers to #4000, which the file does not define"));
        for (const NuskReadMessage& m : two.result.messages) {
            if (m.instance != 2000) continue;
            EXPECT_EQ(m.line, 8u + 600u) << m.text;  // the header takes seven lines
        }
    }
}

TEST(Part21TwoParts, InstancesOfOtherFilesAndSignaturesAfterTheEndReadTheSameInTwoParts) {
    // The second half refers to an instance that the REFERENCE section before the data defines.
    const std::string text =
        "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('t'),'2;1');\nFILE_NAME('t','2026-01-01T00:00:00',(''),(''),"
        "'','','');\nFILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF'));\nENDSEC;\n"
        "REFERENCE;\n#9000=<other.stp#p>;\nENDSEC;\nDATA;\n" +
        mesh(300) + "#2000=VERTEX_POINT('',#9000);\nENDSEC;\nEND-ISO-10303-21;\nSIGNATURE;\nQUFB\nENDSEC;\n";
    EXPECT_TRUE(readsTheSameInTwoParts(text));
    Read two = readWith(text, 2);
    EXPECT_TRUE(two.result.messages.empty()) << two.result.messages.front().text;
    EXPECT_EQ(two[2000]->getObject("vertex_geometry"), two[9000]);
    EXPECT_NE(writeText(two.design.get()).find("END-ISO-10303-21;\nSIGNATURE;\nQUFB\nENDSEC;\n"), std::string::npos);
}

TEST(Part21TwoParts, AFileWithCrLfLineEndsIsReadFromItsMiddleWithExactLines) {
    // A line end of CR LF everywhere, and a reference that fits nothing in each half.
    const std::string path = writeTempFile(
        "two-parts.stp",
        withCrLf(p21File("#9000=VERTEX_POINT('',#9001);\n" + mesh(3000) + "#7000=VERTEX_POINT('',#7001);\n")));
    Read one = readFileWith(path, 1);
    expectSameOutcome(one, readFileWith(path, 2));
    const PartStopsEarly readsToItsEnd;
    Read two = readFileWith(path, 2);
    std::filesystem::remove(path);
    EXPECT_EQ(two.result.threads, 2u);
    expectSameOutcome(one, two);
    ASSERT_EQ(two.result.errorCount, 2u);
    EXPECT_EQ(two.result.messages[0].line, 8u);
    EXPECT_EQ(two.result.messages[1].line, 8u + 1 + 6000);
}

TEST(Part21TwoParts, SmallTextsAndSingleThreadReadsStayInOnePiece) {
    const std::string text = p21File(mesh(400));
    ASSERT_LT(text.size(), size_t(256) << 10);
    EXPECT_EQ(readWith(text, 0).result.threads, 1u);  // automatic: too small to be worth a thread
    EXPECT_EQ(readWith(text, 1).result.threads, 1u);
    // Text with no statement boundary past its middle is read in one piece too.
    const std::string oneLine = p21File("#1=CARTESIAN_POINT('" + std::string(4000, 'a') + "',(0.,0.,0.));");
    EXPECT_FALSE(readsTheSameInTwoParts(oneLine));
}

}  // namespace
