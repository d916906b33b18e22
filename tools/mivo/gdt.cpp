// mivo gdt: every geometric tolerance of a file with its code, kind and aspects, magnitude, toleranced shape
// aspect, modifiers, and its datums in precedence order with their modifiers.
#include "commands.h"
#include "json.h"
#include "printable.h"
#include "reading.h"
#include "table.h"
#include "type_names.h"

#include "mivo_measures.h"
#include "mivo_properties.h"
#include "mivo_tolerances.h"
#include "mivo_units.h"

#include "nusk/ap242/all.h"

#include <cstdio>
#include <string>
#include <vector>

namespace mivo_tool {

namespace {

struct DatumRow {
    std::string label;  // a common datum: its labels joined with "-"
    std::vector<std::string> modifiers;
    std::vector<DatumRow> elements;  // a common datum's, each with its own modifiers
};

struct ToleranceRow {
    uint32_t entity;
    std::string type;
    unsigned long code;
    std::vector<std::string> kinds;
    double magnitude;  // NUSK_NULL_REAL: none
    std::string unit;
    uint32_t aspect;  // 0: none
    std::string aspectName;
    std::vector<std::string> modifiers;
    std::vector<DatumRow> datums;
};

std::string textOf(const char* s) { return s ? s : ""; }

/// The name of the measure's unit; "" when it has none (the unit library names no unit "none", a placeholder
/// that is not a unit's name).
std::string unitText(stp_measure_with_unit* m) {
    return m && nusk_get_nested_object(m->unit_component()) ? textOf(mivo_get_unit_name(m)) : "";
}

std::string measureText(stp_length_measure_with_unit* m) {
    const double v = m ? mivo_get_measure_value(m, nuskunit_as_is) : NUSK_NULL_REAL;
    if (v == NUSK_NULL_REAL) return "?";
    const std::string unit = unitText(m);
    return numberText(v) + (unit.empty() ? "" : " " + unit);
}

std::string labelOf(stp_datum* d) { return d ? textOf(d->identification()) : "?"; }

std::vector<std::string> referenceModifiers(stp_general_datum_reference* ref) {
    std::vector<std::string> names;
    for (unsigned i = 0; i < mivo_tol_get_datum_modifier_count(ref); ++i) {
        stp_simple_datum_reference_modifier simple = mivo_tol_get_datum_modifier(ref, i);
        if (simple != stp_simple_datum_reference_modifier_UNSET) {
            names.push_back(textOf(mivo_tol_get_datum_modifier_name(simple)));
        } else if (stp_datum_reference_modifier_with_value* v = mivo_tol_get_datum_modifier_with_value(ref, i)) {
            names.push_back(textOf(mivo_tol_get_datum_with_value_modifier_name(v->modifier_type())) + " " +
                            measureText(v->modifier_value()));
        }
    }
    return names;
}

/// A reference's row: its datum's label, or for a common datum its elements' rows and their labels joined with
/// "-"; each with its modifiers.
DatumRow referenceRow(stp_general_datum_reference* ref, int depth = 5) {
    DatumRow row{"", referenceModifiers(ref), {}};
    if (stp_datum* d = mivo_tol_get_datum(ref)) {
        row.label = labelOf(d);
        return row;
    }
    // As deep as the library searches: a file whose common datums nest deeper (or in a cycle) ends here.
    for (unsigned i = 0; depth > 0 && i < mivo_tol_get_datum_count(ref); ++i) {
        row.elements.push_back(referenceRow(mivo_tol_get_datum_ref(ref, i), depth - 1));
        row.label += (i ? "-" : "") + row.elements.back().label;
    }
    if (row.label.empty()) row.label = "?";
    return row;
}

std::vector<DatumRow> datumRows(stp_geometric_tolerance* tol) {
    std::vector<DatumRow> rows;
    const unsigned count = mivo_tol_get_datum_count(tol);
    if (mivo_tol_get_datums(tol)) {
        for (unsigned i = 0; i < count; ++i) {
            stp_general_datum_reference* ref = mivo_tol_get_datum_ref(tol, i);
            rows.push_back(referenceRow(ref));
        }
        return rows;
    }
    for (unsigned i = 0; i < count; ++i) {  // legacy references, in precedence order
        stp_datum* d = mivo_tol_get_datum(tol, i);
        if (!d) continue;
        DatumRow row{labelOf(d), {}, {}};
        for (unsigned j = 0; j < mivo_tol_get_datum_modifier_count(tol, d); ++j)
            row.modifiers.push_back(textOf(mivo_tol_get_datum_modifier_name(mivo_tol_get_datum_modifier(tol, d, j))));
        rows.push_back(row);
    }
    return rows;
}

ToleranceRow toleranceRow(stp_geometric_tolerance* tol) {
    ToleranceRow row{tol->entity_id(), typeKey(tol), mivo_tol_type(tol), {}, NUSK_NULL_REAL, "", 0, "", {}, {}};
    for (unsigned long bit = 1; bit <= MIVO_TOL_WITH_UNEQUAL; bit <<= 1)
        if (const char* name = (row.code & bit) ? mivo_tol_code_name(bit) : nullptr) row.kinds.push_back(name);
    if (stp_length_measure_with_unit* m = tol->magnitude()) {
        row.magnitude = mivo_get_measure_value(m, nuskunit_as_is);
        row.unit = unitText(m);
    }
    if (stp_shape_aspect* sa = mivo_tol_get_aspect(tol)) {
        row.aspect = sa->entity_id();
        row.aspectName = textOf(sa->name());
    }
    for (unsigned i = 0; i < mivo_tol_get_modifier_count(tol); ++i)
        row.modifiers.push_back(textOf(mivo_tol_get_modifier_name(mivo_tol_get_modifier(tol, i))));
    row.datums = datumRows(tol);
    return row;
}

std::vector<ToleranceRow> toleranceRows(NuskDesign* design) {
    mivo_tag_props(design);
    std::vector<ToleranceRow> rows;
    for (NuskObject* obj : nusk_instances_of(design, nusktype_stp_geometric_tolerance))
        if (auto* tol = nusk_cast(obj, nusktype_stp_geometric_tolerance)) rows.push_back(toleranceRow(tol));
    return rows;
}

// ---- JSON ----

/// Datums as objects of label and modifiers; a common datum's also of its elements, each such an object.
void jsonDatums(std::string& out, const std::vector<DatumRow>& datums) {
    out += "[";
    for (size_t i = 0; i < datums.size(); ++i) {
        out += i ? ", {\"label\": " : "{\"label\": ";
        Json::string(out, datums[i].label);
        out += ", \"modifiers\": ";
        Json::stringList(out, datums[i].modifiers);
        if (!datums[i].elements.empty()) {
            out += ", \"elements\": ";
            jsonDatums(out, datums[i].elements);
        }
        out += "}";
    }
    out += "]";
}

void jsonTolerance(std::string& out, const ToleranceRow& t) {
    out += "\"entity\": " + std::to_string(t.entity) + ", \"type\": ";
    Json::string(out, t.type);
    out += ", \"code\": " + std::to_string(t.code) + ", \"kinds\": ";
    Json::stringList(out, t.kinds);
    out += ",\n      \"magnitude\": ";
    if (t.magnitude == NUSK_NULL_REAL)
        out += "null";
    else
        Json::number(out, t.magnitude);
    out += ", \"unit\": ";
    Json::string(out, t.unit);
    out += ", \"shape_aspect\": ";
    if (t.aspect) {
        out += "{\"entity\": " + std::to_string(t.aspect) + ", \"name\": ";
        Json::string(out, t.aspectName);
        out += "}";
    } else {
        out += "null";
    }
    out += ", \"modifiers\": ";
    Json::stringList(out, t.modifiers);
    out += ",\n      \"datums\": ";
    jsonDatums(out, t.datums);
}

void printJson(const std::vector<ToleranceRow>& rows) {
    std::string out = "{\n  \"tolerances\": [";
    for (size_t i = 0; i < rows.size(); ++i) {
        out += i ? ",\n    {" : "\n    {";
        jsonTolerance(out, rows[i]);
        out += "}";
    }
    out += rows.empty() ? "]\n}\n" : "\n  ]\n}\n";
    std::fputs(out.c_str(), stdout);
}

// ---- text ----

std::string joined(const std::vector<std::string>& items, const char* separator) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) text += (i ? separator : "") + items[i];
    return text;
}

