// Every exported function of the families that exist, called with null objects and designs, gives its empty
// result (null, 0, the null real, no effect) and does not crash. Each later family adds its rows.
#include "mivo_assemblies.h"
#include "mivo_contexts.h"
#include "mivo_geometry.h"
#include "mivo_managers.h"
#include "mivo_measures.h"
#include "mivo_properties.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/math.h"
#include "nusk/part21.h"
#include "nusk/store.h"

#include "null_rows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using misuse::Row;

using misuse::expectAllEmpty;

NuskObject* const kNoObject = nullptr;
NuskDesign* const kNoDesign = nullptr;

TEST(NullArguments, ObjectStore) {
    NuskDesign design("misuse", nusk_ap242_schema());
    NuskObject* point = design.pnewInstance(nusktype_stp_cartesian_point);
    NuskAttribute* none = nullptr;
    expectAllEmpty({
        {"nusk_cast", [] { return nusk_cast(kNoObject, nusktype_stp_cartesian_point) == nullptr; }},
        {"nusk_cast (untyped)", [] { return nusk_cast(kNoObject, static_cast<NuskTypePtr&>(nusktype_NuskStructure)) == nullptr; }},
        {"nusk_get_nested_object", [] { return nusk_get_nested_object(nullptr, nullptr) == nullptr; }},
        {"nusk_put_nested_object", [] { return nusk_put_nested_object(nullptr, nullptr) == 0; }},
        {"nusk_update_prim", [] { return nusk_update_prim(kNoObject, static_cast<const char*>("name"), "x") == 0; }},
        {"nusk_update_prim (no attribute)", [&] { return nusk_update_prim(point, none, "x") == 0; }},
        {"nusk_refcount", [] { return nusk_refcount(kNoObject) == 0; }},
        {"nusk_refcount_inc", [] { return nusk_refcount_inc(kNoObject) == 0; }},
        {"nusk_refcount_dec", [] { return nusk_refcount_dec(kNoObject) == 0; }},
        {"nusk_move_to_trash", [] { return nusk_move_to_trash(kNoObject) == 0; }},
        {"nusk_register_substitute", [] { nusk_register_substitute(kNoObject, kNoObject); return true; }},
        {"nusk_expand_substitutes", [] { return nusk_expand_substitutes(kNoObject) == nullptr; }},
        {"nusk_update_object_references", [] { return nusk_update_object_references(kNoDesign) == 0; }},
        {"nusk_mark_set / nusk_is_marked", [] { nusk_mark_begin(); nusk_mark_set(kNoObject); bool r = nusk_is_marked(kNoObject) == 0; nusk_mark_end(); return r; }},
        {"nusk_strcasecmp", [] { return nusk_strcasecmp(nullptr, nullptr) == 0; }},
        {"nusk_new", [] { return nusk_new(8, nullptr, nusk_domain_ListOfDouble()) == nullptr; }},
        {"nusk_new_in_default_section", [] { return nusk_new_in_default_section(8, kNoDesign, nusk_domain_ListOfDouble()) == nullptr; }},
        {"pnewInstance", [&] { return design.pnewInstance(nullptr) == nullptr; }},
        {"findComplexDomain", [&] { return design.findComplexDomain(static_cast<ListOfNuskDomain*>(nullptr)) == nullptr; }},
        {"findEntity", [&] { return design.findEntity(0) == nullptr; }},
        {"DictionaryOfNuskObject::create", [] { return DictionaryOfNuskObject::create(nullptr) == nullptr; }},
        {"getObject (no attribute)", [&] { return point->getObject(none) == nullptr; }},
        {"getDouble (no name)", [&] { return point->getDouble(static_cast<const char*>(nullptr)) == NUSK_NULL_REAL; }},
        {"putObject (no attribute)", [&] { return point->putObject(nullptr, none) == 0; }},
        {"usedin (no result set)", [&] { point->usedin(nullptr, nullptr, nullptr); return true; }},
        {"move (no target)", [&] { return point->move(nullptr, 0, 0) == 0; }},
        {"isa (no domain)", [&] { return !point->isa(static_cast<const NuskDomain*>(nullptr)); }},
        {"cursor (no design)", [] { NuskCursor c; c.traverse(nullptr); return c.next() == nullptr; }},
        {"nusk_instances_of (no design)", [] { return nusk_instances_of(nullptr, nusktype_stp_cartesian_point).empty(); }},
        {"add_manager (none)", [&] { point->add_manager(nullptr); return true; }},
    });
}

