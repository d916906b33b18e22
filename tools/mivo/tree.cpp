// mivo tree: the product tree of a file from each root product (and from the products no root reaches), each
// usage with the child it places and its placement, and the shapes that belong to no product.
#include "commands.h"
#include "json.h"
#include "printable.h"
#include "reading.h"
#include "table.h"

#include "mivo_assemblies.h"
#include "mivo_properties.h"

#include "nusk/ap242/all.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

namespace mivo_tool {

namespace {

const char kAsIs[] = "as-is";
/// Deeper levels are indented as this one, their depth written out instead.
constexpr unsigned kIndentedLevels = 32;

/// The length units the tool accepts by their short names, as-is last.
std::vector<std::pair<std::string, NuskUnit>> lengthUnits() {
    std::vector<std::pair<std::string, NuskUnit>> units;
    for (int code = 0; code <= NUSK_UNIT_MAX; ++code) {
        const auto unit = static_cast<NuskUnit>(code);
        const char* name = nusk_get_measure_type(unit) == nuskmeasure_length ? nusk_get_unit_name(unit) : nullptr;
        if (name) units.emplace_back(name, unit);
    }
    units.emplace_back(kAsIs, nuskunit_as_is);
    return units;
}

std::string text(const char* s) { return s ? s : ""; }

struct ProductText {
    std::string id, name;
};

ProductText productText(stp_product_definition* pd) {
    stp_product_definition_formation* formation = pd ? pd->formation() : nullptr;
    stp_product* product = formation ? formation->of_product() : nullptr;
    return product ? ProductText{text(product->id()), text(product->name())} : ProductText{};
}

unsigned idOf(NuskObject* obj) { return obj ? obj->entity_id() : 0u; }

/// The indentation of a line of the text: deeper levels than kIndentedLevels say their depth.
std::string indent(unsigned depth) {
    std::string pad(2 * std::min(depth, kIndentedLevels), ' ');
    if (depth > kIndentedLevels) pad += "(depth " + std::to_string(depth) + ") ";
    return pad;
}

/// The indentation of a line of the JSON: whitespace only, which JSON allows between values, no deeper than
/// the text's; the nesting itself tells the depth.
std::string jsonIndent(unsigned level) { return std::string(2 * std::min(level, kIndentedLevels), ' '); }

/// A number for reading: ten significant digits (what unit conversions leave in the last digits is not shown),
/// noise around zero shown as 0. The JSON gives every digit.
std::string shortNumber(double v) {
    if (std::fabs(v) < 1e-12) return "0";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

std::string triple(const NuskXform& x, int at) {
    return "(" + shortNumber(x[at]) + ", " + shortNumber(x[at + 1]) + ", " + shortNumber(x[at + 2]) + ")";
}

std::string unitName(NuskUnit unit) {
    const char* name = nusk_get_unit_name(unit);
    return name ? name : "";
}

std::string describeProduct(const MivoAsmTreeNode& node) {
    const ProductText p = productText(node.product);
    std::string out = p.id;
    Json::string(out.append(" "), p.name);
    return out + " (#" + std::to_string(idOf(node.product)) + ")";
}

/// How the node is placed in its parent, before the child: the usage and the link that realises it.
std::string describeUse(const MivoAsmUse& use) {
    std::string out;
    if (use.nauo) {
        out = "usage #" + std::to_string(idOf(use.nauo)) + " ";
        Json::string(out, text(use.nauo->id()));
        out += use.link ? " via #" + std::to_string(idOf(use.link)) : " (not placed)";
    } else {
        const bool mapped = use.link && use.link->isa(nusktype_stp_mapped_item);
        out = std::string(mapped ? "mapped item #" : "link #") + std::to_string(idOf(use.link));
    }
    return out;
}

using Tree = std::vector<MivoAsmTreeNode>;

/// Where the trees go as they are made: each one is written out and dropped before the next is made.
class TreeSink {
public:
    virtual ~TreeSink() = default;
    virtual void beginRoots() = 0;
    /// Before the first tree of a product that no root reaches; not called when there is none.
    virtual void beginUnreached() = 0;
    virtual void tree(const Tree& tree) = 0;
    virtual void end(const std::vector<unsigned>& loose) = 0;
};

/// The nodes the whole command lists: the limit of one tree bounds what a file of few usages can make one
/// tree hold, and this bounds what many such trees make together. Each tree gets at least its product, so no
/// root is left out.
class NodeBudget {
public:
    size_t forNextTree() const { return std::max<size_t>(left_, 1); }
    void spend(size_t nodes) { left_ -= std::min(left_, nodes); }

private:
    size_t left_ = MIVO_ASM_TREE_MAX_NODES;
};

/// The trees the tool shows: from each root product, then from each product that no root reaches although
/// something makes it a child: every product above it lies in a cycle of usages (A in B in A, a product inside
/// itself), or what places it belongs to no product. Without the second kind, such products and everything
/// below them would be missing from the output.
void showProductTrees(NuskDesign* design, NuskUnit unit, TreeSink& sink) {
    NodeBudget budget;
    std::unordered_set<const NuskObject*> shown;
    auto show = [&](stp_product_definition* product) {
        const Tree tree = mivo_get_product_tree(product, unit, budget.forNextTree());
        budget.spend(tree.size());
        for (const MivoAsmTreeNode& node : tree) shown.insert(node.product);
        sink.tree(tree);
    };
    StpAsmProductDefVec roots;
    mivo_find_root_products(&roots, design);
    sink.beginRoots();
    for (unsigned i = 0; i < roots.size(); ++i) show(roots.get(i));
    // In the design's order: the first product of a cycle that the file defines starts its tree.
    bool anyUnreached = false;
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_product_definition)) {
        auto* product = nusk_cast(obj, nusktype_stp_product_definition);
        if (!product || shown.count(product)) continue;
        if (!anyUnreached) sink.beginUnreached();
        anyUnreached = true;
        show(product);
    }
}

void printTreeText(const Tree& tree) {
    for (const MivoAsmTreeNode& node : tree) {
        if (node.depth == 0) {
            std::printf("%s\n", printable(describeProduct(node)).c_str());
            continue;
        }
        std::string line = indent(node.depth) + describeUse(node.use) + ": " + describeProduct(node);
        line += " at " + triple(node.use.xform, 12) + " " + unitName(node.use.unit) + ", x " +
                triple(node.use.xform, 0) + ", z " + triple(node.use.xform, 8);
        if (node.cycle) line += " [cycle: used inside itself, not followed]";
        std::printf("%s\n", printable(line).c_str());
    }
}

class TextSink : public TreeSink {
public:
    explicit TextSink(const std::string& unit) : unit_(unit) {}
    void beginRoots() override {
        std::printf("product tree, origins in %s\n", unit_ == kAsIs ? "each child's own unit" : unit_.c_str());
    }
    void beginUnreached() override { std::printf("products that no root reaches:\n"); }
    void tree(const Tree& tree) override { printTreeText(tree); }
    void end(const std::vector<unsigned>& loose) override {
        std::string shapes;
        for (unsigned id : loose) shapes += (shapes.empty() ? "#" : ", #") + std::to_string(id);
        std::printf("shapes without product: %s\n", shapes.empty() ? "none" : shapes.c_str());
    }

private:
    std::string unit_;
};

void xformJson(std::string& out, const NuskXform& x) {
    out += '[';
    for (int i = 0; i < 16; ++i) {
        if (i) out += ", ";
        Json::number(out, x[i]);
    }
    out += ']';
}

void idOrNull(std::string& out, NuskObject* obj) { out += obj ? std::to_string(idOf(obj)) : "null"; }

/// Written out whenever this much JSON has gathered, so that a tree's text is never held whole.
constexpr size_t kJsonChunk = 1 << 16;

/// One tree as nested JSON nodes, written from the flat depth-first list without recursion. `out` starts with
/// what comes before the tree, and is written to standard output a chunk at a time; what is left stays in it.
void treeJson(std::string& out, const std::vector<MivoAsmTreeNode>& tree) {
    struct Open {
        unsigned depth;
        size_t children;
    };
    std::vector<Open> open;
    auto close = [&]() {
        out += open.back().children ? "\n" + jsonIndent(open.back().depth + 2) + "]}" : "]}";
        if (open.back().depth > 0) out += '}';
        open.pop_back();
    };
    for (const MivoAsmTreeNode& node : tree) {
        if (out.size() >= kJsonChunk) {
            std::fputs(out.c_str(), stdout);
            out.clear();
        }
        while (!open.empty() && open.back().depth >= node.depth) close();
        if (node.depth > 0 && !open.empty()) {
            out += open.back().children++ ? ",\n" : "\n";
            out += jsonIndent(node.depth + 2) + "{\"usage\": ";
            idOrNull(out, node.use.nauo);
            out += ", \"usage_id\": ";
            if (node.use.nauo)
                Json::string(out, text(node.use.nauo->id()));
            else
                out += "null";
            out += ", \"link\": ";
            idOrNull(out, node.use.link);
            out += ", \"xform\": ";
            xformJson(out, node.use.xform);
            out += ", \"world\": ";
            xformJson(out, node.world);
            out += ", \"node\": ";
        }
        const ProductText p = productText(node.product);
        out += "{\"entity\": " + std::to_string(idOf(node.product)) + ", \"product\": ";
        Json::string(out, p.id);
        out += ", \"name\": ";
        Json::string(out, p.name);
        if (node.cycle) out += ", \"cycle\": true";
        out += ", \"children\": [";
        open.push_back({node.depth, 0});
    }
    while (!open.empty()) close();
}

/// The JSON document, written a tree at a time: the lists of trees are opened and closed around them.
class JsonSink : public TreeSink {
public:
    explicit JsonSink(const std::string& unit) : unit_(unit) {}
    void beginRoots() override {
        std::string out = "{\n";
        Json::key(out, "unit", true);
        Json::string(out, unit_);
        Json::key(out, "roots");
        out += '[';
        write(out);
    }
    void beginUnreached() override {
        closeList();
        inUnreached_ = true;
        openUnreached();
    }
    void tree(const Tree& tree) override {
        std::string out = treesInList_++ ? ",\n    " : "\n    ";
        treeJson(out, tree);
        write(out);
    }
    void end(const std::vector<unsigned>& loose) override {
        closeList();
        if (!inUnreached_) {
            openUnreached();
            closeList();
        }
        std::string out;
        Json::key(out, "shapes_without_product");
        out += '[';
        for (size_t i = 0; i < loose.size(); ++i) out += (i ? ", " : "") + std::to_string(loose[i]);
        out += "]\n}\n";
        write(out);
    }

private:
    static void write(const std::string& text) { std::fputs(text.c_str(), stdout); }
    void openUnreached() {
        std::string out;
        Json::key(out, "reached_from_no_root");
        out += '[';
        write(out);
    }
    void closeList() {
        write(treesInList_ ? "\n  ]" : "]");
        treesInList_ = 0;
    }

