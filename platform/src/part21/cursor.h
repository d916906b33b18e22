// Reading tokens of one Part 21 statement.
#pragma once

#include "digits.h"
#include "text_scan.h"

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

struct Cursor {
    const char* p;
    const char* end;

    // An empty view may have no data at all: it is read as an empty text, never as a null pointer.
    explicit Cursor(std::string_view s) : p(s.data() ? s.data() : ""), end(p + s.size()) {}
    bool atEnd() const { return p >= end; }
    char peek() const { return p < end ? *p : '\0'; }

    /// Skips blanks and comments (a comment that is never closed runs to the end).
    void skip() { p = scan::skipBlanksToEnd(p, end); }
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
        while (p < end && (isWordChar(*p))) ++p;
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