TEST(NullArguments, MathLibrary) {
    double out[3] = {7, 7, 7};
    expectAllEmpty({
        {"nusk_vec_put (null list)", [&] { nusk_vec_put(out, static_cast<const ListOfDouble*>(nullptr)); return out[0] == 0 && out[2] == 0; }},
        {"nusk_vec_put (null output)", [] { nusk_vec_put(nullptr, 1, 2, 3); nusk_vec_put(nullptr, static_cast<const ListOfDouble*>(nullptr)); return true; }},
        {"nusk_vec_normalize", [] { return nusk_vec_normalize(nullptr, nullptr) == 0.0; }},
        {"nusk_vec_is_zero", [] { return nusk_vec_is_zero(nullptr, 0.0) == 1; }},
        {"nusk_vec_put_as_unit", [] { return nusk_vec_put_as_unit(nullptr, nullptr, nuskunit_mm, nuskunit_m) == 0; }},
        {"nusk_xform_put_identity", [] { nusk_xform_put_identity(nullptr); return true; }},
        {"nusk_xform_put_dirs", [] { nusk_xform_put_dirs(nullptr, nullptr, nullptr); return true; }},
        {"nusk_xform_put_cto", [] { nusk_xform_put_cto(nullptr, nullptr, nullptr, nullptr, nullptr, 1.0); return true; }},
        {"nusk_xform_apply", [&] { nusk_xform_apply(out, nullptr, nullptr); nusk_xform_apply(nullptr, nullptr, nullptr); return out[0] == 0; }},
        {"nusk_xform_apply_dir", [] { nusk_xform_apply_dir(nullptr, nullptr, nullptr); return true; }},
        {"nusk_xform_compose", [] { NuskXform x; nusk_xform_compose(x.m, nullptr, nullptr); nusk_xform_compose(nullptr, x.m, x.m); return x.m[0] == 1 && x.m[15] == 1; }},
        {"nusk_xform_inverse", [] { NuskXform x; return nusk_xform_inverse(nullptr, x.m) == 0 && nusk_xform_inverse(x.m, nullptr) == 1; }},
        {"nusk_get_unit_name (unknown code)", [] { return nusk_get_unit_name(static_cast<NuskUnit>(99)) == nullptr; }},
    });
}

TEST(NullArguments, Part21) {
    std::string out;
    expectAllEmpty({
        {"nusk_read_step (no path)", [] { NuskReadResult r = nusk_read_step(nullptr); return !r.design && r.status == NuskReadStatus::unreadable; }},
        {"nusk_read_step_text (no text)", [] { NuskReadResult r = nusk_read_step_text(nullptr, 5); return !r.design && r.status == NuskReadStatus::unreadable; }},
        {"nusk_write_step (no design)", [] { return !nusk_write_step(nullptr, "/tmp/x.stp").ok; }},
        {"nusk_write_step (no path)", [] { NuskDesign d; return !nusk_write_step(&d, nullptr).ok; }},
        {"nusk_write_step_text (no design)", [&] { return !nusk_write_step_text(nullptr, out).ok && out.empty(); }},
    });
}

