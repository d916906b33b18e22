// Files larger than one read block (64 KiB): the reader reads them in blocks, and a block may end anywhere:
// inside a string, a comment, a complex record, between the CR and the LF of a line end. Every instance must
// be read as it is from memory, and line numbers must stay exact.
#include "p21_helpers.h"

#include "nusk/ap242/all.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

constexpr size_t kBlock = 64u << 10;  // Scanner::kBlock

/// A construct to be cut by a block boundary: the statement text (line ends included) and the index in it of
/// the first byte of the next block.
struct Cut {
    std::string name;
    std::string text;
    size_t at;
};

class LargeFile {
public:
    LargeFile() {
        text_ = "ISO-10303-21;\r\nHEADER;\r\nFILE_DESCRIPTION(('large'),'2;1');\r\n"
                "FILE_NAME('big.stp','2026-01-01T00:00:00',('me'),('us'),'pre','orig','auth');\r\n"
                "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }'));\r\n"
                "ENDSEC;\r\nDATA;\r\n";
    }

    /// Appends filler instances, then blanks, so that the byte at `boundary` is the cut's byte `at`.
    void place(size_t boundary, const Cut& cut) {
        const size_t start = boundary - cut.at;
        for (;;) {
            const std::string filler = "#" + std::to_string(next_) + "=CARTESIAN_POINT('f" + std::to_string(next_) +
                                       "',(1.,2.,3.));\r\n";
            if (text_.size() + filler.size() > start) break;
            text_ += filler;
            ++next_;
            ++fillers_;
        }
        ASSERT_LE(text_.size(), start);
        text_.append(start - text_.size(), ' ');
        ASSERT_EQ(text_.size() + cut.at, boundary);
        text_ += cut.text;
    }
    void append(const std::string& s) { text_ += s; }
    void finish() { text_ += "ENDSEC;\r\nEND-ISO-10303-21;\r\n"; }
    /// The line the first occurrence of `what` stands on.
    uint32_t lineOf(const std::string& what) const {
        const size_t at = text_.find(what);
        EXPECT_NE(at, std::string::npos) << what;
        uint32_t line = 1;
        for (size_t i = 0; i < at; ++i) line += text_[i] == '\n';
        return line;
    }
    const std::string& text() const { return text_; }
    size_t fillers() const { return fillers_; }

private:
    std::string text_;
    uint32_t next_ = 100000;
    size_t fillers_ = 0;
};

