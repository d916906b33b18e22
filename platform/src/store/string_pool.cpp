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

const char* StringPool::intern(std::string_view text) {
    if (text.empty()) return kEmpty;
    if (text.size() > kShareLimit) return store(text);
    auto it = shared_.find(text);
    if (it != shared_.end()) return it->data();
    char* p = store(text);
    shared_.insert(std::string_view(p, text.size()));
    return p;
}

bool StringPool::owns(const char* p) const {
    if (p == kEmpty) return true;
    for (const auto& r : ranges_)
        if (p >= r.first && p < r.first + r.second) return true;
    return false;
}

}  // namespace nusk_detail
