// Reads a file with the defaults, tags its units and writes it back: what an application of an installed copy
// does first. Exits 0 when the file was read and every length unit was identified.
#include "mivo_units.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: install_check FILE.stp\n");
        return 2;
    }
    NuskReadResult read = nusk_read_step(argv[1]);
    std::unique_ptr<NuskDesign> design(read.design);
    if (!design) {
        std::fprintf(stderr, "install_check: %s cannot be read\n", argv[1]);
        return 1;
    }
    mivo_tag_units(design.get());
    size_t lengthUnits = 0, identified = 0;
    NuskCursor cursor;
    cursor.traverse(design.get());
    cursor.domain(nusktype_stp_length_unit);
    while (NuskObject* unit = cursor.next()) {
        ++lengthUnits;
        if (mivo_get_unit_type(nusk_cast<stp_named_unit>(unit)) != nuskunit_unknown) ++identified;
    }
    std::string text;
    NuskWriteResult written = nusk_write_step_text(design.get(), text);
    std::printf("install_check: %zu instances, %zu of %zu length units identified, %zu bytes written\n",
                read.instanceCount, identified, lengthUnits, text.size());
    return written.ok && lengthUnits > 0 && identified == lengthUnits ? 0 : 1;
}
