// Making assemblies by hand for the assembly tests: products with shapes in a length unit, placements, and the
// three ways a product is built into another (a usage with a relationship, a usage with a mapped item, links
// without a usage). Every maker adds to `design`; placements are added to the items of the representation they
// belong to, as real files have them.
#pragma once

#include "mivo_assemblies.h"
#include "mivo_contexts.h"
#include "mivo_geometry.h"
#include "mivo_properties.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/report.h"

#include <map>
#include <string>
#include <vector>

struct AsmFixture {
    NuskDesign design{"assemblies", nusk_ap242_schema()};

    struct Product {
        stp_product_definition* pd = nullptr;
        stp_product_definition_shape* pds = nullptr;
        stp_shape_representation* shape = nullptr;  // null for a product made without shape
        stp_shape_definition_representation* sdr = nullptr;
    };
    struct Usage {
        stp_next_assembly_usage_occurrence* nauo = nullptr;
        stp_product_definition_shape* pds = nullptr;
        stp_shape_representation_relationship* rel = nullptr;  // the usage's relationship, when it has one
        stp_mapped_item* item = nullptr;                        // the usage's mapped item, when it has one
        stp_shape_representation* rep = nullptr;                // the usage's own shape holding the mapped item
    };

    /// A context with one length unit (and a plane angle unit), one per unit code.
    stp_representation_context* context(NuskUnit unit) {
        auto found = contexts_.find(unit);
        if (found != contexts_.end()) return found->second;
        auto* c = new (&design) stp_geometric_representation_context_and_global_unit_assigned_context();
        c->context_identifier(nusk_get_unit_name(unit));
        c->context_type("3D");
        c->coordinate_space_dimension(3);
        auto* units = new (&design) SetOfstp_unit();
        for (NuskUnit code : {unit, nuskunit_rad}) {
            auto* u = new (&design) stp_unit();
            nusk_put_nested_object(u, mivo_make_unit(&design, code));
            units->add(u);
        }
        c->units(units);
        contexts_[unit] = c;
        return c;
    }

    stp_shape_representation* shape(NuskUnit unit, const char* name = "shape") {
        auto* rep = new (&design) stp_shape_representation();
        rep->name(name);
        rep->context_of_items(context(unit));
        rep->items(new (&design) SetOfstp_representation_item());
        return rep;
    }

    void addItem(stp_representation* rep, NuskObject* item) {
        rep->items()->add(nusk_cast(item, nusktype_stp_representation_item));
    }

    stp_product_definition_shape* propertyOf(NuskObject* defined) {
        auto* pds = new (&design) stp_product_definition_shape();
        pds->name("");
        auto* select = new (&design) stp_characterized_definition();
        nusk_put_nested_object(select, defined);
        pds->definition(select);
        return pds;
    }

    stp_shape_definition_representation* shapeOf(stp_product_definition_shape* pds, stp_representation* rep) {
        auto* sdr = new (&design) stp_shape_definition_representation();
        auto* select = new (&design) stp_represented_definition();
        nusk_put_nested_object(select, pds);
        sdr->definition(select);
        sdr->used_representation(rep);
        return sdr;
    }

    /// A product, its definition and (when `withShape`) a shape in `unit`.
    Product product(const char* id, NuskUnit unit = nuskunit_mm, bool withShape = true) {
        auto* p = new (&design) stp_product();
        p->id(id);
        p->name((std::string(id) + " name").c_str());
        auto* formation = new (&design) stp_product_definition_formation();
        formation->id("");
        formation->of_product(p);
        Product out;
        out.pd = new (&design) stp_product_definition();
        out.pd->id("design");
        out.pd->formation(formation);
        out.pds = propertyOf(out.pd);
        if (withShape) {
            out.shape = shape(unit, id);
            out.sdr = shapeOf(out.pds, out.shape);
        }
        return out;
    }

    /// A placement at the transform's origin with its axes, among the items of `rep`.
    stp_axis2_placement_3d* placement(stp_representation* rep, const NuskXform& x = NuskXform()) {
        stp_axis2_placement_3d* p = mivo_make_ap3d(&design, x, "");
        if (rep) addItem(rep, p);
        return p;
    }

    stp_next_assembly_usage_occurrence* nauo(const Product& parent, const Product& child, const char* id = "use") {
        auto* u = new (&design) stp_next_assembly_usage_occurrence();
        u->id(id);
        u->name(id);
        mivo_put_relating_pdef(u, parent.pd);
        mivo_put_related_pdef(u, child.pd);
        return u;
    }

    stp_representation_or_representation_reference* repSelect(stp_representation* rep) {
        auto* s = new (&design) stp_representation_or_representation_reference();
        nusk_put_nested_object(s, rep);
        return s;
    }

