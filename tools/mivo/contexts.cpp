// mivo contexts: the representation contexts of a file with their units and uncertainty.
#include "commands.h"
#include "json.h"
#include "reading.h"
#include "table.h"
#include "type_names.h"

#include "mivo_contexts.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <string>
#include <vector>

namespace mivo_tool {

namespace {

struct ContextRow {
    uint32_t entity;
    std::string type;
    std::string length, angle, solidAngle;  // short unit names, empty when the context has none
    double uncertainty;                     // the null real when there is none
    std::string uncertaintyUnit;
};

std::string shortName(NuskUnit code) {
    const char* name = code != nuskunit_unknown ? nusk_get_unit_name(code) : nullptr;
    return name ? name : "";
}

ContextRow rowOf(NuskObject* obj) {
    stp_representation_context* c = nusk_cast(obj, nusktype_stp_representation_context);
    stp_uncertainty_measure_with_unit* u = mivo_get_context_uncertainty(c, nullptr);
    return {obj->entity_id(),
            typeKey(obj),
            shortName(mivo_get_context_length_unit(c)),
            shortName(mivo_get_context_angle_unit(c)),
            shortName(mivo_get_context_solid_angle_unit(c)),
            mivo_get_context_uncertainty_value(c, nullptr),
            u ? shortName(mivo_get_unit_type(u)) : ""};
}

std::vector<ContextRow> contextRows(NuskDesign* design) {
    std::vector<ContextRow> rows;
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(nusktype_stp_representation_context);
    while (NuskObject* obj = cursor.next()) rows.push_back(rowOf(obj));
    return rows;
}

void printJson(const std::vector<ContextRow>& rows) {
    std::string out = "{\n  \"contexts\": [";
    for (size_t i = 0; i < rows.size(); ++i) {
        const ContextRow& c = rows[i];
        out += i ? ",\n    {" : "\n    {";
        out += "\"entity\": " + std::to_string(c.entity) + ", \"type\": ";
        Json::string(out, c.type);
        const std::pair<const char*, const std::string*> units[] = {
            {"length_unit", &c.length}, {"angle_unit", &c.angle}, {"solid_angle_unit", &c.solidAngle}};
        for (const auto& unit : units) {
            out += std::string(", \"") + unit.first + "\": ";
            Json::string(out, *unit.second);
        }
        out += ", \"uncertainty\": ";
        if (c.uncertainty == NUSK_NULL_REAL)
            out += "null";
        else
            Json::number(out, c.uncertainty);
        out += ", \"uncertainty_unit\": ";
        Json::string(out, c.uncertaintyUnit);
        out += "}";
    }
    out += rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
    std::fputs(out.c_str(), stdout);
}

void printContextTable(const std::vector<ContextRow>& rows) {
    std::vector<std::vector<std::string>> cells = {{"entity", "type", "length", "angle", "solid angle", "uncertainty"}};
    for (const ContextRow& c : rows) {
        std::string uncertainty;
        if (c.uncertainty != NUSK_NULL_REAL) {
            uncertainty = numberText(c.uncertainty) + (c.uncertaintyUnit.empty() ? "" : " " + c.uncertaintyUnit);
        }
        cells.push_back({"#" + std::to_string(c.entity), c.type, c.length, c.angle, c.solidAngle, uncertainty});
    }
    printTable(cells, {true});
    std::printf("%zu representation context%s\n", rows.size(), rows.size() == 1 ? "" : "s");
}

}  // namespace

int runContexts(const FileCommand& command) {
    return listTaggedDesign(command, [&](NuskDesign* design) {
        const std::vector<ContextRow> rows = contextRows(design);
        if (command.json)
            printJson(rows);
        else
            printContextTable(rows);
    });
}

}  // namespace mivo_tool
