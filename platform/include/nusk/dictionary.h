// Strings and dictionaries of the object store.
#pragma once

#include "nusk/aggregate.h"
#include "nusk/object.h"

#include <memory>
#include <string>
#include <unordered_map>

struct NuskSection;

/// A growable text. Copies share the same text: a change through one copy is seen by all.
class NuskStringObject {
public:
    NuskStringObject() : text_(std::make_shared<std::string>()) {}
    explicit NuskStringObject(const char* text) : NuskStringObject() { copy(text); }
    /// Replaces the text (null: empty).
    void copy(const char* text) { text_->assign(text ? text : ""); }
    /// Appends (null: nothing).
    void cat(const char* text) {
        if (text) text_->append(text);
    }
    const char* text() const { return text_->c_str(); }
    const char* c_str() const { return text_->c_str(); }
    operator const char*() const { return text_->c_str(); }
    size_t length() const { return text_->size(); }
    bool sharesWith(const NuskStringObject& other) const { return text_ == other.text_; }

private:
    std::shared_ptr<std::string> text_;
};

/// A dictionary from text keys to objects. Its keys and values are two lists kept in step; the key at index i
/// names the value at index i. The lists are objects of the same design; the dictionary does not own them
/// (destroying the dictionary leaves them; destroy them first when they go too).
class DictionaryOfNuskObject : public NuskObject {
public:
    /// Stores obj under key (replacing an earlier value). Returns the index.
    int put(const char* key, NuskObject* obj);
    /// Removes the key. Returns 1 when it was there.
    int removeKey(const char* key);
    /// Index of the key, or -1.
    int findIndex(const char* key) const;
    /// The object stored under key, or null.
    NuskObject* find(const char* key) const;
    ListOfString* listOfKeys() const { return keys_; }
    ListOfNuskObject* listOfValues() const { return values_; }
    unsigned size() const;

    /// A new empty dictionary in a section of a design.
    static DictionaryOfNuskObject* create(NuskSection* section);

private:
    DictionaryOfNuskObject();
    void reindex() const;
    ListOfString* keys_ = nullptr;
    ListOfNuskObject* values_ = nullptr;
    mutable std::unordered_map<std::string, int> index_;
    mutable bool indexValid_ = false;
};

NuskDomain* nusk_domain_DictionaryOfNuskObject();
