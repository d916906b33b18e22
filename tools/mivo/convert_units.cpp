// mivo convert-units: a file with its geometry moved into other length and plane angle units.
#include "commands.h"
#include "json.h"
#include "reading.h"

#include "mivo_geometry.h"
#include "mivo_units.h"

#include "nusk/units.h"

#include <cstdio>
#include <string>

namespace mivo_tool {

namespace {

/// The code of the unit of that kind whose short name is `name`; 0 when there is none.
NuskUnit unitNamed(const std::string& name, NuskMeasureType kind) {
    for (int code = nuskunit_mm; code <= NUSK_UNIT_MAX; ++code) {
        const auto unit = static_cast<NuskUnit>(code);
        const char* shortName = nusk_get_unit_name(unit);
        if (shortName && nusk_get_measure_type(unit) == kind && name == shortName) return unit;
    }
    return nuskunit_unknown;
}

/// The short names of the units of a kind, comma separated.
std::string unitNames(NuskMeasureType kind) {
    std::string names;
    for (int code = nuskunit_mm; code <= NUSK_UNIT_MAX; ++code) {
        const auto unit = static_cast<NuskUnit>(code);
        const char* shortName = nusk_get_unit_name(unit);
        if (!shortName || nusk_get_measure_type(unit) != kind) continue;
        names += names.empty() ? "" : ", ";
        names += shortName;
    }
    return names;
}

std::string unitProblem(const char* option, const std::string& name, NuskMeasureType kind) {
    if (unitNamed(name, kind) != nuskunit_unknown) return "";
    return "unknown unit '" + name + "' for " + option + ": one of " + unitNames(kind);
}

void printJson(const MivoUnitConversion& done, const FileCommand& command) {
    std::string out = "{\n";
    const std::pair<const char*, unsigned> counts[] = {
        {"representations", done.representations}, {"contexts", done.contexts}, {"items", done.items},
        {"out_of_range", done.outOfRange}, {"unconverted", done.unconverted}};
    for (const auto& c : counts) {
        Json::key(out, c.first, c.first == counts[0].first);
        out += std::to_string(c.second);
    }
    Json::key(out, "length_unit");
    Json::string(out, command.length);
    Json::key(out, "angle_unit");
    if (command.angle.empty())
        out += "null";
    else
        Json::string(out, command.angle);
    out += "\n}\n";
    std::fputs(out.c_str(), stdout);
}

void printText(const MivoUnitConversion& done, const FileCommand& command) {
    std::printf("converted into %s%s:\n", command.length.c_str(),
                command.angle.empty() ? "" : (" and " + command.angle).c_str());
    std::printf("  representations moved  %8u\n", done.representations);
    std::printf("  contexts made          %8u\n", done.contexts);
    std::printf("  items converted        %8u\n", done.items);
    // Only when there are any: the summary of a conversion that loses nothing stays as it was.
    if (done.outOfRange) std::printf("  values out of range    %8u\n", done.outOfRange);
    if (done.unconverted) std::printf("  representations kept   %8u (a unit of theirs has no conversion)\n", done.unconverted);
    std::printf("written to %s\n", command.out.c_str());
}

}  // namespace

std::string convertUnitsProblem(const FileCommand& command) {
    if (command.length.empty()) return "convert-units needs --length UNIT";
    std::string problem = unitProblem("--length", command.length, nuskmeasure_length);
    if (problem.empty() && !command.angle.empty())
        problem = unitProblem("--angle", command.angle, nuskmeasure_plane_angle);
    return problem;
}

int runConvertUnits(const FileCommand& command) {
    const NuskUnit length = unitNamed(command.length, nuskmeasure_length);
    const NuskUnit angle = command.angle.empty() ? nuskunit_as_is : unitNamed(command.angle, nuskmeasure_plane_angle);
    MivoUnitConversion done;
    return rewriteDesign(
        command,
        [&](NuskDesign* design) {
            mivo_tag_units(design);
            done = mivo_convert_geometry_units(design, length, angle);
        },
        [&] {
            if (command.json)
                printJson(done, command);
            else
                printText(done, command);
        });
}

}  // namespace mivo_tool