TEST(NullArguments, ManagersUnitsAndMeasures) {
    expectAllEmpty({
        {"MivoMgrAsmProduct::find", [] { return MivoMgrAsmProduct::find(nullptr) == nullptr; }},
        {"MivoMgrAsmRelation::find", [] { return MivoMgrAsmRelation::find(nullptr) == nullptr; }},
        {"MivoMgrAsmShapeRep::find", [] { return MivoMgrAsmShapeRep::find(nullptr) == nullptr; }},
        {"MivoMgrProperty::find", [] { return MivoMgrProperty::find(nullptr) == nullptr; }},
        {"MivoMgrPropertyRep::find", [] { return MivoMgrPropertyRep::find(nullptr) == nullptr; }},
        {"MivoMgrDocumentRef::find", [] { return MivoMgrDocumentRef::find(nullptr) == nullptr; }},
        {"MivoMgrExternalID::find", [] { return MivoMgrExternalID::find(nullptr) == nullptr; }},
        {"MivoMgrRepExternalDef::find", [] { return MivoMgrRepExternalDef::find(nullptr) == nullptr; }},
        {"MivoMgrShapeAspect::find", [] { return MivoMgrShapeAspect::find(nullptr) == nullptr; }},
        {"MivoMgrUnit::find / make", [] { return !MivoMgrUnit::find(nullptr) && !MivoMgrUnit::make(nullptr); }},
        {"MivoMgrDesignStatus::find / make", [] { return !MivoMgrDesignStatus::find(nullptr) && !MivoMgrDesignStatus::make(nullptr); }},
        {"MivoMgrSplitStatus::find", [] { return MivoMgrSplitStatus::find(nullptr) == nullptr; }},
        {"MivoMgrSplitProduct::find", [] { return MivoMgrSplitProduct::find(nullptr) == nullptr; }},
        {"MivoMgrSplitTmpObj::mark_as_temp", [] { return MivoMgrSplitTmpObj::mark_as_temp(nullptr, nullptr) == nullptr; }},
        {"mivo_tag_units and the single taggers", [] {
             mivo_tag_units(nullptr);
             mivo_tag_si_unit(nullptr);
             mivo_tag_conversion_based_unit(nullptr);
             mivo_tag_context_dependent_unit(nullptr);
             mivo_tag_derived_unit(nullptr);
             return true;
         }},
        {"mivo_get_unit_type", [] { return mivo_get_unit_type(static_cast<stp_measure_with_unit*>(nullptr)) == 0 && mivo_get_unit_type(static_cast<stp_named_unit*>(nullptr)) == 0 && mivo_get_unit_type(static_cast<stp_unit*>(nullptr)) == 0; }},
        {"mivo_get_measure_type", [] { return mivo_get_measure_type(static_cast<stp_measure_with_unit*>(nullptr)) == 0 && mivo_get_measure_type(static_cast<stp_named_unit*>(nullptr)) == 0 && mivo_get_measure_type(static_cast<stp_unit*>(nullptr)) == 0; }},
        {"mivo_get_unit_fullname", [] { return std::string(mivo_get_unit_fullname(static_cast<stp_named_unit*>(nullptr))) == "none" && std::string(mivo_get_unit_fullname(static_cast<stp_derived_unit*>(nullptr))) == "none" && std::string(mivo_get_unit_fullname(static_cast<stp_unit*>(nullptr))) == "none"; }},
        {"mivo_get_unit_name", [] { return std::string(mivo_get_unit_name(static_cast<stp_unit*>(nullptr))) == "none" && std::string(mivo_get_unit_name(static_cast<stp_measure_with_unit*>(nullptr))) == "none"; }},
        {"mivo_make_unit", [] { return mivo_make_unit(nullptr, nuskunit_mm) == nullptr; }},
        {"mivo_make_named_unit", [] { return mivo_make_named_unit(nullptr, nuskunit_mm) == nullptr; }},
        {"mivo_make_si_unit", [] { return mivo_make_si_unit(nullptr, nuskunit_mm, stp_si_unit_name_metre, stp_si_prefix_milli) == nullptr; }},
        {"mivo_make_cb_unit", [] { return mivo_make_cb_unit(nullptr, nuskunit_length_cb1, nuskunit_mm) == nullptr; }},
        {"mivo_make_derived_unit_base", [] { return mivo_make_derived_unit_base(nullptr, nuskunit_mm2) == nullptr; }},
        {"mivo_add_derived_unit_term", [] { mivo_add_derived_unit_term(nullptr, nuskunit_mm, 1.0); return true; }},
        {"mivo_merge_units", [] { return mivo_merge_units(nullptr) == 0; }},
        {"mivo_shortcut_put / find / clear_all", [] { mivo_shortcut_put(nullptr, "k", nullptr); mivo_shortcut_clear_all(nullptr); return mivo_shortcut_find(nullptr, "k") == nullptr; }},
        {"mivo_get_const_unit / mivo_put_const_unit", [] { mivo_put_const_unit(nullptr, nullptr, nuskunit_mm); return mivo_get_const_unit(nullptr, nuskunit_mm) == nullptr; }},
        {"mivo_make_measure_value", [] { return mivo_make_measure_value(nullptr, 1.0, nuskmeasure_length) == nullptr; }},
        {"mivo_make_measure", [] { return mivo_make_measure(nullptr, 1.0, nuskunit_mm) == nullptr; }},
    });
}

