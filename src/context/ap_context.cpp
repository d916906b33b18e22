// The application context of a design, and the merge that leaves one application context and one application
// protocol definition.
#include "mivo_contexts.h"

#include "nusk/ap242/all.h"

#include <vector>

namespace {

/// Registers every object of `all` but `survivor` as its substitute and deletes it; the count of those.
unsigned replaceAllBut(const std::vector<NuskObject*>& all, NuskObject* survivor) {
    unsigned replaced = 0;
    for (NuskObject* obj : all) {
        if (obj == survivor) continue;
        nusk_register_substitute(obj, survivor);
        nusk_move_to_trash(obj);
        ++replaced;
    }
    return replaced;
}

}  // namespace

stp_application_context* mivo_get_ap_context(NuskDesign* design) {
    if (!design) return nullptr;
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(nusktype_stp_application_context);
    return nusk_cast(cursor.next(), nusktype_stp_application_context);
}

stp_application_context* mivo_make_ap_context(NuskDesign*) { return nullptr; }

unsigned mivo_merge_ap_contexts(NuskDesign* design) {
    if (!design) return 0;
    const std::vector<NuskObject*> definitions = nusk_instances_of(design, nusktype_stp_application_protocol_definition);
    const std::vector<NuskObject*> contexts = nusk_instances_of(design, nusktype_stp_application_context);
    NuskObject* definition = definitions.empty() ? nullptr : definitions.front();
    // The context the definition names survives, as long as it is one of this design's: merging every context
    // into one that was deleted (or lives elsewhere) would leave their users pointing outside the design.
    NuskObject* survivor = definition ? definition->getObject("application") : nullptr;
    if (survivor && survivor->design() != design) survivor = nullptr;
    if (!survivor && !contexts.empty()) survivor = contexts.front();

    unsigned replaced = 0;
    if (definition) replaced += replaceAllBut(definitions, definition);
    if (survivor) replaced += replaceAllBut(contexts, survivor);
    if (definition) {
        definition->putObject(survivor, "application");
        definition->modified();
    }
    return replaced;
}
