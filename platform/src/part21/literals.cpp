// String literal bodies: decoding of the escape directives into UTF-8, and the encoding back.
//
// Both directions are built for bulk text: the scanners test eight bytes at a time for anything that
// needs attention and copy the plain stretches between such bytes in one append.
#include "literals.h"

#include "code_pages.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace nusk_p21 {
namespace {

// ---- Byte scanning ------------------------------------------------------------------------------------

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = kOnes * 0x80;

// Non-zero exactly when some byte of w is below n (n <= 0x80).
constexpr uint64_t bytesBelow(uint64_t w, unsigned n) { return (w - kOnes * n) & ~w & kHighs; }
constexpr uint64_t bytesEqual(uint64_t w, unsigned char b) { return bytesBelow(w ^ (kOnes * b), 1); }

// Bytes the decoder must look at: escapes, quotes and anything above 0x7F.
bool decodeStopsAt(unsigned char c) { return c == '\\' || c == '\'' || c >= 0x80; }
bool decodeStopsIn(uint64_t w) { return (w & kHighs) | bytesEqual(w, '\\') | bytesEqual(w, '\''); }

// Bytes the encoder cannot copy as they are: quote, backslash, controls, DEL and anything above 0x7F.
bool encodeStopsAt(unsigned char c) { return c < 0x20 || c >= 0x7F || c == '\\' || c == '\''; }
bool encodeStopsIn(uint64_t w) {
    return (w & kHighs) | bytesBelow(w, 0x20) | bytesEqual(w, 0x7F) | bytesEqual(w, '\\') |
           bytesEqual(w, '\'');
}

// Index of the first byte from i on for which stopsAt holds, or s.size().
template <class WordTest, class ByteTest>
size_t scan(std::string_view s, size_t i, WordTest stopsIn, ByteTest stopsAt) {
    const size_t n = s.size();
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, s.data() + i, 8);
        if (stopsIn(w)) break;
    }
    while (i < n && !stopsAt(static_cast<unsigned char>(s[i]))) ++i;
    return i;
}

// ---- UTF-8 and hex ------------------------------------------------------------------------------------

// Length of the well-formed UTF-8 sequence starting at s[i] (a byte >= 0x80) and its code point;
// 0 when the bytes there are not well-formed UTF-8 (overlong forms and surrogates included).
size_t utf8Sequence(std::string_view s, size_t i, char32_t& cp) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data()) + i;
    size_t len;
    if (p[0] < 0xC2) return 0;
    if (p[0] < 0xE0) len = 2, cp = p[0] & 0x1F;
    else if (p[0] < 0xF0) len = 3, cp = p[0] & 0x0F;
    else if (p[0] < 0xF5) len = 4, cp = p[0] & 0x07;
    else return 0;
    if (s.size() - i < len) return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    if (len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) return 0;
    if (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) return 0;
    return len;
}

