#include "names.h"

#include "arena.h"
#include "ascii_case.h"
#include "store_access.h"

#include "nusk/domain.h"
#include "nusk/schema.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>

namespace nusk_p21 {

namespace {
inline char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

inline uint64_t eightBytes(const char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

/// Whether `name` (a Part 21 word: letters, digits, `_`, `-`, a leading `!`) is `lowerKey` in any case. Eight
/// bytes at a time, case folded by setting bit 0x20: among the bytes of words and keys only a letter and its other
/// case differ in that bit alone, so folding both sides compares exactly.
bool sameName(std::string_view lowerKey, std::string_view name) {
    const size_t n = name.size();
    if (lowerKey.size() != n) return false;
    const char* k = lowerKey.data();
    const char* w = name.data();
    if (n < 8) {
        for (size_t i = 0; i < n; ++i)
            if (k[i] != lower(w[i])) return false;
        return true;
    }
    const uint64_t fold = 0x2020202020202020ull;
    for (size_t i = 0; i + 8 <= n; i += 8)
        if ((eightBytes(k + i) | fold) != (eightBytes(w + i) | fold)) return false;
    // The last eight bytes, overlapping what was compared when n is no multiple of eight.
    return (eightBytes(k + n - 8) | fold) == (eightBytes(w + n - 8) | fold);
}
}  // namespace

NameTable::NameTable(const NuskSchema* schema) {
    if (const nusk_detail::CompiledNames* compiled = NuskStore::compiledNames(schema)) {
        slots_ = compiled->slots;
        domains_ = compiled->domains;
        mask_ = compiled->slotCount - 1;
        // The compiler hashed the names as this build does, unless it ran where words are laid out otherwise:
        // the first name must be found through its own hash, or the table is made here instead.
        if (compiled->entryCount && find(compiled->domains[0]->name()) == compiled->domains[0]) return;
    }
    build(schema);
}

void NameTable::build(const NuskSchema* schema) {
    // The schema found which of its names are lower case as it made them. Names with capitals (the store's own
    // classes) never stand for a word of a file: words are found in lower case.
    std::vector<std::pair<std::string_view, NuskDomain*>> named;
    NuskStore::lowerCaseNamed(schema, named);
    const size_t size = nusk_detail::nameSlotCount(named.size());
    // Backed in one call, not a fault per page as it fills.
    ownSlots_.reserve(size);
    nusk_detail::backPages(ownSlots_.data(), size * sizeof(nusk_detail::NameSlot));
    ownSlots_.assign(size, nusk_detail::NameSlot{0, 0});
    ownDomains_.reserve(named.size());
    mask_ = size - 1;
    for (size_t k = 0; k < named.size(); ++k) {
        ownDomains_.push_back(named[k].second);
        nusk_detail::placeName(ownSlots_.data(), size, k, named[k].first);
    }
    slots_ = ownSlots_.data();
    domains_ = ownDomains_.data();
}

NuskDomain* NameTable::find(std::string_view name) const {
    for (size_t i = nusk_detail::foldedNameHash(name) & mask_;; i = (i + 1) & mask_) {
        const nusk_detail::NameSlot slot = slots_[i];
        if (!slot.entry) return nullptr;
        if (slot.length != name.size()) continue;
        NuskDomain* domain = domains_[slot.entry - 1];
        if (sameName(std::string_view(domain->name(), slot.length), name)) return domain;
    }
}

const NameTable& nameTableOf(const NuskSchema* schema) {
    // One table per schema for the whole process, made by the first read with that schema. Every read asks
    // once: a shared lock when the table exists, the lock alone to make it. Process-lifetime (never destroyed):
    // reads may still run while statics go.
    static auto* lock = new std::shared_mutex;
    static auto* tables = new std::map<const NuskSchema*, std::unique_ptr<NameTable>>;
    {
        std::shared_lock<std::shared_mutex> guard(*lock);
        auto it = tables->find(schema);
        if (it != tables->end()) return *it->second;
    }
    std::unique_lock<std::shared_mutex> guard(*lock);
    auto& table = (*tables)[schema];
    if (!table) table.reset(new NameTable(schema));
    return *table;
}

int enumValueOf(const NuskDomain* enumeration, std::string_view literal) {
    for (const NuskVarInfo& v : enumeration->enumValues())
        if (sameName(v.name, literal)) return v.value;
    return -1;
}

}  // namespace nusk_p21

namespace nusk_p21 {

std::string withArticle(std::string_view name) {
    std::string lowered;
    for (size_t i = 0; i < name.size() && i < 3; ++i) lowered += lower(name[i]);
    const bool vowel = !lowered.empty() && std::strchr("aeiou", lowered[0]);
    // Words that are written with a vowel but start with a "y" or "w" sound take "a": a unit, a user, a one.
    bool consonantSound = false;
    for (const char* prefix : {"uni", "use", "usa", "usu", "uti", "eu", "one"})
        consonantSound = consonantSound || lowered.compare(0, std::strlen(prefix), prefix) == 0;
    return (vowel && !consonantSound ? "an " : "a ") + std::string(name);
}

}  // namespace nusk_p21
