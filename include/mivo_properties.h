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
const char* mivo_get_external_filename(stp_document_file* doc);
