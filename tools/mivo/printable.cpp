// Text from a file as the tool shows it on a terminal.
#include "printable.h"

#include <cstdio>

namespace mivo_tool {

namespace {

/// The length of the valid UTF-8 sequence of a printable character at `p` (at most `left` bytes); 0 when the
/// byte there starts none: a control character, a stray or overlong byte, a surrogate, a C1 control.
size_t printableSequence(const unsigned char* p, size_t left) {
    const unsigned char b = p[0];
    if (b < 0x20 || b == 0x7F) return 0;
    if (b < 0x80) return 1;
    size_t n = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        if (b == 0xC2) low = 0xA0;  // U+0080 to U+009F are the C1 controls
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        if (b == 0xE0) low = 0xA0;   // overlong below
        if (b == 0xED) high = 0x9F;  // surrogates above
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        if (b == 0xF0) low = 0x90;   // overlong below
        if (b == 0xF4) high = 0x8F;  // beyond U+10FFFF above
    }
    if (n == 0 || n > left || p[1] < low || p[1] > high) return 0;
    for (size_t i = 2; i < n; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF) return 0;
    return n;
}

}  // namespace

std::string printable(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t i = 0;
    while (i < text.size()) {
        if (const size_t n = printableSequence(p + i, text.size() - i)) {
            out.append(text.data() + i, n);
            i += n;
            continue;
        }
        out += "\\x";
        out += kHex[p[i] >> 4];
        out += kHex[p[i] & 0xF];
        ++i;
    }
    return out;
}

void PrintableReporter::report(NuskSeverity severity, const char* message) {
    std::fprintf(stderr, "%s: %s\n", severity == NuskSeverity::error ? "error" : "warning",
                 printable(message ? message : "").c_str());
}

}  // namespace mivo_tool
