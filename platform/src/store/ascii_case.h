// Case of ASCII names, eight bytes at a time: schemas hold thousands of names, and the schema's own index checks
// each one when it is built. The hash both that index and the reader's name table find names by.
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

/// A hash of a name that gives a name and its other cases alike. Names are letters, digits, `_`, `-` and a
/// leading `!`: or-ing 0x20 into each byte folds case and changes nothing else that matters, since every name is
/// folded alike. The length and both ends tell a schema's names apart well enough, and cost the same on long
/// names as on short ones.
inline size_t foldedNameHash(std::string_view name) {
    uint64_t head = 0, tail = 0;
    const size_t n = name.size();
    const char* p = name.data();
    if (n >= 8) {
        std::memcpy(&head, p, 8);
        std::memcpy(&tail, p + n - 8, 8);
    } else {
        for (size_t i = 0; i < n; ++i) head |= uint64_t(static_cast<unsigned char>(p[i])) << (8 * i);
    }
    const uint64_t fold = 0x2020202020202020ull;
    const uint64_t h = (head | fold) * 0x9E3779B97F4A7C15ull ^ ((tail | fold) + n) * 0xC2B2AE3D27D4EB4Full;
    return static_cast<size_t>(h ^ (h >> 29));
}

}  // namespace nusk_detail
