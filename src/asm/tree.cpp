// The product tree: the children of a product with the links that place them, and the placement of every node
// relative to the root. Placements are composed in millimetres and given in the unit asked for at the end.
#include "attributes.h"
#include "referrers.h"

#include "mivo_assemblies.h"
#include "mivo_contexts.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>

using namespace mivo_asm;

namespace {

NuskXform compose(const NuskXform& a, const NuskXform& b) {
    NuskXform x;
    nusk_xform_compose(x.data(), a.data(), b.data());
    return x;
}

bool holdsProduct(const MivoMgrAsmShapeRep* m, stp_product_definition* product) {
    for (unsigned i = 0; m && i < m->products.size(); ++i)
        if (m->products.get(i) == product) return true;
    return false;
}

/// The links below a representation: its relationships, then its mapped items.
std::vector<NuskObject*> linksBelow(stp_representation* rep) {
    std::vector<NuskObject*> out;
    const MivoMgrAsmShapeRep* m = MivoMgrAsmShapeRep::find(rep);
    if (!m) return out;
    for (unsigned i = 0; i < m->child_rels.size(); ++i) out.push_back(m->child_rels.get(i));
    for (unsigned i = 0; i < m->child_mapped_items.size(); ++i) out.push_back(m->child_mapped_items.get(i));
    return out;
}

/// The unit a node's origins are given in: the unit asked for when it is a length unit; for nuskunit_as_is and
/// nuskunit_unknown the length unit of the node's shape, millimetres when that is unknown.
NuskUnit outputUnit(NuskUnit asked, stp_representation* shape) {
    if (nusk_get_measure_type(asked) == nuskmeasure_length) return asked;
    if (asked == nuskunit_as_is || asked == nuskunit_unknown) {
        const NuskUnit own = mivo_get_context_length_unit(shape);
        if (nusk_get_measure_type(own) == nuskmeasure_length) return own;
    }
    return nuskunit_mm;
}

/// The origin of a transform in millimetres moved into `unit`.
void originInto(NuskXform& x, NuskUnit unit) { nusk_vec_put_as_unit(&x[12], &x[12], unit, nuskunit_mm); }

stp_representation* firstShape(stp_product_definition* product) {
    const MivoMgrAsmProduct* m = MivoMgrAsmProduct::find(product);
    return m && m->shapes.size() ? m->shapes.get(0) : nullptr;
}

/// A use as found, before its placement is put into the unit asked for.
struct FoundUse {
    MivoAsmUse use;                    // xform in millimetres
    stp_representation* shape = nullptr;  // the child's shape the link reaches, when it has one
};

class ChildFinder {
public:
    ChildFinder(NuskDesign* design, Referrers::Mode mode) : referrers_(design, mode) {}

    /// mivo_get_transform(link, nuskunit_mm), with the length unit of each representation read once.
    NuskXform placementMm(const MivoMgrAsmRelation* link) {
        const NuskUnit childUnit = unitOf(link->child_rep);
        NuskXform x = mivo_get_transform(link->origin, link->target, unitOf(link->parent_rep), childUnit);
        if (childUnit != nuskunit_mm) nusk_vec_put_as_unit(&x[12], &x[12], nuskunit_mm, childUnit);
        return x;
    }

