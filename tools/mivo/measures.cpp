// mivo measures: the measure items of a file with their values, units and qualifiers.
#include "commands.h"
#include "json.h"
#include "reading.h"
#include "table.h"
#include "type_names.h"

#include "mivo_measures.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <cstdio>
#include <string>
#include <vector>

namespace mivo_tool {

namespace {

struct MeasureRow {
    uint32_t entity;
    std::string type;
    std::string name;
    double value;             // NUSK_NULL_REAL: no number
    bool hasText;             // a descriptive value, which may be empty
    std::string text;
    std::string unit;         // short name; "" when the measure has no unit
    int kind;
    double lower, upper;      // NUSK_NULL_REAL: none
    int precision;            // NUSK_NULL_INTEGER: none
};

MeasureRow rowOf(NuskObject* obj) {
    auto* m = nusk_cast<stp_measure_with_unit>(obj);
    const char* name = obj->getString("name");
    const char* text = mivo_get_descriptive_value(m);
    const bool hasUnit = nusk_get_nested_object(m->unit_component()) != nullptr;
    return {obj->entity_id(),
            typeKey(obj),
            name ? name : "",
            mivo_get_measure_value(m, nuskunit_as_is),
            text != nullptr,
            text ? text : "",
            hasUnit ? mivo_get_unit_name(m) : "",
            mivo_get_measure_type(m),
            mivo_get_measure_lower_limit_value(m, nuskunit_as_is),
            mivo_get_measure_upper_limit_value(m, nuskunit_as_is),
            mivo_get_measure_precision_value(m)};
}

std::vector<MeasureRow> measureRows(NuskDesign* design) {
    std::vector<MeasureRow> rows;
    NuskCursor cursor;
    cursor.traverse(design);
    cursor.domain(nusktype_stp_measure_representation_item);
    while (NuskObject* obj = cursor.next())
        if (nusk_cast<stp_measure_with_unit>(obj)) rows.push_back(rowOf(obj));
    return rows;
}

void jsonNumber(std::string& out, double value) { out += value == NUSK_NULL_REAL ? "null" : numberText(value); }

void printJson(const std::vector<MeasureRow>& rows) {
    std::string out = "{\n  \"measures\": [";
    for (size_t i = 0; i < rows.size(); ++i) {
        const MeasureRow& r = rows[i];
        out += i ? ",\n    {" : "\n    {";
        out += "\"entity\": " + std::to_string(r.entity) + ", \"type\": ";
        Json::string(out, r.type);
        out += ", \"name\": ";
        Json::string(out, r.name);
        out += ", \"value\": ";
        if (r.value == NUSK_NULL_REAL && r.hasText)
            Json::string(out, r.text);
        else
            jsonNumber(out, r.value);
        out += ", \"unit\": ";
        Json::string(out, r.unit);
        out += ", \"kind\": ";
        Json::string(out, measureTypeName(r.kind));
        out += ", \"lower_limit\": ";
        jsonNumber(out, r.lower);
        out += ", \"upper_limit\": ";
        jsonNumber(out, r.upper);
        out += ", \"precision\": ";
        out += r.precision == NUSK_NULL_INTEGER ? "null" : std::to_string(r.precision);
        out += "}";
    }
    out += rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
    std::fputs(out.c_str(), stdout);
}

std::string cellOf(double value) { return value == NUSK_NULL_REAL ? "" : numberText(value); }

void printMeasureTable(const std::vector<MeasureRow>& rows) {
    std::vector<std::vector<std::string>> cells = {
        {"entity", "type", "value", "unit", "kind", "lower", "upper", "precision", "name"}};
    for (const MeasureRow& r : rows)
        cells.push_back({"#" + std::to_string(r.entity), r.type,
                         r.value == NUSK_NULL_REAL && r.hasText ? "'" + r.text + "'" : cellOf(r.value), r.unit,
                         measureTypeName(r.kind), cellOf(r.lower), cellOf(r.upper),
                         r.precision == NUSK_NULL_INTEGER ? "" : std::to_string(r.precision), r.name});
    printTable(cells, {true, false, true, false, false, true, true, true, false});
    std::printf("%zu measure items\n", rows.size());
}

}  // namespace

int runMeasures(const FileCommand& command) {
    return listTaggedDesign(command, [&](NuskDesign* design) {
        const std::vector<MeasureRow> rows = measureRows(design);
        if (command.json)
            printJson(rows);
        else
            printMeasureTable(rows);
    });
}

}  // namespace mivo_tool
