// mivo: inspect and convert STEP (ISO 10303-21) files with the AP242 dictionary.
#include "commands.h"
#include "printable.h"
#include "startup_heap.h"

#include "nusk/ap242_support.h"
#include "nusk/memory.h"
#include "nusk/part21.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#ifndef MIVO_VERSION
#define MIVO_VERSION "unknown"
#endif

namespace {

const char kUsage[] =
    "usage: mivo [COMMAND FILE [OPTIONS]]\n"
    "\n"
    "Commands:\n"
    "  info FILE [--json] [--verbose]   header, instance counts per type, read status, errors and warnings\n"
    "  cat FILE -o OUT [--verbose]      read FILE and write it back to OUT\n"
    "  units FILE [--json] [--verbose]  every unit entity with its code, kind of quantity and names\n"
    "  measures FILE [--json] [--verbose]\n"
    "                                   every measure item: value, unit, kind, limits, precision, name\n"
    "  contexts FILE [--json] [--verbose]\n"
    "                                   every representation context with its units and uncertainty\n"
    "  props FILE [--json] [--verbose]  per product definition: its properties and their values, document\n"
    "                                   references, external identifications and shape aspects\n"
    "  merge FILE -o OUT [--json] [--verbose]\n"
    "                                   merge duplicate units and contexts of FILE and write the result to OUT\n"
    "  convert-units FILE -o OUT --length UNIT [--angle UNIT] [--json] [--verbose]\n"
    "                                   move every representation of FILE into contexts in those units,\n"
    "                                   converting its geometry, and write the result to OUT\n"
    "  tree FILE [--json] [--unit UNIT] [--verbose]\n"
    "                                   the product tree from each root product (then from each product\n"
    "                                   no root reaches): every usage with the child it places and its\n"
    "                                   placement, and the shapes without product\n"
    "  gdt FILE [--json] [--verbose]    every geometric tolerance: code, kinds, magnitude, shape aspect,\n"
    "                                   modifiers and datums in precedence order with their modifiers\n"
    "  extract FILE --product ID -o OUT [--json] [--verbose]\n"
    "                                   the product of that id (or #N, the product definition numbered N)\n"
    "                                   with everything below it, written to OUT as a file of its own\n"
    "  help                             this text (also --help, -h)\n"
    "\n"
    "Options:\n"
    "  --json          the result as JSON\n"
    "  --verbose       every error and warning of the read, not only the first 20\n"
    "  -o OUT          the file cat, merge, convert-units and extract write; it may be FILE itself,\n"
    "                  which is replaced only once OUT is written whole\n"
    "  --length UNIT   the length unit convert-units converts into, by its short name (mm, in, m, ...)\n"
    "  --angle UNIT    the plane angle unit it converts into (deg or rad); without it angles are kept\n"
    "  --unit UNIT     the length unit of the tree's placements: mm (the default), cm, m, in, ft, ...,\n"
    "                  or as-is for each child's own unit\n"
    "  --product ID    the product extract writes: its product id, or #N\n"
    "  -V, --version   the version of mivo\n"
    "\n"
    "With no command, mivo builds a small sample design, writes it to a temporary file and shows\n"
    "what reading it back finds (add --json for the JSON form).\n"
    "\n"
    "The result goes to standard output; the read's errors and warnings, and the progress of reading a\n"
    "large file, go to standard error.\n"
    "\n"
    "Exit status: 0 success, 1 the file was read with errors, 2 bad usage or the file cannot be read.\n";

int usage(const std::string& problem) {
    if (!problem.empty()) std::fprintf(stderr, "mivo: %s\n\n", problem.c_str());
    std::fputs(kUsage, problem.empty() ? stdout : stderr);
    return problem.empty() ? mivo_tool::kOk : mivo_tool::kFailed;
}

struct OptionSpec {
    const char* name;
    bool takesValue;
};

/// The options each command that reads a file accepts.
std::vector<OptionSpec> optionsOf(const std::string& command) {
    if (command == "cat") return {{"-o", true}, {"--verbose", false}};
    if (command == "merge") return {{"-o", true}, {"--json", false}, {"--verbose", false}};
    if (command == "convert-units")
        return {{"-o", true}, {"--length", true}, {"--angle", true}, {"--json", false}, {"--verbose", false}};
    if (command == "tree") return {{"--unit", true}, {"--json", false}, {"--verbose", false}};
    if (command == "extract") return {{"-o", true}, {"--product", true}, {"--json", false}, {"--verbose", false}};
    return {{"--json", false}, {"--verbose", false}};
}

const OptionSpec* findOption(const std::vector<OptionSpec>& specs, const std::string& arg) {
    for (const OptionSpec& s : specs)
        if (arg == s.name) return &s;
    return nullptr;
}

/// Reads the arguments after the command into `out`; the problem with them, empty when there is none.
std::string parseFileCommand(const std::string& command, const std::vector<std::string>& args,
                             mivo_tool::FileCommand& out) {
    const std::vector<OptionSpec> specs = optionsOf(command);
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const OptionSpec* option = findOption(specs, arg);
        if (!option) {
            if (arg.empty()) return "an empty argument where a FILE is expected";
            if (!out.file.empty() || arg[0] == '-') return "unexpected argument " + arg;
            out.file = arg;
            continue;
        }
        if (!option->takesValue) {
            (arg == "--json" ? out.json : out.verbose) = true;
            continue;
        }
        // An option's value may not be another option: "-o --verbose" lacks the value rather than naming
        // a file "--verbose".
        if (i + 1 >= args.size() || findOption(specs, args[i + 1]) || args[i + 1].empty())
            return "the value of " + arg + " is missing";
        const std::string& value = args[++i];
        if (arg == "--length") out.length = value;
        else if (arg == "--angle") out.angle = value;
        else if (arg == "--unit") out.unit = value;
        else if (arg == "--product") out.product = value;
        else out.out = value;
    }
    if (out.file.empty()) return command + " needs a FILE";
    if ((command == "cat" || command == "merge" || command == "convert-units") && out.out.empty())
        return command + " needs -o OUT";
    if (command == "extract" && out.out.empty()) return command + " needs -o OUT";
    if (command == "extract" && out.product.empty()) return command + " needs --product ID";
    if (command == "convert-units") return mivo_tool::convertUnitsProblem(out);
    if (command == "tree" && !out.unit.empty()) return mivo_tool::treeUnitProblem(out.unit);
    return "";
}