    /// The uses of products directly in `parent`, placements in millimetres. The links without a usage add uses
    /// only while there are fewer than `maxUses`: a lattice of representations places a product along as many
    /// paths as the lattice has, 2^40 from 40 levels of two mapped items each.
    std::vector<FoundUse> childrenOf(stp_product_definition* parent, size_t maxUses) {
        std::vector<FoundUse> out;
        const MivoMgrAsmProduct* m = MivoMgrAsmProduct::find(parent);
        if (!m) return out;
        for (unsigned i = 0; i < m->child_nauos.size(); ++i) usesOfUsage(m->child_nauos.get(i), out);
        for (unsigned i = 0; i < m->shapes.size(); ++i) {
            if (!usesWithoutUsage(m->shapes.get(i), maxUses, out)) {
                NUSK.error("Children of #%u stop at %zu uses: its shapes place products along more paths than that",
                           idOf(parent), maxUses);
                break;
            }
        }
        return out;
    }

private:
    /// The uses an assembly usage gives: one per link that realises it (a relationship named by a context
    /// dependent shape representation, or a mapped item of the usage's own shape), each followed down to the
    /// child's shape; one unplaced use when it has none.
    void usesOfUsage(stp_next_assembly_usage_occurrence* nauo, std::vector<FoundUse>& out) {
        stp_product_definition* child = mivo_get_related_pdef(nauo);
        if (!child) return;
        const size_t before = out.size();
        for (NuskObject* pds : referrers_.of(nauo, Ref::propertyOfDefinition)) {
            for (NuskObject* obj : referrers_.of(pds, Ref::dependentShapeOfProperty)) {
                auto* cdsr = nusk_cast(obj, nusktype_stp_context_dependent_shape_representation);
                addUsageLink(cdsr ? cdsr->representation_relation() : nullptr, nauo, child, out);
            }
            for (NuskObject* obj : referrers_.of(pds, Ref::shapeDefinitionOfProperty)) {
                auto* sdr = nusk_cast(obj, nusktype_stp_property_definition_representation);
                for (NuskObject* item : linksOfItems(sdr ? sdr->used_representation() : nullptr))
                    addUsageLink(item, nauo, child, out);
            }
        }
        if (out.size() == before) out.push_back({{child, nauo, nullptr, NuskXform(), nuskunit_mm}, firstShape(child)});
    }

    static std::vector<NuskObject*> linksOfItems(const NuskObject* rep) {
        std::vector<NuskObject*> out;
        forEachItem(rep, [&](NuskObject* item) {
            if (item->isa(nusktype_stp_mapped_item)) out.push_back(item);
        });
        return out;
    }

    /// The length unit of a representation's context, read once per context: the many shapes of one context
    /// follow one another, so the last context asked about is answered without a lookup.
    NuskUnit unitOf(stp_representation* rep) {
        stp_representation_context* context = rep ? rep->context_of_items() : nullptr;
        if (context == lastContext_ && haveLast_) return lastUnit_;
        auto found = units_.find(context);
        if (found == units_.end()) found = units_.emplace(context, mivo_get_context_length_unit(context)).first;
        lastContext_ = context;
        lastUnit_ = found->second;
        haveLast_ = true;
        return lastUnit_;
    }

    /// A link of the usage, followed down through the links of the same usage until the child's shape. A link
    /// that reaches no representation (a mapped item without its map, a map that shows nothing) places nothing.
    void addUsageLink(NuskObject* linked, stp_next_assembly_usage_occurrence* nauo, stp_product_definition* child,
                      std::vector<FoundUse>& out) {
        const MivoMgrAsmRelation* link = MivoMgrAsmRelation::find(linked);
        if (!link || link->nauo != nauo || !link->child_rep) return;
        NuskXform x = placementMm(link);
        NuskObject* last = linked;
        stp_representation* rep = link->child_rep;
        std::unordered_set<const NuskObject*> followed;  // filled only when the usage has a chain of links
        while (rep && !holdsProduct(MivoMgrAsmShapeRep::find(rep), child)) {
            followed.insert(rep);
            const MivoMgrAsmRelation* next = nullptr;
            for (NuskObject* below : linksBelow(rep)) {
                const MivoMgrAsmRelation* l = MivoMgrAsmRelation::find(below);
                if (l && l->nauo == nauo && l->child_rep && !followed.count(l->child_rep)) {
                    next = l;
                    last = below;
                    break;
                }
            }
            if (!next) break;
            x = compose(x, placementMm(next));
            rep = next->child_rep;
        }
        out.push_back({{child, nauo, last, x, nuskunit_mm}, rep});
    }

    /// One representation on the path of the walk below a shape.
    struct Frame {
        stp_representation* rep;
        NuskXform x;
        std::vector<NuskObject*> links;
        size_t next;
        uint64_t serial;      // tells this visit from later visits at the same depth
        bool found;           // a product was placed below this visit
        long dependsOn;       // the deepest frame above this one whose presence turned the walk back; -1: none
    };