TEST(NullArguments, Measures) {
    using M = stp_measure_with_unit*;
    using Q = stp_qualified_representation_item*;
    using R = stp_representation*;
    const M m = nullptr;
    const Q q = nullptr;
    const R r = nullptr;
    NuskUnitSet units;
    auto none = [](double v) { return v == NUSK_NULL_REAL; };
    expectAllEmpty({
        {"mivo_get_measure_value", [&] { return none(mivo_get_measure_value(m, nuskunit_mm)) && none(mivo_get_measure_value(m, &units, nuskmeasure_length)) && none(mivo_get_measure_value(m, nullptr, nuskmeasure_length)); }},
        {"kind getters (unit set)", [&] { return none(mivo_get_angle_value(m, &units)) && none(mivo_get_length_value(m, &units)) && none(mivo_get_time_value(m, &units)) && none(mivo_get_feedrate_value(m, &units)) && none(mivo_get_spinrate_value(m, &units)) && none(mivo_get_pressure_value(m, &units)); }},
        {"kind getters (unit)", [&] { return none(mivo_get_angle_value(m, nuskunit_rad)) && none(mivo_get_length_value(m, nuskunit_mm)) && none(mivo_get_time_value(m, nuskunit_s)) && none(mivo_get_feedrate_value(m, nuskunit_mm_per_s)) && none(mivo_get_spinrate_value(m, nuskunit_revolution_per_s)) && none(mivo_get_pressure_value(m, nuskunit_pa)); }},
        {"mivo_get_count_value / mivo_get_ratio_value", [&] { return none(mivo_get_count_value(m)) && none(mivo_get_ratio_value(m)); }},
        {"mivo_get_descriptive_value", [&] { return !mivo_get_descriptive_value(m) && !mivo_get_descriptive_value(r, "x") && !mivo_get_descriptive_value(r, nullptr); }},
        {"mivo_get_measure_std_uncertainty", [&] { return !mivo_get_measure_std_uncertainty(q, "x") && !mivo_get_measure_std_uncertainty(m, "x"); }},
        {"limit, current and precision getters", [&] { return none(mivo_get_measure_lower_limit_value(m, nuskunit_mm)) && none(mivo_get_measure_upper_limit_value(m, nuskunit_mm)) && none(mivo_get_measure_current_value(m, nuskunit_mm)) && mivo_get_measure_precision_value(m) == NUSK_NULL_INTEGER; }},
        {"mivo_make_measure_item / qualified", [] { return !mivo_make_measure_item(nullptr, 1.0, nuskunit_mm) && !mivo_make_qualified_measure_item(nullptr, 1.0, nuskunit_mm); }},
        {"typed measure makers", [] { return !mivo_make_angle_measure(nullptr, 1.0, nuskunit_rad) && !mivo_make_length_measure(nullptr, 1.0, nuskunit_mm) && !mivo_make_ratio_measure(nullptr, 1.0, nuskunit_ratio) && !mivo_make_time_measure(nullptr, 1.0, nuskunit_s); }},
        {"typed measure item makers", [] { return !mivo_make_angle_measure_item(nullptr, 1.0, nuskunit_rad) && !mivo_make_length_measure_item(nullptr, 1.0, nuskunit_mm) && !mivo_make_ratio_measure_item(nullptr, 1.0, nuskunit_ratio) && !mivo_make_time_measure_item(nullptr, 1.0, nuskunit_s); }},
        {"qualifier setters", [&] { return !mivo_put_measure_std_uncertainty(q, "x", 1.0) && !mivo_put_measure_lower_limit_value(q, 1.0) && !mivo_put_measure_upper_limit_value(q, 1.0) && !mivo_put_measure_precision_value(q, 1); }},
        {"mivo_put_measure_std_uncertainty (no name)", [] { NuskDesign d("misuse", nusk_ap242_schema()); return !mivo_put_measure_std_uncertainty(mivo_make_qualified_measure_item(&d, 1.0, nuskunit_mm), nullptr, 1.0); }},
        {"mivo_get_rep_item / descriptive / measure items", [&] { return !mivo_get_rep_item(r, nullptr, nullptr) && !mivo_get_descriptive_item(r, "x") && !mivo_get_measure_item(r, nullptr, nuskmeasure_unknown); }},
        {"kind item getters", [&] { return !mivo_get_angle_item(r, "x") && !mivo_get_spinrate_item(r, "x") && !mivo_get_count_item(r, "x") && !mivo_get_length_item(r, "x") && !mivo_get_pressure_item(r, "x") && !mivo_get_ratio_item(r, "x") && !mivo_get_feedrate_item(r, "x") && !mivo_get_time_item(r, "x"); }},
    });
}

