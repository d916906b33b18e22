// The EXPRESS reader: one tiny schema per construct, the errors it must report, and the full AP242 long form.
#include "lexer.h"
#include "model.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace expressc;

namespace {

using Kind = TypeSpec::Kind;
using Op = SupertypeExpr::Op;

// Wraps declarations in a schema; the first declaration is on line 2.
ParseResult parse(const std::string& body) { return parseExpress("SCHEMA s;\n" + body + "\nEND_SCHEMA;\n"); }

ParseResult parseOk(const std::string& body) {
    ParseResult r = parse(body);
    EXPECT_TRUE(r.ok) << r.error;
    return r;
}

std::vector<Token> lexAll(const std::string& text) {
    Lexer lexer(text);
    std::vector<Token> tokens;
    for (Token t = lexer.next(); t.kind != TokenKind::end && t.kind != TokenKind::error; t = lexer.next()) {
        tokens.push_back(t);
    }
    return tokens;
}

std::string texts(const std::vector<Token>& tokens) {
    std::string out;
    for (const Token& t : tokens) out += (out.empty() ? "" : " ") + t.text;
    return out;
}

Token lexError(const std::string& text) {
    Lexer lexer(text);
    Token t;
    do t = lexer.next();
    while (t.kind != TokenKind::end && t.kind != TokenKind::error);
    return t;
}

std::vector<std::string> entityNames(const SupertypeExpr& e) {
    std::vector<std::string> names;
    for (const SupertypeExpr& o : e.operands) names.push_back(o.op == Op::entity ? o.entity : "?");
    return names;
}

}  // namespace

// ---- Lexer ----------------------------------------------------------------------------------------------

TEST(ExpressLexer, OperatorsTakeTheLongestMatch) {
    EXPECT_EQ(texts(lexAll("a:=b :<>: c:=:d <*e||f**g<>h<=i>=j@k?\\l.m|n")),
              "a := b :<>: c :=: d <* e || f ** g <> h <= i >= j @ k ? \\ l . m | n");
}

TEST(ExpressLexer, LiteralsAndCase) {
    std::vector<Token> t = lexAll("Foo_Bar 12 3.5 1.e5 2.5E-3 x.y 'it''s' \"00000041\" %0101");
    ASSERT_EQ(t.size(), 11u);
    EXPECT_EQ(t[0].text, "foo_bar");
    EXPECT_EQ(t[1].kind, TokenKind::integer);
    EXPECT_EQ(t[2].kind, TokenKind::real);
    EXPECT_EQ(t[3].text, "1.e5");
    EXPECT_EQ(t[4].text, "2.5E-3");
    EXPECT_EQ(texts({t[5], t[6], t[7]}), "x . y");
    EXPECT_EQ(t[8].text, "it's");
    EXPECT_EQ(t[9].text, "00000041");
    EXPECT_EQ(t[10].kind, TokenKind::binary);
}

TEST(ExpressLexer, CommentsNestAndLinesAreCounted) {
    std::vector<Token> t = lexAll("a (* one (* two *) still\n comment *) b -- rest (* of\nc 'two\nlines' d");
    ASSERT_EQ(texts(t), "a b c two\nlines d");
    EXPECT_EQ(t[1].line, 2);
    EXPECT_EQ(t[2].line, 3);
    EXPECT_EQ(t[4].line, 4);
}

TEST(ExpressLexer, ErrorsGiveTheLineWhereTheyStart) {
    EXPECT_EQ(lexError("a\n(* open (* nested *)\n\n").text, "line 2: unterminated comment");
    EXPECT_EQ(lexError("a\n\n'no end\nb").text, "line 3: unterminated string");
    EXPECT_EQ(lexError("\"0000\"").kind, TokenKind::error);
    EXPECT_EQ(lexError("\"00000041").kind, TokenKind::error);
    EXPECT_EQ(lexError("a % b").kind, TokenKind::error);
    EXPECT_EQ(lexError("a\n#").text, "line 2: unexpected character '#'");
    EXPECT_EQ(lexError(std::string("x\0y", 3)).text, "line 1: unexpected character byte 0x00");
}