/// The problem with a path a command reads or writes, empty when there is none that can be told beforehand.
std::string pathProblem(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return path + " is a directory, not a file";
    return "";
}

/// What the tool's region takes for a read of a file of `fileBytes` besides the dictionary: the reader's buffers,
/// numbers and texts (0.3 to 0.5 MB for the smallest real files, 1.3 to 2 times the file's size for the NIST ones,
/// of which the last page is backed as it is reached: a page backed ahead and not used only delays the chunks).
size_t readRegionBytes(uint64_t fileBytes) { return (size_t(1) << 19) + static_cast<size_t>(fileBytes); }

/// Builds the dictionary while the memory it and a read of `fileBytes` will touch is backed on the other
/// processor: a cold run spends more on first touches of fresh memory than on building the dictionary. The
/// backing ends with the piece in hand once the dictionary is built; keep what this returns until the run ends,
/// so that nothing waits for that piece (2 MiB, up to 3 ms on a virtual machine).
std::unique_ptr<NuskMemoryAhead> buildDictionary(uint64_t fileBytes) {
    const size_t regionBytes = mivo_tool::kStartupHeapDictionaryBytes + readRegionBytes(fileBytes);
    auto ahead = std::make_unique<NuskMemoryAhead>(
        nusk_read_memory(fileBytes), [regionBytes] { return mivo_tool::backStartupHeapPage(regionBytes); });
    nusk_ap242_schema();
    ahead->stop();
    return ahead;
}

uint64_t fileBytes(const std::string& path) {
    std::error_code error;
    const uintmax_t bytes = std::filesystem::file_size(path, error);
    return error ? 0 : static_cast<uint64_t>(bytes);
}

int runFileCommand(const std::string& command, const std::vector<std::string>& args) {
    mivo_tool::FileCommand parsed;
    const std::string problem = parseFileCommand(command, args, parsed);
    if (!problem.empty()) return usage(problem);
    for (const std::string& path : {parsed.file, parsed.out}) {
        const std::string pathError = path.empty() ? "" : pathProblem(path);
        if (!pathError.empty()) {
            std::fprintf(stderr, "mivo: %s\n", pathError.c_str());
            return mivo_tool::kFailed;
        }
    }
    const std::unique_ptr<NuskMemoryAhead> ahead = buildDictionary(fileBytes(parsed.file));
    if (command == "info") return mivo_tool::runInfo(parsed);
    if (command == "units") return mivo_tool::runUnits(parsed);
    if (command == "measures") return mivo_tool::runMeasures(parsed);
    if (command == "contexts") return mivo_tool::runContexts(parsed);
    if (command == "props") return mivo_tool::runProps(parsed);
    if (command == "merge") return mivo_tool::runMerge(parsed);
    if (command == "convert-units") return mivo_tool::runConvertUnits(parsed);
    if (command == "tree") return mivo_tool::runTree(parsed);
    if (command == "gdt") return mivo_tool::runGdt(parsed);
    if (command == "extract") return mivo_tool::runExtract(parsed);
    return mivo_tool::runCat(parsed);
}

}  // namespace

int main(int argc, char** argv) {
    // The passes' messages quote the file's names: none of their bytes reaches the terminal as a command.
    static mivo_tool::PrintableReporter reporter;
    nusk_set_reporter(&reporter);
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") return usage("");
        if (a == "--version" || a == "-V") {
            std::printf("mivo %s\n", MIVO_VERSION);
            return mivo_tool::kOk;
        }
    }
    if (args.empty() || (args.size() == 1 && args[0] == "--json")) {
        const std::unique_ptr<NuskMemoryAhead> ahead = buildDictionary(0);
        return mivo_tool::runSample(!args.empty());
    }
    const std::string& command = args[0];
    if (command == "help") return usage("");
    for (const char* fileCommand :
         {"info", "units", "measures", "contexts", "props", "cat", "merge", "convert-units", "tree", "gdt", "extract"})
        if (command == fileCommand) return runFileCommand(command, args);
    return usage("unknown command " + command);
}
