// The procedures of the assembly pass that record placing links: the shape test, recording a relationship or a
// mapped item, finding a usage's child below a representation, and walking a product's shape tree.
#pragma once

#include "referrers.h"

#include "mivo_managers.h"

namespace mivo_asm {

class LinkRecorder {
public:
    explicit LinkRecorder(NuskDesign* design) : referrers_(design, Referrers::Mode::indexWholeDesign) {}

    /// The products whose shape_definition_representations name a representation. Asked once the products'
    /// shapes are recorded.
    class ShapeOwners {
    public:
        bool has(stp_product_definition* product) const;

    private:
        friend class LinkRecorder;
        bool present = false;                         // a representation was given
        const MivoMgrAsmShapeRep* recorded = nullptr;  // a shape representation: its record
        RefList definitions;                          // another kind: the shape definitions that name it
    };
    ShapeOwners shapeOwners(stp_representation* rep);

    /// Attaches a link to `rel`: rep_1 is the parent when `reversed`, else rep_2; the placements come from its
    /// item-defined transformation. A relationship that has a link already, or lacks one of its representations,
    /// is reported and gets none.
    void recordRelationship(stp_shape_representation_relationship* rel, bool reversed,
                            stp_next_assembly_usage_occurrence* nauo);

    /// Fills the child side of a mapped item's link from its representation map, and records the item on the
    /// representation it shows.
    void recordMapping(MivoMgrAsmRelation* link, stp_mapped_item* item);

    /// Searches the relationships below `rep` (those whose rep_2 it is, and so on down) for a path to a shape of
    /// `child`; when one is found, records each relationship on it for `nauo`, the innermost first, and returns
    /// true. Each representation is searched once, so cycles end.
    bool findChildBelow(stp_representation* rep, stp_product_definition* child,
                        stp_next_assembly_usage_occurrence* nauo);

    /// Records every relationship still without a link that touches `rep`, with `rep` as the parent, and so on
    /// from the other end of each. Each relationship is recorded once, so cycles end.
    void walkShapeTree(stp_representation* rep);

    Referrers& referrers() { return referrers_; }

private:
    Referrers referrers_;
};

}  // namespace mivo_asm