// ---- Schema and types -----------------------------------------------------------------------------------

TEST(ExpressParser, SchemaNameIsLowerCaseAndTrailingTextIgnored) {
    ParseResult r = parseExpress("(* header *) -- note\nSCHEMA My_Schema 'v1';\nEND_SCHEMA; junk # (* open");
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.schema.name, "my_schema");
}

TEST(ExpressParser, SimpleAndNamedTypes) {
    ParseResult r = parseOk(
        "TYPE a = INTEGER; END_TYPE;\nTYPE B = REAL(6); END_TYPE;\nTYPE c = STRING(10) FIXED; END_TYPE;\n"
        "TYPE d = BINARY (32); END_TYPE; TYPE e = Label; WHERE wr1: SELF <> ''; wr2: LENGTH(SELF) < 9; END_TYPE;");
    ASSERT_EQ(r.schema.types.size(), 5u);
    EXPECT_EQ(r.schema.types[1].name, "b");
    EXPECT_EQ(r.schema.types[1].line, 3);
    EXPECT_EQ(r.schema.types[1].type.kind, Kind::simple);
    EXPECT_EQ(r.schema.types[1].type.simple, TypeSpec::Simple::real);
    EXPECT_EQ(r.schema.types[2].type.simple, TypeSpec::Simple::string);
    EXPECT_EQ(r.schema.types[4].type.kind, Kind::named);
    EXPECT_EQ(r.schema.types[4].type.name, "label");
}

TEST(ExpressParser, NestedAggregatesKeepBoundTexts) {
    ParseResult r = parseOk(
        "TYPE m = LIST [1:?] OF UNIQUE SET [2 : n+1] OF ARRAY [0:SIZEOF(x)] OF OPTIONAL REAL; END_TYPE;\n"
        "TYPE b = BAG OF point; END_TYPE;");
    const TypeSpec& list = r.schema.types.at(0).type;
    ASSERT_EQ(list.kind, Kind::aggregate);
    EXPECT_EQ(list.aggregate, TypeSpec::Aggregate::list);
    EXPECT_EQ(list.lowerBound, "1");
    EXPECT_EQ(list.upperBound, "?");
    EXPECT_TRUE(list.unique);
    const TypeSpec& set = *list.element;
    EXPECT_EQ(set.aggregate, TypeSpec::Aggregate::set);
    EXPECT_EQ(set.upperBound, "n + 1");
    const TypeSpec& array = *set.element;
    EXPECT_EQ(array.upperBound, "sizeof ( x )");
    EXPECT_TRUE(array.optionalElements);
    EXPECT_EQ(array.element->kind, Kind::simple);
    const TypeSpec& bag = r.schema.types.at(1).type;
    EXPECT_EQ(bag.aggregate, TypeSpec::Aggregate::bag);
    EXPECT_EQ(bag.lowerBound, "");
    EXPECT_EQ(bag.element->name, "point");
}

TEST(ExpressParser, SelectsAndEnumerations) {
    ParseResult r = parseOk(
        "TYPE s1 = SELECT (A, b); END_TYPE;\n"
        "TYPE s2 = EXTENSIBLE GENERIC_ENTITY SELECT; END_TYPE;\n"
        "TYPE s3 = SELECT BASED_ON s2 WITH (c); END_TYPE;\n"
        "TYPE e1 = ENUMERATION OF (Red, green); END_TYPE;\n"
        "TYPE e2 = EXTENSIBLE ENUMERATION; END_TYPE;\n"
        "TYPE e3 = ENUMERATION BASED_ON e2 WITH (blue); END_TYPE;");
    const std::vector<TypeDecl>& t = r.schema.types;
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[0].type.kind, Kind::select);
    EXPECT_EQ(t[0].type.items, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(t[1].type.extensible);
    EXPECT_TRUE(t[1].type.items.empty());
    EXPECT_EQ(t[2].type.basedOn, "s2");
    EXPECT_EQ(t[2].type.items, std::vector<std::string>{"c"});
    EXPECT_EQ(t[3].type.kind, Kind::enumeration);
    EXPECT_EQ(t[3].type.items, (std::vector<std::string>{"red", "green"}));
    EXPECT_TRUE(t[4].type.extensible);
    EXPECT_EQ(t[5].type.basedOn, "e2");
    EXPECT_EQ(t[5].type.items, std::vector<std::string>{"blue"});
}

