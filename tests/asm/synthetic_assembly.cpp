// Synthetic assemblies: generation, the independent answer, and the two ways of making them.
#include "synthetic_assembly.h"

#include <cmath>
#include <cstdio>
#include <map>

namespace synth {

namespace {

using Vec = std::array<double, 3>;

Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vec normalised(const Vec& v) {
    const double n = std::sqrt(dot(v, v));
    return {v[0] / n, v[1] / n, v[2] / n};
}

/// A right-handed orthonormal frame in a random orientation, at a random place within +-span.
NuskXform randomPlacement(std::mt19937& rng, double span) {
    std::normal_distribution<double> normal;
    std::uniform_real_distribution<double> place(-span, span);
    Vec z;
    do z = {normal(rng), normal(rng), normal(rng)};
    while (dot(z, z) < 1e-6);
    z = normalised(z);
    Vec x;
    do {
        const Vec r = {normal(rng), normal(rng), normal(rng)};
        const double along = dot(r, z);
        x = {r[0] - along * z[0], r[1] - along * z[1], r[2] - along * z[2]};
    } while (dot(x, x) < 1e-6);
    x = normalised(x);
    const Vec y = cross(z, x);
    NuskXform t;
    for (int i = 0; i < 3; ++i) {
        t[i] = x[i];
        t[4 + i] = y[i];
        t[8 + i] = z[i];
        t[12 + i] = place(rng);
    }
    return t;
}

/// The placement's frame applied to a point of it: R p + t.
Vec applyFrame(const NuskXform& f, const Vec& p) {
    Vec out;
    for (int r = 0; r < 3; ++r) out[r] = f[r] * p[0] + f[4 + r] * p[1] + f[8 + r] * p[2] + f[12 + r];
    return out;
}

/// The point's coordinates in the placement's frame: R^T (p - t).
Vec intoFrame(const NuskXform& f, const Vec& p) {
    const Vec d = {p[0] - f[12], p[1] - f[13], p[2] - f[14]};
    return {f[0] * d[0] + f[1] * d[1] + f[2] * d[2], f[4] * d[0] + f[5] * d[1] + f[6] * d[2],
            f[8] * d[0] + f[9] * d[1] + f[10] * d[2]};
}

}  // namespace

double mmPer(NuskUnit unit) {
    switch (unit) {
    case nuskunit_mm: return 1.0;
    case nuskunit_cm: return 10.0;
    case nuskunit_length_cb1: return 25.4;
    case nuskunit_m: return 1000.0;
    default: return std::nan("");
    }
}

Assembly generate(uint32_t seed, const Options& o) {
    std::mt19937 rng(seed);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    auto fanOutAt = [&](unsigned depth) -> unsigned {
        if (!o.fanOutByDepth.empty()) return depth < o.fanOutByDepth.size() ? o.fanOutByDepth[depth] : 0;
        if (depth >= o.maxDepth) return 0;
        return std::uniform_int_distribution<unsigned>(depth == 0 ? std::max(1u, o.minFanOut) : o.minFanOut,
                                                       std::max(o.maxFanOut, 1u))(rng);
    };
    Assembly a;
    a.units.push_back(o.units[pick(o.units.size())]);
    a.nodes.push_back({});
    std::vector<int> leafProducts;
    // Nodes still to be given children, with their depth and how many.
    struct Open {
        int node;
        unsigned depth, children;
    };
    std::vector<Open> open{{0, 0, fanOutAt(0)}};
    for (size_t next = 0; next < open.size(); ++next) {
        const Open parent = open[next];
        for (unsigned c = 0; c < parent.children; ++c) {
            Node n;
            n.parent = parent.node;
            n.kind = o.kinds[pick(o.kinds.size())];
            const unsigned children = fanOutAt(parent.depth + 1);
            std::bernoulli_distribution reuse(o.reuseLeaf);
            // A link without usage says nothing of which end is the parent: the pass takes the shape of the
            // product it meets first, so such a child is always a product made after its parent.
            const bool allMade = o.distinctLeaves && leafProducts.size() >= o.distinctLeaves;
            if (children == 0 && !leafProducts.empty() && n.kind != LinkKind::linkedOnly && (allMade || reuse(rng))) {
                n.product = leafProducts[pick(leafProducts.size())];
            } else {
                n.product = static_cast<int>(a.units.size());
                a.units.push_back(o.units[pick(o.units.size())]);
                if (children == 0) leafProducts.push_back(n.product);
            }
            n.origin = randomPlacement(rng, o.span);
            n.target = randomPlacement(rng, o.span);
            a.nodes.push_back(n);
            if (children) open.push_back({static_cast<int>(a.nodes.size()) - 1, parent.depth + 1, children});
        }
    }
    return a;
}

std::array<double, 3> pointInRoot(const Assembly& a, int node, const std::array<double, 3>& p) {
    Vec at = p;  // in the node's frame and unit
    for (int n = node; a.nodes[n].parent >= 0; n = a.nodes[n].parent) {
        const Node& u = a.nodes[n];
        const double childMm = mmPer(a.units[u.product]);
        const double parentMm = mmPer(a.units[a.nodes[u.parent].product]);
        // From the child's frame into the origin placement's, in millimetres.
        Vec local = intoFrame(u.origin, at);
        for (double& v : local) v *= childMm;
        // The origin placement's frame sits on the target placement, whose location is in the parent's unit.
        NuskXform target = u.target;
        for (int i = 12; i < 15; ++i) target[i] *= parentMm;
        at = applyFrame(target, local);
        for (double& v : at) v /= parentMm;
    }
    const double rootMm = mmPer(a.units[a.nodes[0].product]);
    return {at[0] * rootMm, at[1] * rootMm, at[2] * rootMm};
}

std::vector<int> rootProducts(const Assembly& a) {
    std::vector<bool> child(a.units.size(), false);
    for (const Node& n : a.nodes)
        if (n.parent >= 0 && n.kind != LinkKind::linkedOnly) child[n.product] = true;
    std::vector<int> roots;
    for (size_t p = 0; p < child.size(); ++p)
        if (!child[p]) roots.push_back(static_cast<int>(p));
    return roots;
}

Built build(AsmFixture& f, const Assembly& a) {
    Built b;
    for (size_t p = 0; p < a.units.size(); ++p) {
        b.products.push_back(f.product(("p" + std::to_string(p)).c_str(), a.units[p]));
        f.placement(b.products.back().shape);  // the shape's own frame, which no link uses
    }
    b.links.assign(a.nodes.size(), nullptr);
    for (size_t i = 1; i < a.nodes.size(); ++i) {
        const Node& n = a.nodes[i];
        const AsmFixture::Product& parent = b.products[a.nodes[n.parent].product];
        const AsmFixture::Product& child = b.products[n.product];
        const std::string id = "u" + std::to_string(i);
        switch (n.kind) {
        case LinkKind::relationship:
        case LinkKind::reversedRelationship:
            b.links[i] = f.useByRelationship(parent, child, n.origin, n.target,
                                             n.kind == LinkKind::reversedRelationship, id.c_str())
                             .rel;
            break;
        case LinkKind::usageMappedItem:
            b.links[i] = f.useByMappedItem(parent, child, n.origin, n.target, id.c_str()).item;
            break;
        case LinkKind::mappedOnly: b.links[i] = f.mapInto(parent, child, n.origin, n.target); break;
        case LinkKind::linkedOnly: b.links[i] = f.linkShapes(parent.shape, child.shape, n.origin, n.target); break;
        }
    }
    return b;
}

namespace {

/// Writes instances with increasing numbers; shape representations collect their items and are written last.
class StepWriter {
public:
    uint32_t add(const std::string& record) {
        lines_.push_back("#" + std::to_string(++last_) + "=" + record + ";\n");
        return last_;
    }
    uint32_t reserve() { return ++last_; }
    void define(uint32_t id, const std::string& record) { late_[id] = "#" + std::to_string(id) + "=" + record + ";\n"; }

