// Records kept as read: the text with a marker byte for each reference.
#include "reader.h"

#include "design_impl.h"
#include "literals.h"

#include "nusk/structure.h"

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

}  // namespace

bool Reader::captureRaw(std::string_view rhs, NuskRawText& raw) {
    raw.text.clear();
    raw.refs.clear();
    raw.text.reserve(rhs.size());
    int depth = 0;
    const char* p = rhs.data();
    const char* end = p + rhs.size();
    while (p < end) {
        const char ch = *p;
        if (ch == '\'') {
            Cursor literal(std::string_view(p, static_cast<size_t>(end - p)));
            std::string_view body;
            if (!literal.stringBody(body)) return false;
            appendLiteral(body, raw.text);
            p = literal.p;
            continue;
        }
        if (ch == '/' && p + 1 < end && p[1] == '*') {
            // A comment is kept as it stands; what looks like a reference in it is none. One that is never
            // closed leaves the record unfinished.
            const char* close = p + 2;
            while (close + 1 < end && !(close[0] == '*' && close[1] == '/')) ++close;
            if (close + 1 >= end) return false;
            raw.text.append(p, static_cast<size_t>(close + 2 - p));
            p = close + 2;
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
