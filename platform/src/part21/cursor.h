// Reading tokens of one Part 21 statement.
#pragma once

#include "digits.h"
#include "text_scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cstdint>
#include <string_view>

namespace nusk_p21 {

/// The bytes of keywords and entity names: letters, digits, `_` and `-`. A table, since names are a large part of
/// what a reader walks byte by byte and five comparisons per byte cost more than one load.
struct WordChars {
    bool is[256];
    constexpr WordChars() : is() {
        for (int c = 0; c < 256; ++c)
            is[c] = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    }
};
inline constexpr WordChars kWordChars{};

/// The first byte at or after p that is no word byte (end when there is none). Entity names are long
/// ("GEOMETRIC_REPRESENTATION_CONTEXT"), so they are taken sixteen bytes at a time while that many are left.
inline const char* wordEnd(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i caseBit = _mm_set1_epi8(0x20);
    const __m128i beforeA = _mm_set1_epi8('a' - 1), afterZ = _mm_set1_epi8('z' + 1);
    const __m128i before0 = _mm_set1_epi8('0' - 1), after9 = _mm_set1_epi8('9' + 1);
    const __m128i underscore = _mm_set1_epi8('_'), dash = _mm_set1_epi8('-');
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // A byte with the case bit set is a letter only if it was one (capitals land on small letters). Bytes
        // from 0x80 on compare as negative, below every range.
        const __m128i folded = _mm_or_si128(v, caseBit);
        const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(folded, beforeA), _mm_cmpgt_epi8(afterZ, folded));
        const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(v, before0), _mm_cmpgt_epi8(after9, v));
        const __m128i word = _mm_or_si128(_mm_or_si128(letter, digit),
                                          _mm_or_si128(_mm_cmpeq_epi8(v, underscore), _mm_cmpeq_epi8(v, dash)));
        const unsigned other = ~static_cast<unsigned>(_mm_movemask_epi8(word)) & 0xFFFFu;
        if (other) return p + __builtin_ctz(other);
        p += 16;
    }
#endif
    while (p < end && kWordChars.is[static_cast<unsigned char>(*p)]) ++p;
    return p;
}

struct Cursor {
    const char* p;
    const char* end;

    // An empty view may have no data at all: it is read as an empty text, never as a null pointer.
    explicit Cursor(std::string_view s) : p(s.data() ? s.data() : ""), end(p + s.size()) {}
    bool atEnd() const { return p >= end; }
    char peek() const { return p < end ? *p : '\0'; }

    /// Skips blanks and comments (a comment that is never closed runs to the end).
    void skip() {
        // Most values follow their comma or bracket with no blank: one look settles it.
        if (p < end && static_cast<unsigned char>(*p) > ' ' && *p != '/') return;
        p = scan::skipBlanksToEnd(p, end);
    }
    /// Skips blanks, then takes `c` if it is next.
    bool take(char c) {
        skip();
        if (p < end && *p == c) {
            ++p;
            return true;
        }
        return false;
    }
    /// A keyword or entity name: letters, digits, `_`, `-` (and a leading `!` for user-defined names).
    std::string_view name() {
        skip();
        const char* start = p;
        if (p < end && *p == '!') ++p;
        p = wordEnd(p, end);
        return std::string_view(start, static_cast<size_t>(p - start));
    }
    /// An unsigned number after `#`; false when there are no digits or it does not fit 32 bits.
    bool instanceNumber(uint32_t& id) {
        uint64_t v = 0;
        const char* start = p;
        // Up to 19 digits (leading zeros too) the run's value is exact; a longer run is read digit by digit.
        const char* after = digitRun(p, end, v);
        if (after - start <= 19) {
            p = after;
            id = static_cast<uint32_t>(v);
            return p > start && v <= 0xffffffffull;
        }
        v = 0;
        while (p < end && *p >= '0' && *p <= '9') {
            v = v * 10 + static_cast<uint64_t>(*p - '0');
            if (v > 0xffffffffull) return false;
            ++p;
        }
        id = static_cast<uint32_t>(v);
        return p > start;
    }
    /// A string literal, the cursor at its opening quote: its body as it stands (quotes doubled), the cursor
    /// past the closing quote. False when the literal is never closed.
    bool stringBody(std::string_view& body) {
        const char* close = scan::stringClose(p, end);
        if (!close) {
            p = end;
            return false;
        }
        body = std::string_view(p + 1, static_cast<size_t>(close - p - 1));
        p = close + 1;
        return true;
    }
    static bool isWordChar(char c) { return kWordChars.is[static_cast<unsigned char>(c)]; }
    /// A short view of what comes next, for messages.
    std::string_view upcoming() const {
        size_t n = static_cast<size_t>(end - p);
        return std::string_view(p, n < 24 ? n : 24);
    }
};

}  // namespace nusk_p21
