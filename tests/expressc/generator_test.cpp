// The schema compiler's resolution and naming, on small schemas.
#include "emit.h"
#include "naming.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace expressc;

struct Compiled {
    ParseResult parsed;
    Resolved resolved;
    std::string error;
    bool ok = false;
};

Compiled compile(const std::string& text) {
    Compiled c;
    c.parsed = parseExpress(text);
    if (!c.parsed.ok) {
        c.error = c.parsed.error;
        return c;
    }
    c.ok = resolveSchema(c.parsed.schema, c.resolved, c.error);
    return c;
}

const char* kSchema = R"(SCHEMA tiny;
TYPE length_measure = REAL; END_TYPE;
TYPE label = STRING; END_TYPE;
TYPE lengths = LIST [1:?] OF length_measure; END_TYPE;
TYPE side = ENUMERATION OF (left, right); END_TYPE;
TYPE thing = SELECT (point, length_measure); END_TYPE;
ENTITY item SUPERTYPE OF (ONEOF (point, curve)); name : label; END_ENTITY;
ENTITY point SUBTYPE OF (item); coords : LIST [1:3] OF length_measure; operator : OPTIONAL side; END_ENTITY;
ENTITY curve SUBTYPE OF (item); pts : LIST [2:?] OF point; grid : LIST [1:?] OF LIST [1:?] OF point;
  DERIVE SELF\item.name : label := 'x'; END_ENTITY;
ENTITY tagged; tags : SET [0:?] OF thing; END_ENTITY;
END_SCHEMA;)";

TEST(ExpresscResolve, NamesTypesAndRedeclarations) {
    Compiled c = compile(kSchema);
    ASSERT_TRUE(c.ok) << c.error;
    Entity* curve = c.resolved.entity("curve");
    ASSERT_NE(curve, nullptr);
    ASSERT_EQ(curve->closure.size(), 2u);
    EXPECT_EQ(curve->closure[0]->name, "item");
    ASSERT_EQ(curve->derivedRedecl.size(), 1u);
    EXPECT_EQ(curve->derivedRedecl[0].first->name, "item");
    const Attribute* coords = c.resolved.entity("point")->own[0];
    EXPECT_EQ(valueKindOf(c.resolved, coords->type).kind, ValueKind::Kind::aggregate);
    TypeSpec named;
    named.name = "lengths";
    EXPECT_EQ(valueKindOf(c.resolved, named).kind, ValueKind::Kind::aggregate);
}

TEST(ExpresscResolve, AnInheritedRealRedeclaredAsAnIntegerIsListedForTheWriter) {
    // Only a narrowing of a stored real to an integer changes how a value is written; the redeclaration may
    // name the attribute through a subtype of the entity that declares it, and the type through defined types.
    Compiled c = compile(R"(SCHEMA lits;
TYPE count = INTEGER; END_TYPE;
TYPE amount = NUMBER; END_TYPE;
TYPE short_text = STRING; END_TYPE;
ENTITY literal; the_value : amount; label : STRING; END_ENTITY;
ENTITY simple_literal SUBTYPE OF (literal); END_ENTITY;
ENTITY int_lit SUBTYPE OF (simple_literal); SELF\simple_literal.the_value : count; END_ENTITY;
ENTITY real_lit SUBTYPE OF (literal); SELF\literal.the_value : REAL; END_ENTITY;
ENTITY narrow_label SUBTYPE OF (literal); SELF\literal.label : short_text; END_ENTITY;
END_SCHEMA;)");
    ASSERT_TRUE(c.ok) << c.error;
    const Entity* integer = c.resolved.entity("int_lit");
    ASSERT_EQ(integer->integerRedecl.size(), 1u);
    EXPECT_EQ(integer->integerRedecl[0].first->name, "literal");
    EXPECT_EQ(integer->integerRedecl[0].second, "the_value");
    EXPECT_TRUE(c.resolved.entity("real_lit")->integerRedecl.empty());
    EXPECT_TRUE(c.resolved.entity("narrow_label")->integerRedecl.empty());
}

TEST(ExpresscResolve, DanglingNamesAndCyclesAreErrorsWithTheirLine) {
    Compiled unknownType = compile("SCHEMA s;\nENTITY a;\n x : nowhere;\nEND_ENTITY;\nEND_SCHEMA;");
    EXPECT_FALSE(unknownType.ok);
    EXPECT_EQ(unknownType.error, "line 3: unknown type nowhere");
    Compiled cycle = compile("SCHEMA s;\nENTITY a SUBTYPE OF (b); END_ENTITY;\nENTITY b SUBTYPE OF (a); END_ENTITY;\nEND_SCHEMA;");
    EXPECT_FALSE(cycle.ok);
    EXPECT_NE(cycle.error.find("cycle"), std::string::npos);
    Compiled badRedecl = compile(
        "SCHEMA s;\nENTITY a; x : INTEGER; END_ENTITY;\nENTITY b SUBTYPE OF (a);\n DERIVE SELF\\a.y : INTEGER := 1;\nEND_ENTITY;\nEND_SCHEMA;");
    EXPECT_FALSE(badRedecl.ok);
    EXPECT_EQ(badRedecl.error.rfind("line 4:", 0), 0u) << badRedecl.error;
}