TEST(NullArguments, Contexts) {
    auto* noContext = static_cast<stp_representation_context*>(nullptr);
    auto* noRep = static_cast<stp_representation*>(nullptr);
    expectAllEmpty({
        {"mivo_get_context_unit", [&] { return mivo_get_context_unit(noContext, nuskmeasure_length) == 0 && mivo_get_context_unit(noRep, nuskmeasure_length) == 0; }},
        {"mivo_get_context_length_unit", [&] { return mivo_get_context_length_unit(noContext) == 0 && mivo_get_context_length_unit(noRep) == 0; }},
        {"mivo_get_context_angle_unit", [&] { return mivo_get_context_angle_unit(noContext) == 0 && mivo_get_context_angle_unit(noRep) == 0; }},
        {"mivo_get_context_solid_angle_unit", [&] { return mivo_get_context_solid_angle_unit(noContext) == 0 && mivo_get_context_solid_angle_unit(noRep) == 0; }},
        {"mivo_get_context_uncertainty", [&] { return !mivo_get_context_uncertainty(noContext, nullptr) && !mivo_get_context_uncertainty(noRep, "name"); }},
        {"mivo_get_context_uncertainty_value", [&] { return mivo_get_context_uncertainty_value(noContext, nullptr) == NUSK_NULL_REAL && mivo_get_context_uncertainty_value(noRep, "name") == NUSK_NULL_REAL; }},
        {"mivo_get_ap_context", [] { return mivo_get_ap_context(nullptr) == nullptr; }},
        {"mivo_make_ap_context", [] { return mivo_make_ap_context(nullptr) == nullptr; }},
        {"mivo_merge_ap_contexts", [] { return mivo_merge_ap_contexts(nullptr) == 0; }},
        {"mivo_merge_product_contexts", [] { return mivo_merge_product_contexts(nullptr) == 0; }},
        {"mivo_merge_rep_contexts", [] { return mivo_merge_rep_contexts(nullptr) == 0; }},
    });
}