// ---- Entities -------------------------------------------------------------------------------------------

TEST(ExpressParser, ExplicitAttributesShareTheirType) {
    ParseResult r = parseOk("ENTITY Pt SUBTYPE OF (Item, thing);\n  X, y : OPTIONAL LIST [2:3] OF REAL;\n"
                            "  name : label;\nEND_ENTITY;");
    const EntityDecl& e = r.schema.entities.at(0);
    EXPECT_EQ(e.name, "pt");
    EXPECT_EQ(e.line, 2);
    EXPECT_EQ(e.supertypes, (std::vector<std::string>{"item", "thing"}));
    ASSERT_EQ(e.attributes.size(), 3u);
    EXPECT_EQ(e.attributes[0].name, "x");
    EXPECT_EQ(e.attributes[1].name, "y");
    EXPECT_TRUE(e.attributes[1].optional);
    EXPECT_EQ(e.attributes[1].type.upperBound, "3");
    EXPECT_EQ(e.attributes[1].line, 3);
    EXPECT_FALSE(e.attributes[2].optional);
    EXPECT_EQ(e.attributes[2].type.name, "label");
}

TEST(ExpressParser, SupertypeClausesInEitherOrder) {
    ParseResult r = parseOk("ENTITY a ABSTRACT SUPERTYPE; END_ENTITY;\nENTITY b ABSTRACT; END_ENTITY;\n"
                            "ENTITY c SUBTYPE OF (a) SUPERTYPE OF (d); END_ENTITY;\n"
                            "ENTITY d ABSTRACT SUPERTYPE OF (ONEOF (e, f)) SUBTYPE OF (c); END_ENTITY;");
    const std::vector<EntityDecl>& e = r.schema.entities;
    ASSERT_EQ(e.size(), 4u);
    EXPECT_TRUE(e[0].abstract && e[1].abstract && e[3].abstract);
    EXPECT_FALSE(e[0].hasSupertypeExpr || e[1].hasSupertypeExpr || e[2].abstract);
    EXPECT_EQ(e[2].supertypes, std::vector<std::string>{"a"});
    EXPECT_EQ(e[2].supertypeExpr.op, Op::entity);  // a single operand is the operand itself
    EXPECT_EQ(e[2].supertypeExpr.entity, "d");
    EXPECT_EQ(e[3].supertypeExpr.op, Op::oneof);
    EXPECT_EQ(entityNames(e[3].supertypeExpr), (std::vector<std::string>{"e", "f"}));
    EXPECT_EQ(e[3].supertypes, std::vector<std::string>{"c"});
}

TEST(ExpressParser, SupertypeExpressionTree) {
    ParseResult r = parseOk("ENTITY a SUPERTYPE OF (b ANDOR c AND d AND e ANDOR ONEOF (f, g ANDOR h) ANDOR (i)); "
                            "END_ENTITY;");
    const SupertypeExpr& top = r.schema.entities.at(0).supertypeExpr;
    ASSERT_EQ(top.op, Op::andor);
    ASSERT_EQ(top.operands.size(), 4u);
    EXPECT_EQ(top.operands[0].entity, "b");
    EXPECT_EQ(top.operands[1].op, Op::and_);
    EXPECT_EQ(entityNames(top.operands[1]), (std::vector<std::string>{"c", "d", "e"}));
    const SupertypeExpr& oneof = top.operands[2];
    ASSERT_EQ(oneof.op, Op::oneof);
    ASSERT_EQ(oneof.operands.size(), 2u);
    EXPECT_EQ(oneof.operands[1].op, Op::andor);
    EXPECT_EQ(entityNames(oneof.operands[1]), (std::vector<std::string>{"g", "h"}));
    EXPECT_EQ(top.operands[3].entity, "i");
}

