// Every pass and query of the helper library, family by family, on whatever design comes in.
#include "exercise_design.h"

#include "mivo_assemblies.h"
#include "mivo_contexts.h"
#include "mivo_geometry.h"
#include "mivo_measures.h"
#include "mivo_properties.h"
#include "mivo_split.h"
#include "mivo_tolerances.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"
#include "nusk/report.h"

#include <memory>

namespace {

/// Trees listed at most this large: a few kilobytes of file can multiply uses into more nodes than memory
/// holds, and a fuzzed input must run in seconds. The limit itself is exercised too.
constexpr size_t kTreeNodes = 20000;

template <class T>
std::vector<T*> all(NuskDesign* design, NuskTypePtrT<T>& type) {
    std::vector<T*> out;
    for (NuskObject* obj : nusk_instances_of(design, type))
        if (T* typed = nusk_cast(obj, type)) out.push_back(typed);
    return out;
}

class Exercise {
public:
    static constexpr size_t kExtracts = 4;

    explicit Exercise(NuskDesign* design) : design_(design) {}

    ExerciseReport run() {
        units();
        contexts();
        measures();
        geometry();
        properties();
        assemblies();
        tolerances();
        editTolerances();
        tolerances();  // again, after the edits
        extracts();
        editingPasses();
        assemblies();  // again, on the edited design: the passes drop what they recorded before
        write();
        return report_;
    }

private:
    void units() {
        mivo_tag_units(design_);
        for (auto* u : all(design_, nusktype_stp_named_unit)) {
            note(mivo_get_unit_type(u));
            note(mivo_get_measure_type(u));
            note(mivo_get_unit_fullname(u));
        }
        for (auto* u : all(design_, nusktype_stp_derived_unit)) note(mivo_get_unit_fullname(u));
        for (auto* m : all(design_, nusktype_stp_measure_with_unit)) {
            note(mivo_get_unit_type(m));
            note(mivo_get_unit_name(m));
        }
    }

    void contexts() {
        note(mivo_get_ap_context(design_));
        for (auto* c : all(design_, nusktype_stp_representation_context)) {
            note(mivo_get_context_length_unit(c));
            note(mivo_get_context_angle_unit(c));
            note(mivo_get_context_solid_angle_unit(c));
            note(mivo_get_context_uncertainty_value(c, nullptr));
            note(mivo_get_context_uncertainty(c, "distance_accuracy_value"));
        }
    }

    void measures() {
        for (auto* m : all(design_, nusktype_stp_measure_with_unit)) {
            note(mivo_get_measure_value(m, nuskunit_mm));
            note(mivo_get_length_value(m, nuskunit_mm));
            note(mivo_get_angle_value(m, nuskunit_angle_cb1));
            note(mivo_get_count_value(m));
            note(mivo_get_ratio_value(m));
            note(mivo_get_descriptive_value(m));
            note(mivo_get_measure_lower_limit_value(m, nuskunit_mm));
            note(mivo_get_measure_upper_limit_value(m, nuskunit_mm));
            note(mivo_get_measure_precision_value(m));
            note(mivo_get_measure_std_uncertainty(m, nullptr));
        }
        for (auto* rep : all(design_, nusktype_stp_representation)) {
            note(mivo_get_measure_item(rep, nullptr, nuskmeasure_unknown));
            note(mivo_get_length_item(rep, "length"));
            note(mivo_get_descriptive_item(rep, nullptr));
            note(mivo_get_descriptive_value(rep, nullptr));
        }
    }

    void geometry() {
        double xyz[3];
        for (auto* p : all(design_, nusktype_stp_cartesian_point)) {
            mivo_get_point_xyz(xyz, p, nuskunit_mm, nuskunit_length_cb1);
            note(xyz[0]);
        }
        for (auto* e : all(design_, nusktype_stp_edge)) {
            note(mivo_get_edge_start(xyz, e));
            note(mivo_get_edge_end(xyz, e));
        }
        for (auto* c : all(design_, nusktype_stp_bounded_curve)) {
            const unsigned n = mivo_get_polyline_size(c);
            note(n);
            if (n) note(mivo_get_polyline_point(c, n - 1));
            note(mivo_get_polyline_point(c, n));  // one past the end
        }
        for (auto* s : all(design_, nusktype_stp_styled_item)) {
            note(mivo_get_styled_rep(s));
            note(mivo_get_styled_repitem(s));
        }
        for (auto* c : all(design_, nusktype_stp_conical_surface)) note(mivo_get_cone_angle(c, nuskunit_rad, nuskunit_angle_cb1));
        for (auto* rep : all(design_, nusktype_stp_representation)) {
            auto* nested = new (design_) ListOfstp_representation_item();
            mivo_find_nested_repitems(rep, nested);
            note(nested->size());
            delete nested;  // not to the trash: that lives as long as the process, and fuzzing runs many inputs
        }
    }