TEST(NullArguments, Geometry) {
    double out[3] = {7, 7, 7};
    double xform[16];
    NuskPoint p;
    NuskDirection d;
    NuskXform x;
    auto nulls = [](const double* v) { return v[0] == NUSK_NULL_REAL && v[1] == NUSK_NULL_REAL && v[2] == NUSK_NULL_REAL; };
    using Point = stp_cartesian_point*;
    using Vertex = stp_vertex*;
    using Cto = stp_cartesian_transformation_operator*;
    expectAllEmpty({
        {"mivo_vec_put (no output)", [] { return mivo_vec_put(static_cast<double*>(nullptr), Point()) == 0 && mivo_vec_put(static_cast<double*>(nullptr), static_cast<stp_direction*>(nullptr)) == 0 && mivo_vec_put(static_cast<double*>(nullptr), static_cast<stp_vector*>(nullptr)) == 0 && mivo_vec_put(static_cast<double*>(nullptr), Vertex()) == 0; }},
        {"mivo_vec_put (no entity)", [&] { return mivo_vec_put(p, Point()) == 1 && p[0] == 0 && mivo_vec_put(d, static_cast<stp_direction*>(nullptr)) == 1 && mivo_vec_put(p, Vertex()) == 0 && mivo_vec_put(d, static_cast<stp_vector*>(nullptr)) == 1; }},
        {"mivo_vec_put_as_unit", [&] { return mivo_vec_put_as_unit(static_cast<double*>(nullptr), Point(), nuskunit_mm, nuskunit_mm) == 0 && mivo_vec_put_as_unit(p, Vertex(), nuskunit_mm, nuskunit_mm) == 0 && mivo_vec_put_as_unit(static_cast<double*>(nullptr), Vertex(), nuskunit_mm, nuskunit_mm) == 0; }},
        {"mivo_xform_put (no output)", [] { return mivo_xform_put(static_cast<double*>(nullptr), static_cast<stp_axis1_placement*>(nullptr)) == 0 && mivo_xform_put(static_cast<double*>(nullptr), static_cast<stp_axis2_placement_3d*>(nullptr)) == 0 && mivo_xform_put(static_cast<double*>(nullptr), Cto()) == 0; }},
        {"mivo_xform_put (no placement)", [&] { return mivo_xform_put(x, static_cast<stp_axis1_placement*>(nullptr)) == 1 && mivo_xform_put(xform, Cto()) == 1 && xform[0] == 1 && mivo_xform_put(x, static_cast<stp_axis2_placement*>(nullptr)) == 0; }},
        {"mivo_get_point_xyz", [&] { mivo_get_point_xyz(static_cast<double*>(nullptr), Point(), nuskunit_mm, nuskunit_mm); mivo_get_point_xyz(out, Point(), &x, nuskunit_mm, nuskunit_mm); return nulls(out); }},
        {"mivo_get_direction_ijk", [&] { out[0] = 7; mivo_get_direction_ijk(static_cast<double*>(nullptr), Point(), nullptr); mivo_get_direction_ijk(out, Point(), &x); return nulls(out); }},
        {"mivo_make_cartesian_point / direction", [] { const double v[3] = {1, 2, 3}; return !mivo_make_cartesian_point(nullptr, v, "") && !mivo_make_direction(nullptr, v, "") && !mivo_make_cartesian_point(nullptr, NuskPoint(), nullptr) && !mivo_make_direction(nullptr, NuskDirection(), nullptr); }},
        {"mivo_make_ap3d / cto3d", [] { NuskDesign design("misuse", nusk_ap242_schema()); return !mivo_make_ap3d(nullptr, NuskXform(), "") && !mivo_make_cto3d(nullptr, NuskXform(), "") && !mivo_make_ap3d(&design, static_cast<const double*>(nullptr), "") && !mivo_make_cto3d(&design, static_cast<const double*>(nullptr), ""); }},
        {"mivo_get_cone_angle", [] { return mivo_get_cone_angle(nullptr, nuskunit_rad, nuskunit_rad) == NUSK_NULL_REAL && mivo_get_cone_angle(nullptr, static_cast<stp_representation*>(nullptr), nuskunit_rad) == NUSK_NULL_REAL; }},
        {"mivo_get_edge_start / end", [&] { return !mivo_get_edge_start(nullptr) && !mivo_get_edge_end(nullptr) && mivo_get_edge_start(out, nullptr) == 0 && mivo_get_edge_end(static_cast<double*>(nullptr), nullptr) == 0; }},
        {"mivo_get_polyline_point / size", [] { return !mivo_get_polyline_point(nullptr, 0) && mivo_get_polyline_size(nullptr) == 0; }},
        {"styled item targets", [] { mivo_put_styled_rep(nullptr, nullptr); mivo_put_styled_repitem(nullptr, nullptr); return !mivo_get_styled_rep(nullptr) && !mivo_get_styled_repitem(nullptr); }},
        {"mivo_get_trimming_point", [] { return mivo_get_trimming_point(nullptr) == nullptr; }},
    });
}

