// mivo tree on structures that multiply: many roots above a sub-assembly that doubles at each level.
#include "../common/tool_run.h"
#include "assembly_records.h"

#include <gtest/gtest.h>

#include <algorithm>
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
