// The built-in sample: a small part with units, a representation context, a placed shape and a positional
// tolerance, made with the library's classes and written as a Part 21 file.
#include "commands.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace mivo_tool {

namespace {

class SampleBuilder {
public:
    explicit SampleBuilder(NuskDesign* d) : d_(d) {}

    void build() {
        NuskFileHeader& h = d_->header();
        h.description = {"mivo sample design: a bracket with units, a context, a placed shape and a tolerance"};
        h.originatingSystem = "mivo";
        h.preprocessorVersion = "mivo";
        h.schemas = {"AP242_MANAGED_MODEL_BASED_3D_ENGINEERING_MIM_LF { 1 0 10303 442 1 1 4 }"};
        stp_product_definition* pd = product();
        stp_representation_context* ctx = context();
        auto* shape = new (d_) stp_shape_representation();
        shape->name("bracket");
        auto* items = new (d_) SetOfstp_representation_item();
        items->add(placement({0, 0, 0}, {0, 0, 1}, {1, 0, 0}));
        for (const Xyz& p : {Xyz{0, 0, 0}, Xyz{80, 0, 0}, Xyz{80, 40, 0}, Xyz{0, 40, 12.5}}) items->add(point(p));
        shape->items(items);
        shape->context_of_items(ctx);
        auto* pds = new (d_) stp_product_definition_shape();
        pds->name("");
        auto* definition = new (d_) stp_characterized_definition();
        definition->_product_definition(pd);
        pds->definition(definition);
        auto* sdr = new (d_) stp_shape_definition_representation();
        auto* represented = new (d_) stp_represented_definition();
        represented->_property_definition(pds);
        sdr->definition(represented);
        sdr->used_representation(shape);
        tolerance(pds);
    }

private:
    struct Xyz {
        double x, y, z;
    };

    ListOfDouble* triple(const Xyz& v) {
        auto* l = new (d_) ListOfDouble();
        l->add(v.x);
        l->add(v.y);
        l->add(v.z);
        return l;
    }
    stp_cartesian_point* point(const Xyz& v) {
        auto* p = new (d_) stp_cartesian_point();
        p->name("");
        p->coordinates(triple(v));
        return p;
    }
    stp_direction* direction(const Xyz& v) {
        auto* dir = new (d_) stp_direction();
        dir->name("");
        dir->direction_ratios(triple(v));
        return dir;
    }
    stp_axis2_placement_3d* placement(const Xyz& origin, const Xyz& z, const Xyz& x) {
        auto* a = new (d_) stp_axis2_placement_3d();
        a->name("");
        a->location(point(origin));
        a->axis(direction(z));
        a->ref_direction(direction(x));
        return a;
    }

    stp_product_definition* product() {
        auto* app = new (d_) stp_application_context();
        app->application("mechanical design");
        auto* apd = new (d_) stp_application_protocol_definition();
        apd->status("international standard");
        apd->application_interpreted_model_schema_name("ap242_managed_model_based_3d_engineering_mim_lf");
        apd->application_protocol_year(2014);
        apd->application(app);
        auto* pc = new (d_) stp_product_context();
        pc->name("");
        pc->frame_of_reference(app);
        pc->discipline_type("mechanical");
        auto* product = new (d_) stp_product();
        product->id("bracket");
        product->name("bracket");
        product->description("");
        auto* contexts = new (d_) SetOfstp_product_context();
        contexts->add(pc);
        product->frame_of_reference(contexts);
        auto* formation = new (d_) stp_product_definition_formation();
        formation->id("1");
        formation->description("");
        formation->of_product(product);
        auto* pdc = new (d_) stp_product_definition_context();
        pdc->name("part definition");
        pdc->frame_of_reference(app);
        pdc->life_cycle_stage("design");
        auto* pd = new (d_) stp_product_definition();
        pd->id("design");
        pd->description("");
        pd->formation(formation);
        pd->frame_of_reference(pdc);
        return pd;
    }

    stp_unit* unitSelect(stp_named_unit* u) {
        auto* s = new (d_) stp_unit();
        s->_named_unit(u);
        return s;
    }

    stp_representation_context* context() {
        mm_ = new (d_) stp_length_unit_and_si_unit();
        mm_->prefix(stp_si_prefix_milli);
        mm_->name(stp_si_unit_name_metre);
        auto* rad = new (d_) stp_plane_angle_unit_and_si_unit();
        rad->name(stp_si_unit_name_radian);
        auto* sr = new (d_) stp_si_unit_and_solid_angle_unit();
        sr->name(stp_si_unit_name_steradian);
        auto* uncertainty = new (d_) stp_uncertainty_measure_with_unit();
        auto* value = new (d_) stp_measure_value();
        value->_length_measure(0.001);
        uncertainty->value_component(value);
        uncertainty->unit_component(unitSelect(mm_));
        uncertainty->name("distance_accuracy_value");
        uncertainty->description("confusion accuracy");
        auto* ctx = new (d_) stp_geometric_representation_context_and_global_uncertainty_assigned_context_and_global_unit_assigned_context();
        ctx->context_identifier("3D");
        ctx->context_type("model");
        ctx->coordinate_space_dimension(3);
        auto* units = new (d_) SetOfstp_unit();
        for (stp_named_unit* u : {static_cast<stp_named_unit*>(mm_), static_cast<stp_named_unit*>(rad),
                                  static_cast<stp_named_unit*>(sr)})
            units->add(unitSelect(u));
        ctx->units(units);
        auto* uncertainties = new (d_) SetOfstp_uncertainty_measure_with_unit();
        uncertainties->add(uncertainty);
        ctx->uncertainty(uncertainties);
        return ctx;
    }

    void tolerance(stp_product_definition_shape* pds) {
        auto* face = new (d_) stp_shape_aspect();
        face->name("hole");
        face->description("");
        face->of_shape(pds);
        face->product_definitional(1);
        auto* tol = new (d_) stp_position_tolerance();
        tol->name("position");
        tol->description("");
        auto* magnitude = new (d_) stp_length_measure_with_unit();
        auto* value = new (d_) stp_measure_value();
        value->_length_measure(0.25);
        magnitude->value_component(value);
        magnitude->unit_component(unitSelect(mm_));
        tol->magnitude(magnitude);
        auto* target = new (d_) stp_geometric_tolerance_target();
        target->_shape_aspect(face);
        tol->toleranced_shape_aspect(target);
    }

    NuskDesign* d_;
    stp_length_unit_and_si_unit* mm_ = nullptr;
};

}  // namespace

bool writeSample(const std::string& path, std::string& error) {
    NuskDesign design("sample", nusk_ap242_schema());
    SampleBuilder(&design).build();
    NuskWriteResult w = nusk_write_step(&design, path.c_str());
    if (!w.ok) error = w.error;
    return w.ok;
}

int runSample(bool json) {
    char path[] = "/tmp/mivo-sample-XXXXXX.stp";
    int fd = mkstemps(path, 4);
    if (fd < 0) {
        std::fprintf(stderr, "mivo: cannot make a temporary file\n");
        return kFailed;
    }
    close(fd);
    std::string error;
    int status = kFailed;
    if (!writeSample(path, error))
        std::fprintf(stderr, "mivo: %s\n", error.c_str());
    else
        // The temporary file is gone when the command ends: the report names what it held instead.
        status = runInfo({path, "", json, false, "", "", ""}, "the sample design, written to a temporary file and read back");
    std::remove(path);
    return status;
}

}  // namespace mivo_tool
