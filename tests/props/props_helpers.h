// Making products, properties, references and shape aspects by hand for the property tests.
#pragma once

#include "mivo_properties.h"

#include "nusk/ap242/all.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

struct PropsFixture {
    NuskDesign design{"props", nusk_ap242_schema()};

    /// A select of type S holding obj; empty for a null obj.
    template <class S>
    S* holding(NuskObject* obj) {
        auto* s = new (&design) S();
        if (obj) {
            EXPECT_EQ(nusk_put_nested_object(s, obj), 1) << "the select does not take the object";
        }
        return s;
    }

    stp_product_definition* productDefinition(const char* productId = "part") {
        auto* product = new (&design) stp_product();
        product->id(productId);
        product->name(productId);
        auto* formation = new (&design) stp_product_definition_formation();
        formation->id("1");
        formation->of_product(product);
        auto* pd = new (&design) stp_product_definition();
        pd->id("design");
        pd->formation(formation);
        return pd;
    }
    /// A property describing `described` (none: an empty select).
    stp_property_definition* property(const char* name, NuskObject* described) {
        auto* p = new (&design) stp_property_definition();
        p->name(name);
        p->definition(holding<stp_characterized_definition>(described));
        return p;
    }
    stp_product_definition_shape* shapeOf(NuskObject* described) {
        auto* s = new (&design) stp_product_definition_shape();
        s->name("");
        s->definition(holding<stp_characterized_definition>(described));
        return s;
    }
    stp_general_property* generalProperty(const char* name) {
        auto* g = new (&design) stp_general_property();
        g->id("");
        g->name(name);
        return g;
    }
    stp_shape_aspect* aspect(const char* name, stp_product_definition_shape* of) {
        auto* a = new (&design) stp_shape_aspect();
        a->name(name);
        if (of) a->of_shape(of);
        a->product_definitional(0);
        return a;
    }
    stp_representation* representation(std::initializer_list<stp_representation_item*> items = {}) {
        auto* rep = new (&design) stp_representation();
        rep->name("");
        auto* set = new (&design) SetOfstp_representation_item();
        for (stp_representation_item* item : items) set->add(item);
        rep->items(set);
        return rep;
    }
    /// A property representation whose definition names `definition` (none: an empty select).
    stp_property_definition_representation* representationOf(NuskObject* definition, stp_representation* rep) {
        auto* pdr = new (&design) stp_property_definition_representation();
        pdr->definition(holding<stp_represented_definition>(definition));
        pdr->used_representation(rep);
        return pdr;
    }
    stp_shape_definition_representation* shapeRepresentationOf(stp_product_definition_shape* shape) {
        auto* sdr = new (&design) stp_shape_definition_representation();
        sdr->definition(holding<stp_represented_definition>(shape));
        sdr->used_representation(new (&design) stp_shape_representation());
        return sdr;
    }
    stp_descriptive_representation_item* text(const char* name, const char* description) {
        auto* d = new (&design) stp_descriptive_representation_item();
        d->name(name);
        d->description(description);
        return d;
    }
    stp_document_file* documentFile(const char* id) {
        auto* f = new (&design) stp_document_file();
        f->id(id);
        f->stp_document::name("");
        return f;
    }
    stp_document* document(const char* id) {
        auto* d = new (&design) stp_document();
        d->id(id);
        d->name("");
        return d;
    }
    /// A reference to `doc` naming `items` (a null item: an empty select).
    stp_applied_document_reference* reference(stp_document* doc, std::initializer_list<NuskObject*> items) {
        auto* r = new (&design) stp_applied_document_reference();
        r->assigned_document(doc);
        r->source("");
        auto* set = new (&design) SetOfstp_document_reference_item();
        for (NuskObject* item : items) set->add(holding<stp_document_reference_item>(item));
        r->items(set);
        return r;
    }
    /// An identification of `items` as `assigned`; with a source when `hasSource`, whose id holds `sourceId`
    /// (null: an empty source id).
    stp_applied_external_identification_assignment* externalId(const char* assigned, bool hasSource,
                                                               const char* sourceId,
                                                               std::initializer_list<NuskObject*> items) {
        auto* a = new (&design) stp_applied_external_identification_assignment();
        a->assigned_id(assigned);
        if (hasSource) {
            auto* source = new (&design) stp_external_source();
            auto* id = new (&design) stp_source_item();
            if (sourceId) id->_identifier(sourceId);
            source->source_id(id);
            a->source(source);
        }
        auto* set = new (&design) SetOfstp_external_identification_item();
        for (NuskObject* item : items) set->add(holding<stp_external_identification_item>(item));
        a->items(set);
        return a;
    }
    /// The "external definition" property (or another name) of a document file, represented by `rep` (none:
    /// a property without representation).
    stp_property_definition* externalDefinition(stp_document_file* file, stp_representation* rep,
                                                const char* name = "external definition") {
        stp_property_definition* p = property(name, file);
        if (rep) representationOf(p, rep);
        return p;
    }

    /// Every pass of the family, in the order they depend on one another.
    void tagAll() {
        mivo_tag_props(&design);
        MivoMgrDocumentRef::tag_design(&design);
        MivoMgrExternalID::tag_design(&design);
        MivoMgrRepExternalDef::tag_design(&design);
        MivoMgrShapeAspect::tag_design(&design);
    }
};

/// The entity numbers a list manager of `obj` holds, in order, as "#1 #2"; "-" when obj has no such manager.
template <class Manager>
std::string listed(NuskObject* obj) {
    const Manager* m = Manager::find(obj);
    if (!m) return "-";
    std::string out;
    for (unsigned i = 0; i < m->size(); ++i) out += (i ? " #" : "#") + std::to_string(m->get(i)->entity_id());
    return out;
}

inline std::string ids(std::initializer_list<NuskObject*> objs) {
    std::string out;
    for (NuskObject* o : objs) out += (out.empty() ? "#" : " #") + std::to_string(o->entity_id());
    return out;
}
