// Tokens of EXPRESS text. The lexer is pulled one token at a time so that whatever follows the end of the
// schema is never looked at.
#pragma once

#include <cstddef>
#include <string>

namespace expressc {

enum class TokenKind {
    word,     // identifier or keyword, lower case
    integer,  // digits
    real,     // digits '.' [digits] [e [sign] digits]
    string,   // 'simple' (text with '' decoded) or "encoded" (the hex digits)
    binary,   // %0101 (text without the %)
    symbol,   // punctuation or operator
    end,      // end of the text
    error,    // a lexical error; text is the whole message "line N: ..."
};

struct Token {
    TokenKind kind = TokenKind::end;
    std::string text;
    int line = 0;
};

/// True for the reserved words of EXPRESS (lower case), which can never name a declaration or attribute.
bool isReserved(const std::string& word);

class Lexer {
public:
    explicit Lexer(const std::string& text) : s_(text) {}

    /// The next token. After the end or an error, the same end or error token comes back forever.
    Token next();

private:
    bool skipBlanks(Token& failure);
    bool skipComment(Token& failure);
    Token word();
    Token number();
    Token simpleString();
    Token encodedString();
    Token binary();
    Token symbol();
    Token fail(int line, const std::string& what);

    char at(std::size_t i) const { return i < s_.size() ? s_[i] : '\0'; }

    const std::string& s_;
    std::size_t pos_ = 0;
    int line_ = 1;
    int lastLine_ = 1;  // line of the last token or comment, where the end of the text is reported
    bool done_ = false;
    Token last_;        // the end or error token, once reached
};

}  // namespace expressc