    /// A representation whose walk found no product. Products could only lie beyond the representations on the
    /// path that turned it back, all at or above frame `depth`: while that frame is the same visit, entering the
    /// representation again finds nothing either.
    struct Barren {
        size_t depth;
        uint64_t serial;
    };

    /// The products whose shapes the links without a usage below `shape` place, through any representations
    /// that belong to no product, one use per path. Each representation is entered at most once on a path, so
    /// cycles end, and one that leads to no product is remembered and skipped on the other paths, so that a
    /// lattice of representations is not walked once per path through it. Stops, giving false, before `out`
    /// holds more than `maxUses` uses.
    bool usesWithoutUsage(stp_representation* shape, size_t maxUses, std::vector<FoundUse>& out) {
        const MivoMgrAsmShapeRep* m = MivoMgrAsmShapeRep::find(shape);
        if (!m || (m->child_rels.size() == 0 && m->child_mapped_items.size() == 0)) return true;  // a part's shape
        std::vector<Frame> path;
        std::unordered_map<const NuskObject*, size_t> depthOnPath;  // filled only when links lead through reps
        std::unordered_map<const NuskObject*, Barren> barren;
        uint64_t visits = 0;
        path.push_back({shape, NuskXform(), linksBelow(shape), 0, visits++, false, -1});
        while (!path.empty()) {
            Frame& frame = path.back();
            const long depth = static_cast<long>(path.size()) - 1;
            if (frame.next == frame.links.size()) {
                finishFrame(path, depthOnPath, barren);
                continue;
            }
            NuskObject* linked = frame.links[frame.next++];
            const MivoMgrAsmRelation* link = MivoMgrAsmRelation::find(linked);
            if (!link || link->nauo || !link->child_rep) continue;
            const NuskXform x = compose(frame.x, placementMm(link));
            const MivoMgrAsmShapeRep* shown = MivoMgrAsmShapeRep::find(link->child_rep);
            if (shown && shown->products.size()) {
                for (unsigned i = 0; i < shown->products.size(); ++i) {
                    if (out.size() >= maxUses) return false;
                    out.push_back({{shown->products.get(i), nullptr, linked, x, nuskunit_mm}, link->child_rep});
                }
                frame.found = true;
                continue;
            }
            if (depthOnPath.empty()) depthOnPath.emplace(shape, 0);
            long turnedBackBy = -1;
            const auto onPath = depthOnPath.find(link->child_rep);
            if (onPath != depthOnPath.end()) {
                turnedBackBy = static_cast<long>(onPath->second);
            } else {
                const auto known = barren.find(link->child_rep);
                if (known != barren.end() && known->second.depth < path.size() &&
                    path[known->second.depth].serial == known->second.serial)
                    turnedBackBy = static_cast<long>(known->second.depth);
            }
            if (turnedBackBy >= 0) {
                if (turnedBackBy < depth) frame.dependsOn = std::max(frame.dependsOn, turnedBackBy);
                continue;
            }
            depthOnPath.emplace(link->child_rep, path.size());
            path.push_back({link->child_rep, x, linksBelow(link->child_rep), 0, visits++, false, -1});
        }
        return true;
    }

    /// Leaves the last frame of the path: remembers its representation when nothing was found below it, and
    /// passes what it found and depended on to the frame above.
    static void finishFrame(std::vector<Frame>& path, std::unordered_map<const NuskObject*, size_t>& depthOnPath,
                            std::unordered_map<const NuskObject*, Barren>& barren) {
        const Frame done = std::move(path.back());
        path.pop_back();
        depthOnPath.erase(done.rep);
        if (path.empty()) return;
        if (!done.found) {
            const size_t on = done.dependsOn < 0 ? 0 : static_cast<size_t>(done.dependsOn);
            barren[done.rep] = {on, path[on].serial};
        }
        Frame& above = path.back();
        above.found = above.found || done.found;
        if (done.dependsOn >= 0 && done.dependsOn < static_cast<long>(path.size()) - 1)
            above.dependsOn = std::max(above.dependsOn, done.dependsOn);
    }

