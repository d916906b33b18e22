// The products named by a product_definition_relationship through its product_definition_or_reference selects.
#include "attributes.h"

#include "mivo_assemblies.h"

#include "nusk/ap242/all.h"
#include "nusk/report.h"

using mivo_asm::idOf;

namespace {

using Getter = stp_product_definition_or_reference* (stp_product_definition_relationship::*)() const;
using Setter = void (stp_product_definition_relationship::*)(stp_product_definition_or_reference*);

stp_product_definition* productIn(stp_product_definition_relationship* rel, Getter get) {
    if (!rel) return nullptr;
    return nusk_cast(nusk_get_nested_object((rel->*get)()), nusktype_stp_product_definition);
}

void putProduct(stp_product_definition_relationship* rel, stp_product_definition* pd, Getter get, Setter set,
                const char* caller) {
    if (!rel) return;
    // A reference into another design is not written with this one, and dangles once that design goes.
    const NuskDesign* design = static_cast<NuskObject*>(rel)->design();
    if (pd && static_cast<NuskObject*>(pd)->design() != design) {
        NUSK.error("%s: #%u is a product of another design: #%u keeps its product", caller, idOf(pd), idOf(rel));
        return;
    }
    stp_product_definition_or_reference* select = (rel->*get)();
    if (!select) {
        select = new (static_cast<NuskObject*>(rel)->design()) stp_product_definition_or_reference();
        if (!select) return;
        rel->modified();
        (rel->*set)(select);
    }
    // The relationship's record changes with the value its select holds.
    select->modified();
    rel->modified();
    nusk_put_nested_object(select, pd);
}

}  // namespace

stp_product_definition* mivo_get_related_pdef(stp_product_definition_relationship* rel) {
    return productIn(rel, &stp_product_definition_relationship::related_product_definition);
}

stp_product_definition* mivo_get_relating_pdef(stp_product_definition_relationship* rel) {
    return productIn(rel, &stp_product_definition_relationship::relating_product_definition);
}

void mivo_put_related_pdef(stp_product_definition_relationship* rel, stp_product_definition* pd) {
    putProduct(rel, pd, &stp_product_definition_relationship::related_product_definition,
               &stp_product_definition_relationship::related_product_definition, "mivo_put_related_pdef");
}

void mivo_put_relating_pdef(stp_product_definition_relationship* rel, stp_product_definition* pd) {
    putProduct(rel, pd, &stp_product_definition_relationship::relating_product_definition,
               &stp_product_definition_relationship::relating_product_definition, "mivo_put_relating_pdef");
}
