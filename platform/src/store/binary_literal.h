// What makes the body of a binary literal (the text between its `"`s) valid: the reader checks what it reads
// with it, the setters of BINARY values what they are given, and the writer what it writes.
#pragma once

namespace nusk_detail {

/// Why the body of a binary literal is not valid, or null when it is: a first digit 0 to 3 (the unused bits of
/// the last hexadecimal digit) followed by uppercase hexadecimal digits; the first digit alone only when it is
/// 0 (no bits at all).
inline const char* binaryLiteralProblem(const char* p, const char* end) {
    if (p == end) return "is empty";
    if (*p < '0' || *p > '3') return "does not start with 0 to 3 (the unused bits)";
    if (end - p == 1 && *p != '0') return "has unused bits but no digits";
    for (++p; p < end; ++p)
        if (!((*p >= '0' && *p <= '9') || (*p >= 'A' && *p <= 'F'))) return "holds a character that is no hexadecimal digit";
    return nullptr;
}

/// The same for a text ending at its terminating zero.
inline const char* binaryLiteralProblem(const char* text) {
    const char* end = text;
    while (*end) ++end;
    return binaryLiteralProblem(text, end);
}

}  // namespace nusk_detail