    Referrers referrers_;
    std::unordered_map<const NuskObject*, NuskUnit> units_;  // by context
    const NuskObject* lastContext_ = nullptr;
    NuskUnit lastUnit_ = nuskunit_unknown;
    bool haveLast_ = false;
};

MivoAsmUse finished(FoundUse found, NuskUnit unit) {
    MivoAsmUse use = found.use;
    use.unit = outputUnit(unit, found.shape);
    originInto(use.xform, use.unit);
    return use;
}

}  // namespace

std::vector<MivoAsmUse> mivo_get_product_children(stp_product_definition* parent, NuskUnit unit, size_t maxUses) {
    std::vector<MivoAsmUse> out;
    if (!parent) return out;
    // One product's children: usedin's index, which the design keeps between calls, answers.
    ChildFinder finder(static_cast<NuskObject*>(parent)->design(), Referrers::Mode::askEachTime);
    for (FoundUse& found : finder.childrenOf(parent, maxUses)) out.push_back(finished(found, unit));
    return out;
}

std::vector<MivoAsmTreeNode> mivo_get_product_tree(stp_product_definition* root, NuskUnit unit, size_t maxNodes) {
    std::vector<MivoAsmTreeNode> tree;
    if (!root) return tree;
    NuskDesign* design = static_cast<NuskObject*>(root)->design();
    // Nodes are large: room for one per usage and mapped item up front, rather than copies while it grows.
    tree.reserve(std::min(maxNodes, 1 + nusk_instances_of(design, nusktype_stp_next_assembly_usage_occurrence).size() +
                                        nusk_instances_of(design, nusktype_stp_mapped_item).size()));
    ChildFinder finder(design, Referrers::Mode::indexWholeDesign);
    // Nodes waiting to be listed, the last one next; placements in millimetres.
    struct Pending {
        FoundUse found;
        long parent;
        unsigned depth;
        NuskXform worldMm;
    };
    std::vector<Pending> pending;
    pending.push_back({{{root, nullptr, nullptr, NuskXform(), nuskunit_mm}, firstShape(root)}, -1, 0, NuskXform()});
    // What is known of each product met so far: its uses, found once however often it is used (a sub-assembly
    // used many times is looked into once), and how many times it is open on the path from the root to the
    // node being listed (more than zero: the node would contain itself).
    struct Product {
        std::vector<FoundUse> children;
        bool expanded = false;
        unsigned open = 0;
    };
    std::unordered_map<const NuskObject*, Product> products;
    std::vector<Product*> path;  // by depth; entries of an unordered_map keep their addresses
    while (!pending.empty()) {
        if (tree.size() >= maxNodes) {
            NUSK.error("Product tree of #%u stops at %zu nodes: its products are used more often than that",
                       idOf(root), maxNodes);
            break;
        }
        Pending p = std::move(pending.back());
        pending.pop_back();
        while (path.size() > p.depth) {
            --path.back()->open;
            path.pop_back();
        }
        MivoAsmTreeNode node;
        node.product = p.found.use.child;
        node.depth = p.depth;
        node.parent = p.parent;
        node.use = finished(p.found, unit);
        node.world = p.worldMm;
        originInto(node.world, node.use.unit);
        Product& product = products[node.product];
        node.cycle = product.open > 0;
        if (p.parent < 0) node.use.child = nullptr;  // the root is placed by nothing
        tree.push_back(node);
        if (node.cycle) continue;
        ++product.open;
        path.push_back(&product);
        const long index = static_cast<long>(tree.size()) - 1;
        if (!product.expanded) {
            product.children = finder.childrenOf(node.product, maxNodes);
            product.expanded = true;
        }
        for (auto it = product.children.rbegin(); it != product.children.rend(); ++it)
            pending.push_back({*it, index, p.depth + 1, compose(p.worldMm, it->use.xform)});
    }
    return tree;
}
