#include "string_pool.h"

#include <cstring>

namespace nusk_detail {

namespace {
const char kEmpty[1] = {0};
}

char* StringPool::store(std::string_view text) {
    size_t need = text.size() + 1;
    if (need > left_) {
        size_t size = need > kBlock / 4 ? need : kBlock;
        blocks_.emplace_back(new char[size]);
        next_ = blocks_.back().get();
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

void StringPool::growTable() {
    std::vector<Entry> old(table_.size() * 2);
    old.swap(table_);
    const size_t mask = table_.size() - 1;
    for (const Entry& e : old) {
        if (!e.text) continue;
        size_t i = e.hash & mask;
        while (table_[i].text) i = (i + 1) & mask;
        table_[i] = e;
    }
}

const char* StringPool::intern(std::string_view text) {
    if (text.empty()) return kEmpty;
    if (text.size() > kShareLimit) return store(text);
    const uint32_t h = hashOf(text);
    const size_t mask = table_.size() - 1;
    size_t i = h & mask;
    for (; table_[i].text; i = (i + 1) & mask) {
        const Entry& e = table_[i];
        if (e.hash == h && e.size == text.size() && std::memcmp(e.text, text.data(), text.size()) == 0) return e.text;
    }
    char* p = store(text);
    table_[i] = {p, static_cast<uint32_t>(text.size()), h};
    if (++used_ * 2 > table_.size()) growTable();
    return p;
}

bool StringPool::owns(const char* p) const {
    if (p == kEmpty) return true;
    for (const auto& r : ranges_)
        if (p >= r.first && p < r.first + r.second) return true;
    return false;
}

}  // namespace nusk_detail
