// Records kept as read: the text with a marker byte for each reference.
#include "reader.h"

#include "design_impl.h"

#include "nusk/structure.h"

namespace nusk_p21 {

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
            const char* start = p;
            for (++p; p < end; ++p) {
                if (*p != '\'') continue;
                if (p + 1 < end && p[1] == '\'') {
                    ++p;
                    continue;
                }
                break;
            }
            if (p >= end) return false;
            raw.text.append(start, static_cast<size_t>(p - start + 1));
            ++p;
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
