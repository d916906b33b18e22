// Fuzz target: the EXPRESS reader and the resolver of the schema compiler on any text.
#include "emit.h"
#include "model.h"
#include "resolve.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    expressc::ParseResult parsed = expressc::parseExpress(text);
    if (!parsed.ok) return 0;
    expressc::Resolved resolved;
    std::string error;
    if (!expressc::resolveSchema(parsed.schema, resolved, error)) return 0;
    // The complex-class list is read against the schema just parsed: every entity pair is a candidate.
    std::string list;
    for (size_t i = 0; i + 1 < resolved.entities.size() && i < 8; ++i)
        list += resolved.entities[i].name + " " + resolved.entities[i + 1].name + "\n";
    expressc::Generator generator(resolved, expressc::GeneratorOptions{});
    generator.readComplexList(list, error);
    return 0;
}