    std::string unit_;
    size_t treesInList_ = 0;
    bool inUnreached_ = false;
};

}  // namespace

std::string treeUnitProblem(const std::string& unit) {
    std::string accepted;
    for (const auto& u : lengthUnits()) {
        if (u.first == unit) return "";
        accepted += (accepted.empty() ? "" : ", ") + u.first;
    }
    return "unknown length unit '" + unit + "' (accepted: " + accepted + ")";
}

int runTree(const FileCommand& command) {
    const std::string unitName = command.unit.empty() ? "mm" : command.unit;
    NuskUnit unit = nuskunit_mm;
    for (const auto& u : lengthUnits())
        if (u.first == unitName) unit = u.second;
    return listTaggedDesign(command, [&](NuskDesign* design) {
        mivo_tag_props(design);
        mivo_tag_asms(design);
        TextSink text(unitName);
        JsonSink json(unitName);
        TreeSink& sink = command.json ? static_cast<TreeSink&>(json) : text;
        showProductTrees(design, unit, sink);
        StpAsmShapeRepVec shapes;
        mivo_find_shapes_wo_product(&shapes, design);
        std::vector<unsigned> loose;
        for (unsigned i = 0; i < shapes.size(); ++i) loose.push_back(idOf(shapes.get(i)));
        sink.end(loose);
    });
}

}  // namespace mivo_tool
