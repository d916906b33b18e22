// Choosing what extracting a product takes.
//
// 1. The structure of the subtree (its product definitions and usages, their shapes, the representations
//    those shapes are built from, the placing links) is marked needed with everything it refers to; the same
//    structure of every other product is marked ignorable. What both use (contexts, units) is needed, and an
//    object that is ignorable and not needed belongs to another product: "foreign".
// 2. Then what describes the subtree is taken, object by object, from those that refer to it (properties,
//    shape aspects, tolerances, styles, presentation, document references, assignments): such an object goes
//    along when nothing it refers to leads to a foreign object, except elements of its own lists and sets,
//    which are trimmed away later. What it refers to goes along too, and what describes that is sought in
//    turn: a record that lists only other products' objects has nothing left to describe and stays.
// Objects that many products share (units, contexts) describe nothing by being referred to: a representation
// of another product in the same context is not taken for that; only what lists them among its items, or
// names them alone, is.
#include "extract_select.h"

#include "mivo_managers.h"
#include "mivo_assemblies.h"
#include "mivo_split.h"
#include "references.h"
#include "values.h"

#include "nusk/ap242/all.h"

#include <climits>
#include <deque>
#include <map>
#include <unordered_set>

namespace mivo_split_detail {

namespace {

constexpr unsigned kEverything = UINT_MAX;

bool isForeign(NuskObject* obj) { return mivo_split_is_ignorable(obj) && !mivo_split_is_needed(obj); }

/// Shared by many products: being referred to by something says nothing about what that something is for.
bool isShared(const NuskObject* obj) {
    return obj->isa(nusktype_stp_named_unit) || obj->isa(nusktype_stp_derived_unit) ||
           obj->isa(nusktype_stp_representation_context) || obj->isa(nusktype_stp_application_context) ||
           obj->isa(nusktype_stp_application_context_element);
}

NuskTypePtr* const kStyleTypes[] = {
    &nusktype_stp_presentation_style_assignment, &nusktype_stp_colour, &nusktype_stp_symbol_colour,
    &nusktype_stp_curve_style, &nusktype_stp_curve_style_font, &nusktype_stp_curve_style_font_and_scaling,
    &nusktype_stp_curve_style_font_pattern, &nusktype_stp_pre_defined_curve_font,
    &nusktype_stp_externally_defined_curve_font, &nusktype_stp_point_style, &nusktype_stp_pre_defined_marker,
    &nusktype_stp_fill_area_style, &nusktype_stp_fill_area_style_colour, &nusktype_stp_fill_area_style_hatching,
    &nusktype_stp_fill_area_style_tiles, &nusktype_stp_surface_style_usage, &nusktype_stp_surface_side_style,
    &nusktype_stp_pre_defined_surface_side_style, &nusktype_stp_surface_style_fill_area,
    &nusktype_stp_surface_style_boundary, &nusktype_stp_surface_style_control_grid,
    &nusktype_stp_surface_style_parameter_line, &nusktype_stp_surface_style_segmentation_curve,
    &nusktype_stp_surface_style_silhouette, &nusktype_stp_surface_style_rendering,
    &nusktype_stp_surface_style_transparent, &nusktype_stp_surface_style_reflectance_ambient,
    &nusktype_stp_symbol_style, &nusktype_stp_text_style, &nusktype_stp_text_style_for_defined_font,
    &nusktype_stp_pre_defined_text_font, &nusktype_stp_externally_defined_text_font,
    &nusktype_stp_externally_defined_style, &nusktype_stp_character_glyph_style_outline,
    &nusktype_stp_character_glyph_style_stroke, &nusktype_stp_texture_style_specification,
};

/// A presentation style or a part of one (a colour, a font, a fill). Styles of many products share such parts,
/// and what a style is for is the styled item that uses it: the styled item is found through what it styles.
bool isStyle(const NuskObject* obj) {
    for (NuskTypePtr* type : kStyleTypes)
        if (obj->isa(*type)) return true;
    return false;
}

std::vector<NuskObject*> referrersOfType(const ReverseIndex& index, const NuskObject* target, NuskTypePtr& type) {
    std::vector<NuskObject*> out;
    for (NuskObject* r : index.referrersOf(target))
        if (r->isa(type)) out.push_back(r);
    return out;
}

/// The subtree below a product: its product definitions (root first), its usages, and the links that place a
/// child without a usage.
struct Subtree {
    std::vector<stp_product_definition*> products;
    std::vector<NuskObject*> usages;
    std::vector<NuskObject*> bareLinks;
    std::unordered_set<const NuskObject*> members;  // products and usages
};

Subtree subtreeOf(stp_product_definition* root) {
    Subtree tree;
    std::deque<stp_product_definition*> queue{root};
    tree.members.insert(root);
    while (!queue.empty()) {
        stp_product_definition* product = queue.front();
        queue.pop_front();
        tree.products.push_back(product);
        for (const MivoAsmUse& use : mivo_get_product_children(product, nuskunit_mm)) {
            if (use.nauo && tree.members.insert(use.nauo).second) tree.usages.push_back(use.nauo);
            if (!use.nauo && use.link) tree.bareLinks.push_back(use.link);
            if (use.child && tree.members.insert(use.child).second) queue.push_back(use.child);
        }
    }
    return tree;
}

/// True when a relationship of `rep` joins two products, so that it is no part of either: it places one
/// representation in another, realises an assembly usage, or leads from `rep` to a product's shape. The
/// tagging records every shape_representation_relationship as a link, also one without a transformation that
/// only ties a part's shape to the solid it is built from: that one is the part's own.
bool joinsTwoProducts(NuskObject* rel, const NuskObject* rep) {
    if (rel->isa(nusktype_stp_representation_relationship_with_transformation)) return true;
    const MivoMgrAsmRelation* link = MivoMgrAsmRelation::find(rel);
    if (!link) return false;
    if (link->nauo) return true;
    for (const char* side : {"rep_1", "rep_2"}) {
        NuskObject* end = seeThrough(rel->getObject(side));
        const MivoMgrAsmShapeRep* shape = end == rep ? nullptr : MivoMgrAsmShapeRep::find(end);
        if (shape && shape->products.size()) return true;
    }
    return false;
}

/// What makes up a product definition or usage: its product_definition_shapes, their shape definition
/// representations and dependent shapes, the representations given there, and those that representations
/// not placing one another relate to them.
std::vector<NuskObject*> structureOf(NuskObject* definition, const ReverseIndex& index) {
    std::vector<NuskObject*> out{definition};
    std::vector<NuskObject*> reps;
    for (NuskObject* shape : referrersOfType(index, definition, nusktype_stp_product_definition_shape)) {
        out.push_back(shape);
        for (NuskObject* sdr : referrersOfType(index, shape, nusktype_stp_shape_definition_representation)) {
            out.push_back(sdr);
            if (NuskObject* rep = seeThrough(sdr->getObject("used_representation"))) reps.push_back(rep);
        }
        for (NuskObject* cdsr : referrersOfType(index, shape, nusktype_stp_context_dependent_shape_representation))
            out.push_back(cdsr);
    }
    std::unordered_set<const NuskObject*> seen(reps.begin(), reps.end());
    while (!reps.empty()) {
        NuskObject* rep = reps.back();
        reps.pop_back();
        out.push_back(rep);
        for (NuskObject* rel : referrersOfType(index, rep, nusktype_stp_representation_relationship)) {
            if (joinsTwoProducts(rel, rep)) continue;
            out.push_back(rel);
            for (const char* side : {"rep_1", "rep_2"}) {
                NuskObject* other = seeThrough(rel->getObject(side));
                if (other && seen.insert(other).second) reps.push_back(other);
            }
        }
    }
    return out;
}

void markStructure(NuskObject* definition, const ReverseIndex& index, bool needed) {
    for (NuskObject* obj : structureOf(definition, index))
        needed ? mivo_split_mark_needed(obj, kEverything) : mivo_split_mark_ignorable(obj, kEverything);
}

/// Takes what describes the subtree, starting from what is needed so far.
class Describers {
public:
    Describers(NuskDesign* design, const ReverseIndex& index) : design_(design), index_(index) {}

