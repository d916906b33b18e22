#include "lexer.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace expressc {

namespace {

// Kept sorted for the binary search in isReserved.
const char* const kReserved[] = {
    "abs", "abstract", "acos", "aggregate", "alias", "and", "andor", "array", "as", "asin", "atan", "bag",
    "based_on", "begin", "binary", "blength", "boolean", "by", "case", "const_e", "constant", "cos", "derive",
    "div", "else", "end", "end_alias", "end_case", "end_constant", "end_entity", "end_function", "end_if",
    "end_local", "end_procedure", "end_repeat", "end_rule", "end_schema", "end_subtype_constraint", "end_type",
    "entity", "enumeration", "escape", "exists", "exp", "extensible", "false", "fixed", "for", "format", "from",
    "function", "generic", "generic_entity", "hibound", "hiindex", "if", "in", "insert", "integer", "inverse",
    "length", "like", "list", "lobound", "local", "log", "log10", "log2", "logical", "loindex", "mod", "not",
    "number", "nvl", "odd", "of", "oneof", "optional", "or", "otherwise", "pi", "procedure", "query", "real",
    "reference", "remove", "renamed", "repeat", "return", "rolesof", "rule", "schema", "select", "self", "set",
    "sin", "sizeof", "skip", "sqrt", "string", "subtype", "subtype_constraint", "supertype", "tan", "then", "to",
    "total_over", "true", "type", "typeof", "unique", "unknown", "until", "use", "usedin", "value", "value_in",
    "value_unique", "var", "where", "while", "with", "xor",
};

// Longest first, so that ":<>:" wins over ":" and "<>".
const char* const kSymbols[] = {
    ":<>:", ":=:", ":=", "<>", "<=", ">=", "<*", "||", "**", "(", ")", "[", "]", "{", "}", ",", ";", ":",
    ".", "\\", "|", "?", "*", "+", "-", "/", "<", ">", "=", "@",
};

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string describeChar(char c) {
    if (c > ' ' && c < 0x7f) return std::string("'") + c + "'";
    char buf[16];
    std::snprintf(buf, sizeof buf, "byte 0x%02x", static_cast<unsigned char>(c));
    return buf;
}

}  // namespace

bool isReserved(const std::string& word) {
    return std::binary_search(std::begin(kReserved), std::end(kReserved), word,
                              [](const std::string& a, const std::string& b) { return a < b; });
}

Token Lexer::next() {
    if (done_) return last_;
    Token failure;
    if (!skipBlanks(failure)) {
        done_ = true;
        last_ = failure;
        return last_;
    }
    if (pos_ >= s_.size()) {
        done_ = true;
        last_ = Token{TokenKind::end, "", lastLine_};
        return last_;
    }
    lastLine_ = line_;
    char c = s_[pos_];
    if (isLetter(c)) return word();
    if (isDigit(c)) return number();
    if (c == '\'') return simpleString();
    if (c == '"') return encodedString();
    if (c == '%') return binary();
    return symbol();
}

Token Lexer::fail(int line, const std::string& what) {
    done_ = true;
    last_ = Token{TokenKind::error, "line " + std::to_string(line) + ": " + what, line};
    return last_;
}

// Skips white space, (* nested *) comments and -- remarks. False with `failure` set on an unclosed comment.
bool Lexer::skipBlanks(Token& failure) {
    while (pos_ < s_.size()) {
        char c = s_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++pos_;
        } else if (c == '-' && at(pos_ + 1) == '-') {
            lastLine_ = line_;
            while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
        } else if (c == '(' && at(pos_ + 1) == '*') {
            if (!skipComment(failure)) return false;
        } else {
            return true;
        }
    }
    return true;
}

bool Lexer::skipComment(Token& failure) {
    int startLine = line_;
    int depth = 0;
    while (pos_ < s_.size()) {
        char c = s_[pos_];
        if (c == '(' && at(pos_ + 1) == '*') {
            ++depth;
            pos_ += 2;
        } else if (c == '*' && at(pos_ + 1) == ')') {
            pos_ += 2;
            if (--depth == 0) {
                lastLine_ = line_;
                return true;
            }
        } else {
            if (c == '\n') ++line_;
            ++pos_;
        }
    }
    failure = fail(startLine, "unterminated comment");
    return false;
}

Token Lexer::word() {
    Token t{TokenKind::word, "", line_};
    while (pos_ < s_.size() && (isLetter(s_[pos_]) || isDigit(s_[pos_]) || s_[pos_] == '_')) {
        t.text += lower(s_[pos_++]);
    }
    return t;
}

Token Lexer::number() {
    Token t{TokenKind::integer, "", line_};
    std::size_t start = pos_;
    while (isDigit(at(pos_))) ++pos_;
    // "1." and "1.5" are reals, but the dot of "1.e5" only if an exponent follows it.
    char afterDot = at(pos_ + 1);
    bool exponent = lower(afterDot) == 'e' &&
                    (isDigit(at(pos_ + 2)) || ((at(pos_ + 2) == '+' || at(pos_ + 2) == '-') && isDigit(at(pos_ + 3))));
    if (at(pos_) == '.' && (!isLetter(afterDot) || exponent) && afterDot != '.') {
        t.kind = TokenKind::real;
        ++pos_;
        while (isDigit(at(pos_))) ++pos_;
        if (lower(at(pos_)) == 'e') {
            std::size_t mark = pos_ + 1;
            if (at(mark) == '+' || at(mark) == '-') ++mark;
            if (isDigit(at(mark))) {
                pos_ = mark;
                while (isDigit(at(pos_))) ++pos_;
            }
        }
    }
    t.text = s_.substr(start, pos_ - start);
    return t;
}

Token Lexer::simpleString() {
    Token t{TokenKind::string, "", line_};
    ++pos_;
    while (pos_ < s_.size()) {
        char c = s_[pos_++];
        if (c == '\'') {
            if (at(pos_) != '\'') return t;
            ++pos_;
        } else if (c == '\n') {
            ++line_;
        }
        t.text += c;
    }
    return fail(t.line, "unterminated string");
}

Token Lexer::encodedString() {
    Token t{TokenKind::string, "", line_};
    ++pos_;
    while (pos_ < s_.size() && s_[pos_] != '"') {
        if (!isHexDigit(s_[pos_])) {
            if (s_[pos_] == '\n') break;
            return fail(line_, "encoded string holds " + describeChar(s_[pos_]) + ", not a hex digit");
        }
        t.text += s_[pos_++];
    }
    if (pos_ >= s_.size() || s_[pos_] != '"') return fail(t.line, "unterminated string");
    ++pos_;
    if (t.text.size() % 8 != 0) return fail(t.line, "encoded string is not a whole number of 8-digit characters");
    return t;
}

Token Lexer::binary() {
    Token t{TokenKind::binary, "", line_};
    ++pos_;
    while (at(pos_) == '0' || at(pos_) == '1') t.text += s_[pos_++];
    if (t.text.empty()) return fail(t.line, "expected binary digits after '%'");
    return t;
}

Token Lexer::symbol() {
    for (const char* sym : kSymbols) {
        std::size_t n = std::char_traits<char>::length(sym);
        if (s_.compare(pos_, n, sym) == 0) {
            pos_ += n;
            return Token{TokenKind::symbol, sym, line_};
        }
    }
    return fail(line_, "unexpected character " + describeChar(s_[pos_]));
}

}  // namespace expressc
