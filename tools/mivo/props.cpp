// mivo props: per product definition, its properties with the items of their representations, the document
// references and external identifications that name it, and its shape aspects.
#include "commands.h"
#include "json.h"
#include "printable.h"
#include "reading.h"
#include "table.h"
#include "type_names.h"

#include "mivo_measures.h"
#include "mivo_properties.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace mivo_tool {

namespace {

struct ItemRow {
    uint32_t entity;
    std::string type;
    std::string name;
    double number;  // NUSK_NULL_REAL: none
    bool hasText;
    std::string text;
    std::string unit;  // "" when the item has no unit
    std::string kind;  // the kind of quantity of a measure; "" for other items
};

struct PropertyRow {
    uint32_t entity;
    std::string name;
    uint32_t owner;  // the object the property describes: the product definition or one of its shapes
    std::vector<ItemRow> items;
};

struct DocumentRow {
    uint32_t entity;
    uint32_t item;      // what the reference names: the product definition, its formation or its product
    uint32_t document;  // 0: none
    bool hasFile;
    std::string file;
};

struct IdRow {
    uint32_t entity;
    uint32_t item;
    std::string id;
    bool hasSource;
    std::string source;
};

struct AspectRow {
    uint32_t entity;
    std::string name;
    std::string description;
};

struct ProductRow {
    uint32_t entity;
    std::string product;  // the product's id
    std::string name;     // the product's name
    std::vector<PropertyRow> properties;
    std::vector<DocumentRow> documents;
    std::vector<IdRow> ids;
    std::vector<AspectRow> aspects;
};

std::string textOf(const char* s) { return s ? s : ""; }

/// While it lives, what the library prints to standard output (its "ERROR: " diagnostics) goes to standard
/// error instead, so that the report (a JSON document above all) stays whole.
class LibraryOutputToStderr {
public:
    LibraryOutputToStderr() {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        if (saved_ >= 0) dup2(STDERR_FILENO, STDOUT_FILENO);
    }
    ~LibraryOutputToStderr() {
        std::fflush(stdout);
        if (saved_ < 0) return;
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    LibraryOutputToStderr(const LibraryOutputToStderr&) = delete;
    LibraryOutputToStderr& operator=(const LibraryOutputToStderr&) = delete;

private:
    int saved_;
};

ItemRow itemRow(NuskObject* obj) {
    auto* item = nusk_cast<stp_representation_item>(obj);
    auto* measure = nusk_cast<stp_measure_with_unit>(obj);
    const char* text = mivo_get_item_text(item);
    const bool hasUnit = measure && nusk_get_nested_object(measure->unit_component());
    return {obj->entity_id(),
            typeKey(obj),
            textOf(item ? item->name() : nullptr),
            mivo_get_item_number(item, nuskunit_as_is),
            text != nullptr,
            textOf(text),
            hasUnit ? mivo_get_unit_name(measure) : "",
            measure ? measureTypeName(mivo_get_measure_type(measure)) : ""};
}

PropertyRow propertyRow(stp_property_definition* pd) {
    NuskObject* owner = mivo_get_property_owner(pd);
    PropertyRow row{pd->entity_id(), textOf(pd->name()), owner ? owner->entity_id() : 0, {}};
    const MivoMgrPropertyRep* reps = MivoMgrPropertyRep::find(pd);
    for (unsigned i = 0; reps && i < reps->size(); ++i) {
        stp_representation* rep = reps->get_rep(i);
        NuskAggregate* items = rep ? rep->items() : nullptr;
        for (unsigned j = 0; items && j < items->size(); ++j)
            if (NuskObject* item = items->getObject(j)) row.items.push_back(itemRow(item));
    }
    return row;
}

/// The properties of a product definition, each followed by the properties of its shape when it is one.
std::vector<PropertyRow> propertyRows(NuskObject* pd) {
    std::vector<PropertyRow> rows;
    const MivoMgrProperty* properties = MivoMgrProperty::find(pd);
    for (unsigned i = 0; properties && i < properties->size(); ++i) {
        stp_property_definition* p = properties->get(i);
        rows.push_back(propertyRow(p));
        if (!p->isa(nusktype_stp_product_definition_shape)) continue;
        const MivoMgrProperty* ofShape = MivoMgrProperty::find(p);
        for (unsigned j = 0; ofShape && j < ofShape->size(); ++j) rows.push_back(propertyRow(ofShape->get(j)));
    }
    return rows;
}

void addReferences(NuskObject* item, ProductRow& row) {
    const uint32_t at = item->entity_id();
    if (const MivoMgrDocumentRef* refs = MivoMgrDocumentRef::find(item)) {
        for (unsigned i = 0; i < refs->size(); ++i) {
            stp_applied_document_reference* ref = refs->get(i);
            stp_document* doc = ref->assigned_document();
            const char* file = mivo_get_reference_filename(ref);
            row.documents.push_back({ref->entity_id(), at, doc ? doc->entity_id() : 0, file != nullptr, textOf(file)});
        }
    }
    if (const MivoMgrExternalID* ids = MivoMgrExternalID::find(item)) {
        for (unsigned i = 0; i < ids->size(); ++i) {
            stp_applied_external_identification_assignment* a = ids->get(i);
            const char* source = mivo_get_external_source(a);
            row.ids.push_back({a->entity_id(), at, textOf(a->assigned_id()), source != nullptr, textOf(source)});
        }
    }
}

ProductRow productRow(NuskObject* obj) {
    auto* pd = nusk_cast<stp_product_definition>(obj);
    stp_product_definition_formation* formation = pd ? pd->formation() : nullptr;
    stp_product* product = formation ? formation->of_product() : nullptr;
    ProductRow row{obj->entity_id(), textOf(product ? product->id() : nullptr),
                   textOf(product ? product->name() : nullptr), propertyRows(obj), {}, {}, {}};
    for (NuskObject* named : {obj, static_cast<NuskObject*>(formation), static_cast<NuskObject*>(product)})
        if (named) addReferences(named, row);
    if (const MivoMgrShapeAspect* aspects = MivoMgrShapeAspect::find(obj))
        for (unsigned i = 0; i < aspects->size(); ++i)
            row.aspects.push_back({aspects->get(i)->entity_id(), textOf(aspects->get(i)->name()),
                                   textOf(aspects->get(i)->description())});
    return row;
}

/// Runs every pass of the family and reads what they recorded, per product definition.
std::vector<ProductRow> productRows(NuskDesign* design) {
    LibraryOutputToStderr diagnostics;
    mivo_tag_props(design);
    MivoMgrDocumentRef::tag_design(design);
    MivoMgrExternalID::tag_design(design);
    MivoMgrRepExternalDef::tag_design(design);
    MivoMgrShapeAspect::tag_design(design);
    std::vector<ProductRow> rows;
    for (NuskObject* pd : nusk_instances_of(design, nusktype_stp_product_definition)) rows.push_back(productRow(pd));
    return rows;
}

// ---- JSON ----

void jsonText(std::string& out, bool has, const std::string& text) {
    if (has)
        Json::string(out, text);
    else
        out += "null";
}

/// `items` as a JSON array, one object per line at `indent`, each written by `one`.
template <class T, class F>
void jsonArray(std::string& out, const std::vector<T>& items, const std::string& indent, F one) {
    out += '[';
    for (size_t i = 0; i < items.size(); ++i) {
        out += (i ? ",\n" : "\n") + indent + "{";
        one(items[i]);
        out += "}";
    }
    if (!items.empty()) out += "\n" + indent.substr(2);
    out += ']';
}

void jsonItem(std::string& out, const ItemRow& item) {
    out += "\"entity\": " + std::to_string(item.entity) + ", \"name\": ";
    Json::string(out, item.name);
    out += ", \"type\": ";
    Json::string(out, item.type);
    out += ", \"kind\": ";
    Json::string(out, item.kind);
    out += ", \"value\": ";
    if (item.number != NUSK_NULL_REAL)
        Json::number(out, item.number);
    else
        jsonText(out, item.hasText, item.text);
    out += ", \"unit\": ";
    Json::string(out, item.unit);
}

void jsonProduct(std::string& out, const ProductRow& p) {
    const std::string in = "        ";
    out += "\"entity\": " + std::to_string(p.entity) + ", \"product\": ";
    Json::string(out, p.product);
    out += ", \"name\": ";
    Json::string(out, p.name);
    out += ",\n      \"properties\": ";
    jsonArray(out, p.properties, in, [&](const PropertyRow& r) {
        out += "\"entity\": " + std::to_string(r.entity) + ", \"name\": ";
        Json::string(out, r.name);
        out += ", \"owner\": " + std::to_string(r.owner) + ", \"items\": ";
        jsonArray(out, r.items, in + "  ", [&](const ItemRow& item) { jsonItem(out, item); });
    });
    out += ",\n      \"documents\": ";
    jsonArray(out, p.documents, in, [&](const DocumentRow& d) {
        out += "\"entity\": " + std::to_string(d.entity) + ", \"item\": " + std::to_string(d.item) +
               ", \"document\": " + std::to_string(d.document) + ", \"file\": ";
        jsonText(out, d.hasFile, d.file);
    });
    out += ",\n      \"external_ids\": ";
    jsonArray(out, p.ids, in, [&](const IdRow& e) {
        out += "\"entity\": " + std::to_string(e.entity) + ", \"item\": " + std::to_string(e.item) + ", \"id\": ";
        Json::string(out, e.id);
        out += ", \"source\": ";
        jsonText(out, e.hasSource, e.source);
    });
    out += ",\n      \"shape_aspects\": ";
    jsonArray(out, p.aspects, in, [&](const AspectRow& a) {
        out += "\"entity\": " + std::to_string(a.entity) + ", \"name\": ";
        Json::string(out, a.name);
        out += ", \"description\": ";
        Json::string(out, a.description);
    });
}

void printJson(const std::vector<ProductRow>& rows) {
    std::string out = "{\n  \"products\": ";
    jsonArray(out, rows, "    ", [&](const ProductRow& p) { jsonProduct(out, p); });
    out += "\n}\n";
    std::fputs(out.c_str(), stdout);
}

// ---- text ----

std::string quoted(const std::string& s) { return "'" + printable(s) + "'"; }

std::string itemLine(const ItemRow& item) {
    std::string line = "#" + std::to_string(item.entity) + " " + item.type + " " + quoted(item.name);
    if (item.number != NUSK_NULL_REAL) {
        line += " = " + numberText(item.number);
        if (!item.unit.empty()) line += " " + item.unit;
    } else if (item.hasText) {
        line += " = " + quoted(item.text);
    }
    if (!item.kind.empty()) line += " (" + item.kind + ")";
    return line;
}

std::string counted(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

void printProduct(const ProductRow& p) {
    std::printf("product definition #%u of %s %s\n", p.entity, quoted(p.product).c_str(), quoted(p.name).c_str());
    std::printf("  %s\n", counted(p.properties.size(), "property", "properties").c_str());
    for (const PropertyRow& r : p.properties) {
        std::string owner = r.owner == p.entity ? "" : " (of #" + std::to_string(r.owner) + ")";
        std::printf("    #%u %s%s\n", r.entity, quoted(r.name).c_str(), owner.c_str());
        for (const ItemRow& item : r.items) std::printf("      %s\n", itemLine(item).c_str());
    }
    std::printf("  %s\n", counted(p.documents.size(), "document reference", "document references").c_str());
    for (const DocumentRow& d : p.documents)
        std::printf("    #%u on #%u: document #%u, %s\n", d.entity, d.item, d.document,
                    d.hasFile ? ("file " + quoted(d.file)).c_str() : "not a file");
    std::printf("  %s\n", counted(p.ids.size(), "external identification", "external identifications").c_str());
    for (const IdRow& e : p.ids)
        std::printf("    #%u on #%u: %s%s\n", e.entity, e.item, quoted(e.id).c_str(),
                    e.hasSource ? (" from " + quoted(e.source)).c_str() : "");
    std::printf("  %s\n", counted(p.aspects.size(), "shape aspect", "shape aspects").c_str());
    for (const AspectRow& a : p.aspects)
        std::printf("    #%u %s%s\n", a.entity, quoted(a.name).c_str(),
                    a.description.empty() ? "" : (" (" + printable(a.description) + ")").c_str());
}

}  // namespace

int runProps(const FileCommand& command) {
    return listTaggedDesign(command, [&](NuskDesign* design) {
        const std::vector<ProductRow> rows = productRows(design);
        if (command.json) {
            printJson(rows);
            return;
        }
        for (const ProductRow& p : rows) printProduct(p);
        std::printf("%s\n", counted(rows.size(), "product definition", "product definitions").c_str());
    });
}

}  // namespace mivo_tool