TEST(NullArguments, UnitTranslation) {
    NuskDesign design("misuse", nusk_ap242_schema());
    auto* rep = new (&design) stp_shape_representation();
    auto* context = new (&design) stp_geometric_representation_context();
    auto* out = new (&design) ListOfstp_representation_item();
    auto* noRep = static_cast<stp_representation*>(nullptr);
    auto* noContext = static_cast<stp_representation_context*>(nullptr);
    expectAllEmpty({
        {"mivo_find_nested_repitems", [&] { mivo_find_nested_repitems(noRep, out); mivo_find_nested_repitems(rep, nullptr); mivo_find_nested_repitems(noRep, nullptr); mivo_find_nested_repitems(rep, out); return out->empty(); }},
        {"mivo_translate_geometry_units", [&] { return mivo_translate_geometry_units(noRep, context) == 0 && mivo_translate_geometry_units(rep, noContext) == 0 && mivo_translate_geometry_units(noRep, noContext) == 0 && rep->context_of_items() == nullptr; }},
        {"mivo_make_context_in_units", [&] { return mivo_make_context_in_units(noContext, nuskunit_mm, nuskunit_rad) == nullptr; }},
        {"mivo_convert_geometry_units", [] { const MivoUnitConversion done = mivo_convert_geometry_units(nullptr, nuskunit_mm, nuskunit_rad); return done.representations == 0 && done.contexts == 0 && done.items == 0; }},
    });
}

TEST(NullArguments, Properties) {
    using PD = stp_property_definition*;
    using PDR = stp_property_definition_representation*;
    // The passes on a null design do nothing; run on an empty design afterwards they record nothing either.
    NuskDesign empty("misuse", nusk_ap242_schema());
    auto nothingRecorded = [&] { return nusk_instances_of(&empty, nusktype_NuskStructure).empty(); };
    expectAllEmpty({
        {"mivo_tag_props", [&] { mivo_tag_props(kNoDesign); mivo_tag_props(&empty); return nothingRecorded(); }},
        {"MivoMgrProperty::tag_design", [&] { MivoMgrProperty::tag_design(kNoDesign); return nothingRecorded(); }},
        {"MivoMgrPropertyRep::tag_design", [&] { MivoMgrPropertyRep::tag_design(kNoDesign); return nothingRecorded(); }},
        {"MivoMgrDocumentRef::tag_design", [&] { MivoMgrDocumentRef::tag_design(kNoDesign); MivoMgrDocumentRef::tag_design(&empty); return nothingRecorded(); }},
        {"MivoMgrExternalID::tag_design", [&] { MivoMgrExternalID::tag_design(kNoDesign); MivoMgrExternalID::tag_design(&empty); return nothingRecorded(); }},
        {"MivoMgrRepExternalDef::tag_design", [&] { MivoMgrRepExternalDef::tag_design(kNoDesign); MivoMgrRepExternalDef::tag_design(&empty); return nothingRecorded(); }},
        {"MivoMgrShapeAspect::tag_design", [&] { MivoMgrShapeAspect::tag_design(kNoDesign); MivoMgrShapeAspect::tag_design(&empty); return nothingRecorded(); }},
        {"mivo_get_property_owner", [] { return !mivo_get_property_owner(PD()) && !mivo_get_property_owner(PDR()); }},
        {"mivo_get_property_owner_as_pdef", [] { return !mivo_get_property_owner_as_pdef(PD()) && !mivo_get_property_owner_as_pdef(PDR()); }},
        {"mivo_get_shape_property", [] { return mivo_get_shape_property(kNoObject) == nullptr; }},
        {"mivo_has_properties", [] { return mivo_has_properties(kNoObject) == 0; }},
        {"mivo_get_external_filename", [] { return mivo_get_external_filename(nullptr) == nullptr; }},
        {"mivo_get_external_source", [] { return mivo_get_external_source(nullptr) == nullptr; }},
        {"mivo_get_reference_filename", [] { return mivo_get_reference_filename(nullptr) == nullptr; }},
        {"mivo_get_item_number", [] { return mivo_get_item_number(nullptr, nuskunit_mm) == NUSK_NULL_REAL; }},
        {"mivo_get_item_text", [] { return mivo_get_item_text(nullptr) == nullptr; }},
    });
}