    void properties() {
        mivo_tag_props(design_);
        for (auto* p : all(design_, nusktype_stp_property_definition)) {
            note(mivo_get_property_owner(p));
            note(mivo_get_property_owner_as_pdef(p));
        }
        for (auto* p : all(design_, nusktype_stp_property_definition_representation)) note(mivo_get_property_owner(p));
        for (auto* pd : all(design_, nusktype_stp_product_definition)) {
            note(mivo_get_shape_property(pd));
            note(mivo_has_properties(pd));
        }
        for (auto* d : all(design_, nusktype_stp_document_file)) note(mivo_get_external_filename(d));
        for (auto* r : all(design_, nusktype_stp_document_reference)) note(mivo_get_reference_filename(r));
        for (auto* a : all(design_, nusktype_stp_external_identification_assignment)) note(mivo_get_external_source(a));
        for (auto* item : all(design_, nusktype_stp_representation_item)) {
            note(mivo_get_item_number(item, nuskunit_mm));
            note(mivo_get_item_text(item));
        }
    }

    void assemblies() {
        mivo_tag_asms(design_);
        StpAsmProductDefVec roots;
        mivo_find_root_products(&roots, design_);
        StpAsmShapeRepVec shapes, orphans;
        mivo_find_root_shapes(&shapes, design_);
        mivo_find_shapes_wo_product(&orphans, design_);
        note(shapes.size() + orphans.size());
        for (unsigned i = 0; i < roots.size(); ++i)
            for (NuskUnit unit : {nuskunit_mm, nuskunit_as_is}) report_.treeNodes += mivo_get_product_tree(roots.get(i), unit, kTreeNodes).size();
        for (auto* pd : all(design_, nusktype_stp_product_definition)) note(mivo_get_product_children(pd, nuskunit_length_cb1).size());
        for (auto* rel : all(design_, nusktype_stp_shape_representation_relationship)) {
            note(mivo_get_shape_usage_child_product(rel));
            note(mivo_get_shape_usage_child_rep(rel));
            note(mivo_get_shape_usage_nauo(rel));
            note(mivo_get_shape_usage_xform(rel, nuskunit_mm)[12]);
        }
        for (auto* item : all(design_, nusktype_stp_mapped_item)) {
            note(mivo_get_shape_usage_child_product(item));
            note(mivo_get_shape_usage_xform(item, nuskunit_as_is)[12]);
        }
        for (auto* u : all(design_, nusktype_stp_product_definition_relationship)) {
            note(mivo_get_relating_pdef(u));
            note(mivo_get_related_pdef(u));
        }
    }

    void tolerances() {
        for (auto* tol : all(design_, nusktype_stp_geometric_tolerance)) {
            const unsigned long code = mivo_tol_type(tol);
            note(mivo_tol_geometric_type(code));
            for (unsigned bit = 0; bit < 32; ++bit)
                if (code & (1ul << bit)) note(mivo_tol_code_name(1ul << bit));
            note(mivo_tol_get_aspect(tol));
            note(mivo_tol_get_pds(tol));
            note(mivo_tol_get_unit_size(tol));
            note(mivo_tol_get_second_unit_size(tol));
            note(mivo_tol_get_maximum_upper_tolerance(tol));
            note(mivo_tol_get_displacement(tol));
            note(mivo_tol_get_area_type(tol));
            note(mivo_tol_get_limit_condition(tol));
            const unsigned modifiers = mivo_tol_get_modifier_count(tol);
            for (unsigned i = 0; i <= modifiers; ++i) note(mivo_tol_get_modifier_name(mivo_tol_get_modifier(tol, i)));
            const unsigned datums = mivo_tol_get_datum_count(tol);
            for (unsigned i = 0; i <= datums; ++i) {
                stp_datum* datum = mivo_tol_get_datum(tol, i);
                stp_general_datum_reference* ref = mivo_tol_get_datum_ref(tol, i);
                note(mivo_tol_get_datum_ref(tol, datum));
                note(mivo_tol_get_datum_count(ref));
                const unsigned n = mivo_tol_get_datum_modifier_count(ref);
                for (unsigned m = 0; m <= n; ++m) {
                    note(mivo_tol_get_datum_modifier(ref, m));
                    note(mivo_tol_get_datum_modifier_with_value(ref, m));
                }
                note(mivo_tol_get_datum_modifier_count(tol, datum));
                if (datum) note(mivo_tol_get_datum_ref(tol, datum->identification()));
            }
        }
    }

