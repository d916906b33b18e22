// Properties and references: the property, document reference, external identification, external definition
// and shape aspect passes, which record on each object what names it, and the lookups over those records.
//
// The passes attach the managers of mivo_managers.h (MivoMgrProperty, MivoMgrPropertyRep, MivoMgrDocumentRef,
// MivoMgrExternalID, MivoMgrRepExternalDef, MivoMgrShapeAspect). Each pass first drops what an earlier run of it
// recorded, so running it again after an edit refreshes the lists instead of doubling them.
#pragma once

#include "mivo_managers.h"

#include "nusk/ap242/forward.h"
#include "nusk/design.h"
#include "nusk/units.h"

// ---- properties ----

/// MivoMgrProperty::tag_design, then MivoMgrPropertyRep::tag_design. A null design does nothing.
void mivo_tag_props(NuskDesign* design);

/// The object a property describes (the object in its definition select); null when unset.
NuskObject* mivo_get_property_owner(stp_property_definition* pd);
/// The object that the property of a property representation describes: through the property_definition (or
/// any subtype, such as product_definition_shape) that its definition names, or the object it names directly.
NuskObject* mivo_get_property_owner(stp_property_definition_representation* pdr);
/// The owner when it is a product_definition; null otherwise.
stp_product_definition* mivo_get_property_owner_as_pdef(stp_property_definition* pd);
stp_product_definition* mivo_get_property_owner_as_pdef(stp_property_definition_representation* pdr);
/// The first recorded property of obj that is a product_definition_shape (needs mivo_tag_props); null if none.
stp_product_definition_shape* mivo_get_shape_property(NuskObject* obj);
/// 1 when obj has recorded properties (needs mivo_tag_props), else 0.
int mivo_has_properties(NuskObject* obj);

// ---- document references and external identifications ----

/// The file name of a document file: the source id of its first external identification when it has one (needs
/// MivoMgrExternalID::tag_design), else that assignment's assigned id, else the document's own id. Null for a
/// null document. The text belongs to the design.
///
/// A document file with more than one identification prints "ERROR: doc #N has multiple id assignments" to
/// standard output on each call, and the first is used. (MivoMgrRepExternalDef::tag_design prints "ERROR: rep
/// #N has multiple external defs #F1 and #F2" there too, for a representation that two files define.)
const char* mivo_get_external_filename(stp_document_file* doc);
/// The text that the source of an identification holds in its source_id (an identifier or a message); null when
/// the assignment has no source, the source id is empty, or the assignment is null.
const char* mivo_get_external_source(stp_external_identification_assignment* a);
/// The file name of the document a reference assigns, as mivo_get_external_filename gives it, when that document
/// is a document file; null when it is a plain document (which names no file) or the reference is null.
const char* mivo_get_reference_filename(stp_document_reference* ref);

// ---- what the items of a property's representation hold ----

/// The number an item holds: a measure item's value in `unit` (0 and 1 keep its own unit; see
/// mivo_get_measure_value), the value of an integer or real representation item, or the number of a value
/// representation item (neither has a unit, so `unit` plays no part). The null real for any other item, for one
/// that holds a text, and for null.
double mivo_get_item_number(stp_representation_item* item, NuskUnit unit);
/// The text an item holds: a descriptive item's description, a measure item's descriptive value, or the text of
/// a value representation item. Null for any other item and for null. The text belongs to the design.
const char* mivo_get_item_text(stp_representation_item* item);