TEST(NullArguments, Assemblies) {
    NuskDesign design("misuse", nusk_ap242_schema());
    auto* rel = static_cast<stp_product_definition_relationship*>(nullptr);
    using Item = stp_mapped_item*;
    using Rel = stp_shape_representation_relationship*;
    auto identity = [](const NuskXform& x) {
        for (int i = 0; i < 16; ++i)
            if (x[i] != NuskXform()[i]) return false;
        return true;
    };
    StpAsmProductDefVec products;
    StpAsmShapeRepVec shapes;
    expectAllEmpty({
        {"mivo_get_related_pdef / relating", [&] { return !mivo_get_related_pdef(rel) && !mivo_get_relating_pdef(rel); }},
        {"mivo_put_related_pdef / relating", [&] { mivo_put_related_pdef(rel, nullptr); mivo_put_relating_pdef(rel, nullptr); return true; }},
        {"mivo_tag_asms", [] { mivo_tag_asms(nullptr); return true; }},
        {"mivo_find_root_products", [&] { mivo_find_root_products(nullptr, &design); mivo_find_root_products(&products, nullptr); return products.size() == 0; }},
        {"mivo_find_root_shapes", [&] { mivo_find_root_shapes(nullptr, &design); mivo_find_root_shapes(&shapes, nullptr); return shapes.size() == 0; }},
        {"mivo_find_shapes_wo_product", [&] { mivo_find_shapes_wo_product(nullptr, &design); mivo_find_shapes_wo_product(&shapes, nullptr); return shapes.size() == 0; }},
        {"mivo_get_shape_usage_child_product", [] { return !mivo_get_shape_usage_child_product(Item()) && !mivo_get_shape_usage_child_product(Rel()); }},
        {"mivo_get_shape_usage_child_rep", [] { return !mivo_get_shape_usage_child_rep(Item()) && !mivo_get_shape_usage_child_rep(Rel()); }},
        {"mivo_get_shape_usage_nauo", [] { return !mivo_get_shape_usage_nauo(Item()) && !mivo_get_shape_usage_nauo(Rel()); }},
        {"mivo_get_shape_usage_xform", [&] { return identity(mivo_get_shape_usage_xform(Item(), nuskunit_mm)) && identity(mivo_get_shape_usage_xform(Rel(), nuskunit_as_is)); }},
        {"mivo_get_transform (link)", [&] { return identity(mivo_get_transform(static_cast<MivoMgrAsmRelation*>(nullptr), nuskunit_mm)); }},
        {"mivo_get_transform (placements)", [&] { return identity(mivo_get_transform(nullptr, nullptr, nuskunit_mm, nuskunit_mm)); }},
        {"mivo_get_product_children", [] { return mivo_get_product_children(nullptr, nuskunit_mm).empty(); }},
        {"mivo_get_product_tree", [] { return mivo_get_product_tree(nullptr, nuskunit_mm).empty(); }},
    });
}

}  // namespace