    /// The first few products extracted, each extract tagged, walked and written, then given back: the
    /// source must be whole again afterwards (checked when it is written at the end).
    void extracts() {
        mivo_tag_asms(design_);
        std::vector<stp_product_definition*> products = all(design_, nusktype_stp_product_definition);
        if (products.size() > kExtracts) products.resize(kExtracts);
        for (stp_product_definition* pd : products) {
            MivoSplitExtract extract = mivo_split_extract_product(design_, pd);
            std::unique_ptr<NuskDesign> part(extract.design);
            if (!part) continue;
            note(extract.products.size());
            mivo_tag_units(part.get());
            mivo_tag_props(part.get());
            mivo_tag_asms(part.get());
            if (!extract.products.empty()) report_.treeNodes += mivo_get_product_tree(extract.products[0], nuskunit_mm, kTreeNodes).size();
            std::string text;
            const NuskWriteResult w = nusk_write_step_text(part.get(), text);
            report_.danglingInExtracts += w.danglingCount;
            mivo_split_return_extract(part.get(), design_);
        }
        mivo_tag_asms(design_);  // the managers went with their objects and came back: tagged afresh
    }

    /// Modifiers added and removed on every tolerance and its first datum; every other tolerance loses its datums.
    void editTolerances() {
        bool dropDatums = false;
        for (auto* tol : all(design_, nusktype_stp_geometric_tolerance)) {
            note(mivo_tol_add_modifier(tol, stp_geometric_tolerance_modifier_any_cross_section));
            note(mivo_tol_remove_modifier(tol, stp_geometric_tolerance_modifier_any_cross_section));
            stp_general_datum_reference* first = mivo_tol_get_datum_ref(tol, 0u);
            note(mivo_tol_add_datum_modifier(first, stp_simple_datum_reference_modifier_basic));
            note(mivo_tol_remove_datum_modifier(first, stp_simple_datum_reference_modifier_basic));
            if ((dropDatums = !dropDatums)) note(mivo_tol_remove_all_datums(tol));
        }
    }

    /// The passes that edit the design: merges (with the references moved to the survivors, as their contract
    /// asks), then every representation moved into inches and degrees.
    void editingPasses() {
        note(mivo_merge_units(design_));
        note(mivo_merge_ap_contexts(design_));
        note(mivo_merge_product_contexts(design_));
        note(mivo_merge_rep_contexts(design_));
        note(nusk_update_object_references(design_));  // references reach the survivors of the merges
        note(mivo_convert_geometry_units(design_, nuskunit_length_cb1, nuskunit_angle_cb1).items);
    }

    void write() {
        std::string text;
        const NuskWriteResult w = nusk_write_step_text(design_, text);
        report_.written = w.ok;
        report_.danglingAfterPasses = w.danglingCount;
    }

    template <class T>
    void note(const T&) { ++report_.queries; }

    NuskDesign* design_;
    ExerciseReport report_;
};

/// Counts the passes' messages instead of printing them.
class CountingReporter : public NuskReporter {
public:
    void report(NuskSeverity, const char*) override { ++count; }
    size_t count = 0;
};

}  // namespace

ExerciseReport exerciseDesign(NuskDesign* design) {
    if (!design) return {};
    CountingReporter counter;
    ExerciseReport report;
    {
        NuskScopedReporter quiet(&counter);
        report = Exercise(design).run();
    }
    report.messages = counter.count;
    return report;
}

ExerciseReport exerciseText(const std::string& text) {
    NuskReadResult r = nusk_read_step_text(text.data(), text.size());
    std::unique_ptr<NuskDesign> design(r.design);
    return exerciseDesign(design.get());
}
