// Records kept as read: the text with a marker byte for each reference.
#include "reader.h"

#include "design_impl.h"
#include "literals.h"

#include "nusk/structure.h"

#include <algorithm>
#include <cstddef>

namespace nusk_p21 {

namespace {

bool printableWithoutEscapes(std::string_view body) {
    for (char c : body)
        if (c < 0x20 || c > 0x7E || c == '\\') return false;
    return true;
}

/// A string literal of a kept record, in the form the writer gives every string: line breaks, other control
/// characters and 8-bit text inside it are escaped, so the record is valid output and reads back to the same
/// text. The decoder keeps the bytes of a bad escape as they stand, so encoding its result loses nothing.
void appendLiteral(std::string_view body, std::string& out) {
    if (!printableWithoutEscapes(body)) {
        std::string decoded;
        decodeString(body, decoded);
        encodeString(decoded, out);
        return;
    }
    out.push_back('\'');
    out.append(body);
    out.push_back('\'');
}

/// A binary literal or comment as it stands, but for the marker byte: kept, it would be taken for a reference
/// when the record is written and shift every later one. A blank takes its place; in a comment that changes no
/// data, and a binary literal that holds the byte is a bad one either way (told as such).
void appendWithoutMarks(const char* p, const char* end, std::string& out) {
    const size_t start = out.size();
    out.append(p, static_cast<size_t>(end - p));
    std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), NUSK_RAW_REFERENCE_MARK, ' ');
}

}  // namespace

bool Reader::captureRaw(std::string_view rhs, NuskRawText& raw, std::string* binaryProblem) {
    raw.text.clear();
    raw.refs.clear();
    raw.text.reserve(rhs.size());
    int depth = 0;
    const char* p = rhs.data();
    const char* end = p + rhs.size();
    while (p < end) {
        const char ch = *p;
        if (ch == '\'') {
            const char* close = scan::stringClose(p, end);
            if (!close) return false;
            appendLiteral(std::string_view(p + 1, static_cast<size_t>(close - p - 1)), raw.text);
            p = close + 1;
            continue;
        }
        if (ch == '"') {
            // A binary literal is kept as it stands, valid or not; the first bad one is told.
            const char* after = scan::skipBinary(p, end);
            if (!after) return false;
            const char* problem = scan::binaryProblem(p + 1, after - 1);
            if (problem && binaryProblem && binaryProblem->empty())
                *binaryProblem = "the binary literal " + std::string(p, static_cast<size_t>(std::min<ptrdiff_t>(after - p, 40))) +
                                 " " + problem;
            appendWithoutMarks(p, after, raw.text);
            p = after;
            continue;
        }
        if (scan::opensComment(p, end)) {
            // A comment is kept as it stands; what looks like a reference in it is none. One that is never
            // closed leaves the record unfinished.
            const char* after = scan::skipComment(p, end);
            if (!after) return false;
            appendWithoutMarks(p, after, raw.text);
            p = after;
            continue;
        }
        if (ch == '#' && p + 1 < end && p[1] >= '0' && p[1] <= '9') {
            Cursor c(std::string_view(p + 1, static_cast<size_t>(end - p - 1)));
            uint32_t id = 0;
            if (!c.instanceNumber(id) || id == 0) return false;
            raw.text.push_back(NUSK_RAW_REFERENCE_MARK);
            raw.refs.push_back(reinterpret_cast<NuskObject*>((static_cast<uintptr_t>(id) << 1) | 1u));
            p = c.p;
            continue;
        }
        if (ch == NUSK_RAW_REFERENCE_MARK) return false;  // the marker byte cannot be part of a record
        if (ch == '(') ++depth;
        if (ch == ')' && --depth < 0) return false;
        raw.text.push_back(ch);
        ++p;
    }
    return depth == 0;
}

}  // namespace nusk_p21
