// What a shape usage (a mapped item or a shape representation relationship) places, read from its link.
#include "mivo_assemblies.h"

#include "nusk/ap242/all.h"

namespace {

MivoMgrAsmRelation* linkOf(NuskObject* usage) { return MivoMgrAsmRelation::find(usage); }

stp_product_definition* childProduct(NuskObject* usage) {
    const MivoMgrAsmRelation* link = linkOf(usage);
    return link ? mivo_get_related_pdef(link->nauo) : nullptr;
}

stp_representation* childRep(NuskObject* usage) {
    const MivoMgrAsmRelation* link = linkOf(usage);
    return link ? link->child_rep : nullptr;
}

stp_next_assembly_usage_occurrence* usageOf(NuskObject* usage) {
    const MivoMgrAsmRelation* link = linkOf(usage);
    return link ? link->nauo : nullptr;
}

}  // namespace

stp_product_definition* mivo_get_shape_usage_child_product(stp_mapped_item* usage) { return childProduct(usage); }
stp_product_definition* mivo_get_shape_usage_child_product(stp_shape_representation_relationship* usage) {
    return childProduct(usage);
}

stp_representation* mivo_get_shape_usage_child_rep(stp_mapped_item* usage) { return childRep(usage); }
stp_representation* mivo_get_shape_usage_child_rep(stp_shape_representation_relationship* usage) {
    return childRep(usage);
}

stp_next_assembly_usage_occurrence* mivo_get_shape_usage_nauo(stp_mapped_item* usage) { return usageOf(usage); }
stp_next_assembly_usage_occurrence* mivo_get_shape_usage_nauo(stp_shape_representation_relationship* usage) {
    return usageOf(usage);
}

NuskXform mivo_get_shape_usage_xform(stp_mapped_item* usage, NuskUnit unit) {
    return mivo_get_transform(linkOf(usage), unit);
}
NuskXform mivo_get_shape_usage_xform(stp_shape_representation_relationship* usage, NuskUnit unit) {
    return mivo_get_transform(linkOf(usage), unit);
}