TEST(ExpressParser, RedeclarationsDerivedAndInverse) {
    ParseResult r = parseOk(
        "ENTITY a SUBTYPE OF (b);\n"
        "  SELF\\B.x RENAMED Y : OPTIONAL INTEGER;\n"
        "  z : REAL;\n"
        "DERIVE\n"
        "  SELF\\b.dims : dims := f(z, [1, 2], 'a;b');\n"
        "  area : REAL := z * z;\n"
        "INVERSE\n"
        "  users : SET [0:?] OF user FOR used;\n"
        "  owner : c FOR c.item;\n"
        "  SELF\\b.parts : BAG OF part FOR whole;\n"
        "UNIQUE ur1 : z; ur2 : SELF\\b.x, z;\n"
        "WHERE wr1 : z > 0; (* END_ENTITY; *) wr2 : QUERY(q <* [1,2] | q > z) = [];\n"
        "END_ENTITY;");
    const EntityDecl& e = r.schema.entities.at(0);
    ASSERT_EQ(e.attributes.size(), 2u);
    EXPECT_EQ(e.attributes[0].name, "x");
    EXPECT_EQ(e.attributes[0].redeclares, "b");
    EXPECT_EQ(e.attributes[0].renamed, "y");
    EXPECT_TRUE(e.attributes[0].optional);
    EXPECT_EQ(e.attributes[1].redeclares, "");
    ASSERT_EQ(e.derived.size(), 2u);
    EXPECT_EQ(e.derived[0].name, "dims");
    EXPECT_EQ(e.derived[0].redeclares, "b");
    EXPECT_EQ(e.derived[0].line, 6);
    EXPECT_EQ(e.derived[1].name, "area");
    EXPECT_EQ(e.derived[1].redeclares, "");
    EXPECT_EQ(e.inverses, (std::vector<std::string>{"users", "owner", "parts"}));
}

TEST(ExpressParser, AlgorithmsAndOtherDeclarationsAreSkipped) {
    ParseResult r = parseOk(
        "USE FROM other (x AS y); REFERENCE FROM more;\n"
        "CONSTANT k : STRING := 'END_CONSTANT;'; END_CONSTANT;\n"
        "FUNCTION f(a : GENERIC) : BOOLEAN;\n"
        "  FUNCTION inner : INTEGER; RETURN ('END_FUNCTION;'); END_FUNCTION;\n"
        "  PROCEDURE p(VAR x : INTEGER); x := 1; END_PROCEDURE;\n"
        "  TYPE local_t = INTEGER; END_TYPE;\n"
        "  LOCAL n : INTEGER := 0; END_LOCAL;\n"
        "  (* END_ENTITY; (* END_FUNCTION; *) END_SCHEMA; *) -- END_FUNCTION;\n"
        "  IF a THEN BEGIN n := 1; END; ELSE n := 2; END_IF;\n"
        "  CASE n OF 1 : RETURN (TRUE); OTHERWISE : ESCAPE; END_CASE;\n"
        "  REPEAT i := 1 TO 3; SKIP; END_REPEAT;\n"
        "  RETURN (FALSE);\n"
        "END_FUNCTION;\n"
        "RULE r FOR (a); WHERE wr1 : TRUE; END_RULE;\n"
        "SUBTYPE_CONSTRAINT sc FOR a; ONEOF (b, c); END_SUBTYPE_CONSTRAINT;\n"
        "ENTITY after; END_ENTITY;");
    ASSERT_EQ(r.schema.entities.size(), 1u);
    EXPECT_EQ(r.schema.entities[0].name, "after");
    EXPECT_TRUE(r.schema.types.empty());  // the type inside the function is not a schema type
}

