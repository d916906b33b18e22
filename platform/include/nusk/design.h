// Designs: the containers of persistent objects.
//
// A design owns its objects. Each object lies in the default section (the data that is written to files) or in
// the system section (the store's own bookkeeping, such as shortcut dictionaries, never written). A design
// remembers the Part 21 header it was read with, numbers its entity instances, and keeps the index that
// answers usedin.
//
// Threads: a design is used by one thread at a time; different designs may be used on different threads at
// once (see nusk/store.h).
#pragma once

#include "nusk/object.h"

#include <memory>
#include <string>
#include <vector>

class NuskSchema;
class ListOfNuskDomain;
class NuskDesignImpl;

/// A section of a design: the default section or the system section.
struct NuskSection {
    NuskDesign* design;
    int kind;  // 0 default, 1 system
};

/// The header a design is written with (ISO 10303-21 FILE_DESCRIPTION, FILE_NAME, FILE_SCHEMA).
struct NuskFileHeader {
    std::vector<std::string> description;
    std::string implementationLevel = "2;1";
    std::string name;
    std::string timeStamp;
    std::vector<std::string> author;
    std::vector<std::string> organization;
    std::string preprocessorVersion;
    std::string originatingSystem;
    std::string authorization;
    std::vector<std::string> schemas;
    /// Header records other than the three above, as read (written back unchanged).
    std::vector<std::string> otherRecords;
    /// ANCHOR sections, as read: written back unchanged before the data. (A REFERENCE section's instances are
    /// instances of the design: see nusk_is_external_reference in nusk/part21.h.)
    std::string sectionsBeforeData;
    /// Sections that the file has before its end other than HEADER, DATA, ANCHOR and REFERENCE (a SIGNATURE
    /// there), as read: written back unchanged after the data, before the end of the file.
    std::string otherSections;
    /// Sections after END-ISO-10303-21; (SIGNATURE), as read: written back unchanged after it.
    std::string sectionsAfterEnd;
};

class NuskDesign : public NuskObject {
public:
    /// A new empty design whose instances are of the types of `schema` (the store's default schema when
    /// null: the last schema registered as default, see nusk/schema.h).
    explicit NuskDesign(const char* name = "", NuskSchema* schema = nullptr);
    ~NuskDesign() override;

    const char* name() const;
    void setName(const char* name);
    NuskSchema* schemaOf() const;
    NuskFileHeader& header();
    const NuskFileHeader& header() const;

    NuskSection* default_section();
    NuskSection* system_section();

    /// A new instance of `domain` in the default section, every attribute unset; null when the domain cannot
    /// be instantiated (primitives, enumerations, defined types). Abstract entity types are instantiated too.
    NuskObject* pnewInstance(NuskDomain* domain, int flags = 0);
    /// The domain of an instance that is every listed entity type at once (for a single leaf type, that type);
    /// null when the schema does not allow the combination. Asked of any design, answered by its schema.
    NuskDomain* findComplexDomain(ListOfNuskDomain* types);
    NuskDomain* findComplexDomain(const std::vector<NuskDomain*>& types);

    /// The entity instance of that number, or null.
    NuskObject* findEntity(uint32_t id) const;
    /// Highest entity instance number in use.
    uint32_t maxEntityId() const;
    /// Number of objects in the design (entity instances, selects, aggregates, system objects).
    size_t objectCount() const;
    /// Number of entity instances.
    size_t entityCount() const;

    /// Every design other than the trash counts references of its objects (nusk_refcount).
    bool countsReferences() const { return !isTrash_; }
    bool isTrash() const { return isTrash_; }

    /// Store internals: the implementation behind the design.
    NuskDesignImpl& impl() const { return *impl_; }

    static void* operator new(size_t size);
    static void operator delete(void* p) noexcept;

protected:
    /// A design of the store's own (a schema, the trash): its schema is the default only if one is set already,
    /// never one a provider would build (a schema being built must not ask for itself).
    struct OwnTag {};
    NuskDesign(OwnTag, const char* name);

private:
    friend NuskDesign* nusk_trash();
    friend class NuskStore;
    struct TrashTag {};
    explicit NuskDesign(TrashTag);
    std::unique_ptr<NuskDesignImpl> impl_;
    bool isTrash_ = false;
};

/// Allocates storage for a new object of `domain` in the design's default section. The caller constructs the
/// object in it (placement new); the constructor picks up the domain and design. `type` is reserved (0).
void* nusk_new_in_default_section(size_t size, NuskDesign* design, NuskDomain* domain, unsigned type = 0);
/// The same in a given section (default or system).
void* nusk_new(size_t size, NuskSection* section, NuskDomain* domain, unsigned type = 0);

/// The design that holds deleted objects; it lives as long as the process, and is shared by every thread
/// (moves into it take turns; see nusk/store.h).
NuskDesign* nusk_trash();
