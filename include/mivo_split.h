// Design splitting: writing a part of a design as a design of its own.
//
// The application marks which objects the part needs and which it may leave out (MivoMgrSplitStatus of
// mivo_managers.h), the export test then says object by object whether something is to be written, aggregates
// that still list left-out objects are replaced by trimmed temporaries, objects are moved into another design,
// and the temporaries are restored afterwards. mivo_split_extract_product does all of it for one product and
// everything below it.
//
// Marks are not written with a design. Nothing here reports through the object store's reporter; the one
// diagnostic, "ERROR: no attribute TYPE.NAME", goes to standard output. Null objects and designs are ignored.
#pragma once

#include "mivo_managers.h"

#include "nusk/ap242/forward.h"
#include "nusk/design.h"
#include "nusk/domain.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

// ---- marks ----
// A walk follows only attributes that hold objects (slotNodeType() 18 and up). Depth counts the references
// followed: 0 marks the object alone, 1 also what its attributes hold directly; a hop into an aggregate uses one
// level and the hop to its elements another. A select costs no depth: the object it holds is marked instead.
// An entity already marked is not walked again, whatever the depth. The largest unsigned int marks everything
// reachable.

void mivo_split_mark_needed(NuskObject* obj, unsigned int depth);
void mivo_split_mark_ignorable(NuskObject* obj, unsigned int depth);
/// 1 when obj (a select: the object it holds) has a status with needed set; else 0.
int mivo_split_is_needed(NuskObject* obj);
/// 1 when obj (a select: the object it holds) has a status with ignorable set; else 0.
int mivo_split_is_ignorable(NuskObject* obj);

// ---- the export test ----

/// Whether obj (a select: the object it holds) is to be written. With MivoMgrSplitStatus::export_only_needed
/// set: only needed objects. Otherwise every object but one that is ignorable and not needed. 0 for null.
int mivo_split_is_export(NuskObject* obj);
/// 1 when obj is exported, or the value of att on obj is (or, for an aggregate, holds) an exported object.
/// 0 for a null obj or att and for an attribute of plain values.
int mivo_split_has_export(NuskObject* obj, NuskAttribute* att);
/// The same by attribute name. A name obj's type lacks prints "ERROR: no attribute TYPE.NAME" and gives 0
/// (unless obj itself is exported: then 1, without looking). A null name: 1 when any attribute of obj has an
/// exported value.
int mivo_split_has_export(NuskObject* obj, const char* att_name);

// ---- marks over a whole design ----

/// Sets ignorable on every instance of domain (null: every entity instance) of the design.
void mivo_split_all_ignorable(NuskDesign* design, NuskDomain* domain);
/// mivo_split_mark_ignorable(obj, depth) for every instance of domain (null: every object) of the design.
void mivo_split_all_deep_ignorable(NuskDesign* design, NuskDomain* domain, unsigned int depth);
/// Sets trimmed on every entity instance of the design.
void mivo_split_all_trimmed(NuskDesign* design);
/// On every entity instance that has a status: needed becomes 0, ignorable becomes trimmed.
void mivo_split_clear_needed_and_ignore_trimmed(NuskDesign* design);
/// Removes the status of every entity instance of the design (other split managers stay).
void mivo_split_delete_all_marks(NuskDesign* design);

// ---- trimming and temporaries ----

/// Puts in place of the aggregate that attribute att_name of obj holds a temporary aggregate of the same type
/// holding only the elements that pass the export test, in their order; the temporary's MivoMgrSplitTmpObj
/// records the aggregate it stands in for, which stays unchanged. An attribute that holds no aggregate, or an
/// aggregate of plain values, is left alone. A name the type lacks prints "ERROR: no attribute TYPE.NAME".
void mivo_split_trim_for_export(NuskObject* obj, const char* att_name);
/// The same for every instance of domain (null: every object) of the design; an instance whose type lacks
/// the attribute gets the message and is passed over.
void mivo_split_trim_for_export(NuskDesign* design, NuskDomain* domain, const char* att_name);
/// Makes every reference within the design to a temporary refer to the aggregate it stands in for again, and
/// clears every substitute record of the design. The temporaries stay, referred to by nothing.
void mivo_restore_all_tmps(NuskDesign* design);

// ---- moving objects between designs ----
// A move takes the object alone: the selects and aggregates that it holds stay where they are unless they are
// moved too.

/// Moves every instance of domain (null: every object) from src into the default section of dst.
void mivo_move_all(NuskDesign* dst, NuskDesign* src, NuskDomain* domain);
/// Moves the instances of domain whose attribute att_name refers (directly or through a select, which moves
/// along) to an object already in dst. Nothing further is followed.
void mivo_move_leaf_objs(NuskDesign* dst, NuskDesign* src, NuskDomain* domain, const char* att_name);
/// Moves the instances of domain whose aggregate attribute att_name holds objects already in dst; each gets
/// a temporary aggregate of just those (and the selects among them move along). An instance none of whose
/// elements is in dst stays in src unchanged.
void mivo_move_listleaf_objs(NuskDesign* dst, NuskDesign* src, NuskDomain* domain, const char* att_name);

// ---- extracting a product ----

/// What mivo_split_extract_product wrote into its new design.
struct MivoSplitExtract {
    NuskDesign* design = nullptr;                         // the new design; owned by the caller
    std::vector<stp_product_definition*> products;        // product definitions of the subtree, root first
    std::map<std::string, size_t> instances_per_type;     // entity instances of the new design per type name
    size_t trimmed_aggregates = 0;                        // aggregates replaced by trimmed temporaries
};

/// Moves a product definition and everything below it into a new design: its product and formation, its
/// sub-assembly (usages, their placements, the child products, recursively), its shapes with their geometry,
/// contexts and units, and what describes them (properties, shape aspects, geometric tolerances and datums,
/// styles and presentation, document references, assignments). An object that also concerns a product
/// outside the subtree through a list or set goes along with that aggregate trimmed to what the new design
/// holds; one that concerns such a product otherwise stays. The new design refers to nothing outside itself.
///
/// Needs mivo_tag_asms on the source first; the managers of the passes move along with their objects, so run
/// the passes again on the extract before querying it. Objects needed by both parts (shared contexts, units)
/// move too: the source is incomplete until mivo_split_return_extract gives them back. Split marks the source
/// carried before are removed, and so are those the extract sets. MivoMgrSplitStatus::export_only_needed is
/// set while the extract trims and then put back. A null design or product, or a product of another design,
/// gives a result with a null design.
MivoSplitExtract mivo_split_extract_product(NuskDesign* source, stp_product_definition* pd);

/// Moves every object of an extract back into the design it was taken from and restores its temporaries,
/// so that the source is whole again. The extract design is left empty (the caller still deletes it).
void mivo_split_return_extract(NuskDesign* extract, NuskDesign* source);