    void run() {
        std::deque<NuskObject*> core;
        for (NuskObject* obj : objectsOf(design_, nusktype_NuskStructure.domain()))
            if (mivo_split_is_needed(obj)) core.push_back(obj);
        while (!core.empty()) {
            NuskObject* described = core.front();
            core.pop_front();
            for (NuskObject* r : candidatesFor(described))
                if (take(r)) core.insert(core.end(), taken_.begin(), taken_.end());
        }
    }

private:
    std::vector<NuskObject*> candidatesFor(NuskObject* described) const {
        // A style goes along with a styled item that uses it, never because it shares a colour or a font with
        // one: what refers to a style is another style or a styled item, each found through what it presents.
        if (isStyle(described)) return {};
        if (!isShared(described)) return index_.referrersOf(described);
        // A shared object describes nothing by being a representation's context or a measure's unit. What
        // lists it among its items (a document reference naming a context) may describe it, and so does what
        // refers to it alone and is itself referred to by nothing: its name, the protocol of an application.
        std::vector<NuskObject*> out;
        for (NuskObject* r : index_.referrersOf(described))
            if (listsAmongItems(r, described) || annotatesAlone(r, described)) out.push_back(r);
        return out;
    }

    static bool listsAmongItems(NuskObject* r, const NuskObject* described) {
        bool listed = false;
        forEachReference(r, [&](const Reference& ref) { listed |= ref.target == described && ref.topAggregate; });
        return listed;
    }

