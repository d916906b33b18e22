// expressc: reads an EXPRESS schema and writes the store's dictionary tables and the entity classes.
//
//   expressc SCHEMA.exp [--complex LIST] [--lazy LIST] [--defaults LIST] --include DIR --source DIR [--tests DIR]
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
    std::fprintf(stderr,
                 "usage: expressc SCHEMA.exp [--complex LIST] [--lazy LIST] [--defaults LIST] --include DIR --source DIR"
                 " [--tests DIR]\n");
    return 2;
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

/// A list file beside the schema, with the generator's reader for it.
struct ListInput {
    const char* option;
    bool (expressc::Generator::*read)(const std::string&, std::string&);
    std::string path;
};

}  // namespace

int main(int argc, char** argv) {
    std::string schemaPath;
    expressc::GeneratorOptions options;
    ListInput lists[] = {{"--complex", &expressc::Generator::readComplexList, {}},
                         {"--lazy", &expressc::Generator::readLazyList, {}},
                         {"--defaults", &expressc::Generator::readDefaultsList, {}}};
    for (int i = 1; i < argc; ++i) {
        std::string* target = nullptr;
        if (!std::strcmp(argv[i], "--include")) target = &options.includeDir;
        else if (!std::strcmp(argv[i], "--source")) target = &options.sourceDir;
        else if (!std::strcmp(argv[i], "--tests")) target = &options.testDir;
        for (ListInput& l : lists)
            if (!std::strcmp(argv[i], l.option)) target = &l.path;
        if (target) {
            if (i + 1 >= argc) return usage();
            *target = argv[++i];
        } else if (argv[i][0] == '-' || !schemaPath.empty()) {
            return usage();
        } else {
            schemaPath = argv[i];
        }
    }
    if (schemaPath.empty() || options.includeDir.empty() || options.sourceDir.empty()) return usage();
    std::string text;
    if (!readFile(schemaPath, text)) {
        std::fprintf(stderr, "expressc: cannot read %s\n", schemaPath.c_str());
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
    options.stamp = "expressc " + baseName(schemaPath);
    for (const ListInput& l : lists)
        if (!l.path.empty()) options.stamp += std::string(" ") + l.option + " " + baseName(l.path);
    expressc::Generator generator(resolved, options);
    for (const ListInput& l : lists) {
        std::string listText;
        if (l.path.empty()) continue;
        if (!readFile(l.path, listText)) {
            std::fprintf(stderr, "expressc: cannot read %s\n", l.path.c_str());
            return 1;
        }
        if (!(generator.*l.read)(listText, error)) {
            std::fprintf(stderr, "%s: %s\n", l.path.c_str(), error.c_str());
            return 1;
        }
    }
    if (!generator.run(error)) {
        std::fprintf(stderr, "expressc: %s\n", error.c_str());
        return 1;
    }
    std::printf("expressc: %zu entities, %zu named types, %zu files written\n", resolved.entities.size(),
                resolved.named.size(), generator.writtenFiles().size());
    return 0;
}
