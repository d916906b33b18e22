// mivo units: the unit entities of a file with their codes and names.
#include "commands.h"
#include "json.h"
#include "type_names.h"

#include "mivo_units.h"

#include "nusk/ap242/all.h"
#include "nusk/part21.h"

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

}  // namespace

int runUnits(const std::string& path, bool json) {
    NuskReadResult r = nusk_read_step(path.c_str());
    for (const NuskReadMessage& m : r.messages)
        if (m.severity == NuskSeverity::error) std::fprintf(stderr, "error: line %u: %s\n", m.line, m.text.c_str());
    if (!r.design) return kFailed;
    mivo_tag_units(r.design);
    const std::vector<UnitRow> rows = unitRows(r.design);
    if (json) {
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
            out += "}";
        }
        out += rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
        std::fputs(out.c_str(), stdout);
    } else {
        std::printf("%8s  %-40s %4s %4s  %-10s %s\n", "entity", "type", "code", "kind", "name", "full name");
        for (const UnitRow& u : rows)
            std::printf("%8s  %-40s %4d %4d  %-10s %s\n", ("#" + std::to_string(u.entity)).c_str(), u.type.c_str(),
                        u.code, u.measureType, u.name.c_str(), u.fullname.c_str());
        std::printf("%zu unit entities\n", rows.size());
    }
    const int status = r.status == NuskReadStatus::ok ? kOk : kReadErrors;
    delete r.design;
    return status;
}

}  // namespace mivo_tool
