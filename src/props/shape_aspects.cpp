// The shape aspect pass: every shape aspect recorded on the object its product_definition_shape describes.
#include "mivo_properties.h"

#include "records.h"

#include "nusk/ap242/all.h"

void MivoMgrShapeAspect::tag_design(NuskDesign* design) {
    if (!design) return;
    mivo_props::dropAll<MivoMgrShapeAspect>(design);
    const NuskAttribute* ofShape = nusktype_stp_shape_aspect->findTypeAttribute("of_shape");
    const NuskAttribute* definition = nusktype_stp_property_definition->findTypeAttribute("definition");
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_shape_aspect)) {
        auto* aspect = nusk_cast<stp_shape_aspect>(obj);
        NuskObject* described = mivo_props::heldBy(obj->getObject(ofShape), definition);
        if (aspect && described) mivo_props::appendTo<MivoMgrShapeAspect>(described, aspect);
    }
}
