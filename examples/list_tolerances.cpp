// Lists the geometric tolerances of a STEP file: kind, magnitude, modifiers and datums in precedence order
// (both the datum systems and the older precedence-numbered references), then adds a datum to the first
// tolerance that has a datum system, to show the editing side.
//
//   list_tolerances [FILE.stp]     (FILE defaults to ../shared/data/nist/nist_ctc_02_asme1_ap242-e2.stp)
#include "mivo_measures.h"
#include "mivo_tolerances.h"
#include "mivo_units.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

std::string kindOf(stp_geometric_tolerance* tol) {
    const char* name = mivo_tol_code_name(mivo_tol_geometric_type(tol));
    return name ? name : "(no single kind)";
}

/// A datum reference's label: its datum's, or for a common datum the labels of its elements joined with "-".
std::string labelOf(stp_general_datum_reference* ref, int depth = 5) {
    if (stp_datum* d = mivo_tol_get_datum(ref)) return d->identification() ? d->identification() : "?";
    std::string label;
    // As deep as the library searches: a file whose common datums nest deeper (or in a cycle) ends here.
    for (unsigned i = 0; depth > 0 && i < mivo_tol_get_datum_count(ref); ++i)
        label += (i ? "-" : "") + labelOf(mivo_tol_get_datum_ref(ref, i), depth - 1);
    return label;
}

void printDatums(stp_geometric_tolerance* tol) {
    const unsigned count = mivo_tol_get_datum_count(tol);
    if (count == 0) return;
    std::printf("  datums:");
    const bool system = mivo_tol_get_datums(tol) != nullptr;
    for (unsigned i = 0; i < count; ++i) {
        stp_general_datum_reference* ref = system ? mivo_tol_get_datum_ref(tol, i) : nullptr;
        stp_datum* d = system ? nullptr : mivo_tol_get_datum(tol, i);  // older references, in precedence order
        std::printf(" %s", ref ? labelOf(ref).c_str() : d && d->identification() ? d->identification() : "?");
        const unsigned modifiers = ref ? mivo_tol_get_datum_modifier_count(ref) : mivo_tol_get_datum_modifier_count(tol, d);
        for (unsigned j = 0; j < modifiers; ++j) {
            stp_simple_datum_reference_modifier m =
                ref ? mivo_tol_get_datum_modifier(ref, j) : mivo_tol_get_datum_modifier(tol, d, j);
            const char* name = mivo_tol_get_datum_modifier_name(m);
            std::printf("[%s]", name ? name : "with value");
        }
    }
    std::printf("\n");
}

void printTolerance(stp_geometric_tolerance* tol) {
    stp_length_measure_with_unit* magnitude = tol->magnitude();
    std::printf("#%u %s", tol->entity_id(), kindOf(tol).c_str());
    if (magnitude) std::printf(" %g %s", mivo_get_measure_value(magnitude, nuskunit_as_is), mivo_get_unit_name(magnitude));
    std::printf("\n");
    for (unsigned i = 0; i < mivo_tol_get_modifier_count(tol); ++i)
        std::printf("  modifier %s\n", mivo_tol_get_modifier_name(mivo_tol_get_modifier(tol, i)));
    printDatums(tol);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: list_tolerances [FILE.stp]\n");
        return 2;
    }
    const char* path = argc > 1 ? argv[1] : "../shared/data/nist/nist_ctc_02_asme1_ap242-e2.stp";
    NuskReadResult read = nusk_read_step(path);
    std::unique_ptr<NuskDesign> design(read.design);
    if (!design) {
        std::fprintf(stderr, "%s cannot be read\n", path);
        return 2;
    }
    mivo_tag_units(design.get());
    stp_geometric_tolerance* withSystem = nullptr;
    for (NuskObject* obj : nusk_instances_of(design.get(), nusktype_stp_geometric_tolerance)) {
        auto* tol = nusk_cast(obj, nusktype_stp_geometric_tolerance);
        if (!tol) continue;
        printTolerance(tol);
        if (!withSystem && mivo_tol_get_datums(tol) && mivo_tol_get_datum(tol, 0u)) withSystem = tol;
    }
    if (!withSystem) return 0;
    // Editing, in memory only: a modifier on the primary datum's compartment.
    stp_datum* primary = mivo_tol_get_datum(withSystem, 0u);
    mivo_tol_add_datum_modifier(withSystem, primary, stp_simple_datum_reference_modifier_free_state);
    std::printf("after adding free_state to the primary datum of #%u:\n", withSystem->entity_id());
    printDatums(withSystem);
    return 0;
}
