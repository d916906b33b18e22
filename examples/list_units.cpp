// Lists the units of a STEP file: each unit entity with the code the library identifies it as, its kind of
// quantity and its names.
//
//   list_units FILE.stp
#include "mivo_units.h"
#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: list_units FILE.stp\n");
        return 2;
    }
    NuskReadResult read = nusk_read_step(argv[1]);
    if (!read.design) {
        std::fprintf(stderr, "%s cannot be read\n", argv[1]);
        return 2;
    }
    std::unique_ptr<NuskDesign> design(read.design);
    mivo_tag_units(design.get());  // attaches a MivoMgrUnit with the code to every unit entity

    NuskCursor cursor;
    cursor.traverse(design.get());
    for (NuskTypePtr* type : {static_cast<NuskTypePtr*>(&nusktype_stp_named_unit),
                              static_cast<NuskTypePtr*>(&nusktype_stp_derived_unit)}) {
        cursor.domain(*type);
        while (NuskObject* obj = cursor.next()) {
            const MivoMgrUnit* tag = MivoMgrUnit::find(obj);
            const NuskUnit code = tag ? tag->unit : nuskunit_unknown;
            std::printf("#%-8u code %-3d kind %-3d %-8s %s\n", obj->entity_id(), static_cast<int>(code),
                        static_cast<int>(mivo_get_measure_type(code)), mivo_get_unit_name(code),
                        mivo_get_unit_fullname(code));
        }
    }
    return 0;
}