    std::string text() const {
        std::string out =
            "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('synthetic assembly'),'2;1');\n"
            "FILE_NAME('synthetic.stp','2026-01-01T00:00:00',(''),(''),'','mivo tests','');\n"
            "FILE_SCHEMA(('AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }'));\n"
            "ENDSEC;\nDATA;\n";
        for (const std::string& l : lines_) out += l;
        for (const auto& l : late_) out += l.second;
        return out + "ENDSEC;\nEND-ISO-10303-21;\n";
    }

private:
    uint32_t last_ = 0;
    std::vector<std::string> lines_;
    std::map<uint32_t, std::string> late_;
};

std::string real(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17E", v);
    return buf;
}

std::string ref(uint32_t id) { return "#" + std::to_string(id); }

std::string triple(const NuskXform& x, int at) {
    return "(" + real(x[at]) + "," + real(x[at + 1]) + "," + real(x[at + 2]) + ")";
}

}  // namespace

std::string stepText(const Assembly& a, std::vector<uint32_t>& linkIds, std::vector<uint32_t>& productIds) {
    StepWriter w;
    const uint32_t mm = w.add("(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.))");
    const uint32_t m = w.add("(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT($,.METRE.))");
    const uint32_t exponents = w.add("DIMENSIONAL_EXPONENTS(1.,0.,0.,0.,0.,0.,0.)");
    const uint32_t factor = w.add("LENGTH_MEASURE_WITH_UNIT(LENGTH_MEASURE(25.4)," + ref(mm) + ")");
    const uint32_t inch = w.add("(CONVERSION_BASED_UNIT('INCH'," + ref(factor) + ")LENGTH_UNIT()NAMED_UNIT(" +
                                ref(exponents) + "))");
    const uint32_t rad = w.add("(NAMED_UNIT(*)PLANE_ANGLE_UNIT()SI_UNIT($,.RADIAN.))");
    std::map<NuskUnit, uint32_t> contexts;
    for (const auto& u : {std::make_pair(nuskunit_mm, mm), std::make_pair(nuskunit_m, m),
                          std::make_pair(nuskunit_length_cb1, inch)})
        contexts[u.first] = w.add("(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNIT_ASSIGNED_CONTEXT((" +
                                  ref(u.second) + "," + ref(rad) + "))REPRESENTATION_CONTEXT('','3D'))");
    const uint32_t app = w.add("APPLICATION_CONTEXT('synthetic assemblies')");
    const uint32_t pdc = w.add("PRODUCT_DEFINITION_CONTEXT('part definition'," + ref(app) + ",'design')");
    const uint32_t pc = w.add("PRODUCT_CONTEXT(''," + ref(app) + ",'mechanical')");

    // Representations: their numbers now, their records with every item at the end.
    struct Rep {
        uint32_t context;
        std::string name;
        std::vector<uint32_t> items;
    };
    std::map<uint32_t, Rep> reps;
    auto newRep = [&](NuskUnit unit, const std::string& name) {
        const uint32_t id = w.reserve();
        reps[id] = {contexts[unit], name, {}};
        return id;
    };
    auto placement = [&](uint32_t rep, const NuskXform& x) {
        const uint32_t point = w.add("CARTESIAN_POINT(''," + triple(x, 12) + ")");
        const uint32_t axis = w.add("DIRECTION(''," + triple(x, 8) + ")");
        const uint32_t refDir = w.add("DIRECTION(''," + triple(x, 0) + ")");
        const uint32_t p = w.add("AXIS2_PLACEMENT_3D(''," + ref(point) + "," + ref(axis) + "," + ref(refDir) + ")");
        reps[rep].items.push_back(p);
        return p;
    };

    std::vector<uint32_t> shapes;
    productIds.clear();
    for (size_t p = 0; p < a.units.size(); ++p) {
        const std::string id = "p" + std::to_string(p);
        const uint32_t product = w.add("PRODUCT('" + id + "','" + id + " name',''," + "(" + ref(pc) + "))");
        const uint32_t formation = w.add("PRODUCT_DEFINITION_FORMATION('',''," + ref(product) + ")");
        const uint32_t pd = w.add("PRODUCT_DEFINITION('design',''," + ref(formation) + "," + ref(pdc) + ")");
        const uint32_t pds = w.add("PRODUCT_DEFINITION_SHAPE('',''," + ref(pd) + ")");
        const uint32_t shape = newRep(a.units[p], id);
        w.add("SHAPE_DEFINITION_REPRESENTATION(" + ref(pds) + "," + ref(shape) + ")");
        placement(shape, NuskXform());  // the shape's own frame, which no link uses
        productIds.push_back(pd);
        shapes.push_back(shape);
    }

    auto transformation = [&](uint32_t item1, uint32_t item2, uint32_t rep1, uint32_t rep2) {
        const uint32_t t = w.add("ITEM_DEFINED_TRANSFORMATION(''," + std::string("''") + "," + ref(item1) + "," +
                                 ref(item2) + ")");
        return w.add("(REPRESENTATION_RELATIONSHIP('',''," + ref(rep1) + "," + ref(rep2) +
                     ")REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(" + ref(t) + ")SHAPE_REPRESENTATION_RELATIONSHIP())");
    };
    auto mappedItem = [&](uint32_t in, uint32_t shown, uint32_t origin, uint32_t target) {
        const uint32_t map = w.add("REPRESENTATION_MAP(" + ref(origin) + "," + ref(shown) + ")");
        const uint32_t item = w.add("MAPPED_ITEM(''," + ref(map) + "," + ref(target) + ")");
        reps[in].items.push_back(item);
        return item;
    };

    linkIds.assign(a.nodes.size(), 0);
    for (size_t i = 1; i < a.nodes.size(); ++i) {
        const Node& n = a.nodes[i];
        const int parentProduct = a.nodes[n.parent].product;
        const uint32_t parentShape = shapes[parentProduct], childShape = shapes[n.product];
        const uint32_t origin = placement(childShape, n.origin);
        uint32_t usage = 0, usageShape = 0;
        if (n.kind != LinkKind::mappedOnly && n.kind != LinkKind::linkedOnly) {
            const std::string id = "'u" + std::to_string(i) + "'";
            usage = w.add("NEXT_ASSEMBLY_USAGE_OCCURRENCE(" + id + "," + id + ",''," + ref(productIds[parentProduct]) +
                          "," + ref(productIds[n.product]) + ",$)");
            usageShape = w.add("PRODUCT_DEFINITION_SHAPE('',''," + ref(usage) + ")");
        }
        switch (n.kind) {
        case LinkKind::relationship:
        case LinkKind::reversedRelationship: {
            const uint32_t target = placement(parentShape, n.target);
            linkIds[i] = n.kind == LinkKind::relationship ? transformation(origin, target, childShape, parentShape)
                                                          : transformation(target, origin, parentShape, childShape);
            w.add("CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(" + ref(linkIds[i]) + "," + ref(usageShape) + ")");
            break;
        }
        case LinkKind::usageMappedItem: {
            const uint32_t rep = newRep(a.units[parentProduct], "usage");
            w.add("SHAPE_DEFINITION_REPRESENTATION(" + ref(usageShape) + "," + ref(rep) + ")");
            linkIds[i] = mappedItem(rep, childShape, origin, placement(rep, n.target));
            break;
        }
        case LinkKind::mappedOnly:
            linkIds[i] = mappedItem(parentShape, childShape, origin, placement(parentShape, n.target));
            break;
        case LinkKind::linkedOnly:
            linkIds[i] = transformation(origin, placement(parentShape, n.target), childShape, parentShape);
            break;
        }
    }
    for (const auto& r : reps) {
        std::string items;
        for (uint32_t item : r.second.items) items += (items.empty() ? "" : ",") + ref(item);
        w.define(r.first, "SHAPE_REPRESENTATION('" + r.second.name + "',(" + items + ")," + ref(r.second.context) + ")");
    }
    return w.text();
}

}  // namespace synth