/// Writes text to a file of its own, removed at the end of the test.
class TempFile {
public:
    explicit TempFile(const std::string& text) {
        path_ = (std::filesystem::temp_directory_path() /
                 ("mivo_blocks_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++) + ".stp"))
                    .string();
        std::ofstream out(path_, std::ios::binary);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    static inline int counter_ = 0;
};

Read readFile(const std::string& path) {
    nusk_ap242_schema();
    Read r;
    r.result = nusk_read_step(path.c_str());
    r.design.reset(r.result.design);
    return r;
}

/// Every construct, each cut by a block boundary where it is most likely to be misread.
std::vector<Cut> cuts() {
    std::vector<Cut> c;
    auto at = [](const std::string& text, const std::string& marker, size_t extra = 0) {
        const size_t i = text.find(marker);
        return i + extra;
    };
    std::string t;
    t = "#1=CARTESIAN_POINT('in the middle; of a /* string ( ',(1.,2.,3.));\r\n";
    c.push_back({"string", t, at(t, "middle")});
    t = "#2=CARTESIAN_POINT('it''s; a doubled quote',(4.,5.,6.));\r\n";
    c.push_back({"doubled quote", t, at(t, "''", 1)});
    t = "#3=CARTESIAN_POINT('closing quote last',(7.,8.,9.));\r\n";
    c.push_back({"closing quote", t, at(t, "',(")+ 1});
    t = "#4=CARTESIAN_POINT('c',/* a comment; with ' and ( */(1.,/*;*/2.,3.));\r\n";
    c.push_back({"comment", t, at(t, "with")});
    t = "#5=CARTESIAN_POINT('d',/* star | slash **/(1.,2.,3.));\r\n";
    c.push_back({"comment close", t, at(t, "**/", 2)});
    t = "#6=CARTESIAN_POINT('e',/* slash | star ; */(1.,2.,3.));\r\n";
    c.push_back({"comment open", t, at(t, "/* slash", 1)});
    t = "/* ; between statements ' */\r\n#7=CARTESIAN_POINT('g',(1.,2.,3.));\r\n";
    c.push_back({"comment between statements", t, at(t, "between")});
    t = "#8=CARTESIAN_POINT('h',(1.,2.,3.));\r\n";
    c.push_back({"CR | LF after a statement", t, t.size() - 1});
    t = "#9=CARTESIAN_POINT('i',(1.,2.,3.));\r\n\r\n\r\n";
    c.push_back({"CR | LF in blank lines", t, t.size() - 3});
    t = "#10=CARTESIAN_POINT('j',\r\n(1.,2.,3.));\r\n";
    c.push_back({"CR | LF inside a statement", t, at(t, "\r\n(", 1)});
    t = "#11=CARTESIAN_POINT('k',(1.,2.,3.));\r\n/* c */\r\n";
    c.push_back({"CR | LF before a comment", t, at(t, "\r\n/*", 1)});
    t = "#12=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI./* ( */,.METRE.));\r\n";
    c.push_back({"complex record, comment", t, at(t, "( */", 1)});
    t = "#13=(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.CENTI.,.METRE.));\r\n";
    c.push_back({"complex record, between partial records", t, at(t, "NAMED_UNIT", 3)});
    t = "#14=(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT((#12,#13))"
        "REPRESENTATION_CONTEXT('l(''/*',/* ' ) */'m)*/'));\r\n";
    c.push_back({"complex record, string", t, at(t, "'l(", 3)});
    t = "#15=CARTESIAN_POINT('n',(1.,2.,3.));";
    c.push_back({"statement ends at the block", t, t.size()});
    t = "\r\n#16=CARTESIAN_POINT('o',(1.,2.,3.));\r\n";
    c.push_back({"LF first in a block", t, 1});
    return c;
}

TEST(Part21BlockBoundaries, EveryConstructCutByABlockIsReadAsFromMemory) {
    LargeFile f;
    const std::vector<Cut> all = cuts();
    for (size_t i = 0; i < all.size(); ++i) f.place((i + 1) * kBlock, all[i]);
    // Deliberate errors after the last boundary: their lines must be exact.
    f.append("#20=CARTESIAN_POINT('p',(1.,2.,3.));\r\n");
    f.append("#21=CARTESIAN_POINT('bad',(1.,2.,3.) 'junk');\r\n");
    f.append("\r\n#22=DIRECTION('d',(0.,0.,1.));\r\n#23=GEOMETRIC_CURVE_SET('s',(#20,#99999999));\r\n");
    f.finish();
    ASSERT_GT(f.text().size(), all.size() * kBlock);

    TempFile file(f.text());
    Read fromFile = readFile(file.path());
    Read fromMemory = readText(f.text());
    for (const Read* r : {&fromFile, &fromMemory}) {
        const char* how = r == &fromFile ? "file" : "memory";
        ASSERT_NE(r->design, nullptr) << how;
        EXPECT_EQ(r->result.status, NuskReadStatus::errors) << how;
        // The two deliberate errors, nothing else.
        EXPECT_EQ(r->result.errorCount, 2u) << how;
        EXPECT_EQ(r->result.warningCount, 0u) << how;
        EXPECT_EQ(r->result.rawCount, 0u) << how;
        EXPECT_EQ(r->result.instanceCount, f.fillers() + 16 + 3) << how;
        bool sawBad = false, sawUndefined = false;
        for (const NuskReadMessage& m : r->result.messages) {
            if (m.instance == 21) {
                sawBad = true;
                EXPECT_EQ(m.line, f.lineOf("#21=")) << how << ": " << m.text;
            } else if (m.instance == 23) {
                sawUndefined = true;
                EXPECT_EQ(m.line, f.lineOf("#23=")) << how << ": " << m.text;
            } else {
                ADD_FAILURE() << how << ": unexpected message at line " << m.line << ": " << m.text;
            }
        }
        EXPECT_TRUE(sawBad && sawUndefined) << how;

        const char* names[] = {"in the middle; of a /* string ( ", "it's; a doubled quote", "closing quote last"};
        for (uint32_t id = 1; id <= 3; ++id) {
            auto* p = nusk_cast((*r)[id], nusktype_stp_cartesian_point);
            ASSERT_NE(p, nullptr) << how << " #" << id;
            EXPECT_STREQ(p->name(), names[id - 1]) << how;
            EXPECT_EQ(p->coordinates()->size(), 3u) << how;
        }
        for (uint32_t id = 4; id <= 11; ++id) {
            auto* p = nusk_cast((*r)[id], nusktype_stp_cartesian_point);
            ASSERT_NE(p, nullptr) << how << " #" << id;
            ASSERT_EQ(p->coordinates()->size(), 3u) << how << " #" << id;
            EXPECT_EQ(p->coordinates()->get(1), 2.0) << how << " #" << id;
        }
        EXPECT_NE(nusk_cast((*r)[15], nusktype_stp_cartesian_point), nullptr) << how;
        EXPECT_NE(nusk_cast((*r)[16], nusktype_stp_cartesian_point), nullptr) << how;
        auto* mm = nusk_cast((*r)[12], nusktype_stp_length_unit_and_si_unit);
        ASSERT_NE(mm, nullptr) << how;
        EXPECT_EQ(mm->prefix(), stp_si_prefix_milli) << how;
        auto* cm = nusk_cast((*r)[13], nusktype_stp_length_unit_and_si_unit);
        ASSERT_NE(cm, nullptr) << how;
        EXPECT_EQ(cm->prefix(), stp_si_prefix_centi) << how;
        ASSERT_NE((*r)[14], nullptr) << how;
        EXPECT_STREQ((*r)[14]->getString("context_identifier"), "l('/*") << how;
        EXPECT_STREQ((*r)[14]->getString("context_type"), "m)*/") << how;
        EXPECT_EQ(r->result.bytes, f.text().size()) << how;
    }
    EXPECT_EQ(compareDesigns(fromFile.design.get(), fromMemory.design.get()), "");
}

TEST(Part21BlockBoundaries, LineNumbersStayExactOverManyCrLfPairsCutByBlocks) {
    // Every boundary of a large file falls between a CR and its LF in the blanks between two statements.
    LargeFile f;
    for (size_t b = 1; b <= 6; ++b) {
        const std::string t = "#" + std::to_string(b) + "=CARTESIAN_POINT('x',(1.,2.,3.));\r\n";
        f.place(b * kBlock, {"CR | LF", t, t.size() - 1});
    }
    f.append("#7=CARTESIAN_POINT('x',(1.,2.,3.),);\r\n");  // an error: the record is not valid Part 21
    f.finish();
    TempFile file(f.text());
    for (bool inMemory : {false, true}) {
        Read r = inMemory ? readText(f.text()) : readFile(file.path());
        ASSERT_EQ(r.result.messages.size(), 1u) << inMemory;
        EXPECT_EQ(r.result.messages[0].instance, 7u) << inMemory;
        EXPECT_EQ(r.result.messages[0].line, f.lineOf("#7=")) << (inMemory ? "memory" : "file") << ": "
                                                              << r.result.messages[0].text;
    }
}

TEST(Part21BlockBoundaries, AStatementLongerThanABlock) {
    // One statement spanning several blocks, with strings and comments cut at each boundary.
    std::string big(3 * kBlock, 'a');
    for (size_t i = 0; i < big.size(); i += 997) big[i] = '\'', big.insert(i, 1, '\'');
    LargeFile f;
    f.append("#1=APPLICATION_CONTEXT('" + big + "'/* " + std::string(kBlock, '*') + " */);\r\n");
    f.append("#2=APPLICATION_CONTEXT('after');\r\n#3=APPLICATION_CONTEXT(#3);\r\n");
    f.finish();
    TempFile file(f.text());
    Read fromFile = readFile(file.path());
    Read fromMemory = readText(f.text());
    ASSERT_NE(fromFile.design, nullptr);
    ASSERT_NE(fromFile[1], nullptr);
    std::string expected;
    for (size_t i = 0; i < big.size(); ++i) {
        expected += big[i];
        if (big[i] == '\'') ++i;
    }
    EXPECT_EQ(std::string(fromFile[1]->getString("application")), expected);
    EXPECT_STREQ(fromFile[2]->getString("application"), "after");
    ASSERT_EQ(fromFile.result.messages.size(), 1u);
    EXPECT_EQ(fromFile.result.messages[0].line, f.lineOf("#3="));
    EXPECT_EQ(compareDesigns(fromFile.design.get(), fromMemory.design.get()), "");
}

TEST(Part21BlockBoundaries, AStatementLongerThanABlockInAFileOfSeveralMegabytes) {
    // A buffer grown for a long statement early in a large file keeps serving the blocks after it, and grows
    // again for a longer one late. Each statement is cut by several block boundaries; both read as from memory.
    LargeFile f;
    const std::string longList = [] {
        std::string list = "(";
        for (int i = 0; i < 40000; ++i) list += (i ? "," : "") + std::to_string(i) + ".5";
        return list + ")";
    }();
    f.append("#1=CARTESIAN_POINT('early'," + longList + ");\r\n");
    std::string filler;
    for (int i = 10; i < 130000; ++i) filler += "#" + std::to_string(i) + "=CARTESIAN_POINT('',(1.,2.,3.));\r\n";
    f.append(filler);
    f.append("#2=CARTESIAN_POINT('late'," + longList.substr(0, longList.size() - 1) + "," + longList.substr(1) +
             ");\r\n#3=APPLICATION_CONTEXT(#3);\r\n");
    f.finish();
    ASSERT_GT(f.text().size(), size_t(5) << 20);
    TempFile file(f.text());
    Read fromFile = readFile(file.path());
    Read fromMemory = readText(f.text());
    ASSERT_NE(fromFile.design, nullptr);
    for (uint32_t id : {1u, 2u}) {
        auto* p = nusk_cast(fromFile[id], nusktype_stp_cartesian_point);
        ASSERT_NE(p, nullptr) << id;
        const unsigned size = id == 1 ? 40000u : 80000u;  // the late one twice as long
        ASSERT_EQ(p->coordinates()->size(), size) << id;
        EXPECT_EQ(p->coordinates()->get(size - 1), 39999.5) << id;
        EXPECT_EQ(p->coordinates()->get(40000 % size), 0.5) << id;
    }
    ASSERT_EQ(fromFile.result.messages.size(), 1u);
    EXPECT_EQ(fromFile.result.messages[0].line, f.lineOf("#3="));
    EXPECT_EQ(compareDesigns(fromFile.design.get(), fromMemory.design.get()), "");
}

}  // namespace
