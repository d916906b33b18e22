// What a tolerance applies to: its toleranced shape aspect, and the product definition shape behind it.
#include "internal.h"

#include "nusk/ap242/stp_dimensional_location.h"
#include "nusk/ap242/stp_dimensional_size.h"
#include "nusk/ap242/stp_geometric_tolerance_target.h"
#include "nusk/ap242/stp_product_definition_shape.h"
#include "nusk/ap242/stp_shape_aspect.h"
#include "nusk/ap242/stp_shape_aspect_relationship.h"
#include "nusk/select.h"

namespace {

NuskObject* target(stp_geometric_tolerance* tol) {
    return tol ? nusk_get_nested_object(tol->toleranced_shape_aspect(), nullptr) : nullptr;
}

stp_product_definition_shape* ofShape(stp_shape_aspect* sa) { return sa ? sa->of_shape() : nullptr; }

/// The tolerance's target select, made when it has none.
stp_geometric_tolerance_target* targetSelect(stp_geometric_tolerance* tol) {
    stp_geometric_tolerance_target* select = tol->toleranced_shape_aspect();
    if (select) return select;
    select = new (tol->design()) stp_geometric_tolerance_target();
    if (!select) return nullptr;
    tol->modified();
    tol->toleranced_shape_aspect(select);
    return select;
}

}  // namespace

stp_shape_aspect* mivo_tol_get_aspect(stp_geometric_tolerance* tol) {
    return nusk_cast(target(tol), nusktype_stp_shape_aspect);
}

stp_product_definition_shape* mivo_tol_get_pds(stp_geometric_tolerance* tol) {
    NuskObject* held = target(tol);
    if (!held) return nullptr;
    if (auto* pds = nusk_cast(held, nusktype_stp_product_definition_shape)) return pds;
    if (auto* sa = nusk_cast(held, nusktype_stp_shape_aspect)) return sa->of_shape();
    if (auto* size = nusk_cast(held, nusktype_stp_dimensional_size)) return ofShape(size->applies_to());
    if (auto* location = nusk_cast(held, nusktype_stp_dimensional_location))
        return ofShape(location->relating_shape_aspect());
    return nullptr;
}

unsigned int mivo_tol_put_aspect(stp_geometric_tolerance* tol, stp_shape_aspect* sa) {
    if (!tol) return 3;
    stp_geometric_tolerance_target* select = targetSelect(tol);
    if (!select) return 3;
    select->_shape_aspect(sa);
    tol->modified();
    return 0;
}

unsigned int mivo_tol_put_pds(stp_geometric_tolerance* tol, stp_product_definition_shape* pds) {
    if (!tol) return 3;
    stp_geometric_tolerance_target* select = targetSelect(tol);
    if (!select) return 3;
    select->_product_definition_shape(pds);
    tol->modified();
    return 0;
}
