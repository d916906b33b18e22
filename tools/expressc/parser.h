// The recursive-descent reader behind parseExpress. Declarations are read in parser.cpp; the parts of a
// schema that are read past (rules, functions, expressions) are skipped in parser_skip.cpp.
#pragma once

#include "lexer.h"
#include "model.h"

#include <deque>
#include <string>

namespace expressc {

class Parser {
public:
    explicit Parser(const std::string& text) : lexer_(text) {}

    /// Reads one schema. False after the first error, whose message and line are then set.
    bool parseSchema(Schema& out);
    const std::string& error() const { return error_; }
    int errorLine() const { return errorLine_; }

    /// Deepest nesting of aggregates or supertype expressions that is read.
    static constexpr int kMaxDepth = 200;

private:
    // The token stream.
    const Token& peek(std::size_t ahead = 0);
    Token take();
    bool isWord(const char* word, std::size_t ahead = 0);
    bool isSymbol(const char* sym, std::size_t ahead = 0);
    bool isName(std::size_t ahead = 0);
    bool acceptWord(const char* word);
    bool acceptSymbol(const char* sym);
    bool expectWord(const char* word);
    bool expectSymbol(const char* sym);
    bool expectName(std::string& name);
    bool fail(const std::string& expected);
    bool tooDeep();

    // Declarations.
    bool parseBody(Schema& out);
    bool parseTypeDecl(Schema& out);
    bool parseUnderlying(TypeSpec& type);
    bool parseSelect(TypeSpec& type);
    bool parseEnumeration(TypeSpec& type);
    bool parseExtension(TypeSpec& type);
    bool parseNameList(std::vector<std::string>& names);
    bool parseType(TypeSpec& type, int depth);
    bool parseSimpleType(TypeSpec& type);
    bool parseAggregate(TypeSpec& type, int depth);
    bool parseBounds(TypeSpec& type);
    bool parseEntity(Schema& out);
    bool parseEntityHead(EntityDecl& entity);
    bool parseSupertypeClause(EntityDecl& entity);
    bool parseSupertypeExpr(SupertypeExpr& expr, int depth);
    bool parseSupertypeTerm(SupertypeExpr& expr, int depth);
    bool parseSupertypeFactor(SupertypeExpr& expr, int depth);
    bool parseExplicit(EntityDecl& entity);
    bool parseAttributeDecl(Attribute& attr);
    bool parseDerived(EntityDecl& entity);
    bool parseInverse(EntityDecl& entity);

    // Read past (parser_skip.cpp).
    bool atBlockWord();
    bool skipItem();
    bool skipItems();
    bool skipBlock();
    bool skipInterface();
    bool collectExpression(const char* stopSymbol, std::string& text);

    Lexer lexer_;
    std::deque<Token> ahead_;
    std::string error_;
    int errorLine_ = 0;
};

}  // namespace expressc
