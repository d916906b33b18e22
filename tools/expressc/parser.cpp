#include "parser.h"

#include <new>
#include <utility>

namespace expressc {

namespace {

std::string upper(const std::string& word) {
    std::string out = word;
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string describe(const Token& t) {
    switch (t.kind) {
    case TokenKind::word: return isReserved(t.text) ? upper(t.text) : "'" + t.text + "'";
    case TokenKind::string: return "a string";
    case TokenKind::binary: return "a binary literal";
    case TokenKind::end: return "end of file";
    case TokenKind::error: return t.text;
    default: return "'" + t.text + "'";
    }
}

struct SimpleWord {
    const char* word;
    TypeSpec::Simple simple;
};

const SimpleWord kSimpleTypes[] = {
    {"integer", TypeSpec::Simple::integer}, {"real", TypeSpec::Simple::real},
    {"number", TypeSpec::Simple::number},   {"string", TypeSpec::Simple::string},
    {"binary", TypeSpec::Simple::binary},   {"boolean", TypeSpec::Simple::boolean},
    {"logical", TypeSpec::Simple::logical},
};

struct AggregateWord {
    const char* word;
    TypeSpec::Aggregate aggregate;
};

const AggregateWord kAggregates[] = {
    {"list", TypeSpec::Aggregate::list},
    {"set", TypeSpec::Aggregate::set},
    {"bag", TypeSpec::Aggregate::bag},
    {"array", TypeSpec::Aggregate::array},
};

}  // namespace

// ---- TypeSpec -------------------------------------------------------------------------------------------

TypeSpec& TypeSpec::operator=(const TypeSpec& other) {
    if (this == &other) return *this;
    // Copy the element first: `other` may be part of this very type (t = *t.element).
    std::unique_ptr<TypeSpec> copy = other.element ? std::make_unique<TypeSpec>(*other.element) : nullptr;
    kind = other.kind;
    simple = other.simple;
    name = other.name;
    aggregate = other.aggregate;
    lowerBound = other.lowerBound;
    upperBound = other.upperBound;
    unique = other.unique;
    optionalElements = other.optionalElements;
    items = other.items;
    extensible = other.extensible;
    basedOn = other.basedOn;
    element = std::move(copy);
    return *this;
}

// ---- Token stream ---------------------------------------------------------------------------------------

const Token& Parser::peek(std::size_t ahead) {
    while (ahead_.size() <= ahead) {
        if (!ahead_.empty() && (ahead_.back().kind == TokenKind::end || ahead_.back().kind == TokenKind::error)) {
            return ahead_.back();
        }
        ahead_.push_back(lexer_.next());
    }
    return ahead_[ahead];
}

// Takes the current token; the end (or a lexical error) is never passed.
Token Parser::take() {
    Token t = peek();
    if (t.kind != TokenKind::end && t.kind != TokenKind::error) ahead_.pop_front();
    return t;
}

bool Parser::isWord(const char* word, std::size_t ahead) {
    const Token& t = peek(ahead);
    return t.kind == TokenKind::word && t.text == word;
}

bool Parser::isSymbol(const char* sym, std::size_t ahead) {
    const Token& t = peek(ahead);
    return t.kind == TokenKind::symbol && t.text == sym;
}

bool Parser::isName(std::size_t ahead) {
    const Token& t = peek(ahead);
    return t.kind == TokenKind::word && !isReserved(t.text);
}

bool Parser::acceptWord(const char* word) {
    if (!isWord(word)) return false;
    take();
    return true;
}

bool Parser::acceptSymbol(const char* sym) {
    if (!isSymbol(sym)) return false;
    take();
    return true;
}

bool Parser::expectWord(const char* word) { return acceptWord(word) || fail(upper(word)); }

bool Parser::expectSymbol(const char* sym) { return acceptSymbol(sym) || fail(std::string("'") + sym + "'"); }

bool Parser::expectName(std::string& name) {
    if (!isName()) return fail("a name");
    name = take().text;
    return true;
}

// Records the first error, at the current token; always false so that callers can `return fail(...)`.
bool Parser::fail(const std::string& expected) {
    if (!error_.empty()) return false;
    const Token& t = peek();
    errorLine_ = t.line;
    error_ = t.kind == TokenKind::error ? t.text
                                        : "line " + std::to_string(t.line) + ": expected " + expected + ", found " +
                                              describe(t);
    return false;
}

bool Parser::tooDeep() {
    if (!error_.empty()) return false;
    const Token& t = peek();
    errorLine_ = t.line;
    error_ = "line " + std::to_string(t.line) + ": nesting deeper than " + std::to_string(kMaxDepth) + " levels";
    return false;
}

// ---- Schema ---------------------------------------------------------------------------------------------

bool Parser::parseSchema(Schema& out) {
    Schema schema;
    if (!expectWord("schema") || !expectName(schema.name)) return false;
    if (peek().kind == TokenKind::string) take();  // version identifier
    if (!expectSymbol(";") || !parseBody(schema)) return false;
    if (!expectWord("end_schema") || !expectSymbol(";")) return false;
    out = std::move(schema);
    return true;
}

bool Parser::parseBody(Schema& out) {
    while (!isWord("end_schema")) {
        bool ok;
        if (isWord("type")) {
            ok = parseTypeDecl(out);
        } else if (isWord("entity")) {
            ok = parseEntity(out);
        } else if (isWord("function") || isWord("procedure") || isWord("rule") || isWord("constant") ||
                   isWord("subtype_constraint")) {
            ok = skipBlock();
        } else if (isWord("use") || isWord("reference")) {
            ok = skipInterface();
        } else {
            ok = fail("a declaration or END_SCHEMA");
        }
        if (!ok) return false;
    }
    return true;
}

// ---- Types ----------------------------------------------------------------------------------------------

bool Parser::parseTypeDecl(Schema& out) {
    TypeDecl decl;
    decl.line = take().line;
    if (!expectName(decl.name) || !expectSymbol("=") || !parseUnderlying(decl.type) || !expectSymbol(";")) {
        return false;
    }
    if (acceptWord("where") && !skipItems()) return false;
    if (!expectWord("end_type") || !expectSymbol(";")) return false;
    out.types.push_back(std::move(decl));
    return true;
}

bool Parser::parseUnderlying(TypeSpec& type) {
    bool extensible = acceptWord("extensible");
    bool genericEntity = acceptWord("generic_entity");
    if (acceptWord("select")) {
        type.kind = TypeSpec::Kind::select;
        type.extensible = extensible;
        return parseSelect(type);
    }
    if (!genericEntity && acceptWord("enumeration")) {
        type.kind = TypeSpec::Kind::enumeration;
        type.extensible = extensible;
        return parseEnumeration(type);
    }
    if (extensible || genericEntity) return fail(genericEntity ? "SELECT" : "SELECT or ENUMERATION");
    return parseType(type, 0);
}

bool Parser::parseSelect(TypeSpec& type) {
    if (isSymbol("(")) return parseNameList(type.items);
    if (isWord("based_on")) return parseExtension(type);
    return type.extensible || fail("'(' or BASED_ON");
}

bool Parser::parseEnumeration(TypeSpec& type) {
    if (acceptWord("of")) return parseNameList(type.items);
    if (isWord("based_on")) return parseExtension(type);
    return type.extensible || fail("OF or BASED_ON");
}

// BASED_ON name [WITH (a, b, ...)]: the items are the ones added to the extended type.
bool Parser::parseExtension(TypeSpec& type) {
    take();
    if (!expectName(type.basedOn)) return false;
    return !acceptWord("with") || parseNameList(type.items);
}

bool Parser::parseNameList(std::vector<std::string>& names) {
    if (!expectSymbol("(")) return false;
    do {
        std::string name;
        if (!expectName(name)) return false;
        names.push_back(std::move(name));
    } while (acceptSymbol(","));
    return expectSymbol(")");
}

bool Parser::parseType(TypeSpec& type, int depth) {
    if (depth > kMaxDepth) return tooDeep();
    if (isName()) {
        type.kind = TypeSpec::Kind::named;
        type.name = take().text;
        return true;
    }
    for (const AggregateWord& a : kAggregates) {
        if (isWord(a.word)) {
            type.aggregate = a.aggregate;
            return parseAggregate(type, depth);
        }
    }
    return parseSimpleType(type);
}

// INTEGER, REAL [(precision)], NUMBER, STRING/BINARY [(width) [FIXED]], BOOLEAN, LOGICAL.
bool Parser::parseSimpleType(TypeSpec& type) {
    for (const SimpleWord& s : kSimpleTypes) {
        if (!isWord(s.word)) continue;
        take();
        type.kind = TypeSpec::Kind::simple;
        type.simple = s.simple;
        bool sized = s.simple == TypeSpec::Simple::real || s.simple == TypeSpec::Simple::string ||
                     s.simple == TypeSpec::Simple::binary;
        if (!sized || !acceptSymbol("(")) return true;
        std::string width;
        if (!collectExpression(")", width) || !expectSymbol(")")) return false;
        if (s.simple != TypeSpec::Simple::real) acceptWord("fixed");
        return true;
    }
    return fail("a type");
}

// LIST/SET/BAG/ARRAY [lo : hi] OF [OPTIONAL] [UNIQUE] element; only an ARRAY must have bounds.
bool Parser::parseAggregate(TypeSpec& type, int depth) {
    take();
    type.kind = TypeSpec::Kind::aggregate;
    if (isSymbol("[")) {
        if (!parseBounds(type)) return false;
    } else if (type.aggregate == TypeSpec::Aggregate::array) {
        return fail("'['");
    }
    if (!expectWord("of")) return false;
    type.optionalElements = acceptWord("optional");
    type.unique = acceptWord("unique");
    type.element = std::make_unique<TypeSpec>();
    return parseType(*type.element, depth + 1);
}

bool Parser::parseBounds(TypeSpec& type) {
    return expectSymbol("[") && collectExpression(":", type.lowerBound) && expectSymbol(":") &&
           collectExpression("]", type.upperBound) && expectSymbol("]");
}

// ---- Entities -------------------------------------------------------------------------------------------

bool Parser::parseEntity(Schema& out) {
    EntityDecl entity;
    entity.line = take().line;
    if (!expectName(entity.name) || !parseEntityHead(entity) || !expectSymbol(";")) return false;
    while (isName() || isWord("self")) {
        if (!parseExplicit(entity)) return false;
    }
    if (acceptWord("derive")) {
        do {
            if (!parseDerived(entity)) return false;
        } while (isName() || isWord("self"));
    }
    if (acceptWord("inverse")) {
        do {
            if (!parseInverse(entity)) return false;
        } while (isName() || isWord("self"));
    }
    if (acceptWord("unique") && !skipItems()) return false;
    if (acceptWord("where") && !skipItems()) return false;
    if (!expectWord("end_entity") || !expectSymbol(";")) return false;
    out.entities.push_back(std::move(entity));
    return true;
}

// The supertype and subtype clauses, each at most once, in either order.
bool Parser::parseEntityHead(EntityDecl& entity) {
    bool sawSupertype = false;
    bool sawSubtype = false;
    for (;;) {
        if (!sawSupertype && (isWord("abstract") || isWord("supertype"))) {
            sawSupertype = true;
            if (!parseSupertypeClause(entity)) return false;
        } else if (!sawSubtype && acceptWord("subtype")) {
            sawSubtype = true;
            if (!expectWord("of") || !parseNameList(entity.supertypes)) return false;
        } else {
            return true;
        }
    }
}

// ABSTRACT | ABSTRACT SUPERTYPE [OF (expr)] | SUPERTYPE OF (expr)
bool Parser::parseSupertypeClause(EntityDecl& entity) {
    if (acceptWord("abstract")) {
        entity.abstract = true;
        if (!acceptWord("supertype") || !isWord("of")) return true;
    } else {
        take();
    }
    if (!expectWord("of") || !expectSymbol("(")) return false;
    if (!parseSupertypeExpr(entity.supertypeExpr, 0) || !expectSymbol(")")) return false;
    entity.hasSupertypeExpr = true;
    return true;
}

// expr := term {ANDOR term}; a chain becomes one node holding all its operands.
bool Parser::parseSupertypeExpr(SupertypeExpr& expr, int depth) {
    if (depth > kMaxDepth) return tooDeep();
    SupertypeExpr first;
    if (!parseSupertypeTerm(first, depth)) return false;
    if (!isWord("andor")) {
        expr = std::move(first);
        return true;
    }
    expr.op = SupertypeExpr::Op::andor;
    expr.operands.push_back(std::move(first));
    while (acceptWord("andor")) {
        expr.operands.emplace_back();
        if (!parseSupertypeTerm(expr.operands.back(), depth)) return false;
    }
    return true;
}

// term := factor {AND factor}
bool Parser::parseSupertypeTerm(SupertypeExpr& expr, int depth) {
    SupertypeExpr first;
    if (!parseSupertypeFactor(first, depth)) return false;
    if (!isWord("and")) {
        expr = std::move(first);
        return true;
    }
    expr.op = SupertypeExpr::Op::and_;
    expr.operands.push_back(std::move(first));
    while (acceptWord("and")) {
        expr.operands.emplace_back();
        if (!parseSupertypeFactor(expr.operands.back(), depth)) return false;
    }
    return true;
}

// factor := name | ONEOF (expr {, expr}) | (expr)
bool Parser::parseSupertypeFactor(SupertypeExpr& expr, int depth) {
    if (isName()) {
        expr.op = SupertypeExpr::Op::entity;
        expr.entity = take().text;
        return true;
    }
    if (acceptWord("oneof")) {
        expr.op = SupertypeExpr::Op::oneof;
        if (!expectSymbol("(")) return false;
        do {
            expr.operands.emplace_back();
            if (!parseSupertypeExpr(expr.operands.back(), depth + 1)) return false;
        } while (acceptSymbol(","));
        return expectSymbol(")");
    }
    if (acceptSymbol("(")) return parseSupertypeExpr(expr, depth + 1) && expectSymbol(")");
    return fail("an entity name, ONEOF or '('");
}

// a, b, SELF\e.c [RENAMED d] : [OPTIONAL] type ;
bool Parser::parseExplicit(EntityDecl& entity) {
    std::vector<Attribute> declared;
    do {
        declared.emplace_back();
        declared.back().line = peek().line;
        if (!parseAttributeDecl(declared.back())) return false;
    } while (acceptSymbol(","));
    if (!expectSymbol(":")) return false;
    bool optional = acceptWord("optional");
    TypeSpec type;
    if (!parseType(type, 0) || !expectSymbol(";")) return false;
    for (Attribute& attr : declared) {
        attr.optional = optional;
        attr.type = type;
        entity.attributes.push_back(std::move(attr));
    }
    return true;
}

// name | SELF\entity.name [RENAMED new_name]
bool Parser::parseAttributeDecl(Attribute& attr) {
    if (!acceptWord("self")) return expectName(attr.name);
    if (!expectSymbol("\\") || !expectName(attr.redeclares) || !expectSymbol(".") || !expectName(attr.name)) {
        return false;
    }
    return !acceptWord("renamed") || expectName(attr.renamed);
}

// name : type := expression ;
bool Parser::parseDerived(EntityDecl& entity) {
    Attribute attr;
    attr.line = peek().line;
    TypeSpec type;
    if (!parseAttributeDecl(attr) || !expectSymbol(":") || !parseType(type, 0) || !expectSymbol(":=")) return false;
    if (!skipItem()) return false;
    Derived derived;
    derived.name = attr.name;
    derived.redeclares = attr.redeclares;
    derived.line = attr.line;
    entity.derived.push_back(std::move(derived));
    return true;
}

// name : [SET|BAG [bounds] OF] entity FOR [entity .] attribute ;
bool Parser::parseInverse(EntityDecl& entity) {
    Attribute attr;
    if (!parseAttributeDecl(attr) || !expectSymbol(":")) return false;
    if (acceptWord("set") || acceptWord("bag")) {
        TypeSpec bounds;
        if (isSymbol("[") && !parseBounds(bounds)) return false;
        if (!expectWord("of")) return false;
    }
    std::string target;
    std::string inverted;
    if (!expectName(target) || !expectWord("for") || !expectName(inverted)) return false;
    if (acceptSymbol(".") && !expectName(inverted)) return false;
    if (!expectSymbol(";")) return false;
    entity.inverses.push_back(attr.name);
    return true;
}

// ---- Entry point ----------------------------------------------------------------------------------------

ParseResult parseExpress(const std::string& text) {
    ParseResult result;
    try {
        Parser parser(text);
        Schema schema;
        if (parser.parseSchema(schema)) {
            result.ok = true;
            result.schema = std::move(schema);
        } else {
            result.error = parser.error();
            result.errorLine = parser.errorLine();
        }
    } catch (const std::bad_alloc&) {
        result = ParseResult();
        result.error = "out of memory while reading the schema";
    }
    return result;
}

}  // namespace expressc