    /// A relationship with an item-defined transformation between rep_1 and rep_2, as real files write it.
    stp_shape_representation_relationship* relationship(stp_representation* rep1, stp_representation* rep2,
                                                        stp_representation_item* item1,
                                                        stp_representation_item* item2) {
        auto* t = new (&design) stp_item_defined_transformation();
        t->name("");
        t->transform_item_1(item1);
        t->transform_item_2(item2);
        auto* op = new (&design) stp_transformation();
        nusk_put_nested_object(op, t);
        auto* rel = new (&design) stp_representation_relationship_with_transformation_and_shape_representation_relationship();
        rel->name("");
        rel->rep_1(repSelect(rep1));
        rel->rep_2(repSelect(rep2));
        rel->transformation_operator(op);
        return rel;
    }

    /// A plain shape_representation_relationship, without transformation.
    stp_shape_representation_relationship* plainRelationship(stp_representation* rep1, stp_representation* rep2) {
        auto* rel = new (&design) stp_shape_representation_relationship();
        rel->name("");
        rel->rep_1(repSelect(rep1));
        rel->rep_2(repSelect(rep2));
        return rel;
    }

    stp_context_dependent_shape_representation* cdsr(stp_shape_representation_relationship* rel,
                                                     stp_product_definition_shape* pds) {
        auto* c = new (&design) stp_context_dependent_shape_representation();
        c->representation_relation(rel);
        c->represented_product_relation(pds);
        return c;
    }

    /// A mapped item among the items of `in` that shows `shown`, from `origin` (in `shown`) to `target` (in `in`).
    stp_mapped_item* mappedItem(stp_representation* in, stp_representation* shown, stp_representation_item* origin,
                                stp_representation_item* target) {
        auto* map = new (&design) stp_representation_map();
        map->mapping_origin(origin);
        map->mapped_representation(shown);
        auto* item = new (&design) stp_mapped_item();
        item->name("");
        item->mapping_source(map);
        item->mapping_target(target);
        if (in) addItem(in, item);
        return item;
    }

    /// A usage whose product_definition_shape names a relationship between the two shapes, placing the child
    /// from `origin` (in the child's shape) to `target` (in the parent's). Reversed: the parent's shape is rep_1
    /// and the items are swapped.
    Usage useByRelationship(const Product& parent, const Product& child, const NuskXform& origin = NuskXform(),
                            const NuskXform& target = NuskXform(), bool reversed = false, const char* id = "use") {
        Usage u;
        u.nauo = nauo(parent, child, id);
        u.pds = propertyOf(u.nauo);
        stp_axis2_placement_3d* o = placement(child.shape, origin);
        stp_axis2_placement_3d* t = placement(parent.shape, target);
        u.rel = reversed ? relationship(parent.shape, child.shape, t, o) : relationship(child.shape, parent.shape, o, t);
        cdsr(u.rel, u.pds);
        return u;
    }

    /// A usage whose own shape (in the parent's unit) holds a mapped item of the child's shape.
    Usage useByMappedItem(const Product& parent, const Product& child, const NuskXform& origin = NuskXform(),
                          const NuskXform& target = NuskXform(), const char* id = "use") {
        Usage u;
        u.nauo = nauo(parent, child, id);
        u.pds = propertyOf(u.nauo);
        u.rep = shape(mivo_get_context_length_unit(parent.shape), "usage shape");
        shapeOf(u.pds, u.rep);
        u.item = mappedItem(u.rep, child.shape, placement(child.shape, origin), placement(u.rep, target));
        return u;
    }

    /// A mapped item of the child's shape among the items of the parent's shape, without a usage.
    stp_mapped_item* mapInto(const Product& parent, const Product& child, const NuskXform& origin = NuskXform(),
                             const NuskXform& target = NuskXform()) {
        return mappedItem(parent.shape, child.shape, placement(child.shape, origin), placement(parent.shape, target));
    }

    /// A relationship between two shapes without a usage (rep_1 the child, rep_2 the parent).
    stp_shape_representation_relationship* linkShapes(stp_representation* parent, stp_representation* child,
                                                      const NuskXform& origin = NuskXform(),
                                                      const NuskXform& target = NuskXform()) {
        return relationship(child, parent, placement(child, origin), placement(parent, target));
    }

    void tag() {
        mivo_tag_units(&design);
        mivo_tag_props(&design);
        mivo_tag_asms(&design);
    }

private:
    std::map<NuskUnit, stp_representation_context*> contexts_;
};

/// Collects what the library reports while it is in scope.
class CaughtMessages : public NuskReporter {
public:
    CaughtMessages() : scope_(this) {}
    void report(NuskSeverity severity, const char* message) override {
        (severity == NuskSeverity::error ? errors : warnings).emplace_back(message);
    }
    bool has(const std::string& text) const {
        for (const auto* list : {&errors, &warnings})
            for (const std::string& m : *list)
                if (m == text) return true;
        return false;
    }
    std::vector<std::string> errors, warnings;

private:
    NuskScopedReporter scope_;
};

/// A translation along the axes, unrotated.
inline NuskXform moved(double x, double y, double z) {
    NuskXform t;
    t[12] = x;
    t[13] = y;
    t[14] = z;
    return t;
}
