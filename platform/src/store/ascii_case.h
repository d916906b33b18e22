// Case of ASCII names, eight bytes at a time: schemas hold thousands of names, and both the schema's own index
// and the reader's name table check each one when they are built.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace nusk_detail {

/// True when `text` holds no capital A to Z.
inline bool isLowerCase(std::string_view text) {
    const char* p = text.data();
    size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t v;
        std::memcpy(&v, p, 8);
        const uint64_t high = 0x8080808080808080ull;
        if (v & high) break;  // a byte past ASCII: the carries below would spill, so the rest goes byte by byte
        // For ASCII bytes, adding 0x3F sets a byte's high bit from 'A' on and adding 0x25 from past 'Z' on.
        const uint64_t atLeastA = v + 0x3F3F3F3F3F3F3F3Full;
        const uint64_t pastZ = v + 0x2525252525252525ull;
        if (atLeastA & ~pastZ & high) return false;
    }
    for (; n; ++p, --n)
        if (*p >= 'A' && *p <= 'Z') return false;
    return true;
}

}  // namespace nusk_detail