TEST(ExpressParser, TypeSpecCopiesAreDeep) {
    ParseResult r = parseOk("TYPE m = LIST OF SET OF point; END_TYPE;");
    TypeSpec copy = r.schema.types.at(0).type;
    copy.element->element->name = "other";
    EXPECT_EQ(r.schema.types[0].type.element->element->name, "point");
    copy = *copy.element;  // assigning a part of itself
    EXPECT_EQ(copy.aggregate, TypeSpec::Aggregate::set);
    EXPECT_EQ(copy.element->name, "other");
}

// ---- Errors ---------------------------------------------------------------------------------------------

TEST(ExpressParserErrors, MessagesAndLines) {
    struct Case {
        std::string text;
        int line;
        std::string error;
    };
    const Case cases[] = {
        {"", 1, "line 1: expected SCHEMA, found end of file"},
        {"hello SCHEMA s; END_SCHEMA;", 1, "line 1: expected SCHEMA, found 'hello'"},
        {"SCHEMA s;\nENTITY a;\n x : INTEGER;\n(* never\nclosed", 4, "line 4: unterminated comment"},
        {"SCHEMA s;\nENTITY a;\n x : INTEGER;\nENTITY b; END_ENTITY;\nEND_SCHEMA;", 4,
         "line 4: expected END_ENTITY, found ENTITY"},
        {"SCHEMA s;\nENTITY a;\n x : INTEGER\nEND_ENTITY;", 4, "line 4: expected ';', found END_ENTITY"},
        {"SCHEMA s;\nENTITY a;\n x : INTEGER;\n", 3, "line 3: expected END_ENTITY, found end of file"},
        {"SCHEMA s;\nTYPE t = ENUMERATION OF (); END_TYPE;", 2, "line 2: expected a name, found ')'"},
        {"SCHEMA s;\nENTITY end_entity; END_ENTITY;", 2, "line 2: expected a name, found END_ENTITY"},
        {"SCHEMA s;\nENTITY a;\nWHERE wr1: x > 0\nEND_ENTITY;\nENTITY b;", 4,
         "line 4: expected ';', found END_ENTITY"},
        {"SCHEMA s;\nFUNCTION f : INTEGER;\n IF x THEN RETURN (1);\nEND_FUNCTION;", 4,
         "line 4: expected END_IF, found END_FUNCTION"},
        {"SCHEMA s;\nENTITY a SUPERTYPE OF ((b ANDOR c);\nEND_ENTITY;", 2, "line 2: expected ')', found ';'"},
        {"SCHEMA s;\nTYPE t = ARRAY OF INTEGER; END_TYPE;", 2, "line 2: expected '[', found OF"},
        {"SCHEMA s;\nTYPE t = LIST [1:(2] OF INTEGER; END_TYPE;", 2, "line 2: expected ')', found ']'"},
        {"SCHEMA s;\nENTITY a;\nDERIVE d : REAL := ;\nEND_ENTITY;", 3, "line 3: expected an expression, found ';'"},
        {"SCHEMA s;\n\x01\xff\xfe", 2, "line 2: unexpected character byte 0x01"},
    };
    for (const Case& c : cases) {
        ParseResult r = parseExpress(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.errorLine, c.line) << c.text;
        EXPECT_EQ(r.error, c.error) << c.text;
        EXPECT_TRUE(r.schema.entities.empty() && r.schema.types.empty() && r.schema.name.empty()) << c.text;
    }
}

TEST(ExpressParserErrors, DeepNestingIsRefused) {
    auto nested = [](int depth) {
        std::string type = "INTEGER", expr = "x";
        for (int i = 0; i < depth; ++i) {
            type = "LIST OF " + type;
            expr = "(" + expr + ")";
        }
        return std::make_pair("TYPE t = " + type + "; END_TYPE;", "ENTITY e SUPERTYPE OF " + expr + "; END_ENTITY;");
    };
    EXPECT_TRUE(parse(nested(150).first).ok);
    EXPECT_TRUE(parse(nested(150).second).ok);
    for (const std::string& text : {nested(5000).first, nested(5000).second}) {
        ParseResult r = parse(text);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find("nesting deeper than 200"), std::string::npos) << r.error;
    }
}

