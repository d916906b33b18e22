// Text storage of one design: strings are copied into chunks and short ones are shared.
#pragma once

#include <memory>
#include <string_view>
#include <cstdint>
#include <vector>

namespace nusk_detail {

class StringPool {
public:
    /// A copy of the text that lives as long as the pool; equal short texts give the same pointer. The empty
    /// text is a shared constant.
    const char* intern(std::string_view text) { return text.empty() ? kEmptyText : internText(text); }
    const char* intern(const char* text) { return text ? intern(std::string_view(text)) : nullptr; }
    /// A copy of the text that lives as long as the pool, never shared: no lookup, for texts that are seldom equal.
    const char* copy(std::string_view text) { return text.empty() ? intern(text) : store(text); }
    /// True when `p` is storage of this pool (or the shared empty text).
    bool owns(const char* p) const;
    /// Takes over the texts of `other`, which is left empty: pointers into it stay valid and are this pool's
    /// now. Its texts are not shared with later ones (a text both pools hold, or one interned again, is another
    /// copy): entering them here would cost a larger table, fresh memory, for a few bytes saved.
    void absorb(StringPool& other);

private:
    // Inline here: most strings of real files are empty, and a call costs more than the test.
    static constexpr char kEmptyText[1] = {0};
    const char* internText(std::string_view text);
    char* store(std::string_view text);
    static constexpr size_t kBlock = 64 * 1024;
    static constexpr size_t kShareLimit = 64;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<std::pair<const char*, size_t>> ranges_;
    char* next_ = nullptr;
    size_t left_ = 0;
    // Short texts already stored, in an open-addressing table (a probe reads one 16-byte entry).
    struct Entry {
        const char* text = nullptr;
        uint32_t size = 0;
        uint32_t hash = 0;
    };
    static uint32_t hashOf(std::string_view text);
    void growTable();
    struct FreeTable {
        void operator()(Entry* table) const;
    };
    /// A table of `size` empty entries, backed in one call.
    static std::unique_ptr<Entry, FreeTable> emptyTable(size_t size);
    std::unique_ptr<Entry, FreeTable> table_ = emptyTable(kFirstTableSize);
    size_t tableSize_ = kFirstTableSize;
    size_t used_ = 0;
    static constexpr size_t kFirstTableSize = 1024;
};

}  // namespace nusk_detail