    bool annotatesAlone(NuskObject* r, const NuskObject* described) const {
        bool alone = true;
        forEachReference(r, [&](const Reference& ref) { alone &= ref.target == described; });
        return alone && index_.referrersOf(r).empty();
    }

    /// What `obj` leads to that is not needed yet, itself included, stopping at what is needed.
    static std::vector<NuskObject*> closureOf(NuskObject* obj) {
        std::vector<NuskObject*> pending{obj}, out;
        std::unordered_set<const NuskObject*> seen{obj};
        while (!pending.empty()) {
            NuskObject* at = pending.back();
            pending.pop_back();
            out.push_back(at);
            forEachReference(at, [&](const Reference& r) {
                if (!mivo_split_is_needed(r.target) && seen.insert(r.target).second) pending.push_back(r.target);
            });
        }
        return out;
    }

    /// True when nothing `obj` leads to (stopping at what is needed) is foreign.
    bool isClean(NuskObject* obj) {
        if (clean_.count(obj)) return true;
        if (dirty_.count(obj)) return false;
        for (NuskObject* at : closureOf(obj)) {
            if (isForeign(at) || dirty_.count(at)) {
                dirty_.insert(obj);
                return false;
            }
        }
        clean_.insert(obj);
        return true;
    }

    /// Takes `r` when it describes the subtree, with what it leads to; what became needed is in taken_, and
    /// is looked at in turn: a shape aspect brought by one record is described by others.
    bool take(NuskObject* r) {
        taken_.clear();
        if (mivo_split_is_needed(r) || rejected_.count(r)) return false;
        if (!accepts(r)) {
            rejected_.insert(r);
            return false;
        }
        mivo_split_mark_needed(r, 0);
        taken_.push_back(r);
        for (NuskObject* t : pulled_) {
            for (NuskObject* x : closureOf(t)) {
                if (mivo_split_is_needed(x)) continue;
                mivo_split_mark_needed(x, 0);
                taken_.push_back(x);
            }
        }
        return true;
    }

    /// Whether `r` can go along, collecting in pulled_ what it brings.
    bool accepts(NuskObject* r) {
        pulled_.clear();
        if (isForeign(r)) return false;
        std::map<NuskObject*, std::pair<const NuskAttribute*, unsigned>> kept;  // trimmed aggregate: kept count
        std::unordered_set<const NuskObject*> trimmed;
        bool fits = true;
        forEachReference(r, [&](const Reference& ref) {
            auto& keep = kept[ref.topAggregate];
            keep.first = ref.attribute;
            if (mivo_split_is_needed(ref.target) || isClean(ref.target)) {
                if (!mivo_split_is_needed(ref.target)) pulled_.push_back(ref.target);
                ++keep.second;
            } else if (ref.topAggregate && trimmable(ref.topAggregate)) {
                trimmed.insert(ref.topAggregate);
            } else {
                fits = false;
            }
        });
        for (const NuskObject* aggregate : trimmed) {
            const auto& keep = kept[const_cast<NuskObject*>(aggregate)];
            if (keep.second == 0 || keep.second < keep.first->minElements()) fits = false;
        }
        return fits;
    }

    /// A set or bag whose elements are all entity instances (or selects holding one): trimming it keeps
    /// exactly the needed ones and loses no plain value. A list is kept whole, or its holder stays behind.
    static bool trimmable(NuskObject* aggregate) {
        if (!membersStandAlone(aggregate)) return false;
        auto* a = static_cast<NuskAggregate*>(aggregate);
        for (unsigned i = 0; i < a->size(); ++i)
            if (!isEntity(seeThrough(a->getObject(i)))) return false;
        return true;
    }

    NuskDesign* design_;
    const ReverseIndex& index_;
    std::unordered_set<const NuskObject*> clean_, dirty_, rejected_;
    std::vector<NuskObject*> pulled_;
    std::vector<NuskObject*> taken_;
};

}  // namespace

std::vector<stp_product_definition*> markExtract(NuskDesign* design, stp_product_definition* root) {
    const ReverseIndex index(design);
    const Subtree tree = subtreeOf(root);
    for (stp_product_definition* p : tree.products) markStructure(p, index, true);
    for (NuskObject* u : tree.usages) markStructure(u, index, true);
    for (NuskObject* link : tree.bareLinks) mivo_split_mark_needed(link, kEverything);
    for (NuskObject* p : nusk_instances_of(design, nusktype_stp_product_definition))
        if (!tree.members.count(p)) markStructure(p, index, false);
    for (NuskObject* u : nusk_instances_of(design, nusktype_stp_next_assembly_usage_occurrence))
        if (!tree.members.count(u)) markStructure(u, index, false);
    Describers(design, index).run();
    return tree.products;
}

}  // namespace mivo_split_detail