TEST(ExpressParserErrors, NoPrefixOfASchemaReadsAsComplete) {
    const std::string text =
        "SCHEMA s;\nTYPE t = SET [1:?] OF STRING(8) FIXED; END_TYPE;\n"
        "ENTITY a ABSTRACT SUPERTYPE OF (ONEOF (b, c)); x, y : OPTIONAL t; DERIVE SELF\\q.r : REAL := f(x);\n"
        "INVERSE i : SET OF b FOR a; WHERE wr1 : 'x' IN TYPEOF(SELF); END_ENTITY;\n"
        "FUNCTION f(x : t) : REAL; (* c *) IF x THEN RETURN(1.5); END_IF; END_FUNCTION;\nEND_SCHEMA;";
    for (std::size_t n = 0; n < text.size(); ++n) {
        ParseResult r = parseExpress(text.substr(0, n));
        ASSERT_FALSE(r.ok) << "prefix of " << n << " bytes";
        ASSERT_GT(r.errorLine, 0);
    }
    EXPECT_TRUE(parseExpress(text).ok) << parseExpress(text).error;
    // Damaging any single byte must never crash or hang (results vary: some damage is still valid EXPRESS).
    for (std::size_t n = 0; n < text.size(); ++n) {
        for (char c : {'\0', '(', ')', ';', '\'', '*', 'x'}) {
            std::string damaged = text;
            damaged[n] = c;
            ParseResult r = parseExpress(damaged);
            EXPECT_TRUE(r.ok || !r.error.empty());
        }
    }
}

// ---- The AP242 long form --------------------------------------------------------------------------------

namespace {

const EntityDecl* findEntity(const Schema& s, const std::string& name) {
    for (const EntityDecl& e : s.entities) {
        if (e.name == name) return &e;
    }
    return nullptr;
}

/// Parses a long form from the schema folder; false (and the test skipped) when the file is not there.
bool parseSchemaFile(const char* path, ParseResult& r) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream text;
    text << in.rdbuf();
    r = parseExpress(text.str());
    return true;
}

struct TypeCounts {
    size_t entities, types;
    int selects, enumerations, others;
};

TypeCounts countTypes(const Schema& s) {
    TypeCounts c{s.entities.size(), s.types.size(), 0, 0, 0};
    for (const TypeDecl& t : s.types)
        (t.type.kind == Kind::select ? c.selects : t.type.kind == Kind::enumeration ? c.enumerations : c.others)++;
    return c;
}

}  // namespace

TEST(ExpressParserRealSchema, Ap242LaterLongForm) {
    ParseResult r;
    if (!parseSchemaFile(MIVO_SCHEMA_FILE, r)) GTEST_SKIP() << "schema file not found: " << MIVO_SCHEMA_FILE;
    ASSERT_TRUE(r.ok) << r.error;
    // The long form names its schema with a capital; names are compared and generated in lower case.
    EXPECT_EQ(r.schema.name, "ap242_managed_model_based_3d_engineering_mim_lf");
    const TypeCounts c = countTypes(r.schema);
    EXPECT_EQ(c.entities, 2407u);
    EXPECT_EQ(c.types, 528u);
    EXPECT_EQ(c.selects, 325);
    EXPECT_EQ(c.enumerations, 76);
    EXPECT_EQ(c.others, 127);
    // What the later edition changed: relationships may relate representation references.
    const EntityDecl* rr = findEntity(r.schema, "representation_relationship");
    ASSERT_NE(rr, nullptr);
    ASSERT_EQ(rr->attributes.size(), 4u);
    EXPECT_EQ(rr->attributes[2].type.name, "representation_or_representation_reference");
    EXPECT_NE(findEntity(r.schema, "annotation_placeholder_occurrence"), nullptr);
    EXPECT_NE(findEntity(r.schema, "model_geometric_view"), nullptr);
}

