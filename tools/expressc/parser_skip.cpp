// Reading past what the model does not keep: expressions, where and unique rules, constants, functions,
// procedures, rules and subtype constraints. Skipping is still checked: brackets must balance, every block
// must be closed by its own END_ word, and a declaration keyword inside an expression means the text is
// broken (a missing ';' must not swallow the declarations that follow it).
#include "parser.h"

#include <cstring>

namespace expressc {

namespace {

struct BlockWords {
    const char* open;
    const char* close;
};

const BlockWords kBlocks[] = {
    {"function", "end_function"},
    {"procedure", "end_procedure"},
    {"rule", "end_rule"},
    {"constant", "end_constant"},
    {"subtype_constraint", "end_subtype_constraint"},
    {"entity", "end_entity"},
    {"type", "end_type"},
    {"local", "end_local"},
    {"begin", "end"},
    {"if", "end_if"},
    {"case", "end_case"},
    {"repeat", "end_repeat"},
    {"alias", "end_alias"},
};

// Words that start or end a declaration, a clause of one, or a statement; never part of an expression.
const char* const kStructural[] = {
    "schema", "end_schema", "derive", "inverse", "unique", "where", "use", "reference",
    "return", "escape", "skip", "else", "otherwise", "then",
};

const char* closerOf(const std::string& word) {
    for (const BlockWords& b : kBlocks) {
        if (word == b.open) return b.close;
    }
    return nullptr;
}

bool isCloser(const std::string& word) {
    for (const BlockWords& b : kBlocks) {
        if (word == b.close) return true;
    }
    return false;
}

bool isStructural(const std::string& word) {
    if (closerOf(word) || isCloser(word)) return true;
    for (const char* w : kStructural) {
        if (word == w) return true;
    }
    return false;
}

char matchingClose(const std::string& sym) {
    if (sym == "(") return ')';
    if (sym == "[") return ']';
    if (sym == "{") return '}';
    return '\0';
}

bool isClosingBracket(const std::string& sym) { return sym == ")" || sym == "]" || sym == "}"; }

std::string upper(const char* word) {
    std::string out = word;
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

// The text of a token as it would be written again (identifiers in lower case).
std::string spelling(const Token& t) {
    if (t.kind == TokenKind::binary) return "%" + t.text;
    if (t.kind != TokenKind::string) return t.text;
    std::string out = "'";
    for (char c : t.text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

}  // namespace

bool Parser::atBlockWord() {
    const Token& t = peek();
    return t.kind == TokenKind::word && isStructural(t.text);
}

// Skips an expression or a labelled rule up to and including its ';'.
bool Parser::skipItem() {
    if (isSymbol(";")) return fail("an expression");
    std::string closers;  // the brackets still open, innermost last
    for (;;) {
        const Token& t = peek();
        if (t.kind == TokenKind::end || t.kind == TokenKind::error || atBlockWord()) {
            return fail(closers.empty() ? "';'" : std::string("'") + closers.back() + "'");
        }
        if (t.kind == TokenKind::symbol) {
            if (t.text == ";" && closers.empty()) {
                take();
                return true;
            }
            if (char c = matchingClose(t.text)) {
                closers += c;
            } else if (isClosingBracket(t.text) || t.text == ";") {
                if (closers.empty() || t.text[0] != closers.back()) {
                    return fail(closers.empty() ? "';'" : std::string("'") + closers.back() + "'");
                }
                closers.pop_back();
            }
        }
        take();
    }
}

// Skips one or more items, up to the keyword that ends the clause (left for the caller to check).
bool Parser::skipItems() {
    do {
        if (!skipItem()) return false;
    } while (peek().kind != TokenKind::end && peek().kind != TokenKind::error && !atBlockWord());
    return true;
}

// Skips a block from its opening keyword to its own END_ word and ';', through nested blocks.
bool Parser::skipBlock() {
    std::vector<const char*> open;  // the END_ words still awaited, innermost last
    do {
        const Token& t = peek();
        if (t.kind == TokenKind::end || t.kind == TokenKind::error) return fail(upper(open.back()));
        if (t.kind == TokenKind::word) {
            if (const char* closer = closerOf(t.text)) {
                open.push_back(closer);
            } else if (isCloser(t.text)) {
                if (open.empty() || t.text != open.back()) return fail(upper(open.back()));
                open.pop_back();
                take();
                if (!expectSymbol(";")) return false;
                continue;
            } else if (t.text == "schema" || t.text == "end_schema") {
                return fail(upper(open.back()));
            }
        }
        take();
    } while (!open.empty());
    return true;
}

// USE FROM ... ; and REFERENCE FROM ... ;
bool Parser::skipInterface() {
    take();
    return expectWord("from") && skipItem();
}

// Collects the text of an expression up to `stopSymbol` at bracket depth 0 (not taken). The tokens are joined
// by single spaces.
bool Parser::collectExpression(const char* stopSymbol, std::string& text) {
    std::string closers;
    for (;;) {
        const Token& t = peek();
        bool isStop = t.kind == TokenKind::symbol && t.text == stopSymbol && closers.empty();
        if (isStop) break;
        if (t.kind == TokenKind::end || t.kind == TokenKind::error || atBlockWord()) {
            return fail(closers.empty() ? std::string("'") + stopSymbol + "'" : std::string("'") + closers.back() + "'");
        }
        if (t.kind == TokenKind::symbol) {
            bool closing = isClosingBracket(t.text);
            if (char c = matchingClose(t.text)) {
                closers += c;
            } else if (closing && !closers.empty() && t.text[0] == closers.back()) {
                closers.pop_back();
            } else if (closing || t.text == ";" || (closers.empty() && (t.text == "," || t.text == ":"))) {
                return fail(std::string("'") + (closers.empty() ? stopSymbol : std::string(1, closers.back())) + "'");
            }
        }
        if (!text.empty()) text += ' ';
        text += spelling(t);
        take();
    }
    return !text.empty() || fail("an expression");
}

}  // namespace expressc
