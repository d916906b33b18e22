// Annotation managers: the small records that tagging passes attach to the objects of a design, and the typed
// vectors in which the assembly queries return their results.
//
// Every manager class has one class-wide type id, taken from the object store on first use; find(obj) gives
// the manager of that class attached to obj (null when there is none, or obj is null). Copies share the
// objects they point to; destroying a manager never destroys them. Managers live as long as the object they
// are attached to (or until remove_manager with the class's type id), and are not written to files.
//
// Threads: the type ids are process-wide and taken once, safely, whichever threads ask first (type() is a
// thread-safe static). Managers themselves belong to their object's design: attach, find and remove them on
// the thread that uses that design, as for everything else in it. MivoMgrSplitStatus::export_only_needed is a
// process-wide setting: set it before other threads run.
#pragma once

#include "nusk/ap242/forward.h"
#include "nusk/design.h"
#include "nusk/dictionary.h"
#include "nusk/object.h"
#include "nusk/units.h"
#include "nusk/vector.h"

/// A typed array of entity pointers: exactly one nusk_vector. get, operator[] and put do not check the index
/// and do not grow the vector: the index must be below size().
template <class T>
class StpAsmVec {
public:
    StpAsmVec() = default;
    StpAsmVec(const StpAsmVec&) = default;
    StpAsmVec(StpAsmVec&&) = default;
    StpAsmVec& operator=(const StpAsmVec&) = default;
    StpAsmVec& operator=(StpAsmVec&&) = default;
    ~StpAsmVec() = default;

    void append(T* p) { v_.append(p); }
    int remove(T* p) { return v_.remove(p); }
    T* get(unsigned i) const { return static_cast<T*>(v_.get(i)); }
    T*& operator[](unsigned i) { return reinterpret_cast<T*&>(v_[i]); }
    void put(T* p, unsigned i) { v_.put(p, i); }
    unsigned size() const { return v_.size(); }

private:
    nusk_vector v_;
};

using StpAsmNauoVec = StpAsmVec<stp_next_assembly_usage_occurrence>;
using StpAsmProductDefVec = StpAsmVec<stp_product_definition>;
using StpAsmShapeRepVec = StpAsmVec<stp_shape_representation>;
using StpAsmShapeDefRepVec = StpAsmVec<stp_shape_definition_representation>;
using StpAsmShapeRepRelVec = StpAsmVec<stp_shape_representation_relationship>;
using StpAsmMappedItemVec = StpAsmVec<stp_mapped_item>;

/// What every manager class has: the class-wide type id, manager_type() and find().
template <class Derived>
class MivoMgr : public NuskManager {
public:
    /// The class's manager type id: taken from the object store on first use, then kept. Safe on any thread.
    static unsigned type() {
        static const unsigned id = NuskManager::new_manager_type();
        return id;
    }
    unsigned manager_type() override { return type(); }
    /// The manager of this class attached to obj; null when obj is null or has none.
    static Derived* find(NuskObject* obj) {
        return obj ? static_cast<Derived*>(obj->find_manager(type())) : nullptr;
    }

protected:
    /// Find, or attach a default-constructed manager (for the classes that offer make).
    static Derived* makeFor(NuskObject* obj) {
        if (!obj) return nullptr;
        if (Derived* m = find(obj)) return m;
        auto* m = new Derived();
        obj->add_manager(m);
        return m;
    }
};

/// On a product_definition: its place in the assembly structure.
class MivoMgrAsmProduct : public MivoMgr<MivoMgrAsmProduct> {
public:
    StpAsmNauoVec child_nauos;   // usages in which this product is the parent
    StpAsmNauoVec parent_nauos;  // usages in which this product is the child
    char is_mapped_child = 0;    // a mapped item that belongs to no usage places this product's shape
    StpAsmShapeRepVec shapes;    // the product's shape representations
    char is_child = 0;           // a usage or a mapped item makes the product a child; without it, a root
    static MivoMgrAsmProduct* make(NuskObject* obj) { return makeFor(obj); }
};

/// On a shape_representation_relationship or a mapped_item: the placing link.
class MivoMgrAsmRelation : public MivoMgr<MivoMgrAsmRelation> {
public:
    MivoMgrAsmRelation() = default;
    MivoMgrAsmRelation(stp_next_assembly_usage_occurrence* usage, char isReversed) : nauo(usage), reversed(isReversed) {}
    stp_next_assembly_usage_occurrence* nauo = nullptr;  // the usage the link realises
    StpAsmProductDefVec root_products;                    // roots whose tree contains the link
    stp_representation_item* origin = nullptr;           // placement in the child's space
    stp_representation_item* target = nullptr;           // placement in the parent's space
    char reversed = 0;                                    // rep_1 of the relationship is the parent
    stp_representation* child_rep = nullptr;
    stp_representation* parent_rep = nullptr;
};

