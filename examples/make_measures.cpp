// Adds measures to a real file: reads it, tags its units, makes a length measure of 25.4 mm, one of 1 inch
// (nuskunit_length_cb1) and a plane angle measure of 90 degrees (nuskunit_angle_cb1), and shows what the library
// reads back from each in other units. Then it makes a qualified length item of 12 mm with limits and a
// precision, reads them back in inches, and writes the file.
//
// The makers give the new measures unit entities of their own (one per code, shared among the new measures),
// even where the file already has an equal unit. To fold those duplicates into the file's units, call
// mivo_merge_units(design) and then nusk_update_object_references(design) before writing.
//
//   make_measures IN.stp OUT.stp
#include "mivo_measures.h"
#include "mivo_units.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_measures IN.stp OUT.stp\n");
        return 2;
    }
    NuskReadResult read = nusk_read_step(argv[1]);
    std::unique_ptr<NuskDesign> design(read.design);
    if (!design) {
        std::fprintf(stderr, "%s cannot be read\n", argv[1]);
        return 2;
    }
    mivo_tag_units(design.get());  // gives the file's units their codes, which conversions and merging go by

    const struct {
        double value;
        NuskUnit unit;
    } wanted[] = {{25.4, nuskunit_mm}, {1.0, nuskunit_length_cb1}, {90.0, nuskunit_angle_cb1}};
    for (const auto& w : wanted) {
        stp_measure_with_unit* m = mivo_make_measure(design.get(), w.value, w.unit);
        if (!m) continue;
        const NuskUnit unit = mivo_get_unit_type(m);
        std::printf("#%u %s: %g %s (%s), kind %d; %g m, %g rad\n", m->entity_id(), m->domain()->name(),
                    mivo_get_measure_value(m, nuskunit_as_is), mivo_get_unit_name(unit),
                    mivo_get_unit_fullname(unit), static_cast<int>(mivo_get_measure_type(m)),
                    mivo_get_measure_value(m, nuskunit_m), mivo_get_measure_value(m, nuskunit_rad));
    }
    // A value that cannot be converted reads as the null real (NUSK_NULL_REAL): 25.4 mm has no value in rad.

    stp_qualified_representation_item* bore = mivo_make_qualified_measure_item(design.get(), 12.0, nuskunit_mm);
    mivo_put_measure_lower_limit_value(bore, 11.98);
    mivo_put_measure_upper_limit_value(bore, 12.02);
    mivo_put_measure_precision_value(bore, 2);
    auto* measure = nusk_cast<stp_measure_with_unit>(static_cast<NuskObject*>(bore));
    std::printf("#%u bore: %.4f in, limits %.4f to %.4f in, precision %d\n", measure->entity_id(),
                mivo_get_measure_value(measure, nuskunit_length_cb1),
                mivo_get_measure_lower_limit_value(measure, nuskunit_length_cb1),
                mivo_get_measure_upper_limit_value(measure, nuskunit_length_cb1),
                mivo_get_measure_precision_value(measure));
    NuskWriteResult written = nusk_write_step(design.get(), argv[2]);
    if (!written.ok) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[2], written.error.c_str());
        return 1;
    }
    std::printf("wrote %zu instances to %s\n", written.instanceCount, argv[2]);
    return 0;
}
