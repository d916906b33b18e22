// Marks over every instance of a domain of a design.
#include "mivo_split.h"
#include "values.h"

#include "nusk/structure.h"

using namespace mivo_split_detail;

namespace {

NuskDomain* entities() { return nusktype_NuskStructure.domain(); }

}  // namespace

void mivo_split_all_ignorable(NuskDesign* design, NuskDomain* domain) {
    for (NuskObject* obj : objectsOf(design, domain ? domain : entities())) statusFor(obj)->ignorable = 1;
}

void mivo_split_all_deep_ignorable(NuskDesign* design, NuskDomain* domain, unsigned int depth) {
    for (NuskObject* obj : objectsOf(design, domain)) mivo_split_mark_ignorable(obj, depth);
}

void mivo_split_all_trimmed(NuskDesign* design) {
    for (NuskObject* obj : objectsOf(design, entities())) statusFor(obj)->trimmed = 1;
}

void mivo_split_clear_needed_and_ignore_trimmed(NuskDesign* design) {
    for (NuskObject* obj : objectsOf(design, entities())) {
        if (MivoMgrSplitStatus* s = MivoMgrSplitStatus::find(obj)) {
            s->needed = 0;
            s->ignorable = s->trimmed;
        }
    }
}

void mivo_split_delete_all_marks(NuskDesign* design) {
    for (NuskObject* obj : objectsOf(design, entities())) obj->remove_manager(MivoMgrSplitStatus::type());
}
