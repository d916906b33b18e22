// Entity instances.
#pragma once

#include "nusk/domain.h"
#include "nusk/object.h"

#include <string>
#include <vector>

/// The root of every entity instance; generated entity classes derive from it virtually.
class NuskStructure : public virtual NuskObject {
public:
    ~NuskStructure() override = default;

protected:
    NuskStructure() = default;
    /// Typed accessors of generated classes: the slot of `att` in this instance (null when the instance's type
    /// has no such attribute).
    NuskSlot* slotFor(const NuskAttribute* att) const;
    const char* stringSlot(const NuskAttribute* att) const;
    int setStringSlot(const NuskAttribute* att, const char* text);
    NuskObject* objectSlot(const NuskAttribute* att) const;
    int setObjectSlot(const NuskAttribute* att, NuskObject* value);
    double realSlot(const NuskAttribute* att) const;
    int setRealSlot(const NuskAttribute* att, double value);
    int integerSlot(const NuskAttribute* att) const;
    int setIntegerSlot(const NuskAttribute* att, int value);
};

/// An instance of an entity type that no generated class stands for (schemas built by hand).
class NuskEntityInstance : public virtual NuskStructure {
public:
    NuskEntityInstance() = default;
};

/// An entity instance whose type the schema does not know, kept as read so that it is written back unchanged:
/// its type names and its parameter text, with its references to other instances held as objects.
class NuskRawRecord : public virtual NuskStructure {
public:
    NuskRawRecord() = default;
    /// The record's type name as written ("NEW_ENTITY"), or the partial records of a complex instance
    /// ("(A(1)B(#2))" style records are kept whole, with the name empty).
    const std::string& typeName() const { return typeName_; }
    /// The parameter text with each reference replaced by a marker; see NuskRawText.
    const std::string& text() const { return text_; }
    const std::vector<NuskObject*>& references() const { return refs_; }
    std::vector<NuskObject*>& references() { return refs_; }
    void assign(std::string typeName, std::string text, std::vector<NuskObject*> refs);

private:
    std::string typeName_;
    std::string text_;
    std::vector<NuskObject*> refs_;
};

/// Marker byte that stands for the next reference in a raw record's text.
constexpr char NUSK_RAW_REFERENCE_MARK = '\x01';

NuskDomain* nusk_domain_NuskStructure();
NuskDomain* nusk_domain_NuskObject();
NuskDomain* nusk_domain_NuskRawRecord();
NuskDomain* nusk_domain_NuskUnion();

/// Type handles of the store's root types.
extern NuskTypePtr nusktype_NuskObject;
extern NuskTypePtr nusktype_NuskStructure;