/// A datum's label with its elements' modifiers: "A(maximum_material_requirement)-B" for a common datum.
std::string labelWithElementModifiers(const DatumRow& d) {
    if (d.elements.empty()) return d.label;
    std::string text;
    for (size_t i = 0; i < d.elements.size(); ++i) {
        const DatumRow& e = d.elements[i];
        text += (i ? "-" : "") + labelWithElementModifiers(e);
        if (!e.modifiers.empty()) text += "(" + joined(e.modifiers, ", ") + ")";
    }
    return text;
}

void printTolerance(const ToleranceRow& t) {
    char code[32];
    std::snprintf(code, sizeof code, "0x%lx", t.code);
    std::printf("#%u %s code %s: %s\n", t.entity, t.type.c_str(), code, joined(t.kinds, ", ").c_str());
    std::string line = "  magnitude " + (t.magnitude == NUSK_NULL_REAL ? std::string("none") : numberText(t.magnitude));
    if (!t.unit.empty()) line += " " + t.unit;
    line += t.aspect ? ", on #" + std::to_string(t.aspect) + " '" + t.aspectName + "'" : ", on no shape aspect";
    std::printf("%s\n", printable(line).c_str());
    if (!t.modifiers.empty()) std::printf("  modifiers: %s\n", printable(joined(t.modifiers, ", ")).c_str());
    if (t.datums.empty()) return;
    std::vector<std::string> datums;
    for (const DatumRow& d : t.datums) {
        const std::string label = labelWithElementModifiers(d);
        datums.push_back(d.modifiers.empty() ? label : label + " (" + joined(d.modifiers, ", ") + ")");
    }
    std::printf("  datums: %s\n", printable(joined(datums, " | ")).c_str());
}

}  // namespace

int runGdt(const FileCommand& command) {
    return listTaggedDesign(command, [&](NuskDesign* design) {
        const std::vector<ToleranceRow> rows = toleranceRows(design);
        if (command.json) {
            printJson(rows);
            return;
        }
        for (const ToleranceRow& t : rows) printTolerance(t);
        std::printf("%zu geometric tolerance%s\n", rows.size(), rows.size() == 1 ? "" : "s");
    });
}

}  // namespace mivo_tool
