#include "string_pool.h"

#include "arena.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace nusk_detail {

char* StringPool::store(std::string_view text) {
    size_t need = text.size() + 1;
    if (need > left_) {
        size_t size = need > kBlock / 4 ? need : kBlock;
        blocks_.emplace_back(new char[size]);
        next_ = blocks_.back().get();
        backPages(next_, size);  // a block fills completely: back it in one call rather than page by page
        ranges_.emplace_back(next_, size);
        left_ = size;
        if (size != kBlock) {  // an outsized text gets a block of its own; keep filling the current one
            char* p = next_;
            std::memcpy(p, text.data(), text.size());
            p[text.size()] = 0;
            left_ = 0;
            next_ = nullptr;
            return p;
        }
    }
    char* p = next_;
    std::memcpy(p, text.data(), text.size());
    p[text.size()] = 0;
    next_ += need;
    left_ -= need;
    return p;
}

uint32_t StringPool::hashOf(std::string_view text) {
    uint64_t h = 0xcbf29ce484222325ull ^ text.size();
    for (unsigned char c : text) h = (h ^ c) * 0x100000001b3ull;
    return static_cast<uint32_t>(h ^ (h >> 32));
}

void StringPool::FreeTable::operator()(Entry* table) const { ::operator delete(table); }

std::unique_ptr<StringPool::Entry, StringPool::FreeTable> StringPool::emptyTable(size_t size) {
    // All-zero bytes are empty entries. The memory is backed in one call before it is cleared, rather than a
    // fault per page as the clearing touches it. It comes from operator new, like the rest of the library's
    // memory, so that a program that serves its allocations its own way serves these too.
    static_assert(std::is_trivially_copyable<Entry>::value, "entries are made by zeroing memory");
    auto* table = static_cast<Entry*>(::operator new(size * sizeof(Entry)));
    backPages(table, size * sizeof(Entry));
    std::memset(static_cast<void*>(table), 0, size * sizeof(Entry));
    return std::unique_ptr<Entry, FreeTable>(table);
}

void StringPool::growTable() {
    const size_t size = tableSize_ * 2;
    std::unique_ptr<Entry, FreeTable> old = emptyTable(size);
    old.swap(table_);
    const size_t oldSize = tableSize_;
    tableSize_ = size;
    const size_t mask = size - 1;
    Entry* table = table_.get();
    for (size_t k = 0; k < oldSize; ++k) {
        const Entry& e = old.get()[k];
        if (!e.text) continue;
        size_t i = e.hash & mask;
        while (table[i].text) i = (i + 1) & mask;
        table[i] = e;
    }
}

const char* StringPool::internText(std::string_view text) {
    if (text.size() > kShareLimit) return store(text);
    const uint32_t h = hashOf(text);
    const size_t mask = tableSize_ - 1;
    Entry* table = table_.get();
    size_t i = h & mask;
    for (; table[i].text; i = (i + 1) & mask) {
        const Entry& e = table[i];
        if (e.hash == h && e.size == text.size() && std::memcmp(e.text, text.data(), text.size()) == 0) return e.text;
    }
    char* p = store(text);
    table[i] = {p, static_cast<uint32_t>(text.size()), h};
    if (++used_ * 2 > tableSize_) growTable();
    return p;
}

void StringPool::absorb(StringPool& other) {
    if (&other == this) return;
    for (auto& block : other.blocks_) blocks_.push_back(std::move(block));
    ranges_.insert(ranges_.end(), other.ranges_.begin(), other.ranges_.end());
    other.blocks_.clear();
    other.ranges_.clear();
    other.table_ = emptyTable(kFirstTableSize);
    other.tableSize_ = kFirstTableSize;
    other.used_ = 0;
    other.next_ = nullptr;
    other.left_ = 0;
}

bool StringPool::owns(const char* p) const {
    if (p == kEmptyText) return true;
    for (const auto& r : ranges_)
        if (p >= r.first && p < r.first + r.second) return true;
    return false;
}

}  // namespace nusk_detail