// Appends a code point the caller has checked (at most 0x10FFFF, not a surrogate).
void appendUtf8(std::string& out, char32_t cp) {
    char b[4];
    size_t len;
    if (cp < 0x80) b[0] = static_cast<char>(cp), len = 1;
    else if (cp < 0x800) b[0] = static_cast<char>(0xC0 | (cp >> 6)), len = 2;
    else if (cp < 0x10000) b[0] = static_cast<char>(0xE0 | (cp >> 12)), len = 3;
    else b[0] = static_cast<char>(0xF0 | (cp >> 18)), len = 4;
    for (size_t k = 1; k < len; ++k) b[k] = static_cast<char>(0x80 | ((cp >> (6 * (len - 1 - k))) & 0x3F));
    out.append(b, len);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads `digits` hex digits at s[i]; false when they are not all there.
bool readHex(std::string_view s, size_t i, size_t digits, uint32_t& value) {
    if (i > s.size() || s.size() - i < digits) return false;
    value = 0;
    for (size_t k = 0; k < digits; ++k) {
        int h = hexValue(s[i + k]);
        if (h < 0) return false;
        value = (value << 4) | static_cast<uint32_t>(h);
    }
    return true;
}

// Appends `digits` uppercase hex digits of v.
void appendHex(std::string& out, uint32_t v, int digits) {
    static const char kHex[] = "0123456789ABCDEF";
    char b[8];
    for (int k = digits - 1; k >= 0; --k, v >>= 4) b[k] = kHex[v & 0xF];
    out.append(b, static_cast<size_t>(digits));
}

// End of the stretch from i on that decodes to itself: ASCII other than \ and ', and well-formed UTF-8.
size_t plainEnd(std::string_view s, size_t i) {
    for (;;) {
        i = scan(s, i, decodeStopsIn, decodeStopsAt);
        char32_t cp;
        size_t len = i < s.size() && static_cast<unsigned char>(s[i]) >= 0x80 ? utf8Sequence(s, i, cp) : 0;
        if (len == 0) return i;
        i += len;
    }
}

bool printable(char c) { return c >= 0x20 && c <= 0x7E; }

// Makes room for `extra` more bytes, growing geometrically: callers append many strings to one buffer,
// and a reserve of just what is asked for would copy the whole buffer on every call.
void reserveFor(std::string& out, size_t extra) {
    if (out.capacity() - out.size() < extra) out.reserve(std::max(out.size() + extra, 2 * out.capacity()));
}

// ---- Decoding -----------------------------------------------------------------------------------------

class Decoder {
public:
    Decoder(std::string_view body, std::string& out, std::string* problem)
        : s_(body), out_(out), problem_(problem) {}

    bool run() {
        reserveFor(out_, s_.size());
        while (i_ < s_.size()) {
            size_t start = i_;
            i_ = plainEnd(s_, i_);
            out_.append(s_.data() + start, i_ - start);
            if (i_ == s_.size()) break;
            if (s_[i_] == '\'') quote();
            else if (s_[i_] == '\\') escape();
            else rawByte();
        }
        return ok_;
    }

private:
    char at(size_t k) const { return k < s_.size() ? s_[k] : '\0'; }
    bool startsWith(size_t k, std::string_view what) const {
        return k <= s_.size() && s_.compare(k, what.size(), what) == 0;
    }

    // Records the first problem only; later ones cost nothing.
    void report(std::string_view a, std::string_view b = {}, std::string_view c = {}) {
        if (!ok_) return;
        ok_ = false;
        if (problem_) problem_->assign(a).append(b).append(c);
    }

    // Copies n bytes from the current position as they stand.
    void keep(size_t n) {
        out_.append(s_.data() + i_, n);
        i_ += n;
    }

    void quote() {
        if (at(i_ + 1) == '\'') {
            out_.push_back('\'');
            i_ += 2;
            return;
        }
        report("unpaired quote");
        keep(1);
    }

    // A byte above 0x7F that does not start well-formed UTF-8: taken as ISO 8859-1.
    void rawByte() {
        report("raw 8-bit characters");
        appendUtf8(out_, static_cast<unsigned char>(s_[i_]));
        ++i_;
    }

    void escape() {
        const char c = at(i_ + 1), d = at(i_ + 2);
        if (c == '\\') {
            out_.push_back('\\');
            i_ += 2;
        } else if (c == 'X' && d == '\\') {
            byteEscape();
        } else if (c == 'X' && (d == '2' || d == '4') && at(i_ + 3) == '\\') {
            run(d == '2' ? 4 : 8);
        } else if (c == 'S' && d == '\\') {
            highHalf();
        } else if (c == 'P' && isPage(d) && at(i_ + 3) == '\\') {
            page_ = d;
            i_ += 4;
        } else if (c == 'P' && d == '\\' && isPage(at(i_ + 3)) && at(i_ + 4) == '\\') {
            page_ = at(i_ + 3);  // \P\A\, as some writers put it
            i_ += 5;
        } else if (c == 'N' && d == '\\') {
            report("non-standard escape \\N\\");
            keep(3);
        } else {
            invalid();
        }
    }

    // A backslash that starts no known directive. The bytes kept as they stand are the backslash and,
    // when they look like a directive, up to two printable characters and a closing backslash; never
    // part of a UTF-8 sequence or a quote, which are decoded on their own.
    void invalid() {
        auto part = [this](size_t k) { return printable(at(k)) && at(k) != '\'' && at(k) != '\\'; };
        size_t n = 1;
        if (part(i_ + 1)) {
            n = 2;
            if (at(i_ + 2) == '\\') n = 3;
            else if (part(i_ + 2) && at(i_ + 3) == '\\') n = 4;
        }
        if (i_ + 1 == s_.size()) report("lone backslash at end");
        else report("invalid escape ", s_.substr(i_, n));
        keep(n);
    }

    // True when the digits available from k on are a cut-off prefix of `digits` hex digits.
    bool truncatedHex(size_t k, size_t digits) const {
        if (s_.size() - k >= digits) return false;
        for (; k < s_.size(); ++k)
            if (hexValue(s_[k]) < 0) return false;
        return true;
    }

    // \X\hh: one ISO 8859-1 character.
    void byteEscape() {
        uint32_t v;
        if (readHex(s_, i_ + 3, 2, v)) {
            appendUtf8(out_, v);
            i_ += 5;
            return;
        }
        report(truncatedHex(i_ + 3, 2) ? "truncated \\X\\ escape" : "invalid \\X\\ escape");
        keep(3);
    }

    // \S\c: the character c + 128 of the current code page.
    void highHalf() {
        const char c = at(i_ + 3);
        if (!printable(c) || (c == '\'' && at(i_ + 4) != '\'')) {
            report(i_ + 3 >= s_.size() ? "truncated \\S\\ escape" : "invalid \\S\\ escape");
            keep(3);
            return;
        }
        const size_t length = c == '\'' ? 5 : 4;  // a quote stands doubled in the body
        const char32_t cp = codePageCharacter(page_, static_cast<unsigned char>(c) + 128u);
        if (cp == 0) {  // kept as it stands, its quote once
            report("\\S\\", std::string_view(&c, 1), undefinedIn());
            out_.append(s_.data() + i_, 4);
            i_ += length;
            return;
        }
        appendUtf8(out_, cp);
        i_ += length;
    }

    static bool isPage(char letter) { return letter >= 'A' && letter <= 'I'; }

    std::string undefinedIn() const {
        return " stands for no character in ISO 8859-" + std::to_string(page_ - 'A' + 1) + " (\\P" + page_ + "\\)";
    }

    // \X2\ or \X4\ run of `digits`-digit groups up to \X0\. A run that is cut off or holds something
    // other than hex groups is kept as it stands up to that point; decoding goes on from there.
    void run(size_t digits) {
        const size_t start = i_, mark = out_.size();
        i_ += 4;
        for (;;) {
            if (startsWith(i_, "\\X0\\")) {
                i_ += 4;
                return;
            }
            uint32_t v;
            if (!readHex(s_, i_, digits, v)) break;
            if (digits == 4) unit2(v);
            else unit4(v);
        }
        const std::string_view rest = s_.substr(i_), end = "\\X0\\";
        const bool cut =
            truncatedHex(i_, digits) || (rest.size() < end.size() && end.substr(0, rest.size()) == rest);
        report(cut ? "truncated " : "invalid ", digits == 4 ? "\\X2\\" : "\\X4\\", " escape");
        out_.resize(mark);
        out_.append(s_.data() + start, i_ - start);
    }

    // One UCS-2 unit at i_; a high surrogate followed by a low one makes one code point.
    void unit2(uint32_t v) {
        uint32_t low;
        if (v >= 0xD800 && v <= 0xDBFF && readHex(s_, i_ + 4, 4, low) && low >= 0xDC00 && low <= 0xDFFF) {
            appendUtf8(out_, 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00));
            i_ += 8;
        } else if (v >= 0xD800 && v <= 0xDFFF) {
            report("lone surrogate ", s_.substr(i_, 4), " in \\X2\\ escape");
            keep(4);
        } else {
            appendUtf8(out_, v);
            i_ += 4;
        }
    }

    // One UCS-4 code point at i_.
    void unit4(uint32_t v) {
        if (v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
            report("invalid code point ", s_.substr(i_, 8), " in \\X4\\ escape");
            keep(8);
            return;
        }
        appendUtf8(out_, v);
        i_ += 8;
    }

    std::string_view s_;
    std::string& out_;
    std::string* problem_;
    size_t i_ = 0;
    bool ok_ = true;
    char page_ = 'A';  // ISO 8859 part of \S\, 'A' = part 1 .. 'I' = part 9
};

