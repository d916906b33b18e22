// mivo units: the unit entities of a file with their codes and names.
#include "commands.h"
#include "json.h"
#include "reading.h"
#include "table.h"
#include "type_names.h"

#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace mivo_tool {

namespace {

struct UnitRow {
    uint32_t entity;
    std::string type;
    int code;
    int measureType;
    std::string name;
    std::string fullname;
};

std::vector<UnitRow> unitRows(NuskDesign* design) {
    std::vector<UnitRow> rows;
    NuskCursor cursor;
    cursor.traverse(design);
    for (NuskTypePtr* type : {static_cast<NuskTypePtr*>(&nusktype_stp_named_unit),
                              static_cast<NuskTypePtr*>(&nusktype_stp_derived_unit)}) {
        cursor.domain(type->domain());
        while (NuskObject* obj = cursor.next()) {
            const MivoMgrUnit* m = MivoMgrUnit::find(obj);
            const NuskUnit code = m ? m->unit : nuskunit_unknown;
            const char* full = nullptr;
            if (auto* named = nusk_cast(obj, nusktype_stp_named_unit))
                full = mivo_get_unit_fullname(named);
            else if (auto* derived = nusk_cast(obj, nusktype_stp_derived_unit))
                full = mivo_get_unit_fullname(derived);
            const std::string fullname = full ? full : "";
            const char* shortName = code != nuskunit_unknown ? nusk_get_unit_name(code) : nullptr;
            rows.push_back({obj->entity_id(), typeKey(obj), code, m ? m->measure_type : 0,
                            shortName ? shortName : fullname, fullname});
        }
    }
    return rows;
}

void printJson(const std::vector<UnitRow>& rows) {
    std::string out = "{\n  \"units\": [";
    for (size_t i = 0; i < rows.size(); ++i) {
        const UnitRow& u = rows[i];
        out += i ? ",\n    {" : "\n    {";
        out += "\"entity\": " + std::to_string(u.entity) + ", \"type\": ";
        Json::string(out, u.type);
        out += ", \"code\": " + std::to_string(u.code) + ", \"measure_type\": " + std::to_string(u.measureType) +
               ", \"name\": ";
        Json::string(out, u.name);
        out += ", \"fullname\": ";
        Json::string(out, u.fullname);
        out += ", \"kind\": ";  // last: the keys before it keep their order
        Json::string(out, measureTypeName(u.measureType));
        out += "}";
    }
    out += rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
    std::fputs(out.c_str(), stdout);
}

void printUnitTable(const std::vector<UnitRow>& rows) {
    std::vector<std::vector<std::string>> cells = {{"entity", "type", "code", "kind", "name", "full name"}};
    for (const UnitRow& u : rows)
        cells.push_back({"#" + std::to_string(u.entity), u.type, std::to_string(u.code), measureTypeName(u.measureType),
                         u.name, u.fullname});
    printTable(cells, {true, false, true, false, false, false});
    std::printf("%zu unit entities\n", rows.size());
}

}  // namespace

int runUnits(const FileCommand& command) {
    return listTaggedDesign(command, [&](NuskDesign* design) {
        const std::vector<UnitRow> rows = unitRows(design);
        if (command.json)
            printJson(rows);
        else
            printUnitTable(rows);
    });
}

}  // namespace mivo_tool
