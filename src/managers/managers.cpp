// Members of the annotation manager classes that are more than a field.
#include "mivo_managers.h"

#include "nusk/ap242/stp_property_definition_representation.h"

int MivoMgrSplitStatus::export_only_needed = 0;

stp_representation* MivoMgrPropertyRep::get_rep(unsigned i) const {
    stp_property_definition_representation* pdr = get(i);
    return pdr ? pdr->used_representation() : nullptr;
}

MivoMgrSplitTmpObj* MivoMgrSplitTmpObj::mark_as_temp(NuskObject* tmp, NuskObject* source) {
    if (!tmp) return nullptr;
    MivoMgrSplitTmpObj* m = find(tmp);
    if (!m) {
        m = new MivoMgrSplitTmpObj();
        tmp->add_manager(m);
    }
    if (source) m->source = source;
    return m;
}
