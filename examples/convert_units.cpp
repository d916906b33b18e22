// Converts the geometry of a STEP file into inch: every representation moves into a context in inch (one new
// context per context it was in), its points, radii, offsets and other lengths converted; plane angles keep
// their units. Shows a point before and after, and writes the result when an output file is named.
//
//   convert_units [FILE.stp [OUT.stp]]     (FILE defaults to ../shared/data/assemblies/as1.step)
#include "mivo_contexts.h"
#include "mivo_geometry.h"
#include "mivo_units.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <memory>

namespace {

/// The first cartesian point away from the origin in a shape representation, and that representation.
stp_cartesian_point* firstPoint(NuskDesign* design, stp_representation*& owner) {
    // The list is scratch: made in a design of its own, so that the design written gains nothing.
    NuskDesign scratch("scratch", design->schemaOf());
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_shape_representation)) {
        auto* rep = nusk_cast(obj, nusktype_stp_representation);
        auto* items = new (&scratch) ListOfstp_representation_item();
        mivo_find_nested_repitems(rep, items);  // the items and everything below them
        for (unsigned i = 0; i < items->size(); ++i) {
            auto* point = nusk_cast(items->getObject(i), nusktype_stp_cartesian_point);
            ListOfDouble* xyz = point ? point->coordinates() : nullptr;
            for (unsigned k = 0; xyz && k < xyz->size(); ++k) {
                if (xyz->get(k) == 0) continue;
                owner = rep;
                return point;
            }
        }
    }
    return nullptr;
}

void show(const char* when, stp_cartesian_point* point, stp_representation* rep) {
    std::printf("%s: point #%u (", when, point->entity_id());
    ListOfDouble* xyz = point->coordinates();
    for (unsigned i = 0; xyz && i < xyz->size(); ++i) std::printf(i ? ", %g" : "%g", xyz->get(i));
    const NuskUnit unit = mivo_get_context_length_unit(rep);
    std::printf(") %s\n", unit ? mivo_get_unit_name(unit) : "(no unit)");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 3) {
        std::fprintf(stderr, "usage: convert_units [FILE.stp [OUT.stp]]\n");
        return 2;
    }
    const char* path = argc > 1 ? argv[1] : "../shared/data/assemblies/as1.step";
    NuskReadResult read = nusk_read_step(path);
    std::unique_ptr<NuskDesign> design(read.design);
    if (!design) {
        std::fprintf(stderr, "%s cannot be read\n", path);
        return 2;
    }
    mivo_tag_units(design.get());  // contexts give their units through the codes this attaches

    stp_representation* rep = nullptr;
    stp_cartesian_point* point = firstPoint(design.get(), rep);
    if (point) show("before", point, rep);

    // nuskunit_as_is: plane angles stay in the units their contexts give them.
    const MivoUnitConversion done = mivo_convert_geometry_units(design.get(), nuskunit_length_cb1, nuskunit_as_is);
    std::printf("%u representations moved into %u new contexts, %u items converted\n", done.representations,
                done.contexts, done.items);
    // Inches are larger than millimetres, so nothing overflows here; into micrometres, 1.7E308 mm would.
    if (done.outOfRange) std::printf("%u values out of range, written as $\n", done.outOfRange);
    // A context in a unit no code stands for (a kilometre, a yard) keeps its representations, with a warning.
    if (done.unconverted) std::printf("%u representations kept in units nothing converts from\n", done.unconverted);
    if (point) show("after", point, rep);

    if (argc == 3) {
        NuskWriteResult written = nusk_write_step(design.get(), argv[2]);
        if (!written.ok) {
            std::fprintf(stderr, "cannot write %s: %s\n", argv[2], written.error.c_str());
            return 1;
        }
        std::printf("wrote %zu instances to %s\n", written.instanceCount, argv[2]);
    }
    return 0;
}