TEST(ExpresscNaming, AggregatesAreNamedAsTheStoreNamesThem) {
    Compiled c = compile(kSchema);
    ASSERT_TRUE(c.ok) << c.error;
    const Entity* point = c.resolved.entity("point");
    const Entity* curve = c.resolved.entity("curve");
    EXPECT_EQ(aggregateClassName(c.resolved, point->own[0]->type), "ListOfDouble");  // defined type over REAL
    EXPECT_EQ(aggregateClassName(c.resolved, curve->own[0]->type), "ListOfstp_point");
    EXPECT_EQ(aggregateClassName(c.resolved, curve->own[1]->type), "ListOfListOfstp_point");
    EXPECT_EQ(aggregateClassName(c.resolved, c.resolved.entity("tagged")->own[0]->type), "SetOfstp_thing");
    EXPECT_EQ(accessorName("operator"), "operator_");
    EXPECT_EQ(accessorName("domain"), "domain_");
    EXPECT_EQ(accessorName("name"), "name");
    EXPECT_EQ(complexClassName({"length_unit", "si_unit"}), "stp_length_unit_and_si_unit");
}

TEST(ExpresscGenerator, ComplexListIsCheckedAgainstTheSchema) {
    Compiled c = compile(kSchema);
    ASSERT_TRUE(c.ok) << c.error;
    Generator g(c.resolved, GeneratorOptions{});
    std::string error;
    EXPECT_TRUE(g.readComplexList("# nothing but a comment\n\nitem point\n", error)) << error;
    EXPECT_FALSE(g.readComplexList("item\npoint nowhere\n", error));
    EXPECT_EQ(error, "line 2: nowhere is not an entity of the schema");
    EXPECT_FALSE(g.readComplexList("point curve\n", error));  // ONEOF in item
    EXPECT_EQ(error, "line 1: the schema does not allow stp_curve_and_point");
}

const char* kEnumSchema = R"(SCHEMA enums;
TYPE side = ENUMERATION OF (left, right); END_TYPE;
TYPE sides = SET [0:?] OF side; END_TYPE;
TYPE side_alias = side; END_TYPE;
ENTITY walker; steps : LIST [1:?] OF side_alias; turns : sides; grid : LIST [1:?] OF SET [1:?] OF side;
  count : LIST [1:?] OF INTEGER; END_ENTITY;
END_SCHEMA;)";

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// An aggregate of an enumeration gets a class of its own whose elements are values of the enumeration, named as
// the store names its domain; aggregates of integers stay ListOfInteger.
TEST(ExpresscGenerator, EveryAggregateOfAnEnumerationHasItsOwnTypedClass) {
    Compiled c = compile(kEnumSchema);
    ASSERT_TRUE(c.ok) << c.error;
    const Entity* walker = c.resolved.entity("walker");
    EXPECT_EQ(aggregateCppClass(c.resolved, walker->own[0]->type), "ListOfstp_side");  // through a defined type
    EXPECT_EQ(aggregateCppClass(c.resolved, storedSpec(c.resolved, walker->own[1]->type)), "SetOfstp_side");
    EXPECT_EQ(aggregateCppClass(c.resolved, walker->own[2]->type), "ListOfSetOfstp_side");
    EXPECT_EQ(aggregateCppClass(c.resolved, walker->own[3]->type), "ListOfInteger");

    const std::string dir = ::testing::TempDir() + "expressc_enum_aggregates";
    std::filesystem::create_directories(dir);
    GeneratorOptions options;
    options.includeDir = dir;
    options.sourceDir = dir;
    Generator g(c.resolved, options);
    std::string error;
    ASSERT_TRUE(g.run(error)) << error;
    const std::string header = readFile(dir + "/aggregates.h");
    EXPECT_NE(header.find("class SetOfstp_side : public ListOfInteger"), std::string::npos);
    EXPECT_NE(header.find("class ListOfstp_side : public ListOfInteger"), std::string::npos);
    EXPECT_NE(header.find("stp_side get(unsigned i) const;"), std::string::npos);
    EXPECT_NE(header.find("int _addIfAbsent(stp_side value);"), std::string::npos);
    // The nested aggregate holds the typed sets.
    EXPECT_NE(header.find("class ListOfSetOfstp_side : public NuskAggregate"), std::string::npos);
    EXPECT_NE(header.find("SetOfstp_side* get(unsigned i) const;"), std::string::npos);
    const std::string entity = readFile(dir + "/stp_walker.h");
    EXPECT_NE(entity.find("SetOfstp_side* turns() const;"), std::string::npos);
    EXPECT_NE(entity.find("ListOfInteger* count() const;"), std::string::npos);
    // Each class is registered for its domain, so instances read from files are made as that class.
    std::string sources;
    for (const auto& f : std::filesystem::directory_iterator(dir))
        if (f.path().extension() == ".cpp") sources += readFile(f.path().string());
    EXPECT_NE(sources.find("r.aggregate(\"SetOfstp_side\", &nusk_ap242::make<SetOfstp_side>)"), std::string::npos);
    std::filesystem::remove_all(dir);
}

}  // namespace