/// On a representation: its place in the assembly structure.
class MivoMgrAsmShapeRep : public MivoMgr<MivoMgrAsmShapeRep> {
public:
    StpAsmProductDefVec root_products;
    StpAsmShapeRepRelVec child_rels;         // relationships in which it is the parent
    StpAsmShapeRepRelVec parent_rels;        // relationships in which it is the child
    StpAsmMappedItemVec child_mapped_items;  // mapped items among its items
    StpAsmMappedItemVec parent_mapped_items; // mapped items whose map shows it
    StpAsmProductDefVec products;            // products whose shape it is
    StpAsmShapeDefRepVec shape_def_reps;     // the links to those products
    stp_axis2_placement_3d* placement = nullptr;  // the one axis2_placement_3d among its items no link uses
    static MivoMgrAsmShapeRep* make(NuskObject* obj) { return makeFor(obj); }
};

/// A list of entities of one class kept in a nusk_vector.
template <class Derived, class T>
class MivoMgrList : public MivoMgr<Derived> {
public:
    nusk_vector list;
    /// Entry i; i must be below size().
    T* get(unsigned i) const { return static_cast<T*>(list.get(i)); }
    unsigned size() const { return list.size(); }
};

/// On the object a property_definition's definition names: its property_definitions.
class MivoMgrProperty : public MivoMgrList<MivoMgrProperty, stp_property_definition> {
public:
    /// Records every property_definition of the design (subtypes included) on the object its definition names,
    /// after dropping what an earlier run recorded. A null design does nothing (so for every tag_design here).
    static void tag_design(NuskDesign* design);
};

/// On the object a property_definition_representation's definition names: those representations.
class MivoMgrPropertyRep : public MivoMgrList<MivoMgrPropertyRep, stp_property_definition_representation> {
public:
    /// used_representation of entry i; null when entry i is null.
    stp_representation* get_rep(unsigned i) const;
    /// Records every property_definition_representation of the design on the object its definition names,
    /// after dropping what an earlier run recorded.
    static void tag_design(NuskDesign* design);
};

/// On each item of an applied_document_reference: those references.
class MivoMgrDocumentRef : public MivoMgrList<MivoMgrDocumentRef, stp_applied_document_reference> {
public:
    /// Records every applied_document_reference on each of its items, after dropping an earlier run's records.
    static void tag_design(NuskDesign* design);
};

/// On each item of an applied_external_identification_assignment: those assignments.
class MivoMgrExternalID
    : public MivoMgrList<MivoMgrExternalID, stp_applied_external_identification_assignment> {
public:
    /// Records every applied_external_identification_assignment on each of its items, after dropping an earlier
    /// run's records.
    static void tag_design(NuskDesign* design);
};

/// On a representation: the document file whose "external definition" property it belongs to.
class MivoMgrRepExternalDef : public MivoMgr<MivoMgrRepExternalDef> {
public:
    stp_document_file* doc_file = nullptr;
    /// Records on each representation the document file whose "external definition" property it belongs to
    /// (needs mivo_tag_props first), after dropping an earlier run's records.
    static void tag_design(NuskDesign* design);
};

/// On the object described by the product_definition_shape a shape_aspect is part of: its shape aspects.
class MivoMgrShapeAspect : public MivoMgrList<MivoMgrShapeAspect, stp_shape_aspect> {
public:
    /// Records every shape_aspect on the object its product_definition_shape describes, after dropping an
    /// earlier run's records.
    static void tag_design(NuskDesign* design);
};

/// On a unit entity: its identification.
class MivoMgrUnit : public MivoMgr<MivoMgrUnit> {
public:
    NuskUnit unit = nuskunit_unknown;                          // the unit's code; 0 when not identified
    NuskMeasureType measure_type = nuskmeasure_unknown;        // the kind of quantity; 0 when none was found
    stp_name_attribute* name_attribute = nullptr;              // a derived unit made by the library: its name
    static MivoMgrUnit* make(NuskObject* obj) { return makeFor(obj); }
};

/// On a design: the shortcut dictionary (created in the design's system section). Not destroyed with the
/// manager; copies share it.
class MivoMgrDesignStatus : public MivoMgr<MivoMgrDesignStatus> {
public:
    DictionaryOfNuskObject* shortcuts = nullptr;
    static MivoMgrDesignStatus* make(NuskObject* obj) { return makeFor(obj); }
};

/// On an object marked for a split.
class MivoMgrSplitStatus : public MivoMgr<MivoMgrSplitStatus> {
public:
    int32_t needed = 0;
    int32_t ignorable = 0;
    int32_t trimmed = 0;
    /// When non-zero, only needed objects are exported. 0 when the library is loaded; applications set it.
    static int export_only_needed;
};

/// For applications: a text and a number on an object of their choice. The library creates none.
class MivoMgrSplitProduct : public MivoMgr<MivoMgrSplitProduct> {
public:
    NuskStringObject text;  // copies share the text
    int32_t number = 0;
};

/// On a temporary aggregate: the aggregate it stands in for.
class MivoMgrSplitTmpObj : public MivoMgr<MivoMgrSplitTmpObj> {
public:
    NuskObject* source = nullptr;
    /// Finds or attaches the manager of `tmp` and records `source` (a null source leaves the field as it
    /// was). `tmp` must not be null; null gives null.
    static MivoMgrSplitTmpObj* mark_as_temp(NuskObject* tmp, NuskObject* source);
};
