// Assemblies: the products of a product relationship, the tagging pass that records the assembly structure of a
// design, the queries over it (roots, root shapes, shapes without product, what a shape usage places and where),
// and the product tree with every placement relative to the parent and to the root.
//
// A product is built into another in three ways, all recognised by mivo_tag_asms:
//   - an assembly usage (next_assembly_usage_occurrence) whose product_definition_shape carries a
//     context_dependent_shape_representation naming a shape_representation_relationship between the two shapes;
//   - an assembly usage whose shape holds mapped items that place the child's shape;
//   - shape representations linked without any usage, by relationships or by mapped items.
// The pass attaches the managers of mivo_managers.h: MivoMgrAsmProduct on each product_definition,
// MivoMgrAsmShapeRep on each representation it meets (every shape_representation gets one) and MivoMgrAsmRelation
// on each placing link (a shape_representation_relationship or a mapped_item). The queries read only those.
//
// Placements are NuskXform transforms (column by column, origin at 12-14) that map the child's coordinates into
// the parent's: X = T * inverse(O), with T the target placement (in the parent) and O the origin placement (in the
// child). They are rigid: only the origin carries a length unit.
//
// Order of use: mivo_tag_units, mivo_tag_props, then mivo_tag_asms; run mivo_tag_asms again after editing the
// structure. A null argument gives null, 0, the identity or no effect.
#pragma once

#include "mivo_managers.h"

#include "nusk/ap242/forward.h"
#include "nusk/design.h"
#include "nusk/units.h"
#include "nusk/xform.h"

#include <vector>

// ---- the products of a product relationship ----
// The related product is the child of an assembly usage, the relating product its parent. Their attributes are
// selects that may hold a product_definition or a reference to a product defined elsewhere.

/// The product_definition held by related_product_definition / relating_product_definition; null when the select
/// is unset, empty or holds something else. Never creates anything.
stp_product_definition* mivo_get_related_pdef(stp_product_definition_relationship* rel);
stp_product_definition* mivo_get_relating_pdef(stp_product_definition_relationship* rel);
/// Stores pd in the select, making the select (in the relationship's design) when the attribute has none; a null
/// pd empties the select, which stays. A pd of another design than the relationship's is refused: nothing
/// changes, and the error "mivo_put_related_pdef: #P is a product of another design: #R keeps its product" (or
/// mivo_put_relating_pdef) is reported.
void mivo_put_related_pdef(stp_product_definition_relationship* rel, stp_product_definition* pd);
void mivo_put_relating_pdef(stp_product_definition_relationship* rel, stp_product_definition* pd);

// ---- tagging ----

/// Drops the assembly managers an earlier run left, then records the assembly structure of the design. Problems
/// of the data are reported through NUSK (warnings, and errors for links that contradict the product structure:
/// such a link gets no record from its usage, and the pass goes on). Never ends the caller.
void mivo_tag_asms(NuskDesign* design);

// ---- roots and shapes ----
// Each appends to `out` without clearing it.

/// The product_definitions that no usage or mapped item makes a child, in the design's order. A product without
/// a MivoMgrAsmProduct (an untagged design) gets an empty one and is listed.
void mivo_find_root_products(StpAsmProductDefVec* out, NuskDesign* design);
/// The shapes of the root products (a shape of two roots twice), then the shapes without product.
void mivo_find_root_shapes(StpAsmShapeRepVec* out, NuskDesign* design);
/// The shape_representations that belong to no product: not a product's shape, placed by no link, not the shape
/// of an assembly usage, and sharing no item with any of those.
void mivo_find_shapes_wo_product(StpAsmShapeRepVec* out, NuskDesign* design);

// ---- shape usages ----
// A shape usage is a mapped_item or a shape_representation_relationship; its link is the MivoMgrAsmRelation that
// mivo_tag_asms attached. A null or untagged usage gives null, and the identity for the transform.

/// The child product of the usage's assembly usage; null when the link has no assembly usage.
stp_product_definition* mivo_get_shape_usage_child_product(stp_mapped_item* usage);
stp_product_definition* mivo_get_shape_usage_child_product(stp_shape_representation_relationship* usage);
/// The representation the usage places.
stp_representation* mivo_get_shape_usage_child_rep(stp_mapped_item* usage);
stp_representation* mivo_get_shape_usage_child_rep(stp_shape_representation_relationship* usage);
/// The assembly usage the link realises.
stp_next_assembly_usage_occurrence* mivo_get_shape_usage_nauo(stp_mapped_item* usage);
stp_next_assembly_usage_occurrence* mivo_get_shape_usage_nauo(stp_shape_representation_relationship* usage);
/// mivo_get_transform of the usage's link.
NuskXform mivo_get_shape_usage_xform(stp_mapped_item* usage, NuskUnit unit);
NuskXform mivo_get_shape_usage_xform(stp_shape_representation_relationship* usage, NuskUnit unit);