// ---- Encoding -----------------------------------------------------------------------------------------

void appendByteEscape(std::string& out, uint32_t b) {
    out.append("\\X\\", 3);
    appendHex(out, b, 2);
}

// Writes one \X2\ or \X4\ run from s[i] (a character of that kind) for as long as characters of that
// kind follow; returns the index after the run.
size_t encodeRun(std::string_view s, size_t i, std::string& out, bool astral) {
    out.append(astral ? "\\X4\\" : "\\X2\\", 4);
    char32_t cp;
    for (size_t len; i < s.size() && (len = utf8Sequence(s, i, cp)) != 0; i += len) {
        if (cp <= 0xFF || (cp > 0xFFFF) != astral) break;
        appendHex(out, cp, astral ? 8 : 4);
    }
    out.append("\\X0\\", 4);
    return i;
}

// Encodes what starts at s[i], a byte the encoder cannot copy; returns the index after it.
size_t encodeSpecial(std::string_view s, size_t i, std::string& out) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '\'' || c == '\\') {
        out.append(2, static_cast<char>(c));
        return i + 1;
    }
    char32_t cp;
    const size_t len = c >= 0x80 ? utf8Sequence(s, i, cp) : 0;
    if (len == 0) {  // control character, DEL, or a byte outside well-formed UTF-8
        appendByteEscape(out, c);
        return i + 1;
    }
    if (cp <= 0xFF) {
        appendByteEscape(out, cp);
        return i + len;
    }
    return encodeRun(s, i, out, cp > 0xFFFF);
}

}  // namespace

bool decodeString(std::string_view body, std::string& out, std::string* problem) {
    return Decoder(body, out, problem).run();
}

bool isPlainString(std::string_view body) { return plainEnd(body, 0) == body.size(); }

void encodeString(std::string_view utf8, std::string& out) {
    reserveFor(out, utf8.size() + 2);
    out.push_back('\'');
    for (size_t i = 0; i < utf8.size();) {
        const size_t start = i;
        i = scan(utf8, i, encodeStopsIn, encodeStopsAt);
        out.append(utf8.data() + start, i - start);
        if (i < utf8.size()) i = encodeSpecial(utf8, i, out);
    }
    out.push_back('\'');
}

}  // namespace nusk_p21
