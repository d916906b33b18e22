// mivo tree on large structures: deep chains, and many roots above a sub-assembly that doubles at each level.
#include "../common/tool_run.h"
#include "assembly_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using tool_run::has;
using tool_run::mivo;
using tool_run::ToolRun;
using tool_run::writeFile;

/// The most nodes the tool lists for a whole file.
constexpr size_t kToolNodeLimit = 1000000;

/// The test assembly with products L0 to L`levels`, each used twice in the one above it, and `roots` products
/// R0, R1, ... that each use L0 once. Gives the instance numbers of the roots' definitions.
std::string doublingFile(int levels, int roots, std::vector<int>& rootIds) {
    std::string records = MIVO_TEST_ASSEMBLY_RECORDS;
    int next = 100;
    auto product = [&](const std::string& id) {
        records += productRecords(next, id, id);
        next += 3;
        return next - 1;
    };
    auto use = [&](int parent, int child, const std::string& id) {
        records += "#" + std::to_string(next++) + "=NEXT_ASSEMBLY_USAGE_OCCURRENCE('" + id + "','','',#" +
                   std::to_string(parent) + ",#" + std::to_string(child) + ",$);\n";
    };
    std::vector<int> level;
    for (int i = 0; i <= levels; ++i) level.push_back(product("L" + std::to_string(i)));
    for (int i = 0; i < levels; ++i) {
        use(level[i], level[i + 1], "a" + std::to_string(i));
        use(level[i], level[i + 1], "b" + std::to_string(i));
    }
    for (int r = 0; r < roots; ++r) {
        rootIds.push_back(product("R" + std::to_string(r)));
        use(rootIds.back(), level[0], "r" + std::to_string(r));
    }
    return records + "ENDSEC;\nEND-ISO-10303-21;\n";
}

/// Whether `text` is one JSON value and nothing else but whitespace: enough of a parser to catch stray text.
class JsonChecker {
public:
    explicit JsonChecker(const std::string& text) : s_(text) {}
    bool valid() {
        const bool ok = value();
        space();
        return ok && at_ == s_.size();
    }

private:
    void space() {
        while (at_ < s_.size() && std::strchr(" \t\r\n", s_[at_])) ++at_;
    }
    bool take(char c) {
        space();
        if (at_ >= s_.size() || s_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool word(const char* w) {
        const size_t n = std::strlen(w);
        if (s_.compare(at_, n, w) != 0) return false;
        at_ += n;
        return true;
    }
    bool string() {
        if (!take('"')) return false;
        while (at_ < s_.size() && s_[at_] != '"') at_ += s_[at_] == '\\' ? 2 : 1;
        return at_++ < s_.size();
    }
    bool number() {
        const char* start = s_.c_str() + at_;
        char* end = nullptr;
        std::strtod(start, &end);
        at_ += static_cast<size_t>(end - start);
        return end != start;
    }
    bool members(char close, bool keyed) {
        if (take(close)) return true;
        do {
            if (keyed && !(string() && take(':'))) return false;
            if (!value()) return false;
        } while (take(','));
        return take(close);
    }
    bool value() {
        space();
        if (at_ >= s_.size()) return false;
        switch (s_[at_]) {
        case '{': ++at_; return members('}', true);
        case '[': ++at_; return members(']', false);
        case '"': return string();
        case 't': return word("true");
        case 'f': return word("false");
        case 'n': return word("null");
        default: return number();
        }
    }

    const std::string& s_;
    size_t at_ = 0;
};

TEST(MivoTreeDepth, TheJsonOfADeepTreeIsValidAndItsIndentationStopsGrowing) {
    // Forty levels, each product used once in the one above: the text shows the depth past level 32, the JSON
    // only indents, and never deeper than the text does.
    std::string chain;
    int previous = 12;  // the top assembly
    for (int i = 0; i < 40; ++i) {
        const int id = 300 + 4 * i;
        chain += productRecords(id, "d" + std::to_string(i), "D") + "#" + std::to_string(id + 3) +
                 "=NEXT_ASSEMBLY_USAGE_OCCURRENCE('u" + std::to_string(i) + "','','',#" + std::to_string(previous) +
                 ",#" + std::to_string(id + 2) + ",$);\n";
        previous = id + 2;
    }
    const std::string deep =
        writeFile("tree-deep.stp", MIVO_TEST_ASSEMBLY_RECORDS + chain + "ENDSEC;\nEND-ISO-10303-21;\n");
    const ToolRun text = mivo("tree " + deep);
    EXPECT_TRUE(has(text.out, "\n" + std::string(64, ' ') + "(depth 40) usage #459 \"u39\"")) << text.out;

    const ToolRun json = mivo("tree " + deep + " --json");
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_TRUE(JsonChecker(json.out).valid()) << json.out;
    EXPECT_FALSE(has(json.out, "(depth")) << json.out;
    EXPECT_TRUE(has(json.out, "\n" + std::string(64, ' ') + "{\"usage\": 459, \"usage_id\": \"u39\"")) << json.out;
    EXPECT_FALSE(has(json.out, std::string(65, ' '))) << json.out;
}

TEST(MivoTreeLimits, TheRootsOfAFileShareOneLimitOnTheNodesListed) {
    // Each root's tree alone is 2^20 nodes: the first tree fills the limit, and every further root is listed
    // by its product alone, instead of the command making (and holding) a full tree for each.
    std::vector<int> roots;
    const std::string file = writeFile("tree-many-roots.stp", doublingFile(19, 3, roots));
    const ToolRun text = mivo("tree " + file);
    EXPECT_EQ(text.status, 0) << text.err;
    // The limit, a line for each root listed after it, the heading and the shapes.
    EXPECT_EQ(static_cast<size_t>(std::count(text.out.begin(), text.out.end(), '\n')), kToolNodeLimit + 2 + 2);
    const std::string r1 = std::to_string(roots[1]), r2 = std::to_string(roots[2]);
    EXPECT_TRUE(has(text.out, "\nR1 \"R1\" (#" + r1 + ")\nR2 \"R2\" (#" + r2 + ")\nshapes without product: none\n"));
    EXPECT_TRUE(has(text.err, "Product tree of #" + std::to_string(roots[0]) + " stops at 999997 nodes")) << text.err;
    EXPECT_TRUE(has(text.err, "Product tree of #" + r2 + " stops at 1 nodes")) << text.err;

    const ToolRun json = mivo("tree " + file + " --json");
    EXPECT_EQ(json.status, 0);
    EXPECT_TRUE(has(json.out, ",\n    {\"entity\": " + r2 + ", \"product\": \"R2\", \"name\": \"R2\", \"children\": []}\n  ],\n"
                              "  \"reached_from_no_root\": [],\n"));
    EXPECT_EQ(json.out.substr(json.out.size() - 4), "]\n}\n");
}

}  // namespace
