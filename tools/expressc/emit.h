// Writing the dictionary tables and the entity classes of a resolved schema.
#pragma once

#include "resolve.h"

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace expressc {

struct GeneratorOptions {
    std::string includeDir;  // where generated headers go (their include path is nusk/ap242/...)
    std::string sourceDir;   // where generated sources go
    std::string testDir;     // where the generated accessor tests go (none when empty)
    std::string stamp;       // the command line that generated them, written into every file
    int classesPerChunk = 160;
};

/// A complex (AND) class to generate: its leaf entity types in alphabetical order.
struct ComplexClass {
    std::vector<std::string> leaves;
    std::string cppClass;
};

/// One accessor group of a select class: an alternative of the select or of a select nested in it.
struct SelectLeaf {
    const Named* named;
    bool nestedSelect;  // a select (or a type defined on one) among the alternatives: only its is_ test
};
/// The alternatives of a select, nested selects' alternatives flattened in after them, each name once.
std::vector<SelectLeaf> selectLeaves(const Resolved& r, const Named& select);
/// The type spec that values of `t` are stored as: named defined types followed to their definition.
const TypeSpec& storedSpec(const Resolved& r, const TypeSpec& t);
/// The class that aggregates of an aggregate spec are made as (ListOfDouble, SetOfstp_unit, ...).
std::string aggregateCppClass(const Resolved& r, const TypeSpec& aggregate);

class Generator {
public:
    Generator(const Resolved& r, GeneratorOptions options) : r_(r), options_(std::move(options)) {}

    /// Reads the complex combinations to generate (one per line: entity names separated by blanks; `#`
    /// starts a comment). Returns false with "line N: ..." on an unknown entity or a combination the schema's
    /// ONEOF constraints forbid.
    bool readComplexList(const std::string& text, std::string& error);
    /// Reads the aggregate attributes whose getters make an empty aggregate when the attribute is unset (one
    /// `entity.attribute` per line; `#` starts a comment). Returns false with "line N: ..." on an attribute the
    /// schema lacks or one that does not hold an aggregate.
    bool readLazyList(const std::string& text, std::string& error);
    /// Reads the default values of new instances (one `entity.attribute VALUE` or `entity.* VALUE` per line, a
    /// real number; `#` starts a comment). Returns false with "line N: ..." on an unknown entity or attribute.
    bool readDefaultsList(const std::string& text, std::string& error);
    /// Writes every file. Returns false with a message when a file cannot be written.
    bool run(std::string& error);
    const std::vector<std::string>& writtenFiles() const { return written_; }

private:
    // tables
    std::string tablesSource();
    int typeRef(const TypeSpec& t);
    std::string constraintCode(const SupertypeExpr& e);
    // classes
    std::string enumsHeader();
    std::string forwardHeader();
    std::string aggregatesHeader();
    std::string entityHeader(const Entity& e);
    std::string selectHeader(const Named& s);
    std::string complexHeader(const ComplexClass& c);
    std::string umbrellaHeader();
    std::string chunkSource(int chunk, const std::vector<std::string>& classes);
    /// Definitions of one class; appends its registration to `reg`.
    std::string classDefinition(const std::string& cls, std::ostringstream& reg);
    std::string entityDefinition(const Entity& e, std::ostringstream& reg);
    std::string selectDefinition(const Named& s, std::ostringstream& reg);
    std::string complexDefinition(const ComplexClass& c, std::ostringstream& reg);
    std::string aggregateDefinition(const std::string& cls, const std::string& element, std::ostringstream& reg);
    std::string enumAggregateDefinition(const std::string& cls, const std::string& element, std::ostringstream& reg);
    bool allowedByConstraints(const std::vector<std::string>& leaves) const;
    std::string registrySource(int chunks);
    std::string cmakeList(int chunks);
    std::string accessorTest(int chunk, const std::vector<const Entity*>& entities);
    std::string accessorCheck(const Entity& e, const Attribute& a) const;
    bool writeTests(std::string& error);
    void collectAggregates();
    void collectAggregate(const TypeSpec& t);
    // accessors
    std::string cppValueType(const TypeSpec& t) const;
    std::string getterBody(const Entity& e, const Attribute& a, int row) const;
    std::string setterBody(const Attribute& a, int row) const;
    std::string expressComment(const Entity& e) const;
    std::vector<std::string> classDependencies(const std::string& cppClass) const;
    bool write(const std::string& path, const std::string& content, std::string& error);
    std::string banner() const;

    const Resolved& r_;
    GeneratorOptions options_;
    bool isLazy(const Entity& e, const Attribute& a) const { return lazy_.count(e.name + "." + a.name) > 0; }

    std::vector<ComplexClass> complexes_;
    std::set<std::string> lazy_;                                        // "entity.attribute"
    std::vector<std::pair<const Attribute*, std::string>> defaults_;    // attribute, value text
    std::vector<std::string> written_;
    // tables state
    std::vector<std::string> typeRefRows_;
    std::map<std::string, int> typeRefIndex_;
    std::map<const Attribute*, int> attributeRow_;
    // aggregate classes with object elements: class name -> element class (or nested aggregate class)
    std::map<std::string, std::string> aggregates_;
    // aggregate classes with enumeration elements: class name -> enumeration class
    std::map<std::string, std::string> enumAggregates_;
    std::map<std::string, const Entity*> entityClasses_;
    std::map<std::string, const Named*> selectClasses_;
    std::map<std::string, const ComplexClass*> complexClasses_;
};

}  // namespace expressc
