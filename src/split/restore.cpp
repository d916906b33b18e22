// Restoring temporaries: every reference to a temporary goes back to the aggregate it stood in for.
#include "mivo_split.h"
#include "values.h"

#include "nusk/lifetime.h"

using namespace mivo_split_detail;

void mivo_restore_all_tmps(NuskDesign* design) {
    if (!design) return;
    const std::vector<NuskObject*> objects = objectsOf(design, nullptr);
    bool substituted = false;
    for (NuskObject* obj : objects) {
        const MivoMgrSplitTmpObj* tmp = MivoMgrSplitTmpObj::find(obj);
        if (!tmp || !tmp->source) continue;
        tmp->source->remove_manager(NUSK_SUBSTITUTE_MANAGER_TYPE);  // a source that was itself replaced
        nusk_register_substitute(obj, tmp->source);
        substituted = true;
    }
    if (!substituted) return;
    nusk_update_object_references(design);
    for (NuskObject* obj : objects) obj->remove_manager(NUSK_SUBSTITUTE_MANAGER_TYPE);
}
