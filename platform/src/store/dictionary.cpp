// Dictionaries from text keys to objects, and the untyped pointer vector.
#include "nusk/dictionary.h"

#include "core_domains.h"

#include "nusk/design.h"
#include "nusk/vector.h"

#include <algorithm>

DictionaryOfNuskObject::DictionaryOfNuskObject() = default;

DictionaryOfNuskObject* DictionaryOfNuskObject::create(NuskSection* section) {
    if (!section || !section->design) return nullptr;
    void* p = nusk_new(sizeof(DictionaryOfNuskObject), section, nusk_detail::core().dictionary);
    if (!p) return nullptr;
    auto* dict = ::new (p) DictionaryOfNuskObject();
    // The key and value lists live in the same section as the dictionary.
    if (void* k = nusk_new(sizeof(ListOfString), section, nusk_domain_ListOfString()))
        dict->keys_ = ::new (k) ListOfString();
    if (void* v = nusk_new(sizeof(ListOfNuskObject), section, nusk_domain_ListOfNuskObject()))
        dict->values_ = ::new (v) ListOfNuskObject();
    return dict;
}

void DictionaryOfNuskObject::reindex() const {
    if (indexValid_) return;
    index_.clear();
    for (unsigned i = 0; keys_ && i < keys_->size(); ++i) index_.emplace(keys_->get(i), static_cast<int>(i));
    indexValid_ = true;
}

int DictionaryOfNuskObject::findIndex(const char* key) const {
    if (!key || !keys_) return -1;
    reindex();
    auto it = index_.find(key);
    return it == index_.end() ? -1 : it->second;
}

NuskObject* DictionaryOfNuskObject::find(const char* key) const {
    int i = findIndex(key);
    return i < 0 || !values_ ? nullptr : values_->get(static_cast<unsigned>(i));
}

int DictionaryOfNuskObject::put(const char* key, NuskObject* obj) {
    if (!key || !keys_ || !values_) return -1;
    int i = findIndex(key);
    if (i >= 0) {
        values_->putObjectAt(obj, static_cast<unsigned>(i));
        return i;
    }
    keys_->add(key);
    values_->add(obj);
    i = static_cast<int>(keys_->size()) - 1;
    index_.emplace(key, i);
    return i;
}

int DictionaryOfNuskObject::removeKey(const char* key) {
    int i = findIndex(key);
    if (i < 0) return 0;
    keys_->removeAt(static_cast<unsigned>(i));
    values_->removeAt(static_cast<unsigned>(i));
    indexValid_ = false;
    return 1;
}

unsigned DictionaryOfNuskObject::size() const { return keys_ ? keys_->size() : 0; }

int nusk_vector::remove(void* p) {
    auto it = std::find(items_.begin(), items_.end(), p);
    if (it == items_.end()) return 0;
    items_.erase(it);
    return 1;
}