TEST(ExpressParserRealSchema, Ap242FirstEditionLongForm) {
    ParseResult r;
    if (!parseSchemaFile(MIVO_FIRST_EDITION_SCHEMA_FILE, r))
        GTEST_SKIP() << "schema file not found: " << MIVO_FIRST_EDITION_SCHEMA_FILE;
    ASSERT_TRUE(r.ok) << r.error;
    const Schema& s = r.schema;
    EXPECT_EQ(s.name, "ap242_managed_model_based_3d_engineering_mim_lf");
    const TypeCounts c = countTypes(s);
    EXPECT_EQ(c.entities, 1726u);
    EXPECT_EQ(c.types, 370u);
    EXPECT_EQ(c.selects, 229);
    EXPECT_EQ(c.enumerations, 46);
    EXPECT_EQ(c.others, 95);
    const EntityDecl* si = findEntity(s, "si_unit");
    ASSERT_NE(si, nullptr);
    EXPECT_EQ(si->supertypes, std::vector<std::string>{"named_unit"});
    ASSERT_EQ(si->attributes.size(), 2u);
    EXPECT_EQ(si->attributes[0].name, "prefix");
    EXPECT_TRUE(si->attributes[0].optional);
    EXPECT_EQ(si->attributes[0].type.name, "si_prefix");
    EXPECT_EQ(si->attributes[1].name, "name");
    ASSERT_EQ(si->derived.size(), 1u);
    EXPECT_EQ(si->derived[0].name, "dimensions");
    EXPECT_EQ(si->derived[0].redeclares, "named_unit");

    const EntityDecl* rrwt = findEntity(s, "representation_relationship_with_transformation");
    ASSERT_NE(rrwt, nullptr);
    ASSERT_EQ(rrwt->attributes.size(), 1u);
    EXPECT_EQ(rrwt->attributes[0].name, "transformation_operator");

    const EntityDecl* drc = findEntity(s, "datum_reference_compartment");
    ASSERT_NE(drc, nullptr);
    EXPECT_TRUE(drc->attributes.empty());
    EXPECT_EQ(drc->inverses, std::vector<std::string>{"owner"});

    const EntityDecl* cbu = findEntity(s, "conversion_based_unit");
    ASSERT_NE(cbu, nullptr);
    ASSERT_EQ(cbu->attributes.size(), 2u);
    EXPECT_EQ(cbu->attributes[0].type.name, "label");
    EXPECT_EQ(cbu->attributes[1].name, "conversion_factor");
    EXPECT_EQ(cbu->attributes[1].type.name, "measure_with_unit");

    const EntityDecl* cto = findEntity(s, "cartesian_transformation_operator_3d");
    ASSERT_NE(cto, nullptr);
    ASSERT_EQ(cto->attributes.size(), 1u);
    EXPECT_EQ(cto->attributes[0].name, "axis3");
    EXPECT_TRUE(cto->attributes[0].optional);
    EXPECT_EQ(cto->attributes[0].type.name, "direction");
    ASSERT_EQ(cto->derived.size(), 1u);
    EXPECT_EQ(cto->derived[0].name, "u");

    const EntityDecl* gt = findEntity(s, "geometric_tolerance");
    ASSERT_NE(gt, nullptr);
    EXPECT_TRUE(gt->abstract);
    ASSERT_TRUE(gt->hasSupertypeExpr);
    EXPECT_EQ(gt->supertypeExpr.op, Op::andor);
    ASSERT_EQ(gt->supertypeExpr.operands.size(), 5u);
    EXPECT_EQ(gt->supertypeExpr.operands[2].op, Op::oneof);
    EXPECT_EQ(gt->supertypeExpr.operands[4].operands.size(), 7u);
    EXPECT_EQ(gt->derived.size(), 2u);
}
