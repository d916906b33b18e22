// Designs that no CAD system writes but that a file can hold: products that contain themselves, links with
// nothing at their ends, representations in a cycle, chains deeper than any stack. Every pass and query ends
// on them, through the library and through the mivo commands, and what is written afterwards reads back whole.
#include "../asm/asm_helpers.h"
#include "../common/tool_run.h"
#include "exercise_design.h"

#include "mivo_tolerances.h"

#include "nusk/part21.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

/// The commands that read a design, with the arguments each needs; OUT is replaced by a file to write.
const std::vector<std::string> kCommands = {
    "info FILE",  "units FILE --json", "measures FILE --json", "contexts FILE --json", "props FILE --json",
    "tree FILE",  "tree FILE --json --unit as-is",     "cat FILE -o OUT",      "merge FILE -o OUT",
    "convert-units FILE -o OUT --length in --angle deg", "gdt FILE --json", "extract FILE --product PRODUCT -o OUT",
};

std::string replaced(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

/// Writes the design, runs every command on the file (extracting the product of that id), and reads back each
/// file a command wrote: every command ends with a status (0, or 1 for the read's own errors), and what it wrote
/// refers to nothing it lacks.
void expectEveryCommandEnds(NuskDesign& design, const std::string& name, const std::string& product) {
    const std::string file = testing::TempDir() + name + ".stp";
    ASSERT_TRUE(nusk_write_step(&design, file.c_str()).ok);
    const std::string out = testing::TempDir() + name + "-out.stp";
    for (const std::string& command : kCommands) {
        std::remove(out.c_str());
        const std::string args = replaced(replaced(replaced(command, "FILE", file), "OUT", out), "PRODUCT", product);
        const tool_run::ToolRun r = tool_run::run(MIVO_PATH, args);
        EXPECT_TRUE(r.status == 0 || r.status == 1) << command << ": status " << r.status << "\n" << r.err.substr(0, 2000);
        if (command.find("OUT") == std::string::npos) continue;
        NuskReadResult back = nusk_read_step(out.c_str());
        std::unique_ptr<NuskDesign> owned(back.design);
        EXPECT_EQ(back.status, NuskReadStatus::ok) << command;
        for (const NuskReadMessage& m : back.messages) ADD_FAILURE() << command << ": " << m.text;
    }
}

/// Every pass and query on the design; then it writes with no reference to anything outside it.
ExerciseReport expectEveryPassEnds(NuskDesign& design) {
    const ExerciseReport report = exerciseDesign(&design);
    EXPECT_TRUE(report.written);
    EXPECT_EQ(report.danglingAfterPasses, 0u);
    EXPECT_EQ(report.danglingInExtracts, 0u);
    EXPECT_GT(report.queries, 0u);
    return report;
}

/// The nodes of a tree that are marked as containing themselves.
size_t cycles(const std::vector<MivoAsmTreeNode>& tree) {
    size_t n = 0;
    for (const MivoAsmTreeNode& node : tree) n += node.cycle ? 1 : 0;
    return n;
}

TEST(HostileDesigns, AProductThatIsItsOwnAncestor) {
    struct Way {
        const char* name;
        void (*link)(AsmFixture&, const AsmFixture::Product&, const AsmFixture::Product&);
    };
    const Way ways[] = {
        {"usages", [](AsmFixture& f, const AsmFixture::Product& p, const AsmFixture::Product& c) { f.useByRelationship(p, c); }},
        {"usage-mapped-items", [](AsmFixture& f, const AsmFixture::Product& p, const AsmFixture::Product& c) { f.useByMappedItem(p, c); }},
        {"mapped-items", [](AsmFixture& f, const AsmFixture::Product& p, const AsmFixture::Product& c) { f.mapInto(p, c); }},
        {"relationships", [](AsmFixture& f, const AsmFixture::Product& p, const AsmFixture::Product& c) { f.linkShapes(p.shape, c.shape); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        AsmFixture f;
        const AsmFixture::Product a = f.product("A"), b = f.product("B"), c = f.product("C");
        way.link(f, a, b);
        way.link(f, b, c);
        way.link(f, c, a);  // A contains B contains C contains A
        way.link(f, a, a);  // and A contains itself directly
        f.tag();
        const std::vector<MivoAsmTreeNode> tree = mivo_get_product_tree(a.pd, nuskunit_mm);
        ASSERT_FALSE(tree.empty());
        EXPECT_LT(tree.size(), 20u);
        EXPECT_GE(cycles(tree), 2u);  // A below C, and A below itself
        for (const MivoAsmTreeNode& node : tree)
            if (node.cycle) {
                EXPECT_EQ(node.product, a.pd);
            }
        expectEveryPassEnds(f.design);
        expectEveryCommandEnds(f.design, std::string("own-ancestor-") + way.name, "B");
    }
}

TEST(HostileDesigns, LinksWithNothingAtTheirEnds) {
    AsmFixture f;
    const AsmFixture::Product parent = f.product("parent"), child = f.product("child");
    const AsmFixture::Product noShape = f.product("no shape", nuskunit_mm, false);
    // A usage relationship whose ends are empty selects, and one that names representations of no product.
    AsmFixture::Usage u = f.useByRelationship(parent, child);
    u.rel->rep_1(new (&f.design) stp_representation_or_representation_reference());
    f.useByRelationship(parent, noShape);
    // A relationship without transformation, and one without representations at all.
    f.plainRelationship(parent.shape, child.shape);
    auto* empty = new (&f.design) stp_shape_representation_relationship();
    empty->name("");
    // A mapped item without source, one whose map shows nothing, one without target.
    auto* bare = new (&f.design) stp_mapped_item();
    bare->name("");
    f.addItem(parent.shape, bare);
    stp_mapped_item* blind = f.mapInto(parent, child);
    blind->mapping_source()->mapped_representation(nullptr);
    stp_mapped_item* aimless = f.mapInto(parent, child);
    aimless->mapping_target(nullptr);
    // A usage with neither product, and a context dependent shape representation with no relationship.
    auto* lonely = new (&f.design) stp_next_assembly_usage_occurrence();
    lonely->id("lonely");
    f.cdsr(nullptr, f.propertyOf(lonely));
    // Representations without context and without items.
    auto* bareRep = new (&f.design) stp_shape_representation();
    bareRep->name("bare");
    f.shapeOf(f.propertyOf(f.product("bare", nuskunit_mm, false).pd), bareRep);
    f.tag();
    EXPECT_FALSE(mivo_get_product_tree(parent.pd, nuskunit_length_cb1).empty());
    for (auto* rel : {u.rel, empty}) {
        const NuskXform x = mivo_get_shape_usage_xform(rel, nuskunit_mm), identity;
        for (int i = 0; i < 16; ++i) EXPECT_EQ(x[i], identity[i]) << i;  // no link: the identity
    }
    expectEveryPassEnds(f.design);
    expectEveryCommandEnds(f.design, "links-without-ends", "parent");
}

TEST(HostileDesigns, RepresentationRelationshipsInACycle) {
    AsmFixture f;
    const AsmFixture::Product top = f.product("top"), part = f.product("part");
    stp_shape_representation* r1 = f.shape(nuskunit_mm, "r1");
    stp_shape_representation* r2 = f.shape(nuskunit_length_cb1, "r2");
    stp_shape_representation* r3 = f.shape(nuskunit_m, "r3");
    f.linkShapes(top.shape, r1);
    f.linkShapes(r1, r2);
    f.linkShapes(r2, r3);
    f.linkShapes(r3, r1);  // r1, r2, r3 in a ring, owned by no product
    f.linkShapes(r3, part.shape);
    f.mappedItem(r2, r1, f.placement(r1), f.placement(r2));  // and a mapped item back into the ring
    f.tag();
    const std::vector<MivoAsmTreeNode> tree = mivo_get_product_tree(top.pd, nuskunit_mm);
    ASSERT_EQ(tree.size(), 2u);  // the part, reached through the ring once
    EXPECT_EQ(tree[1].product, part.pd);
    expectEveryPassEnds(f.design);
    expectEveryCommandEnds(f.design, "representation-ring", "top");
}

TEST(HostileDesigns, CommonDatumsNestedPastTheLimitAndInACycle) {
    AsmFixture f;
    const AsmFixture::Product part = f.product("part");
    std::vector<stp_datum*> datums;
    for (const char* label : {"A", "B", "C", "D", "E", "F", "G", "H", "J"}) {
        auto* d = new (&f.design) stp_datum();
        d->name(label);
        d->identification(label);
        d->of_shape(part.pds);
        d->product_definitional(0);
        datums.push_back(d);
    }
    // A-(B-(C-(D-...))): each second datum added to an element makes that element a common datum a level deeper.
    stp_geometric_tolerance* deep = mivo_make_tolerance(&f.design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS);
    mivo_tol_put_pds(deep, part.pds);
    stp_general_datum_reference* compartment = mivo_tol_add_common_datum(deep, datums[0], datums[1]);
    stp_general_datum_reference* element = mivo_tol_get_datum_ref(compartment, 1u);
    for (size_t i = 2; i < datums.size() && element; ++i) element = mivo_tol_add_datum(element, datums[i]);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(mivo_tol_get_datum_ref(deep, "J"), nullptr);  // below the search limit
    // A common datum whose second element lists itself.
    stp_geometric_tolerance* ring = mivo_make_tolerance(&f.design, MIVO_TOL_POSITION | MIVO_TOL_WITH_DATUMS);
    mivo_tol_put_pds(ring, part.pds);
    stp_general_datum_reference* common = mivo_tol_add_common_datum(ring, datums[0], datums[1]);
    stp_general_datum_reference* eb = mivo_tol_get_datum_ref(common, 1u);
    auto* loop = new (&f.design) ListOfstp_datum_reference_element();
    loop->add(nusk_cast(eb, nusktype_stp_datum_reference_element));
    eb->base()->_common_datum_list(loop);
    EXPECT_EQ(mivo_tol_get_datum_ref(ring, "C"), nullptr);
    f.tag();
    expectEveryCommandEnds(f.design, "common-datums", "part");
    // The labels end at the search limit and where the ring closes, marked as not followed.
    const tool_run::ToolRun gdt = tool_run::run(MIVO_PATH, "gdt " + testing::TempDir() + "common-datums.stp");
    EXPECT_NE(gdt.out.find("datums: A-B-C-D-E-?"), std::string::npos) << gdt.out;
    EXPECT_NE(gdt.out.find("datums: A-?"), std::string::npos) << gdt.out;
    expectEveryPassEnds(f.design);
}

// Chains deeper than any call stack: what walks them must not recurse per level.
constexpr unsigned kDeep = 100000;

TEST(HostileDesigns, AChainOfUsagesAHundredThousandDeep) {
    AsmFixture f;
    std::vector<AsmFixture::Product> chain;
    chain.reserve(kDeep + 1);
    for (unsigned i = 0; i <= kDeep; ++i) chain.push_back(f.product("level", nuskunit_mm, false));
    for (unsigned i = 0; i < kDeep; ++i) f.nauo(chain[i], chain[i + 1]);
    f.tag();
    StpAsmProductDefVec roots;
    mivo_find_root_products(&roots, &f.design);
    ASSERT_EQ(roots.size(), 1u);
    const std::vector<MivoAsmTreeNode> tree = mivo_get_product_tree(roots.get(0), nuskunit_mm);
    ASSERT_EQ(tree.size(), kDeep + 1);
    EXPECT_EQ(tree.back().depth, kDeep);
    EXPECT_EQ(cycles(tree), 0u);
    f.nauo(chain[kDeep], chain[0]);  // and closed into a ring
    f.tag();
    expectEveryPassEnds(f.design);
    expectEveryCommandEnds(f.design, "usage-chain", "level");
}

TEST(HostileDesigns, AChainOfMappedItemsAHundredThousandDeep) {
    AsmFixture f;
    const AsmFixture::Product top = f.product("top"), leaf = f.product("leaf");
    // One placement serves every map: the chain costs three instances a level.
    stp_axis2_placement_3d* at = f.placement(nullptr);
    stp_representation* above = top.shape;
    for (unsigned i = 0; i < kDeep; ++i) {
        stp_shape_representation* rep = f.shape(nuskunit_mm, "level");
        f.mappedItem(above, rep, at, at);
        above = rep;
    }
    f.mappedItem(above, leaf.shape, at, at);
    f.tag();
    const std::vector<MivoAsmTreeNode> tree = mivo_get_product_tree(top.pd, nuskunit_mm);
    ASSERT_EQ(tree.size(), 2u);  // the leaf, placed through every level
    EXPECT_EQ(tree[1].product, leaf.pd);
    f.mappedItem(above, top.shape, at, at);  // the bottom shows the top again: a ring of 100,001 maps
    expectEveryPassEnds(f.design);
    expectEveryCommandEnds(f.design, "mapped-item-chain", "top");
}

}  // namespace
