// The one scanning layer of the Part 21 reader: where string literals, binary literals and comments end, where
// blanks end, and which bracket closes an open one. Every part of the reader that skips or matches text (the
// scanner that cuts statements, the cursor of a statement, the value parser, complex records, records kept as
// read, the header) goes through these functions, so that they cannot disagree about what is inside a string
// or a comment.
//
// All functions work on [p, end) and never read at or past `end`. They are defined here, inline: they sit in
// the reader's hot loops.
#pragma once

#include "binary_literal.h"

#include <cstdint>
#include <cstring>

namespace nusk_p21 {
namespace scan {

/// Space, tab, line feed, carriage return, and the form feed and vertical tab of page and line layouts (files
/// printed from old systems hold them between records). One comparison for every byte above the space.
inline bool isBlank(char c) {
    const auto u = static_cast<unsigned char>(c);
    constexpr uint64_t kBlanks = (uint64_t(1) << ' ') | (uint64_t(1) << '\t') | (uint64_t(1) << '\n') |
                                 (uint64_t(1) << '\r') | (uint64_t(1) << '\f') | (uint64_t(1) << '\v');
    return u <= ' ' && ((uint64_t(1) << u) & kBlanks) != 0;
}

/// True when a comment opens at p.
inline bool opensComment(const char* p, const char* end) { return end - p >= 2 && p[0] == '/' && p[1] == '*'; }

/// `p` at the opening quote of a string literal: the closing quote (a doubled quote `''` stands inside the
/// literal), or null when the text ends first. A literal whose closing quote is the last byte held may go on
/// with a doubled quote in text not held yet; for cutting statements that makes no difference (a closing quote
/// followed by an opening one leaves the same text inside strings).
inline const char* stringClose(const char* p, const char* end) {
    ++p;
    // Most literals are empty or a short name: a look at their first bytes costs less than a call to memchr.
    for (const char* const shortEnd = end - p > 16 ? p + 16 : end; p < shortEnd; ++p) {
        if (*p != '\'') continue;
        if (p + 1 < end && p[1] == '\'') {
            ++p;  // a doubled quote: the loop steps over its second half
            continue;
        }
        return p;
    }
    while (p < end) {
        const void* q = std::memchr(p, '\'', static_cast<size_t>(end - p));
        if (!q) return nullptr;
        p = static_cast<const char*>(q);
        if (p + 1 < end && p[1] == '\'') {
            p += 2;
            continue;
        }
        return p;
    }
    return nullptr;
}

/// `p` at the opening quote of a string literal: the byte after its closing quote, or null when never closed.
inline const char* skipString(const char* p, const char* end) {
    const char* close = stringClose(p, end);
    return close ? close + 1 : nullptr;
}

/// `p` at the `"` of a binary literal: the byte after its closing `"`, or null when never closed. A quote, a
/// `;` or the `/*` of a comment before the closing `"` leaves it unclosed too: statements are cut without
/// regard to binary literals (they hold hexadecimal digits only), so there a string, the statement's end or a
/// comment begins. Taken into the literal, such a byte would be kept in a record as read and written back
/// where the next read cuts the text otherwise, running a string or comment over the records after it.
inline const char* skipBinary(const char* p, const char* end) {
    for (++p; p < end; ++p) {
        const char c = *p;
        if (c == '"') return p + 1;
        if (c == '\'' || c == ';' || opensComment(p, end)) return nullptr;
    }
    return nullptr;
}

/// `p` at the `/*` of a comment: the byte after its `*/`, or null when the comment is never closed. Comments
/// do not nest: the first `*/` closes.
inline const char* skipComment(const char* p, const char* end) {
    for (p += 2; end - p >= 2;) {
        const void* star = std::memchr(p, '*', static_cast<size_t>(end - p - 1));
        if (!star) return nullptr;
        p = static_cast<const char*>(star);
        if (p[1] == '/') return p + 2;
        ++p;
    }
    return nullptr;
}

namespace detail {
template <bool kUnclosedToEnd>
inline const char* skipBlanks(const char* p, const char* end) {
    for (;;) {
        while (p < end && isBlank(*p)) ++p;
        if (p >= end || *p != '/' || end - p < 2 || p[1] != '*') return p;
        const char* after = skipComment(p, end);
        if (!after) return kUnclosedToEnd ? end : p;
        p = after;
    }
}
}  // namespace detail

/// The first byte from p on that is neither a blank nor inside a comment. When a comment that is never closed
/// comes first, the `/*` that opens it (opensComment() is then true there).
inline const char* skipBlanks(const char* p, const char* end) { return detail::skipBlanks<false>(p, end); }

/// The same, but a comment that is never closed runs to the end of the text.
inline const char* skipBlanksToEnd(const char* p, const char* end) { return detail::skipBlanks<true>(p, end); }

/// One lexical element from p that may hold brackets, quotes or slashes of its own: a string literal, a
/// binary literal or a comment. Returns the byte after it; p itself when no such element starts at p; null
/// when it starts at p but is never closed.
inline const char* skipLiteralOrComment(const char* p, const char* end) {
    switch (*p) {
    case '\'': return skipString(p, end);
    case '"': return skipBinary(p, end);
    case '/': return opensComment(p, end) ? skipComment(p, end) : p;
    default: return p;
    }
}

/// `p` at an opening parenthesis: the parenthesis that closes it, outside strings, binary literals and
/// comments; null when the text ends first (or a literal or comment in it is never closed).
inline const char* matchingClose(const char* p, const char* end) {
    int depth = 0;
    while (p < end) {
        const char c = *p;
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth == 0) return p;
        } else if (c == '\'' || c == '"' || c == '/') {
            const char* after = skipLiteralOrComment(p, end);
            if (!after) return nullptr;
            if (after != p) {
                p = after;
                continue;
            }
        }
        ++p;
    }
    return nullptr;
}

/// The first of the bytes `stops` (no quote, slash or bracket among them) from p on that stands outside
/// strings, binary literals, comments and brackets; end when there is none, null when a literal, comment or
/// bracket is never closed.
inline const char* findOutside(const char* p, const char* end, const char* stops) {
    while (p < end) {
        const char c = *p;
        if (std::strchr(stops, c) && c != '\0') return p;
        if (c == '(') {
            const char* close = matchingClose(p, end);
            if (!close) return nullptr;
            p = close + 1;
            continue;
        }
        if (c == '\'' || c == '"' || c == '/') {
            const char* after = skipLiteralOrComment(p, end);
            if (!after) return nullptr;
            if (after != p) {
                p = after;
                continue;
            }
        }
        ++p;
    }
    return end;
}

/// Why the body of a binary literal (between the `"`s) is not valid, or null when it is.
inline const char* binaryProblem(const char* p, const char* end) { return nusk_detail::binaryLiteralProblem(p, end); }

}  // namespace scan
}  // namespace nusk_p21
