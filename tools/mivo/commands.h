// The commands of the mivo tool. Every command writes its result (the report, the JSON, the table) to standard
// output, and the read's errors and warnings, progress and its own problems to standard error.
#pragma once

#include <string>
#include <vector>

namespace mivo_tool {

/// Exit statuses: 0 success, 1 a file read with errors, 2 bad usage or a file that cannot be read.
enum Exit { kOk = 0, kReadErrors = 1, kFailed = 2 };

/// What the command line asks of a command that reads a file.
struct FileCommand {
    std::string file;
    std::string out;       // cat, merge, convert-units: the file written
    bool json = false;     // every command but cat: the JSON form
    bool verbose = false;  // every message the reader kept, not only the first few
    std::string length{};  // convert-units: the length unit asked for (a short name such as "in")
    std::string angle{};   // convert-units: the plane angle unit asked for, empty to keep each context's
    std::string unit;      // tree: the length unit of the placements (empty: mm)
    std::string product{};  // extract: the product id, or #N for the product definition numbered N
};

/// `shownAs` names the file in the report; empty: its path.
int runInfo(const FileCommand& command, const std::string& shownAs = "");
/// Reads a file, writes it back to command.out and ends with a one-line summary.
int runCat(const FileCommand& command);
/// Tags the units of a file and lists every unit entity with its code, kind of quantity and names.
int runUnits(const FileCommand& command);
/// Tags the units of a file and lists every measure item with its value, unit, kind, limits and precision.
int runMeasures(const FileCommand& command);
/// Tags the units of a file and lists every representation context with its units and uncertainty.
int runContexts(const FileCommand& command);
/// Tags the properties, references and shape aspects of a file and lists, per product definition, its properties
/// with the items of their representations, its document references, external identifications and shape aspects.
int runProps(const FileCommand& command);
/// Merges the duplicate units, application, product and representation contexts of a file and writes the
/// result to command.out, which may be the file read: it is replaced only by a complete file.
int runMerge(const FileCommand& command);
/// Moves every representation of a file into contexts in the length (and plane angle) unit asked for, its
/// geometry converted, and writes the result to command.out (replaced only by a complete file).
int runConvertUnits(const FileCommand& command);
/// The problem with the units a convert-units command asks for (unknown names, with the accepted ones), empty
/// when there is none.
std::string convertUnitsProblem(const FileCommand& command);

/// Tags the units, properties and assemblies of a file and prints the product tree from each root product with
/// every usage and its placement, and the shapes without product.
int runTree(const FileCommand& command);
/// Why `unit` is not a length unit the tree command accepts (listing those it does); empty when it is one.
std::string treeUnitProblem(const std::string& unit);
/// Builds the sample design, writes it to a temporary file, and shows what reading it back finds.
int runSample(bool json);

/// The sample design written to `path`; false when it cannot be written.
bool writeSample(const std::string& path, std::string& error);

/// Tags the units and properties of a file and lists every geometric tolerance with its code, kinds, magnitude,
/// shape aspect, modifiers and datums in precedence order.
int runGdt(const FileCommand& command);
/// Writes the product command.product asks for, with everything below it, to command.out as a file of its own.
int runExtract(const FileCommand& command);

}  // namespace mivo_tool