// ---- placements ----

/// The placement of a link: the child representation's frame in the parent representation's, from the link's
/// origin and target and the length units of the two representations' contexts (needs mivo_tag_units). The
/// origin is in `unit`; nuskunit_unknown and nuskunit_as_is keep the child's length unit. A null link gives the
/// identity.
NuskXform mivo_get_transform(MivoMgrAsmRelation* link, NuskUnit unit);
/// The placement given by two placements: T * inverse(O), T from `target` (an axis2_placement_3d in the parent,
/// its location in `parent_unit`), O from `origin` (an axis2_placement_3d in the child, in `child_unit`); anything
/// else stands for the identity. The target's location is converted into the child's unit first, so the result
/// maps child coordinates to parent coordinates, both in the child's unit. When the units differ and there is no
/// conversion, the error "mivo_get_transform: Could not convert units" is reported and the location is kept
/// as it is. A parent_unit of nuskunit_as_is converts nothing.
NuskXform mivo_get_transform(stp_representation_item* origin, stp_representation_item* target, NuskUnit parent_unit,
                             NuskUnit child_unit);

// ---- the product tree ----
// Computed from what mivo_tag_asms recorded. Lengths are composed in millimetres and given in the unit asked
// for; nuskunit_as_is (or nuskunit_unknown) gives each child's origins in its own length unit (the length unit
// of the child's shape, millimetres when that is unknown).

/// One use of a product inside another.
struct MivoAsmUse {
    stp_product_definition* child = nullptr;             // the product placed
    stp_next_assembly_usage_occurrence* nauo = nullptr;  // its assembly usage; null for a link without one
    NuskObject* link = nullptr;  // the relationship or mapped item that places the child's shape; null when the
                                 // usage has none (then the placement is the identity)
    NuskXform xform;             // the child's frame in the parent's, origin in `unit`
    NuskUnit unit = nuskunit_mm;  // the unit of the origin
};

/// The most nodes mivo_get_product_tree lists, and the most uses mivo_get_product_children gives, unless told
/// otherwise.
constexpr size_t MIVO_ASM_TREE_MAX_NODES = 1000000;

/// The products used directly in `parent`, once per use: first its assembly usages (each placed through its
/// links, down through any representations between the parent's shape and the child's), then the products
/// whose shapes the parent's shapes place by links without a usage, once per path of links. Empty for a null or
/// untagged product.
///
/// Representations that map one another twice over, level after level, place a product along 2^N paths: the
/// links without a usage add no more uses once there are `maxUses`, and say so with the error "Children of #N
/// stop at M uses: its shapes place products along more paths than that". Representations that lead to no
/// product are walked once, however many paths reach them.
std::vector<MivoAsmUse> mivo_get_product_children(stp_product_definition* parent, NuskUnit unit,
                                                  size_t maxUses = MIVO_ASM_TREE_MAX_NODES);

/// One node of a product tree.
struct MivoAsmTreeNode {
    stp_product_definition* product = nullptr;
    unsigned depth = 0;   // 0 for the root
    long parent = -1;     // index of the parent node in the tree; -1 for the root
    MivoAsmUse use;       // how the node is placed in its parent (the root: no use, identity)
    NuskXform world;      // the node's frame in the root's, origin in use.unit
    bool cycle = false;   // the product is its own ancestor: listed once more, nothing below it
};

/// The tree below `root`, depth first, children in the order of mivo_get_product_children; a product used
/// several times appears once per use. Deep and cyclic structures are walked without recursion, and a product
/// met again below itself ends that branch (its node has `cycle` set). Empty for a null root.
///
/// Uses multiply: a sub-assembly used twice in a sub-assembly used twice, and so on, gives a tree twice as large
/// per level, so a few dozen usages can describe more nodes than memory holds. The tree stops after `maxNodes`
/// nodes (the first ones depth first), and says so with the error "Product tree of #N stops at M nodes: its
/// products are used more often than that". The children of each product are looked for with `maxNodes` as
/// their limit.
std::vector<MivoAsmTreeNode> mivo_get_product_tree(stp_product_definition* root, NuskUnit unit,
                                                   size_t maxNodes = MIVO_ASM_TREE_MAX_NODES);
