// String literal bodies: decoding of each escape form, the handling of malformed bodies, encoding, and
// the round trip over generated texts and byte strings.
#include "literals.h"
#include "text_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using nusk_p21::decodeString;
using nusk_p21::encodeString;
using nusk_p21::isPlainString;

namespace {

struct Case {
    std::string input;
    std::string expected;
    std::string problem;  // empty when the body is well formed
};

std::string encoded(std::string_view text) {
    std::string out;
    encodeString(text, out);
    return out;
}

std::string bodyOf(const std::string& literal) { return literal.substr(1, literal.size() - 2); }

void appendUtf8(std::string& s, char32_t cp) {
    if (cp < 0x80) return s.push_back(static_cast<char>(cp));
    int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    const unsigned lead[] = {0, 0xC0, 0xE0, 0xF0};
    s.push_back(static_cast<char>(lead[extra] | (cp >> (6 * extra))));
    while (extra-- > 0) s.push_back(static_cast<char>(0x80 | ((cp >> (6 * extra)) & 0x3F)));
}

// Decodes a body that must be well formed.
std::string decodedOk(const std::string& body) {
    std::string out, problem;
    EXPECT_TRUE(decodeString(body, out, &problem)) << problem;
    return out;
}

// Well-formed UTF-8 is exactly what survives encoding and decoding unchanged.
bool wellFormed(const std::string& s) { return decodedOk(bodyOf(encoded(s))) == s; }

TEST(DecodeString, EscapeForms) {
    const std::vector<Case> cases = {
        {"plain text", "plain text", ""},
        {R"(a\\b)", R"(a\b)", ""},
        {R"(\X\E9\X\e9\X\0A)", u8"éé\n", ""},
        {R"(\X2\00E9263A\X0\)", u8"é☺", ""},
        {R"(\X2\D83DDE00\X0\\X2\d83dde00\X0\)", u8"😀😀", ""},
        {R"(\X4\0001F600000000E9\X0\)", u8"😀é", ""},
        {R"(\X2\\X0\\X4\\X0\)", "", ""},
        {R"(\S\a\S\\\S\'')", u8"\u00E1\u00DC\u00A7", ""},
        {R"(\P\A\\S\a)", u8"á", ""},
        {R"(\PA\\S\a)", u8"á", ""},
        {u8"raw é ☺ 😀", u8"raw é ☺ 😀", ""},
        {R"(x\X\41\X2\0042\X0\''\\y)", R"(xAB'\y)", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(decodedOk(c.input), c.expected) << c.input;
}

TEST(DecodeString, CodePageDirectivesSelectThePartOfIso8859ThatFollowingHighHalvesAreIn) {
    const std::vector<Case> cases = {
        {R"(\PE\\S\?\S\`\S\X\S\R\S\U\S\b)", u8"Привет", ""},
        {R"(\PG\\S\e\S\k\S\k\S\g\S\m\S\i\S\j\S\|)", u8"ελληνικό", ""},
        {R"(\PB\\S\#\S\sd\S\<)", u8"Łódź", ""},
        {R"(\PI\\S\]\S\~)", u8"İş", ""},
        {R"(\PH\\S\y\S\l\S\e\S\m)", u8"שלום", ""},
        {R"(\PF\\S\S\S\d\S\G\S\e)", u8"سلام", ""},
        // A page holds until the next; \X\ and \X2\ are not code-paged.
        {R"(\PE\\S\0\PA\\S\0\X\D0\X2\0410\X0\)", u8"А°ÐА", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(decodedOk(c.input), c.expected) << c.input;
}

TEST(DecodeString, MalformedBodiesKeepTheirBytesAndReportTheFirstProblem) {
    const std::vector<Case> cases = {
        {R"(a\Q\b)", R"(a\Q\b)", R"(invalid escape \Q\)"},
        {R"(\X0\)", R"(\X0\)", R"(invalid escape \X0\)"},
        {R"(\Q\\R\)", R"(\Q\\R\)", R"(invalid escape \Q\)"},
        {"ab\\", "ab\\", "lone backslash at end"},
        {"\\\xC3\xA9", "\\\xC3\xA9", "invalid escape \\"},
        {R"(\X\4)", R"(\X\4)", R"(truncated \X\ escape)"},
        {R"(\X\G)", R"(\X\G)", R"(invalid \X\ escape)"},
        {R"(\X2\0041004)", R"(\X2\0041004)", R"(truncated \X2\ escape)"},
        {R"(\X2\0041\X0)", R"(\X2\0041\X0)", R"(truncated \X2\ escape)"},
        {R"(\X2\00G1\X0\z)", R"(\X2\00G1\X0\z)", R"(invalid \X2\ escape)"},
        {R"(\X2\0041\X\42\X0\)", R"(\X2\0041B\X0\)", R"(invalid \X2\ escape)"},
        {R"(\X4\0001F60)", R"(\X4\0001F60)", R"(truncated \X4\ escape)"},
        {R"(\X2\0041D800\X0\)", "AD800", R"(lone surrogate D800 in \X2\ escape)"},
        {R"(\X2\DC00D83D\X0\)", "DC00D83D", R"(lone surrogate DC00 in \X2\ escape)"},
        {R"(\X4\00110000\X0\)", "00110000", R"(invalid code point 00110000 in \X4\ escape)"},
        {R"(\S\)", R"(\S\)", R"(truncated \S\ escape)"},
        {"\\S\\\x01", "\\S\\\x01", R"(invalid \S\ escape)"},
        {R"(\N\)", R"(\N\)", R"(non-standard escape \N\)"},
        {R"(\PJ\x)", R"(\PJ\x)", R"(invalid escape \PJ\)"},
        {R"(\P\J\x)", R"(\P\J\x)", R"(invalid escape \P\)"},
        {R"(\PF\\S\%\S\''z)", R"(\S\%\S\'z)", R"(\S\% stands for no character in ISO 8859-6 (\PF\))"},
        {"caf\xE9", u8"café", "raw 8-bit characters"},
        {"\xE2\x98", u8"\u00E2\u0098", "raw 8-bit characters"},
        {"a'b", "a'b", "unpaired quote"},
    };
    for (const Case& c : cases) {
        std::string out = "<", problem, quiet;
        EXPECT_FALSE(decodeString(c.input, out, &problem)) << c.input;
        EXPECT_EQ(out, "<" + c.expected) << c.input;
        EXPECT_EQ(problem, c.problem) << c.input;
        EXPECT_FALSE(decodeString(c.input, quiet)) << c.input;
    }
}

TEST(IsPlainString, OnlyBodiesThatDecodeToThemselves) {
    for (const char* plain : {"", "abc", u8"é☺😀", "0123456789 long enough for word scans"})
        EXPECT_TRUE(isPlainString(plain)) << plain;
    for (const char* coded :
         {"a''b", "a'b", R"(a\\b)", "0123456789 long enough\\", "caf\xE9", "\xF0\x9F", "\xE0\x82\x80"})
        EXPECT_FALSE(isPlainString(coded)) << coded;
}

TEST(EncodeString, EscapeForms) {
    const std::vector<Case> cases = {
        {"plain", "'plain'", ""},
        {"it's", "'it''s'", ""},
        {R"(a\b)", R"('a\\b')", ""},
        {std::string("\t\x7F\0", 3), R"('\X\09\X\7F\X\00')", ""},
        {"0123456\x7F" "0123456\n", R"('0123456\X\7F0123456\X\0A')", ""},
        {u8"é", R"('\X\E9')", ""},
        {u8"☺☺", R"('\X2\263A263A\X0\')", ""},
        {u8"😀😀", R"('\X4\0001F6000001F600\X0\')", ""},
        {u8"é☺😀a", R"('\X\E9\X2\263A\X0\\X4\0001F600\X0\a')", ""},
        {"\xFF", R"('\X\FF')", ""},
        {"\xE2\x98" "a", R"('\X\E2\X\98a')", ""},
        {"\xED\xA0\x80\xC0\xAF\xE0\x82\x80", R"('\X\ED\X\A0\X\80\X\C0\X\AF\X\E0\X\82\X\80')", ""},
        {u8"☺" "\xFF" u8"☺", R"('\X2\263A\X0\\X\FF\X2\263A\X0\')", ""},
    };
    std::string out = "<";
    encodeString("x", out);
    EXPECT_EQ(out, "<'x'");
    // A view ending inside a UTF-8 sequence: the bytes past its end are not part of the text.
    EXPECT_EQ(encoded(std::string_view("\xE2\x98\xBA", 2)), R"('\X\E2\X\98')");
    for (const Case& c : cases) EXPECT_EQ(encoded(c.input), c.expected) << c.input;
}

TEST(RoundTrip, EveryCodePointInSelectedRanges) {
    const std::pair<char32_t, char32_t> ranges[] = {
        {0, 0x800}, {0xD700, 0xD800}, {0xE000, 0x10400}, {0x1F000, 0x1F700}, {0x10FC00, 0x110000}};
    for (auto [from, to] : ranges) {
        std::string text;
        for (char32_t cp = from; cp < to; ++cp) appendUtf8(text, cp);
        EXPECT_EQ(decodedOk(bodyOf(encoded(text))), text) << std::hex << from;
    }
}

TEST(RoundTrip, RandomUtf8Texts) {
    std::mt19937 rng(20240611);
    const std::pair<char32_t, char32_t> kinds[] = {
        {0x20, 0x7E}, {'\'', '\''}, {'\\', '\\'}, {0, 0x1F},     {0x7F, 0x7F},
        {0x80, 0xFF}, {0x100, 0xD7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}};
    for (int n = 0; n < 3000; ++n) {
        std::string text;
        for (int k = std::uniform_int_distribution<int>(0, 40)(rng); k > 0; --k) {
            auto [lo, hi] = kinds[std::uniform_int_distribution<size_t>(0, std::size(kinds) - 1)(rng)];
            appendUtf8(text, std::uniform_int_distribution<char32_t>(lo, hi)(rng));
        }
        const std::string literal = encoded(text);
        for (char c : literal) ASSERT_TRUE(c >= 0x20 && c <= 0x7E) << literal;
        ASSERT_EQ(decodedOk(bodyOf(literal)), text);
    }
}

TEST(RoundTrip, RandomByteStringsAreStableAfterOnePass) {
    std::mt19937 rng(77);
    const std::string interesting = "\\'X0\xC3\xA9\xE2\x98\xBA\xF0\x9F\x80\xED\xFF";
    for (int n = 0; n < 3000; ++n) {
        std::string bytes;
        for (int k = std::uniform_int_distribution<int>(0, 40)(rng); k > 0; --k) {
            unsigned r = std::uniform_int_distribution<unsigned>(0, 511)(rng);
            bytes.push_back(r < 256 ? static_cast<char>(r) : interesting[r % interesting.size()]);
        }
        const std::string once = encoded(bytes);
        const std::string text = decodedOk(bodyOf(once));
        ASSERT_EQ(encoded(text), once);
        if (wellFormed(bytes)) {
            ASSERT_EQ(text, bytes);
        }
    }
}

TEST(DecodeString, ArbitraryBodiesGiveWellFormedUtf8) {
    std::mt19937 rng(5);
    const char* pieces[] = {"\\",   "X",   "2",      "4",      "0",      "S",     "P",     "N",
                            "B",    "'",   "''",     "D800",   "DC00",   "0041",  "\xC3", "\xA9",
                            "G",    "a",   "\\X2\\", "\\X4\\", "\\X0\\", "\\X\\", "\\S\\", "\\P\\"};
    for (int n = 0; n < 5000; ++n) {
        std::string body, out;
        for (int k = std::uniform_int_distribution<int>(0, 30)(rng); k > 0; --k)
            body += pieces[std::uniform_int_distribution<size_t>(0, std::size(pieces) - 1)(rng)];
        const bool ok = decodeString(body, out);
        ASSERT_TRUE(wellFormed(out)) << body;
        if (isPlainString(body)) {
            ASSERT_TRUE(ok && out == body) << body;
        }
    }
}

}  // namespace

namespace {

/// The closing quote of the literal opening at text[0], found byte by byte; npos when it is never closed.
size_t closingQuoteByBytes(const std::string& text) {
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] != '\'') continue;
        if (i + 1 < text.size() && text[i + 1] == '\'') {
            ++i;
            continue;
        }
        return i;
    }
    return std::string::npos;
}

}  // namespace

// Short literals are looked at byte by byte and longer ones in bulk: a doubled quote, the closing quote or the end
// of the text may fall on either side of where one way hands over to the other.
TEST(StringClose, FindsTheClosingQuoteWhereverDoubledQuotesAndTheEndFall) {
    for (size_t length = 1; length <= 40; ++length) {
        for (size_t doubled = 1; doubled + 1 < length; ++doubled) {
            for (size_t close = 1; close <= length; ++close) {
                std::string text(length, 'x');
                text[0] = '\'';
                text[doubled] = text[doubled + 1] = '\'';
                if (close < length) text[close] = '\'';
                const char* found = nusk_p21::scan::stringClose(text.data(), text.data() + text.size());
                const size_t expected = closingQuoteByBytes(text);
                const size_t got = found ? static_cast<size_t>(found - text.data()) : std::string::npos;
                ASSERT_EQ(got, expected) << text;
            }
        }
    }
}
