// expressc: reads an EXPRESS schema and writes the store's dictionary tables and the entity classes.
//
//   expressc SCHEMA.exp --complex LIST --include DIR --source DIR [--tests DIR]
#include "emit.h"
#include "model.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: expressc SCHEMA.exp --complex LIST --include DIR --source DIR [--tests DIR]\n");
    return 2;
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    std::string schemaPath, complexPath;
    expressc::GeneratorOptions options;
    for (int i = 1; i < argc; ++i) {
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        if (!std::strcmp(argv[i], "--complex")) {
            if (!value(complexPath)) return usage();
        } else if (!std::strcmp(argv[i], "--include")) {
            if (!value(options.includeDir)) return usage();
        } else if (!std::strcmp(argv[i], "--source")) {
            if (!value(options.sourceDir)) return usage();
        } else if (!std::strcmp(argv[i], "--tests")) {
            if (!value(options.testDir)) return usage();
        } else if (argv[i][0] == '-' || !schemaPath.empty()) {
            return usage();
        } else {
            schemaPath = argv[i];
        }
    }
    if (schemaPath.empty() || options.includeDir.empty() || options.sourceDir.empty()) return usage();
    std::string text, complexText;
    if (!readFile(schemaPath, text)) {
        std::fprintf(stderr, "expressc: cannot read %s\n", schemaPath.c_str());
        return 1;
    }
    if (!complexPath.empty() && !readFile(complexPath, complexText)) {
        std::fprintf(stderr, "expressc: cannot read %s\n", complexPath.c_str());
        return 1;
    }
    expressc::ParseResult parsed = expressc::parseExpress(text);
    if (!parsed.ok) {
        std::fprintf(stderr, "%s: %s\n", schemaPath.c_str(), parsed.error.c_str());
        return 1;
    }
    expressc::Resolved resolved;
    std::string error;
    if (!expressc::resolveSchema(parsed.schema, resolved, error)) {
        std::fprintf(stderr, "%s: %s\n", schemaPath.c_str(), error.c_str());
        return 1;
    }
    // The stamp names the inputs by file name only, so that output does not depend on where they lie.
    options.stamp = "expressc " + baseName(schemaPath) + (complexPath.empty() ? "" : " --complex " + baseName(complexPath));
    expressc::Generator generator(resolved, options);
    if (!generator.readComplexList(complexText, error)) {
        std::fprintf(stderr, "%s: %s\n", complexPath.c_str(), error.c_str());
        return 1;
    }
    if (!generator.run(error)) {
        std::fprintf(stderr, "expressc: %s\n", error.c_str());
        return 1;
    }
    std::printf("expressc: %zu entities, %zu named types, %zu files written\n", resolved.entities.size(),
                resolved.named.size(), generator.writtenFiles().size());
    return 0;
}
